#pragma once

#include <algorithm>
#include <atomic>
#include <cstddef>
#include <thread>

// Hands out in runs the items of a list that one thread is still finding, so that other
// threads work them meanwhile: the finder publishes how many it has found, and each
// worker takes the next run and waits until its items are found or the list is known to
// end before them. Each counter starts a cache line of its own: the workers taking runs
// would otherwise keep taking the line from the finder publishing, and the other way
// round.
class alignas(64) RunHandOut {
public:
    // Items [begin, end) of the list; empty once every item is taken.
    struct Run {
        std::size_t begin;
        std::size_t end;

        bool empty() const { return begin == end; }
    };

    explicit RunHandOut(std::size_t runLength) : m_runLength(runLength) {}

    // By the finder: `count` items are found so far, more may follow.
    void found(std::size_t count) { publish(count * 2); }
    // By the finder: the list holds `count` items in all.
    void finished(std::size_t count) { publish(count * 2 + 1); }
    // Once finished, how many items the list holds.
    std::size_t total() const { return m_found.load(std::memory_order_acquire) / 2; }

    // By a worker: the next run, once its items are found (shorter at the end of the list).
    Run take() {
        const std::size_t begin = m_taken.fetch_add(m_runLength, std::memory_order_relaxed);
        const std::size_t found = awaitFound(begin + m_runLength);
        return {begin, std::clamp(found, begin, begin + m_runLength)};
    }

private:
    // A run of a few hundred items is found in microseconds: a waiting worker first spins,
    // then gives its core up to the finder (there may be more threads than cores), and
    // sleeps only when the finder is held up for longer than that.
    static constexpr int kSpins = 64;
    static constexpr int kYields = 16;

    void publish(std::size_t state) {
        m_found.store(state, std::memory_order_release);
        m_found.notify_all();
    }

    // How many items are found once at least `wanted` are or the count is final.
    std::size_t awaitFound(std::size_t wanted) const {
        std::size_t state = m_found.load(std::memory_order_acquire);
        for (int round = 0; state / 2 < wanted && state % 2 == 0; ++round) {
            if (round < kSpins) {
#if defined(__x86_64__) || defined(__i386__)
                __builtin_ia32_pause();
#endif
            } else if (round < kSpins + kYields) {
                std::this_thread::yield();
            } else {
                m_found.wait(state, std::memory_order_acquire);
            }
            state = m_found.load(std::memory_order_acquire);
        }
        return state / 2;
    }

    const std::size_t m_runLength;
    alignas(64) std::atomic<std::size_t> m_taken{0};
    // Items found, times two, plus one once that count is final: one word, so that a
    // worker sleeping on it wakes for either.
    alignas(64) std::atomic<std::size_t> m_found{0};
};
