// Reading a replay file: every line is checked, and the first one that is not what the
// format says ends the reading with the reason; nothing of a bad file is used. A file is
// read a piece at a time, so that whatever it holds, no more than a line of it is in
// memory beyond what the replay keeps.
#include <algorithm>
#include <cerrno>
#include <charconv>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <limits>
#include <utility>

#include "files/ReplayFile.h"
#include "win32/regular_file.h"

namespace {

constexpr std::string_view kMagic = "tumbleway-replay";

// The longest line a replay file may have. Its lines are short: 16 numbers and a mesh's
// name, or a frame's few input calls.
constexpr std::size_t kLongestLine = 64 * 1024;
// How much of a file is read at a time.
constexpr std::size_t kReadPiece = 64 * 1024;
// The fewest bytes a frame takes ("frame 0", "pose 0" and 16 numbers) and a mesh's end
// pose ("end-pose 0", 16 numbers and a name): a header that counts more than the file
// can hold is refused before its lines are read.
constexpr std::uint64_t kLeastFrameBytes = 8 + 6 + 16 * 2 + 1;
constexpr std::uint64_t kLeastEndPoseBytes = 10 + 16 * 2 + 2;
// Every input the builder records is a key's or a stick's, -1 to 1, or a share of one.
constexpr float kLargestInput = 1;
// The engine turns the heading by at most 0.002 half-turns a frame, which a float of
// 65536 or more no longer takes: no drive ever reaches a heading beyond.
constexpr float kLargestHeading = 65536;

struct ParseError {
    std::string what;
};

// A word of the file as an error shows it: on one line, whatever bytes it holds (a NUL
// would end the text where it is shown), and not longer than a word needs to be.
std::string shown(std::string_view text) {
    constexpr std::size_t kLongest = 40;
    std::string out;
    for (const char c : text.substr(0, kLongest)) {
        const auto byte = static_cast<unsigned char>(c);
        if (byte < 0x20 || byte == 0x7F || c == '\\') {
            char escaped[5];
            std::snprintf(escaped, sizeof escaped, "\\x%02X", byte);
            out += escaped;
        } else {
            out += c;
        }
    }
    return text.size() > kLongest ? out + "..." : out;
}

// The file's lines, one at a time: from text in memory, or read from a file a piece at
// a time.
class LineSource {
public:
    enum class Got { Line, LastLine, End, TooLong };

    explicit LineSource(std::string_view text) : window_(text), size_(text.size()) {}
    explicit LineSource(RegularFile& file)
        : file_(&file), unread_(file.size()), size_(file.size()) {}

    std::uint64_t size() const { return size_; }
    // The bytes not yet taken.
    std::uint64_t left() const { return window_.size() + unread_; }

    // The next line, without its line feed, in *line until the next call. LastLine: the
    // file ends without a line feed after it.
    Got next(std::string_view* line) {
        for (;;) {
            const std::size_t end = window_.substr(0, kLongestLine + 1).find('\n');
            if (end != std::string_view::npos) {
                *line = window_.substr(0, end);
                window_.remove_prefix(end + 1);
                return Got::Line;
            }
            if (window_.size() > kLongestLine) {
                return Got::TooLong;
            }
            if (unread_ == 0) {
                *line = std::exchange(window_, {});
                return line->empty() ? Got::End : Got::LastLine;
            }
            readPiece();
        }
    }

    // The next `count` bytes and the line feed after them, in *out; false when the file
    // ends first or holds something else after them. Nothing is made larger than what
    // is left of the file.
    bool take(std::uint64_t count, std::string* out) {
        if (count >= left()) {
            return false;
        }
        out->clear();
        out->reserve(static_cast<std::size_t>(count));
        while (out->size() < count) {
            if (window_.empty()) {
                readPiece();
            }
            const std::size_t piece = std::min<std::uint64_t>(window_.size(), count - out->size());
            out->append(window_.substr(0, piece));
            window_.remove_prefix(piece);
        }
        if (window_.empty()) {
            readPiece();
        }
        if (window_[0] != '\n') {
            return false;
        }
        window_.remove_prefix(1);
        return true;
    }

private:
    // What is left of the window, then the next piece of the file.
    void readPiece() {
        buffer_.erase(0, buffer_.size() - window_.size());
        const std::size_t kept = buffer_.size();
        const auto piece = static_cast<std::size_t>(std::min<std::uint64_t>(kReadPiece, unread_));
        buffer_.resize(kept + piece);
        if (file_ == nullptr || !file_->readExactly(buffer_.data() + kept, piece)) {
            throw ParseError{"it could not be read to its end"};
        }
        unread_ -= piece;
        window_ = buffer_;
    }

    RegularFile* file_ = nullptr;
    std::string buffer_;
    std::string_view window_; // the bytes read and not yet taken
    std::uint64_t unread_ = 0;
    std::uint64_t size_ = 0;
};

class ReplayParser {
public:
    explicit ReplayParser(LineSource& source) : source_(source) {}

    Replay parse() {
        Replay replay;
        readVersion();
        replay.heading = heading(field("heading", 1)[1]);
        replay.controlled = index(field("controlled", 1)[1]);
        const std::size_t frames = held(count(field("frames", 1)[1]), kLeastFrameBytes, "frames");
        const std::size_t meshes = held(count(field("meshes", 1)[1]), kLeastEndPoseBytes, "meshes");
        if (meshes == 0 || static_cast<std::size_t>(replay.controlled) >= meshes) {
            fail("the controlled mesh " + std::to_string(replay.controlled) +
                 " is not one of the " + std::to_string(meshes) + " placed meshes");
        }
        replay.sceneText = scene(count(field("scene", 1)[1]));
        for (std::size_t frame = 0; frame < frames; ++frame) {
            replay.frames.push_back(readFrame(frame, frames));
        }
        for (std::size_t mesh = 0; mesh < meshes; ++mesh) {
            replay.endPoses.push_back(readEndPose(mesh, meshes));
        }
        const std::string_view last = line("the line \"end\"");
        if (last != "end") {
            fail(startsWith(last, "end-pose")
                     ? "more end poses than the " + std::to_string(meshes) +
                           " meshes its header gives"
                     : "expected \"end\"");
        }
        if (source_.left() != 0) {
            fail("text after the end");
        }
        return replay;
    }

    [[noreturn]] void fail(const std::string& what) const {
        throw ParseError{"line " + std::to_string(lineNumber_) + ": " + what};
    }

private:
    static bool startsWith(std::string_view text, std::string_view start) {
        return text.substr(0, start.size()) == start &&
               (text.size() == start.size() || text[start.size()] == ' ');
    }

    // The next line, without its line feed. A file that ends before it, or ends in the
    // middle of it, was cut short: `what` says what was still missing.
    std::string_view line(const std::string& what) {
        ++lineNumber_;
        std::string_view text;
        switch (source_.next(&text)) {
        case LineSource::Got::End:
            throw ParseError{"the file is cut short: " + what + " is missing"};
        case LineSource::Got::TooLong:
            throw ParseError{"line " + std::to_string(lineNumber_) + " is longer than the " +
                             std::to_string(kLongestLine) + " bytes a line may have"};
        case LineSource::Got::LastLine:
            // Only the last line may do without its line feed, and only when complete.
            if (text != "end") {
                throw ParseError{"the file is cut short in line " + std::to_string(lineNumber_)};
            }
            break;
        case LineSource::Got::Line:
            break;
        }
        return text;
    }

    // A count of the header, which the rest of the file must be large enough to hold.
    std::size_t held(std::size_t count, std::uint64_t leastBytes, const std::string& what) const {
        if (count > source_.left() / leastBytes) {
            fail(std::to_string(count) + " " + what + " are more than a file of " +
                 std::to_string(source_.size()) + " bytes can hold");
        }
        return count;
    }

    // The words of a line, one space between each.
    std::vector<std::string_view> words(std::string_view text) const {
        std::vector<std::string_view> out;
        for (;;) {
            const std::size_t space = text.find(' ');
            out.push_back(text.substr(0, space));
            if (out.back().empty()) {
                fail("expected one space between the words of a line");
            }
            if (space == std::string_view::npos) {
                return out;
            }
            text.remove_prefix(space + 1);
        }
    }

    // A line "key value ...", with the given number of values.
    std::vector<std::string_view> field(std::string_view key, std::size_t values) {
        const std::vector<std::string_view> w =
            words(line("the line \"" + std::string(key) + "\""));
        if (w[0] != key || w.size() != values + 1) {
            fail("expected \"" + std::string(key) + "\" and " +
                 (values == 1 ? "a value" : std::to_string(values) + " values"));
        }
        return w;
    }

    void readVersion() {
        const std::string_view first = line("the first line");
        if (!startsWith(first, kMagic)) {
            throw ParseError{"this is not a replay file (it does not start with \"" +
                             std::string(kMagic) + "\")"};
        }
        const std::string_view version =
            first.substr(kMagic.size() + (first.size() > kMagic.size()));
        int number = 0;
        const auto [end, error] =
            std::from_chars(version.data(), version.data() + version.size(), number);
        if (error != std::errc() || end != version.data() + version.size()) {
            fail("expected the version of the format after \"" + std::string(kMagic) + "\"");
        }
        if (number != kReplayFormatVersion) {
            fail("the file is in version " + shown(version) +
                 " of the replay format; this program reads version " +
                 std::to_string(kReplayFormatVersion));
        }
    }

    float number(std::string_view text) const {
        float value = 0;
        const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
        if (error != std::errc() || end != text.data() + text.size()) {
            fail("\"" + shown(text) + "\" is not a number");
        }
        if (!std::isfinite(value)) {
            fail("\"" + shown(text) + "\" is not a finite number");
        }
        return value;
    }

    float heading(std::string_view text) const {
        const float value = number(text);
        if (std::fabs(value) > kLargestHeading) {
            fail("the heading " + shown(text) + " is not within " +
                 std::to_string(static_cast<int>(kLargestHeading)) +
                 " half-turns of 0, where every drive's heading stays");
        }
        return value;
    }

    float input(std::string_view text) const {
        const float value = number(text);
        if (std::fabs(value) > kLargestInput) {
            fail("the input " + shown(text) + " is not between -1 and 1, as every input is");
        }
        return value;
    }

    std::size_t count(std::string_view text) const {
        std::size_t value = 0;
        const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
        if (error != std::errc() || end != text.data() + text.size()) {
            fail("\"" + shown(text) + "\" is not a count");
        }
        return value;
    }

    int index(std::string_view text) const {
        const std::size_t value = count(text);
        if (value > static_cast<std::size_t>(std::numeric_limits<int>::max())) {
            fail("\"" + shown(text) + "\" is too large");
        }
        return static_cast<int>(value);
    }

    std::string scene(std::size_t bytes) {
        std::string text;
        if (!source_.take(bytes, &text)) {
            throw ParseError{"the file is cut short in the scene, which should be " +
                             std::to_string(bytes) + " bytes long"};
        }
        lineNumber_ += static_cast<std::size_t>(std::count(text.begin(), text.end(), '\n')) + 1;
        return text;
    }

    // Checks that a line is the next one of its kind ("frame 12"), where a line of the
    // wrong kind tells that the header's count does not match the lines.
    void expectNumbered(const std::vector<std::string_view>& w, std::string_view key,
                        std::size_t expected, std::size_t total, std::string_view group) {
        if (w[0] != key) {
            fail("the file holds " + std::to_string(expected) + " " + std::string(group) +
                 ", but its header says " + std::to_string(total));
        }
        if (w.size() < 2 || count(w[1]) != expected) {
            fail("expected \"" + std::string(key) + " " + std::to_string(expected) + "\"");
        }
    }

    ReplayMatrix matrix(const std::vector<std::string_view>& w, std::size_t first) const {
        ReplayMatrix m{};
        for (std::size_t i = 0; i < m.size(); ++i) {
            m[i] = number(w[first + i]);
        }
        return m;
    }

    ReplayFrame readFrame(std::size_t frame, std::size_t frames) {
        ReplayFrame out;
        const std::vector<std::string_view> inputs =
            words(line("frame " + std::to_string(frame) + " of " + std::to_string(frames)));
        expectNumbered(inputs, "frame", frame, frames, "frames");
        if (inputs.size() % 2 != 0) {
            fail("expected pairs of an input and its value after \"frame " + std::to_string(frame) +
                 "\"");
        }
        for (std::size_t i = 2; i < inputs.size(); i += 2) {
            ReplayInput input;
            if (!inputCallNamed(inputs[i], &input.call)) {
                fail("\"" + shown(inputs[i]) + "\" is not an input");
            }
            input.value = this->input(inputs[i + 1]);
            out.inputs.push_back(input);
        }
        const std::vector<std::string_view> pose =
            words(line("the pose of frame " + std::to_string(frame)));
        if (pose[0] != "pose" || pose.size() != 18) {
            fail("expected \"pose " + std::to_string(frame) + "\" and 16 numbers");
        }
        expectNumbered(pose, "pose", frame, frames, "poses");
        out.controlledPose = matrix(pose, 2);
        return out;
    }

    ReplayEndPose readEndPose(std::size_t mesh, std::size_t meshes) {
        const std::string_view text = line("the end pose of mesh " + std::to_string(mesh));
        if (startsWith(text, "frame")) {
            fail("more frames than its header says");
        }
        // Eighteen words, then the name (which may hold spaces) after one more space.
        std::size_t space = std::string_view::npos;
        std::size_t from = 0;
        for (int word = 0; word < 18; ++word) {
            space = text.find(' ', from);
            if (space == std::string_view::npos) {
                break;
            }
            from = space + 1;
        }
        const std::vector<std::string_view> w = words(text.substr(0, space));
        expectNumbered(w, "end-pose", mesh, meshes, "end poses");
        if (w.size() != 18 || space == std::string_view::npos) {
            fail("expected \"end-pose " + std::to_string(mesh) + "\", 16 numbers and a name");
        }
        return {name(text.substr(space + 1)), matrix(w, 2)};
    }

    std::string name(std::string_view text) const {
        std::string out;
        for (std::size_t i = 0; i < text.size(); ++i) {
            if (text[i] != '%') {
                out += text[i];
                continue;
            }
            unsigned byte = 0;
            const char* digits = text.data() + i + 1;
            const auto [end, error] =
                i + 3 <= text.size() ? std::from_chars(digits, digits + 2, byte, 16)
                                     : std::from_chars_result{digits, std::errc::invalid_argument};
            if (error != std::errc() || end != digits + 2) {
                fail("a '%' in a name must be followed by two hex digits");
            }
            out += static_cast<char>(byte);
            i += 2;
        }
        return out;
    }

    LineSource& source_;
    std::size_t lineNumber_ = 0;
};

ReplayRead parseReplay(LineSource& source) {
    try {
        return {ReplayParser(source).parse(), {}};
    } catch (const ParseError& error) {
        return {std::nullopt, error.what};
    }
}

} // namespace

ReplayRead parseReplay(std::string_view text) {
    LineSource source(text);
    return parseReplay(source);
}

ReplayRead readReplayFile(const std::string& path) {
    RegularFile file = RegularFile::open(path.c_str());
    if (!file) {
        const int error = file.error();
        return {std::nullopt, error == RegularFile::kNotRegular ? "it is not a regular file"
                              : error == ENOENT                 ? "there is no such file"
                                                                : std::strerror(error)};
    }
    LineSource source(file);
    return parseReplay(source);
}
