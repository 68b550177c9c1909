// The settings file keeps flags as "1"/"0"; only 1 counts as true here.
#pragma once

namespace lumo {

inline bool IntToBool(int n)
{
    return n == 1;
}

inline int BoolToInt(bool b)
{
    return b ? 1 : 0;
}

} // namespace lumo
