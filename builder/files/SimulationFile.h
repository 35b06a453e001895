#pragma once

#include <string>

#include "tumbleway/tumbleway.h"

// The XML simulation file: a whole scene (meshes, bitmaps, sounds, sound relations,
// dotted and calculated points) in a small tab-indented document.

// Writes the scene to path. The file appears complete or not at all: a failed save
// leaves whatever was at path before untouched and tells nobody but the caller, who
// may ignore the result.
bool writeSimulationFile(const LSession_t& session, const std::string& path);

// Appends what the file holds to the session's lists. Problems are shown in message
// boxes (caption "error"). False when the file could not be read at all or has no
// "Session"; elements already appended stay either way.
bool readSimulationFile(const std::string& name, LSession_t& session);
