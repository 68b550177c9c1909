// The embedded host's command line played step by step: what it asks, what
// it shows in LASTPROMPT, and what it finally inserts.
#include "cad/embedded/command_line.h"

#include <gtest/gtest.h>

#include <cmath>
#include <numbers>

namespace lumo::cad::embedded {
namespace {

constexpr double kPi = std::numbers::pi;
constexpr const char* kPointPrompt = "Specify insertion point or [Basepoint/Scale/X/Y/Z/Rotate]:";
constexpr const char* kAnglePrompt = "Specify rotation angle <0>:";

class CommandLineTest : public ::testing::Test {
protected:
    CommandLineTest()
        : line(CommandLine::Target{[](const std::string& name) -> std::optional<std::string> {
                                       if (name == "S-3lp" || name == "s-3lp" || name == "S-3LP")
                                           return std::string("S-3lp");
                                       if (name == "sygnprzycisk")
                                           return name;
                                       return std::nullopt;
                                   },
                                   [this](const InsertPlacement& p) { placed.push_back(p); }})
    {
    }
    CommandLine line;
    QueuedInputSource designer;
    std::vector<InsertPlacement> placed;
};

// The prompts on the way are the embedded host's test; here the rubber band:
// the rotation and the description point after it run from the head.
TEST_F(CommandLineTest, InsertWithScaleThenTheRubberBandRunsFromTheHead)
{
    line.send("_-insert\rS-3lp\rS\r5\r");
    line.advance(designer); // nothing yet
    EXPECT_TRUE(line.isWaiting());
    EXPECT_EQ(designer.lastRequest()->kind, InputRequest::Kind::Point);

    designer.push(InputAnswer::pointAt(10, 20));
    line.advance(designer);
    line.advance(designer);
    EXPECT_EQ(designer.lastRequest()->kind, InputRequest::Kind::Angle);
    EXPECT_EQ(designer.lastRequest()->basePoint, (Point3{10, 20, 0}));
    EXPECT_TRUE(placed.empty());

    designer.push(InputAnswer::angle(45));
    line.advance(designer);
    EXPECT_FALSE(line.isWaiting());
    EXPECT_EQ(line.lastPrompt(), std::string(kAnglePrompt) + " 45");
    ASSERT_EQ(placed.size(), 1u);
    EXPECT_EQ(placed[0].blockName, "S-3lp");
    EXPECT_EQ(placed[0].scale, (Point3{5, 5, 5}));
    EXPECT_NEAR(placed[0].rotation, kPi / 4, 1e-12);

    designer.push(InputAnswer::pointAt(30, 40));
    EXPECT_EQ(line.getPoint(designer, "Wskaż położenie opisu ..."), (Point3{30, 40, 0}));
    EXPECT_EQ(designer.lastRequest()->basePoint, (Point3{10, 20, 0}));
}

TEST_F(CommandLineTest, RotationFromAPickedPointOrTheDefault)
{
    struct Case {
        InputAnswer answer;
        double rotation;
    } cases[] = {
        {InputAnswer::pointAt(10, 30), kPi / 2},
        {InputAnswer::pointAt(0, 20), kPi},
        {InputAnswer::accept(), 0.0},
    };
    for (const auto& c : cases) {
        placed.clear();
        line.send("_-insert\rS-3LP\rS\r2.5\r");
        designer.push(InputAnswer::pointAt(10, 20));
        designer.push(c.answer);
        line.advance(designer);
        ASSERT_EQ(placed.size(), 1u);
        EXPECT_NEAR(placed[0].rotation, c.rotation, 1e-12);
    }
}

TEST_F(CommandLineTest, TextsThatAreNoInsertChangeNothing)
{
    struct Case {
        const char* text;
        const char* prompt;
    } cases[] = {
        {"_line\r", "Unknown command \"_LINE\".  Press F1 for help."},
        {"_-insert\rS-9\rS\r5\r", "Unknown command \"5\".  Press F1 for help."},
        {"_-insert\rS-9\r", "Block \"S-9\" not found."},
        {"_-insert", ""}, // never entered
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.text);
        CommandLine fresh(CommandLine::Target{[](const std::string&) { return std::nullopt; },
                                              [this](const InsertPlacement& p) { placed.push_back(p); }});
        fresh.send(c.text);
        EXPECT_FALSE(fresh.isWaiting());
        EXPECT_EQ(fresh.lastPrompt(), c.prompt);
    }
    EXPECT_TRUE(placed.empty());
}

TEST_F(CommandLineTest, TypedPointAndBadValuesAtThePrompts)
{
    line.send("_-insert\rS-3lp\rS\rabc\r");
    EXPECT_EQ(line.lastPrompt(), "Requires numeric value.");
    line.send("_-insert\rS-3lp\rS\r0\r");
    EXPECT_EQ(line.lastPrompt(), "Value must be nonzero.");
    line.send("_-insert\rS-3lp\rR\r30\r3,4\r");
    EXPECT_FALSE(line.isWaiting());
    ASSERT_EQ(placed.size(), 1u);
    EXPECT_EQ(placed[0].point, (Point3{3, 4, 0}));
    EXPECT_EQ(placed[0].scale, (Point3{1, 1, 1}));
    EXPECT_EQ(line.lastPrompt(), std::string(kPointPrompt) + " 3,4");
}

TEST(ReadAngle, TypedAnglesInTheDrawingsUnitsAndDirection)
{
    const double quarter = kPi / 2;
    struct Case {
        const char* text;
        AngleUnits units;
        std::optional<double> degrees; // counter-clockwise from the X axis
    } cases[] = {
        {"90.0000000000001", {}, 90.0000000000001},
        {"100", {2, false, 0}, 90}, // grads
        {"1.5707963267949", {3, false, 0}, 90}, // radians
        {"45d30'36\"", {1, false, 0}, 45.51},
        {"-45d30'", {0, false, 0}, -45.5},
        {"45d30", {1, false, 0}, std::nullopt},
        {"100g", {0, false, 0}, 90}, // a suffix names the units outright
        {"3.14159265358979r", {2, false, 0}, 180},
        {"30", {0, true, 0}, -30}, // clockwise
        {"30", {0, false, quarter}, 120}, // angle 0 points up
        {"30", {0, true, quarter}, 60},
        {"N45dE", {4, false, 0}, 45},
        {"S30dW", {4, true, quarter}, 240}, // a bearing ignores base and direction
        {"W", {4, false, 0}, 180},
        {"N45dE", {0, false, 0}, std::nullopt},
        {"abc", {}, std::nullopt},
        {"", {}, std::nullopt},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.text);
        const auto degrees = ReadAngle(c.text, c.units);
        ASSERT_EQ(degrees.has_value(), c.degrees.has_value());
        if (degrees) {
            EXPECT_NEAR(*degrees, *c.degrees, 1e-9);
        }
    }
}

TEST_F(CommandLineTest, PresetRotationAndTheDefaultFollowTheDrawingsAngleUnits)
{
    line.setAngleUnits({2, true, kPi}); // grads, clockwise, angle 0 pointing left
    line.send("_-insert\rS-3lp\r_R\r100\r1,1\r");
    line.send("_-insert\rS-3lp\r1,1\r\r");
    ASSERT_EQ(placed.size(), 2u);
    EXPECT_NEAR(placed[0].rotation, kPi / 2, 1e-12);
    EXPECT_NEAR(placed[1].rotation, kPi, 1e-12);
}

// Answer and cancel are the host contract's; here what only the line sees.
TEST_F(CommandLineTest, GetPointAsksAgainForAPointAndFailsWhileACommandWaits)
{
    designer.push(InputAnswer::angle(10)); // not a point: asked again
    designer.push(InputAnswer::pointAt(7, 8));
    EXPECT_EQ(line.getPoint(designer, "Wskaż położenie opisu ..."), (Point3{7, 8, 0}));
    EXPECT_EQ(line.lastPrompt(), "Wskaż położenie opisu ... 7,8");

    line.send("_-insert\rS-3lp\rS\r5\r");
    EXPECT_THROW(line.getPoint(designer, "Wskaż ..."), HostError);
}

TEST(InputScript, ReadsTheThreeInputsAndRefusesAnythingElse)
{
    const auto answers = ScriptedInputSource::parse(
        "\xEF\xBB\xBF# placing S-1\n\npoint 10 20.5\nANGLE -90\n  cancel  \r\npoint -1e3 +2\n");
    ASSERT_EQ(answers.size(), 4u);
    EXPECT_EQ(answers[0], InputAnswer::pointAt(10, 20.5));
    EXPECT_EQ(answers[1], InputAnswer::angle(-90));
    EXPECT_EQ(answers[2], InputAnswer::cancel());
    EXPECT_EQ(answers[3], InputAnswer::pointAt(-1000, 2));

    for (const char* bad : {"point 1", "point 1,5 2", "angle", "angle x", "cancel now", "click 1 2"}) {
        SCOPED_TRACE(bad);
        try {
            ScriptedInputSource::parse(std::string("# ok\n") + bad + "\n");
            ADD_FAILURE() << "accepted";
        } catch (const HostError& e) {
            EXPECT_NE(std::string(e.what()).find("line 2"), std::string::npos) << e.what();
        }
    }
}

} // namespace
} // namespace lumo::cad::embedded
