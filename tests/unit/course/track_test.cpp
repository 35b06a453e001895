#include "course/CourseTrack.h"

#include <cmath>
#include <numbers>
#include <vector>

#include <gtest/gtest.h>

namespace {

// A circle laid counter-clockwise seen from above (x right, z up): the right side of
// the track is the outside. Heights roll so that lifts are measured on a slope.
std::vector<D3DXVECTOR3> circle(int n, float radius) {
    std::vector<D3DXVECTOR3> samples;
    for (int i = 0; i < n; ++i) {
        const double a = 2 * std::numbers::pi * i / n;
        samples.emplace_back(static_cast<float>(radius * std::cos(a)),
                             static_cast<float>(3 * std::sin(3 * a)),
                             static_cast<float>(radius * std::sin(a)));
    }
    return samples;
}

CCourseTrack makeTrack(const std::vector<D3DXVECTOR3>& samples) {
    CCourseTrack track(static_cast<int>(samples.size()));
    for (const auto& s : samples) {
        track.appendSample(s.x, s.y, s.z);
    }
    EXPECT_EQ(track.build(), S_OK);
    return track;
}

float apart(const D3DXVECTOR3& a, const D3DXVECTOR3& b) {
    return std::hypot(a.x - b.x, a.z - b.z);
}

// Positive when q lies to the right of the row's direction at sample i.
float rightOfRow(const CCourseTrack& t, int row, int i, const D3DXVECTOR3& q) {
    const D3DXVECTOR3 &p = t.point(row, i), &next = t.point(row, i + 1);
    return (q.x - p.x) * (next.z - p.z) - (q.z - p.z) * (next.x - p.x);
}

bool allFinite(const CCourseTrack& t) {
    for (int r = 0; r < CCourseTrack::kRows; ++r) {
        for (int i = 0; i < t.sampleCount(); ++i) {
            const D3DXVECTOR3& p = t.point(r, i);
            if (!std::isfinite(p.x) || !std::isfinite(p.y) || !std::isfinite(p.z)) {
                return false;
            }
        }
    }
    return true;
}

TEST(CourseTrack, CrossSectionOfAThreePointCourse) {
    const auto samples = circle(3000, 200);
    const CCourseTrack t = makeTrack(samples);
    ASSERT_EQ(t.sampleCount(), 3000);
    EXPECT_EQ(t.centre(3), D3DXVECTOR3(0, 0, 0));
    EXPECT_NEAR(t.centre(1500).x, (samples[1500].x - samples[3].x) * 25, 1e-2f);
    const float tol = 2e-2f; // the track spans some 10000 units in float
    for (int i = 0; i < t.sampleCount(); i += 37) {
        EXPECT_NEAR(apart(t.point(4, i), t.centre(i)), 20.0f, tol);
        EXPECT_GT(rightOfRow(t, 3, i, t.centre(i)), 0.0f);
        EXPECT_NEAR(t.point(5, i).y - t.point(4, i).y, 0.2f, 1e-4f);
        // The right field border lies 200 to the right of the right bank top, the left
        // one only 4 to the left of the left bank top; both half a unit higher.
        EXPECT_NEAR(apart(t.point(7, i), t.point(6, i)), 200.0f, tol);
        EXPECT_GT(rightOfRow(t, 6, i, t.point(7, i)), 0.0f);
        EXPECT_NEAR(t.point(7, i).y - t.point(6, i).y, 0.5f, 1e-4f);
        EXPECT_NEAR(apart(t.point(0, i), t.point(1, i)), 4.0f, tol);
        EXPECT_LT(rightOfRow(t, 1, i, t.point(0, i)), 0.0f);
        EXPECT_NEAR(t.point(0, i).y - t.point(1, i).y, 0.5f, 1e-4f);
        // Outside the circle smoothing would pull the bank top back toward the road.
        EXPECT_NEAR(apart(t.point(6, i), t.point(5, i)), 6.0f, tol);
    }
    // The last strip row of this course reads sample 3020; indices wrap both ways.
    for (int row = 0; row < 7; ++row) {
        EXPECT_EQ(t.pair(row, 20).first, t.point(row + 1, 20));
        EXPECT_EQ(t.pair(row, 20).second, t.point(row, 20));
        EXPECT_EQ(t.pair(row, 3020), t.pair(row, 20));
        EXPECT_EQ(t.pair(row, -1), t.pair(row, 2999));
        EXPECT_EQ(t.pair(row, -3005), t.pair(row, 2995));
    }
}

TEST(CourseTrack, BankFollowsThePitch) {
    const CCourseTrack flat = makeTrack(circle(400, 100));
    CCourseTrack banked = makeTrack(circle(400, 100));
    banked.setPitch(10, 0.5f);        // an incline of 180 after the division by 360
    banked.setPitch(11, 1.0f / 6.0f); // sin(pi / 6) = 0.5
    for (int i = 0; i < banked.sampleCount(); ++i) {
        banked.bank(i);
    }
    for (int r = 0; r < CCourseTrack::kRows; ++r) {
        const float up = r >= 4 ? 1.0f : -1.0f;
        EXPECT_NEAR(banked.point(r, 10).y - flat.point(r, 10).y, up * 10.0f, 1e-4f) << r;
        EXPECT_NEAR(banked.point(r, 11).y - flat.point(r, 11).y, up * 5.0f, 1e-4f) << r;
        EXPECT_EQ(banked.point(r, 10).x, flat.point(r, 10).x);
        EXPECT_EQ(banked.point(r, 12), flat.point(r, 12)) << "no pitch, no bank";
    }
}

TEST(CourseTrack, CoincidentPointsGiveNoNaN) {
    auto samples = circle(400, 100);
    samples[40].x = samples[39].x; // same ground position, another height
    samples[40].z = samples[39].z;
    samples[399].x = samples[0].x; // the last sample on top of the first
    samples[399].z = samples[0].z;
    const CCourseTrack t = makeTrack(samples);
    // The second of the pair is moved halfway between its neighbours; closing the loop
    // repairs the first centre point from the second and the last.
    EXPECT_FLOAT_EQ(t.centre(40).x, (t.centre(39).x + t.centre(41).x) / 2);
    EXPECT_FLOAT_EQ(t.centre(40).z, (t.centre(39).z + t.centre(41).z) / 2);
    EXPECT_FLOAT_EQ(t.centre(40).y, (samples[40].y - samples[3].y) * 25);
    EXPECT_FLOAT_EQ(t.centre(0).x, (t.centre(1).x + t.centre(399).x) / 2);
    EXPECT_TRUE(allFinite(t));

    // Four samples in one place cannot be separated, and the rows offset from them
    // get coincident points of their own.
    samples = circle(400, 100);
    for (int i = 41; i <= 43; ++i) {
        samples[i] = samples[40];
    }
    const CCourseTrack stuck = makeTrack(samples);
    EXPECT_TRUE(allFinite(stuck));
    EXPECT_EQ(stuck.point(5, 40), stuck.point(5, 41));
    for (int i = 38; i <= 45; ++i) {
        EXPECT_NEAR(apart(stuck.point(3, i), stuck.centre(i)), 20.0f, 1e-2f) << i;
        EXPECT_NEAR(apart(stuck.point(7, i), stuck.point(6, i)), 200.0f, 1e-1f) << i;
    }

    // A course collapsed onto one point has no direction anywhere.
    EXPECT_TRUE(allFinite(makeTrack(std::vector<D3DXVECTOR3>(8, {5, 1, 5}))));
}

TEST(CourseTrack, SmoothingOnlyMovesPointsAwayFromTheCentre) {
    const CCourseTrack built = makeTrack(circle(600, 100));
    auto fromCentre = [](const CCourseTrack& t, int row, int i) {
        const D3DXVECTOR3 d = t.point(row, i) - t.centre(i);
        return D3DXVec3Length(&d);
    };
    CCourseTrack t = built;
    t.smooth(1, 0); // inside the circle: averaging pushes points off the road
    t.smooth(6, 0); // outside: it would pull them toward the road, so nothing moves
    CCourseTrack hundred = built;
    hundred.smooth(1, 100);
    int moved = 0;
    int differs = 0;
    for (int i = 0; i < t.sampleCount(); ++i) {
        EXPECT_GE(fromCentre(t, 1, i), fromCentre(built, 1, i)) << i;
        EXPECT_EQ(t.point(6, i), built.point(6, i)) << i;
        moved += t.point(1, i) == built.point(1, i) ? 0 : 1;
        differs += t.point(1, i) == hundred.point(1, i) ? 0 : 1;
    }
    EXPECT_GT(moved, 0);
    EXPECT_GT(differs, 0) << "0 passes means 200, not 100";
}

} // namespace
