#pragma once

#include <functional>
#include <list>
#include <string>
#include <vector>

#include "files/SceneExtras.h"
#include "tumbleway/tumbleway.h"

// What a scene names whose files could not be loaded when it was opened: placed meshes
// (with what each carries beyond the record), placed bitmaps, sounds and the sound
// relations whose sound is missing. The builder keeps them beside the course, so that
// every save writes them back: a save never drops what it could not show.
struct MissingAssets {
    std::list<SessionXfile> meshes;
    std::vector<TwxMeshExtra> meshExtras; // one for each of meshes
    std::list<SessionBitmap> bitmaps;
    std::list<SessionSound> sounds;
    std::list<SessionRelation> relations;

    bool empty() const;
    // The files they name, each once, in the order of the lists.
    std::vector<std::string> fileNames() const;
};

// The files a scene names (meshes, bitmaps, sounds, relations' sounds), each once.
std::vector<std::string> sceneFileNames(const LSession_t& record);

// Takes out of the record, and out of its extras, every element naming a file that
// `found` does not find.
MissingAssets takeMissing(LSession_t& record, SceneExtras& extras,
                          const std::function<bool(const std::string& name)>& found);

// Adds to missing the elements of `given` that the engine's course `restored` (made
// from `given`) does not hold: those whose files were found but did not load.
void addDropped(const LSession_t& given, const SceneExtras& givenExtras, const LSession_t& restored,
                MissingAssets& missing);

// Appends the missing elements to a record and its extras, as a save writes them.
void appendMissing(const MissingAssets& missing, LSession_t& record, SceneExtras& extras);
