#include "course/FieldHoles.h"

#include <algorithm>
#include <cmath>
#include <optional>

#include "course/FieldBorder.h"
#include "course/FieldTriangulation.h"

namespace {

using Loop = std::vector<D3DXVECTOR3>;

std::size_t farthestAlongX(const Loop& loop) {
    return static_cast<std::size_t>(
        std::max_element(loop.begin(), loop.end(),
                         [](const D3DXVECTOR3& a, const D3DXVECTOR3& b) { return a.x < b.x; }) -
        loop.begin());
}

// Whichever way the triangle runs.
bool strictlyInside(const D3DXVECTOR3& p, const D3DXVECTOR3& a, const D3DXVECTOR3& b,
                    const D3DXVECTOR3& c) {
    const double ab = signedArea2(a, b, p);
    const double bc = signedArea2(b, c, p);
    const double ca = signedArea2(c, a, p);
    return (ab > 0 && bc > 0 && ca > 0) || (ab < 0 && bc < 0 && ca < 0);
}

// Joins a hole to the loop round it by a cut there and back, from the hole's corner
// farthest along x to a corner of the loop it sees (found as ear clipping with holes
// usually finds it). The result touches itself along the cut, which ear clipping
// takes in its stride. When no corner is found the loop stays as it was.
void bridge(Loop& outer, const Loop& hole, int orientation) {
    const std::size_t m = farthestAlongX(hole);
    const D3DXVECTOR3& from = hole[m];
    // The nearest edge of the loop that a ray from there towards +x meets.
    const std::size_t n = outer.size();
    std::optional<std::size_t> to;
    double nearest = 0;
    D3DXVECTOR3 hit;
    for (std::size_t i = 0; i < n; ++i) {
        const D3DXVECTOR3& a = outer[i];
        const D3DXVECTOR3& b = outer[(i + 1) % n];
        if (a.z == b.z || std::min(a.z, b.z) > from.z || std::max(a.z, b.z) < from.z) {
            continue;
        }
        const double x = a.x + (static_cast<double>(from.z) - a.z) *
                                   (static_cast<double>(b.x) - a.x) /
                                   (static_cast<double>(b.z) - a.z);
        if (x >= from.x && (!to || x < nearest)) {
            nearest = x;
            hit = D3DXVECTOR3(static_cast<float>(x), from.y, from.z);
            to = a.x > b.x ? i : (i + 1) % n;
        }
    }
    if (!to) {
        return;
    }
    // A corner of the loop inside the triangle from, hit, corner would block the
    // view; the one nearest in direction to the ray is seen.
    const D3DXVECTOR3 target = outer[*to];
    double bestCos = -2;
    for (std::size_t i = 0; i < n; ++i) {
        const D3DXVECTOR3& v = outer[i];
        const bool reflex =
            orientation * signedArea2(outer[(i + n - 1) % n], v, outer[(i + 1) % n]) < 0;
        if (i == *to || !reflex || !strictlyInside(v, from, hit, target)) {
            continue;
        }
        const double dx = static_cast<double>(v.x) - from.x;
        const double dz = static_cast<double>(v.z) - from.z;
        const double cosine = dx / std::sqrt(dx * dx + dz * dz);
        if (cosine > bestCos) {
            bestCos = cosine;
            to = i;
        }
    }
    Loop joined(outer.begin(), outer.begin() + static_cast<std::ptrdiff_t>(*to + 1));
    for (std::size_t k = 0; k <= hole.size(); ++k) {
        joined.push_back(hole[(m + k) % hole.size()]);
    }
    joined.insert(joined.end(), outer.begin() + static_cast<std::ptrdiff_t>(*to), outer.end());
    outer = std::move(joined);
}

} // namespace

std::vector<Loop> joinHoles(const std::vector<Loop>& loops, int orientation) {
    std::vector<Loop> outer;
    std::vector<const Loop*> holes;
    for (const Loop& loop : loops) {
        if (orientation * signedArea2(loop) > 0) {
            outer.push_back(loop);
        } else {
            holes.push_back(&loop);
        }
    }
    // Holes farther along x first, so that each cut runs clear of the earlier ones.
    std::sort(holes.begin(), holes.end(), [](const Loop* a, const Loop* b) {
        return (*a)[farthestAlongX(*a)].x > (*b)[farthestAlongX(*b)].x;
    });
    std::vector<double> areas;
    for (const Loop& loop : outer) {
        areas.push_back(std::abs(signedArea2(loop)));
    }
    for (const Loop* hole : holes) {
        // The smallest loop round the hole is the one it is cut out of.
        const D3DXVECTOR3 onEdge = ((*hole)[0] + (*hole)[1]) / 2.0f;
        std::optional<std::size_t> around;
        for (std::size_t k = 0; k < outer.size(); ++k) {
            if (windingNumber(outer[k], onEdge) != 0 && (!around || areas[k] < areas[*around])) {
                around = k;
            }
        }
        if (around) {
            bridge(outer[*around], *hole, orientation);
        }
    }
    return outer;
}
