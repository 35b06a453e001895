#include "win32/regular_file.h"

#include <cerrno>
#include <utility>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

int failureOf(const struct stat& info) {
    return S_ISREG(info.st_mode) ? 0 : RegularFile::kNotRegular;
}

} // namespace

RegularFile RegularFile::open(const char* path) {
    RegularFile file;
    struct stat info {};
    if (::stat(path, &info) != 0) {
        file.m_error = errno;
        return file;
    }
    if ((file.m_error = failureOf(info)) != 0) {
        return file;
    }
    // Not waiting matters only if the name was made to lead to a FIFO since the look-up;
    // a regular file reads the same either way.
    const int fd = ::open(path, O_RDONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC);
    if (fd < 0) {
        file.m_error = errno;
        return file;
    }
    file.m_fd = fd;
    if (::fstat(fd, &info) != 0) {
        file.m_error = errno;
    } else if ((file.m_error = failureOf(info)) == 0) {
        const int flags = ::fcntl(fd, F_GETFL);
        if (flags == -1 || ::fcntl(fd, F_SETFL, flags & ~O_NONBLOCK) != 0) {
            file.m_error = errno;
        }
    }
    if (file.m_error != 0) {
        ::close(std::exchange(file.m_fd, -1));
        return file;
    }
    file.m_size = static_cast<std::uint64_t>(info.st_size);
    return file;
}

RegularFile::RegularFile(RegularFile&& other) noexcept
    : m_fd(std::exchange(other.m_fd, -1)), m_size(other.m_size), m_error(other.m_error) {}

RegularFile& RegularFile::operator=(RegularFile&& other) noexcept {
    if (this != &other) {
        if (m_fd >= 0) {
            ::close(m_fd);
        }
        m_fd = std::exchange(other.m_fd, -1);
        m_size = other.m_size;
        m_error = other.m_error;
    }
    return *this;
}

RegularFile::~RegularFile() {
    if (m_fd >= 0) {
        ::close(m_fd);
    }
}

bool RegularFile::readExactly(void* into, std::size_t count) {
    auto* at = static_cast<char*>(into);
    while (count > 0) {
        const ssize_t got = ::read(m_fd, at, count);
        if (got < 0 && errno == EINTR) {
            continue;
        }
        if (got <= 0) {
            return false;
        }
        at += got;
        count -= static_cast<std::size_t>(got);
    }
    return true;
}

int RegularFile::release() {
    return std::exchange(m_fd, -1);
}

bool isReadableRegularFile(const char* path) {
    return static_cast<bool>(RegularFile::open(path));
}
