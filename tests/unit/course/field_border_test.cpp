#include "course/FieldBorder.h"

#include <algorithm>
#include <cmath>
#include <vector>

#include <gtest/gtest.h>

#include "GroundPlan.h"
#include "course/FieldHoles.h"
#include "course/FieldOutline.h"
#include "course/FieldTriangulation.h"

namespace {

using groundplan::ground;
using groundplan::Loop;

double area(const std::vector<Loop>& loops) {
    double sum = 0;
    for (const Loop& loop : loops) {
        sum += signedArea2(loop) / 2;
    }
    return sum;
}

// The ten-square with a detour inside it: right along z = 6 to x = 6, down round a
// box that the detour closes by crossing its own way in at (3, 6), up to z = 8 and
// back down through z = 6 at x = 1. It leaves the box [3, 6] x [3, 6] wound no times
// (a hole), the square [1, 3] x [6, 8] wound twice (a curl), and [0, 1] x [5, 6] outside.
Loop detour() {
    return ground({{0, 0},
                   {10, 0},
                   {10, 10},
                   {0, 10},
                   {0, 6},
                   {6, 6},
                   {6, 3},
                   {3, 3},
                   {3, 8},
                   {1, 8},
                   {1, 5},
                   {0, 5}});
}

TEST(FieldBorder, SimpleLoopsComeBackAsTheyWere) {
    const Loop square = ground({{0, 0}, {10, 0}, {10, 10}, {0, 10}});
    const auto loops = untangle(square, 1);
    ASSERT_EQ(loops.size(), 1u);
    EXPECT_EQ(loops[0], square);
    Loop reversed = square;
    std::reverse(reversed.begin(), reversed.end());
    EXPECT_TRUE(untangle(reversed, 1).empty()) << "it runs the other way round";
    EXPECT_TRUE(untangle(ground({{0, 0}, {5, 0}, {10, 0}}), 1).empty()) << "encloses nothing";
}

TEST(FieldBorder, AFoldIsLeftOutAndACurlCountsOnce) {
    // The inner offset of a square's corner overshoots and comes back: the small
    // loop round (9, 1), (10, 1), (9, 0) runs the other way, outside.
    const Loop folded = ground({{0, 1}, {10, 1}, {9, 0}, {9, 10}, {0, 10}});
    const auto unfolded = untangle(folded, 1);
    ASSERT_EQ(unfolded.size(), 1u);
    EXPECT_DOUBLE_EQ(area(unfolded), 81);

    // The square less the notch [0, 2] x [3, 5], with a curl inside that winds the
    // same way: covered once, not twice.
    const Loop curled = ground(
        {{0, 0}, {10, 0}, {10, 10}, {0, 10}, {0, 5}, {4, 5}, {4, 7}, {2, 7}, {2, 3}, {0, 3}});
    const auto region = untangle(curled, 1);
    ASSERT_EQ(region.size(), 1u);
    EXPECT_DOUBLE_EQ(area(region), 96);
}

TEST(FieldBorder, HolesAreJoinedToTheLoopRoundThem) {
    const auto region = untangle(detour(), 1);
    ASSERT_EQ(region.size(), 2u) << "the outside and the hole";
    EXPECT_DOUBLE_EQ(area(region), 100 - 1 - 9);

    const auto joined = joinHoles(region, 1);
    ASSERT_EQ(joined.size(), 1u);
    double covered = 0;
    for (const FieldTriangle& t : triangulateByEarClipping(joined[0])) {
        const Loop& p = joined[0];
        covered += signedArea2(p[t[0]], p[t[1]], p[t[2]]) / 2;
        // Nothing in the hole.
        const D3DXVECTOR3 q(4.5f, 0, 4.5f);
        const double d1 = signedArea2(p[t[0]], p[t[1]], q);
        const double d2 = signedArea2(p[t[1]], p[t[2]], q);
        const double d3 = signedArea2(p[t[2]], p[t[0]], q);
        EXPECT_FALSE(d1 > 0 && d2 > 0 && d3 > 0);
    }
    EXPECT_DOUBLE_EQ(covered, 90);

    // Laid the other way round, the same region runs clockwise.
    Loop reversed = detour();
    std::reverse(reversed.begin(), reversed.end());
    EXPECT_DOUBLE_EQ(area(untangle(reversed, -1)), -90);
}

TEST(FieldBorder, WindingAndCrossings) {
    const Loop square = ground({{0, 0}, {10, 0}, {10, 10}, {0, 10}});
    EXPECT_EQ(windingNumber(square, D3DXVECTOR3(5, 0, 5)), 1);
    EXPECT_EQ(windingNumber(square, D3DXVECTOR3(15, 0, 5)), 0);
    Loop reversed = square;
    std::reverse(reversed.begin(), reversed.end());
    EXPECT_EQ(windingNumber(reversed, D3DXVECTOR3(5, 0, 5)), -1);

    EXPECT_TRUE(crossesLoop(square, D3DXVECTOR3(5, 0, 5), D3DXVECTOR3(15, 0, 5)));
    EXPECT_FALSE(crossesLoop(square, D3DXVECTOR3(5, 0, 5), D3DXVECTOR3(10, 0, 5)))
        << "touching is not crossing";
    EXPECT_FALSE(crossesLoop(square, D3DXVECTOR3(0, 0, 0), D3DXVECTOR3(10, 0, 10))) << "a diagonal";
}

TEST(FieldOutline, CuttingPiecesAwayLeavesTheRestAsLoops) {
    const Loop square = ground({{0, 0}, {10, 0}, {10, 10}, {0, 10}});
    FieldOutline outline({square}, 1);
    EXPECT_TRUE(outline.has(square[0], square[1]));
    EXPECT_FALSE(outline.has(square[1], square[0]));

    // Two triangles on opposite sides leave two that touch at the middle: each comes
    // out as a loop of its own.
    outline.cut(ground({{0, 0}, {10, 0}, {5, 5}}));
    outline.cut(ground({{10, 10}, {0, 10}, {5, 5}}));
    const auto rest = outline.loops();
    ASSERT_EQ(rest.size(), 2u);
    for (const Loop& loop : rest) {
        EXPECT_EQ(loop.size(), 3u);
        EXPECT_DOUBLE_EQ(signedArea2(loop) / 2, 25);
    }

    // Pieces that share a side cancel it out.
    FieldOutline halves({square}, 1);
    halves.cut(ground({{0, 0}, {10, 0}, {10, 10}}));
    halves.cut(ground({{0, 0}, {10, 10}, {0, 10}}));
    EXPECT_TRUE(halves.loops().empty());
}

} // namespace
