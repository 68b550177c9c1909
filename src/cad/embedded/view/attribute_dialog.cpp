#include "cad/embedded/view/attribute_dialog.h"

#include <QDialogButtonBox>
#include <QFormLayout>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <QScrollArea>
#include <QVBoxLayout>

namespace lumo::view {

namespace {
const QString kDialogTitle = QStringLiteral("Edycja atrybutów");
}

AttributeDialog::AttributeDialog(QWidget* parent, const QString& blockName,
                                 const std::vector<AttributeValue>& values, AttributeCheck check)
    : QDialog(parent), check_(std::move(check))
{
    setWindowTitle(kDialogTitle);
    setObjectName(QStringLiteral("attributeDialog"));
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(new QLabel(QStringLiteral("Blok: %1").arg(blockName), this));
    auto* inner = new QWidget(this);
    auto* form = new QFormLayout(inner);
    for (const AttributeValue& a : values) {
        auto* edit = new QLineEdit(a.value, inner);
        edit->setObjectName(a.tag);
        edit->setMinimumWidth(280);
        form->addRow(a.tag + QLatin1Char(':'), edit);
        tags_.push_back(a.tag);
        fields_.push_back(edit);
    }
    // A block of many attributes scrolls rather than outgrowing the screen.
    auto* scroll = new QScrollArea(this);
    scroll->setWidget(inner);
    scroll->setWidgetResizable(true);
    scroll->setFrameShape(QFrame::NoFrame);
    scroll->setMinimumHeight(std::min(inner->sizeHint().height() + 4, 520));
    scroll->setMinimumWidth(inner->sizeHint().width() + 24);
    layout->addWidget(scroll, 1);
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    buttons->button(QDialogButtonBox::Ok)->setText(QStringLiteral("OK"));
    buttons->button(QDialogButtonBox::Cancel)->setText(QStringLiteral("Anuluj"));
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    layout->addWidget(buttons);
    complain_ = [this](const QString& why) { QMessageBox::warning(this, kDialogTitle, why); };
    if (!fields_.empty())
        fields_.front()->setFocus();
}

std::vector<AttributeValue> AttributeDialog::values() const
{
    std::vector<AttributeValue> out;
    for (std::size_t i = 0; i < fields_.size(); ++i)
        out.push_back({tags_[i], fields_[i]->text()});
    return out;
}

QLineEdit* AttributeDialog::field(const QString& tag) const
{
    for (std::size_t i = 0; i < tags_.size(); ++i)
        if (tags_[i] == tag)
            return fields_[i];
    return nullptr;
}

void AttributeDialog::accept()
{
    if (check_) {
        for (std::size_t i = 0; i < fields_.size(); ++i) {
            const QString why = check_(tags_[i], fields_[i]->text());
            if (why.isEmpty())
                continue;
            complain_(why);
            fields_[i]->setFocus();
            fields_[i]->selectAll();
            return;
        }
    }
    QDialog::accept();
}

std::optional<std::vector<AttributeValue>> AttributeDialog::ask(QWidget* parent, const QString& blockName,
                                                                const std::vector<AttributeValue>& values,
                                                                const AttributeCheck& check)
{
    AttributeDialog dialog(parent, blockName, values, check);
    if (dialog.exec() != QDialog::Accepted)
        return std::nullopt;
    return dialog.values();
}

} // namespace lumo::view
