#pragma once

#include <filesystem>
#include <utility>
#include <vector>

// What the arrow keys give in one frame: turn and move, each -1..1 as the keys give them.
struct FrameInput {
    float turn = 0;
    float move = 0;
};

// The input of the frames that have any, in frame order, one entry a frame. (A soak's
// script holds a line for each of a million frames: a map of them took 60 MB.)
using InputScript = std::vector<std::pair<int, FrameInput>>;

// Reads lines "frame,turn,move" (frame 0 or more), in any order; of two lines for one
// frame the later counts. Blank lines and lines that start with '#' are passed over. Throws a
// RunError naming the file and line of the first line that is not of that form, or when the file
// cannot be read.
InputScript readInputScript(const std::filesystem::path& path);

// Makes the input calls the builder's key mapping makes on that tab.
void applyInput(int tab, const FrameInput& input);
