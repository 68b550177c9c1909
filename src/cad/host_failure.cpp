#include "cad/host_failure.h"

#include "cad/session.h"

namespace lumo::cad {

std::string DescribeHostFailure(const HostError& error)
{
    if (dynamic_cast<const HostBusy*>(&error))
        return std::string("Program ") + kHostName + " nie odpowiada.";
    return std::string("Program ") + kHostName + " zgłosił błąd:\r\n[" + error.what() + "]";
}

} // namespace lumo::cad
