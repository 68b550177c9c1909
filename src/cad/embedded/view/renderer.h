// Draws a Scene with a QPainter. Detail smaller than a pixel is merged or
// skipped and only what meets the target rectangle is visited, so the cost of
// a redraw follows what can be seen, not the size of the drawing.
#pragma once

#include "cad/embedded/view/scene.h"

#include <QColor>
#include <QRect>

#include <cstddef>
#include <functional>
#include <optional>

class QPainter;

namespace lumo::view {

struct RenderOptions {
    // Filled first when set (the view's own background).
    std::optional<QColor> background = QColor(33, 40, 48);
    // Draws everything in this colour (the rubber-band block) when set.
    std::optional<QRgb> colour;
    // On paper lines are as wide as their weight: device units to the
    // millimetre (0: every line one pixel wide, as on the screen).
    double weightScale = 0.0;
    // White lines and texts (the screen's default colour) come out black.
    bool paper = false;
    // Told (items done, items in all) now and then; false stops the drawing.
    std::function<bool(std::size_t, std::size_t)> progress;
};

// toScreen maps drawing coordinates to the painter's device pixels; target is
// the part of the device to draw.
void render(QPainter& painter, const Scene& scene, const Affine& toScreen, const QRect& target,
            const RenderOptions& options = {});

} // namespace lumo::view
