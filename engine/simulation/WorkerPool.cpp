#include "simulation/WorkerPool.h"

#include <algorithm>
#include <chrono>
#include <cstdlib>
#include <string>
#include <utility>

namespace {

// More threads than this gain the frame nothing: the per-body work is a few hundred
// nanoseconds a body, and the pair responses that follow it stay on one thread.
constexpr int kMostDefaultThreads = 4;
// How long a waiting thread looks again before it sleeps: about as long as a frame's
// jobs lie apart, far less than a frame.
constexpr std::chrono::microseconds kLookAgainFor{50};

// Tells the processor this thread is waiting, so that it spends less on the loop.
void pause() {
#if defined(__x86_64__) || defined(__i386__)
    __builtin_ia32_pause();
#else
    std::this_thread::yield();
#endif
}

// Whether `ready` held within kLookAgainFor.
template <typename Ready>
bool readySoon(Ready ready) {
    const auto until = std::chrono::steady_clock::now() + kLookAgainFor;
    for (unsigned looks = 1;; ++looks) {
        if (ready()) {
            return true;
        }
        pause();
        if (looks % 64 == 0 && std::chrono::steady_clock::now() > until) {
            return false;
        }
    }
}

std::size_t partStart(std::size_t n, int parts, int part) {
    return n / static_cast<std::size_t>(parts) * static_cast<std::size_t>(part) +
           std::min(n % static_cast<std::size_t>(parts), static_cast<std::size_t>(part));
}

} // namespace

WorkerPool::WorkerPool(int threads) {
    const int helpers = std::clamp(threads, 1, kMostThreads) - 1;
    m_helpers.reserve(static_cast<std::size_t>(helpers));
    for (int helper = 0; helper < helpers; ++helper) {
        m_helpers.emplace_back(
            [this, helper](const std::stop_token& stop) { serve(stop, helper); });
    }
}

void WorkerPool::run(std::size_t n, int parts, const Part& part) {
    parts = std::clamp(parts, 1, threads());
    if (parts == 1) {
        part(0, 0, n);
        return;
    }
    {
        const std::lock_guard lock(m_mutex);
        m_part = &part;
        m_n = n;
        m_parts = parts;
        m_pending = parts - 1;
        ++m_job;
        m_wake.notify_all();
    }
    workGuarded(part, 0, 0, partStart(n, parts, 1));
    (void)readySoon([this] { return m_pending.load(std::memory_order_acquire) == 0; });
    std::exception_ptr failure;
    {
        std::unique_lock lock(m_mutex);
        m_done.wait(lock, [this] { return m_pending == 0; });
        m_part = nullptr;
        failure = std::exchange(m_failure, nullptr);
    }
    if (failure) {
        std::rethrow_exception(failure);
    }
}

void WorkerPool::workGuarded(const Part& work, int part, std::size_t begin, std::size_t end) {
    try {
        work(part, begin, end);
    } catch (...) {
        const std::lock_guard lock(m_mutex);
        if (!m_failure) {
            m_failure = std::current_exception();
        }
    }
}

void WorkerPool::serve(const std::stop_token& stop, int helper) {
    const int part = helper + 1;
    unsigned long seen = 0;
    for (;;) {
        (void)readySoon(
            [&] { return m_job.load(std::memory_order_acquire) != seen || stop.stop_requested(); });
        std::unique_lock lock(m_mutex);
        if (!m_wake.wait(lock, stop, [&] { return m_job != seen; })) {
            return; // stopped
        }
        seen = m_job;
        if (part >= m_parts) {
            continue; // a job of fewer parts than threads
        }
        const Part& work = *m_part;
        const std::size_t begin = partStart(m_n, m_parts, part);
        const std::size_t end = partStart(m_n, m_parts, part + 1);
        lock.unlock();
        workGuarded(work, part, begin, end);
        lock.lock();
        if (--m_pending == 0) {
            m_done.notify_one();
        }
    }
}

int defaultThreadCount() {
    if (const char* setting = std::getenv("TUMBLEWAY_THREADS")) {
        char* end = nullptr;
        const long threads = std::strtol(setting, &end, 10);
        if (end != setting && *end == '\0' && threads >= 1) {
            return static_cast<int>(std::min<long>(threads, WorkerPool::kMostThreads));
        }
    }
    const unsigned hardware = std::thread::hardware_concurrency();
    return std::clamp(static_cast<int>(hardware), 1, kMostDefaultThreads);
}
