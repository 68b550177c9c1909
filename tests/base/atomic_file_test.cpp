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

// A write with a .bak lends the old .bak's storage to the new file and keeps
// what that storage holds where it is the same: whatever the storage held
// (the same, other bytes, more, less, little), the file is exactly the new
// content, with the time asked for, and the .bak the one before.
TEST_F(AtomicFileTest, WritingOverTheOldBakStorageGivesExactlyTheNewContent)
{
    const std::string megabyte(std::size_t(1) << 20, 'x');
    auto pattern = [](std::size_t size, char first) {
        std::string text(size, ' ');
        for (std::size_t i = 0; i < size; ++i)
            text[i] = static_cast<char>(first + static_cast<char>(i % 23));
        return text;
    };
    const std::string big = pattern(5 * megabyte.size() + 123, 'a');
    std::string bigChangedInTheMiddle = big;
    bigChangedInTheMiddle[2 * megabyte.size() + 7] = '!';
    struct Case {
        const char* name;
        std::string held, written;
    };
    const Case cases[] = {
        {"the same", big, big},
        {"one byte other in the middle", big, bigChangedInTheMiddle},
        {"longer", big, big + "tail"},
        {"shorter", big + "tail", big},
        {"shifted by a byte", big, "<" + big},
        {"much smaller", big, "small"},
        {"from small to large", "small", big},
    };
    const auto when = fs::file_time_type::clock::now() - std::chrono::seconds(4);
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const fs::path file = folder_ / "plik.dxf";
        fs::remove_all(folder_);
        fs::create_directories(folder_);
        AtomicWrite how;
        how.keepBackup = true;
        // the storage with the held bytes becomes the .bak, then is lent
        ASSERT_FALSE(WriteFileAtomic(file, c.held, how));
        ASSERT_FALSE(WriteFileAtomic(file, "between", how));
        how.modified = when;
        AtomicFile write(file, how);
        ASSERT_FALSE(write.open());
        for (std::size_t at = 0; at < c.written.size(); at += 300000)
            write.put(c.written.data() + at, std::min<std::size_t>(300000, c.written.size() - at));
        ASSERT_FALSE(write.commit());
        EXPECT_TRUE(readAll(file) == c.written);
        EXPECT_EQ(readAll(folder_ / "plik.dxf.bak"), "between");
        EXPECT_EQ(fs::last_write_time(file), write.modified());
        EXPECT_EQ(write.modified(), when);
        EXPECT_EQ(namesIn(folder_), (std::set<std::string>{"plik.dxf", "plik.dxf.bak"}));
    }
}

} // namespace
} // namespace lumo::base
