// Points right on the seams of the course surface: the edges and corners that its
// triangles share. A point there is on the surface like any other, whichever way the
// rounding falls, and the surface grid answers there exactly as the row-by-row search.
#include <array>
#include <cmath>
#include <gtest/gtest.h>
#include <iterator>
#include <vector>

#include "SurfaceAnswer.h"
#include "course/StripGrid.h"
#include "simulation/SurfaceQuery.h"
#include "support/Bodies.h"
#include "support/EngineFixture.h"

namespace {

using Vertex = StripGrid::Vertex;
using Triangle = std::array<const Vertex*, 3>;

// The crossing height comes from the plane equation summed in floats at the segment's
// ends, a thousand above and below: it is off the plane by a few 1e-4 wherever it is
// worked out (up to 2.3e-4 on these seams). A body that slips through a seam lands
// units away.
constexpr double kHeightRounding = 1e-3;
// A point laid on an edge is the float nearest to it, off it by a rounding of the
// coordinates (about 1e-4 at a thousand).
constexpr double kOutlineRounding = 1e-3;

// A point on a seam of quad row `row` of strip `strip`, and a triangle of that quad
// whose border holds it.
struct SeamPoint {
    float x;
    float z;
    int strip;
    int row;
    Triangle triangle;
    bool border; // on the course's outer border, not a seam
};

// Points on the seams of one quad: its two corners on its first row, and points along
// its first row line, its diagonal and its two sides (each the float nearest the line).
void addSeamPoints(const StripGrid& grid, int strip, int row, int steps,
                   std::vector<SeamPoint>* points) {
    const Vertex& v00 = grid.vertex(row, 0);
    const Vertex& v01 = grid.vertex(row, 1);
    const Vertex& v10 = grid.vertex(row + 1, 0);
    const Vertex& v11 = grid.vertex(row + 1, 1);
    const Triangle first = {&v00, &v11, &v01};
    const Triangle second = {&v00, &v10, &v11};
    points->push_back({v00.x, v00.z, strip, row, first, false});
    points->push_back({v01.x, v01.z, strip, row, first, false});
    for (int k = 1; k < steps; ++k) {
        const float t = static_cast<float>(k) / static_cast<float>(steps);
        auto on = [&](const Vertex& a, const Vertex& b, const Triangle& triangle, bool border) {
            points->push_back(
                {a.x + t * (b.x - a.x), a.z + t * (b.z - a.z), strip, row, triangle, border});
        };
        on(v00, v01, first, false); // the row line
        on(v00, v11, first, false); // the diagonal
        // The sides; the outer ones of the outermost strips are the course's border.
        on(v00, v10, second, strip == 0);
        on(v01, v11, first, strip == kStripCount - 1);
    }
}

// The height of the triangle's plane above (x, z).
double planeHeight(const Triangle& t, double x, double z) {
    const Vertex& a = *t[0];
    const double ux = t[1]->x - a.x, uy = t[1]->y - a.y, uz = t[1]->z - a.z;
    const double vx = t[2]->x - a.x, vy = t[2]->y - a.y, vz = t[2]->z - a.z;
    const double nx = uy * vz - uz * vy;
    const double ny = uz * vx - ux * vz;
    const double nz = ux * vy - uy * vx;
    return a.y - (nx * (x - a.x) + nz * (z - a.z)) / ny;
}

// Whether (x, z) lies on the triangle seen from above, or within `slack` of it.
bool holds(const Triangle& t, double x, double z, double slack) {
    double side[3];
    for (int i = 0; i < 3; ++i) {
        const Vertex& a = *t[i];
        const Vertex& b = *t[(i + 1) % 3];
        const double dx = b.x - a.x;
        const double dz = b.z - a.z;
        side[i] = (dx * (z - a.z) - dz * (x - a.x)) / std::hypot(dx, dz);
    }
    const bool left = side[0] >= -slack && side[1] >= -slack && side[2] >= -slack;
    const bool right = side[0] <= slack && side[1] <= slack && side[2] <= slack;
    return left || right;
}

::testing::Message where(const SeamPoint& p) {
    return ::testing::Message() << "(" << p.x << ", " << p.z << ") on strip " << p.strip << ", row "
                                << p.row;
}

// Square loops laid both ways round, their points raised and banked one by one through
// the point dialog. Along the straight sides the strips' edges run on in line from row
// to row, so that points on one edge lie on the lines through many others.
class SurfaceSeams : public EngineFixture, public ::testing::WithParamInterface<bool> {
protected:
    const LCourse_t& layBankedLoop() {
        constexpr float kSquare[8][2] = {{-1, -1}, {0, -1}, {1, -1}, {1, 0},
                                         {1, 1},   {0, 1},  {-1, 1}, {-1, 0}};
        constexpr int kHeights[8] = {0, 6, 12, 4, -3, 9, 2, 5};
        constexpr int kBanks[8] = {20, -30, 45, 10, -15, 35, 0, 10};
        app->selectTab(TAB_COURSE);
        for (int k = 0; k < 8; ++k) {
            const float* corner = kSquare[GetParam() ? 7 - k : k];
            clickInEditor(pixelOf(30 * corner[0], 30 * corner[1]));
        }
        EXPECT_EQ(app->createCourse(nextItem()), S_OK);
        for (int k = 0; k < 8; ++k) {
            std::next(app->editor.current()->dottedPoints.begin(), k)->selected = true;
            app->modifyPoint(static_cast<unsigned>(kHeights[k]), kBanks[k]);
        }
        return *app->editor.current();
    }

    // The road's row lines, diagonals, sides and corners. The loop's last row of quads
    // runs from its last samples on past its start, over its first row with another
    // shape: a point there is on two roads, and both rows are left out.
    static std::vector<SeamPoint> roadSeams(const LCourse_t& course) {
        const StripGrid& road = *course.strips[ROAD_STRIP];
        std::vector<SeamPoint> points;
        for (int row = 1; row + 2 < road.rows(); ++row) {
            addSeamPoints(road, ROAD_STRIP, row, 8, &points);
        }
        return points;
    }
};

// A point on a seam of the road slipped between its two triangles, and the search went
// on to a triangle of another strip folded under the road, or found nothing at all.
TEST_P(SurfaceSeams, SearchesFindTheRoadOnEveryOneOfItsSeams) {
    const LCourse_t& course = layBankedLoop();
    SurfaceIndex index;
    ASSERT_TRUE(index.sync(course.strips, SurfaceIndex::kQueriesWorthABuild));
    const std::vector<SeamPoint> points = roadSeams(course);
    for (const SeamPoint& p : points) {
        const double road = planeHeight(p.triangle, p.x, p.z);
        // From the row hints a body there keeps.
        for (int hint = p.row - 1; hint <= p.row + 1; ++hint) {
            SurfaceHit plain;
            SurfaceHit grid;
            const bool found = findSurface(course.strips, p.x, p.z, -1000, 1000, hint, 0, &plain);
            ASSERT_TRUE(found) << where(p) << " from row " << hint;
            ASSERT_NEAR(plain.height, road, kHeightRounding) << where(p) << " from row " << hint;
            const bool gridFound = index.find(course.strips, p.x, p.z, -1000, 1000, hint, 0, &grid);
            ASSERT_TRUE(sameAnswer(found, plain, gridFound, grid))
                << where(p) << " from row " << hint;
        }
    }
}

// The same points as bodies: each is drawn on the road, with the surface grid and
// without it.
TEST_P(SurfaceSeams, BodiesOnTheRoadsSeamsAreDrawnOnTheRoad) {
    const LCourse_t& course = layBankedLoop();
    const std::vector<SeamPoint> points = roadSeams(course);
    std::vector<XfilePlacement*> bodies;
    for (const SeamPoint& p : points) {
        XfilePlacement& placement = placeBody(*app, D3DXVECTOR3(p.x, 0, p.z));
        app->editor.current()->xfilePlacements.hint(placement).row =
            p.row; // got there along the road
        bodies.push_back(&placement);
    }
    for (const bool grid : {true, false}) {
        app->simulation.useSurfaceGrid(grid);
        // Surface following comes after the world matrix in a frame: the second frame
        // draws what the first found.
        app->frameMove();
        app->frameMove();
        for (std::size_t k = 0; k < points.size(); ++k) {
            const SeamPoint& p = points[k];
            const CSceneObject& body = bodyOf(*app, *bodies[k]);
            const double road = planeHeight(p.triangle, p.x, p.z) + 2;
            ASSERT_NEAR(body.position.y, road, kHeightRounding) << where(p) << ", grid " << grid;
            ASSERT_NEAR(body.world._42, road, kHeightRounding) << where(p) << ", grid " << grid;
        }
    }
}

// On every seam of every strip the hit names a quad that holds the point: a triangle
// far away was taken for points on the line through one of its edges, where the grid,
// which never lists such a triangle there, answered differently.
TEST_P(SurfaceSeams, EveryStripsSeamsHitTheQuadUnderThemAlikeWithTheGrid) {
    const LCourse_t& course = layBankedLoop();
    SurfaceIndex index;
    ASSERT_TRUE(index.sync(course.strips, SurfaceIndex::kQueriesWorthABuild));
    std::vector<SeamPoint> points;
    for (int s = 0; s < kStripCount; ++s) {
        for (int row = 0; row + 1 < course.strips[s]->rows(); ++row) {
            addSeamPoints(*course.strips[s], s, row, 4, &points);
        }
    }
    for (const SeamPoint& p : points) {
        SurfaceHit plain;
        SurfaceHit onGrid;
        const bool hit = findSurface(course.strips, p.x, p.z, -1000, 1000, p.row, 0, &plain);
        const bool gridHit = index.find(course.strips, p.x, p.z, -1000, 1000, p.row, 0, &onGrid);
        ASSERT_TRUE(sameAnswer(hit, plain, gridHit, onGrid)) << where(p);
        if (!hit) {
            // Only the course's outer border has no triangle beyond it: the float nearest
            // a point on it may lie just outside.
            ASSERT_TRUE(p.border) << where(p);
            continue;
        }
        const StripGrid& strip = *course.strips[plain.strip];
        const Vertex& v00 = strip.vertex(plain.row, 0);
        const Vertex& v01 = strip.vertex(plain.row, 1);
        const Vertex& v10 = strip.vertex(plain.row + 1, 0);
        const Vertex& v11 = strip.vertex(plain.row + 1, 1);
        ASSERT_TRUE(holds({&v00, &v11, &v01}, p.x, p.z, kOutlineRounding) ||
                    holds({&v00, &v10, &v11}, p.x, p.z, kOutlineRounding))
            << where(p) << " hit strip " << plain.strip << ", row " << plain.row;
    }
}

INSTANTIATE_TEST_SUITE_P(BothWaysRound, SurfaceSeams, ::testing::Bool(),
                         [](const ::testing::TestParamInfo<bool>& info) {
                             return info.param ? "Clockwise" : "CounterClockwise";
                         });

} // namespace
