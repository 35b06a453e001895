#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <string>

#include "tumbleway/tumbleway.h"

// The binary session file: meshes, sounds, sound relations and both kinds of course
// points of one course (no bitmaps). A sequence of blocks, each an 8-byte header
// (tag letter in the first byte, int32 record count) followed by fixed-size records;
// little-endian, no padding, no file header.

// The name the builder saves under, in the current directory.
inline constexpr const char* kSessionFileName = "velmora.sim";

struct SessionBlockHeader {
    std::int32_t tag;
    std::int32_t count;
};

// Reads or writes one file; the object lives for one of the two.
class SessionFileIO {
public:
    static constexpr std::size_t kHeaderSize = 8;
    static constexpr std::size_t kXfileRecordSize = 148;     // x y z yaw radius, name
    static constexpr std::size_t kSoundRecordSize = 128;     // name
    static constexpr std::size_t kRelationRecordSize = 384;  // x-file1, x-file2, wav-file
    static constexpr std::size_t kDottedRecordSize = 12;     // index x y
    static constexpr std::size_t kCalculatedRecordSize = 20; // index x y z pitch

    SessionFileIO();

    // Writes one block of each kind, in the order x, s, h, m, e, also when a list is
    // empty. A failure is shown ("Error cannot read file.", caption "velmora.sim", and a
    // line with the path and the reason) and leaves the file that was at path as it
    // was; the reason also goes to *error when error is given.
    bool write(const LSession_t& session, const std::string& path, std::string* error = nullptr);

    // Appends the records of every block the file holds, blocks in any order and
    // kinds repeated. A header with an unknown tag is passed over on its own, 8 bytes
    // on. Reading ends at the end of the file; a record cut short keeps the fields it
    // has whole. A mesh or point with a number that is not finite is left out. A file
    // whose blocks do not account for its bytes exactly, or with elements left out, is
    // reported in one message naming the file. False (after "Error cannot read file.",
    // with the name as caption) when the file cannot be opened.
    bool read(const std::string& name, LSession_t& session);

    // The headers of the last write, in the order the blocks were written.
    const std::array<SessionBlockHeader, 5>& headers() const { return headers_; }

private:
    std::array<SessionBlockHeader, 5> headers_;
};

inline bool writeSessionFile(const LSession_t& session, const std::string& path,
                             std::string* error = nullptr) {
    return SessionFileIO().write(session, path, error);
}

inline bool readSessionFile(const std::string& name, LSession_t& session) {
    return SessionFileIO().read(name, session);
}
