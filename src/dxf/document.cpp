// Document: header, custom properties, tables, blocks and model space.
#include "dxf/internal.h"

#include <algorithm>
#include <cmath>

namespace lumo::dxf {

using Groups = std::vector<std::pair<int, std::string>>;

// ------------------------------------------------------------ header

std::string Document::version() const
{
    return d_->versionText;
}
int Document::versionNumber() const
{
    return d_->version;
}
std::string Document::codePage() const
{
    std::uint32_t v = d_->headerVar("$DWGCODEPAGE");
    return v == kNone ? std::string("ANSI_1252") : std::string(trim(d_->get(v, 3)));
}
bool Document::isUtf8() const
{
    return d_->codec.isUtf8();
}

std::vector<std::string> Document::headerVariables() const
{
    std::vector<std::string> out;
    if (const Section* h = d_->section(Sec::Header))
        for (std::uint32_t id : d_->items(*h))
            out.emplace_back(d_->type(id));
    return out;
}

std::vector<Group> Document::headerGroups(std::string_view name) const
{
    std::vector<Group> out;
    std::uint32_t v = d_->headerVar(name);
    if (v == kNone)
        return out;
    const Rec& r = d_->recs[v];
    for (std::uint32_t t = r.tb + 1; t < r.te; ++t)
        out.push_back(Group{d_->code(d_->tags[t]), d_->value(d_->tags[t])});
    return out;
}

std::optional<std::string> Document::headerText(std::string_view name) const
{
    std::uint32_t v = d_->headerVar(name);
    if (v == kNone)
        return std::nullopt;
    const Rec& r = d_->recs[v];
    if (r.te - r.tb < 2)
        return std::string();
    return d_->codec.decode(d_->value(d_->tags[r.tb + 1]));
}

std::optional<Point> Document::headerPoint(std::string_view name) const
{
    std::uint32_t v = d_->headerVar(name);
    if (v == kNone)
        return std::nullopt;
    return Point{d_->num(v, 10, 0), d_->num(v, 20, 0), d_->num(v, 30, 0)};
}

void Document::setHeaderText(std::string_view name, int code, std::string_view utf8)
{
    d_->setHeaderRaw(name, code, d_->codec.encode(utf8));
}

// Handles turned on in an R12 drawing that kept none: every record gets
// one, as handles were turned on in a CAD program of its time, and new
// records get theirs.
static void giveHandles(DocData& d)
{
    d.handles = true;
    for (std::uint32_t id = 0; id < d.recs.size(); ++id) {
        const Sec sec = d.recs.sec(id);
        if (d.recs[id].deleted || (sec != Sec::Tables && sec != Sec::Blocks && sec != Sec::Entities))
            continue;
        const std::string_view type = d.type(id);
        if (type == "TABLE" || type == "ENDTAB" || type == "SECTION" || type == "ENDSEC" || type == "EOF"
            || d.find(id, 5) != kNone)
            continue;
        d.insertTag(id, 1, 5, d.allocHandle());
    }
    d.handleMapValid = false;
}

void Document::setHeaderNumber(std::string_view name, int code, double value)
{
    std::string v = (code >= 60 && code < 100) || (code >= 270 && code < 290)
        ? std::to_string(static_cast<long long>(value))
        : formatNumber(value);
    d_->setHeaderRaw(name, code, v);
    if (name == "$HANDLING" && value != 0 && d_->version <= 1009 && !d_->handles)
        giveHandles(*d_);
}

void Document::setHeaderPoint(std::string_view name, const Point& p)
{
    d_->setHeaderRaw(name, 10, formatNumber(p.x));
    std::uint32_t v = d_->headerVar(name);
    d_->setRaw(v, 20, formatNumber(p.y));
    if (d_->find(v, 30) != kNone || name != "$LIMMIN")
        d_->setRaw(v, 30, formatNumber(p.z));
}

std::string Document::handseed() const
{
    return hexHandle(d_->nextHandle);
}

std::vector<std::string> Document::warnings() const
{
    std::vector<std::string> out;
    if (!d_->codec.isUtf8() && !d_->codec.known())
        out.push_back("unknown code page \"" + codePage() + "\": letters outside ASCII cannot be read");
    for (const Table& t : d_->tables) {
        std::size_t escaped = 0;
        std::string first;
        for (std::uint32_t id : t.entries) {
            std::string_view name = d_->get(id, 2);
            if (d_->recs[id].deleted
                || (name.find("\\U+") == std::string_view::npos
                    && name.find("\\M+") == std::string_view::npos))
                continue;
            if (escaped++ == 0)
                first = std::string(trim(name));
        }
        if (escaped)
            out.push_back(std::to_string(escaped) + " name(s) in table " + t.name
                          + " hold \\U+ escapes (first: \"" + first + "\")");
    }
    return out;
}

// ------------------------------------------------------------ custom properties

namespace {

// The DWGPROPS xrecord of AC1012..AC1015 drawings.
std::uint32_t dwgPropsXrecord(const DocData& d)
{
    const Section* o = d.section(Sec::Objects);
    if (!o)
        return kNone;
    for (std::uint32_t id : d.items(*o))
        if (d.type(id) == "XRECORD" && trim(d.get(id, 1)) == "DWGPROPS COOKIE")
            return id;
    return kNone;
}

void requireProperties(const DocData& d)
{
    if (d.version <= 1009)
        throw DxfError("a drawing of version " + d.versionText + " (R12) cannot hold custom properties");
}

} // namespace

std::vector<CustomProperty> Document::customProperties() const
{
    std::vector<CustomProperty> out;
    if (d_->version >= 1018) {
        const Section* h = d_->section(Sec::Header);
        if (!h)
            return out;
        for (std::size_t i = 0; i < d_->items(*h).size(); ++i) {
            std::uint32_t id = d_->items(*h)[i];
            if (d_->type(id) != "$CUSTOMPROPERTYTAG")
                continue;
            CustomProperty p{d_->text(id, 1), {}};
            if (i + 1 < d_->items(*h).size() && d_->type(d_->items(*h)[i + 1]) == "$CUSTOMPROPERTY")
                p.value = d_->text(d_->items(*h)[++i], 1);
            out.push_back(std::move(p));
        }
    } else if (d_->version > 1009) {
        std::uint32_t x = dwgPropsXrecord(*d_);
        if (x == kNone)
            return out;
        for (int code = 300; code <= 309; ++code) {
            std::string v = d_->text(x, code);
            auto eq = v.find('=');
            if (eq == std::string::npos || eq == 0)
                continue;
            out.push_back({v.substr(0, eq), v.substr(eq + 1)});
        }
    }
    return out;
}

std::optional<std::string> Document::customProperty(std::string_view name) const
{
    for (CustomProperty& p : customProperties())
        if (sameName(p.name, name))
            return std::move(p.value);
    return std::nullopt;
}

void Document::setCustomProperty(std::string_view name, std::string_view value)
{
    requireProperties(*d_);
    if (!customProperty(name)) {
        addCustomProperty(name, value);
        return;
    }
    if (d_->version >= 1018) {
        const Section* h = d_->section(Sec::Header);
        for (std::size_t i = 0; i + 1 < d_->items(*h).size(); ++i) {
            std::uint32_t id = d_->items(*h)[i];
            if (d_->type(id) == "$CUSTOMPROPERTYTAG" && sameName(d_->text(id, 1), name)
                && d_->type(d_->items(*h)[i + 1]) == "$CUSTOMPROPERTY") {
                d_->setRaw(d_->items(*h)[i + 1], 1, d_->codec.encode(value));
                return;
            }
        }
        return;
    }
    std::uint32_t x = dwgPropsXrecord(*d_);
    for (int code = 300; code <= 309; ++code) {
        std::string v = d_->text(x, code);
        auto eq = v.find('=');
        if (eq != std::string::npos && sameName(v.substr(0, eq), name)) {
            d_->setRaw(x, code, d_->codec.encode(v.substr(0, eq) + "=" + std::string(value)));
            return;
        }
    }
}

void Document::addCustomProperty(std::string_view name, std::string_view value)
{
    requireProperties(*d_);
    if (name.empty() || name.find('=') != std::string_view::npos)
        throw DxfError("invalid custom property name \"" + std::string(name) + "\"");
    if (customProperty(name))
        throw DxfError("custom property \"" + std::string(name) + "\" exists");
    DocData& d = *d_;
    if (d.version >= 1018) {
        Section& h = d.ensureSection(Sec::Header, "HEADER");
        // after the last pair, else after $LASTSAVEDBY (where writers put them)
        std::size_t at = d.items(h).size();
        std::size_t lastSaved = d.items(h).size();
        for (std::size_t i = 0; i < d.items(h).size(); ++i) {
            std::string_view t = d.type(d.items(h)[i]);
            if (t == "$CUSTOMPROPERTY")
                at = i + 1;
            else if (t == "$LASTSAVEDBY")
                lastSaved = i + 1;
        }
        if (at == d.items(h).size() && lastSaved < d.items(h).size())
            at = lastSaved;
        std::uint32_t a = d.newRec(Sec::Header, {{9, "$CUSTOMPROPERTYTAG"}, {1, d.codec.encode(name)}});
        std::uint32_t b = d.newRec(Sec::Header, {{9, "$CUSTOMPROPERTY"}, {1, d.codec.encode(value)}});
        d.items(h).insert(d.items(h).begin() + static_cast<std::ptrdiff_t>(at), {a, b});
        return;
    }
    std::uint32_t x = dwgPropsXrecord(d);
    if (x == kNone) {
        // a new DWGPROPS xrecord under the root dictionary
        Section* o = d.section(Sec::Objects);
        if (!o || d.items(*o).empty()) {
            // written without objects: the root dictionary a CAD program makes
            o = &d.ensureSection(Sec::Objects, "OBJECTS");
            d.items(*o).insert(d.items(*o).begin(),
                               d.newRec(Sec::Objects,
                                        {{0, "DICTIONARY"},
                                         {5, d.allocHandle()},
                                         {330, "0"},
                                         {100, "AcDbDictionary"},
                                         {281, "     1"}}));
        }
        if (d.type(d.items(*o).front()) != "DICTIONARY")
            throw DxfError("the drawing has no root dictionary for its properties");
        std::uint32_t root = d.items(*o).front();
        std::string rootH = d.handleOf(root);
        std::string h = d.allocHandle();
        Groups g{{0, "XRECORD"},
                 {5, h},
                 {102, "{ACAD_REACTORS"},
                 {330, rootH},
                 {102, "}"},
                 {330, rootH},
                 {100, "AcDbXrecord"},
                 {280, "     1"},
                 {1, "DWGPROPS COOKIE"},
                 {2, ""},
                 {3, ""},
                 {4, ""},
                 {6, ""},
                 {7, ""},
                 {8, ""},
                 {9, ""}};
        for (int c = 300; c <= 309; ++c)
            g.push_back({c, "="});
        g.insert(g.end(), {{40, "0.0"}, {41, "2451544.5"}, {42, "2451544.5"}, {1, ""}, {90, "0"}});
        x = d.newRec(Sec::Objects, g);
        d.items(*o).push_back(x);
        // the key goes at the end of the root dictionary's entries
        std::uint32_t n = d.recs[root].te - d.recs[root].tb;
        d.insertTag(root, n, 3, "DWGPROPS");
        d.insertTag(root, n + 1, 350, h);
    }
    for (int code = 300; code <= 309; ++code) {
        std::uint32_t i = d.find(x, code);
        std::string_view v = i == kNone ? std::string_view() : trim(d.value(d.tags[d.recs[x].tb + i]));
        if (i == kNone || v.empty() || v == "=") {
            d.setRaw(x, code, d.codec.encode(std::string(name) + "=" + std::string(value)));
            return;
        }
    }
    throw DxfError("a drawing of version " + d.versionText + " holds at most 10 custom properties");
}

// ------------------------------------------------------------ layers

std::vector<Layer> Document::layers() const
{
    std::vector<Layer> out;
    if (const Table* t = d_->table("LAYER"))
        for (std::uint32_t id : t->entries)
            if (!d_->recs[id].deleted && d_->type(id) == "LAYER")
                out.push_back(Layer(d_.get(), id));
    return out;
}

std::optional<Layer> Document::findLayer(std::string_view name) const
{
    std::uint32_t id = d_->findEntry("LAYER", name);
    if (id == kNone)
        return std::nullopt;
    return Layer(d_.get(), id);
}

static void checkName(const DocData& d, std::string_view name, const char* what)
{
    // names copied from another drawing are taken as that drawing has them
    if (d.importing && !trim(name).empty())
        return;
    if (trim(name).empty() || name.find_first_of("<>/\\\":;?*|=`\r\n") != std::string_view::npos)
        throw DxfError(std::string("invalid ") + what + " name \"" + std::string(name) + "\"");
}

// ------------------------------------------------------------ missing tables

namespace {

// The tables in the order drawings hold them.
constexpr std::string_view kTableOrder[]
    = {"VPORT", "LTYPE", "LAYER", "STYLE", "VIEW", "UCS", "APPID", "DIMSTYLE", "BLOCK_RECORD"};

std::size_t tableRank(std::string_view name)
{
    return static_cast<std::size_t>(std::find(std::begin(kTableOrder), std::end(kTableOrder), name)
                                    - std::begin(kTableOrder));
}

} // namespace

static Groups tableRecordHead(Document& doc, DocData& d, std::string_view type, std::string_view table,
                              std::string_view subclass);

// Other programs write drawings without a TABLES section, or with only some
// of the tables. A table such a drawing lacks is made when something goes
// into it, as a CAD program makes it: in its place among the others, with
// the records every drawing has (layer 0 and its line type, the standard
// text style, the application ACAD, the block records of the spaces).
Table& ensureTable(Document& doc, DocData& d, std::string_view name)
{
    if (Table* t = d.table(name))
        return *t;
    if (name == "LAYER")
        ensureTable(doc, d, "LTYPE"); // layer 0 draws continuous lines
    const bool r13 = d.version > 1009;
    Section& s = d.ensureSection(Sec::Tables, "TABLES");
    Groups head{{0, "TABLE"}, {2, std::string(name)}};
    if (r13)
        head.insert(head.end(), {{5, d.allocHandle()}, {330, "0"}, {100, "AcDbSymbolTable"}});
    head.push_back({70, "     0"});
    const std::uint32_t headId = d.newRec(Sec::Tables, head);
    const std::uint32_t endId = d.newRec(Sec::Tables, {{0, "ENDTAB"}});
    auto& items = d.items(s);
    auto at = items.end();
    for (const Table& t : d.tables)
        if (tableRank(t.name) > tableRank(name))
            at = std::min(at, std::find(items.begin(), items.end(), t.head));
    items.insert(at, {headId, endId});
    d.tables.push_back(Table{std::string(name), headId, endId, {}});

    if (name == "LAYER") {
        doc.addLayer("0");
    } else if (name == "STYLE") {
        doc.addTextStyle(r13 ? "Standard" : "STANDARD", 0.0, "txt");
    } else if (name == "LTYPE") {
        for (const char* type : {"ByBlock", "ByLayer", "Continuous"}) {
            if (!r13 && type[0] == 'B')
                continue; // R12 knows only the continuous one
            Groups g = tableRecordHead(doc, d, "LTYPE", "LTYPE", "AcDbLinetypeTableRecord");
            g.insert(g.end(),
                     {{2, r13 ? std::string(type) : base::UpperAscii(type)},
                      {70, "     0"},
                      {3, type[0] == 'C' ? "Solid line" : ""},
                      {72, "    65"},
                      {73, "     0"},
                      {40, "0.0"}});
            d.addTableEntry("LTYPE", d.newRec(Sec::Tables, g));
        }
    } else if (name == "APPID") {
        Groups g = tableRecordHead(doc, d, "APPID", "APPID", "AcDbRegAppTableRecord");
        g.insert(g.end(), {{2, "ACAD"}, {70, "     0"}});
        d.addTableEntry("APPID", d.newRec(Sec::Tables, g));
    } else if (name == "BLOCK_RECORD" && r13) {
        struct Guard {
            DocData& d;
            bool was;
            ~Guard() { d.importing = was; }
        } guard{d, d.importing};
        d.importing = true; // (names with a star)
        for (const char* space : {"*Model_Space", "*Paper_Space"})
            if (!doc.findBlock(space))
                doc.addBlock(space);
    }
    return *d.table(name);
}

// Head groups of a new table record for the drawing's version.
static Groups tableRecordHead(Document& doc, DocData& d, std::string_view type, std::string_view table,
                              std::string_view subclass)
{
    ensureTable(doc, d, table);
    Groups g{{0, std::string(type)}};
    std::string h = d.allocHandle();
    if (!h.empty())
        g.push_back({type == "DIMSTYLE" ? 105 : 5, h});
    if (d.version > 1009) {
        const Table* t = d.table(table);
        g.push_back({330, t ? d.handleOf(t->head) : std::string("0")});
        g.push_back({100, "AcDbSymbolTableRecord"});
        g.push_back({100, std::string(subclass)});
    }
    return g;
}

Layer Document::addLayer(std::string_view name, int colour, int lineWeight)
{
    checkName(*d_, name, "layer");
    if (findLayer(name))
        throw DxfError("layer \"" + std::string(name) + "\" exists");
    DocData& d = *d_;
    Groups g = tableRecordHead(*this, d, "LAYER", "LAYER", "AcDbLayerTableRecord");
    g.push_back({2, d.codec.encode(name)});
    g.push_back({70, "     0"});
    g.push_back({62, std::to_string(std::clamp(colour, 1, 255))});
    std::uint32_t lt = d.findEntry("LTYPE", "Continuous");
    g.push_back({6,
                 lt != kNone ? std::string(trim(d.get(lt, 2)))
                             : std::string(d.version > 1009 ? "Continuous" : "CONTINUOUS")});
    if (d.version >= 1015) {
        g.push_back({370, std::to_string(lineWeight)});
        // plot style of the drawing's layer 0, which every drawing has
        std::uint32_t zero = d.findEntry("LAYER", "0");
        std::string ps = zero == kNone ? std::string() : std::string(trim(d.get(zero, 390)));
        if (!ps.empty())
            g.push_back({390, ps});
    }
    std::uint32_t id = d.newRec(Sec::Tables, g);
    d.addTableEntry("LAYER", id);
    return Layer(d_.get(), id);
}

// ------------------------------------------------------------ text styles

std::vector<TextStyle> Document::textStyles() const
{
    std::vector<TextStyle> out;
    if (const Table* t = d_->table("STYLE"))
        for (std::uint32_t id : t->entries)
            if (!d_->recs[id].deleted && d_->type(id) == "STYLE")
                out.push_back(TextStyle(d_.get(), id));
    return out;
}

std::optional<TextStyle> Document::findTextStyle(std::string_view name) const
{
    std::uint32_t id = d_->findEntry("STYLE", name);
    if (id == kNone)
        return std::nullopt;
    return TextStyle(d_.get(), id);
}

TextStyle Document::addTextStyle(std::string_view name, double height, std::string_view fontFile,
                                 std::string_view typeface)
{
    checkName(*d_, name, "text style");
    if (findTextStyle(name))
        throw DxfError("text style \"" + std::string(name) + "\" exists");
    DocData& d = *d_;
    Groups g = tableRecordHead(*this, d, "STYLE", "STYLE", "AcDbTextStyleTableRecord");
    g.insert(g.end(),
             {{2, d.codec.encode(name)},
              {70, "     0"},
              {40, formatNumber(height)},
              {41, "1.0"},
              {50, "0.0"},
              {71, "     0"},
              {42, formatNumber(height > 0 ? height : 2.5)},
              {3, d.codec.encode(fontFile)},
              {4, ""}});
    if (!typeface.empty() && d.version > 1009 && d.findEntry("APPID", "ACAD") != kNone)
        g.insert(g.end(), {{1001, "ACAD"}, {1000, d.codec.encode(typeface)}, {1071, "0"}});
    std::uint32_t id = d.newRec(Sec::Tables, g);
    d.addTableEntry("STYLE", id);
    return TextStyle(d_.get(), id);
}

// ------------------------------------------------------------ blocks

std::vector<Block> Document::blocks() const
{
    std::vector<Block> out;
    for (const BlockDef& b : d_->blockDefs)
        if (!d_->recs[b.block].deleted)
            out.push_back(Block(d_.get(), b.block));
    return out;
}

std::optional<Block> Document::findBlock(std::string_view name) const
{
    std::string want = base::FoldCase(name);
    std::string enc = d_->codec.encode(name);
    for (const BlockDef& b : d_->blockDefs) {
        std::string_view raw = trim(d_->get(b.block, 2));
        if (raw == enc || base::FoldCase(d_->codec.decode(raw)) == want)
            return Block(d_.get(), b.block);
    }
    return std::nullopt;
}

Block Document::addBlock(std::string_view name, const Point& base)
{
    checkName(*d_, name, "block");
    if (findBlock(name))
        throw DxfError("block \"" + std::string(name) + "\" exists");
    DocData& d = *d_;
    std::string enc = d.codec.encode(name);
    std::string brh;
    if (d.version > 1009) {
        Groups g = tableRecordHead(*this, d, "BLOCK_RECORD", "BLOCK_RECORD", "AcDbBlockTableRecord");
        g.push_back({2, enc});
        if (d.version >= 1015)
            g.insert(g.end(), {{340, "0"}, {70, "     0"}, {280, "     1"}, {281, "     0"}});
        std::uint32_t br = d.newRec(Sec::Tables, g);
        d.addTableEntry("BLOCK_RECORD", br);
        brh = d.handleOf(br);
    }
    Groups b{{0, "BLOCK"}};
    std::string h = d.allocHandle();
    if (!h.empty())
        b.push_back({5, h});
    if (d.version > 1009)
        b.insert(b.end(), {{330, brh}, {100, "AcDbEntity"}});
    b.push_back({8, "0"});
    if (d.version > 1009)
        b.push_back({100, "AcDbBlockBegin"});
    b.insert(b.end(),
             {{2, enc},
              {70, "     0"},
              {10, formatNumber(base.x)},
              {20, formatNumber(base.y)},
              {30, formatNumber(base.z)},
              {3, enc},
              {1, ""}});
    Groups e{{0, "ENDBLK"}};
    h = d.allocHandle();
    if (!h.empty())
        e.push_back({5, h});
    if (d.version > 1009)
        e.insert(e.end(), {{330, brh}, {100, "AcDbEntity"}});
    e.push_back({8, "0"});
    if (d.version > 1009)
        e.push_back({100, "AcDbBlockEnd"});
    std::uint32_t bid = d.newRec(Sec::Blocks, b);
    std::uint32_t eid = d.newRec(Sec::Blocks, e);
    Section& s = d.ensureSection(Sec::Blocks, "BLOCKS");
    d.items(s).push_back(bid);
    d.items(s).push_back(eid);
    d.blockDefs.push_back(BlockDef{bid, eid, {}});
    return Block(d_.get(), bid);
}

// Owner handle and common entity groups of a new entity.
static Groups entityHead(DocData& d, std::string_view type, const std::string& owner, std::string_view layer,
                         std::string_view subclass)
{
    Groups g{{0, std::string(type)}};
    std::string h = d.allocHandle();
    if (!h.empty())
        g.push_back({5, h});
    if (d.version > 1009) {
        g.push_back({330, owner.empty() ? std::string("0") : owner});
        g.push_back({100, "AcDbEntity"});
    }
    g.push_back({8, d.codec.encode(layer.empty() ? std::string_view("0") : layer)});
    if (d.version > 1009 && !subclass.empty())
        g.push_back({100, std::string(subclass)});
    return g;
}

static std::string styleRaw(const DocData& d, std::string_view style)
{
    if (!style.empty()) {
        std::uint32_t id = d.findEntry("STYLE", style);
        if (id == kNone)
            throw DxfError("text style \"" + std::string(style) + "\" not found");
        return std::string(trim(d.get(id, 2)));
    }
    std::uint32_t id = d.findEntry("STYLE", "Standard");
    return id == kNone ? std::string("STANDARD") : std::string(trim(d.get(id, 2)));
}

static void ensureLayer(Document& doc, std::string_view layer)
{
    if (!layer.empty() && !doc.findLayer(layer) && doc.versionNumber() > 1009)
        doc.addLayer(layer);
}

static Groups attdefGroups(DocData& d, const NewAttributeDefinition& s, const std::string& owner)
{
    if (s.tag.empty() || s.tag.find(' ') != std::string::npos)
        throw DxfError("invalid attribute tag \"" + s.tag + "\"");
    Groups g = entityHead(d, "ATTDEF", owner, s.layer, "AcDbText");
    g.insert(g.end(),
             {{10, formatNumber(s.point.x)},
              {20, formatNumber(s.point.y)},
              {30, formatNumber(s.point.z)},
              {40, formatNumber(s.height)},
              {1, d.codec.encode(s.defaultValue)}});
    if (s.rotation != 0.0)
        g.push_back({50, formatNumber(s.rotation)});
    g.push_back({7, styleRaw(d, s.style)});
    if (d.version > 1009) {
        g.push_back({100, "AcDbAttributeDefinition"});
        if (d.version >= 1024)
            g.push_back({280, "     0"});
    }
    g.insert(g.end(),
             {{3, d.codec.encode(s.prompt)}, {2, d.codec.encode(s.tag)}, {70, std::to_string(s.flags)}});
    if (d.version > 1009)
        g.push_back({73, "     0"});
    return g;
}

AttributeDefinition Block::addAttributeDefinition(const NewAttributeDefinition& s)
{
    DocData& d = *doc_;
    std::string owner;
    if (d.version > 1009) {
        std::uint32_t br = d.blockRecordOf(name());
        owner = br == kNone ? std::string() : d.handleOf(br);
    }
    std::uint32_t id = d.newRec(Sec::Blocks, attdefGroups(d, s, owner));
    d.appendToBlock(id_, id);
    if (!(s.flags & kAttConstant)) {
        long long f = static_cast<long long>(number(70, 0));
        if (!(f & 2))
            setInteger(70, f | 2);
    }
    return AttributeDefinition(doc_, id);
}

AttributeDefinition Document::addAttributeDefinition(const NewAttributeDefinition& s)
{
    DocData& d = *d_;
    std::uint32_t id = d.newRec(Sec::Entities, attdefGroups(d, s, d.modelSpaceOwner()));
    d.items(d.ensureSection(Sec::Entities, "ENTITIES")).push_back(id);
    return AttributeDefinition(d_.get(), id);
}

bool isStringCode(int c)
{
    return (c >= 0 && c <= 9) || c == 100 || c == 102 || (c >= 300 && c <= 309) || (c >= 410 && c <= 419)
        || (c >= 430 && c <= 439) || (c >= 470 && c <= 479) || c == 999 || (c >= 1000 && c <= 1003);
}

Entity Document::addEntity(std::string_view type, std::string_view layer,
                           const std::vector<std::pair<int, std::string>>& groups)
{
    DocData& d = *d_;
    ensureLayer(*this, layer);
    Groups g = entityHead(d, type, d.modelSpaceOwner(), layer, {});
    for (const auto& [c, v] : groups) {
        if (c == 100 && d.version <= 1009)
            continue;
        g.push_back({c, isStringCode(c) && c != 5 ? d.codec.encode(v) : v});
    }
    std::uint32_t id = d.newRec(Sec::Entities, g);
    d.items(d.ensureSection(Sec::Entities, "ENTITIES")).push_back(id);
    return Entity(d_.get(), id);
}

// ------------------------------------------------------------ changes

std::uint64_t Document::changeMark() const
{
    return d_->changeMark();
}

std::optional<Document::Changes> Document::changesSince(std::uint64_t mark) const
{
    const DocData& d = *d_;
    if (mark < d.changeLogStart || mark > d.changeMark())
        return std::nullopt;
    Changes out;
    for (std::size_t i = std::size_t(mark - d.changeLogStart); i < d.changeLog.size(); ++i) {
        std::uint32_t id = d.changeLog[i];
        while (id > 0 && d.recs[id].child)
            --id; // an attribute or vertex: its reference or polyline
        switch (d.recs.sec(id)) {
        case Sec::Entities: out.entities.push_back(id); break;
        case Sec::Header: {
            const std::string name(d.type(id)); // the variable's name
            if (std::find(out.headerVariables.begin(), out.headerVariables.end(), name)
                == out.headerVariables.end())
                out.headerVariables.push_back(name);
            break;
        }
        case Sec::Tables: out.tables = true; break;
        case Sec::Blocks: out.blocks = true; break;
        default: break;
        }
    }
    std::sort(out.entities.begin(), out.entities.end());
    out.entities.erase(std::unique(out.entities.begin(), out.entities.end()), out.entities.end());
    return out;
}

Entity Document::entityByNumber(std::uint32_t number) const
{
    if (number >= d_->recs.size() || d_->recs[number].child || d_->recs.sec(number) != Sec::Entities)
        throw DxfError("the drawing has no entity of that number");
    return Entity(d_.get(), number);
}

// ------------------------------------------------------------ model space

static bool isModel(const DocData& d, std::uint32_t id)
{
    return !d.recs[id].deleted && d.num(id, 67, 0) != 1;
}

std::vector<Entity> Document::modelSpace() const
{
    std::vector<Entity> out;
    if (const Section* s = d_->section(Sec::Entities)) {
        out.reserve(d_->items(*s).size());
        for (std::uint32_t id : d_->items(*s))
            if (isModel(*d_, id))
                out.push_back(Entity(d_.get(), id));
    }
    return out;
}

std::size_t Document::modelSpaceCount() const
{
    std::size_t n = 0;
    if (const Section* s = d_->section(Sec::Entities))
        for (std::uint32_t id : d_->items(*s))
            n += isModel(*d_, id);
    return n;
}

std::vector<Entity> Document::paperSpace() const
{
    std::vector<Entity> out;
    if (const Section* s = d_->section(Sec::Entities))
        for (std::uint32_t id : d_->items(*s))
            if (!d_->recs[id].deleted && !isModel(*d_, id))
                out.push_back(Entity(d_.get(), id));
    return out;
}

std::optional<Entity> Document::findByHandle(std::string_view handle) const
{
    if (!d_->handleMapValid)
        d_->buildHandleMap();
    auto it = d_->handleMap.find(base::UpperAscii(trim(handle)));
    if (it == d_->handleMap.end() || d_->recs[it->second].deleted)
        return std::nullopt;
    return Entity(d_.get(), it->second);
}

BlockReference Document::addBlockReference(std::string_view blockName, const Point& at, double scale,
                                           double rotationDegrees, std::string_view layer)
{
    auto blk = findBlock(blockName);
    if (!blk)
        throw DxfError("block \"" + std::string(blockName) + "\" not found");
    ensureLayer(*this, layer);
    DocData& d = *d_;
    std::vector<AttributeDefinition> defs;
    for (const AttributeDefinition& a : blk->attributeDefinitions())
        if (!(a.flags() & kAttConstant))
            defs.push_back(a);
    std::string owner = d.modelSpaceOwner();
    Groups g = entityHead(d, "INSERT", owner, layer, "AcDbBlockReference");
    if (!defs.empty())
        g.push_back({66, "     1"});
    g.insert(g.end(),
             {{2, std::string(trim(d.get(blk->id_, 2)))},
              {10, formatNumber(at.x)},
              {20, formatNumber(at.y)},
              {30, formatNumber(at.z)}});
    if (scale != 1.0)
        g.insert(g.end(), {{41, formatNumber(scale)}, {42, formatNumber(scale)}, {43, formatNumber(scale)}});
    if (rotationDegrees != 0.0)
        g.push_back({50, formatNumber(rotationDegrees)});
    std::uint32_t ins = d.newRec(Sec::Entities, g);
    std::string insH = d.handleOf(ins);
    std::string insOwner = insH.empty() ? owner : insH;

    Point base = blk->basePoint();
    double rad = rotationDegrees * kPi / 180.0;
    auto place = [&](Point p) {
        Point q{(p.x - base.x) * scale, (p.y - base.y) * scale, (p.z - base.z) * scale};
        double c = std::cos(rad), s = std::sin(rad);
        return Point{at.x + q.x * c - q.y * s, at.y + q.x * s + q.y * c, at.z + q.z};
    };
    std::uint32_t n = 0;
    for (const AttributeDefinition& a : defs) {
        std::uint32_t ad = a.id_;
        std::string lay = std::string(trim(d.get(ad, 8, "0")));
        Groups ag = entityHead(d, "ATTRIB", insOwner, {}, "AcDbText");
        for (auto& [c, v] : ag)
            if (c == 8)
                v = lay;
        Point p = place({d.num(ad, 10, 0), d.num(ad, 20, 0), d.num(ad, 30, 0)});
        ag.insert(ag.end(),
                  {{10, formatNumber(p.x)},
                   {20, formatNumber(p.y)},
                   {30, formatNumber(p.z)},
                   {40, formatNumber(d.num(ad, 40, 2.5) * scale)},
                   {1, std::string(d.get(ad, 1))}});
        double rot = d.num(ad, 50, 0) + rotationDegrees;
        if (rot != 0.0)
            ag.push_back({50, formatNumber(rot)});
        for (int c : {41, 51})
            if (d.find(ad, c) != kNone)
                ag.push_back({c, std::string(trim(d.get(ad, c)))});
        ag.push_back({7, std::string(trim(d.get(ad, 7, "STANDARD")))});
        int h72 = static_cast<int>(d.num(ad, 72, 0));
        if (h72 != 0)
            ag.push_back({72, std::to_string(h72)});
        if (d.find(ad, 11) != kNone) {
            Point p2 = place({d.num(ad, 11, 0), d.num(ad, 21, 0), d.num(ad, 31, 0)});
            ag.insert(ag.end(),
                      {{11, formatNumber(p2.x)}, {21, formatNumber(p2.y)}, {31, formatNumber(p2.z)}});
        }
        if (d.version > 1009) {
            ag.push_back({100, "AcDbAttribute"});
            if (d.version >= 1024)
                ag.push_back({280, "     0"});
        }
        ag.push_back({2, std::string(trim(d.get(ad, 2)))});
        ag.push_back({70, std::to_string(a.flags() & ~kAttPreset & ~kAttVerify)});
        int v74 = static_cast<int>(d.num(ad, 74, 0));
        if (v74 != 0)
            ag.push_back({74, std::to_string(v74)});
        std::uint32_t id = d.newRec(Sec::Entities, ag);
        d.recs.setChild(id);
        ++n;
    }
    if (n) {
        Groups sg = entityHead(d, "SEQEND", insOwner, layer, {});
        std::uint32_t id = d.newRec(Sec::Entities, sg);
        d.recs.setChild(id);
        ++n;
    }
    d.items(d.ensureSection(Sec::Entities, "ENTITIES")).push_back(ins);
    return BlockReference(d_.get(), ins);
}

Text Document::addText(std::string_view value, const Point& at, double height, std::string_view style,
                       std::string_view layer, double rotationDegrees)
{
    DocData& d = *d_;
    std::string st = styleRaw(d, style);
    ensureLayer(*this, layer);
    Groups g = entityHead(d, "TEXT", d.modelSpaceOwner(), layer, "AcDbText");
    g.insert(g.end(),
             {{10, formatNumber(at.x)},
              {20, formatNumber(at.y)},
              {30, formatNumber(at.z)},
              {40, formatNumber(height)},
              {1, d.codec.encode(value)}});
    if (rotationDegrees != 0.0)
        g.push_back({50, formatNumber(rotationDegrees)});
    g.push_back({7, st});
    if (d.version > 1009)
        g.push_back({100, "AcDbText"});
    std::uint32_t id = d.newRec(Sec::Entities, g);
    d.items(d.ensureSection(Sec::Entities, "ENTITIES")).push_back(id);
    return Text(d_.get(), id);
}

void Document::deleteEntity(const Entity& e)
{
    if (e.doc_ != d_.get() || !e.valid())
        throw DxfError("the entity belongs to another drawing");
    const Rec r = d_->recs[e.id_];
    if (r.child)
        throw DxfError("a sub-entity cannot be deleted alone");
    if (r.sec != Sec::Entities)
        throw DxfError("only model-space entities can be deleted");
    if (r.deleted)
        return;
    for (std::uint32_t k = 0, n = d_->childCount(e.id_); k <= n; ++k)
        d_->recs.setDeleted(e.id_ + k);
    d_->touch(e.id_);
    d_->handleMapValid = false;
}

Entity Document::copyEntity(const Entity& e)
{
    if (e.doc_ != d_.get() || !e.valid())
        throw DxfError("the entity belongs to another drawing");
    DocData& d = *d_;
    const Rec r = d.recs[e.id_];
    if (r.child || r.sec != Sec::Entities || r.deleted)
        throw DxfError("only a model-space entity can be copied");
    // The groups of a record with a new handle; its owner is `owner` when
    // given (the copied parent of a sub-record).
    auto copyOf = [&](std::uint32_t id, const std::string& owner) {
        Groups g;
        const Rec rec = d.recs[id];
        int depth = 0;
        bool ownerSet = false;
        for (std::uint32_t t = rec.tb; t < rec.te; ++t) {
            const int c = d.code(d.tags[t]);
            const std::string_view v = d.valueAt(t);
            if (c == 102) {
                depth += (!v.empty() && v.front() == '{') ? 1 : -1;
                continue;
            }
            if (depth > 0 || c == 360)
                continue;
            if (c == 5) {
                if (std::string h = d.allocHandle(); !h.empty())
                    g.push_back({5, h});
                continue;
            }
            if (c == 330 && !ownerSet && !owner.empty()) {
                g.push_back({330, owner});
                ownerSet = true;
                continue;
            }
            g.push_back({c, std::string(v)});
        }
        return g;
    };
    const std::uint32_t copy = d.newRec(Sec::Entities, copyOf(e.id_, {}));
    const std::string handle = d.handleOf(copy);
    for (std::uint32_t k = 1, n = d.childCount(e.id_); k <= n; ++k) {
        const std::uint32_t child = d.newRec(Sec::Entities, copyOf(e.id_ + k, handle));
        d.recs.setChild(child);
    }
    d.items(d.ensureSection(Sec::Entities, "ENTITIES")).push_back(copy);
    return Entity(d_.get(), copy);
}

// ------------------------------------------------------------ search

void DocData::buildRefIndex() const
{
    RefIndex& x = refIndex;
    x = RefIndex{};
    std::unordered_map<std::string, std::uint32_t> layerKeys, blockKeys, tagKeys;
    auto key = [](std::unordered_map<std::string, std::uint32_t>& m, std::vector<std::string>& names,
                  std::string s) {
        auto it = m.find(s);
        if (it != m.end())
            return it->second;
        auto k = static_cast<std::uint32_t>(names.size());
        names.push_back(s);
        m.emplace(std::move(s), k);
        return k;
    };
    // raw (undecoded) text maps to keys first; decoding happens once per text
    std::unordered_map<std::string_view, std::uint32_t> rawLayer, rawBlock, rawTag, rawValue;
    auto keyRaw = [&](std::unordered_map<std::string_view, std::uint32_t>& raw,
                      std::unordered_map<std::string, std::uint32_t>& m, std::vector<std::string>& names,
                      std::string_view v) {
        auto it = raw.find(v);
        if (it != raw.end())
            return it->second;
        std::uint32_t k = key(m, names, base::FoldCase(codec.decode(v)));
        raw.emplace(v, k);
        return k;
    };
    if (const Section* s = section(Sec::Entities)) {
        for (std::uint32_t id : items(*s)) {
            const Rec& r = recs[id];
            if (r.deleted || type(id) != "INSERT" || num(id, 67, 0) == 1)
                continue;
            auto refIndex = static_cast<std::uint32_t>(x.refs.size());
            RefIndex::Ref ref{id, keyRaw(rawLayer, layerKeys, x.layers, trim(get(id, 8, "0"))),
                              keyRaw(rawBlock, blockKeys, x.blocks, trim(get(id, 2))),
                              static_cast<std::uint32_t>(x.attrs.size()), 0};
            for (std::uint32_t k = 1, n = childCount(id); k <= n; ++k) {
                std::uint32_t a = id + k;
                if (recs[a].deleted || type(a) != "ATTRIB")
                    continue;
                x.attrs.push_back({keyRaw(rawTag, tagKeys, x.tags, trim(get(a, 2))),
                                   keyRaw(rawValue, x.valueKeys, x.values, get(a, 1)), refIndex});
            }
            ref.attrEnd = static_cast<std::uint32_t>(x.attrs.size());
            x.refs.push_back(ref);
        }
    }
    // the holders of each value, in drawing order
    x.holderStart.assign(x.values.size() + 1, 0);
    for (const RefIndex::Attr& a : x.attrs)
        ++x.holderStart[a.value + 1];
    for (std::size_t k = 1; k < x.holderStart.size(); ++k)
        x.holderStart[k] += x.holderStart[k - 1];
    x.holders.resize(x.attrs.size());
    std::vector<std::uint32_t> next(x.holderStart.begin(), x.holderStart.end() - 1);
    for (std::uint32_t i = 0; i < x.attrs.size(); ++i)
        x.holders[next[x.attrs[i].value]++] = i;
    x.valid = true;
}

std::vector<BlockReference> Document::findBlockReferences(const ReferenceQuery& q) const
{
    if (!d_->refIndex.valid)
        d_->buildRefIndex();
    const RefIndex& x = d_->refIndex;
    auto pass = [](const std::string& pattern, const std::vector<std::string>& names) {
        std::vector<char> ok(names.size(), 1);
        if (!pattern.empty()) {
            FoldedPattern p(base::FoldCase(pattern));
            for (std::size_t i = 0; i < names.size(); ++i)
                ok[i] = p.matches(names[i]);
        }
        return ok;
    };
    std::vector<char> layerOk = pass(q.layer, x.layers);
    std::vector<char> blockOk = pass(q.blockName, x.blocks);
    std::vector<char> tagOk = pass(q.attributeTag, x.tags);
    // references holding an attribute of a matching tag and value
    std::vector<char> held;
    if (!q.attributeValue.empty()) {
        std::string p = base::FoldCase(q.attributeValue);
        std::vector<std::uint32_t> keys;
        if (p.find_first_of("*?,") == std::string::npos && !base::HasFullWildcards(p)) {
            auto it = x.valueKeys.find(p);
            if (it != x.valueKeys.end())
                keys.push_back(it->second);
        } else {
            FoldedPattern pattern(p);
            for (std::uint32_t k = 0; k < x.values.size(); ++k)
                if (pattern.matches(x.values[k]))
                    keys.push_back(k);
        }
        held.assign(x.refs.size(), 0);
        for (std::uint32_t k : keys)
            for (std::uint32_t h = x.holderStart[k]; h < x.holderStart[k + 1]; ++h) {
                const RefIndex::Attr& a = x.attrs[x.holders[h]];
                if (tagOk[a.tag])
                    held[a.ref] = 1;
            }
    } else if (!q.attributeTag.empty()) {
        held.assign(x.refs.size(), 0);
        for (const RefIndex::Attr& a : x.attrs)
            if (tagOk[a.tag])
                held[a.ref] = 1;
    }
    std::vector<BlockReference> out;
    for (std::uint32_t i = 0; i < x.refs.size(); ++i) {
        const RefIndex::Ref& r = x.refs[i];
        if ((held.empty() || held[i]) && layerOk[r.layer] && blockOk[r.block])
            out.push_back(BlockReference(d_.get(), r.rec));
    }
    return out;
}

std::vector<Entity> Document::selectEntities(const EntityFilter& f) const
{
    // One list of patterns, with what it said of each raw name seen so far.
    struct Field {
        std::vector<FoldedPattern> patterns;
        std::unordered_map<std::string_view, bool> seen;
        explicit Field(const std::vector<std::string>& list)
        {
            for (const std::string& p : list)
                patterns.emplace_back(base::FoldCase(p));
        }
        bool pass(const DocData& d, std::string_view raw)
        {
            if (patterns.empty())
                return true;
            auto it = seen.find(raw);
            if (it != seen.end())
                return it->second;
            const std::string name = base::FoldCase(d.codec.decode(raw));
            bool ok = std::all_of(patterns.begin(), patterns.end(),
                                  [&](const FoldedPattern& p) { return p.matches(name); });
            seen.emplace(raw, ok);
            return ok;
        }
    };
    Field types(f.types), layers(f.layers), blocks(f.blockNames);
    std::vector<Entity> out;
    const Section* s = d_->section(Sec::Entities);
    if (!s)
        return out;
    auto pick = [&](bool model) {
        for (std::uint32_t id : d_->items(*s)) {
            if (d_->recs[id].deleted || isModel(*d_, id) != model)
                continue;
            const std::string_view type = d_->type(id);
            if (!types.pass(*d_, type))
                continue;
            const std::string_view layer = d_->get(id, 8);
            if (!layers.pass(*d_, layer.empty() ? std::string_view("0") : trim(layer)))
                continue;
            if (!blocks.patterns.empty() && (type != "INSERT" || !blocks.pass(*d_, trim(d_->get(id, 2)))))
                continue;
            out.push_back(Entity(d_.get(), id));
        }
    };
    pick(true);
    pick(false);
    return out;
}

// ------------------------------------------------------------ text helpers

std::string Document::decode(std::string_view raw) const
{
    return d_->codec.decode(raw);
}
std::string Document::encode(std::string_view utf8) const
{
    return d_->codec.encode(utf8);
}

} // namespace lumo::dxf
