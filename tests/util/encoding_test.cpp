#include "qt_printers.h"
#include "util/encoding.h"

#include <gtest/gtest.h>

namespace lumo {
namespace {

#ifndef _WIN32
TEST(Encoding, Windows1250PolishLetters)
{
    const QString letters = QStringLiteral("ąćęłńóśźż ĄĆĘŁŃÓŚŹŻ €„”");
    const QByteArray bytes("\xB9\xE6\xEA\xB3\xF1\xF3\x9C\x9F\xBF \xA5\xC6\xCA\xA3\xD1\xD3\x8C\x8F\xAF "
                           "\x80\x84\x94");
    EXPECT_EQ(ToAnsi(letters), bytes);
    EXPECT_EQ(FromAnsi(bytes), letters);
}

TEST(Encoding, CharactersTheCodePageLacksBecomeQuestionMarks)
{
    EXPECT_EQ(ToAnsi(QStringLiteral("a漢b")), QByteArray("a?b"));
    // A character outside the basic plane is one character: one mark.
    EXPECT_EQ(ToAnsi(QString::fromUtf8("x\xF0\x9F\x98\x80y")), QByteArray("x?y"));
}

TEST(Encoding, UndefinedBytesSurviveARoundTrip)
{
    const QByteArray undefined("a\x81\x83\x88\x90\x98z");
    const QString text = FromAnsi(undefined);
    EXPECT_EQ(text.size(), undefined.size());
    EXPECT_EQ(ToAnsi(text), undefined);
}
#endif

TEST(Encoding, AsciiAndZeroBytesPassUnchanged)
{
    EXPECT_EQ(FromAnsi("Key=Value\r\n"), QStringLiteral("Key=Value\r\n"));
    const QByteArray zero("a\0b", 3);
    EXPECT_EQ(ToAnsi(FromAnsi(zero)), zero);
}

} // namespace
} // namespace lumo
