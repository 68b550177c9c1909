// A busy host as the program meets it in a whole run: refusals that pass are
// waited out, a host that stays busy is named and ends the run, and a busy
// running host is never answered by starting a second one.
#include "app/program.h"
#include "failing_host.h"
#include "signal_run.h"

#include <QTimer>

#include <gtest/gtest.h>

namespace lumo::test {
namespace {

// The embedded host, busy when attached to, or busy in its drawing's lookups
// for the first `busyLookups` of them (-1: always).
class BusyHostProvider : public cad::HostProvider {
public:
    BusyHostProvider(const std::string& drawing, bool busyAttach, int busyLookups)
        : real_([drawing] {
              cad::embedded::EmbeddedHostOptions options;
              options.drawing = drawing;
              return options;
          }),
          busyAttach_(busyAttach), busyLookups_(busyLookups)
    {
    }
    std::shared_ptr<cad::Application> attach() override
    {
        if (busyAttach_)
            throw cad::HostBusy("Call was rejected by callee.");
        return busy(real_.attach());
    }
    std::shared_ptr<cad::Application> create() override
    {
        ++creates;
        return busy(real_.create());
    }
    int creates = 0;

private:
    std::shared_ptr<cad::Application> busy(std::shared_ptr<cad::Application> app)
    {
        return std::make_shared<FailingApplication>(std::move(app), [this] {
            if (busyLookups_ == 0)
                return;
            if (busyLookups_ > 0)
                --busyLookups_;
            throw cad::HostBusy("Call was rejected by callee.");
        });
    }
    cad::embedded::EmbeddedHostProvider real_;
    bool busyAttach_;
    int busyLookups_;
};

TEST(BusyHost, ARunWaitsOutAShortlyBusyHostAndEndsWithOneThatStaysBusy)
{
    struct Case {
        const char* name;
        bool busyAttach;
        int busyLookups;
        bool runs; // else it ends, saying why
        int creates;
    };
    const Case cases[] = {
        {"busy twice, then answering", false, 2, true, 1},
        {"busy in every lookup", false, -1, false, 1},
        {"busy when attached to", true, 0, false, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        TempSuite suite;
        BuildSuite(suite);
        const std::string drawing = WriteDrawing(suite, {});
        RecordingDialogs dialogs;
        if (!c.runs)
            dialogs.acceptMessages(1);
        BusyHostProvider provider(drawing, c.busyAttach, c.busyLookups);
        Program program(dialogs, suite.programFolder(), provider);
        program.startup.registryFile = SuiteRegistryFile(suite);
        QTimer look;
        QObject::connect(&look, &QTimer::timeout, [&] {
            if (program.form() && program.form()->isVisible() && program.host.doc)
                program.end(QStringLiteral("accepted"));
        });
        look.start(10);
        program.run({QString(), QStringLiteral("S-1")});

        EXPECT_EQ(provider.creates, c.creates);
        const auto messages = dialogs.messages();
        if (c.runs) {
            EXPECT_EQ(program.endReason(), QStringLiteral("accepted"));
            EXPECT_TRUE(messages.empty());
            EXPECT_EQ(program.form()->drawingScale(), 500);
        } else {
            EXPECT_EQ(program.endReason(), QStringLiteral("host not responding"));
            ASSERT_EQ(messages.size(), 1u);
            EXPECT_EQ(messages[0].text,
                      QStringLiteral("Program AutoCAD nie odpowiada.\r\nUstawianie zostało przerwane."));
            EXPECT_EQ(messages[0].icon, DialogIcon::Exclamation);
        }
    }
}

} // namespace
} // namespace lumo::test
