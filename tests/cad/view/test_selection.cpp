// Picking entities of the picture: by a click, by a window inside or
// crossing, a block reference as a whole; and the count in Polish words.
#include "cad/embedded/view/selection.h"

#include <gtest/gtest.h>

namespace lumo::view {
namespace {

// 0: a line (0,0)-(10,0); 1: a "block" of two lines far apart, (20,0)-(22,0)
// and (20,10)-(22,10); 2: a filled square (30..34, 0..4); 3: a text at
// (40, 0); 4: a point at (50, 5). Many more items far away make the scene
// use its grid.
Scene makeScene()
{
    Scene s;
    s.setEntity(0);
    s.addPath({{0, 0}, {10, 0}}, false, 1);
    s.setEntity(1);
    s.addPath({{20, 0}, {22, 0}}, false, 1);
    s.addPath({{20, 10}, {22, 10}}, false, 1);
    s.setEntity(2);
    s.addFilled({{30, 0}, {34, 0}, {34, 4}, {30, 4}}, 1);
    s.setEntity(3);
    TextItem t;
    t.text = QStringLiteral("K1");
    t.at = {40, 0};
    t.height = 2.0;
    s.addText(t, 1);
    s.setEntity(4);
    s.addPoint({50, 5}, 1);
    for (std::uint32_t i = 0; i < 400; ++i) {
        s.setEntity(5 + i);
        s.addPath({{1000.0 + i, 1000}, {1000.5 + i, 1001}}, false, 1);
    }
    s.setEntity(kNoEntity);
    s.addPath({{60, 0}, {61, 0}}, false, 1); // drawn for no entity: never picked
    s.finish();
    return s;
}

TEST(Picker, AClickPicksWhatLiesUnderIt)
{
    const Scene scene = makeScene();
    const Picker picker(scene);
    struct Case {
        const char* name;
        Vec2 at;
        std::optional<std::uint32_t> expected;
    };
    const Case cases[] = {
        {"on the line", {5, 0.3}, 0},
        {"beyond the line's end", {11, 0}, std::nullopt},
        {"one line of a block picks the block", {21, 10.2}, 1},
        {"inside a fill", {32, 2}, 2},
        {"inside a text", {41, 1}, 3},
        {"on a point", {50.2, 5}, 4},
        {"in empty space", {26, 5}, std::nullopt},
        {"an item of no entity", {60.5, 0}, std::nullopt},
        {"the nearer of two", {10.4, 0}, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(picker.at(c.at, 0.5), c.expected);
    }
}

TEST(Picker, AWindowTakesWhatLiesInsideOrWhatItCrosses)
{
    const Scene scene = makeScene();
    const Picker picker(scene);
    struct Case {
        const char* name;
        Box window;
        bool crossing;
        std::vector<std::uint32_t> expected;
    };
    const Case cases[] = {
        {"inside: the whole line", {-1, -1, 11, 1}, false, {0}},
        {"inside: half the block is not the block", {19, -1, 23, 1}, false, {}},
        {"inside: the whole block", {19, -1, 23, 11}, false, {1}},
        {"crossing: half the block is the block", {19, -1, 23, 1}, true, {1}},
        {"crossing: the middle of a line", {4, -1, 6, 1}, true, {0}},
        {"crossing: beside the block's lines, between them", {19, 4, 23, 6}, true, {}},
        {"crossing: inside the fill", {31, 1, 32, 2}, true, {2}},
        {"inside: several", {-1, -1, 51, 11}, false, {0, 1, 2, 3, 4}},
        {"inside: the many far away", {999, 999, 1500, 1002}, false, {}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        auto got = picker.inWindow(c.window, c.crossing);
        if (std::string(c.name) == "inside: the many far away") {
            EXPECT_EQ(got.size(), 400u);
            continue;
        }
        EXPECT_EQ(got, c.expected);
    }
    EXPECT_TRUE(isCrossingWindow({10, 0}, {5, 3}));
    EXPECT_FALSE(isCrossingWindow({5, 0}, {10, 3}));
}

TEST(Picker, TheSelectionsPictureFollowsThePlacement)
{
    const Scene scene = makeScene();
    std::vector<bool> chosen(6, false);
    chosen[1] = chosen[3] = true;
    const auto moved = SceneOf(scene, chosen, Affine::translation(-20, 0));
    // The block's two lines and the text, nothing else, shifted.
    ASSERT_EQ(moved->items().size(), 3u);
    EXPECT_EQ(moved->texts().size(), 1u);
    EXPECT_DOUBLE_EQ(moved->texts()[0].at.x, 20);
    EXPECT_DOUBLE_EQ(moved->extents().minX, 0);
}

TEST(ObjectCount, PolishPluralForms)
{
    const std::pair<std::size_t, const char*> cases[] = {
        {1, "1 obiekt"},       {2, "2 obiekty"},     {4, "4 obiekty"},     {5, "5 obiektów"},
        {11, "11 obiektów"},   {12, "12 obiektów"},  {14, "14 obiektów"},  {21, "21 obiektów"},
        {22, "22 obiekty"},    {112, "112 obiektów"}, {124, "124 obiekty"}, {0, "0 obiektów"},
    };
    for (const auto& [count, text] : cases)
        EXPECT_EQ(ObjectCount(count), QString::fromUtf8(text)) << count;
}

} // namespace
} // namespace lumo::view
