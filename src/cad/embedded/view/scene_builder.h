// Turns a drawing's model space into a Scene: what real drawings hold
// (lines, polylines with bulges, circles, arcs, ellipses, splines, points,
// solids, texts, multi-line texts, hatches as outlines, nested block
// references with their attributes), coloured by entity and layer, without
// what lies on frozen or switched-off layers.
#pragma once

#include "cad/embedded/view/scene.h"
#include "cad/embedded/view/scene_text.h"
#include "cad/embedded/drawing_reader.h"

#include <functional>
#include <memory>
#include <string_view>

namespace lumo::view {

class SceneBuilder {
public:
    explicit SceneBuilder(cad::embedded::DrawingReader drawing);
    ~SceneBuilder();
    SceneBuilder(const SceneBuilder&) = delete;
    SceneBuilder& operator=(const SceneBuilder&) = delete;

    // Draws a layer as if it were switched on or off and frozen or not,
    // whatever the drawing says (the window's layer switches).
    void setLayerState(std::string_view name, bool on, bool frozen);

    // Called now and then with (entities done, entities in all); returning
    // false stops the build.
    using Progress = std::function<bool(std::size_t, std::size_t)>;

    // The whole model space; false when stopped by progress. Finishes the scene.
    bool buildModelSpace(Scene& scene, const Progress& progress = {});
    // Model-space entities from index `first` on, added to a scene that holds
    // the ones before (a command appended them). Finishes the scene.
    void appendModelSpace(Scene& scene, std::size_t first);
    // A block as it would be inserted at the origin with this scale and no
    // rotation (the rubber band); false when the drawing has no such block.
    bool buildBlock(Scene& scene, std::string_view name, double scale);

private:
    struct Impl;
    std::unique_ptr<Impl> d_;
};

} // namespace lumo::view
