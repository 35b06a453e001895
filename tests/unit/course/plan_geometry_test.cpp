// The ground-plane geometry the course checker measures with, against closed-form
// answers.
#include <cmath>
#include <gtest/gtest.h>
#include <numbers>
#include <vector>

#include "check/CourseCheckParts.h"
#include "course/PlanGeometry.h"

namespace {

std::vector<PlanPoint> circle(int n, double radius, double cx = 0, double cz = 0) {
    std::vector<PlanPoint> points;
    for (int i = 0; i < n; ++i) {
        const double a = 2 * std::numbers::pi * i / n;
        points.push_back({cx + radius * std::cos(a), cz + radius * std::sin(a)});
    }
    return points;
}

// A figure eight of two circles of radius 100 touching at the origin, each run once:
// the right one counter-clockwise, the left one clockwise, so that the path crosses
// itself at the origin.
std::vector<PlanPoint> figureEight(int perLoop) {
    std::vector<PlanPoint> points;
    for (int i = 0; i < perLoop; ++i) {
        const double a = std::numbers::pi + 2 * std::numbers::pi * (i + 0.5) / perLoop;
        points.push_back({100 + 100 * std::cos(a), 100 * std::sin(a)});
    }
    for (int i = 0; i < perLoop; ++i) {
        const double a = -2 * std::numbers::pi * (i + 0.5) / perLoop;
        points.push_back({-100 + 100 * std::cos(a), 100 * std::sin(a)});
    }
    return points;
}

} // namespace

TEST(PlanGeometry, SegmentsCrossOnlyWhereEachSplitsTheOther) {
    const auto at = crossing({0, 0}, {2, 2}, {0, 2}, {2, 0});
    ASSERT_TRUE(at.has_value());
    EXPECT_DOUBLE_EQ(at->x, 1.0);
    EXPECT_DOUBLE_EQ(at->z, 1.0);
    // Touching at an end, meeting in a T, lying along one line, or missing: no crossing.
    EXPECT_FALSE(crossing({0, 0}, {1, 1}, {1, 1}, {2, 0}));
    EXPECT_FALSE(crossing({0, 0}, {2, 0}, {1, 0}, {1, 1}));
    EXPECT_FALSE(crossing({0, 0}, {2, 0}, {1, 0}, {3, 0}));
    EXPECT_FALSE(crossing({0, 0}, {1, 1}, {2, 0}, {3, 1}));
    // A segment of no length crosses nothing.
    EXPECT_FALSE(crossing({1, -1}, {1, -1}, {0, 0}, {2, 0}));
}

TEST(PlanGeometry, ALoopCrossesItselfWhereItsPathsMeet) {
    EXPECT_TRUE(selfCrossings(circle(5000, 700)).empty());
    // Long thin loops are swept along their length.
    std::vector<PlanPoint> thin = circle(3000, 1);
    for (PlanPoint& p : thin) {
        p.z *= 1000;
    }
    EXPECT_TRUE(selfCrossings(thin).empty());

    const std::vector<PlanPoint> eight = figureEight(2000);
    const std::vector<PlanPoint> once = selfCrossings(eight);
    ASSERT_EQ(once.size(), 1u);
    EXPECT_NEAR(once[0].x, 0.0, 1e-9);
    EXPECT_NEAR(once[0].z, 0.0, 1e-3);

    // A pentagram's five points are joined two apart: five crossings, on a circle.
    const std::vector<PlanPoint> corners = circle(5, 10);
    std::vector<PlanPoint> star;
    for (int i = 0; i < 5; ++i) {
        star.push_back(corners[(2 * i) % 5]);
    }
    const std::vector<PlanPoint> five = selfCrossings(star);
    ASSERT_EQ(five.size(), 5u);
    const double inner = 10 * std::cos(2 * std::numbers::pi / 5) / std::cos(std::numbers::pi / 5);
    for (const PlanPoint& p : five) {
        EXPECT_NEAR(std::hypot(p.x, p.z), inner, 1e-9);
    }
}

TEST(PlanGeometry, ThreePointsOfACircleGiveItsRadius) {
    const std::vector<PlanPoint> c = circle(7, 250, 1000, -3000);
    EXPECT_NEAR(circumradius(c[0], c[1], c[2]), 250, 1e-6);
    EXPECT_NEAR(circumradius(c[6], c[2], c[4]), 250, 1e-6);
    EXPECT_TRUE(std::isinf(circumradius({0, 0}, {1, 1}, {3, 3})));
}

TEST(PlanGeometry, APointIsInATriangleEitherWayRoundBorderIncluded) {
    const PlanPoint a{0, 0};
    const PlanPoint b{4, 0};
    const PlanPoint c{0, 4};
    for (const PlanPoint p : {PlanPoint{1, 1}, PlanPoint{2, 2}, PlanPoint{0, 0}, PlanPoint{2, 0}}) {
        EXPECT_TRUE(inTriangle(p, a, b, c));
        EXPECT_TRUE(inTriangle(p, a, c, b));
    }
    EXPECT_FALSE(inTriangle({2.1, 2}, a, b, c));
    EXPECT_FALSE(inTriangle({-0.1, 1}, a, c, b));
    // A flat triangle holds nothing, not even its own points.
    EXPECT_FALSE(inTriangle({1, 1}, {0, 0}, {1, 1}, {2, 2}));
    // How far inside: the smallest barycentric coordinate, whichever way round.
    EXPECT_NEAR(insideness({4.0 / 3, 4.0 / 3}, a, b, c), 1.0 / 3, 1e-12);
    EXPECT_NEAR(insideness({4.0 / 3, 4.0 / 3}, a, c, b), 1.0 / 3, 1e-12);
    EXPECT_NEAR(insideness({-1, 2}, a, c, b), -0.25, 1e-12);
    EXPECT_DOUBLE_EQ(insideness({2, 0}, a, b, c), 0.0);
}

TEST(PlanGeometry, ClippingKeepsTheCommonPartWhateverTheWinding) {
    const PlanPolygon square{{0, 0}, {2, 0}, {2, 2}, {0, 2}};
    const PlanPolygon shifted{{1, 1}, {1, 3}, {3, 3}, {3, 1}}; // clockwise
    const PlanPolygon common = clipConvex(square, shifted);
    EXPECT_DOUBLE_EQ(areaOf(common), 1.0);
    EXPECT_DOUBLE_EQ(centroidOf(common).x, 1.5);
    EXPECT_DOUBLE_EQ(centroidOf(common).z, 1.5);
    EXPECT_DOUBLE_EQ(areaOf(clipConvex(shifted, square)), 1.0);
    // A triangle half over a square: its right half, (0, 0), (2, 0), (0, 2).
    EXPECT_DOUBLE_EQ(areaOf(clipConvex({{-2, 0}, {2, 0}, {0, 2}}, square)), 2.0);
    // Apart, or only touching along an edge: nothing in common.
    EXPECT_DOUBLE_EQ(areaOf(clipConvex(square, {{5, 5}, {6, 5}, {6, 6}})), 0.0);
    EXPECT_DOUBLE_EQ(areaOf(clipConvex(square, {{2, 0}, {4, 0}, {4, 2}, {2, 2}})), 0.0);
}

TEST(Stretches, RunsOfMarkedIndicesJoinOverTheEndOfTheLoop) {
    const auto runs = [](const std::vector<bool>& marked) {
        std::vector<std::pair<int, int>> found;
        forEachStretch(
            static_cast<int>(marked.size()), [&marked](int i) { return marked[i]; },
            [&found](int first, int length) { found.emplace_back(first, length); });
        return found;
    };
    using Runs = std::vector<std::pair<int, int>>;
    EXPECT_EQ(runs({false, true, true, false, true, false}), (Runs{{1, 2}, {4, 1}}));
    EXPECT_EQ(runs({true, false, false, true, true}), (Runs{{3, 3}}));
    EXPECT_EQ(runs({true, true, true}), (Runs{{0, 3}}));
    EXPECT_EQ(runs({false, false}), Runs{});
    EXPECT_EQ(runs({}), Runs{});
}
