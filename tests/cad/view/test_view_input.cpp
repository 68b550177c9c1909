// The drawing view and the prompt line driven as a designer would: clicks at
// known view positions, mouse-driven rotation, Escape, typed values, zoom and
// pan.
#include "cad/embedded/view/drawing_input.h"
#include "cad/embedded/view/drawing_view.h"

#include <QLabel>
#include <QLineEdit>
#include <QTest>
#include <QTimer>
#include <QVBoxLayout>
#include <QWheelEvent>

#include <gtest/gtest.h>

#include <functional>

namespace lumo::view {
namespace {

// A view of 400 x 300 pixels showing (100, 50) at its centre, 2 pixels a unit.
class ViewInput : public ::testing::Test {
protected:
    void SetUp() override
    {
        auto* layout = new QVBoxLayout(&window);
        view = new DrawingView(&window);
        prompt = new QLabel(&window);
        edit = new QLineEdit(&window);
        layout->addWidget(view);
        layout->addWidget(prompt);
        layout->addWidget(edit);
        view->setFixedSize(400, 300);
        window.show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(&window));
        auto scene = std::make_shared<Scene>();
        scene->addPath({{0, 0}, {200, 100}}, false, qRgb(255, 255, 255));
        scene->finish();
        view->setScene(scene);
        view->setView({100, 50}, 2.0);
        view->setSnapsEnabled(false); // clicks mean the raw points under the cursor
        input = std::make_unique<DrawingInput>(view, prompt, edit);
    }

    // Runs `act` once the wait has started, then waits for the answer.
    Answer waitWhile(const Question& question, std::function<void()> act)
    {
        QTimer::singleShot(0, view, std::move(act));
        return input->wait(question);
    }

    static Question point(const char* prompt = "Specify insertion point:")
    {
        return {Question::Kind::Point, QString::fromUtf8(prompt), std::nullopt};
    }
    static Question angleAbout(Vec2 base)
    {
        return {Question::Kind::Angle, QStringLiteral("Specify rotation angle <0>:"), base};
    }

    QWidget window;
    DrawingView* view = nullptr;
    QLabel* prompt = nullptr;
    QLineEdit* edit = nullptr;
    std::unique_ptr<DrawingInput> input;
};

TEST_F(ViewInput, AClickGivesTheDrawingPointUnderTheCursor)
{
    struct Case {
        QPoint at;
        Vec2 expected;
    } cases[] = {
        {{200, 150}, {100, 50}}, // the centre
        {{250, 100}, {125, 75}}, // right and up
        {{0, 299}, {0, -24.5}}, // bottom left corner
        {{399, 0}, {199.5, 125}}, // top right
    };
    for (const auto& c : cases) {
        const Answer a = waitWhile(point(), [&] { QTest::mouseClick(view, Qt::LeftButton, {}, c.at); });
        ASSERT_EQ(a.kind, Answer::Kind::Point);
        EXPECT_DOUBLE_EQ(a.point.x, c.expected.x) << c.at.x() << "," << c.at.y();
        EXPECT_DOUBLE_EQ(a.point.y, c.expected.y) << c.at.x() << "," << c.at.y();
    }
}

TEST_F(ViewInput, PollShowsThePromptAndAnswersOnlyAfterTheClick)
{
    EXPECT_FALSE(input->poll(point("Wskaż położenie opisu ...")).has_value());
    EXPECT_EQ(prompt->text(), QStringLiteral("Wskaż położenie opisu ..."));
    EXPECT_EQ(view->asking(), DrawingView::Ask::Point);
    EXPECT_FALSE(input->poll(point("Wskaż położenie opisu ...")).has_value());

    QTest::mouseClick(view, Qt::LeftButton, {}, QPoint(210, 140));
    const auto a = input->poll(point("Wskaż położenie opisu ..."));
    ASSERT_TRUE(a.has_value());
    EXPECT_EQ(a->kind, Answer::Kind::Point);
    EXPECT_DOUBLE_EQ(a->point.x, 105);
    EXPECT_DOUBLE_EQ(a->point.y, 55);
    // One click answers one question.
    EXPECT_FALSE(input->poll(point("Wskaż położenie opisu ...")).has_value());
}

TEST_F(ViewInput, ClicksWithNothingAskedAreNotAnswers)
{
    QTest::mouseClick(view, Qt::LeftButton, {}, QPoint(10, 10));
    QTest::keyClick(view, Qt::Key_Escape);
    EXPECT_FALSE(input->poll(point()).has_value());
}

TEST_F(ViewInput, RotationFollowsTheMouseAboutTheBase)
{
    const Vec2 base{100, 50}; // at the view's centre (200, 150)
    struct Case {
        QPoint at;
        double degrees;
    } cases[] = {
        {{300, 150}, 0.0}, {{200, 50}, 90.0}, {{100, 150}, 180.0}, {{100, 250}, 225.0}, {{300, 50}, 45.0},
    };
    for (const auto& c : cases) {
        const Answer a = waitWhile(angleAbout(base), [&] {
            QTest::mouseMove(view, c.at);
            EXPECT_EQ(view->asking(), DrawingView::Ask::Angle);
            QTest::mouseClick(view, Qt::LeftButton, {}, c.at);
        });
        ASSERT_EQ(a.kind, Answer::Kind::Angle);
        EXPECT_NEAR(a.degrees, c.degrees, 1e-9) << c.at.x() << "," << c.at.y();
    }
}

TEST_F(ViewInput, TextThatIsNoValueIsRefusedAndTheQuestionStays)
{
    EXPECT_FALSE(input->poll(point()).has_value());
    QTest::keyClicks(edit, QStringLiteral("abc"));
    QTest::keyClick(edit, Qt::Key_Return);
    EXPECT_FALSE(input->poll(point()).has_value());
    EXPECT_TRUE(prompt->text().contains(QStringLiteral("abc")));
    edit->clear();
    QTest::keyClicks(edit, QStringLiteral("1,2"));
    QTest::keyClick(edit, Qt::Key_Return);
    const auto a = input->poll(point());
    ASSERT_TRUE(a.has_value());
    EXPECT_EQ(a->kind, Answer::Kind::Point);
}

TEST_F(ViewInput, TypingOnTheDrawingGoesToThePromptLine)
{
    const Answer a = waitWhile(point(), [&] {
        view->setFocus();
        QTest::keyClicks(view, QStringLiteral("3"));
        // A form's accelerator or a shortcut pressed on the drawing is no text.
        QTest::keyClick(view, Qt::Key_Z, Qt::AltModifier);
        QTest::keyClick(view, Qt::Key_T, Qt::ControlModifier);
        QTest::keyClicks(edit, QStringLiteral(",4"));
        QTest::keyClick(edit, Qt::Key_Enter);
    });
    ASSERT_EQ(a.kind, Answer::Kind::Point);
    EXPECT_DOUBLE_EQ(a.point.x, 3);
    EXPECT_DOUBLE_EQ(a.point.y, 4);
}

TEST_F(ViewInput, WheelZoomKeepsThePointUnderTheCursor)
{
    const QPointF at(320, 60);
    const Vec2 before = view->toDrawing(at);
    for (int steps : {1, 3, -2}) {
        QWheelEvent wheel(at, view->mapToGlobal(at), QPoint(), QPoint(0, 120 * steps), Qt::NoButton,
                          Qt::NoModifier, Qt::NoScrollPhase, false);
        QApplication::sendEvent(view, &wheel);
        const Vec2 after = view->toDrawing(at);
        EXPECT_NEAR(after.x, before.x, 1e-9);
        EXPECT_NEAR(after.y, before.y, 1e-9);
    }
    EXPECT_NEAR(view->pixelsPerUnit(), 2.0 * 1.25 * 1.25, 1e-9);
}

TEST_F(ViewInput, TheMiddleButtonPans)
{
    // Dragging 40 pixels right moves the drawing with the hand: 20 units.
    QTest::mousePress(view, Qt::MiddleButton, {}, QPoint(100, 100));
    QTest::mouseMove(view, QPoint(140, 100));
    QTest::mouseRelease(view, Qt::MiddleButton, {}, QPoint(140, 100));
    EXPECT_NEAR(view->centre().x, 80, 1e-9);
    EXPECT_NEAR(view->centre().y, 50, 1e-9);
}

void wheel(DrawingView* view, QPointF at, int steps)
{
    QWheelEvent event(at, view->mapToGlobal(at), QPoint(), QPoint(0, 120 * steps), Qt::NoButton, Qt::NoModifier,
                      Qt::NoScrollPhase, false);
    QApplication::sendEvent(view, &event);
}

// Two corners clicked or dragged; the window then fills the view (its
// longer side to the view's border), whatever is asked meanwhile.
TEST_F(ViewInput, ZoomWindowShowsThePickedWindowWhole)
{
    struct Case {
        const char* how;
        QPoint from, to;
        bool drag;
        Vec2 centre;
        double scale;
    } cases[] = {
        // 100 x 75 pixels = 50 x 37.5 units: 8 pixels a unit (4 times closer)
        {"clicked", {200, 150}, {300, 225}, false, {125, 31.25}, 8.0},
        {"clicked from the bottom right", {300, 225}, {200, 150}, false, {125, 31.25}, 8.0},
        // 200 x 50 pixels: the width decides
        {"dragged", {100, 100}, {300, 150}, true, {100, 62.5}, 4.0},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.how);
        view->setView({100, 50}, 2.0);
        input->ask(point());
        view->startViewTool(DrawingView::ViewTool::ZoomWindow);
        if (c.drag) {
            QTest::mousePress(view, Qt::LeftButton, {}, c.from);
            QTest::mouseMove(view, c.to);
            QTest::mouseRelease(view, Qt::LeftButton, {}, c.to);
        } else {
            QTest::mouseClick(view, Qt::LeftButton, {}, c.from);
            EXPECT_EQ(view->viewTool(), DrawingView::ViewTool::ZoomWindow);
            QTest::mouseClick(view, Qt::LeftButton, {}, c.to);
        }
        EXPECT_EQ(view->viewTool(), DrawingView::ViewTool::None);
        EXPECT_NEAR(view->centre().x, c.centre.x, 1e-9);
        EXPECT_NEAR(view->centre().y, c.centre.y, 1e-9);
        EXPECT_NEAR(view->pixelsPerUnit(), c.scale, 1e-9);
        // The corners went to the zoom, not to the question.
        EXPECT_FALSE(input->poll(point()).has_value());
        input->clear();
    }

    // Escape after the first corner: no zoom, and the question is still asked.
    view->setView({100, 50}, 2.0);
    input->ask(point());
    view->startViewTool(DrawingView::ViewTool::ZoomWindow);
    QTest::mouseClick(view, Qt::LeftButton, {}, QPoint(10, 10));
    ASSERT_TRUE(view->windowCorner());
    QTest::keyClick(view, Qt::Key_Escape);
    EXPECT_EQ(view->viewTool(), DrawingView::ViewTool::None);
    EXPECT_DOUBLE_EQ(view->pixelsPerUnit(), 2.0);
    EXPECT_FALSE(input->poll(point()).has_value());
    EXPECT_EQ(view->asking(), DrawingView::Ask::Point);
    QTest::mouseClick(view, Qt::LeftButton, {}, QPoint(200, 150));
    EXPECT_TRUE(input->poll(point()).has_value());
}

TEST_F(ViewInput, PanDragsUntilEscapeOrEnter)
{
    struct Case {
        Qt::Key end;
        QWidget* on;
    } cases[] = {{Qt::Key_Escape, view}, {Qt::Key_Return, view}, {Qt::Key_Return, edit}};
    for (const auto& [end, on] : cases) {
        SCOPED_TRACE(on == edit ? "on the prompt line" : "on the drawing");
        view->setView({100, 50}, 2.0);
        input->ask(point());
        view->startViewTool(DrawingView::ViewTool::Pan);
        // Two drags of 20 pixels right and 10 down: 20 units left, 10 up.
        for (int i = 0; i < 2; ++i) {
            QTest::mousePress(view, Qt::LeftButton, {}, QPoint(100, 100));
            QTest::mouseMove(view, QPoint(120, 110));
            QTest::mouseRelease(view, Qt::LeftButton, {}, QPoint(120, 110));
        }
        EXPECT_EQ(view->viewTool(), DrawingView::ViewTool::Pan);
        QTest::keyClick(on, end);
        EXPECT_EQ(view->viewTool(), DrawingView::ViewTool::None);
        EXPECT_NEAR(view->centre().x, 80, 1e-9);
        EXPECT_NEAR(view->centre().y, 60, 1e-9);
        // Neither the drags nor the key that ended them answered.
        EXPECT_FALSE(input->poll(point()).has_value());
        input->clear();
    }
}

// Back through the views in the order they were shown; a run of wheel steps
// at one place is one view, a step elsewhere another.
TEST_F(ViewInput, PreviousViewGoesBackOneChangeAtATime)
{
    view->forgetPreviousViews();
    struct Shown {
        Vec2 centre;
        double scale;
    };
    std::vector<Shown> shown;
    auto now = [&] { shown.push_back({view->centre(), view->pixelsPerUnit()}); };
    now();
    for (int i = 0; i < 3; ++i)
        wheel(view, QPointF(300, 100), 1);
    now();
    QTest::mouseMove(view, QPoint(50, 50));
    wheel(view, QPointF(50, 50), -1);
    now();
    QTest::mousePress(view, Qt::MiddleButton, {}, QPoint(100, 100));
    QTest::mouseMove(view, QPoint(160, 100));
    QTest::mouseRelease(view, Qt::MiddleButton, {}, QPoint(160, 100));
    now();
    view->zoomToWindow(Box{0, 0, 10, 10});
    now();
    view->zoomExtents();

    EXPECT_TRUE(view->hasPreviousView());
    while (!shown.empty()) {
        view->zoomPrevious();
        EXPECT_NEAR(view->centre().x, shown.back().centre.x, 1e-9) << shown.size();
        EXPECT_NEAR(view->centre().y, shown.back().centre.y, 1e-9) << shown.size();
        EXPECT_NEAR(view->pixelsPerUnit(), shown.back().scale, 1e-9) << shown.size();
        shown.pop_back();
    }
    EXPECT_FALSE(view->hasPreviousView());
}

// The second corner of a window asked from the first shows the window.
TEST_F(ViewInput, AWindowAskedShowsItsRectangle)
{
    input->ask({Question::Kind::Point, QStringLiteral("Drugi narożnik:"), Vec2{50, 25}, RubberBand::Rectangle});
    // The first corner is at (100, 200) on the view, the cursor at (300, 250).
    QTest::mouseMove(view, QPoint(300, 250));
    const QImage shot = view->grab().toImage();
    // Along the rectangle's left side, away from any line between the corners.
    int rubber = 0;
    for (int y = 205; y < 245; ++y)
        if (shot.pixelColor(100, y) == QColor(255, 200, 60))
            ++rubber;
    EXPECT_GT(rubber, 10);
    input->clear();
}

// What is typed at the prompt line; the line itself is the drawing window's test.
TEST(ParseTyped, ValuesAndRefusals)
{
    const Question pointQ{Question::Kind::Point, {}, std::nullopt};
    const Question angleQ{Question::Kind::Angle, {}, Vec2{1, 1}};
    struct Case {
        const Question* q;
        const char* text;
        std::optional<Answer::Kind> kind;
        Vec2 point{};
        double degrees = 0;
    } cases[] = {
        {&pointQ, "1,2", Answer::Kind::Point, {1, 2}},
        {&pointQ, " -3.5 , 1e2 ", Answer::Kind::Point, {-3.5, 100}},
        {&pointQ, "7,8,0", Answer::Kind::Point, {7, 8}},
        {&pointQ, "1.5,2,5", Answer::Kind::Point, {1.5, 2}},
        {&pointQ, "5", Answer::Kind::Angle, {}, 5},
        {&angleQ, "30", Answer::Kind::Angle, {}, 30},
        {&angleQ, "1,5", Answer::Kind::Angle, {}, 90}, // a point: the angle from the base
        {&angleQ, "  ", Answer::Kind::Accept},
        {&pointQ, "1;2", std::nullopt},
        {&pointQ, "1,2,3,4", std::nullopt},
        {&pointQ, "x,2", std::nullopt},
        {&pointQ, "inf,2", std::nullopt},
        {&angleQ, "1,1", std::nullopt}, // the base itself gives no angle
        {&angleQ, "1,5e", std::nullopt},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.text);
        const auto a = parseTyped(QString::fromLatin1(c.text), *c.q);
        ASSERT_EQ(a.has_value(), c.kind.has_value());
        if (!a)
            continue;
        EXPECT_EQ(a->kind, *c.kind);
        if (a->kind == Answer::Kind::Point) {
            EXPECT_DOUBLE_EQ(a->point.x, c.point.x);
            EXPECT_DOUBLE_EQ(a->point.y, c.point.y);
        } else if (a->kind == Answer::Kind::Angle) {
            EXPECT_DOUBLE_EQ(a->degrees, c.degrees);
        }
    }
}

} // namespace
} // namespace lumo::view
