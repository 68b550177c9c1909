// Names as CAD programs compare them, one rule for the whole program.
// Wildcard matching of selection filters, without regard to case:
//   #  one digit            @  one letter          .  one character that is
//   *  any run (also empty)  ?  any one character     neither letter nor digit
//   [..] one of the enclosed (ranges a-z), [~..] one not enclosed
//   ~  at the start of an alternative: everything the rest does not match
//   `  the next character is literal     ,  separates alternatives
// Text and pattern are UTF-8; a "character" is one code point.
#pragma once

#include <string>
#include <string_view>

namespace lumo::base {

bool WildcardMatch(std::string_view pattern, std::string_view text);

// Equality of names without regard to case (Latin, Polish and Cyrillic letters).
bool SameName(std::string_view a, std::string_view b);

// The lower-case form of one code point, for the letters names use (Latin
// with its supplements, Greek, Cyrillic); and of UTF-8 text (bytes that are
// not UTF-8 are kept as their own code points).
char32_t FoldCase(char32_t c);
std::string FoldCase(std::string_view text);

// The pattern uses more than "*", "?" and "," (which simple matchers do).
bool HasFullWildcards(std::string_view pattern);

} // namespace lumo::base
