// Shared by the fuzz targets: the readers under test open files by name, so each input
// is handed to them as a file that lives in memory, and their message boxes are kept
// quiet (a hostile input may raise thousands of them).
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <sys/mman.h>
#include <unistd.h>

#include "win32/win32.h"

namespace twfuzz {

// An anonymous in-memory file reachable by a path ("/proc/self/fd/N"), rewritten for
// each input. It behaves as a regular file to open, fopen, stat and std::filesystem,
// and nothing touches the disk.
class MemoryFile {
public:
    explicit MemoryFile(const char* name) : fd_(::memfd_create(name, MFD_CLOEXEC)) {
        if (fd_ < 0) {
            std::perror("memfd_create");
            std::abort();
        }
        path_ = "/proc/self/fd/" + std::to_string(fd_);
    }
    ~MemoryFile() { ::close(fd_); }
    MemoryFile(const MemoryFile&) = delete;
    MemoryFile& operator=(const MemoryFile&) = delete;

    // Replaces the file's contents and returns its path.
    const std::string& hold(const std::uint8_t* data, std::size_t size) {
        if (::ftruncate(fd_, 0) != 0) {
            std::abort();
        }
        std::size_t done = 0;
        while (done < size) {
            const ssize_t wrote = ::pwrite(fd_, data + done, size - done, static_cast<off_t>(done));
            if (wrote <= 0) {
                std::abort();
            }
            done += static_cast<std::size_t>(wrote);
        }
        return path_;
    }

    const std::string& path() const { return path_; }

private:
    int fd_;
    std::string path_;
};

// A private scratch folder for files the targets write, removed at exit. Saves end in
// fsync, which costs a disk a few milliseconds; in shared memory it costs nothing.
class ScratchFolder {
public:
    ScratchFolder() {
        std::error_code error;
        const std::filesystem::path base = std::filesystem::is_directory("/dev/shm", error)
                                               ? std::filesystem::path("/dev/shm")
                                               : std::filesystem::temp_directory_path();
        std::string pattern = (base / "tw-fuzz-XXXXXX").string();
        if (::mkdtemp(pattern.data()) == nullptr) {
            std::perror("mkdtemp");
            std::abort();
        }
        path_ = pattern;
    }
    ~ScratchFolder() {
        std::error_code ignored;
        std::filesystem::remove_all(path_, ignored);
    }
    ScratchFolder(const ScratchFolder&) = delete;
    ScratchFolder& operator=(const ScratchFolder&) = delete;

    std::string file(const char* name) const { return (path_ / name).string(); }

private:
    std::filesystem::path path_;
};

// Answers every message box at once, without printing it.
inline void silenceMessageBoxes() {
    static bool done = false;
    if (!done) {
        SetMessageBoxHandler([](const std::string&, const std::string&, UINT) { return IDOK; });
        done = true;
    }
}

// A check that the fuzzer must report: prints what failed and aborts, in every build
// (assert would vanish from release builds).
#define TW_FUZZ_CHECK(condition)                                                                   \
    do {                                                                                           \
        if (!(condition)) {                                                                        \
            std::fprintf(stderr, "%s:%d: check failed: %s\n", __FILE__, __LINE__, #condition);     \
            std::abort();                                                                          \
        }                                                                                          \
    } while (false)

} // namespace twfuzz
