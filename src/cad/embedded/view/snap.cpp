#include "cad/embedded/view/snap.h"

#include <algorithm>
#include <cmath>

namespace lumo::view {

namespace {

struct Segment {
    Vec2 p, q;
    std::uint32_t item;
    std::uint32_t index;
    const Arc* arc; // the circle the segment is a chord of, if any
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

// Where the line through p and q meets the circle (none, one or two points).
std::vector<Vec2> lineMeetsCircle(Vec2 p, Vec2 q, const Arc& c)
{
    const double dx = q.x - p.x, dy = q.y - p.y;
    const double len2 = dx * dx + dy * dy;
    if (len2 == 0.0)
        return {};
    // The foot of the perpendicular from the centre, then both ways along the line.
    const double t = ((c.centre.x - p.x) * dx + (c.centre.y - p.y) * dy) / len2;
    const Vec2 foot{p.x + t * dx, p.y + t * dy};
    const double h2 = c.radius * c.radius - distance2(foot, c.centre);
    if (h2 < 0.0)
        return {};
    const double k = std::sqrt(h2 / len2);
    return {{foot.x - k * dx, foot.y - k * dy}, {foot.x + k * dx, foot.y + k * dy}};
}

std::vector<Vec2> circleMeetsCircle(const Arc& a, const Arc& b)
{
    const double d2 = distance2(a.centre, b.centre);
    const double d = std::sqrt(d2);
    if (d == 0.0 || d > a.radius + b.radius || d < std::abs(a.radius - b.radius))
        return {};
    const double along = (d2 + a.radius * a.radius - b.radius * b.radius) / (2 * d);
    const double h = std::sqrt(std::max(0.0, a.radius * a.radius - along * along));
    const double ux = (b.centre.x - a.centre.x) / d, uy = (b.centre.y - a.centre.y) / d;
    const Vec2 mid{a.centre.x + along * ux, a.centre.y + along * uy};
    return {{mid.x - h * uy, mid.y + h * ux}, {mid.x + h * uy, mid.y - h * ux}};
}

double angleOn(const Arc& arc, Vec2 p)
{
    return std::atan2(p.y - arc.centre.y, p.x - arc.centre.x);
}

// The crossing of the curves themselves near where two of their chords
// cross: a chord of an arc lies off the arc by up to its sagitta.
Vec2 onTheCurves(const Segment& s, const Segment& t, Vec2 chordsCross)
{
    if (!s.arc && !t.arc)
        return chordsCross;
    const auto exact = s.arc && t.arc ? circleMeetsCircle(*s.arc, *t.arc)
        : s.arc                       ? lineMeetsCircle(t.p, t.q, *s.arc)
                                      : lineMeetsCircle(s.p, s.q, *t.arc);
    const double reach2 = std::max(distance2(s.p, s.q), distance2(t.p, t.q));
    std::optional<Vec2> best;
    for (const Vec2 x : exact) {
        if ((s.arc && !s.arc->covers(angleOn(*s.arc, x))) || (t.arc && !t.arc->covers(angleOn(*t.arc, x))))
            continue;
        if (distance2(x, chordsCross) <= reach2
            && (!best || distance2(x, chordsCross) < distance2(*best, chordsCross)))
            best = x;
    }
    return best.value_or(chordsCross);
}

bool nearEnd(Vec2 x, const Segment& s, double hair2)
{
    return distance2(x, s.p) <= hair2 || distance2(x, s.q) <= hair2;
}

// The crossings of the segments nearest the cursor, within reach, offered
// nearest first: the segments go into a small grid over the search square,
// whose cells are visited by their distance from the cursor until no
// crossing in them could beat the best snap so far. A dense area costs the
// pairs of the few cells around the cursor, not those of all it shows.
template <typename Offer, typename Bound>
void offerCrossings(const std::vector<Segment>& segments, Vec2 cursor, double reach, const Offer& offer,
                    const Bound& bound2)
{
    if (segments.size() < 2)
        return;
    const int k = std::clamp(int(std::sqrt(double(segments.size()))), 1, 32);
    const double x0 = cursor.x - reach, y0 = cursor.y - reach, size = 2 * reach / k;
    auto column = [&](double x) { return std::clamp(int(std::floor((x - x0) / size)), 0, k - 1); };
    auto row = [&](double y) { return std::clamp(int(std::floor((y - y0) / size)), 0, k - 1); };
    std::vector<std::vector<std::uint32_t>> cells(std::size_t(k) * k);
    for (std::uint32_t i = 0; i < segments.size(); ++i) {
        const Segment& s = segments[i];
        const double dy = s.q.y - s.p.y;
        const int r0 = row(std::min(s.p.y, s.q.y)), r1 = row(std::max(s.p.y, s.q.y));
        for (int r = r0; r <= r1; ++r) {
            // The stretch of the segment within the row's band.
            double ta = 0.0, tb = 1.0;
            if (dy != 0.0) {
                ta = std::clamp((y0 + r * size - s.p.y) / dy, 0.0, 1.0);
                tb = std::clamp((y0 + (r + 1) * size - s.p.y) / dy, 0.0, 1.0);
            }
            const double xa = s.p.x + ta * (s.q.x - s.p.x), xb = s.p.x + tb * (s.q.x - s.p.x);
            for (int c = column(std::min(xa, xb)); c <= column(std::max(xa, xb)); ++c)
                cells[std::size_t(r) * k + c].push_back(i);
        }
    }
    struct Visit {
        double distance2;
        std::size_t cell;
    };
    std::vector<Visit> order;
    for (std::size_t c = 0; c < cells.size(); ++c) {
        if (cells[c].size() < 2)
            continue;
        const double cx0 = x0 + double(c % k) * size, cy0 = y0 + double(c / k) * size;
        const double dx = std::max({cx0 - cursor.x, 0.0, cursor.x - (cx0 + size)});
        const double dy = std::max({cy0 - cursor.y, 0.0, cursor.y - (cy0 + size)});
        order.push_back({dx * dx + dy * dy, c});
    }
    std::sort(order.begin(), order.end(), [](const Visit& a, const Visit& b) { return a.distance2 < b.distance2; });
    const double hair2 = reach * reach * 1e-18;
    for (const Visit& visit : order) {
        if (visit.distance2 > bound2())
            break;
        const auto& in = cells[visit.cell];
        for (std::size_t i = 0; i < in.size(); ++i)
            for (std::size_t j = i + 1; j < in.size(); ++j) {
                const Segment &s = segments[in[i]], &t = segments[in[j]];
                // Neighbours along one outline meet at their shared vertex.
                if (s.item == t.item && (s.index + 1 == t.index || t.index + 1 == s.index))
                    continue;
                const auto x = crossing(s, t);
                // Outlines that meet at their ends have an end there, not a crossing.
                if (!x || nearEnd(*x, s, hair2) || nearEnd(*x, t, hair2))
                    continue;
                offer(onTheCurves(s, t, *x), SnapKind::Intersection);
            }
    }
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
        if (item.curve && !closed) {
            offer(v[0], SnapKind::Endpoint);
            offer(v[item.count - 1], SnapKind::Endpoint);
        }
        const Arc* arc = item.arc != kNoArc ? &scene_.arcs()[item.arc] : nullptr;
        if (arc) {
            if (!arc->isFull())
                offer(arc->at(arc->start + arc->sweep / 2), SnapKind::Midpoint);
            offer(arc->nearest(cursor), SnapKind::Nearest);
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
            if (!arc)
                offer(closestOnSegment(p, q, cursor), SnapKind::Nearest);
            near.push_back({p, q, std::uint32_t(&item - first), i, arc});
        }
    });
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

    // A crossing has to come nearer than the nearest point snap found.
    const bool pointFound = best && best->kind != SnapKind::Nearest;
    const double crossingReach = pointFound ? std::sqrt(bestDistance2) : aperture;
    const Box square{cursor.x - crossingReach, cursor.y - crossingReach, cursor.x + crossingReach,
                     cursor.y + crossingReach};
    std::erase_if(near, [&](const Segment& s) { return !boxOf(s.p, s.q).intersects(square); });
    offerCrossings(near, cursor, crossingReach, offer,
                   [&] { return best && best->kind != SnapKind::Nearest ? bestDistance2 : reach2; });
    return best;
}

} // namespace lumo::view
