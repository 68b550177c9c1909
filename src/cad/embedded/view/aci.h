// The CAD colour index (ACI 1..255) as screen colours.
#pragma once

#include <QRgb>

namespace lumo::view {

// 1..255; anything else gives colour 7. Colour 7 is white: the view draws on
// a dark background, as CAD programs do.
QRgb aciColour(int index);

} // namespace lumo::view
