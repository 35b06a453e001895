// Runs of a list handed out while one thread is still finding its items.
#include <atomic>
#include <chrono>
#include <gtest/gtest.h>
#include <string>
#include <thread>
#include <vector>

#include "simulation/RunHandOut.h"

namespace {

// A finder writes the items one by one, publishing every few and pausing now and then
// so that the workers run out of items and must wait (and sleep); the workers take runs
// until none is left. Every item is taken exactly once, by a run no longer than asked,
// and is already written when its run is taken; the total is the count finished with.
TEST(RunHandOut, EveryItemIsTakenOnceAndOnlyOnceFound) {
    constexpr std::size_t kRun = 8;
    for (const std::size_t items : {0u, 1u, 7u, 8u, 9u, 203u}) {
        for (int workers = 1; workers <= 3; ++workers) {
            const std::string name =
                std::to_string(items) + " items, " + std::to_string(workers) + " workers";
            std::vector<std::size_t> written(items, 0);
            std::vector<std::atomic<int>> taken(items);
            std::atomic<std::size_t> unwritten{0}; // items seen before they were written
            std::atomic<std::size_t> tooLong{0};
            RunHandOut handOut(kRun);
            std::vector<std::jthread> threads;
            for (int worker = 0; worker < workers; ++worker) {
                threads.emplace_back([&] {
                    for (auto run = handOut.take(); !run.empty(); run = handOut.take()) {
                        tooLong += run.end - run.begin > kRun ? 1 : 0;
                        for (std::size_t i = run.begin; i < run.end; ++i) {
                            unwritten += written[i] == i + 1 ? 0 : 1;
                            ++taken[i];
                        }
                    }
                });
            }
            for (std::size_t i = 0; i < items; ++i) {
                written[i] = i + 1;
                if ((i + 1) % 3 == 0) {
                    handOut.found(i + 1);
                }
                if (i % 50 == 0) {
                    std::this_thread::sleep_for(std::chrono::milliseconds(2));
                }
            }
            handOut.finished(items);
            threads.clear();
            EXPECT_EQ(handOut.total(), items) << name;
            EXPECT_EQ(unwritten.load(), 0u) << name;
            EXPECT_EQ(tooLong.load(), 0u) << name;
            for (std::size_t i = 0; i < items; ++i) {
                ASSERT_EQ(taken[i].load(), 1) << name << ", item " << i;
            }
        }
    }
}

} // namespace
