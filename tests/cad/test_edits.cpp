// The designer's edits in the embedded host: each entity kind lands where a
// turn and a shift take it, copies are entities of their own, and every
// edit is one step that undo takes back, saved to disk as it is made.
#include "cad/embedded/embedded_host.h"
#include "dxf/document.h"

#include <gtest/gtest.h>

#include <cmath>
#include <filesystem>
#include <functional>
#include <optional>

namespace fs = std::filesystem;

namespace lumo::cad::embedded {
namespace {

dxf::NewAttributeDefinition definition(const char* tag, dxf::Point at, int flags)
{
    dxf::NewAttributeDefinition d;
    d.tag = tag;
    d.point = at;
    d.flags = flags;
    return d;
}

using Placement = EmbeddedApplication::Placement;
using EntityPlace = EmbeddedApplication::EntityPlace;

class Edits : public ::testing::Test {
protected:
    void SetUp() override
    {
        folder = fs::temp_directory_path()
            / ("lumo-edits-" + std::to_string(::testing::UnitTest::GetInstance()->random_seed()) + "-"
               + ::testing::UnitTest::GetInstance()->current_test_info()->name());
        fs::remove_all(folder);
        fs::create_directories(folder);
        path = (folder / "plan.dxf").string();
        auto doc = dxf::Document::create("AC1015");
        auto block = doc.addBlock("S-3wp");
        block.addAttributeDefinition(definition("INWENT_NUMER", {}, dxf::kAttInvisible));
        block.addAttributeDefinition(definition("INWENT_DATA", {1, 2, 0}, 0));
        doc.addLayer("112-OPIS_SYGNALIZACJI");
        // 0: a head at (10, 0), 1: a line, 2: a text, 3: a polyline,
        // 4: an arc, 5: a circle seen from below, 6: a hatch.
        auto head = doc.addBlockReference("S-3wp", {10, 0, 0});
        head.attribute("INWENT_NUMER")->setValue("26-15/987/K1");
        doc.addEntity("LINE", "0", {{100, "AcDbLine"}, {10, "0"}, {20, "0"}, {30, "0"}, {11, "10"}, {21, "0"}, {31, "0"}});
        doc.addText("26-15/987/K1", {5, 5, 0}, 2.0);
        doc.addEntity("LWPOLYLINE", "0",
                      {{100, "AcDbPolyline"}, {90, "2"}, {70, "0"}, {10, "1"}, {20, "1"}, {42, "0.5"},
                       {10, "3"}, {20, "1"}});
        doc.addEntity("ARC", "0",
                      {{100, "AcDbCircle"}, {10, "0"}, {20, "0"}, {30, "0"}, {40, "5"}, {100, "AcDbArc"},
                       {50, "0"}, {51, "90"}});
        doc.addEntity("CIRCLE", "0",
                      {{100, "AcDbCircle"}, {10, "-4"}, {20, "2"}, {30, "0"}, {40, "1"}, {210, "0"}, {220, "0"},
                       {230, "-1"}});
        doc.addEntity("HATCH", "0", {{100, "AcDbHatch"}, {10, "0"}, {20, "0"}, {30, "0"}, {2, "SOLID"}});
        doc.save(path);
        EmbeddedHostOptions options;
        options.drawing = path;
        options.report = [this](const std::string&, const std::string& text, MessageIcon) { reports.push_back(text); };
        host = std::make_shared<EmbeddedApplication>(options);
        ASSERT_EQ(host->drawing().modelSpaceCount(), 7u);
    }
    void TearDown() override { fs::remove_all(folder); }

    // The drawing as saved on disk.
    dxf::Document saved() const { return dxf::Document::load(path); }
    static dxf::Entity at(const dxf::Document& doc, std::size_t i) { return doc.modelSpace().at(i); }
    static double x(const dxf::Entity& e, int code = 10) { return e.number(code); }
    static double y(const dxf::Entity& e, int code = 20) { return e.number(code); }

    fs::path folder;
    std::string path;
    std::vector<std::string> reports;
    std::shared_ptr<EmbeddedApplication> host;
};

TEST_F(Edits, EachKindLandsWhereTheTurnAndShiftTakeIt)
{
    // A quarter turn about (0, 0), then 100 along x: (x, y) -> (100 - y, x).
    Placement how;
    how.degrees = 90;
    how.dx = 100;
    std::size_t skipped = 0;
    ASSERT_TRUE(host->transform({0, 1, 2, 3, 4, 5, 6}, how, &skipped));
    EXPECT_EQ(skipped, 1u); // the hatch stays where it is

    const auto doc = saved();
    struct Expect {
        std::size_t entity;
        int code; // x code of the point (y = x + 10)
        double x, y;
    };
    const Expect points[] = {
        {0, 10, 100, 10}, // the head's insertion point
        {1, 10, 100, 0},  {1, 11, 100, 10}, // both ends of the line
        {2, 10, 95, 5}, // the text
        {4, 10, 100, 0}, // the arc's centre
        {6, 10, 0, 0}, // the hatch, untouched
    };
    for (const Expect& e : points) {
        SCOPED_TRACE(testing::Message() << "entity " << e.entity << " code " << e.code);
        EXPECT_NEAR(x(at(doc, e.entity), e.code), e.x, 1e-9);
        EXPECT_NEAR(y(at(doc, e.entity), e.code + 10), e.y, 1e-9);
    }
    // Angles turn with it; the arc keeps its sweep.
    EXPECT_NEAR(at(doc, 0).rotation(), 90, 1e-9);
    EXPECT_NEAR(at(doc, 2).rotation(), 90, 1e-9);
    EXPECT_NEAR(at(doc, 4).number(50), 90, 1e-9);
    EXPECT_NEAR(at(doc, 4).number(51), 180, 1e-9);
    // Every vertex of the polyline moves, its bulge stays.
    std::vector<double> coordinates;
    for (const auto& g : at(doc, 3).groups())
        if (g.code == 10 || g.code == 20 || g.code == 42)
            coordinates.push_back(g.number());
    EXPECT_EQ(coordinates, (std::vector<double>{99, 1, 0.5, 99, 3}));
    // The head's attributes go with it (the second sits at (1, 2) in the block).
    const auto attribute = at(doc, 0).asBlockReference().attribute("INWENT_DATA");
    ASSERT_TRUE(attribute);
    EXPECT_NEAR(attribute->insertionPoint().x, 98, 1e-9);
    EXPECT_NEAR(attribute->insertionPoint().y, 11, 1e-9);
    EXPECT_NEAR(attribute->rotation(), 90, 1e-9);
    // A circle seen from below keeps its own coordinates: x mirrored.
    // World (4, 2) -> (98, 4), its own x = -98.
    EXPECT_NEAR(x(at(doc, 5)), -98, 1e-9);
    EXPECT_NEAR(y(at(doc, 5)), 4, 1e-9);
}

TEST_F(Edits, EveryEditIsOneStepUndoTakesBack)
{
    const std::string original = saved().toString();
    struct Case {
        const char* name;
        std::function<bool()> edit;
        std::size_t count; // model-space entities after the edit
    };
    Placement shift;
    shift.dx = 5;
    shift.dy = -3;
    const Case cases[] = {
        {"erase", [&] { return host->erase({0, 2}); }, 5},
        {"move", [&] { return host->transform({0}, shift); }, 7},
        {"copy", [&] { return host->copy({0, 1}, shift); }, 9},
        {"attributes", [&] { return host->setAttributes(0, {{"INWENT_DATA", "2024.05.17"}, {"BRAK", "x"}}); }, 7},
        {"text", [&] { return host->setText(2, "26-15/987/K2"); }, 7},
        {"layer", [&] { return host->setLayer({1, 2}, "112-OPIS_SYGNALIZACJI"); }, 7},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        ASSERT_TRUE(c.edit());
        EXPECT_EQ(saved().modelSpaceCount(), c.count);
        EXPECT_NE(saved().toString(), original);
        ASSERT_TRUE(host->canUndo());
        ASSERT_TRUE(host->undo());
        EXPECT_EQ(saved().toString(), original);
        EXPECT_FALSE(host->canUndo());
    }
    EXPECT_TRUE(reports.empty());
}

TEST_F(Edits, UndoAndRedoGoBackAndForthByteForByte)
{
    Placement shift;
    shift.dx = 5;
    std::vector<std::string> files{saved().toString()};
    const std::function<bool()> steps[] = {
        [&] { return host->transform({0, 1}, shift); },
        [&] { return host->copy({0}, shift); },
        [&] { return host->setText(2, "26-15/987/K2"); },
        [&] { return host->erase({1, 7}); },
    };
    for (const auto& step : steps) {
        ASSERT_TRUE(step());
        files.push_back(saved().toString());
    }
    for (std::size_t i = files.size() - 1; i > 0; --i) {
        ASSERT_TRUE(host->undo());
        EXPECT_EQ(saved().toString(), files[i - 1]) << "undo to " << i - 1;
    }
    for (std::size_t i = 1; i < files.size(); ++i) {
        ASSERT_TRUE(host->redo());
        EXPECT_EQ(saved().toString(), files[i]) << "redo to " << i;
    }
    // Back two steps, then another edit: the steps undone are gone, those
    // before stay exact.
    ASSERT_TRUE(host->undo());
    ASSERT_TRUE(host->undo());
    ASSERT_TRUE(host->transform({2}, shift));
    EXPECT_FALSE(host->canRedo());
    ASSERT_TRUE(host->undo());
    EXPECT_EQ(saved().toString(), files[2]);
    ASSERT_TRUE(host->undo());
    EXPECT_EQ(saved().toString(), files[1]);
    ASSERT_TRUE(host->redo());
    EXPECT_EQ(saved().toString(), files[2]);
    EXPECT_TRUE(reports.empty());
}

TEST_F(Edits, CopiesAreEntitiesOfTheirOwn)
{
    Placement shift;
    shift.dx = 20;
    ASSERT_TRUE(host->copy({0}, shift));
    const auto doc = saved();
    ASSERT_EQ(doc.modelSpaceCount(), 8u);
    const auto original = at(doc, 0).asBlockReference();
    const auto copy = at(doc, 7).asBlockReference();
    EXPECT_NE(copy.handle(), original.handle());
    EXPECT_NEAR(copy.insertionPoint().x, 30, 1e-9);
    // The copy's attributes belong to it and hold the values.
    ASSERT_EQ(copy.attributes().size(), 2u);
    for (const auto& a : copy.attributes()) {
        EXPECT_EQ(a.ownerHandle(), copy.handle());
        EXPECT_NE(a.handle(), original.attribute(a.tag())->handle());
    }
    EXPECT_EQ(copy.attribute("INWENT_NUMER")->value(), "26-15/987/K1");
    // Found by its handle, as the duplicate check finds heads.
    EXPECT_TRUE(doc.findByHandle(copy.handle()));
}

TEST_F(Edits, APlaceTypedForOneEntityIsWhereItStandsAfter)
{
    // Where each kind stands, in the world: a circle seen from below has
    // its own x mirrored; a hatch cannot be placed.
    struct Where {
        std::size_t entity;
        std::optional<std::pair<double, double>> at;
    };
    for (const Where& w : {Where{0, {{10, 0}}}, Where{1, {{0, 0}}}, Where{3, {{1, 1}}}, Where{5, {{4, 2}}},
                           Where{6, std::nullopt}, Where{99, std::nullopt}}) {
        SCOPED_TRACE(w.entity);
        const auto place = host->placeOf(w.entity);
        ASSERT_EQ(bool(place), bool(w.at));
        if (place) {
            EXPECT_NEAR(place->x, w.at->first, 1e-9);
            EXPECT_NEAR(place->y, w.at->second, 1e-9);
            EXPECT_EQ(place->block, w.entity == 0);
        }
    }

    // The head's second attribute sits at (1, 2) in the block, height 2.5.
    const std::string original = saved().toString();
    struct Case {
        const char* name;
        std::size_t entity;
        std::function<void(EntityPlace&)> change;
        std::function<void(const dxf::Document&)> expect;
    };
    auto attribute = [](const dxf::Document& doc) { return *at(doc, 0).asBlockReference().attribute("INWENT_DATA"); };
    const Case cases[] = {
        {"the head moved: its attributes go along", 0, [](EntityPlace& p) { p.x = 20; },
         [&](const dxf::Document& doc) {
             EXPECT_NEAR(x(at(doc, 0)), 20, 1e-9);
             EXPECT_NEAR(attribute(doc).insertionPoint().x, 21, 1e-9);
             EXPECT_NEAR(attribute(doc).insertionPoint().y, 2, 1e-9);
         }},
        {"the head turned about its own point", 0, [](EntityPlace& p) { p.degrees = 90; },
         [&](const dxf::Document& doc) {
             EXPECT_NEAR(x(at(doc, 0)), 10, 1e-9);
             EXPECT_NEAR(at(doc, 0).rotation(), 90, 1e-9);
             EXPECT_NEAR(attribute(doc).insertionPoint().x, 8, 1e-9);
             EXPECT_NEAR(attribute(doc).insertionPoint().y, 1, 1e-9);
             EXPECT_NEAR(attribute(doc).rotation(), 90, 1e-9);
         }},
        {"the head scaled: its attributes keep their place in it", 0,
         [](EntityPlace& p) {
             p.scaleX = 2;
             p.scaleY = 3;
         },
         [&](const dxf::Document& doc) {
             EXPECT_EQ(at(doc, 0).asBlockReference().scale().x, 2);
             EXPECT_EQ(at(doc, 0).asBlockReference().scale().y, 3);
             EXPECT_NEAR(attribute(doc).insertionPoint().x, 12, 1e-9);
             EXPECT_NEAR(attribute(doc).insertionPoint().y, 6, 1e-9);
             EXPECT_NEAR(attribute(doc).height(), 7.5, 1e-9);
         }},
        {"scaled, turned and moved at once", 0,
         [](EntityPlace& p) {
             p.scaleX = 2;
             p.degrees = 270;
             p.y = -10;
         },
         // (1, 2) -> (2, 2) -> a three-quarter turn -> (2, -2), from (10, -10)
         [&](const dxf::Document& doc) {
             EXPECT_NEAR(attribute(doc).insertionPoint().x, 12, 1e-9);
             EXPECT_NEAR(attribute(doc).insertionPoint().y, -12, 1e-9);
         }},
        {"a line moves as a whole", 1, [](EntityPlace& p) { p.y = 3; },
         [&](const dxf::Document& doc) {
             EXPECT_NEAR(y(at(doc, 1)), 3, 1e-9);
             EXPECT_NEAR(y(at(doc, 1), 21), 3, 1e-9);
             EXPECT_NEAR(x(at(doc, 1), 11), 10, 1e-9);
         }},
        {"a circle seen from below keeps its own x mirrored", 5, [](EntityPlace& p) { p.x = 5; },
         [&](const dxf::Document& doc) { EXPECT_NEAR(x(at(doc, 5)), -5, 1e-9); }},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        auto place = host->placeOf(c.entity);
        ASSERT_TRUE(place);
        c.change(*place);
        ASSERT_TRUE(host->setPlace(c.entity, *place));
        c.expect(saved());
        ASSERT_TRUE(host->undo());
        EXPECT_EQ(saved().toString(), original);
        EXPECT_FALSE(host->canUndo());
    }

    // Nothing that cannot be: a scale of 0, a place it already has.
    auto zero = *host->placeOf(0);
    zero.scaleY = 0;
    EXPECT_FALSE(host->setPlace(0, zero));
    EXPECT_FALSE(host->setPlace(1, *host->placeOf(1)));
    EXPECT_FALSE(host->canUndo());
    EXPECT_TRUE(reports.empty());
}

TEST_F(Edits, NothingHappensWhereNothingCanBeDone)
{
    host->beginRun();
    EXPECT_FALSE(host->erase({0})); // a run is on
    host->endRun();
    EXPECT_FALSE(host->erase({99})); // no such entity
    EXPECT_FALSE(host->transform({0}, {})); // no move at all
    EXPECT_FALSE(host->setText(0, "x")); // not a text
    EXPECT_FALSE(host->setLayer({1}, "NIE-MA-TAKIEJ")); // no such layer
    EXPECT_FALSE(host->setAttributes(0, {{"INWENT_NUMER", "26-15/987/K1"}})); // the same value
    EXPECT_FALSE(host->canUndo());
    EXPECT_FALSE(host->modified());
}

} // namespace
} // namespace lumo::cad::embedded
