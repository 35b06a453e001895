#pragma once

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

    virtual ~PairFinder() = default;
    // Takes the bodies of one frame; between this and the last query their positions
    // and radii do not change.
    virtual void build(const std::vector<Sphere>& spheres) = 0;
    // Replaces *out with every j > i that may touch body i, in ascending order. Called
    // from several threads at once, each with its own out.
    virtual void candidatesAfter(int i, std::vector<int>* out) const = 0;
    // False only when no two bodies have the same x and z (both finite); a finder that
    // cannot tell says true.
    virtual bool mayShareCentres() const { return true; }
};
