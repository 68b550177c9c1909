// The embedded CAD host: answers the host interface over a DXF drawing kept
// in a file, behaving as the automation host does (the same errors for
// missing items, the same selection filters, handles as upper-case hex).
// Designer input comes from an InputSource; the drawing is written back
// (atomically, the previous version kept as .bak) when the program ends.
#pragma once

#include "cad/embedded/command_line.h"
#include "cad/embedded/input.h"
#include "cad/host.h"
#include "cad/session.h"

#include <memory>
#include <optional>
#include <string>

namespace lumo::dxf {
class Document;
}

namespace lumo::cad::embedded {

struct EmbeddedHostOptions {
    // The drawing to open; without it the one open last time, if any.
    std::optional<std::string> drawing;
    // Where the host remembers its last drawing ("" remembers nothing).
    std::string configFolder;
    // The designer; without one every request is cancelled.
    std::shared_ptr<InputSource> input;
    // Tells the user about drawings that cannot be read or written.
    MessageFn report;

    // LUMO_CAD_DRAWING, LUMO_CAD_INPUT (a script file), and the user's
    // configuration folder ($XDG_CONFIG_HOME/lumo or ~/.config/lumo).
    static EmbeddedHostOptions fromEnvironment(const MessageFn& report);
};

// The file in the configuration folder that names the last drawing.
inline constexpr const char* kLastDrawingFile = "cad-host.ini";

struct DrawingData;

class EmbeddedApplication : public Application,
                            public std::enable_shared_from_this<EmbeddedApplication> {
public:
    explicit EmbeddedApplication(EmbeddedHostOptions options);
    ~EmbeddedApplication() override;
    EmbeddedApplication(const EmbeddedApplication&) = delete;
    EmbeddedApplication& operator=(const EmbeddedApplication&) = delete;

    std::string typeName() const override { return "IAcadApplication"; }
    bool visible() const override { return visible_; }
    void setVisible(bool visible) override { visible_ = visible; }
    std::shared_ptr<HostState> getAcadState() override;
    long documentsCount() const override;
    std::shared_ptr<Document> activeDocument() override;
    std::string blockFileExtension() const override { return ".dxf"; }
    void saveIfChanged() override;

    // Opens a drawing in place of the current one (which is saved first when
    // it changed). A missing file gives a new empty drawing written there on
    // the first save; an unreadable one is reported and not opened. Returns
    // whether a drawing is open now.
    bool open(const std::string& path);
    // The open drawing's file ("" when none).
    std::string drawingPath() const;

    // For the drawing window.
    const dxf::Document* drawing() const;
    std::optional<PendingInsert> pendingInsert() const;
    // No command waits (after the waiting one took what the source has).
    bool isQuiescent() const;
    std::string lastPrompt() const;
    void cancelCommand();
    void setInput(std::shared_ptr<InputSource> input);
    std::shared_ptr<InputSource> input() const;

private:
    void remember(const std::string& path) const;
    void report(const std::string& text) const;

    EmbeddedHostOptions options_;
    std::shared_ptr<DrawingData> data_;
    bool visible_ = false;
};

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

// A path as the program gives it (Windows style, any case) made into one
// this system can open: backslashes become separators and each part of it is
// matched without regard to case when the exact spelling does not exist.
std::string NativePath(const std::string& path);

} // namespace lumo::cad::embedded
