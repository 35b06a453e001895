// Where a course's loop closes, the strips that are drawn go on from their last row into
// their first without a gap and without laying a stretch twice: two layers of road
// there show as a seam across it.
#include <algorithm>
#include <array>
#include <cmath>
#include <gtest/gtest.h>
#include <vector>

#include "course/CourseTrack.h"
#include "course/StripGrid.h"
#include "support/EngineFixture.h"

namespace {

struct Plan {
    double x;
    double z;
};
using Triangle = std::array<Plan, 3>;

// Whether the insides of two triangles seen from above share any area. Triangles that
// only touch along an edge or at a corner do not: an axis along one of their edges'
// normals separates them, give or take the rounding of the positions.
bool overlap(const Triangle& a, const Triangle& b) {
    constexpr double kTouching = 1e-3;
    const auto separatedAlongEdgesOf = [&a, &b](const Triangle& t) {
        for (int e = 0; e < 3; ++e) {
            const Plan& p = t[e];
            const Plan& q = t[(e + 1) % 3];
            const double nx = q.z - p.z;
            const double nz = p.x - q.x;
            const auto span = [&](const Triangle& u) {
                std::array<double, 3> along{};
                for (int i = 0; i < 3; ++i) {
                    along[i] = u[i].x * nx + u[i].z * nz;
                }
                return std::minmax({along[0], along[1], along[2]});
            };
            const auto [minA, maxA] = span(a);
            const auto [minB, maxB] = span(b);
            const double scale = std::max(std::abs(nx), std::abs(nz));
            if (maxA <= minB + kTouching * scale || maxB <= minA + kTouching * scale) {
                return true;
            }
        }
        return false;
    };
    return !separatedAlongEdgesOf(a) && !separatedAlongEdgesOf(b);
}

// The triangles a strip draws, quad row by quad row (two per quad on a 2-column strip).
std::vector<Triangle> drawnTriangles(const StripGrid& strip) {
    const std::vector<StripGrid::Vertex>& v = strip.vertices();
    const std::vector<std::uint16_t>& index = strip.indices();
    std::vector<Triangle> triangles;
    for (std::size_t i = 0; i + 2 < index.size(); i += 3) {
        triangles.push_back({Plan{v[index[i]].x, v[index[i]].z},
                             Plan{v[index[i + 1]].x, v[index[i + 1]].z},
                             Plan{v[index[i + 2]].x, v[index[i + 2]].z}});
    }
    return triangles;
}

// 3 points give 3000 samples, 8 points 5000: the loop closes on a strip row. 7 points
// give 4998 samples, and the loop closes between two rows of every 20th sample.
class StripClosing : public EngineFixture, public ::testing::WithParamInterface<int> {};

TEST_P(StripClosing, TheLastDrawnRowIsTheFirstAndNoStretchIsDrawnTwice) {
    const LCourse_t& course = createLoopCourse(GetParam(), 30);
    ASSERT_TRUE(course.stripsCreated);
    for (int k = 0; k < kStripCount; ++k) {
        SCOPED_TRACE(k);
        const StripGrid& strip = *course.strips[k];
        const std::vector<Triangle> drawn = drawnTriangles(strip);
        ASSERT_GE(drawn.size(), 8u);
        const int lastRow = static_cast<int>(strip.indices().back() / strip.columns());
        for (int c = 0; c < strip.columns(); ++c) {
            const StripGrid::Vertex& closing = strip.vertex(lastRow, c);
            const StripGrid::Vertex& first = strip.vertex(0, c);
            EXPECT_EQ(closing.x, first.x);
            EXPECT_EQ(closing.y, first.y);
            EXPECT_EQ(closing.z, first.z);
            EXPECT_EQ(closing.nx, first.nx);
            EXPECT_EQ(closing.ny, first.ny);
            EXPECT_EQ(closing.nz, first.nz);
        }
        // The first two quads' triangles against the last two's, all on the closing.
        const std::size_t near = 4;
        for (std::size_t i = 0; i < near; ++i) {
            for (std::size_t j = drawn.size() - near; j < drawn.size(); ++j) {
                EXPECT_FALSE(overlap(drawn[i], drawn[j]))
                    << "drawn triangle " << j << " lies over triangle " << i;
            }
        }
    }
}

INSTANTIATE_TEST_SUITE_P(PointCounts, StripClosing, ::testing::Values(3, 7, 8));

} // namespace
