// Why the field has two triangulations.
//
// The field has always been cut by a short walk over the corner turns: clip the
// corner after a convex one, and once no corner is convex, fan out the rest. It is
// cheap and its triangles are the ones existing courses are drawn with, so it stays
// the first choice. But it only works for some loops. A loop laid clockwise seen
// from above has its turns flipped: the walk clips reflex corners and lays
// triangles outside the loop, and a convex clockwise loop never finds a corner to
// clip at all, so the walk would repeat forever. Concave loops in either direction
// can also get triangles that cover a notch of the outside.
//
// So the walk runs with a stop for the stalled case, its result is checked to be
// an exact cover of the loop, and anything else is thrown away in favour of ear
// clipping, which handles any simple loop in either direction, collinear and
// repeated points included, and always ends.
#include "course/FieldTriangulation.h"

#include <algorithm>
#include <map>
#include <utility>

namespace {

double cross(double ax, double az, double bx, double bz) {
    return ax * bz - az * bx;
}

double turnOf(const PolygonEntry& before, const PolygonEntry& here, const PolygonEntry& after) {
    return cornerTurn({before.x, before.y, before.z}, {here.x, here.y, here.z},
                      {after.x, after.y, after.z});
}

// Sets every convex flag from the corner turns; returns whether any is set.
bool markConvex(std::vector<PolygonEntry>& entries) {
    const std::size_t k = entries.size();
    bool any = false;
    for (std::size_t i = 0; i < k; ++i) {
        entries[i].convex =
            turnOf(entries[(i + k - 1) % k], entries[i], entries[(i + 1) % k]) >= 0.0;
        any = any || entries[i].convex;
    }
    return any;
}

// Once no corner counts as convex, the remaining entries are cut as one fan: each
// entry in turn is removed with its nearest remaining neighbours on either side.
void fanOut(std::vector<PolygonEntry>& entries, std::vector<FieldTriangle>& triangles) {
    const int k = static_cast<int>(entries.size());
    int remaining = k;
    for (int i = 0; i < k; ++i) {
        if (remaining <= 2 || entries[i].removed) {
            continue;
        }
        int before = (i + k - 1) % k;
        while (entries[before].removed) {
            before = (before + k - 1) % k;
        }
        int after = (i + 1) % k;
        while (entries[after].removed) {
            after = (after + 1) % k;
        }
        entries[i].removed = true;
        triangles.push_back({entries[before].index, entries[i].index, entries[after].index});
        --remaining;
    }
}

bool samePlace(const D3DXVECTOR3& a, const D3DXVECTOR3& b) {
    return a.x == b.x && a.z == b.z;
}

// Ear clipping over a ring of polygon positions.
class EarClipper {
public:
    explicit EarClipper(const std::vector<D3DXVECTOR3>& polygon)
        : m_points(polygon), m_sign(signedArea2(polygon) < 0.0 ? -1.0 : 1.0) {
        m_ring.resize(polygon.size());
        for (std::size_t i = 0; i < m_ring.size(); ++i) {
            m_ring[i] = static_cast<int>(i);
        }
    }

    std::vector<FieldTriangle> run() {
        std::vector<FieldTriangle> triangles;
        if (m_ring.size() < 3) {
            return triangles;
        }
        triangles.reserve(m_ring.size() - 2);
        std::size_t start = 0;
        while (m_ring.size() > 3) {
            const std::size_t k = chooseCorner(start);
            const std::size_t m = m_ring.size();
            triangles.push_back({m_ring[(k + m - 1) % m], m_ring[k], m_ring[(k + 1) % m]});
            m_ring.erase(m_ring.begin() + static_cast<std::ptrdiff_t>(k));
            // Ears tend to appear next to the last cut; look there first.
            start = k == 0 ? m_ring.size() - 1 : k - 1;
        }
        triangles.push_back({m_ring[0], m_ring[1], m_ring[2]});
        return triangles;
    }

private:
    const D3DXVECTOR3& at(std::size_t k) const { return m_points[m_ring[k % m_ring.size()]]; }

    // The corner's area in the polygon's orientation: positive for a convex corner.
    double oriented(std::size_t k) const {
        const std::size_t m = m_ring.size();
        return m_sign * signedArea2(at(k + m - 1), at(k), at(k + 1));
    }

    // No other corner in the triangle cut off at k: inside or on its boundary when
    // closed, strictly inside otherwise. Repeated points at the triangle's own
    // corners do not count.
    bool isEmpty(std::size_t k, bool closed) const {
        const std::size_t m = m_ring.size();
        const D3DXVECTOR3& a = at(k + m - 1);
        const D3DXVECTOR3& b = at(k);
        const D3DXVECTOR3& c = at(k + 1);
        for (std::size_t t = 2; t + 1 < m; ++t) {
            const D3DXVECTOR3& q = at(k + t);
            if (samePlace(q, a) || samePlace(q, b) || samePlace(q, c)) {
                continue;
            }
            const double d1 = m_sign * signedArea2(a, b, q);
            const double d2 = m_sign * signedArea2(b, c, q);
            const double d3 = m_sign * signedArea2(c, a, q);
            const bool inside =
                closed ? (d1 >= 0 && d2 >= 0 && d3 >= 0) : (d1 > 0 && d2 > 0 && d3 > 0);
            if (inside) {
                return false;
            }
        }
        return true;
    }

    template <typename Accept>
    std::optional<std::size_t> find(std::size_t start, Accept accept) const {
        const std::size_t m = m_ring.size();
        for (std::size_t t = 0; t < m; ++t) {
            const std::size_t k = (start + t) % m;
            if (accept(k)) {
                return k;
            }
        }
        return std::nullopt;
    }

    // A simple polygon always has a proper ear. Collinear and repeated points can
    // hide it behind a point on its boundary; cutting away a flat corner loses no
    // area and uncovers it. The last two choices only matter for loops that touch
    // or cross themselves, and are there so that every round removes a corner.
    std::size_t chooseCorner(std::size_t start) const {
        if (auto k =
                find(start, [&](std::size_t i) { return oriented(i) > 0 && isEmpty(i, true); })) {
            return *k;
        }
        if (auto k = find(start, [&](std::size_t i) { return oriented(i) == 0; })) {
            return *k;
        }
        if (auto k =
                find(start, [&](std::size_t i) { return oriented(i) > 0 && isEmpty(i, false); })) {
            return *k;
        }
        std::size_t best = start % m_ring.size();
        for (std::size_t i = 0; i < m_ring.size(); ++i) {
            if (oriented(i) > oriented(best)) {
                best = i;
            }
        }
        return best;
    }

    const std::vector<D3DXVECTOR3>& m_points;
    double m_sign;
    std::vector<int> m_ring;
};

} // namespace

double cornerTurn(const D3DXVECTOR3& before, const D3DXVECTOR3& here, const D3DXVECTOR3& after) {
    const double ax = static_cast<double>(here.x) - before.x;
    const double az = static_cast<double>(here.z) - before.z;
    const double bx = static_cast<double>(after.x) - here.x;
    const double bz = static_cast<double>(after.z) - here.z;
    return az * bx - ax * bz;
}

std::vector<PolygonEntry> makePolygonEntries(const std::vector<D3DXVECTOR3>& polygon) {
    std::vector<PolygonEntry> entries;
    entries.reserve(polygon.size());
    for (std::size_t i = 0; i < polygon.size(); ++i) {
        const D3DXVECTOR3& p = polygon[i];
        entries.push_back({false, false, static_cast<int>(i), p.x, p.y, p.z});
    }
    markConvex(entries);
    return entries;
}

double signedArea2(const std::vector<D3DXVECTOR3>& polygon) {
    double sum = 0.0;
    const std::size_t n = polygon.size();
    for (std::size_t i = 0; i < n; ++i) {
        const D3DXVECTOR3& a = polygon[i];
        const D3DXVECTOR3& b = polygon[(i + 1) % n];
        sum += cross(a.x, a.z, b.x, b.z);
    }
    return sum;
}

double signedArea2(const D3DXVECTOR3& a, const D3DXVECTOR3& b, const D3DXVECTOR3& c) {
    return cross(static_cast<double>(b.x) - a.x, static_cast<double>(b.z) - a.z,
                 static_cast<double>(c.x) - a.x, static_cast<double>(c.z) - a.z);
}

std::optional<std::vector<FieldTriangle>> triangulateByTurns(std::vector<PolygonEntry> entries) {
    std::vector<FieldTriangle> triangles;
    // Every round but the last removes one entry, so this bound is never reached by
    // a walk that makes progress.
    const std::size_t rounds = entries.size() + 1;
    for (std::size_t round = 0; round < rounds; ++round) {
        const std::size_t k = entries.size();
        if (k < 3) {
            return triangles;
        }
        bool clipped = false;
        for (std::size_t i = 0; i < k; ++i) {
            const std::size_t next = (i + 1) % k;
            if (entries[i].convex && !entries[next].convex) {
                entries[next].removed = true;
                triangles.push_back(
                    {entries[i].index, entries[next].index, entries[(i + 2) % k].index});
                clipped = true;
                break;
            }
        }
        if ((clipped ? k - 1 : k) < 3) {
            return triangles;
        }

        std::vector<PolygonEntry> rest;
        rest.reserve(k);
        std::copy_if(entries.begin(), entries.end(), std::back_inserter(rest),
                     [](const PolygonEntry& e) { return !e.removed; });
        const bool anyConvex = markConvex(rest);
        if (!anyConvex) {
            fanOut(rest, triangles);
            return triangles;
        }
        if (!clipped) {
            const bool sameFlags = std::equal(
                entries.begin(), entries.end(), rest.begin(),
                [](const PolygonEntry& a, const PolygonEntry& b) { return a.convex == b.convex; });
            if (sameFlags) {
                // Nothing to clip and nothing will change: the walk would go round forever.
                return std::nullopt;
            }
        }
        entries = std::move(rest);
    }
    return std::nullopt;
}

std::vector<FieldTriangle> triangulateByEarClipping(const std::vector<D3DXVECTOR3>& polygon) {
    return EarClipper(polygon).run();
}

bool isExactCover(const std::vector<D3DXVECTOR3>& polygon,
                  const std::vector<FieldTriangle>& triangles) {
    const int n = static_cast<int>(polygon.size());
    const double area = signedArea2(polygon);
    // Each triangle adds its winding number to the sum of all of them. When none is
    // turned against the polygon and their edges cancel down to the polygon's own
    // boundary, that sum is the polygon's winding number: one inside, zero outside,
    // so nothing overlaps and nothing is missing.
    std::map<std::pair<int, int>, int> net;
    auto addEdge = [&net](int u, int v, int weight) {
        if (u < v) {
            net[{u, v}] += weight;
        } else {
            net[{v, u}] -= weight;
        }
    };
    for (const FieldTriangle& t : triangles) {
        for (int v : t) {
            if (v < 0 || v >= n) {
                return false;
            }
        }
        if (t[0] == t[1] || t[1] == t[2] || t[2] == t[0]) {
            return false;
        }
        const double a = signedArea2(polygon[t[0]], polygon[t[1]], polygon[t[2]]);
        if ((area > 0 && a < 0) || (area < 0 && a > 0) || (area == 0 && a != 0)) {
            return false;
        }
        addEdge(t[0], t[1], 1);
        addEdge(t[1], t[2], 1);
        addEdge(t[2], t[0], 1);
    }
    for (int i = 0; i < n; ++i) {
        addEdge(i, (i + 1) % n, -1);
    }
    return std::all_of(net.begin(), net.end(), [](const auto& e) { return e.second == 0; });
}

std::vector<FieldTriangle> triangulateField(const std::vector<D3DXVECTOR3>& polygon) {
    if (polygon.size() < 3) {
        return {};
    }
    if (auto walked = triangulateByTurns(makePolygonEntries(polygon))) {
        if (isExactCover(polygon, *walked)) {
            return std::move(*walked);
        }
    }
    return triangulateByEarClipping(polygon);
}
