// The program's file routines and the embedded host find the same file when
// a folder holds several spellings of a name (a suite copied from Windows).
#include "base/paths.h"
#include "util/files.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace lumo {
namespace {

TEST(CaseVariants, TheProgramAndTheHostChooseTheSameFile)
{
    QTemporaryDir folder;
    for (const char* name : {"s-1.DXF", "S-1.dxf", "S-1.Dxf"}) {
        QFile file(folder.filePath(QString::fromLatin1(name)));
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    }
    struct Case {
        const char* asked;
        const char* found;
    } cases[] = {
        {"s-1.dxf", "S-1.Dxf"}, // none spelled so: the first in code-point order
        {"s-1.DXF", "s-1.DXF"}, // an exact spelling always wins
        {"S-1.DXF", "S-1.Dxf"},
    };
    for (const auto& c : cases) {
        const QString windowsPath = QDir::toNativeSeparators(folder.path()).replace(u'/', u'\\') + u'\\'
            + QString::fromLatin1(c.asked);
        const QString expected = folder.filePath(QString::fromLatin1(c.found));
        EXPECT_EQ(ToNativePath(windowsPath), expected) << c.asked;
        EXPECT_EQ(QString::fromStdString(base::NativePath(windowsPath.toStdString())), expected)
            << c.asked;
    }
}

} // namespace
} // namespace lumo
