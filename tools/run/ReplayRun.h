#pragma once

#include <filesystem>
#include <string>

#include "Scene.h"
#include "drive/DrivePlayer.h"
#include "files/ReplayFile.h"

// A recorded drive played again without a window: on the scene it was recorded on (the
// text the recording holds, its meshes found beside the recording) or on another scene
// file.
struct ReplayRun {
    Replay replay;
    SceneFile scene;
    std::filesystem::path sceneFolder; // where the scene's meshes are looked up
    std::string sceneLabel;            // how the report names the scene
    bool ownScene = false;             // the scene is the one the recording holds
    int driven = -1; // the scene's mesh the recording's driven mesh pairs with, once started
};

// Reads the recording (absolute path) and the scene it is to play on: `scene` (absolute
// path) when not empty, else the recording's own. Throws a RunError that says what is
// wrong with either; nothing has been handed to the engine then.
ReplayRun readReplayRun(const std::filesystem::path& recording, const std::filesystem::path& scene);

// Opens the scene as the current course and starts the drive as it was recorded: the
// mesh that pairs with the recorded one by name driven, with the recorded heading.
// Throws a RunError when the scene places no such mesh.
void startReplayRun(ReplayRun& run);

// What the run found, for stdout: whether the driven mesh kept to its recorded path,
// bit for bit, and how far each placed mesh ended from where it ended in the recording.
std::string replayReport(const ReplayRun& run, const DriveComparison& comparison);
