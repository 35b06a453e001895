#pragma once

#include <cstdint>
#include <vector>

#include "simulation/PairFinder.h"

// Finds the pairs of bodies that may touch, so that the frame's pair loop tests those
// instead of every pair. It only ever over-reports: a pair it leaves out is one whose
// exact test (squared 3-D distance below the squared sum of radii, both finite, in
// float) cannot succeed, so the exact test still decides every contact.
class BroadPhase final : public PairFinder {
public:
    // Sorts the bodies into a uniform grid over the ground plane (x, z) whose cells
    // are as wide as the largest ordinary contact distance. Bodies the grid cannot
    // bound (a radius far above the average, coordinates beyond the grid's reach) are
    // kept aside and paired with everybody. A body with a value that is not finite
    // touches nobody (its squared distance or reach is not finite either) and is
    // paired with nobody: one such body must not cost the others a test each.
    void build(const std::vector<Sphere>& spheres) override;

    void candidatesAfter(int i, std::vector<int>* out) const override;
    // Tells for sure only of bodies in the grid: with any kept aside, it says true.
    bool mayShareCentres() const override { return m_mayShareCentres; }

    // How many bodies are paired with everybody (for tests and measurements).
    std::size_t looseCount() const { return m_loose.size(); }

private:
    // A body as listed in its bucket: everything a query reads of it, together, so that
    // looking through a bucket touches one stretch of memory.
    struct Listed {
        std::int32_t cellX;
        std::int32_t cellZ;
        float x, z, radius;
        int index;
    };

    static bool mayTouch(const Sphere& a, const Listed& b);
    // Cells side by side along x go to buckets side by side, so that a body's three
    // neighbouring cells of a row are one stretch of the bucket list; rows are spread
    // over the buckets by a large odd stride.
    std::uint32_t bucketOf(std::int64_t cx, std::int64_t cz) const {
        constexpr std::uint64_t kRowStride = 0x9E3779B97F4A7C15ull;
        return static_cast<std::uint32_t>(static_cast<std::uint64_t>(cx) +
                                          static_cast<std::uint64_t>(cz) * kRowStride) &
               m_mask;
    }
    // Appends the bodies after i listed in buckets first..last (no wrap) that lie in
    // cells (cx - 1 .. cx + 1, z) and may touch `sphere`.
    void collect(int i, const Sphere& sphere, std::int64_t cx, std::int64_t z, std::uint32_t first,
                 std::uint32_t last, std::vector<int>* out) const;

    std::vector<Sphere> m_spheres;
    std::vector<std::int32_t> m_cellX;
    std::vector<std::int32_t> m_cellZ;
    enum Kind : std::uint8_t { kGridded, kLoose, kApart };
    std::vector<Kind> m_kind;
    std::vector<int> m_loose; // ascending
    // Bodies by bucket: m_listed[m_start[b] .. m_start[b + 1]) holds bucket b's bodies
    // in ascending order. Distinct cells may share a bucket; queries compare cells.
    std::vector<std::uint32_t> m_start;
    std::vector<Listed> m_listed;
    std::vector<std::uint32_t> m_fill; // scratch of build()
    std::uint32_t m_mask = 0;
    bool m_mayShareCentres = true;
};
