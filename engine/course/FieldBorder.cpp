#include "course/FieldBorder.h"

#include <algorithm>
#include <utility>

#include "course/FieldTriangulation.h"
#include "course/PlanGeometry.h"

namespace {

using Loop = std::vector<D3DXVECTOR3>;

bool samePlace(const D3DXVECTOR3& a, const D3DXVECTOR3& b) {
    return a.x == b.x && a.z == b.z;
}

// A point repeated next to itself adds an edge of no length, which would hide a
// crossing behind a touch.
void dropRepeats(Loop& loop) {
    const auto end = std::unique(loop.begin(), loop.end(), samePlace);
    loop.erase(end, loop.end());
    while (loop.size() > 1 && samePlace(loop.front(), loop.back())) {
        loop.pop_back();
    }
}

// A corner of the loop, or a point where it crosses itself: such a point is passed
// twice, and each passage knows the other.
struct Passage {
    D3DXVECTOR3 position;
    int other = -1;
};

// The loop with each of its crossings inserted on both edges that make it.
std::vector<Passage> passages(const Loop& loop) {
    const std::size_t n = loop.size();
    struct Hit {
        double along;
        int crossing;
    };
    std::vector<std::vector<Hit>> hits(n);
    std::vector<D3DXVECTOR3> crossings;
    for (std::size_t i = 0; i < n; ++i) {
        const D3DXVECTOR3& a = loop[i];
        const D3DXVECTOR3& b = loop[(i + 1) % n];
        for (std::size_t j = i + 2; j < n; ++j) {
            const D3DXVECTOR3& c = loop[j];
            const D3DXVECTOR3& d = loop[(j + 1) % n];
            if ((i == 0 && j == n - 1) || !segmentsCross(a, b, c, d)) {
                continue; // neighbours round the end meet at a corner
            }
            const double ac = signedArea2(c, d, a);
            const double ca = signedArea2(a, b, c);
            const double alongI = ac / (ac - signedArea2(c, d, b));
            const double alongJ = ca / (ca - signedArea2(a, b, d));
            const int id = static_cast<int>(crossings.size());
            crossings.push_back(a + (b - a) * static_cast<float>(alongI));
            hits[i].push_back({alongI, id});
            hits[j].push_back({alongJ, id});
        }
    }
    std::vector<Passage> out;
    std::vector<int> firstPassage(crossings.size(), -1);
    for (std::size_t i = 0; i < n; ++i) {
        out.push_back({loop[i]});
        std::sort(hits[i].begin(), hits[i].end(),
                  [](const Hit& x, const Hit& y) { return x.along < y.along; });
        for (const Hit& hit : hits[i]) {
            const int here = static_cast<int>(out.size());
            out.push_back({crossings[hit.crossing]});
            int& first = firstPassage[hit.crossing];
            if (first < 0) {
                first = here;
            } else {
                out[first].other = here;
                out.back().other = first;
            }
        }
    }
    return out;
}

// Resolves every crossing the way the loop runs: arriving at a crossing along one
// edge, it leaves along the other. What comes out are loops that no longer cross
// (they may touch at the old crossings, and lie one inside another), and together
// they wind round every point as the tangled loop did.
std::vector<Loop> simpleLoops(const Loop& loop) {
    const std::vector<Passage> path = passages(loop);
    const std::size_t count = path.size();
    std::vector<bool> used(count, false);
    std::vector<Loop> loops;
    for (std::size_t start = 0; start < count; ++start) {
        Loop simple;
        // Each step leaves from one passage and arrives at the next; from a crossing
        // it leaves from the other passage. Both are one-to-one, so this comes round.
        for (std::size_t k = start; !used[k];) {
            used[k] = true;
            simple.push_back(path[k].position);
            const std::size_t next = (k + 1) % count;
            k = path[next].other >= 0 ? static_cast<std::size_t>(path[next].other) : next;
        }
        dropRepeats(simple);
        if (simple.size() >= 3 && signedArea2(simple) != 0) {
            loops.push_back(std::move(simple));
        }
    }
    return loops;
}

// How many times the loops other than loops[self] wind round p.
int windingOfOthers(const std::vector<Loop>& loops, std::size_t self, const D3DXVECTOR3& p) {
    int winding = 0;
    for (std::size_t j = 0; j < loops.size(); ++j) {
        winding += j == self ? 0 : windingNumber(loops[j], p);
    }
    return winding;
}

// The simple loops a tangled loop falls into no longer cross, and together they
// wind round each point as the tangled loop did. The region wound at least once the
// given way is bounded by the loops running that way round which the others,
// together, do not wind (not one curled up inside the field, nor one inside a fold
// running the other way), and by its holes: loops running the other way round which
// the others wind once.
std::vector<Loop> edgesOfRegion(const std::vector<Loop>& loops, int orientation) {
    std::vector<Loop> edges;
    for (std::size_t i = 0; i < loops.size(); ++i) {
        // The middle of an edge lies on no other loop: loops meet only at corners.
        const D3DXVECTOR3 onEdge = (loops[i][0] + loops[i][1]) / 2.0f;
        const int others = orientation * windingOfOthers(loops, i, onEdge);
        const bool sameWay = orientation * signedArea2(loops[i]) > 0;
        if ((sameWay && others == 0) || (!sameWay && others == 1)) {
            edges.push_back(loops[i]);
        }
    }
    return edges;
}

} // namespace

bool segmentsCross(const D3DXVECTOR3& a, const D3DXVECTOR3& b, const D3DXVECTOR3& c,
                   const D3DXVECTOR3& d) {
    return crossing(planOf(a), planOf(b), planOf(c), planOf(d)).has_value();
}

bool crossesLoop(const Loop& loop, const D3DXVECTOR3& a, const D3DXVECTOR3& b) {
    const std::size_t n = loop.size();
    for (std::size_t i = 0; i < n; ++i) {
        if (segmentsCross(a, b, loop[i], loop[(i + 1) % n])) {
            return true;
        }
    }
    return false;
}

int windingNumber(const Loop& loop, const D3DXVECTOR3& p) {
    int winding = 0;
    const std::size_t n = loop.size();
    for (std::size_t i = 0; i < n; ++i) {
        const D3DXVECTOR3& a = loop[i];
        const D3DXVECTOR3& b = loop[(i + 1) % n];
        if (a.z <= p.z) {
            if (b.z > p.z && signedArea2(a, b, p) > 0) {
                ++winding;
            }
        } else if (b.z <= p.z && signedArea2(a, b, p) < 0) {
            --winding;
        }
    }
    return winding;
}

std::vector<Loop> untangle(Loop loop, int orientation) {
    dropRepeats(loop);
    if (loop.size() < 3) {
        return {};
    }
    return edgesOfRegion(simpleLoops(loop), orientation);
}
