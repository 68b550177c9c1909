// UTF-8, the text of every string inside the program, read and written one
// code point at a time.
#pragma once

#include <string>
#include <string_view>

namespace lumo::base {

// What DecodeUtf8 gives for a byte that starts no well-formed sequence.
inline constexpr char32_t kNotUtf8 = 0xFFFFFFFF;

// The code point that starts at s[i], advancing i past it. A byte that
// starts no complete, well-formed sequence gives kNotUtf8 and i moves on by
// that one byte only, so the caller decides what it stands for (the byte
// itself, or U+FFFD).
char32_t DecodeUtf8(std::string_view s, std::size_t& i);

void AppendUtf8(std::string& out, char32_t c);

// The text with every byte that is not UTF-8 read as the code point of the
// same value (as Latin-1 reads it), so that any bytes come through.
std::u32string DecodeUtf8Leniently(std::string_view text);

// ASCII letters a-z as A-Z, every other byte as it is: the keys, handles and
// command words of drawings, which only ever compare so.
std::string UpperAscii(std::string_view text);

} // namespace lumo::base
