#include <cmath>
#include <gtest/gtest.h>
#include <random>
#include <vector>

#include "course/CourseTrack.h"
#include "course/StripGrid.h"
#include "simulation/SurfaceQuery.h"
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
    XfilePlacement placement;
    int onCourse = 0;
    for (int i = 0; i < 3000; ++i) {
        const float x = xs(random);
        const float z = zs(random);
        const std::vector<Hit> oracle = allHits(strips, x, z);
        float height = -12345;
        D3DXVECTOR3 edge;
        const int rowHintBefore = placement.rowHint;
        app->queryBody(x, z, &height, placement, &edge);
        if (oracle.empty()) {
            // Off the course (nudges aside): the outputs stay as they were.
            if (allHits(strips, x + 0.01f, z + 0.01f).empty()) {
                ASSERT_EQ(height, -12345.0f) << x << ", " << z;
                ASSERT_EQ(placement.rowHint, rowHintBefore);
            }
            continue;
        }
        ++onCourse;
        bool matched = false;
        for (const Hit& hit : oracle) {
            matched = matched || (hit.height == height && hit.strip == placement.stripHint);
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
    app->courses.push_back(std::move(course));
    app->currentCourse = &app->courses.back();
    XfilePlacement placement;
    placement.body = std::make_unique<CSceneObject>();
    // On the road 0.5 from strip 2, turned (in degrees) so the front sample lies on it.
    placement.body->position = D3DXVECTOR3(30.5f, 0, 20);
    placement.body->yaw = 180;
    D3DXVECTOR3 edge;
    app->followSurface(placement, &edge);
    EXPECT_EQ(edge, D3DXVECTOR3(10, 0, 0));
    EXPECT_NEAR(placement.body->position.y, 0.5f * 20 + 2, 1e-4f);
    EXPECT_NEAR(placement.body->roll, 0.0f, 1e-5f); // front and back at equal z

    // Yaw 90 read as degrees puts front and back along z: the slope shows as roll.
    placement.body->position = D3DXVECTOR3(35, 0, 20);
    placement.body->yaw = 90;
    D3DXVECTOR3 onRoad;
    app->followSurface(placement, &onRoad);
    EXPECT_EQ(onRoad, D3DXVECTOR3(0, 0, 0));
    EXPECT_NEAR(placement.body->roll, std::atan2(1.0f, 2.0f), 1e-5f);
    EXPECT_NEAR(placement.body->pitch, 0.0f, 1e-5f);
}

TEST_F(SurfaceQuery, PointsOffTheCourseGiveUpAfterAFewNudges) {
    LCourse_t course;
    layTestStrips(course, 4);
    app->courses.push_back(std::move(course));
    app->currentCourse = &app->courses.back();
    float height = 77;
    D3DXVECTOR3 edge(1, 2, 3);
    app->cameraRowHint = 2;
    EXPECT_EQ(app->queryCamera(500, 500, &height, &edge), E_FAIL);
    EXPECT_EQ(height, 77.0f);
    EXPECT_EQ(edge, D3DXVECTOR3(1, 2, 3));
    EXPECT_EQ(app->cameraRowHint, 2);
    // Just off the near edge, within the nudges' reach, a point is still found; a
    // little farther it is not.
    EXPECT_EQ(app->queryCamera(-0.025f, 5, &height, &edge), S_OK);
    EXPECT_EQ(height, 0.0f);
    EXPECT_EQ(app->queryCamera(-0.5f, 5, &height, &edge), E_FAIL);
}
