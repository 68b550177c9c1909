#include "cad/embedded/view/scene_curves.h"

#include <algorithm>
#include <cmath>

namespace lumo::view {

namespace {

constexpr double kPi = 3.14159265358979323846;
constexpr int kSegmentsPerCircle = 72;
// Higher degrees are no curve anyone drew, and cost the square of the degree a point.
constexpr int kMaxSplineDegree = 25;

// Segments for a turn of this many radians: a full circle's at most, two at least.
int segmentsFor(double sweep)
{
    const double segments = std::ceil(std::abs(sweep) / (2 * kPi) * kSegmentsPerCircle);
    // (compared before the conversion: a NaN or a huge turn takes the most)
    return segments < kSegmentsPerCircle ? std::max(2, int(segments)) : kSegmentsPerCircle;
}

} // namespace

double ccwSweep(double from, double to)
{
    const double sweep = std::fmod(to - from, 2 * kPi);
    return sweep <= 0.0 ? sweep + 2 * kPi : sweep;
}

void arcPoints(std::vector<Vec2>& out, Vec2 c, double r, double start, double sweep, bool withFirst)
{
    const int n = segmentsFor(sweep);
    for (int i = withFirst ? 0 : 1; i <= n; ++i) {
        const double a = start + sweep * double(i) / n;
        out.push_back({c.x + r * std::cos(a), c.y + r * std::sin(a)});
    }
}

std::optional<Arc> bulgeArc(Vec2 p0, Vec2 p1, double bulge)
{
    const double dx = p1.x - p0.x, dy = p1.y - p0.y;
    const double chord = std::hypot(dx, dy);
    if (std::abs(bulge) < 1e-9 || chord == 0.0 || !std::isfinite(bulge))
        return std::nullopt;
    Arc arc;
    arc.sweep = 4.0 * std::atan(bulge);
    const double h = chord / 2.0 * (1.0 - bulge * bulge) / (2.0 * bulge);
    arc.centre = {(p0.x + p1.x) / 2 - dy / chord * h, (p0.y + p1.y) / 2 + dx / chord * h};
    arc.radius = std::hypot(p0.x - arc.centre.x, p0.y - arc.centre.y);
    arc.start = std::atan2(p0.y - arc.centre.y, p0.x - arc.centre.x);
    return arc;
}

std::optional<Arc> mapArc(const Affine& m, const Arc& arc)
{
    // Columns of one length at right angles: circles stay circles.
    const double lengthX = std::hypot(m.a, m.b), lengthY = std::hypot(m.c, m.d);
    const double tolerance = 1e-9 * std::max(lengthX, lengthY);
    if (!(lengthX > 0.0) || std::abs(lengthX - lengthY) > tolerance
        || std::abs(m.a * m.c + m.b * m.d) > tolerance * std::max(lengthX, lengthY))
        return std::nullopt;
    Arc out;
    out.centre = m.map(arc.centre);
    out.radius = arc.radius * lengthX;
    const Vec2 first = m.map(arc.at(arc.start));
    out.start = std::atan2(first.y - out.centre.y, first.x - out.centre.x);
    out.sweep = m.determinant() < 0.0 ? -arc.sweep : arc.sweep;
    return out;
}

void bulgeSegment(std::vector<Vec2>& out, Vec2 p0, Vec2 p1, double bulge)
{
    const auto arc = bulgeArc(p0, p1, bulge);
    if (!arc) {
        out.push_back(p1);
        return;
    }
    arcPoints(out, arc->centre, arc->radius, arc->start, arc->sweep, false);
    out.back() = p1; // exactly on the next vertex
}

std::vector<Vec2> bulgePolyline(const std::vector<Vec2>& v, const std::vector<double>& bulges, bool closed)
{
    std::vector<Vec2> out;
    if (v.empty())
        return out;
    out.push_back(v[0]);
    const std::size_t n = v.size();
    const std::size_t segments = closed ? n : n - 1;
    for (std::size_t i = 0; i < segments; ++i)
        bulgeSegment(out, v[i], v[(i + 1) % n], i < bulges.size() ? bulges[i] : 0.0);
    if (closed && out.size() > 1)
        out.pop_back(); // the closing vertex is the first again
    return out;
}

void ellipsePoints(std::vector<Vec2>& out, Vec2 c, Vec2 major, Vec2 minor, double t0, double t1)
{
    // At most one turn; equal ends make a whole ellipse.
    const double sweep = t1 - t0 > 0.0 && t1 - t0 <= 2 * kPi ? t1 - t0 : ccwSweep(t0, t1);
    const int n = segmentsFor(sweep);
    for (int i = 0; i <= n; ++i) {
        const double t = t0 + sweep * double(i) / n;
        const double ct = std::cos(t), st = std::sin(t);
        out.push_back({c.x + major.x * ct + minor.x * st, c.y + major.y * ct + minor.y * st});
    }
}

// A B-spline by de Boor's algorithm; the control polygon when the knots do
// not fit.
std::vector<Vec2> bspline(int degree, const std::vector<double>& knots, const std::vector<Vec2>& ctrl,
                          const std::vector<double>& weights)
{
    const std::size_t n = ctrl.size();
    if (degree < 1 || degree > kMaxSplineDegree || n < std::size_t(degree) + 1
        || knots.size() != n + std::size_t(degree) + 1)
        return ctrl;
    const bool rational = weights.size() == n;
    struct H {
        double x, y, w;
    };
    const double lo = knots[std::size_t(degree)], hi = knots[n];
    if (!(hi > lo))
        return ctrl;
    // Sixteen points a knot span: close enough to the curve for a snap on
    // it to land within a hair of it at any zoom a designer works at.
    const int steps = std::clamp(int(n - std::size_t(degree)) * 16, 64, 4096);
    std::vector<Vec2> out;
    out.reserve(std::size_t(steps) + 1);
    std::vector<H> d(std::size_t(degree) + 1);
    for (int s = 0; s <= steps; ++s) {
        const double u = lo + (hi - lo) * double(s) / steps;
        std::size_t k = std::size_t(degree);
        while (k + 1 < n && knots[k + 1] <= u)
            ++k;
        for (int j = 0; j <= degree; ++j) {
            const auto& p = ctrl[k - std::size_t(degree) + std::size_t(j)];
            const double w = rational ? weights[k - std::size_t(degree) + std::size_t(j)] : 1.0;
            d[std::size_t(j)] = {p.x * w, p.y * w, w};
        }
        for (int r = 1; r <= degree; ++r) {
            for (int j = degree; j >= r; --j) {
                const std::size_t i = k - std::size_t(degree) + std::size_t(j);
                const double den = knots[i + std::size_t(degree) + 1 - std::size_t(r)] - knots[i];
                const double a = den == 0.0 ? 0.0 : (u - knots[i]) / den;
                auto& dj = d[std::size_t(j)];
                const auto& dp = d[std::size_t(j) - 1];
                dj = {(1 - a) * dp.x + a * dj.x, (1 - a) * dp.y + a * dj.y, (1 - a) * dp.w + a * dj.w};
            }
        }
        const H& h = d[std::size_t(degree)];
        out.push_back(h.w != 0.0 ? Vec2{h.x / h.w, h.y / h.w} : Vec2{h.x, h.y});
    }
    return out;
}

std::vector<Vec2> mapAll(const Affine& m, std::vector<Vec2> points)
{
    for (auto& p : points)
        p = m.map(p);
    return points;
}

} // namespace lumo::view
