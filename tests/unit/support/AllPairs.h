#pragma once

#include <cstdint>
#include <vector>

#include "simulation/PairFinder.h"

// The plain pair finder the broad phase must agree with: every two bodies are a
// candidate pair. A step with it responds to exactly the pairs, in exactly the order,
// of the full loop over the course's list.
class AllPairs final : public PairFinder {
public:
    using PairFinder::build;
    void build(const std::vector<Sphere>& spheres, int, const ShareRanges&) override {
        m_count = static_cast<std::uint32_t>(spheres.size());
    }
    using PairFinder::findCandidates;
    void findCandidates(int part, int parts, const TakeCandidates& take) const override {
        Batch batch(take);
        const auto cut = [this, parts](int k) {
            return static_cast<std::uint32_t>(std::uint64_t{m_count} *
                                              static_cast<std::uint64_t>(k) /
                                              static_cast<std::uint64_t>(parts));
        };
        for (std::uint32_t i = cut(part); i < cut(part + 1); ++i) {
            for (std::uint32_t j = i + 1; j < m_count; ++j) {
                if (!batch.add(i, j)) {
                    return;
                }
            }
        }
        batch.handOver();
    }

private:
    std::uint32_t m_count = 0;
};
