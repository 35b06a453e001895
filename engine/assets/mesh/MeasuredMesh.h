#pragma once

#include <memory>
#include <string>

#include "assets/mesh/MeshObject.h"

// A mesh as the engine draws and collides it: loaded from the file at path, converted
// to position, normal and one texture coordinate (normals computed anew), measured, and
// made on the device. *radius is the radius of the bounding sphere of its vertices (1
// when they cannot be read). Null, with *radius untouched, when the file does not load.
std::unique_ptr<MeshObject> loadMeasuredMesh(IDirect3DDevice9* device, const std::string& path,
                                             float* radius);

// The same into a mesh that exists (replacing what it held), as when the device is made
// anew. False, with the mesh left empty (nothing to draw), when the file does not load.
[[nodiscard]] bool loadMeasuredMesh(IDirect3DDevice9* device, const std::string& path,
                                    MeshObject& mesh, float* radius);
