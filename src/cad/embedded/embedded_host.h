// The embedded CAD host: answers the host interface over a DXF drawing kept
// in a file, behaving as the automation host does (the same errors for
// missing items, the same selection filters, handles as upper-case hex).
// Designer input comes from an InputSource; the drawing is written back
// (atomically, the previous version kept as .bak) when the program ends,
// never over a read-only file or one someone else changed meanwhile. A
// window showing the host hears of every change through one listener.
#pragma once

#include "cad/embedded/command_line.h"
#include "cad/embedded/drawing_reader.h"
#include "cad/embedded/input.h"
#include "cad/host.h"
#include "cad/session.h"

#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace lumo::dxf {
struct DocState;
}

namespace lumo::cad::embedded {

struct EmbeddedHostOptions {
    // The drawing to open; without it the one open last time, if any.
    std::optional<std::string> drawing;
    // Where the host remembers its last drawing ("" remembers nothing).
    std::string configFolder;
    // The designer; without one every request is cancelled.
    std::shared_ptr<InputSource> input;
    // Prompts and the cancel marker in Polish ("*Anulowano*"), as a host
    // with a Polish user interface has them; else English ("*Cancel*").
    bool polish = false;
    // Tells the user about drawings that cannot be read or written.
    MessageFn report;
    // A window offers to open another drawing or create the missing one
    // (given, or remembered and gone since): the host names it no further.
    // Without it a given drawing that is missing is reported and a
    // remembered one quietly forgotten.
    bool offerMissingDrawing = false;
    // Asks where to save a drawing that cannot be written over its file
    // (read-only, changed on disk meanwhile, or the write failed): a path,
    // or nullopt when the designer keeps it unsaved. Without it the host
    // saves beside the file under a new name and says where.
    std::function<std::optional<std::string>(const std::string& path, const std::string& reason)> askSaveAs;
};

// The file in the configuration folder that names the last drawing.
inline constexpr const char* kLastDrawingFile = "cad-host.ini";

struct DrawingData;

// What changed in the host, for a window that shows it.
enum class HostChange {
    Prompt, // the last prompt
    Command, // a command started waiting, moved on or ended
    Drawing, // entities were added or erased
    Updated, // entities were changed in place and told to show it (Update)
    Document, // a drawing was opened, closed, saved or renamed
    Visible, // the host was shown or hidden
};
using HostListener = std::function<void(HostChange)>;

class EmbeddedApplication : public Application, public std::enable_shared_from_this<EmbeddedApplication> {
public:
    explicit EmbeddedApplication(EmbeddedHostOptions options);
    ~EmbeddedApplication() override;
    EmbeddedApplication(const EmbeddedApplication&) = delete;
    EmbeddedApplication& operator=(const EmbeddedApplication&) = delete;

    std::string typeName() const override { return "IAcadApplication"; }
    bool visible() const override { return visible_; }
    void setVisible(bool visible) override;
    std::shared_ptr<HostState> getAcadState() override;
    long documentsCount() const override;
    std::shared_ptr<Document> activeDocument() override;
    std::string blockFileExtension() const override { return ".dxf"; }
    void saveIfChanged() override { save(); }
    // Runs what the drawing window hooked in with setBringToFront.
    void bringToFront() override;
    void setBringToFront(std::function<void()> raise);
    // Hears the share of a drawing read (0..1) while it opens; when it
    // returns false the opening stops and the drawing open before stays.
    void setReadProgress(std::function<bool(double)> progress);

    // Writes the drawing when it changed; when its file may not be written,
    // asks where else (see askSaveAs). False when changes are left unsaved.
    bool save();
    // Writes the drawing to another file, which becomes its file; when
    // that fails, says why and what became of the changes.
    bool saveAs(const std::string& path);

    // Opens a drawing in place of the current one, which is saved first when
    // it changed; when that save fails the current one stays open. A
    // missing or unreadable file is reported and not opened. Returns
    // whether the drawing at path is open now.
    bool open(const std::string& path);
    // A new empty drawing that will be written to path once it changes.
    bool create(const std::string& path);
    // The open drawing's file ("" when none).
    std::string drawingPath() const;
    // The drawing asked for that did not exist ("" when none).
    const std::string& missingDrawing() const { return missing_; }
    // The open drawing's file may not be written.
    bool readOnly() const;
    bool modified() const;

    // Who is asked where to save (see EmbeddedHostOptions::askSaveAs).
    void setAskSaveAs(decltype(EmbeddedHostOptions::askSaveAs) ask) { options_.askSaveAs = std::move(ask); }
    // The one listener told of every change (a window showing the host).
    void setListener(HostListener listener);

    // For the drawing window. Neither moves a waiting command on.
    DrawingReader drawing() const;
    std::optional<PendingInsert> pendingInsert() const;
    // No command waits (after the waiting one took what the source has).
    bool isQuiescent() const;
    // The designer answered: a waiting command moves on at once.
    void takeInput();
    std::string lastPrompt() const;
    void cancelCommand();
    void setInput(std::shared_ptr<InputSource> input);
    std::shared_ptr<InputSource> input() const;

    // Undo and redo, a whole placement run or one edit of the designer a
    // step. The host takes the drawing as it is before a run's first look
    // at it and after the run; undo puts the drawing back as it was before
    // the step and saves it the usual way. Neither while a run is on or a
    // command waits. Opening another drawing forgets the steps.
    void beginRun();
    void endRun();
    bool canUndo() const;
    bool canRedo() const;
    // No run on and no command waiting: the designer's edits may go ahead.
    bool canEdit() const;
    bool undo();
    bool redo();
    // On/off and frozen of the drawing's layers written into it and saved,
    // one step to undo; layers the drawing lacks are left out.
    struct LayerState {
        std::string name;
        bool on = true;
        bool frozen = false;
    };
    bool saveLayerStates(const std::vector<LayerState>& states);

    // ---- the designer's edits of model-space entities, given by their
    // index in model space; each one step to undo, saved the usual way.
    // False when nothing was done (a run on, a command waiting, no such
    // entity, nothing changed).
    bool erase(const std::vector<std::size_t>& entities);
    // A turn by `degrees` about the base, then a shift by (dx, dy).
    struct Placement {
        double dx = 0.0, dy = 0.0;
        double baseX = 0.0, baseY = 0.0;
        double degrees = 0.0;
    };
    // Entities of kinds the host cannot place anew (hatches, dimensions,
    // ...) stay where they are; `skipped` counts them.
    bool transform(const std::vector<std::size_t>& entities, const Placement& how,
                   std::size_t* skipped = nullptr);
    // Copies placed so, appended to model space (the last indices).
    bool copy(const std::vector<std::size_t>& entities, const Placement& how, std::size_t* skipped = nullptr);
    // Attribute values of a block reference by tag (tags it lacks are
    // left out).
    bool setAttributes(std::size_t entity, const std::vector<std::pair<std::string, std::string>>& values);
    // The content of a text.
    bool setText(std::size_t entity, const std::string& value);
    // Puts the entities on a layer of the drawing.
    bool setLayer(const std::vector<std::size_t>& entities, const std::string& layer);
    // Where an entity stands, in world coordinates: its first point (a
    // block's insertion point, a line's start), and for a block reference
    // its turn in degrees (0 up to 360) and its scale.
    struct EntityPlace {
        double x = 0.0, y = 0.0;
        double degrees = 0.0;
        double scaleX = 1.0, scaleY = 1.0;
        bool block = false;
    };
    // nullopt for no such entity or a kind the host cannot place anew.
    std::optional<EntityPlace> placeOf(std::size_t entity) const;
    // Moves the entity to stand so; a block reference also turns about its
    // insertion point and takes the scale (neither 0), its attributes
    // following.
    bool setPlace(std::size_t entity, const EntityPlace& place);

private:
    // Runs one edit of the designer as a step of its own: changes says
    // whether it changed anything; what: how the window hears of it.
    bool editStep(const std::function<bool()>& changes, HostChange what);
    // The drawing before and after a step, as checkpoints of its document
    // (a few bytes a record each, not the drawing's text).
    struct Step {
        std::shared_ptr<const dxf::DocState> before, after;
    };
    void takeBase();
    void closeStep();
    std::size_t historyBytes() const;
    bool restore(const std::shared_ptr<const dxf::DocState>& state);
    // Moves the last step of one history to the other, putting back the
    // drawing as before (undo) or after (redo) it.
    bool takeStep(std::vector<Step>& from, std::vector<Step>& to, bool forward);

    bool adopt(std::shared_ptr<DrawingData> data);
    // Writes the drawing to path: "" when done, else why not (in the
    // designer's words). makeFolder: the folder is made when missing.
    std::string write(const std::string& path, bool makeFolder);
    // Writes the drawing to path, which becomes its file; "" or why not.
    std::string moveTo(const std::string& path);
    void remember(const std::string& path) const;
    void report(const std::string& text) const;
    void notify(HostChange change) const;

    EmbeddedHostOptions options_;
    std::shared_ptr<DrawingData> data_;
    std::shared_ptr<HostListener> listener_;
    std::string missing_;
    std::function<void()> raise_;
    std::function<bool(double)> readProgress_;
    bool visible_ = false;
    // The drawing as at the last step's end (null until first needed).
    std::shared_ptr<const dxf::DocState> base_;
    std::vector<Step> undo_, redo_;
    bool running_ = false;
};

// How many steps the host can undo, and how many bytes of checkpoints it
// keeps for them at most (the last step is kept whatever its size).
inline constexpr std::size_t kUndoSteps = 20;
inline constexpr std::size_t kUndoBytes = std::size_t(512) << 20;

// Attaches to the host this provider started (while it lives), or starts one.
class EmbeddedHostProvider : public HostProvider {
public:
    using OptionsFn = std::function<EmbeddedHostOptions()>;
    explicit EmbeddedHostProvider(OptionsFn options);
    std::shared_ptr<Application> attach() override;
    std::shared_ptr<Application> create() override;

private:
    OptionsFn options_;
    std::weak_ptr<EmbeddedApplication> running_;
};

// The drawing remembered in folder ("" when none).
std::string RememberedDrawing(const std::string& folder);

} // namespace lumo::cad::embedded
