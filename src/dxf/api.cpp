// The public handle classes over DocData.
#include "dxf/internal.h"

#include <algorithm>
#include <cmath>

namespace lumo::dxf {

// ------------------------------------------------------------ Record

std::string Record::typeName() const
{
    return std::string(doc_->type(id_));
}
std::string Record::handle() const
{
    return doc_->handleOf(id_);
}
std::string Record::ownerHandle() const
{
    return base::UpperAscii(trim(doc_->get(id_, 330)));
}

std::size_t Record::groupCount() const
{
    const Rec& r = doc_->recs[id_];
    return r.te - r.tb;
}

Group Record::group(std::size_t i) const
{
    const std::uint32_t t = doc_->recs[id_].tb + static_cast<std::uint32_t>(i);
    return Group{doc_->code(doc_->tags[t]), doc_->valueAt(t)};
}

std::vector<Group> Record::groups() const
{
    std::vector<Group> out;
    const Rec& r = doc_->recs[id_];
    out.reserve(r.te - r.tb);
    for (std::uint32_t t = r.tb; t < r.te; ++t)
        out.push_back(Group{doc_->code(doc_->tags[t]), doc_->valueAt(t)});
    return out;
}

std::optional<Group> Record::find(int code) const
{
    std::uint32_t i = doc_->find(id_, code);
    if (i == kNone)
        return std::nullopt;
    return group(i);
}

std::string Record::text(int code) const
{
    return doc_->text(id_, code);
}
double Record::number(int code, double fallback) const
{
    return doc_->num(id_, code, fallback);
}
void Record::setText(int code, std::string_view utf8)
{
    doc_->setRaw(id_, code, doc_->codec.encode(utf8));
}
void Record::setNumber(int code, double value)
{
    doc_->setRaw(id_, code, formatNumber(value));
}
void Record::setGroupNumber(std::size_t index, double value)
{
    const std::string raw = formatNumber(value);
    const std::uint32_t i = static_cast<std::uint32_t>(index);
    if (doc_->valueAt(doc_->recs[id_].tb + i) == raw)
        return;
    if (!doc_->ownsTags(id_))
        doc_->own(id_); // the file's tags stay as they were read
    const std::uint32_t t = doc_->recs[id_].tb + i;
    doc_->tags.set(t, doc_->makeTagLike(doc_->tags[t], raw));
    doc_->touch(id_);
}
void Record::setInteger(int code, long long value)
{
    std::string v = std::to_string(value);
    // integers are right-aligned in six columns by most writers
    if (v.size() < 6 && code >= 60 && code < 100)
        v.insert(0, 6 - v.size(), ' ');
    doc_->setRaw(id_, code, v);
}

// ------------------------------------------------------------ Layer

std::string Layer::name() const
{
    return text(2);
}
int Layer::colour() const
{
    return std::abs(static_cast<int>(number(62, 7)));
}
void Layer::setColour(int c)
{
    c = std::clamp(std::abs(c), 1, 255);
    setInteger(62, isOn() ? c : -c);
}
int Layer::lineWeight() const
{
    return static_cast<int>(number(370, kLineWeightDefault));
}
void Layer::setLineWeight(int lw)
{
    if (doc_->version < 1015)
        throw DxfError("line weights need a drawing of AC1015 or later");
    setInteger(370, lw);
}
bool Layer::isOn() const
{
    return number(62, 7) >= 0;
}
void Layer::setOn(bool on)
{
    int c = colour();
    setInteger(62, on ? c : -c);
}
bool Layer::isFrozen() const
{
    return (static_cast<long long>(number(70, 0)) & 1) != 0;
}
void Layer::setFrozen(bool f)
{
    long long v = static_cast<long long>(number(70, 0));
    setInteger(70, f ? (v | 1) : (v & ~1LL));
}
bool Layer::isLocked() const
{
    return (static_cast<long long>(number(70, 0)) & 4) != 0;
}
void Layer::setLocked(bool l)
{
    long long v = static_cast<long long>(number(70, 0));
    setInteger(70, l ? (v | 4) : (v & ~4LL));
}

// ------------------------------------------------------------ TextStyle

std::string TextStyle::name() const
{
    return text(2);
}
double TextStyle::height() const
{
    return number(40, 0.0);
}
void TextStyle::setHeight(double h)
{
    setNumber(40, h);
}
std::string TextStyle::fontFile() const
{
    return text(3);
}
void TextStyle::setFontFile(std::string_view f)
{
    setText(3, f);
}
std::string TextStyle::typeface() const
{
    const Rec& r = doc_->recs[id_];
    bool acad = false;
    for (std::uint32_t t = r.tb; t < r.te; ++t) {
        const Tag g = doc_->tags[t];
        if (g.code == 1001)
            acad = trim(doc_->value(g)) == "ACAD";
        else if (acad && g.code == 1000)
            return doc_->codec.decode(doc_->value(g));
    }
    return {};
}

// ------------------------------------------------------------ Entity

bool Entity::isDeleted() const
{
    return doc_->recs[id_].deleted;
}
std::string Entity::layer() const
{
    auto v = doc_->get(id_, 8);
    return v.empty() ? std::string("0") : doc_->codec.decode(trim(v));
}
void Entity::setLayer(std::string_view l)
{
    setText(8, l);
}
int Entity::colour() const
{
    return static_cast<int>(number(62, kColourByLayer));
}
void Entity::setColour(int c)
{
    setInteger(62, c);
}
double Entity::rotation() const
{
    return number(50, 0.0);
}

static Point rotateAbout(Point p, Point c, double rad)
{
    double s = std::sin(rad), co = std::cos(rad);
    double dx = p.x - c.x, dy = p.y - c.y;
    return {c.x + dx * co - dy * s, c.y + dx * s + dy * co, p.z};
}

static Point readPoint(const DocData& d, std::uint32_t id, int code)
{
    return {d.num(id, code, 0.0), d.num(id, code + 10, 0.0), d.num(id, code + 20, 0.0)};
}

static void writePoint(DocData& d, std::uint32_t id, int code, const Point& p)
{
    d.setRaw(id, code, formatNumber(p.x));
    d.setRaw(id, code + 10, formatNumber(p.y));
    if (d.find(id, code + 20) != kNone || d.version > 1009)
        d.setRaw(id, code + 20, formatNumber(p.z));
}

void Entity::setRotation(double degrees)
{
    double old = rotation();
    setNumber(50, degrees);
    if (!isBlockReference())
        return;
    // the attributes turn with their reference, as they do in a CAD program
    Point ins = insertionPoint();
    double delta = (degrees - old) * kPi / 180.0;
    for (Entity c : children()) {
        if (c.typeName() != "ATTRIB")
            continue;
        writePoint(*doc_, c.id_, 10, rotateAbout(readPoint(*doc_, c.id_, 10), ins, delta));
        if (doc_->find(c.id_, 11) != kNone)
            writePoint(*doc_, c.id_, 11, rotateAbout(readPoint(*doc_, c.id_, 11), ins, delta));
        c.setNumber(50, c.rotation() + degrees - old);
    }
}

Point Entity::insertionPoint() const
{
    return readPoint(*doc_, id_, 10);
}
void Entity::setInsertionPoint(const Point& p)
{
    Point old = insertionPoint();
    writePoint(*doc_, id_, 10, p);
    for (Entity c : children()) {
        if (c.typeName() != "ATTRIB")
            continue;
        for (int code : {10, 11}) {
            if (code == 11 && doc_->find(c.id_, 11) == kNone)
                continue;
            Point q = readPoint(*doc_, c.id_, code);
            writePoint(*doc_, c.id_, code, {q.x + p.x - old.x, q.y + p.y - old.y, q.z + p.z - old.z});
        }
    }
}
bool Entity::inPaperSpace() const
{
    return number(67, 0) == 1;
}

std::vector<Entity> Entity::children() const
{
    std::vector<Entity> out;
    std::uint32_t n = doc_->childCount(id_);
    for (std::uint32_t k = 1; k <= n; ++k)
        if (!doc_->recs[id_ + k].deleted)
            out.push_back(Entity(doc_, id_ + k));
    return out;
}

bool Entity::isBlockReference() const
{
    return doc_->type(id_) == "INSERT";
}
bool Entity::isText() const
{
    return doc_->type(id_) == "TEXT";
}
BlockReference Entity::asBlockReference() const
{
    if (!isBlockReference())
        throw DxfError(typeName() + " is not a block reference");
    return BlockReference(doc_, id_);
}
Text Entity::asText() const
{
    if (!isText())
        throw DxfError(typeName() + " is not a text");
    return Text(doc_, id_);
}

// ------------------------------------------------------------ attributes, references, texts

std::string AttributeReference::tag() const
{
    return doc_->codec.decode(trim(doc_->get(id_, 2)));
}
std::string AttributeReference::value() const
{
    return text(1);
}
void AttributeReference::setValue(std::string_view v)
{
    setText(1, v);
}
double AttributeReference::height() const
{
    return number(40, 0.0);
}

std::string BlockReference::blockName() const
{
    return doc_->codec.decode(trim(doc_->get(id_, 2)));
}
Point BlockReference::scale() const
{
    return {number(41, 1.0), number(42, 1.0), number(43, 1.0)};
}
void BlockReference::setScale(const Point& s)
{
    setNumber(41, s.x);
    setNumber(42, s.y);
    setNumber(43, s.z);
}
bool BlockReference::hasAttributes() const
{
    for (const Entity& c : children())
        if (c.typeName() == "ATTRIB")
            return true;
    return false;
}
std::vector<AttributeReference> BlockReference::attributes() const
{
    std::vector<AttributeReference> out;
    std::uint32_t n = doc_->childCount(id_);
    for (std::uint32_t k = 1; k <= n; ++k)
        if (!doc_->recs[id_ + k].deleted && doc_->type(id_ + k) == "ATTRIB")
            out.push_back(AttributeReference(doc_, id_ + k));
    return out;
}
std::optional<AttributeReference> BlockReference::attribute(std::string_view tag) const
{
    for (const AttributeReference& a : attributes())
        if (sameName(a.tag(), tag))
            return a;
    return std::nullopt;
}

std::string Text::value() const
{
    return text(1);
}
void Text::setValue(std::string_view v)
{
    setText(1, v);
}
double Text::height() const
{
    return number(40, 0.0);
}
void Text::setHeight(double h)
{
    setNumber(40, h);
}
std::string Text::style() const
{
    auto v = doc_->get(id_, 7);
    return v.empty() ? std::string("STANDARD") : doc_->codec.decode(trim(v));
}
void Text::setStyle(std::string_view s)
{
    setText(7, s);
}

std::string AttributeDefinition::tag() const
{
    return doc_->codec.decode(trim(doc_->get(id_, 2)));
}
std::string AttributeDefinition::defaultValue() const
{
    return text(1);
}
void AttributeDefinition::setDefaultValue(std::string_view v)
{
    setText(1, v);
}
std::string AttributeDefinition::prompt() const
{
    return text(3);
}
double AttributeDefinition::height() const
{
    return number(40, 0.0);
}
int AttributeDefinition::flags() const
{
    return static_cast<int>(number(70, 0));
}
std::string AttributeDefinition::style() const
{
    auto v = doc_->get(id_, 7);
    return v.empty() ? std::string("STANDARD") : doc_->codec.decode(trim(v));
}

// ------------------------------------------------------------ Block

std::string Block::name() const
{
    return doc_->codec.decode(trim(doc_->get(id_, 2)));
}
Point Block::basePoint() const
{
    return readPoint(*doc_, id_, 10);
}
int Block::flags() const
{
    return static_cast<int>(number(70, 0));
}
bool Block::isLayout() const
{
    std::string n = base::UpperAscii(name());
    return n.rfind("*MODEL_SPACE", 0) == 0 || n.rfind("*PAPER_SPACE", 0) == 0 || n == "$MODEL_SPACE"
        || n == "$PAPER_SPACE";
}
std::vector<Entity> Block::entities() const
{
    std::vector<Entity> out;
    if (const BlockDef* b = doc_->blockDef(id_))
        for (std::uint32_t id : b->ents)
            if (!doc_->recs[id].deleted)
                out.push_back(Entity(doc_, id));
    return out;
}
std::vector<AttributeDefinition> Block::attributeDefinitions() const
{
    std::vector<AttributeDefinition> out;
    if (const BlockDef* b = doc_->blockDef(id_))
        for (std::uint32_t id : b->ents)
            if (!doc_->recs[id].deleted && doc_->type(id) == "ATTDEF")
                out.push_back(AttributeDefinition(doc_, id));
    return out;
}
Record Block::blockRecord() const
{
    if (doc_->version <= 1009)
        return {};
    std::uint32_t br = doc_->blockRecordOf(name());
    return br == kNone ? Record() : Access::make<Record>(doc_, br);
}

// ------------------------------------------------------------ names

bool sameName(std::string_view a, std::string_view b)
{
    return base::SameName(a, b);
}

// The general walk: folded UTF-8 text against one folded alternative.
static bool walkMatch(std::string_view p, std::string_view t)
{
    std::size_t pi = 0, ti = 0, starP = std::string_view::npos, starT = 0;
    auto skipCp = [](std::string_view s, std::size_t& i) {
        ++i;
        while (i < s.size() && (static_cast<unsigned char>(s[i]) & 0xC0) == 0x80)
            ++i;
    };
    while (ti < t.size()) {
        if (pi < p.size() && p[pi] == '*') {
            starP = pi++;
            starT = ti;
            continue;
        }
        if (pi < p.size() && p[pi] == '?') {
            ++pi;
            skipCp(t, ti);
            continue;
        }
        if (pi < p.size() && p[pi] == t[ti]) {
            ++pi;
            ++ti;
            continue;
        }
        if (starP == std::string_view::npos)
            return false;
        pi = starP + 1;
        skipCp(t, starT);
        ti = starT;
    }
    while (pi < p.size() && p[pi] == '*')
        ++pi;
    return pi == p.size();
}

FoldedPattern::FoldedPattern(std::string_view folded)
    : full_(base::HasFullWildcards(folded)), pattern_(folded)
{
    std::size_t start = 0;
    while (true) {
        std::size_t comma = folded.find(',', start);
        Alternative a;
        a.text
            = folded.substr(start, comma == std::string_view::npos ? std::string_view::npos : comma - start);
        // the common patterns have '*' at their ends only ("abc", "abc*",
        // "*abc", "*abc*") and need no walk
        std::string_view core = a.text;
        a.lead = !core.empty() && core.front() == '*';
        if (a.lead)
            core.remove_prefix(1);
        a.trail = !core.empty() && core.back() == '*';
        if (a.trail)
            core.remove_suffix(1);
        a.core = core;
        a.plain = core.find_first_of("*?") == std::string_view::npos;
        alternatives_.push_back(std::move(a));
        if (comma == std::string_view::npos)
            break;
        start = comma + 1;
    }
}

bool FoldedPattern::matches(std::string_view t) const
{
    // Digits, letters, sets, negation and escapes: the selection filters'
    // own matcher, so there is one dialect of wildcards.
    if (full_)
        return base::WildcardMatch(pattern_, t);
    for (const Alternative& a : alternatives_) {
        const std::string_view core = a.core;
        bool hit;
        if (!a.plain)
            hit = walkMatch(a.text, t);
        else if (a.lead && a.trail)
            hit = t.find(core) != std::string_view::npos;
        else if (a.lead)
            hit = t.size() >= core.size() && t.substr(t.size() - core.size()) == core;
        else if (a.trail)
            hit = t.substr(0, core.size()) == core;
        else
            hit = t == core;
        if (hit)
            return true;
    }
    return false;
}

bool wildcardMatch(std::string_view pattern, std::string_view text)
{
    if (base::HasFullWildcards(pattern))
        return base::WildcardMatch(pattern, text);
    return FoldedPattern(base::FoldCase(pattern)).matches(base::FoldCase(text));
}

} // namespace lumo::dxf
