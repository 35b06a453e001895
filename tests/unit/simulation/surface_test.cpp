#include <cmath>
#include <gtest/gtest.h>
#include <limits>
#include <random>
#include <vector>

#include "course/CourseTrack.h"
#include "course/StripGrid.h"
#include "simulation/SurfaceQuery.h"
#include "support/BodyOf.h"
#include "support/EngineFixture.h"

namespace {

struct Hit {
    float height;
    int strip;
};

// Every triangle of every strip that the vertical segment at (x, z) crosses: the
// oracle the hinted search must agree with.
std::vector<Hit> allHits(const Strips& strips, float x, float z) {
    std::vector<Hit> hits;
    const D3DXVECTOR3 p0(x, -1000, z);
    const D3DXVECTOR3 p1(x, 1000, z);
    for (int s = 0; s < kStripCount; ++s) {
        const StripGrid& g = *strips[s];
        const auto& idx = g.indices();
        for (std::size_t t = 0; t + 2 < idx.size(); t += 3) {
            const auto& a = g.vertices()[idx[t]];
            const auto& b = g.vertices()[idx[t + 1]];
            const auto& c = g.vertices()[idx[t + 2]];
            D3DXVECTOR3 point;
            if (segmentHitsTriangle(p0, p1, {a.x, a.y, a.z}, {b.x, b.y, b.z}, {c.x, c.y, c.z},
                                    &point)) {
                hits.push_back({point.y, s});
            }
        }
    }
    return hits;
}

// Seven flat 10 x 10 strips side by side along x (strip k from x = 10k), rows along z,
// heights rising with z (y = slope * z).
void layTestStrips(LCourse_t& course, int rows, float slope = 0) {
    for (int k = 0; k < kStripCount; ++k) {
        course.strips[k] = std::make_unique<StripGrid>(nullptr, 2, rows, 10.0f);
        for (int r = 0; r < rows; ++r) {
            for (int c = 0; c < 2; ++c) {
                const float x = 10.0f * (k + c);
                const float z = 10.0f * r;
                course.strips[k]->setVertexFlat(r, c, x, slope * z, z);
            }
        }
    }
    course.stripsCreated = true;
}

} // namespace

TEST(TriangleTest, BordersCountButTheExtensionsOfEdgesDoNot) {
    const D3DXVECTOR3 a(0, 0, 0);
    const D3DXVECTOR3 b(10, 0, 0);
    const D3DXVECTOR3 c(0, 0, 10);
    D3DXVECTOR3 point;
    const auto at = [&](float x, float z) {
        return segmentHitsTriangle({x, -5, z}, {x, 5, z}, a, b, c, &point);
    };
    EXPECT_TRUE(at(2, 2));
    EXPECT_TRUE(at(5, 5));     // on the edge b-c
    EXPECT_TRUE(at(5, 0));     // on the edge a-b
    EXPECT_TRUE(at(0, 0));     // a corner
    EXPECT_FALSE(at(20, -10)); // on the line through b and c, far outside
    EXPECT_FALSE(at(-10, 20));
    EXPECT_FALSE(at(15, 0)); // on the line through a and b
    EXPECT_FALSE(at(0, -3)); // on the line through c and a
    EXPECT_FALSE(at(6, 6));
    // An end on the plane is no crossing; a segment above the plane neither.
    EXPECT_FALSE(segmentHitsTriangle({2, 0, 2}, {2, 5, 2}, a, b, c, &point));
    EXPECT_FALSE(segmentHitsTriangle({2, 1, 2}, {2, 5, 2}, a, b, c, &point));
}

// Small whole numbers, so that the answer can be worked out exactly: a vertical line
// passes through a triangle when it lies on no edge's outer side seen from above, and
// the triangle has an inside to pass through.
TEST(TriangleTest, DecidesLatticePointsExactly) {
    std::mt19937 random(5);
    std::uniform_int_distribution<int> grid(-4, 4);
    int inside = 0;
    for (int k = 0; k < 100000; ++k) {
        int px[3];
        int pz[3];
        D3DXVECTOR3 corner[3];
        for (int i = 0; i < 3; ++i) {
            px[i] = grid(random);
            pz[i] = grid(random);
            corner[i] =
                D3DXVECTOR3(static_cast<float>(px[i]), 0.1f * static_cast<float>(grid(random)),
                            static_cast<float>(pz[i]));
        }
        const int x = grid(random);
        const int z = grid(random);
        long long side[3];
        for (int i = 0; i < 3; ++i) {
            const int j = (i + 1) % 3;
            side[i] = static_cast<long long>(px[j] - px[i]) * (z - pz[i]) -
                      static_cast<long long>(pz[j] - pz[i]) * (x - px[i]);
        }
        const bool flat = side[0] + side[1] + side[2] == 0; // no inside seen from above
        const bool expected = !flat && ((side[0] >= 0 && side[1] >= 0 && side[2] >= 0) ||
                                        (side[0] <= 0 && side[1] <= 0 && side[2] <= 0));
        const float fx = static_cast<float>(x);
        const float fz = static_cast<float>(z);
        D3DXVECTOR3 point;
        ASSERT_EQ(segmentHitsTriangle({fx, -1000, fz}, {fx, 1000, fz}, corner[0], corner[1],
                                      corner[2], &point),
                  expected)
            << k << ": (" << x << ", " << z << ") in (" << px[0] << ", " << pz[0] << ") (" << px[1]
            << ", " << pz[1] << ") (" << px[2] << ", " << pz[2] << ")";
        inside += expected ? 1 : 0;
    }
    EXPECT_GT(inside, 10000);
}

// Quads of any shape split along a diagonal as the strips are: a line through the
// diagonal, through a corner, or through any side shared with the next quad passes
// through at least one of the triangles on either side of it, however the float
// positions round; a line through a side's extension passes through neither.
TEST(TriangleTest, SharedEdgesLeaveNoGap) {
    std::mt19937 random(9);
    std::uniform_real_distribution<float> unit(0.0f, 1.0f);
    std::uniform_real_distribution<float> spread(-300.0f, 300.0f);
    for (int k = 0; k < 20000; ++k) {
        // A convex quad v00, v01, v11, v10 around a random centre.
        const float cx = spread(random) * 10;
        const float cz = spread(random) * 10;
        auto corner = [&](float angle) {
            const float r = 5 + 40 * unit(random);
            return D3DXVECTOR3(cx + r * std::cos(angle), spread(random) * 0.1f,
                               cz + r * std::sin(angle));
        };
        const float turn = 6.28f * unit(random);
        const D3DXVECTOR3 v00 = corner(turn);
        const D3DXVECTOR3 v01 = corner(turn + 1.57f);
        const D3DXVECTOR3 v11 = corner(turn + 3.14f);
        const D3DXVECTOR3 v10 = corner(turn + 4.71f);
        D3DXVECTOR3 point;
        auto hits = [&](const D3DXVECTOR3& a, const D3DXVECTOR3& b, const D3DXVECTOR3& c,
                        const D3DXVECTOR3& at) {
            return segmentHitsTriangle({at.x, -1000, at.z}, {at.x, 1000, at.z}, a, b, c, &point);
        };
        auto along = [](const D3DXVECTOR3& from, const D3DXVECTOR3& to, float t) {
            return from + (to - from) * t;
        };
        // Triangle 1 and 2 of the quad share the diagonal v00-v11.
        const float t = unit(random);
        const D3DXVECTOR3 onDiagonal = along(v00, v11, t);
        ASSERT_TRUE(hits(v00, v11, v01, onDiagonal) || hits(v00, v10, v11, onDiagonal)) << k;
        ASSERT_TRUE(hits(v00, v11, v01, v00) && hits(v00, v10, v11, v11)) << k;
        // The side v01-v11 is shared with a triangle of the next strip, run the other way.
        const D3DXVECTOR3 outside = v11 + (v11 - v10) * 0.5f;
        const D3DXVECTOR3 onSide = along(v01, v11, t);
        ASSERT_TRUE(hits(v00, v11, v01, onSide) || hits(v01, outside, v11, onSide)) << k;
        // Past the side's ends, on the line through it.
        const D3DXVECTOR3 beyond = along(v01, v11, 1.5f + 50 * unit(random));
        const D3DXVECTOR3 before = along(v01, v11, -0.5f - 50 * unit(random));
        ASSERT_FALSE(hits(v00, v11, v01, beyond) || hits(v00, v11, v01, before)) << k;
    }
}

using SurfaceQuery = EngineFixture;

TEST_F(SurfaceQuery, HintedSearchAgreesWithEveryTriangleOnAndOffARealCourse) {
    LCourse_t& course = createLoopCourse(6, 30);
    const Strips& strips = course.strips;
    float minX = 1e30f, maxX = -1e30f, minZ = 1e30f, maxZ = -1e30f;
    for (const auto& strip : strips) {
        for (const auto& v : strip->vertices()) {
            minX = std::min(minX, v.x);
            maxX = std::max(maxX, v.x);
            minZ = std::min(minZ, v.z);
            maxZ = std::max(maxZ, v.z);
        }
    }
    std::mt19937 random(7);
    std::uniform_real_distribution<float> xs(minX - 50, maxX + 50);
    std::uniform_real_distribution<float> zs(minZ - 50, maxZ + 50);
    SurfaceHint hint;
    int onCourse = 0;
    for (int i = 0; i < 3000; ++i) {
        const float x = xs(random);
        const float z = zs(random);
        const std::vector<Hit> oracle = allHits(strips, x, z);
        float height = -12345;
        D3DXVECTOR3 edge;
        const int rowHintBefore = hint.row;
        EXPECT_EQ(app->simulation.queryBody(*app->editor.current(), x, z, &height, hint, &edge),
                  S_OK);
        if (oracle.empty()) {
            // Off the course (nudges aside): the outputs stay as they were.
            if (allHits(strips, x + 0.01f, z + 0.01f).empty()) {
                ASSERT_EQ(height, -12345.0f) << x << ", " << z;
                ASSERT_EQ(hint.row, rowHintBefore);
            }
            continue;
        }
        ++onCourse;
        bool matched = false;
        for (const Hit& hit : oracle) {
            matched = matched || (hit.height == height && hit.strip == hint.strip);
        }
        ASSERT_TRUE(matched) << x << ", " << z;
    }
    EXPECT_GT(onCourse, 300); // the sample covered the course well
}

TEST_F(SurfaceQuery, SearchWrapsAcrossTheSeamOfTheLoop) {
    LCourse_t& course = createLoopCourse(4, 30);
    const StripGrid& road = *course.strips[ROAD_STRIP];
    const int last = road.rows() - 2;
    for (const auto& [row, hint] : {std::pair{last, 0}, std::pair{0, last}, std::pair{1, last}}) {
        const auto& a = road.vertex(row, 0);
        const auto& b = road.vertex(row + 1, 1);
        const float x = (a.x + b.x) / 2 + 0.01f;
        const float z = (a.z + b.z) / 2 + 0.003f;
        SurfaceHit hit;
        ASSERT_TRUE(findSurface(course.strips, x, z, -1000, 1000, hint, 0, &hit)) << row;
        EXPECT_EQ(hit.strip, ROAD_STRIP);
    }
}

TEST_F(SurfaceQuery, SharedDiagonalGoesToTheFirstTriangle) {
    LCourse_t course;
    layTestStrips(course, 4);
    SurfaceHit hit;
    // (25, 5) is on the diagonal of strip 2's first quad: the first triangle's edge
    // (its row 0 side) is reported, not the second's.
    ASSERT_TRUE(findSurface(course.strips, 25, 5, -10, 10, 0, 0, &hit));
    EXPECT_EQ(hit.strip, 2);
    EXPECT_EQ(hit.row, 0);
    EXPECT_EQ(hit.edge, D3DXVECTOR3(10, 0, 0));
}

TEST_F(SurfaceQuery, EdgeVectorsPointAcrossTheStripTowardTheRoad) {
    LCourse_t course;
    layTestStrips(course, 4, 0.5f);
    SurfaceHit hit;
    for (int k = 0; k < kStripCount; ++k) {
        ASSERT_TRUE(findSurface(course.strips, 10.0f * k + 3, 12, -100, 100, 1, 0, &hit));
        EXPECT_EQ(hit.strip, k);
        EXPECT_NEAR(hit.height, 6.0f, 1e-4f);
        if (k < ROAD_STRIP) {
            EXPECT_EQ(hit.edge, D3DXVECTOR3(10, 0, 0)); // column 0 to column 1
        } else if (k > ROAD_STRIP) {
            EXPECT_EQ(hit.edge, D3DXVECTOR3(-10, 0, 0));
        } else {
            EXPECT_EQ(hit.edge, D3DXVECTOR3(0, 0, 0));
        }
    }
}

TEST_F(SurfaceQuery, FootprintKeepsTheEdgeOfAnySideSampleAndTiltsTheBody) {
    LCourse_t course;
    layTestStrips(course, 6, 0.5f);
    app->editor.makeCurrent(&app->editor.add(std::move(course)));
    const XfilePlacement& placement =
        app->editor.current()->xfilePlacements.add(XfilePlacement{}, CSceneObject{});
    // On the road 0.5 from strip 2, turned (in degrees) so the front sample lies on it.
    bodyOf(*app, placement).position = D3DXVECTOR3(30.5f, 0, 20);
    bodyOf(*app, placement).yaw = 180;
    D3DXVECTOR3 edge;
    EXPECT_EQ(app->simulation.followSurface(*app->editor.current(), placement, &edge), S_OK);
    EXPECT_EQ(edge, D3DXVECTOR3(10, 0, 0));
    EXPECT_NEAR(bodyOf(*app, placement).position.y, 0.5f * 20 + 2, 1e-4f);
    EXPECT_NEAR(bodyOf(*app, placement).roll, 0.0f, 1e-5f); // front and back at equal z

    // Yaw 90 read as degrees puts front and back along z: the slope shows as roll.
    bodyOf(*app, placement).position = D3DXVECTOR3(35, 0, 20);
    bodyOf(*app, placement).yaw = 90;
    D3DXVECTOR3 onRoad;
    EXPECT_EQ(app->simulation.followSurface(*app->editor.current(), placement, &onRoad), S_OK);
    EXPECT_EQ(onRoad, D3DXVECTOR3(0, 0, 0));
    EXPECT_NEAR(bodyOf(*app, placement).roll, std::atan2(1.0f, 2.0f), 1e-5f);
    EXPECT_NEAR(bodyOf(*app, placement).pitch, 0.0f, 1e-5f);
}

TEST_F(SurfaceQuery, PointsOffTheCourseGiveUpAfterAFewNudges) {
    LCourse_t course;
    layTestStrips(course, 4);
    const Simulation& simulation = app->simulation;
    float height = 77;
    D3DXVECTOR3 edge(1, 2, 3);
    SurfaceHint hint{0, 2};
    EXPECT_EQ(simulation.queryCamera(&course, 500, 500, &height, hint, &edge), E_FAIL);
    EXPECT_EQ(height, 77.0f);
    EXPECT_EQ(edge, D3DXVECTOR3(1, 2, 3));
    EXPECT_EQ(hint.row, 2);
    // Just off the near edge, within the nudges' reach, a point is still found; a
    // little farther it is not.
    EXPECT_EQ(simulation.queryCamera(&course, -0.025f, 5, &height, hint, &edge), S_OK);
    EXPECT_EQ(height, 0.0f);
    EXPECT_EQ(simulation.queryCamera(&course, -0.5f, 5, &height, hint, &edge), E_FAIL);
    EXPECT_EQ(simulation.queryCamera(nullptr, 0, 5, &height, hint, &edge), E_FAIL);
}
