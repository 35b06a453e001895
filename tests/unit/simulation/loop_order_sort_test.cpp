// The touching pairs' sort gives the pair loop's order, by comparison and by digits.
#include <algorithm>
#include <cstdint>
#include <gtest/gtest.h>
#include <random>
#include <set>
#include <vector>

#include "simulation/LoopOrderSort.h"

namespace {

struct Pair {
    std::uint32_t first;
    std::uint32_t second;
    float payload; // carried along with its pair
};

TEST(LoopOrderSort, GivesTheOrderOfTheLoopWithEachPairsPayload) {
    struct Case {
        std::size_t pairs;
        std::uint32_t bodies;
    };
    // Few pairs (compared), many (by digits) with body counts whose numbers fill their
    // last digit, and one where a number is exactly a power of two.
    for (const Case c :
         {Case{50, 100}, Case{20000, 2048}, Case{20000, 2049}, Case{60000, 100000}}) {
        std::mt19937 random(static_cast<unsigned>(c.pairs + c.bodies));
        std::uniform_int_distribution<std::uint32_t> body(0, c.bodies - 1);
        std::set<std::pair<std::uint32_t, std::uint32_t>> distinct;
        while (distinct.size() < c.pairs) {
            const std::uint32_t a = body(random);
            const std::uint32_t b = body(random);
            if (a < b) {
                distinct.insert({a, b});
            }
        }
        std::vector<Pair> pairs;
        for (const auto& [a, b] : distinct) {
            pairs.push_back({a, b, static_cast<float>(a) * 0.5f + static_cast<float>(b)});
        }
        std::shuffle(pairs.begin(), pairs.end(), random);
        std::vector<Pair> scratch;
        sortInLoopOrder(pairs, scratch, c.bodies);
        ASSERT_EQ(pairs.size(), distinct.size());
        auto expected = distinct.begin();
        for (const Pair& p : pairs) {
            EXPECT_EQ(std::make_pair(p.first, p.second), *expected) << c.pairs << " pairs";
            EXPECT_EQ(p.payload, static_cast<float>(p.first) * 0.5f + static_cast<float>(p.second));
            ++expected;
        }
    }
}

} // namespace
