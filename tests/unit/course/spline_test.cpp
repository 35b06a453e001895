#include "course/CourseSpline.h"

#include <cmath>
#include <gtest/gtest.h>

namespace {

CCourseSpline builtSpline(int points, float scale = 50.0f) {
    CCourseSpline spline(scale);
    for (int i = 0; i < points; ++i) {
        const double angle = 2 * M_PI * i / points;
        spline.add(static_cast<float>(40 * std::cos(angle)), 0,
                   static_cast<float>(40 * std::sin(angle)));
    }
    spline.build();
    return spline;
}

} // namespace

TEST(SplineSampling, SamplesPerSegmentKeepCoursesWithinFiveThousand) {
    EXPECT_EQ(builtSpline(3).sampleCount(), 3000);
    EXPECT_EQ(builtSpline(5).steps(), 1000);
    EXPECT_EQ(builtSpline(6).steps(), 833);
    EXPECT_EQ(builtSpline(6).sampleCount(), 4998);
    EXPECT_EQ(builtSpline(7).steps(), 714);
    for (int n = 6; n < 200; n += 17) {
        EXPECT_LE(builtSpline(n).sampleCount(), CCourseSpline::kMaxSamples) << n;
    }
}

TEST(SplineSampling, FewerThanThreePointsStayUnbuilt) {
    for (int n = 0; n < 3; ++n) {
        CCourseSpline spline = builtSpline(n);
        EXPECT_FALSE(spline.isBuilt());
        EXPECT_EQ(spline.sampleCount(), 0);
        const auto p = spline.evaluate(); // must not read arrays that do not exist
        EXPECT_EQ(p[0], 0.0);
    }
}

TEST(SplineSampling, FirstSampleLiesOneStepIntoTheFirstSegment) {
    CCourseSpline spline = builtSpline(3);
    const auto& P = spline.positions();
    const auto& T = spline.tangents();
    const double t = 1.0 / 1000;
    const double h1 = 2 * t * t * t - 3 * t * t + 1;
    const double h2 = -2 * t * t * t + 3 * t * t;
    const double h3 = t * t * t - 2 * t * t + t;
    const double h4 = t * t * t - t * t;
    const auto first = spline.evaluate();
    for (int k = 0; k < 3; ++k) {
        EXPECT_DOUBLE_EQ(first[k], h1 * P[0][k] + h2 * P[1][k] + h3 * T[0][k] + h4 * T[1][k]);
    }
    EXPECT_NE(first[0], P[0][0]);
}

TEST(SplineSampling, LaterSegmentsRepeatTheEndOfTheSegmentBefore) {
    CCourseSpline spline = builtSpline(4);
    CCourseSpline::Position previous{};
    for (int i = 0; i < 1000; ++i) {
        previous = spline.evaluate();
    }
    // Sample 999 is t = 1 of segment 0, which is point 1; sample 1000 is t = 0 of
    // segment 1, the same point again.
    const auto& P = spline.positions();
    const auto startOfSegment1 = spline.evaluate();
    for (int k = 0; k < 3; ++k) {
        EXPECT_NEAR(previous[k], P[1][k], 1e-12);
        EXPECT_DOUBLE_EQ(startOfSegment1[k], P[1][k]);
    }
}

TEST(SplineBuild, StoresPointsDividedByTheScaleAndClosesTheLoop) {
    CCourseSpline spline(50.0f);
    spline.add(50, 100, 0);
    spline.add(150, 100, 0);
    spline.add(150, 100, 100);
    spline.build();
    const auto& P = spline.positions();
    EXPECT_DOUBLE_EQ(P[0][0], 1.0);
    EXPECT_DOUBLE_EQ(P[0][1], 2.0);
    const auto& T = spline.tangents();
    EXPECT_DOUBLE_EQ(T[0][0], 1.0);
    EXPECT_DOUBLE_EQ(T[1][2], 1.0);
    // The last tangent points back to the first point.
    EXPECT_NEAR(T[2][0], -1 / std::sqrt(2.0), 1e-12);
    EXPECT_NEAR(T[2][2], -1 / std::sqrt(2.0), 1e-12);
}

TEST(SplineBuild, CoincidentPointsGiveAZeroTangentAndSamplingGoesOn) {
    CCourseSpline spline(1.0f);
    spline.add(0, 0, 0);
    spline.add(10, 0, 0);
    spline.add(10, 0, 0);
    spline.add(0, 0, 10);
    spline.build();
    const auto& T = spline.tangents();
    EXPECT_EQ(T[1][0], 0.0);
    EXPECT_EQ(T[1][1], 0.0);
    EXPECT_EQ(T[1][2], 0.0);
    for (int i = 0; i < spline.sampleCount(); ++i) {
        const auto p = spline.evaluate();
        ASSERT_TRUE(std::isfinite(p[0]) && std::isfinite(p[2])) << i;
    }
}
