// The replay file's text, written so that every number reads back bit for bit.
#include <charconv>
#include <cstdio>

#include "files/ReplayFile.h"
#include "filewrite/AtomicFileWriter.h"

namespace {

constexpr std::string_view kCallNames[] = {"angle", "move", "angle-play", "move-play", "rl", "ud"};

// The shortest text that reads back as exactly this float.
void appendNumber(std::string& out, float value) {
    char buffer[32];
    const auto [end, error] = std::to_chars(buffer, buffer + sizeof buffer, value);
    out.append(buffer, error == std::errc() ? end : buffer);
}

void appendMatrix(std::string& out, const ReplayMatrix& matrix) {
    for (const float value : matrix) {
        out += ' ';
        appendNumber(out, value);
    }
}

// A name stays on its line: line breaks, other control characters and '%' are written
// as '%' and two hex digits.
void appendName(std::string& out, std::string_view name) {
    for (const char c : name) {
        const auto byte = static_cast<unsigned char>(c);
        if (byte < 0x20 || byte == 0x7F || c == '%') {
            char escaped[4];
            std::snprintf(escaped, sizeof escaped, "%%%02X", byte);
            out += escaped;
        } else {
            out += c;
        }
    }
}

} // namespace

std::string_view inputCallName(InputCall call) {
    return kCallNames[static_cast<std::size_t>(call)];
}

bool inputCallNamed(std::string_view name, InputCall* call) {
    for (std::size_t i = 0; i < std::size(kCallNames); ++i) {
        if (kCallNames[i] == name) {
            *call = static_cast<InputCall>(i);
            return true;
        }
    }
    return false;
}

std::string replayText(const Replay& replay) {
    std::string out = "tumbleway-replay " + std::to_string(kReplayFormatVersion) + "\nheading ";
    appendNumber(out, replay.heading);
    out += "\ncontrolled " + std::to_string(replay.controlled);
    out += "\nframes " + std::to_string(replay.frames.size());
    out += "\nmeshes " + std::to_string(replay.endPoses.size());
    out += "\nscene " + std::to_string(replay.sceneText.size()) + "\n";
    out += replay.sceneText;
    out += '\n';
    for (std::size_t frame = 0; frame < replay.frames.size(); ++frame) {
        const ReplayFrame& recorded = replay.frames[frame];
        out += "frame " + std::to_string(frame);
        for (const ReplayInput& input : recorded.inputs) {
            out += ' ';
            out += inputCallName(input.call);
            out += ' ';
            appendNumber(out, input.value);
        }
        out += "\npose " + std::to_string(frame);
        appendMatrix(out, recorded.controlledPose);
        out += '\n';
    }
    for (std::size_t mesh = 0; mesh < replay.endPoses.size(); ++mesh) {
        out += "end-pose " + std::to_string(mesh);
        appendMatrix(out, replay.endPoses[mesh].world);
        out += ' ';
        appendName(out, replay.endPoses[mesh].name);
        out += '\n';
    }
    out += "end\n";
    return out;
}

bool writeReplayFile(const Replay& replay, const std::string& path, std::string* error) {
    AtomicFileWriter out(path);
    out.write(replayText(replay));
    if (out.commit()) {
        return true;
    }
    if (error != nullptr) {
        *error = out.error();
    }
    return false;
}
