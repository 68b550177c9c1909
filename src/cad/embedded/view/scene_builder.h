// Turns a drawing's model space into a Scene: what real drawings hold
// (lines, polylines with bulges, circles, arcs, ellipses, splines, points,
// solids, texts, multi-line texts, hatches as outlines, nested block
// references with their attributes), coloured by entity and layer, without
// what lies on frozen or switched-off layers.
//
// Any drawing the engine reads gives a picture in bounded time and memory:
// entities with numbers no drawing means (not finite, or beyond kFarAway)
// are left out, and block references stop being drawn when what they bring
// outgrows the budget. The report says what was left out.
#pragma once

#include "cad/embedded/view/scene.h"
#include "cad/embedded/view/scene_text.h"
#include "cad/embedded/drawing_reader.h"

#include <QString>

#include <cstddef>
#include <functional>
#include <memory>
#include <string_view>
#include <vector>

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

    // Called now and then with (entities done, entities in all), also
    // while a single reference's blocks are drawn; returning false stops
    // the build.
    using Progress = std::function<bool(std::size_t, std::size_t)>;

    // What block references may bring into one picture: a drawing of a few
    // kilobytes can nest blocks into thousands of millions of entities.
    struct Budget {
        std::size_t blockEntities = 2'000'000; // entities drawn from blocks
        std::size_t bytes = std::size_t(256) << 20; // the picture's memory they take
    };
    void setBudget(const Budget& budget);

    // What the last build left out.
    struct Report {
        std::size_t broken = 0; // entities with numbers no drawing means
        std::size_t cut = 0; // references whose blocks the budget left (partly) undrawn
        bool stopped = false; // progress asked to stop
    };
    const Report& report() const;
    // The report in words for the window's message line ("" when all is drawn).
    QString warning() const;

    // The whole model space; false when stopped by progress (the scene
    // then holds what was built, finished).
    bool buildModelSpace(Scene& scene, const Progress& progress = {});
    // Model-space entities drawn anew after a change, added to a scene that
    // holds the others (see Scene::renumberEntities): each by its index in
    // model space and its key (DrawingReader::modelSpaceKeys). Finishes the
    // scene.
    struct EntityAt {
        std::size_t index = 0;
        std::uint32_t key = 0;
    };
    void addEntities(Scene& scene, const std::vector<EntityAt>& entities);
    // A change that no redraw of single entities shows (layers, blocks,
    // the default line weight, the code page): all is drawn anew.
    static bool changesEverything(const cad::embedded::DrawingChanges& changes);
    // A block as it would be inserted at the origin with this scale and no
    // rotation (the rubber band); false when the drawing has no such block.
    bool buildBlock(Scene& scene, std::string_view name, double scale);

private:
    struct Impl;
    std::unique_ptr<Impl> d_;
};

} // namespace lumo::view
