#pragma once

#include <cstddef>
#include <string>
#include <string_view>

#include "filewrite/UniqueFd.h"

// Saves a file so that a failure never costs the user the file they had: the bytes
// go to a temporary file in the target's folder, which takes the target's place only
// once every byte of it is on disk. A writer destroyed without a successful commit()
// removes its temporary file and leaves the target as it was.
//
// Only a regular file is replaced; a symbolic link is followed to the file it names,
// which is made if it does not exist. Anything else (a FIFO, a device, a socket, a
// folder), a file the user may not write and a link loop are refused before anything
// is written. Starting, a writer removes the temporary files that saves cut off left
// in that folder.
class AtomicFileWriter {
public:
    explicit AtomicFileWriter(const std::string& target);
    ~AtomicFileWriter();
    AtomicFileWriter(const AtomicFileWriter&) = delete;
    AtomicFileWriter& operator=(const AtomicFileWriter&) = delete;

    // False as soon as something went wrong: a refused target, no temporary file, or a
    // failed write.
    bool good() const { return fd_ && error_.empty(); }

    void write(const void* data, std::size_t size);
    void write(std::string_view bytes) { write(bytes.data(), bytes.size()); }

    // Flushes and syncs the temporary file and renames it over the target. True when
    // the target now holds exactly what was written; false leaves the target untouched.
    bool commit();

    // Why the save failed, in words for the user ("no space left on the disk", "not a
    // regular file (a FIFO)", ...); empty while nothing has gone wrong.
    const std::string& error() const { return error_; }

private:
    bool flushBuffer();
    void fail(int error);
    void discard();

    std::string target_;
    std::string temporary_;
    std::string buffer_;
    std::string error_;
    UniqueFd fd_;
};
