#include "simulation/LoneTriangles.h"

#include <algorithm>
#include <cmath>
#include <numeric>

namespace {

// The triangle with every edge moved in by `inset`, which is the triangle shrunk
// toward its incentre; false when nothing is left of it.
bool insetTriangle(const GroundTriangle& t, double inset, GroundTriangle* inner) {
    double side[3];
    for (int i = 0; i < 3; ++i) {
        const int j = (i + 1) % 3;
        const int k = (i + 2) % 3;
        side[i] = std::hypot(t.x[k] - t.x[j], t.z[k] - t.z[j]); // opposite corner i
    }
    const double perimeter = side[0] + side[1] + side[2];
    const double twiceArea =
        std::abs((t.x[1] - t.x[0]) * (t.z[2] - t.z[0]) - (t.z[1] - t.z[0]) * (t.x[2] - t.x[0]));
    const double inradius = twiceArea / perimeter;
    if (!std::isfinite(inradius) || !(inradius > inset)) {
        return false;
    }
    const double cx = (side[0] * t.x[0] + side[1] * t.x[1] + side[2] * t.x[2]) / perimeter;
    const double cz = (side[0] * t.z[0] + side[1] * t.z[1] + side[2] * t.z[2]) / perimeter;
    const double scale = (inradius - inset) / inradius;
    for (int i = 0; i < 3; ++i) {
        inner->x[i] = cx + scale * (t.x[i] - cx);
        inner->z[i] = cz + scale * (t.z[i] - cz);
    }
    return true;
}

// Whether the line across edge i of `t` (its normal) parts a from b with room to spare.
bool partedAcross(const GroundTriangle& t, int i, const GroundTriangle& a,
                  const GroundTriangle& b) {
    const int j = (i + 1) % 3;
    const double nx = t.z[j] - t.z[i];
    const double nz = t.x[i] - t.x[j];
    if (nx == 0 && nz == 0) {
        return false;
    }
    double aLow = INFINITY, aHigh = -INFINITY, bLow = INFINITY, bHigh = -INFINITY, size = 0;
    for (int k = 0; k < 3; ++k) {
        const double pa = nx * a.x[k] + nz * a.z[k];
        const double pb = nx * b.x[k] + nz * b.z[k];
        aLow = std::min(aLow, pa);
        aHigh = std::max(aHigh, pa);
        bLow = std::min(bLow, pb);
        bHigh = std::max(bHigh, pb);
        size = std::max({size, std::abs(pa), std::abs(pb)});
    }
    // Far more than the rounding of the products above.
    const double room = 1e-9 * size;
    return aHigh + room < bLow || bHigh + room < aLow;
}

// Two convex outlines are apart when a line across one of their edges parts them.
bool apart(const GroundTriangle& a, const GroundTriangle& b) {
    const auto [aLeft, aRight] = std::minmax({a.x[0], a.x[1], a.x[2]});
    const auto [bLeft, bRight] = std::minmax({b.x[0], b.x[1], b.x[2]});
    const auto [aNear, aFar] = std::minmax({a.z[0], a.z[1], a.z[2]});
    const auto [bNear, bFar] = std::minmax({b.z[0], b.z[1], b.z[2]});
    if (aRight < bLeft || bRight < aLeft || aFar < bNear || bFar < aNear) {
        return true;
    }
    for (int i = 0; i < 3; ++i) {
        if (partedAcross(a, i, a, b) || partedAcross(b, i, a, b)) {
            return true;
        }
    }
    return false;
}

} // namespace

std::vector<std::uint8_t> loneTriangles(std::span<const GroundTriangle> triangles,
                                        std::span<const std::uint32_t> cellStart,
                                        std::span<const std::uint32_t> entries, double inset) {
    std::vector<GroundTriangle> inner(triangles.size());
    std::vector<std::uint8_t> alone(triangles.size());
    for (std::size_t t = 0; t < triangles.size(); ++t) {
        alone[t] = insetTriangle(triangles[t], inset, &inner[t]) ? 1 : 0;
    }
    // The cells of each triangle, by counting sort of the cells' lists.
    std::vector<std::uint32_t> firstCellOf(triangles.size() + 1, 0);
    for (const std::uint32_t t : entries) {
        ++firstCellOf[t + 1];
    }
    std::partial_sum(firstCellOf.begin(), firstCellOf.end(), firstCellOf.begin());
    std::vector<std::uint32_t> cellsOf(entries.size());
    std::vector<std::uint32_t> fill(firstCellOf.begin(), firstCellOf.end() - 1);
    for (std::size_t cell = 0; cell + 1 < cellStart.size(); ++cell) {
        for (std::uint32_t k = cellStart[cell]; k < cellStart[cell + 1]; ++k) {
            cellsOf[fill[entries[k]]++] = static_cast<std::uint32_t>(cell);
        }
    }
    // Each triangle against every other listed in one of its cells, once: lookedAt
    // holds, for each other triangle, the last triangle it was looked at with.
    std::vector<std::uint32_t> lookedAt(triangles.size(), ~0u);
    for (std::uint32_t t = 0; t < triangles.size(); ++t) {
        for (std::uint32_t k = firstCellOf[t]; k < firstCellOf[t + 1] && alone[t] != 0; ++k) {
            const std::uint32_t cell = cellsOf[k];
            for (std::uint32_t e = cellStart[cell]; e < cellStart[cell + 1]; ++e) {
                const std::uint32_t other = entries[e];
                if (other == t || lookedAt[other] == t) {
                    continue;
                }
                lookedAt[other] = t;
                if (!apart(inner[t], triangles[other])) {
                    alone[t] = 0;
                    break;
                }
            }
        }
    }
    return alone;
}
