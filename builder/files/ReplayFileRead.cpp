// Reading a replay file: every line is checked, and the first one that is not what the
// format says ends the reading with the reason; nothing of a bad file is used.
#include <cerrno>
#include <charconv>
#include <cmath>
#include <cstring>
#include <limits>
#include <utility>

#include "files/ReplayFile.h"
#include "win32/regular_file.h"

namespace {

constexpr std::string_view kMagic = "tumbleway-replay";

struct ParseError {
    std::string what;
};

class ReplayParser {
public:
    explicit ReplayParser(std::string_view text) : rest_(text) {}

    Replay parse() {
        Replay replay;
        readVersion();
        replay.heading = number(field("heading", 1)[1]);
        replay.controlled = index(field("controlled", 1)[1]);
        const std::size_t frames = count(field("frames", 1)[1]);
        const std::size_t meshes = count(field("meshes", 1)[1]);
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
        if (!rest_.empty()) {
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
        if (rest_.empty()) {
            throw ParseError{"the file is cut short: " + what + " is missing"};
        }
        const std::size_t end = rest_.find('\n');
        const std::string_view text = rest_.substr(0, end);
        // Only the last line may do without its line feed, and only when it is complete.
        if (end == std::string_view::npos && text != "end") {
            throw ParseError{"the file is cut short in line " + std::to_string(lineNumber_)};
        }
        rest_.remove_prefix(end == std::string_view::npos ? rest_.size() : end + 1);
        return text;
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
            fail("the file is in version " + std::string(version) +
                 " of the replay format; this program reads version " +
                 std::to_string(kReplayFormatVersion));
        }
    }

    float number(std::string_view text) const {
        float value = 0;
        const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
        if (error != std::errc() || end != text.data() + text.size()) {
            fail("\"" + std::string(text) + "\" is not a number");
        }
        if (!std::isfinite(value)) {
            fail("\"" + std::string(text) + "\" is not a finite number");
        }
        return value;
    }

    std::size_t count(std::string_view text) const {
        std::size_t value = 0;
        const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
        if (error != std::errc() || end != text.data() + text.size()) {
            fail("\"" + std::string(text) + "\" is not a count");
        }
        return value;
    }

    int index(std::string_view text) const {
        const std::size_t value = count(text);
        if (value > static_cast<std::size_t>(std::numeric_limits<int>::max())) {
            fail("\"" + std::string(text) + "\" is too large");
        }
        return static_cast<int>(value);
    }

    std::string scene(std::size_t bytes) {
        if (bytes >= rest_.size() || rest_[bytes] != '\n') {
            throw ParseError{"the file is cut short in the scene, which should be " +
                             std::to_string(bytes) + " bytes long"};
        }
        const std::string_view text = rest_.substr(0, bytes);
        for (const char c : text) {
            lineNumber_ += c == '\n' ? 1 : 0;
        }
        ++lineNumber_;
        rest_.remove_prefix(bytes + 1);
        return std::string(text);
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
                fail("\"" + std::string(inputs[i]) + "\" is not an input");
            }
            input.value = number(inputs[i + 1]);
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

    std::string_view rest_;
    std::size_t lineNumber_ = 0;
};

} // namespace

ReplayRead parseReplay(std::string_view text) {
    try {
        return {ReplayParser(text).parse(), {}};
    } catch (const ParseError& error) {
        return {std::nullopt, error.what};
    }
}

ReplayRead readReplayFile(const std::string& path) {
    RegularFile file = RegularFile::open(path.c_str());
    if (!file) {
        const int error = file.error();
        return {std::nullopt, error == RegularFile::kNotRegular ? "it is not a regular file"
                              : error == ENOENT                 ? "there is no such file"
                                                                : std::strerror(error)};
    }
    std::string text;
    if (file.size() > text.max_size()) {
        return {std::nullopt, "it is too large"};
    }
    text.resize(static_cast<std::size_t>(file.size()));
    if (!file.readExactly(text.data(), text.size())) {
        return {std::nullopt, "it could not be read to its end"};
    }
    return parseReplay(text);
}
