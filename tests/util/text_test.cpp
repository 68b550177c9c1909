#include "recording_dialogs.h"
#include "util/text.h"

#include <gtest/gtest.h>

namespace lumo {
namespace {

TEST(Text, ReplaceAllText)
{
    struct Case {
        QString text, searched, replacement, expected;
    };
    const Case cases[] = {
        {"C:/x/y", "/", "\\", "C:\\x\\y"},
        {"1,5", ",", ".", "1.5"},
        // Each replacement may join into a new occurrence.
        {"aabb", "ab", "", ""},
        {"x", "", "y", "x"},
        {"30.12.1999", "1999", "rrrr", "30.12.rrrr"},
        // A replacement containing the searched text would never finish.
        {"abab", "ab", "abx", "abab"},
    };
    for (const Case& c : cases)
        EXPECT_EQ(ReplaceAllText(c.text, c.searched, c.replacement), c.expected) << c.text.toStdString();
}

TEST(Text, ReplaceChr)
{
    test::RecordingDialogs dialogs;
    EXPECT_EQ(ReplaceChr(dialogs, "1,5,7", ",", "."), "1.5.7");
    EXPECT_EQ(ReplaceChr(dialogs, "", ",", "."), "");
    EXPECT_TRUE(dialogs.calls().empty());

    dialogs.acceptMessages(1);
    EXPECT_EQ(ReplaceChr(dialogs, "1,5", ",", ","), "1,5");
    ASSERT_EQ(dialogs.calls().size(), 1u);
    const test::DialogCall& call = dialogs.calls()[0];
    EXPECT_EQ(call.title, "LUMO_Sygnalizatory");
    EXPECT_EQ(call.text, QStringLiteral("ReplaceChr(): oba znaki są identyczne!"));
    EXPECT_EQ(call.icon, DialogIcon::None);
    EXPECT_EQ(call.buttons, DialogButtons::Ok);
}

TEST(Text, TakeToken)
{
    struct Case {
        QString text, separator, token, rest;
    };
    const Case cases[] = {
        {"987 Rondo", " ", "987", "Rondo"}, {"abxcd", "X", "ab", "cd"}, {"abc", ";", "abc", ""},
        {"a;;b", ";", "a", ";b"},           {"", " ", "", ""},          {"ŁódźXtail", "x", "Łódź", "tail"},
        {"a -- b", "--", "a ", " b"},
    };
    for (const Case& c : cases) {
        QString text = c.text;
        EXPECT_EQ(TakeToken(text, c.separator), c.token) << c.text.toStdString();
        EXPECT_EQ(text, c.rest) << c.text.toStdString();
    }
}

} // namespace
} // namespace lumo
