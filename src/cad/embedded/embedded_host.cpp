// The embedded host's application: its drawings on disk (opened, created,
// saved without ever losing work), its listener, and the provider.
#include "cad/embedded/drawing_data.h"
#include "cad/embedded/polish_reasons.h"

#include "base/atomic_file.h"
#include "dxf/checkpoint.h"
#include "dxf/saved_file.h"

#include <filesystem>
#include <fstream>
#include <set>

namespace fs = std::filesystem;

namespace lumo::cad::embedded {

// ---------------------------------------------------------------- application

EmbeddedApplication::EmbeddedApplication(EmbeddedHostOptions options)
    : options_(std::move(options)), listener_(std::make_shared<HostListener>())
{
    std::string path;
    if (options_.drawing) {
        path = *options_.drawing;
    } else {
        path = RememberedDrawing(options_.configFolder);
        // A remembered drawing that has gone away is offered where a window
        // can, else quietly forgotten.
        std::error_code ec;
        if (!path.empty() && !options_.offerMissingDrawing
            && !fs::exists(base::PathOf(base::NativePath(path)), ec))
            path.clear();
    }
    if (!path.empty())
        open(path);
}

// Saving asks the designer, so it happens while the program still runs
// (Program::saveDrawing), never while things are being torn down.
EmbeddedApplication::~EmbeddedApplication() = default;

void EmbeddedApplication::report(const std::string& text) const
{
    if (options_.report)
        options_.report(kMessageTitle, text, MessageIcon::Exclamation);
}

void EmbeddedApplication::notify(HostChange change) const
{
    if (*listener_)
        (*listener_)(change);
}

void EmbeddedApplication::setListener(HostListener listener)
{
    *listener_ = std::move(listener);
}

void EmbeddedApplication::setVisible(bool visible)
{
    if (visible_ == visible)
        return;
    visible_ = visible;
    notify(HostChange::Visible);
}

bool EmbeddedApplication::adopt(std::shared_ptr<DrawingData> data)
{
    data->input = options_.input;
    data->listener = listener_;
    data->report = [report = options_.report](const std::string& text) {
        if (report)
            report(kMessageTitle, text, MessageIcon::Exclamation);
    };
    data->commands.setPolish(options_.polish);
    data_ = std::move(data);
    base_.reset();
    undo_.clear();
    redo_.clear();
    missing_.clear();
    remember(data_->path);
    notify(HostChange::Document);
    return true;
}

bool EmbeddedApplication::open(const std::string& given)
{
    std::error_code ec;
    const fs::path file = fs::absolute(base::PathOf(base::NativePath(given)), ec);
    const std::string path = base::TextOf(file);
    if (data_ && data_->path == path)
        return true;
    if (!fs::exists(file, ec)) {
        // Nothing is made on disk unasked: the designer may open or create one.
        missing_ = path;
        if (!options_.offerMissingDrawing)
            report("Nie znaleziono rysunku: [" + path + "]");
        return false;
    }
    if (fs::is_directory(file, ec)) {
        report("Nie można odczytać rysunku:\r\n[" + path + "]\r\nTo jest folder, nie rysunek.");
        return false;
    }
    // The drawing open now is kept when its changes cannot be saved.
    if (!save())
        return false;
    try {
        auto document = dxf::Document::load(path, readProgress_);
        const auto stamp = StampOf(path, document.bytesRead());
        adopt(std::make_shared<DrawingData>(std::move(document), path, stamp));
        // what a save of it that was cut short left behind
        dxf::RemoveSaveLeftovers(path);
    } catch (const dxf::LoadCancelled&) {
        return false; // the designer gave up waiting: nothing to say
    } catch (const std::exception& e) {
        // Not opened, so nothing can ever write over it.
        report("Nie można odczytać rysunku:\r\n[" + path + "]\r\n" + PolishReason(e));
        return false;
    }
    // read, but with something the designer should know (an unknown code page, ...)
    if (const auto warnings = data_->doc.warnings(); !warnings.empty()) {
        std::string text = "Rysunek odczytano z uwagami:\r\n[" + path + "]";
        for (const std::string& w : warnings)
            text += "\r\n" + w;
        report(text);
    }
    return true;
}

bool EmbeddedApplication::create(const std::string& given)
{
    if (!save())
        return false;
    std::error_code ec;
    const std::string path = base::TextOf(fs::absolute(base::PathOf(base::NativePath(given)), ec));
    return adopt(std::make_shared<DrawingData>(dxf::Document::create("AC1032"), path, std::nullopt));
}

std::string RememberedDrawing(const std::string& folder)
{
    if (folder.empty())
        return "";
    std::ifstream in(base::PathOf(folder) / kLastDrawingFile, std::ios::binary);
    for (std::string line; std::getline(in, line);) {
        if (!line.empty() && line.back() == '\r')
            line.pop_back();
        if (line.rfind("drawing=", 0) == 0)
            return line.substr(8);
    }
    return "";
}

void EmbeddedApplication::remember(const std::string& path) const
{
    if (options_.configFolder.empty())
        return;
    std::error_code ec;
    const fs::path folder = base::PathOf(options_.configFolder);
    fs::create_directories(folder, ec);
    base::WriteFileAtomic(folder / kLastDrawingFile, "drawing=" + path + "\n");
}

void EmbeddedApplication::bringToFront()
{
    if (raise_)
        raise_();
}

void EmbeddedApplication::setBringToFront(std::function<void()> raise)
{
    raise_ = std::move(raise);
}

void EmbeddedApplication::setReadProgress(std::function<bool(double)> progress)
{
    readProgress_ = std::move(progress);
}

std::string EmbeddedApplication::write(const std::string& path, bool makeFolder)
{
    const fs::path file = base::PathOf(path);
    std::error_code ec;
    const auto status = fs::status(file, ec);
    // Only a new drawing's folder is made: a folder that went away (a disk
    // taken out, a share gone) is not made again somewhere else.
    if (makeFolder)
        fs::create_directories(file.parent_path(), ec);
    dxf::SavedFile saved;
    try {
        saved = dxf::SaveAndTell(data_->doc, path);
    } catch (const std::exception& e) {
        return WhySaveFailed(e);
    }
    data_->restored = false;
    // The new file keeps the permissions the old one had.
    if (fs::exists(status))
        fs::permissions(file, status.permissions(), ec);
    // (the stamp of the bytes written, not read back)
    data_->stamp = StampNow(saved.size, saved.hash, saved.modified.time_since_epoch().count());
    return "";
}

std::string EmbeddedApplication::moveTo(const std::string& path)
{
    if (std::string why = write(path, false); !why.empty())
        return why;
    data_->path = path;
    remember(path);
    notify(HostChange::Document);
    return "";
}

bool EmbeddedApplication::save()
{
    if (!modified())
        return true;
    const std::string original = data_->path;
    std::string reason = WhyNotWritable(original, data_->stamp);
    if (reason.empty()) {
        // (a drawing never written yet is new: its folder may be made)
        reason = write(original, !data_->stamp);
        if (reason.empty()) {
            notify(HostChange::Document);
            return true;
        }
    }
    if (!options_.askSaveAs) {
        // Nobody to ask: beside the original, under a name of its own.
        const std::string beside = SuggestedSaveAsPath(original);
        const std::string besideReason = moveTo(beside);
        if (besideReason.empty()) {
            report("Rysunku nie zapisano w pliku:\r\n[" + original + "]\r\n" + reason
                   + "\r\nZapisano go jako:\r\n[" + beside + "]");
            return true;
        }
        report("Nie można zapisać rysunku:\r\n[" + original + "]\r\n" + reason
               + "\r\nNie można go też zapisać jako:\r\n[" + beside + "]\r\n" + besideReason + "\r\n"
               + kNotSavedNote);
        return false;
    }
    while (const auto target = options_.askSaveAs(data_->path, reason)) {
        std::error_code ec;
        const std::string path = base::TextOf(fs::absolute(base::PathOf(base::NativePath(*target)), ec));
        const std::string why = moveTo(path);
        if (why.empty())
            return true;
        reason = "Nie można go też zapisać jako:\r\n[" + path + "]\r\n" + why;
    }
    return false;
}

bool EmbeddedApplication::saveAs(const std::string& given)
{
    if (!data_)
        return false;
    std::error_code ec;
    const std::string path = base::TextOf(fs::absolute(base::PathOf(base::NativePath(given)), ec));
    const std::string why = moveTo(path);
    if (why.empty())
        return true;
    report("Nie można zapisać rysunku:\r\n[" + path + "]\r\n" + why + "\r\n" + kNotSavedNote);
    return false;
}

std::shared_ptr<HostState> EmbeddedApplication::getAcadState()
{
    return MakeHostState(shared_from_this());
}

long EmbeddedApplication::documentsCount() const
{
    return data_ ? 1 : 0;
}

std::shared_ptr<Document> EmbeddedApplication::activeDocument()
{
    if (!data_)
        throw HostError("No document is open");
    takeBase();
    return MakeDocument(data_);
}

std::string EmbeddedApplication::drawingPath() const
{
    return data_ ? data_->path : "";
}

bool EmbeddedApplication::readOnly() const
{
    return data_ && WhyNotWritable(data_->path, std::nullopt) == kReadOnlyReason;
}

bool EmbeddedApplication::modified() const
{
    return data_ && (data_->doc.isModified() || data_->restored);
}

DrawingReader EmbeddedApplication::drawing() const
{
    if (!data_)
        return {};
    return DrawingReader(std::shared_ptr<const dxf::Document>(data_, &data_->doc),
                         std::shared_ptr<const std::uint64_t>(data_, &data_->serial));
}

std::optional<PendingInsert> EmbeddedApplication::pendingInsert() const
{
    return data_ ? data_->commands.pendingInsert() : std::nullopt;
}

bool EmbeddedApplication::isQuiescent() const
{
    if (!data_)
        return true;
    data_->poll();
    return !data_->commands.isWaiting();
}

void EmbeddedApplication::takeInput()
{
    if (data_)
        data_->poll();
}

std::string EmbeddedApplication::lastPrompt() const
{
    return data_ ? data_->commands.lastPrompt() : "";
}

void EmbeddedApplication::cancelCommand()
{
    if (!data_)
        return;
    DrawingData::Watch watch(*data_);
    data_->commands.cancel();
}

void EmbeddedApplication::setInput(std::shared_ptr<InputSource> input)
{
    options_.input = input;
    if (data_)
        data_->input = std::move(input);
}

std::shared_ptr<InputSource> EmbeddedApplication::input() const
{
    return options_.input;
}

// ---------------------------------------------------------------- undo

void EmbeddedApplication::takeBase()
{
    if (data_ && !base_)
        base_ = dxf::Checkpoint(data_->doc);
}

void EmbeddedApplication::closeStep()
{
    if (!data_ || !base_ || !dxf::ChangedSince(data_->doc, *base_))
        return;
    auto after = dxf::Checkpoint(data_->doc);
    undo_.push_back({base_, after});
    redo_.clear();
    base_ = std::move(after);
    while (undo_.size() > kUndoSteps || (undo_.size() > 1 && historyBytes() > kUndoBytes))
        undo_.erase(undo_.begin());
}

std::size_t EmbeddedApplication::historyBytes() const
{
    // Neighbouring steps share the checkpoint between them.
    std::set<const dxf::DocState*> kept;
    for (const auto* steps : {&undo_, &redo_}) {
        for (const Step& step : *steps)
            kept.insert({step.before.get(), step.after.get()});
    }
    std::size_t bytes = 0;
    for (const dxf::DocState* state : kept)
        bytes += dxf::BytesOf(*state);
    return bytes;
}

void EmbeddedApplication::beginRun()
{
    running_ = true;
    notify(HostChange::Document);
}

void EmbeddedApplication::endRun()
{
    running_ = false;
    closeStep();
    notify(HostChange::Document);
}

bool EmbeddedApplication::canEdit() const
{
    return !running_ && data_ && !data_->commands.isWaiting();
}

bool EmbeddedApplication::canUndo() const
{
    return canEdit() && !undo_.empty();
}

bool EmbeddedApplication::canRedo() const
{
    return canEdit() && !redo_.empty();
}

bool EmbeddedApplication::restore(const std::shared_ptr<const dxf::DocState>& state)
{
    try {
        dxf::RollBack(data_->doc, *state);
    } catch (const std::exception& e) {
        report(std::string("Nie można cofnąć zmian rysunku: ") + PolishReason(e));
        return false;
    }
    // Entities kept in selections belonged to the drawing as it was.
    data_->selections.clear();
    data_->restored = true;
    ++data_->serial;
    base_ = state;
    // Kept unsaved when the designer says so: the drawing stays changed.
    save();
    return true;
}

bool EmbeddedApplication::undo()
{
    return canUndo() && takeStep(undo_, redo_, /*forward=*/false);
}

bool EmbeddedApplication::redo()
{
    return canRedo() && takeStep(redo_, undo_, /*forward=*/true);
}

bool EmbeddedApplication::takeStep(std::vector<Step>& from, std::vector<Step>& to, bool forward)
{
    const Step step = from.back();
    if (!restore(forward ? step.after : step.before))
        return false;
    from.pop_back();
    to.push_back(step);
    notify(HostChange::Document);
    return true;
}

bool EmbeddedApplication::saveLayerStates(const std::vector<LayerState>& states)
{
    if (!canEdit())
        return false;
    takeBase();
    for (const LayerState& state : states) {
        auto layer = data_->doc.findLayer(state.name);
        if (!layer)
            continue;
        if (layer->isOn() != state.on)
            layer->setOn(state.on);
        if (layer->isFrozen() != state.frozen)
            layer->setFrozen(state.frozen);
    }
    closeStep();
    const bool saved = save();
    notify(HostChange::Document);
    return saved;
}

// ---------------------------------------------------------------- provider

EmbeddedHostProvider::EmbeddedHostProvider(OptionsFn options) : options_(std::move(options)) { }

std::shared_ptr<Application> EmbeddedHostProvider::attach()
{
    if (auto running = running_.lock())
        return running;
    throw HostError("No embedded host is running");
}

std::shared_ptr<Application> EmbeddedHostProvider::create()
{
    auto app = std::make_shared<EmbeddedApplication>(options_ ? options_() : EmbeddedHostOptions{});
    running_ = app;
    return app;
}

} // namespace lumo::cad::embedded
