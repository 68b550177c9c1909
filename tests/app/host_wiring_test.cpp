#include "app/host_wiring.h"

#include <gtest/gtest.h>

#include <map>

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

} // namespace
} // namespace lumo
