// What a mesh file holds once it is read: vertices in their final format, triangles, the
// material of each triangle and the materials. Internal to the platform library.
#pragma once

#include "d3dx9/d3dx9mesh.h"
#include "d3dx9/mesh_file.h"

#include <cstddef>
#include <span>
#include <string>
#include <vector>

namespace twmesh {

struct ParsedMaterial {
    D3DMATERIAL9 d3d{};
    std::string texture;            // forward slashes; empty for none or an embedded picture
    std::vector<char> textureBytes; // a picture the file holds itself (PNG or JPEG)
};

struct ParsedMesh {
    DWORD fvf = D3DFVF_XYZ;
    DWORD vertexCount = 0;
    std::vector<BYTE> vertices;    // vertexCount vertices of fvf's size
    std::vector<DWORD> indices;    // three a triangle
    std::vector<DWORD> attributes; // one a triangle: an index into materials
    std::vector<ParsedMaterial> materials;
    // The other files the reader opened: a .gltf's buffers and pictures, an .obj's
    // material file. (Pictures a material names are the caller's to find.)
    std::vector<std::string> companions;
};

// A file to parse. A .x file is parsed from the bytes the caller has read and checked;
// the other formats are opened by path, since a .gltf, an .obj or a .dae names further
// files beside it (buffers, materials, pictures).
struct MeshSource {
    MeshFormat format = MeshFormat::XFile;
    std::span<const char> bytes; // .x only
    std::string path;            // every other format
    std::size_t size = 0;        // bytes of the file, for the parse's budget
};

// Reads a mesh file in this process, through Assimp, into the engine's convention:
// left-handed, y up, the file's own units, v of texture coordinates downwards.
HRESULT parseMesh(const MeshSource& source, ParsedMesh* out);

// The same in a child process, bounded in memory and time: Assimp trusts the counts and
// indices in a file, so a hostile file can make it allocate gigabytes, run for minutes or
// read past its arrays. Whatever happens there, this process gets a result or a failure.
// TW_MESH_PARSE_IN_PROCESS=1 in the environment reads in this process instead (fuzzing,
// debugging).
HRESULT parseMeshIsolated(const MeshSource& source, ParsedMesh* out);
// How many mesh files parseMeshIsolated has been asked to read since the program started,
// in a child or here: tests count the loads of a file with it.
std::size_t meshParseCount();

// The child's answer on the pipe: the result and, on success, the parsed file.
std::vector<char> serializeParse(HRESULT result, const ParsedMesh& parsed);
// False for bytes that are not a whole answer.
[[nodiscard]] bool deserializeParse(std::span<const char> bytes, HRESULT* result,
                                    ParsedMesh* parsed);

} // namespace twmesh
