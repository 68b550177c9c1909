// The inventory of a drawing's signal equipment: every signal head, contrast
// screen and push button, with where it stands and what its attributes say.
#pragma once

#include "dxf/document.h"

#include <ostream>

namespace lumo::dxf {

// Writes CSV (UTF-8, a header row, RFC 4180 quoting): handle, block name,
// layer, X, Y, rotation in degrees, then one column per attribute tag the
// program writes. Block references on the heads' layer
// "110-SYGNALIZACJA_KOMORY" and the push buttons' layer
// "109-SYGNALIZACJA_PRZYCISKI" are listed, in drawing order.
void WriteHeadsCsv(const Document& doc, std::ostream& out);

} // namespace lumo::dxf
