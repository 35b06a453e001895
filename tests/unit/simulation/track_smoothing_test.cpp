// The bank-top smoothing, rewritten for speed, moves every point exactly as the plain
// in-place loop does.
#include <gtest/gtest.h>
#include <random>
#include <vector>

#include "BodyState.h"
#include "course/CourseTrack.h"
#include "support/EngineFixture.h"

namespace {

std::vector<D3DXVECTOR3> rowOf(const CCourseTrack& track, int row) {
    std::vector<D3DXVECTOR3> points;
    for (int i = 0; i < track.sampleCount(); ++i) {
        points.push_back(track.point(row, i));
    }
    return points;
}

void expectSmoothingAsPlainLoop(const CCourseTrack& built) {
    for (int row : {0, 1, 6, 7}) {
        CCourseTrack plain = built;
        plain.smoothPlainly(row, 37);
        const std::vector<D3DXVECTOR3> expected = rowOf(plain, row);
        CCourseTrack track = built;
        track.smooth(row, 37);
        const std::vector<D3DXVECTOR3> actual = rowOf(track, row);
        for (std::size_t i = 0; i < actual.size(); ++i) {
            ASSERT_TRUE(sameBits(actual[i], expected[i])) << "row " << row << ", point " << i;
        }
    }
    CCourseTrack together = built;
    CCourseTrack apart = built;
    together.smoothTwo(7, 0, 25);
    apart.smooth(7, 25);
    apart.smooth(0, 25);
    for (int row = 0; row < CCourseTrack::kRows; ++row) {
        for (int i = 0; i < built.sampleCount(); ++i) {
            ASSERT_TRUE(sameBits(together.point(row, i), apart.point(row, i))) << row << ", " << i;
        }
    }
}

using TrackSmoothing = EngineFixture;

TEST_F(TrackSmoothing, MovesEveryPointAsThePlainLoopOnRealCourses) {
    expectSmoothingAsPlainLoop(*createLoopCourse(6, 30).track);
    expectSmoothingAsPlainLoop(*createLoopCourse(4, 12, true).track);
    expectSmoothingAsPlainLoop(*createLoopCourse(9, 35).track);
}

// Jagged rows of a few points, with repeated points: the wrap-around at both ends of a
// pass is where a rewrite would slip.
TEST(TrackSmoothingRows, MovesEveryPointAsThePlainLoopOnSmallJaggedRows) {
    std::mt19937 random(4);
    std::uniform_real_distribution<float> jitter(-5.0f, 5.0f);
    for (int n : {1, 2, 3, 4, 7, 50}) {
        CCourseTrack track(n);
        for (int i = 0; i < n; ++i) {
            const float x = i % 3 == 2 ? 0.0f : jitter(random);
            track.appendSample(x, jitter(random), i % 4 == 1 ? 0.0f : jitter(random));
        }
        if (n > CCourseTrack::kOriginIndex) {
            ASSERT_EQ(track.build(), S_OK);
        }
        expectSmoothingAsPlainLoop(track);
    }
}

} // namespace
