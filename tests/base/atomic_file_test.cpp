#include "base/atomic_file.h"
#include "test_files.h"

#include <gtest/gtest.h>

#include <random>
#include <set>

namespace fs = std::filesystem;

namespace lumo::base {
namespace {

using test::readAll;
using test::writeAll;

std::set<std::string> namesIn(const fs::path& folder)
{
    std::set<std::string> names;
    for (const auto& entry : fs::directory_iterator(folder))
        names.insert(entry.path().filename().string());
    return names;
}

class AtomicFileTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        // a folder of this test's own: CTest runs the tests side by side
        folder_ = fs::temp_directory_path()
            / ("lumo-base-atomic-" + std::string(::testing::UnitTest::GetInstance()->current_test_info()->name())
               + "-" + std::to_string(std::random_device{}()));
        fs::remove_all(folder_);
        fs::create_directories(folder_);
    }
    void TearDown() override { fs::remove_all(folder_); }
    fs::path folder_;
};

#ifndef _WIN32
// What a write leaves in the folder: the new content under the name, a .bak
// only where asked, a link still a link where asked, and no temporary.
TEST_F(AtomicFileTest, AWriteLeavesTheNewContentAndOnlyWhatWasAskedFor)
{
    struct Case {
        const char* what;
        bool keepBackup, throughLinks, viaLink;
        std::set<std::string> left;
    } cases[] = {
        {"plain", false, false, false, {"plik.ini"}},
        {"with a .bak", true, false, false, {"plik.ini", "plik.ini.bak"}},
        {"a link written through", false, true, true, {"plik.ini", "link.ini"}},
        {"a link replaced", false, false, true, {"plik.ini", "link.ini"}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        fs::remove_all(folder_);
        fs::create_directories(folder_);
        const fs::path file = folder_ / "plik.ini";
        writeAll(file, "old");
        const fs::path written = c.viaLink ? folder_ / "link.ini" : file;
        // a killed earlier write of the same file left its temporary
        const std::string changed = c.viaLink && !c.throughLinks ? "link.ini" : "plik.ini";
        writeAll(folder_ / (changed + ".lumo-save-00000000000000aa.tmp"), "half");
        if (c.viaLink)
            fs::create_symlink("plik.ini", written);
        AtomicWrite how;
        how.keepBackup = c.keepBackup;
        how.throughLinks = c.throughLinks;
        ASSERT_FALSE(WriteFileAtomic(written, "new", how));
        EXPECT_EQ(namesIn(folder_), c.left);
        EXPECT_EQ(readAll(written), "new");
        EXPECT_EQ(fs::is_symlink(written), c.viaLink && c.throughLinks);
        EXPECT_EQ(readAll(file), c.viaLink && !c.throughLinks ? "old" : "new");
        if (c.keepBackup) {
            EXPECT_EQ(readAll(folder_ / "plik.ini.bak"), "old");
        }
    }
}
#endif

// A refused rename leaves the file as it was and no temporary; where asked,
// the file is then changed in place.
TEST_F(AtomicFileTest, ARefusedRenameLeavesTheFileOrChangesItInPlace)
{
    AtomicWrite how;
    how.replace = [](const fs::path&, const fs::path&) { return std::make_error_code(std::errc::permission_denied); };
    const fs::path file = folder_ / "plik.ini";
    for (const bool inPlace : {false, true}) {
        writeAll(file, "old content");
        const auto failed = WriteFileAtomic(file, "new", how, inPlace);
        EXPECT_EQ(failed, inPlace ? std::error_code() : std::make_error_code(std::errc::permission_denied));
        EXPECT_EQ(readAll(file), inPlace ? "new" : "old content");
        EXPECT_EQ(namesIn(folder_), std::set<std::string>{"plik.ini"});
    }
}

} // namespace
} // namespace lumo::base
