#include "simulation/SurfaceQuery.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <limits>
#include <optional>

#include "course/StripGrid.h"
#include "simulation/LoneTriangles.h"
#include "tw/assert.h"

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

// value modulo count, in [0, count). Hints are nearly always in range already, and the
// divisions are not free.
int wrapped(int value, int count) {
    if (value >= 0 && value < count) {
        return value;
    }
    return ((value % count) + count) % count;
}

D3DXVECTOR3 position(const StripGrid& strip, int row, int column) {
    const auto& v = strip.vertex(row, column);
    return {v.x, v.y, v.z};
}

// The first half of the triangle test: where the segment crosses the triangle's
// plane, if it crosses it strictly.
bool crossesPlane(const D3DXVECTOR3& p0, const D3DXVECTOR3& p1, const D3DXVECTOR3& a,
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
    *point = p0 + u * (-side0 / along);
    return true;
}

// The second half: whether the segment's line passes through the triangle, decided
// for each edge by the side of the edge the line passes (the sign of d . (a x b), with
// the ends a and b taken from a point of the line and d along it), in double
// precision. Two triangles that share an edge run along it in opposite directions; the
// side is always worked out from the edge's ends in one order and turned round for
// the other, so the two get exactly opposite values and a line through the edge
// passes through at least one of them, however the rounding falls. A line through
// the extension of an edge, past its ends, lies outside one of the other two edges;
// a line along the triangle's plane, or a triangle seen edge on, meets nothing.
class Line {
public:
    Line(const D3DXVECTOR3& p0, const D3DXVECTOR3& p1)
        : m_x(p0.x), m_y(p0.y), m_z(p0.z), m_dx(static_cast<double>(p1.x) - p0.x),
          m_dy(static_cast<double>(p1.y) - p0.y), m_dz(static_cast<double>(p1.z) - p0.z) {}

    bool passesThrough(const D3DXVECTOR3& a, const D3DXVECTOR3& b, const D3DXVECTOR3& c) const {
        const double ab = side(a, b);
        const double bc = side(b, c);
        const double ca = side(c, a);
        const bool edgeOn = ab == 0 && bc == 0 && ca == 0;
        return !edgeOn && ((ab >= 0 && bc >= 0 && ca >= 0) || (ab <= 0 && bc <= 0 && ca <= 0));
    }

private:
    double side(const D3DXVECTOR3& a, const D3DXVECTOR3& b) const {
        return inOrder(a, b) ? turn(a, b) : -turn(b, a);
    }

    static bool inOrder(const D3DXVECTOR3& a, const D3DXVECTOR3& b) {
        if (a.x != b.x) {
            return a.x < b.x;
        }
        return a.z != b.z ? a.z < b.z : a.y < b.y;
    }

    double turn(const D3DXVECTOR3& a, const D3DXVECTOR3& b) const {
        const double ax = a.x - m_x;
        const double ay = a.y - m_y;
        const double az = a.z - m_z;
        const double bx = b.x - m_x;
        const double by = b.y - m_y;
        const double bz = b.z - m_z;
        return m_dx * (ay * bz - az * by) + m_dy * (az * bx - ax * bz) + m_dz * (ax * by - ay * bx);
    }

    double m_x, m_y, m_z;
    double m_dx, m_dy, m_dz;
};

// Triangle 1 and 2 of quad (row, col): (V00, V11, V01) and (V00, V10, V11). The edge
// runs across the strip toward the road: outward strips (below the road) point from
// column 0 to column 1, the strips beyond the road the other way.
bool testTriangle(const StripGrid& strip, int s, int row, int col, int triangle,
                  const D3DXVECTOR3& p0, const D3DXVECTOR3& p1, SurfaceHit* hit) {
    const D3DXVECTOR3 a = position(strip, row, col);
    D3DXVECTOR3 b;
    D3DXVECTOR3 c;
    D3DXVECTOR3 across;
    if (triangle == 0) {
        b = position(strip, row + 1, col + 1);
        c = position(strip, row, col + 1);
        across = c - a;
    } else {
        b = position(strip, row + 1, col);
        c = position(strip, row + 1, col + 1);
        across = c - b;
    }
    D3DXVECTOR3 point;
    if (!crossesPlane(p0, p1, a, b, c, &point) || !Line(p0, p1).passesThrough(a, b, c)) {
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
    D3DXVECTOR3 p;
    if (!crossesPlane(p0, p1, a, b, c, &p) || !Line(p0, p1).passesThrough(a, b, c)) {
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
    const int start = wrapped(startRow - 2, quadRows);
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

// How far (in ground units) the index reaches beyond a triangle's outline, and how far
// inside it a point must lie to pass the exact test surely. The exact test decides by
// the segment's own x and z, in double precision, so a triangle it accepts holds the
// point seen from above up to that precision; the index's own look at the outline is
// in floats, off by a few of their steps at the coordinates' size. 0.05, and a
// millionth of the coordinates for courses far larger than ours, covers both.
constexpr double kOutlineMargin = 0.05;
constexpr double kOutlineMarginPerUnit = 1e-6;
// Segments reaching higher or lower than this are searched plainly, so that a course's
// far heights need not be indexed.
constexpr float kHighestEnd = 2000.0f;
// About this many cells per triangle: a point's cell lists two or three triangles
// (with 16, over eight, of which a search tested four or five), the course's long road
// triangles crossing many cells. No more cells than kMostCells in all, though: a course
// of a few hundred thousand triangles keeps the grid's size in the tens of megabytes.
constexpr double kCellsPerTriangle = 64.0;
constexpr double kMostCells = 1 << 22;
constexpr int kMostCellsAcross = 4096;
// Below this, no sum in the plane equation of a float test comes near the largest float.
constexpr double kFarFromOverflow = 1e37;

int quadColumns(int columns) {
    return columns - 1;
}

// Triangles are numbered row by row, then column, strip and triangle 1 before 2:
// ((row * quadColumns + column) * kStripCount + strip) * 2 + triangle. That is the order
// findSurface searches them in from row 0 with the first strip.
std::size_t trianglesPerRow(int columns) {
    return static_cast<std::size_t>(quadColumns(columns)) * kStripCount * 2;
}

} // namespace

void SurfaceIndex::Box::take(double x0, double z0, double x1, double z1) {
    minX = std::min(minX, x0);
    minZ = std::min(minZ, z0);
    maxX = std::max(maxX, x1);
    maxZ = std::max(maxZ, z1);
}

double SurfaceIndex::Box::width() const {
    return std::max(maxX - minX, 1e-3);
}

double SurfaceIndex::Box::depth() const {
    return std::max(maxZ - minZ, 1e-3);
}

// Whether the exact test could find a segment the index answers (ends within
// kHighestEnd) crossing the plane normal . p + offset = 0 anywhere over the box. The
// test sums the plane equation in floats; each sum is off by no more than a millionth of
// its terms' sizes, which puts the plane that many units up or down at most. A plane
// that stays farther than that above or below every such segment over the whole box
// is never crossed there: a flat face far up, or a slope that climbs out of reach
// before the box ends. A normal or offset that is not finite, or a plane standing
// upright, is never crossed either (its test's sums are never of opposite signs).
bool SurfaceIndex::withinReach(const Outline& o, const D3DXVECTOR3& a, const Box& box) {
    if (!std::isfinite(o.normal.x) || !std::isfinite(o.normal.y) || !std::isfinite(o.normal.z) ||
        !std::isfinite(o.offset) || o.normal.y == 0) {
        return false;
    }
    const double nx = o.normal.x;
    const double ny = o.normal.y;
    const double nz = o.normal.z;
    const double farX = std::max(std::abs(box.minX), std::abs(box.maxX));
    const double farZ = std::max(std::abs(box.minZ), std::abs(box.maxZ));
    const double terms = std::abs(nx) * (farX + std::abs(a.x)) +
                         std::abs(ny) * (kHighestEnd + std::abs(a.y)) +
                         std::abs(nz) * (farZ + std::abs(a.z));
    if (!(terms < kFarFromOverflow)) {
        return true; // sums near the float's limit may overflow: anything may happen
    }
    constexpr double kUnderflow = 1e-44; // what products below the normal floats lose
    const double slack = (kOutlineMarginPerUnit * terms + kUnderflow) / std::abs(ny);
    double low = std::numeric_limits<double>::infinity();
    double high = -low;
    for (const double x : {box.minX, box.maxX}) {
        for (const double z : {box.minZ, box.maxZ}) {
            const double y = a.y - (nx * (x - a.x) + nz * (z - a.z)) / ny;
            low = std::min(low, y);
            high = std::max(high, y);
        }
    }
    return low - slack <= kHighestEnd && high + slack >= -kHighestEnd;
}

bool SurfaceIndex::indexes(const Strips& strips) const {
    const int columns = strips[0]->columns();
    const int rows = strips[0]->rows();
    if (columns != m_columns || rows != m_rows) {
        return false;
    }
    std::size_t k = 0;
    const std::size_t perStrip = static_cast<std::size_t>(columns) * static_cast<std::size_t>(rows);
    for (const auto& strip : strips) {
        if (strip->columns() != columns || strip->rows() != rows ||
            m_positions.size() != perStrip * 3 * kStripCount) {
            return false;
        }
        // Bit for bit: the index keeps each triangle's plane as the test would work
        // it out from these very values.
        for (const auto& v : strip->vertices()) {
            if (std::memcmp(&v.x, &m_positions[k], 3 * sizeof(float)) != 0) {
                return false;
            }
            k += 3;
        }
    }
    return true;
}

bool SurfaceIndex::current(const Strips& strips) const {
    return m_ready && stripsReady(strips) && indexes(strips);
}

bool SurfaceIndex::sync(const Strips& strips, std::size_t queries) {
    if (!stripsReady(strips)) {
        m_positions.clear();
        m_ready = false;
        return false;
    }
    const int columns = strips[0]->columns();
    const int rows = strips[0]->rows();
    if (indexes(strips)) {
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
    const std::size_t triangles = static_cast<std::size_t>(quadRows) * trianglesPerRow(columns);
    m_outlines.assign(triangles, Outline{});

    // The course seen from above, and how far the index answers around it.
    constexpr double kNone = std::numeric_limits<double>::infinity();
    Box ground{kNone, kNone, -kNone, -kNone};
    double largestGround = 0;
    for (std::size_t i = 0; i < m_positions.size(); i += 3) {
        if (!std::isfinite(m_positions[i]) || !std::isfinite(m_positions[i + 1]) ||
            !std::isfinite(m_positions[i + 2])) {
            return; // a course with non-finite positions is searched the plain way
        }
        const double x = m_positions[i];
        const double z = m_positions[i + 2];
        ground.take(x, z, x, z);
        largestGround = std::max({largestGround, std::abs(x), std::abs(z)});
    }
    // No triangle lies under a point farther than the margin from the ground plan: the
    // grid's extent takes the margin in, and the index answers at once for every point
    // beyond it.
    const double margin = kOutlineMargin + kOutlineMarginPerUnit * largestGround;
    const double reach = std::max(ground.width() + ground.depth(), margin);
    m_far = Box{ground.minX - reach, ground.minZ - reach, ground.maxX + reach, ground.maxZ + reach};

    Box extent = ground;
    extent.take(ground.minX - margin, ground.minZ - margin, ground.maxX + margin,
                ground.maxZ + margin);
    std::size_t listed = 0;
    std::vector<GroundTriangle> plan(triangles);
    for (std::size_t id = 0; id < triangles; ++id) {
        Outline& o = m_outlines[id];
        outline(strips, id, largestGround, &o, &plan[id]);
        if (o.listed) {
            extent.take(o.minX(), o.minZ(), o.maxX(), o.maxZ());
            ++listed;
        }
    }
    layCells(extent, std::max<std::size_t>(listed, 1));
    m_everyTriangleListed = listed == triangles;
    // The float test of "surely inside" is off by less than half the margin (see
    // kOutlineMargin), so a point it passes lies more than half the margin inside.
    const std::vector<std::uint8_t> alone = loneTriangles(plan, m_cellStart, m_entries, margin / 2);
    for (std::size_t id = 0; id < triangles; ++id) {
        m_outlines[id].alone = alone[id] != 0;
    }
    m_extent = extent;
    m_plainSearches.store(0, std::memory_order_relaxed);
    m_ready = true;
}

void SurfaceIndex::outline(const Strips& strips, std::size_t id, double largestGround, Outline* out,
                           GroundTriangle* ground) const {
    const int columns = m_columns;
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
        ground->x[i] = px[i];
        ground->z[i] = pz[i];
    }
    Outline& o = *out;
    // The plane and the edge vector exactly as testTriangle works them out.
    const D3DXVECTOR3 a = position(strip, row, col);
    const D3DXVECTOR3 b = position(strip, row + 1, t == 0 ? col + 1 : col);
    const D3DXVECTOR3 c = position(strip, t == 0 ? row : row + 1, col + 1);
    o.normal = cross(b - a, c - a);
    o.offset = -dot(o.normal, a);
    const D3DXVECTOR3 across = t == 0 ? c - a : c - b;
    o.edge = s < ROAD_STRIP ? across : s > ROAD_STRIP ? -across : D3DXVECTOR3();
    o.row = static_cast<std::uint32_t>(row);
    o.strip = static_cast<std::uint8_t>(s);
    o.triangle = static_cast<std::uint8_t>(t);
    o.column = static_cast<std::uint32_t>(col);
    o.listed = withinReach(o, a, m_far);

    const double margin = kOutlineMargin + kOutlineMarginPerUnit * largestGround;
    const auto minX = static_cast<float>(std::min({px[0], px[1], px[2]}) - margin);
    const auto maxX = static_cast<float>(std::max({px[0], px[1], px[2]}) + margin);
    const auto minZ = static_cast<float>(std::min({pz[0], pz[1], pz[2]}) - margin);
    const auto maxZ = static_cast<float>(std::max({pz[0], pz[1], pz[2]}) + margin);
    o.box = Lanes{maxX, maxZ, -minX, -minZ};
    constexpr float kOpen = std::numeric_limits<float>::infinity();
    o.nx[3] = 0;
    o.nz[3] = 0;
    o.c[3] = kOpen;
    o.inner[3] = kOpen;

    // The edges' outward half-planes, pushed out (and in) by the margin. A triangle
    // without an inside seen from above (the exact test accepts nothing there) keeps
    // only its box.
    const double ux = px[1] - px[0];
    const double uz = pz[1] - pz[0];
    const double vx = px[2] - px[0];
    const double vz = pz[2] - pz[0];
    const double area = ux * vz - uz * vx;
    const bool usable = std::isfinite(area) && area != 0;
    for (int i = 0; i < 3; ++i) {
        const double dx = px[(i + 1) % 3] - px[i];
        const double dz = pz[(i + 1) % 3] - pz[i];
        const double length = std::hypot(dx, dz);
        if (!usable || !(length > 0)) {
            o.nx[i] = 0;
            o.nz[i] = 0;
            o.c[i] = std::numeric_limits<float>::infinity();
            o.inner[i] = -std::numeric_limits<float>::infinity();
            continue;
        }
        const double sign = area > 0 ? 1.0 : -1.0;
        const double nx = sign * dz / length;
        const double nz = -sign * dx / length;
        o.nx[i] = static_cast<float>(nx);
        o.nz[i] = static_cast<float>(nz);
        o.c[i] = static_cast<float>(nx * px[i] + nz * pz[i] + margin);
        o.inner[i] = static_cast<float>(nx * px[i] + nz * pz[i] - margin);
    }
}

// Cells a little larger than the listed triangles' spacing, and larger still where
// the triangles' boxes would otherwise reach over too many of them; then each listed
// triangle is entered in every cell its box reaches that does not lie wholly outside
// one of its edges.
void SurfaceIndex::layCells(const Box& extent, std::size_t listed) {
    const double width = extent.width();
    const double depth = extent.depth();
    m_cell = std::sqrt(width * depth / (kCellsPerTriangle * static_cast<double>(listed)));
    m_cell = std::max({m_cell, width / kMostCellsAcross, depth / kMostCellsAcross,
                       std::sqrt(width * depth / kMostCells)});
    auto boxCells = [&](const Outline& o, int* x0, int* x1, int* z0, int* z1) {
        *x0 = std::max(static_cast<int>(std::floor((o.minX() - extent.minX) / m_cell)), 0);
        *x1 =
            std::min(static_cast<int>(std::floor((o.maxX() - extent.minX) / m_cell)), m_cellsX - 1);
        *z0 = std::max(static_cast<int>(std::floor((o.minZ() - extent.minZ) / m_cell)), 0);
        *z1 =
            std::min(static_cast<int>(std::floor((o.maxZ() - extent.minZ) / m_cell)), m_cellsZ - 1);
    };
    for (;;) {
        m_cellsX = static_cast<int>(std::ceil(width / m_cell)) + 1;
        m_cellsZ = static_cast<int>(std::ceil(depth / m_cell)) + 1;
        double boxed = 0;
        for (const Outline& o : m_outlines) {
            if (o.listed) {
                int x0, x1, z0, z1;
                boxCells(o, &x0, &x1, &z0, &z1);
                boxed += static_cast<double>(x1 - x0 + 1) * static_cast<double>(z1 - z0 + 1);
            }
        }
        if (boxed <= static_cast<double>(kMostReferencesPerTriangle * listed)) {
            break;
        }
        m_cell *= 2;
    }
    m_inverseCell = static_cast<float>(1.0 / m_cell);
    m_originX = extent.minX;
    m_originZ = extent.minZ;

    // Cells by counting sort; triangles go in ascending id, so every cell's list is
    // ascending.
    const std::size_t cells =
        static_cast<std::size_t>(m_cellsX) * static_cast<std::size_t>(m_cellsZ);
    m_cellStart.assign(cells + 1, 0);
    auto forEachCell = [&](const Outline& o, auto&& visit) {
        int x0, x1, z0, z1;
        boxCells(o, &x0, &x1, &z0, &z1);
        for (int cz = z0; cz <= z1; ++cz) {
            for (int cx = x0; cx <= x1; ++cx) {
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
    for (const Outline& o : m_outlines) {
        if (o.listed) {
            forEachCell(o, [&](std::size_t cell) { ++m_cellStart[cell + 1]; });
        }
    }
    for (std::size_t cell = 0; cell < cells; ++cell) {
        m_cellStart[cell + 1] += m_cellStart[cell];
    }
    m_entries.assign(m_cellStart[cells], 0);
    std::vector<std::uint32_t> fill(m_cellStart.begin(), m_cellStart.end() - 1);
    for (std::size_t id = 0; id < m_outlines.size(); ++id) {
        if (m_outlines[id].listed) {
            forEachCell(m_outlines[id], [&](std::size_t cell) {
                m_entries[fill[cell]++] = static_cast<std::uint32_t>(id);
            });
        }
    }
    // The second pass over the cells must list exactly what the first one counted:
    // a cell that overflows into the next hands its triangles to the wrong place.
    for (std::size_t cell = 0; cell < cells; ++cell) {
        TW_ASSERT(fill[cell] == m_cellStart[cell + 1]);
    }
}

// A point within a rounding of a cell's border may be given the cell next to it; the
// triangles near it are listed there too, as they reach a margin beyond their outline.
inline bool SurfaceIndex::cellOf(float x, float z, std::size_t* cell) const {
    const float fx = (x - static_cast<float>(m_originX)) * m_inverseCell;
    const float fz = (z - static_cast<float>(m_originZ)) * m_inverseCell;
    if (!(fx >= 0 && fx < static_cast<float>(m_cellsX) && fz >= 0 &&
          fz < static_cast<float>(m_cellsZ))) {
        return false;
    }
    const int cx = std::min(static_cast<int>(fx), m_cellsX - 1);
    const int cz = std::min(static_cast<int>(fz), m_cellsZ - 1);
    *cell = static_cast<std::size_t>(cz) * static_cast<std::size_t>(m_cellsX) +
            static_cast<std::size_t>(cx);
    return true;
}

std::size_t SurfaceIndex::listedNear(float x, float z) const {
    std::size_t cell = 0;
    return m_ready && cellOf(x, z, &cell) ? m_cellStart[cell + 1] - m_cellStart[cell] : 0;
}

inline bool SurfaceIndex::answersSegment(float yLow, float yHigh) const {
    return m_ready && yLow < yHigh && yLow >= -kHighestEnd && yHigh <= kHighestEnd;
}

inline bool SurfaceIndex::covers(float x, float z) const {
    const double fx = x;
    const double fz = z;
    return fx >= m_extent.minX && fx <= m_extent.maxX && fz >= m_extent.minZ && fz <= m_extent.maxZ;
}

namespace {

// The direction unit() gives a vertical segment from yLow to yHigh. The difference of
// its ends is exactly (0, h, 0); and the root of a float's square is the float itself
// whenever the square is a normal number, so that is exactly (0, 1, 0), without the
// root and the divisions, for any but the tiniest h.
D3DXVECTOR3 upward(float yLow, float yHigh) {
    constexpr float kSquareStaysNormal = 0x1p-60f;
    const float h = yHigh - yLow;
    return h >= kSquareStaysNormal ? D3DXVECTOR3(0, 1, 0) : unit(D3DXVECTOR3(0, h, 0));
}

} // namespace

bool SurfaceIndex::plainSearch(const Strips& strips, float x, float z, float yLow, float yHigh,
                               int startRow, int firstStrip, SurfaceHit* hit) const {
    // The grid's lists tell which triangles a point lies over whatever the segment; what
    // it leaves to this search is which of them comes first in another order, or a
    // segment long enough to reach the triangles it does not list. Where it lists every
    // triangle and the segment crosses none of those of the point's cell, it crosses
    // none at all: the camera over the infield would otherwise search every triangle of
    // the course, every frame.
    std::size_t cell = 0;
    if (m_ready && m_everyTriangleListed && cellOf(x, z, &cell)) {
        SurfaceHit first;
        std::uint32_t triangle = 0;
        if (!findListed(strips, x, z, yLow, yHigh, upward(yLow, yHigh), 0, cell, &first,
                        &triangle)) {
            return false;
        }
    }
    m_plainSearches.fetch_add(1, std::memory_order_relaxed);
    return findSurface(strips, x, z, yLow, yHigh, startRow, firstStrip, hit);
}

// The plain test's first half on an indexed triangle: the height at which the segment
// crosses its plane strictly, worked out by the same float operations.
__attribute__((always_inline)) inline std::optional<float>
SurfaceIndex::crossingHeight(const Outline& o, const D3DXVECTOR3& p0, const D3DXVECTOR3& p1,
                             const D3DXVECTOR3& up) {
    const float side0 = dot(o.normal, p0) + o.offset;
    const float side1 = dot(o.normal, p1) + o.offset;
    if (!(side0 * side1 < 0)) {
        return std::nullopt;
    }
    const float along = dot(o.normal, up);
    if (along == 0) {
        return std::nullopt;
    }
    return (p0 + up * (-side0 / along)).y;
}

__attribute__((always_inline)) inline void SurfaceIndex::take(const Outline& o, float height,
                                                              SurfaceHit* hit) {
    hit->height = height;
    hit->strip = o.strip;
    hit->row = static_cast<int>(o.row);
    hit->edge = o.edge;
}

// A point surely inside a lone triangle lies under no other triangle of its cell, so
// the search of the cell, in whatever order, answers that triangle if the segment
// crosses it.
inline bool SurfaceIndex::hitsAlone(std::uint32_t id, float x, float z, float yLow, float yHigh,
                                    const D3DXVECTOR3& up, SurfaceHit* hit) const {
    if (id >= m_outlines.size()) {
        return false;
    }
    const Outline& o = m_outlines[id];
    if (!o.alone || !allSet(o.nx * x + o.nz * z <= o.inner)) {
        return false;
    }
    const std::optional<float> height =
        crossingHeight(o, D3DXVECTOR3(x, yLow, z), D3DXVECTOR3(x, yHigh, z), up);
    if (!height) {
        return false;
    }
    take(o, *height, hit);
    return true;
}

// Forced inline, with its triangle test: called once per point from the one loop in
// findInTurn, where a call each would cost about a tenth of the bodies' frame.
__attribute__((always_inline)) inline bool
SurfaceIndex::findListed(const Strips& strips, float x, float z, float yLow, float yHigh,
                         const D3DXVECTOR3& up, int startRow, std::size_t cell, SurfaceHit* hit,
                         std::uint32_t* triangle) const {
    // The test of testTriangle, step by step the same, with the parts that do not
    // change worked out once: the segment's direction for all the points, each triangle's
    // plane and edge vector when the index was built.
    const D3DXVECTOR3 p0(x, yLow, z);
    const D3DXVECTOR3 p1(x, yHigh, z);
    const Lanes signedPoint{x, z, -x, -z};
    const auto hits = [&](std::uint32_t id) __attribute__((always_inline)) {
        TW_ASSERT(id < m_outlines.size());
        const Outline& o = m_outlines[id];
        *triangle = id;
        // The box and the three edges tested at once, with one branch: which of a
        // cell's triangles hold a point follows no pattern, and every test branched on
        // alone would be mispredicted often.
        // Each lane the same float sum as worked out alone.
        const Lanes edges = o.nx * x + o.nz * z;
        if (!allSet((edges <= o.c) & (signedPoint <= o.box))) {
            return false;
        }
        const std::optional<float> height = crossingHeight(o, p0, p1, up);
        if (!height) {
            return false;
        }
        if (!allSet(edges <= o.inner)) { // not surely inside
            const StripGrid& strip = *strips[o.strip];
            const int row = static_cast<int>(o.row);
            const int col = static_cast<int>(o.column);
            const D3DXVECTOR3 a = position(strip, row, col);
            const D3DXVECTOR3 b = position(strip, row + 1, o.triangle == 0 ? col + 1 : col);
            const D3DXVECTOR3 c = position(strip, o.triangle == 0 ? row : row + 1, col + 1);
            if (!Line(p0, p1).passesThrough(a, b, c)) {
                return false;
            }
        }
        take(o, *height, hit);
        return true;
    };

    // A cell lists its triangles by ascending id, and ids ascend in the order
    // findSurface searches from row 0 with the first strip (see trianglesPerRow). From
    // row `start` on, wrapping, that order is the cell's triangles from the first of row
    // `start` to the end, then those before it; the first one the segment crosses is
    // the answer.
    const int quadRows = m_rows - 1;
    const int start = wrapped(startRow - 2, quadRows);
    const std::uint32_t* const first = m_entries.data() + m_cellStart[cell];
    const std::uint32_t* const last = m_entries.data() + m_cellStart[cell + 1];
    // A cell lists a handful of triangles: counting them off is cheaper than halving.
    const auto firstOfStart =
        static_cast<std::uint32_t>(static_cast<std::size_t>(start) * trianglesPerRow(m_columns));
    const std::uint32_t* turn = first;
    while (turn != last && *turn < firstOfStart) {
        ++turn;
    }
    for (const std::uint32_t* id = turn; id != last; ++id) {
        if (hits(*id)) {
            return true;
        }
    }
    for (const std::uint32_t* id = first; id != turn; ++id) {
        if (hits(*id)) {
            return true;
        }
    }
    return false;
}

// Hints from another strip than the first (the camera's, whose segments are too long
// for the index anyway) change the order within a quad; over the grid they are searched
// the plain way.
bool SurfaceIndex::find(const Strips& strips, float x, float z, float yLow, float yHigh,
                        int startRow, int firstStrip, SurfaceHit* hit) const {
    if (m_ready && !covers(x, z)) {
        return false;
    }
    if (wrapped(firstStrip, kStripCount) != 0) {
        return plainSearch(strips, x, z, yLow, yHigh, startRow, firstStrip, hit);
    }
    return findInTurn(strips, {&x, 1}, {&z, 1}, yLow, yHigh, startRow, hit, nullptr) == 1;
}

std::size_t SurfaceIndex::findInTurn(const Strips& strips, std::span<const float> x,
                                     std::span<const float> z, float yLow, float yHigh,
                                     int startRow, SurfaceHit* hits, std::uint32_t* guesses) const {
    TW_ASSERT(x.size() == z.size());
    const bool segmentAnswered = answersSegment(yLow, yHigh);
    const D3DXVECTOR3 up = upward(yLow, yHigh);
    int row = startRow;
    for (std::size_t k = 0; k < x.size(); ++k) {
        // Off the grid's extent (and a point that is not a number is off it), a point is
        // farther than the margin from every triangle's outline, so the plain search,
        // which would test every triangle of the course, finds nothing either: nothing to
        // search, whatever the segment.
        std::size_t cell = 0;
        bool found = false;
        std::uint32_t unused = 0;
        std::uint32_t* const triangle = guesses != nullptr ? &guesses[k] : &unused;
        if (segmentAnswered && hitsAlone(*triangle, x[k], z[k], yLow, yHigh, up, &hits[k])) {
            found = true;
        } else if (segmentAnswered && cellOf(x[k], z[k], &cell)) {
            found = findListed(strips, x[k], z[k], yLow, yHigh, up, row, cell, &hits[k], triangle);
        } else if (!m_ready || covers(x[k], z[k])) {
            found = plainSearch(strips, x[k], z[k], yLow, yHigh, row, 0, &hits[k]);
        }
        if (!found) {
            return k;
        }
        row = hits[k].row;
    }
    return x.size();
}
