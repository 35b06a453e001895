// A body's kept turn is the one its angle gives now, bit for bit.
#include <gtest/gtest.h>

#include <bit>
#include <cmath>
#include <cstdint>
#include <limits>

#include "simulation/SettleCache.h"

namespace {

TEST(CachedTurn, IsWorkedOutAgainWheneverTheAngleChangesByABit) {
    const auto turn = [](float angle) { return std::pair(std::cos(angle), std::sin(angle)); };
    CachedTurn cached;
    // Zero and minus zero have sines of opposite signs; a repeat must not work it out.
    const float angles[] = {
        0.0f, -0.0f, 0.5f, 0.5f, std::nextafter(0.5f, 1.0f), std::numeric_limits<float>::infinity(),
        0.0f};
    int worked = 0;
    for (const float angle : angles) {
        const auto [c, s] = cached.of(angle, [&](float a) {
            ++worked;
            return turn(a);
        });
        EXPECT_EQ(std::bit_cast<std::uint32_t>(c), std::bit_cast<std::uint32_t>(std::cos(angle)))
            << angle;
        EXPECT_EQ(std::bit_cast<std::uint32_t>(s), std::bit_cast<std::uint32_t>(std::sin(angle)))
            << angle;
    }
    EXPECT_EQ(worked, 6);
}

} // namespace
