// Which triangles lie alone in their cells, so that a point well inside one of them
// is answered without the search.
#include <gtest/gtest.h>

#include <cstdint>
#include <vector>

#include "simulation/LoneTriangles.h"

namespace {

constexpr GroundTriangle kRight{{0, 4, 0}, {0, 0, 4}};

struct LoneCase {
    const char* what;
    GroundTriangle other;
    bool sameCell;
    std::uint8_t firstAlone;
};

class LoneTriangles : public ::testing::TestWithParam<LoneCase> {};

TEST_P(LoneTriangles, AreThoseNoOtherOfTheirCellsReachesInto) {
    const LoneCase& c = GetParam();
    const std::vector<GroundTriangle> triangles = {kRight, c.other};
    // One cell listing both, or a cell each.
    const std::vector<std::uint32_t> cellStart =
        c.sameCell ? std::vector<std::uint32_t>{0, 2} : std::vector<std::uint32_t>{0, 1, 2};
    const std::vector<std::uint32_t> entries = {0, 1};
    EXPECT_EQ(loneTriangles(triangles, cellStart, entries, 0.1)[0], c.firstAlone) << c.what;
}

INSTANTIATE_TEST_SUITE_P(
    Neighbours, LoneTriangles,
    ::testing::Values(
        LoneCase{"sharing the long edge", {{4, 4, 0}, {0, 4, 4}}, true, 1},
        LoneCase{"sharing a corner only", {{4, 8, 8}, {0, 0, -4}}, true, 1},
        LoneCase{"reaching just inside the edge", {{4, 4, 0}, {-0.2, 4, 3.8}}, true, 0},
        LoneCase{"folded over it", {{0, 3, 1}, {0, 1, 3}}, true, 0},
        LoneCase{"seen edge on, standing across it", {{-1, 3, 3}, {1, 1, 1}}, true, 0},
        LoneCase{"folded over it, in another cell", {{0, 3, 1}, {0, 1, 3}}, false, 1},
        LoneCase{"far away", {{100, 104, 100}, {0, 0, 4}}, true, 1}));

TEST(LoneTriangle, IsNeverOneTooThinForAPointThatFarInside) {
    const std::vector<GroundTriangle> triangles = {{{0, 10, 0}, {0, 0, 0.1}}};
    const std::vector<std::uint32_t> cellStart = {0, 1};
    const std::vector<std::uint32_t> entries = {0};
    EXPECT_EQ(loneTriangles(triangles, cellStart, entries, 0.1)[0], 0);
    EXPECT_EQ(loneTriangles(triangles, cellStart, entries, 0.01)[0], 1);
}

} // namespace
