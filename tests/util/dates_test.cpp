#include "qt_printers.h"
#include "util/dates.h"

#include <gtest/gtest.h>

namespace lumo {
namespace {

TEST(Dates, ShortDatePatternNamesThePartsInPolish)
{
    struct Case {
        QString format;
        QString expected;
    };
    const Case cases[] = {
        {"yyyy-MM-dd", "rrrr-mm-dd"},
        {"dd.MM.yy", "dd.mm.rr"},
        {"d.MM.yyyy", "dd.mm.rrrr"},
        {"M/d/yy", "mm/dd/rr"},
    };
    for (const Case& c : cases)
        EXPECT_EQ(ShortDatePatternOfFormat(c.format), c.expected) << c.format.toStdString();
}

TEST(Dates, ShortDatePatternFollowsTheLocale)
{
    EXPECT_EQ(ShortDatePattern(QLocale(QLocale::Polish, QLocale::Poland)), "dd.mm.rrrr");
    EXPECT_EQ(ShortDatePattern(QLocale(QLocale::English, QLocale::UnitedStates)), "mm/dd/rr");
}

} // namespace
} // namespace lumo
