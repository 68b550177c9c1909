// Which host the program talks to: the automation host on Windows, the
// embedded host elsewhere; LUMO_CAD_HOST=embedded|automation overrides.
#pragma once

#include "cad/session.h"

#include <functional>
#include <memory>
#include <string>

namespace lumo::cad {

enum class HostKind { Embedded, Automation };

// override: the value of LUMO_CAD_HOST (nullptr when unset); an unknown
// value leaves the platform's choice.
HostKind ChooseHostKind(const char* override, bool onWindows);
// The same from this process's environment and platform.
HostKind ChooseHostKind();

} // namespace lumo::cad
