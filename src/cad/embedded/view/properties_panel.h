// "Właściwości" beside the layers: what the selection is and where it
// stands. For any selection its layer, which the designer may change; for
// one entity its kind and position, for a block reference its turn and
// scale, and its attribute values, checked as "Edycja atrybutów" checks
// them. A field is written on Enter or when the designer leaves it, each
// change one edit of the host (one step to undo, saved like the others).
// While a run or an edit asking its points goes on, the panel only shows.
#pragma once

#include "cad/embedded/embedded_host.h"

#include <QDockWidget>

#include <array>
#include <functional>
#include <memory>
#include <optional>
#include <vector>

class QComboBox;
class QFormLayout;
class QGroupBox;
class QLabel;
class QLineEdit;

namespace lumo::view {

class Editor;

// What stands in the layer box when the selected entities lie on several.
inline constexpr const char* kMixedLayers = "*różne*";

// A number the designer typed: blanks around it, a decimal comma or point;
// nullopt when it is not one number.
std::optional<double> ReadTypedNumber(const QString& text);

class PropertiesPanel : public QDockWidget {
    Q_OBJECT
public:
    enum Field { X, Y, Rotation, ScaleX, ScaleY };

    PropertiesPanel(Editor* editor, std::shared_ptr<cad::embedded::EmbeddedApplication> host,
                    QWidget* parent = nullptr);

    // Shows the selection as the drawing has it now.
    void refresh();

    QLabel* nothingLabel() const { return nothing_; }
    QLabel* kindLabel() const { return kind_; }
    QComboBox* layerBox() const { return layer_; }
    QLineEdit* field(Field f) const { return fields_[f]; }
    // The value field of an attribute (null when the panel shows none).
    QLineEdit* attributeField(const QString& tag) const;
    // Whether the designer may change anything now.
    bool editable() const;
    // How a value that cannot be taken is told (a message box unless
    // replaced).
    void setComplaint(std::function<void(const QString&)> complain) { complain_ = std::move(complain); }

private:
    struct AttributeRow {
        QString tag;
        QLineEdit* edit = nullptr;
        QString shown;
    };

    void showLayers(const std::vector<std::string>& selected);
    void showPlace(std::size_t entity);
    void showAttributes(const std::vector<std::pair<QString, QString>>& attributes, bool sameEntity);
    void show(Field f, const QString& text);
    void layerChosen(int index);
    void placeEdited(Field f);
    void attributeEdited(QLineEdit* edit);
    void complain(QLineEdit* edit, const QString& shown, const QString& why);

    Editor* editor_;
    std::shared_ptr<cad::embedded::EmbeddedApplication> host_;
    QLabel* nothing_ = nullptr;
    QWidget* details_ = nullptr;
    QFormLayout* form_ = nullptr;
    QLabel* kind_ = nullptr;
    QComboBox* layer_ = nullptr;
    std::array<QLineEdit*, 5> fields_{};
    std::array<QString, 5> shown_; // the text each field was given
    QGroupBox* attributesBox_ = nullptr;
    QFormLayout* attributesForm_ = nullptr;
    std::vector<AttributeRow> attributes_;
    std::vector<std::size_t> shownSelection_;
    bool mixedLayers_ = false;
    bool complaining_ = false;
    std::function<void(const QString&)> complain_;
};

} // namespace lumo::view
