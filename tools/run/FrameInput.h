#pragma once

#include <filesystem>
#include <map>

// What the arrow keys give in one frame: turn and move, each -1..1 as the keys give them.
struct FrameInput {
    float turn = 0;
    float move = 0;
};

// frame -> input.
using InputScript = std::map<int, FrameInput>;

// Reads lines "frame,turn,move" (frame 0 or more); blank lines and lines that start with
// '#' are passed over. Throws a RunError naming the file and line of the first line that
// is not of that form, or when the file cannot be read.
InputScript readInputScript(const std::filesystem::path& path);

// Makes the input calls the builder's key mapping makes on that tab.
void applyInput(int tab, const FrameInput& input);
