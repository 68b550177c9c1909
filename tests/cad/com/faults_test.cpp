// What a real host does to the program, played by the test host across a COM
// proxy: busy refusals, a command left waiting, a stale cancel in
// "LASTPROMPT", a missing or empty state object, and its window. The host
// behind the proxy is the embedded one with a new, never saved drawing.
#include "cad/busy_retry.h"
#include "cad/com/automation_host.h"
#include "cad/embedded/embedded_host.h"
#include "cad/follow_up.h"
#include "dispatch_server.h"

#include <gtest/gtest.h>

#include <filesystem>

namespace lumo::cad::com {
namespace {

using Poll = FollowUpPoll;

struct ProxiedHost {
    ProxiedHost() { testing::registerProgId(); }
    std::shared_ptr<testing::ServerControl> control = std::make_shared<testing::ServerControl>();
    testing::ServerThread thread{
        [] {
            auto host = std::make_shared<embedded::EmbeddedApplication>(embedded::EmbeddedHostOptions{});
            host->create((std::filesystem::temp_directory_path() / "lumo-faults.dxf").string());
            return host;
        },
        control};
    HostSession session;
    int shown = 0;

    void connect()
    {
        session.message = [this](const std::string&, const std::string&, MessageIcon) { ++shown; };
        // Wrapped as the program wraps it: its own retry is the only one.
        auto automation = MakeAutomationHostProvider();
        BusyRetryingProvider provider(*automation);
        ASSERT_NE(ConnectAcad(session, provider, true), nullptr);
        ASSERT_TRUE(CheckActiveDocument(session, true));
    }
};

TEST(HostFaults, FollowUpSeesBusyWaitingCancelledAndNewThroughTheProxy)
{
    ProxiedHost host;
    host.connect();
    FollowUpWatch watch;
    const auto t0 = FollowUpWatch::Clock::now();
    host.control->lastPrompt = "Polecenie: *Anulowano*"; // left by an earlier command
    watch.arm(host.session, t0);
    EXPECT_EQ(watch.poll(host.session, 0, t0), Poll::NotYet);

    host.control->commandWaiting = true;
    EXPECT_EQ(watch.poll(host.session, 0, t0), Poll::NotYet);
    host.control->commandWaiting = false;
    EXPECT_EQ(watch.poll(host.session, 0, t0), Poll::Cancelled); // the command has run

    host.control->lastPrompt = "Command: *Cancel*";
    watch.arm(host.session, t0);
    host.session.modelSpace->addText("K1", {}, 1);
    EXPECT_EQ(watch.poll(host.session, 0, t0), Poll::NewEntity); // placed despite the marker
    host.control->lastPrompt.clear();

    // Refusals: a few are retried away; a host that goes on refusing is not
    // idle yet, and after a minute of it, unreachable.
    host.control->rejectNextCalls = 1;
    EXPECT_EQ(watch.poll(host.session, 0, t0), Poll::NewEntity);
    EXPECT_EQ(host.control->rejectedCalls, 1);
    host.control->rejectNextCalls = 1000000;
    EXPECT_EQ(watch.poll(host.session, 0, t0), Poll::NotYet);
    EXPECT_GE(host.control->rejectedCalls, 3); // retried before giving up
    // One refusal a try of the program's retry: nothing under it waits and
    // asks again on its own, which would stretch every busy call.
    host.control->rejectedCalls = 0;
    EXPECT_THROW(host.session.modelSpace->count(), HostBusy);
    EXPECT_EQ(host.control->rejectedCalls, 5);
    EXPECT_EQ(watch.poll(host.session, 0, t0 + std::chrono::seconds(59)), Poll::NotYet);
    EXPECT_EQ(watch.poll(host.session, 0, t0 + std::chrono::seconds(61)), Poll::Unreachable);
    host.control->rejectNextCalls = 0;
    EXPECT_EQ(watch.poll(host.session, 0, t0 + std::chrono::seconds(62)), Poll::NewEntity);
}

TEST(HostFaults, WithoutAStateObjectTheHostCountsAsIdle)
{
    for (const auto state : {testing::ServerControl::State::Missing, testing::ServerControl::State::Empty}) {
        ProxiedHost host;
        host.control->state = state;
        host.connect();
        EXPECT_EQ(host.session.state, nullptr);
        EXPECT_EQ(host.shown, 0);
        FollowUpWatch watch;
        EXPECT_EQ(watch.poll(host.session, 0), Poll::NotYet);
        host.session.modelSpace->addText("K1", {}, 1);
        EXPECT_EQ(watch.poll(host.session, 0), Poll::NewEntity);
    }
}

TEST(HostFaults, HostWindowComesToTheFrontByHandleOrTitle)
{
    for (const bool byHandle : {true, false}) {
        ProxiedHost host;
        auto open = [](const wchar_t* title) {
            return CreateWindowExW(0, L"STATIC", title, WS_OVERLAPPEDWINDOW | WS_VISIBLE, 0, 0, 99, 99,
                                   nullptr, nullptr, nullptr, nullptr);
        };
        HWND window = open(L"AutoCAD 2024 - [plan.dwg]");
        HWND other = open(L"Inny");
        SetForegroundWindow(other);
        if (byHandle)
            host.control->window = reinterpret_cast<LONG_PTR>(window);
        host.connect();
        host.session.app->bringToFront();
        EXPECT_EQ(GetForegroundWindow(), window) << byHandle;
        DestroyWindow(window);
        host.session.app->bringToFront(); // no such window: nothing happens
        DestroyWindow(other);
    }
}

} // namespace
} // namespace lumo::cad::com
