// The program's entry: a Qt application, the dialogs, the host the run talks
// to, and one Program whose options form starts everything.
#include "app/command_line.h"
#include "app/program.h"
#include "app/qt_dialogs.h"
#include "app/workplace.h"
#include "cad/embedded/embedded_host.h"
#include "cad/embedded/view/window_input.h"
#include "cad/host_provider.h"
#include "cad/host_choice.h"
#include "util/files.h"
#include "util/text.h"

#include <QApplication>
#include <QLibraryInfo>
#include <QTranslator>
#include <cstdio>
#include <functional>
#include <memory>

namespace {

std::unique_ptr<lumo::cad::HostProvider> makeHostProvider(lumo::Dialogs& dialogs)
{
#ifdef _WIN32
    if (lumo::cad::ChooseHostKind() == lumo::cad::HostKind::Automation)
        return lumo::cad::MakeAutomationHostProvider();
#else
    if (lumo::cad::ChooseHostKind() == lumo::cad::HostKind::Automation)
        std::fputs("lumo-sygnalizacja: the automation host exists only on Windows; "
                   "using the embedded host.\n",
                   stderr);
#endif
    const lumo::cad::MessageFn report = [&dialogs](const std::string& title,
                                                   const std::string& text,
                                                   lumo::cad::MessageIcon) {
        dialogs.show(lumo::QStringFromUtf8(title), lumo::QStringFromUtf8(text),
                     lumo::DialogIcon::Exclamation);
    };
    // The embedded host comes with its drawing window, where the designer
    // picks points; an input script (LUMO_CAD_INPUT) still answers first.
    return std::make_unique<lumo::view::WindowedHostProvider>(
        [report] { return lumo::cad::embedded::EmbeddedHostOptions::fromEnvironment(report); });
}

} // namespace

int main(int argc, char* argv[])
{
    QApplication application(argc, argv);
    QApplication::setApplicationName(QStringLiteral("LUMO_Sygnalizatory"));
    // The program ends through Program::end, not when a window closes.
    QApplication::setQuitOnLastWindowClosed(false);
    // The program speaks Polish, Qt's own buttons and dialogs too.
    QTranslator qtTexts;
    if (qtTexts.load(QStringLiteral("qtbase_pl"), QLibraryInfo::path(QLibraryInfo::TranslationsPath)))
        QApplication::installTranslator(&qtTexts);

    lumo::QtDialogs dialogs;
    const auto provider = makeHostProvider(dialogs);
    const QString programFolder = lumo::FromNativePath(QApplication::applicationDirPath());
    QStringList args = lumo::GetCommandLineArgs(lumo::RawCommandLineTail(argc, argv), 11);
    const bool exitAfterRun = lumo::TakeExitAfterRun(args);
    if (args.size() > 11)
        args = args.mid(0, 11);

    // The embedded host's window stays after a run, unless a script plays
    // the designer or the caller asked to end with the run.
    if (auto* windowed = dynamic_cast<lumo::view::WindowedHostProvider*>(provider.get())) {
        const bool scripted = !qEnvironmentVariableIsEmpty("LUMO_CAD_INPUT");
        return lumo::RunWorkplace(dialogs, programFolder, *windowed, args, !scripted && !exitAfterRun);
    }
    lumo::Program program(dialogs, programFolder, *provider);
    return program.run(args);
}
