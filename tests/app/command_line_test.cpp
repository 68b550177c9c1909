#include "app/command_line.h"

#include <gtest/gtest.h>

namespace lumo {
namespace {

TEST(GetCommandLineArgs, SplitsAtBlanksAndTabsWithoutQuoting)
{
    struct Case {
        QString line;
        int maxWords;
        QStringList words; // index 0 is always empty
    };
    const Case cases[] = {
        {"", 10, {""}},
        {" \t  \t", 10, {""}},
        {"S-1", 10, {"", "S-1"}},
        {"S-1KOM BREV", 10, {"", "S-1KOM", "BREV"}},
        {"  S-1\t\tbrev  ", 10, {"", "S-1", "brev"}},
        {"\"C:\\My Files\\x\"", 10, {"", "\"C:\\My", "Files\\x\""}},
        {"a b c", 2, {"", "a", "b"}},
        {"1 2 3 4 5 6 7 8 9 10 11 12", 10, {"", "1", "2", "3", "4", "5", "6", "7", "8", "9", "10"}},
        {"ab", 0, {""}},
    };
    for (const Case& c : cases)
        EXPECT_EQ(GetCommandLineArgs(c.line, c.maxWords), c.words) << c.line.toStdString();
}

} // namespace
} // namespace lumo
