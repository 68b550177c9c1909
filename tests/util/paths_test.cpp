#include "qt_printers.h"
#include "util/paths.h"

#include <gtest/gtest.h>

namespace lumo {
namespace {

struct PathCase {
    QString a;
    QString b;
    QString expected;
};

TEST(Paths, JoinPath)
{
    const PathCase cases[] = {
        {"D:\\Dane", "Ulic", "D:\\Dane\\Ulic"},
        {"  D:\\Dane ", " Ulic  ", "D:\\Dane\\Ulic"},
        {"D:\\Dane\\", "\\Ulic", "D:\\Dane\\Ulic"},
        {"D:\\Dane\\", "Ulic", "D:\\Dane\\Ulic"},
        {"", "LUMO.ini", "\\LUMO.ini"},
        {"\\\\srv\\share", "x", "\\\\srv\\share\\x"},
        {"\\\\srv\\share\\\\a", "x", "\\\\srv\\share\\\\a\\x"},
        {"C:\\\\a\\\\\\b", "c", "C:\\a\\b\\c"},
        {"Brak", "Brak", "Brak\\Brak"},
    };
    for (const PathCase& c : cases)
        EXPECT_EQ(JoinPath(c.a, c.b), c.expected) << c.a.toStdString() << " + " << c.b.toStdString();
}

TEST(Paths, SplittingRoutines)
{
    struct Case {
        QString path;
        QString parent;
        QString name;
        QString title;
    };
    const Case cases[] = {
        {"D:\\Suite\\LUMO\\Programy", "D:\\Suite\\LUMO", "Programy", "Programy"},
        {"D:\\x\\", "D:\\x", "", ""},
        {"readme", "", "readme", "readme"},
        {"   ", "", "   ", ""},
        {"C:\\", "C:", "", ""},
        {"C:/x/S-3WP.dwg", "", "S-3WP.dwg", "S-3WP"},
        {"C:S-1.dwg", "", "S-1.dwg", "S-1"},
        {"a.b.c", "", "a.b.c", "a.b"},
        {".dwg", "", ".dwg", ""},
        {"D:\\x.y\\plik", "D:\\x.y", "plik", "plik"},
        {"\\a", "", "a", "a"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.path.toStdString());
        EXPECT_EQ(ParentFolder(c.path), c.parent);
        EXPECT_EQ(FileNameOf(c.path), c.name);
        EXPECT_EQ(FileTitleOf(c.path), c.title);
    }
}

// A folder named relative to another (the city data folder, relative to the
// suite root): only a path with neither drive nor leading separator is taken
// from the folder, and its dot parts never climb above the root.
TEST(Paths, PathFrom)
{
    const PathCase cases[] = {
        {"D:\\Suite", "Dane\\Miasto", "D:\\Suite\\Dane\\Miasto"},
        {"D:\\Suite", " Dane ", "D:\\Suite\\Dane"},
        {"D:\\Suite", "Dane/Miasto", "D:\\Suite\\Dane\\Miasto"},
        {"D:\\Suite", "..\\Dane", "D:\\Dane"},
        {"D:\\Suite\\", ".\\Dane\\.\\Miasto\\", "D:\\Suite\\Dane\\Miasto\\"},
        {"D:\\Suite", "..\\..\\..\\Dane", "D:\\Dane"},
        {"D:\\Suite", "Dane\\..\\..", "D:"},
        {"\\home\\ala\\Suite", "../Dane", "\\home\\ala\\Dane"},
        {"\\\\srv\\share\\Suite", "..\\..\\Dane", "\\\\srv\\share\\Dane"},
        {"Suite", "..\\..\\Dane", "..\\Dane"},
        {"D:\\Suite", "Brak\\Brak", "D:\\Suite\\Brak\\Brak"},
        // Whole already: as they are, dots and all.
        {"D:\\Suite", "E:\\Dane\\..\\Miasto", "E:\\Dane\\..\\Miasto"},
        {"D:\\Suite", "e:Dane", "e:Dane"},
        {"D:\\Suite", "\\Dane", "\\Dane"},
        {"D:\\Suite", "\\\\srv\\Dane", "\\\\srv\\Dane"},
        {"\\home\\ala\\Suite", "/home/jan/Dane", "/home/jan/Dane"},
    };
    for (const PathCase& c : cases)
        EXPECT_EQ(PathFrom(c.a, c.b), c.expected) << c.a.toStdString() << " + " << c.b.toStdString();
}

} // namespace
} // namespace lumo
