#include "cad/embedded/view/snap.h"

#include <algorithm>
#include <cmath>

namespace lumo::view {

namespace {

// Above this many segments near the cursor, crossings are not looked for
// (the view shows too much for a crossing to be picked anyway).
constexpr std::size_t kMaxCrossingSegments = 400;

struct Segment {
    Vec2 p, q;
    std::uint32_t item;
    std::uint32_t index;
};

double distance2(Vec2 a, Vec2 b)
{
    return (a.x - b.x) * (a.x - b.x) + (a.y - b.y) * (a.y - b.y);
}

Box boxOf(Vec2 p, Vec2 q)
{
    Box b;
    b.add(p.x, p.y);
    b.add(q.x, q.y);
    return b;
}

Vec2 closestOnSegment(Vec2 p, Vec2 q, Vec2 c)
{
    const double dx = q.x - p.x, dy = q.y - p.y;
    const double len2 = dx * dx + dy * dy;
    if (len2 == 0.0)
        return p;
    const double t = std::clamp(((c.x - p.x) * dx + (c.y - p.y) * dy) / len2, 0.0, 1.0);
    return {p.x + t * dx, p.y + t * dy};
}

std::optional<Vec2> crossing(const Segment& s, const Segment& t)
{
    const double rx = s.q.x - s.p.x, ry = s.q.y - s.p.y;
    const double ux = t.q.x - t.p.x, uy = t.q.y - t.p.y;
    const double denom = rx * uy - ry * ux;
    if (denom == 0.0)
        return std::nullopt;
    const double wx = t.p.x - s.p.x, wy = t.p.y - s.p.y;
    const double a = (wx * uy - wy * ux) / denom;
    const double b = (wx * ry - wy * rx) / denom;
    if (a < 0.0 || a > 1.0 || b < 0.0 || b > 1.0)
        return std::nullopt;
    // Lines along the axes cross at coordinates taken as they are.
    if (rx == 0.0 && uy == 0.0)
        return Vec2{s.p.x, t.p.y};
    if (ry == 0.0 && ux == 0.0)
        return Vec2{t.p.x, s.p.y};
    return Vec2{s.p.x + a * rx, s.p.y + a * ry};
}

} // namespace

QString snapName(SnapKind kind)
{
    switch (kind) {
    case SnapKind::Endpoint: return QStringLiteral("Punkt końcowy");
    case SnapKind::Insertion: return QStringLiteral("Punkt wstawienia");
    case SnapKind::Centre: return QStringLiteral("Środek");
    case SnapKind::Intersection: return QStringLiteral("Przecięcie");
    case SnapKind::Midpoint: return QStringLiteral("Punkt środkowy");
    case SnapKind::Nearest: break;
    }
    return QStringLiteral("Bliski");
}

SnapFinder::SnapFinder(const Scene& scene) : scene_(scene)
{
    const auto& points = scene.snapPoints();
    for (const auto& p : points)
        bounds_.add(p.at.x, p.at.y);
    if (points.empty())
        return;
    // About four points a cell.
    const double w = std::max(bounds_.width(), 1e-9), h = std::max(bounds_.height(), 1e-9);
    const double cells = std::max(1.0, double(points.size()) / 4.0);
    nx_ = int(std::clamp(std::sqrt(cells * w / h), 1.0, 1024.0));
    ny_ = int(std::clamp(cells / nx_, 1.0, 1024.0));
    sx_ = nx_ / w;
    sy_ = ny_ / h;
    std::vector<std::uint32_t> cellOf(points.size());
    cellStart_.assign(std::size_t(nx_) * ny_ + 1, 0);
    for (std::size_t i = 0; i < points.size(); ++i) {
        const int cx = std::clamp(int((points[i].at.x - bounds_.minX) * sx_), 0, nx_ - 1);
        const int cy = std::clamp(int((points[i].at.y - bounds_.minY) * sy_), 0, ny_ - 1);
        cellOf[i] = std::uint32_t(cy * nx_ + cx);
        ++cellStart_[cellOf[i] + 1];
    }
    for (std::size_t c = 1; c < cellStart_.size(); ++c)
        cellStart_[c] += cellStart_[c - 1];
    points_.resize(points.size());
    std::vector<std::uint32_t> fill(cellStart_.begin(), cellStart_.end() - 1);
    for (std::size_t i = 0; i < points.size(); ++i)
        points_[fill[cellOf[i]]++] = points[i];
}

std::optional<Snap> SnapFinder::find(Vec2 cursor, double aperture) const
{
    if (!(aperture > 0.0))
        return std::nullopt;
    const Box box{cursor.x - aperture, cursor.y - aperture, cursor.x + aperture, cursor.y + aperture};
    const double reach2 = aperture * aperture;

    std::optional<Snap> best;
    double bestDistance2 = reach2;
    auto offer = [&](Vec2 at, SnapKind kind) {
        const double d2 = distance2(at, cursor);
        if (d2 > reach2)
            return;
        // A point snap beats the nearest point of a line; among the same
        // sort, the closer one wins, and at equal distance the earlier kind.
        const bool pointSnap = kind != SnapKind::Nearest;
        const bool bestIsPoint = best && best->kind != SnapKind::Nearest;
        if (best && bestIsPoint && !pointSnap)
            return;
        if (!best || (pointSnap && !bestIsPoint) || d2 < bestDistance2
            || (d2 == bestDistance2 && kind < best->kind)) {
            best = Snap{at, kind};
            bestDistance2 = d2;
        }
    };

    std::vector<Segment> near;
    const auto& vertices = scene_.vertices();
    const Item* first = scene_.items().data();
    scene_.forEachIn(box, [&](const Item& item) {
        if (item.kind == ItemKind::Text)
            return;
        const Vec2* v = vertices.data() + item.first;
        if (item.kind == ItemKind::Point || item.count == 1) {
            offer(v[0], SnapKind::Endpoint);
            return;
        }
        const bool closed = item.kind != ItemKind::Path;
        if (item.curve) {
            if (!closed) {
                offer(v[0], SnapKind::Endpoint);
                offer(v[item.count - 1], SnapKind::Endpoint);
            }
        }
        const std::uint32_t segments = closed ? item.count : item.count - 1;
        for (std::uint32_t i = 0; i < segments; ++i) {
            const Vec2 p = v[i], q = v[(i + 1) % item.count];
            if (!boxOf(p, q).intersects(box))
                continue;
            if (!item.curve) {
                offer(p, SnapKind::Endpoint);
                offer(q, SnapKind::Endpoint);
                offer({(p.x + q.x) / 2, (p.y + q.y) / 2}, SnapKind::Midpoint);
            }
            offer(closestOnSegment(p, q, cursor), SnapKind::Nearest);
            if (near.size() <= kMaxCrossingSegments)
                near.push_back({p, q, std::uint32_t(&item - first), i});
        }
    });
    if (near.size() <= kMaxCrossingSegments) {
        for (std::size_t i = 0; i < near.size(); ++i)
            for (std::size_t j = i + 1; j < near.size(); ++j) {
                const Segment &s = near[i], &t = near[j];
                // Neighbours along one outline meet at their shared vertex.
                if (s.item == t.item && (s.index + 1 == t.index || t.index + 1 == s.index))
                    continue;
                if (const auto x = crossing(s, t))
                    offer(*x, SnapKind::Intersection);
            }
    }

    if (!points_.empty() && box.intersects(bounds_)) {
        const int x0 = std::clamp(int((box.minX - bounds_.minX) * sx_), 0, nx_ - 1);
        const int x1 = std::clamp(int((box.maxX - bounds_.minX) * sx_), 0, nx_ - 1);
        const int y0 = std::clamp(int((box.minY - bounds_.minY) * sy_), 0, ny_ - 1);
        const int y1 = std::clamp(int((box.maxY - bounds_.minY) * sy_), 0, ny_ - 1);
        for (int cy = y0; cy <= y1; ++cy)
            for (int cx = x0; cx <= x1; ++cx) {
                const std::size_t c = std::size_t(cy) * nx_ + cx;
                for (std::uint32_t i = cellStart_[c]; i < cellStart_[c + 1]; ++i)
                    offer(points_[i].at,
                          points_[i].mark == SnapMark::Centre ? SnapKind::Centre : SnapKind::Insertion);
            }
    }
    return best;
}

} // namespace lumo::view
