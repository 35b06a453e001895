#include "course/FieldTriangulation.h"

#include <algorithm>
#include <cmath>
#include <numbers>
#include <random>
#include <vector>

#include <gtest/gtest.h>

#include "GroundPlan.h"

namespace {

using Polygon = groundplan::Loop;
using groundplan::ground;
using groundplan::insidePolygon;

Polygon reversed(Polygon p) {
    std::reverse(p.begin(), p.end());
    return p;
}

// One point in each of n equal sectors around the origin, so neighbours are less
// than half a turn apart and the loop is simple; equal radii make it convex.
Polygon star(std::mt19937& rng, int n, bool convex) {
    std::uniform_real_distribution<double> jitter(0.0, 0.9), radius(20.0, 400.0);
    Polygon p;
    for (int i = 0; i < n; ++i) {
        const double a = (i + jitter(rng)) * 2 * std::numbers::pi / n;
        const double r = convex ? 300.0 : radius(rng);
        p.emplace_back(static_cast<float>(r * std::cos(a)), 1.0f,
                       static_cast<float>(r * std::sin(a)));
    }
    return p;
}

// Checks the tiling independently of the code's own check: n - 2 triangles, none
// turned against the loop (none flat either when `strict`), areas adding up to the
// loop's, and random points inside the loop in exactly one triangle, outside in none.
void expectTiling(const Polygon& p, const std::vector<FieldTriangle>& tris, bool strict) {
    ASSERT_EQ(tris.size(), p.size() - 2);
    const double area = signedArea2(p);
    double sum = 0;
    for (const FieldTriangle& t : tris) {
        const double a = signedArea2(p[t[0]], p[t[1]], p[t[2]]);
        EXPECT_TRUE(strict ? a * area > 0 : a * area >= 0) << t[0] << " " << t[1] << " " << t[2];
        sum += std::abs(a);
    }
    EXPECT_NEAR(sum, std::abs(area), 1e-6 * std::abs(area));
    auto [minX, maxX] =
        std::minmax_element(p.begin(), p.end(), [](auto& a, auto& b) { return a.x < b.x; });
    auto [minZ, maxZ] =
        std::minmax_element(p.begin(), p.end(), [](auto& a, auto& b) { return a.z < b.z; });
    std::mt19937 rng(1);
    std::uniform_real_distribution<float> xs(minX->x, maxX->x), zs(minZ->z, maxZ->z);
    for (int k = 0; k < 200; ++k) {
        const D3DXVECTOR3 q(xs(rng), 0, zs(rng));
        const auto covering = std::count_if(tris.begin(), tris.end(), [&](const auto& t) {
            const double d1 = signedArea2(p[t[0]], p[t[1]], q);
            const double d2 = signedArea2(p[t[1]], p[t[2]], q);
            const double d3 = signedArea2(p[t[2]], p[t[0]], q);
            return (d1 > 0 && d2 > 0 && d3 > 0) || (d1 < 0 && d2 < 0 && d3 < 0);
        });
        EXPECT_EQ(covering, insidePolygon(p, q.x, q.z) ? 1 : 0) << q.x << ", " << q.z;
    }
}

TEST(FieldTriangulation, WalkTrianglesAreKeptWhereTheyCoverTheLoop) {
    // Three corners turning negatively (counter-clockwise seen from above).
    EXPECT_EQ(triangulateField(ground({{0, 0}, {10, 0}, {0, 10}})),
              (std::vector<FieldTriangle>{{2, 0, 1}}));
    Polygon hexagon;
    for (int i = 0; i < 6; ++i) {
        const double a = i * std::numbers::pi / 3;
        hexagon.emplace_back(static_cast<float>(50 * std::cos(a)), 0.0f,
                             static_cast<float>(50 * std::sin(a)));
    }
    EXPECT_EQ(triangulateField(hexagon),
              (std::vector<FieldTriangle>{{5, 0, 1}, {5, 1, 2}, {5, 2, 3}, {5, 3, 4}}));
    // With a notch the walk first clips the corner after it.
    const Polygon notched = ground({{0, 0}, {10, 0}, {10, 10}, {5, 5}, {0, 10}});
    EXPECT_EQ(triangulateField(notched).front(), (FieldTriangle{3, 4, 0}));
}

TEST(FieldTriangulation, WalksThatStallOrLeaveTheLoopFallBackToEarClipping) {
    // Clockwise, every corner counts as convex and the walk would go round forever;
    // with a notch its first clip lays a triangle outside the loop.
    const Polygon square = reversed(ground({{0, 0}, {10, 0}, {10, 10}, {0, 10}}));
    const Polygon notched = reversed(ground({{0, 0}, {10, 0}, {10, 10}, {5, 5}, {0, 10}}));
    // Counter-clockwise, but the first clip sweeps over a spike of the outside.
    const Polygon spiked = ground(
        {{0, 0}, {10, 0}, {10, 10}, {6, 10}, {5, 2}, {4, 10}, {0, 10}, {0, 8}, {3, 7.5f}, {0, 7}});
    EXPECT_FALSE(triangulateByTurns(makePolygonEntries(square)).has_value());
    for (const Polygon& p : {square, notched, spiked, reversed(spiked)}) {
        const auto walked = triangulateByTurns(makePolygonEntries(p));
        EXPECT_TRUE(!walked || !isExactCover(p, *walked));
        expectTiling(p, triangulateField(p), true);
    }
}

TEST(FieldTriangulation, RandomLoopsInBothDirectionsAreTiledExactly) {
    std::mt19937 rng(20240611);
    std::uniform_int_distribution<int> sizes(3, 60);
    for (int round = 0; round < 150; ++round) {
        const Polygon ccw = star(rng, sizes(rng), round % 3 == 0);
        for (const Polygon& p : {ccw, reversed(ccw)}) {
            SCOPED_TRACE(testing::Message() << "round " << round << ", " << p.size() << " points");
            expectTiling(p, triangulateField(p), true);
        }
    }
    // A comb of deep notches leaves few ears.
    Polygon comb = ground({{0, 0}, {100, 0}, {100, 50}});
    for (int tooth = 4; tooth >= 0; --tooth) {
        for (auto [dx, z] : {std::pair{15.0f, 50.0f}, {10.0f, 5.0f}, {5.0f, 50.0f}}) {
            comb.emplace_back(tooth * 20.0f + dx, 0.0f, z);
        }
    }
    comb.emplace_back(0.0f, 0.0f, 50.0f);
    expectTiling(comb, triangulateByEarClipping(comb), true);
    expectTiling(reversed(comb), triangulateByEarClipping(reversed(comb)), true);
}

TEST(FieldTriangulation, CollinearAndRepeatedPoints) {
    const Polygon loops[] = {
        ground({{0, 0}, {5, 0}, {10, 0}, {20, 0}, {20, 10}, {20, 20}, {10, 20}, {0, 20}, {0, 10}}),
        ground({{0, 0}, {1, 0}, {2, 0}, {1.5f, 1}, {1, 2}, {0.5f, 1}}),
        ground({{0, 0}, {10, 0}, {10, 0}, {10, 10}, {0, 10}, {0, 0}}), // clicked twice
        ground({{0, 0}, {10, 0}, {10, 10}, {5, 5}, {5, 5}, {0, 10}}),
    };
    for (const Polygon& base : loops) {
        for (const Polygon& p : {base, reversed(base)}) {
            expectTiling(p, triangulateField(p), false);
        }
    }
    // Nothing to cover, but it still ends with a full set.
    const Polygon line = ground({{0, 0}, {1, 0}, {2, 0}, {3, 0}, {4, 0}});
    EXPECT_EQ(triangulateField(line).size(), 3u);
    EXPECT_EQ(triangulateField(Polygon(6, D3DXVECTOR3(1, 2, 3))).size(), 4u);
}

TEST(FieldTriangulation, ExactCoverRejectsOverlapsGapsAndFlips) {
    const Polygon square = ground({{0, 0}, {10, 0}, {10, 10}, {0, 10}});
    EXPECT_TRUE(isExactCover(square, {{0, 1, 2}, {0, 2, 3}}));
    EXPECT_FALSE(isExactCover(square, {{0, 1, 2}}));
    EXPECT_FALSE(isExactCover(square, {{0, 1, 2}, {0, 2, 3}, {1, 2, 3}}));
    EXPECT_FALSE(isExactCover(square, {{0, 2, 1}, {0, 2, 3}}));
    EXPECT_FALSE(isExactCover(square, {{0, 1, 4}, {0, 2, 3}}));
    // Across the notch and back: the signed areas add up, the cover does not.
    const Polygon notched = ground({{0, 0}, {10, 0}, {10, 10}, {5, 5}, {0, 10}});
    EXPECT_FALSE(isExactCover(notched, {{0, 1, 2}, {0, 2, 4}, {2, 3, 4}}));
}

} // namespace
