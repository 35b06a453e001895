#pragma once

#include <cstddef>
#include <string>
#include <string_view>

// Saves a file so that a failure never costs the user the file they had: the bytes
// go to a temporary file in the target's folder, which takes the target's place only
// once every byte of it is on disk. A writer destroyed without a successful commit()
// removes its temporary file and leaves the target as it was.
class AtomicFileWriter {
public:
    explicit AtomicFileWriter(const std::string& target);
    ~AtomicFileWriter();
    AtomicFileWriter(const AtomicFileWriter&) = delete;
    AtomicFileWriter& operator=(const AtomicFileWriter&) = delete;

    // False as soon as something went wrong: no temporary file, or a failed write.
    bool good() const { return fd_ >= 0 && !failed_; }

    void write(const void* data, std::size_t size);
    void write(std::string_view bytes) { write(bytes.data(), bytes.size()); }

    // Flushes and syncs the temporary file and renames it over the target. True when
    // the target now holds exactly what was written; false leaves the target untouched.
    bool commit();

private:
    bool flushBuffer();
    void discard();

    std::string target_;
    std::string temporary_;
    std::string buffer_;
    int fd_ = -1;
    bool failed_ = false;
};
