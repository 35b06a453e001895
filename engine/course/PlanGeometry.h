// Geometry of the ground plane, seen from above with x to the right and z up, worked
// in double precision: what the course checker measures outlines, crossings and bends
// with.
#pragma once

#include <optional>
#include <vector>

#include "d3dx9/d3dx9math.h"

struct PlanPoint {
    double x = 0;
    double z = 0;
};

inline PlanPoint planOf(const D3DXVECTOR3& p) {
    return {p.x, p.z};
}

// Twice the signed area of triangle abc: positive when a, b, c run counter-clockwise.
double turn(const PlanPoint& a, const PlanPoint& b, const PlanPoint& c);

// Where segments ab and cd cross: each has the other's ends strictly on opposite sides.
// Segments that only touch, or overlap along a line, do not cross.
std::optional<PlanPoint> crossing(const PlanPoint& a, const PlanPoint& b, const PlanPoint& c,
                                  const PlanPoint& d);

// Every place where the closed loop through the points crosses itself: segment i runs
// from point i to point i + 1, the last back to the first. Neighbouring segments share
// an end and are not compared.
std::vector<PlanPoint> selfCrossings(const std::vector<PlanPoint>& loop);

// The radius of the circle through three points; infinite when they lie on one line.
double circumradius(const PlanPoint& a, const PlanPoint& b, const PlanPoint& c);

// The smallest of p's barycentric coordinates in triangle abc, whichever way it winds:
// 0 on its border, negative outside it, a third at its middle. Minus infinity for a
// triangle without area.
double insideness(const PlanPoint& p, const PlanPoint& a, const PlanPoint& b, const PlanPoint& c);

// Whether p lies inside triangle abc or on its border. A triangle without area holds
// nothing.
bool inTriangle(const PlanPoint& p, const PlanPoint& a, const PlanPoint& b, const PlanPoint& c);

// A convex polygon, either way round.
using PlanPolygon = std::vector<PlanPoint>;

// The part of convex polygon `subject` that lies inside convex polygon `clip`.
PlanPolygon clipConvex(const PlanPolygon& subject, const PlanPolygon& clip);
// Area (never negative) and centre of mass of a simple polygon.
double areaOf(const PlanPolygon& polygon);
PlanPoint centroidOf(const PlanPolygon& polygon);
