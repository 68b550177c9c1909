// The host contract suite against the automation host: the embedded host is
// exposed through the IDispatch model in a process of its own
// (lumo_test_host) and started through the class registered for
// "AutoCAD.Application", so every call of the suite goes through the
// automation host and crosses a COM proxy between processes, as calls to a
// real CAD program do.
#include "cad/com/automation_host.h"
#include "dispatch_server.h"
#include "host_contract.h"

#include <atomic>
#include <filesystem>
#include <fstream>

namespace lumo::cad::com {
namespace {

// The test host's process, set up as the test asks; it ends with this.
class HostProcess {
public:
    explicit HostProcess(const contract::HostSetup& setup)
    {
        static std::atomic<int> counter{0};
        const std::string name
            = "lumo-test-host-" + std::to_string(GetCurrentProcessId()) + "-" + std::to_string(counter++);
        ready_ = CreateEventA(nullptr, TRUE, FALSE, (name + "-ready").c_str());
        quit_ = CreateEventA(nullptr, TRUE, FALSE, (name + "-quit").c_str());
        std::string script = "-";
        if (!setup.input.empty()) {
            script = (std::filesystem::path(setup.folder) / "input.txt").string();
            std::ofstream out(script);
            for (const auto& line : setup.input)
                out << line << "\n";
        }
        char self[MAX_PATH] = {};
        GetModuleFileNameA(nullptr, self, MAX_PATH);
        const auto program = std::filesystem::path(self).parent_path() / "lumo_test_host.exe";
        std::string command = "\"" + program.string() + "\" " + name + "-ready " + name + "-quit \""
            + (setup.drawing.empty() ? "-" : setup.drawing) + "\" \"" + script + "\"";
        STARTUPINFOA startup{};
        startup.cb = sizeof startup;
        if (!CreateProcessA(nullptr, command.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup,
                            &process_))
            throw HostError("The test host cannot be started: " + command);
        const HANDLE waits[] = {ready_, process_.hProcess};
        if (WaitForMultipleObjects(2, waits, FALSE, 30000) != WAIT_OBJECT_0)
            throw HostError("The test host did not start");
    }
    ~HostProcess()
    {
        SetEvent(quit_);
        if (WaitForSingleObject(process_.hProcess, 10000) != WAIT_OBJECT_0)
            TerminateProcess(process_.hProcess, 1);
        CloseHandle(process_.hProcess);
        CloseHandle(process_.hThread);
        CloseHandle(ready_);
        CloseHandle(quit_);
    }
    HostProcess(const HostProcess&) = delete;
    HostProcess& operator=(const HostProcess&) = delete;

private:
    HANDLE ready_ = nullptr;
    HANDLE quit_ = nullptr;
    PROCESS_INFORMATION process_{};
};

class AutomationTestProvider final : public HostProvider {
public:
    explicit AutomationTestProvider(contract::HostSetup setup) : setup_(std::move(setup))
    {
        testing::registerProgId();
    }

    std::shared_ptr<Application> attach() override { return attachRunningHost(); }

    // The class starts the host: an embedded host set up as the test asks.
    std::shared_ptr<Application> create() override
    {
        if (!process_)
            process_ = std::make_unique<HostProcess>(setup_);
        return createHost();
    }

private:
    contract::HostSetup setup_;
    std::unique_ptr<HostProcess> process_;
};

class AutomationFactory final : public contract::HostFactory {
public:
    std::string name() const override { return "Automation"; }
    std::unique_ptr<HostProvider> makeProvider(const contract::HostSetup& setup) override
    {
        return std::make_unique<AutomationTestProvider>(setup);
    }
};

} // namespace
} // namespace lumo::cad::com

namespace lumo::cad::contract {
INSTANTIATE_TEST_SUITE_P(Automation, HostContract,
                         ::testing::Values(std::make_shared<com::AutomationFactory>()), FactoryName);
} // namespace lumo::cad::contract
