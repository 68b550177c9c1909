// Object snaps and ortho in the drawing window, on the demo intersection: a
// click a few pixels off a kerb's end, a crossing or an arc's centre picks
// that point exactly; F3 turns snaps off (the raw point), F8 turns the
// rotation in right angles.
#include "cad/embedded/view/main_window.h"
#include "demo_suite.h"
#include "dxf/document.h"
#include "hosted_window.h"

#include <QLabel>
#include <QTemporaryDir>
#include <QTest>

#include <gtest/gtest.h>

namespace lumo::view {
namespace {

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

    // The point answered to a click `offset` pixels away from `near`.
    Vec2 clickNear(Vec2 near, QPoint offset)
    {
        const Question question{Question::Kind::Point, QStringLiteral("Wskaż punkt"), std::nullopt};
        EXPECT_FALSE(window.input()->poll(question).has_value());
        const QPoint at = window.view()->toWidget(near).toPoint() + offset;
        QTest::mouseMove(window.view(), at);
        QTest::mouseClick(window.view(), Qt::LeftButton, {}, at);
        const auto answer = window.input()->poll(question);
        EXPECT_TRUE(answer && answer->kind == Answer::Kind::Point);
        return answer ? answer->point : Vec2{};
    }

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
