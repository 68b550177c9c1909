// A block drawing (a symbol's own file) drawn small, as a tool's icon.
#pragma once

#include <QIcon>
#include <QSize>
#include <QString>

namespace lumo::view {

// The drawing in path fitted into a square of this size, dark lines on a
// light ground; a null icon when the file cannot be read or draws nothing.
QIcon blockIcon(const QString& path, int size = 32);

} // namespace lumo::view
