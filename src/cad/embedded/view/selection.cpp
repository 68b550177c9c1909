#include "cad/embedded/view/selection.h"

#include <algorithm>
#include <cmath>

namespace lumo::view {

namespace {

double distanceToSegment(Vec2 p, Vec2 a, Vec2 b)
{
    const double dx = b.x - a.x, dy = b.y - a.y;
    const double length2 = dx * dx + dy * dy;
    double t = length2 > 0.0 ? ((p.x - a.x) * dx + (p.y - a.y) * dy) / length2 : 0.0;
    t = std::clamp(t, 0.0, 1.0);
    return std::hypot(p.x - (a.x + t * dx), p.y - (a.y + t * dy));
}

bool contains(const Box& box, Vec2 p)
{
    return p.x >= box.minX && p.x <= box.maxX && p.y >= box.minY && p.y <= box.maxY;
}

bool containsBox(const Box& outer, const Box& inner)
{
    return inner.minX >= outer.minX && inner.maxX <= outer.maxX && inner.minY >= outer.minY
        && inner.maxY <= outer.maxY;
}

// Liang-Barsky: some part of the segment lies in the box.
bool segmentMeetsBox(Vec2 a, Vec2 b, const Box& box)
{
    double t0 = 0.0, t1 = 1.0;
    const double dx = b.x - a.x, dy = b.y - a.y;
    const double p[4] = {-dx, dx, -dy, dy};
    const double q[4] = {a.x - box.minX, box.maxX - a.x, a.y - box.minY, box.maxY - a.y};
    for (int i = 0; i < 4; ++i) {
        if (p[i] == 0.0) {
            if (q[i] < 0.0)
                return false;
            continue;
        }
        const double t = q[i] / p[i];
        if (p[i] < 0.0)
            t0 = std::max(t0, t);
        else
            t1 = std::min(t1, t);
        if (t0 > t1)
            return false;
    }
    return true;
}

bool insidePolygon(Vec2 p, const Vec2* v, std::uint32_t n)
{
    bool in = false;
    for (std::uint32_t i = 0, j = n - 1; i < n; j = i++) {
        if ((v[i].y > p.y) != (v[j].y > p.y)
            && p.x < (v[j].x - v[i].x) * (p.y - v[i].y) / (v[j].y - v[i].y) + v[i].x)
            in = !in;
    }
    return in;
}

// How far the point is from what the item draws (0 inside a text or a fill).
double distanceTo(const Scene& scene, const Item& item, Vec2 p)
{
    const Vec2* v = scene.vertices().data() + item.first;
    switch (item.kind) {
    case ItemKind::Text: return contains(item.bounds, p) ? 0.0 : 1e300;
    case ItemKind::Point: return std::hypot(p.x - v[0].x, p.y - v[0].y);
    case ItemKind::Filled:
        if (item.count >= 3 && insidePolygon(p, v, item.count))
            return 0.0;
        [[fallthrough]];
    case ItemKind::Path:
    case ItemKind::Closed: {
        double best = 1e300;
        for (std::uint32_t i = 1; i < item.count; ++i)
            best = std::min(best, distanceToSegment(p, v[i - 1], v[i]));
        if (item.kind != ItemKind::Path && item.count > 2)
            best = std::min(best, distanceToSegment(p, v[item.count - 1], v[0]));
        return best;
    }
    }
    return 1e300;
}

bool crosses(const Scene& scene, const Item& item, const Box& window)
{
    if (containsBox(window, item.bounds))
        return true;
    if (!item.bounds.intersects(window))
        return false;
    const Vec2* v = scene.vertices().data() + item.first;
    switch (item.kind) {
    case ItemKind::Text: return true;
    case ItemKind::Point: return contains(window, v[0]);
    case ItemKind::Filled:
        if (item.count >= 3
            && insidePolygon({(window.minX + window.maxX) / 2, (window.minY + window.maxY) / 2}, v, item.count))
            return true;
        [[fallthrough]];
    case ItemKind::Path:
    case ItemKind::Closed:
        for (std::uint32_t i = 1; i < item.count; ++i)
            if (segmentMeetsBox(v[i - 1], v[i], window))
                return true;
        return item.kind != ItemKind::Path && item.count > 2 && segmentMeetsBox(v[item.count - 1], v[0], window);
    }
    return false;
}

} // namespace

Picker::Picker(const Scene& scene) : scene_(scene)
{
    for (const Item& item : scene.items()) {
        if (item.entity == kNoEntity)
            continue;
        if (item.entity >= itemCount_.size())
            itemCount_.resize(std::size_t(item.entity) + 1, 0);
        ++itemCount_[item.entity];
    }
}

std::optional<std::uint32_t> Picker::at(Vec2 p, double aperture) const
{
    const Box around{p.x - aperture, p.y - aperture, p.x + aperture, p.y + aperture};
    std::optional<std::uint32_t> best;
    double bestDistance = aperture;
    scene_.forEachIn(around, [&](const Item& item) {
        if (item.entity == kNoEntity)
            return;
        const double d = distanceTo(scene_, item, p);
        if (d > aperture)
            return;
        // Of two as near, the one drawn later lies on top.
        if (!best || d < bestDistance || (d == bestDistance && item.entity > *best)) {
            bestDistance = d;
            best = item.entity;
        }
    });
    return best;
}

std::vector<std::uint32_t> Picker::inWindow(const Box& window, bool crossing) const
{
    std::vector<std::uint32_t> hits(itemCount_.size(), 0);
    scene_.forEachIn(window, [&](const Item& item) {
        if (item.entity == kNoEntity)
            return;
        if (crossing ? crosses(scene_, item, window) : containsBox(window, item.bounds))
            ++hits[item.entity];
    });
    std::vector<std::uint32_t> out;
    for (std::uint32_t e = 0; e < hits.size(); ++e)
        if (hits[e] > 0 && (crossing || hits[e] == itemCount_[e]))
            out.push_back(e);
    return out;
}

std::shared_ptr<Scene> SceneOf(const Scene& scene, const std::vector<bool>& selected, const Affine& place)
{
    auto out = std::make_shared<Scene>();
    const double turn = std::atan2(place.b, place.a);
    std::vector<Vec2> points;
    for (const Item& item : scene.items()) {
        if (item.entity == kNoEntity || item.entity >= selected.size() || !selected[item.entity])
            continue;
        out->setEntity(item.entity);
        out->setWeight(item.weight);
        if (item.kind == ItemKind::Text) {
            TextItem text = scene.texts()[item.first];
            text.at = place.map(text.at);
            text.rotation += turn;
            text.height *= place.scaleFactor();
            out->addText(std::move(text), item.colour);
            continue;
        }
        points.clear();
        for (std::uint32_t i = 0; i < item.count; ++i)
            points.push_back(place.map(scene.vertices()[item.first + i]));
        switch (item.kind) {
        case ItemKind::Point: out->addPoint(points.front(), item.colour); break;
        case ItemKind::Filled: out->addFilled(points, item.colour); break;
        case ItemKind::Path:
        case ItemKind::Closed:
            if (item.curve)
                out->addCurve(points, item.kind == ItemKind::Closed, item.colour);
            else
                out->addPath(points, item.kind == ItemKind::Closed, item.colour);
            break;
        case ItemKind::Text: break;
        }
    }
    out->finish();
    return out;
}

QString ObjectCount(std::size_t count)
{
    const std::size_t tens = count % 100, ones = count % 10;
    const char* word = "obiektów";
    if (count == 1)
        word = "obiekt";
    else if (ones >= 2 && ones <= 4 && !(tens >= 12 && tens <= 14))
        word = "obiekty";
    return QStringLiteral("%1 %2").arg(count).arg(QString::fromUtf8(word));
}

} // namespace lumo::view
