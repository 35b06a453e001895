#include "simulation/SurfaceQuery.h"

#include <algorithm>
#include <cmath>
#include <limits>

#include "course/StripGrid.h"

namespace {

// The vector helpers of D3DX, written out here so that the compiler can inline them
// in the hot triangle test. They do the same float operations in the same order as
// D3DXVec3Normalize, D3DXVec3Cross and D3DXVec3Dot, so every result is the same to
// the bit.
D3DXVECTOR3 unit(const D3DXVECTOR3& v) {
    const float length = std::sqrt(v.x * v.x + v.y * v.y + v.z * v.z);
    return length == 0.0f ? D3DXVECTOR3(0, 0, 0) : v / length;
}

D3DXVECTOR3 cross(const D3DXVECTOR3& a, const D3DXVECTOR3& b) {
    return {a.y * b.z - a.z * b.y, a.z * b.x - a.x * b.z, a.x * b.y - a.y * b.x};
}

float dot(const D3DXVECTOR3& a, const D3DXVECTOR3& b) {
    return a.x * b.x + a.y * b.y + a.z * b.z;
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
bool testTriangle(const StripGrid& strip, int s, int row, int col, int triangle,
                  const D3DXVECTOR3& p0, const D3DXVECTOR3& p1, SurfaceHit* hit) {
    const D3DXVECTOR3 v00 = position(strip, row, col);
    D3DXVECTOR3 point;
    D3DXVECTOR3 across;
    if (triangle == 0) {
        const D3DXVECTOR3 v01 = position(strip, row, col + 1);
        if (!segmentHitsTriangle(p0, p1, v00, position(strip, row + 1, col + 1), v01, &point)) {
            return false;
        }
        across = v01 - v00;
    } else {
        const D3DXVECTOR3 v10 = position(strip, row + 1, col);
        const D3DXVECTOR3 v11 = position(strip, row + 1, col + 1);
        if (!segmentHitsTriangle(p0, p1, v00, v10, v11, &point)) {
            return false;
        }
        across = v11 - v10;
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

bool testQuad(const StripGrid& strip, int s, int row, int col, const D3DXVECTOR3& p0,
              const D3DXVECTOR3& p1, SurfaceHit* hit) {
    return testTriangle(strip, s, row, col, 0, p0, p1, hit) ||
           testTriangle(strip, s, row, col, 1, p0, p1, hit);
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

namespace {

// How far (in ground units) the index reaches beyond a triangle's outline. The exact
// test's own rounding moves the crossing point by well under a hundredth of a unit on
// course-sized coordinates: the crossing's x and z are the segment's exactly, and its
// height is off the triangle's plane by a few units in the last place of the segment's
// ends (1e-3 at 10,000). The part that grows with the coordinates covers larger ones.
constexpr double kOutlineMargin = 0.05;
constexpr double kOutlineMarginPerUnit = 1e-6;
// Segments longer than this lose the precision the margin allows for.
constexpr float kLongestSegment = 100000.0f;
// About this many cells per triangle: a point's cell lists a handful of triangles.
constexpr double kCellsPerTriangle = 8.0;
constexpr int kMostCellsAcross = 4096;

int quadColumns(int columns) {
    return columns - 1;
}

} // namespace

bool SurfaceIndex::sync(const Strips& strips, std::size_t queries) {
    if (!stripsReady(strips)) {
        m_positions.clear();
        m_ready = false;
        return false;
    }
    const int columns = strips[0]->columns();
    const int rows = strips[0]->rows();
    bool same = columns == m_columns && rows == m_rows;
    std::size_t k = 0;
    const std::size_t perStrip = static_cast<std::size_t>(columns) * static_cast<std::size_t>(rows);
    for (const auto& strip : strips) {
        same = same && strip->columns() == columns && strip->rows() == rows &&
               m_positions.size() == perStrip * 3 * kStripCount;
        if (!same) {
            break;
        }
        for (const auto& v : strip->vertices()) {
            if (v.x != m_positions[k] || v.y != m_positions[k + 1] || v.z != m_positions[k + 2]) {
                same = false;
                break;
            }
            k += 3;
        }
    }
    // The index only chooses which triangles to test; the test itself reads the
    // strips. So positions that compare equal (a zero of either sign) serve alike, and
    // a NaN, never equal to itself, keeps the course from being indexed at all.
    if (same) {
        if (!m_ready) {
            build(strips);
        }
        return m_ready;
    }
    m_ready = false;
    m_columns = columns;
    m_rows = rows;
    m_positions.clear();
    for (const auto& strip : strips) {
        if (strip->columns() != columns || strip->rows() != rows) {
            m_positions.clear();
            m_columns = m_rows = 0; // strips of different sizes are never indexed
            return false;
        }
        for (const auto& v : strip->vertices()) {
            m_positions.insert(m_positions.end(), {v.x, v.y, v.z});
        }
    }
    if (queries >= kQueriesWorthABuild) {
        build(strips);
    }
    return m_ready;
}

void SurfaceIndex::build(const Strips& strips) {
    m_ready = false;
    const int columns = m_columns;
    const int quadRows = m_rows - 1;
    if (columns < 2 || quadRows < 1) {
        return;
    }
    const std::size_t triangles = static_cast<std::size_t>(quadRows) *
                                  static_cast<std::size_t>(quadColumns(columns)) * kStripCount * 2;
    m_outlines.assign(triangles, Outline{});

    double largest = 0;
    for (float value : m_positions) {
        largest = std::max(largest, std::abs(static_cast<double>(value)));
    }
    const double margin = kOutlineMargin + kOutlineMarginPerUnit * largest;

    double minX = std::numeric_limits<double>::infinity();
    double minZ = minX;
    double maxX = -minX;
    double maxZ = -minX;
    for (std::size_t id = 0; id < triangles; ++id) {
        const int t = static_cast<int>(id & 1);
        const std::size_t rest = id >> 1;
        const int s = static_cast<int>(rest % kStripCount);
        const std::size_t quad = rest / kStripCount;
        const int col = static_cast<int>(quad % quadColumns(columns));
        const int row = static_cast<int>(quad / quadColumns(columns));
        const StripGrid& strip = *strips[s];
        const auto& v00 = strip.vertex(row, col);
        const auto& v01 = strip.vertex(row, col + 1);
        const auto& v10 = strip.vertex(row + 1, col);
        const auto& v11 = strip.vertex(row + 1, col + 1);
        const StripGrid::Vertex* corner[3] = {&v00, &v11, &v01};
        if (t == 1) {
            corner[1] = &v10;
            corner[2] = &v11;
        }
        double px[3];
        double pz[3];
        for (int i = 0; i < 3; ++i) {
            px[i] = corner[i]->x;
            pz[i] = corner[i]->z;
        }
        Outline& o = m_outlines[id];
        o.minX = static_cast<float>(std::min({px[0], px[1], px[2]}) - margin);
        o.maxX = static_cast<float>(std::max({px[0], px[1], px[2]}) + margin);
        o.minZ = static_cast<float>(std::min({pz[0], pz[1], pz[2]}) - margin);
        o.maxZ = static_cast<float>(std::max({pz[0], pz[1], pz[2]}) + margin);
        minX = std::min(minX, static_cast<double>(o.minX));
        maxX = std::max(maxX, static_cast<double>(o.maxX));
        minZ = std::min(minZ, static_cast<double>(o.minZ));
        maxZ = std::max(maxZ, static_cast<double>(o.maxZ));

        // The edges' outward half-planes, pushed out by the margin. A sliver (or a
        // triangle standing on edge) keeps only its box.
        const double area = (px[1] - px[0]) * (pz[2] - pz[0]) - (pz[1] - pz[0]) * (px[2] - px[0]);
        double longest = 0;
        for (int i = 0; i < 3; ++i) {
            longest = std::max(longest, std::hypot(px[(i + 1) % 3] - px[i], pz[(i + 1) % 3] - pz[i]));
        }
        const bool usable = std::isfinite(area) && std::abs(area) > 1e-6 * longest * longest;
        for (int i = 0; i < 3; ++i) {
            const double dx = px[(i + 1) % 3] - px[i];
            const double dz = pz[(i + 1) % 3] - pz[i];
            const double length = std::hypot(dx, dz);
            if (!usable || !(length > 0)) {
                o.nx[i] = 0;
                o.nz[i] = 0;
                o.c[i] = std::numeric_limits<float>::infinity();
                continue;
            }
            const double sign = area > 0 ? 1.0 : -1.0;
            const double nx = sign * dz / length;
            const double nz = -sign * dx / length;
            o.nx[i] = static_cast<float>(nx);
            o.nz[i] = static_cast<float>(nz);
            o.c[i] = static_cast<float>(nx * px[i] + nz * pz[i] + margin);
        }
    }
    if (!(std::isfinite(minX) && std::isfinite(maxX) && std::isfinite(minZ) &&
          std::isfinite(maxZ))) {
        return; // a course with non-finite positions is searched the slow way
    }

    const double width = std::max(maxX - minX, 1e-3);
    const double depth = std::max(maxZ - minZ, 1e-3);
    m_cell = std::sqrt(width * depth / (kCellsPerTriangle * static_cast<double>(triangles)));
    m_cell = std::max({m_cell, width / kMostCellsAcross, depth / kMostCellsAcross});
    m_cellsX = static_cast<int>(std::ceil(width / m_cell)) + 1;
    m_cellsZ = static_cast<int>(std::ceil(depth / m_cell)) + 1;
    m_originX = minX;
    m_originZ = minZ;
    const double reach = width + depth;
    m_farMinX = minX - reach;
    m_farMaxX = maxX + reach;
    m_farMinZ = minZ - reach;
    m_farMaxZ = maxZ + reach;

    // Cells by counting sort; triangles go in ascending id, so every cell's list is
    // ascending.
    const std::size_t cells = static_cast<std::size_t>(m_cellsX) * static_cast<std::size_t>(m_cellsZ);
    m_cellStart.assign(cells + 1, 0);
    auto forEachCell = [&](std::size_t id, auto&& visit) {
        const Outline& o = m_outlines[id];
        const int x0 = static_cast<int>(std::floor((o.minX - m_originX) / m_cell));
        const int x1 = static_cast<int>(std::floor((o.maxX - m_originX) / m_cell));
        const int z0 = static_cast<int>(std::floor((o.minZ - m_originZ) / m_cell));
        const int z1 = static_cast<int>(std::floor((o.maxZ - m_originZ) / m_cell));
        for (int cz = std::max(z0, 0); cz <= std::min(z1, m_cellsZ - 1); ++cz) {
            for (int cx = std::max(x0, 0); cx <= std::min(x1, m_cellsX - 1); ++cx) {
                // The cell's rectangle lies wholly outside one edge: nothing in it
                // is near the triangle.
                const double ax = m_originX + cx * m_cell;
                const double az = m_originZ + cz * m_cell;
                const double bx = ax + m_cell;
                const double bz = az + m_cell;
                bool outside = false;
                for (int i = 0; i < 3 && !outside; ++i) {
                    const double nx = o.nx[i];
                    const double nz = o.nz[i];
                    const double nearest = std::min(nx * ax, nx * bx) + std::min(nz * az, nz * bz);
                    outside = nearest > static_cast<double>(o.c[i]);
                }
                if (!outside) {
                    visit(static_cast<std::size_t>(cz) * m_cellsX + cx);
                }
            }
        }
    };
    for (std::size_t id = 0; id < triangles; ++id) {
        forEachCell(id, [&](std::size_t cell) { ++m_cellStart[cell + 1]; });
    }
    for (std::size_t cell = 0; cell < cells; ++cell) {
        m_cellStart[cell + 1] += m_cellStart[cell];
    }
    m_entries.assign(m_cellStart[cells], 0);
    std::vector<std::uint32_t> fill(m_cellStart.begin(), m_cellStart.end() - 1);
    for (std::size_t id = 0; id < triangles; ++id) {
        forEachCell(id, [&](std::size_t cell) { m_entries[fill[cell]++] = static_cast<std::uint32_t>(id); });
    }
    m_ready = true;
}

bool SurfaceIndex::cellOf(float x, float z, std::size_t* cell) const {
    const double cx = std::floor((static_cast<double>(x) - m_originX) / m_cell);
    const double cz = std::floor((static_cast<double>(z) - m_originZ) / m_cell);
    if (!(cx >= 0 && cx < m_cellsX && cz >= 0 && cz < m_cellsZ)) {
        return false;
    }
    *cell = static_cast<std::size_t>(cz) * static_cast<std::size_t>(m_cellsX) + static_cast<std::size_t>(cx);
    return true;
}

std::size_t SurfaceIndex::listedNear(float x, float z) const {
    std::size_t cell = 0;
    return m_ready && cellOf(x, z, &cell) ? m_cellStart[cell + 1] - m_cellStart[cell] : 0;
}

bool SurfaceIndex::find(const Strips& strips, float x, float z, float yLow, float yHigh,
                        int startRow, int firstStrip, SurfaceHit* hit) const {
    const double fx = x;
    const double fz = z;
    if (!m_ready || !(yLow < yHigh) || !(yHigh - yLow <= kLongestSegment) ||
        !(fx >= m_farMinX && fx <= m_farMaxX && fz >= m_farMinZ && fz <= m_farMaxZ)) {
        return findSurface(strips, x, z, yLow, yHigh, startRow, firstStrip, hit);
    }
    std::size_t cell = 0;
    if (!cellOf(x, z, &cell)) {
        return false; // farther than the margin from every triangle
    }
    const int quadRows = m_rows - 1;
    const int across = quadColumns(m_columns);
    const int start = (((startRow - 2) % quadRows) + quadRows) % quadRows;
    const int stripShift = ((firstStrip % kStripCount) + kStripCount) % kStripCount;

    // The triangles near (x, z), each with its place in the search order of
    // findSurface: rows from `start` on, wrapping; columns; strips from firstStrip on;
    // triangle 1 before triangle 2.
    struct Candidate {
        std::uint64_t order;
        std::uint32_t id;
    };
    constexpr std::size_t kInline = 32;
    Candidate inlineCandidates[kInline];
    std::vector<Candidate> manyCandidates;
    Candidate* candidates = inlineCandidates;
    std::size_t count = 0;
    for (std::uint32_t k = m_cellStart[cell]; k < m_cellStart[cell + 1]; ++k) {
        const std::uint32_t id = m_entries[k];
        const Outline& o = m_outlines[id];
        if (x < o.minX || x > o.maxX || z < o.minZ || z > o.maxZ ||
            o.nx[0] * x + o.nz[0] * z > o.c[0] || o.nx[1] * x + o.nz[1] * z > o.c[1] ||
            o.nx[2] * x + o.nz[2] * z > o.c[2]) {
            continue;
        }
        const std::uint32_t t = id & 1;
        const std::uint32_t rest = id >> 1;
        const int s = static_cast<int>(rest % kStripCount);
        const int quad = static_cast<int>(rest / kStripCount);
        const int col = quad % across;
        const int row = quad / across;
        const int rowRank = row >= start ? row - start : row - start + quadRows;
        const int stripRank = s >= stripShift ? s - stripShift : s - stripShift + kStripCount;
        const std::uint64_t order =
            ((static_cast<std::uint64_t>(rowRank) * across + col) * kStripCount + stripRank) * 2 + t;
        if (count == kInline) {
            manyCandidates.assign(inlineCandidates, inlineCandidates + kInline);
            candidates = nullptr;
        }
        if (candidates == nullptr) {
            manyCandidates.push_back({order, id});
        } else {
            candidates[count] = {order, id};
        }
        ++count;
    }
    if (candidates == nullptr) {
        candidates = manyCandidates.data();
    }
    std::sort(candidates, candidates + count,
              [](const Candidate& a, const Candidate& b) { return a.order < b.order; });

    const D3DXVECTOR3 p0(x, yLow, z);
    const D3DXVECTOR3 p1(x, yHigh, z);
    for (std::size_t k = 0; k < count; ++k) {
        const std::uint32_t id = candidates[k].id;
        const int t = static_cast<int>(id & 1);
        const std::uint32_t rest = id >> 1;
        const int s = static_cast<int>(rest % kStripCount);
        const int quad = static_cast<int>(rest / kStripCount);
        if (testTriangle(*strips[s], s, quad / across, quad % across, t, p0, p1, hit)) {
            return true;
        }
    }
    return false;
}
