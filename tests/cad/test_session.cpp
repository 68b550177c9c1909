// The host session against a scripted host: which host ConnectAcad ends up
// with, what it tells the user, and what CheckActiveDocument takes.
#include "cad/embedded/embedded_host.h"
#include "cad/session.h"

#include <gtest/gtest.h>

#include <functional>
#include <stdexcept>

namespace lumo::cad {
namespace {

class FakeApp : public Application {
public:
    std::string typeName() const override { return "IAcadApplication"; }
    bool visible() const override { return visible_; }
    void setVisible(bool visible) override { visible_ = visible; }
    std::shared_ptr<HostState> getAcadState() override
    {
        if (stateFails)
            throw HostError("Call was rejected by callee.");
        return drawings->getAcadState();
    }
    // The drawings are the embedded host's; without it none is open.
    long documentsCount() const override { return drawings ? drawings->documentsCount() : 0; }
    std::shared_ptr<Document> activeDocument() override
    {
        if (!drawings)
            throw HostError("No document");
        return drawings->activeDocument();
    }
    std::string blockFileExtension() const override { return ".dwg"; }

    bool stateFails = false;
    std::shared_ptr<embedded::EmbeddedApplication> drawings
        = std::make_shared<embedded::EmbeddedApplication>(embedded::EmbeddedHostOptions{});

private:
    bool visible_ = false;
};

class FakeProvider : public HostProvider {
public:
    std::shared_ptr<Application> attach() override
    {
        ++attaches;
        if (!running)
            throw HostError("Operation unavailable");
        return running;
    }
    std::shared_ptr<Application> create() override
    {
        ++creates;
        if (!startable)
            throw HostError("Class not registered");
        return startable;
    }
    std::shared_ptr<FakeApp> running;
    std::shared_ptr<FakeApp> startable;
    int attaches = 0;
    int creates = 0;
};

struct Shown {
    std::string title, text;
    MessageIcon icon;
};

TEST(HostSession, ConnectPrefersTheRunningHostAndFallsBackToANewOne)
{
    enum class Expect { Running, Started, None };
    struct Case {
        const char* what;
        bool running, runningStateFails, startable, startedStateFails, askState;
        Expect app;
        bool state;
        int creates;
    } cases[] = {
        {"running host", true, false, true, false, true, Expect::Running, true, 0},
        {"running host, no state asked", true, false, true, false, false, Expect::Running, false, 0},
        {"none running", false, false, true, false, true, Expect::Started, true, 1},
        {"running host refuses its state", true, true, true, false, true, Expect::Started, true, 1},
        {"new host refuses its state", false, false, true, true, true, Expect::Started, false, 1},
        {"no host at all", false, false, false, false, true, Expect::None, false, 1},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        FakeProvider provider;
        if (c.running) {
            provider.running = std::make_shared<FakeApp>();
            provider.running->stateFails = c.runningStateFails;
        }
        if (c.startable) {
            provider.startable = std::make_shared<FakeApp>();
            provider.startable->stateFails = c.startedStateFails;
        }
        std::vector<Shown> shown;
        HostSession session;
        session.message = [&](const std::string& t, const std::string& x, MessageIcon i) {
            shown.push_back({t, x, i});
        };
        const auto app = ConnectAcad(session, provider, c.askState);
        EXPECT_EQ(session.app, app);
        EXPECT_EQ(provider.creates, c.creates);
        EXPECT_EQ(session.state != nullptr, c.state);
        switch (c.app) {
        case Expect::Running: EXPECT_EQ(app, provider.running); break;
        case Expect::Started: EXPECT_EQ(app, provider.startable); break;
        case Expect::None: EXPECT_EQ(app, nullptr); break;
        }
        if (c.app == Expect::None) {
            ASSERT_EQ(shown.size(), 1u);
            EXPECT_EQ(shown[0].title, "LUMO_Sygnalizatory");
            EXPECT_EQ(shown[0].text, "Nie można nawiązać połączenia z programem:\r\n[AutoCAD]");
            EXPECT_EQ(shown[0].icon, MessageIcon::Exclamation);
        } else {
            EXPECT_TRUE(shown.empty());
        }
    }
}

TEST(HostSession, CheckFollowsTheCurrentDrawingAndKeepsTheOldOnesWhenNoneIsOpen)
{
    auto app = std::make_shared<FakeApp>();
    HostSession session;
    session.app = app;
    int shown = 0;
    session.message = [&](const std::string&, const std::string&, MessageIcon) { ++shown; };

    app->drawings->create("a.dxf");
    ASSERT_TRUE(CheckActiveDocument(session, true));
    EXPECT_EQ(session.doc->name(), "a.dxf");

    app->drawings->create("b.dxf"); // new drawings, never written
    ASSERT_TRUE(CheckActiveDocument(session, true));
    EXPECT_EQ(session.doc->name(), "b.dxf");
    session.modelSpace->addText("B", {0, 0, 0}, 1);
    EXPECT_EQ(app->activeDocument()->modelSpace()->count(), 1); // b's model space, not a's

    app->drawings.reset();
    EXPECT_FALSE(CheckActiveDocument(session, false));
    EXPECT_EQ(shown, 0);
    EXPECT_FALSE(CheckActiveDocument(session, true));
    EXPECT_EQ(shown, 1);
    EXPECT_EQ(session.doc->name(), "b.dxf");
    EXPECT_THROW(GetModelSpace(session), HostError);
}

// Only "not running" and "cannot start" send ConnectAcad on to the next
// step. A busy host runs (a second one must not be started beside it), and a
// fault of the program is no answer at all: both reach the caller.
TEST(HostSession, ConnectPassesOnABusyHostAndProgramFaults)
{
    using Fault = std::function<void()>;
    const Fault busy = [] { throw HostBusy("Call was rejected by callee."); };
    const Fault fault = [] { throw std::logic_error("bad index"); };
    struct Case {
        const char* what;
        Fault attach, state, create;
        bool busy; // else the program fault
        int creates;
    };
    const Case cases[] = {
        {"busy when attached", busy, {}, {}, true, 0},
        {"busy with its state", {}, busy, {}, true, 0},
        {"fault when attached", fault, {}, {}, false, 0},
        {"fault with its state", {}, fault, {}, false, 0},
        {"busy when started", [] { throw HostError("Operation unavailable"); }, {}, busy, true, 1},
        {"fault when started", [] { throw HostError("Operation unavailable"); }, {}, fault, false, 1},
    };
    class FaultyProvider : public HostProvider {
    public:
        explicit FaultyProvider(const Case& c) : c_(c) { }
        std::shared_ptr<Application> attach() override
        {
            if (c_.attach)
                c_.attach();
            return app();
        }
        std::shared_ptr<Application> create() override
        {
            ++creates;
            if (c_.create)
                c_.create();
            return app();
        }
        int creates = 0;

    private:
        std::shared_ptr<Application> app()
        {
            class Faulty : public FakeApp {
            public:
                explicit Faulty(Fault state) : state_(std::move(state)) { }
                std::shared_ptr<HostState> getAcadState() override
                {
                    if (state_)
                        state_();
                    return FakeApp::getAcadState();
                }

            private:
                Fault state_;
            };
            return std::make_shared<Faulty>(c_.state);
        }
        const Case& c_;
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        FaultyProvider provider(c);
        int shown = 0;
        HostSession session;
        session.message = [&](const std::string&, const std::string&, MessageIcon) { ++shown; };
        if (c.busy)
            EXPECT_THROW(ConnectAcad(session, provider, true), HostBusy);
        else
            EXPECT_THROW(ConnectAcad(session, provider, true), std::logic_error);
        EXPECT_EQ(provider.creates, c.creates);
        EXPECT_EQ(session.app, nullptr);
        EXPECT_EQ(shown, 0);
    }
}

} // namespace
} // namespace lumo::cad
