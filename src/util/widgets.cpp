#include "util/widgets.h"

#include <QComboBox>
#include <QSignalBlocker>
#include <QWidget>

namespace lumo {

void FillComboFromArray(QComboBox* combo, std::span<const QString> table, int first, int last, int shown)
{
    {
        // Clearing and the first added item would each run the combo's rule
        // on an item nobody chose; only the final choice below may run it.
        const QSignalBlocker blocker(combo);
        combo->clear();
        const int end = std::min(last, static_cast<int>(table.size()) - 1);
        for (int i = std::max(first, 0); i <= end; ++i)
            combo->addItem(table[static_cast<std::size_t>(i)]);
        combo->setCurrentIndex(-1);
    }
    if (shown >= 0 && shown < combo->count())
        combo->setCurrentIndex(shown);
    else if (combo->isEditable())
        combo->setEditText(QString());
    // A combo that is to fit its items holds that width as its minimum, so
    // its form grows at once rather than when the layout next looks, which
    // on a shown form may be after it was drawn with the item cut short.
    if (combo->sizeAdjustPolicy() == QComboBox::AdjustToContents)
        combo->setMinimumWidth(combo->sizeHint().width());
}

void FillComboFromArray(QComboBox* combo, const QStringList& table, int first, int last, int shown)
{
    FillComboFromArray(combo,
                       std::span<const QString>(table.constData(), static_cast<std::size_t>(table.size())),
                       first, last, shown);
}

void SetWindowOnTop(QWidget* form, bool onTop)
{
    // Changing window flags hides a shown window and may let the window
    // system place it anew; keep where it was and do not take the focus.
    const bool wasVisible = form->isVisible();
    const QRect geometry = form->geometry();
    const bool showWithoutActivating = form->testAttribute(Qt::WA_ShowWithoutActivating);
    form->setWindowFlag(Qt::WindowStaysOnTopHint, onTop);
    form->setAttribute(Qt::WA_ShowWithoutActivating, true);
    if (wasVisible)
        form->setGeometry(geometry);
    form->show();
    form->setAttribute(Qt::WA_ShowWithoutActivating, showWithoutActivating);
}

} // namespace lumo
