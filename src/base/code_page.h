// Code pages: the bytes of drawings written in one (named as "CP1250",
// "CP932", ...) and of the suite's own settings and list files, to and from
// the program's UTF-8. The platform's converter does the work (Windows'
// own, glibc's iconv elsewhere).
#pragma once

#include <array>
#include <string>
#include <string_view>

namespace lumo::base {

// Exact conversions: "" when the charset is unknown or any byte or
// character has no counterpart.
std::string CodePageToUtf8(std::string_view charset, std::string_view bytes);
std::string Utf8ToCodePage(std::string_view charset, std::string_view utf8);

// The characters of the bytes 0x80..0xFF of a single-byte charset, U+FFFD
// where a byte has none; false when the charset is unknown.
bool HighCharacters(std::string_view charset, std::array<char32_t, 128>& high);

// The ANSI code page of the suite's settings, list and registry files: the
// system's on Windows, Windows-1250 elsewhere (the code page the suite's
// Polish files are written in). Nothing is lost on the way in: the five byte
// values Windows-1250 leaves undefined come through as the control
// characters of the same value, as Windows reads them. On the way out a
// character the code page lacks becomes "?", as Windows writes it.
std::string AnsiToUtf8(std::string_view bytes);
std::string Utf8ToAnsi(std::string_view utf8);

} // namespace lumo::base
