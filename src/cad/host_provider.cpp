#include "cad/host_provider.h"

#include "cad/embedded/embedded_host.h"

namespace lumo::cad {

namespace {

// Where no automation host exists: connecting fails as it does on a machine
// without the CAD program.
class UnavailableProvider : public HostProvider {
public:
    std::shared_ptr<Application> attach() override
    {
        throw HostError("No automation host on this system");
    }
    std::shared_ptr<Application> create() override
    {
        throw HostError("No automation host on this system");
    }
};

} // namespace

std::unique_ptr<HostProvider> MakeHostProvider(HostKind kind, const HostProviderSetup& setup)
{
    if (kind == HostKind::Automation) {
#ifdef LUMO_HAVE_AUTOMATION_HOST
        return MakeAutomationHostProvider();
#else
        return std::make_unique<UnavailableProvider>();
#endif
    }
    return std::make_unique<embedded::EmbeddedHostProvider>([setup] {
        auto options = embedded::EmbeddedHostOptions::fromEnvironment(setup.report);
        if (!options.input && setup.interactiveInput)
            options.input = setup.interactiveInput();
        return options;
    });
}

} // namespace lumo::cad
