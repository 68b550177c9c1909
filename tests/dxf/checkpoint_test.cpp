// Going back to a checkpoint: after any edit (or several), the drawing
// writes exactly the bytes it wrote at the checkpoint, and going forward
// again gives exactly those after the edit; edits made after going back
// leave both checkpoints intact.
#include "dxf/checkpoint.h"
#include "dxf/document.h"
#include "gen_drawing.h"
#include "test_drawings.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <functional>

using namespace lumo::dxf;

namespace {

Entity firstOfType(const Document& d, const std::string& type)
{
    for (const Entity& e : d.modelSpace())
        if (e.typeName() == type)
            return e;
    throw DxfError("no " + type);
}

TEST(Checkpoint, RollingBackGivesTheSameBytes)
{
    struct Case {
        const char* what;
        std::function<void(Document&)> edit;
    } cases[] = {
        {"a reference moved", [](Document& d) {
             auto e = firstOfType(d, "INSERT");
             auto p = e.insertionPoint();
             e.setInsertionPoint({p.x + 12.5, p.y - 3, p.z});
             e.setRotation(33);
         }},
        {"an attribute changed twice", [](Document& d) {
             auto a = firstOfType(d, "INSERT").asBlockReference().attributes().front();
             a.setValue("pierwsza");
             a.setValue("Zażółć");
         }},
        {"entities erased", [](Document& d) {
             const auto all = d.modelSpace();
             d.deleteEntity(all.front());
             d.deleteEntity(all.back());
         }},
        {"a reference copied and its copy changed", [](Document& d) {
             auto copy = d.copyEntity(firstOfType(d, "INSERT"));
             copy.setLayer("NOWA");
         }},
        {"layers, blocks and references added", [](Document& d) {
             d.addLayer("SYGNALIZACJA", 3);
             d.addBlock("GLOWICA");
             d.addBlockReference("GLOWICA", {1, 2, 0}, 1.0, 0.0, "SYGNALIZACJA");
             d.addText("26-15/987/K1", {5, 5, 0}, 2.5);
         }},
        {"a layer switched off and the header changed", [](Document& d) {
             d.layers().front().setOn(false);
             d.setHeaderNumber("$LTSCALE", 40, 2.5);
         }},
    };
    for (const char* version : {"AC1015", "AC1032"}) {
        lumo::gen::CitySection small;
        small.version = version;
        small.entities = 300;
        small.references = 20;
        auto drawing = Document::fromMemory(lumo::gen::generateCitySection(small));
        for (const auto& c : cases) {
            const std::string before = drawing.toString();
            const auto start = Checkpoint(drawing);
            EXPECT_FALSE(ChangedSince(drawing, *start)) << c.what;
            c.edit(drawing);
            EXPECT_TRUE(ChangedSince(drawing, *start)) << c.what;
            const std::string after = drawing.toString();
            ASSERT_NE(after, before) << c.what;
            const auto end = Checkpoint(drawing);

            RollBack(drawing, *start);
            EXPECT_EQ(drawing.toString(), before) << c.what << " (back)";
            RollBack(drawing, *end);
            EXPECT_EQ(drawing.toString(), after) << c.what << " (forward)";
            // An edit after going back touches neither checkpoint.
            RollBack(drawing, *start);
            c.edit(drawing);
            firstOfType(drawing, "LINE").setLayer("INNA");
            RollBack(drawing, *end);
            EXPECT_EQ(drawing.toString(), after) << c.what << " (forward after another edit)";
            RollBack(drawing, *start);
            EXPECT_EQ(drawing.toString(), before) << c.what << " (back after another edit)";
            EXPECT_LT(BytesOf(*start), before.size() / 10) << c.what;
        }
    }
}

// What an edit changed is told, entity by entity, and going back tells the
// same entities again: a window redraws only those.
TEST(Checkpoint, ChangesAreToldAndGoingBackTellsTheSame)
{
    using Numbers = std::vector<std::uint32_t>;
    struct Case {
        const char* what;
        // Edits the drawing; returns the numbers of the entities it changed.
        std::function<Numbers(Document&)> edit;
        bool tables = false, blocks = false;
        std::vector<std::string> header;
    } cases[] = {
        {"a reference moved",
         [](Document& d) {
             auto e = firstOfType(d, "INSERT");
             e.setInsertionPoint({1, 2, 0});
             return Numbers{e.number()};
         }, false, false, {}},
        {"an attribute changed: its reference",
         [](Document& d) {
             auto e = firstOfType(d, "INSERT");
             e.asBlockReference().attributes().back().setValue("Zażółć");
             return Numbers{e.number()};
         }, false, false, {}},
        {"two erased, one copied",
         [](Document& d) {
             const auto all = d.modelSpace();
             d.deleteEntity(all[3]);
             d.deleteEntity(all[1]);
             const auto copy = d.copyEntity(all[2]);
             Numbers out{all[1].number(), all[3].number(), copy.number()};
             std::sort(out.begin(), out.end());
             return out;
         }, false, false, {}},
        {"a layer switched off", [](Document& d) {
             d.layers().front().setOn(false);
             return Numbers{};
         }, true, false, {}},
        {"a block and a reference added", [](Document& d) {
             d.addBlock("GLOWICA");
             return Numbers{d.addBlockReference("GLOWICA", {1, 2, 0}).number()};
         }, true, true, {}},
        {"the header", [](Document& d) {
             d.setHeaderNumber("$LTSCALE", 40, 2.5);
             d.setHeaderText("$CLAYER", 8, "0");
             d.setHeaderNumber("$LTSCALE", 40, 3.5);
             return Numbers{};
         }, false, false, {"$LTSCALE", "$CLAYER"}},
    };
    lumo::gen::CitySection small;
    small.entities = 300;
    small.references = 20;
    for (const auto& c : cases) {
        auto drawing = Document::fromMemory(lumo::gen::generateCitySection(small));
        const auto start = Checkpoint(drawing);
        const auto beforeEdit = drawing.changeMark();
        const Numbers changed = c.edit(drawing);
        const auto told = drawing.changesSince(beforeEdit);
        ASSERT_TRUE(told) << c.what;
        EXPECT_EQ(told->entities, changed) << c.what;
        EXPECT_EQ(told->tables, c.tables) << c.what;
        EXPECT_EQ(told->blocks, c.blocks) << c.what;
        EXPECT_EQ(told->headerVariables, c.header) << c.what;
        EXPECT_TRUE(drawing.changesSince(drawing.changeMark())->entities.empty()) << c.what;

        const auto beforeBack = drawing.changeMark();
        RollBack(drawing, *start);
        const auto back = drawing.changesSince(beforeBack);
        ASSERT_TRUE(back) << c.what;
        EXPECT_EQ(back->entities, changed) << c.what << " (back)";
        EXPECT_EQ(back->tables, c.tables) << c.what << " (back)";
        EXPECT_EQ(back->blocks, c.blocks) << c.what << " (back)";
        EXPECT_EQ(back->headerVariables, c.header) << c.what << " (back)";
        // An entity keeps its number, and is found by it.
        for (const std::uint32_t number : changed)
            EXPECT_EQ(drawing.entityByNumber(number).number(), number) << c.what;
    }
    auto drawing = Document::create();
    EXPECT_FALSE(drawing.changesSince(drawing.changeMark() + 1)) << "a mark the drawing never had";
    EXPECT_THROW(drawing.entityByNumber(1u << 30), DxfError);
}

// Going back over a change of the code page reads and writes the drawing's
// texts in its code page again.
TEST(Checkpoint, GoingBackPutsBackTheCodePage)
{
    auto drawing = Document::create("AC1015");
    drawing.setHeaderText("$DWGCODEPAGE", 3, "ANSI_1250");
    drawing.addText("Zażółć", {0, 0, 0}, 2.5);
    const std::string before = drawing.toString();
    const auto start = Checkpoint(drawing);
    drawing.setHeaderText("$DWGCODEPAGE", 3, "ANSI_1252");
    RollBack(drawing, *start);
    EXPECT_EQ(drawing.codePage(), "ANSI_1250");
    EXPECT_EQ(drawing.modelSpace().front().text(1), "Zażółć");
    EXPECT_EQ(drawing.toString(), before);
    drawing.addText("źdźbło", {0, 5, 0}, 2.5);
    EXPECT_EQ(Document::fromMemory(drawing.toString()).modelSpace().back().text(1), "źdźbło");
}

TEST(Checkpoint, AnotherDrawingsCheckpointIsRefused)
{
    auto one = Document::create();
    auto other = Document::create();
    const auto state = Checkpoint(one);
    EXPECT_THROW(RollBack(other, *state), DxfError);
}

} // namespace
