// Opening, for reading, a file whose name came from a user or from another file. Such
// a name may lead to a FIFO, whose open waits for a writer that may never come, or to
// a device, whose mere opening may act on it. So only regular files are opened: the
// name is looked up first and anything else is refused unopened; the open itself never
// waits, and what it opened is checked again, as the name may lead elsewhere by then.
#pragma once

#include <cstddef>
#include <cstdint>

class RegularFile {
public:
    // error() of a name that leads to something other than a regular file (a folder,
    // a FIFO, a socket, a device). Never an errno value.
    static constexpr int kNotRegular = -1;

    // The file opened read-only, or (when it is not open) the reason in error().
    static RegularFile open(const char* path);

    RegularFile() = default;
    RegularFile(RegularFile&& other) noexcept;
    RegularFile& operator=(RegularFile&& other) noexcept;
    RegularFile(const RegularFile&) = delete;
    RegularFile& operator=(const RegularFile&) = delete;
    ~RegularFile();

    explicit operator bool() const { return m_fd >= 0; }
    int fd() const { return m_fd; }
    // The size when it was opened.
    std::uint64_t size() const { return m_size; }
    // errno of the failed look-up or open, or kNotRegular; 0 when open.
    int error() const { return m_error; }

    // Reads count bytes from where the file stands; false when fewer are there.
    [[nodiscard]] bool readExactly(void* into, std::size_t count);
    // Hands the descriptor over to the caller, who then closes it.
    int release();

private:
    int m_fd = -1;
    std::uint64_t m_size = 0;
    int m_error = 0;
};

// Whether path leads to a regular file that can be opened for reading (it is closed
// again at once).
bool isReadableRegularFile(const char* path);
