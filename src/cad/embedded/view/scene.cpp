#include "cad/embedded/view/scene.h"

#include <QStringList>

#include <algorithm>
#include <cmath>

namespace lumo::view {

namespace {
constexpr double kPi = 3.14159265358979323846;
} // namespace

Affine Affine::inverted() const
{
    const double det = determinant();
    if (det == 0.0)
        return {};
    const double ia = d / det, ib = -b / det, ic = -c / det, id = a / det;
    return {ia, ib, ic, id, -(ia * e + ic * f), -(ib * e + id * f)};
}

double Affine::scaleFactor() const
{
    return std::sqrt(std::abs(determinant()));
}

Box Affine::mapBox(const Box& box) const
{
    Box out;
    if (box.isEmpty())
        return out;
    for (const auto& p :
         {map(box.minX, box.minY), map(box.maxX, box.minY), map(box.minX, box.maxY), map(box.maxX, box.maxY)})
        out.add(p.x, p.y);
    return out;
}

bool Arc::isFull() const
{
    return std::abs(sweep) >= 2 * kPi - 1e-12;
}

Vec2 Arc::at(double angle) const
{
    return {centre.x + radius * std::cos(angle), centre.y + radius * std::sin(angle)};
}

bool Arc::covers(double angle) const
{
    if (isFull())
        return true;
    // The turn from the start towards the angle, the way the arc runs.
    double along = sweep >= 0.0 ? angle - start : start - angle;
    along = std::fmod(along, 2 * kPi);
    if (along < 0.0)
        along += 2 * kPi;
    const double hair = 1e-9;
    return along <= std::abs(sweep) + hair || along >= 2 * kPi - hair;
}

Vec2 Arc::nearest(Vec2 p) const
{
    const double dx = p.x - centre.x, dy = p.y - centre.y;
    if (dx == 0.0 && dy == 0.0)
        return at(start); // every point of the circle is as near
    const double angle = std::atan2(dy, dx);
    if (covers(angle))
        return at(angle);
    const Vec2 a = at(start), b = at(start + sweep);
    const double da = (a.x - p.x) * (a.x - p.x) + (a.y - p.y) * (a.y - p.y);
    const double db = (b.x - p.x) * (b.x - p.x) + (b.y - p.y) * (b.y - p.y);
    return da <= db ? a : b;
}

Affine Affine::rotation(double radians)
{
    const double c = std::cos(radians), s = std::sin(radians);
    return {c, s, -s, c, 0, 0};
}

namespace {

bool withinReach(double x, double y)
{
    // (a NaN fails both comparisons)
    return std::abs(x) <= kFarAway && std::abs(y) <= kFarAway;
}

bool withinReach(const Box& b)
{
    return withinReach(b.minX, b.minY) && withinReach(b.maxX, b.maxY);
}

} // namespace

void Scene::addPath(const std::vector<Vec2>& points, bool closed, QRgb colour)
{
    if (points.empty())
        return;
    if (points.size() == 1) {
        addPoint(points.front(), colour);
        return;
    }
    Item item;
    item.kind = closed ? ItemKind::Closed : ItemKind::Path;
    item.colour = colour;
    item.weight = weight_;
    item.entity = entity_;
    item.first = std::uint32_t(vertices_.size());
    item.count = std::uint32_t(points.size());
    for (const auto& p : points) {
        if (!withinReach(p.x, p.y)) {
            ++refused_; // a broken entity draws nothing
            return;
        }
        item.bounds.add(p.x, p.y);
    }
    vertices_.insert(vertices_.end(), points.begin(), points.end());
    extents_.add(item.bounds);
    items_.push_back(item);
}

void Scene::addFilled(const std::vector<Vec2>& points, QRgb colour)
{
    const auto before = items_.size();
    addPath(points, true, colour);
    if (items_.size() > before && items_.back().kind == ItemKind::Closed)
        items_.back().kind = ItemKind::Filled;
}

void Scene::addCurve(const std::vector<Vec2>& points, bool closed, QRgb colour)
{
    const auto before = items_.size();
    addPath(points, closed, colour);
    if (items_.size() > before)
        items_.back().curve = true;
}

void Scene::addArc(const std::vector<Vec2>& points, const Arc& arc, QRgb colour)
{
    const auto before = items_.size();
    addCurve(points, arc.isFull(), colour);
    if (items_.size() == before || !withinReach(arc.centre.x, arc.centre.y) || !(arc.radius <= kFarAway))
        return;
    items_.back().arc = std::uint32_t(arcs_.size());
    arcs_.push_back(arc);
}

void Scene::addSnapPoint(Vec2 at, SnapMark mark)
{
    if (withinReach(at.x, at.y))
        snapPoints_.push_back({at, mark, entity_});
}

void Scene::addPoint(Vec2 p, QRgb colour)
{
    if (!withinReach(p.x, p.y)) {
        ++refused_;
        return;
    }
    Item item;
    item.kind = ItemKind::Point;
    item.colour = colour;
    item.weight = weight_;
    item.entity = entity_;
    item.first = std::uint32_t(vertices_.size());
    item.count = 1;
    item.bounds.add(p.x, p.y);
    vertices_.push_back(p);
    extents_.add(item.bounds);
    items_.push_back(item);
}

void Scene::addText(TextItem text, QRgb colour)
{
    if (text.text.isEmpty())
        return;
    // Beyond these a text is no text anyone wrote, and the painter would
    // choke on its size or turn.
    const bool sane = text.height > 0.0 && text.height <= kFarAway && std::isfinite(text.rotation)
        && text.widthFactor >= 1e-6 && text.widthFactor <= 1e6 && text.lineSpacing >= 0.0
        && text.lineSpacing <= 1e3 && withinReach(text.at.x, text.at.y);
    Item item;
    item.bounds = sane ? textBounds(text) : Box{};
    if (!sane || !withinReach(item.bounds)) {
        ++refused_;
        return;
    }
    item.kind = ItemKind::Text;
    item.colour = colour;
    item.weight = weight_;
    item.entity = entity_;
    item.first = std::uint32_t(texts_.size());
    textBytes_ += std::size_t(text.text.size()) * sizeof(QChar);
    texts_.push_back(std::move(text));
    extents_.add(item.bounds);
    items_.push_back(item);
}

std::size_t Scene::memoryUse() const
{
    return items_.size() * sizeof(Item) + vertices_.size() * sizeof(Vec2) + texts_.size() * sizeof(TextItem)
        + textBytes_ + snapPoints_.size() * sizeof(SnapPoint) + arcs_.size() * sizeof(Arc);
}

void Scene::clear()
{
    *this = Scene();
}

Box Scene::textBounds(const TextItem& t)
{
    // Average glyph advance of a sans font is about 0.6 of the height.
    const auto lines = t.text.split(QLatin1Char('\n'));
    qsizetype longest = 0;
    for (const auto& line : lines)
        longest = std::max(longest, line.size());
    const double width = 0.6 * t.height * t.widthFactor * double(longest);
    const double block = t.height * (1.0 + t.lineSpacing * double(lines.size() - 1));
    double left = 0.0;
    if (t.halign == HAlign::Centre)
        left = -width / 2;
    else if (t.halign == HAlign::Right)
        left = -width;
    double top = 0.0; // of the first line's cap height, relative to the anchor
    switch (t.valign) {
    case VAlign::Baseline: top = t.height; break;
    case VAlign::Bottom: top = block; break;
    case VAlign::Middle: top = block / 2; break;
    case VAlign::Top: top = 0.0; break;
    }
    // Room for descenders below the last baseline.
    const Box local{left, top - block - 0.3 * t.height, left + width, top};
    const Affine place = Affine::translation(t.at.x, t.at.y) * Affine::rotation(t.rotation);
    return place.mapBox(local);
}

void Scene::reserveFor(std::size_t entities)
{
    // most entities are an item of a few vertices; circles and arcs take
    // more, and references bring their attributes' texts
    items_.reserve(entities * 2);
    vertices_.reserve(entities * 16);
}

void Scene::finish()
{
    cells_.clear();
    const std::size_t n = items_.size();
    if (n < 256 || extents_.isEmpty())
        return;
    // About 32 items a cell; the grid follows the drawing's aspect ratio.
    const double cellsWanted = double(n) / 32.0;
    const double w = std::max(extents_.width(), 1e-9), h = std::max(extents_.height(), 1e-9);
    const int nx = int(std::clamp(std::sqrt(cellsWanted * w / h), 1.0, 512.0));
    const int ny = int(std::clamp(cellsWanted / nx, 1.0, 512.0));
    const double sx = nx / w, sy = ny / h;

    std::vector<std::uint32_t> cellOf(n);
    std::vector<std::uint32_t> counts(std::size_t(nx) * ny + 1, 0);
    for (std::size_t i = 0; i < n; ++i) {
        const Box& b = items_[i].bounds;
        const int cx = std::clamp(int(((b.minX + b.maxX) / 2 - extents_.minX) * sx), 0, nx - 1);
        const int cy = std::clamp(int(((b.minY + b.maxY) / 2 - extents_.minY) * sy), 0, ny - 1);
        cellOf[i] = std::uint32_t(cy * nx + cx);
        ++counts[cellOf[i] + 1];
    }
    for (std::size_t c = 1; c < counts.size(); ++c)
        counts[c] += counts[c - 1];
    cells_.resize(std::size_t(nx) * ny);
    for (std::size_t c = 0; c < cells_.size(); ++c) {
        cells_[c].begin = counts[c];
        cells_[c].end = counts[c + 1];
    }
    // Items of one cell side by side: a redraw reads them in order. (Their
    // vertices stay where they are: a second copy of them all would double
    // the picture's memory at its largest.)
    std::vector<Item> sorted(n);
    std::vector<std::uint32_t> fill(counts.begin(), counts.end() - 1);
    for (std::size_t i = 0; i < n; ++i) {
        sorted[fill[cellOf[i]]++] = items_[i];
        cells_[cellOf[i]].loose.add(items_[i].bounds);
    }
    items_ = std::move(sorted);
    std::erase_if(cells_, [](const Cell& c) { return c.begin == c.end; });
    // Items added after a change come last: within their place they go
    // back among the others in the order of their entities, so what lies
    // over what is as when all is drawn anew.
    const auto byEntity = [](const Item& a, const Item& b) { return a.entity < b.entity; };
    for (const Cell& cell : cells_) {
        const auto begin = items_.begin() + cell.begin, end = items_.begin() + cell.end;
        if (!std::is_sorted(begin, end, byEntity))
            std::stable_sort(begin, end, byEntity);
    }
}

void Scene::renumberEntities(const std::vector<std::uint32_t>& renumber)
{
    // False for what is dropped; what was drawn for no entity stays.
    const auto renumbered = [&](std::uint32_t& entity) {
        if (entity == kNoEntity)
            return true;
        entity = entity < renumber.size() ? renumber[entity] : kNoEntity;
        return entity != kNoEntity;
    };
    extents_ = {};
    cells_.clear();
    std::size_t kept = 0;
    for (std::size_t i = 0; i < items_.size(); ++i) {
        Item item = items_[i];
        if (!renumbered(item.entity)) {
            if (item.kind == ItemKind::Text)
                ++unusedTexts_;
            else
                unusedVertices_ += item.count;
            continue;
        }
        extents_.add(item.bounds);
        items_[kept++] = item;
    }
    items_.resize(kept);
    std::size_t keptPoints = 0;
    for (std::size_t i = 0; i < snapPoints_.size(); ++i) {
        SnapPoint point = snapPoints_[i];
        if (renumbered(point.entity))
            snapPoints_[keptPoints++] = point;
    }
    snapPoints_.resize(keptPoints);
    // More kept for nothing than for the picture: given back.
    if (unusedVertices_ > vertices_.size() / 2 || unusedTexts_ > texts_.size() / 2)
        compact();
}

void Scene::compact()
{
    std::vector<Vec2> vertices;
    std::vector<TextItem> texts;
    std::vector<Arc> arcs;
    vertices.reserve(vertices_.size() - unusedVertices_);
    texts.reserve(texts_.size() - unusedTexts_);
    textBytes_ = 0;
    for (Item& item : items_) {
        if (item.kind == ItemKind::Text) {
            textBytes_ += std::size_t(texts_[item.first].text.size()) * sizeof(QChar);
            texts.push_back(std::move(texts_[item.first]));
            item.first = std::uint32_t(texts.size() - 1);
            continue;
        }
        const auto from = vertices_.begin() + item.first;
        item.first = std::uint32_t(vertices.size());
        vertices.insert(vertices.end(), from, from + item.count);
        if (item.arc != kNoArc) {
            arcs.push_back(arcs_[item.arc]);
            item.arc = std::uint32_t(arcs.size() - 1);
        }
    }
    vertices_ = std::move(vertices);
    texts_ = std::move(texts);
    arcs_ = std::move(arcs);
    unusedVertices_ = unusedTexts_ = 0;
}

} // namespace lumo::view
