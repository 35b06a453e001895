#pragma once

#include <optional>
#include <string>

// What tumbleway-run was asked to do.
struct RunOptions {
    std::string scene; // .xml or .sim; empty: no scene
    int frames = 1;
    bool framesGiven = false;
    int tab = 0; // 0 Play, 1 Edit, 2 MakeField, 3 ViewParts
    bool tabGiven = false;
    int width = 640;
    int height = 480;
    std::string input;      // CSV of frame,turn,move
    std::string screenshot; // PNG of the last frame
    std::string trace;      // CSV of every placement per frame
    std::string replay;     // a recorded drive to play again; empty: none
    std::string dataFolder; // folder holding data/; empty: found automatically
    // The placed mesh the input pushes, by its index in the trace; -1: none. Unset: the
    // course's last placed mesh, as in the builder.
    std::optional<int> control;
    bool check = false;   // check the scene's course and report what is wrong with it
    std::string picture;  // PNG of the course from above with the check's findings
    std::string gltf;     // glTF binary file of the course after the last frame
    std::string preview;  // a mesh file shown alone in the ViewParts tab; empty: none
    bool render = true;   // draw every frame, not only the last
    bool verbose = false; // the libraries' own warnings on the terminal, not in the log
    bool help = false;
};

// The options, or the reason they could not be read.
struct ParsedOptions {
    std::optional<RunOptions> options;
    std::string error;
};

ParsedOptions parseOptions(int argc, const char* const* argv);

extern const char* const kUsage;
