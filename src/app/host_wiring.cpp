#include "app/host_wiring.h"

#include "base/paths.h"
#include "cad/embedded/input.h"
#include "cad/embedded/view/window_input.h"
#include "forms/head_attributes.h"
#include "util/dialogs.h"
#include "util/files.h"
#include "util/text.h"

#ifdef _WIN32
#include "cad/com/automation_host.h"
#endif

#include <QDir>
#include <QString>

#include <cstdio>
#include <cstdlib>
#include <filesystem>

namespace lumo {

namespace {

std::string valueOf(const GetEnvFn& getEnv, const char* name)
{
    const char* value = getEnv(name);
    return value ? value : "";
}

std::string lumoFolderIn(const std::filesystem::path& folder)
{
    return (folder / "lumo").string();
}

} // namespace

RunEnvironment ReadRunEnvironment(const GetEnvFn& getEnv, bool onWindows)
{
    RunEnvironment env;
    env.hostKind = onWindows ? HostKind::Automation : HostKind::Embedded;
    const QString host = QString::fromStdString(valueOf(getEnv, "LUMO_CAD_HOST"));
    if (host.compare(QStringLiteral("embedded"), Qt::CaseInsensitive) == 0)
        env.hostKind = HostKind::Embedded;
    else if (host.compare(QStringLiteral("automation"), Qt::CaseInsensitive) == 0)
        env.hostKind = HostKind::Automation;

    if (const std::string drawing = valueOf(getEnv, "LUMO_CAD_DRAWING"); !drawing.empty())
        env.drawing = drawing;
    env.inputScript = valueOf(getEnv, "LUMO_CAD_INPUT");

    // XDG_CONFIG_HOME wins everywhere, so tests can point it elsewhere.
    const std::string xdg = valueOf(getEnv, "XDG_CONFIG_HOME");
    const std::string appData = valueOf(getEnv, "APPDATA");
    const std::string home = valueOf(getEnv, "HOME");
    if (!xdg.empty())
        env.configFolder = lumoFolderIn(xdg);
    else if (onWindows && !appData.empty())
        env.configFolder = lumoFolderIn(appData);
    else if (!home.empty())
        env.configFolder = lumoFolderIn(std::filesystem::path(home) / ".config");

    env.registryFile = QString::fromStdString(valueOf(getEnv, "LUMO_REGISTRY_FILE"));
    if (env.registryFile.isEmpty() && !env.configFolder.empty())
        env.registryFile = QString::fromStdString(env.configFolder) + QStringLiteral("/registry.reg");
    env.suite = QString::fromStdString(valueOf(getEnv, "LUMO_SUITE"));
    return env;
}

QString WorkingProgramFolder(const RunEnvironment& env, const QString& installedProgramFolder)
{
    if (env.suite.isEmpty())
        return installedProgramFolder;
    QString root = QDir::cleanPath(QDir(env.suite).absolutePath());
    return FromNativePath(root + QStringLiteral("/LUMO/Programy"));
}

RunEnvironment ReadRunEnvironment()
{
#ifdef _WIN32
    constexpr bool onWindows = true;
#else
    constexpr bool onWindows = false;
#endif
    return ReadRunEnvironment([](const char* name) { return std::getenv(name); }, onWindows);
}

void UseDemoDrawingWhenNone(RunEnvironment& env, const std::filesystem::path& suiteRoot)
{
    // Paths cross the host interface as UTF-8, whatever the system's code page.
    std::error_code error;
    if (env.drawing
        || (!env.configFolder.empty()
            && std::filesystem::exists(base::PathOf(env.configFolder) / cad::embedded::kLastDrawingFile,
                                       error)))
        return;
    const std::filesystem::path demo = suiteRoot / "Rysunki" / "skrzyzowanie.dxf";
    if (std::filesystem::is_regular_file(demo, error))
        env.drawing = base::TextOf(demo);
}

cad::embedded::EmbeddedHostOptions EmbeddedOptions(const RunEnvironment& env, const cad::MessageFn& report)
{
    cad::embedded::EmbeddedHostOptions options;
    options.report = report;
    options.drawing = env.drawing;
    options.configFolder = env.configFolder;
    if (!env.inputScript.empty()) {
        try {
            options.input = cad::embedded::ScriptedInputSource::fromFile(env.inputScript);
        } catch (const cad::HostError& e) {
            if (report)
                report(cad::kMessageTitle, e.what(), cad::MessageIcon::Exclamation);
            options.input = std::make_shared<cad::embedded::ScriptedInputSource>();
        }
    }
    return options;
}

FallbackHostProvider::FallbackHostProvider(std::unique_ptr<cad::HostProvider> automation,
                                           std::function<std::unique_ptr<cad::HostProvider>()> makeEmbedded,
                                           std::function<bool()> ask)
    : automation_(std::move(automation)), makeEmbedded_(std::move(makeEmbedded)), ask_(std::move(ask))
{
}

std::shared_ptr<cad::Application> FallbackHostProvider::attach()
{
    return embedded_ ? embedded_->attach() : automation_->attach();
}

std::shared_ptr<cad::Application> FallbackHostProvider::create()
{
    if (embedded_)
        return embedded_->create();
    try {
        return automation_->create();
    } catch (const cad::HostBusy&) {
        throw; // a CAD program answered: it is only busy
    } catch (const cad::HostError&) {
        if (!ask_ || !ask_())
            throw;
    }
    embedded_ = makeEmbedded_();
    return embedded_->create();
}

bool AskForEmbeddedHost(Dialogs& dialogs)
{
    const auto answer
        = dialogs.message(QStringLiteral("LUMO_Sygnalizacja"),
                          QStringLiteral("Nie znaleziono programu AutoCAD ani innego programu CAD,")
                              + QStringLiteral(" który odpowiada jako \"AutoCAD.Application\".\r\n")
                              + QStringLiteral("Czy użyć wbudowanego programu CAD (rysunki DXF)?"),
                          DialogIcon::Question, DialogButtons::YesNo, DialogAnswer::Yes);
    return answer == DialogAnswer::Yes;
}

void ChooseHostWhenNoCadProgram(RunEnvironment& env, Dialogs& dialogs, bool cadProgramRegistered)
{
    if (env.hostKind != HostKind::Automation || cadProgramRegistered)
        return;
    if (AskForEmbeddedHost(dialogs))
        env.hostKind = HostKind::Embedded;
    else
        env.offerEmbedded = false;
}

std::unique_ptr<cad::HostProvider> MakeHostProvider(const RunEnvironment& env, Dialogs& dialogs,
                                                    std::function<void()> onWindowClosed)
{
    const cad::MessageFn report
        = [&dialogs](const std::string& title, const std::string& text, cad::MessageIcon) {
              dialogs.show(QStringFromUtf8(title), QStringFromUtf8(text), DialogIcon::Exclamation);
          };
    // The embedded host comes with its drawing window, where the designer
    // picks points; an input script (LUMO_CAD_INPUT) still answers first.
    auto makeEmbedded = [env, report, onWindowClosed]() -> std::unique_ptr<cad::HostProvider> {
        auto provider = std::make_unique<view::WindowedHostProvider>(
            [env, report] { return EmbeddedOptions(env, report); });
        provider->setOnWindowClosed(onWindowClosed);
        provider->setAttributeCheck(&CheckHeadAttribute);
        return provider;
    };
    if (env.hostKind == HostKind::Embedded)
        return makeEmbedded();
#ifdef _WIN32
    const bool offer = env.offerEmbedded;
    return std::make_unique<FallbackHostProvider>(
        cad::MakeAutomationHostProvider(), makeEmbedded,
        [&dialogs, offer] { return offer && AskForEmbeddedHost(dialogs); });
#else
    std::fputs("lumo-sygnalizacja: the automation host exists only on Windows; "
               "using the embedded host.\n",
               stderr);
    return makeEmbedded();
#endif
}

} // namespace lumo
