// An automation object model for the tests: every object of a host (any
// implementation of cad/host.h) exposed through IDispatch with the member
// names and type names of the automation model, so that the automation host
// can be driven against it and every argument really crosses IDispatch.
#pragma once

#include "cad/host.h"

#include <windows.h>
#include <oaidl.h>

#include <functional>
#include <memory>
#include <thread>
#include <string>

namespace lumo::cad::com::testing {

// What the tests make the server do besides answering.
struct ServerControl {
    // The next this many calls are refused as a busy host refuses them.
    int rejectNextCalls = 0;
    // Calls refused so far.
    int rejectedCalls = 0;
    // Faults of a real host: a command left waiting (never idle), a stale
    // "LASTPROMPT", GetAcadState missing or answering nothing.
    bool commandWaiting = false;
    std::string lastPrompt; // "" answers the host's own
    enum class State { Present, Missing, Empty } state = State::Present;
    // The application's "HWND" (0: the member is missing).
    long long window = 0;
};

// The model registered as the running "AutoCAD.Application" and as the class
// that creates it; both end with the object. A host started through the class
// becomes the running one, as a started program registers itself.
class RegisteredServer {
public:
    RegisteredServer(std::shared_ptr<Application> application, std::shared_ptr<ServerControl> control,
                     bool running, bool creatable);
    ~RegisteredServer();
    RegisteredServer(const RegisteredServer&) = delete;
    RegisteredServer& operator=(const RegisteredServer&) = delete;

    // Enters the model in the running object table (once).
    void registerRunning();

private:
    IDispatch* application_ = nullptr;
    IClassFactory* factory_ = nullptr;
    DWORD activeCookie_ = 0;
    DWORD classCookie_ = 0;
    bool uninitialize_ = false;
};

// The model on a thread of its own (a single-threaded apartment pumping
// messages), registered as the running host: calls from the test's thread
// reach it through COM proxies as calls to another process do, and busy
// rejections come from its message filter (control->rejectNextCalls).
class ServerThread {
public:
    // The host runs at once; the class is registered too.
    ServerThread(std::function<std::shared_ptr<Application>()> makeHost,
                 std::shared_ptr<ServerControl> control);
    ~ServerThread();
    ServerThread(const ServerThread&) = delete;
    ServerThread& operator=(const ServerThread&) = delete;

private:
    std::thread thread_;
    DWORD threadId_ = 0;
};

// Registers the ProgID "AutoCAD.Application" with the tests' class id for the
// current user (the private Wine prefix of the test run).
void registerProgId();

} // namespace lumo::cad::com::testing
