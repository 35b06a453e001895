// The surface grid answers every query exactly as the row-by-row search does, and the
// triangle test, written out for speed, crosses the plane as it did through the D3DX
// helpers.
#include <algorithm>
#include <array>
#include <cmath>
#include <gtest/gtest.h>
#include <limits>
#include <random>
#include <vector>

#include "BodyState.h"
#include "SurfaceAnswer.h"
#include "course/CourseTrack.h"
#include "course/StripGrid.h"
#include "simulation/SurfaceQuery.h"
#include "support/Bodies.h"
#include "support/EngineFixture.h"

namespace {

// The triangle test as first written, through the D3DX helpers of the platform layer.
bool hitsThroughD3dx(const D3DXVECTOR3& p0, const D3DXVECTOR3& p1, const D3DXVECTOR3& a,
                     const D3DXVECTOR3& b, const D3DXVECTOR3& c, D3DXVECTOR3* point) {
    auto unit = [](const D3DXVECTOR3& v) {
        D3DXVECTOR3 out;
        D3DXVec3Normalize(&out, &v);
        return out;
    };
    auto cross = [](const D3DXVECTOR3& x, const D3DXVECTOR3& y) {
        D3DXVECTOR3 out;
        D3DXVec3Cross(&out, &x, &y);
        return out;
    };
    auto dot = [](const D3DXVECTOR3& x, const D3DXVECTOR3& y) { return D3DXVec3Dot(&x, &y); };
    auto zero = [](const D3DXVECTOR3& v) { return v.x == 0 && v.y == 0 && v.z == 0; };
    const D3DXVECTOR3 n = cross(b - a, c - a);
    const float d = -dot(n, a);
    const float side0 = dot(n, p0) + d;
    const float side1 = dot(n, p1) + d;
    if (!(side0 * side1 < 0)) {
        return false;
    }
    const D3DXVECTOR3 u = unit(p1 - p0);
    const float along = dot(n, u);
    if (along == 0) {
        return false;
    }
    const D3DXVECTOR3 p = p0 + u * (-side0 / along);
    const D3DXVECTOR3 a0 = unit(a - p);
    const D3DXVECTOR3 a1 = unit(b - p);
    const D3DXVECTOR3 a2 = unit(c - p);
    const D3DXVECTOR3 c01 = cross(a0, a1);
    const D3DXVECTOR3 c12 = cross(a1, a2);
    const D3DXVECTOR3 c20 = cross(a2, a0);
    if (dot(c01, c12) < 0 || dot(c12, c20) < 0) {
        return false;
    }
    if ((zero(c01) && dot(a0, a1) > 0) || (zero(c12) && dot(a1, a2) > 0) ||
        (zero(c20) && dot(a2, a0) > 0)) {
        return false;
    }
    *point = p;
    return true;
}

// How far the line through p along d passes from the nearest line through an edge of
// the triangle, seen along d, as a share of the triangle's longest edge seen so.
double nearestEdgeLine(const D3DXVECTOR3& p, const D3DXVECTOR3& d, const D3DXVECTOR3& a,
                       const D3DXVECTOR3& b, const D3DXVECTOR3& c) {
    const double dd = static_cast<double>(d.x) * d.x + static_cast<double>(d.y) * d.y +
                      static_cast<double>(d.z) * d.z;
    auto flat = [&](const D3DXVECTOR3& v) { // v with its part along d taken away
        const double along = (v.x * d.x + v.y * d.y + static_cast<double>(v.z) * d.z) / dd;
        return std::array<double, 3>{v.x - along * d.x, v.y - along * d.y, v.z - along * d.z};
    };
    const std::array<double, 3> q = flat(p);
    const std::array<double, 3> corner[3] = {flat(a), flat(b), flat(c)};
    double nearest = std::numeric_limits<double>::infinity();
    double longest = 0;
    for (int i = 0; i < 3; ++i) {
        const auto& u = corner[i];
        const auto& v = corner[(i + 1) % 3];
        const double ex = v[0] - u[0], ey = v[1] - u[1], ez = v[2] - u[2];
        const double px = q[0] - u[0], py = q[1] - u[1], pz = q[2] - u[2];
        const double cx = ey * pz - ez * py, cy = ez * px - ex * pz, cz = ex * py - ey * px;
        const double length = std::sqrt(ex * ex + ey * ey + ez * ez);
        longest = std::max(longest, length);
        nearest = std::min(nearest, std::sqrt(cx * cx + cy * cy + cz * cz) / length);
    }
    return nearest / longest;
}

// The crossing point is worked out by the same float operations as through the D3DX
// helpers, to the bit. Whether it lies on the triangle is decided more exactly now:
// the answers differ only where the first test's unit vectors could not tell, right on
// the line through an edge (within its extension, or past its ends).
TEST(SurfaceTriangleTest, CrossesAsThroughTheD3dxHelpersAndDiffersOnlyOnEdgeLines) {
    std::mt19937 random(3);
    std::uniform_real_distribution<float> coordinate(-50.0f, 50.0f);
    std::uniform_int_distribution<int> grid(-4, 4);
    int hits = 0;
    int differing = 0;
    for (int k = 0; k < 200000; ++k) {
        // Half on a coarse lattice, so that points fall on edges and corners.
        auto pick = [&] {
            return k % 2 == 0 ? static_cast<float>(grid(random)) : coordinate(random);
        };
        const D3DXVECTOR3 a(pick(), pick() * 0.1f, pick());
        const D3DXVECTOR3 b(pick(), pick() * 0.1f, pick());
        const D3DXVECTOR3 c(pick(), pick() * 0.1f, pick());
        const float x = pick();
        const float z = pick();
        const D3DXVECTOR3 p0(x, k % 3 == 0 ? -1000.0f : pick(), z);
        const D3DXVECTOR3 p1(k % 5 == 0 ? pick() : x, 1000.0f, z);
        D3DXVECTOR3 expected(7, 7, 7);
        D3DXVECTOR3 actual(7, 7, 7);
        const bool expectedHit = hitsThroughD3dx(p0, p1, a, b, c, &expected);
        const bool actualHit = segmentHitsTriangle(p0, p1, a, b, c, &actual);
        if (expectedHit && actualHit) {
            ASSERT_TRUE(sameBits(actual, expected)) << k;
        } else if (expectedHit != actualHit) {
            const D3DXVECTOR3& crossing = expectedHit ? expected : actual;
            ASSERT_LT(nearestEdgeLine(crossing, p1 - p0, a, b, c), 1e-6) << k;
            ++differing;
        }
        hits += expectedHit ? 1 : 0;
    }
    EXPECT_GT(hits, 5000);
    EXPECT_GT(differing, 0); // the lattice put points on edge lines
}

using SurfaceGrid = EngineFixture;

// Queries at random places and hints, and at the places where the exact test is at its
// most delicate: strip corners, points along the strips' edges and their extensions,
// row borders, and just beside them.
std::vector<D3DXVECTOR3> awkwardPoints(const LCourse_t& course, std::mt19937& random) {
    std::vector<D3DXVECTOR3> points;
    std::uniform_real_distribution<float> unit(0.0f, 1.0f);
    std::uniform_real_distribution<float> far(-3000.0f, 3000.0f);
    const int rows = course.strips[0]->rows();
    for (int k = 0; k < 1600; ++k) {
        const StripGrid& strip = *course.strips[k % kStripCount];
        const int row = static_cast<int>(unit(random) * static_cast<float>(rows - 1));
        const auto& v0 = strip.vertex(row, 0);
        const auto& v1 = strip.vertex(row, 1);
        const auto& w0 = strip.vertex(row + 1, 0);
        const auto& w1 = strip.vertex(row + 1, 1);
        const float t = unit(random);
        switch (k % 8) {
        case 0: // a corner
            points.push_back({v0.x, 0, v0.z});
            break;
        case 1: // along the row border
            points.push_back({v0.x + t * (v1.x - v0.x), 0, v0.z + t * (v1.z - v0.z)});
            break;
        case 2: // along the strip's side, and past its ends
            points.push_back(
                {v0.x + (3 * t - 1) * (w0.x - v0.x), 0, v0.z + (3 * t - 1) * (w0.z - v0.z)});
            break;
        case 3: // on the diagonal shared by the quad's two triangles
            points.push_back({v0.x + t * (w1.x - v0.x), 0, v0.z + t * (w1.z - v0.z)});
            break;
        case 4: // a float step beside a corner
            points.push_back({std::nextafter(v1.x, 1e9f), 0, std::nextafter(v1.z, -1e9f)});
            break;
        case 5: // anywhere over the course's area and around it
            points.push_back({far(random), 0, far(random)});
            break;
        case 6: // anywhere inside the quad
            points.push_back({v0.x + t * (v1.x - v0.x) + unit(random) * (w0.x - v0.x), 0,
                              v0.z + t * (v1.z - v0.z) + unit(random) * (w0.z - v0.z)});
            break;
        default: // far away, and not a number at all
            points.push_back(k % 16 == 7
                                 ? D3DXVECTOR3(1e7f, 0, -1e7f)
                                 : D3DXVECTOR3(std::numeric_limits<float>::quiet_NaN(), 0, 1));
            break;
        }
    }
    return points;
}

// The number of queries that found the surface.
int expectGridAnswersAsSearch(const LCourse_t& course, std::uint32_t seed) {
    SurfaceIndex index;
    EXPECT_TRUE(index.sync(course.strips, SurfaceIndex::kQueriesWorthABuild));
    std::mt19937 random(seed);
    const int quadRows = course.strips[0]->rows() - 1;
    std::uniform_int_distribution<int> hintRow(-3, quadRows + 3);
    std::uniform_int_distribution<int> hintStrip(0, kStripCount - 1);
    std::uniform_real_distribution<float> unit(0.0f, 1.0f);
    int hits = 0;
    const std::vector<D3DXVECTOR3> points = awkwardPoints(course, random);
    for (std::size_t k = 0; k < points.size(); ++k) {
        const D3DXVECTOR3& p = points[k];
        // The bodies' segment, a shorter one, the camera's (which the grid leaves to the
        // plain search), and one of any length from a millionth up, around the surface.
        const float length = std::exp2(std::uniform_real_distribution<float>(-20, 11)(random));
        const float below = length * unit(random);
        const std::pair<float, float> segments[] = {{-1000.0f, 1000.0f},
                                                    {-300.0f, 300.0f},
                                                    {-10000.0f, 10000.0f},
                                                    {-below, length - below}};
        for (const auto& [low, high] : segments) {
            const int row = hintRow(random);
            const int strip = k % 2 == 0 ? 0 : hintStrip(random);
            SurfaceHit expected;
            SurfaceHit actual;
            const bool e = findSurface(course.strips, p.x, p.z, low, high, row, strip, &expected);
            const bool a = index.find(course.strips, p.x, p.z, low, high, row, strip, &actual);
            EXPECT_TRUE(sameAnswer(e, expected, a, actual))
                << "at (" << p.x << ", " << p.z << ") from row " << row << ", strip " << strip;
            if (strip == 0) {
                // Guessed first: the triangle found from half the loop away. Where
                // triangles overlap it is not the answer from this row.
                std::uint32_t guess = ~0u;
                SurfaceHit elsewhere;
                (void)index.findInTurn(course.strips, {&p.x, 1}, {&p.z, 1}, low, high,
                                       row + quadRows / 2, &elsewhere, &guess);
                const bool g = index.findInTurn(course.strips, {&p.x, 1}, {&p.z, 1}, low, high, row,
                                                &actual, &guess) == 1;
                EXPECT_TRUE(sameAnswer(e, expected, g, actual))
                    << "guessed, at (" << p.x << ", " << p.z << ") from row " << row;
            }
            if (::testing::Test::HasFailure()) {
                return hits;
            }
            hits += e ? 1 : 0;
        }
    }
    return hits;
}

TEST_F(SurfaceGrid, AnswersEveryQueryAsTheRowByRowSearch) {
    const LCourse_t& course = createLoopCourse(6, 30);
    EXPECT_GT(expectGridAnswersAsSearch(course, 11), 2000);
}

TEST_F(SurfaceGrid, AnswersAsTheSearchOnATightClockwiseLoopAndAfterRegeneration) {
    LCourse_t& course = createLoopCourse(4, 12, true);
    EXPECT_GT(expectGridAnswersAsSearch(course, 12), 2000);
    for (auto& point : course.calculatedPoints) {
        point.pitch = 0.3f; // banked on regeneration
    }
    app->regenerateCurrentCourse();
    EXPECT_GT(expectGridAnswersAsSearch(*app->editor.current(), 13), 2000);
}

// A footprint's five points around each awkward place, searched in turn as a body's
// are: each from the row the hit before it found. The grid's answers are those of
// one row-by-row search after the other, and it stops where they first find nothing.
TEST_F(SurfaceGrid, AnswersPointsInTurnAsSuccessiveSearches) {
    const LCourse_t& course = createLoopCourse(6, 30);
    SurfaceIndex index;
    ASSERT_TRUE(index.sync(course.strips, SurfaceIndex::kQueriesWorthABuild));
    std::mt19937 random(14);
    std::uniform_int_distribution<int> hintRow(-3, course.strips[0]->rows() + 3);
    std::uniform_real_distribution<float> turn(0.0f, 2 * static_cast<float>(M_PI));
    constexpr std::size_t kPoints = 5;
    std::size_t whole = 0;
    std::size_t stopped = 0;
    for (const D3DXVECTOR3& p : awkwardPoints(course, random)) {
        const float c = std::cos(turn(random));
        const float s = std::sin(turn(random));
        const float x[kPoints] = {p.x + c, p.x - c, p.x - s, p.x + s, p.x};
        const float z[kPoints] = {p.z + s, p.z - s, p.z + c, p.z - c, p.z};
        const int startRow = hintRow(random);
        SurfaceHit expected[kPoints];
        std::size_t found = 0;
        for (int row = startRow; found < kPoints; row = expected[found++].row) {
            if (!findSurface(course.strips, x[found], z[found], -1000, 1000, row, 0,
                             &expected[found])) {
                break;
            }
        }
        SurfaceHit actual[kPoints];
        ASSERT_EQ(index.findInTurn(course.strips, x, z, -1000, 1000, startRow, actual), found)
            << "around (" << p.x << ", " << p.z << ") from row " << startRow;
        for (std::size_t k = 0; k < found; ++k) {
            ASSERT_TRUE(sameAnswer(true, expected[k], true, actual[k])) << "point " << k;
        }
        (found == kPoints ? whole : stopped) += 1;
    }
    EXPECT_GT(whole, 500u);
    EXPECT_GT(stopped, 100u);
}

// Points off the grid, from a little beyond the course's ground plan to the ends of the
// floats, points that are no number, and the loop's middle: no triangle lies under them,
// for a segment of any length from any strip, as the search of every triangle finds; and
// the grid says so at once, leaving none of them to that search (which costs a test of
// every course triangle).
TEST_F(SurfaceGrid, AnswersPointsOffTheGridWithoutSearching) {
    const LCourse_t& course = createLoopCourse(6, 30);
    SurfaceIndex index;
    ASSERT_TRUE(index.sync(course.strips, SurfaceIndex::kQueriesWorthABuild));
    float low[2] = {std::numeric_limits<float>::max(), std::numeric_limits<float>::max()};
    float high[2] = {-low[0], -low[1]};
    for (const auto& strip : course.strips) {
        for (const auto& v : strip->vertices()) {
            low[0] = std::min(low[0], v.x);
            low[1] = std::min(low[1], v.z);
            high[0] = std::max(high[0], v.x);
            high[1] = std::max(high[1], v.z);
        }
    }
    const float middle[2] = {(low[0] + high[0]) / 2, (low[1] + high[1]) / 2};
    constexpr float kNan = std::numeric_limits<float>::quiet_NaN();
    // Not a number, and the middle of the loop: on the grid, over no triangle.
    std::vector<std::array<float, 2>> points = {
        {kNan, middle[1]}, {middle[0], kNan}, {middle[0], middle[1]}};
    // Round the course: beside each side and each corner.
    const int directions[8][2] = {{-1, -1}, {-1, 0}, {-1, 1}, {0, -1},
                                  {0, 1},   {1, -1}, {1, 0},  {1, 1}};
    for (const float beyond : {3.0f, 5000.0f, 1e7f, 1e12f, 1e30f, HUGE_VALF}) {
        for (const auto& direction : directions) {
            std::array<float, 2> point{};
            for (int axis = 0; axis < 2; ++axis) {
                const int d = direction[axis];
                point[axis] = d == 0  ? middle[axis]
                              : d < 0 ? low[axis] - beyond
                                      : high[axis] + beyond;
            }
            points.push_back(point);
        }
    }
    const std::pair<float, float> segments[] = {
        {-1000.0f, 1000.0f}, {-10000.0f, 10000.0f}, {-1e-3f, 1e-3f}, {1000.0f, -1000.0f}};
    for (const auto& [x, z] : points) {
        for (const auto& [yLow, yHigh] : segments) {
            for (const int strip : {0, 3}) {
                SurfaceHit hit;
                EXPECT_FALSE(findSurfaceByScan(course.strips, x, z, yLow, yHigh, &hit))
                    << "at (" << x << ", " << z << ")";
                EXPECT_FALSE(index.find(course.strips, x, z, yLow, yHigh, 7, strip, &hit))
                    << "at (" << x << ", " << z << ")";
            }
        }
        const float footprintX[] = {x, x + 1, x - 1};
        const float footprintZ[] = {z, z - 1, z + 1};
        SurfaceHit hits[3];
        EXPECT_EQ(index.findInTurn(course.strips, footprintX, footprintZ, -1000, 1000, 7, hits),
                  0u);
    }
    EXPECT_EQ(index.plainSearches(), 0u);
}

// The camera's segments reach farther than the grid answers: over the road it leaves
// which triangle comes first to the row-by-row search, but over the infield it says at
// once that nothing is there, which that search finds only by testing every triangle;
// on a course with no bodies as well.
TEST_F(SurfaceGrid, AnswersTheCameraOverTheInfieldWithoutSearchingTheCourse) {
    LCourse_t& course = createLoopCourse(6, 30);
    const int samples = course.track->sampleCount();
    // No bodies: two frames of a course that stays as it is build its grid.
    app->simulation.settle(course);
    app->simulation.settle(course);
    const StripGrid& inner = *course.strips[kStripCount - 1];
    D3DXVECTOR3 infield(0, 0, 0);
    for (int row = 0; row < inner.rows(); ++row) {
        infield.x += inner.vertex(row, 1).x / static_cast<float>(inner.rows());
        infield.z += inner.vertex(row, 1).z / static_cast<float>(inner.rows());
    }
    D3DXVECTOR3 onRoad = roadCentre(course, samples / 3);
    SurfaceHint hint;
    D3DXVECTOR3 scratch;
    const std::size_t before = app->simulation.plainSurfaceSearches();
    app->simulation.followSurfaceCamera(&course, 1, 0, &onRoad, hint, &scratch);
    const std::size_t overTheRoad = app->simulation.plainSurfaceSearches();
    EXPECT_GT(overTheRoad, before);
    app->simulation.followSurfaceCamera(&course, 1, 0, &infield, hint, &scratch);
    EXPECT_EQ(app->simulation.plainSurfaceSearches(), overTheRoad);
}

TEST_F(SurfaceGrid, IsBuiltForStripsThatStayAndDroppedWhenTheyChange) {
    const LCourse_t& course = createLoopCourse(6, 30);
    SurfaceIndex index;
    EXPECT_FALSE(index.sync(course.strips, 5)); // a few queries do not pay for a build
    EXPECT_TRUE(index.sync(course.strips, 5));  // the same strips again: built
    EXPECT_GT(index.listedNear(roadCentre(course, 100).x, roadCentre(course, 100).z), 0u);

    // Any change of a position, even of the sign of a zero, drops the grid.
    StripGrid& strip = *app->editor.current()->strips[2];
    const auto& v = strip.vertex(5, 1);
    strip.setVertexFlat(5, 1, v.x, v.y + 0.001f, v.z);
    EXPECT_FALSE(index.sync(course.strips, 5));
    EXPECT_TRUE(index.sync(course.strips, 5));
    strip.setVertexFlat(5, 1, v.x, v.y, v.z);
    EXPECT_TRUE(index.sync(course.strips, SurfaceIndex::kQueriesWorthABuild)); // many: at once

    Strips missing;
    EXPECT_FALSE(index.sync(missing, SurfaceIndex::kQueriesWorthABuild));
    EXPECT_FALSE(index.ready());
}

// Two engines, one following the surface through the grid, one row by row: the same
// bodies frame after frame, also while the course is regenerated under them.
TEST_F(SurfaceGrid, BodiesFollowTheSurfaceAlikeWithAndWithoutTheGrid) {
    auto otherDevice = RecordingDevice::create(kWidth, kHeight);
    auto other = startedEngine(otherDevice.get());
    createLoopCourse(5, 25);
    std::swap(app, other);
    createLoopCourse(5, 25);
    std::swap(app, other);
    other->simulation.useSurfaceGrid(false);
    for (CEngineApp* engine : {app.get(), other.get()}) {
        std::mt19937 random(8);
        std::uniform_real_distribution<float> unit(0.0f, 1.0f);
        const LCourse_t& course = *engine->editor.current();
        for (int k = 0; k < 150; ++k) {
            const int sample = static_cast<int>(unit(random) * course.track->sampleCount());
            const auto [right, left] = course.track->pair(3, sample);
            const D3DXVECTOR3 across(right.z - left.z, 0, right.x - left.x);
            // Across the whole road and onto the edges and banks.
            CSceneObject& body =
                bodyOf(*engine, placeBody(*engine, roadCentre(course, sample) +
                                                       across * (1.3f * unit(random) - 0.65f)));
            body.speed = 0.6f * unit(random);
            const float angle = unit(random) * 2 * static_cast<float>(M_PI);
            body.direction = D3DXVECTOR3(std::cos(angle), 0, std::sin(angle));
            body.yaw = 2 * unit(random) - 1;
            body.motionState = MOTION_ROLL;
        }
        // And a few rolling far off the course, with nothing under them.
        for (const float off : {5000.0f, -5000.0f, 1e7f}) {
            CSceneObject& body = bodyOf(
                *engine, placeBody(*engine, roadCentre(course, 0) + D3DXVECTOR3(off, 0, off / 2)));
            body.speed = 0.5f;
            body.direction = D3DXVECTOR3(0.6f, 0, 0.8f);
            body.motionState = MOTION_ROLL;
        }
        engine->selectTab(TAB_PLAY);
    }
    for (int frame = 0; frame < 120; ++frame) {
        if (frame == 60) {
            app->regenerateCurrentCourse();
            other->regenerateCurrentCourse();
        }
        app->frameMove();
        other->frameMove();
        ASSERT_TRUE(sameBodies(*app->editor.current(), *other->editor.current()))
            << "frame " << frame;
        ASSERT_TRUE(
            sameBits(app->simulation.footprintHeights(), other->simulation.footprintHeights()))
            << "frame " << frame;
    }
}

// What the grid holds for a course's strips.
struct GridSize {
    std::size_t cells;
    std::size_t references;
    std::size_t triangles;
};

GridSize gridSize(const LCourse_t& course) {
    SurfaceIndex index;
    EXPECT_TRUE(index.sync(course.strips, SurfaceIndex::kQueriesWorthABuild));
    const auto quadRows = static_cast<std::size_t>(course.strips[0]->rows() - 1);
    return {index.cellCount(), index.referenceCount(), quadRows * kStripCount * 2};
}

// Courses restored from the points of one laid loop, changed: raised hills, or moved
// far from the origin. Heights of the points are relative (a loop raised as a whole is
// the same course), so every other point is raised.
class FarSurfaceGrid : public EngineFixture {
protected:
    void SetUp() override {
        EngineFixture::SetUp();
        createLoopCourse(6, 30);
        app->fillSession(laid);
        ordinary = gridSize(*app->editor.current());
    }

    const LCourse_t& restored(float raise, float shift) {
        LSession_t session = laid;
        bool raised = false;
        for (LPoint_t& point : session.calculatedPoints) {
            point.y += raised ? raise : 0;
            point.x += shift;
            point.z += shift;
            raised = !raised;
        }
        int number = 0;
        EXPECT_EQ(app->restoreSession(session, &number), S_OK);
        return *app->editor.current();
    }

    LSession_t laid;
    GridSize ordinary{};
};

// Hills a million or 1e30 high made every triangle's margin reach over every cell: the
// grid listed each triangle everywhere (hundreds of millions of references, seconds of
// building). Its size now stays within what it promises any course.
TEST_F(FarSurfaceGrid, CostsTheSameHoweverHighTheCourse) {
    EXPECT_LE(ordinary.references, SurfaceIndex::kMostReferencesPerTriangle * ordinary.triangles);
    for (const float height : {1e6f, 1e30f}) {
        const GridSize high = gridSize(restored(height, 0));
        EXPECT_EQ(high.triangles, ordinary.triangles);
        EXPECT_LE(high.references, SurfaceIndex::kMostReferencesPerTriangle * high.triangles)
            << height;
        EXPECT_LE(high.cells, ordinary.cells * 21 / 20) << height;
    }
}

// Laid 1e20 from the origin, a course's floats are too coarse to tell its points apart
// and every margin is wider than the course: the grid listed every triangle in every
// cell. It grows its cells rather than its references, and still answers exactly.
TEST_F(FarSurfaceGrid, StaysBoundedAndExactFarFromTheOrigin) {
    const LCourse_t& course = restored(0, 1e20f);
    const GridSize far = gridSize(course);
    EXPECT_LE(far.references, SurfaceIndex::kMostReferencesPerTriangle * far.triangles);
    EXPECT_LE(far.cells, ordinary.cells * 21 / 20);
    expectGridAnswersAsSearch(course, 15);
}

// The steep faces between the hills, and the hilltops out of the segments' reach, are
// answered as the row-by-row search answers them.
TEST_F(FarSurfaceGrid, AnswersAsTheSearchOnHighHills) {
    EXPECT_GT(expectGridAnswersAsSearch(restored(300, 0), 16), 500);
    for (const float height : {1e6f, 1e30f}) {
        expectGridAnswersAsSearch(restored(height, 0), 17);
    }
}

} // namespace
