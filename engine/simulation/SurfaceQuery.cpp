#include "simulation/SurfaceQuery.h"

#include <cmath>

#include "course/StripGrid.h"

namespace {

D3DXVECTOR3 unit(const D3DXVECTOR3& v) {
    D3DXVECTOR3 out;
    D3DXVec3Normalize(&out, &v);
    return out;
}

D3DXVECTOR3 cross(const D3DXVECTOR3& a, const D3DXVECTOR3& b) {
    D3DXVECTOR3 out;
    D3DXVec3Cross(&out, &a, &b);
    return out;
}

float dot(const D3DXVECTOR3& a, const D3DXVECTOR3& b) {
    return D3DXVec3Dot(&a, &b);
}

bool isZero(const D3DXVECTOR3& v) {
    return v.x == 0 && v.y == 0 && v.z == 0;
}

D3DXVECTOR3 position(const StripGrid& strip, int row, int column) {
    const auto& v = strip.vertex(row, column);
    return {v.x, v.y, v.z};
}

// Triangle 1 and 2 of quad (row, col): (V00, V11, V01) and (V00, V10, V11). The edge
// runs across the strip toward the road: outward strips (below the road) point from
// column 0 to column 1, the strips beyond the road the other way.
bool testQuad(const StripGrid& strip, int s, int row, int col, const D3DXVECTOR3& p0,
              const D3DXVECTOR3& p1, SurfaceHit* hit) {
    const D3DXVECTOR3 v00 = position(strip, row, col);
    const D3DXVECTOR3 v01 = position(strip, row, col + 1);
    const D3DXVECTOR3 v10 = position(strip, row + 1, col);
    const D3DXVECTOR3 v11 = position(strip, row + 1, col + 1);
    D3DXVECTOR3 point;
    D3DXVECTOR3 across;
    if (segmentHitsTriangle(p0, p1, v00, v11, v01, &point)) {
        across = v01 - v00;
    } else if (segmentHitsTriangle(p0, p1, v00, v10, v11, &point)) {
        across = v11 - v10;
    } else {
        return false;
    }
    hit->height = point.y;
    hit->strip = s;
    hit->row = row;
    if (s < ROAD_STRIP) {
        hit->edge = across;
    } else if (s > ROAD_STRIP) {
        hit->edge = -across;
    } else {
        hit->edge = D3DXVECTOR3();
    }
    return true;
}

bool stripsReady(const Strips& strips) {
    for (const auto& strip : strips) {
        if (!strip) {
            return false;
        }
    }
    return true;
}

} // namespace

bool segmentHitsTriangle(const D3DXVECTOR3& p0, const D3DXVECTOR3& p1, const D3DXVECTOR3& a,
                         const D3DXVECTOR3& b, const D3DXVECTOR3& c, D3DXVECTOR3* point) {
    const D3DXVECTOR3 n = cross(b - a, c - a);
    const float d = -dot(n, a);
    const float side0 = dot(n, p0) + d;
    const float side1 = dot(n, p1) + d;
    if (!(side0 * side1 < 0)) {
        return false; // an end on the plane, or both ends on one side
    }
    const D3DXVECTOR3 u = unit(p1 - p0);
    const float along = dot(n, u);
    if (along == 0) {
        return false;
    }
    const D3DXVECTOR3 p = p0 + u * (-side0 / along);

    const D3DXVECTOR3 a0 = unit(a - p);
    const D3DXVECTOR3 a1 = unit(b - p);
    const D3DXVECTOR3 a2 = unit(c - p);
    const D3DXVECTOR3 c01 = cross(a0, a1);
    const D3DXVECTOR3 c12 = cross(a1, a2);
    const D3DXVECTOR3 c20 = cross(a2, a0);
    if (dot(c01, c12) < 0 || dot(c12, c20) < 0) {
        return false;
    }
    // A zero cross product means p lies on the line through that edge. It is on the
    // triangle only between the edge's two ends (where the unit vectors toward them
    // point apart); further along the line it is outside, however the signs fall.
    if ((isZero(c01) && dot(a0, a1) > 0) || (isZero(c12) && dot(a1, a2) > 0) ||
        (isZero(c20) && dot(a2, a0) > 0)) {
        return false;
    }
    *point = p;
    return true;
}

bool findSurface(const Strips& strips, float x, float z, float yLow, float yHigh, int startRow,
                 int firstStrip, SurfaceHit* hit) {
    if (!stripsReady(strips)) {
        return false;
    }
    const int columns = strips[0]->columns();
    const int quadRows = strips[0]->rows() - 1;
    if (quadRows < 1) {
        return false;
    }
    const D3DXVECTOR3 p0(x, yLow, z);
    const D3DXVECTOR3 p1(x, yHigh, z);
    const int start = (((startRow - 2) % quadRows) + quadRows) % quadRows;
    for (int r = 0; r < quadRows; ++r) {
        const int row = (start + r) % quadRows;
        for (int col = 0; col + 1 < columns; ++col) {
            for (int k = 0; k < kStripCount; ++k) {
                const int s = (firstStrip + k) % kStripCount;
                if (testQuad(*strips[s], s, row, col, p0, p1, hit)) {
                    return true;
                }
            }
        }
    }
    return false;
}

bool findSurfaceByScan(const Strips& strips, float x, float z, float yLow, float yHigh,
                       SurfaceHit* hit) {
    if (!stripsReady(strips)) {
        return false;
    }
    const D3DXVECTOR3 p0(x, yLow, z);
    const D3DXVECTOR3 p1(x, yHigh, z);
    for (int row = 0; row + 1 < strips[0]->rows(); ++row) {
        for (int col = 0; col + 1 < strips[0]->columns(); ++col) {
            for (int s = 0; s < kStripCount; ++s) {
                if (testQuad(*strips[s], s, row, col, p0, p1, hit)) {
                    return true;
                }
            }
        }
    }
    return false;
}
