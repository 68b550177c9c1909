// The search of block references on a generated city section.
#include "dxf/document.h"
#include "gen_drawing.h"

#include <gtest/gtest.h>

using namespace lumo::dxf;

TEST(DxfSearch, FindsWhatAWalkFinds)
{
    lumo::gen::CitySection o;
    o.entities = 600;
    o.references = 200;
    for (const char* version : {"AC1032", "AC1015"}) {
        SCOPED_TRACE(version);
        o.version = version;
        Document doc = Document::fromMemory(lumo::gen::generateCitySection(o));
        struct Q {
            ReferenceQuery q;
            std::size_t expected;
        };
        const Q queries[] = {
            {{}, 200},
            {{"sygnalizacja ŚWIETLNA", "", "", ""}, 67},
            {{"", "S-*", "", ""}, 100},
            {{"", "S-1,P-2", "", ""}, 100},
            {{"", "", "atr2", "CZERWONY"}, 20},
            {{"Sygnalizacja*", "s-3wp", "ATR2", "czerwony"}, 0},
            {{"", "", "ATR1", "S1?"}, 10},
            {{"", "", "", "ż15"}, 200},
            {{"", "", "", "CZERWONY"}, 20},
            {{"", "", "", "*erWONY"}, 20},
            {{"", "", "", "*1*"}, 200},
            {{"", "", "", "s1*,zielony"}, 191},
            {{"", "", "atr16", ""}, 200},
            {{"", "", "", "nic"}, 0},
        };
        for (const Q& q : queries) {
            EXPECT_EQ(doc.findBlockReferences(q.q).size(), q.expected)
                << q.q.layer << "|" << q.q.blockName << "|" << q.q.attributeTag << "|" << q.q.attributeValue;
        }
        // an edit is seen by the next search
        auto red = doc.findBlockReferences({"", "", "ATR2", "czerwony"});
        red[0].attribute("ATR2")->setValue("zielony");
        EXPECT_EQ(doc.findBlockReferences({"", "", "ATR2", "czerwony"}).size(), red.size() - 1);
        doc.deleteEntity(red[1]);
        EXPECT_EQ(doc.findBlockReferences({"", "", "ATR2", "czerwony"}).size(), red.size() - 2);
    }
}

TEST(DxfSearch, SelectsByTypeLayerAndBlock)
{
    lumo::gen::CitySection o;
    o.entities = 600;
    o.references = 200;
    Document doc = Document::fromMemory(lumo::gen::generateCitySection(o));
    doc.modelSpace()[0].setLayer("Róg");
    struct Q {
        EntityFilter f;
        std::size_t expected;
    };
    const Q queries[] = {
        {{{"insert"}, {}, {}}, 200},
        {{{}, {}, {"S-*"}}, 100},
        {{{}, {}, {"S-*", "*1"}}, 50},
        {{{"~INSERT"}, {}, {"S-*"}}, 0},
        {{{"INSERT"}, {"sygnalizacja ŚWIETLNA"}, {}}, 67},
        {{{}, {"RÓG"}, {}}, 1},
        {{{}, {"r@g"}, {}}, 1},
        {{{"LINE", "~line"}, {}, {}}, 0},
    };
    for (const Q& q : queries)
        EXPECT_EQ(doc.selectEntities(q.f).size(), q.expected);
}
