#include "signal/catalogue.h"

#include <gtest/gtest.h>

namespace lumo {
namespace {

TEST(SetListPoz, GivesThePositionInTheSymbolsOwnList)
{
    struct Case {
        QString symbol;
        short position;
        QString reduced;
    };
    const Case cases[] = {
        {"S-3WP.dwg", 8, "S-3WP"}, // a file name is reduced in the caller's variable too
        {"S-3WP", 8, "S-3WP"},     {"s-3wp", 0, "s-3wp"}, // lower case is not in the table
        {"S-5", 0, "S-5"},         {"XYZ", 0, "XYZ"},     {"C:\\Suite\\S-3LP.DWG", 9, "S-3LP"},
    };
    for (const Case& c : cases) {
        QString symbol = c.symbol;
        EXPECT_EQ(SetListPoz(symbol), c.position) << c.symbol.toStdString();
        EXPECT_EQ(symbol, c.reduced) << c.symbol.toStdString();
    }
}

TEST(BuildSignalLabel, BuildsTheDesignationFromItsParts)
{
    struct Case {
        QString kindCode;
        QString stopLine;
        short orientation;
        QString suffix;
        bool pedestriansAndCyclists;
        short formatPR;
        QString code;
        QString codeS;
    };
    const Case cases[] = {
        {"K", "", 1, "p", false, 0, "K1p", "SK1p"},
        {"K", "8", 8, "kp2", false, 0, "K88kp2", "SK88kp2"},
        {"PR", "2", 3, "", true, 1, "P23R23", "previous"}, // the "PxxRxx" form keeps SignalCodeS
        {"PR", "2", 3, "", true, 0, "PR23", "SPR23"},
        {"PR", "2", 3, "", false, 1, "PR23", "SPR23"}, // FormatPR matters only for kind 4
        {"?", "", 0, "", false, 0, "?0", "S?0"},
    };
    for (const Case& c : cases) {
        DesignationState state;
        state.sectionNumber = "30-18";
        state.intersectionNumber = "987";
        state.kindCode = c.kindCode;
        state.stopLineText = c.stopLine;
        state.orientationCode = c.orientation;
        state.suffix = c.suffix;
        state.SignalCodeS = "previous";
        const QString label = BuildSignalLabel(state, c.pedestriansAndCyclists, c.formatPR);
        EXPECT_EQ(state.SignalCode, c.code);
        EXPECT_EQ(state.SignalCodeS, c.codeS);
        EXPECT_EQ(label, "Sygnalizator: 30-18/987/" + c.code);
    }
}

} // namespace
} // namespace lumo
