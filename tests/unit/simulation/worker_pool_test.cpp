// The pool that shares the frame's per-body work among threads.
#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdlib>
#include <gtest/gtest.h>
#include <string>
#include <thread>
#include <utility>
#include <vector>

#include "simulation/WorkerPool.h"

namespace {

// Runs job after job of every size and part count on one pool: each index is worked
// exactly once, by the part whose range holds it, the parts in order, contiguous and
// of sizes at most one apart.
TEST(WorkerPool, WorksEveryIndexOnceInOrderedNearlyEqualParts) {
    WorkerPool pool(3);
    ASSERT_EQ(pool.threads(), 3);
    for (std::size_t n : {0u, 1u, 2u, 5u, 97u, 1000u}) {
        for (int parts = 1; parts <= 4; ++parts) { // 4: more parts than threads
            std::vector<std::atomic<int>> visits(n);
            std::vector<std::size_t> begins(4, n + 1);
            std::vector<std::size_t> ends(4, n + 1);
            pool.run(n, parts, [&](int part, std::size_t begin, std::size_t end) {
                begins[static_cast<std::size_t>(part)] = begin;
                ends[static_cast<std::size_t>(part)] = end;
                for (std::size_t i = begin; i < end; ++i) {
                    ++visits[i];
                }
            });
            const int used = std::min(parts, pool.threads());
            std::size_t next = 0;
            for (int part = 0; part < used; ++part) {
                EXPECT_EQ(begins[part], next) << n << " in " << parts << ", part " << part;
                EXPECT_LE(ends[part] - begins[part], n / used + 1);
                EXPECT_GE(ends[part] - begins[part], n / used);
                next = ends[part];
            }
            EXPECT_EQ(next, n);
            for (int part = used; part < 4; ++part) {
                EXPECT_EQ(begins[part], n + 1) << "part " << part << " of " << used << " ran";
            }
            for (std::size_t i = 0; i < n; ++i) {
                EXPECT_EQ(visits[i].load(), 1) << "index " << i << " of " << n;
            }
        }
    }
}

// The calling thread works the first part, helpers the others; what the helpers wrote
// is there when run returns, job after job (a helper that missed a wake-up would hang
// the test or leave a part undone).
TEST(WorkerPool, HelpersWorkTheOtherPartsAndFinishBeforeRunReturns) {
    WorkerPool pool(2);
    const std::thread::id caller = std::this_thread::get_id();
    std::vector<long> sums(2);
    for (int job = 0; job < 2000; ++job) {
        std::thread::id workers[2];
        pool.run(10, 2, [&](int part, std::size_t begin, std::size_t end) {
            workers[part] = std::this_thread::get_id();
            for (std::size_t i = begin; i < end; ++i) {
                sums[static_cast<std::size_t>(part)] += static_cast<long>(i);
            }
        });
        ASSERT_EQ(workers[0], caller);
        ASSERT_NE(workers[1], caller);
    }
    EXPECT_EQ(sums[0], 2000L * (0 + 1 + 2 + 3 + 4));
    EXPECT_EQ(sums[1], 2000L * (5 + 6 + 7 + 8 + 9));
}

TEST(WorkerPool, OneThreadWorksEverythingOnTheCaller) {
    WorkerPool pool(1);
    EXPECT_EQ(pool.threads(), 1);
    std::thread::id worker;
    std::size_t worked = 0;
    pool.run(50, 2, [&](int, std::size_t begin, std::size_t end) {
        worker = std::this_thread::get_id();
        worked += end - begin;
    });
    EXPECT_EQ(worker, std::this_thread::get_id());
    EXPECT_EQ(worked, 50u);
}

// A part that throws fails the job, wherever it runs: run joins every other part before
// it rethrows (the parts write into a vector that dies right after, which a helper
// still working would touch, and count themselves out when done), hands on the first
// exception thrown, and the pool works the next job whole. The first thrower throws at
// once, every other part only after a pause, so which exception comes first is known.
TEST(WorkerPool, AThrowingPartFailsTheJobOnlyOnceEveryPartIsDone) {
    struct Failure {
        int part;
    };
    struct Case {
        int threads;
        int thrower;
        bool everyPartThrows;
    };
    std::vector<Case> cases;
    for (int threads = 1; threads <= 4; ++threads) {
        for (const bool everyPartThrows : {false, true}) {
            cases.push_back({threads, 0, everyPartThrows});
            if (threads > 1) {
                cases.push_back({threads, threads - 1, everyPartThrows});
            }
        }
    }
    constexpr std::size_t kIndices = 64;
    for (const Case& job : cases) {
        // Named apart: Clang 15 lets no lambda capture a structured binding.
        const int threads = job.threads;
        const int thrower = job.thrower;
        const bool everyPartThrows = job.everyPartThrows;
        const std::string name = std::to_string(threads) + " threads, part " +
                                 std::to_string(thrower) + " throwing" +
                                 (everyPartThrows ? " first of all" : "");
        WorkerPool pool(threads);
        std::atomic<int> partsDone{0};
        int caught = -1;
        try {
            std::vector<int> written(kIndices, -1);
            pool.run(kIndices, threads, [&](int part, std::size_t begin, std::size_t end) {
                if (part != thrower) {
                    std::this_thread::sleep_for(std::chrono::milliseconds(20));
                    std::fill(written.begin() + static_cast<std::ptrdiff_t>(begin),
                              written.begin() + static_cast<std::ptrdiff_t>(end), part);
                }
                ++partsDone;
                if (part == thrower || everyPartThrows) {
                    throw Failure{part};
                }
            });
        } catch (const Failure& failure) {
            caught = failure.part;
            EXPECT_EQ(partsDone.load(), threads) << name << ": a part outlived the job";
        }
        EXPECT_EQ(caught, thrower) << name;
        std::vector<std::atomic<int>> visits(kIndices);
        pool.run(kIndices, threads, [&](int, std::size_t begin, std::size_t end) {
            for (std::size_t i = begin; i < end; ++i) {
                ++visits[i];
            }
        });
        for (std::size_t i = 0; i < kIndices; ++i) {
            ASSERT_EQ(visits[i].load(), 1) << name << ", the next job's index " << i;
        }
    }
}

// TUMBLEWAY_THREADS sets the count when it is a whole number of at least 1; anything
// else leaves the processor's count, at most 4.
TEST(WorkerPool, ThreadCountComesFromTheEnvironmentOrTheProcessor) {
    const char* before = std::getenv("TUMBLEWAY_THREADS");
    const std::string kept = before != nullptr ? before : "";
    const int hardware = std::clamp(static_cast<int>(std::thread::hardware_concurrency()), 1, 4);
    const std::pair<const char*, int> cases[] = {
        {"1", 1},         {"3", 3},          {"16", 16},       {"0", hardware},
        {"-2", hardware}, {"two", hardware}, {"2x", hardware}, {"", hardware}};
    for (const auto& [setting, expected] : cases) {
        setenv("TUMBLEWAY_THREADS", setting, 1);
        EXPECT_EQ(defaultThreadCount(), expected) << "\"" << setting << "\"";
    }
    unsetenv("TUMBLEWAY_THREADS");
    EXPECT_EQ(defaultThreadCount(), hardware);
    if (before != nullptr) {
        setenv("TUMBLEWAY_THREADS", kept.c_str(), 1);
    }
}

} // namespace
