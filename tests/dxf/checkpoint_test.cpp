// Going back to a checkpoint: after any edit (or several), the drawing
// writes exactly the bytes it wrote at the checkpoint, and going forward
// again gives exactly those after the edit; edits made after going back
// leave both checkpoints intact.
#include "dxf/checkpoint.h"
#include "dxf/document.h"
#include "gen_drawing.h"
#include "test_drawings.h"

#include <gtest/gtest.h>

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

TEST(Checkpoint, AnotherDrawingsCheckpointIsRefused)
{
    auto one = Document::create();
    auto other = Document::create();
    const auto state = Checkpoint(one);
    EXPECT_THROW(RollBack(other, *state), DxfError);
}

} // namespace
