// Whole runs of the program in its real drawing window, played by a designer
// made of synthesized clicks and keys: pauses between clicks, Escape at each
// prompt, the window closed at each stage. Every run must end (no wait that
// nobody can answer) and leave the drawing as the run left it.
#include "app/program.h"
#include "app/workplace.h"
#include "cad/embedded/embedded_host.h"
#include "cad/embedded/view/tool_palette.h"
#include "cad/embedded/view/window_input.h"
#include "forms/frm_atrybuty_sygnalizatora.h"
#include "signal_run.h"
#include "ui_frmMain.h"

#include <QAction>
#include <QApplication>
#include <QComboBox>
#include <QLineEdit>
#include <QPointer>
#include <QPushButton>
#include <QSettings>
#include <QTest>
#include <QTimer>
#include <QTreeWidget>
#include <QWindow>

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <map>
#include <string>
#include <cstdlib>
#include <functional>
#include <vector>

namespace lumo::test {
namespace {

namespace ce = cad::embedded;

enum class Stage { OptionsForm, InsertionPoint, Rotation, DescriptionPoint, Done };
enum class Interruption { None, Escape, CloseWindow };

frmMain* VisibleOptionsForm()
{
    for (QWidget* widget : QApplication::topLevelWidgets()) {
        if (auto* form = qobject_cast<frmMain*>(widget); form && form->isVisible())
            return form;
    }
    return nullptr;
}

bool frmMainVisible()
{
    return VisibleOptionsForm() != nullptr;
}

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
    Designer(view::WindowedHostProvider& provider, Stage interruptAt, Interruption interruption)
        : provider_(provider), interruptAt_(interruptAt), interruption_(interruption)
    {
        connect(&timer_, &QTimer::timeout, this, &Designer::look);
        timer_.start(10);
    }

    Stage reached = Stage::OptionsForm;
    // The last prompt of the run seen, kept when the run has ended: the
    // designer may look again before the program returns.
    Stage furthest = Stage::OptionsForm;
    int runsFinished = 0;

private:
    // The designer looks at the picture for a while before clicking.
    static constexpr int kPauseTicks = 30;

    void look()
    {
        if (QApplication::activeModalWidget())
            return; // the description form is answered on its own
        view::MainWindow* window = provider_.hostWindow() ? provider_.hostWindow()->window() : nullptr;
        const Stage stage = currentStage(window);
        if (stage == Stage::Done) {
            if (reached == Stage::DescriptionPoint) {
                ++runsFinished;
                reached = Stage::Done;
            }
            return;
        }
        if (stage != reached) {
            reached = stage;
            furthest = std::max(furthest, stage);
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
                QTest::keyClick(stage == Stage::OptionsForm ? static_cast<QWidget*>(VisibleOptionsForm())
                                                            : window->view(),
                                Qt::Key_Escape);
            return;
        }
        act(stage, window);
    }

    Stage currentStage(view::MainWindow* window) const
    {
        frmMain* form = VisibleOptionsForm();
        if (form && form != accepted_)
            return Stage::OptionsForm;
        if (!window)
            return Stage::Done;
        const auto& host = provider_.hostWindow()->host();
        switch (window->view()->asking()) {
        case view::DrawingView::Ask::Angle: return Stage::Rotation;
        case view::DrawingView::Ask::Point:
            return host->pendingInsert() ? Stage::InsertionPoint : Stage::DescriptionPoint;
        case view::DrawingView::Ask::Nothing: break;
        }
        return Stage::Done;
    }

    void act(Stage stage, view::MainWindow* window)
    {
        const QPoint centre = window->view()->rect().center();
        switch (stage) {
        case Stage::OptionsForm:
            accepted_ = VisibleOptionsForm();
            accepted_->ui().cmbNumSkrzyz->setCurrentIndex(0);
            accepted_->ui().cmdAccept->click();
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

    view::WindowedHostProvider& provider_;
    Stage interruptAt_;
    Interruption interruption_;
    QTimer timer_;
    int waited_ = 0;
    QPointer<frmMain> accepted_;
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

// The embedded host opening this drawing, the window its designer.
view::WindowedHostProvider::OptionsFn OpenDrawing(const std::string& drawing)
{
    return [drawing] {
        ce::EmbeddedHostOptions options;
        options.drawing = drawing;
        return options;
    };
}

void UseSuiteRegistry(Program& program, TempSuite& suite)
{
    program.startup.registryFile = SuiteRegistryFile(suite);
}

// The block references (heads) or texts (descriptions) on the layer.
int Count(const std::string& drawing, const std::string& layer, bool references)
{
    int found = 0;
    const auto document = dxf::Document::load(drawing); // the entities refer to it
    for (const auto& entity : document.modelSpace()) {
        found += entity.layer() == layer
            && (references ? entity.isBlockReference() : entity.typeName() == "TEXT");
    }
    return found;
}

struct RunCase {
    Stage at;
    Interruption interruption;
    bool headPlaced;
    bool descriptionPlaced;
};

std::string RunCaseName(const ::testing::TestParamInfo<RunCase>& info)
{
    static const char* const stages[]
        = {"OptionsForm", "InsertionPoint", "Rotation", "DescriptionPoint", "Completed"};
    static const char* const interruptions[] = {"", "Escape", "Close"};
    return std::string(interruptions[int(info.param.interruption)]) + stages[int(info.param.at)];
}

class InteractiveRun : public ::testing::TestWithParam<RunCase> { };

TEST_P(InteractiveRun, EndsAndKeepsWhatWasPlaced)
{
    const RunCase c = GetParam();
    TempSuite suite;
    BuildSuite(suite);
    const std::string drawing = WriteDrawing(suite, {});
    view::WindowedHostProvider provider(OpenDrawing(drawing));
    RecordingDialogs dialogs;
    Program program(dialogs, suite.programFolder(), provider);
    UseSuiteRegistry(program, suite);
    provider.setOnWindowClosed([&] { program.end(QStringLiteral("drawing window closed")); });
    HangGuard guard;
    Designer designer(provider, c.at, c.interruption);
    program.run({QString(), QStringLiteral("S-1")});

    SCOPED_TRACE(StageName(c.at));
    EXPECT_EQ(designer.furthest, c.interruption == Interruption::None ? Stage::DescriptionPoint : c.at);
    if (c.interruption == Interruption::CloseWindow) {
        EXPECT_EQ(program.endReason(), QStringLiteral("drawing window closed"));
    }
    EXPECT_EQ(Count(drawing, "110-SYGNALIZACJA_KOMORY", true), c.headPlaced ? 1 : 0);
    EXPECT_EQ(Count(drawing, "112-OPIS_SYGNALIZACJI", false), c.descriptionPlaced ? 1 : 0);
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
                      RunCase{Stage::DescriptionPoint, Interruption::CloseWindow, true, false}),
    RunCaseName);

// The drawing turned read-only while the designer worked: at the end the
// designer is asked once where to save, and the work lands there.
TEST(InteractiveRunEnd, AReadOnlyDrawingIsSavedWhereTheDesignerSays)
{
    TempSuite suite;
    BuildSuite(suite);
    const std::string drawing = WriteDrawing(suite, {});
    const std::string elsewhere = drawing + "-kopia.dxf";
    view::WindowedHostProvider provider(OpenDrawing(drawing));
    RecordingDialogs dialogs;
    Program program(dialogs, suite.programFolder(), provider);
    UseSuiteRegistry(program, suite);
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
    Designer designer(provider, Stage::Done, Interruption::None);
    program.run({QString(), QStringLiteral("S-1")});

    ASSERT_EQ(reasons.size(), 1);
    EXPECT_TRUE(reasons[0].contains(QStringLiteral("tylko do odczytu"))) << reasons[0].toStdString();
    EXPECT_TRUE(dxf::Document::load(drawing).modelSpace().size()
                < dxf::Document::load(elsewhere).modelSpace().size());
}

std::string FileBytes(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
}

// After a run the window stays with the result; a click in its palette
// starts the next run on the same host and drawing, the palette shut while
// it runs; Ctrl+Z takes the whole second run back (on disk too) and Ctrl+Y
// puts it again; closing the window ends the program.
TEST(Workplace, TheWindowStaysAndItsPalettePlacesAgain)
{
    TempSuite suite;
    BuildSuite(suite);
    const std::string drawing = WriteDrawing(suite, {});
    const QString config = suite.nativePath(suite.path(QStringLiteral("config")));
    view::WindowedHostProvider provider([&] {
        ce::EmbeddedHostOptions options;
        options.drawing = drawing;
        options.configFolder = config.toStdString();
        return options;
    });
    RecordingDialogs dialogs;
    // The second head gets the same designation: the designer places it all the same.
    dialogs.answerMessage(DialogAnswer::Yes);
    HangGuard guard;
    Designer designer(provider, Stage::Done, Interruption::None);
    int headsAfterFirstRun = -1;
    bool iconDrawn = false;
    bool shutWhileRunning = false;
    std::string afterFirstRun, afterSecondRun, undone, redone;
    QTimer scenario;
    bool undoWhileRunning = false;
    bool editWhileRunning = false;
    bool shutDuringFirstRun = false;
    bool formInFront = false;
    QString promptAfterRun = QStringLiteral("(not looked at)");
    qsizetype highlightAfterRun = -1;
    QObject::connect(&scenario, &QTimer::timeout, [&] {
        if (designer.runsFinished == 1 && headsAfterFirstRun < 0 && !frmMainVisible()) {
            headsAfterFirstRun = Count(drawing, "110-SYGNALIZACJA_KOMORY", true);
            afterFirstRun = FileBytes(drawing);
            auto* window = provider.hostWindow()->window();
            ASSERT_TRUE(window->isVisible());
            auto* palette = window->findChild<view::ToolPalette*>();
            ASSERT_NE(palette, nullptr);
            QTreeWidgetItem* tool = palette->tool(QStringLiteral("S-3wp"));
            ASSERT_NE(tool, nullptr);
            iconDrawn = !tool->icon(0).isNull();
            QTreeWidget* tree = palette->tree();
            tree->scrollToItem(tool);
            QTest::mouseClick(tree->viewport(), Qt::LeftButton, {}, tree->visualItemRect(tool).center());
        } else if (designer.runsFinished == 0 && provider.hostWindow()
                   && provider.hostWindow()->window()->input()->current()) {
            // the run that started the host is a run all the same (asking now)
            editWhileRunning |= provider.hostWindow()->window()->layersPanel()->saveButton()->isEnabled();
            // the palette is there from the start, shut
            const auto* palette = provider.hostWindow()->window()->findChild<view::ToolPalette*>();
            shutDuringFirstRun = palette && palette->isVisible() && !palette->isEnabled();
        } else if (designer.runsFinished == 1 && frmMainVisible()) {
            // The designer may count the first run as done while its
            // description form closes: no palette before that run has ended.
            const auto* palette = provider.hostWindow()->window()->findChild<view::ToolPalette*>();
            if (!palette)
                return;
            shutWhileRunning = !palette->isEnabled();
            // the options form stays in front of the drawing window
            const frmMain* form = VisibleOptionsForm();
            formInFront = form && form->windowHandle()
                && form->windowHandle()->transientParent() == provider.hostWindow()->window()->windowHandle();
            undoWhileRunning |= provider.hostWindow()->window()->undoAction()->isEnabled();
            editWhileRunning |= provider.hostWindow()->window()->layersPanel()->saveButton()->isEnabled();
        } else if (designer.runsFinished == 2 && !frmMainVisible()) {
            auto* window = provider.hostWindow()->window();
            if (!window->undoAction()->isEnabled())
                return; // the run is still ending
            scenario.stop();
            // the window asks nothing now and shows no symbol as chosen
            promptAfterRun = window->promptLabel()->text() + window->promptEdit()->text();
            const auto* palette = window->findChild<view::ToolPalette*>();
            highlightAfterRun
                = palette->tree()->selectedItems().size() + (palette->tree()->currentItem() ? 1 : 0);
            afterSecondRun = FileBytes(drawing);
            window->activateWindow();
            ASSERT_TRUE(QTest::qWaitForWindowActive(window));
            // Typed where the designer types, on the prompt line.
            window->promptEdit()->setFocus();
            QTest::keyClick(window->promptEdit(), Qt::Key_Z, Qt::ControlModifier);
            undone = FileBytes(drawing);
            QTest::keyClick(window->promptEdit(), Qt::Key_Y, Qt::ControlModifier);
            redone = FileBytes(drawing);
            window->close();
        }
    });
    scenario.start(20);
    RunWorkplace(dialogs, suite.programFolder(), SuiteRegistryFile(suite), provider,
                 {QString(), QStringLiteral("S-1")}, true);

    EXPECT_EQ(headsAfterFirstRun, 1);
    EXPECT_TRUE(iconDrawn);
    EXPECT_TRUE(shutDuringFirstRun);
    EXPECT_TRUE(formInFront);
    EXPECT_EQ(promptAfterRun, QString());
    EXPECT_EQ(highlightAfterRun, 0);
    EXPECT_TRUE(shutWhileRunning);
    EXPECT_EQ(Count(drawing, "110-SYGNALIZACJA_KOMORY", true), 2);
    EXPECT_FALSE(undoWhileRunning);
    EXPECT_FALSE(editWhileRunning);
    EXPECT_NE(afterFirstRun, afterSecondRun);
    EXPECT_TRUE(undone == afterFirstRun) << "the undone drawing differs from the one after the first run";
    EXPECT_TRUE(redone == afterSecondRun) << "the redone drawing differs from the one after the second run";
    EXPECT_EQ(QSettings(config + QStringLiteral("/cad-window.ini"), QSettings::IniFormat).value("lastSymbol"),
              QStringLiteral("S-3wp"));
}

// Started without a symbol (from the desktop menu), the program opens the
// window with the drawing, its palette and menu ready; nothing is asked.
TEST(Workplace, AStartWithoutASymbolOpensTheWindowReadyToPlace)
{
    TempSuite suite;
    BuildSuite(suite);
    const std::string drawing = WriteDrawing(suite, {});
    view::WindowedHostProvider provider(OpenDrawing(drawing));
    RecordingDialogs dialogs;
    HangGuard guard;
    bool ready = false;
    bool optionsShown = false;
    QTimer look;
    QObject::connect(&look, &QTimer::timeout, [&] {
        optionsShown |= VisibleOptionsForm() != nullptr;
        view::HostWindow* host = provider.hostWindow();
        if (!host || !host->window()->isVisible())
            return;
        auto* window = host->window();
        const auto* palette = window->findChild<view::ToolPalette*>();
        if (!palette || !palette->isEnabled())
            return;
        look.stop();
        ready = palette->tool(QStringLiteral("S-3wp")) != nullptr && host->host()->documentsCount() == 1;
        // Two commands on one key would both stay silent.
        std::map<QString, QString> commandOfKey;
        for (const QAction* action : window->findChildren<QAction*>()) {
            for (const QKeySequence& key : action->shortcuts()) {
                const auto [it, isNew] = commandOfKey.emplace(key.toString(), action->text());
                EXPECT_TRUE(isNew) << key.toString().toStdString() << ": " << it->second.toStdString()
                                   << " and " << action->text().toStdString();
            }
        }
        window->close();
    });
    look.start(20);
    const int code = RunWorkplace(dialogs, suite.programFolder(), SuiteRegistryFile(suite), provider,
                                  {QString(), QString()}, true);
    EXPECT_EQ(code, 0);
    EXPECT_TRUE(ready);
    EXPECT_FALSE(optionsShown);
    EXPECT_TRUE(dialogs.calls().empty()) << dialogs.calls().front().text.toStdString();
}

// "Przycisk" in the palette starts a pedestrian head's run with "Ustaw
// przyciski" ticked: its push buttons follow the head's description.
TEST(Workplace, PushButtonStartsAPedestrianHeadWithItsButtonsTicked)
{
    TempSuite suite;
    BuildSuite(suite);
    const std::string drawing = WriteDrawing(suite, {});
    view::WindowedHostProvider provider(OpenDrawing(drawing));
    RecordingDialogs dialogs;
    HangGuard guard;
    QString symbol;
    bool ticked = false;
    bool pushButtons = false;
    int looks = 0;
    QTimer look;
    QObject::connect(&look, &QTimer::timeout, [&] {
        frmMain* form = VisibleOptionsForm();
        if (!form || ++looks < 3)
            return;
        look.stop();
        symbol = form->state().signalSymbol;
        ticked = form->ui().chkUstawDetektory->isChecked();
        pushButtons = form->state().pushButtons;
        form->ui().cmdCancel->click();
    });
    look.start(20);
    RunWorkplace(dialogs, suite.programFolder(), SuiteRegistryFile(suite), provider,
                 {QString(), QStringLiteral("Przycisk")}, false);
    EXPECT_EQ(symbol, QStringLiteral("S-5"));
    EXPECT_TRUE(ticked);
    EXPECT_TRUE(pushButtons);
}

// Calls act each time a window of type T is shown: at once, or once the code
// that showed it has given the event loop back (a form loads on after it
// shows), so that a dialog is answered from inside its own loop.
template <class T> class WhenShown : public QObject {
public:
    enum class When { Shown, Settled };
    WhenShown(When when, std::function<void(T*)> act) : when_(when), act_(std::move(act))
    {
        qApp->installEventFilter(this);
    }
    bool eventFilter(QObject* watched, QEvent* event) override
    {
        auto* window = event->type() == QEvent::Show ? qobject_cast<T*>(watched) : nullptr;
        if (window && when_ == When::Shown)
            act_(window);
        else if (window)
            later([this, w = QPointer<T>(window)] { later([this, w] { act(w); }); });
        return false;
    }

private:
    // Events posted while the loop delivers others wait for its next round:
    // the second hop comes after a processEvents() the showing code runs.
    void later(std::function<void()> fn)
    {
        QMetaObject::invokeMethod(this, std::move(fn), Qt::QueuedConnection);
    }
    void act(const QPointer<T>& w)
    {
        if (w && w->isVisible())
            act_(w);
    }

    When when_;
    std::function<void(T*)> act_;
};

enum class ClickAfter { OptionsForm, DescriptionForm };

struct ClickGapCase {
    ClickAfter after;
    int gapMs;
};

std::string ClickGapName(const ::testing::TestParamInfo<ClickGapCase>& info)
{
    return std::string(info.param.after == ClickAfter::OptionsForm ? "OptionsForm" : "DescriptionForm")
        + std::to_string(info.param.gapMs) + "ms";
}

class EveryClickCounts : public ::testing::TestWithParam<ClickGapCase> { };

// A quick designer clicks before the window has caught up with the program:
// the first click after accepting the options form belongs to the insertion
// point, and a click after the description form, with no run asking, is not
// swallowed without a word nor handed to the next run's question. Two runs
// on one window; each head must land where it was clicked, turned towards
// the rotation click, its description where that was clicked.
TEST_P(EveryClickCounts, AClickSoonAfterAFormGoesToItsQuestion)
{
    const ClickGapCase c = GetParam();
    TempSuite suite;
    BuildSuite(suite);
    const std::string drawing = WriteDrawing(suite, {});
    view::WindowedHostProvider provider(OpenDrawing(drawing));
    RecordingDialogs dialogs;
    dialogs.answerMessage(DialogAnswer::Yes); // the second head has the same designation
    HangGuard guard;

    QPoint insertion, rotation, description;
    view::MainWindow* window = nullptr;
    int run = 0;
    bool insertionClicked = false;
    bool insertionAskedAgain = false;
    QString afterStrayClick;
    bool strayClickSelects = false; // between runs a click picks from the drawing
    // Where each click was in the drawing when it was made (the view follows
    // the drawing as it grows).
    std::vector<view::Vec2> insertions, descriptions;
    auto click = [&](QPoint at, std::vector<view::Vec2>* where) {
        QTimer::singleShot(0, window, [&window, at, where] {
            if (where)
                where->push_back(window->view()->toDrawing(at));
            QTest::mouseClick(window->view(), Qt::LeftButton, {}, at);
        });
    };
    auto clickInsertion = [&] {
        insertionClicked = true;
        insertions.push_back(window->view()->toDrawing(insertion));
        QTest::mouseClick(window->view(), Qt::LeftButton, {}, insertion);
    };
    std::function<void()> startNextRun = [&] {
        // The palette opens once the run has ended (its step can be undone).
        if (!window->undoAction()->isEnabled()) {
            // (from the loop the window waits in, once the palette is open)
            QObject::connect(
                window->undoAction(), &QAction::enabledChanged, window,
                [&](bool) { QTimer::singleShot(0, window, startNextRun); }, Qt::SingleShotConnection);
            return;
        }
        auto* palette = window->findChild<view::ToolPalette*>();
        QTreeWidget* tree = palette->tree();
        QTreeWidgetItem* tool = palette->tool(QStringLiteral("S-3wp"));
        tree->scrollToItem(tool);
        QTest::mouseClick(tree->viewport(), Qt::LeftButton, {}, tree->visualItemRect(tool).center());
    };

    QPointer<frmMain> accepted;
    WhenShown<frmMain> optionsForm(WhenShown<frmMain>::When::Settled, [&](frmMain* form) {
        // The options form shows again while its head is described.
        if (form == accepted)
            return;
        accepted = form;
        ++run;
        insertionClicked = false;
        if (!window) {
            window = provider.hostWindow()->window();
            window->view()->setSnapsEnabled(false);
            const QPoint centre = window->view()->rect().center();
            insertion = centre;
            rotation = centre - QPoint(0, 60);
            description = centre + QPoint(40, 40);
            QObject::connect(window->input(), &view::DrawingInput::asked, window,
                             [&](const view::Question& question) {
                                 if (question.kind == view::Question::Kind::Angle) {
                                     click(rotation, nullptr);
                                 } else if (!provider.hostWindow()->host()->pendingInsert()) {
                                     AnswerDescriptionForm({});
                                     click(description, &descriptions);
                                 } else if (insertionClicked) {
                                     // The click given was lost: end the program instead of hanging.
                                     insertionAskedAgain = true;
                                     QTimer::singleShot(0, window, [&] { window->close(); });
                                 } else if (c.after != ClickAfter::OptionsForm || run > 1) {
                                     QTimer::singleShot(0, window, clickInsertion);
                                 }
                             });
        }
        form->ui().cmbNumSkrzyz->setCurrentIndex(0);
        form->ui().cmdAccept->click();
        if (c.after == ClickAfter::OptionsForm && run == 1)
            QTimer::singleShot(c.gapMs, window, clickInsertion);
    });
    using DescriptionShown = WhenShown<frmAtrybutySygnalizatora>;
    DescriptionShown descriptionForm(DescriptionShown::When::Shown, [&](frmAtrybutySygnalizatora* form) {
        // After the form: the first run ends, the window stays for the next.
        const bool first = run == 1;
        QObject::connect(form, &QDialog::finished, window, [&, first] {
            if (!first || insertionAskedAgain) {
                QTimer::singleShot(0, window, [&] { window->close(); });
                return;
            }
            QTimer::singleShot(c.after == ClickAfter::DescriptionForm ? c.gapMs : 0, window, [&] {
                if (c.after == ClickAfter::DescriptionForm) {
                    strayClickSelects = window->view()->selecting();
                    QTest::mouseClick(window->view(), Qt::LeftButton, {}, insertion + QPoint(-70, 30));
                    afterStrayClick = window->promptLabel()->text();
                }
                startNextRun();
            });
        });
    });
    RunWorkplace(dialogs, suite.programFolder(), SuiteRegistryFile(suite), provider,
                 {QString(), QStringLiteral("S-1")}, true);

    ASSERT_NE(window, nullptr);
    EXPECT_FALSE(insertionAskedAgain) << "the insertion point was asked again after its click";
    const auto doc = dxf::Document::load(drawing);
    std::vector<dxf::BlockReference> heads;
    for (const auto& entity : doc.modelSpace()) {
        if (entity.layer() == "110-SYGNALIZACJA_KOMORY" && entity.isBlockReference())
            heads.push_back(entity.asBlockReference());
    }
    const auto texts = TextsOf(doc);
    ASSERT_EQ(heads.size(), 2u);
    ASSERT_EQ(texts.size(), 2u);
    ASSERT_EQ(insertions.size(), 2u);
    ASSERT_EQ(descriptions.size(), 2u);
    for (std::size_t i = 0; i < 2; ++i) {
        EXPECT_NEAR(heads[i].insertionPoint().x, insertions[i].x, 1e-6) << "run " << i + 1;
        EXPECT_NEAR(heads[i].insertionPoint().y, insertions[i].y, 1e-6) << "run " << i + 1;
        EXPECT_NEAR(heads[i].rotation(), 90.0, 1e-6) << "run " << i + 1;
        EXPECT_NEAR(texts[i].insertionPoint().x, descriptions[i].x, 1e-6) << "run " << i + 1;
        EXPECT_NEAR(texts[i].insertionPoint().y, descriptions[i].y, 1e-6) << "run " << i + 1;
    }
    // A click no question waits for is kept until the run ends, where the
    // designer looks, or selects once the run is over.
    if (c.after == ClickAfter::DescriptionForm) {
        EXPECT_TRUE(strayClickSelects || afterStrayClick.contains(QStringLiteral("pominięte"))
                    || afterStrayClick.contains(QStringLiteral("Zapamiętano")))
            << afterStrayClick.toStdString();
    }
}

INSTANTIATE_TEST_SUITE_P(Gaps, EveryClickCounts,
                         ::testing::Values(ClickGapCase{ClickAfter::OptionsForm, 0},
                                           ClickGapCase{ClickAfter::OptionsForm, 20},
                                           ClickGapCase{ClickAfter::OptionsForm, 100},
                                           ClickGapCase{ClickAfter::OptionsForm, 300},
                                           ClickGapCase{ClickAfter::DescriptionForm, 0},
                                           ClickGapCase{ClickAfter::DescriptionForm, 20},
                                           ClickGapCase{ClickAfter::DescriptionForm, 100},
                                           ClickGapCase{ClickAfter::DescriptionForm, 300}),
                         ClickGapName);

} // namespace
} // namespace lumo::test
