// Curves as the drawing window draws them: arcs, bulged polyline segments,
// ellipses and B-splines turned into point lists fine enough for the screen.
#pragma once

#include "cad/embedded/view/scene.h"

#include <optional>
#include <vector>

namespace lumo::view {

// The counter-clockwise turn from one angle to another (radians), in (0, 2π].
double ccwSweep(double from, double to);
// The points of an arc of radius r around c from angle start (radians) over
// sweep (negative = clockwise); the first point only when withFirst.
void arcPoints(std::vector<Vec2>& out, Vec2 c, double r, double start, double sweep, bool withFirst);
// The arc of a polyline segment with a bulge (none for a straight one).
std::optional<Arc> bulgeArc(Vec2 p0, Vec2 p1, double bulge);
// The arc as a turn, shift and even scaling (mirrored or not) places it;
// none when the mapping stretches one way more than the other.
std::optional<Arc> mapArc(const Affine& m, const Arc& arc);
// Appends the vertices after p0 up to p1 of a polyline segment with a bulge
// (the tangent of a quarter of the arc's angle; negative = clockwise).
void bulgeSegment(std::vector<Vec2>& out, Vec2 p0, Vec2 p1, double bulge);
// A polyline's vertices with its bulged segments as arcs.
std::vector<Vec2> bulgePolyline(const std::vector<Vec2>& v, const std::vector<double>& bulges, bool closed);
// An ellipse around c with the given axis vectors, from parameter t0 to t1.
void ellipsePoints(std::vector<Vec2>& out, Vec2 c, Vec2 major, Vec2 minor, double t0, double t1);
// A B-spline by de Boor's algorithm; the control polygon when the knots do
// not fit.
std::vector<Vec2> bspline(int degree, const std::vector<double>& knots, const std::vector<Vec2>& ctrl,
                          const std::vector<double>& weights);
// Every point mapped.
std::vector<Vec2> mapAll(const Affine& m, std::vector<Vec2> points);

} // namespace lumo::view
