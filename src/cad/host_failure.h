// A host failure in the designer's words, for the forms that meet one on the
// side of their work and go on (Polish, UTF-8): a busy host "does not
// answer", any other failure is named with the host's own message.
#pragma once

#include "cad/host.h"

#include <string>

namespace lumo::cad {

std::string DescribeHostFailure(const HostError& error);

} // namespace lumo::cad
