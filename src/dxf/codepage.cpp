#include "dxf/codepage.h"

#include "base/code_page.h"
#include "base/utf8.h"

#include <charconv>
#include <cstdint>

namespace lumo::dxf {

namespace {

// The code point at s[i], U+FFFD for bytes that are not UTF-8.
char32_t nextCodePoint(std::string_view s, std::size_t& i)
{
    const char32_t c = base::DecodeUtf8(s, i);
    return c == base::kNotUtf8 ? 0xFFFD : c;
}

} // namespace

void Codec::configure(std::string_view cp, bool utf8)
{
    utf8_ = utf8;
    if (cp.empty())
        cp = "ANSI_1252";
    std::string digits;
    for (char c : cp)
        if (c >= '0' && c <= '9')
            digits.push_back(c);
    reverse_.clear();
    high_.fill(0xFFFD);
    singleByte_ = true;
    charset_ = "CP" + digits;
    int n = 0;
    std::from_chars(digits.data(), digits.data() + digits.size(), n);
    bool multiByte = n == 932 || n == 936 || n == 949 || n == 950;
    // Windows code pages have at most five digits; anything longer is garbage
    known_ = !digits.empty() && digits.size() <= 5
        && (multiByte ? !base::CodePageToUtf8(charset_, "A").empty() : base::HighCharacters(charset_, high_));
    if (!known_) {
        // high bytes cannot be read (U+FFFD) and new text outside ASCII is
        // written as \U+XXXX escapes, which mean the same in every code page
        charset_.clear();
        return;
    }
    singleByte_ = !multiByte;
    if (singleByte_)
        for (int b = 0x80; b < 0x100; ++b)
            if (high_[b - 0x80] != 0xFFFD)
                reverse_.emplace(high_[b - 0x80], static_cast<unsigned char>(b));
}

static int hexDigit(char c)
{
    if (c >= '0' && c <= '9')
        return c - '0';
    if (c >= 'A' && c <= 'F')
        return c - 'A' + 10;
    if (c >= 'a' && c <= 'f')
        return c - 'a' + 10;
    return -1;
}

static const char* mbcsCharset(char n)
{
    switch (n) {
    case '1': return "CP932";
    case '2': return "CP950";
    case '3': return "CP949";
    case '4': return "JOHAB";
    case '5': return "CP936";
    default: return nullptr;
    }
}

std::string Codec::decode(std::string_view raw) const
{
    std::string out;
    out.reserve(raw.size());
    std::size_t runStart = 0; // pending bytes of a multi-byte code page
    auto flushRun = [&](std::size_t upto) {
        if (upto > runStart) {
            std::string_view run = raw.substr(runStart, upto - runStart);
            std::string u = base::CodePageToUtf8(charset_, run);
            out += u.empty() ? std::string(run) : u;
        }
    };
    bool mb = !utf8_ && !singleByte_;
    for (std::size_t i = 0; i < raw.size();) {
        char c = raw[i];
        if (c == '\\' && i + 7 <= raw.size() && (raw[i + 1] == 'U' || raw[i + 1] == 'u')
            && raw[i + 2] == '+') {
            int a = hexDigit(raw[i + 3]), b = hexDigit(raw[i + 4]), d = hexDigit(raw[i + 5]),
                e = hexDigit(raw[i + 6]);
            if (a >= 0 && b >= 0 && d >= 0 && e >= 0) {
                if (mb)
                    flushRun(i);
                base::AppendUtf8(out, static_cast<char32_t>((a << 12) | (b << 8) | (d << 4) | e));
                i += 7;
                runStart = i;
                continue;
            }
        }
        if (c == '\\' && i + 8 <= raw.size() && (raw[i + 1] == 'M' || raw[i + 1] == 'm')
            && raw[i + 2] == '+') {
            const char* cs = mbcsCharset(raw[i + 3]);
            int a = hexDigit(raw[i + 4]), b = hexDigit(raw[i + 5]), d = hexDigit(raw[i + 6]),
                e = hexDigit(raw[i + 7]);
            if (cs && a >= 0 && b >= 0 && d >= 0 && e >= 0) {
                char bytes[2] = {static_cast<char>((a << 4) | b), static_cast<char>((d << 4) | e)};
                std::string u = base::CodePageToUtf8(cs, std::string_view(bytes, 2));
                if (!u.empty()) {
                    if (mb)
                        flushRun(i);
                    out += u;
                    i += 8;
                    runStart = i;
                    continue;
                }
            }
        }
        auto b = static_cast<unsigned char>(c);
        if (mb) {
            ++i;
            continue;
        }
        if (b < 0x80 || utf8_) {
            out.push_back(c);
        } else {
            base::AppendUtf8(out, high_[b - 0x80]);
        }
        ++i;
    }
    if (mb)
        flushRun(raw.size());
    return out;
}

std::string Codec::encode(std::string_view s) const
{
    if (utf8_)
        return std::string(s);
    std::string out;
    out.reserve(s.size());
    static const char* hex = "0123456789ABCDEF";
    auto escape = [&](char32_t cp) {
        if (cp > 0xFFFF)
            cp = 0xFFFD;
        out += "\\U+";
        for (int sh = 12; sh >= 0; sh -= 4)
            out.push_back(hex[(cp >> sh) & 0xF]);
    };
    for (std::size_t i = 0; i < s.size();) {
        auto b = static_cast<unsigned char>(s[i]);
        if (b < 0x80) {
            out.push_back(s[i++]);
            continue;
        }
        std::size_t start = i;
        char32_t cp = nextCodePoint(s, i);
        if (singleByte_) {
            auto it = reverse_.find(cp);
            if (it != reverse_.end())
                out.push_back(static_cast<char>(it->second));
            else
                escape(cp);
        } else {
            std::string bytes = base::Utf8ToCodePage(charset_, s.substr(start, i - start));
            if (bytes.empty())
                escape(cp);
            else
                out += bytes;
        }
    }
    return out;
}

} // namespace lumo::dxf
