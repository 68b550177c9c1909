// Whole runs of the program in its real drawing window, played by a designer
// made of synthesized clicks and keys: pauses between clicks, Escape at each
// prompt, the window closed at each stage. Every run must end (no wait that
// nobody can answer) and leave the drawing as the run left it.
#include "app/program.h"
#include "cad/embedded/embedded_host.h"
#include "cad/embedded/view/window_input.h"
#include "signal_run.h"
#include "ui_frmMain.h"

#include <QApplication>
#include <QComboBox>
#include <QPushButton>
#include <QTest>
#include <QTimer>

#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <cstdlib>

namespace lumo::test {
namespace {

namespace ce = cad::embedded;

enum class Stage { OptionsForm, InsertionPoint, Rotation, DescriptionPoint, Done };
enum class Interruption { None, Escape, CloseWindow };

const char* StageName(Stage stage)
{
    switch (stage) {
    case Stage::OptionsForm: return "options form";
    case Stage::InsertionPoint: return "insertion point";
    case Stage::Rotation: return "rotation";
    case Stage::DescriptionPoint: return "description point";
    case Stage::Done: break;
    }
    return "done";
}

// Plays the designer: looks at the screen every few milliseconds and acts
// as a person would, pausing a while before some clicks.
class Designer : public QObject {
public:
    Designer(Program& program, view::WindowedHostProvider& provider, Stage interruptAt,
             Interruption interruption)
        : program_(program), provider_(provider), interruptAt_(interruptAt),
          interruption_(interruption)
    {
        connect(&timer_, &QTimer::timeout, this, &Designer::look);
        timer_.start(10);
    }

    Stage reached = Stage::OptionsForm;

private:
    // The designer looks at the picture for a while before clicking.
    static constexpr int kPauseTicks = 30;

    void look()
    {
        if (QApplication::activeModalWidget())
            return; // the description form is answered on its own
        view::MainWindow* window = provider_.hostWindow() ? provider_.hostWindow()->window() : nullptr;
        const Stage stage = currentStage(window);
        if (stage == Stage::Done)
            return;
        if (stage != reached) {
            reached = stage;
            waited_ = 0;
        }
        if (++waited_ < kPauseTicks)
            return;
        waited_ = 0;
        if (stage == interruptAt_ && interruption_ != Interruption::None) {
            timer_.stop();
            if (interruption_ == Interruption::CloseWindow)
                window->close();
            else
                QTest::keyClick(stage == Stage::OptionsForm ? static_cast<QWidget*>(program_.form())
                                                            : window->view(),
                                Qt::Key_Escape);
            return;
        }
        act(stage, window);
    }

    Stage currentStage(view::MainWindow* window) const
    {
        if (program_.form() && program_.form()->isVisible() && !accepted_)
            return Stage::OptionsForm;
        if (!window)
            return Stage::Done;
        auto* host = dynamic_cast<ce::EmbeddedApplication*>(program_.host.app.get());
        switch (window->view()->asking()) {
        case view::DrawingView::Ask::Angle: return Stage::Rotation;
        case view::DrawingView::Ask::Point:
            return host && host->pendingInsert() ? Stage::InsertionPoint : Stage::DescriptionPoint;
        case view::DrawingView::Ask::Nothing: break;
        }
        return Stage::Done;
    }

    void act(Stage stage, view::MainWindow* window)
    {
        const QPoint centre = window->view()->rect().center();
        switch (stage) {
        case Stage::OptionsForm:
            accepted_ = true;
            program_.form()->ui().cmbNumSkrzyz->setCurrentIndex(0);
            program_.form()->ui().cmdAccept->click();
            break;
        case Stage::InsertionPoint: QTest::mouseClick(window->view(), Qt::LeftButton, {}, centre); break;
        case Stage::Rotation:
            QTest::mouseClick(window->view(), Qt::LeftButton, {}, centre - QPoint(0, 60));
            break;
        case Stage::DescriptionPoint:
            AnswerDescriptionForm({});
            QTest::mouseClick(window->view(), Qt::LeftButton, {}, centre + QPoint(40, 40));
            break;
        case Stage::Done: break;
        }
    }

    Program& program_;
    view::WindowedHostProvider& provider_;
    Stage interruptAt_;
    Interruption interruption_;
    QTimer timer_;
    int waited_ = 0;
    bool accepted_ = false;
};

// A run that never ends fails with a reason instead of hanging the suite.
struct HangGuard {
    HangGuard()
    {
        timer.setSingleShot(true);
        QObject::connect(&timer, &QTimer::timeout, [] {
            std::fprintf(stderr, "the run never ended: a wait nobody can answer\n");
            std::_Exit(1);
        });
        timer.start(60000);
    }
    QTimer timer;
};

struct RunCase {
    Stage at;
    Interruption interruption;
    bool headPlaced;
    bool descriptionPlaced;
};

class InteractiveRun : public ::testing::TestWithParam<RunCase> {};

TEST_P(InteractiveRun, EndsAndKeepsWhatWasPlaced)
{
    const RunCase c = GetParam();
    TempSuite suite;
    BuildSuite(suite);
    const std::string drawing = WriteDrawing(suite, {});
    view::WindowedHostProvider provider([&] {
        ce::EmbeddedHostOptions options;
        options.drawing = drawing;
        return options;
    });
    RecordingDialogs dialogs;
    Program program(dialogs, suite.programFolder(), provider);
    provider.setOnWindowClosed([&] { program.end(QStringLiteral("drawing window closed")); });
    HangGuard guard;
    Designer designer(program, provider, c.at, c.interruption);
    program.run({QString(), QStringLiteral("S-1")});

    SCOPED_TRACE(StageName(c.at));
    EXPECT_EQ(designer.reached, c.interruption == Interruption::None ? Stage::DescriptionPoint : c.at);
    if (c.interruption == Interruption::CloseWindow) {
        EXPECT_EQ(program.endReason(), QStringLiteral("drawing window closed"));
    }
    const auto saved = dxf::Document::load(drawing);
    int heads = 0, descriptions = 0;
    for (const auto& entity : saved.modelSpace()) {
        heads += entity.isBlockReference() && entity.layer() == "110-SYGNALIZACJA_KOMORY";
        descriptions += entity.typeName() == "TEXT" && entity.layer() == "112-OPIS_SYGNALIZACJI";
    }
    EXPECT_EQ(heads, c.headPlaced ? 1 : 0);
    EXPECT_EQ(descriptions, c.descriptionPlaced ? 1 : 0);
}

INSTANTIATE_TEST_SUITE_P(
    EveryStage, InteractiveRun,
    ::testing::Values(RunCase{Stage::Done, Interruption::None, true, true},
                      RunCase{Stage::OptionsForm, Interruption::CloseWindow, false, false},
                      RunCase{Stage::InsertionPoint, Interruption::Escape, false, false},
                      RunCase{Stage::InsertionPoint, Interruption::CloseWindow, false, false},
                      RunCase{Stage::Rotation, Interruption::Escape, false, false},
                      RunCase{Stage::Rotation, Interruption::CloseWindow, false, false},
                      RunCase{Stage::DescriptionPoint, Interruption::Escape, true, false},
                      RunCase{Stage::DescriptionPoint, Interruption::CloseWindow, true, false}));

// The drawing turned read-only while the designer worked: at the end the
// designer is asked once where to save, and the work lands there.
TEST(InteractiveRunEnd, AReadOnlyDrawingIsSavedWhereTheDesignerSays)
{
    TempSuite suite;
    BuildSuite(suite);
    const std::string drawing = WriteDrawing(suite, {});
    const std::string elsewhere = drawing + "-kopia.dxf";
    view::WindowedHostProvider provider([&] {
        ce::EmbeddedHostOptions options;
        options.drawing = drawing;
        return options;
    });
    RecordingDialogs dialogs;
    Program program(dialogs, suite.programFolder(), provider);
    QStringList reasons;
    QTimer::singleShot(0, [&] {
        std::filesystem::permissions(drawing, std::filesystem::perms::owner_read);
        view::WindowDialogs answers;
        answers.savePath = [&](const QString&, const QString& reason) {
            reasons << reason;
            return QString::fromStdString(elsewhere);
        };
        provider.hostWindow()->window()->setDialogs(answers);
    });
    HangGuard guard;
    Designer designer(program, provider, Stage::Done, Interruption::None);
    program.run({QString(), QStringLiteral("S-1")});

    ASSERT_EQ(reasons.size(), 1);
    EXPECT_TRUE(reasons[0].contains(QStringLiteral("tylko do odczytu"))) << reasons[0].toStdString();
    EXPECT_TRUE(dxf::Document::load(drawing).modelSpace().size() < dxf::Document::load(elsewhere).modelSpace().size());
}

} // namespace
} // namespace lumo::test
