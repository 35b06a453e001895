#include "files/SessionFileIO.h"

#include <algorithm>
#include <bit>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <memory>
#include <span>
#include <string_view>
#include <sys/stat.h>
#include <vector>

#include "files/ReadReport.h"
#include "filewrite/AtomicFileWriter.h"
#include "tumbleway/NameField.h"
#include "win32/regular_file.h"
#include "win32/win32.h"

namespace {

constexpr char kTags[5] = {'x', 's', 'h', 'm', 'e'};

// ---- writing: every field on its own, little-endian, whatever the host's layout ----

// Gathers one record (or header) and hands it to the file in one piece: the file's
// buffer is then touched once per record instead of once per field.
class RecordWriter {
public:
    explicit RecordWriter(AtomicFileWriter& out) : out_(out) {}

    RecordWriter& int32(std::int32_t value) {
        const auto bits = static_cast<std::uint32_t>(value);
        unsigned char* p = bytes_.data() + used_;
        p[0] = static_cast<unsigned char>(bits);
        p[1] = static_cast<unsigned char>(bits >> 8);
        p[2] = static_cast<unsigned char>(bits >> 16);
        p[3] = static_cast<unsigned char>(bits >> 24);
        used_ += 4;
        return *this;
    }
    RecordWriter& float32(float value) {
        return int32(static_cast<std::int32_t>(std::bit_cast<std::uint32_t>(value)));
    }
    // The name, its terminating zero, and zeros to the end of the field.
    RecordWriter& name(const char (&field)[kNameFieldSize]) {
        const std::string_view text = nameFieldText(field);
        unsigned char* p = bytes_.data() + used_;
        std::memcpy(p, text.data(), text.size());
        std::memset(p + text.size(), 0, kNameFieldSize - text.size());
        used_ += kNameFieldSize;
        return *this;
    }
    // Hands the record gathered so far to the file.
    void end() {
        out_.write(bytes_.data(), used_);
        used_ = 0;
    }

private:
    AtomicFileWriter& out_;
    std::array<unsigned char, SessionFileIO::kRelationRecordSize> bytes_; // the largest
    std::size_t used_ = 0;
};

// ---- reading ----

// Takes fields from a record that may have been cut short by the end of the file.
// Once a field is missing every later one is missing too; a name counts as present
// when at least its first byte was read. A missing field is read as zero (an empty
// name).
class RecordReader {
public:
    RecordReader(const unsigned char* data, std::size_t available)
        : data_(data), available_(available) {}

    bool int32(std::int32_t& value) {
        if (!present(4)) {
            value = 0;
            return false;
        }
        const unsigned char* p = data_ + offset_;
        value = static_cast<std::int32_t>(
            static_cast<std::uint32_t>(p[0]) | static_cast<std::uint32_t>(p[1]) << 8 |
            static_cast<std::uint32_t>(p[2]) << 16 | static_cast<std::uint32_t>(p[3]) << 24);
        offset_ += 4;
        return true;
    }
    bool float32(float& value) {
        std::int32_t bits = 0;
        const bool read = int32(bits);
        value = std::bit_cast<float>(bits);
        return read;
    }
    // Bytes after the terminating zero are not significant; a field with no zero in it
    // (or cut short) is cut to what fits and terminated.
    bool name(char (&field)[kNameFieldSize]) {
        if (!present(1)) {
            setNameField(field, {});
            return false;
        }
        const std::size_t length = std::min<std::size_t>(kNameFieldSize, available_ - offset_);
        setNameField(field,
                     std::string_view(reinterpret_cast<const char*>(data_ + offset_), length));
        offset_ += kNameFieldSize;
        return true;
    }

    // True when the record had at least one field; an empty remnant is no record.
    bool any() const { return offset_ > 0; }

private:
    bool present(std::size_t size) {
        if (missing_ || offset_ + size > available_) {
            missing_ = true;
        }
        return !missing_;
    }

    const unsigned char* data_;
    std::size_t available_;
    std::size_t offset_ = 0;
    bool missing_ = false;
};

// Each reader appends one element from a record of the block's kind, as far as the
// record's fields go; fields the file does not carry, or that were cut off, stay zero.
// The calls need no checks in between: once a field is missing, all later ones are.
// An element with a number that is not finite is left out and counted in the report.
// A mesh or relation whose file name was cut off entirely is left out: it names no file
// to load (the file is reported damaged).
void appendXfile(RecordReader& in, LSession_t& session, ReadReport& report) {
    // Every field is written below (zero where the record ends), so the placement is
    // not cleared first: a large scene holds tens of thousands of them.
    SessionXfile mesh;
    mesh.id = 0;
    mesh.flag = 0;
    in.float32(mesh.x);
    in.float32(mesh.y);
    in.float32(mesh.z);
    in.float32(mesh.yaw);
    in.float32(mesh.radius);
    if (in.name(mesh.name)) {
        report.keep(session.meshes, mesh);
    }
}

void appendSound(RecordReader& in, LSession_t& session, ReadReport&) {
    SessionSound sound{};
    if (in.name(sound.name)) {
        session.sounds.push_back(sound);
    }
}

void appendRelation(RecordReader& in, LSession_t& session, ReadReport&) {
    SessionRelation relation{};
    in.name(relation.xfile1);
    in.name(relation.xfile2);
    if (in.name(relation.wavfile)) {
        session.relations.push_back(relation);
    }
}

void appendDottedPoint(RecordReader& in, LSession_t& session, ReadReport& report) {
    LPoint_t point{};
    in.int32(point.index);
    in.float32(point.x);
    in.float32(point.y);
    if (in.any()) {
        report.keep(session.dottedPoints, point);
    }
}

void appendCalculatedPoint(RecordReader& in, LSession_t& session, ReadReport& report) {
    LPoint_t point{};
    in.int32(point.index);
    in.float32(point.x);
    in.float32(point.y);
    in.float32(point.z);
    in.float32(point.pitch);
    if (in.any()) {
        report.keep(session.calculatedPoints, point);
    }
}

struct BlockKind {
    char tag;
    std::size_t recordSize;
    void (*append)(RecordReader&, LSession_t&, ReadReport&);
};

constexpr BlockKind kKinds[] = {
    {'x', SessionFileIO::kXfileRecordSize, appendXfile},
    {'s', SessionFileIO::kSoundRecordSize, appendSound},
    {'h', SessionFileIO::kRelationRecordSize, appendRelation},
    {'m', SessionFileIO::kDottedRecordSize, appendDottedPoint},
    {'e', SessionFileIO::kCalculatedRecordSize, appendCalculatedPoint},
};

const BlockKind* kindOf(unsigned char tag) {
    for (const BlockKind& kind : kKinds) {
        if (static_cast<unsigned char>(kind.tag) == tag) {
            return &kind;
        }
    }
    return nullptr;
}

struct FileCloser {
    void operator()(std::FILE* file) const { std::fclose(file); }
};
using FilePtr = std::unique_ptr<std::FILE, FileCloser>;

// Reading never needs write access, so a read-only file opens as well as any other.
// Only a regular file is opened: a FIFO would wait for a writer.
FilePtr openForReading(const std::string& name) {
    RegularFile regular = RegularFile::open(name.c_str());
    if (!regular) {
        return nullptr;
    }
    FilePtr file(::fdopen(regular.fd(), "rb"));
    if (file) {
        regular.release();
    }
    return file;
}

// The file's bytes in large reads, handed out a record at a time straight from the
// buffer (records are read where they lie, not copied out one by one). The buffer is as
// large as the file, within bounds: memory stays small whatever the file's size.
class FileBytes {
public:
    explicit FileBytes(std::FILE* file)
        : file_(file), size_(bufferSizeFor(file)),
          buffer_(std::make_unique_for_overwrite<unsigned char[]>(size_)) {}

    // The next `size` bytes, fewer only where the file ends.
    std::span<const unsigned char> next(std::size_t size) {
        if (end_ - at_ < size) {
            refill();
        }
        const std::size_t taken = std::min(size, end_ - at_);
        const std::span<const unsigned char> bytes(buffer_.get() + at_, taken);
        at_ += taken;
        return bytes;
    }

private:
    static constexpr std::size_t kSmallest = 1024; // more than any header and record
    static constexpr std::size_t kLargest = 256 * 1024;

    static std::size_t bufferSizeFor(std::FILE* file) {
        struct stat info {};
        const std::size_t fileSize = ::fstat(::fileno(file), &info) == 0 && info.st_size > 0
                                         ? static_cast<std::size_t>(info.st_size)
                                         : 0;
        return std::clamp(fileSize, kSmallest, kLargest);
    }

    // Keeps what is left and fills the rest of the buffer, as far as the file goes.
    void refill() {
        std::memmove(buffer_.get(), buffer_.get() + at_, end_ - at_);
        end_ -= at_;
        at_ = 0;
        while (end_ < size_ && !ended_) {
            const std::size_t got = std::fread(buffer_.get() + end_, 1, size_ - end_, file_);
            end_ += got;
            ended_ = got == 0;
        }
    }

    std::FILE* file_;
    std::size_t size_;
    std::unique_ptr<unsigned char[]> buffer_;
    std::size_t at_ = 0;
    std::size_t end_ = 0;
    bool ended_ = false;
};

// Appends the records of every block, as far as the file goes. The count is only
// believed record by record: a count larger than the file reads what is there and
// stops, a negative one reads nothing, and no memory is set aside for it. Only the
// first byte of a tag tells the kind; a header with another tag is passed over on its
// own, and the next 8 bytes are taken as the next header. True when the blocks account
// for the file's bytes exactly: every tag one of the five, every count whole and
// within the file, nothing after the last block.
bool readBlocks(FileBytes& bytes, LSession_t& session, ReadReport& report) {
    bool wellFormed = true;
    for (;;) {
        const std::span<const unsigned char> header = bytes.next(SessionFileIO::kHeaderSize);
        if (header.size() != SessionFileIO::kHeaderSize) {
            return wellFormed && header.empty();
        }
        std::int32_t tag = 0;
        std::int32_t count = 0;
        RecordReader fields(header.data(), header.size());
        fields.int32(tag);
        fields.int32(count);
        const BlockKind* kind = kindOf(header[0]);
        if (kind == nullptr || tag != kind->tag || count < 0) {
            wellFormed = false;
        }
        if (kind == nullptr) {
            continue;
        }
        for (std::int32_t i = 0; i < count; ++i) {
            const std::span<const unsigned char> got = bytes.next(kind->recordSize);
            RecordReader record(got.data(), got.size());
            kind->append(record, session, report);
            if (got.size() < kind->recordSize) {
                return false; // the file ended inside this block
            }
        }
    }
}

void showFileError(const char* caption) {
    MessageBoxA(nullptr, "Error cannot read file.", caption, MB_OK | MB_ICONERROR);
}

} // namespace

SessionFileIO::SessionFileIO() {
    for (std::size_t i = 0; i < headers_.size(); ++i) {
        headers_[i] = {kTags[i], 0};
    }
}

namespace {

// A failed save keeps the message users know and adds which file and why.
bool saveFailed(const std::string& path, const std::string& reason, std::string* error) {
    const std::string text = "Error cannot read file.\n" + path + ": " + reason;
    MessageBoxA(nullptr, text.c_str(), kSessionFileName, MB_OK | MB_ICONERROR);
    if (error != nullptr) {
        *error = reason;
    }
    return false;
}

} // namespace

bool SessionFileIO::write(const LSession_t& session, const std::string& path, std::string* error) {
    const std::size_t sizes[5] = {session.meshes.size(), session.sounds.size(),
                                  session.relations.size(), session.dottedPoints.size(),
                                  session.calculatedPoints.size()};
    for (std::size_t i = 0; i < headers_.size(); ++i) {
        if (sizes[i] > static_cast<std::size_t>(INT32_MAX)) {
            return saveFailed(path, "more elements than the file can hold", error);
        }
        headers_[i].count = static_cast<std::int32_t>(sizes[i]);
    }
    AtomicFileWriter out(path);
    RecordWriter record(out);
    auto header = [&](std::size_t i) {
        record.int32(headers_[i].tag).int32(headers_[i].count).end();
    };
    header(0);
    for (const SessionXfile& mesh : session.meshes) {
        record.float32(mesh.x).float32(mesh.y).float32(mesh.z).float32(mesh.yaw);
        record.float32(mesh.radius).name(mesh.name).end();
    }
    header(1);
    for (const SessionSound& sound : session.sounds) {
        record.name(sound.name).end();
    }
    header(2);
    for (const SessionRelation& relation : session.relations) {
        record.name(relation.xfile1).name(relation.xfile2).name(relation.wavfile).end();
    }
    header(3);
    for (const LPoint_t& point : session.dottedPoints) {
        record.int32(point.index).float32(point.x).float32(point.y).end();
    }
    header(4);
    for (const LPoint_t& point : session.calculatedPoints) {
        record.int32(point.index).float32(point.x).float32(point.y).float32(point.z);
        record.float32(point.pitch).end();
    }
    if (!out.commit()) {
        return saveFailed(path, out.error(), error);
    }
    return true;
}

bool SessionFileIO::read(const std::string& name, LSession_t& session) {
    const FilePtr file = openForReading(name);
    if (!file) {
        showFileError(name.c_str());
        return false;
    }
    ReadReport report(name);
    FileBytes bytes(file.get());
    if (!readBlocks(bytes, session, report)) {
        report.damaged();
    }
    report.show();
    return true;
}
