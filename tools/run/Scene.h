#pragma once

#include <filesystem>
#include <optional>
#include <string>

#include "files/SceneExtras.h"
#include "tumbleway/tumbleway.h"

// Opening a scene as the builder's open command does. The scene's folder becomes the
// current one and the file is read by its name there, so that its meshes, bitmaps and
// sounds are found beside it.

// A scene as its file holds it: the record the engine takes, and the lifts of its
// raised meshes (XML files only).
struct SceneFile {
    LSession_t session;
    SceneExtras extras;
};

// Reads the scene file (absolute path; .xml or .sim). Throws a RunError when the file
// cannot be reached or the reader could not read it at all; the reader's other
// messages are shown.
SceneFile readScene(const std::filesystem::path& scene);

// Hands the session to the engine as its current course, in the scene's folder, and
// makes the placed mesh `control` the one the input pushes (-1: none; unset: the
// course's last placed mesh, as the builder does). Throws a RunError when there is no
// such mesh.
void openScene(SceneFile& scene, const std::filesystem::path& folder, std::optional<int> control);
