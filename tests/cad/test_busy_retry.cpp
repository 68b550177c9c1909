// A busy host, whichever host it is: asked again after pauses that double,
// for a bounded time, then HostBusy reaches the caller.
#include "cad/busy_retry.h"
#include "cad/drawing.h"
#include "cad/embedded/embedded_host.h"
#include "dxf/document.h"
#include "failing_host.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <vector>

namespace lumo::cad {
namespace {

using std::chrono::milliseconds;

// A real host with a drawing whose lookups are refused as busy `busyCalls`
// times (-1: always) before they answer.
struct BusyForAWhile : HostProvider {
    explicit BusyForAWhile(int busyCalls) : busyLeft(busyCalls)
    {
        dxf::Document::create("AC1032").save(drawing.string());
        embedded::EmbeddedHostOptions options;
        options.drawing = drawing.string();
        real = std::make_shared<embedded::EmbeddedApplication>(options);
    }
    ~BusyForAWhile() override { std::filesystem::remove(drawing); }
    std::shared_ptr<Application> attach() override
    {
        return std::make_shared<test::FailingApplication>(real, [this] {
            if (busyLeft == 0)
                return;
            if (busyLeft > 0)
                --busyLeft;
            ++refused;
            throw HostBusy("Call was rejected by callee.");
        });
    }
    std::shared_ptr<Application> create() override { throw HostError("not needed"); }

    std::filesystem::path drawing = std::filesystem::temp_directory_path()
        / ("lumo-busy-" + std::to_string(::testing::UnitTest::GetInstance()->random_seed()) + ".dxf");
    std::shared_ptr<embedded::EmbeddedApplication> real;
    int busyLeft;
    int refused = 0;
};

TEST(BusyRetry, ABusyHostIsAskedAgainWithGrowingPausesThenGivenUp)
{
    struct Case {
        const char* name;
        int busyCalls;
        bool answers;
        std::vector<milliseconds> pauses;
    };
    const Case cases[] = {
        {"never busy", 0, true, {}},
        {"busy three times", 3, true, {milliseconds(20), milliseconds(40), milliseconds(80)}},
        // The pauses add up to the patience, then the refusal stands.
        {"always busy", -1, false, {milliseconds(20), milliseconds(40), milliseconds(80), milliseconds(160)}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        BusyForAWhile host(c.busyCalls);
        std::vector<milliseconds> pauses;
        BusyRetry retry;
        retry.firstPause = milliseconds(20);
        retry.patience = milliseconds(300);
        retry.pause = [&pauses](milliseconds pause) { pauses.push_back(pause); };
        BusyRetryingProvider provider(host, retry);
        HostSession session;
        session.app = provider.attach();
        ASSERT_TRUE(CheckActiveDocument(session, false));
        if (c.answers) {
            SetDrawingProperty(session, "SKALA", "250");
            EXPECT_EQ(host.real->activeDocument()->summaryInfo()->numCustomInfo(), 1);
            EXPECT_EQ(GetDrawingProperty(session, "SKALA"), "250");
        } else {
            EXPECT_THROW(GetDrawingProperty(session, "SKALA"), HostBusy);
        }
        EXPECT_EQ(pauses, c.pauses);
        EXPECT_EQ(host.refused, static_cast<int>(c.pauses.size()) + (c.answers ? 0 : 1));
    }
}

// What the retrying host hands out goes back to the real host as its own:
// the layer made current, the text style made current.
TEST(BusyRetry, ObjectsHandedBackReachTheRealHost)
{
    BusyForAWhile host(0);
    BusyRetryingProvider provider(host);
    HostSession session;
    session.app = provider.attach();
    ASSERT_TRUE(CheckActiveDocument(session, false));
    EnsureLayer(session, "110-SYGNALIZACJA_KOMORY", true);
    EXPECT_EQ(host.real->activeDocument()->activeLayer()->name(), "110-SYGNALIZACJA_KOMORY");
    std::shared_ptr<TextStyle> style = session.doc->textStyles()->add("SYGN_OPISY_TXT");
    session.doc->setActiveTextStyle(style);
    EXPECT_EQ(host.real->activeDocument()->activeTextStyle()->name(), "SYGN_OPISY_TXT");
}

} // namespace
} // namespace lumo::cad
