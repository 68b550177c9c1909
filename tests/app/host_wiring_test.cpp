#include "app/host_wiring.h"
#include "recording_dialogs.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <map>
#include <optional>

namespace lumo {
namespace {

TEST(RunEnvironment, HostKindAndFoldersFromTheEnvironment)
{
    struct Case {
        std::map<std::string, std::string> vars;
        bool windows;
        HostKind kind;
        QString registryFile;
    } cases[] = {
        {{{"HOME", "/h"}}, true, HostKind::Automation, "/h/.config/lumo/registry.reg"},
        {{{"LUMO_CAD_HOST", "Embedded"}, {"APPDATA", "/a"}, {"HOME", "/h"}},
         true,
         HostKind::Embedded,
         "/a/lumo/registry.reg"},
        {{{"LUMO_CAD_HOST", "automation"}, {"XDG_CONFIG_HOME", "/x"}},
         false,
         HostKind::Automation,
         "/x/lumo/registry.reg"},
        {{{"LUMO_CAD_HOST", "qcad"}, {"LUMO_REGISTRY_FILE", "/r.reg"}}, false, HostKind::Embedded, "/r.reg"},
    };
    for (const auto& c : cases) {
        const auto env = ReadRunEnvironment(
            [&](const char* name) {
                const auto found = c.vars.find(name);
                return found == c.vars.end() ? nullptr : found->second.c_str();
            },
            c.windows);
        EXPECT_EQ(env.hostKind, c.kind);
        EXPECT_EQ(env.registryFile, c.registryFile);
    }
}

// The user's suite (named by the launcher) takes the program folder's place,
// so LUMO.ini and the lists are never looked for in the installation.
TEST(RunEnvironment, WorkingProgramFolderIsTheUsersSuiteWhenNamed)
{
#ifndef _WIN32
    const QString installed = QStringLiteral("\\usr\\lib\\lumo-sygnalizacja\\LUMO\\Programy");
    struct Case {
        QString suite;
        QString expected;
    } cases[] = {
        {QString(), installed},
        {QStringLiteral("/home/ala/.local/share/lumo-sygnalizacja/"),
         QStringLiteral("\\home\\ala\\.local\\share\\lumo-sygnalizacja\\LUMO\\Programy")},
        {QStringLiteral("/home/ala//suite/../suite"), QStringLiteral("\\home\\ala\\suite\\LUMO\\Programy")},
    };
    for (const auto& c : cases) {
        RunEnvironment env;
        env.suite = c.suite;
        EXPECT_EQ(WorkingProgramFolder(env, installed), c.expected) << c.suite.toStdString();
    }
#endif
}

// The demo drawing stands in only where nothing else names a drawing.
TEST(RunEnvironment, DemoDrawingOnlyWhenNoneIsNamedOrRemembered)
{
    namespace fs = std::filesystem;
    const fs::path root = fs::path(::testing::TempDir()) / "demo-drawing-suite";
    fs::remove_all(root);
    fs::create_directories(root / "suite" / "Rysunki");
    fs::create_directories(root / "config-remembering");
    fs::create_directories(root / "config-new");
    std::ofstream(root / "suite" / "Rysunki" / "skrzyzowanie.dxf") << "0\nEOF\n";
    std::ofstream(root / "config-remembering" / cad::embedded::kLastDrawingFile) << "[Host]\n";
    const std::string demo = (root / "suite" / "Rysunki" / "skrzyzowanie.dxf").string();

    struct Case {
        std::optional<std::string> named;
        std::string config;
        fs::path suite;
        std::optional<std::string> expected;
    } cases[] = {
        {std::nullopt, "config-new", "suite", demo},
        {std::nullopt, "", "suite", demo},
        {"/d/mine.dxf", "config-new", "suite", "/d/mine.dxf"},
        {std::nullopt, "config-remembering", "suite", std::nullopt},
        {std::nullopt, "config-new", "no-suite", std::nullopt},
    };
    for (const auto& c : cases) {
        RunEnvironment env;
        env.drawing = c.named;
        env.configFolder = c.config.empty() ? "" : (root / c.config).string();
        UseDemoDrawingWhenNone(env, root / c.suite);
        EXPECT_EQ(env.drawing, c.expected) << c.config << " " << c.suite;
    }
}

// No CAD program registered: the question comes before any run; yes makes
// the embedded host the run's (and its window the workplace), no is not
// asked again when the connection fails.
TEST(RunEnvironment, AsksAtOnceWhenNoCadProgramIsRegistered)
{
    struct Case {
        HostKind kind;
        bool registered;
        std::optional<DialogAnswer> answer; // none: not asked
        HostKind expectedKind;
        bool expectedOffer;
    } cases[] = {
        {HostKind::Automation, false, DialogAnswer::Yes, HostKind::Embedded, true},
        {HostKind::Automation, false, DialogAnswer::No, HostKind::Automation, false},
        {HostKind::Automation, true, std::nullopt, HostKind::Automation, true},
        {HostKind::Embedded, false, std::nullopt, HostKind::Embedded, true},
    };
    for (const auto& c : cases) {
        test::RecordingDialogs dialogs;
        if (c.answer)
            dialogs.answerMessage(*c.answer);
        RunEnvironment env;
        env.hostKind = c.kind;
        ChooseHostWhenNoCadProgram(env, dialogs, c.registered);
        EXPECT_EQ(env.hostKind, c.expectedKind);
        EXPECT_EQ(env.offerEmbedded, c.expectedOffer);
        ASSERT_EQ(dialogs.calls().size(), c.answer ? 1U : 0U);
        if (c.answer) {
            EXPECT_TRUE(dialogs.calls()[0].text.contains(QStringLiteral("\"AutoCAD.Application\"")));
        }
    }
}

// Without a CAD program the user is asked once; Yes gives the embedded host.
TEST(FallbackHostProvider, OffersTheEmbeddedHostWhenNoCadProgramAnswers)
{
    class Unavailable : public cad::HostProvider {
        std::shared_ptr<cad::Application> attach() override { throw cad::HostError("none"); }
        std::shared_ptr<cad::Application> create() override { throw cad::HostError("none"); }
    };
    for (const bool yes : {true, false}) {
        int asked = 0;
        FallbackHostProvider provider(
            std::make_unique<Unavailable>(),
            [] { return std::make_unique<cad::embedded::EmbeddedHostProvider>(nullptr); },
            [&] { return ++asked, yes; });
        int shown = 0;
        cad::HostSession session;
        session.message = [&](const std::string&, const std::string&, cad::MessageIcon) { ++shown; };
        const auto app = cad::ConnectAcad(session, provider, true);
        EXPECT_EQ(app != nullptr, yes);
        EXPECT_EQ(shown, yes ? 0 : 1);
        cad::HostSession second;
        if (yes) {
            EXPECT_EQ(cad::ConnectAcad(second, provider, false), app);
        }
        EXPECT_EQ(asked, 1);
    }
}

// A CAD program that answers busy is there: the embedded host is not offered
// in its place, and the busy host reaches the caller.
TEST(FallbackHostProvider, ABusyCadProgramIsNoReasonToOfferTheEmbeddedHost)
{
    class Busy : public cad::HostProvider {
        std::shared_ptr<cad::Application> attach() override { throw cad::HostError("none"); }
        std::shared_ptr<cad::Application> create() override { throw cad::HostBusy("busy"); }
    };
    int asked = 0;
    FallbackHostProvider provider(
        std::make_unique<Busy>(),
        [] { return std::make_unique<cad::embedded::EmbeddedHostProvider>(nullptr); },
        [&] { return ++asked, true; });
    cad::HostSession session;
    EXPECT_THROW(cad::ConnectAcad(session, provider, true), cad::HostBusy);
    EXPECT_EQ(asked, 0);
}

} // namespace
} // namespace lumo
