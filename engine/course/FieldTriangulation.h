#pragma once

#include <array>
#include <optional>
#include <vector>

#include "d3dx9/d3dx9math.h"

// Triangulation of the inner field of a course: the closed loop of the course's
// calculated points, seen from above (x and z; y is ignored).

// Three positions in the control polygon, in the order the fans read them.
using FieldTriangle = std::array<int, 3>;

// One corner of the polygon while it is being cut up.
struct PolygonEntry {
    bool convex = false;
    bool removed = false;
    int index = 0; // position in the control polygon
    float x = 0;
    float y = 0;
    float z = 0;
};

// turn(i) = a.z * b.x - a.x * b.z with a = P[i] - P[i-1] and b = P[i+1] - P[i]
// (cyclic). It is positive where a loop laid clockwise seen from above turns.
double cornerTurn(const D3DXVECTOR3& before, const D3DXVECTOR3& here, const D3DXVECTOR3& after);

// Entries for a polygon with every convex flag set from the corner turn (turn >= 0).
std::vector<PolygonEntry> makePolygonEntries(const std::vector<D3DXVECTOR3>& polygon);

// Twice the signed area of a polygon in the ground plane, positive for a loop
// that runs counter-clockwise seen from above (x to the right, z up).
double signedArea2(const std::vector<D3DXVECTOR3>& polygon);
double signedArea2(const D3DXVECTOR3& a, const D3DXVECTOR3& b, const D3DXVECTOR3& c);

// The field's own cutting walk: clip a corner that follows a convex one until none
// is left, then walk the rest as a fan. Returns nothing when the walk stalls (it
// would repeat forever); otherwise its triangles, which are not necessarily a
// correct cover of the polygon.
std::optional<std::vector<FieldTriangle>> triangulateByTurns(std::vector<PolygonEntry> entries);

// Ear clipping that keeps every triangle in the polygon's own orientation, copes
// with collinear and repeated points and always ends, with n - 2 triangles.
std::vector<FieldTriangle> triangulateByEarClipping(const std::vector<D3DXVECTOR3>& polygon);

// True when the triangles cover the inside of the simple polygon exactly once:
// none is turned against the polygon, and their edges cancel out to the polygon's
// own boundary.
bool isExactCover(const std::vector<D3DXVECTOR3>& polygon,
                  const std::vector<FieldTriangle>& triangles);

// The field's triangles: the cutting walk's when they are an exact cover, ear
// clipping otherwise. Fewer than three points give none.
std::vector<FieldTriangle> triangulateField(const std::vector<D3DXVECTOR3>& polygon);
