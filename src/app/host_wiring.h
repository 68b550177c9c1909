// The host of a run as the environment asks for it. This is the one place
// that reads LUMO_CAD_HOST, LUMO_CAD_DRAWING, LUMO_CAD_INPUT,
// LUMO_REGISTRY_FILE and LUMO_SUITE; everything below gets the values handed
// down.
#pragma once

#include "cad/embedded/embedded_host.h"
#include "cad/session.h"

#include <QString>

#include <filesystem>
#include <functional>
#include <memory>
#include <optional>
#include <string>

namespace lumo {

class Dialogs;

enum class HostKind { Embedded, Automation };

struct RunEnvironment {
    HostKind hostKind = HostKind::Embedded;
    // Whether a failed connection to the automation host offers the
    // embedded host (once the designer said no, it is not asked again).
    bool offerEmbedded = true;
    std::optional<std::string> drawing; // the embedded host's drawing
    std::string inputScript; // its designer script ("" none)
    std::string configFolder; // where it remembers its last drawing
    QString registryFile; // the registry file off Windows
    // The suite the program works in (LUMO_SUITE, "" for the one around the
    // program): the launcher names the user's own when the program is
    // installed read-only.
    QString suite;
};

// name -> value, nullptr when unset (std::getenv in the program).
using GetEnvFn = std::function<const char*(const char*)>;

// LUMO_CAD_HOST (embedded or automation, any case) overrides the platform's
// choice; the configuration folder is $XDG_CONFIG_HOME/lumo, else
// %APPDATA%\lumo on Windows, else ~/.config/lumo.
RunEnvironment ReadRunEnvironment(const GetEnvFn& getEnv, bool onWindows);
RunEnvironment ReadRunEnvironment();

// The folder that stands for the program's own in the suite: LUMO.ini lies
// there and the suite root is two folders above it. It is the installed
// program's folder, unless the environment names a suite of the user's
// (then its LUMO/Programy, whose read-only parts link to the installation).
QString WorkingProgramFolder(const RunEnvironment& env, const QString& installedProgramFolder);

// Without a drawing named (LUMO_CAD_DRAWING) or opened before (the host's
// memory in configFolder), the suite's demo drawing Rysunki/skrzyzowanie.dxf
// where it exists. On Linux the launcher chooses it; on Windows, where the
// program is started directly, the program does.
void UseDemoDrawingWhenNone(RunEnvironment& env, const std::filesystem::path& suiteRoot);

// The embedded host's options; a script that cannot be read is reported and
// answers nothing (every request is cancelled).
cad::embedded::EmbeddedHostOptions EmbeddedOptions(const RunEnvironment& env, const cad::MessageFn& report);

// Asks whether to use the embedded host as no CAD program answers as
// "AutoCAD.Application"; true for yes.
bool AskForEmbeddedHost(Dialogs& dialogs);

// On a machine with no CAD program registered for automation the designer is
// asked at once: yes makes the run the embedded host's, with its drawing
// window staying as on every platform; no is remembered so that the
// connection's own failure message follows without a second question.
void ChooseHostWhenNoCadProgram(RunEnvironment& env, Dialogs& dialogs, bool cadProgramRegistered);

// Tries the automation host first; when no CAD program answers, the user is
// told so and offered the embedded host instead.
class FallbackHostProvider : public cad::HostProvider {
public:
    // ask: true when the user takes the embedded host.
    FallbackHostProvider(std::unique_ptr<cad::HostProvider> automation,
                         std::function<std::unique_ptr<cad::HostProvider>()> makeEmbedded,
                         std::function<bool()> ask);
    std::shared_ptr<cad::Application> attach() override;
    std::shared_ptr<cad::Application> create() override;

private:
    std::unique_ptr<cad::HostProvider> automation_;
    std::function<std::unique_ptr<cad::HostProvider>()> makeEmbedded_;
    std::function<bool()> ask_;
    std::unique_ptr<cad::HostProvider> embedded_; // once the user took it
};

// The provider of the run: the embedded host with its drawing window, or on
// Windows the automation host falling back to it. onWindowClosed runs when
// the designer closes the drawing window.
std::unique_ptr<cad::HostProvider> MakeHostProvider(const RunEnvironment& env, Dialogs& dialogs,
                                                    std::function<void()> onWindowClosed);

} // namespace lumo
