// The run's hold on the host: the application and its state object, taken
// once at start-up, and the active drawing with its model space, taken anew
// before each piece of drawing work. The user-facing messages go through a
// callback so that this layer stays free of the program's dialogs.
#pragma once

#include "cad/host.h"

#include <functional>
#include <memory>
#include <string>

namespace lumo::cad {

enum class MessageIcon { None, Exclamation };

// title, text (line breaks "\r\n"), icon; shows an OK box.
using MessageFn = std::function<void(const std::string& title, const std::string& text, MessageIcon icon)>;

// Where a host comes from: one already running, or a new one.
class HostProvider {
public:
    virtual ~HostProvider() = default;
    // The running host; HostError when none runs.
    virtual std::shared_ptr<Application> attach() = 0;
    // Starts a new host; HostError when that fails.
    virtual std::shared_ptr<Application> create() = 0;
};

struct HostSession {
    std::shared_ptr<Application> app; // HostApp
    std::shared_ptr<HostState> state; // HostState
    std::shared_ptr<Document> doc; // HostDoc
    std::shared_ptr<ModelSpace> modelSpace; // HostModelSpace
    MessageFn message; // may be empty: nothing is shown
};

// The application's title, which a few of the program's boxes show, and the
// title of every other message.
inline constexpr const char* kAppTitle = "LUMO_Sygnalizatory";
inline constexpr const char* kMessageTitle = "LUMO_Sygnalizacja";
inline constexpr const char* kHostName = "AutoCAD";

// Attaches to the running host, else starts one; askState: its state too.
// Stores the application in session.app and returns it; nullptr (after the
// message) when none can be had. A busy host, or no host failure, is thrown.
std::shared_ptr<Application> ConnectAcad(HostSession& session, HostProvider& provider, bool askState);

// True when a drawing is open; then session.doc and session.modelSpace are
// the current drawing's. Host failures reach the caller.
bool CheckActiveDocument(HostSession& session, bool showMessage);

// The model space of the application's active drawing.
std::shared_ptr<ModelSpace> GetModelSpace(HostSession& session);

} // namespace lumo::cad
