// The bank-top smoothing, pinned to the bit. A course's banks, and so every path rolled
// over it, follow from these rows: a change of one ulp anywhere (the order of the sums,
// a reciprocal for the division, a fused multiply-add, a different start or end of the
// in-place sweep) is a different course. The pins were taken from the in-place loop:
// point i is averaged with the new position of point i - 1 and the old one of i + 1,
// the last point with the new position of point 0.
#include <gtest/gtest.h>

#include <bit>
#include <cstdint>
#include <random>
#include <utility>

#include "course/CourseTrack.h"
#include "support/EngineFixture.h"

namespace {

constexpr int kPasses = 37;

// FNV-1a over the bits of every coordinate of the smoothed rows 0, 1, 6 and 7, each
// smoothed on its own copy of the track.
std::uint64_t smoothedRowsHash(const CCourseTrack& built) {
    std::uint64_t hash = 14695981039346656037ull;
    auto mix = [&hash](float value) {
        const std::uint32_t bits = std::bit_cast<std::uint32_t>(value);
        for (int byte = 0; byte < 4; ++byte) {
            hash ^= (bits >> (8 * byte)) & 0xffu;
            hash *= 1099511628211ull;
        }
    };
    for (int row : {0, 1, 6, 7}) {
        CCourseTrack track = built;
        track.smooth(row, kPasses);
        for (int i = 0; i < track.sampleCount(); ++i) {
            const D3DXVECTOR3& p = track.point(row, i);
            mix(p.x);
            mix(p.y);
            mix(p.z);
        }
    }
    return hash;
}

using TrackSmoothing = EngineFixture;

TEST_F(TrackSmoothing, MovesEveryPointOfRealCoursesAsPinned) {
    EXPECT_EQ(smoothedRowsHash(*createLoopCourse(6, 30).track), 0xd063d90133ffffa0ull);
    EXPECT_EQ(smoothedRowsHash(*createLoopCourse(4, 12, true).track), 0x50d73ed499268c39ull);
    EXPECT_EQ(smoothedRowsHash(*createLoopCourse(9, 35).track), 0xed610d30abf0fe71ull);
}

// Jagged rows of a few points, with repeated points: the wrap-around at both ends of a
// pass is where a rewrite would slip.
TEST(TrackSmoothingRows, MovesEveryPointOfSmallJaggedRowsAsPinned) {
    const std::pair<int, std::uint64_t> pinned[] = {
        {1, 0xa09d945a1cd8d6e5ull}, {2, 0x0243cfa845185aa5ull}, {3, 0xec32669a74fcae65ull},
        {4, 0x15010eab3c7e384cull}, {7, 0xa9aa53a0c04a6729ull}, {50, 0x7e152205c44dd47dull}};
    std::mt19937 random(4);
    std::uniform_real_distribution<float> jitter(-5.0f, 5.0f);
    for (const auto& [n, hash] : pinned) {
        CCourseTrack track(n);
        for (int i = 0; i < n; ++i) {
            // One draw after the other in a fixed order: the order in which a call's
            // arguments are evaluated differs between compilers.
            const float x = i % 3 == 2 ? 0.0f : jitter(random);
            const float z = i % 4 == 1 ? 0.0f : jitter(random);
            const float y = jitter(random);
            track.appendSample(x, y, z);
        }
        if (n > CCourseTrack::kOriginIndex) {
            ASSERT_EQ(track.build(), S_OK);
        }
        EXPECT_EQ(smoothedRowsHash(track), hash) << n << " points";
    }
}

} // namespace
