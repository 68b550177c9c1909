// A test host in a process of its own, as a real CAD program is: the
// embedded host exposed through the IDispatch model and registered as the
// class of "AutoCAD.Application" until the test signals the quit event.
//   lumo_test_host READY-EVENT QUIT-EVENT DRAWING|- INPUT-SCRIPT|-
#include "cad/embedded/embedded_host.h"
#include "cad/embedded/input.h"
#include "dispatch_server.h"

#include <cstdio>
#include <cstring>

int main(int argc, char** argv)
{
    using namespace lumo::cad;
    if (argc != 5) {
        std::fputs("lumo_test_host READY-EVENT QUIT-EVENT DRAWING|- INPUT-SCRIPT|-\n", stderr);
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
        // Calls into this apartment arrive as window messages.
        while (MsgWaitForMultipleObjects(1, &quit, FALSE, INFINITE, QS_ALLINPUT) != WAIT_OBJECT_0) {
            MSG message;
            while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
                TranslateMessage(&message);
                DispatchMessageW(&message);
            }
        }
    }
    CloseHandle(ready);
    CloseHandle(quit);
    return 0;
}
