#include "temp_suite.h"
#include "util/files.h"
#include "util/paths.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <gtest/gtest.h>

#include <functional>
#include <optional>

#ifndef _WIN32
#include <csignal>
#include <sys/resource.h>
#endif

namespace lumo {
namespace {

#ifndef _WIN32
TEST(Files, NativeAndProgramFormsOfAPath)
{
    EXPECT_EQ(FromNativePath("/a/b/LUMO/Programy"), "\\a\\b\\LUMO\\Programy");
    EXPECT_EQ(DisplayPath("\\a\\b\\LUMO.ini"), "/a/b/LUMO.ini");
    EXPECT_EQ(ToNativePath("\\nonexistent-lumo-root\\X"), "/nonexistent-lumo-root/X");
    // A path taken from the native side and one built inside the program
    // (JoinPath after the program folder) both come out native.
    EXPECT_EQ(ToNativePath("/nonexistent-lumo-root/a\\b"), "/nonexistent-lumo-root/a/b");
}

TEST(Files, ComponentsResolveWithoutRegardToCase)
{
    test::TempSuite suite;
    suite.writeAnsiLines("aZasoby\\Sygnalizacja\\Sygnalizatory\\S-3wp.dxf", {"0", "EOF"});
    suite.writeAnsiLines("aZasoby\\Listy\\Ulice.lst", {"Długa"});
    suite.writeAnsiLines("aZasoby\\Listy\\ulice.LST", {"inna"});

    struct Case {
        QString asked;
        QString found; // relative to the root, native separators
    };
    const Case cases[] = {
        {"aZasoby\\Sygnalizacja\\Sygnalizatory\\s-3wp.dxf", "aZasoby/Sygnalizacja/Sygnalizatory/S-3wp.dxf"},
        {"AZASOBY\\sygnalizacja\\SYGNALIZATORY\\S-3WP.DXF", "aZasoby/Sygnalizacja/Sygnalizatory/S-3wp.dxf"},
        // Exact spellings win over other spellings of the same name.
        {"aZasoby\\Listy\\Ulice.lst", "aZasoby/Listy/Ulice.lst"},
        {"aZasoby\\Listy\\ulice.LST", "aZasoby/Listy/ulice.LST"},
        // A new file keeps the spelling given, in the folder that exists.
        {"azasoby\\listy\\Nowy.lst", "aZasoby/Listy/Nowy.lst"},
        {"azasoby\\Brak\\Brak\\Ulice.lst", "aZasoby/Brak/Brak/Ulice.lst"},
    };
    for (const Case& c : cases)
        EXPECT_EQ(ToNativePath(suite.path(c.asked)), suite.nativeRoot() + "/" + c.found)
            << c.asked.toStdString();

    EXPECT_TRUE(FileExists(suite.path("AZASOBY\\LISTY\\ULICE.LST")));
    EXPECT_FALSE(FileExists(suite.path("aZasoby\\Listy")));
    EXPECT_TRUE(FolderExists(suite.path("azasoby\\listy")));
    EXPECT_FALSE(FileExists(suite.path("aZasoby\\Listy\\Brak.lst")));
}
#endif

// Stands for a folder that takes no rename, as one the user may not change.
bool RefuseReplace(const QString&, const QString&)
{
    return false;
}

QStringList FilesIn(const test::TempSuite& suite, const QString& folder)
{
    return QDir(ToNativePath(suite.path(folder))).entryList(QDir::Files | QDir::Hidden);
}

TEST(Files, AWriteReplacesTheFileOrFallsBackToChangingItInPlace)
{
    struct Case {
        const char* what;
        std::optional<QByteArray> before; // nullopt: no file yet
        ReplaceStep replace;
        QByteArray bytes;
        bool written;
    };
    const Case cases[] = {
        {"replaced", "old content\r\n", ReplaceByRename, "new\r\n", true},
        {"created", std::nullopt, ReplaceByRename, "new\r\n", true},
        {"in place, shorter", "old content\r\n", RefuseReplace, "new\r\n", true},
        {"in place, longer", "old\r\n", RefuseReplace, "[OstatnioUzyte]\r\nOperator00=Jan\r\n", true},
        {"in place, emptied", "old\r\n", RefuseReplace, "", true},
        {"nothing to change in place", std::nullopt, RefuseReplace, "new\r\n", false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        test::TempSuite suite;
        const QString file = suite.path("LUMO\\Programy\\LUMO.ini");
        if (c.before) {
            suite.writeBytes("LUMO\\Programy\\LUMO.ini", *c.before);
            // The replacement keeps the rights the file had.
            QFile::setPermissions(ToNativePath(file),
                                  QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ReadGroup);
        }
        EXPECT_EQ(WriteFileAtomic(file, c.bytes, c.replace), c.written);
        EXPECT_EQ(ReadFileBytes(file), c.written ? std::optional(c.bytes) : c.before);
        EXPECT_EQ(FilesIn(suite, "LUMO\\Programy"),
                  c.written || c.before ? QStringList{"LUMO.ini"} : QStringList{});
        const auto userBits = QFileDevice::ReadUser | QFileDevice::WriteUser | QFileDevice::ExeUser;
        if (c.before) {
            EXPECT_EQ(QFileInfo(ToNativePath(file)).permissions() & ~userBits,
                      QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ReadGroup);
        }
    }
    test::TempSuite suite;
    const QString file = suite.writeBytes("LUMO\\Programy\\LUMO.ini", "new\r\n");
    ASSERT_TRUE(AppendToFile(file, "more\r\n"));
    EXPECT_EQ(ReadFileBytes(file).value_or("?"), QByteArray("new\r\nmore\r\n"));
}

#ifndef _WIN32
// Files may grow only to `limit` bytes while it lives: a write beyond that
// fails as on a full disk, whatever rights the tests run with.
class FileSizeLimit {
public:
    explicit FileSizeLimit(rlim_t limit)
    {
        getrlimit(RLIMIT_FSIZE, &old_);
        oldHandler_ = std::signal(SIGXFSZ, SIG_IGN);
        rlimit now = old_;
        now.rlim_cur = limit;
        setrlimit(RLIMIT_FSIZE, &now);
    }
    ~FileSizeLimit()
    {
        setrlimit(RLIMIT_FSIZE, &old_);
        std::signal(SIGXFSZ, oldHandler_);
    }

private:
    rlimit old_{};
    void (*oldHandler_)(int) = nullptr;
};

TEST(Files, AWriteThatRunsOutOfSpaceLeavesTheOriginal)
{
    const QByteArray original = "[OstatnioUzyte]\r\nOperator00=Jan\r\n";
    const std::function<bool(const QString&, const QByteArray&)> writers[] = {
        [](const QString& file, const QByteArray& bytes) { return WriteFileAtomic(file, bytes); },
        [](const QString& file, const QByteArray& bytes) {
            return WriteFileAtomic(file, bytes, RefuseReplace);
        },
        RewriteFileInPlace,
    };
    for (const auto& write : writers) {
        test::TempSuite suite;
        const QString file = suite.writeBytes("LUMO\\Programy\\LUMO.ini", original);
        {
            const FileSizeLimit limit(4096);
            EXPECT_FALSE(write(file, QByteArray(100000, 'x')));
        }
        EXPECT_EQ(ReadFileBytes(file).value_or("?"), original);
        EXPECT_EQ(FilesIn(suite, "LUMO\\Programy"), QStringList{"LUMO.ini"});
    }
}
#endif

TEST(Files, ReadFileBytesReportsAMissingFile)
{
    test::TempSuite suite;
    int error = 0;
    EXPECT_FALSE(ReadFileBytes(suite.path("brak.txt"), &error).has_value());
    EXPECT_EQ(error, 2);
}

} // namespace
} // namespace lumo
