// The touching pairs' sort gives the pair loop's order, by comparison and by digits.
#include <algorithm>
#include <cstdint>
#include <gtest/gtest.h>
#include <random>
#include <vector>

#include "simulation/LoopOrderSort.h"

namespace {

struct Pair {
    std::uint32_t first;
    std::uint32_t second;
    float payload; // carried along with its pair
};

TEST(LoopOrderSort, GivesTheOrderOfTheLoopWithEachPairsPayload) {
    // Few pairs (compared) and many (by digits), with body numbers that fill their last
    // digit, and one body count just past a power of two.
    for (const auto& [count, bodies] :
         {std::pair{50u, 100u}, {20000u, 2048u}, {20000u, 2049u}, {60000u, 100000u}}) {
        std::mt19937 random(count + bodies);
        std::uniform_int_distribution<std::uint32_t> body(0, bodies - 1);
        std::vector<Pair> pairs;
        for (std::uint32_t k = 0; k < count; ++k) {
            const std::uint32_t a = body(random);
            pairs.push_back({a, body(random), static_cast<float>(k)});
        }
        std::vector<Pair> scratch;
        std::vector<Pair> sorted = pairs;
        sortInLoopOrder(sorted, scratch, bodies);
        // The loop's order, with ties (a pair drawn twice) in no particular order.
        ASSERT_TRUE(std::is_sorted(sorted.begin(), sorted.end(),
                                   [](const Pair& x, const Pair& y) {
                                       return x.first != y.first ? x.first < y.first
                                                                 : x.second < y.second;
                                   }))
            << count << " pairs";
        // Every pair once, with its own payload.
        std::vector<bool> seen(count, false);
        for (const Pair& p : sorted) {
            const Pair& original = pairs[static_cast<std::size_t>(p.payload)];
            EXPECT_TRUE(!seen[static_cast<std::size_t>(p.payload)] && original.first == p.first &&
                        original.second == p.second);
            seen[static_cast<std::size_t>(p.payload)] = true;
        }
    }
}

} // namespace
