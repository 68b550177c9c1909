// The program's entry: a Qt application, the dialogs, the host the run talks
// to, and one Program whose options form starts everything.
#include "app/command_line.h"
#include "app/event_guard.h"
#include "app/host_wiring.h"
#include "app/polish.h"
#include "app/program_icon.h"
#include "app/program.h"
#include "app/qt_dialogs.h"
#include "app/workplace.h"
#ifdef _WIN32
#include "cad/com/automation_host.h"
#endif
#include "cad/embedded/view/window_input.h"
#include "util/dialogs.h"
#include "util/files.h"

#include <QApplication>
#include <QDir>
#include <memory>

int main(int argc, char* argv[])
{
    lumo::GuardedApplication application(argc, argv);
    QApplication::setApplicationName(QStringLiteral("LUMO_Sygnalizatory"));
    // The program ends through Program::end, not when a window closes.
    QApplication::setQuitOnLastWindowClosed(false);
    lumo::SpeakPolish();
    lumo::UseProgramIcon();

    lumo::QtDialogs dialogs;
    // Between runs (the drawing window on its own) nothing is half-done: the
    // designer is told and goes on. A run installs its own handler.
    const lumo::EscapedErrorScope betweenRuns([&dialogs](const QString& what) {
        dialogs.show(QStringLiteral("LUMO_Sygnalizacja"),
                     QStringLiteral("Wystąpił nieoczekiwany błąd programu:\r\n[") + what
                         + QStringLiteral("]"),
                     lumo::DialogIcon::Exclamation);
    });
    lumo::RunEnvironment environment = lumo::ReadRunEnvironment();
#ifdef _WIN32
    lumo::ChooseHostWhenNoCadProgram(environment, dialogs, lumo::cad::AutomationHostRegistered());
    // No launcher on Windows: the program finds the suite's demo drawing
    // itself (the suite root is two folders above the program).
    lumo::UseDemoDrawingWhenNone(
        environment,
        QDir(QApplication::applicationDirPath() + QStringLiteral("/../..")).absolutePath().toStdWString());
#endif
    lumo::Program* running = nullptr;
    const auto provider = lumo::MakeHostProvider(environment, dialogs, [&running] {
        if (running)
            running->end(QStringLiteral("drawing window closed"));
    });
    const QString programFolder
        = lumo::WorkingProgramFolder(environment, lumo::FromNativePath(QApplication::applicationDirPath()));
    QStringList args = lumo::GetCommandLineArgs(lumo::RawCommandLineTail(argc, argv), 11);
    const bool exitAfterRun = lumo::TakeExitAfterRun(args);
    if (args.size() > 11)
        args = args.mid(0, 11);

    // The embedded host's window stays after a run, unless a script plays
    // the designer or the caller asked to end with the run.
    if (auto* windowed = dynamic_cast<lumo::view::WindowedHostProvider*>(provider.get())) {
        const bool scripted = !environment.inputScript.empty();
        return lumo::RunWorkplace(dialogs, programFolder, environment.registryFile, *windowed, args,
                                  !scripted && !exitAfterRun);
    }
    lumo::Program program(dialogs, programFolder, *provider);
    program.startup.registryFile = environment.registryFile;
    running = &program;
    return program.run(args);
}
