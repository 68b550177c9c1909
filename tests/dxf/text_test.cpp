// Text in drawings of every encoding: code pages, UTF-8 and escapes.
#include "dxf/document.h"

#include <gtest/gtest.h>

using namespace lumo::dxf;

namespace {

std::string drawing(const std::string& version, const std::string& codePage, const std::string& text)
{
    return "  0\nSECTION\n  2\nHEADER\n  9\n$ACADVER\n  1\n" + version + "\n  9\n$DWGCODEPAGE\n  3\n"
        + codePage
        + "\n  0\nENDSEC\n  0\nSECTION\n  2\nENTITIES\n  0\nTEXT\n  8\n0\n 10\n0.0\n 20\n0.0\n 40\n1.0\n  1\n"
        + text + "\n  0\nENDSEC\n  0\nEOF\n";
}

} // namespace

TEST(DxfText, DecodesEveryEncoding)
{
    struct Case {
        const char* what;
        const char* version;
        const char* codePage;
        std::string raw;
        std::string utf8;
    };
    const Case cases[] = {
        {"cp1250 Polish", "AC1015", "ANSI_1250",
         "\xAF\xF3\xB3w \xA3\xF3"
         "d\x9F",
         "Żółw Łódź"},
        {"cp1251 Cyrillic", "AC1015", "ANSI_1251", "\xCF\xF0\xE8\xE2\xE5\xF2", "Привет"},
        {"cp1252 default", "AC1009", "",
         "M\xFC"
         "nchen",
         "München"},
        {"escapes in an 8-bit file", "AC1015", "ANSI_1252", "\\U+017Bu\\U+0142w", "Żułw"},
        {"UTF-8 from AC1021", "AC1021", "ANSI_1252", "Żółw", "Żółw"},
        {"escapes in UTF-8", "AC1032", "ANSI_1252", "a\\U+0105b", "aąb"},
        {"broken escape kept", "AC1032", "ANSI_1252", "\\U+01", "\\U+01"},
        {"Shift-JIS escape", "AC1015", "ANSI_1252", "\\M+182A0", "あ"},
        {"GBK file", "AC1015", "ANSI_936", "\xD6\xD0\xCE\xC4", "中文"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        std::string text = drawing(c.version, c.codePage, c.raw);
        Document doc = Document::fromMemory(text);
        EXPECT_EQ(doc.modelSpace().at(0).asText().value(), c.utf8);
        EXPECT_EQ(doc.toString(), text);
    }
}

TEST(DxfText, WritesTheDrawingsEncoding)
{
    struct Case {
        const char* what;
        const char* version;
        const char* codePage;
        std::string utf8;
        std::string raw;
    };
    const Case cases[] = {
        {"Polish in cp1250", "AC1015", "ANSI_1250", "Łódź",
         "\xA3\xF3"
         "d\x9F"},
        {"outside the page: escaped", "AC1015", "ANSI_1252", "Łx", "\\U+0141x"},
        {"UTF-8 as is", "AC1032", "ANSI_1252", "Łódź", "Łódź"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        Document doc = Document::fromMemory(drawing(c.version, c.codePage, "a"));
        Text t = doc.modelSpace().at(0).asText();
        t.setValue(c.utf8);
        EXPECT_EQ(t.find(1)->value, c.raw);
        EXPECT_EQ(Document::fromMemory(doc.toString()).modelSpace().at(0).asText().value(), c.utf8);
    }
}

