#pragma once

#include <string>
#include <string_view>

#include "filewrite/UniqueFd.h"

// A save writes to a temporary file in its target's folder, named ".tumbleway-save-"
// and six letters or digits: a name that fits beside a target of any length and that
// any later save recognises. The save holds a lock (flock) on the file for as long as
// it lives, so a file of that name nobody holds was left by a save that was cut off.

bool isTemporarySaveName(std::string_view name);

struct TemporarySaveFile {
    UniqueFd fd; // open for writing, and locked
    std::string path;
    int error = 0; // the errno value when no file could be made
};

// Makes a new, empty, locked temporary file in folder.
TemporarySaveFile makeTemporarySaveFile(const std::string& folder);

// Removes from folder the temporary files no live save holds. Every save does this in
// its target's folder; the builder can do it for its own folder at start.
void removeStaleSaveFiles(const std::string& folder);
