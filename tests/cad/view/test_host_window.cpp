// The window as the embedded host's designer: the insert command's
// insertion point by a click and its rotation by the mouse, GetPoint by a
// click, Escape cancelling with the host's "*Cancel*", all through the host
// interface the program uses.
#include "cad/embedded/embedded_host.h"
#include "cad/embedded/view/window_input.h"
#include "dxf/document.h"

#include <QAction>
#include <QEventLoop>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTreeWidget>
#include <QTest>
#include <QTimer>

#include <gtest/gtest.h>

#include <cmath>
#include <optional>
#include <set>
#include <cstdio>
#include <cstdlib>

namespace lumo::view {
namespace {

namespace ce = cad::embedded;

// Block "GLOWICA": a line from its base point 10 units along x.
const char* kDrawing = "0\nSECTION\n2\nHEADER\n9\n$ACADVER\n1\nAC1009\n0\nENDSEC\n"
                       "0\nSECTION\n2\nBLOCKS\n"
                       "0\nBLOCK\n8\n0\n2\nGLOWICA\n70\n0\n10\n0\n20\n0\n30\n0\n3\nGLOWICA\n"
                       "0\nLINE\n8\n0\n10\n0\n20\n0\n30\n0\n11\n10\n21\n0\n31\n0\n"
                       "0\nENDBLK\n8\n0\n0\nENDSEC\n"
                       "0\nSECTION\n2\nENTITIES\n"
                       "0\nLINE\n8\n0\n10\n0\n20\n0\n30\n0\n11\n200\n21\n100\n31\n0\n"
                       "0\nENDSEC\n0\nEOF\n";

class HostWindowTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(folder.isValid());
        const QString path = folder.filePath(QStringLiteral("rysunek.dxf"));
        QFile file(path);
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(kDrawing);
        file.close();
        ce::EmbeddedHostOptions options;
        options.drawing = path.toStdString();
        options.report = [this](const std::string&, const std::string& text, cad::MessageIcon) {
            reports.push_back(text);
        };
        host = std::make_shared<ce::EmbeddedApplication>(options);
        hostWindow = std::make_unique<HostWindow>(host);
        host->setVisible(true);
        window = hostWindow->window();
        ASSERT_TRUE(window->isVisible());
        ASSERT_TRUE(QTest::qWaitForWindowExposed(window));
        window->view()->setView({100, 50}, 2.0);
        window->view()->setSnapsEnabled(false); // clicks mean the raw points under the cursor
        document = host->activeDocument();
    }

    QPoint at(Vec2 drawing) const { return window->view()->toWidget(drawing).toPoint(); }

    QTemporaryDir folder;
    std::vector<std::string> reports;
    std::shared_ptr<ce::EmbeddedApplication> host;
    std::unique_ptr<HostWindow> hostWindow;
    MainWindow* window = nullptr;
    std::shared_ptr<cad::Document> document;
};

TEST_F(HostWindowTest, AnEntityChangedInPlaceShowsWhenItIsUpdated)
{
    // The drawing's one line, red from now on: the count of entities stays.
    const auto colours = [&] {
        std::set<QRgb> seen;
        for (const Item& item : window->view()->scene()->items())
            seen.insert(item.colour);
        return seen;
    };
    const auto before = colours();
    document->modelSpace()->item(0)->setColor(1);
    document->modelSpace()->item(0)->update();
    QCoreApplication::processEvents();
    EXPECT_NE(colours(), before);
}

TEST_F(HostWindowTest, InsertByClickThenRotationByTheMouse)
{
    const long before = document->modelSpace()->count();
    document->sendCommand("_-insert\rGLOWICA\rS\r2\r");
    EXPECT_FALSE(host->isQuiescent()); // asks for the insertion point
    EXPECT_EQ(window->view()->asking(), DrawingView::Ask::Point);
    EXPECT_FALSE(window->promptLabel()->text().isEmpty());

    const QPoint insertion = at({120, 60});
    const Vec2 picked = window->view()->toDrawing(insertion);
    QTest::mouseClick(window->view(), Qt::LeftButton, {}, insertion);
    EXPECT_FALSE(host->isQuiescent()); // now the rotation
    EXPECT_EQ(window->view()->asking(), DrawingView::Ask::Angle);

    // Straight up from the insertion point: 90 degrees.
    const QPoint up = insertion - QPoint(0, 80);
    QTest::mouseMove(window->view(), up);
    EXPECT_NEAR(window->view()->cursorAngle(), 90.0, 1e-9);
    QTest::mouseClick(window->view(), Qt::LeftButton, {}, up);
    EXPECT_TRUE(host->isQuiescent());

    ASSERT_EQ(document->modelSpace()->count(), before + 1);
    const auto head = document->modelSpace()->item(before);
    EXPECT_NEAR(head->rotation(), M_PI / 2, 1e-9);
    EXPECT_NEAR(head->insertionPoint().x, picked.x, 1e-9);
    EXPECT_NEAR(head->insertionPoint().y, picked.y, 1e-9);
    EXPECT_EQ(window->view()->asking(), DrawingView::Ask::Nothing);

    // The window draws the new reference: the block's line runs up 20 units (scale 2).
    window->refresh();
    const QImage image = window->view()->renderImage();
    const QPoint mid = window->view()->toWidget({picked.x, picked.y + 10}).toPoint();
    bool drawn = false;
    for (int dx = -1; dx <= 1; ++dx)
        drawn = drawn || (image.pixel(mid.x() + dx, mid.y()) & 0xFFFFFF) == 0xFFFFFF;
    EXPECT_TRUE(drawn);
}

TEST_F(HostWindowTest, TypedRotationAndEscape)
{
    const long before = document->modelSpace()->count();
    document->sendCommand("_-insert\rGLOWICA\rS\r1\r");
    host->isQuiescent();
    QTest::keyClicks(window->promptEdit(), QStringLiteral("30,40"));
    QTest::keyClick(window->promptEdit(), Qt::Key_Return);
    host->isQuiescent();
    QTest::keyClicks(window->promptEdit(), QStringLiteral("45"));
    QTest::keyClick(window->promptEdit(), Qt::Key_Return);
    EXPECT_TRUE(host->isQuiescent());
    ASSERT_EQ(document->modelSpace()->count(), before + 1);
    const auto head = document->modelSpace()->item(before);
    EXPECT_NEAR(head->rotation(), M_PI / 4, 1e-9);
    EXPECT_DOUBLE_EQ(head->insertionPoint().x, 30);
    EXPECT_DOUBLE_EQ(head->insertionPoint().y, 40);

    // Escape while the insertion point is asked: nothing is inserted.
    document->sendCommand("_-insert\rGLOWICA\rS\r1\r");
    host->isQuiescent();
    QTest::keyClick(window->view(), Qt::Key_Escape);
    EXPECT_TRUE(host->isQuiescent());
    EXPECT_EQ(document->modelSpace()->count(), before + 1);
    EXPECT_NE(document->getVariable("LASTPROMPT").find("*Cancel*"), std::string::npos);
    EXPECT_TRUE(window->promptLabel()->text().contains(QStringLiteral("*Cancel*")));
}

TEST_F(HostWindowTest, GetPointWaitsForAClickAndEscapeRaises)
{
    const QPoint click = at({80, 40});
    const Vec2 expected = window->view()->toDrawing(click);
    QString promptShown;
    QTimer::singleShot(0, window, [&] {
        promptShown = window->promptLabel()->text();
        QTest::mouseClick(window->view(), Qt::LeftButton, {}, click);
    });
    const auto point = document->utility()->getPoint("Wskaż położenie opisu ...");
    EXPECT_EQ(promptShown, QStringLiteral("Wskaż położenie opisu ..."));
    EXPECT_DOUBLE_EQ(point.x, expected.x);
    EXPECT_DOUBLE_EQ(point.y, expected.y);

    // Escape cancels with the focus on the drawing or on the prompt line.
    for (QWidget* focus :
         {static_cast<QWidget*>(window->view()), static_cast<QWidget*>(window->promptEdit())}) {
        QTimer::singleShot(0, window, [&] {
            QTest::keyClicks(window->promptEdit(), QStringLiteral("12"));
            QTest::keyClick(focus, Qt::Key_Escape);
        });
        EXPECT_THROW(document->utility()->getPoint("Wskaż położenie opisu ..."), cad::HostError);
        EXPECT_NE(document->getVariable("LASTPROMPT").find("*Cancel*"), std::string::npos);
        EXPECT_TRUE(window->promptLabel()->text().contains(QStringLiteral("*Cancel*")));
        EXPECT_TRUE(window->promptEdit()->text().isEmpty());
    }
}

// The designer stops to look before the next click; whatever the window does
// meanwhile must not lose what is asked. What it does is what it has queued
// by now (its refresh, a rebuild): the pause lasts until that has run.
void DesignerPause()
{
    QEventLoop loop;
    QMetaObject::invokeMethod(&loop, &QEventLoop::quit, Qt::QueuedConnection);
    loop.exec();
}

// Ends the test process when a wait for the designer never ends, so that a
// hang shows as a failure with a reason.
struct HangGuard {
    HangGuard()
    {
        timer.setSingleShot(true);
        QObject::connect(&timer, &QTimer::timeout, [] {
            std::fprintf(stderr, "the window stopped answering: a wait for the designer never ended\n");
            std::_Exit(1);
        });
        timer.start(20000);
    }
    QTimer timer;
};

TEST_F(HostWindowTest, APauseAfterTheRotationLosesNoClickAtTheNextPrompt)
{
    HangGuard guard;
    const QPoint description = at({80, 40});
    const Vec2 expected = window->view()->toDrawing(description);
    for (const bool escape : {false, true}) {
        document->sendCommand("_-insert\rGLOWICA\rS\r2\r");
        host->isQuiescent();
        const QPoint insertion = at({120, 60});
        QTest::mouseClick(window->view(), Qt::LeftButton, {}, insertion);
        DesignerPause();
        QTest::mouseClick(window->view(), Qt::LeftButton, {}, insertion - QPoint(0, 80));
        // The program's follow-up: the head is there, the description point is asked next.
        EXPECT_TRUE(host->isQuiescent());
        QTimer::singleShot(0, window, [&] {
            DesignerPause();
            if (escape)
                QTest::keyClick(window->view(), Qt::Key_Escape);
            else
                QTest::mouseClick(window->view(), Qt::LeftButton, {}, description);
        });
        if (escape) {
            EXPECT_THROW(document->utility()->getPoint("Wskaż położenie opisu ..."), cad::HostError);
        } else {
            const auto point = document->utility()->getPoint("Wskaż położenie opisu ...");
            EXPECT_DOUBLE_EQ(point.x, expected.x);
            EXPECT_DOUBLE_EQ(point.y, expected.y);
        }
    }
}

// What the designer gives while nothing is asked: during a run it is kept
// for the next question (a click, a typed point, Escape), unless another
// window took over or the run ended meanwhile; with no run it is refused on
// the prompt line. Never is it lost without a word.
struct NothingAskedCase {
    const char* name;
    bool run; // a program's run is on
    enum class Give { Click, Typed, Escape } give;
    enum class Then { Nothing, Deactivate, EndRun, Insert } then;
    const char* prompt; // shown once given (and after `then`)
    enum class Outcome { KeptPoint, LaterClick, Cancelled, KeptInsertion } outcome;
};

class NothingAsked : public HostWindowTest, public ::testing::WithParamInterface<NothingAskedCase> { };

TEST_P(NothingAsked, KeptForTheNextQuestionOrRefusedVisibly)
{
    using C = NothingAskedCase;
    const C c = GetParam();
    HangGuard guard;
    if (c.run)
        host->beginRun();
    const QPoint given = at({80, 40});
    const QPoint later = at({140, 70});
    if (c.then == C::Then::Deactivate) {
        window->activateWindow();
        ASSERT_TRUE(QTest::qWaitForWindowActive(window));
    }
    switch (c.give) {
    case C::Give::Click: QTest::mouseClick(window->view(), Qt::LeftButton, {}, given); break;
    case C::Give::Typed:
        QTest::keyClicks(window->promptEdit(), QStringLiteral("12,34"));
        QTest::keyClick(window->promptEdit(), Qt::Key_Return);
        break;
    case C::Give::Escape: QTest::keyClick(window->view(), Qt::Key_Escape); break;
    }
    QWidget other;
    switch (c.then) {
    case C::Then::Nothing: break;
    case C::Then::Deactivate:
        other.show();
        other.activateWindow();
        ASSERT_TRUE(QTest::qWaitForWindowActive(&other));
        break;
    case C::Then::EndRun: host->endRun(); break;
    case C::Then::Insert:
        document->sendCommand("_-insert\rGLOWICA\rS\r2\r");
        EXPECT_FALSE(host->isQuiescent());
        const auto pending = host->pendingInsert();
        ASSERT_TRUE(pending && pending->insertionPoint);
        EXPECT_DOUBLE_EQ(pending->insertionPoint->x, window->view()->toDrawing(given).x);
        EXPECT_DOUBLE_EQ(pending->insertionPoint->y, window->view()->toDrawing(given).y);
        EXPECT_EQ(window->view()->asking(), DrawingView::Ask::Angle);
        return;
    }
    EXPECT_TRUE(window->promptLabel()->text().contains(QString::fromUtf8(c.prompt)))
        << window->promptLabel()->text().toStdString();

    // The next question. Should it wait, the designer clicks once more, or
    // presses Escape where the kept answer should have done.
    const bool keptAnswers = c.outcome != C::Outcome::LaterClick;
    QTimer::singleShot(0, window, [&] {
        if (keptAnswers && c.outcome != C::Outcome::Cancelled)
            QTest::keyClick(window->view(), Qt::Key_Escape);
        else
            QTest::mouseClick(window->view(), Qt::LeftButton, {}, later);
    });
    std::optional<cad::Point3> point;
    try {
        point = document->utility()->getPoint("Wskaż położenie opisu ...");
    } catch (const cad::HostError&) {
    }
    switch (c.outcome) {
    case C::Outcome::Cancelled: EXPECT_FALSE(point.has_value()); break;
    case C::Outcome::KeptPoint:
    case C::Outcome::LaterClick:
    case C::Outcome::KeptInsertion: {
        ASSERT_TRUE(point.has_value());
        const Vec2 expected = c.give == C::Give::Typed && keptAnswers
            ? Vec2{12, 34}
            : window->view()->toDrawing(keptAnswers ? given : later);
        EXPECT_DOUBLE_EQ(point->x, expected.x);
        EXPECT_DOUBLE_EQ(point->y, expected.y);
        break;
    }
    }
}

using NA = NothingAskedCase;
INSTANTIATE_TEST_SUITE_P(
    Cases, NothingAsked,
    ::testing::Values(NA{"ClickWithoutARunSelectsAndIsNotKept", false, NA::Give::Click, NA::Then::Nothing, "",
                         NA::Outcome::LaterClick},
                      NA{"TypedWithoutARunIsRefused", false, NA::Give::Typed, NA::Then::Nothing, "pominięte",
                         NA::Outcome::LaterClick},
                      NA{"ClickInARunIsKept", true, NA::Give::Click, NA::Then::Nothing, "Zapamiętano",
                         NA::Outcome::KeptPoint},
                      NA{"TypedPointInARunIsKept", true, NA::Give::Typed, NA::Then::Nothing, "Zapamiętano",
                         NA::Outcome::KeptPoint},
                      NA{"EscapeInARunCancelsTheNextQuestion", true, NA::Give::Escape, NA::Then::Nothing,
                         "Zapamiętano", NA::Outcome::Cancelled},
                      NA{"KeptClickIsTheNextInsertionPoint", true, NA::Give::Click, NA::Then::Insert, "",
                         NA::Outcome::KeptInsertion},
                      NA{"KeptClickGoesWhenAnotherWindowTakesOver", true, NA::Give::Click,
                         NA::Then::Deactivate, "Pominięto", NA::Outcome::LaterClick},
                      NA{"KeptClickGoesWithTheRun", true, NA::Give::Click, NA::Then::EndRun, "Pominięto",
                         NA::Outcome::LaterClick}),
    [](const ::testing::TestParamInfo<NothingAskedCase>& info) { return std::string(info.param.name); });

TEST_F(HostWindowTest, ClosingTheWindowCancelsEveryWait)
{
    HangGuard guard;
    QTimer::singleShot(0, window, [&] { window->close(); });
    EXPECT_THROW(document->utility()->getPoint("Wskaż położenie opisu ..."), cad::HostError);
    // Closed, the window answers whatever comes later with a cancel too.
    EXPECT_THROW(document->utility()->getPoint("Wskaż położenie opisu ..."), cad::HostError);
    document->sendCommand("_-insert\rGLOWICA\rS\r2\r");
    EXPECT_TRUE(host->isQuiescent());
    EXPECT_NE(document->getVariable("LASTPROMPT").find("*Cancel*"), std::string::npos);
}

TEST(WindowedHostProvider, TheWindowAnswersUnlessAScriptDoes)
{
    QTemporaryDir folder;
    const QString path = folder.filePath(QStringLiteral("rysunek.dxf"));
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write(kDrawing);
    file.close();
    for (const bool scripted : {false, true}) {
        auto script = std::make_shared<ce::ScriptedInputSource>();
        WindowedHostProvider provider([&] {
            ce::EmbeddedHostOptions options;
            options.drawing = path.toStdString();
            if (scripted)
                options.input = script;
            return options;
        });
        EXPECT_THROW(provider.attach(), cad::HostError);
        const auto app = provider.create();
        EXPECT_EQ(provider.attach(), app);
        auto* host = dynamic_cast<ce::EmbeddedApplication*>(app.get());
        ASSERT_NE(host, nullptr);
        ASSERT_NE(provider.hostWindow(), nullptr);
        if (scripted)
            EXPECT_EQ(host->input(), script);
        else
            EXPECT_EQ(host->input(), provider.hostWindow()->inputSource());
        EXPECT_FALSE(provider.hostWindow()->window()->isVisible());
        app->setVisible(true);
        EXPECT_TRUE(provider.hostWindow()->window()->isVisible());
        EXPECT_TRUE(provider.hostWindow()->window()->drawing() == host->drawing());
    }
}

// The layers panel switches a layer off for the view only; saving writes
// the switch into the drawing as one step that undo takes back.
TEST(LayersPanel, SwitchesShowOnlyUntilSavedAndUndoTakesTheSaveBack)
{
    QTemporaryDir folder;
    const std::string path = folder.filePath(QStringLiteral("warstwy.dxf")).toStdString();
    {
        auto drawing = dxf::Document::create();
        drawing.addLayer("ULICE", 5);
        drawing.addEntity("LINE", "0", {{10, "0"}, {20, "0"}, {30, "0"}, {11, "10"}, {21, "0"}, {31, "0"}});
        drawing.addEntity("LINE", "ULICE",
                          {{10, "0"}, {20, "5"}, {30, "0"}, {11, "10"}, {21, "5"}, {31, "0"}});
        drawing.save(path);
    }
    const auto layerOnInFile = [&] { return dxf::Document::load(path).findLayer("ULICE")->isOn(); };
    ce::EmbeddedHostOptions options;
    options.drawing = path;
    auto host = std::make_shared<ce::EmbeddedApplication>(options);
    HostWindow hostWindow(host);
    MainWindow* window = hostWindow.window();
    LayersPanel* panel = window->layersPanel();
    const auto items = [&] { return window->view()->scene()->items().size(); };
    const std::size_t bothLines = items();
    const auto listed = panel->list()->findItems(QStringLiteral("ULICE"), Qt::MatchExactly);
    ASSERT_EQ(listed.size(), 1);
    EXPECT_TRUE(panel->currentLabel()->text().endsWith(QStringLiteral(": 0")));

    listed[0]->setCheckState(LayersPanel::OnColumn, Qt::Unchecked);
    EXPECT_LT(items(), bothLines);
    EXPECT_FALSE(host->modified());
    EXPECT_FALSE(window->undoAction()->isEnabled());

    QTest::mouseClick(panel->saveButton(), Qt::LeftButton);
    EXPECT_FALSE(layerOnInFile());
    EXPECT_LT(items(), bothLines);
    ASSERT_TRUE(window->undoAction()->isEnabled());

    window->undoAction()->trigger();
    EXPECT_TRUE(layerOnInFile());
    EXPECT_EQ(items(), bothLines);
    EXPECT_EQ(panel->list()->findItems(QStringLiteral("ULICE"), Qt::MatchExactly)[0]->checkState(
                  LayersPanel::OnColumn),
              Qt::Checked);

    // While the program runs the drawing is its own: the switches wait.
    host->beginRun();
    EXPECT_FALSE(panel->saveButton()->isEnabled());
    host->endRun();
    EXPECT_TRUE(panel->saveButton()->isEnabled());
}

} // namespace
} // namespace lumo::view
