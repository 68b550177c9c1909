#include "read_only_folder.h"
#include "settings/ini_file.h"
#include "temp_suite.h"
#include "util/encoding.h"
#include "util/files.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <optional>

#include <gtest/gtest.h>

namespace lumo {
namespace {

// A settings file as Windows tools leave it: CR LF, comments, blank lines,
// odd spacing, Polish text in Windows-1250, a duplicate section.
const QStringList kWindowsFile = {
    "; Ustawienia programu",
    "",
    "[OstatnioUzyte]",
    "Orientacja00=3",
    "  Operator00 =   Jan Kowalski   ",
    "NumerZlecenia00=\"  ZL/12/2024  \"",
    "Pusty=",
    "CzcionkaOpisuSygnSzer=0,73",
    "Ulica=Łódzka ąę",
    ";Komentarz=1",
    "BezRownasie",
    "Dup=pierwszy",
    "DUP=drugi",
    "Cytat='abc'",
    "Niedomkniety=\"abc",
    "Tab=\tx\t",
    "",
    "[  LUMO_Sygnalizatory  ]",
    "SkalujTekst = 0",
    "",
    "[ostatniouzyte]",
    "Tylko=w drugiej",
    "Orientacja00=7",
};

class IniFileTest : public ::testing::Test {
protected:
    QString writeSettings(const QStringList& lines)
    {
        return suite.writeAnsiLines("LUMO\\Programy\\LUMO.ini", lines);
    }
    QByteArray settingsBytes() const { return suite.readBytes("LUMO\\Programy\\LUMO.ini"); }

    test::TempSuite suite;
};

TEST_F(IniFileTest, ReadsAsWindowsDoes)
{
    const QString file = writeSettings(kWindowsFile);
    struct Case {
        QString section, key, defaultValue, expected;
    };
    const Case cases[] = {
        {"OstatnioUzyte", "Orientacja00", "x", "3"},
        {"ostatniouzyte", "OPERATOR00", "", "Jan Kowalski"},
        {"OstatnioUzyte", "NumerZlecenia00", "", "ZL/12/2024"},
        {"OstatnioUzyte", "Pusty", "domyślny", ""},
        {"OstatnioUzyte", "Brak", "  domyślny  ", "domyślny"},
        {"OstatnioUzyte", "CzcionkaOpisuSygnSzer", "", "0,73"},
        {"OstatnioUzyte", "Ulica", "", "Łódzka ąę"},
        {"OstatnioUzyte", ";Komentarz", "d", "d"},
        {"OstatnioUzyte", "Komentarz", "d", "d"},
        {"OstatnioUzyte", "BezRownasie", "d", "d"},
        {"OstatnioUzyte", "dup", "", "pierwszy"},
        {"OstatnioUzyte", "Cytat", "", "abc"},
        {"OstatnioUzyte", "Niedomkniety", "", "\"abc"},
        {"OstatnioUzyte", "Tab", "", "x"},
        {"LUMO_Sygnalizatory", "SkalujTekst", "1", "0"},
        // Only the first of two sections of the same name counts.
        {"OstatnioUzyte", "Tylko", "d", "d"},
        {"BrakSekcji", "Orientacja00", "d", "d"},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(ReadIniString(file, c.section, c.key, c.defaultValue), c.expected)
            << c.section.toStdString() << "/" << c.key.toStdString();
    }
    EXPECT_EQ(ReadIniString(suite.path("LUMO\\Programy\\Brak.ini"), "OstatnioUzyte", "Orientacja00", "1"),
              "1");
}

TEST_F(IniFileTest, LongValuesAreCutTo2047Characters)
{
    const QString value = QString(2990, u'x') + QStringLiteral("ąęłńóśźżć");
    const QString file = writeSettings({"[OstatnioUzyte]", "Operator00=" + value});
    EXPECT_EQ(ReadIniString(file, "OstatnioUzyte", "Operator00", ""), value.left(2047));
    EXPECT_EQ(ReadIniString(file, "OstatnioUzyte", "Brak", QString(3000, u'd')), QString(2047, u'd'));

    // Written whole, read back cut.
    ASSERT_TRUE(WriteIniString(file, "OstatnioUzyte", "NumerZlecenia00", value));
    EXPECT_EQ(ReadIniString(file, "OstatnioUzyte", "NumerZlecenia00", ""), value.left(2047));
    EXPECT_TRUE(settingsBytes().contains(ToAnsi(value)));
}

TEST_F(IniFileTest, WritingAKeyChangesOnlyItsLine)
{
    const QString file = writeSettings(kWindowsFile);
    const QByteArray before = settingsBytes();

    ASSERT_TRUE(WriteIniString(file, "ostatniouzyte", "operator00", "Anna Żak"));
    QByteArray expected = before;
    expected.replace(ToAnsi("  Operator00 =   Jan Kowalski   \r\n"), ToAnsi("  Operator00 =Anna Żak\r\n"));
    EXPECT_EQ(settingsBytes(), expected);
    EXPECT_EQ(ReadIniString(file, "OstatnioUzyte", "Operator00", ""), QStringLiteral("Anna Żak"));

    // An empty value leaves the key with nothing after the sign.
    ASSERT_TRUE(WriteIniString(file, "OstatnioUzyte", "Orientacja00", ""));
    expected.replace("Orientacja00=3\r\n", "Orientacja00=\r\n");
    EXPECT_EQ(settingsBytes(), expected);
    EXPECT_EQ(ReadIniString(file, "OstatnioUzyte", "Orientacja00", "1"), "");

    // The first of duplicate keys is the one written.
    ASSERT_TRUE(WriteIniString(file, "OstatnioUzyte", "Dup", "nowy"));
    expected.replace("Dup=pierwszy\r\n", "Dup=nowy\r\n");
    EXPECT_EQ(settingsBytes(), expected);
    EXPECT_EQ(ReadIniString(file, "OstatnioUzyte", "Dup", ""), "nowy");
}

TEST_F(IniFileTest, NewKeysAndSectionsAreAdded)
{
    const QString file = writeSettings(kWindowsFile);
    const QByteArray before = settingsBytes();

    // A new key becomes the last line of its section, before the blank
    // line that parts it from the next section.
    ASSERT_TRUE(WriteIniString(file, "LUMO_Sygnalizatory", "Nowy", "1"));
    QByteArray expected = before;
    expected.replace("SkalujTekst = 0\r\n", "SkalujTekst = 0\r\nNowy=1\r\n");
    EXPECT_EQ(settingsBytes(), expected);

    // A new section goes at the end of the file.
    ASSERT_TRUE(WriteIniString(file, "Inna", "Klucz", "  wartość"));
    expected += ToAnsi("[Inna]\r\nKlucz=wartość\r\n");
    EXPECT_EQ(settingsBytes(), expected);
    EXPECT_EQ(ReadIniString(file, "inna", "klucz", ""), QStringLiteral("wartość"));
}

TEST_F(IniFileTest, FileEndsAndLineEnds)
{
    struct Case {
        QByteArray before;
        QString section, key, value;
        QByteArray after;
    };
    const Case cases[] = {
        // A last line without a line end gets one before the new line.
        {"[OstatnioUzyte]\r\nA=1", "OstatnioUzyte", "B", "2", "[OstatnioUzyte]\r\nA=1\r\nB=2\r\n"},
        {"[OstatnioUzyte]\r\nA=1", "OstatnioUzyte", "A", "3", "[OstatnioUzyte]\r\nA=3"},
        {"[S]\r\nA=1", "T", "B", "2", "[S]\r\nA=1\r\n[T]\r\nB=2\r\n"},
        // A file with LF line ends keeps them.
        {"[S]\nA=1\n\n[T]\nC=3\n", "S", "B", "2", "[S]\nA=1\nB=2\n\n[T]\nC=3\n"},
        {"", "S", "A", "1", "[S]\r\nA=1\r\n"},
        // Keys before any section belong to none.
        {"A=1\r\n", "S", "A", "2", "A=1\r\n[S]\r\nA=2\r\n"},
        {"[S]\r\n", "S", "A", "1", "[S]\r\nA=1\r\n"},
    };
    for (const Case& c : cases) {
        const QString file = suite.writeBytes("test.ini", c.before);
        ASSERT_TRUE(WriteIniString(file, c.section, c.key, c.value));
        EXPECT_EQ(suite.readBytes("test.ini"), c.after) << c.before.toStdString();
    }
}

TEST_F(IniFileTest, AMissingFileIsCreated)
{
    const QString file = suite.settingsFile();
    ASSERT_FALSE(FileExists(file));
    ASSERT_TRUE(WriteIniString(file, "OstatnioUzyte", "Operator00", " Łukasz "));
    EXPECT_EQ(settingsBytes(), ToAnsi("[OstatnioUzyte]\r\nOperator00=Łukasz \r\n"));
    EXPECT_EQ(ReadIniString(file, "OstatnioUzyte", "Operator00", ""), QStringLiteral("Łukasz"));
    const QStringList entries
        = QDir(ToNativePath(suite.programFolder())).entryList(QDir::Files | QDir::Hidden);
    EXPECT_EQ(entries, QStringList{"LUMO.ini"});
}

TEST_F(IniFileTest, Utf16FilesStayUtf16)
{
    const QString text = QStringLiteral("[OstatnioUzyte]\r\nOperator00=Żaneta\r\n");
    QByteArray bytes("\xFF\xFE");
    bytes.append(reinterpret_cast<const char*>(text.utf16()), text.size() * 2);
    const QString file = suite.writeBytes("u16.ini", bytes);
    EXPECT_EQ(ReadIniString(file, "OstatnioUzyte", "Operator00", ""), QStringLiteral("Żaneta"));

    ASSERT_TRUE(WriteIniString(file, "OstatnioUzyte", "FormatPR", "1"));
    const QString after = text + QStringLiteral("FormatPR=1\r\n");
    QByteArray expected("\xFF\xFE");
    expected.append(reinterpret_cast<const char*>(after.utf16()), after.size() * 2);
    EXPECT_EQ(suite.readBytes("u16.ini"), expected);
}

#ifndef _WIN32
// A program folder the user may not change, with the settings file made
// writable for them: the key is changed in the file itself.
TEST_F(IniFileTest, AWritableFileInAReadOnlyFolderIsChangedInPlace)
{
    const QString file = writeSettings(kWindowsFile);
    QByteArray expected = settingsBytes();
    expected.replace("Orientacja00=3\r\n", "Orientacja00=5\r\n");
    const test::ReadOnlyFolder readOnly(suite.nativePath(suite.programFolder()));
    if (!readOnly.works())
        GTEST_SKIP() << "this file system lets us create files in any folder";
    EXPECT_TRUE(WriteIniString(file, "OstatnioUzyte", "Orientacja00", "5"));
    EXPECT_EQ(settingsBytes(), expected);
}
#endif

// What may not be written stays exactly as it is, content and permissions,
// whatever rights the program has (root's included), and nothing is left
// beside it; the write fails silently.
TEST_F(IniFileTest, WhatMayNotBeWrittenStaysAsItIs)
{
    using P = QFileDevice;
    const auto readOnly = P::ReadOwner | P::ReadGroup | P::ReadOther;
    struct Case {
        const char* what;
        bool folder; // LUMO.ini is a folder
        QFileDevice::Permissions permissions;
        bool inReadOnlyFolder;
    } cases[] = {
        {"read-only file", false, readOnly, false},
        {"read-only for its owner only", false, P::ReadOwner, false},
        {"no rights at all", false, {}, false},
        {"read-only file in a read-only folder", false, readOnly, true},
        {"folder", true, P::ReadOwner | P::WriteOwner | P::ExeOwner, false},
        {"read-only folder", true, P::ReadOwner | P::ExeOwner, false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        const QString native = suite.nativePath(suite.settingsFile());
        QDir(native).removeRecursively();
        QFile::remove(native);
        if (c.folder)
            suite.makeFolder("LUMO\\Programy\\LUMO.ini");
        else
            writeSettings(kWindowsFile);
        const QByteArray before = c.folder ? QByteArray() : settingsBytes();
        QFile::setPermissions(native, c.permissions);
        const auto permissions = QFileInfo(native).permissions();
        const QStringList entries
            = QDir(suite.nativePath(suite.programFolder())).entryList(QDir::AllEntries | QDir::Hidden);
        {
            std::optional<test::ReadOnlyFolder> folder;
            if (c.inReadOnlyFolder)
                folder.emplace(suite.nativePath(suite.programFolder()));
            EXPECT_FALSE(WriteIniString(suite.settingsFile(), "OstatnioUzyte", "Orientacja00", "5"));
            EXPECT_FALSE(WriteIniString(suite.settingsFile(), "Nowa", "Klucz", "1"));
        }
        EXPECT_EQ(QFileInfo(native).permissions(), permissions);
        EXPECT_EQ(QFileInfo(native).isDir(), c.folder);
        QFile::setPermissions(native, P::ReadOwner | P::WriteOwner | P::ExeOwner);
        if (!c.folder) {
            EXPECT_EQ(settingsBytes(), before);
        }
        EXPECT_EQ(QDir(suite.nativePath(suite.programFolder())).entryList(QDir::AllEntries | QDir::Hidden),
                  entries);
        if (c.folder) {
            EXPECT_EQ(ReadIniString(suite.settingsFile(), "OstatnioUzyte", "Orientacja00", "1"), "1");
        }
    }
}

} // namespace
} // namespace lumo
