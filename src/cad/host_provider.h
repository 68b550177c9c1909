// The provider of the host this run talks to (see ChooseHostKind).
#pragma once

#include "cad/embedded/input.h"
#include "cad/host_choice.h"
#include "cad/session.h"

#include <functional>
#include <memory>

namespace lumo::cad {

struct HostProviderSetup {
    // Tells the user what the host itself has to say (a drawing it cannot read).
    MessageFn report;
    // The designer's input for the embedded host when no script is given
    // (LUMO_CAD_INPUT); without it every request is cancelled.
    std::function<std::shared_ptr<embedded::InputSource>()> interactiveInput;
};

std::unique_ptr<HostProvider> MakeHostProvider(HostKind kind, const HostProviderSetup& setup);

// Defined by the automation host, where there is one (Windows).
std::unique_ptr<HostProvider> MakeAutomationHostProvider();

} // namespace lumo::cad
