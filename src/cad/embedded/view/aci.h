// The CAD colour index (ACI 1..255) as screen colours.
#pragma once

#include <QRgb>

namespace lumo::view {

// 1..255; anything else gives colour 7. Colour 7 is white: the view draws on
// a dark background, as CAD programs do.
QRgb aciColour(int index);

// The colour drawn on the view's dark background: dark colours (blue 5,
// the dark shades) are lightened until they read well; the drawing keeps
// its own colours.
QRgb screenColour(int index);

} // namespace lumo::view
