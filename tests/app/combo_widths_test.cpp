// Every combo box of every form is wide enough, as the form first shows, for
// the longest of its items: "Kierunkowy na wprost i w..." cut short reads as
// another type than the one chosen.
#include "cad/embedded/view/main_window.h"
#include "cad/embedded/view/plot_dialog.h"
#include "detectors/frm_detektory.h"
#include "forms/frm_atrybuty_sygnalizatora.h"
#include "forms/frm_ustawienia.h"
#include "signal_run.h"
#include "ui_frmMain.h"

#include <QAction>
#include <QApplication>
#include <QComboBox>
#include <QPushButton>
#include <QStyle>
#include <QLineEdit>
#include <QStyleOptionComboBox>
#include <QTest>

#include <gtest/gtest.h>

#include <functional>

namespace lumo::test {
namespace {

// The room the combo has for an item's text: its edit field as its style
// lays it out, less the pixel the label keeps on each side, or the line
// edit's text margins and its two pixels on each side.
int RoomForText(const QComboBox& combo)
{
    if (const QLineEdit* edit = combo.lineEdit()) {
        const QMargins margins = edit->textMargins();
        return edit->contentsRect().width() - margins.left() - margins.right() - 2 * 2;
    }
    QStyleOptionComboBox option;
    option.initFrom(&combo);
    option.frame = combo.hasFrame();
    option.subControls = QStyle::SC_All;
    return combo.style()
               ->subControlRect(QStyle::CC_ComboBox, &option, QStyle::SC_ComboBoxEditField, &combo)
               .width()
        - 2;
}

// "form.combo: width < needed for 'item'" for each combo that cuts an item.
QStringList NarrowCombos(QWidget& form, const QString& formName)
{
    QStringList narrow;
    for (const QComboBox* combo : form.findChildren<QComboBox*>()) {
        if (!combo->isVisibleTo(&form))
            continue;
        int needed = 0;
        QString longest;
        for (int i = 0; i < combo->count(); ++i) {
            int width = combo->fontMetrics().horizontalAdvance(combo->itemText(i));
            if (!combo->itemIcon(i).isNull())
                width += combo->iconSize().width() + 4;
            if (width > needed) {
                needed = width;
                longest = combo->itemText(i);
            }
        }
        if (const int room = RoomForText(*combo); room < needed)
            narrow << QStringLiteral("%1.%2: %3 < %4 for \"%5\"")
                          .arg(formName, combo->objectName())
                          .arg(room)
                          .arg(needed)
                          .arg(longest);
    }
    return narrow;
}

QWidget* Shown(QWidget* form)
{
    form->show();
    EXPECT_TRUE(QTest::qWaitForWindowExposed(form));
    QApplication::processEvents(); // the layout requests posted by the filling
    return form;
}

TEST(ComboWidths, EveryComboOfEveryFormShowsItsLongestItemWhole)
{
    TempSuite suite;
    BuildSuite(suite);
    const std::string drawing = WriteDrawing(suite, {});
    SignalRun run(suite, drawing);
    run.start({QStringLiteral("S-3wp")});
    ASSERT_TRUE(run.form->isVisible());

    bool onTop = false;
    frmAtrybutySygnalizatora description(*run.ctx, onTop, QStringLiteral("26-15/987/K1"));
    frmDetektory detectors(*run.ctx, run.form->placement(), QStringLiteral("1.0.5"));
    view::MainWindow window;
    struct Case {
        const char* name;
        std::function<QWidget*()> open;
    } cases[] = {
        {"frmMain", [&] { return Shown(run.form.get()); }},
        {"frmUstawienia",
         [&]() -> QWidget* {
             run.form->ui().cmdUstawienia->click();
             return Shown(run.form->findChild<frmUstawienia*>());
         }},
        {"frmAtrybutySygnalizatora", [&] { return Shown(&description); }},
        {"frmDetektory",
         [&]() -> QWidget* {
             detectors.Form_Load();
             return Shown(&detectors);
         }},
        {"plot",
         [&]() -> QWidget* {
             Shown(&window);
             window.findChild<QAction*>(QStringLiteral("plot"))->trigger();
             return Shown(window.findChild<view::PlotDialog*>());
         }},
    };
    for (const auto& c : cases) {
        QWidget* form = c.open();
        ASSERT_NE(form, nullptr) << c.name;
        EXPECT_FALSE(form->findChildren<QComboBox*>().isEmpty()) << c.name;
        EXPECT_EQ(NarrowCombos(*form, QString::fromUtf8(c.name)).join(QLatin1Char('\n')).toStdString(), "");
    }
}

} // namespace
} // namespace lumo::test
