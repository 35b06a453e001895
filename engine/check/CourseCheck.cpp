#include "check/CourseCheck.h"

#include <algorithm>
#include <cmath>

#include "check/CourseCheckParts.h"
#include "course/CourseTrack.h"
#include "course/StripGrid.h"

namespace {

bool hasStrips(const LCourse_t& course) {
    return course.stripsCreated && std::all_of(course.strips.begin(), course.strips.end(),
                                               [](const auto& strip) { return strip != nullptr; });
}

} // namespace

StripTriangle stripTriangle(const StripGrid& strip, int row, int triangle) {
    const auto at = [&strip](int r, int c) {
        const StripGrid::Vertex& v = strip.vertex(r, c);
        return D3DXVECTOR3(v.x, v.y, v.z);
    };
    if (triangle == 0) {
        return {at(row, 0), at(row + 1, 1), at(row, 1)};
    }
    return {at(row, 0), at(row + 1, 0), at(row + 1, 1)};
}

int loopQuadRows(const LCourse_t& course) {
    if (!hasStrips(course)) {
        return 0;
    }
    const int quads = course.strips[0]->rows() - 1;
    if (!course.track) {
        return quads;
    }
    const int n = course.track->sampleCount();
    return std::min(quads, (n + kSamplesPerStripRow - 1) / kSamplesPerStripRow);
}

// Seen from above (x to the right, z up) the front of a triangle winds clockwise, the
// face the renderer keeps when it culls counter-clockwise triangles.
bool facesAway(const StripTriangle& t) {
    return turn(planOf(t.a), planOf(t.b), planOf(t.c)) > 0;
}

float outerOffset(bool leftSide) {
    using T = CCourseTrack;
    const float border = leftSide ? T::kLeftBorderFactor : T::kRightBorderFactor;
    return T::kHalfRoadWidth * (1 + T::kEdgeFactor + T::kBankFactor + border);
}

void forEachStretch(int count, const std::function<bool(int)>& marked,
                    const std::function<void(int first, int length)>& stretch) {
    if (count <= 0) {
        return;
    }
    // Start after an unmarked index, so that a run over the end is met whole.
    int start = 0;
    while (start < count && marked(start)) {
        ++start;
    }
    if (start == count) {
        stretch(0, count);
        return;
    }
    int i = start + 1;
    const int end = start + 1 + count;
    while (i < end) {
        if (!marked(i % count)) {
            ++i;
            continue;
        }
        const int first = i;
        while (i < end && marked(i % count)) {
            ++i;
        }
        stretch(first % count, i - first);
    }
}

// Points laid all in one spot, or a hair apart, make a loop of no size: the strips are
// laid around nothing, and measures of bends and crossings find nothing to measure.
// Such a course is a finding of its own: its centreline reaches less far across than
// its road is wide. A centreline at places that are not numbers at all is left to the
// other findings, which it does not escape.
void checkExtent(const CCourseTrack& track, CourseCheck& check) {
    const int n = track.sampleCount();
    PlanPoint low{0, 0};
    PlanPoint high{0, 0};
    for (int i = 0; i < n; ++i) {
        const PlanPoint p = worldPlanOf(track.centre(i));
        if (!std::isfinite(p.x) || !std::isfinite(p.z)) {
            return;
        }
        low = i == 0 ? p : PlanPoint{std::min(low.x, p.x), std::min(low.z, p.z)};
        high = i == 0 ? p : PlanPoint{std::max(high.x, p.x), std::max(high.z, p.z)};
    }
    const double across = std::max(high.x - low.x, high.z - low.z);
    if (across < 2 * CCourseTrack::kHalfRoadWidth) {
        check.findings.push_back({FindingKind::NoExtent, static_cast<float>((low.x + high.x) / 2),
                                  static_cast<float>((low.z + high.z) / 2),
                                  static_cast<float>(across)});
    }
}

CourseCheck checkCourse(const LCourse_t& course, const SurfaceProbe& probe) {
    CourseCheck check;
    check.widestOffset = std::max(outerOffset(true), outerOffset(false));
    if (course.track) {
        checkExtent(*course.track, check);
    }
    if (hasStrips(course)) {
        checkFolds(course, check);
        if (course.field) {
            checkFieldOverRoad(course, check);
        }
    }
    if (course.track && course.track->sampleCount() > 2) {
        checkCrossings(*course.track, check);
        checkBends(*course.track, check);
        if (hasStrips(course) && probe) {
            dropProbeBalls(course, probe, check);
        }
    }
    std::stable_sort(
        check.findings.begin(), check.findings.end(),
        [](const CourseFinding& a, const CourseFinding& b) { return a.kind < b.kind; });
    return check;
}
