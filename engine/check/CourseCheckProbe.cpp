// Balls dropped on the road: at every track sample, at the middle of the road and at
// a few places across it, through the surface query the bodies use. Each should land
// on the road triangle under it; one that lands elsewhere (on a strip folded over the
// road, on a second layer of road at a seam, or on nothing) is a finding.
#include <algorithm>
#include <cmath>
#include <limits>

#include "check/CourseCheckParts.h"
#include "course/CourseTrack.h"
#include "course/StripGrid.h"

namespace {

// Where balls are dropped, from the left edge (0) to the right edge (1).
constexpr double kAcross[kProbeBallsPerSample] = {0.5, 0.1, 0.3, 0.7, 0.9};
// A ball dropped on the border between two road triangles may be worked out a rounding
// off it, outside both; it is taken to lie on their border.
constexpr double kOnTheBorder = 1e-9;
// How far from the road a ball may land: the rounding of the query's crossing point.
constexpr double kLandingTolerance = 0.01;

// The height of the triangle's plane at p; nothing for a triangle standing on edge.
std::optional<double> planeHeight(const StripTriangle& t, const PlanPoint& p) {
    const D3DXVECTOR3 u = t.b - t.a;
    const D3DXVECTOR3 v = t.c - t.a;
    const double nx = static_cast<double>(u.y) * v.z - static_cast<double>(u.z) * v.y;
    const double ny = static_cast<double>(u.z) * v.x - static_cast<double>(u.x) * v.z;
    const double nz = static_cast<double>(u.x) * v.y - static_cast<double>(u.y) * v.x;
    if (ny == 0) {
        return std::nullopt;
    }
    return t.a.y - (nx * (p.x - t.a.x) + nz * (p.z - t.a.z)) / ny;
}

// The height of the road under p, the road quad of sample's own row first, then its
// neighbours along the loop; nothing when p does not lie over them.
std::optional<double> roadUnder(const StripGrid& road, int quads, int row, const PlanPoint& p) {
    for (const int step : {0, -1, 1}) {
        const int j = ((row + step) % quads + quads) % quads;
        for (int t = 0; t < 2; ++t) {
            const StripTriangle triangle = stripTriangle(road, j, t);
            if (insideness(p, planOf(triangle.a), planOf(triangle.b), planOf(triangle.c)) >=
                -kOnTheBorder) {
                return planeHeight(triangle, p);
            }
        }
    }
    return std::nullopt;
}

// The worst landing at one track sample: how far off, and where.
struct Landing {
    double off = 0;
    PlanPoint at;
};

} // namespace

void dropProbeBalls(const LCourse_t& course, const SurfaceProbe& probe, CourseCheck& check) {
    const CCourseTrack& track = *course.track;
    const StripGrid& road = *course.strips[ROAD_STRIP];
    const int quads = loopQuadRows(course);
    const int n = track.sampleCount();
    if (quads == 0) {
        return;
    }
    std::vector<Landing> worst(static_cast<std::size_t>(n));
    for (int i = 0; i < n; ++i) {
        const PlanPoint left = worldPlanOf(track.point(kLeftEdgeRow, i));
        const PlanPoint right = worldPlanOf(track.point(kRightEdgeRow, i));
        const int row = std::min(i / kSamplesPerStripRow, quads - 1);
        for (const double f : kAcross) {
            const PlanPoint p{left.x + f * (right.x - left.x), left.z + f * (right.z - left.z)};
            const std::optional<double> expected = roadUnder(road, quads, row, p);
            if (!expected) {
                continue;
            }
            ++check.probes;
            const std::optional<float> landed =
                probe(static_cast<float>(p.x), static_cast<float>(p.z));
            const double off =
                landed ? std::fabs(*landed - *expected) : std::numeric_limits<double>::infinity();
            if (off <= kLandingTolerance) {
                continue;
            }
            ++check.probeMisses;
            check.worstProbe = std::max(check.worstProbe, static_cast<float>(off));
            if (off > worst[i].off) {
                worst[i] = {off, p};
            }
        }
    }
    forEachStretch(
        n, [&worst](int i) { return worst[i].off > 0; },
        [&](int first, int length) {
            const Landing* w = &worst[first];
            for (int k = first; k < first + length; ++k) {
                if (worst[k % n].off > w->off) {
                    w = &worst[k % n];
                }
            }
            check.findings.push_back({FindingKind::Probe, static_cast<float>(w->at.x),
                                      static_cast<float>(w->at.z), static_cast<float>(w->off)});
        });
}
