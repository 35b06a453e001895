#pragma once

#include <string>

#include "files/SceneExtras.h"
#include "tumbleway/tumbleway.h"

// The XML simulation file: a whole scene (meshes, bitmaps, sounds, sound relations,
// dotted and calculated points) in a small tab-indented document.

// Writes the scene to path. The file appears complete or not at all: a failed save
// leaves whatever was at path before untouched and shows nothing; it puts the reason,
// in words for the user, in *error when error is given.
// extras, when given, adds a "lift" element to each raised mesh.
bool writeSimulationFile(const LSession_t& session, const std::string& path,
                         std::string* error = nullptr, const SceneExtras* extras = nullptr);

// The file's text, as writeSimulationFile writes it: two scenes are the same scene when
// their texts are equal.
std::string simulationFileText(const LSession_t& session, const SceneExtras* extras = nullptr);

// The pugixml options the reader parses with: whitespace-only text is kept (the
// writer's layout is part of the text of the elements) and the text that opens an
// element is kept as its value rather than as a node of its own.
extern const unsigned kSimulationFileParseOptions;

// Appends what the file holds to the session's lists. Problems are shown in message
// boxes (caption "error"), naming the file by `name` where they name a file. A mesh,
// bitmap or point with a number that is not finite is left out, and the elements left
// out are counted in one message. False when the file could not be read at all or has
// no "Session"; elements already appended stay either way.
// extras, when given, receives the lift of every mesh appended (0 where the file has
// none); a lift that is not finite leaves its mesh out like any other such number.
bool readSimulationFile(const std::string& name, LSession_t& session,
                        SceneExtras* extras = nullptr);

// Reads a scene from the text of a simulation file, as readSimulationFile reads the
// file's bytes (the same messages, naming the text by `name`).
bool readSimulationText(std::string text, const std::string& name, LSession_t& session,
                        SceneExtras* extras = nullptr);
