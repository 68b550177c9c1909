// What the drawing window draws: the drawing flattened into world-space
// primitives (block references expanded, curves turned into vertex runs,
// colours resolved), with a loose grid so a redraw only visits what is near
// the visible area. Built once per drawing change, drawn many times.
#pragma once

#include <QRgb>
#include <QString>

#include <cstdint>
#include <vector>

namespace lumo::view {

// Farther from the origin than any real drawing reaches (a million
// kilometres in millimetres): a number beyond it is a broken one.
inline constexpr double kFarAway = 1e12;

struct Vec2 {
    double x = 0.0;
    double y = 0.0;
    friend bool operator==(const Vec2&, const Vec2&) = default;
};

struct Box {
    double minX = 1e300;
    double minY = 1e300;
    double maxX = -1e300;
    double maxY = -1e300;

    bool isEmpty() const { return minX > maxX || minY > maxY; }
    double width() const { return maxX - minX; }
    double height() const { return maxY - minY; }
    void add(double x, double y)
    {
        if (x < minX)
            minX = x;
        if (x > maxX)
            maxX = x;
        if (y < minY)
            minY = y;
        if (y > maxY)
            maxY = y;
    }
    void add(const Box& b)
    {
        if (b.isEmpty())
            return;
        add(b.minX, b.minY);
        add(b.maxX, b.maxY);
    }
    bool intersects(const Box& b) const
    {
        return minX <= b.maxX && b.minX <= maxX && minY <= b.maxY && b.minY <= maxY;
    }
};

// x' = a x + c y + e, y' = b x + d y + f (the same layout as QTransform).
struct Affine {
    double a = 1.0, b = 0.0, c = 0.0, d = 1.0, e = 0.0, f = 0.0;

    Vec2 map(double x, double y) const { return {a * x + c * y + e, b * x + d * y + f}; }
    Vec2 map(Vec2 p) const { return map(p.x, p.y); }
    // this after other: p -> this(other(p)).
    Affine operator*(const Affine& o) const
    {
        return {a * o.a + c * o.b, b * o.a + d * o.b,     a * o.c + c * o.d,
                b * o.c + d * o.d, a * o.e + c * o.f + e, b * o.e + d * o.f + f};
    }
    friend bool operator==(const Affine&, const Affine&) = default;
    double determinant() const { return a * d - b * c; }
    Affine inverted() const;
    // How much a unit length grows (geometric mean of both axes).
    double scaleFactor() const;
    Box mapBox(const Box& box) const;

    static Affine translation(double x, double y) { return {1, 0, 0, 1, x, y}; }
    static Affine scaling(double sx, double sy) { return {sx, 0, 0, sy, 0, 0}; }
    static Affine rotation(double radians);
};

// The item belongs to no model-space entity (a block drawn on its own).
inline constexpr std::uint32_t kNoEntity = 0xFFFFFFFFu;
// The item's vertex run stands for no circle (see Item::arc).
inline constexpr std::uint32_t kNoArc = 0xFFFFFFFFu;

// The circle or arc a curve item's vertex run stands for, in drawing
// coordinates, so that snaps find points on the curve itself rather than on
// its chords.
struct Arc {
    Vec2 centre;
    double radius = 0.0;
    double start = 0.0; // radians
    double sweep = 0.0; // radians, negative = clockwise; a full turn for a circle

    bool isFull() const;
    Vec2 at(double angle) const;
    // The point of the arc nearest to p.
    Vec2 nearest(Vec2 p) const;
    // The angle lies on the arc (within a hair).
    bool covers(double angle) const;
};

enum class ItemKind : std::uint8_t {
    Path, // open vertex run
    Closed, // vertex run closed back to its first vertex
    Filled, // filled polygon (solids)
    Point,
    Text,
};

struct Item {
    ItemKind kind = ItemKind::Path;
    bool curve = false; // the vertex run stands for a circle, arc or ellipse
    // Line weight in hundredths of a millimetre, as resolved from the
    // drawing (paper only: the screen draws every line one pixel wide).
    std::int16_t weight = 0;
    QRgb colour = 0;
    std::uint32_t first = 0; // first vertex, or the text's index
    std::uint32_t count = 0; // vertex count
    std::uint32_t entity = kNoEntity; // the model-space entity it was drawn for
    std::uint32_t arc = kNoArc; // its circle in Scene::arcs(), for a circle or arc
    Box bounds;
};

enum class HAlign : std::uint8_t { Left, Centre, Right };
enum class VAlign : std::uint8_t { Baseline, Bottom, Middle, Top };

struct TextItem {
    QString text; // one or more lines split by '\n'
    Vec2 at; // the alignment point
    double height = 1.0;
    double rotation = 0.0; // radians, counter-clockwise
    double widthFactor = 1.0; // horizontal stretch
    double lineSpacing = 1.667; // in heights, between baselines
    HAlign halign = HAlign::Left;
    VAlign valign = VAlign::Baseline;
};

// A point an object snap finds that is not a vertex of an outline.
enum class SnapMark : std::uint8_t { Centre, Insertion };

struct SnapPoint {
    Vec2 at;
    SnapMark mark = SnapMark::Centre;
    std::uint32_t entity = kNoEntity; // the model-space entity it was found on
};

class Scene {
public:
    // ---- building
    // Items added from now on belong to this model-space entity.
    void setEntity(std::uint32_t entity) { entity_ = entity; }
    void addPath(const std::vector<Vec2>& points, bool closed, QRgb colour);
    void addFilled(const std::vector<Vec2>& points, QRgb colour);
    void addPoint(Vec2 p, QRgb colour);
    void addText(TextItem text, QRgb colour);
    // A vertex run that approximates a curve (no ends or midpoints inside it).
    void addCurve(const std::vector<Vec2>& points, bool closed, QRgb colour);
    // A curve whose vertex run approximates this circle or arc.
    void addArc(const std::vector<Vec2>& points, const Arc& arc, QRgb colour);
    void addSnapPoint(Vec2 at, SnapMark mark);
    // The line weight of the items added from now on (hundredths of a mm).
    void setWeight(int weight) { weight_ = std::int16_t(weight); }
    void clear();
    // Room for about this many entities before the first add: pages of the
    // room never written cost no memory, while growing by doubling would
    // hold the old and the new copy of all vertices at once.
    void reserveFor(std::size_t entities);
    // Builds the spatial index; call after the last add and before drawing.
    // Items are regrouped by place, so their order is not the drawing order;
    // within a place they are drawn in the order of their entities.
    void finish();
    // For a drawing that changed in a few entities: keeps what was drawn
    // for every other entity, under the number `renumber` gives it, and
    // drops what was drawn for those it gives kNoEntity (entities gone or
    // changed). The changed ones are added after, then finish().
    void renumberEntities(const std::vector<std::uint32_t>& renumber);

    // ---- reading
    const std::vector<Item>& items() const { return items_; }
    const std::vector<Vec2>& vertices() const { return vertices_; }
    const std::vector<TextItem>& texts() const { return texts_; }
    const Box& extents() const { return extents_; }
    const std::vector<SnapPoint>& snapPoints() const { return snapPoints_; }
    const std::vector<Arc>& arcs() const { return arcs_; }
    bool isEmpty() const { return items_.empty(); }
    // Items refused for vertices that are not finite or lie farther than kFarAway.
    std::size_t refused() const { return refused_; }
    // About what the picture takes in memory, in bytes.
    std::size_t memoryUse() const;

    // Calls fn(const Item&) for every item whose bounds meet the box (each once).
    template <typename Fn> void forEachIn(const Box& box, Fn&& fn) const
    {
        if (cells_.empty()) {
            for (const auto& item : items_)
                if (item.bounds.intersects(box))
                    fn(item);
            return;
        }
        for (const auto& cell : cells_) {
            if (!cell.loose.intersects(box))
                continue;
            const bool whole = cell.loose.minX >= box.minX && cell.loose.maxX <= box.maxX
                && cell.loose.minY >= box.minY && cell.loose.maxY <= box.maxY;
            for (std::uint32_t i = cell.begin; i < cell.end; ++i) {
                const Item& item = items_[i];
                if (whole || item.bounds.intersects(box))
                    fn(item);
            }
        }
    }

    // Estimated bounds of a text (the font's real metrics are not known here).
    static Box textBounds(const TextItem& text);

private:
    struct Cell {
        Box loose; // union of the bounds of its items
        std::uint32_t begin = 0;
        std::uint32_t end = 0;
    };
    std::vector<Item> items_;
    std::vector<Vec2> vertices_;
    std::vector<TextItem> texts_;
    std::vector<SnapPoint> snapPoints_;
    std::vector<Arc> arcs_;
    Box extents_;
    std::vector<Cell> cells_; // each a run of items_
    // Drops vertices, texts and circles no item uses any more.
    void compact();

    std::size_t refused_ = 0;
    std::size_t textBytes_ = 0;
    // Vertices and texts of items dropped by renumberEntities, still held.
    std::size_t unusedVertices_ = 0;
    std::size_t unusedTexts_ = 0;
    std::int16_t weight_ = 0;
    std::uint32_t entity_ = kNoEntity;
};

} // namespace lumo::view
