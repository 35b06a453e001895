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
    // The cells are worked out and the bodies counted and sorted into their buckets on
    // the parts' threads; what a part finds is merged in part order, so the buckets hold
    // the same as with one part.
    using PairFinder::build;
    void build(const std::vector<Sphere>& spheres, int parts, const ShareRanges& share) override;

    using PairFinder::findCandidates;
    void findCandidates(int part, int parts, const TakeCandidates& take) const override;
    // Two bodies at one spot share a cell, and a body kept aside for its size or place is
    // paired with everybody: only a body paired with nobody can be missed.
    bool listsEveryPairAtOneSpot() const override { return m_pairedWithNobody == 0; }

    // How many bodies are paired with everybody (for tests and measurements).
    std::size_t looseCount() const { return m_loose.size(); }

private:
    // A body as listed in its bucket: everything the search reads of it, together, so that
    // looking through a bucket touches one stretch of memory.
    struct Listed {
        std::int32_t cellX;
        std::int32_t cellZ;
        float x, z, radius;
        int index;
    };

    static bool mayTouch(const Listed& a, const Listed& b);
    // Cells side by side along x go to buckets side by side, so that a body's three
    // neighbouring cells of a row are one stretch of the bucket list; rows are spread
    // over the buckets by a large odd stride.
    std::uint32_t bucketOf(std::int64_t cx, std::int64_t cz) const {
        constexpr std::uint64_t kRowStride = 0x9E3779B97F4A7C15ull;
        return static_cast<std::uint32_t>(static_cast<std::uint64_t>(cx) +
                                          static_cast<std::uint64_t>(cz) * kRowStride) &
               m_mask;
    }
    // Adds the pairs of `body` with the bodies listed in slots fromSlot..toSlot-1 that lie
    // in cells (fromX .. toX, z) and may touch it; false once the search is stopped.
    bool pairWithin(const Listed& body, std::uint32_t fromSlot, std::uint32_t toSlot,
                    std::int64_t z, std::int64_t fromX, std::int64_t toX, Batch& batch) const;

    enum Kind : std::uint8_t { kGridded, kLoose, kApart };
    // What one part of build() works out over its range of bodies; each part starts a
    // cache line of its own, so that the threads do not take each other's lines.
    struct alignas(64) Part {
        std::vector<std::uint32_t> counts; // bodies per bucket, then where the next goes
        std::vector<int> loose;            // ascending
        std::size_t apart = 0;
        // Of the range of buckets it adds up: the bodies in them, and where they start.
        std::uint32_t rangeTotal = 0;
        std::uint32_t rangeStart = 0;
    };

    // The parts of build(), each over a range of the bodies.
    void sortIntoCells(Part& part, std::size_t begin, std::size_t end,
                       const std::vector<Sphere>& spheres, double looseRadius, double cell);
    void list(Part& part, std::size_t begin, std::size_t end, const std::vector<Sphere>& spheres);
    // The bodies all parts counted in buckets begin..end-1.
    std::uint32_t countRange(std::size_t begin, std::size_t end) const;
    // Sets where buckets begin..end-1 start, the first at `listed`, and turns each part's
    // count of a bucket into where its first body goes.
    void startRange(std::size_t begin, std::size_t end, std::uint32_t listed);

    std::vector<std::int32_t> m_cellX;
    std::vector<std::int32_t> m_cellZ;
    std::vector<Kind> m_kind;
    std::vector<int> m_loose; // ascending
    // Bodies by bucket: m_listed[m_start[b] .. m_start[b + 1]) holds bucket b's bodies
    // in ascending order. Distinct cells may share a bucket; queries compare cells.
    std::vector<std::uint32_t> m_start;
    std::vector<Listed> m_listed;
    std::vector<Part> m_parts; // scratch of build()
    // The parts' counts, as plain pointers, for the loops over every bucket.
    std::vector<std::uint32_t*> m_partCounts;
    std::uint32_t m_mask = 0;
    std::size_t m_pairedWithNobody = 0;
};
