#include "qt_printers.h"
#include "settings/suite.h"

#include <gtest/gtest.h>

namespace lumo {
namespace {

TEST(Suite, SuiteFolderIsTwoFoldersAboveTheProgram)
{
    struct Case {
        QString key, programFolder, expected;
    };
    const Case cases[] = {
        {"TARN_FOLDER", "D:\\Suite\\LUMO\\Programy", "D:\\Suite"},
        {"TARN_FOLDER", "\\home\\jan\\Suite\\LUMO\\Programy", "\\home\\jan\\Suite"},
        {"TARN_FOLDER", "C:\\", ""},
        {"TARN_FOLDER", "", ""},
        {"tarn_folder", "D:\\Suite\\LUMO\\Programy", ""},
        {"TARN_DATA", "D:\\Suite\\LUMO\\Programy", ""},
    };
    for (const Case& c : cases)
        EXPECT_EQ(GetSuiteFolder(c.key, c.programFolder), c.expected)
            << c.key.toStdString() << " " << c.programFolder.toStdString();
}

TEST(Suite, SubfolderTable)
{
    struct Case {
        int kind;
        QString expected;
    };
    const Case cases[] = {
        // The two the program uses, and the ends of the table.
        {0, "D:\\Suite\\aZasoby"},
        {12, "D:\\Suite\\aZasoby\\Sygnalizacja\\Sygnalizatory"},
        {26, ""},
        {-1, ""},
    };
    for (const Case& c : cases)
        EXPECT_EQ(GetSuiteSubfolder("D:\\Suite", c.kind), c.expected) << c.kind;
    EXPECT_EQ(GetSuiteSubfolder("D:\\Suite\\", kSubfolderSygnalizatory),
              "D:\\Suite\\aZasoby\\Sygnalizacja\\Sygnalizatory");
    EXPECT_EQ(GetSuiteSubfolder("Brak\\Brak", kSubfolderUlic), "Brak\\Brak\\Ulic");
}

} // namespace
} // namespace lumo
