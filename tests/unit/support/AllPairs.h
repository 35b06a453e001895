#pragma once

#include <vector>

#include "simulation/PairFinder.h"

// The plain pair finder the broad phase must agree with: every body is a candidate of
// every body before it. A step with it responds to exactly the pairs, in exactly the
// order, of the full loop over the course's list.
class AllPairs final : public PairFinder {
public:
    using PairFinder::build;
    void build(const std::vector<Sphere>& spheres, int, const ShareRanges&) override {
        m_count = static_cast<int>(spheres.size());
    }
    void candidatesAfter(int i, std::vector<int>* out) const override {
        out->clear();
        for (int j = i + 1; j < m_count; ++j) {
            out->push_back(j);
        }
    }

private:
    int m_count = 0;
};
