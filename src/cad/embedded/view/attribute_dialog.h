// "Edycja atrybutów": every attribute of a block reference by its tag with
// its value, editable; OK checks the values the program has rules for and
// stays open on one that breaks them, saying why.
#pragma once

#include "cad/embedded/view/editor.h"

#include <QDialog>

#include <optional>
#include <vector>

class QLineEdit;

namespace lumo::view {

class AttributeDialog : public QDialog {
    Q_OBJECT
public:
    AttributeDialog(QWidget* parent, const QString& blockName, const std::vector<AttributeValue>& values,
                    AttributeCheck check);

    std::vector<AttributeValue> values() const;
    // The value field of a tag (its object name is the tag).
    QLineEdit* field(const QString& tag) const;
    // How a broken value is told (a message box unless replaced).
    void setComplaint(std::function<void(const QString&)> complain) { complain_ = std::move(complain); }

    // Shows the dialog; the values when OK was pressed.
    static std::optional<std::vector<AttributeValue>> ask(QWidget* parent, const QString& blockName,
                                                          const std::vector<AttributeValue>& values,
                                                          const AttributeCheck& check);

    void accept() override;

private:
    std::vector<QString> tags_;
    std::vector<QLineEdit*> fields_;
    AttributeCheck check_;
    std::function<void(const QString&)> complain_;
};

} // namespace lumo::view
