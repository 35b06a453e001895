// A FIFO that catches readers opening it. Opening a FIFO for reading waits until a
// writer comes, so a reader that opens one it was given by name hangs. While a call
// runs, a watcher keeps trying to open the FIFO for writing without waiting, which
// succeeds only while somebody has it open for reading: then the call has opened it.
// The watcher lets such a reader go on (closing the writing end gives it an empty
// file), so the test fails instead of hanging.
#pragma once

#include <atomic>
#include <chrono>
#include <filesystem>
#include <gtest/gtest.h>
#include <thread>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

class FifoTrap {
public:
    explicit FifoTrap(std::filesystem::path path) : m_path(std::move(path)) {
        m_made = ::mkfifo(m_path.c_str(), 0600) == 0;
    }
    FifoTrap(const FifoTrap&) = delete;
    FifoTrap& operator=(const FifoTrap&) = delete;
    ~FifoTrap() { std::filesystem::remove(m_path); }

    const std::filesystem::path& path() const { return m_path; }

    // Runs call and says whether it left the FIFO unopened.
    template <typename Call>
    ::testing::AssertionResult untouchedBy(Call call) const {
        if (!m_made) {
            return ::testing::AssertionFailure() << "no FIFO could be made at " << m_path;
        }
        std::atomic<bool> done{false};
        std::atomic<int> opened{0};
        std::thread watcher([&] {
            while (!done) {
                const int fd = ::open(m_path.c_str(), O_WRONLY | O_NONBLOCK | O_CLOEXEC);
                if (fd >= 0) {
                    ++opened;
                    ::close(fd);
                } else {
                    std::this_thread::sleep_for(std::chrono::microseconds(200));
                }
            }
        });
        call();
        done = true;
        watcher.join();
        if (opened != 0) {
            return ::testing::AssertionFailure()
                   << "the FIFO " << m_path << " was opened for reading (it would wait)";
        }
        return ::testing::AssertionSuccess();
    }

private:
    std::filesystem::path m_path;
    bool m_made = false;
};
