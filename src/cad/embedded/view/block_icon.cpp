#include "cad/embedded/view/block_icon.h"

#include "cad/embedded/view/renderer.h"
#include "cad/embedded/view/scene_builder.h"

#include <QFileInfo>
#include <QPainter>
#include <QPixmap>

#include <algorithm>
#include <memory>

namespace lumo::view {

namespace {

// The block's drawing read from its file; empty when it cannot be read.
cad::embedded::DrawingReader readBlockDrawing(const QString& path)
{
    if (!QFileInfo(path).isFile())
        return {};
    try {
        return cad::embedded::ReadDrawing(QFileInfo(path).absoluteFilePath().toStdString());
    } catch (const std::exception&) {
        return {};
    }
}

} // namespace

QIcon blockIcon(const QString& path, int size)
{
    const auto drawing = readBlockDrawing(path);
    if (!drawing)
        return {};
    Scene scene;
    SceneBuilder(drawing).buildModelSpace(scene);
    const Box box = scene.extents();
    if (box.isEmpty())
        return {};

    // One pixel of margin; a point-like drawing is not blown up endlessly.
    const double inner = size - 2.0;
    const double extent = std::max({box.width(), box.height(), 1e-9});
    const double scale = inner / extent;
    const double cx = (box.minX + box.maxX) / 2.0;
    const double cy = (box.minY + box.maxY) / 2.0;
    const Affine toScreen{scale, 0.0, 0.0, -scale, size / 2.0 - scale * cx, size / 2.0 + scale * cy};

    QPixmap pixmap(size, size);
    pixmap.fill(Qt::transparent);
    QPainter painter(&pixmap);
    painter.setRenderHint(QPainter::Antialiasing);
    RenderOptions options;
    options.background.reset();
    options.colour = qRgb(20, 20, 20);
    render(painter, scene, toScreen, QRect(0, 0, size, size), options);
    painter.end();
    return QIcon(pixmap);
}

} // namespace lumo::view
