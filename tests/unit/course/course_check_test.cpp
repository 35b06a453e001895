// The course checker on courses laid as a user lays them, each with something known to
// be right or wrong with it.
#include <algorithm>
#include <cmath>
#include <gtest/gtest.h>
#include <limits>
#include <vector>

#include "check/CourseCheck.h"
#include "course/CourseField.h"
#include "course/CourseTrack.h"
#include "course/StripGrid.h"
#include "simulation/SurfaceQuery.h"
#include "support/EngineFixture.h"

namespace {

std::vector<CourseFinding> ofKind(const CourseCheck& check, FindingKind kind) {
    std::vector<CourseFinding> found;
    std::copy_if(check.findings.begin(), check.findings.end(), std::back_inserter(found),
                 [kind](const CourseFinding& f) { return f.kind == kind; });
    return found;
}

float apart(const CourseFinding& a, const CourseFinding& b) {
    return std::hypot(a.x - b.x, a.z - b.z);
}

// How far the nearest of the findings lies from f.
float nearest(const CourseFinding& f, const std::vector<CourseFinding>& others) {
    float best = std::numeric_limits<float>::infinity();
    for (const CourseFinding& o : others) {
        best = std::min(best, apart(f, o));
    }
    return best;
}

// Where track sample i of the centreline lies in the world.
CourseFinding centreAt(const CCourseTrack& track, int i) {
    const D3DXVECTOR3& c = track.centre(i);
    return {FindingKind::CentrelineCrossing, c.z, c.x, 0};
}

class CourseChecking : public EngineFixture {
protected:
    // Lays the points (ground x, z) in order and creates a course of them.
    LCourse_t& createCourseThrough(std::initializer_list<std::pair<float, float>> points) {
        app->clearCourse();
        app->selectTab(TAB_COURSE);
        for (const auto& [x, z] : points) {
            clickInEditor(pixelOf(x, z));
        }
        EXPECT_EQ(app->createCourse(nextItem()), S_OK);
        return app->editor.courseList().back();
    }

    LCourse_t& createCircle(int n, float radius) {
        app->clearCourse();
        return createLoopCourse(n, radius);
    }

    // Nothing wrong with the current course, which is this one.
    void expectSound(const LCourse_t& course) {
        const CourseCheck check = app->checkCurrentCourse();
        EXPECT_TRUE(check.findings.empty());
        EXPECT_EQ(check.foldedTriangles, 0);
        EXPECT_EQ(check.fieldOverRoad, 0.0);
        EXPECT_EQ(check.centrelineCrossings, 0);
        EXPECT_EQ(check.edgeCrossings, 0);
        EXPECT_EQ(check.tightBends, 0);
        // Its bends are wider than the strips reach on their inside.
        EXPECT_GT(check.tightestBend, check.tightestBendInsideOffset);
        EXPECT_EQ(check.widestOffset, 227.0f); // 20 + 1 + 6 + 200 on the outside
        // A ball at every sample, in the middle and four across, each on the road under it.
        EXPECT_EQ(check.probes, kProbeBallsPerSample * course.track->sampleCount());
        EXPECT_EQ(check.probeMisses, 0);
    }
};

} // namespace

TEST_F(CourseChecking, AWideCircleIsSoundWhicheverWayItIsLaid) {
    for (const bool clockwise : {false, true}) {
        SCOPED_TRACE(clockwise ? "clockwise" : "counter-clockwise");
        app->clearCourse();
        expectSound(createLoopCourse(8, 30, clockwise));
    }
}

TEST_F(CourseChecking, TightBendsFoldTheStripsOnTheirInside) {
    createCircle(8, 20);
    const CourseCheck check = app->checkCurrentCourse();
    const auto folds = ofKind(check, FindingKind::Fold);
    const auto bends = ofKind(check, FindingKind::TightBend);
    ASSERT_FALSE(folds.empty());
    ASSERT_FALSE(bends.empty());
    EXPECT_GT(check.foldedTriangles, 20);
    EXPECT_LT(check.tightestBend, check.tightestBendInsideOffset);
    // Every fold lies beside a bend too tight for the strips, no farther from its
    // centre than the widest strip reaches.
    for (const CourseFinding& f : folds) {
        EXPECT_LE(nearest(f, bends), check.widestOffset) << f.x << ", " << f.z;
    }
    // Bends tighter than the road's own half width turn its inner edge back on itself.
    EXPECT_GT(check.edgeCrossings, 0);
    EXPECT_EQ(check.centrelineCrossings, 0);
}

TEST_F(CourseChecking, AFigureEightCrossesItselfOnceAtItsWaist) {
    const LCourse_t& course = createCourseThrough({{-30, -15}, {-30, 15}, {30, -15}, {30, 15}});
    const CourseCheck check = app->checkCurrentCourse();
    const auto centre = ofKind(check, FindingKind::CentrelineCrossing);
    const auto edges = ofKind(check, FindingKind::EdgeCrossing);
    ASSERT_EQ(centre.size(), 1u);
    EXPECT_EQ(check.centrelineCrossings, 1);
    // Each road edge crosses itself there too, a road's width or less away.
    ASSERT_EQ(edges.size(), 2u);
    for (const CourseFinding& e : edges) {
        EXPECT_LE(apart(e, centre[0]), 2 * CCourseTrack::kHalfRoadWidth);
    }
    // The crossing lies on the centreline.
    const CCourseTrack& track = *course.track;
    std::vector<CourseFinding> line;
    for (int i = 0; i < track.sampleCount(); ++i) {
        line.push_back(centreAt(track, i));
    }
    EXPECT_LT(nearest(centre[0], line), 2.0f);
    EXPECT_FALSE(check.findings.empty());
}

namespace {

// Twice the signed area of the polygon through column c of the strip's rows 0 .. rows - 1.
double columnArea2(const StripGrid& strip, int column, int rows) {
    double sum = 0;
    for (int j = 0, k = rows - 1; j < rows; k = j++) {
        const auto& a = strip.vertex(k, column);
        const auto& b = strip.vertex(j, column);
        sum += static_cast<double>(a.x) * b.z - static_cast<double>(b.x) * a.z;
    }
    return sum;
}

} // namespace

TEST_F(CourseChecking, FieldOverTheRoadIsMeasuredByItsArea) {
    LCourse_t& course = createCircle(8, 30);
    const CCourseTrack& track = *course.track;
    // The field laid out to the road's outer edge rather than to its own border inside
    // the loop: it covers the whole road, whose area is the difference of the areas
    // inside its two edges.
    CCourseField& field = *course.field;
    field.resetForRegeneration();
    for (int j = 0; j < course.strips[0]->rows(); ++j) {
        const D3DXVECTOR3 edge = track.point(4, track.trackIndex(j * 20));
        field.addBorderSample(edge.z, edge.y, edge.x);
    }
    ASSERT_EQ(field.build(), S_OK);
    const int loopRows = (track.sampleCount() + 19) / 20;
    const StripGrid& road = *course.strips[ROAD_STRIP];
    const double roadArea = std::fabs(std::fabs(columnArea2(road, 0, loopRows)) -
                                      std::fabs(columnArea2(road, 1, loopRows))) /
                            2;
    ASSERT_GT(roadArea, 1000.0);

    const CourseCheck check = checkCourse(course, {});
    EXPECT_NEAR(check.fieldOverRoad, roadArea, 0.01 * roadArea);
    const auto over = ofKind(check, FindingKind::FieldOverRoad);
    ASSERT_FALSE(over.empty());
    double sum = 0;
    for (const CourseFinding& f : over) {
        sum += f.value;
    }
    EXPECT_NEAR(sum, check.fieldOverRoad, 1e-3 * check.fieldOverRoad);
}

TEST_F(CourseChecking, BallsLandOnTheRoadWhereTheLoopClosesBetweenTwoStripRows) {
    // Six points give 4998 samples, which do not end on a strip row: the strips' last
    // quad ends on the loop's first sample, not past it over the first quad. With hills
    // a second layer there would not lie in the road's plane, and a ball coming round
    // the loop would land on it.
    LCourse_t& course = createCircle(6, 30);
    int k = 0;
    for (LPoint_t& p : course.calculatedPoints) {
        p.y = (k++ % 2) != 0 ? 3.0f : -3.0f;
    }
    app->regenerateCurrentCourse();
    const CourseCheck check = app->checkCurrentCourse();
    EXPECT_GT(check.probes, 0);
    EXPECT_EQ(check.probeMisses, 0);
    EXPECT_TRUE(check.findings.empty());
}

TEST_F(CourseChecking, BallsLandOnStripsFoldedOverTheRoad) {
    createCircle(8, 20);
    const CourseCheck check = app->checkCurrentCourse();
    const auto probes = ofKind(check, FindingKind::Probe);
    const auto folds = ofKind(check, FindingKind::Fold);
    ASSERT_FALSE(probes.empty());
    for (const CourseFinding& f : probes) {
        // On the edge, a bank or a field strip: at least the edge's lift above the road.
        EXPECT_GT(f.value, CCourseTrack::kEdgeLift - 0.01f);
        EXPECT_LT(nearest(f, folds), 60.0f);
    }
}

TEST_F(CourseChecking, ABallThatFindsNoSurfaceIsAFinding) {
    LCourse_t& course = createCircle(8, 30);
    const CourseCheck check =
        checkCourse(course, [](float, float) -> std::optional<float> { return std::nullopt; });
    EXPECT_EQ(check.probeMisses, check.probes);
    EXPECT_TRUE(std::isinf(check.worstProbe));
    // The whole loop is one stretch of them.
    const auto probes = ofKind(check, FindingKind::Probe);
    ASSERT_EQ(probes.size(), 1u);
    EXPECT_TRUE(std::isinf(probes[0].value));
}
