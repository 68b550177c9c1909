#include "qt_printers.h"
#include "util/dates.h"

#include <QDate>

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

// Dates are shown as the pattern beside them says: two-digit days and months.
TEST(Dates, ShortDatesShowTwoDigitDaysAndMonths)
{
    const QDate seventhOfDecember(2026, 12, 7);
    const QDate firstOfMarch(2026, 3, 1);
    struct Case {
        QLocale locale;
        QString december;
        QString march;
    } cases[] = {
        {QLocale(QLocale::Polish, QLocale::Poland), "07.12.2026", "01.03.2026"},
        {QLocale(QLocale::English, QLocale::UnitedStates), "12/07/26", "03/01/26"},
        {QLocale(QLocale::German, QLocale::Germany), "07.12.26", "01.03.26"},
    };
    for (const Case& c : cases) {
        const QString format = ShortDateFormat(c.locale);
        EXPECT_EQ(seventhOfDecember.toString(format), c.december) << format.toStdString();
        EXPECT_EQ(firstOfMarch.toString(format), c.march) << format.toStdString();
        EXPECT_EQ(ShortDatePatternOfFormat(format), ShortDatePattern(c.locale));
    }
}

} // namespace
} // namespace lumo
