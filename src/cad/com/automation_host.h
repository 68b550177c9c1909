// The automation host: the CAD program registered as "AutoCAD.Application",
// driven by late-bound IDispatch calls by member name.
#pragma once

#include "cad/com/com_support.h"
#include "cad/host.h"
#include "cad/session.h"

#include <memory>

namespace lumo::cad::com {

inline constexpr const wchar_t* kHostProgId = L"AutoCAD.Application";

// The running host registered under kHostProgId. Fails with HostError when
// none is running.
std::shared_ptr<Application> attachRunningHost();

// Starts a new host of kHostProgId. Fails with HostError when it cannot.
std::shared_ptr<Application> createHost();

} // namespace lumo::cad::com

namespace lumo::cad {

// The running host, else a new one (attachRunningHost, createHost).
std::unique_ptr<HostProvider> MakeAutomationHostProvider();

// True when some CAD program has registered itself as kHostProgId; false on
// a machine that has none installed.
bool AutomationHostRegistered();

} // namespace lumo::cad
