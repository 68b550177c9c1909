// The drawing's layers beside the view: each with its colour and switches
// for on/off and frozen that change only what the window shows, the current
// layer marked. "Zapisz stan warstw" asks for the switches to be written
// into the drawing.
#pragma once

#include <QDockWidget>

#include <map>
#include <string>
#include <vector>

class QLabel;
class QPushButton;
class QTreeWidget;
class QTreeWidgetItem;

namespace lumo::cad::embedded {
class DrawingReader;
}

namespace lumo::view {

struct LayerSwitches {
    std::string name;
    bool on = true;
    bool frozen = false;
};

class LayersPanel : public QDockWidget {
    Q_OBJECT
public:
    enum Column { NameColumn, ColourColumn, OnColumn, FrozenColumn };

    explicit LayersPanel(QWidget* parent = nullptr);

    // Lists the drawing's layers; what the designer switched stays switched
    // until forget() (another drawing, or the switches were saved).
    void showLayers(const cad::embedded::DrawingReader& drawing);
    void forget();
    // The layers the designer switched otherwise than the drawing has them.
    std::vector<LayerSwitches> switched() const;
    // Saving is offered only to someone who listens (see saveRequested).
    void setSaveEnabled(bool enabled);

    QTreeWidget* list() const { return list_; }
    QLabel* currentLabel() const { return current_; }
    QPushButton* saveButton() const { return save_; }

signals:
    // The designer switched a layer: the view is drawn again.
    void switchesChanged();
    void saveRequested();

private:
    void itemChanged(QTreeWidgetItem* item, int column);

    QTreeWidget* list_ = nullptr;
    QLabel* current_ = nullptr;
    QPushButton* save_ = nullptr;
    // As the drawing has them and as the designer switched them, by name.
    std::map<std::string, LayerSwitches> drawing_, switched_;
};

} // namespace lumo::view
