#include "files/AtomicFileWriter.h"

#include <atomic>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <fcntl.h>
#include <memory>
#include <sys/stat.h>
#include <unistd.h>

namespace {

// Small writes (a field at a time) are gathered before they reach the kernel.
constexpr std::size_t kBufferSize = 64 * 1024;

// Saving through a symbolic link updates the file it points to, as writing in place
// would; replacing the link itself would silently detach the user's file.
std::string resolveLink(const std::string& target) {
    struct stat info {};
    if (::lstat(target.c_str(), &info) == 0 && S_ISLNK(info.st_mode)) {
        const std::unique_ptr<char, decltype(&std::free)> real(::realpath(target.c_str(), nullptr),
                                                               &std::free);
        if (real) {
            return real.get();
        }
    }
    return target;
}

std::string folderOf(const std::string& path) {
    const auto slash = path.rfind('/');
    if (slash == std::string::npos) {
        return ".";
    }
    return slash == 0 ? "/" : path.substr(0, slash);
}

std::string nameOf(const std::string& path) {
    const auto slash = path.rfind('/');
    return slash == std::string::npos ? path : path.substr(slash + 1);
}

// Makes the rename itself durable; a folder that cannot be synced is no reason to
// call a save failed, since the file is already complete under its new name.
void syncFolder(const std::string& folder) {
    const int fd = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd >= 0) {
        ::fsync(fd);
        ::close(fd);
    }
}

} // namespace

AtomicFileWriter::AtomicFileWriter(const std::string& target) : target_(resolveLink(target)) {
    static std::atomic<unsigned> serial{0};
    const std::string stem =
        folderOf(target_) + "/." + nameOf(target_) + ".tmp-" + std::to_string(::getpid()) + "-";
    // Another program (or another writer of ours) may hold a name; try the next one.
    for (int attempt = 0; attempt < 100 && fd_ < 0; ++attempt) {
        std::string candidate = stem + std::to_string(serial++);
        // 0666 lets the umask decide, as for any new file of the user's.
        fd_ = ::open(candidate.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
        if (fd_ >= 0) {
            temporary_ = std::move(candidate);
        } else if (errno != EEXIST) {
            break;
        }
    }
    if (fd_ < 0) {
        return;
    }
    // An existing file keeps its permissions across the save.
    struct stat info {};
    if (::stat(target_.c_str(), &info) == 0 && S_ISREG(info.st_mode)) {
        ::fchmod(fd_, info.st_mode & 07777);
    }
    buffer_.reserve(kBufferSize);
}

AtomicFileWriter::~AtomicFileWriter() {
    discard();
}

void AtomicFileWriter::write(const void* data, std::size_t size) {
    if (!good()) {
        return;
    }
    buffer_.append(static_cast<const char*>(data), size);
    if (buffer_.size() >= kBufferSize) {
        flushBuffer();
    }
}

bool AtomicFileWriter::flushBuffer() {
    std::size_t done = 0;
    while (done < buffer_.size()) {
        const ssize_t n = ::write(fd_, buffer_.data() + done, buffer_.size() - done);
        if (n < 0 && errno == EINTR) {
            continue;
        }
        if (n <= 0) {
            failed_ = true;
            return false;
        }
        done += static_cast<std::size_t>(n);
    }
    buffer_.clear();
    return true;
}

bool AtomicFileWriter::commit() {
    if (!good() || !flushBuffer()) {
        discard();
        return false;
    }
    // EINVAL: the file system has no way to sync; the data went as far as it can.
    if (::fsync(fd_) != 0 && errno != EINVAL) {
        discard();
        return false;
    }
    const int fd = fd_;
    fd_ = -1;
    if (::close(fd) != 0) {
        discard();
        return false;
    }
    if (std::rename(temporary_.c_str(), target_.c_str()) != 0) {
        discard();
        return false;
    }
    temporary_.clear();
    syncFolder(folderOf(target_));
    return true;
}

void AtomicFileWriter::discard() {
    if (fd_ >= 0) {
        ::close(fd_);
        fd_ = -1;
    }
    if (!temporary_.empty()) {
        ::unlink(temporary_.c_str());
        temporary_.clear();
    }
    failed_ = true;
}
