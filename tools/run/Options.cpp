#include "Options.h"

#include <charconv>
#include <cstring>
#include <string_view>

const char* const kUsage = R"(Usage: tumbleway-run [SCENE] [options]
       tumbleway-run --replay FILE [--scene SCENE] [options]

Runs the Tumbleway engine without a window: opens SCENE (an XML simulation file
or a binary .sim session file) as the builder's open command does, shows the
chosen tab, runs frames and writes what it saw.

Options:
  --frames N          frames to run (default 1)
  --tab NAME          play, edit, makefield or viewparts (default play)
  --size WxH          size of the view in pixels (default 640x480)
  --input FILE        per-frame input: lines "frame,turn,move" (turn and move as
                      the arrow keys give them, -1..1); frames not listed get none
  --control N         the placed mesh the input pushes and turns: its index, as
                      the trace numbers them; "none" for no mesh (default: the
                      course's last placed mesh, as in the builder)
  --screenshot FILE   write the last frame as a PNG picture
  --trace FILE        write a CSV of every placed mesh's pose per frame
  --export-gltf FILE  after the last frame, write the course as a glTF 2.0
                      binary file (.glb) for Blender, Godot and other tools: the
                      road, edges, banks, field strips and inner field with their
                      pictures, every placed mesh where it stands, and the placed
                      bitmaps as upright quads facing along the heading; axes as
                      glTF has them (right-handed, y up, one unit a metre)
  --preview MESH       show a mesh file (.x, .glb, .gltf, .obj, .fbx, .dae, .ply,
                      .stl) alone in the viewparts tab, framed whole; with
                      --input, turn turns it about its upright axis and move tips
                      it towards the viewer; no scene is needed
  --no-render         draw only the last frame (faster for long runs)
  --check             check the scene's course as soon as it is open and report
                      on stdout what is wrong with it: strip triangles folded
                      over (facing away from above), field lying over the road,
                      a centreline or road edge that crosses itself, bends
                      tighter than the strips' widest offset on their inside,
                      and balls dropped on the road that land off its surface
  --picture FILE      with --check: write a PNG picture of the course from
                      above (of the --size) with every finding marked
  --replay FILE       play a drive recorded in the builder (a .replay file)
                      again: on its own scene (its meshes are looked up beside
                      the recording), or on SCENE when one is given. Its
                      frames, inputs and driven mesh (found by name, the n-th
                      of its name) come from the recording, so --frames,
                      --input, --control, --tab and --check do not go with it.
                      Reports on stdout how the run compares with the
                      recording (see below)
  --scene SCENE       the scene to run, as SCENE
  --data DIR          folder that holds data/ (default: the current folder, or
                      the source tree of this build)
  --verbose           show the libraries' own warnings (no sound card, ...) on the
                      terminal; without it they go to the log file
                      $XDG_STATE_HOME/Tumbleway/tumbleway-run.log
                      (~/.local/state/Tumbleway/tumbleway-run.log)
  --help              this text

The trace has a header row, "frame,index,name,x,y,z,heading", and then, after
each frame, one row per placed mesh:
  frame     the frame, from 0
  index     the mesh's place among the course's placed meshes, from 0 (the
            scene's order; meshes that could not be loaded are left out)
  name      the mesh's file name (in double quotes when it holds a comma, a
            quote or a line break)
  x,y,z     where the mesh is drawn that frame: the translation of its world
            matrix (a mesh on the course is drawn 2 above the road, whatever
            height the scene saved; what is drawn follows the road one frame
            late, so frame 0 shows the mesh where the scene put it)
  heading   where the mesh's x axis points in the ground plane, in half-turns
            from -1 to 1: heading h points along (cos(pi h), sin(pi h)) in x
            and z

A replay reports, one line each: "replayed N frames on ...", then "path: as
recorded in every frame, bit for bit" or where the driven mesh first left its
recorded path, then for every placed mesh "end INDEX NAME: exactly as recorded"
or "end INDEX NAME: D from where it ended in the recording" (meshes are paired
by name; "not in the recording" and "no longer placed" for the unpaired), and
last "result: identical to the recording" or "result: differs from the
recording".

The engine looks up meshes, bitmaps and sounds by file name in the scene's
folder, so keep them beside the scene file.

Exit status: 0 when everything asked for was done; 1 when the run failed (no
OpenGL 3.3, an output could not be written); 2 when the options, or the files
and folders they name, cannot be used; 3 when everything was done and --check
found something wrong with the course. Each failure is one line on stderr.
)";

namespace {

bool toInt(std::string_view text, int* value) {
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), *value);
    return error == std::errc() && end == text.data() + text.size();
}

int tabNamed(std::string_view name) {
    if (name == "play") {
        return 0;
    }
    if (name == "edit") {
        return 1;
    }
    if (name == "makefield") {
        return 2;
    }
    if (name == "viewparts") {
        return 3;
    }
    return -1;
}

} // namespace

ParsedOptions parseOptions(int argc, const char* const* argv) {
    RunOptions options;
    for (int i = 1; i < argc; ++i) {
        const std::string_view arg = argv[i];
        const auto value = [&](std::string_view* out) {
            if (i + 1 >= argc) {
                return false;
            }
            *out = argv[++i];
            return true;
        };
        std::string_view v;
        if (arg == "--help" || arg == "-h") {
            options.help = true;
        } else if (arg == "--no-render") {
            options.render = false;
        } else if (arg == "--verbose") {
            options.verbose = true;
        } else if (arg == "--check") {
            options.check = true;
        } else if (arg == "--frames") {
            if (!value(&v) || !toInt(v, &options.frames) || options.frames < 0) {
                return {std::nullopt, "--frames needs a whole number of 0 or more"};
            }
            options.framesGiven = true;
        } else if (arg == "--tab") {
            if (!value(&v) || (options.tab = tabNamed(v)) < 0) {
                return {std::nullopt, "--tab takes play, edit, makefield or viewparts"};
            }
            options.tabGiven = true;
        } else if (arg == "--size") {
            const auto x = value(&v) ? v.find('x') : std::string_view::npos;
            if (x == std::string_view::npos || !toInt(v.substr(0, x), &options.width) ||
                !toInt(v.substr(x + 1), &options.height) || options.width < 16 ||
                options.height < 16 || options.width > 8192 || options.height > 8192) {
                return {std::nullopt, "--size takes WIDTHxHEIGHT, each 16 to 8192"};
            }
        } else if (arg == "--control") {
            int index = -1;
            if (!value(&v) || (v != "none" && (!toInt(v, &index) || index < 0))) {
                return {std::nullopt, "--control takes the index of a placed mesh, or none"};
            }
            options.control = index;
        } else if (arg == "--input" || arg == "--screenshot" || arg == "--trace" ||
                   arg == "--data" || arg == "--picture" || arg == "--replay" || arg == "--scene" ||
                   arg == "--export-gltf" || arg == "--preview") {
            if (!value(&v)) {
                return {std::nullopt, std::string(arg) + " needs a file name"};
            }
            std::string& target = arg == "--input"         ? options.input
                                  : arg == "--screenshot"  ? options.screenshot
                                  : arg == "--trace"       ? options.trace
                                  : arg == "--picture"     ? options.picture
                                  : arg == "--export-gltf" ? options.gltf
                                  : arg == "--preview"     ? options.preview
                                  : arg == "--replay"      ? options.replay
                                  : arg == "--scene"       ? options.scene
                                                           : options.dataFolder;
            if (&target == &options.scene && !options.scene.empty()) {
                return {std::nullopt, "only one scene can be run at a time"};
            }
            target = v;
        } else if (!arg.empty() && arg[0] == '-') {
            return {std::nullopt, "unknown option " + std::string(arg)};
        } else if (options.scene.empty()) {
            options.scene = arg;
        } else {
            return {std::nullopt, "only one scene can be run at a time"};
        }
    }
    if (!options.replay.empty() && (options.framesGiven || !options.input.empty() ||
                                    options.control || options.tabGiven || options.check)) {
        return {std::nullopt, "--replay takes its frames, inputs and driven mesh from the "
                              "recording: --frames, --input, --control, --tab and --check "
                              "do not go with it"};
    }
    if (options.control.value_or(-1) >= 0 && options.scene.empty()) {
        return {std::nullopt, "--control names a placed mesh, but there is no scene"};
    }
    if (!options.preview.empty()) {
        if (!options.replay.empty() || (options.tabGiven && options.tab != 3)) {
            return {std::nullopt, "--preview shows a mesh in the viewparts tab: --replay and "
                                  "other tabs do not go with it"};
        }
        options.tab = 3;
    }
    if (!options.picture.empty() && !options.check) {
        return {std::nullopt, "--picture draws what --check finds: it needs --check"};
    }
    if (!options.gltf.empty() && options.scene.empty() && options.replay.empty()) {
        return {std::nullopt, "--export-gltf writes a scene's course, but there is no scene"};
    }
    if (options.check && options.scene.empty()) {
        return {std::nullopt, "--check checks a scene's course, but there is no scene"};
    }
    return {options, {}};
}
