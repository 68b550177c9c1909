// Saving never loses a version: with the disk full, a file-size limit, the
// folder gone or the process killed at any step, the drawing is a complete
// version and so is its .bak; what an interrupted save left is tidied away.
#include "dxf/document.h"
#include "base/byte_hash.h"
#include "test_files.h"
#include "dxf/internal.h"
#include "dxf/saved_file.h"
#include "gen_drawing.h"

#include <gtest/gtest.h>

#include <cctype>
#include <filesystem>
#include <fstream>
#include <functional>
#include <set>
#include <sstream>
#include <vector>

#ifndef _WIN32
#include <csignal>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/mount.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>
#endif

namespace fs = std::filesystem;
using namespace lumo::dxf;

namespace {

using lumo::test::readAll;
using lumo::test::writeAll;
#ifndef _WIN32
using lumo::test::inChild;
#endif

std::set<std::string> namesIn(const fs::path& folder)
{
    std::set<std::string> names;
    for (const auto& entry : fs::directory_iterator(folder))
        names.insert(entry.path().filename().string());
    return names;
}

// An empty folder of its own for a test.
fs::path freshFolder(const std::string& name)
{
    const fs::path folder = fs::temp_directory_path()
        / ("lumo-dxf-save-" + name + "-" + std::to_string(::testing::UnitTest::GetInstance()->random_seed()));
    fs::remove_all(folder);
    fs::create_directories(folder);
    return folder;
}

// A city section of some size, its version told apart by a text.
Document version(int entities, const std::string& mark)
{
    Document d = Document::fromMemory(lumo::gen::generateCitySection({"AC1032", entities, entities / 10}));
    d.addText(mark, {0, 0, 0}, 1);
    return d;
}

// The versions a test saves: v1 and v2 small, v3 large.
struct Versions {
    Document v1 = version(200, "v1"), v2 = version(200, "v2"), v3 = version(6000, "v3");
    std::string b1 = v1.toString(), b2 = v2.toString(), b3 = v3.toString();
};

#ifndef _WIN32

// A save's error code as an exit status: 0 for the one expected, 1 when it
// saved, 2 for another error.
int failsWith(const Document& d, const fs::path& path, std::errc expected)
{
    try {
        d.save(path.string());
        return 1;
    } catch (const SaveError& e) {
        return e.code() == expected ? 0 : 2;
    }
}

// A small memory-backed file system mounted for the test (root only).
class SmallDisk {
public:
    SmallDisk(const fs::path& folder, bool wanted) : folder_(folder)
    {
        mounted_ = wanted && ::geteuid() == 0 && ::mount("tmpfs", folder.c_str(), "tmpfs", 0, "size=2m") == 0;
    }
    ~SmallDisk()
    {
        if (mounted_)
            ::umount(folder_.c_str());
    }
    SmallDisk(const SmallDisk&) = delete;
    SmallDisk& operator=(const SmallDisk&) = delete;
    bool mounted() const { return mounted_; }

private:
    fs::path folder_;
    bool mounted_ = false;
};
#endif

// After v1 and v2 were saved, a save of v3 that fails keeps v2 as the
// drawing and a complete earlier version as .bak, with nothing else left
// in the folder; the next save then works as ever.
TEST(Save, AFailedSaveKeepsTheDrawingAndAComplete_bak)
{
#ifdef _WIN32
    GTEST_SKIP() << "the faults are injected with POSIX calls";
#else
    const Versions v;
    ASSERT_GT(v.b3.size(), std::size_t(3) << 20);
    struct Case {
        const char* what;
        std::errc expected;
        bool needsSmallDisk;
        std::function<int(const Document&, const fs::path&)> failingSave;
    } cases[] = {
        {"disk full", std::errc::no_space_on_device, true,
         [](const Document& d, const fs::path& plan) {
             return failsWith(d, plan, std::errc::no_space_on_device);
         }},
        {"file size limit", std::errc::file_too_large, false,
         [](const Document& d, const fs::path& plan) {
             return inChild([&] {
                 std::signal(SIGXFSZ, SIG_IGN);
                 const rlimit limit{rlim_t(1) << 20, rlim_t(1) << 20};
                 ::setrlimit(RLIMIT_FSIZE, &limit);
                 return failsWith(d, plan, std::errc::file_too_large);
             });
         }},
        {"folder gone", std::errc::no_such_file_or_directory, false,
         [](const Document& d, const fs::path& plan) {
             const fs::path away = plan.parent_path().string() + "-away";
             fs::rename(plan.parent_path(), away);
             const int status = failsWith(d, plan, std::errc::no_such_file_or_directory);
             const bool madeAgain = fs::exists(plan.parent_path());
             fs::rename(away, plan.parent_path());
             return madeAgain ? 3 : status;
         }},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        const fs::path folder = freshFolder("failed");
        const SmallDisk disk(folder, c.needsSmallDisk);
        if (c.needsSmallDisk && !disk.mounted()) {
            std::printf("[  SKIPPED ] %s: cannot mount a small file system (not root?)\n", c.what);
            continue;
        }
        const fs::path plan = folder / "plan.dxf";
        v.v1.save(plan.string());
        v.v2.save(plan.string());
        ASSERT_EQ(readAll(folder / "plan.dxf.bak"), v.b1);

        EXPECT_EQ(c.failingSave(v.v3, plan), 0) << "not the error expected";
        EXPECT_EQ(readAll(plan), v.b2);
        const std::string bak = readAll(folder / "plan.dxf.bak");
        EXPECT_TRUE(bak == v.b1 || bak == v.b2) << "the .bak is no complete earlier version";
        EXPECT_EQ(namesIn(folder), (std::set<std::string>{"plan.dxf", "plan.dxf.bak"}));

        v.v1.save(plan.string());
        EXPECT_EQ(readAll(plan), v.b1);
        EXPECT_EQ(readAll(folder / "plan.dxf.bak"), v.b2);
    }
#endif
}

// A save killed after any of its steps (or any stretch written) leaves the
// drawing as it was or as saved, and a complete earlier version as .bak;
// the next save removes what it left.
TEST(Save, AKillAtAnyStepLosesNoVersion)
{
#ifdef _WIN32
    GTEST_SKIP() << "the kills need fork()";
#else
    const Versions v;
    const fs::path folder = freshFolder("killed");
    const fs::path plan = folder / "plan.dxf";
    int steps = 0;
    for (int kill = 1; kill < 1000; ++kill) {
        SCOPED_TRACE("killed at step " + std::to_string(kill));
        fs::remove_all(folder);
        fs::create_directories(folder);
        writeAll(plan.string() + ".bak", v.b1);
        writeAll(plan, v.b2);
        const int status = inChild([&] {
            int step = 0;
            Access::save(v.v3, plan.string(), [&] {
                if (++step == kill)
                    std::raise(SIGKILL);
            });
            return 0;
        });
        if (status == 0) {
            EXPECT_EQ(readAll(plan), v.b3);
            steps = kill - 1;
            break;
        }
        ASSERT_EQ(status, 128 + SIGKILL);
        const std::string drawing = readAll(plan), bak = readAll(plan.string() + ".bak");
        EXPECT_TRUE(drawing == v.b2 || drawing == v.b3) << "the drawing is no complete version";
        EXPECT_TRUE(bak == v.b1 || bak == v.b2) << "the .bak is no complete earlier version";

        v.v1.save(plan.string());
        EXPECT_EQ(readAll(plan), v.b1);
        EXPECT_EQ(readAll(plan.string() + ".bak"), drawing);
        EXPECT_EQ(namesIn(folder), (std::set<std::string>{"plan.dxf", "plan.dxf.bak"}));
    }
    // the five steps on disk and several stretches of the large drawing
    EXPECT_GE(steps, 8);
#endif
}

// When the old .bak's storage cannot be had after all (its link gone before
// it was opened: another program tidied up), a new file is written.
TEST(Save, WithoutTheOld_bakStorageANewFileIsWritten)
{
    const fs::path folder = freshFolder("storage");
    const fs::path plan = folder / "plan.dxf";
    const Document v1 = version(200, "v1"), v2 = version(200, "v2");
    v1.save(plan.string());
    v2.save(plan.string());
    int step = 0;
    Access::save(v1, plan.string(), [&] {
        if (++step != 1)
            return;
        std::vector<fs::path> temporary;
        for (const auto& entry : fs::directory_iterator(folder))
            if (entry.path().filename().string().find(".lumo-save-") != std::string::npos)
                temporary.push_back(entry.path());
        ASSERT_EQ(temporary.size(), 1u);
        fs::remove(temporary[0]);
    });
    EXPECT_EQ(readAll(plan), v1.toString());
    EXPECT_EQ(readAll(folder / "plan.dxf.bak"), v2.toString());
    EXPECT_EQ(namesIn(folder), (std::set<std::string>{"plan.dxf", "plan.dxf.bak"}));
}

// The digit after the first decimal point at or after `at` becomes another
// (bytes: a drawing's text, which stays a drawing).
std::string otherDigit(std::string bytes, std::size_t at)
{
    for (at = bytes.find('.', at); at + 1 < bytes.size(); at = bytes.find('.', at + 1))
        if (std::isdigit(static_cast<unsigned char>(bytes[at + 1]))) {
            bytes[at + 1] = bytes[at + 1] == '9' ? '0' : char(bytes[at + 1] + 1);
            return bytes;
        }
    ADD_FAILURE() << "no number after " << at;
    return bytes;
}

// A save over the storage of the old .bak writes only what differs from
// what that storage holds; whatever it held, the drawing is then exactly
// the version saved, and the save says its size and hash.
TEST(Save, OverTheOld_bakStorageTheDrawingIsExactlyTheVersionSaved)
{
    const Versions v;
    const std::string saved = v.b3;
    ASSERT_GT(saved.size(), std::size_t(3) << 20); // several pieces compared
    struct Case {
        const char* what;
        std::string held; // by the old .bak's storage
    } cases[] = {
        {"the same", saved},
        {"one digit other near the start", otherDigit(saved, saved.size() / 10)},
        {"one digit other near the end", otherDigit(saved, saved.size() - 4000)},
        {"a digit more near the start",
         [&] {
             std::string held = saved;
             held.insert(held.find('.', held.size() / 10) + 1, "7");
             return held;
         }()},
        {"a digit less in the middle",
         [&] {
             std::string held = saved;
             held.erase(held.find('.', held.size() / 2) + 1, 1);
             return held;
         }()},
        {"a much smaller drawing", v.b1},
    };
    const fs::path folder = freshFolder("storage-held");
    const fs::path plan = folder / "plan.dxf";
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        fs::remove_all(folder);
        fs::create_directories(folder);
        Document::fromMemory(c.held).save(plan.string());
        v.v2.save(plan.string());
        const SavedFile written = SaveAndTell(v.v3, plan.string());
        EXPECT_TRUE(readAll(plan) == saved) << "not the version saved";
        EXPECT_EQ(readAll(folder / "plan.dxf.bak"), v.b2);
        EXPECT_EQ(written.size, saved.size());
        EXPECT_EQ(written.hash, lumo::base::HashBytes(saved.data(), saved.size()));
        EXPECT_EQ(written.modified, fs::last_write_time(plan));
    }
}

// Only the temporary files of a save of this drawing go, and not one that a
// save under way still writes.
TEST(Save, WhatAnInterruptedSaveLeftIsRemovedAndNothingElse)
{
    const fs::path folder = freshFolder("leftovers");
    const fs::path plan = folder / "plan.dxf";
    const std::set<std::string> ours = {"plan.dxf.lumo-save-0123456789abcdef.tmp", "plan.dxf.lumo-save-7.tmp",
                                        "plan.dxf.tmp123456", "plan.dxf.tmp1"};
    const std::set<std::string> others = {"plan.dxf.tmp1234567",
                                          "plan.dxf.tmp-kopia",
                                          "plan.dxf.lumo-save-notatki.tmp",
                                          "plan.dxf.lumo-save-1.txt",
                                          "inny.dxf.lumo-save-0000000000000001.tmp",
                                          "plan.dxf.bak",
                                          "plan.dxf.lumo-save-0123456789ABCDEF.tmp"};
    for (const bool bySaving : {true, false}) {
        SCOPED_TRACE(bySaving ? "saving" : "opening");
        fs::remove_all(folder);
        fs::create_directories(folder);
        Document::create("AC1032").save(plan.string());
        for (const auto& name : ours)
            writeAll(folder / name, "partly written");
        for (const auto& name : others)
            writeAll(folder / name, "someone's");
        fs::create_directory(folder / "plan.dxf.lumo-save-00000000000000aa.tmp");
        std::set<std::string> expected = others;
        expected.insert({"plan.dxf", "plan.dxf.lumo-save-00000000000000aa.tmp"});
#ifndef _WIN32
        // a save under way (another program's) holds its file locked
        const fs::path underWay = folder / "plan.dxf.lumo-save-00000000000000bb.tmp";
        writeAll(underWay, "being written");
        const int fd = ::open(underWay.c_str(), O_RDONLY);
        ASSERT_EQ(::flock(fd, LOCK_EX), 0);
        expected.insert(underWay.filename().string());
#endif
        if (bySaving)
            Document::create("AC1032").save(plan.string());
        else
            RemoveSaveLeftovers(plan.string());
#ifndef _WIN32
        ::close(fd);
#endif
        EXPECT_EQ(namesIn(folder), expected);
        EXPECT_EQ(readAll(folder / "inny.dxf.lumo-save-0000000000000001.tmp"), "someone's");
    }
}

#ifndef _WIN32
// A drawing opened through a link (to a shared project folder, say) is saved
// into the file the link points at: the link stays a link, and the .bak lies
// beside the file it backs up.
TEST(Save, ADrawingReachedByALinkStaysALink)
{
    const fs::path folder = freshFolder("link");
    fs::create_directories(folder / "projekt");
    const fs::path plan = folder / "projekt" / "plan.dxf";
    const fs::path link = folder / "plan.dxf";
    Versions v;
    v.v1.save(plan.string());
    fs::create_symlink(fs::path("projekt") / "plan.dxf", link);
    v.v2.save(link.string());
    EXPECT_TRUE(fs::is_symlink(link));
    EXPECT_TRUE(readAll(plan) == v.b2);
    EXPECT_TRUE(readAll(folder / "projekt" / "plan.dxf.bak") == v.b1);
    EXPECT_EQ(namesIn(folder), (std::set<std::string>{"plan.dxf", "projekt"}));
}
#endif

} // namespace
