// The program's icon (a three-lens signal head on its post), the same as the
// menu entry's, drawn here so that every window carries it without an image
// plug-in.
#pragma once

#include <QIcon>

namespace lumo {

QIcon ProgramIcon();

// Makes it the icon of every window of the program.
void UseProgramIcon();

} // namespace lumo
