#pragma once

#include <atomic>
#include <condition_variable>
#include <cstddef>
#include <exception>
#include <functional>
#include <mutex>
#include <stop_token>
#include <thread>
#include <vector>

// Shares one job at a time among a fixed number of threads: the calling thread and
// helpers started once, which sleep between jobs (a frame must not pay for starting
// threads). A frame's jobs follow each other within microseconds, and waking a thread
// takes longer than that on a busy machine, so a thread that waits (a helper for the
// next job, the caller for the helpers) looks again for a short while, pausing between
// looks, before it sleeps. A job is a range [0, n) cut into contiguous parts, one per thread; the
// calling thread works the first part and returns when every part is done, so all that
// the parts wrote is visible to it then. A part that throws fails the job, but only once
// every part is done: no part ever runs over what the caller has already unwound.
class WorkerPool {
public:
    // Works the part [begin, end), the part-th of the job.
    using Part = std::function<void(int part, std::size_t begin, std::size_t end)>;

    // Beyond any machine this runs on; a larger count is taken as this.
    static constexpr int kMostThreads = 64;

    // threads counts the calling thread; below 1 it is taken as 1 (no helpers).
    explicit WorkerPool(int threads);
    WorkerPool(const WorkerPool&) = delete;
    WorkerPool& operator=(const WorkerPool&) = delete;
    ~WorkerPool() = default;

    int threads() const { return static_cast<int>(m_helpers.size()) + 1; }

    // Cuts [0, n) into `parts` ranges of nearly equal size, in order (parts at most
    // threads(), at least 1), and works them side by side. When parts throw, the first
    // exception thrown, on whichever thread, is rethrown here once every part is done;
    // the pool takes the next job as if nothing had happened.
    void run(std::size_t n, int parts, const Part& part);

private:
    void serve(const std::stop_token& stop, int helper);
    // Works the part, keeping its exception when it is the job's first; the caller
    // holds none of the pool's locks.
    void workGuarded(const Part& work, int part, std::size_t begin, std::size_t end);

    std::mutex m_mutex;
    std::condition_variable_any m_wake;
    std::condition_variable m_done;
    // The job being worked: every new one counts up, so a helper works each job once.
    // Written under the mutex; read without it by the threads waiting a little before
    // they sleep, which is why it and m_pending are atomic, each on a line of its own.
    alignas(64) std::atomic<unsigned long> m_job{0};
    alignas(64) std::atomic<int> m_pending{0}; // the helpers' parts not yet done
    alignas(64) const Part* m_part = nullptr;
    std::size_t m_n = 0;
    int m_parts = 0;
    std::exception_ptr m_failure; // the job's first exception
    // Last, so that the helpers are stopped and joined before the rest goes.
    std::vector<std::jthread> m_helpers;
};

// The thread count of a new engine: TUMBLEWAY_THREADS when it holds a whole number of
// at least 1, else the processor's hardware threads, at most 4.
int defaultThreadCount();
