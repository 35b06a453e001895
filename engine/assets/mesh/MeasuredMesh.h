#pragma once

#include <memory>
#include <string>

#include "assets/mesh/MeshObject.h"
#include "d3dx9/d3dx9math.h"

// The sphere that holds a mesh's vertices. A mesh need not be built around its origin
// (one standing on it, say), so the centre is kept beside the radius.
struct MeshBounds {
    D3DXVECTOR3 centre{0, 0, 0};
    float radius = 0;
};

// A mesh as the engine draws and collides it: loaded from the file at path, converted
// to position, normal and one texture coordinate (normals computed anew), measured, and
// made on the device. *bounds is the bounding sphere of its vertices (radius 1 about
// the origin when they cannot be read). Null, with *bounds untouched, when the file
// does not load.
std::unique_ptr<MeshObject> loadMeasuredMesh(IDirect3DDevice9* device, const std::string& path,
                                             MeshBounds* bounds);

// The same into a mesh that exists (replacing what it held), as when the device is made
// anew. False, with the mesh left empty (nothing to draw), when the file does not load.
[[nodiscard]] bool loadMeasuredMesh(IDirect3DDevice9* device, const std::string& path,
                                    MeshObject& mesh, MeshBounds* bounds);
