#include "cad/embedded/view/scene_builder.h"

#include "base/utf8.h"

#include "cad/embedded/view/aci.h"
#include "cad/embedded/view/scene_curves.h"

#include <QStringList>

#include <algorithm>
#include <array>
#include <cmath>
#include <optional>
#include <string>
#include <unordered_map>
#include <unordered_set>

namespace lumo::view {

namespace ce = cad::embedded;

namespace {

constexpr double kPi = 3.14159265358979323846;
constexpr int kMaxNesting = 16;
// Progress is told, and a stop looked for, after this many entities.
constexpr std::size_t kProgressStep = 2048;
// Rows and columns of a reference are 16-bit numbers in every version.
constexpr long long kMaxRepeat = 32767;
// The heaviest line weight a drawing stores (2.11 mm).
constexpr int kMaxWeight = 211;

double radians(double degrees)
{
    return degrees * kPi / 180.0;
}

// Sequential reading of an entity's groups, for records whose meaning
// depends on order (vertex lists, hatch boundaries).
class Groups {
public:
    explicit Groups(const std::vector<ce::DrawingGroup>& groups) : g_(groups) { }

    std::optional<ce::DrawingGroup> first(int code) const
    {
        for (const auto& group : g_)
            if (group.code == code)
                return group;
        return std::nullopt;
    }
    double number(int code, double fallback = 0.0) const
    {
        const auto group = first(code);
        return group ? group->number() : fallback;
    }
    long long integer(int code, long long fallback = 0) const
    {
        const auto group = first(code);
        return group ? group->integer() : fallback;
    }
    Vec2 point(int code, Vec2 fallback = {}) const
    {
        const auto x = first(code), y = first(code + 10);
        if (!x && !y)
            return fallback;
        return {x ? x->number() : 0.0, y ? y->number() : 0.0};
    }
    bool has(int code) const { return first(code).has_value(); }

    // ---- cursor
    bool atEnd() const { return pos_ >= g_.size(); }
    // Moves to the next group with this code; nullopt (cursor at the end) if none.
    std::optional<ce::DrawingGroup> next(int code)
    {
        while (pos_ < g_.size()) {
            const auto& group = g_[pos_++];
            if (group.code == code)
                return group;
        }
        return std::nullopt;
    }
    // The next group if it has this code (the cursor moves past it), else nullopt.
    std::optional<ce::DrawingGroup> take(int code)
    {
        if (pos_ < g_.size() && g_[pos_].code == code)
            return g_[pos_++];
        return std::nullopt;
    }
    double nextNumber(int code)
    {
        const auto group = next(code);
        return group ? group->number() : 0.0;
    }
    // x then y, for codes such as 10/20 that follow each other.
    std::optional<Vec2> nextPoint(int code)
    {
        const auto x = next(code);
        if (!x)
            return std::nullopt;
        const auto y = take(code + 10);
        return Vec2{x->number(), y ? y->number() : 0.0};
    }
    const std::vector<ce::DrawingGroup>& all() const { return g_; }

private:
    const std::vector<ce::DrawingGroup>& g_;
    std::size_t pos_ = 0;
};

// Group codes whose values are real numbers: points, distances, scales,
// angles, extrusions.
bool isReal(int code)
{
    return (code >= 10 && code <= 59) || (code >= 110 && code <= 149) || (code >= 210 && code <= 239);
}

// Whether the entity (or one of its attributes or vertices) holds a number
// no drawing means: one that is not finite or beyond kFarAway (an angle or
// a scale too), or rows and columns of a reference beyond their 16 bits.
// Drawing it would hang or blow up the picture; it is left out.
bool isBroken(const ce::DrawingEntity& e)
{
    const bool reference = e.type() == "INSERT";
    for (const auto& group : e.groups()) {
        if (isReal(group.code) && !(std::abs(group.number()) <= kFarAway))
            return true;
        if (reference && (group.code == 70 || group.code == 71)
            && (group.integer() < 0 || group.integer() > kMaxRepeat))
            return true;
    }
    return std::any_of(e.children().begin(), e.children().end(),
                       [](const ce::DrawingEntity& child) { return isBroken(child); });
}

// An entity's object coordinate system seen from above: the usual extrusion
// (0,0,1) changes nothing, (0,0,-1) mirrors x.
Affine ocsOf(const Groups& g)
{
    return g.number(230, 1.0) < 0.0 ? Affine::scaling(-1.0, 1.0) : Affine{};
}

struct LayerInfo {
    QRgb colour = 0;
    int weight = 25; // hundredths of a millimetre, "default" resolved
    bool visible = true; // on and not frozen
    bool frozen = false;
};

struct Context {
    Affine m; // block coordinates to the world
    QRgb byBlock = 0; // what BYBLOCK resolves to here
    std::string layer; // the inserting reference's layer (upper case), "" in model space
    int depth = 0;
    int byBlockWeight = 25; // what a BYBLOCK line weight resolves to here
};

// A block as read once per build, with its broken entities marked.
struct CachedBlock {
    ce::DrawingBlock block;
    std::vector<bool> broken;
    bool brokenBase = false;
};

} // namespace

struct SceneBuilder::Impl {
    ce::DrawingReader doc;
    std::unordered_map<std::string, LayerInfo> layers;
    std::unordered_map<std::string, std::optional<CachedBlock>> blocks;
    std::unordered_set<std::string> expanding; // guards against blocks that contain themselves
    Scene* scene = nullptr;

    Budget budget;
    Report report;
    std::size_t refusedBefore = 0; // the scene's refusals before this build
    std::size_t fromBlocks = 0; // entities drawn from blocks
    std::size_t blockBytes = 0; // the picture's memory they took, up to the reference at hand
    std::size_t referenceStart = 0; // the picture's memory before the reference at hand
    bool spent = false; // the budget ran out: no more block content
    // progress: the model-space entity at hand, entities visited, the callback
    const Progress* progress = nullptr;
    std::size_t at = 0, total = 0, visited = 0;

    void start(Scene& target, const Progress* told, std::size_t entities)
    {
        scene = &target;
        progress = told;
        total = entities;
        at = visited = fromBlocks = blockBytes = 0;
        referenceStart = target.memoryUse();
        spent = false;
        report = {};
        refusedBefore = target.refused();
    }
    void end() { report.broken += scene->refused() - refusedBefore; }

    int defaultWeight = 25;

    explicit Impl(ce::DrawingReader d) : doc(std::move(d)), defaultWeight(doc.defaultLineWeight())
    {
        for (const auto& layer : doc.layers())
            layers[base::UpperAscii(layer.name)]
                = {screenColour(layer.colour),
                   layer.lineWeight >= 0 && layer.lineWeight <= kMaxWeight ? layer.lineWeight : defaultWeight,
                   layer.on && !layer.frozen, layer.frozen};
    }

    LayerInfo layerInfo(const std::string& upperName) const
    {
        const auto it = layers.find(upperName);
        if (it != layers.end())
            return it->second;
        return {aciColour(7), defaultWeight, true, false}; // a layer missing from the table draws in white
    }

    // Blocks are read once per build; the pointer stays valid while the builder lives.
    const CachedBlock* block(const std::string& name)
    {
        const std::string key = base::UpperAscii(name);
        auto it = blocks.find(key);
        if (it == blocks.end()) {
            std::optional<CachedBlock> cached;
            if (auto found = doc.findBlock(name)) {
                cached.emplace();
                cached->brokenBase
                    = !(std::abs(found->baseX) <= kFarAway && std::abs(found->baseY) <= kFarAway);
                for (const auto& e : found->entities) {
                    cached->broken.push_back(isBroken(e));
                    report.broken += cached->broken.back();
                }
                report.broken += cached->brokenBase;
                cached->block = std::move(*found);
            }
            it = blocks.emplace(key, std::move(cached)).first;
        }
        return it->second ? &*it->second : nullptr;
    }

    // Counts an entity about to be drawn: tells progress now and then and
    // keeps block content within the budget. False when it is not to be drawn.
    bool visit(const Context& ctx)
    {
        if (report.stopped)
            return false;
        if (progress && ++visited % kProgressStep == 0 && !(*progress)(at, total)) {
            report.stopped = true;
            return false;
        }
        if (ctx.depth == 0)
            return true;
        if (!spent
            && (++fromBlocks > budget.blockEntities
                || blockBytes + (scene->memoryUse() - referenceStart) > budget.bytes))
            spent = true;
        return !spent;
    }

    // Layer 0 inside a block takes the layer of the reference.
    std::string effectiveLayer(const ce::DrawingEntity& e, const Context& ctx) const
    {
        std::string layer = base::UpperAscii(e.layer());
        if (layer == "0" && !ctx.layer.empty())
            return ctx.layer;
        return layer;
    }

    QRgb colourOf(const Groups& g, const LayerInfo& layer, const Context& ctx) const
    {
        const int aci = int(g.integer(62, ce::kDrawColourByLayer));
        if (aci == ce::kDrawColourByBlock)
            return ctx.byBlock;
        if (aci == ce::kDrawColourByLayer || aci < 0 || aci > 256)
            return layer.colour;
        if (const auto rgb = g.first(420))
            return qRgb(int((rgb->integer() >> 16) & 0xFF), int((rgb->integer() >> 8) & 0xFF),
                        int(rgb->integer() & 0xFF));
        return screenColour(aci);
    }

    int weightOf(const Groups& g, const LayerInfo& layer, const Context& ctx) const
    {
        const int weight = int(g.integer(370, ce::kDrawWeightByLayer));
        if (weight == ce::kDrawWeightByBlock)
            return ctx.byBlockWeight;
        if (weight == ce::kDrawWeightDefault || weight > kMaxWeight)
            return defaultWeight;
        if (weight < 0)
            return layer.weight;
        return weight;
    }
    Context modelSpace() const { return Context{{}, aciColour(7), {}, 0, defaultWeight}; }

    void path(const Context& ctx, const Affine& local, std::vector<Vec2> pts, bool closed, QRgb colour)
    {
        scene->addPath(mapAll(ctx.m * local, std::move(pts)), closed, colour);
    }
    void curve(const Context& ctx, const Affine& local, std::vector<Vec2> pts, bool closed, QRgb colour)
    {
        scene->addCurve(mapAll(ctx.m * local, std::move(pts)), closed, colour);
    }
    // A circle or arc drawn through pts (in its own coordinates), with its
    // centre to snap to; a circle stretched one way by a block's scales is
    // an ellipse, and stays only a curve.
    void arc(const Context& ctx, const Affine& local, const Arc& a, std::vector<Vec2> pts, QRgb colour)
    {
        const Affine m = ctx.m * local;
        if (const auto placed = mapArc(m, a))
            scene->addArc(mapAll(m, std::move(pts)), *placed, colour);
        else
            scene->addCurve(mapAll(m, std::move(pts)), a.isFull(), colour);
        scene->addSnapPoint(m.map(a.centre), SnapMark::Centre);
    }
    // A polyline: its straight runs as paths, each bulged segment an arc of
    // its own, so that snaps take its ends, middle and centre.
    void outline(const Context& ctx, const Affine& local, const std::vector<Vec2>& v,
                 const std::vector<double>& bulges, bool closed, QRgb colour)
    {
        const bool anyBulge = std::any_of(bulges.begin(), bulges.end(), [](double b) { return b != 0.0; });
        if (!anyBulge || v.size() < 2) {
            path(ctx, local, v, closed, colour);
            return;
        }
        const std::size_t n = v.size();
        std::vector<Vec2> straight;
        auto endStraight = [&] {
            if (straight.size() > 1)
                path(ctx, local, std::move(straight), false, colour);
            straight.clear();
        };
        for (std::size_t i = 0; i < (closed ? n : n - 1); ++i) {
            const Vec2 p = v[i], q = v[(i + 1) % n];
            const auto a = bulgeArc(p, q, i < bulges.size() ? bulges[i] : 0.0);
            if (!a) {
                if (straight.empty())
                    straight.push_back(p);
                straight.push_back(q);
                continue;
            }
            endStraight();
            std::vector<Vec2> pts{p};
            bulgeSegment(pts, p, q, bulges[i]);
            arc(ctx, local, *a, std::move(pts), colour);
        }
        endStraight();
    }

    void modelSpaceEntity(const ce::DrawingEntity& e);
    void entity(const ce::DrawingEntity& e, const Context& ctx);
    void insert(const ce::DrawingEntity& e, const Groups& g, const std::string& layer, QRgb colour,
                int weight, const Context& ctx);
    void blockContent(const CachedBlock& b, const Context& ctx);
    void lwpolyline(const Groups& g, const Context& ctx, QRgb colour);
    void polyline(const ce::DrawingEntity& e, const Groups& g, const Context& ctx, QRgb colour);
    void hatch(Groups& g, const Context& ctx, QRgb colour);
    void spline(const Groups& g, const Context& ctx, QRgb colour);
    void text(const ce::DrawingEntity& e, const Groups& g, const Context& ctx, QRgb colour, bool showTag);
    void mtext(const ce::DrawingEntity& e, const Groups& g, const Context& ctx, QRgb colour);
    void addText(const Context& ctx, const Affine& ocs, TextItem t, QRgb colour);
};

void SceneBuilder::Impl::modelSpaceEntity(const ce::DrawingEntity& e)
{
    if (isBroken(e)) {
        ++report.broken;
        return;
    }
    referenceStart = scene->memoryUse();
    entity(e, modelSpace());
    if (e.type() != "INSERT" && e.type() != "DIMENSION")
        return;
    blockBytes += scene->memoryUse() - referenceStart;
    // a reference the budget ran out in, or found spent
    if (spent && !report.stopped)
        ++report.cut;
}

void SceneBuilder::Impl::entity(const ce::DrawingEntity& e, const Context& ctx)
{
    if (!visit(ctx))
        return;
    Groups g(e.groups());
    if (g.integer(60) == 1)
        return; // invisible
    const std::string layerName = effectiveLayer(e, ctx);
    const LayerInfo layer = layerInfo(layerName);
    const std::string& type = e.type();
    if (!layer.visible && type != "INSERT")
        return;
    const QRgb colour = colourOf(g, layer, ctx);
    const int weight = weightOf(g, layer, ctx);
    scene->setWeight(weight);
    const Affine ocs = ocsOf(g);

    if (type == "LINE") {
        path(ctx, {}, {g.point(10), g.point(11)}, false, colour);
    } else if (type == "LWPOLYLINE") {
        lwpolyline(g, ctx, colour);
    } else if (type == "POLYLINE") {
        polyline(e, g, ctx, colour);
    } else if (type == "CIRCLE") {
        const Arc circle{g.point(10), g.number(40), 0.0, 2 * kPi};
        std::vector<Vec2> pts;
        arcPoints(pts, circle.centre, circle.radius, 0.0, circle.sweep, true);
        pts.pop_back();
        arc(ctx, ocs, circle, std::move(pts), colour);
    } else if (type == "ARC") {
        const double start = radians(g.number(50));
        const Arc a{g.point(10), g.number(40), start, ccwSweep(start, radians(g.number(51)))};
        std::vector<Vec2> pts;
        arcPoints(pts, a.centre, a.radius, a.start, a.sweep, true);
        arc(ctx, ocs, a, std::move(pts), colour);
    } else if (type == "ELLIPSE") {
        const Vec2 major = g.point(11);
        const double ratio = g.number(40, 1.0);
        // The minor axis is the extrusion crossed with the major axis.
        const double z = g.number(230, 1.0) < 0.0 ? -1.0 : 1.0;
        const Vec2 minor{-major.y * ratio * z, major.x * ratio * z};
        std::vector<Vec2> pts;
        const double t0 = g.number(41, 0.0), t1 = g.number(42, 2 * kPi);
        ellipsePoints(pts, g.point(10), major, minor, t0, t1);
        const bool full = std::abs(t1 - t0 - 2 * kPi) < 1e-9 || (t0 == 0.0 && t1 == 0.0);
        if (full)
            pts.pop_back();
        curve(ctx, {}, std::move(pts), full, colour);
        scene->addSnapPoint(ctx.m.map(g.point(10)), SnapMark::Centre);
    } else if (type == "POINT") {
        scene->addPoint(ctx.m.map(g.point(10)), colour);
    } else if (type == "SOLID" || type == "TRACE") {
        // Corners 3 and 4 are stored crosswise.
        std::vector<Vec2> pts{g.point(10), g.point(11), g.point(13, g.point(12)), g.point(12)};
        scene->addFilled(mapAll(ctx.m * ocs, std::move(pts)), colour);
    } else if (type == "3DFACE") {
        path(ctx, {}, {g.point(10), g.point(11), g.point(12), g.point(13, g.point(12))}, true, colour);
    } else if (type == "TEXT") {
        text(e, g, ctx, colour, false);
    } else if (type == "ATTDEF") {
        // Outside blocks a definition shows its tag; inside, only constant ones show (their value).
        if (ctx.layer.empty() || (g.integer(70) & ce::kDrawAttConstant))
            text(e, g, ctx, colour, ctx.layer.empty());
    } else if (type == "MTEXT") {
        mtext(e, g, ctx, colour);
    } else if (type == "INSERT") {
        insert(e, g, layerName, colour, weight, ctx);
    } else if (type == "DIMENSION") {
        // The measured picture is an anonymous block in drawing coordinates.
        if (const auto name = g.first(2)) {
            if (const auto b = block(e.text(2)); b && ctx.depth < kMaxNesting && layer.visible && !spent) {
                Context inner{ctx.m, colour, layerName, ctx.depth + 1, weight};
                blockContent(*b, inner);
            }
        }
    } else if (type == "HATCH") {
        hatch(g, ctx, colour);
    } else if (type == "SPLINE") {
        spline(g, ctx, colour);
    } else if (type == "LEADER") {
        std::vector<Vec2> pts;
        while (auto p = g.nextPoint(10))
            pts.push_back(*p);
        path(ctx, {}, std::move(pts), false, colour);
    }
    // Infinite lines, 3D solids, images and viewports have no outline here.
}

void SceneBuilder::Impl::insert(const ce::DrawingEntity& e, const Groups& g, const std::string& layerName,
                                QRgb colour, int weight, const Context& ctx)
{
    // A frozen reference hides all of the block; one on a switched-off
    // layer hides only what takes that layer (layer 0 and the attributes).
    const LayerInfo layer = layerInfo(layerName);
    if (layer.frozen)
        return;
    const Affine ocs = ocsOf(g);
    if (layer.visible)
        scene->addSnapPoint((ctx.m * ocs).map(g.point(10)), SnapMark::Insertion);
    const std::string name = e.text(2);
    const auto b = block(name);
    if (b && !b->brokenBase && !spent && ctx.depth < kMaxNesting && !expanding.contains(base::UpperAscii(name))) {
        const Vec2 base{b->block.baseX, b->block.baseY};
        const Vec2 at = g.point(10);
        const double sx = g.number(41, 1.0), sy = g.number(42, 1.0);
        const double rotation = radians(g.number(50));
        // (a count of 0 means one; the budget bounds the copies)
        const int columns = int(std::clamp(g.integer(70, 1), 1LL, kMaxRepeat));
        const int rows = int(std::clamp(g.integer(71, 1), 1LL, kMaxRepeat));
        const double dc = g.number(44), dr = g.number(45);
        expanding.insert(base::UpperAscii(name));
        for (int r = 0; r < rows && !spent && !report.stopped; ++r) {
            for (int c = 0; c < columns && !spent && !report.stopped; ++c) {
                const Affine m = ctx.m * ocs * Affine::translation(at.x, at.y) * Affine::rotation(rotation)
                    * Affine::translation(c * dc, r * dr) * Affine::scaling(sx, sy)
                    * Affine::translation(-base.x, -base.y);
                const Context inner{m, colour, layerName, ctx.depth + 1, weight};
                // each copy counts, or those of an empty block would go on and on
                if (visit(inner))
                    blockContent(*b, inner);
            }
        }
        expanding.erase(base::UpperAscii(name));
    }
    for (const auto& child : e.children()) {
        if (child.type() != "ATTRIB")
            continue;
        Groups cg(child.groups());
        if (cg.integer(70) & ce::kDrawAttInvisible || cg.integer(60) == 1)
            continue;
        const std::string childLayer = effectiveLayer(child, ctx);
        const LayerInfo info = layerInfo(childLayer);
        if (!info.visible)
            continue;
        const Context own{ctx.m, colour, ctx.layer, ctx.depth, weight};
        scene->setWeight(weightOf(cg, info, own));
        text(child, cg, ctx, colourOf(cg, info, own), false);
    }
}

void SceneBuilder::Impl::blockContent(const CachedBlock& b, const Context& ctx)
{
    for (std::size_t i = 0; i < b.block.entities.size() && !spent && !report.stopped; ++i)
        if (!b.broken[i])
            entity(b.block.entities[i], ctx);
}

void SceneBuilder::Impl::lwpolyline(const Groups& g, const Context& ctx, QRgb colour)
{
    std::vector<Vec2> v;
    std::vector<double> bulges;
    for (const auto& group : g.all()) {
        if (group.code == 10) {
            v.push_back({group.number(), 0.0});
            bulges.push_back(0.0);
        } else if (group.code == 20 && !v.empty()) {
            v.back().y = group.number();
        } else if (group.code == 42 && !bulges.empty()) {
            bulges.back() = group.number();
        }
    }
    const bool closed = (g.integer(70) & 1) != 0;
    outline(ctx, ocsOf(g), v, bulges, closed, colour);
}

void SceneBuilder::Impl::polyline(const ce::DrawingEntity& e, const Groups& g, const Context& ctx,
                                  QRgb colour)
{
    const int flags = int(g.integer(70));
    std::vector<Vec2> v;
    std::vector<double> bulges;
    std::vector<std::array<int, 4>> faces;
    for (const auto& child : e.children()) {
        if (child.type() != "VERTEX")
            continue;
        Groups vg(child.groups());
        const int vflags = int(vg.integer(70));
        if ((flags & 64) && (vflags & 128) && !(vflags & 64)) {
            faces.push_back(
                {int(vg.integer(71)), int(vg.integer(72)), int(vg.integer(73)), int(vg.integer(74))});
            continue;
        }
        v.push_back(vg.point(10));
        bulges.push_back(vg.number(42));
    }
    const bool threeD = (flags & (8 | 16 | 64)) != 0;
    const Affine local = threeD ? Affine{} : ocsOf(g);
    if (flags & 64) {
        // Polyface mesh: each face names up to four vertices (negative = edge not shown).
        for (const auto& f : faces) {
            std::vector<Vec2> pts;
            for (int index : f) {
                const std::size_t i = std::size_t(std::abs(index));
                if (i >= 1 && i <= v.size())
                    pts.push_back(v[i - 1]);
            }
            path(ctx, local, std::move(pts), true, colour);
        }
        return;
    }
    if (flags & 16) {
        // Polygon mesh: m rows of n vertices.
        const int m = int(g.integer(71)), n = int(g.integer(72));
        if (m > 0 && n > 0 && std::size_t(m) * std::size_t(n) <= v.size()) {
            for (int r = 0; r < m; ++r)
                path(ctx, local, std::vector<Vec2>(v.begin() + r * n, v.begin() + (r + 1) * n), flags & 32,
                     colour);
            for (int c = 0; c < n; ++c) {
                std::vector<Vec2> column;
                for (int r = 0; r < m; ++r)
                    column.push_back(v[std::size_t(r * n + c)]);
                path(ctx, local, std::move(column), flags & 1, colour);
            }
        }
        return;
    }
    const bool closed = (flags & 1) != 0;
    if (threeD)
        path(ctx, local, v, closed, colour);
    else
        outline(ctx, local, v, bulges, closed, colour);
}

void SceneBuilder::Impl::hatch(Groups& g, const Context& ctx, QRgb colour)
{
    const Affine ocs = ocsOf(g);
    const auto count = g.next(91);
    if (!count)
        return;
    for (long long p = 0; p < count->integer() && !g.atEnd(); ++p) {
        const auto type = g.next(92);
        if (!type)
            return;
        if (type->integer() & 2) {
            g.take(72); // has bulges: the 42 groups say it anyway
            const auto closedGroup = g.take(73);
            const auto n = g.next(93);
            std::vector<Vec2> v;
            std::vector<double> bulges;
            for (long long i = 0; n && i < n->integer(); ++i) {
                const auto pt = g.nextPoint(10);
                if (!pt)
                    break;
                v.push_back(*pt);
                const auto b = g.take(42);
                bulges.push_back(b ? b->number() : 0.0);
            }
            const bool closed = !closedGroup || closedGroup->integer() != 0;
            path(ctx, ocs, bulgePolyline(v, bulges, closed), closed, colour);
            continue;
        }
        const auto edges = g.next(93);
        std::vector<Vec2> outline;
        for (long long i = 0; edges && i < edges->integer(); ++i) {
            const auto kind = g.next(72);
            if (!kind)
                break;
            std::vector<Vec2> pts;
            switch (kind->integer()) {
            case 1: {
                const auto a = g.nextPoint(10), b = g.nextPoint(11);
                if (a && b)
                    pts = {*a, *b};
                break;
            }
            case 2: {
                const auto c = g.nextPoint(10);
                const double r = g.nextNumber(40);
                double a0 = radians(g.nextNumber(50)), a1 = radians(g.nextNumber(51));
                const auto ccw = g.take(73);
                if (ccw && ccw->integer() == 0) {
                    // Clockwise arcs keep their angles mirrored.
                    a0 = -a0;
                    a1 = -a1;
                    if (c)
                        arcPoints(pts, *c, r, a0, -ccwSweep(a1, a0), true);
                } else if (c) {
                    arcPoints(pts, *c, r, a0, ccwSweep(a0, a1), true);
                }
                break;
            }
            case 3: {
                const auto c = g.nextPoint(10), major = g.nextPoint(11);
                const double ratio = g.nextNumber(40);
                double t0 = radians(g.nextNumber(50)), t1 = radians(g.nextNumber(51));
                const auto ccw = g.take(73);
                if (!c || !major)
                    break;
                if (ccw && ccw->integer() == 0) {
                    t0 = -t0;
                    t1 = -t1;
                    std::swap(t0, t1);
                }
                ellipsePoints(pts, *c, *major, {-major->y * ratio, major->x * ratio}, t0, t1);
                if (ccw && ccw->integer() == 0)
                    std::reverse(pts.begin(), pts.end());
                break;
            }
            case 4: {
                // Spline edge: degree, flags, knot and control point counts, then the lists.
                const auto degree = g.next(94);
                const auto knotCount = g.next(95);
                const auto ctrlCount = g.next(96);
                if (!degree || !knotCount || !ctrlCount)
                    break;
                std::vector<double> knots, weights;
                std::vector<Vec2> ctrl;
                for (long long k = 0; k < knotCount->integer() && !g.atEnd(); ++k)
                    knots.push_back(g.nextNumber(40));
                for (long long k = 0; k < ctrlCount->integer(); ++k) {
                    const auto pt = g.nextPoint(10);
                    if (!pt)
                        break;
                    ctrl.push_back(*pt);
                    if (const auto w = g.take(42))
                        weights.push_back(w->number());
                }
                pts = bspline(int(degree->integer()), knots, ctrl, weights);
                break;
            }
            default: break;
            }
            outline.insert(outline.end(), pts.begin(), pts.end());
        }
        path(ctx, ocs, std::move(outline), true, colour);
    }
}

void SceneBuilder::Impl::spline(const Groups& g, const Context& ctx, QRgb colour)
{
    std::vector<double> knots, weights;
    std::vector<Vec2> ctrl, fit;
    for (std::size_t i = 0; i < g.all().size(); ++i) {
        const auto& group = g.all()[i];
        switch (group.code) {
        case 40: knots.push_back(group.number()); break;
        case 41: weights.push_back(group.number()); break;
        case 10: ctrl.push_back({group.number(), 0.0}); break;
        case 20:
            if (!ctrl.empty())
                ctrl.back().y = group.number();
            break;
        case 11: fit.push_back({group.number(), 0.0}); break;
        case 21:
            if (!fit.empty())
                fit.back().y = group.number();
            break;
        default: break;
        }
    }
    const bool closed = (g.integer(70) & 1) != 0;
    // A curve: only its ends are points to snap to, not those it is drawn through.
    if (ctrl.empty()) {
        curve(ctx, {}, std::move(fit), closed, colour);
        return;
    }
    curve(ctx, {}, bspline(int(g.integer(71, 3)), knots, ctrl, weights), false, colour);
}

void SceneBuilder::Impl::addText(const Context& ctx, const Affine& ocs, TextItem t, QRgb colour)
{
    // Place the text through the block transforms: anchor, direction and height.
    const Affine m = ctx.m * ocs;
    const Vec2 at = m.map(t.at);
    const Vec2 along = m.map(t.at.x + std::cos(t.rotation), t.at.y + std::sin(t.rotation));
    const Vec2 up = m.map(t.at.x - std::sin(t.rotation), t.at.y + std::cos(t.rotation));
    const double xScale = std::hypot(along.x - at.x, along.y - at.y);
    const double yScale = std::hypot(up.x - at.x, up.y - at.y);
    t.rotation = std::atan2(along.y - at.y, along.x - at.x);
    t.at = at;
    t.height *= yScale;
    if (yScale > 0.0)
        t.widthFactor *= xScale / yScale;
    scene->addText(std::move(t), colour);
}

void SceneBuilder::Impl::text(const ce::DrawingEntity& e, const Groups& g, const Context& ctx, QRgb colour,
                              bool showTag)
{
    TextItem t;
    const std::string& type = e.type();
    const bool attribute = type == "ATTRIB" || type == "ATTDEF";
    t.text = plainText(QString::fromStdString(showTag ? e.text(2) : e.text(1)));
    t.height = g.number(40, 1.0);
    t.rotation = radians(g.number(50));
    t.widthFactor = g.number(41, 1.0);
    if (!(t.widthFactor > 0.0))
        t.widthFactor = 1.0;
    const int h = int(g.integer(72));
    // Attributes keep their vertical alignment in 74 (73 is the field length).
    const int v = int(g.integer(attribute ? 74 : 73));
    const Vec2 first = g.point(10);
    const Vec2 second = g.point(11, first);
    t.at = first;
    if (h == 3 || h == 5) {
        // Aligned and fitted text runs from the first to the second point.
        if (second.x != first.x || second.y != first.y)
            t.rotation = std::atan2(second.y - first.y, second.x - first.x);
    } else if (h != 0 || v != 0) {
        t.at = second;
        t.halign = h == 1 || h == 4 ? HAlign::Centre : h == 2 ? HAlign::Right : HAlign::Left;
        t.valign = h == 4 ? VAlign::Middle
            : v == 1      ? VAlign::Bottom
            : v == 2      ? VAlign::Middle
            : v == 3      ? VAlign::Top
                          : VAlign::Baseline;
    }
    addText(ctx, ocsOf(g), std::move(t), colour);
}

void SceneBuilder::Impl::mtext(const ce::DrawingEntity& e, const Groups& g, const Context& ctx, QRgb colour)
{
    (void)e;
    std::string raw;
    for (const auto& group : g.all())
        if (group.code == 3)
            raw += doc.decode(group.value);
    if (const auto last = g.first(1))
        raw += doc.decode(last->value);
    TextItem t;
    t.text = plainMText(QString::fromStdString(raw));
    t.at = g.point(10);
    t.height = g.number(40, 1.0);
    t.lineSpacing = 1.667 * g.number(44, 1.0);
    if (g.has(50))
        t.rotation = radians(g.number(50));
    else if (g.has(11)) {
        const Vec2 dir = g.point(11);
        t.rotation = std::atan2(dir.y, dir.x);
    }
    const int attach = std::clamp(int(g.integer(71, 1)), 1, 9);
    t.halign = (attach - 1) % 3 == 0 ? HAlign::Left : (attach - 1) % 3 == 1 ? HAlign::Centre : HAlign::Right;
    t.valign = attach <= 3 ? VAlign::Top : attach <= 6 ? VAlign::Middle : VAlign::Bottom;
    // The direction vector of MTEXT is in world coordinates.
    addText(ctx, g.has(11) && !g.has(50) ? Affine{} : ocsOf(g), std::move(t), colour);
}

SceneBuilder::SceneBuilder(ce::DrawingReader drawing) : d_(std::make_unique<Impl>(std::move(drawing))) { }
SceneBuilder::~SceneBuilder() = default;

void SceneBuilder::setLayerState(std::string_view name, bool on, bool frozen)
{
    const std::string key = base::UpperAscii(name);
    LayerInfo layer = d_->layerInfo(key);
    layer.visible = on && !frozen;
    layer.frozen = frozen;
    d_->layers[key] = layer;
}

void SceneBuilder::setBudget(const Budget& budget)
{
    d_->budget = budget;
}

const SceneBuilder::Report& SceneBuilder::report() const
{
    return d_->report;
}

QString SceneBuilder::warning() const
{
    const Report& r = d_->report;
    QStringList parts;
    if (r.broken > 0)
        parts << QStringLiteral("Pominięto obiekty o niepoprawnych wartościach (kąty, promienie, skale, "
                                "liczby powtórzeń, współrzędne): %1.")
                     .arg(r.broken);
    if (r.cut > 0)
        parts << QStringLiteral("Bloków nie narysowano w całości: zawierają więcej, niż okno może pokazać "
                                "(wstawienia narysowane częściowo lub wcale: %1).")
                     .arg(r.cut);
    if (r.stopped)
        parts << QStringLiteral("Rysowanie przerwano: widać tylko część rysunku.");
    return parts.join(QLatin1Char(' '));
}

bool SceneBuilder::buildModelSpace(Scene& scene, const Progress& progress)
{
    scene.clear();
    const std::size_t total = d_->doc.modelSpaceCount();
    d_->start(scene, progress ? &progress : nullptr, total);
    scene.reserveFor(total);
    d_->doc.forEachModelSpace(0, [&](std::size_t i, const ce::DrawingEntity& e) {
        d_->at = i;
        if (progress && (i % kProgressStep) == 0 && !progress(i, total)) {
            d_->report.stopped = true;
        } else {
            scene.setEntity(std::uint32_t(i));
            d_->modelSpaceEntity(e);
        }
        return !d_->report.stopped;
    });
    d_->end();
    scene.setEntity(kNoEntity);
    scene.finish();
    if (d_->report.stopped)
        return false;
    if (progress)
        progress(total, total);
    return true;
}

void SceneBuilder::addEntities(Scene& scene, const std::vector<EntityAt>& entities)
{
    d_->start(scene, nullptr, 0);
    for (const EntityAt& e : entities) {
        d_->at = e.index;
        scene.setEntity(std::uint32_t(e.index));
        d_->modelSpaceEntity(d_->doc.entity(e.key));
    }
    scene.setEntity(kNoEntity);
    d_->end();
    scene.finish();
}

bool SceneBuilder::changesEverything(const ce::DrawingChanges& changes)
{
    if (changes.layers || changes.blocks)
        return true;
    // What the builder reads of the header.
    for (const std::string& name : changes.headerVariables)
        if (name == "$LWDEFAULT" || name == "$DWGCODEPAGE")
            return true;
    return false;
}

bool SceneBuilder::buildBlock(Scene& scene, std::string_view name, double scale)
{
    scene.clear();
    d_->start(scene, nullptr, 0);
    const auto b = d_->block(std::string(name));
    if (!b)
        return false;
    const Vec2 base{b->block.baseX, b->block.baseY};
    const Context ctx{Affine::scaling(scale, scale) * Affine::translation(-base.x, -base.y), aciColour(7),
                      "0", 1, d_->defaultWeight};
    d_->blockContent(*b, ctx);
    d_->end();
    scene.finish();
    return true;
}

} // namespace lumo::view
