#include "cad/embedded/view/window_input.h"

#include <QLineEdit>
#include <QTimer>

#include "dxf/document.h"

#include <cmath>

namespace lumo::view {

namespace ce = cad::embedded;

namespace {
// Above this many entities a rebuild takes long enough to be felt.
constexpr std::size_t kRebuildOnWaitLimit = 20000;
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

WindowInputSource::WindowInputSource(MainWindow* window) : window_(window) {}

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
    if (!window_)
        return ce::InputAnswer::cancel();
    // Nobody can answer a window that is not on the screen.
    if (!window_->isVisible())
        window_->show();
    // Entities edited in place show too, where a rebuild costs little.
    const auto* drawing = window_->document();
    if (drawing && drawing->modelSpaceCount() < kRebuildOnWaitLimit)
        window_->rebuild();
    else
        window_->refresh();
    window_->raise();
    window_->activateWindow();
    return toHostAnswer(window_->input()->wait(toQuestion(request)));
}

HostWindow::HostWindow(std::shared_ptr<ce::EmbeddedApplication> host, bool takeInput, QObject* parent)
    : QObject(parent), host_(std::move(host)), window_(std::make_unique<MainWindow>()),
      source_(std::make_shared<WindowInputSource>(window_.get()))
{
    if (takeInput)
        host_->setInput(source_);
    window_->showDocument(host_->drawing(), QString::fromStdString(host_->drawingPath()));
    // The window reads the drawing itself (with progress); the host then
    // takes the same file as its active drawing.
    connect(window_.get(), &MainWindow::drawingOpened, this, [this](const QString& path) {
        if (host_->open(path.toStdString()))
            window_->showDocument(host_->drawing(), QString::fromStdString(host_->drawingPath()));
    });
    timer_ = new QTimer(this);
    timer_->setInterval(100);
    connect(timer_, &QTimer::timeout, this, &HostWindow::sync);
    timer_->start();
    sync();
}

HostWindow::~HostWindow()
{
    if (host_->input() == source_)
        host_->setInput(nullptr);
}

void HostWindow::sync()
{
    if (syncing_)
        return;
    syncing_ = true;
    if (host_->visible() && !shown_) {
        // The program's forms stay above the drawing they work on.
        shown_ = true;
        window_->show();
        window_->lower();
    }
    if (host_->drawing() != window_->document())
        window_->showDocument(host_->drawing(), QString::fromStdString(host_->drawingPath()));
    else
        window_->refresh();

    // The waiting insert's block follows the cursor.
    const auto pending = host_->pendingInsert();
    if (pending) {
        // A placement starts: what the program wrote since (attribute
        // values, layers) shows before the designer picks.
        if (previewBlock_.empty())
            window_->rebuild();
        if (pending->blockName != previewBlock_ || pending->scale.x != previewScale_) {
            previewBlock_ = pending->blockName;
            previewScale_ = pending->scale.x;
            window_->setInsertPreview(QString::fromStdString(previewBlock_), previewScale_);
        }
    } else if (!previewBlock_.empty()) {
        previewBlock_.clear();
        previewScale_ = 0.0;
        window_->clearInsertPreview();
        window_->input()->clear();
    }
    if (!window_->input()->current() && !host_->lastPrompt().empty())
        window_->input()->showPrompt(QString::fromStdString(host_->lastPrompt()));
    syncing_ = false;
}

} // namespace lumo::view

namespace lumo::view {

WindowedHostProvider::WindowedHostProvider(OptionsFn options) : options_(std::move(options)) {}

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
    const std::string configFolder = options.configFolder;
    auto app = std::make_shared<ce::EmbeddedApplication>(std::move(options));
    window_.reset();
    window_ = std::make_unique<HostWindow>(app, !scripted);
    if (!configFolder.empty())
        window_->window()->setRecentStore(QString::fromStdString(configFolder) + QStringLiteral("/cad-window.ini"));
    running_ = app;
    return app;
}

} // namespace lumo::view
