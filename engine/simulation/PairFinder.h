#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <span>
#include <vector>

// Finds the pairs of bodies the step's pair loop tests exactly. The bodies are
// numbered 0..n-1 in the order of the loop; a finder may over-report (the exact test
// still decides every contact) but must never leave out a pair that touches. It hands
// the pairs out in any order: the step puts the touching ones in the loop's order
// before it responds to them, so the responses happen in the same order whichever
// finder found them.
class PairFinder {
public:
    struct Sphere {
        float x, y, z;
        float radius;
    };
    // Two bodies that may touch, by their numbers, first < second.
    struct Candidate {
        std::uint32_t first;
        std::uint32_t second;
    };
    // Takes a batch of candidates; false stops the search.
    using TakeCandidates = std::function<bool(std::span<const Candidate>)>;

    // Gathers candidates and hands them to `take` a batch at a time, so that the search
    // pays for a call through `take` only every few hundred pairs.
    class Batch {
    public:
        explicit Batch(const TakeCandidates& take) : m_take(take) {}
        Batch(const Batch&) = delete;
        Batch& operator=(const Batch&) = delete;
        ~Batch() = default;

        // Takes the pair {a, b} (a != b); false once `take` has said stop.
        bool add(std::uint32_t a, std::uint32_t b) {
            m_pairs[m_count++] = a < b ? Candidate{a, b} : Candidate{b, a};
            return m_count < kSize || handOver();
        }
        // Hands over what is left; false when `take` said stop.
        bool handOver() {
            const std::size_t count = m_count;
            m_count = 0;
            m_going = m_going && (count == 0 || m_take(std::span(m_pairs.data(), count)));
            return m_going;
        }

    private:
        static constexpr std::size_t kSize = 256;
        const TakeCandidates& m_take;
        std::array<Candidate, kSize> m_pairs;
        std::size_t m_count = 0;
        bool m_going = true;
    };

    // Works range(part, begin, end) for `parts` contiguous ranges that cut [0, n) in
    // order, side by side, and returns when every one is done. The same n and parts
    // always give the same ranges.
    using Range = std::function<void(int part, std::size_t begin, std::size_t end)>;
    using ShareRanges = std::function<void(std::size_t n, int parts, const Range& range)>;

    virtual ~PairFinder() = default;
    // Takes the bodies of one frame; between this and the last search their positions
    // and radii do not change. A finder may share its work over the bodies among
    // `parts` ranges through `share`; what it finds is the same for any parts.
    virtual void build(const std::vector<Sphere>& spheres, int parts, const ShareRanges& share) = 0;
    // The same, all on the calling thread.
    void build(const std::vector<Sphere>& spheres) {
        build(spheres, 1, [](std::size_t n, int, const Range& range) { range(0, 0, n); });
    }
    // The part-th of `parts` shares of the search (part < parts): hands every pair that
    // may touch to `take`, in batches and in no particular order. The shares together
    // hand out each pair exactly once, whatever `parts`. Called from several threads at
    // once, one share each.
    virtual void findCandidates(int part, int parts, const TakeCandidates& take) const = 0;
    // All the shares of the search on the calling thread.
    void findCandidates(const TakeCandidates& take) const { findCandidates(0, 1, take); }
    // Whether every two bodies with the same x and z (finite, as their radii) are among
    // the pairs it hands out, so that the step can learn of shared centres from them; a
    // finder that cannot tell says false.
    virtual bool listsEveryPairAtOneSpot() const { return false; }
};
