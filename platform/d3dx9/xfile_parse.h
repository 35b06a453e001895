// What a .x file holds once it is read: vertices in their final format, triangles, the
// material of each triangle and the materials. Internal to the platform library.
#pragma once

#include "d3dx9/d3dx9mesh.h"

#include <cstddef>
#include <span>
#include <string>
#include <vector>

namespace twmesh {

struct XFileMaterial {
    D3DMATERIAL9 d3d{};
    std::string texture; // forward slashes; empty for none
};

struct ParsedXFile {
    DWORD fvf = D3DFVF_XYZ;
    DWORD vertexCount = 0;
    std::vector<BYTE> vertices;    // vertexCount vertices of fvf's size
    std::vector<DWORD> indices;    // three a triangle
    std::vector<DWORD> attributes; // one a triangle: an index into materials
    std::vector<XFileMaterial> materials;
};

// Reads the bytes of a .x file (header already checked) in this process, through Assimp.
HRESULT parseXFile(std::span<const char> bytes, ParsedXFile* out);

// The same in a child process, bounded in memory and time: Assimp trusts the counts and
// indices in a file, so a hostile file can make it allocate gigabytes, run for minutes or
// read past its arrays. Whatever happens there, this process gets a result or a failure.
// TW_XFILE_IN_PROCESS=1 in the environment reads in this process instead (fuzzing,
// debugging).
HRESULT parseXFileIsolated(std::span<const char> bytes, ParsedXFile* out);
// How many .x files parseXFileIsolated has been asked to read since the program started,
// in a child or here: tests count the loads of a file with it.
std::size_t xfileParseCount();

// The child's answer on the pipe: the result and, on success, the parsed file.
std::vector<char> serializeParse(HRESULT result, const ParsedXFile& parsed);
// False for bytes that are not a whole answer.
[[nodiscard]] bool deserializeParse(std::span<const char> bytes, HRESULT* result,
                                    ParsedXFile* parsed);

} // namespace twmesh
