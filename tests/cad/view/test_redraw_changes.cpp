// After every change of a drawing (the designer's edits, undo and redo, what
// a run writes), the window draws only the entities that changed, and its
// picture is the one a whole build of the drawing gives: the same items
// under the same entity numbers, and the same pixels.
#include "cad/embedded/embedded_host.h"
#include "cad/embedded/view/renderer.h"
#include "cad/embedded/view/scene_builder.h"
#include "cad/embedded/view/window_input.h"
#include "gen_drawing.h"
#include "hosted_window.h"

#include <QAction>
#include <QImage>
#include <QPainter>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <algorithm>
#include <fstream>
#include <tuple>

namespace lumo::view {
namespace {

namespace ce = cad::embedded;

// What the items draw, in the order they are drawn, whatever their place in
// the scene's storage.
using Drawn = std::tuple<std::uint32_t, int, QRgb, int, bool, std::uint32_t, double, double, double, double, QString>;

std::vector<Drawn> drawnOf(const Scene& scene)
{
    std::vector<Drawn> out;
    for (const Item& item : scene.items()) {
        const QString text = item.kind == ItemKind::Text ? scene.texts()[item.first].text : QString();
        out.emplace_back(item.entity, int(item.kind), item.colour, item.weight, item.curve,
                         item.kind == ItemKind::Text ? 0u : item.count, item.bounds.minX, item.bounds.minY,
                         item.bounds.maxX, item.bounds.maxY, text);
    }
    return out;
}

std::vector<std::tuple<std::uint32_t, double, double, int>> snapsOf(const Scene& scene)
{
    std::vector<std::tuple<std::uint32_t, double, double, int>> out;
    for (const SnapPoint& p : scene.snapPoints())
        out.emplace_back(p.entity, p.at.x, p.at.y, int(p.mark));
    std::sort(out.begin(), out.end());
    return out;
}

class RedrawChanges : public ::testing::TestWithParam<const char*> {
public:
    void SetUp() override
    {
        ASSERT_TRUE(folder.isValid());
        path = folder.filePath(QStringLiteral("odcinek.dxf")).toStdString();
        gen::CitySection small;
        small.version = GetParam();
        small.entities = 600;
        small.references = 40;
        std::ofstream(path, std::ios::binary) << gen::generateCitySection(small);
        designer = std::make_unique<DesignerWindow>(path);
        host = designer->host;
        window = designer->window;
        ASSERT_TRUE(designer->active());
        window->view()->zoomExtents();
    }

    // The window's picture against a whole build of the drawing as it is.
    void expectDrawnAsWhole(const std::string& step)
    {
        SCOPED_TRACE(step);
        QCoreApplication::processEvents();
        QCoreApplication::processEvents();
        const Scene* shown = window->view()->scene();
        ASSERT_TRUE(shown);
        Scene whole;
        SceneBuilder builder(host->drawing());
        ASSERT_TRUE(builder.buildModelSpace(whole));
        EXPECT_EQ(window->sceneKeys(), host->drawing().modelSpaceKeys());
        EXPECT_EQ(drawnOf(*shown), drawnOf(whole));
        EXPECT_EQ(snapsOf(*shown), snapsOf(whole));
        EXPECT_EQ(shown->extents().minX, whole.extents().minX);
        EXPECT_EQ(shown->extents().maxY, whole.extents().maxY);

        QImage expected(window->view()->size(), QImage::Format_RGB32);
        QPainter painter(&expected);
        render(painter, whole, window->view()->toScreen(), expected.rect());
        painter.end();
        EXPECT_TRUE(window->view()->renderImage() == expected);
    }

    QTemporaryDir folder;
    std::string path;
    std::unique_ptr<DesignerWindow> designer;
    std::shared_ptr<ce::EmbeddedApplication> host;
    MainWindow* window = nullptr;
};

TEST_P(RedrawChanges, ThePictureIsTheWholeDrawingsAfterEveryChange)
{
    const std::size_t count = host->drawing().modelSpaceCount();
    ASSERT_GT(count, 100u);
    // Entities of every kind the generator writes, references among them.
    std::vector<std::size_t> some;
    for (std::size_t i = 5; i < count; i += 37)
        some.push_back(i);
    // The first block reference where it stands now.
    const auto reference = [&] {
        std::size_t found = 0;
        host->drawing().forEachModelSpace(0, [&](std::size_t i, const ce::DrawingEntity& e) {
            found = i;
            return e.type() != "INSERT";
        });
        return found;
    };
    ce::EmbeddedApplication::EntityPlace turned;
    turned.x = 12;
    turned.y = 34;
    turned.degrees = 30;
    turned.block = true;

    struct Step {
        const char* name;
        std::function<bool()> act;
    };
    const Step steps[] = {
        {"a move", [&] { return host->transform(some, {250.0, -40.0}); }},
        {"a turn", [&] { return host->transform({some[1], some[2]}, {0, 0, 100, 100, 45}); }},
        {"entities erased, the later ones renumbered", [&] { return host->erase({some[0], some[3]}); }},
        {"copies", [&] { return host->copy({some[4], reference()}, {-80.0, 15.0}); }},
        {"a reference's attributes", [&] { return host->setAttributes(reference(), {{"ATR1", "Zażółć 1"}}); }},
        {"a reference placed anew", [&] { return host->setPlace(reference(), turned); }},
        {"undo", [&] { return window->undoAction()->isEnabled() && (window->undoAction()->trigger(), true); }},
        {"undo again (the erase comes back)",
         [&] {
             for (int i = 0; i < 3; ++i)
                 window->undoAction()->trigger();
             return true;
         }},
        {"redo", [&] { return window->redoAction()->isEnabled() && (window->redoAction()->trigger(), true); }},
        {"the first entity erased", [&] { return host->erase({0}); }},
        {"the last entity erased", [&] { return host->erase({host->drawing().modelSpaceCount() - 1}); }},
    };
    expectDrawnAsWhole("opened");
    for (const Step& step : steps) {
        ASSERT_TRUE(step.act()) << step.name;
        window->refresh();
        expectDrawnAsWhole(step.name);
    }
}

INSTANTIATE_TEST_SUITE_P(Versions, RedrawChanges, ::testing::Values("AC1015", "AC1032"));

} // namespace
} // namespace lumo::view
