#include "cad/embedded/view/window_input.h"

#include "cad/embedded/view/window_size.h"

#include <QAction>
#include <QFileInfo>
#include <QKeyEvent>
#include <QLineEdit>
#include <QLocale>
#include <QProgressDialog>

#include <cmath>
#include <unordered_set>
#include <utility>

namespace lumo::view {

namespace ce = cad::embedded;

namespace {
// Undo and redo typed on an empty prompt line are the drawing's, as the
// prompt line has nothing of its own to take back then.
class DrawingUndoOnEmptyLine : public QObject {
public:
    using QObject::QObject;
    bool eventFilter(QObject* watched, QEvent* event) override
    {
        if (event->type() != QEvent::ShortcutOverride)
            return false;
        auto* edit = qobject_cast<QLineEdit*>(watched);
        auto* key = static_cast<QKeyEvent*>(event);
        const QKeySequence pressed(key->keyCombination());
        const bool undoOrRedo = pressed == QKeySequence(Qt::CTRL | Qt::Key_Z)
            || pressed == QKeySequence(Qt::CTRL | Qt::Key_Y)
            || pressed == QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_Z);
        // Left unaccepted, the override lets the window's shortcut run.
        return edit && edit->text().isEmpty() && undoOrRedo;
    }
};
} // namespace

Question toQuestion(const ce::InputRequest& request)
{
    Question q;
    q.kind = request.kind == ce::InputRequest::Kind::Angle ? Question::Kind::Angle : Question::Kind::Point;
    q.prompt = QString::fromStdString(request.prompt);
    if (request.basePoint)
        q.base = Vec2{request.basePoint->x, request.basePoint->y};
    return q;
}

ce::InputAnswer toHostAnswer(const Answer& answer)
{
    switch (answer.kind) {
    case Answer::Kind::Point: return ce::InputAnswer::pointAt(answer.point.x, answer.point.y);
    case Answer::Kind::Angle: return ce::InputAnswer::angle(answer.degrees);
    case Answer::Kind::Accept: return ce::InputAnswer::accept();
    case Answer::Kind::Cancel: break;
    }
    return ce::InputAnswer::cancel();
}

WindowInputSource::WindowInputSource(MainWindow* window) : window_(window) { }

ce::InputAnswer WindowInputSource::poll(const ce::InputRequest& request)
{
    if (!window_)
        return ce::InputAnswer::cancel();
    if (const auto answer = window_->input()->poll(toQuestion(request)))
        return toHostAnswer(*answer);
    return ce::InputAnswer::nothing();
}

ce::InputAnswer WindowInputSource::wait(const ce::InputRequest& request)
{
    if (!window_ || window_->input()->isClosed())
        return ce::InputAnswer::cancel();
    // Nobody can answer a window that is not on the screen.
    if (!window_->isVisible())
        window_->show();
    // What the program wrote so far shows before the designer answers.
    window_->refresh();
    window_->raise();
    window_->activateWindow();
    return toHostAnswer(window_->input()->wait(toQuestion(request)));
}

void WindowInputSource::ask(const ce::InputRequest& request)
{
    if (window_)
        window_->input()->ask(toQuestion(request));
}

void WindowInputSource::withdraw()
{
    if (window_)
        window_->input()->clear();
}

HostWindow::HostWindow(std::shared_ptr<ce::EmbeddedApplication> host, bool takeInput, QObject* parent)
    : QObject(parent), host_(std::move(host)), window_(std::make_unique<MainWindow>()),
      source_(std::make_shared<WindowInputSource>(window_.get()))
{
    if (takeInput)
        host_->setInput(source_);
    host_->setListener([this](ce::HostChange change) { hostChanged(change); });
    window_->setOpenHandler([this](const QString& path) { return openDrawing(path); });
    window_->setSaveHandler([this](const QString& path) {
        return path.isEmpty() ? host_->save() : host_->saveAs(path.toStdString());
    });
    host_->setBringToFront([window = QPointer<MainWindow>(window_.get())] {
        if (window) {
            window->raise();
            window->activateWindow();
        }
    });
    // An answer moves the waiting command on at once, so its next question
    // is asked before the designer's next click.
    if (takeInput) {
        connect(window_->input(), &DrawingInput::answered, this, [this] { host_->takeInput(); });
        // While a run goes on the designer may click ahead of the program's
        // next question; between runs nothing is asked and a click is refused.
        window_->input()->setKeepsAhead([this] { return !host_->canEdit(); });
        editor_ = new Editor(window_.get(), host_);
        properties_ = new PropertiesPanel(editor_, host_, window_.get());
        window_->addSidePanel(properties_, QStringLiteral("Wł&aściwości"));
    }
    connect(window_.get(), &MainWindow::closing, this, [this] {
        emit closed();
        if (onClosed_)
            onClosed_();
    });
    window_->promptEdit()->installEventFilter(new DrawingUndoOnEmptyLine(window_->promptEdit()));
    connect(window_->undoAction(), &QAction::triggered, this, [this] { takeStep(/*forward=*/false); });
    connect(window_->redoAction(), &QAction::triggered, this, [this] { takeStep(/*forward=*/true); });
    window_->setLayerSaveHandler([this](const std::vector<LayerSwitches>& switched) {
        std::vector<ce::EmbeddedApplication::LayerState> states;
        for (const LayerSwitches& layer : switched)
            states.push_back({layer.name, layer.on, layer.frozen});
        return host_->saveLayerStates(states);
    });
    showHistory();
    showDocument();
    // A drawing asked for that is not there: the designer may open another
    // or create it (a script has nobody to ask).
    if (takeInput && !host_->drawing() && !host_->missingDrawing().empty()) {
        const QString missing = QString::fromStdString(host_->missingDrawing());
        switch (window_->offerMissingDrawing(missing)) {
        case MissingDrawingChoice::Open: window_->chooseAndOpen(); break;
        case MissingDrawingChoice::Create: host_->create(missing.toStdString()); break;
        case MissingDrawingChoice::Nothing: break;
        }
    }
    showWhenVisible();
}

HostWindow::~HostWindow()
{
    host_->setListener(nullptr);
    if (host_->input() == source_)
        host_->setInput(nullptr);
    host_->setBringToFront(nullptr);
}

void HostWindow::hostChanged(ce::HostChange change)
{
    showHistory();
    switch (change) {
    case ce::HostChange::Visible: showWhenVisible(); break;
    case ce::HostChange::Document: showDocument(); break;
    case ce::HostChange::Command: followCommand(); break;
    case ce::HostChange::Drawing:
    case ce::HostChange::Updated: scheduleRefresh(); break;
    case ce::HostChange::Prompt:
        if (!window_->input()->current())
            window_->input()->showPrompt(QString::fromStdString(host_->lastPrompt()));
        break;
    }
}

void HostWindow::showHistory()
{
    // The run is over: what the designer gave ahead has no question left.
    if (host_->canEdit())
        window_->input()->dropAhead();
    if (editor_)
        editor_->setEditable(host_->canEdit());
    window_->undoAction()->setEnabled(host_->canUndo());
    window_->redoAction()->setEnabled(host_->canRedo());
    window_->layersPanel()->setSaveEnabled(host_->canEdit());
}

void HostWindow::showWhenVisible()
{
    if (!host_->visible() || shown_)
        return;
    // The program's forms stay above the drawing they work on.
    shown_ = true;
    window_->show();
    window_->lower();
}

void HostWindow::showDocument()
{
    if (const auto drawing = host_->drawing(); !(drawing == window_->drawing())) {
        if (editor_)
            editor_->clearSelection();
        window_->showDrawing(drawing, QString::fromStdString(host_->drawingPath()));
    } else {
        window_->setDrawingPath(QString::fromStdString(host_->drawingPath()));
    }
    window_->setDrawingState(host_->modified(), host_->readOnly());
}

void HostWindow::followCommand()
{
    // The waiting insert's block follows the cursor.
    const auto pending = host_->pendingInsert();
    if (pending) {
        // A placement starts: what the program wrote since (attribute
        // values, layers) shows before the designer picks.
        if (previewBlock_.empty())
            window_->refresh();
        if (pending->blockName != previewBlock_ || pending->scale.x != previewScale_) {
            previewBlock_ = pending->blockName;
            previewScale_ = pending->scale.x;
            window_->setInsertPreview(QString::fromStdString(previewBlock_), previewScale_);
        }
    } else if (!previewBlock_.empty()) {
        previewBlock_.clear();
        previewScale_ = 0.0;
        window_->clearInsertPreview();
    }
}

void HostWindow::takeStep(bool forward)
{
    // The selection follows its entities by their keys, which a step keeps,
    // while their numbers in the drawing may change.
    std::unordered_set<std::uint32_t> selected;
    if (editor_) {
        const auto chosen = editor_->selection();
        const auto keys = chosen.empty() ? std::vector<std::uint32_t>() : host_->drawing().modelSpaceKeys();
        for (const std::size_t entity : chosen)
            if (entity < keys.size())
                selected.insert(keys[entity]);
        editor_->clearSelection();
    }
    if (!(forward ? host_->redo() : host_->undo()))
        return;
    // Only the entities of the step are drawn anew.
    window_->refresh();
    if (!editor_ || selected.empty() || !window_->pictureIsCurrent())
        return;
    std::vector<std::uint32_t> still;
    const auto& keys = window_->sceneKeys();
    for (std::size_t i = 0; i < keys.size(); ++i)
        if (selected.count(keys[i]))
            still.push_back(std::uint32_t(i));
    editor_->select(still);
}

void HostWindow::scheduleRefresh()
{
    // Many changes in a row are drawn once, when the program lets the
    // window breathe.
    if (refreshScheduled_)
        return;
    refreshScheduled_ = true;
    QMetaObject::invokeMethod(
        this,
        [this] {
            refreshScheduled_ = false;
            window_->refresh();
            window_->setDrawingState(host_->modified(), host_->readOnly());
        },
        Qt::QueuedConnection);
}

bool HostWindow::openDrawing(const QString& path)
{
    // A large drawing takes a while to read and to draw: the designer sees
    // how far it got (reading the first half of the bar, drawing the
    // second) and may give up while it is read, keeping the drawing open
    // before.
    QProgressDialog progress(QStringLiteral("Otwieranie rysunku %1...").arg(QFileInfo(path).fileName()),
                             QStringLiteral("Anuluj"), 0, 100, window_.get());
    progress.setWindowTitle(window_->windowTitle());
    progress.setWindowModality(Qt::ApplicationModal);
    progress.setMinimumDuration(window_->progressDelay());
    progress.setAutoClose(false);
    progress.setAutoReset(false);
    int shown = -1;
    auto show = [&](int percent) {
        // (a modal progress dialog lets the events through as it moves)
        if (percent != shown) {
            shown = percent;
            progress.setValue(percent);
        }
    };
    host_->setReadProgress([&](double done) {
        show(static_cast<int>(done * 50));
        return !progress.wasCanceled();
    });
    window_->setBuildProgress([&](double done) {
        if (shown < 50)
            progress.setCancelButton(nullptr); // read: nothing to give up any more
        show(50 + static_cast<int>(done * 50));
    });
    const bool opened = host_->open(path.toStdString());
    host_->setReadProgress({});
    window_->setBuildProgress({});
    return opened;
}

} // namespace lumo::view

namespace lumo::view {

WindowedHostProvider::WindowedHostProvider(OptionsFn options) : options_(std::move(options)) { }

WindowedHostProvider::~WindowedHostProvider() = default;

std::shared_ptr<cad::Application> WindowedHostProvider::attach()
{
    if (auto running = running_.lock())
        return running;
    throw cad::HostError("No embedded host is running");
}

std::shared_ptr<cad::Application> WindowedHostProvider::create()
{
    auto options = options_ ? options_() : ce::EmbeddedHostOptions{};
    const bool scripted = options.input != nullptr;
    // The host speaks the language of the designer's desktop.
    options.polish = options.polish || QLocale().language() == QLocale::Polish;
    // The window names a missing drawing once, offering to open or create it.
    options.offerMissingDrawing = !scripted;
    // The designer says where to save a drawing that cannot stay where it is.
    if (!scripted && !options.askSaveAs) {
        options.askSaveAs
            = [this](const std::string& path, const std::string& reason) -> std::optional<std::string> {
            if (!window_)
                return std::nullopt;
            const auto chosen
                = window_->window()->askSaveAs(QString::fromStdString(path), QString::fromStdString(reason));
            if (!chosen)
                return std::nullopt;
            return chosen->toStdString();
        };
    }
    const std::string configFolder = options.configFolder;
    auto app = std::make_shared<ce::EmbeddedApplication>(std::move(options));
    window_.reset();
    window_ = std::make_unique<HostWindow>(app, !scripted);
    if (window_->editor() && attributeCheck_)
        window_->editor()->setAttributeCheck(attributeCheck_);
    window_->setOnClosed([this] {
        if (onWindowClosed_)
            onWindowClosed_();
    });
    if (!configFolder.empty()) {
        configFile_ = QString::fromStdString(configFolder) + QStringLiteral("/cad-window.ini");
        window_->window()->setSettingsFile(configFile_);
    }
    new WindowSizeKeeper(*window_->window(), configFile_);
    running_ = app;
    // Started by a program's run: the rest of the run is one step, and the
    // designer's own edits wait for its end.
    if (programRunning_)
        app->beginRun();
    return app;
}

} // namespace lumo::view
