#include "settings/ini_file.h"
#include "settings/keys.h"
#include "settings/settings_values.h"
#include "temp_suite.h"

#include <gtest/gtest.h>

#include <tuple>

namespace lumo {
namespace {

struct ReadResults {
    int defaultDetector, formatPR, czyUstawPetle, loopShape;
    QString signalHeight, signalWidth, detectorHeight, detectorWidth;
    bool conditional, inventory, textScaling;
    QString orientation;
};

ReadResults ReadAll(const QString& file)
{
    SettingsValues v;
    ReadResults r{};
    r.defaultDetector = ReadDefaultDetector(file, v);
    r.formatPR = ReadFormatPR(file, v);
    r.czyUstawPetle = ReadCzyUstawPetle(file, v);
    r.loopShape = ReadLoopShape(file);
    ReadSignalFont(file, v);
    ReadDetectorFont(file, v);
    r.conditional = ReadConditionalDescriptions(file);
    r.inventory = ReadInventoryWarning(file);
    r.textScaling = ReadTextScaling(file);
    r.orientation = ReadOrientation(file);
    // What the readers keep is what they returned.
    EXPECT_EQ(v.defaultDetector, r.defaultDetector);
    EXPECT_EQ(v.formatPR, r.formatPR);
    EXPECT_EQ(v.czyUstawPetle, r.czyUstawPetle);
    r.signalHeight = v.signalFontHeight;
    r.signalWidth = v.signalFontWidth;
    r.detectorHeight = v.detectorFontHeight;
    r.detectorWidth = v.detectorFontWidth;
    return r;
}

bool operator==(const ReadResults& a, const ReadResults& b)
{
    return std::tie(a.defaultDetector, a.formatPR, a.czyUstawPetle, a.loopShape, a.signalHeight,
                    a.signalWidth, a.detectorHeight, a.detectorWidth, a.conditional, a.inventory,
                    a.textScaling, a.orientation)
        == std::tie(b.defaultDetector, b.formatPR, b.czyUstawPetle, b.loopShape, b.signalHeight,
                    b.signalWidth, b.detectorHeight, b.detectorWidth, b.conditional, b.inventory,
                    b.textScaling, b.orientation);
}

TEST(SettingsValues, ReadersGiveTheDefaultsOrConvertTheStoredTexts)
{
    struct Case {
        const char* name;
        QStringList lines; // empty: no settings file
        ReadResults expected;
    };
    const Case cases[] = {
        {"no settings file", {}, {0, 0, 0, 0, "1", "0.73", "0.5", "0.73", true, true, true, "1"}},
        // Present but empty is not missing for CzyPytNumInwSyg: its default
        // "1" does not apply. Only the value 1 turns text scaling on.
        {"stored texts",
         {"[OstatnioUzyte]", "Orientacja00=", "CzcionkaOpisuSygnWys=", "CzcionkaOpisuSygnSzer=",
          "CzcionkaOpisuDetWys=0,6", "CzcionkaOpisuDetSzer= 0.8 ", "FormatPR=1.5", "CzyUstawPetle=2.5",
          "DomyslnyDetektor=abc", "KsztPoprzPetli=-1", "OpisyWarunkowych=2",
          "CzyPytNumInwSyg=", "[LUMO_Sygnalizatory]", "SkalujTekst=2"},
         {0, 2, 2, -1, "1", "0.73", "0,6", "0.8", true, false, false, "1"}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        test::TempSuite suite;
        const QString file = c.lines.isEmpty() ? suite.settingsFile()
                                               : suite.writeAnsiLines("LUMO\\Programy\\LUMO.ini", c.lines);
        EXPECT_TRUE(ReadAll(file) == c.expected);
    }
}

TEST(SettingsValues, FlagsAcceptAnyValueOfOneOrMore)
{
    struct Case {
        QString stored;
        bool flag; // OpisyWarunkowych, CzyPytNumInwSyg
        bool scaling; // SkalujTekst
    };
    const Case cases[] = {
        {"1", true, true},   {"2", true, false},  {"0", false, false}, {"-1", false, false},
        {"0.6", true, true}, {"x", false, false}, {" 1 ", true, true},
    };
    test::TempSuite suite;
    for (const Case& c : cases) {
        const QString file = suite.writeAnsiLines("f.ini",
                                                  {"[OstatnioUzyte]", "OpisyWarunkowych=" + c.stored,
                                                   "CzyPytNumInwSyg=" + c.stored, "[LUMO_Sygnalizatory]",
                                                   "SkalujTekst=" + c.stored});
        EXPECT_EQ(ReadConditionalDescriptions(file), c.flag) << c.stored.toStdString();
        EXPECT_EQ(ReadInventoryWarning(file), c.flag) << c.stored.toStdString();
        EXPECT_EQ(ReadTextScaling(file), c.scaling) << c.stored.toStdString();
    }
}

// The key names are pinned by the readers' test above; here every writer
// must store where its reader looks.
TEST(SettingsValues, WhatTheWritersStoreTheReadersGiveBack)
{
    test::TempSuite suite;
    const QString file = suite.settingsFile();
    SettingsValues v;
    v.defaultDetector = -1;
    v.formatPR = 1;
    v.czyUstawPetle = 1;
    v.signalFontHeight = "1,25";
    v.signalFontWidth = "0.8";
    v.detectorFontHeight = "0.4";
    v.detectorFontWidth = "0,7";
    WriteDefaultDetector(file, v);
    WriteFormatPR(file, v);
    WriteCzyUstawPetle(file, v);
    WriteLoopShape(file, 3);
    WriteSignalFont(file, v);
    WriteDetectorFont(file, v);
    WriteConditionalDescriptions(file, false);
    WriteInventoryWarning(file, false);
    WriteTextScaling(file, false);
    WriteOrientation(file, "4");
    EXPECT_TRUE(ReadAll(file)
                == (ReadResults{-1, 1, 1, 3, "1,25", "0.8", "0.4", "0,7", false, false, false, "4"}));
}

} // namespace
} // namespace lumo
