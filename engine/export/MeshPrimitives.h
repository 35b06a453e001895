#pragma once

#include <vector>

#include "assets/mesh/MeshObject.h"
#include "export/GltfDocument.h"

// The triangles of a loaded mesh's system copy, one primitive per subset it draws (each only
// with the vertices its faces use). Subset s takes material firstMaterial + s, or
// firstMaterial alone for a mesh without materials. Empty when the mesh's buffers cannot
// be read or its vertices have no position.
std::vector<GltfDocument::Primitive> meshPrimitives(const MeshObject& mesh, int firstMaterial);
