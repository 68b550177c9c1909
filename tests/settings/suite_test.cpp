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

} // namespace
} // namespace lumo
