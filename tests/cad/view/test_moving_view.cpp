// The drawing view while the wheel turns and the hand drags: the last picture
// moved at once, and the full picture again once the input stops. Driven by
// synthesized events; the pause that ends a wheel run is stood in for by
// settle().
#include "cad/embedded/view/drawing_view.h"
#include "cad/embedded/view/renderer.h"

#include <QApplication>
#include <QTest>
#include <QWheelEvent>

#include <gtest/gtest.h>

#include <cmath>
#include <functional>

namespace lumo::view {
namespace {

const QRgb kBackground = RenderOptions{}.background->rgb();

// A street of a few hundred items so that the picture has detail everywhere.
std::shared_ptr<Scene> street()
{
    auto scene = std::make_shared<Scene>();
    for (int i = 0; i <= 40; ++i) {
        scene->addPath({{i * 5.0, 0}, {i * 5.0, 100}}, false, qRgb(255, 255, 255));
        scene->addPath({{0, i * 2.5}, {200, i * 2.5 + 1}}, false, qRgb(255, 0, 0));
    }
    for (int i = 0; i < 30; ++i) {
        std::vector<Vec2> ring;
        for (int k = 0; k <= 32; ++k)
            ring.push_back({20 + i * 6 + 2 * std::cos(k * 0.19635), 50 + 2 * std::sin(k * 0.19635)});
        scene->addCurve(ring, true, qRgb(0, 255, 0));
    }
    TextItem label;
    label.text = QStringLiteral("ul. Długa");
    label.at = {80, 60};
    label.height = 6;
    scene->addText(label, qRgb(255, 255, 0));
    scene->finish();
    return scene;
}

QImage shown(DrawingView* view)
{
    // Without the cursor: the crosshair is no part of the picture.
    QEvent leave(QEvent::Leave);
    QApplication::sendEvent(view, &leave);
    return view->grab().toImage().convertToFormat(QImage::Format_RGB32);
}

void wheel(DrawingView* view, QPointF at, int steps)
{
    QWheelEvent event(at, view->mapToGlobal(at), QPoint(), QPoint(0, 120 * steps), Qt::NoButton,
                      Qt::NoModifier, Qt::NoScrollPhase, false);
    QApplication::sendEvent(view, &event);
}

// A view of 400 x 300 pixels showing (100, 50) at its centre, 2 pixels a unit.
class MovingView : public ::testing::Test {
protected:
    void SetUp() override
    {
        view.resize(400, 300);
        view.show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(&view));
        view.setScene(street());
        view.setView({100, 50}, 2.0);
        before = shown(&view);
    }

    DrawingView view;
    QImage before;
};

// Whatever the gesture, once it is over the picture is the full one.
TEST_F(MovingView, TheSettledPictureIsTheFullRender)
{
    struct Case {
        const char* gesture;
        std::function<void(DrawingView*)> act;
    } cases[] = {
        {"wheel in",
         [](DrawingView* v) {
             wheel(v, {310, 70}, 1);
         }},
        {"wheel out twice",
         [](DrawingView* v) {
             wheel(v, {50, 250}, -2);
         }},
        {"wheel in then out elsewhere",
         [](DrawingView* v) {
             wheel(v, {200, 150}, 3);
             wheel(v, {100, 40}, -1);
         }},
        {"middle drag",
         [](DrawingView* v) {
             QTest::mousePress(v, Qt::MiddleButton, {}, QPoint(100, 100));
             QTest::mouseMove(v, QPoint(140, 117));
             QTest::mouseMove(v, QPoint(171, 90));
             QTest::mouseRelease(v, Qt::MiddleButton, {}, QPoint(171, 90));
         }},
        {"pan command drag",
         [](DrawingView* v) {
             v->startViewTool(DrawingView::ViewTool::Pan);
             QTest::mousePress(v, Qt::LeftButton, {}, QPoint(300, 200));
             QTest::mouseMove(v, QPoint(250, 220));
             QTest::mouseRelease(v, Qt::LeftButton, {}, QPoint(250, 220));
             v->endViewTool();
         }},
        {"wheel then drag",
         [](DrawingView* v) {
             wheel(v, {320, 200}, 2);
             QTest::mousePress(v, Qt::MiddleButton, {}, QPoint(100, 100));
             QTest::mouseMove(v, QPoint(60, 80));
             QTest::mouseRelease(v, Qt::MiddleButton, {}, QPoint(60, 80));
         }},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.gesture);
        view.setView({100, 50}, 2.0);
        c.act(&view);
        view.settle();
        EXPECT_FALSE(view.moving());
        const QImage full = view.renderImage().convertToFormat(QImage::Format_RGB32);
        EXPECT_EQ(shown(&view), full);
        EXPECT_NE(full, before); // the view did move
    }
}

TEST_F(MovingView, APanShowsTheShiftedPictureAtOnce)
{
    QTest::mousePress(&view, Qt::MiddleButton, {}, QPoint(100, 100));
    QTest::mouseMove(&view, QPoint(140, 110));
    ASSERT_TRUE(view.moving());
    const QImage moved = shown(&view);
    // The picture before, 40 pixels right and 10 down; background where it
    // does not reach.
    int differing = 0;
    for (int y = 0; y < moved.height(); ++y)
        for (int x = 0; x < moved.width(); ++x) {
            const QRgb expected = x >= 40 && y >= 10 ? before.pixel(x - 40, y - 10) : kBackground;
            differing += moved.pixel(x, y) != expected;
        }
    EXPECT_EQ(differing, 0);
    QTest::mouseRelease(&view, Qt::MiddleButton, {}, QPoint(140, 110));
    EXPECT_FALSE(view.moving());
    EXPECT_EQ(shown(&view), view.renderImage().convertToFormat(QImage::Format_RGB32));
}

// A wheel step scales the picture about the cursor: the point under the
// cursor stays, the rest moves away from it 1.25 times as far.
TEST_F(MovingView, AWheelStepScalesThePictureAboutTheCursor)
{
    struct Case {
        QPoint cursor;
        int steps;
    } cases[] = {{{300, 75}, 1}, {{120, 200}, 2}, {{200, 150}, -1}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.steps);
        view.setView({100, 50}, 2.0);
        wheel(&view, c.cursor, c.steps);
        ASSERT_TRUE(view.moving());
        const QImage moved = shown(&view);
        const double factor = std::pow(1.25, c.steps);
        // Each pixel shows the picture before where the scale about the
        // cursor takes it from (or the background beyond its border); a
        // pixel's width of rounding either way is allowed.
        int matching = 0, all = 0;
        for (int y = 0; y < moved.height(); y += 3)
            for (int x = 0; x < moved.width(); x += 3) {
                const double sx = c.cursor.x() + (x + 0.5 - c.cursor.x()) / factor;
                const double sy = c.cursor.y() + (y + 0.5 - c.cursor.y()) / factor;
                bool found = false;
                for (int dy = -1; dy <= 1 && !found; ++dy)
                    for (int dx = -1; dx <= 1 && !found; ++dx) {
                        const QPoint from(int(std::floor(sx)) + dx, int(std::floor(sy)) + dy);
                        const QRgb expected = before.rect().contains(from) ? before.pixel(from) : kBackground;
                        found = moved.pixel(x, y) == expected;
                    }
                matching += found;
                ++all;
            }
        EXPECT_GT(matching, all * 99 / 100);
        // Not the picture before left as it was.
        EXPECT_NE(moved, before);
    }
}

// A change during a move is drawn in full at once, not as the moved picture.
TEST_F(MovingView, AChangeDuringAMoveIsDrawnInFull)
{
    struct Case {
        const char* change;
        std::function<void(DrawingView*)> act;
    } cases[] = {
        {"another drawing",
         [](DrawingView* v) {
             auto scene = std::make_shared<Scene>();
             scene->addPath({{90, 40}, {110, 60}}, false, qRgb(0, 0, 255));
             scene->finish();
             v->setScene(scene);
         }},
        {"the view set",
         [](DrawingView* v) {
             v->setView({120, 40}, 3.0);
         }},
        {"zoom previous", [](DrawingView* v) { v->zoomPrevious(); }},
        {"a key", [](DrawingView* v) { QTest::keyClick(v, Qt::Key_Left); }},
        {"the size", [](DrawingView* v) { v->resize(380, 290); }},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.change);
        view.setScene(street());
        view.resize(400, 300);
        view.setView({100, 50}, 2.0);
        wheel(&view, {330, 60}, 2);
        ASSERT_TRUE(view.moving());
        shown(&view); // the moved picture painted once
        c.act(&view);
        EXPECT_FALSE(view.moving());
        EXPECT_EQ(shown(&view), view.renderImage().convertToFormat(QImage::Format_RGB32));
    }
}

TEST_F(MovingView, TheHighlightSetDuringAMoveIsShown)
{
    wheel(&view, {200, 150}, 1);
    shown(&view);
    auto highlight = std::make_shared<Scene>();
    highlight->addPath({{60, 20}, {140, 80}}, false, qRgb(255, 255, 255));
    highlight->finish();
    view.setHighlight(highlight);
    const QImage picture = shown(&view);
    const QPointF middle = view.toWidget({100, 50});
    EXPECT_EQ(picture.pixel(middle.toPoint()), qRgb(90, 170, 255));
}

} // namespace
} // namespace lumo::view
