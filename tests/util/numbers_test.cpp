#include "qt_printers.h"
#include "util/numbers.h"

#include <gtest/gtest.h>

#include <cmath>

namespace lumo {
namespace {

TEST(Numbers, ValReadsTheLeadingNumber)
{
    struct Case {
        QString text;
        double expected;
    };
    const Case cases[] = {
        {" 2 45 7", 2457},  {"  1615 198th Street", 1615198},
        {"24 and 57", 24},  {"abc", 0},
        {"-3.5", -3.5},     {"\t- 1 2", -12},
        {"+.5", 0.5},       {"1,5", 1},
        {"1.2.3", 1.2},     {"1.5E3", 1500},
        {"2D2", 200},       {"1e-2", 0.01},
        {"1E", 1},          {"12abc", 12},
        {"&HFF", 255},      {"&HFFFF", -1},
        {"&HFFFFFFFF", -1}, {"&H10000", 65536},
        {"&O17", 15},       {"&X1", 0},
        {"50%", 50},        {"1E-400", 0},
    };
    for (const Case& c : cases) {
        const std::optional<double> value = ValChecked(c.text);
        ASSERT_TRUE(value.has_value()) << c.text.toStdString();
        EXPECT_DOUBLE_EQ(*value, c.expected) << c.text.toStdString();
        EXPECT_DOUBLE_EQ(Val(c.text), c.expected) << c.text.toStdString();
    }
}

TEST(Numbers, ValFailures)
{
    for (const QString text : {"1E400", "50.5%", "70000%", "&H1FFFFFFFF"}) {
        EXPECT_FALSE(ValChecked(text).has_value()) << text.toStdString();
        EXPECT_EQ(Val(text), 0.0) << text.toStdString();
    }
}

TEST(Numbers, ValDotAcceptsCommaOrPoint)
{
    struct Case {
        QString text;
        double expected;
    };
    const Case cases[] = {
        {"0,73", 0.73}, {"0.73", 0.73}, {"1.234,5", 1.234}, {"abc", 0},
        {" 1,5 ", 1.5}, {"", 0},        {"1E400", 0},       {"-0,5", -0.5},
    };
    for (const Case& c : cases)
        EXPECT_DOUBLE_EQ(ValDot(c.text), c.expected) << c.text.toStdString();
}

TEST(Numbers, ValIntRoundsHalvesToEvenAndOverflowGivesZero)
{
    struct Case {
        QString text;
        int expected;
    };
    const Case cases[] = {
        {"2,7", 2},   {"2.5", 2},         {"3.5", 4},    {"-2.5", -2},   {"1.5", 2},         {"0.5", 0},
        {"-0.5", 0},  {"2.51", 3},        {"", 0},       {"1e3", 1000},  {" 7 ", 7},         {"32767", 32767},
        {"32768", 0}, {"-32768", -32768}, {"-32769", 0}, {"32767.5", 0}, {"32766.5", 32766}, {"&HFFFF", -1},
        {"abc", 0},   {"1E400", 0},
    };
    for (const Case& c : cases)
        EXPECT_EQ(ValInt(c.text), c.expected) << c.text.toStdString();
}

TEST(Numbers, RoundToInt16)
{
    EXPECT_EQ(RoundToInt16(-32768.4), std::optional<std::int16_t>(-32768));
    EXPECT_EQ(RoundToInt16(-32768.5), std::optional<std::int16_t>(-32768));
    EXPECT_FALSE(RoundToInt16(-32768.6).has_value());
    EXPECT_FALSE(RoundToInt16(std::nan("")).has_value());
    EXPECT_FALSE(RoundToInt16(INFINITY).has_value());
}

TEST(Numbers, FormatNumberGeneralForm)
{
    struct Case {
        double value;
        QString expected;
    };
    const Case cases[] = {
        {0.73, "0.73"},
        {1, "1"},
        {100, "100"},
        {-1.5, "-1.5"},
        {0.1 + 0.2, "0.3"},
        {1.0 / 3.0, "0.333333333333333"},
        {2.0 / 3.0, "0.666666666666667"},
        {123456789012345.0, "123456789012345"},
        {1e15, "1E+15"},
        {1234567890123456.0, "1.23456789012346E+15"},
        {1e-5, "1E-05"},
        {0.0001, "0.0001"},
        {-0.0, "0"},
        {0.0, "0"},
        {1e100, "1E+100"},
    };
    for (const Case& c : cases)
        EXPECT_EQ(FormatNumber(c.value), c.expected) << c.value;
}

TEST(Numbers, StrNumberHasASignPosition)
{
    EXPECT_EQ(StrNumber(234), " 234");
    EXPECT_EQ(StrNumber(5), " 5");
    EXPECT_EQ(StrNumber(-5), "-5");
    EXPECT_EQ(StrNumber(0), " 0");
    EXPECT_EQ(StrNumber(1.5), " 1.5");
}

TEST(Numbers, IsSectionNumber)
{
    struct Case {
        QString text;
        bool expected;
    };
    const Case cases[] = {
        {"26-15", true},    {"26-15a", true}, {"26-15-3", true}, {"1-1", true},    {"2-1.5", true},
        {"0-15", false},    {"26-", false},   {"-15", false},    {"AB-15", false}, {"40000-1", false},
        {"1-40000", false}, {"26", false},    {"2615", false},   {"26 15", false}, {"2-0", false},
        {"", false},        {"1-", false},    {" 1-2", true},    {"5--3", false},
    };
    for (const Case& c : cases)
        EXPECT_EQ(IsSectionNumber(c.text), c.expected) << c.text.toStdString();
}

} // namespace
} // namespace lumo
