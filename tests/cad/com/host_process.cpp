// A test host in a process of its own, as a real CAD program is: the
// embedded host exposed through the IDispatch model and registered as the
// class of "AutoCAD.Application" until the test signals the quit event.
//   lumo_test_host READY-EVENT QUIT-EVENT DRAWING|- INPUT-SCRIPT|-
// For the Windows program's end-to-end run, a CAD program the designer has
// open: registered as "AutoCAD.Application" (running and creatable) until a
// file "quit" appears in STATE-FOLDER; then it saves the drawing and says so
// with a file "saved" (or "not-saved"). It writes "ready" once registered.
//   lumo_test_host --serve DRAWING INPUT-SCRIPT STATE-FOLDER
#include "cad/embedded/embedded_host.h"
#include "cad/embedded/input.h"
#include "dispatch_server.h"

#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <string>

namespace {

// Pumps the apartment's messages (calls into it arrive as messages) until
// `stop` is signalled.
void serveUntil(HANDLE stop)
{
    while (MsgWaitForMultipleObjects(1, &stop, FALSE, INFINITE, QS_ALLINPUT) != WAIT_OBJECT_0) {
        MSG message;
        while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
            TranslateMessage(&message);
            DispatchMessageW(&message);
        }
    }
}

void writeMarker(const std::filesystem::path& file)
{
    std::ofstream(file) << "1\n";
}

int serve(const char* drawing, const char* script, const std::filesystem::path& state)
{
    using namespace lumo::cad;
    auto options = embedded::EmbeddedHostOptions{};
    options.drawing = drawing;
    options.input = embedded::ScriptedInputSource::fromFile(script);
    auto application = std::make_shared<embedded::EmbeddedApplication>(std::move(options));
    com::testing::registerProgId();
    // The folder's changes wake the loop: "quit" is looked for at each.
    HANDLE changes
        = FindFirstChangeNotificationW(state.wstring().c_str(), FALSE, FILE_NOTIFY_CHANGE_FILE_NAME);
    if (changes == INVALID_HANDLE_VALUE)
        return 3;
    {
        com::testing::RegisteredServer server(application, nullptr, true, true);
        writeMarker(state / "ready");
        while (!std::filesystem::exists(state / "quit")) {
            serveUntil(changes);
            FindNextChangeNotification(changes);
        }
        writeMarker(state / (application->save() ? "saved" : "not-saved"));
    }
    FindCloseChangeNotification(changes);
    return 0;
}

} // namespace

int main(int argc, char** argv)
{
    using namespace lumo::cad;
    if (argc == 5 && std::strcmp(argv[1], "--serve") == 0)
        return serve(argv[2], argv[3], std::filesystem::path(argv[4]));
    if (argc != 5) {
        std::fputs("lumo_test_host READY-EVENT QUIT-EVENT DRAWING|- INPUT-SCRIPT|-\n"
                   "lumo_test_host --serve DRAWING INPUT-SCRIPT STATE-FOLDER\n",
                   stderr);
        return 2;
    }
    HANDLE ready = OpenEventA(EVENT_MODIFY_STATE, FALSE, argv[1]);
    HANDLE quit = OpenEventA(SYNCHRONIZE, FALSE, argv[2]);
    if (!ready || !quit)
        return 3;

    embedded::EmbeddedHostOptions options;
    if (std::strcmp(argv[3], "-") != 0)
        options.drawing = argv[3];
    options.input = std::strcmp(argv[4], "-") != 0 ? embedded::ScriptedInputSource::fromFile(argv[4])
                                                   : std::make_shared<embedded::ScriptedInputSource>();
    {
        com::testing::RegisteredServer server(
            std::make_shared<embedded::EmbeddedApplication>(std::move(options)), nullptr, false, true);
        SetEvent(ready);
        serveUntil(quit);
    }
    CloseHandle(ready);
    CloseHandle(quit);
    return 0;
}
