#pragma once

#include <cstdint>
#include <memory>
#include <string>

#include "assets/BitmapBillboard.h"
#include "assets/mesh/MeshObject.h"
#include "assets/sound/SoundObject.h"
#include "tumbleway/tumbleway.h"

// Entries of the engine's three libraries: files the user opened, each tied to the
// host's tree item for it. An entry owns the loaded template; the placements of a
// course share a copy of the course's own (SharedMeshes).

struct XfileEntry {
    std::int32_t id = 0; // position in the library
    std::unique_ptr<MeshObject> mesh;
    float radius = 0;            // of the bounding sphere of the mesh's vertices
    D3DXVECTOR3 centre{0, 0, 0}; // of that sphere, where the preview turns the mesh about
    char name[kNameFieldSize] = {};
    HTREEITEM item = nullptr;
    std::string path; // where the mesh was found, to load it again on a new device
};

struct BitmapEntry {
    std::int32_t id = 0;
    std::unique_ptr<BitmapBillboard> bitmap;
    char name[kNameFieldSize] = {};
    HTREEITEM item = nullptr;
};

// A loaded wave sound: an entry of the sound library, or of a course's sound list
// (what its sound relations play).
struct SoundEntry {
    std::int32_t id = 0;
    std::int32_t carried[2] = {}; // travel with sessions unchanged
    std::unique_ptr<SoundObject> sound;
    std::uint8_t flag = 0;
    char name[kNameFieldSize] = {};
    HTREEITEM item = nullptr; // library entries only
};

// A sound tied to one mesh's movement (x-file2 "0") or to two meshes' collision.
using SoundRelation = SessionRelation;
