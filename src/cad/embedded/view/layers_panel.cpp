#include "cad/embedded/view/layers_panel.h"

#include "cad/embedded/view/aci.h"
#include "cad/embedded/drawing_reader.h"

#include <QColor>
#include <QHeaderView>
#include <QLabel>
#include <QPainter>
#include <QPixmap>
#include <QPushButton>
#include <QSignalBlocker>
#include <QTreeWidget>
#include <QVBoxLayout>

namespace lumo::view {

namespace {

QIcon swatch(int aci)
{
    QPixmap pixmap(14, 14);
    pixmap.fill(Qt::darkGray); // a frame, so that white shows on a light list
    QPainter(&pixmap).fillRect(1, 1, 12, 12, QColor::fromRgb(aciColour(aci)));
    return QIcon(pixmap);
}

} // namespace

LayersPanel::LayersPanel(QWidget* parent) : QDockWidget(QStringLiteral("Warstwy"), parent)
{
    setObjectName(QStringLiteral("layers"));
    auto* body = new QWidget(this);
    auto* layout = new QVBoxLayout(body);
    layout->setContentsMargins(4, 4, 4, 4);
    current_ = new QLabel(body);
    list_ = new QTreeWidget(body);
    list_->setRootIsDecorated(false);
    list_->setHeaderLabels(
        {QStringLiteral("Warstwa"), QStringLiteral("Kolor"), QStringLiteral("Wł."), QStringLiteral("Zamr.")});
    // Long names are cut, the switches always show.
    list_->header()->setStretchLastSection(false);
    list_->header()->setSectionResizeMode(QHeaderView::ResizeToContents);
    list_->header()->setSectionResizeMode(NameColumn, QHeaderView::Stretch);
    save_ = new QPushButton(QStringLiteral("Zapisz stan warstw"), body);
    save_->setEnabled(false);
    layout->addWidget(current_);
    layout->addWidget(list_, 1);
    layout->addWidget(save_);
    setWidget(body);
    connect(list_, &QTreeWidget::itemChanged, this, &LayersPanel::itemChanged);
    connect(save_, &QPushButton::clicked, this, &LayersPanel::saveRequested);
}

void LayersPanel::showLayers(const cad::embedded::DrawingReader& drawing)
{
    drawing_.clear();
    const QSignalBlocker blocker(list_);
    list_->clear();
    if (!drawing) {
        current_->clear();
        return;
    }
    const QString currentLayer = QString::fromStdString(drawing.currentLayer());
    current_->setText(QStringLiteral("Bieżąca: %1").arg(currentLayer));
    for (const auto& layer : drawing.layers()) {
        const LayerSwitches asDrawn{layer.name, layer.on, layer.frozen};
        drawing_[asDrawn.name] = asDrawn;
        const auto switched = switched_.find(asDrawn.name);
        const LayerSwitches& state = switched != switched_.end() ? switched->second : asDrawn;
        auto* item = new QTreeWidgetItem(list_);
        const QString name = QString::fromStdString(asDrawn.name);
        item->setText(NameColumn, name);
        item->setToolTip(NameColumn, name);
        item->setIcon(ColourColumn, swatch(layer.colour));
        item->setText(ColourColumn, QString::number(layer.colour));
        item->setCheckState(OnColumn, state.on ? Qt::Checked : Qt::Unchecked);
        item->setCheckState(FrozenColumn, state.frozen ? Qt::Checked : Qt::Unchecked);
        if (name.compare(currentLayer, Qt::CaseInsensitive) == 0) {
            QFont font = item->font(NameColumn);
            font.setBold(true);
            item->setFont(NameColumn, font);
            item->setToolTip(NameColumn, QStringLiteral("%1 (warstwa bieżąca)").arg(name));
        }
    }
}

void LayersPanel::forget()
{
    switched_.clear();
}

void LayersPanel::itemChanged(QTreeWidgetItem* item, int column)
{
    if (column != OnColumn && column != FrozenColumn)
        return;
    const std::string name = item->text(NameColumn).toStdString();
    const LayerSwitches state{name, item->checkState(OnColumn) == Qt::Checked,
                              item->checkState(FrozenColumn) == Qt::Checked};
    const auto drawn = drawing_.find(name);
    if (drawn != drawing_.end() && drawn->second.on == state.on && drawn->second.frozen == state.frozen)
        switched_.erase(name);
    else
        switched_[name] = state;
    emit switchesChanged();
}

std::vector<LayerSwitches> LayersPanel::switched() const
{
    std::vector<LayerSwitches> result;
    for (const auto& [name, state] : switched_)
        result.push_back(state);
    return result;
}

void LayersPanel::setSaveEnabled(bool enabled)
{
    save_->setEnabled(enabled);
}

} // namespace lumo::view
