#include "recording_dialogs.h"
#include "scoped_env.h"
#include "settings/suite.h"
#include "temp_suite.h"
#include "util/encoding.h"
#include "util/files.h"
#include "util/paths.h"

#include <QDir>

#include <gtest/gtest.h>

namespace lumo {
namespace {

using test::TempSuite;

const QString kDirectories = QStringLiteral("Software\\Tarn\\Directories");

// An export of the suite's key as the registry editor writes it; the file's
// version decides how the text of hex(2) values is stored.
QString ExportText(bool version5)
{
    const QString expandable = version5 ? QStringLiteral("hex(2):25,00,54,00,45,00,4d,00,50,00,25,00,00,00")
                                        : QStringLiteral("hex(2):25,54,45,4d,50,25,00");
    const QString wrapped = version5
        ? QStringLiteral("hex(2):44,00,3a,00,5c,00,44,00,61,00,6e,00,65,00,5c,00,4b,00,72,00,\\\r\n"
                         "  61,00,6b,00,00,00")
        : QStringLiteral("hex(2):44,3a,5c,44,61,6e,65,5c,4b,72,\\\r\n  61,6b,00");
    return (version5 ? QStringLiteral("Windows Registry Editor Version 5.00") : QStringLiteral("REGEDIT4"))
        + QStringLiteral("\r\n\r\n"
                         "[HKEY_CURRENT_USER\\Software\\Tarn]\r\n"
                         "\r\n"
                         "[HKEY_CURRENT_USER\\Software\\Tarn\\Directories]\r\n"
                         "@=\"domyślna\"\r\n"
                         "\"aDane\"=\"D:\\\\Dane\"\r\n"
                         "\"City\"=\"Kraków\"\r\n"
                         "\"Cytat\"=\"a \\\"b\\\" c\"\r\n"
                         "\"Liczba\"=dword:00000031\r\n"
                         "\"Binarny\"=hex:41,42,43,00,44\r\n"
                         "\"Rozw\"=")
        + expandable + QStringLiteral("\r\n\"Zawiniety\"=") + wrapped
        + QStringLiteral("\r\n"
                         "\"Dlugi\"=\"012345678901234567890123456789012345678901234\"\r\n"
                         "\"Dokladnie39\"=\"012345678901234567890123456789012345678\"\r\n"
                         "\"Dokladnie40\"=\"0123456789012345678901234567890123456789\"\r\n"
                         "\"Usuniety\"=\"x\"\r\n"
                         "\"Usuniety\"=-\r\n"
                         "\r\n"
                         "[HKEY_CURRENT_USER\\Software\\Tarn\\Stary]\r\n"
                         "\"x\"=\"1\"\r\n"
                         "\r\n"
                         "[-HKEY_CURRENT_USER\\Software\\Tarn\\Stary]\r\n"
                         "\r\n");
}

QByteArray Utf16Export(const QString& text)
{
    QByteArray bytes("\xFF\xFE");
    bytes.append(reinterpret_cast<const char*>(text.utf16()), text.size() * 2);
    return bytes;
}

class RegistryFileTest : public ::testing::TestWithParam<bool> {
protected:
    QString writeExport()
    {
        const bool v5 = GetParam();
        const QByteArray bytes = v5 ? Utf16Export(ExportText(true)) : ToAnsi(ExportText(false));
        return DisplayPath(suite.writeBytes("registry.reg", bytes));
    }
    QString read(const QString& file, const QString& subkey, const QString& value,
                 RegistryRoot root = RegistryRoot::CurrentUser)
    {
        return RegReadStringFromFile(dialogs, file, root, subkey, value);
    }

    TempSuite suite;
    test::RecordingDialogs dialogs;
};

TEST_P(RegistryFileTest, ReadsValuesAsTheRegistryGivesThem)
{
    const QString file = writeExport();
    struct Case {
        QString subkey, value, expected;
    };
    const Case cases[] = {
        {kDirectories, "aDane", "D:\\Dane"},
        {kDirectories, "City", QStringLiteral("Kraków")},
        {"software\\TARN\\directories\\", "AdAnE", "D:\\Dane"},
        {kDirectories, "Cytat", "a \"b\" c"},
        {kDirectories, "", QStringLiteral("domyślna")},
        // The value's type is not checked: the bytes read are taken as text.
        {kDirectories, "Liczba", "1"},
        {kDirectories, "Binarny", "ABC"},
        {kDirectories, "Rozw", "%TEMP%"},
        {kDirectories, "Zawiniety", "D:\\Dane\\Krak"},
        {kDirectories, "Dokladnie39", "012345678901234567890123456789012345678"},
        // Missing values and keys, a deleted value and a deleted key.
        {kDirectories, "Brak", "Brak"},
        {kDirectories, "Usuniety", "Brak"},
        {"Software\\Tarn", "aDane", "Brak"},
        {"Software\\Tarn\\Stary", "x", "Brak"},
        {"Software\\Inny", "aDane", "Brak"},
    };
    for (const Case& c : cases)
        EXPECT_EQ(read(file, c.subkey, c.value), c.expected)
            << c.subkey.toStdString() << " " << c.value.toStdString();
    EXPECT_EQ(read(file, kDirectories, "aDane", RegistryRoot::LocalMachine), "Brak");
    EXPECT_TRUE(dialogs.calls().empty());
}

TEST_P(RegistryFileTest, ValuesTooLongForTheBufferShowError234)
{
    const QString file = writeExport();
    for (const QString value : {"Dlugi", "Dokladnie40"}) {
        dialogs.clear();
        dialogs.acceptMessages(1);
        EXPECT_EQ(read(file, kDirectories, value), "") << value.toStdString();
        ASSERT_EQ(dialogs.calls().size(), 1u);
        const test::DialogCall& call = dialogs.calls()[0];
        EXPECT_EQ(call.title, "LUMO_Sygnalizatory");
        EXPECT_EQ(call.text, "Registry access error number:  234");
    }
}

INSTANTIATE_TEST_SUITE_P(Exports, RegistryFileTest, ::testing::Values(true, false),
                         [](const auto& info) { return info.param ? "Version5Utf16" : "Regedit4Ansi"; });

TEST(RegistryFile, MissingUnreadableAndForeignFiles)
{
    TempSuite suite;
    test::RecordingDialogs dialogs;
    // No file: the same as a registry without the suite's key.
    EXPECT_EQ(RegReadStringFromFile(dialogs, suite.nativeRoot() + "/brak.reg", RegistryRoot::CurrentUser,
                                    kDirectories, "aDane"),
              "Brak");
    EXPECT_TRUE(dialogs.calls().empty());

    struct Case {
        QString file;
        QString message;
    };
    suite.makeFolder("folder.reg");
    suite.writeBytes("notatki.reg", "aDane=D:\\Dane\r\n");
    const Case cases[] = {
        {suite.nativeRoot() + "/folder.reg", "Registry access error number:  5"},
        {suite.nativeRoot() + "/notatki.reg", "Registry access error number:  1009"},
    };
    for (const Case& c : cases) {
        dialogs.clear();
        dialogs.acceptMessages(1);
        EXPECT_EQ(RegReadStringFromFile(dialogs, c.file, RegistryRoot::CurrentUser, kDirectories, "aDane"),
                  "");
        ASSERT_EQ(dialogs.calls().size(), 1u);
        EXPECT_EQ(dialogs.calls()[0].text, c.message);
    }
}

#ifndef _WIN32
TEST(RegistryFile, ReadInsteadOfTheRegistry)
{
    TempSuite suite;
    test::RecordingDialogs dialogs;
    const QString file = suite.writeCityRegistry("\\srv\\Dane", "Gdynia");
    EXPECT_EQ(RegReadString(dialogs, file, RegistryRoot::CurrentUser, kDirectories, "City"), "Gdynia");
    EXPECT_EQ(RegReadString(dialogs, file, RegistryRoot::CurrentUser, kDirectories, "aDane"), "\\srv\\Dane");
}
#endif

} // namespace
} // namespace lumo
