// The embedded host: the contract suite, what only it can show (a command
// caught while it waits), and its drawings on disk.
#include "host_contract.h"

#include "cad/drawing.h"
#include "cad/embedded/embedded_host.h"
#include "dxf/document.h"
#include "test_files.h"
#include "test_drawings.h"

#include "cad/embedded/drawing_file.h"

#include <cmath>
#include <functional>
#include <filesystem>
#include <fstream>
#include <numbers>
#include <sstream>

#ifdef __linux__
#include <csignal>
#include <fcntl.h>
#include <linux/fs.h>
#include <sys/ioctl.h>
#include <sys/mount.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>
#endif

namespace fs = std::filesystem;

namespace lumo::cad::embedded {
namespace {

class EmbeddedFactory : public contract::HostFactory {
public:
    std::string name() const override { return "Embedded"; }
    std::unique_ptr<HostProvider> makeProvider(const contract::HostSetup& setup) override
    {
        return std::make_unique<EmbeddedHostProvider>([setup] {
            EmbeddedHostOptions options;
            if (!setup.drawing.empty())
                options.drawing = setup.drawing;
            std::string script;
            for (const auto& line : setup.input)
                script += line + "\n";
            options.input = std::make_shared<ScriptedInputSource>(ScriptedInputSource::parse(script));
            return options;
        });
    }
};

} // namespace
} // namespace lumo::cad::embedded

namespace lumo::cad::contract {
INSTANTIATE_TEST_SUITE_P(Embedded, HostContract,
                         ::testing::Values(std::make_shared<embedded::EmbeddedFactory>()), FactoryName);
}

namespace lumo::cad::embedded {
namespace {

using test::inChild;
using test::readAll;
using test::writeAll;

class EmbeddedHost : public ::testing::Test {
protected:
    void SetUp() override
    {
        folder = fs::temp_directory_path()
            / ("lumo-embedded-" + std::to_string(::testing::UnitTest::GetInstance()->random_seed()) + "-"
               + ::testing::UnitTest::GetInstance()->current_test_info()->name());
        fs::remove_all(folder);
        fs::create_directories(folder);
    }
    void TearDown() override
    {
        std::error_code ec;
        fs::remove_all(folder, ec);
    }

    // A new empty drawing on disk.
    fs::path emptyDrawing(const char* name)
    {
        const auto path = folder / name;
        dxf::Document::create("AC1032").save(path.string());
        return path;
    }

    // A corpus drawing to work on (a writable copy: the corpus may be read-only).
    fs::path copyOf(const char* corpusFile, const char* name)
    {
        const auto copy = folder / name;
        fs::copy_file(lumo::test::TestDrawing(corpusFile), copy);
        fs::permissions(copy, fs::perms::owner_read | fs::perms::owner_write, fs::perm_options::add);
        return copy;
    }

    std::shared_ptr<EmbeddedApplication>
    start(std::optional<fs::path> drawing, std::shared_ptr<InputSource> input = nullptr, bool offer = false)
    {
        EmbeddedHostOptions options;
        options.offerMissingDrawing = offer;
        if (drawing)
            options.drawing = drawing->string();
        options.configFolder = (folder / "config").string();
        options.input = std::move(input);
        options.report = [this](const std::string& title, const std::string& text, MessageIcon) {
            EXPECT_EQ(title, "LUMO_Sygnalizacja");
            reports.push_back(text);
        };
        return std::make_shared<EmbeddedApplication>(options);
    }

    HostSession sessionOf(const std::shared_ptr<EmbeddedApplication>& app)
    {
        HostSession session;
        session.app = app;
        session.state = app->getAcadState();
        EXPECT_TRUE(CheckActiveDocument(session, false));
        return session;
    }

    void defineBlock(HostSession& session, const std::string& name)
    {
        const auto file = folder / (name + ".dxf");
        auto drawing = dxf::Document::create("AC1032");
        drawing.addText("X", {0, 0, 0}, 1);
        drawing.save(file.string());
        session.modelSpace->insertBlock({0, 0, 0}, file.string(), 1, 1, 1, 0)->erase();
    }

    fs::path folder;
    std::vector<std::string> reports;
};

TEST_F(EmbeddedHost, WhileTheInsertWaitsTheHostIsBusyAndSaysWhy)
{
    auto designer = std::make_shared<QueuedInputSource>();
    auto app = start(emptyDrawing("plan.dxf"), designer);
    auto session = sessionOf(app);
    defineBlock(session, "S-3lp");
    const long before = session.modelSpace->count();

    session.doc->sendCommand("_-insert\rS-3lp\rS\r5\r");
    // Polled as the follow-up timer does: busy, prompt shown, nothing new.
    for (int tick = 0; tick < 3; ++tick) {
        EXPECT_FALSE(session.state->isQuiescent());
        EXPECT_EQ(session.doc->getVariable("LASTPROMPT"),
                  "Specify insertion point or [Basepoint/Scale/X/Y/Z/Rotate]:");
        EXPECT_EQ(session.modelSpace->count(), before);
    }
    ASSERT_TRUE(app->pendingInsert());
    EXPECT_EQ(app->pendingInsert()->blockName, "S-3lp");

    designer->push(InputAnswer::pointAt(5, 6));
    EXPECT_FALSE(session.state->isQuiescent());
    EXPECT_EQ(session.doc->getVariable("LASTPROMPT"), "Specify rotation angle <0>:");
    EXPECT_EQ(session.modelSpace->count(), before);

    designer->push(InputAnswer::angle(180));
    EXPECT_EQ(session.modelSpace->count(), before + 1); // counting moves it on too
    EXPECT_TRUE(session.state->isQuiescent());
    auto placed = session.modelSpace->item(before);
    EXPECT_NEAR(placed->rotation(), std::numbers::pi, 1e-9);
    EXPECT_EQ(placed->layer(), session.doc->activeLayer()->name());
}

TEST_F(EmbeddedHost, WithoutAnyInputSourceEveryRequestIsCancelled)
{
    auto app = start(emptyDrawing("plan.dxf"));
    auto session = sessionOf(app);
    defineBlock(session, "S-1");
    session.doc->sendCommand("_-insert\rS-1\rS\r5\r");
    EXPECT_TRUE(session.state->isQuiescent());
    EXPECT_NE(session.doc->getVariable("LASTPROMPT").find("*Cancel*"), std::string::npos);
    EXPECT_THROW(session.doc->utility()->getPoint("Wskaż ..."), HostError);
}

TEST_F(EmbeddedHost, SavingKeepsTheOldFileAsBakAndTheFilesPermissions)
{
    const auto plan = emptyDrawing("plan.dxf");
    fs::permissions(plan, fs::perms::owner_read | fs::perms::owner_write | fs::perms::group_read);
    const auto first = readAll(plan);
    {
        auto app = start(plan);
        auto session = sessionOf(app);
        SetDrawingProperty(session, "SKALA", "500");
        // The host never saves on its own; the program does at its end.
    }
    EXPECT_EQ(readAll(plan), first);
    {
        auto app = start(plan);
        auto session = sessionOf(app);
        SetDrawingProperty(session, "SKALA", "250");
        EXPECT_TRUE(app->save());
    }
    EXPECT_EQ(readAll(folder / "plan.dxf.bak"), first);
    EXPECT_EQ(fs::status(plan).permissions() & fs::perms::all,
              fs::perms::owner_read | fs::perms::owner_write | fs::perms::group_read);
    auto app = start(plan);
    auto session = sessionOf(app);
    EXPECT_EQ(GetDrawingProperty(session, "SKALA"), "250");
}

TEST_F(EmbeddedHost, AMissingDrawingIsReportedAndNothingIsMadeUnasked)
{
    const auto plan = folder / "brak" / "plan.dxf";
    {
        auto app = start(plan);
        EXPECT_EQ(app->documentsCount(), 0);
        EXPECT_EQ(app->missingDrawing(), fs::absolute(plan).string());
        ASSERT_EQ(reports.size(), 1u);
        EXPECT_EQ(reports[0], "Nie znaleziono rysunku: [" + fs::absolute(plan).string() + "]");
        EXPECT_TRUE(app->save());
    }
    EXPECT_FALSE(fs::exists(folder / "brak"));

    // Where a window offers to open or create it, that offer is the one word
    // about it, for a drawing given and for one remembered and gone since.
    for (const bool remembered : {false, true}) {
        reports.clear();
        if (remembered) {
            const auto other = emptyDrawing("gone.dxf");
            start(other);
            fs::remove(other);
        }
        auto app = remembered ? start(std::nullopt, nullptr, true) : start(plan, nullptr, true);
        EXPECT_EQ(app->documentsCount(), 0);
        EXPECT_EQ(app->missingDrawing(), fs::absolute(remembered ? folder / "gone.dxf" : plan).string());
        EXPECT_TRUE(reports.empty()) << reports.front();
    }
    auto forgotten = start(std::nullopt);
    EXPECT_TRUE(forgotten->missingDrawing().empty());
    EXPECT_TRUE(reports.empty());

    // Created on the designer's word, it is written once it holds something.
    auto app = start(plan);
    ASSERT_TRUE(app->create(plan.string()));
    EXPECT_TRUE(app->save());
    EXPECT_FALSE(fs::exists(plan));
    auto session = sessionOf(app);
    SetDrawingProperty(session, "SKALA", "500");
    EXPECT_TRUE(app->save());
    EXPECT_TRUE(fs::exists(plan));
}

// Where the drawing's file may not be written, the designer is asked where
// to save; nothing is ever lost silently and the file stays as it was.
TEST_F(EmbeddedHost, ADrawingThatCannotBeWrittenWhereItIsIsSavedElsewhere)
{
    struct Case {
        const char* what;
        std::function<void(const fs::path& plan)> spoil;
        std::string reason;
    } cases[] = {
        {"read-only",
         [](const fs::path& plan) { fs::permissions(plan, fs::perms::owner_read | fs::perms::group_read); },
         kReadOnlyReason},
        {"changed on disk",
         [](const fs::path& plan) {
             auto other = dxf::Document::load(plan.string());
             other.addText("cudza zmiana", {0, 0, 0}, 1);
             other.save(plan.string());
         },
         kChangedOnDiskReason},
        {"changed on disk, same size",
         [](const fs::path& plan) {
             auto bytes = readAll(plan);
             bytes[bytes.find("AC1032")] = 'X';
             writeAll(plan, bytes);
         },
         kChangedOnDiskReason},
        {"folder gone",
         [](const fs::path& plan) {
             fs::remove_all(plan.parent_path());
             writeAll(plan.parent_path(), "a file where the folder was");
         },
         "Folder rysunku nie istnieje."},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        fs::create_directories(folder / c.what);
        const auto plan = folder / c.what / "plan.dxf";
        dxf::Document::create("AC1032").save(plan.string());
        auto app = start(plan);
        std::vector<std::string> asked;
        const auto elsewhere = folder / (std::string(c.what) + "-inny.dxf");
        bool giveUp = true;
        app->setAskSaveAs(
            [&](const std::string& path, const std::string& reason) -> std::optional<std::string> {
                asked.push_back(reason);
                EXPECT_EQ(path, fs::absolute(plan).string());
                if (giveUp)
                    return std::nullopt;
                return elsewhere.string();
            });
        auto session = sessionOf(app);
        SetDrawingProperty(session, "SKALA", "500");
        c.spoil(plan);
        const auto spoilt = fs::is_regular_file(plan) ? readAll(plan) : std::string();

        // Kept unsaved on the designer's word: still open, still changed.
        EXPECT_FALSE(app->save());
        ASSERT_EQ(asked.size(), 1u);
        EXPECT_NE(asked[0].find(c.reason), std::string::npos) << asked[0];
        EXPECT_TRUE(app->modified());

        // Opening another drawing then keeps this one with its changes.
        const auto other = emptyDrawing((std::string(c.what) + "-drugi.dxf").c_str());
        EXPECT_FALSE(app->open(other.string()));
        EXPECT_EQ(app->drawingPath(), fs::absolute(plan).string());
        EXPECT_EQ(asked.size(), 2u);

        giveUp = false;
        EXPECT_TRUE(app->save());
        EXPECT_EQ(app->drawingPath(), elsewhere.string());
        EXPECT_EQ(GetDrawingProperty(session, "SKALA"), "500");
        EXPECT_NE(readAll(elsewhere).find("SKALA"), std::string::npos);
        if (!spoilt.empty()) {
            EXPECT_EQ(readAll(plan), spoilt);
        }
    }
}

TEST_F(EmbeddedHost, WithNobodyToAskTheDrawingIsSavedBesideItsFile)
{
    const auto plan = emptyDrawing("plan.dxf");
    writeAll(folder / "plan-1.dxf", "taken");
    auto app = start(plan);
    auto session = sessionOf(app);
    SetDrawingProperty(session, "SKALA", "500");
    fs::permissions(plan, fs::perms::owner_read);
    EXPECT_TRUE(app->save());
    EXPECT_EQ(app->drawingPath(), (folder / "plan-2.dxf").string());
    ASSERT_EQ(reports.size(), 1u);
    EXPECT_NE(reports[0].find(kReadOnlyReason), std::string::npos);
    EXPECT_NE(reports[0].find("plan-2.dxf"), std::string::npos);
    EXPECT_EQ(readAll(folder / "plan-1.dxf"), "taken");
}

#ifdef __linux__

// Makes a folder take no new entries (the immutable attribute: root ignores
// permission bits), or takes that back; false when it cannot.
bool setImmutable(const fs::path& dir, bool on)
{
    const int fd = ::open(dir.c_str(), O_RDONLY | O_DIRECTORY);
    if (fd < 0)
        return false;
    int flags = 0;
    bool done = ::ioctl(fd, FS_IOC_GETFLAGS, &flags) == 0;
    flags = on ? flags | FS_IMMUTABLE_FL : flags & ~FS_IMMUTABLE_FL;
    done = done && ::ioctl(fd, FS_IOC_SETFLAGS, &flags) == 0;
    ::close(fd);
    return done;
}
#endif

// A save that fails with nobody to ask says which drawing, why (in Polish)
// and that the changes were not saved; the drawing stays open and changed,
// its file as it was.
TEST_F(EmbeddedHost, AFailedSaveSaysWhichDrawingWhyAndThatTheChangesWereNotSaved)
{
#ifndef __linux__
    GTEST_SKIP() << "the faults are injected with Linux calls";
#else
    const auto nothing = [](const fs::path&) { return true; };
    struct Case {
        const char* what;
        std::string reason;
        std::function<bool(const fs::path&dir)> before, spoil, mend;
        bool limitFileSize = false;
    } cases[] = {
        {"folder gone", "Folder rysunku nie istnieje.", nothing,
         [](const fs::path& dir) {
             fs::remove_all(dir);
             writeAll(dir, "a file where the folder was");
             return true;
         },
         [](const fs::path& dir) { return fs::remove(dir) && fs::create_directory(dir); }},
        {"no rights", "Brak uprawnień do zapisu w folderze rysunku.", nothing,
         [](const fs::path& dir) {
             if (!setImmutable(dir, true))
                 fs::permissions(dir, fs::perms::owner_read | fs::perms::owner_exec);
             // (neither stops root on some file systems)
             std::ofstream probe(dir / "probe");
             return !probe.is_open();
         },
         [](const fs::path& dir) {
             setImmutable(dir, false);
             fs::permissions(dir, fs::perms::owner_all);
             return true;
         }},
        {"disk full", "Brak miejsca na dysku.",
         [](const fs::path& dir) {
             return ::geteuid() == 0 && ::mount("tmpfs", dir.c_str(), "tmpfs", 0, "size=1m") == 0;
         },
         [](const fs::path& dir) {
             std::ofstream filler(dir / "filler", std::ios::binary);
             const std::string block(4096, 'x');
             while (filler.write(block.data(), block.size()) && filler.flush()) { }
             return true;
         },
         [](const fs::path& dir) { return fs::remove(dir / "filler"); }},
        {"file size limit", "Plik jest za duży", nothing, nothing, nothing, true},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        const fs::path dir = folder / c.what;
        fs::create_directories(dir);
        if (!c.before(dir)) {
            std::printf("[  SKIPPED ] %s: cannot be made here (not root?)\n", c.what);
            continue;
        }
        const fs::path plan = dir / "plan.dxf";
        dxf::Document::create("AC1032").save(plan.string());
        const std::string before = readAll(plan);
        reports.clear();
        auto app = start(plan);
        auto session = sessionOf(app);
        SetDrawingProperty(session, "SKALA", "500");
        const auto saveFailsAsItShould = [&] {
            return !app->save() && app->modified() && reports.size() == 1
                && reports[0].find("[" + plan.string() + "]") != std::string::npos
                && reports[0].find(c.reason) != std::string::npos
                && reports[0].find(kNotSavedNote) != std::string::npos;
        };
        if (!c.spoil(dir)) {
            std::printf("[  SKIPPED ] %s: cannot be made here (not root?)\n", c.what);
        } else if (c.limitFileSize) {
            const auto limit = static_cast<rlim_t>(before.size() / 2);
            EXPECT_EQ(inChild([&] {
                          std::signal(SIGXFSZ, SIG_IGN);
                          const rlimit limits{limit, limit};
                          ::setrlimit(RLIMIT_FSIZE, &limits);
                          return saveFailsAsItShould() ? 0 : 1;
                      }),
                      0);
        } else {
            EXPECT_TRUE(saveFailsAsItShould()) << (reports.empty() ? "no report" : reports[0]);
        }
        EXPECT_TRUE(c.mend(dir));
        if (fs::is_regular_file(plan)) {
            EXPECT_EQ(readAll(plan), before);
        }
        if (std::string(c.what) == "disk full")
            ::umount(dir.c_str());
    }
#endif
}

// A drawing only read, or given values it already holds, is not rewritten.
TEST_F(EmbeddedHost, WritesThatChangeNothingLeaveTheDrawingUnchanged)
{
    const auto plan = copyOf("r2013_ezdxf_written_attribs__ezdxf_multi_insert_with_attribs.dxf", "plan.dxf");
    const auto original = readAll(plan);
    {
        auto app = start(plan);
        auto session = sessionOf(app);
        EXPECT_EQ(GetDrawingProperty(session, "SKALA"), "");
        EXPECT_TRUE(session.state->isQuiescent());
    }
    EXPECT_EQ(readAll(plan), original);
    EXPECT_FALSE(fs::exists(folder / "plan.dxf.bak"));
    {
        auto app = start(plan);
        auto session = sessionOf(app);
        SetDrawingProperty(session, "SKALA", "500");
        EnsureLayer(session, "110-SYGNALIZACJA_KOMORY", true);
        EXPECT_TRUE(app->save());
    }
    const auto saved = readAll(plan);
    auto app = start(plan);
    auto session = sessionOf(app);
    SetDrawingProperty(session, "SKALA", "500");
    EnsureLayer(session, "110-SYGNALIZACJA_KOMORY", true);
    session.doc->setActiveLayer(session.doc->activeLayer());
    EXPECT_FALSE(app->modified());
    EXPECT_TRUE(app->save());
    EXPECT_EQ(readAll(plan), saved);
}

TEST_F(EmbeddedHost, AnUnreadableDrawingIsReportedAndNeverOverwritten)
{
    struct Case {
        const char* what;
        std::string bytes;
        bool mustRefuse;
    } cases[] = {
        {"truncated",
         readAll(lumo::test::TestDrawing("r2013_ezdxf_written_attribs__ezdxf_multi_insert_with_attribs.dxf"))
             .substr(0, 9000),
         false},
        {"binary", readAll(lumo::test::TestDrawing("r2000_BINARY_acad__ACadSharp_sample_AC1015_binary.dxf")),
         true},
        {"garbage", "0\nSECTION\n2\nHEADER\n9\n$ACADVER\nnot a group code\n", true},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        const auto plan = folder / (std::string(c.what) + ".dxf");
        writeAll(plan, c.bytes);
        reports.clear();
        bool opened = true;
        {
            auto app = start(plan);
            opened = app->documentsCount() > 0;
            HostSession session;
            session.app = app;
            EXPECT_FALSE(CheckActiveDocument(session, false) && opened);
            app->saveIfChanged();
        }
        EXPECT_FALSE(opened && c.mustRefuse);
        if (opened) {
            // The engine may read what it can recover; then nothing changed.
            EXPECT_TRUE(reports.empty());
        } else {
            ASSERT_EQ(reports.size(), 1u);
            EXPECT_NE(reports[0].find(plan.string()), std::string::npos) << reports[0];
            EXPECT_NE(reports[0].find("Nie można odczytać rysunku"), std::string::npos);
        }
        EXPECT_EQ(readAll(plan), c.bytes);
        EXPECT_FALSE(fs::exists(plan.string() + ".bak"));
    }
}

TEST_F(EmbeddedHost, GivingUpWhileADrawingOpensKeepsTheOneOpenBefore)
{
    const auto first = emptyDrawing("first.dxf");
    const auto second = emptyDrawing("second.dxf");
    auto app = start(first);
    for (const bool giveUp : {true, false}) {
        SCOPED_TRACE(giveUp ? "given up" : "waited for");
        std::vector<double> heard;
        app->setReadProgress([&](double done) {
            heard.push_back(done);
            return !giveUp;
        });
        EXPECT_EQ(app->open(second.string()), !giveUp);
        ASSERT_FALSE(heard.empty());
        EXPECT_EQ(heard.back(), giveUp ? 0.0 : 1.0);
        EXPECT_EQ(fs::path(app->drawingPath()), fs::absolute(giveUp ? first : second));
        EXPECT_TRUE(reports.empty()); // giving up needs no message
    }
}

TEST_F(EmbeddedHost, ReopensTheDrawingItHadLastTime)
{
    const auto plan = emptyDrawing("plan.dxf");
    {
        auto app = start(plan);
        sessionOf(app);
    }
    {
        auto app = start(std::nullopt);
        ASSERT_EQ(app->documentsCount(), 1);
        EXPECT_EQ(fs::path(app->drawingPath()), fs::absolute(plan));
        EXPECT_EQ(app->activeDocument()->name(), "plan.dxf");
    }
    fs::remove(plan);
    EXPECT_EQ(start(std::nullopt)->documentsCount(), 0); // gone: nothing is made up

    EmbeddedHostOptions nothing;
    EXPECT_EQ(EmbeddedApplication(nothing).documentsCount(), 0);
}

TEST_F(EmbeddedHost, PlacesAHeadInDrawingsOfEveryVersion)
{
    struct Case {
        const char* file; // a test drawing, or one written here from text
        bool holdsProperties; // R12 drawings have no place for them
        const char* text = nullptr;
    } cases[] = {
        // as other programs write them: a header only, entities only
        {"header-r12.dxf", false, "0\nSECTION\n2\nHEADER\n9\n$ACADVER\n1\nAC1009\n0\nENDSEC\n0\nEOF\n"},
        {"header-r2000.dxf", true, "0\nSECTION\n2\nHEADER\n9\n$ACADVER\n1\nAC1015\n0\nENDSEC\n0\nEOF\n"},
        {"header-r2018.dxf", true, "0\nSECTION\n2\nHEADER\n9\n$ACADVER\n1\nAC1032\n0\nENDSEC\n0\nEOF\n"},
        {"awkward_entities_only_trailing_spaces_noEOF__ezdxf_recover01.dxf", false},
        {"r12_acad_attribs__ACadSharp_sample_AC1009_ascii.dxf", false},
        {"r14_pl_cp1250_attribs__KreatorKoszy_GotoweKosze.dxf", true},
        {"r2000_acad_attribs_dwgprops__ACadSharp_sample_AC1015_ascii.dxf", true},
        {"r2004_acad_attribs__libredwg_example_2004.dxf", true},
        {"r2007_librecad_dxfrw_blocks__LibreCAD_Complete-Lib-V.dxf", true},
        {"r2013_bricscad_inserts__ezdxf_insert_bricscad_level_1.dxf", true},
        {"r2018_acad_attribs__libredwg_example_2018.dxf", true},
        {"r2018_netdxf_written_attribs__netDxf_sample.dxf", true},
    };
    std::string notFound;
    for (const auto& c : cases) {
        SCOPED_TRACE(c.file);
        if (c.text)
            std::ofstream(folder / c.file, std::ios::binary) << c.text;
        else if (lumo::test::TestDrawing(c.file).empty()) {
            notFound += std::string(" ") + c.file;
            continue;
        }
        const auto plan = c.text ? folder / c.file : copyOf(c.file, (std::string("v-") + c.file).c_str());
        long entities = 0;
        {
            auto app = start(plan,
                             std::make_shared<ScriptedInputSource>(std::vector<InputAnswer>{
                                 InputAnswer::pointAt(1, 2), InputAnswer::angle(90)}));
            auto session = sessionOf(app);
            entities = session.modelSpace->count();
            defineBlock(session, "S-3wp");
            AddBlockAttribute(*session.doc->blocks()->item("S-3wp"), "INWENT_NUMER", "", 0, 0);
            EnsureLayer(session, "110-SYGNALIZACJA_KOMORY", true);
            session.doc->sendCommand("_-insert\rS-3wp\rS\r5\r");
            ASSERT_TRUE(session.state->isQuiescent());
            ASSERT_EQ(session.modelSpace->count(), entities + 1);
            session.modelSpace->item(entities)->getAttributes().at(0)->setTextString("ŁÓDŹ-1");
            // the program finds what it placed by its handle, in every drawing
            const std::string handle = session.modelSpace->item(entities)->handle();
            ASSERT_FALSE(handle.empty());
            EXPECT_EQ(session.doc->handleToObject(handle)->insertionPoint(), (Point3{1, 2, 0}));
            // An R12 drawing holds them while it is open, and the designer is
            // told once that its file will not.
            reports.clear();
            SetDrawingProperty(session, "ONUMERSKRZYZ", "987");
            SetDrawingProperty(session, "ONUMERSKRZYZ", "988");
            SetDrawingProperty(session, "OSTULICA", "Długa");
            EXPECT_EQ(GetDrawingProperty(session, "ONUMERSKRZYZ"), "988");
            EXPECT_EQ(GetDrawingProperty(session, "OSTULICA"), "Długa");
            EXPECT_EQ(reports.size(), c.holdsProperties ? 0u : 1u);
            if (!c.holdsProperties && !reports.empty()) {
                EXPECT_NE(reports[0].find("nie ma miejsca na właściwości rysunku"), std::string::npos)
                    << reports[0];
            }
            EXPECT_TRUE(app->save());
        }
        ASSERT_TRUE(fs::exists(plan.string() + ".bak"));
        auto app = start(plan);
        auto session = sessionOf(app);
        EXPECT_EQ(session.modelSpace->count(), entities + 1);
        const auto found = FindBlockByAttribute(session, "S-3WP", "INWENT", "ŁÓDŹ-1", "110-*");
        ASSERT_NE(found, "");
        EXPECT_EQ(session.doc->handleToObject(found)->insertionPoint(), (Point3{1, 2, 0}));
        EXPECT_EQ(GetDrawingProperty(session, "ONUMERSKRZYZ"), c.holdsProperties ? "988" : "");
    }
    EXPECT_TRUE(reports.empty());
    if (!notFound.empty())
        GTEST_SKIP() << "the other drawings passed; not found (the corpus is optional):" << notFound;
}

TEST_F(EmbeddedHost, TheInsertsRotationIsReadInTheDrawingsAngleUnits)
{
    const auto path = folder / "grady.dxf";
    auto drawing = dxf::Document::create("AC1015");
    drawing.setHeaderNumber("$AUNITS", 70, 2); // grads
    drawing.setHeaderNumber("$ANGDIR", 70, 1); // clockwise
    drawing.save(path.string());

    auto app = start(path);
    auto session = sessionOf(app);
    defineBlock(session, "S-1");
    session.doc->sendCommand("_-insert\rS-1\r_R\r50\r3,4\r");
    ASSERT_EQ(session.modelSpace->count(), 1);
    EXPECT_NEAR(
        std::remainder(session.modelSpace->item(0)->rotation() + std::numbers::pi / 4, 2 * std::numbers::pi),
        0.0, 1e-9);
}

TEST_F(EmbeddedHost, BlockFilesGivenAsWindowsPathsInAnyCase)
{
    fs::create_directories(folder / "aZasoby" / "Symbole");
    auto drawing = dxf::Document::create("AC1015");
    drawing.addText("P", {0, 0, 0}, 1);
    drawing.save((folder / "aZasoby" / "Symbole" / "sygnprzycisk.dxf").string());

    auto app = start(emptyDrawing("plan.dxf"));
    auto session = sessionOf(app);
    std::string windowsPath = (folder / "AZASOBY" / "symbole").string() + "\\SygnPrzycisk.dxf";
    session.modelSpace->insertBlock({0, 0, 0}, windowsPath, 1, 1, 1, 0);
    EXPECT_TRUE(BlockExists(session, "sygnprzycisk"));
    // Named after the path as given, as a host on Windows names it.
    EXPECT_EQ(session.doc->blocks()->item("sygnprzycisk")->name(), "SygnPrzycisk");
    EXPECT_THROW(session.modelSpace->insertBlock({0, 0, 0}, windowsPath + ".old", 1, 1, 1, 0), HostError);
}

} // namespace
} // namespace lumo::cad::embedded
