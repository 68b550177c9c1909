#include "cad/host_choice.h"

#include <cstdlib>
#include <string_view>

namespace lumo::cad {

namespace {

bool equalsNoCase(std::string_view a, std::string_view b)
{
    if (a.size() != b.size())
        return false;
    for (std::size_t i = 0; i < a.size(); ++i) {
        auto lower = [](char c) { return (c >= 'A' && c <= 'Z') ? char(c - 'A' + 'a') : c; };
        if (lower(a[i]) != lower(b[i]))
            return false;
    }
    return true;
}

} // namespace

HostKind ChooseHostKind(const char* override, bool onWindows)
{
    if (override) {
        if (equalsNoCase(override, "embedded"))
            return HostKind::Embedded;
        if (equalsNoCase(override, "automation"))
            return HostKind::Automation;
    }
    return onWindows ? HostKind::Automation : HostKind::Embedded;
}

HostKind ChooseHostKind()
{
#ifdef _WIN32
    constexpr bool onWindows = true;
#else
    constexpr bool onWindows = false;
#endif
    return ChooseHostKind(std::getenv("LUMO_CAD_HOST"), onWindows);
}

} // namespace lumo::cad
