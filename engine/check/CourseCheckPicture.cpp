#include "check/CourseCheckPicture.h"

#include <algorithm>
#include <cmath>

#include "check/CourseCheckParts.h"
#include "course/CourseField.h"
#include "course/CourseTrack.h"
#include "course/PlanCanvas.h"
#include "course/StripGrid.h"

namespace {

constexpr Colour kBackground{24, 26, 32};
constexpr Colour kInnerField{70, 112, 64};
constexpr Colour kFieldStrip{92, 138, 78};
constexpr Colour kEdgeStrip{180, 180, 172};
constexpr Colour kRoadStrip{104, 104, 112};
constexpr Colour kFolded{230, 40, 40};
constexpr Colour kCentreline{235, 235, 235};
constexpr Colour kRingShadow{0, 0, 0};
constexpr int kMargin = 16;
constexpr double kRingRadius = 9;
constexpr double kRingThickness = 2.5;

Colour stripColour(int strip) {
    if (strip == ROAD_STRIP) {
        return kRoadStrip;
    }
    return strip == ROAD_STRIP - 1 || strip == ROAD_STRIP + 1 ? kEdgeStrip : kFieldStrip;
}

// The ground the picture shows: everything drawn and every finding.
struct Extent {
    PlanPoint low{std::numeric_limits<double>::infinity(), std::numeric_limits<double>::infinity()};
    PlanPoint high{-std::numeric_limits<double>::infinity(),
                   -std::numeric_limits<double>::infinity()};

    void take(const PlanPoint& p) {
        if (!std::isfinite(p.x) || !std::isfinite(p.z)) {
            return;
        }
        low = {std::min(low.x, p.x), std::min(low.z, p.z)};
        high = {std::max(high.x, p.x), std::max(high.z, p.z)};
    }
    bool empty() const { return low.x > high.x; }
};

Extent extentOf(const LCourse_t& course, const CourseCheck& check, int quads) {
    Extent extent;
    for (int s = 0; s < kStripCount && quads > 0; ++s) {
        for (int j = 0; j <= quads; ++j) {
            for (int c = 0; c < 2; ++c) {
                const StripGrid::Vertex& v = course.strips[s]->vertex(j, c);
                extent.take({v.x, v.z});
            }
        }
    }
    if (course.field) {
        for (const auto& fan : course.field->fans()) {
            for (const D3DXVECTOR3& v : fan->vertices()) {
                extent.take(planOf(v));
            }
        }
    }
    for (const CourseFinding& f : check.findings) {
        extent.take({f.x, f.z});
    }
    if (extent.empty()) {
        extent.take({-1, -1});
        extent.take({1, 1});
    }
    return extent;
}

void fill(PlanCanvas& canvas, const StripTriangle& t, Colour colour) {
    canvas.fillTriangle(planOf(t.a), planOf(t.b), planOf(t.c), colour);
}

void drawField(PlanCanvas& canvas, const CCourseField& field) {
    for (const auto& fan : field.fans()) {
        for (const auto& [a, b, c] : fan->triangles()) {
            canvas.fillTriangle(planOf(a), planOf(b), planOf(c), kInnerField);
        }
    }
}

// Outer strips first, so that the road lies on top where strips overlap; folded
// triangles last, so that they show.
void drawStrips(PlanCanvas& canvas, const LCourse_t& course, int quads) {
    for (const int s : {0, 6, 1, 5, 2, 4, ROAD_STRIP}) {
        for (int j = 0; j < quads; ++j) {
            for (int t = 0; t < 2; ++t) {
                fill(canvas, stripTriangle(*course.strips[s], j, t), stripColour(s));
            }
        }
    }
    for (int s = 0; s < kStripCount; ++s) {
        for (int j = 0; j < quads; ++j) {
            for (int t = 0; t < 2; ++t) {
                const StripTriangle triangle = stripTriangle(*course.strips[s], j, t);
                if (facesAway(triangle)) {
                    fill(canvas, triangle, kFolded);
                }
            }
        }
    }
}

void drawCentreline(PlanCanvas& canvas, const CCourseTrack& track) {
    const int n = track.sampleCount();
    for (int i = 0; i < n; ++i) {
        canvas.line(worldPlanOf(track.centre(i)), worldPlanOf(track.centre(i + 1)), kCentreline);
    }
}

// The colour of the ring that marks a kind of finding.
Colour findingColour(FindingKind kind) {
    switch (kind) {
    case FindingKind::Fold:
        return {255, 64, 64};
    case FindingKind::FieldOverRoad:
        return {255, 0, 255};
    case FindingKind::CentrelineCrossing:
        return {255, 230, 0};
    case FindingKind::EdgeCrossing:
        return {255, 140, 0};
    case FindingKind::TightBend:
        return {0, 220, 255};
    case FindingKind::Probe:
        return {80, 120, 255};
    case FindingKind::NoExtent:
        return {160, 255, 0};
    }
    return {255, 255, 255};
}

} // namespace

void drawCourseCheck(const LCourse_t& course, const CourseCheck& check, std::uint8_t* rgba,
                     int width, int height) {
    const int quads = loopQuadRows(course);
    const Extent extent = extentOf(course, check, quads);
    PlanCanvas canvas(rgba, width, height, extent.low, extent.high, kMargin);
    canvas.clear(kBackground);
    if (course.field) {
        drawField(canvas, *course.field);
    }
    if (quads > 0) {
        drawStrips(canvas, course, quads);
    }
    if (course.track) {
        drawCentreline(canvas, *course.track);
    }
    for (const CourseFinding& f : check.findings) {
        canvas.ring({f.x, f.z}, kRingRadius, kRingThickness + 2, kRingShadow);
        canvas.ring({f.x, f.z}, kRingRadius, kRingThickness, findingColour(f.kind));
    }
}
