// The lines the course is laid along: whether the centreline or a road edge crosses
// itself, and how tight its bends are against the strips' offsets.
#include <cmath>

#include "check/CourseCheckParts.h"
#include "course/CourseTrack.h"

namespace {

// A bend is measured over this much of the centreline either side of a sample: long
// enough that the float positions of a course some thousands of units wide do not
// make a straight look bent, short enough to see a bend a few units tight.
constexpr double kBendReach = 5.0;
// Samples crowd together where the centreline nearly stops; a bend is not measured
// over more than this many of them either side.
constexpr int kMostBendSamples = 50;

std::vector<PlanPoint> worldLoop(const CCourseTrack& track, int row) {
    std::vector<PlanPoint> loop;
    loop.reserve(static_cast<std::size_t>(track.sampleCount()));
    for (int i = 0; i < track.sampleCount(); ++i) {
        loop.push_back(worldPlanOf(row < 0 ? track.centre(i) : track.point(row, i)));
    }
    return loop;
}

int addCrossings(const std::vector<PlanPoint>& loop, FindingKind kind, CourseCheck& check) {
    const std::vector<PlanPoint> found = selfCrossings(loop);
    for (const PlanPoint& at : found) {
        check.findings.push_back({kind, static_cast<float>(at.x), static_cast<float>(at.z), 0});
    }
    return static_cast<int>(found.size());
}

double distance(const PlanPoint& a, const PlanPoint& b) {
    return std::hypot(b.x - a.x, b.z - a.z);
}

// The sample some way along the loop from i, in steps of +1 or -1.
int reach(const std::vector<PlanPoint>& loop, int i, int step) {
    const int n = static_cast<int>(loop.size());
    double walked = 0;
    int at = i;
    for (int k = 0; k < kMostBendSamples && walked < kBendReach; ++k) {
        const int next = ((at + step) % n + n) % n;
        walked += distance(loop[at], loop[next]);
        at = next;
    }
    return at;
}

struct Bend {
    double radius;
    bool left; // turns to the left of the direction of travel
};

} // namespace

void checkCrossings(const CCourseTrack& track, CourseCheck& check) {
    check.centrelineCrossings =
        addCrossings(worldLoop(track, -1), FindingKind::CentrelineCrossing, check);
    check.edgeCrossings =
        addCrossings(worldLoop(track, kLeftEdgeRow), FindingKind::EdgeCrossing, check) +
        addCrossings(worldLoop(track, kRightEdgeRow), FindingKind::EdgeCrossing, check);
}

// A bend folds the strips on its inside whose outer rows lie farther out than its
// radius; the widest offset on the inside is the one that folds first.
void checkBends(const CCourseTrack& track, CourseCheck& check) {
    const std::vector<PlanPoint> centre = worldLoop(track, -1);
    const int n = static_cast<int>(centre.size());
    std::vector<Bend> bends(static_cast<std::size_t>(n));
    for (int i = 0; i < n; ++i) {
        const PlanPoint& back = centre[reach(centre, i, -1)];
        const PlanPoint& ahead = centre[reach(centre, i, +1)];
        const PlanPoint left = worldPlanOf(track.point(kLeftEdgeRow, i));
        const double bending = turn(back, centre[i], ahead);
        const double leftSide = turn(back, centre[i], left);
        bends[i] = {circumradius(back, centre[i], ahead), (bending > 0) == (leftSide > 0)};
        if (bends[i].radius < check.tightestBend) {
            check.tightestBend = static_cast<float>(bends[i].radius);
            check.tightestBendX = static_cast<float>(centre[i].x);
            check.tightestBendZ = static_cast<float>(centre[i].z);
            check.tightestBendInsideOffset = outerOffset(bends[i].left);
        }
    }
    const auto tooTight = [&bends](int i) { return bends[i].radius < outerOffset(bends[i].left); };
    forEachStretch(n, tooTight, [&](int first, int length) {
        int tightest = first;
        for (int k = first; k < first + length; ++k) {
            if (bends[k % n].radius < bends[tightest % n].radius) {
                tightest = k;
            }
        }
        const PlanPoint& at = centre[tightest % n];
        check.findings.push_back({FindingKind::TightBend, static_cast<float>(at.x),
                                  static_cast<float>(at.z),
                                  static_cast<float>(bends[tightest % n].radius)});
        ++check.tightBends;
    });
}
