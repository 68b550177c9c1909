// New drawings and block import between drawings (possibly of different
// versions and code pages).
#include "dxf/internal.h"

#include <algorithm>
#include <functional>
#include <set>

namespace lumo::dxf {

bool isStringCode(int c);
Table& ensureTable(Document& doc, DocData& d, std::string_view name);
using Groups = std::vector<std::pair<int, std::string>>;

// ------------------------------------------------------------ new drawings

namespace {

struct Writer {
    std::string out;
    void g(int code, std::string_view v)
    {
        std::string c = std::to_string(code);
        if (c.size() < 3)
            c.insert(0, 3 - c.size(), ' ');
        out += c;
        out += "\r\n";
        out += v;
        out += "\r\n";
    }
    void table(std::string_view name, std::string_view h, int count, bool r13)
    {
        g(0, "TABLE");
        g(2, name);
        if (r13) {
            g(5, h);
            g(330, "0");
            g(100, "AcDbSymbolTable");
        }
        g(70, std::to_string(count));
    }
    void record(std::string_view type, std::string_view h, std::string_view owner, std::string_view sub,
                bool r13, int handleCode = 5)
    {
        g(0, type);
        g(handleCode, h);
        if (r13) {
            g(330, owner);
            g(100, "AcDbSymbolTableRecord");
            g(100, sub);
        }
    }
};

// What a new drawing's sections depend on: its version number (1009 for
// "AC1009") and whether it has the R13 and later object model.
struct NewDrawingVersion {
    std::string_view name;
    int number = 1009;
    bool r13 = false;
};

void writeHeader(Writer& w, const NewDrawingVersion& v)
{
    w.g(0, "SECTION");
    w.g(2, "HEADER");
    w.g(9, "$ACADVER");
    w.g(1, v.name);
    w.g(9, "$DWGCODEPAGE");
    w.g(3, "ANSI_1252");
    w.g(9, "$INSBASE");
    w.g(10, "0.0");
    w.g(20, "0.0");
    w.g(30, "0.0");
    if (!v.r13) {
        w.g(9, "$HANDLING");
        w.g(70, "     1");
    }
    w.g(9, "$HANDSEED");
    w.g(5, "100");
    w.g(0, "ENDSEC");
    if (v.r13) {
        w.g(0, "SECTION");
        w.g(2, "CLASSES");
        w.g(0, "ENDSEC");
    }
}

void writeViewportTable(Writer& w, const NewDrawingVersion& v)
{
    w.table("VPORT", "8", 1, v.r13);
    w.record("VPORT", "29", "8", "AcDbViewportTableRecord", v.r13);
    w.g(2, "*ACTIVE");
    w.g(70, "     0");
    for (auto [c, val] : std::initializer_list<std::pair<int, const char*>>{
             {10, "0.0"},    {20, "0.0"},    {11, "1.0"},    {21, "1.0"},    {12, "0.0"},    {22, "0.0"},
             {13, "0.0"},    {23, "0.0"},    {14, "10.0"},   {24, "10.0"},   {15, "10.0"},   {25, "10.0"},
             {16, "0.0"},    {26, "0.0"},    {36, "1.0"},    {17, "0.0"},    {27, "0.0"},    {37, "0.0"},
             {40, "100.0"},  {41, "1.5"},    {42, "50.0"},   {43, "0.0"},    {44, "0.0"},    {50, "0.0"},
             {51, "0.0"},    {71, "     0"}, {72, "   100"}, {73, "     1"}, {74, "     3"}, {75, "     0"},
             {76, "     0"}, {77, "     0"}, {78, "     0"}})
        w.g(c, val);
    w.g(0, "ENDTAB");
}

void writeLinetypeAndLayerTables(Writer& w, const NewDrawingVersion& v)
{
    w.table("LTYPE", "5", 3, v.r13);
    const char* lts[3][3]
        = {{"14", "ByBlock", ""}, {"15", "ByLayer", ""}, {"16", "Continuous", "Solid line"}};
    for (int i = v.r13 ? 0 : 2; i < 3; ++i) {
        w.record("LTYPE", lts[i][0], "5", "AcDbLinetypeTableRecord", v.r13);
        w.g(2, v.r13 ? lts[i][1] : "CONTINUOUS");
        w.g(70, "     0");
        w.g(3, lts[i][2]);
        w.g(72, "    65");
        w.g(73, "     0");
        w.g(40, "0.0");
    }
    w.g(0, "ENDTAB");
    w.table("LAYER", "2", 1, v.r13);
    w.record("LAYER", "10", "2", "AcDbLayerTableRecord", v.r13);
    w.g(2, "0");
    w.g(70, "     0");
    w.g(62, "     7");
    w.g(6, v.r13 ? "Continuous" : "CONTINUOUS");
    if (v.number >= 1015)
        w.g(370, "    -3");
    w.g(0, "ENDTAB");
}

void writeStyleTables(Writer& w, const NewDrawingVersion& v)
{
    w.table("STYLE", "3", 1, v.r13);
    w.record("STYLE", "11", "3", "AcDbTextStyleTableRecord", v.r13);
    w.g(2, v.r13 ? "Standard" : "STANDARD");
    for (auto [c, val] : std::initializer_list<std::pair<int, const char*>>{{70, "     0"},
                                                                            {40, "0.0"},
                                                                            {41, "1.0"},
                                                                            {50, "0.0"},
                                                                            {71, "     0"},
                                                                            {42, "2.5"},
                                                                            {3, "txt"},
                                                                            {4, ""}})
        w.g(c, val);
    w.g(0, "ENDTAB");
    w.table("VIEW", "6", 0, v.r13);
    w.g(0, "ENDTAB");
    w.table("UCS", "7", 0, v.r13);
    w.g(0, "ENDTAB");
    w.table("APPID", "9", 1, v.r13);
    w.record("APPID", "12", "9", "AcDbRegAppTableRecord", v.r13);
    w.g(2, "ACAD");
    w.g(70, "     0");
    w.g(0, "ENDTAB");
    w.table("DIMSTYLE", "A", 1, v.r13);
    if (v.number >= 1015) {
        w.g(100, "AcDbDimStyleTable");
        w.g(71, "     0");
    }
    w.record("DIMSTYLE", "27", "A", "AcDbDimStyleTableRecord", v.r13, v.r13 ? 105 : 5);
    w.g(2, v.r13 ? "Standard" : "STANDARD");
    w.g(70, "     0");
    w.g(0, "ENDTAB");
}

void writeBlockRecordTable(Writer& w, const NewDrawingVersion& v)
{
    if (!v.r13)
        return;
    w.table("BLOCK_RECORD", "1", 2, v.r13);
    w.record("BLOCK_RECORD", "1F", "1", "AcDbBlockTableRecord", v.r13);
    w.g(2, "*Model_Space");
    if (v.number >= 1015)
        w.g(340, "22");
    w.record("BLOCK_RECORD", "1B", "1", "AcDbBlockTableRecord", v.r13);
    w.g(2, "*Paper_Space");
    if (v.number >= 1015)
        w.g(340, "1E");
    w.g(0, "ENDTAB");
}

void writeTables(Writer& w, const NewDrawingVersion& v)
{
    w.g(0, "SECTION");
    w.g(2, "TABLES");
    writeViewportTable(w, v);
    writeLinetypeAndLayerTables(w, v);
    writeStyleTables(w, v);
    writeBlockRecordTable(w, v);
    w.g(0, "ENDSEC");
}

// The model and paper space blocks, and an empty ENTITIES section.
void writeBlocksAndEntities(Writer& w, const NewDrawingVersion& v)
{
    const bool r13 = v.r13;
    w.g(0, "SECTION");
    w.g(2, "BLOCKS");
    const char* spaces[2][4] = {{"20", "21", "1F", "*Model_Space"}, {"1C", "1D", "1B", "*Paper_Space"}};
    for (auto& s : spaces) {
        w.g(0, "BLOCK");
        w.g(5, s[0]);
        if (r13) {
            w.g(330, s[2]);
            w.g(100, "AcDbEntity");
        }
        if (!r13 && s[3][1] == 'P')
            w.g(67, "     1");
        w.g(8, "0");
        if (r13)
            w.g(100, "AcDbBlockBegin");
        std::string n = r13 ? s[3] : (s[3][1] == 'M' ? "$MODEL_SPACE" : "$PAPER_SPACE");
        w.g(2, n);
        w.g(70, "     0");
        w.g(10, "0.0");
        w.g(20, "0.0");
        w.g(30, "0.0");
        w.g(3, n);
        w.g(1, "");
        w.g(0, "ENDBLK");
        w.g(5, s[1]);
        if (r13) {
            w.g(330, s[2]);
            w.g(100, "AcDbEntity");
        }
        w.g(8, "0");
        if (r13)
            w.g(100, "AcDbBlockEnd");
    }
    w.g(0, "ENDSEC");
    w.g(0, "SECTION");
    w.g(2, "ENTITIES");
    w.g(0, "ENDSEC");
}

// The layout dictionary and its two layouts (R2000 and later).
void writeLayouts(Writer& w)
{
    w.g(0, "DICTIONARY");
    w.g(5, "1A");
    w.g(330, "C");
    w.g(100, "AcDbDictionary");
    w.g(281, "     1");
    w.g(3, "Layout1");
    w.g(350, "1E");
    w.g(3, "Model");
    w.g(350, "22");
    const char* layouts[2][5] = {{"1E", "Layout1", "1", "1B", "1"}, {"22", "Model", "0", "1F", "0"}};
    for (auto& l : layouts) {
        w.g(0, "LAYOUT");
        w.g(5, l[0]);
        w.g(330, "1A");
        w.g(100, "AcDbPlotSettings");
        w.g(1, "");
        w.g(4, "");
        w.g(6, "");
        for (auto [c, val] : std::initializer_list<std::pair<int, const char*>>{
                 {40, "0.0"},  {41, "0.0"},    {42, "0.0"},    {43, "0.0"},    {44, "0.0"},    {45, "0.0"},
                 {46, "0.0"},  {47, "0.0"},    {48, "0.0"},    {49, "0.0"},    {140, "0.0"},   {141, "0.0"},
                 {142, "1.0"}, {143, "1.0"},   {70, "   688"}, {72, "     1"}, {73, "     0"}, {74, "     5"},
                 {7, ""},      {75, "    16"}, {147, "1.0"},   {148, "0.0"},   {149, "0.0"}})
            w.g(c, val);
        w.g(100, "AcDbLayout");
        w.g(1, l[1]);
        for (auto [c, val] : std::initializer_list<std::pair<int, const char*>>{
                 {70, "     1"}, {71, l[4]},    {10, "0.0"}, {20, "0.0"},  {11, "420.0"}, {21, "297.0"},
                 {12, "0.0"},    {22, "0.0"},   {32, "0.0"}, {14, "0.0"},  {24, "0.0"},   {34, "0.0"},
                 {15, "0.0"},    {25, "0.0"},   {35, "0.0"}, {146, "0.0"}, {13, "0.0"},   {23, "0.0"},
                 {33, "0.0"},    {16, "1.0"},   {26, "0.0"}, {36, "0.0"},  {17, "0.0"},   {27, "1.0"},
                 {37, "0.0"},    {76, "     0"}})
            w.g(c, val);
        w.g(330, l[3]);
    }
}

// The named-object dictionary with its group dictionary (R13 and later).
void writeObjects(Writer& w, const NewDrawingVersion& v)
{
    if (!v.r13)
        return;
    w.g(0, "SECTION");
    w.g(2, "OBJECTS");
    w.g(0, "DICTIONARY");
    w.g(5, "C");
    w.g(330, "0");
    w.g(100, "AcDbDictionary");
    w.g(281, "     1");
    w.g(3, "ACAD_GROUP");
    w.g(350, "D");
    if (v.number >= 1015) {
        w.g(3, "ACAD_LAYOUT");
        w.g(350, "1A");
    }
    w.g(0, "DICTIONARY");
    w.g(5, "D");
    w.g(330, "C");
    w.g(100, "AcDbDictionary");
    w.g(281, "     1");
    if (v.number >= 1015)
        writeLayouts(w);
    w.g(0, "ENDSEC");
}

std::string newDrawing(std::string_view version)
{
    NewDrawingVersion v;
    v.name = version;
    if (version.size() == 6)
        v.number = std::atoi(std::string(version.substr(2)).c_str());
    v.r13 = v.number > 1009;
    Writer w;
    writeHeader(w, v);
    writeTables(w, v);
    writeBlocksAndEntities(w, v);
    writeObjects(w, v);
    w.g(0, "EOF");
    return w.out;
}

} // namespace

Document Document::create(std::string_view version)
{
    static const char* known[]
        = {"AC1009", "AC1012", "AC1014", "AC1015", "AC1018", "AC1021", "AC1024", "AC1027", "AC1032"};
    if (std::find(std::begin(known), std::end(known), version) == std::end(known))
        throw DxfError("unknown DXF version \"" + std::string(version) + "\"");
    return fromMemory(newDrawing(version));
}

// ------------------------------------------------------------ import

namespace {

bool inSet(int c, std::initializer_list<int> s)
{
    return std::find(s.begin(), s.end(), c) != s.end();
}

// Groups of an R12 entity split with the subclass markers R13 and later need.
Groups addSubclasses(std::string_view type, const Groups& body)
{
    static const std::initializer_list<int> common = {8, 6, 62, 67, 48, 60, 370, 420, 440};
    Groups out{{100, "AcDbEntity"}};
    std::size_t i = 0;
    while (i < body.size() && inSet(body[i].first, common))
        out.push_back(body[i++]);
    Groups rest(body.begin() + static_cast<std::ptrdiff_t>(i), body.end());
    auto flagOf = [&](int code) {
        for (auto& g : rest)
            if (g.first == code)
                return std::atoi(g.second.c_str());
        return 0;
    };
    auto split = [&](const char* first, const char* second, std::initializer_list<int> secondCodes) {
        out.push_back({100, first});
        Groups tail;
        for (auto& g : rest)
            (inSet(g.first, secondCodes) ? tail : out).push_back(g);
        out.push_back({100, second});
        out.insert(out.end(), tail.begin(), tail.end());
    };
    if (type == "LINE") {
        out.push_back({100, "AcDbLine"});
    } else if (type == "POINT") {
        out.push_back({100, "AcDbPoint"});
    } else if (type == "CIRCLE") {
        out.push_back({100, "AcDbCircle"});
    } else if (type == "ARC") {
        split("AcDbCircle", "AcDbArc", {50, 51});
        return out;
    } else if (type == "TEXT") {
        split("AcDbText", "AcDbText", {73});
        return out;
    } else if (type == "ATTDEF") {
        split("AcDbText", "AcDbAttributeDefinition", {3, 2, 70, 73, 74});
        return out;
    } else if (type == "ATTRIB") {
        split("AcDbText", "AcDbAttribute", {2, 70, 73, 74});
        return out;
    } else if (type == "INSERT") {
        out.push_back({100, "AcDbBlockReference"});
    } else if (type == "SOLID" || type == "TRACE") {
        out.push_back({100, "AcDbTrace"});
    } else if (type == "3DFACE") {
        out.push_back({100, "AcDbFace"});
    } else if (type == "SHAPE") {
        out.push_back({100, "AcDbShape"});
    } else if (type == "POLYLINE") {
        int f = flagOf(70);
        out.push_back({100,
                       (f & 64)       ? "AcDbPolyFaceMesh"
                           : (f & 16) ? "AcDbPolygonMesh"
                           : (f & 8)  ? "AcDb3dPolyline"
                                      : "AcDb2dPolyline"});
    } else if (type == "VERTEX") {
        int f = flagOf(70);
        out.push_back({100, "AcDbVertex"});
        out.push_back({100,
                       (f & 128) && (f & 64) ? "AcDbPolyFaceMeshVertex"
                           : (f & 64)        ? "AcDbPolygonMeshVertex"
                           : (f & 32)        ? "AcDb3dPolylineVertex"
                                             : "AcDb2dVertex"});
    } else if (type == "SEQEND") {
    } else {
        return {};
    }
    out.insert(out.end(), rest.begin(), rest.end());
    return out;
}

// Groups of a light-weight polyline as an R12 POLYLINE with its vertices.
std::vector<std::pair<std::string, Groups>> lwToPolyline(const Groups& body)
{
    std::vector<std::pair<std::string, Groups>> out;
    Groups head;
    std::string layer = "0";
    int flags = 0;
    std::vector<Groups> verts;
    for (auto& g : body) {
        if (g.first == 8)
            layer = g.second;
        if (g.first == 8 || g.first == 6 || g.first == 62)
            head.push_back(g);
        else if (g.first == 70)
            flags = std::atoi(g.second.c_str()) & 1;
        else if (g.first == 10)
            verts.push_back({g});
        else if ((g.first == 20 || g.first == 42) && !verts.empty())
            verts.back().push_back(g);
    }
    head.insert(head.end(),
                {{66, "     1"}, {10, "0.0"}, {20, "0.0"}, {30, "0.0"}, {70, std::to_string(flags)}});
    out.push_back({"POLYLINE", head});
    for (auto& v : verts) {
        Groups vg{{8, layer}};
        vg.insert(vg.end(), v.begin(), v.end());
        out.push_back({"VERTEX", vg});
    }
    out.push_back({"SEQEND", {{8, layer}}});
    return out;
}

struct Importer {
    DocData& dst;
    Document& dstDoc;
    const DocData& src;
    bool recode;
    std::set<std::string> doneBlocks;

    std::string conv(int code, std::string_view raw) const
    {
        if (!recode || !isStringCode(code))
            return std::string(raw);
        return dst.codec.encode(src.codec.decode(raw));
    }

    // The record's own groups without type, handle, owner, links to objects
    // of the source drawing and (in R12 targets) subclass markers.
    Groups body(std::uint32_t id) const
    {
        Groups out;
        const Rec& r = src.recs[id];
        int depth = 0;
        bool xdata = false;
        for (std::uint32_t t = r.tb + 1; t < r.te; ++t) {
            const Tag tg = src.tags[t];
            int c = tg.code;
            std::string_view v = src.value(tg);
            if (c == 1001)
                xdata = true;
            if (!xdata) {
                if (c == 102) {
                    depth += (!v.empty() && v.front() == '{') ? 1 : -1;
                    continue;
                }
                if (depth > 0 || c == 5 || c == 105 || c == 330 || (c >= 340 && c <= 369)
                    || (c >= 390 && c <= 399) || c == 347 || c == 348 || c == 480 || c == 481)
                    continue;
                if (c == 100 && dst.version <= 1009)
                    continue;
            }
            out.push_back({c, conv(c, v)});
        }
        return out;
    }

    void ensureAppIds(const Groups& g)
    {
        for (auto& [c, v] : g)
            if (c == 1001 && dst.findEntry("APPID", dst.codec.decode(v)) == kNone) {
                ensureTable(dstDoc, dst, "APPID");
                if (dst.findEntry("APPID", dst.codec.decode(v)) != kNone)
                    continue; // ACAD comes with the table
                Groups rec{{0, "APPID"}};
                std::string h = dst.allocHandle();
                if (!h.empty())
                    rec.push_back({5, h});
                if (dst.version > 1009) {
                    const Table* t = dst.table("APPID");
                    rec.insert(rec.end(),
                               {{330, t ? dst.handleOf(t->head) : "0"},
                                {100, "AcDbSymbolTableRecord"},
                                {100, "AcDbRegAppTableRecord"}});
                }
                rec.insert(rec.end(), {{2, v}, {70, "     0"}});
                dst.addTableEntry("APPID", dst.newRec(Sec::Tables, rec));
            }
    }

    void ensureLinetype(const std::string& name)
    {
        std::string up = base::UpperAscii(name);
        if (name.empty() || up == "BYLAYER" || up == "BYBLOCK" || dst.findEntry("LTYPE", name) != kNone)
            return;
        std::uint32_t s = src.findEntry("LTYPE", name);
        if (s == kNone)
            return;
        ensureTable(dstDoc, dst, "LTYPE");
        Groups rec{{0, "LTYPE"}};
        std::string h = dst.allocHandle();
        if (!h.empty())
            rec.push_back({5, h});
        if (dst.version > 1009)
            rec.insert(rec.end(),
                       {{330, dst.handleOf(dst.table("LTYPE")->head)},
                        {100, "AcDbSymbolTableRecord"},
                        {100, "AcDbLinetypeTableRecord"}});
        const Rec& r = src.recs[s];
        for (std::uint32_t t = r.tb + 1; t < r.te; ++t) {
            int c = src.tags[t].code;
            std::string_view v = src.value(src.tags[t]);
            if (c == 1001)
                break;
            if (inSet(c, {2, 70, 3, 72, 73, 40}))
                rec.push_back({c, conv(c, v)});
            else if (c == 49) {
                rec.push_back({49, std::string(v)});
                if (dst.version > 1009)
                    rec.push_back({74, "     0"}); // shapes and texts in the pattern stay behind
            }
        }
        dst.addTableEntry("LTYPE", dst.newRec(Sec::Tables, rec));
    }

    void ensureLayer(const std::string& name)
    {
        if (name.empty() || dst.findEntry("LAYER", name) != kNone)
            return;
        std::uint32_t s = src.findEntry("LAYER", name);
        int colour = s == kNone ? 7 : static_cast<int>(src.num(s, 62, 7));
        int lw = s == kNone ? kLineWeightDefault : static_cast<int>(src.num(s, 370, kLineWeightDefault));
        Layer l = dstDoc.addLayer(name, std::abs(colour == 0 ? 7 : colour), lw);
        if (s == kNone)
            return;
        if (colour < 0)
            l.setOn(false);
        int flags = static_cast<int>(src.num(s, 70, 0)) & 7;
        if (flags)
            l.setInteger(70, flags);
        std::string lt = src.codec.decode(trim(src.get(s, 6)));
        if (!lt.empty()) {
            ensureLinetype(lt);
            if (std::uint32_t d = dst.findEntry("LTYPE", lt); d != kNone)
                dst.setRaw(Access::id(l), 6, std::string(trim(dst.get(d, 2))));
        }
    }

    void ensureStyle(const std::string& name)
    {
        if (name.empty() || dst.findEntry("STYLE", name) != kNone)
            return;
        std::uint32_t s = src.findEntry("STYLE", name);
        if (s == kNone)
            return;
        TextStyle st = dstDoc.addTextStyle(name, src.num(s, 40, 0), src.codec.decode(trim(src.get(s, 3))),
                                           Access::make<TextStyle>(const_cast<DocData*>(&src), s).typeface());
        for (int c : {41, 50, 71})
            if (src.find(s, c) != kNone)
                dst.setRaw(Access::id(st), c, std::string(trim(src.get(s, c))));
        if (!trim(src.get(s, 4)).empty())
            st.setText(4, src.codec.decode(trim(src.get(s, 4))));
    }

    // Copies one entity (with its sub-records) to the end of a block.
    void copyEntity(std::uint32_t id, std::uint32_t blockRec, const std::string& owner)
    {
        std::string type(src.type(id));
        if (type == "VIEWPORT")
            return;
        std::vector<std::pair<std::string, Groups>> parts; // type + body, first = main
        parts.push_back({type, body(id)});
        for (std::uint32_t k = 1, n = src.childCount(id); k <= n; ++k)
            if (!src.recs[id + k].deleted)
                parts.push_back({std::string(src.type(id + k)), body(id + k)});
        // version conversion
        if (src.version <= 1009 && dst.version > 1009) {
            for (auto& [t, b] : parts) {
                b = addSubclasses(t, b);
                if (b.empty())
                    return;
            }
        } else if (src.version > 1009 && dst.version <= 1009) {
            if (type == "LWPOLYLINE")
                parts = lwToPolyline(parts[0].second);
            static const char* r12[]
                = {"LINE",  "POINT",  "CIRCLE", "ARC",      "TEXT",   "ATTDEF", "INSERT", "SOLID",
                   "TRACE", "3DFACE", "SHAPE",  "POLYLINE", "VERTEX", "SEQEND", "ATTRIB"};
            if (std::find(std::begin(r12), std::end(r12), parts[0].first) == std::end(r12))
                return;
        }
        // dependencies
        for (auto& [t, b] : parts) {
            for (auto& [c, v] : b) {
                if (c == 1001)
                    break;
                std::string name = dst.codec.decode(trim(v));
                if (c == 8)
                    ensureLayer(name);
                else if (c == 6)
                    ensureLinetype(name);
                else if (c == 7 && (t == "TEXT" || t == "ATTDEF" || t == "ATTRIB" || t == "MTEXT"))
                    ensureStyle(name);
                else if (c == 2 && t == "INSERT")
                    importNested(name);
            }
            ensureAppIds(b);
        }
        std::uint32_t mainId = kNone;
        std::string mainH;
        for (std::size_t i = 0; i < parts.size(); ++i) {
            Groups g{{0, parts[i].first}};
            std::string h = dst.allocHandle();
            if (!h.empty())
                g.push_back({5, h});
            if (dst.version > 1009)
                g.push_back({330, i == 0 || mainH.empty() ? owner : mainH});
            g.insert(g.end(), parts[i].second.begin(), parts[i].second.end());
            std::uint32_t rid = dst.newRec(Sec::Blocks, g);
            if (i == 0) {
                mainId = rid;
                mainH = h;
            } else {
                dst.recs.setChild(rid);
            }
        }
        dst.appendToBlock(blockRec, mainId);
    }

    void copyInto(Block blk, const std::vector<std::uint32_t>& ents)
    {
        std::string owner;
        if (dst.version > 1009) {
            Record br = blk.blockRecord();
            owner = br.valid() ? br.handle() : std::string();
        }
        bool nonConstant = false;
        for (std::uint32_t id : ents) {
            if (src.recs[id].deleted || src.num(id, 67, 0) == 1)
                continue;
            if (src.type(id) == "ATTDEF" && !(static_cast<int>(src.num(id, 70, 0)) & kAttConstant))
                nonConstant = true;
            copyEntity(id, Access::id(blk), owner);
        }
        if (nonConstant) {
            long long f = static_cast<long long>(blk.number(70, 0));
            if (!(f & 2))
                blk.setInteger(70, f | 2);
        }
    }

    void importNested(const std::string& name)
    {
        if (name.empty() || doneBlocks.count(base::FoldCase(name)) || dstDoc.findBlock(name))
            return;
        doneBlocks.insert(base::FoldCase(name));
        const BlockDef* def = nullptr;
        std::string want = base::FoldCase(name);
        for (const BlockDef& b : src.blockDefs)
            if (base::FoldCase(src.codec.decode(trim(src.get(b.block, 2)))) == want)
                def = &b;
        if (!def)
            return;
        Point base{src.num(def->block, 10, 0), src.num(def->block, 20, 0), src.num(def->block, 30, 0)};
        Block blk = dstDoc.addBlock(name, base);
        if (int anonymous = static_cast<int>(src.num(def->block, 70, 0)) & 1)
            blk.setInteger(70, anonymous);
        copyInto(blk, def->ents);
    }
};

} // namespace

Block Document::importBlock(const Document& source, std::string_view name)
{
    if (findBlock(name))
        throw DxfError("block \"" + std::string(name) + "\" exists");
    const DocData& s = *source.d_;
    Importer im{*d_, *this, s, !d_->codec.sameAs(s.codec), {}};
    im.doneBlocks.insert(base::FoldCase(name));
    Point base = source.headerPoint("$INSBASE").value_or(Point{});
    Block blk = addBlock(name, base);
    std::vector<std::uint32_t> ents;
    if (const Section* e = s.section(Sec::Entities))
        ents = s.items(*e);
    struct Guard {
        DocData& d;
        ~Guard() { d.importing = false; }
    } guard{*d_};
    d_->importing = true;
    im.copyInto(blk, ents);
    return blk;
}

Block Document::importBlockFile(const std::string& path, std::string_view name)
{
    Document src = load(path);
    return importBlock(src, name);
}

} // namespace lumo::dxf
