// The interpreted view of a drawing: header, tables, blocks, records, and the
// primitives that change groups.
#include "dxf/internal.h"

#include <algorithm>
#include <charconv>

namespace lumo::dxf {

// ------------------------------------------------------------ raw access

std::string_view DocData::type(std::uint32_t id) const
{
    const Rec& r = recs[id];
    return trim(value(tags[r.tb]));
}

std::uint32_t DocData::find(std::uint32_t id, int code, std::uint32_t from) const
{
    const Rec& r = recs[id];
    int depth = 0;
    for (std::uint32_t t = r.tb + 1 + from; t < r.te; ++t) {
        int c = tags.code(t);
        if (c == 102) {
            std::string_view v = value(tags[t]);
            depth += (!v.empty() && v.front() == '{') ? 1 : -1;
            if (depth < 0)
                depth = 0;
            continue;
        }
        if (depth > 0)
            continue;
        if (c == code)
            return t - r.tb;
        if (code < 1000 && (c == 1001 || c == 101))
            return kNone;
    }
    return kNone;
}

std::string_view DocData::get(std::uint32_t id, int code, std::string_view fallback) const
{
    std::uint32_t i = find(id, code);
    return i == kNone ? fallback : valueAt(recs[id].tb + i);
}

double DocData::num(std::uint32_t id, int code, double fallback) const
{
    std::uint32_t i = find(id, code);
    if (i == kNone)
        return fallback;
    return Group{code, valueAt(recs[id].tb + i)}.number();
}

std::string DocData::handleOf(std::uint32_t id) const
{
    std::string_view h = get(id, type(id) == "DIMSTYLE" ? 105 : 5);
    if (h.empty() && type(id) == "DIMSTYLE")
        h = get(id, 5);
    return base::UpperAscii(trim(h));
}

// ------------------------------------------------------------ editing

Tag DocData::makeTag(int code, std::string_view rawValue)
{
    std::string c = std::to_string(code);
    if (padCodes && c.size() < 3)
        c.insert(0, 3 - c.size(), ' ');
    Tag t{code, static_cast<std::uint32_t>(arena.size()) | kArena};
    arena += c;
    arena += eol;
    arena += rawValue;
    arena += eol;
    return t;
}

Tag DocData::makeTagLike(const Tag& like, std::string_view rawValue)
{
    // the group's own code line (padding, line end) and value line end
    const char* bp = base(like);
    std::uint32_t val = valueStart(like);
    std::uint32_t end = valueEnd(like, val);
    std::uint32_t cut = end;
    if (cut > val && bp[cut - 1] == '\n')
        cut -= (cut - 1 > val && bp[cut - 2] == '\r') ? 2 : 1;
    // copies first: appending to the arena may move what `like` points into
    std::string codePart(bp + (like.off & ~kArena), bp + val);
    std::string ending(bp + cut, bp + end);
    if (ending.empty())
        ending = eol; // the last group of a file without a final line end
    Tag t{like.code, static_cast<std::uint32_t>(arena.size()) | kArena};
    arena += codePart;
    arena += rawValue;
    arena += ending;
    return t;
}

void DocData::own(std::uint32_t id)
{
    const Rec r = recs[id];
    if (ownsTags(id) && r.te == tags.size())
        return;
    auto nb = tags.size();
    for (std::uint32_t t = r.tb; t < r.te; ++t)
        tags.push_back(tags[t]);
    recs.setTags(id, nb, nb + (r.te - r.tb));
}

void DocData::setRaw(std::uint32_t id, int code, std::string_view rawValue)
{
    std::uint32_t i = find(id, code);
    if (i != kNone) {
        if (value(tags[recs[id].tb + i]) == rawValue)
            return;
        touch(id);
        if (!ownsTags(id))
            own(id); // the file's tags stay as they were read
        std::uint32_t t = recs[id].tb + i;
        tags.set(t, makeTagLike(tags[t], rawValue));
        return;
    }
    // Missing: place it among the groups of the subclass it belongs to, in
    // code order, which is where writers put it.
    const Rec& r = recs[id];
    std::uint32_t n = r.te - r.tb;
    bool common = code == 6 || code == 8 || code == 62 || code == 370 || code == 48 || code == 60
        || code == 67 || code == 420 || code == 440;
    std::uint32_t segStart = 1, segEnd = n;
    std::uint32_t firstSub = kNone;
    std::vector<std::uint32_t> subs;
    for (std::uint32_t k = 1; k < n; ++k) {
        int c = tags.code(r.tb + k);
        if (c == 100)
            subs.push_back(k);
        if (c == 1001 || c == 101) {
            segEnd = k;
            break;
        }
    }
    if (!subs.empty())
        firstSub = subs[0];
    if (!subs.empty()) {
        std::size_t which = subs.size() - 1;
        if (common) {
            which = 0; // AcDbEntity
        } else if (subs.size() >= 2) {
            // the entity's own data: the first marker after AcDbEntity
            which = 1;
            std::string_view t = type(id);
            if (code == 73 && t == "TEXT")
                which = subs.size() - 1;
            if ((t == "ATTDEF" || t == "ATTRIB")
                && (code == 2 || code == 3 || code == 70 || code == 73 || code == 74 || code == 280))
                which = subs.size() - 1;
            if (t == "ARC" && (code == 50 || code == 51))
                which = subs.size() - 1;
        }
        segStart = subs[which] + 1;
        segEnd = which + 1 < subs.size() ? subs[which + 1] : segEnd;
        (void)firstSub;
    }
    // after the last group of a smaller code: a rotation goes after the
    // scales of an INSERT, a colour after the layer
    std::uint32_t pos = segStart;
    int depth = 0;
    for (std::uint32_t k = segStart; k < segEnd; ++k) {
        const Tag tg = tags[r.tb + k];
        if (tg.code == 102) {
            std::string_view v = value(tg);
            depth += (!v.empty() && v.front() == '{') ? 1 : -1;
            if (depth <= 0)
                pos = std::max(pos, k + 1); // never inside a {...} group
            continue;
        }
        if (depth > 0 || tg.code == 5 || tg.code == 330 || tg.code == 105)
            continue;
        if (tg.code < code)
            pos = k + 1;
    }
    // common groups follow the layer, in code order among themselves
    if (common && code != 8) {
        std::uint32_t l = find(id, 8);
        if (l != kNone && (subs.empty() || l >= segStart)) {
            pos = l + 1;
            auto isCommon = [](int c) {
                return c == 6 || c == 62 || c == 370 || c == 48 || c == 60 || c == 420 || c == 440;
            };
            while (pos < n && isCommon(tags.code(r.tb + pos)) && tags.code(r.tb + pos) < code)
                ++pos;
        }
    }
    insertTag(id, pos, code, rawValue);
}

void DocData::insertTag(std::uint32_t id, std::uint32_t pos, int code, std::string_view rawValue)
{
    own(id);
    const Rec r = recs[id];
    tags.insert(r.tb + pos, makeTag(code, rawValue));
    recs.setTags(id, r.tb, r.te + 1);
    touch(id);
}

void DocData::removeTag(std::uint32_t id, std::uint32_t pos)
{
    own(id);
    const Rec r = recs[id];
    tags.erase(r.tb + pos);
    recs.setTags(id, r.tb, r.te - 1);
    touch(id);
}

std::uint32_t DocData::newRec(Sec sec, const std::vector<std::pair<int, std::string>>& groups)
{
    const std::uint32_t tb = tags.size();
    for (const auto& [c, v] : groups)
        tags.push_back(makeTag(c, v));
    const std::uint32_t id = recs.add(tb, tags.size(), sec);
    touch(id);
    handleMapValid = false;
    return id;
}

std::string DocData::allocHandle()
{
    if (!handles)
        return {};
    handseedDirty = true;
    return hexHandle(nextHandle++);
}

// ------------------------------------------------------------ structure

Section* DocData::section(Sec kind)
{
    for (Section& s : sections)
        if (s.kind == kind && s.head != kNone)
            return &s;
    return nullptr;
}

const Section* DocData::section(Sec kind) const
{
    return const_cast<DocData*>(this)->section(kind);
}

Section& DocData::ensureSection(Sec kind, std::string_view name)
{
    if (Section* s = section(kind))
        return *s;
    static const Sec order[]
        = {Sec::Header, Sec::Classes, Sec::Tables, Sec::Blocks, Sec::Entities, Sec::Objects};
    auto rank = [](Sec k) {
        for (int i = 0; i < 6; ++i)
            if (order[i] == k)
                return i;
        return 7;
    };
    // The EOF record gets a loose section of its own: nothing may follow it.
    std::size_t eofAt = sections.size();
    for (std::size_t i = 0; i < sections.size(); ++i) {
        Section& s = sections[i];
        if (s.head != kNone || items(s).empty() || type(items(s).back()) != "EOF")
            continue;
        if (items(s).size() > 1) {
            Section tail;
            items(tail).push_back(items(s).back());
            items(s).pop_back();
            sections.insert(sections.begin() + static_cast<std::ptrdiff_t>(i + 1), std::move(tail));
            ++i;
        }
        eofAt = i;
        break;
    }
    std::size_t at = eofAt;
    for (std::size_t i = 0; i < eofAt; ++i) {
        const Section& s = sections[i];
        if (s.head != kNone && rank(s.kind) > rank(kind)) {
            at = i;
            break;
        }
    }
    Section s;
    s.kind = kind;
    s.name = std::string(name);
    s.head = newRec(kind, {{0, "SECTION"}, {2, std::string(name)}});
    s.end = newRec(kind, {{0, "ENDSEC"}});
    sections.insert(sections.begin() + static_cast<std::ptrdiff_t>(at), std::move(s));
    return sections[at];
}

Table* DocData::table(std::string_view name)
{
    for (Table& t : tables)
        if (t.name == name)
            return &t;
    return nullptr;
}

const Table* DocData::table(std::string_view name) const
{
    return const_cast<DocData*>(this)->table(name);
}

std::uint32_t DocData::findEntry(std::string_view tableName, std::string_view utf8Name) const
{
    const Table* t = table(tableName);
    if (!t)
        return kNone;
    std::string want = base::FoldCase(utf8Name);
    std::string enc = codec.encode(utf8Name);
    for (std::uint32_t id : t->entries) {
        if (recs[id].deleted)
            continue;
        std::string_view raw = trim(get(id, 2));
        if (raw == enc || base::FoldCase(codec.decode(raw)) == want)
            return id;
    }
    return kNone;
}

const BlockDef* DocData::blockDef(std::uint32_t blockRec) const
{
    for (const BlockDef& b : blockDefs)
        if (b.block == blockRec)
            return &b;
    return nullptr;
}

std::uint32_t DocData::blockRecordOf(std::string_view utf8Name) const
{
    return findEntry("BLOCK_RECORD", utf8Name);
}

std::uint32_t DocData::headerVar(std::string_view name) const
{
    const Section* h = section(Sec::Header);
    if (!h)
        return kNone;
    for (std::uint32_t id : items(*h))
        if (type(id) == name)
            return id;
    return kNone;
}

std::string DocData::modelSpaceOwner() const
{
    if (version <= 1009)
        return {};
    std::uint32_t br = blockRecordOf("*Model_Space");
    return br == kNone ? std::string() : handleOf(br);
}

void DocData::addTableEntry(std::string_view tableName, std::uint32_t rec)
{
    Table* t = table(tableName);
    Section* s = section(Sec::Tables);
    if (!t || !s)
        throw DxfError("the drawing has no " + std::string(tableName) + " table");
    auto it = std::find(items(*s).begin(), items(*s).end(), t->endtab);
    items(*s).insert(it, rec);
    t->entries.push_back(rec);
    recs.setSec(rec, Sec::Tables);
    // the count in the table head is a capacity; keep it at least the number of entries
    std::uint32_t ci = find(t->head, 70);
    if (ci != kNone) {
        long long n = Group{70, value(tags[recs[t->head].tb + ci])}.integer();
        std::size_t live = 0;
        for (std::uint32_t e : t->entries)
            live += !recs[e].deleted;
        if (n < static_cast<long long>(live))
            setRaw(t->head, 70, std::to_string(live));
    }
}

void DocData::appendToBlock(std::uint32_t blockRec, std::uint32_t rec)
{
    for (BlockDef& b : blockDefs) {
        if (b.block != blockRec)
            continue;
        Section* s = section(Sec::Blocks);
        auto it = std::find(items(*s).begin(), items(*s).end(), b.endblk);
        items(*s).insert(it, rec);
        b.ents.push_back(rec);
        recs.setSec(rec, Sec::Blocks);
        touch(rec);
        return;
    }
    throw DxfError("block not found");
}

void DocData::setHeaderRaw(std::string_view name, int code, std::string_view raw)
{
    if (name == "$DWGCODEPAGE")
        codec.configure(raw, version >= 1021);
    std::uint32_t v = headerVar(name);
    if (v != kNone) {
        setRaw(v, code, raw);
        return;
    }
    Section& h = ensureSection(Sec::Header, "HEADER");
    std::uint32_t id = newRec(Sec::Header, {{9, std::string(name)}, {code, std::string(raw)}});
    items(h).push_back(id);
}

void DocData::configureCodec()
{
    const std::uint32_t cp = headerVar("$DWGCODEPAGE");
    codec.configure(cp != kNone ? trim(get(cp, 3, "ANSI_1252")) : std::string_view("ANSI_1252"), version >= 1021);
}

void DocData::syncHandseed()
{
    if (!handseedDirty)
        return;
    handseedDirty = false;
    std::uint32_t v = headerVar("$HANDSEED");
    if (v != kNone)
        setRaw(v, 5, hexHandle(nextHandle));
    else if (version > 1009 || section(Sec::Header))
        setHeaderRaw("$HANDSEED", 5, hexHandle(nextHandle));
}

void DocData::index()
{
    // Codes of new groups follow the style of the first record.
    for (std::uint32_t t = 0; t < tags.size(); ++t)
        if (tags.code(t) == 0) {
            padCodes = codeLine(tags[t]).size() >= 3;
            break;
        }
    // version and code page
    std::uint32_t v = headerVar("$ACADVER");
    if (v != kNone)
        versionText = std::string(trim(get(v, 1, "AC1009")));
    if (versionText.size() == 6 && versionText.compare(0, 2, "AC") == 0) {
        int n = 0;
        auto r = std::from_chars(versionText.data() + 2, versionText.data() + 6, n);
        version = r.ec == std::errc() ? n : 1009;
    }
    configureCodec();

    // handles: next = above every handle (found while parsing) and the seed
    std::uint64_t maxH = maxHandle;
    bool any = anyHandle;
    std::uint64_t seed = 0;
    std::uint32_t hs = headerVar("$HANDSEED");
    if (hs != kNone)
        parseHex(get(hs, 5), seed);
    nextHandle = std::max<std::uint64_t>({maxH + 1, seed, 1});
    if (version <= 1009) {
        std::uint32_t hv = headerVar("$HANDLING");
        handles = any || (hv != kNone && Group{70, get(hv, 70)}.integer() != 0);
    }

    // tables
    if (Section* s = section(Sec::Tables)) {
        Table* open = nullptr;
        for (std::uint32_t id : items(*s)) {
            std::string_view t = type(id);
            if (t == "TABLE") {
                tables.push_back(Table{base::UpperAscii(trim(get(id, 2))), id, kNone, {}});
                open = &tables.back();
            } else if (t == "ENDTAB") {
                if (open)
                    open->endtab = id;
                open = nullptr;
            } else if (open) {
                open->entries.push_back(id);
            }
        }
        tables.erase(
            std::remove_if(tables.begin(), tables.end(), [](const Table& t) { return t.endtab == kNone; }),
            tables.end());
    }
    // blocks
    if (Section* s = section(Sec::Blocks)) {
        BlockDef* open = nullptr;
        for (std::uint32_t id : items(*s)) {
            std::string_view t = type(id);
            if (t == "BLOCK") {
                blockDefs.push_back(BlockDef{id, kNone, {}});
                open = &blockDefs.back();
            } else if (t == "ENDBLK") {
                if (open)
                    open->endblk = id;
                open = nullptr;
            } else if (open) {
                open->ents.push_back(id);
            }
        }
        blockDefs.erase(std::remove_if(blockDefs.begin(), blockDefs.end(),
                                       [](const BlockDef& b) { return b.endblk == kNone; }),
                        blockDefs.end());
    }
}

void DocData::buildHandleMap() const
{
    handleMap.clear();
    for (std::uint32_t id = 0; id < recs.size(); ++id) {
        if (recs[id].sec == Sec::Header || recs[id].deleted)
            continue;
        std::uint32_t i = find(id, 5);
        if (i != kNone)
            handleMap.emplace(base::UpperAscii(trim(value(tags[recs[id].tb + i]))), id);
    }
    handleMapValid = true;
}

} // namespace lumo::dxf
