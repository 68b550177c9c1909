#include "dxf/codepage.h"

#include "text/names.h"

#include <charconv>
#include <cstdint>

#ifdef _WIN32
#include <windows.h>
#else
#include <iconv.h>
#endif

namespace lumo::dxf {

void appendUtf8(std::string& out, char32_t cp)
{
    if (cp < 0x80) {
        out.push_back(static_cast<char>(cp));
    } else if (cp < 0x800) {
        out.push_back(static_cast<char>(0xC0 | (cp >> 6)));
        out.push_back(static_cast<char>(0x80 | (cp & 0x3F)));
    } else if (cp < 0x10000) {
        out.push_back(static_cast<char>(0xE0 | (cp >> 12)));
        out.push_back(static_cast<char>(0x80 | ((cp >> 6) & 0x3F)));
        out.push_back(static_cast<char>(0x80 | (cp & 0x3F)));
    } else {
        out.push_back(static_cast<char>(0xF0 | (cp >> 18)));
        out.push_back(static_cast<char>(0x80 | ((cp >> 12) & 0x3F)));
        out.push_back(static_cast<char>(0x80 | ((cp >> 6) & 0x3F)));
        out.push_back(static_cast<char>(0x80 | (cp & 0x3F)));
    }
}

char32_t nextCodePoint(std::string_view s, std::size_t& i)
{
    auto b = static_cast<unsigned char>(s[i++]);
    if (b < 0x80)
        return b;
    int n = b >= 0xF0 ? 3 : b >= 0xE0 ? 2 : b >= 0xC0 ? 1 : -1;
    if (n < 0 || i + n > s.size())
        return 0xFFFD;
    char32_t cp = b & (0x3F >> n);
    for (int k = 0; k < n; ++k) {
        auto c = static_cast<unsigned char>(s[i]);
        if ((c & 0xC0) != 0x80)
            return 0xFFFD;
        cp = (cp << 6) | (c & 0x3F);
        ++i;
    }
    return cp;
}

// One rule for the whole program's names.
char32_t foldCase(char32_t c)
{
    return text::FoldCase(c);
}

std::string foldCase(std::string_view s)
{
    std::string out;
    out.reserve(s.size());
    for (std::size_t i = 0; i < s.size();) {
        auto b = static_cast<unsigned char>(s[i]);
        if (b < 0x80) {
            out.push_back(static_cast<char>(b >= 'A' && b <= 'Z' ? b + 32 : b));
            ++i;
            continue;
        }
        appendUtf8(out, foldCase(nextCodePoint(s, i)));
    }
    return out;
}

#ifdef _WIN32
static unsigned windowsCodePage(std::string_view charset)
{
    // charset is "CPnnnn" or a named one.
    unsigned n = 0;
    if (charset.size() > 2 && charset.substr(0, 2) == "CP"
        && std::from_chars(charset.data() + 2, charset.data() + charset.size(), n).ec == std::errc())
        return n;
    if (charset == "BIG5")
        return 950;
    if (charset == "JOHAB")
        return 1361;
    return 1252;
}

std::string convertToUtf8(std::string_view charset, std::string_view bytes)
{
    if (bytes.empty())
        return {};
    unsigned cp = windowsCodePage(charset);
    int n = MultiByteToWideChar(cp, 0, bytes.data(), static_cast<int>(bytes.size()), nullptr, 0);
    if (n <= 0)
        return {};
    std::wstring w(static_cast<std::size_t>(n), L'\0');
    MultiByteToWideChar(cp, 0, bytes.data(), static_cast<int>(bytes.size()), w.data(), n);
    int m = WideCharToMultiByte(CP_UTF8, 0, w.data(), n, nullptr, 0, nullptr, nullptr);
    std::string out(static_cast<std::size_t>(m), '\0');
    WideCharToMultiByte(CP_UTF8, 0, w.data(), n, out.data(), m, nullptr, nullptr);
    return out;
}

std::string convertFromUtf8(std::string_view charset, std::string_view utf8)
{
    if (utf8.empty())
        return {};
    unsigned cp = windowsCodePage(charset);
    int n = MultiByteToWideChar(CP_UTF8, 0, utf8.data(), static_cast<int>(utf8.size()), nullptr, 0);
    if (n <= 0)
        return {};
    std::wstring w(static_cast<std::size_t>(n), L'\0');
    MultiByteToWideChar(CP_UTF8, 0, utf8.data(), static_cast<int>(utf8.size()), w.data(), n);
    BOOL lossy = FALSE;
    int m = WideCharToMultiByte(cp, WC_NO_BEST_FIT_CHARS, w.data(), n, nullptr, 0, nullptr, &lossy);
    if (m <= 0 || lossy)
        return {};
    std::string out(static_cast<std::size_t>(m), '\0');
    WideCharToMultiByte(cp, WC_NO_BEST_FIT_CHARS, w.data(), n, out.data(), m, nullptr, nullptr);
    return out;
}
#else
static std::string iconvAll(const char* to, const char* from, std::string_view in)
{
    iconv_t cd = iconv_open(to, from);
    if (cd == reinterpret_cast<iconv_t>(-1))
        return {};
    std::string out(in.size() * 4 + 8, '\0');
    char* inp = const_cast<char*>(in.data());
    std::size_t inLeft = in.size();
    char* outp = out.data();
    std::size_t outLeft = out.size();
    std::size_t r = iconv(cd, &inp, &inLeft, &outp, &outLeft);
    iconv_close(cd);
    if (r == static_cast<std::size_t>(-1) || inLeft != 0)
        return {};
    out.resize(out.size() - outLeft);
    return out;
}

std::string convertToUtf8(std::string_view charset, std::string_view bytes)
{
    return iconvAll("UTF-8", std::string(charset).c_str(), bytes);
}

std::string convertFromUtf8(std::string_view charset, std::string_view utf8)
{
    return iconvAll(std::string(charset).c_str(), "UTF-8", utf8);
}
#endif

// The characters of the bytes 0x80..0xFF in a single-byte charset, U+FFFD
// where a byte has none; false when the charset is unknown.
#ifdef _WIN32
static bool highCharacters(const std::string& charset, std::array<char32_t, 128>& high)
{
    if (IsValidCodePage(windowsCodePage(charset)) == 0)
        return false;
    for (int b = 0x80; b < 0x100; ++b) {
        char byte = static_cast<char>(b);
        std::string u = convertToUtf8(charset, std::string_view(&byte, 1));
        std::size_t i = 0;
        high[b - 0x80] = u.empty() ? 0xFFFD : nextCodePoint(u, i);
    }
    return true;
}
#else
static bool highCharacters(const std::string& charset, std::array<char32_t, 128>& high)
{
    // one converter for all 128 bytes: opening one costs far more than a byte
    iconv_t cd = iconv_open("UTF-8", charset.c_str());
    if (cd == reinterpret_cast<iconv_t>(-1))
        return false;
    for (int b = 0x80; b < 0x100; ++b) {
        char in = static_cast<char>(b);
        char out[8];
        char* inp = &in;
        char* outp = out;
        std::size_t inLeft = 1, outLeft = sizeof out;
        iconv(cd, nullptr, nullptr, nullptr, nullptr);
        std::size_t r = iconv(cd, &inp, &inLeft, &outp, &outLeft);
        std::string_view u(out, sizeof out - outLeft);
        std::size_t i = 0;
        high[b - 0x80] = r == static_cast<std::size_t>(-1) || u.empty() ? 0xFFFD : nextCodePoint(u, i);
    }
    iconv_close(cd);
    return true;
}
#endif

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
        && (multiByte ? !convertToUtf8(charset_, "A").empty() : highCharacters(charset_, high_));
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
            std::string u = convertToUtf8(charset_, run);
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
                appendUtf8(out, static_cast<char32_t>((a << 12) | (b << 8) | (d << 4) | e));
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
                std::string u = convertToUtf8(cs, std::string_view(bytes, 2));
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
            appendUtf8(out, high_[b - 0x80]);
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
            std::string bytes = convertFromUtf8(charset_, s.substr(start, i - start));
            if (bytes.empty())
                escape(cp);
            else
                out += bytes;
        }
    }
    return out;
}

} // namespace lumo::dxf
