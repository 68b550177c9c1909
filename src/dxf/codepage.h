// Text of a drawing: its code page (or UTF-8 from AC1021 on) and the
// \U+XXXX / \M+nXXXX escapes, converted to and from UTF-8.
#pragma once

#include <array>
#include <string>
#include <string_view>
#include <unordered_map>

namespace lumo::dxf {

class Codec {
public:
    Codec() { configure("ANSI_1252", false); }
    // dwgCodePage as in $DWGCODEPAGE ("ANSI_1250"); utf8 for AC1021 and later.
    // A name the platform's converter does not know leaves the bytes above
    // 0x7F unreadable (U+FFFD) and known() false.
    void configure(std::string_view dwgCodePage, bool utf8);

    std::string decode(std::string_view raw) const;
    std::string encode(std::string_view utf8) const;
    bool isUtf8() const { return utf8_; }
    bool known() const { return known_; }
    bool sameAs(const Codec& o) const { return utf8_ == o.utf8_ && (utf8_ || charset_ == o.charset_); }

private:
    bool utf8_ = false;
    bool known_ = true;
    bool singleByte_ = true;
    std::string charset_; // "CP1250"
    std::array<char32_t, 128> high_{}; // bytes 0x80..0xFF, single-byte pages
    std::unordered_map<char32_t, unsigned char> reverse_;
};

} // namespace lumo::dxf
