// Object snaps and ortho: the finder on curves (bulged polylines as arcs,
// splines as curves), block references and dense crossings; then in the
// drawing window, on the demo intersection: a click a few pixels off a
// kerb's end, a crossing or an arc's centre picks that point exactly; F3
// turns snaps off (the raw point), F8 turns the rotation in right angles.
#include "cad/embedded/drawing_reader.h"
#include "cad/embedded/view/main_window.h"
#include "cad/embedded/view/scene_builder.h"
#include "cad/embedded/view/snap.h"
#include "demo_suite.h"
#include "dxf/document.h"
#include "hosted_window.h"

#include <QLabel>
#include <QTemporaryDir>
#include <QTest>

#include <gtest/gtest.h>

#include <cmath>
#include <string>

namespace lumo::view {
namespace {

using Groups = std::vector<std::pair<int, std::string>>;

// Where the test curves go: drawn in units of `unit` from (x, y).
struct Place {
    double x = 0, y = 0, unit = 1;
    std::string X(double v) const { return std::to_string(x + v * unit); }
    std::string Y(double v) const { return std::to_string(y + v * unit); }
};

// A half circle bulged out to the right from (10, 0) to (10, 10), between
// two straight runs: (0, 0) - (10, 0) ) (10, 10) - (0, 10).
Groups kerb(const Place& p)
{
    return {{100, "AcDbPolyline"}, {90, "4"}, {70, "0"}, {10, p.X(0)},  {20, p.Y(0)},  {10, p.X(10)}, {20, p.Y(0)},
            {42, "1"}, {10, p.X(10)}, {20, p.Y(10)}, {10, p.X(0)},  {20, p.Y(10)}};
}

// A cubic from (20, 0) to (35, 0), bending up then down.
Groups wave(const Place& p)
{
    Groups g{{100, "AcDbSpline"}, {70, "8"}, {71, "3"}, {72, "8"}, {73, "4"}};
    for (const char* k : {"0", "0", "0", "0", "1", "1", "1", "1"})
        g.push_back({40, k});
    for (const auto& [cx, cy] : {std::pair{20.0, 0.0}, {25.0, 10.0}, {30.0, -10.0}, {35.0, 0.0}}) {
        g.push_back({10, p.X(cx)});
        g.push_back({20, p.Y(cy)});
        g.push_back({30, "0"});
    }
    return g;
}

// The curves, a line across the arc at x = 12 and an empty block's
// reference at (50, 0).
void addCurves(dxf::Document& drawing, const Place& p)
{
    drawing.addEntity("LWPOLYLINE", "0", kerb(p));
    drawing.addEntity("SPLINE", "0", wave(p));
    drawing.addEntity("LINE", "0",
                      {{100, "AcDbLine"}, {10, p.X(12)}, {20, p.Y(-5)}, {30, "0"}, {11, p.X(12)}, {21, p.Y(15)}, {31, "0"}});
    drawing.addBlock("PUSTY");
    drawing.addBlockReference("PUSTY", {p.x + 50 * p.unit, p.y, 0});
}

const double kRoot21 = std::sqrt(21.0);

TEST(SnapFinder, FindsPointsOnCurvesNotOnTheirChords)
{
    auto drawing = dxf::Document::create("AC1015");
    addCurves(drawing, {});
    // A dense mesh: 250 lines each way, 4 thousandths apart.
    for (int i = 0; i < 250; ++i) {
        const std::string at = std::to_string(100 + i * 0.004);
        drawing.addEntity("LINE", "0", {{10, at}, {20, "99"}, {30, "0"}, {11, at}, {21, "101"}, {31, "0"}});
        drawing.addEntity("LINE", "0", {{10, "99"}, {20, at}, {30, "0"}, {11, "101"}, {21, at}, {31, "0"}});
    }
    Scene scene;
    SceneBuilder(cad::embedded::DrawingReader::Borrowed(drawing)).buildModelSpace(scene);
    const SnapFinder finder(scene);

    // On the arc between two of the vertices it is drawn with (every 5
    // degrees), where its chord lies farthest off it; and at one of them.
    const double between = 47.5 * 3.14159265358979323846 / 180, at = 3.14159265358979323846 / 6;
    struct Case {
        const char* what;
        Vec2 cursor;
        double aperture;
        SnapKind kind;
        Vec2 at;
    } cases[] = {
        {"polyline vertex where the arc begins", {10.3, -0.2}, 0.5, SnapKind::Endpoint, {10, 0}},
        {"middle of the bulge's arc", {15.2, 5.3}, 0.5, SnapKind::Midpoint, {15, 5}},
        {"centre of the bulge's arc", {10.3, 5.2}, 0.5, SnapKind::Centre, {10, 5}},
        {"on the arc, not on a chord", {10 + 5.3 * std::cos(between), 5 + 5.3 * std::sin(between)}, 0.5,
         SnapKind::Nearest, {10 + 5 * std::cos(between), 5 + 5 * std::sin(between)}},
        {"through a vertex the arc is drawn with", {10 + 5.1 * std::cos(at), 5 + 5.1 * std::sin(at)}, 0.3,
         SnapKind::Nearest, {10 + 5 * std::cos(at), 5 + 5 * std::sin(at)}},
        {"line crossing the arc", {12.2, 9.4}, 0.5, SnapKind::Intersection, {12, 5 + kRoot21}},
        {"middle of a straight run", {5.1, 10.2}, 0.5, SnapKind::Midpoint, {5, 10}},
        {"first end of the spline", {20.2, 0.3}, 0.5, SnapKind::Endpoint, {20, 0}},
        {"last end of the spline", {34.8, -0.2}, 0.5, SnapKind::Endpoint, {35, 0}},
        // Half way the cubic passes (27.5, 0), a vertex it is drawn with.
        {"inside the spline", {27.5, 0}, 0.2, SnapKind::Nearest, {27.5, 0}},
        {"block reference", {50.3, 0.1}, 0.5, SnapKind::Insertion, {50, 0}},
        {"crossing among 500 lines", {100.3011, 100.3013}, 0.5, SnapKind::Intersection, {100.3, 100.3}},
    };
    for (const auto& c : cases) {
        const auto snap = finder.find(c.cursor, c.aperture);
        ASSERT_TRUE(snap) << c.what;
        EXPECT_EQ(snapName(snap->kind), snapName(c.kind)) << c.what;
        EXPECT_NEAR(snap->at.x, c.at.x, 1e-6) << c.what;
        EXPECT_NEAR(snap->at.y, c.at.y, 1e-6) << c.what;
    }
}

class Snaps : public ::testing::Test {
protected:
    static void SetUpTestSuite()
    {
        folder = new QTemporaryDir;
        demo::MakeDemoSuite(folder->path());
        // A construction line across Kwiatowa (the east arm) at x = 27 m.
        auto drawing = dxf::Document::load((folder->path() + u'/' + demo::kDemoDrawing).toStdString());
        drawing.addEntity(
            "LINE", "0", {{10, "27000"}, {20, "-20000"}, {30, "0"}, {11, "27000"}, {21, "20000"}, {31, "0"}});
        // Curves well east of the intersection, in metres.
        addCurves(drawing, {kCurvesX, 0, 1000});
        path = folder->filePath(QStringLiteral("snaps.dxf"));
        drawing.save(path.toStdString());
    }
    static void TearDownTestSuite() { delete folder; }

    void SetUp() override
    {
        window.show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(&window));
        ASSERT_TRUE(window.openDrawing(path));
        // 1 pixel = 100 mm: neighbouring kerb, lane and footway lines are 35 pixels apart.
        window.view()->setView({27000, 3500}, 0.01);
    }

    // The point answered to a click `offset` pixels away from `near`; the
    // snap the view showed as the mouse came there into `shown`.
    Vec2 clickNear(Vec2 near, QPoint offset, std::optional<Snap>* shown = nullptr)
    {
        const Question question{Question::Kind::Point, QStringLiteral("Wskaż punkt"), std::nullopt};
        EXPECT_FALSE(window.input()->poll(question).has_value());
        const QPoint at = window.view()->toWidget(near).toPoint() + offset;
        QTest::mouseMove(window.view(), at);
        if (shown)
            *shown = window.view()->currentSnap();
        QTest::mouseClick(window.view(), Qt::LeftButton, {}, at);
        const auto answer = window.input()->poll(question);
        EXPECT_TRUE(answer && answer->kind == Answer::Kind::Point);
        return answer ? answer->point : Vec2{};
    }

    static constexpr double kCurvesX = 300000;
    static inline QTemporaryDir* folder = nullptr;
    static inline QString path;
    HostedWindow hosted;
    MainWindow& window = hosted.window;
};

TEST_F(Snaps, AClickNearAnObjectPicksItsPointExactly)
{
    struct Case {
        const char* what;
        Vec2 point;
        QPoint offset;
    } cases[] = {
        {"end of the kerb", {60000, 7000}, {3, -2}},
        {"kerb crossed by the line", {27000, 7000}, {-2, 3}},
        {"axis crossed by the line", {27000, 0}, {4, 4}},
        {"middle of the kerb", {36500, 7000}, {-4, -3}},
        {"centre of the corner arc", {13000, 13000}, {3, 3}},
    };
    for (const auto& c : cases) {
        const Vec2 picked = clickNear(c.point, c.offset);
        EXPECT_EQ(picked, c.point) << c.what << ": " << picked.x << "," << picked.y;
    }

    // F3: snaps off, the click means the point under the cursor.
    QTest::keyClick(&window, Qt::Key_F3);
    EXPECT_FALSE(window.view()->snapsEnabled());
    const QPoint at = window.view()->toWidget({60000, 7000}).toPoint() + QPoint(3, -2);
    const Vec2 raw = window.view()->toDrawing(at);
    EXPECT_EQ(clickNear({60000, 7000}, {3, -2}), raw);
    QTest::keyClick(&window, Qt::Key_F3);
    EXPECT_TRUE(window.view()->snapsEnabled());
}

TEST_F(Snaps, CurvesAndReferencesShowTheirSnapAndTakeIt)
{
    // 1 pixel = 100 mm.
    window.view()->setView({kCurvesX + 25000, 5000}, 0.01);
    const double x = kCurvesX;
    struct Case {
        const char* what;
        Vec2 point;
        QPoint offset;
        SnapKind kind;
    } cases[] = {
        {"middle of the bulge's arc", {x + 15000, 5000}, {3, -2}, SnapKind::Midpoint},
        {"centre of the bulge's arc", {x + 10000, 5000}, {-2, 3}, SnapKind::Centre},
        {"line crossing the arc", {x + 12000, 5000 + 1000 * kRoot21}, {2, 2}, SnapKind::Intersection},
        {"end of the spline", {x + 35000, 0}, {-3, 2}, SnapKind::Endpoint},
        {"block reference", {x + 50000, 0}, {4, -3}, SnapKind::Insertion},
    };
    for (const auto& c : cases) {
        std::optional<Snap> shown;
        const Vec2 picked = clickNear(c.point, c.offset, &shown);
        ASSERT_TRUE(shown) << c.what;
        EXPECT_EQ(snapName(shown->kind), snapName(c.kind)) << c.what;
        EXPECT_NEAR(picked.x, c.point.x, 1e-6) << c.what;
        EXPECT_NEAR(picked.y, c.point.y, 1e-6) << c.what;
    }
}

TEST_F(Snaps, OrthoTurnsInRightAngles)
{
    const Vec2 base{27000, 3500}; // the view's centre
    const QPoint centre = window.view()->toWidget(base).toPoint();
    window.view()->askAngle(base);
    struct Case {
        QPoint offset;
        double free, ortho;
    } cases[] = {
        {{100, -30}, 16.699, 0.0},   {{30, -100}, 73.301, 90.0}, {{-100, 60}, 210.964, 180.0},
        {{10, 100}, 275.711, 270.0}, {{100, 10}, 354.289, 0.0},
    };
    for (const auto& c : cases) {
        QTest::mouseMove(window.view(), centre + c.offset);
        EXPECT_NEAR(window.view()->cursorAngle(), c.free, 0.5); // the centre may fall between pixels
        QTest::keyClick(&window, Qt::Key_F8);
        EXPECT_EQ(window.view()->cursorAngle(), c.ortho);
        QTest::keyClick(&window, Qt::Key_F8);
    }
}

} // namespace
} // namespace lumo::view
