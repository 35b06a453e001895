#pragma once

#include <cstddef>
#include <functional>
#include <vector>

// Finds the pairs of bodies the step's pair loop tests exactly. The bodies are
// numbered 0..n-1 in the order of the loop; a finder may over-report (the exact test
// still decides every contact) but must never leave out a pair that touches, and must
// hand out each body's partners in ascending order, so that the responses happen in
// the same order whichever finder found them.
class PairFinder {
public:
    struct Sphere {
        float x, y, z;
        float radius;
    };

    // Works range(part, begin, end) for `parts` contiguous ranges that cut [0, n) in
    // order, side by side, and returns when every one is done. The same n and parts
    // always give the same ranges.
    using Range = std::function<void(int part, std::size_t begin, std::size_t end)>;
    using ShareRanges = std::function<void(std::size_t n, int parts, const Range& range)>;

    virtual ~PairFinder() = default;
    // Takes the bodies of one frame; between this and the last query their positions
    // and radii do not change. A finder may share its work over the bodies among
    // `parts` ranges through `share`; what it finds is the same for any parts.
    virtual void build(const std::vector<Sphere>& spheres, int parts, const ShareRanges& share) = 0;
    // The same, all on the calling thread.
    void build(const std::vector<Sphere>& spheres) {
        build(spheres, 1, [](std::size_t n, int, const Range& range) { range(0, 0, n); });
    }
    // Replaces *out with every j > i that may touch body i, in ascending order. Called
    // from several threads at once, each with its own out.
    virtual void candidatesAfter(int i, std::vector<int>* out) const = 0;
    // Whether every two bodies with the same x and z (finite, as their radii) are among
    // the pairs it hands out, so that the step can learn of shared centres from them; a
    // finder that cannot tell says false.
    virtual bool listsEveryPairAtOneSpot() const { return false; }
};
