#pragma once

#include <array>
#include <memory>

#include "course/Course.h"
#include "d3dx9/d3dx9math.h"

class StripGrid;

using Strips = std::array<std::unique_ptr<StripGrid>, kStripCount>;

// Whether the segment p0-p1 crosses the triangle's plane strictly and the crossing
// point lies inside the triangle or on its border. On a hit, point is the crossing.
bool segmentHitsTriangle(const D3DXVECTOR3& p0, const D3DXVECTOR3& p1, const D3DXVECTOR3& a,
                         const D3DXVECTOR3& b, const D3DXVECTOR3& c, D3DXVECTOR3* point);

// Where a vertical segment met the course surface.
struct SurfaceHit {
    float height = 0;
    int strip = 0;
    int row = 0;
    // Across the strip toward the road, as long as the strip is wide; zero on the road.
    D3DXVECTOR3 edge;
};

// Searches the strips for the first triangle that the vertical segment at (x, z)
// from yLow to yHigh crosses: rows from two behind startRow, wrapping around the
// loop; within a row, column by column, the strips from firstStrip on (wrapping),
// triangle 1 of a quad before triangle 2.
bool findSurface(const Strips& strips, float x, float z, float yLow, float yHigh, int startRow,
                 int firstStrip, SurfaceHit* hit);

// The same search over every triangle of every strip in plain order, without hints.
// Slow; it is the reference the hinted search is checked against.
bool findSurfaceByScan(const Strips& strips, float x, float z, float yLow, float yHigh,
                       SurfaceHit* hit);
