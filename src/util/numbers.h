// Numbers as the program reads and writes them: reading never depends on the
// user's locale (a point is the only decimal separator), integers are 16-bit
// with halves rounded to the even neighbour, and numbers written into the
// drawing or into host commands always get a point.
#pragma once

#include <QString>
#include <cstdint>
#include <optional>

namespace lumo {

// The leading number of a text: blanks, tabs and line breaks are skipped
// anywhere inside it, "." is the only decimal separator, E or D starts an
// exponent, &H and &O prefix hexadecimal and octal integers. A text without a
// leading number gives 0. nullopt when the number cannot be represented
// (overflow) or its type suffix does not fit it ("50.5%").
std::optional<double> ValChecked(const QString& text);

// ValChecked with any failure read as 0.
double Val(const QString& text);

// Rounds to the nearest 16-bit integer, halves to the even neighbour;
// nullopt outside -32768..32767 (and for NaN).
std::optional<std::int16_t> RoundToInt16(double value);

// Trimmed, commas read as points, then Val; any failure gives 0.
// "0,73" -> 0.73, "1.234,5" -> 1.234.
double ValDot(const QString& text);

// Trimmed, Val (commas are not separators), rounded to 16 bits; overflow or
// any failure gives 0. "2,7" -> 2, "3.5" -> 4, "2.5" -> 2.
std::int16_t ValInt(const QString& text);

// The general number form: the shortest text with at most 15 significant
// digits, a point as the separator, no thousands separators, exponent form
// (E+15, E-05) when the exponent is below -4 or at least 15. For numbers
// written into the drawing and into host commands.
QString FormatNumber(double value);

// The number-to-text form with a sign position: a blank before zero and
// positive numbers, "-" before negative ones (" 234", "-5").
QString StrNumber(double value);

// A section number: at least 3 characters, a "-" with a positive 16-bit
// number before it and a positive number after it ("26-15", "26-15a").
bool IsSectionNumber(const QString& text);

} // namespace lumo
