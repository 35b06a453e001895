#pragma once

#include <algorithm>
#include <array>
#include <bit>
#include <cstddef>
#include <cstdint>
#include <utility>
#include <vector>

// Sorts pairs of body numbers (fields `first` and `second`, each below `bodies`) by
// first, then second: the order of the full pair loop. A crowd's frame finds tens of
// thousands of touching pairs in the broad phase's cell order; sorting them digit by
// digit of the pair's number (first * 2^bits + second) reads them a few times in all,
// where comparing them would read them about twenty times. Pairs are distinct, so any
// correct sort gives this one order.
template <typename Pair>
void sortInLoopOrder(std::vector<Pair>& pairs, std::vector<Pair>& scratch, std::uint32_t bodies) {
    constexpr std::size_t kFewest = 1024; // below this, comparing is as quick
    constexpr unsigned kDigitBits = 11;
    constexpr std::size_t kDigits = std::size_t{1} << kDigitBits;
    const auto byLoop = [](const Pair& a, const Pair& b) {
        return a.first != b.first ? a.first < b.first : a.second < b.second;
    };
    if (pairs.size() < kFewest) {
        std::sort(pairs.begin(), pairs.end(), byLoop);
        return;
    }
    const unsigned bits = static_cast<unsigned>(std::bit_width(std::max(bodies, 1u)));
    const auto key = [bits](const Pair& p) {
        return (static_cast<std::uint64_t>(p.first) << bits) | p.second;
    };
    scratch.resize(pairs.size());
    for (unsigned shift = 0; shift < 2 * bits; shift += kDigitBits) {
        std::array<std::size_t, kDigits> start{};
        for (const Pair& p : pairs) {
            ++start[(key(p) >> shift) & (kDigits - 1)];
        }
        std::size_t at = 0;
        for (std::size_t& count : start) {
            at += std::exchange(count, at);
        }
        for (const Pair& p : pairs) {
            scratch[start[(key(p) >> shift) & (kDigits - 1)]++] = p;
        }
        pairs.swap(scratch);
    }
}
