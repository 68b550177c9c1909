#include "base/code_page.h"

#include "base/utf8.h"

#include <charconv>
#include <cstdint>
#include <functional>

#ifdef _WIN32
#ifndef NOMINMAX
#define NOMINMAX
#endif
#include <windows.h>
#else
#include <cerrno>
#include <iconv.h>
#endif

namespace lumo::base {

namespace {

constexpr std::size_t kFailed = static_cast<std::size_t>(-1);

#ifdef _WIN32

unsigned windowsCodePage(std::string_view charset)
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

std::wstring toWide(unsigned codePage, std::string_view bytes)
{
    const int n = MultiByteToWideChar(codePage, 0, bytes.data(), static_cast<int>(bytes.size()), nullptr, 0);
    if (n <= 0)
        return {};
    std::wstring w(static_cast<std::size_t>(n), L'\0');
    MultiByteToWideChar(codePage, 0, bytes.data(), static_cast<int>(bytes.size()), w.data(), n);
    return w;
}

// strict: no best-fit characters, and "" when any character is lost.
std::string fromWide(unsigned codePage, const std::wstring& w, bool strict)
{
    const DWORD flags = strict && codePage != CP_UTF8 ? WC_NO_BEST_FIT_CHARS : 0;
    BOOL lossy = FALSE;
    BOOL* lost = strict && codePage != CP_UTF8 ? &lossy : nullptr;
    const int n = static_cast<int>(w.size());
    const int m = WideCharToMultiByte(codePage, flags, w.data(), n, nullptr, 0, nullptr, lost);
    if (m <= 0 || lossy)
        return {};
    std::string out(static_cast<std::size_t>(m), '\0');
    WideCharToMultiByte(codePage, flags, w.data(), n, out.data(), m, nullptr, nullptr);
    return out;
}

#else

// One conversion with iconv. `onInvalid` is told where a unit the target
// lacks (or a cut-off one) starts and how much input is left, may append
// what stands for it, and says how many input bytes it spans (kFailed: the
// whole conversion fails).
using OnInvalid = std::function<std::size_t(const char* at, std::size_t left, std::string& out)>;

bool convert(const char* to, const char* from, std::string_view in, std::string& out, const OnInvalid& onInvalid)
{
    const iconv_t cd = iconv_open(to, from);
    if (cd == reinterpret_cast<iconv_t>(-1))
        return false;
    out.reserve(in.size() * 2);
    char buffer[4096];
    char* next = const_cast<char*>(in.data());
    std::size_t left = in.size();
    bool ok = true;
    while (left > 0) {
        char* outPtr = buffer;
        std::size_t outLeft = sizeof buffer;
        const std::size_t rc = iconv(cd, &next, &left, &outPtr, &outLeft);
        out.append(buffer, static_cast<std::size_t>(outPtr - buffer));
        if (rc != static_cast<std::size_t>(-1) || errno == E2BIG)
            continue;
        // EILSEQ or EINVAL: a unit the target lacks, or a cut-off one.
        const std::size_t skipped = onInvalid(next, left, out);
        if (skipped == kFailed) {
            ok = false;
            break;
        }
        next += skipped;
        left -= skipped;
        iconv(cd, nullptr, nullptr, nullptr, nullptr);
    }
    iconv_close(cd);
    return ok;
}

std::string convertExactly(const char* to, const char* from, std::string_view in)
{
    std::string out;
    if (!convert(to, from, in, out, [](const char*, std::size_t, std::string&) { return kFailed; }))
        return {};
    return out;
}

#endif

} // namespace

#ifdef _WIN32

std::string CodePageToUtf8(std::string_view charset, std::string_view bytes)
{
    if (bytes.empty())
        return {};
    const std::wstring w = toWide(windowsCodePage(charset), bytes);
    return w.empty() ? std::string() : fromWide(CP_UTF8, w, false);
}

std::string Utf8ToCodePage(std::string_view charset, std::string_view utf8)
{
    if (utf8.empty())
        return {};
    const std::wstring w = toWide(CP_UTF8, utf8);
    return w.empty() ? std::string() : fromWide(windowsCodePage(charset), w, true);
}

bool HighCharacters(std::string_view charset, std::array<char32_t, 128>& high)
{
    if (IsValidCodePage(windowsCodePage(charset)) == 0)
        return false;
    for (int b = 0x80; b < 0x100; ++b) {
        const char byte = static_cast<char>(b);
        const std::string u = CodePageToUtf8(charset, std::string_view(&byte, 1));
        std::size_t i = 0;
        const char32_t c = u.empty() ? kNotUtf8 : DecodeUtf8(u, i);
        high[b - 0x80] = c == kNotUtf8 ? 0xFFFD : c;
    }
    return true;
}

std::string AnsiToUtf8(std::string_view bytes)
{
    if (bytes.empty())
        return {};
    return fromWide(CP_UTF8, toWide(CP_ACP, bytes), false);
}

std::string Utf8ToAnsi(std::string_view utf8)
{
    if (utf8.empty())
        return {};
    return fromWide(CP_ACP, toWide(CP_UTF8, utf8), false);
}

#else

std::string CodePageToUtf8(std::string_view charset, std::string_view bytes)
{
    return convertExactly("UTF-8", std::string(charset).c_str(), bytes);
}

std::string Utf8ToCodePage(std::string_view charset, std::string_view utf8)
{
    return convertExactly(std::string(charset).c_str(), "UTF-8", utf8);
}

bool HighCharacters(std::string_view charset, std::array<char32_t, 128>& high)
{
    // one converter for all 128 bytes: opening one costs far more than a byte
    const iconv_t cd = iconv_open("UTF-8", std::string(charset).c_str());
    if (cd == reinterpret_cast<iconv_t>(-1))
        return false;
    for (int b = 0x80; b < 0x100; ++b) {
        char in = static_cast<char>(b);
        char out[8];
        char* inPtr = &in;
        char* outPtr = out;
        std::size_t inLeft = 1, outLeft = sizeof out;
        iconv(cd, nullptr, nullptr, nullptr, nullptr);
        const std::size_t rc = iconv(cd, &inPtr, &inLeft, &outPtr, &outLeft);
        const std::string_view u(out, sizeof out - outLeft);
        std::size_t i = 0;
        const char32_t c = rc == static_cast<std::size_t>(-1) || u.empty() ? kNotUtf8 : DecodeUtf8(u, i);
        high[b - 0x80] = c == kNotUtf8 ? 0xFFFD : c;
    }
    iconv_close(cd);
    return true;
}

namespace {

// The bytes Windows-1250 leaves undefined, read and written as the control
// characters of the same value.
bool undefinedIn1250(char32_t c)
{
    return c == 0x81 || c == 0x83 || c == 0x88 || c == 0x90 || c == 0x98;
}

} // namespace

std::string AnsiToUtf8(std::string_view bytes)
{
    std::string out;
    const bool converted = convert("UTF-8", "CP1250", bytes, out, [](const char* at, std::size_t, std::string& to) {
        AppendUtf8(to, static_cast<unsigned char>(*at));
        return std::size_t{1};
    });
    if (converted)
        return out;
    // no converter at all: read as Latin-1
    out.clear();
    for (const char c : bytes)
        AppendUtf8(out, static_cast<unsigned char>(c));
    return out;
}

std::string Utf8ToAnsi(std::string_view utf8)
{
    std::string out;
    const bool converted
        = convert("CP1250", "UTF-8", utf8, out, [](const char* at, std::size_t left, std::string& to) {
              std::size_t i = 0;
              const char32_t c = DecodeUtf8(std::string_view(at, left), i);
              to.push_back(undefinedIn1250(c) ? static_cast<char>(c) : '?');
              return i;
          });
    if (converted)
        return out;
    out.clear();
    for (std::size_t i = 0; i < utf8.size();) {
        const char32_t c = DecodeUtf8(utf8, i);
        out.push_back(c < 0x100 ? static_cast<char>(c) : '?');
    }
    return out;
}

#endif

} // namespace lumo::base
