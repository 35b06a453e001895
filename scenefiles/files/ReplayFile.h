#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

// A recorded drive, as the replay file keeps it: the scene as it was when the recording
// started (the text of its XML simulation file), the heading and the controlled mesh
// then, every frame's input calls in the order they reached the engine with the pose
// the controlled mesh was drawn with after that frame, and the pose every placed mesh
// was drawn with after the last frame. The engine's step gives the same result for the
// same inputs, so playing the calls again on the same scene gives the same poses, bit
// for bit. docs/file-formats.md describes the text.

// The engine's six input setters (builder/input/InputSink.h), as the file names them.
enum class InputCall : std::uint8_t { Angle, Move, AnglePlay, MovePlay, RL, UD };

struct ReplayInput {
    InputCall call = InputCall::AnglePlay;
    float value = 0;
};

// A world matrix, row by row (row vectors, the translation in the last row), as the
// engine draws a mesh with it.
using ReplayMatrix = std::array<float, 16>;

struct ReplayFrame {
    std::vector<ReplayInput> inputs;
    ReplayMatrix controlledPose{};
};

struct ReplayEndPose {
    std::string name; // the mesh's file name
    ReplayMatrix world{};
};

struct Replay {
    std::string sceneText;
    float heading = 0;  // half-turns, as the engine keeps it
    int controlled = 0; // the index of the mesh the input drives, among the placed meshes
    std::vector<ReplayFrame> frames;
    std::vector<ReplayEndPose> endPoses; // one per placed mesh, in the course's order
};

inline constexpr int kReplayFormatVersion = 1;
// What a replay file's name ends in.
inline constexpr const char* kReplayExtension = "replay";

// The file's text. Numbers are written so that they read back bit for bit.
std::string replayText(const Replay& replay);

// Writes the file so that it appears complete or not at all; false with the reason, in
// words for the user, in *error.
bool writeReplayFile(const Replay& replay, const std::string& path, std::string* error);

// A replay as read, or why the text is none: "line 7: ..." or a sentence about the whole.
struct ReplayRead {
    std::optional<Replay> replay;
    std::string error;
};

ReplayRead parseReplay(std::string_view text);
// Reads the file (only a regular file is opened); the error does not name the file.
ReplayRead readReplayFile(const std::string& path);

// The name the file gives an input call, and back; false for a name it does not know.
std::string_view inputCallName(InputCall call);
bool inputCallNamed(std::string_view name, InputCall* call);
