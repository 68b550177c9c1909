// The date rule for the attributes of a placed head edited in the drawing
// window: the description form's fixed form or nothing.
#include "forms/head_attributes.h"

#include <gtest/gtest.h>

namespace lumo {
namespace {

TEST(CheckHeadAttribute, DatesKeepTheFormsFixedForm)
{
    struct Case {
        const char* tag;
        const char* value;
        bool good;
    };
    const Case cases[] = {
        {"INWENT_DATA", "2024.05.17", true},
        {"INWENT_DATA", "", true}, // not given
        {"zlecenie_data", "2024.02.29", true}, // any case of the tag, a leap day
        {"ZLECENIE_DATA", "2023.02.29", false}, // no such day
        {"REALIZACJA_DATA", "2024-05-17", false}, // the system's form, not the program's
        {"REALIZACJA_DATA", "2024.5.7", false}, // reads as a date, but is not kept so
        {"INWENT_DATA", "17.05.2024", false},
        {"INWENT_DATA", " 2024.05.17", false},
        {"UWAGI", "2024-05-17", true}, // no rule for other tags
        {"INWENT_NUMER", "", true},
    };
    for (const Case& c : cases) {
        const QString why = CheckHeadAttribute(QString::fromUtf8(c.tag), QString::fromUtf8(c.value));
        EXPECT_EQ(why.isEmpty(), c.good) << c.tag << " \"" << c.value << "\": " << why.toStdString();
        if (!c.good) {
            EXPECT_TRUE(why.contains(QStringLiteral("rrrr.mm.dd")));
        }
    }
}

} // namespace
} // namespace lumo
