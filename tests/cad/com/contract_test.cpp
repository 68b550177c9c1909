// The host contract suite against the automation host: the embedded host is
// exposed through the IDispatch model on a thread of its own (another
// apartment) and started through the class registered for
// "AutoCAD.Application", so every call of the suite goes through the
// automation host and crosses a COM proxy, as calls to a host in its own
// process do.
#include "cad/com/automation_host.h"
#include "cad/embedded/embedded_host.h"
#include "cad/embedded/input.h"
#include "dispatch_server.h"
#include "host_contract.h"

namespace lumo::cad::com {
namespace {

class AutomationTestProvider final : public HostProvider {
public:
    explicit AutomationTestProvider(contract::HostSetup setup) : setup_(std::move(setup)) {
        testing::registerProgId();
    }

    std::shared_ptr<Application> attach() override { return attachRunningHost(); }

    // The class starts the host: an embedded host set up as the test asks.
    std::shared_ptr<Application> create() override {
        if (!server_) {
            embedded::EmbeddedHostOptions options;
            if (!setup_.drawing.empty()) options.drawing = setup_.drawing;
            std::string script;
            for (const auto& line : setup_.input) script += line + "\n";
            options.input = std::make_shared<embedded::ScriptedInputSource>(
                embedded::ScriptedInputSource::parse(script));
            server_ = std::make_unique<testing::ServerThread>(
                [options] { return std::make_shared<embedded::EmbeddedApplication>(options); },
                std::make_shared<testing::ServerControl>(), false);
        }
        return createHost();
    }

private:
    contract::HostSetup setup_;
    std::unique_ptr<testing::ServerThread> server_;
};

class AutomationFactory final : public contract::HostFactory {
public:
    std::string name() const override { return "Automation"; }
    std::unique_ptr<HostProvider> makeProvider(const contract::HostSetup& setup) override {
        return std::make_unique<AutomationTestProvider>(setup);
    }
};

} // namespace
} // namespace lumo::cad::com

namespace lumo::cad::contract {
INSTANTIATE_TEST_SUITE_P(Automation, HostContract,
                         ::testing::Values(std::make_shared<com::AutomationFactory>()),
                         FactoryName);
} // namespace lumo::cad::contract
