#include "heads.h"

#include <gtest/gtest.h>

#include <sstream>

namespace lumo::dxf {
namespace {

std::vector<std::string> lines(const std::string& text)
{
    std::vector<std::string> result;
    std::size_t start = 0;
    for (std::size_t end; (end = text.find("\r\n", start)) != std::string::npos; start = end + 2)
        result.push_back(text.substr(start, end - start));
    EXPECT_EQ(start, text.size()) << "every row ends with CR LF";
    return result;
}

TEST(HeadsCsv, ListsTheEquipmentOnItsLayersWithTheirAttributes)
{
    Document doc = Document::create("AC1032");
    doc.addLayer("110-SYGNALIZACJA_KOMORY");
    doc.addLayer("109-SYGNALIZACJA_PRZYCISKI");
    doc.addLayer("ULICE");
    Block head = doc.addBlock("S-3wp");
    for (const char* tag : {"SYMBOL", "INWENT_NUMER", "NAZWA_ULICY", "UWAGI"}) {
        NewAttributeDefinition definition;
        definition.tag = tag;
        definition.flags = kAttInvisible;
        head.addAttributeDefinition(definition);
    }
    Block button = doc.addBlock("sygnprzycisk");
    NewAttributeDefinition maker;
    maker.tag = "PRODUCENT";
    maker.defaultValue = "Firma";
    button.addAttributeDefinition(maker);

    BlockReference placed
        = doc.addBlockReference("S-3wp", {500.5, 490.25, 0}, 5.0, 90.0, "110-SYGNALIZACJA_KOMORY");
    placed.attribute("SYMBOL")->setValue("S-3wp");
    placed.attribute("INWENT_NUMER")->setValue("26-15/987/K1");
    placed.attribute("NAZWA_ULICY")->setValue("Żółkiewskiego, róg \"Długiej\"");
    doc.addBlockReference("S-3wp", {0, 0, 0}, 1.0, 0.0, "ULICE"); // not equipment
    doc.addText("K1", {1, 2, 0}, 2.5, {}, "110-SYGNALIZACJA_KOMORY"); // a text, not a block
    const BlockReference pressed
        = doc.addBlockReference("sygnprzycisk", {-3, 4, 0}, 1.0, 0.0, "109-SYGNALIZACJA_PRZYCISKI");

    std::ostringstream out;
    WriteHeadsCsv(doc, out);
    const std::vector<std::string> rows = lines(out.str());
    ASSERT_EQ(rows.size(), 3u);
    EXPECT_EQ(rows[0],
              "handle,block,layer,x,y,rotation,OBIEKT,RODZAJ,SYMBOL,INWENT_NUMER,NUMER_SKRZYZ,TYP,"
              "SREDN_SOCZ,ZRODLO_SW,WKLADY_ANTYZL,SYGN_AKUST,KTO_NANIOSL,NAZWA_ULICY,"
              "ZLECENIE_WNIOS,REALIZACJA_WYK,REALIZACJA_DATA,ZLECENIE_DATA,ZLECENIE_NUMER,"
              "INWENT_DATA,UWAGI,PRODUCENT");
    EXPECT_EQ(rows[1],
              placed.handle()
                  + ",S-3wp,110-SYGNALIZACJA_KOMORY,500.5,490.25,90,,,S-3wp,26-15/987/K1,,,,,,,,"
                    "\"Żółkiewskiego, róg \"\"Długiej\"\"\",,,,,,,,");
    EXPECT_EQ(rows[2],
              pressed.handle() + ",sygnprzycisk,109-SYGNALIZACJA_PRZYCISKI,-3,4,0,,,,,,,,,,,,,,,,,,,,Firma");
}

TEST(HeadsCsv, ADrawingWithoutEquipmentGivesTheHeaderOnly)
{
    std::ostringstream out;
    WriteHeadsCsv(Document::create("AC1015"), out);
    EXPECT_EQ(lines(out.str()).size(), 1u);
}

} // namespace
} // namespace lumo::dxf
