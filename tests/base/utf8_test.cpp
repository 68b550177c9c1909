#include "base/code_page.h"
#include "base/utf8.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <vector>

namespace lumo::base {
namespace {

// Every byte sequence decodes to something, and a broken one never swallows
// the bytes after its first: they may start a character of their own.
TEST(Utf8, DecodesWellFormedSequencesAndStepsOverOneBadByte)
{
    struct Case {
        const char* what;
        std::string bytes;
        std::vector<char32_t> decoded;
    } cases[] = {
        {"ASCII", "aZ", {U'a', U'Z'}},
        {"two bytes", "\xC5\x82", {U'ł'}},
        {"three bytes", "\xE2\x82\xAC", {U'€'}},
        {"four bytes", "\xF0\x9F\x98\x80", {0x1F600}},
        {"cut off at the end", "a\xE2\x82", {U'a', kNotUtf8, kNotUtf8}},
        {"broken by ASCII", "\xC5z", {kNotUtf8, U'z'}},
        {"broken by a new lead byte", "\xE2\xC5\x82", {kNotUtf8, U'ł'}},
        {"a lone continuation byte", "\x82x", {kNotUtf8, U'x'}},
        {"no such lead byte", "\xF8\x88\x80\x80\x80", {kNotUtf8, kNotUtf8, kNotUtf8, kNotUtf8, kNotUtf8}},
    };
    for (const auto& c : cases) {
        std::vector<char32_t> decoded;
        for (std::size_t i = 0; i < c.bytes.size();)
            decoded.push_back(DecodeUtf8(c.bytes, i));
        EXPECT_EQ(decoded, c.decoded) << c.what;
        std::string again;
        for (const char32_t code : c.decoded) {
            if (code != kNotUtf8)
                AppendUtf8(again, code);
        }
        if (std::find(c.decoded.begin(), c.decoded.end(), kNotUtf8) == c.decoded.end()) {
            EXPECT_EQ(again, c.bytes) << c.what;
        }
    }
    // Read leniently, a stray byte is the Latin-1 character of its value.
    EXPECT_EQ(DecodeUtf8Leniently("\xE9t\xC3\xA9"), (std::u32string{0xE9, U't', 0xE9}));
    EXPECT_EQ(UpperAscii("s-1\xC5\x82x"), "S-1\xC5\x82X");
}

#ifndef _WIN32
TEST(CodePage, ExactConversionsFailWholeWhereAnythingIsLost)
{
    struct Case {
        const char* what;
        std::string charset, utf8, bytes; // bytes "" where the conversion fails
    } cases[] = {
        {"Polish letters", "CP1250", "Łódź", "\xA3\xF3\x64\x9F"},
        {"a letter the page lacks", "CP1250", "a漢", ""},
        {"an unknown charset", "CP99999", "abc", ""},
        {"a double-byte page", "CP932", "漢", "\x8A\xBF"},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(Utf8ToCodePage(c.charset, c.utf8), c.bytes) << c.what;
        if (!c.bytes.empty()) {
            EXPECT_EQ(CodePageToUtf8(c.charset, c.bytes), c.utf8) << c.what;
        }
    }
    std::array<char32_t, 128> high{};
    ASSERT_TRUE(HighCharacters("CP1250", high));
    EXPECT_EQ(high[0xA3 - 0x80], U'Ł');
    EXPECT_EQ(high[0x81 - 0x80], 0xFFFDu); // undefined in this page
    EXPECT_FALSE(HighCharacters("CP99999", high));
}
#endif

} // namespace
} // namespace lumo::base
