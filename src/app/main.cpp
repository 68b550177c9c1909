// The program's entry: a Qt application, the dialogs, the host the run talks
// to, and one Program whose options form starts everything.
#include "app/command_line.h"
#include "app/program.h"
#include "app/qt_dialogs.h"
#include "cad/embedded/embedded_host.h"
#include "cad/embedded/view/window_input.h"
#include "cad/host_provider.h"
#include "cad/host_choice.h"
#include "util/files.h"
#include "util/text.h"

#include <QApplication>
#include <cstdio>
#include <functional>
#include <memory>

namespace {

std::unique_ptr<lumo::cad::HostProvider> makeHostProvider(lumo::Dialogs& dialogs,
                                                           std::function<void()> onWindowClosed)
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
    auto provider = std::make_unique<lumo::view::WindowedHostProvider>(
        [report] { return lumo::cad::embedded::EmbeddedHostOptions::fromEnvironment(report); });
    // Closing the drawing window ends the run as a cancel does.
    provider->setOnWindowClosed(std::move(onWindowClosed));
    return provider;
}

} // namespace

int main(int argc, char* argv[])
{
    QApplication application(argc, argv);
    QApplication::setApplicationName(QStringLiteral("LUMO_Sygnalizatory"));
    // The program ends through Program::end, not when a window closes.
    QApplication::setQuitOnLastWindowClosed(false);

    lumo::QtDialogs dialogs;
    lumo::Program* running = nullptr;
    const auto provider = makeHostProvider(dialogs, [&running] {
        if (running)
            running->end(QStringLiteral("drawing window closed"));
    });
    lumo::Program program(dialogs, lumo::FromNativePath(QApplication::applicationDirPath()),
                          *provider);
    running = &program;
    return program.run(lumo::GetCommandLineArgs(lumo::RawCommandLineTail(argc, argv)));
}
