// Meshes from the files today's modelling tools write, loaded as D3DXLoadMeshFromX loads
// a .x file. Not part of Direct3D: the loader behind D3DXLoadMeshFromX, opened to the
// other formats Assimp reads.
#pragma once

#include "d3dx9/d3dx9mesh.h"

#include <optional>
#include <string>
#include <string_view>
#include <vector>

enum class MeshFormat { XFile, Gltf, Obj, Fbx, Collada, Ply, Stl };

// The format a file name's extension names (".x", ".glb", ".gltf", ".obj", ".fbx", ".dae",
// ".ply", ".stl", in any case), or none.
std::optional<MeshFormat> meshFormatOf(std::string_view fileName);

struct MeshFileMaterial {
    D3DMATERIAL9 material{};
    // The picture as the file names it, with forward slashes; empty for none.
    std::string textureFile;
    // A picture the file holds itself (a .glb's PNG or JPEG), to be decoded as a file's
    // bytes; when it is not empty, textureFile is.
    std::vector<char> textureBytes;
};

struct MeshFile {
    ComPtr<ID3DXMesh> mesh;
    ComPtr<ID3DXBuffer> adjacency; // three DWORDs a face
    std::vector<MeshFileMaterial> materials;
    // The other files it was read from: a .gltf's buffers and pictures, an .obj's
    // material file, as the reader opened them. Pictures a material names are not here.
    std::vector<std::string> companions;
};

// Loads the mesh of any format meshFormatOf knows, chosen by the name's extension, into
// the convention of a .x file: left-handed, y up, v of texture coordinates downwards.
// Files that state their axes or units (glTF, FBX, Collada) are turned upright and to
// metres; OBJ is taken as y up, STL and PLY, which state nothing, as z up. A material's
// base colour is its diffuse colour and its base-colour picture its texture.
// Fails as D3DXLoadMeshFromX does: D3DXFERR_FILENOTFOUND, D3DXFERR_BADFILETYPE for an
// unknown extension or a .x without its header, D3DXFERR_PARSEERROR, E_OUTOFMEMORY for
// a file above 512 MiB, D3DXERR_LOADEDMESHASNODATA for a file without triangles.
// Nothing is handed out unless everything is.
HRESULT twLoadMeshFile(const char* file, DWORD options, IDirect3DDevice9* device, MeshFile* out);
