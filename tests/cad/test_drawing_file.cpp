// Whether the drawing's file changed on disk since we read or wrote it: told
// by its size and time where they can tell, by its bytes where they cannot.
#include "base/byte_hash.h"
#include "cad/embedded/drawing_file.h"
#include "dxf/document.h"
#include "dxf/saved_file.h"
#include "test_files.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <functional>
#include <string>

namespace fs = std::filesystem;

namespace lumo::cad::embedded {
namespace {

using test::readAll;
using test::writeAll;

class DrawingOnDisk : public ::testing::Test {
protected:
    void SetUp() override
    {
        folder = fs::temp_directory_path()
            / ("lumo-drawing-file-" + std::to_string(::testing::UnitTest::GetInstance()->random_seed()));
        fs::remove_all(folder);
        fs::create_directories(folder);
    }
    void TearDown() override
    {
        std::error_code ec;
        fs::remove_all(folder, ec);
    }
    fs::path folder;
};

// Another content of the same size: one letter of the drawing's text changed.
std::string sameSizeOther(std::string bytes)
{
    const auto at = bytes.find("AC1032");
    bytes[at] = 'X';
    return bytes;
}

// The stamp of our own save; then the file is changed (or not) in one way
// and the save of the drawing over it is allowed or refused.
TEST_F(DrawingOnDisk, ASizeOrATimeOtherThanTheStampsDecidesAndTheBytesDecideTheRest)
{
    struct Case {
        const char* what;
        std::function<void(const fs::path& plan, const FileStamp& stamp)> change;
        bool changed;
    } cases[] = {
        {"left alone", [](const fs::path&, const FileStamp&) {}, false},
        {"touched only (a new time, the same bytes)",
         [](const fs::path& plan, const FileStamp&) {
             fs::last_write_time(plan, fs::file_time_type::clock::now());
         },
         false},
        {"copied back as it was",
         [](const fs::path& plan, const FileStamp&) { writeAll(plan, readAll(plan)); }, false},
        {"same size, other bytes, a new time",
         [](const fs::path& plan, const FileStamp&) { writeAll(plan, sameSizeOther(readAll(plan))); }, true},
        {"other size, the stamp's time put back",
         [](const fs::path& plan, const FileStamp& stamp) {
             writeAll(plan, readAll(plan) + "999\nkomentarz\n");
             fs::last_write_time(plan, fs::file_time_type(fs::file_time_type::duration(stamp.modified)));
         },
         true},
        {"other size, a new time",
         [](const fs::path& plan, const FileStamp&) { writeAll(plan, readAll(plan) + "999\nkomentarz\n"); },
         true},
        // What a size and a time cannot see is taken as it is: the bytes of
        // a large drawing are not read for every save.
        {"same size, other bytes, the stamp's time put back",
         [](const fs::path& plan, const FileStamp& stamp) {
             writeAll(plan, sameSizeOther(readAll(plan)));
             fs::last_write_time(plan, fs::file_time_type(fs::file_time_type::duration(stamp.modified)));
         },
         false},
        {"removed", [](const fs::path& plan, const FileStamp&) { fs::remove(plan); }, false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        const auto plan = folder / "plan.dxf";
        const auto saved = dxf::SaveAndTell(dxf::Document::create("AC1032"), plan.string());
        const FileStamp stamp = StampNow(saved.size, saved.hash, saved.modified.time_since_epoch().count());
        EXPECT_TRUE(stamp.settled);
        EXPECT_EQ(stamp, *StampOf(plan.string())) << "the stamp of the bytes written, as read back";
        c.change(plan, stamp);
        EXPECT_EQ(WhyNotWritable(plan.string(), stamp), c.changed ? kChangedOnDiskReason : "");
    }
}

// A file written just before it was read may be written again within the
// same step of the file system's clock, keeping its time: its bytes tell.
TEST_F(DrawingOnDisk, AFileReadJustAfterItWasWrittenIsComparedByItsBytes)
{
    const auto plan = folder / "plan.dxf";
    writeAll(plan, dxf::Document::create("AC1032").toString());
    const FileStamp stamp = StampOf(plan.string(), readAll(plan));
    EXPECT_FALSE(stamp.settled);
    const auto time = fs::last_write_time(plan);
    writeAll(plan, sameSizeOther(readAll(plan)));
    fs::last_write_time(plan, time);
    EXPECT_EQ(WhyNotWritable(plan.string(), stamp), kChangedOnDiskReason);
}

} // namespace
} // namespace lumo::cad::embedded
