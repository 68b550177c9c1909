// Object snaps: the exact drawing point a click near an object means. The
// search looks only at what lies within the aperture around the cursor (the
// scene's grid for outlines, a grid of its own for centres and insertion
// points), so its cost follows what is near the cursor, not the drawing.
#pragma once

#include "cad/embedded/view/scene.h"

#include <QString>

#include <optional>
#include <vector>

namespace lumo::view {

enum class SnapKind : std::uint8_t { Endpoint, Insertion, Centre, Intersection, Midpoint, Nearest };

struct Snap {
    Vec2 at;
    SnapKind kind = SnapKind::Nearest;
};

// The name the tool tip shows.
QString snapName(SnapKind kind);

class SnapFinder {
public:
    explicit SnapFinder(const Scene& scene);

    // The snap nearest to the cursor within the aperture (drawing units);
    // a point snap (end, centre, ...) wins over the nearest point of a line.
    std::optional<Snap> find(Vec2 cursor, double aperture) const;

private:
    const Scene& scene_;
    // The scene's snap points grouped by grid cell.
    std::vector<SnapPoint> points_;
    std::vector<std::uint32_t> cellStart_; // nx * ny + 1 offsets into points_
    Box bounds_;
    int nx_ = 0, ny_ = 0;
    double sx_ = 0.0, sy_ = 0.0;
};

} // namespace lumo::view
