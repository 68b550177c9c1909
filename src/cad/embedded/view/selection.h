// Which model-space entities the designer points at: the one under the
// cursor, or those a window holds (left to right: lying wholly inside) or
// touches (right to left: crossing it). A block reference is picked as a
// whole, as all its items carry its index. Only what the picture shows can
// be picked (not what lies on hidden layers).
#pragma once

#include "cad/embedded/view/scene.h"

#include <QString>

#include <cstdint>
#include <memory>
#include <optional>
#include <vector>

namespace lumo::view {

class Picker {
public:
    explicit Picker(const Scene& scene);

    // The entity nearest the point within the aperture (drawing units);
    // a text or a filled area is hit anywhere inside.
    std::optional<std::uint32_t> at(Vec2 p, double aperture) const;
    // The entities in the window, in ascending order.
    std::vector<std::uint32_t> inWindow(const Box& window, bool crossing) const;

private:
    const Scene& scene_;
    std::vector<std::uint32_t> itemCount_; // items of each entity
};

// A window dragged from `from` to `to` takes what it crosses when drawn
// from right to left.
inline bool isCrossingWindow(Vec2 from, Vec2 to)
{
    return to.x < from.x;
}

// The items of the chosen entities, placed by `place` (a copy that follows
// the cursor, or the selection's highlight). selected is indexed by entity.
std::shared_ptr<Scene> SceneOf(const Scene& scene, const std::vector<bool>& selected,
                               const Affine& place = {});

// "1 obiekt", "3 obiekty", "5 obiektów", "12 obiektów", "22 obiekty".
QString ObjectCount(std::size_t count);

} // namespace lumo::view
