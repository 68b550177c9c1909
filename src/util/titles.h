// The two titles message boxes carry: plain messages show the program's own
// title, boxes without an explicit title show the application's title.
#pragma once

#include <QString>

namespace lumo {

inline const QString kMessageTitle = QStringLiteral("LUMO_Sygnalizacja");
inline const QString kApplicationTitle = QStringLiteral("LUMO_Sygnalizatory");

} // namespace lumo
