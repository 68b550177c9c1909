// Real drawings: every ASCII file comes back byte for byte; binary,
// truncated and broken input is refused with the line where reading stopped.
#include "dxf/document.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <sstream>

namespace fs = std::filesystem;
using lumo::dxf::Document;
using lumo::dxf::DxfError;

namespace {

std::string readFile(const fs::path& p)
{
    std::ifstream f(p, std::ios::binary);
    std::ostringstream s;
    s << f.rdbuf();
    return s.str();
}

std::vector<fs::path> corpusFiles()
{
    std::vector<fs::path> out;
    if (fs::is_directory(LUMO_DXF_CORPUS))
        for (const auto& e : fs::directory_iterator(LUMO_DXF_CORPUS))
            if (e.path().extension() == ".dxf")
                out.push_back(e.path());
    std::sort(out.begin(), out.end());
    return out;
}

} // namespace

TEST(DxfCorpus, EveryFileRoundTripsOrIsRefusedWithALine)
{
    auto files = corpusFiles();
    if (files.empty())
        GTEST_SKIP() << "corpus not found at " << LUMO_DXF_CORPUS;
    int roundTrips = 0;
    for (const fs::path& p : files) {
        SCOPED_TRACE(p.filename().string());
        std::string bytes = readFile(p);
        std::string name = p.filename().string();
        bool binary = name.find("BINARY") != std::string::npos;
        bool truncated = name.find("truncated") != std::string::npos;
        try {
            Document doc = Document::fromMemory(bytes);
            EXPECT_FALSE(binary || truncated) << "accepted a drawing that cannot be read whole";
            EXPECT_EQ(doc.toString(), bytes);
            ++roundTrips;
        } catch (const DxfError& e) {
            EXPECT_TRUE(binary || truncated) << e.what();
            EXPECT_GT(e.line(), 0u);
            if (binary) {
                EXPECT_NE(std::string(e.what()).find("binary"), std::string::npos);
            }
        }
    }
    EXPECT_GE(roundTrips, 18);
}

TEST(DxfCorpus, ReadsWhatTheDrawingsHold)
{
    if (corpusFiles().empty())
        GTEST_SKIP() << "corpus not found at " << LUMO_DXF_CORPUS;
    struct Case {
        const char* file;
        const char* version;
        const char* codePage;
        std::size_t minInserts;
        const char* someLayer;
    };
    const Case cases[] = {
        {"r12_acad_attribs__ACadSharp_sample_AC1009_ascii.dxf", "AC1009", "ANSI_1252", 45, "0"},
        {"r14_pl_cp1250_attribs__KreatorKoszy_GotoweKosze.dxf", "AC1014", "ANSI_1250", 538, "__sol-opisy"},
        {"r2004_acad_attribs__libredwg_example_2004.dxf", "AC1018", "ANSI_1252", 10, "TAVOLO 2"},
        {"r2018_acad_attribs__libredwg_example_2018.dxf", "AC1032", "ANSI_1252", 10, "Tavolo 3"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.file);
        Document doc = Document::load(std::string(LUMO_DXF_CORPUS) + "/" + c.file);
        EXPECT_EQ(doc.version(), c.version);
        EXPECT_EQ(doc.codePage(), c.codePage);
        std::size_t inserts = 0;
        for (const auto& e : doc.modelSpace()) {
            EXPECT_FALSE(e.typeName().empty());
            if (e.isBlockReference()) {
                ++inserts;
                auto ref = e.asBlockReference();
                EXPECT_TRUE(doc.findBlock(ref.blockName())) << ref.blockName();
            }
        }
        EXPECT_EQ(inserts, c.minInserts);
        EXPECT_TRUE(doc.findLayer(c.someLayer));
    }
    // Polish attribute values of a cp1250 drawing arrive as UTF-8.
    Document pl = Document::load(std::string(LUMO_DXF_CORPUS)
                                 + "/r14_pl_cp1250_attribs__KreatorKoszy_GotoweKosze.dxf");
    bool polish = false;
    for (const auto& b : pl.blocks())
        for (const auto& a : b.attributeDefinitions())
            polish = polish || a.prompt().find("\xC5") != std::string::npos
                || a.prompt().find("\xC4") != std::string::npos;
    EXPECT_TRUE(polish);
}

TEST(DxfReader, MalformedInputIsRefusedWithTheLine)
{
    struct Case {
        const char* what;
        std::string text;
        std::size_t line;
    };
    const std::string head = "  0\nSECTION\n  2\nENTITIES\n";
    const Case cases[] = {
        {"empty", "", 1},
        {"binary", std::string("AutoCAD Binary DXF\r\n\x1a\0", 22) + "junk", 1},
        {"code not a number", head + "abc\nLINE\n", 5},
        {"code with junk", head + " 8x\n0\n", 5},
        {"value missing", head + "  0\nLINE\n  8", 7},
        {"no ENDSEC", head + "  0\nLINE\n  8\n0\n", 8},
        {"section without name", "  0\nSECTION\n  8\nX\n", 3},
        {"nested section", head + "  0\nSECTION\n  2\nX\n", 5},
        {"EOF inside a section", head + "  0\nEOF\n", 5},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        try {
            Document::fromMemory(c.text);
            ADD_FAILURE() << "accepted";
        } catch (const DxfError& e) {
            EXPECT_EQ(e.line(), c.line) << e.what();
            EXPECT_FALSE(e.reason().empty());
        }
    }
}

TEST(DxfReader, AFileCutShortIsIncomplete)
{
    const std::string whole = "  0\nSECTION\n  2\nENTITIES\n  0\nLINE\n  8\n0\n  0\nENDSEC\n  0\nEOF\n";
    struct Case {
        std::size_t keep; // bytes of `whole` left
        std::size_t line;
    };
    const Case cases[] = {
        {whole.size() - 2, 12}, // "  0\nEO"
        {whole.size() - 4, 12}, // "  0\n"
        {whole.size() - 6, 11}, // in the blanks of the last code line
        {whole.find("  0\nENDSEC") + 2, 9}, // in the blanks of ENDSEC's code line
        {whole.find("  2") + 1, 3}, // in the code line of the section's name
        {whole.find("ENDSEC") + 2, 10}, // inside ENDSEC
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(whole.substr(0, c.keep));
        try {
            Document::fromMemory(whole.substr(0, c.keep));
            ADD_FAILURE() << "accepted";
        } catch (const DxfError& e) {
            EXPECT_EQ(e.line(), c.line) << e.what();
            EXPECT_NE(e.reason().find("incomplete"), std::string::npos) << e.what();
        }
    }
}

TEST(DxfReader, UnknownCodePagesReadWithAWarning)
{
    struct Case {
        const char* version;
        const char* codePage;
        bool warned;
    };
    const Case cases[] = {
        {"AC1015", "ANSI_9999", true},
        {"AC1015", "garbage", true},
        {"AC1015", "ANSI_12345678901234", true}, // once threw std::out_of_range
        {"AC1032", "ANSI_12345678901234", false}, // UTF-8: the code page is not used
        {"AC1015", "ANSI_1250", false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.codePage);
        const std::string text = std::string("  0\nSECTION\n  2\nHEADER\n  9\n$ACADVER\n  1\n") + c.version
            + "\n  9\n$DWGCODEPAGE\n  3\n" + c.codePage
            + "\n  0\nENDSEC\n  0\nSECTION\n  2\nENTITIES\n  0\nTEXT\n  1\nZ\xBF\n  0\nENDSEC\n  0\nEOF\n";
        Document doc = Document::fromMemory(text);
        EXPECT_EQ(doc.toString(), text);
        EXPECT_EQ(!doc.warnings().empty(), c.warned);
        // new text must survive whatever the page: escapes where unknown
        doc.modelSpace().at(0).asText().setValue("Łódź");
        EXPECT_EQ(Document::fromMemory(doc.toString()).modelSpace().at(0).asText().value(), "Łódź");
    }
}

TEST(DxfReader, EscapedTableNamesAreReported)
{
    Document doc = Document::create("AC1015");
    EXPECT_TRUE(doc.warnings().empty());
    doc.addLayer("Sygnały"); // not in cp1252: written as an escape
    auto warnings = doc.warnings();
    ASSERT_EQ(warnings.size(), 1u);
    EXPECT_NE(warnings[0].find("LAYER"), std::string::npos) << warnings[0];
}

TEST(DxfReader, InputsThatOnceBrokeTheReaderAreReadOrRefused)
{
    std::size_t files = 0;
    for (const auto& e : fs::directory_iterator(LUMO_DXF_REGRESSIONS)) {
        SCOPED_TRACE(e.path().filename().string());
        ++files;
        std::string bytes = readFile(e.path());
        try {
            EXPECT_EQ(Document::fromMemory(bytes).toString(), bytes);
        } catch (const DxfError& err) {
            EXPECT_GT(err.line(), 0u) << err.what();
        }
    }
    EXPECT_GT(files, 0u);
}

TEST(DxfReader, AwkwardButCompleteInputRoundTrips)
{
    const std::string cases[] = {
        "  0\nSECTION\n  2\nENTITIES\n  0\nENDSEC\n  0\nEOF\n",
        "  0\r\nSECTION\r\n  2\r\nENTITIES\r\n  0\r\nENDSEC\r\n  0\r\nEOF", // no final line end
        "999\nmade by hand\n0\nSECTION\n2\nENTITIES\n0\nENDSEC\n0\nEOF\n\n\n", // comment, blank tail
        "\xEF\xBB\xBF  0\nSECTION\n  2\nENTITIES\n  0\nENDSEC\n  0\nEOF\n", // byte-order mark
        "  0\nSECTION\n  2\nENTITIES\n  0\nLINE\n  8\n0 \n  0\nENDSEC\n", // no EOF
        "  0\nEOF\ntrailing bytes after EOF\x1a",
        // a record between a POLYLINE and its vertices (found by fuzzing)
        "  0\nSECTION\n  2\nHEADER\n  0\nPOLYLINE\n  9\n0\n  0\nVERTEX\n  0\nSEQEND\n  0\nENDSEC\n  0\nEOF\n",
        // a code no version has, beyond 16 bits
        "  0\nSECTION\n  2\nENTITIES\n  0\nLINE\n1234567\nx\n  0\nENDSEC\n  0\nEOF\n",
    };
    for (const std::string& text : cases) {
        SCOPED_TRACE(text);
        Document doc = Document::fromMemory(text);
        EXPECT_EQ(doc.toString(), text);
    }
    Document wide = Document::fromMemory(cases[std::size(cases) - 1]);
    EXPECT_EQ(wide.modelSpace().at(0).group(1).code, 1234567);
}

TEST(DxfReader, AddedRecordsLandInsideAnOddlyEndedFile)
{
    struct Case {
        const char* what;
        std::string text;
        std::string tail; // what the written file still ends with
    } cases[] = {
        {"no final line end, no EOF", "  0\nSECTION\n  2\nENTITIES\n  0\nENDSEC", ""},
        {"stray records, bytes after EOF", "  0\nSTRAY\n  8\n0\n  0\nEOF\n  0\nSECTION\n",
         "EOF\n  0\nSECTION\n"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        Document doc = Document::fromMemory(c.text);
        doc.setHeaderText("$ACADVER", 1, "AC1009");
        doc.addText("a", {}, 1.0);
        const std::string out = doc.toString();
        Document back = Document::fromMemory(out);
        EXPECT_EQ(back.version(), "AC1009");
        ASSERT_EQ(back.modelSpaceCount(), 1u);
        EXPECT_EQ(back.modelSpace().at(0).asText().value(), "a");
        EXPECT_EQ(out.substr(out.size() - c.tail.size()), c.tail);
    }
}

TEST(DxfFile, SaveReplacesAtomicallyAndKeepsABackup)
{
    fs::path dir = fs::temp_directory_path()
        / ("lumo-dxf-save-" + std::to_string(::testing::UnitTest::GetInstance()->random_seed()));
    fs::remove_all(dir);
    fs::create_directories(dir);
    std::string target = (dir / "rysunek.dxf").string();
    Document a = Document::create("AC1015");
    a.save(target);
    EXPECT_FALSE(fs::exists(target + ".bak"));
    std::string first = readFile(target);
    a.addLayer("Nowa warstwa");
    a.save(target);
    EXPECT_EQ(readFile(target + ".bak"), first);
    EXPECT_TRUE(Document::load(target).findLayer("NOWA WARSTWA"));
    // Saved over the storage of older backups, larger and smaller ones: the
    // file is the drawing, the backup the one before.
    std::string previous = readFile(target);
    for (const std::size_t length : {400000, 20, 0, 150000}) {
        Document text = Document::create("AC1015");
        text.addText(std::string(length, 'x'), {0, 0, 0}, 1);
        text.save(target);
        EXPECT_EQ(readFile(target), text.toString()) << length;
        EXPECT_EQ(readFile(target + ".bak"), previous) << length;
        previous = readFile(target);
    }
    std::size_t files = 0;
    for ([[maybe_unused]] const auto& e : fs::directory_iterator(dir))
        ++files;
    EXPECT_EQ(files, 2u) << "a temporary file was left behind";
    EXPECT_THROW(Document::load((dir / "missing.dxf").string()), DxfError);
    try {
        Document::load(dir.string());
        ADD_FAILURE() << "a folder was read as a drawing";
    } catch (const DxfError& e) {
        EXPECT_NE(std::string(e.what()).find("is a folder, not a drawing"), std::string::npos) << e.what();
    }
    EXPECT_THROW(a.save((dir / "no-such-folder" / "x.dxf").string()), DxfError);
    fs::remove_all(dir);
}
