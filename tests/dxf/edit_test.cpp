// Edits on real drawings of several versions: what is added reads back, what
// was not touched stays byte for byte, and independent readers accept it.
#include "dxf/document.h"
#include "dxf/internal.h"
#include "gen_drawing.h"
#include "test_drawings.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <functional>
#include <map>
#include <set>
#include <sstream>

#ifndef _WIN32
#include <unistd.h>
#endif

namespace fs = std::filesystem;
using namespace lumo::dxf;

namespace {

const char* const kPolish = "Zażółć gęślą jaźń ŁÓDŹ";

// kPolish as a cp1252 drawing holds it; Python shows each backslash twice.
std::string escapedPolish(bool python)
{
    std::string bs = python ? "\\\\" : "\\";
    return "Za" + bs + "U+017C\xC3\xB3" + bs + "U+0142" + bs + "U+0107 g" + bs + "U+0119" + bs + "U+015Bl"
        + bs + "U+0105 ja" + bs + "U+017A" + bs + "U+0144 " + bs
        + "U+0141\xC3\x93"
          "D"
        + bs + "U+0179";
}

#ifdef _WIN32
// The independent readers run on the development machines, not under Wine.
std::string run(const std::string&)
{
    return {};
}
bool have(const char*)
{
    return false;
}
int processId()
{
    return 0;
}
#else
int processId()
{
    return static_cast<int>(::getpid());
}

std::string run(const std::string& cmd)
{
    std::string out;
    if (FILE* p = popen(cmd.c_str(), "r")) {
        char b[4096];
        std::size_t n;
        while ((n = fread(b, 1, sizeof b, p)) > 0)
            out.append(b, n);
        pclose(p);
    }
    return out;
}

bool have(const char* probe)
{
    return std::system((std::string(probe) + " >/dev/null 2>&1").c_str()) == 0;
}
#endif

fs::path tempDir(const std::string& name)
{
    fs::path d = fs::temp_directory_path() / ("lumo-dxf-" + name + "-" + std::to_string(processId()));
    fs::create_directories(d);
    return d;
}

// A block file as a designer would draw it: geometry on its own layer, a
// nested block, and attribute definitions. The layer name stays within
// every code page: another reader refuses \U+ escapes in names of INSERT layers.
Document makeBlockFile(const std::string& version)
{
    Document b = Document::create(version);
    b.setHeaderPoint("$INSBASE", {1.0, 2.0, 0.0});
    b.addLayer("Sygnaly", 3);
    b.addTextStyle("Opis", 0.0, "arial.ttf");
    Block nested = b.addBlock("Zarowka");
    (void)nested;
    b.addEntity(
        "LINE", "Sygnaly",
        {{100, "AcDbLine"}, {10, "0.0"}, {20, "0.0"}, {30, "0.0"}, {11, "2.0"}, {21, "5.0"}, {31, "0.0"}});
    b.addEntity("CIRCLE", "Sygnaly",
                {{100, "AcDbCircle"}, {10, "1.0"}, {20, "4.0"}, {30, "0.0"}, {40, "0.5"}});
    b.addBlockReference("Zarowka", {1.0, 1.0, 0.0}, 1.0, 0.0, "Sygnaly");
    NewAttributeDefinition s;
    s.tag = "NUMER";
    s.prompt = "Numer sygnalizatora";
    s.defaultValue = "S-1";
    s.point = {3.0, 2.0, 0.0};
    s.style = "Opis";
    b.addAttributeDefinition(s);
    s.tag = "TYP";
    s.prompt = "Typ głowicy";
    s.defaultValue = "żółty";
    s.point = {3.0, 0.0, 0.0};
    s.flags = kAttInvisible;
    b.addAttributeDefinition(s);
    return Document::fromMemory(b.toString());
}

struct Snapshot {
    std::map<std::string, std::vector<std::pair<int, std::string>>> byHandle;
};

Snapshot snapshot(const Document& d)
{
    Snapshot s;
    auto take = [&](const Record& r) {
        auto& g = s.byHandle[r.handle()];
        for (const Group& x : r.groups())
            g.push_back({x.code, std::string(x.value)});
    };
    for (const Entity& e : d.modelSpace()) {
        take(e);
        for (const Entity& k : e.children())
            take(k);
    }
    for (const Block& b : d.blocks())
        for (const Entity& e : b.entities())
            take(e);
    for (const Layer& l : d.layers())
        take(l);
    return s;
}

struct Case {
    const char* file;
    int version;
};

const Case kCases[] = {
    {"r12_acad_attribs__ACadSharp_sample_AC1009_ascii.dxf", 1009},
    {"r2000_acad_attribs_dwgprops__ACadSharp_sample_AC1015_ascii.dxf", 1015},
    {"r14_pl_cp1250_attribs__KreatorKoszy_GotoweKosze.dxf", 1014},
    {"r2004_acad_attribs__libredwg_example_2004.dxf", 1018},
    {"r2007_acad_attribs__libredwg_example_2007.dxf", 1021},
    {"r2013_ezdxf_written_attribs__ezdxf_multi_insert_with_attribs.dxf", 1027},
    {"r2018_acad_attribs__libredwg_example_2018.dxf", 1032},
};

class DxfEdit : public ::testing::TestWithParam<Case> { };

} // namespace

TEST_P(DxfEdit, AddedRecordsReadBackAndTheRestIsUntouched)
{
    const Case& c = GetParam();
    std::string path = lumo::test::TestDrawing(c.file).string();
    if (!fs::exists(path))
        GTEST_SKIP() << "corpus not found";
    Document doc = Document::load(path);
    ASSERT_EQ(doc.versionNumber(), c.version);
    std::string original = doc.toString();
    Snapshot before = snapshot(doc);
    const std::string firstNew = doc.handseed();
    std::size_t countBefore = doc.modelSpaceCount();

    // Polish layer names where the drawing's code page holds them: another
    // reader refuses \U+ escapes in the layer of a SEQEND.
    const std::string layerName
        = doc.isUtf8() || doc.codePage() == "ANSI_1250" ? "Sygnalizacja świetlna" : "Sygnalizacja";
    const std::string layerUpper
        = doc.isUtf8() || doc.codePage() == "ANSI_1250" ? "SYGNALIZACJA ŚWIETLNA" : "SYGNALIZACJA";
    doc.addLayer(layerName, 1, c.version >= 1015 ? 25 : kLineWeightDefault);
    EXPECT_THROW(doc.addLayer(layerUpper), DxfError);
    doc.addTextStyle("Lumo", 2.5, "arial.ttf", "Arial");

    for (const char* blockVersion : {"AC1009", "AC1032"}) {
        std::string name = std::string("S-3wp-") + blockVersion;
        Document blockFile = makeBlockFile(blockVersion);
        Block blk = doc.importBlock(blockFile, name);
        EXPECT_EQ(blk.basePoint(), (Point{1.0, 2.0, 0.0}));
        ASSERT_EQ(blk.attributeDefinitions().size(), 2u);
        EXPECT_EQ(blk.attributeDefinitions()[1].defaultValue(), "żółty");
        EXPECT_TRUE(doc.findBlock("ZAROWKA")) << "the nested block came along";
        EXPECT_TRUE(doc.findLayer("SYGNALY"));
        EXPECT_TRUE(doc.findTextStyle("OPIS"));
        EXPECT_THROW(doc.importBlock(blockFile, name), DxfError);

        BlockReference ref = doc.addBlockReference(name, {100.0, 200.0, 0.0}, 2.0, 90.0, layerName);
        auto attrs = ref.attributes();
        ASSERT_EQ(attrs.size(), 2u);
        EXPECT_EQ(attrs[0].tag(), "NUMER");
        EXPECT_EQ(attrs[0].value(), "S-1");
        attrs[0].setValue("S-17");
        // attribute point: insertion + rotated, scaled offset from the base
        Point p = attrs[0].insertionPoint();
        EXPECT_NEAR(p.x, 100.0, 1e-9);
        EXPECT_NEAR(p.y, 204.0, 1e-9);
    }
    Text text = doc.addText(kPolish, {10.0, 20.0, 0.0}, 3.5, "Lumo", layerName, 45.0);
    std::string textHandle = text.handle();

    bool r12 = c.version <= 1009;
    if (r12) {
        EXPECT_THROW(doc.addCustomProperty("Projekt", "x"), DxfError);
        EXPECT_THROW(doc.setCustomProperty("Projekt", "x"), DxfError);
    } else {
        std::size_t n = doc.customProperties().size();
        doc.addCustomProperty("Projekt", "Skrzyżowanie Łódzka/Żytnia");
        doc.setCustomProperty("Etap", "wykonawczy");
        doc.setCustomProperty("projekt", "Skrzyżowanie 2");
        EXPECT_THROW(doc.addCustomProperty("ETAP", "x"), DxfError);
        EXPECT_EQ(doc.customProperties().size(), n + 2);
    }

    // read back from the saved bytes
    Document back = Document::fromMemory(doc.toString());
    EXPECT_EQ(back.modelSpaceCount(), countBefore + 3);
    auto ms = back.modelSpace();
    EXPECT_EQ(ms.back().handle(), textHandle) << "the newest entity is the last";
    Text t = ms.back().asText();
    EXPECT_EQ(t.value(), kPolish);
    EXPECT_EQ(t.style(), "Lumo");
    EXPECT_EQ(t.layer(), layerName);
    EXPECT_DOUBLE_EQ(t.rotation(), 45.0);
    auto ref = ms[ms.size() - 2].asBlockReference();
    EXPECT_EQ(ref.blockName(), "S-3wp-AC1032");
    EXPECT_EQ(ref.attribute("numer")->value(), "S-17");
    EXPECT_EQ(ref.attribute("TYP")->value(), "żółty");
    EXPECT_EQ(ref.scale(), (Point{2.0, 2.0, 2.0}));
    auto l = back.findLayer(layerUpper);
    ASSERT_TRUE(l);
    EXPECT_EQ(l->colour(), 1);
    EXPECT_TRUE(back.findTextStyle("lumo"));
    if (!r12) {
        EXPECT_EQ(back.customProperty("PROJEKT"), "Skrzyżowanie 2");
        EXPECT_EQ(back.customProperty("Etap"), "wykonawczy");
    }

    // handles: unique, and the seed above all of them
    std::set<std::string> handles;
    std::size_t withHandle = 0;
    auto note = [&](const Record& r) {
        std::string h = r.handle();
        if (h.empty())
            return;
        ++withHandle;
        EXPECT_TRUE(handles.insert(h).second) << "duplicate handle " << h;
    };
    for (const Entity& e : back.modelSpace()) {
        note(e);
        for (const Entity& k : e.children())
            note(k);
    }
    for (const Block& b : back.blocks()) {
        note(b);
        for (const Entity& e : b.entities())
            note(e);
    }
    for (const Layer& x : back.layers())
        note(x);
    unsigned long long seed = std::stoull(back.handseed(), nullptr, 16);
    for (const std::string& h : handles)
        EXPECT_LT(std::stoull(h, nullptr, 16), seed);
    if (!r12) {
        EXPECT_GT(withHandle, 0u);
        // owners of the new reference's attributes are the reference
        for (const Entity& k : ref.children())
            EXPECT_EQ(k.ownerHandle(), ref.handle());
    }

    // untouched entities are byte for byte what they were
    Snapshot after = snapshot(back);
    for (const auto& [h, groups] : before.byHandle)
        if (!h.empty()) {
            EXPECT_EQ(after.byHandle[h], groups) << "entity " << h << " changed";
        }
    // delete keeps the order of the others
    auto list = back.modelSpace();
    std::string secondLast = list[list.size() - 2].handle();
    back.deleteEntity(list.back());
    EXPECT_EQ(back.modelSpace().back().handle(), secondLast);
    EXPECT_EQ(Document::fromMemory(back.toString()).modelSpaceCount(), countBefore + 2);

    // independent readers
    fs::path dir = tempDir("edit");
    fs::path out = dir / (std::string("edited-") + c.file);
    doc.save(out.string());
    std::string python;
    for (const char* py : {"python3", "/usr/bin/python3"})
        if (python.empty() && have((std::string(py) + " -c 'import ezdxf'").c_str()))
            python = py;
    if (!python.empty()) {
        // audit errors about records at or above the first new handle are ours
        std::string script
            = "import ezdxf,sys\n"
              "d=ezdxf.readfile(sys.argv[1]); a=d.audit(); first=int(sys.argv[3],16)\n"
              "def ours(e):\n"
              "  h=getattr(getattr(e.data,'dxf',None),'handle',None)\n"
              "  return h is not None and int(h,16)>=first\n"
              "print('NEW', [str(e.message) for e in a.errors if ours(e)])\n"
              "msp=d.modelspace()\n"
              "print('TEXT', [t.dxf.text for t in msp.query('TEXT') if t.dxf.handle==sys.argv[2]])\n"
              "r=[i for i in msp.query('INSERT') if i.dxf.name=='S-3wp-AC1032'][0]\n"
              "print('ATTR', sorted((a.dxf.tag,a.dxf.text) for a in r.attribs))\n";
        std::ofstream(dir / "check.py") << script;
        std::string res = run(python + " " + (dir / "check.py").string() + " '" + out.string() + "' "
                              + textHandle + " " + firstNew + " 2>&1");
        EXPECT_NE(res.find("NEW []"), std::string::npos) << res;
        // the reader keeps \U+ escapes of TEXT as written (shown doubled by Python)
        std::string expected
            = back.codePage() == "ANSI_1250" || back.isUtf8() ? std::string(kPolish) : escapedPolish(true);
        EXPECT_NE(res.find("TEXT ['" + expected + "']"), std::string::npos) << res;
        EXPECT_NE(res.find("('NUMER', 'S-17')"), std::string::npos) << res;
    }
    if (have("ogrinfo --version")) {
        // This reader takes the code page from $DWGCODEPAGE even in UTF-8
        // drawings, and shows \U+ escapes of TEXT as they are written.
        std::string opt = back.isUtf8() ? "--config DXF_ENCODING UTF-8 " : "";
        std::string res = run("ogrinfo " + opt + "-ro -al '" + out.string() + "' 2>&1");
        std::string expected
            = back.codePage() == "ANSI_1250" || back.isUtf8() ? std::string(kPolish) : escapedPolish(false);
        EXPECT_NE(res.find("Text (String) = " + expected), std::string::npos)
            << "ogrinfo does not list the new text";
        EXPECT_NE(res.find("Text (String) = S-17"), std::string::npos)
            << "ogrinfo does not list the attribute";
    }
    if (!std::getenv("LUMO_DXF_KEEP")) // for looking at the files by hand
        fs::remove_all(dir);
}

INSTANTIATE_TEST_SUITE_P(Versions, DxfEdit, ::testing::ValuesIn(kCases),
                         [](const auto& info) { return "AC" + std::to_string(info.param.version); });

TEST(DxfFile, LoadTellsItsProgressAndCanBeCancelled)
{
    lumo::gen::CitySection o;
    o.entities = 20000;
    o.references = 500;
    const fs::path file = tempDir("progress") / "city.dxf";
    std::ofstream(file, std::ios::binary) << lumo::gen::generateCitySection(o);
    std::vector<double> seen;
    Document doc = Document::load(file.string(), [&](double done) {
        seen.push_back(done);
        return true;
    });
    EXPECT_EQ(doc.modelSpaceCount(), Document::load(file.string()).modelSpaceCount());
    ASSERT_GT(seen.size(), 3u); // reading, some parsing, the end
    EXPECT_EQ(seen.front(), 0.0);
    EXPECT_EQ(seen.back(), 1.0);
    EXPECT_TRUE(std::is_sorted(seen.begin(), seen.end()));
    for (double stopAt : {0.0, 0.5}) {
        EXPECT_THROW(Document::load(file.string(), [&](double done) { return done <= stopAt; }),
                     LoadCancelled)
            << stopAt;
    }
    fs::remove_all(file.parent_path());
}

// Drawings' bytes, each with what is special about them.
struct NamedBytes {
    const char* what;
    std::string bytes;
};

// A file is parsed while another thread still reads it: whatever lies
// across the chunks it reads, the outcome is the one of the same bytes in
// memory.
TEST(DxfFile, AFileReadWhileParsedEndsAsTheSameBytesInMemory)
{
    lumo::gen::CitySection o;
    o.entities = 20000;
    o.references = 500;
    const std::string city = lumo::gen::generateCitySection(o);
    const std::size_t eof = city.rfind("EOF");
    const std::string body = city.substr(0, city.find("ENTITIES"));
    std::string longValue = body + "ENTITIES\n  0\nTEXT\n  8\n0\n  1\n" + std::string(9'000'000, 'x') + "\n"
        + city.substr(city.find("ENTITIES") + 9);
    const NamedBytes cases[] = {
        {"whole", city},
        {"a value longer than what is read at once", longValue},
        {"cut inside its final EOF", city.substr(0, eof + 2)},
        {"a bad group code near its end", city.substr(0, eof - 5) + "zz\n" + city.substr(eof - 5)},
    };
    const fs::path file = tempDir("read-ahead") / "drawing.dxf";
    for (const NamedBytes& c : cases) {
        SCOPED_TRACE(c.what);
        std::ofstream(file, std::ios::binary | std::ios::trunc) << c.bytes;
        std::string inMemory, fromFile;
        try {
            inMemory = Document::fromMemory(c.bytes).toString();
        } catch (const DxfError& e) {
            inMemory = e.what();
        }
        try {
            fromFile = Document::load(file.string()).toString();
        } catch (const DxfError& e) {
            fromFile = e.what();
        }
        EXPECT_TRUE(inMemory == fromFile) << inMemory.substr(0, 200) << " / " << fromFile.substr(0, 200);
    }
    fs::remove_all(file.parent_path());
}

// What reading a drawing comes to: its text, its model space (records,
// their groups and attributes) and the handle a new entity gets; or the
// error.
static std::string readOutcome(const std::function<Document()>& read)
{
    try {
        Document d = read();
        std::string out = d.toString();
        for (const Entity& e : d.modelSpace()) {
            out += e.typeName() + "/" + e.handle() + "/" + std::to_string(e.groupCount());
            if (e.isBlockReference())
                out += "/" + std::to_string(e.asBlockReference().attributes().size());
            out += ";";
        }
        d.addText("new", {}, 1.0);
        return out + "->" + d.modelSpace().back().handle();
    } catch (const DxfError& e) {
        return e.what();
    }
}

// A large drawing's later part is read by a second thread from a record
// start it picks: wherever that falls (a sub-record, a section's end, past
// the end of file, a value line that only looks like a record start), the
// outcome is the one of a single reader.
TEST(DxfFile, ReadingInTwoPartsEndsAsReadingInOne)
{
    lumo::gen::CitySection o;
    o.entities = 3000;
    o.references = 60;
    std::string city = lumo::gen::generateCitySection(o);
    // a polyline of R12's kind, and stray groups after the entities with a
    // handle above all others (not one, being outside any section)
    city.insert(city.find("ENDSEC", city.find("ENTITIES")) - 4,
                "  0\nPOLYLINE\n  5\nAAA01\n  8\n0\n 66\n1\n  0\nVERTEX\n  5\nAAA02\n  8\n0\n"
                "  0\nSEQEND\n  5\nAAA03\n  8\n0\n");
    const std::size_t afterEntities = city.find("\n", city.find("ENDSEC", city.find("ENTITIES"))) + 1;
    city.insert(afterEntities, "999\nstray\n  5\nFFFFF0\n");
    // codes without blanks, where a value "0" followed by a code and a
    // number reads like a record start
    std::string unpadded;
    std::size_t lookalike = std::string::npos;
    {
        std::istringstream in(city);
        std::string code, value;
        auto digits = [](const std::string& s) {
            return !s.empty() && s.find_first_not_of("0123456789") == std::string::npos;
        };
        std::string lastValue;
        while (std::getline(in, code) && std::getline(in, value)) {
            code = code.substr(code.find_first_not_of(' '));
            if (lastValue == "0" && digits(code) && digits(value) && lookalike == std::string::npos
                && unpadded.size() > city.size() / 2)
                lookalike = unpadded.size() - 2;
            unpadded += code + "\n" + value + "\n";
            lastValue = value;
        }
    }
    ASSERT_NE(lookalike, std::string::npos);
    const std::size_t eof = city.rfind("EOF");
    const std::size_t late = city.find("ATTRIB", city.size() / 2);
    const NamedBytes cases[] = {
        {"whole", city},
        {"codes without blanks", unpadded},
        {"a bad group code late", city.substr(0, late) + "  0\nzz\n" + city.substr(late)},
        {"a section opened inside another, late",
         city.substr(0, late - 4) + "  0\nSECTION\n" + city.substr(late - 4)},
        {"cut before its end", city.substr(0, city.size() * 3 / 4)},
        {"groups after the end of file", city + "999\nafter the end\n  0\nLINE\n  8\n0\n"},
    };
    int split = 0;
    for (const NamedBytes& c : cases) {
        SCOPED_TRACE(c.what);
        const std::string single = readOutcome([&] { return Document::fromMemory(c.bytes); });
        std::vector<std::size_t> splits;
        for (std::size_t k = 1; k < 24; ++k)
            splits.push_back(c.bytes.size() * k / 24);
        for (const char* at : {"ATTRIB", "SEQEND", "VERTEX", "POLYLINE", "999", "OBJECTS", "\nEOF"})
            if (std::size_t pos = c.bytes.find(at, c.bytes.size() / 3); pos != std::string::npos)
                splits.push_back(pos - 6);
        if (c.bytes == unpadded)
            splits.push_back(lookalike);
        splits.push_back(eof + 1);
        for (std::size_t at : splits) {
            SCOPED_TRACE(at);
            int taken = 0;
            const std::string twoParts = readOutcome([&] {
                Document d = Access::fromMemory(c.bytes, at);
                taken = static_cast<int>(Access::data(d).tagsReadBySecondThread);
                return d;
            });
            split += taken > 0;
            ASSERT_TRUE(twoParts == single) << twoParts.substr(0, 300) << "\n / \n" << single.substr(0, 300);
        }
    }
    // (when reading fails, whether it did is not seen)
    EXPECT_GT(split, 40) << "the second reader took part";
}

TEST(DxfEditSmall, TablesAndEntitiesChange)
{
    Document doc = Document::create("AC1015");
    Layer l = doc.addLayer("Jezdnia", 5, 35);
    l.setColour(3);
    l.setOn(false);
    l.setFrozen(true);
    l.setLineWeight(50);
    TextStyle s = doc.addTextStyle("Opis", 0.0, "txt");
    s.setHeight(2.0);
    s.setFontFile("arial.ttf");
    Text t = doc.addText("a", {}, 1.0, "opis", "Jezdnia");
    t.setLayer("0");
    t.setColour(2);
    t.setRotation(30.0);
    t.setValue("b");

    Document back = Document::fromMemory(doc.toString());
    Layer bl = *back.findLayer("JEZDNIA");
    EXPECT_EQ(bl.colour(), 3);
    EXPECT_FALSE(bl.isOn());
    EXPECT_TRUE(bl.isFrozen());
    EXPECT_FALSE(bl.isVisible());
    EXPECT_EQ(bl.lineWeight(), 50);
    TextStyle bs = *back.findTextStyle("opis");
    EXPECT_EQ(bs.height(), 2.0);
    EXPECT_EQ(bs.fontFile(), "arial.ttf");
    Text bt = back.modelSpace().back().asText();
    EXPECT_EQ(bt.layer(), "0");
    EXPECT_EQ(bt.colour(), 2);
    EXPECT_EQ(bt.rotation(), 30.0);
    EXPECT_EQ(bt.value(), "b");
    EXPECT_EQ(bt.style(), "Opis");
    EXPECT_THROW(doc.addText("x", {}, 1.0, "no such style"), DxfError);
    EXPECT_THROW(doc.addBlockReference("no such block", {}), DxfError);
    EXPECT_THROW(doc.addLayer("a<b"), DxfError);
    EXPECT_FALSE(bt.isBlockReference());
    EXPECT_THROW(bt.asBlockReference(), DxfError);
}

TEST(DxfEditSmall, RotatingAReferenceTurnsItsAttributes)
{
    Document doc = Document::create("AC1032");
    Block b = doc.addBlock("B");
    NewAttributeDefinition s;
    s.tag = "A";
    s.point = {10.0, 0.0, 0.0};
    b.addAttributeDefinition(s);
    EXPECT_EQ(b.flags() & 2, 2) << "a block with variable attributes says so";
    BlockReference r = doc.addBlockReference("b", {0.0, 0.0, 0.0});
    r.setRotation(90.0);
    Point p = r.attributes()[0].insertionPoint();
    EXPECT_NEAR(p.x, 0.0, 1e-9);
    EXPECT_NEAR(p.y, 10.0, 1e-9);
    EXPECT_NEAR(r.attributes()[0].rotation(), 90.0, 1e-9);
    r.setInsertionPoint({5.0, 5.0, 0.0});
    p = r.attributes()[0].insertionPoint();
    EXPECT_NEAR(p.x, 5.0, 1e-9);
    EXPECT_NEAR(p.y, 15.0, 1e-9);
    EXPECT_TRUE(doc.findByHandle(r.handle()));
    doc.deleteEntity(r);
    EXPECT_TRUE(r.isDeleted());
    EXPECT_FALSE(doc.findByHandle(r.handle()));
    EXPECT_EQ(doc.modelSpaceCount(), 0u);
}

TEST(DxfEditSmall, DrawingsWithoutHandlesGetNoneAdded)
{
    std::string path
        = lumo::test::TestDrawing("awkward_entities_only_trailing_spaces_noEOF__ezdxf_recover01.dxf")
              .string();
    if (!fs::exists(path))
        GTEST_SKIP() << "corpus not found";
    Document doc = Document::load(path);
    Text t = doc.addText("nowy", {1.0, 2.0, 0.0}, 2.5);
    EXPECT_EQ(t.handle(), "");
    Document back = Document::fromMemory(doc.toString());
    Text b = back.modelSpace().back().asText();
    EXPECT_EQ(b.value(), "nowy");
    EXPECT_FALSE(b.find(5));
    EXPECT_FALSE(b.find(100)) << "R12 records carry no subclass markers";
}

TEST(DxfImport, EverythingABlockNeedsComesAlong)
{
    const char* sources[]
        = {"r2013_odafamily_attribs__qcad_flange.dxf", "r2018_acad_attribs__libredwg_example_2018.dxf",
           "r12_acad_attribs__ACadSharp_sample_AC1009_ascii.dxf"};
    for (const char* file : sources) {
        std::string path = lumo::test::TestDrawing(file).string();
        if (!fs::exists(path))
            GTEST_SKIP() << "corpus not found";
        for (const char* version : {"AC1009", "AC1015", "AC1032"}) {
            SCOPED_TRACE(std::string(file) + " -> " + version);
            Document target = Document::create(version);
            target.importBlockFile(path, "Wstawiony");
            Document back = Document::fromMemory(target.toString());
            Block blk = *back.findBlock("WSTAWIONY");
            EXPECT_FALSE(blk.entities().empty());
            // every name an imported entity uses resolves in the target
            std::vector<Block> todo{blk};
            std::set<std::string> seen;
            while (!todo.empty()) {
                Block b = todo.back();
                todo.pop_back();
                if (!seen.insert(b.name()).second)
                    continue;
                for (const Entity& e : b.entities()) {
                    EXPECT_TRUE(back.findLayer(e.layer())) << e.typeName() << " on " << e.layer();
                    if (back.versionNumber() <= 1009) {
                        EXPECT_FALSE(e.find(100)) << e.typeName();
                    } else {
                        auto marker = e.find(100);
                        EXPECT_TRUE(marker && marker->value == "AcDbEntity") << e.typeName();
                    }
                    if (auto s = e.find(7); s && (e.typeName() == "TEXT" || e.typeName() == "ATTDEF")) {
                        EXPECT_TRUE(back.findTextStyle(back.decode(s->value))) << back.decode(s->value);
                    }
                    if (e.isBlockReference()) {
                        auto nested = back.findBlock(e.asBlockReference().blockName());
                        ASSERT_TRUE(nested) << e.asBlockReference().blockName();
                        todo.push_back(*nested);
                    }
                    for (const Entity& k : e.children())
                        EXPECT_TRUE(k.typeName() == "ATTRIB" || k.typeName() == "VERTEX"
                                    || k.typeName() == "SEQEND");
                }
            }
        }
    }
}

// Drawings other programs write with only a header or only entities take
// what a placement adds: the tables, blocks and objects it needs are made
// as a CAD program makes them, and the result reads back here and in an
// independent reader.
TEST(DxfEditSmall, DrawingsWithoutTheirSectionsTakeWhatIsAdded)
{
    auto header = [](const std::string& version) {
        return "0\nSECTION\n2\nHEADER\n9\n$ACADVER\n1\n" + version + "\n0\nENDSEC\n0\nEOF\n";
    };
    struct Case {
        const char* what;
        std::string text;
    } cases[] = {
        {"r12-header", header("AC1009")},
        {"r2000-header", header("AC1015")},
        {"r2018-header", header("AC1032")},
        {"entities",
         "0\nSECTION\n2\nENTITIES\n0\nLINE\n8\n0\n10\n0\n20\n0\n11\n1\n21\n1\n0\nENDSEC\n0\nEOF\n"},
    };
    Document blockFile = Document::create("AC1032");
    blockFile.addEntity("LINE", "OBRYS", {{10, "0"}, {20, "0"}, {30, "0"}, {11, "1"}, {21, "3"}, {31, "0"}});
    fs::path dir = tempDir("sections");
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        Document doc = Document::fromMemory(c.text);
        const bool r12 = doc.versionNumber() <= 1009;
        doc.addLayer("110-SYGN", 3);
        doc.addTextStyle("OPISY", 0.0, "txt");
        doc.importBlock(blockFile, "S-1");
        doc.addBlockReference("S-1", {5, 5, 0}, 2.0, 30.0, "110-SYGN");
        doc.addText("K1", {6, 6, 0}, 2.5, "OPISY", "110-SYGN");
        if (!r12)
            doc.addCustomProperty("NUMERSEKCJI", "26-15");
        else
            doc.setHeaderNumber("$HANDLING", 70, 1);

        const std::string text = doc.toString();
        Document back = Document::fromMemory(text);
        EXPECT_EQ(back.toString(), text);
        EXPECT_TRUE(back.findLayer("0"));
        EXPECT_TRUE(back.findLayer("110-SYGN"));
        EXPECT_TRUE(back.findLayer("OBRYS")) << "the block's layer came along";
        EXPECT_TRUE(back.findTextStyle("OPISY"));
        ASSERT_TRUE(back.findBlock("S-1"));
        EXPECT_EQ(back.modelSpace().back().asText().value(), "K1");
        EXPECT_EQ(back.customProperty("NUMERSEKCJI"),
                  r12 ? std::nullopt : std::optional<std::string>("26-15"));
        // the tables in their order, every entity with a handle of its own
        EXPECT_LT(text.find("\nLTYPE\n"), text.find("\nLAYER\n"));
        EXPECT_LT(text.find("\nLAYER\n"), text.find("\nSTYLE\n"));
        std::set<std::string> handles;
        for (const auto& e : back.modelSpace()) {
            EXPECT_FALSE(e.handle().empty()) << e.typeName();
            EXPECT_TRUE(handles.insert(e.handle()).second) << e.handle();
            EXPECT_TRUE(back.findByHandle(e.handle()));
        }

        const fs::path out = dir / (std::string(c.what) + ".dxf");
        doc.save(out.string());
        std::string python;
        for (const char* py : {"python3", "/usr/bin/python3"})
            if (python.empty() && have((std::string(py) + " -c 'import ezdxf'").c_str()))
                python = py;
        if (!python.empty()) {
            const std::string res
                = run(python
                      + " -c 'import ezdxf,sys; d=ezdxf.readfile(sys.argv[1]); "
                        "a=d.audit(); print(\"ERRORS\", [str(e.message) for e in a.errors]); "
                        "print(\"TEXT\", [t.dxf.text for t in d.modelspace().query(\"TEXT\")])' '"
                      + out.string() + "' 2>&1");
            EXPECT_NE(res.find("ERRORS []"), std::string::npos) << res;
            EXPECT_NE(res.find("TEXT ['K1']"), std::string::npos) << res;
        }
    }
    if (!std::getenv("LUMO_DXF_KEEP"))
        fs::remove_all(dir);
}
