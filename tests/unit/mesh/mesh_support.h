// Helpers shared by the mesh tests: scratch folders, the current directory and the
// environment set for one test, and the vertices of a mesh as plain records.
#pragma once

#include "d3dx9/d3dx9mesh.h"

#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <optional>
#include <string>
#include <vector>

namespace meshtest {

namespace fs = std::filesystem;

class TempDir {
public:
    TempDir() {
        std::string pattern = (fs::temp_directory_path() / "tw-mesh-XXXXXX").string();
        path_ = ::mkdtemp(pattern.data());
    }
    ~TempDir() {
        std::error_code ignored;
        fs::remove_all(path_, ignored);
    }
    TempDir(const TempDir&) = delete;
    TempDir& operator=(const TempDir&) = delete;

    const fs::path& path() const { return path_; }
    std::string file(const std::string& name) const { return (path_ / name).string(); }

private:
    fs::path path_;
};

inline void writeFile(const fs::path& path, const std::string& content) {
    fs::create_directories(path.parent_path());
    std::ofstream(path, std::ios::binary) << content;
}

inline std::string readFile(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

class CurrentDir {
public:
    explicit CurrentDir(const fs::path& to) : before_(fs::current_path()) { fs::current_path(to); }
    ~CurrentDir() { fs::current_path(before_); }
    CurrentDir(const CurrentDir&) = delete;
    CurrentDir& operator=(const CurrentDir&) = delete;

private:
    fs::path before_;
};

// Sets (or, given nothing, unsets) a variable for one scope.
class EnvVar {
public:
    EnvVar(const char* name, const std::optional<std::string>& value) : name_(name) {
        if (const char* old = std::getenv(name)) {
            before_ = old;
        }
        set(value);
    }
    ~EnvVar() { set(before_); }
    EnvVar(const EnvVar&) = delete;
    EnvVar& operator=(const EnvVar&) = delete;

private:
    void set(const std::optional<std::string>& value) {
        if (value) {
            ::setenv(name_.c_str(), value->c_str(), 1);
        } else {
            ::unsetenv(name_.c_str());
        }
    }
    std::string name_;
    std::optional<std::string> before_;
};

struct Vertex {
    D3DXVECTOR3 position;
    D3DXVECTOR3 normal;
    float u = 0;
    float v = 0;
};

// The vertices of a mesh whose format is XYZ, optionally NORMAL, optionally TEX1.
inline std::vector<Vertex> verticesOf(ID3DXBaseMesh* mesh) {
    const DWORD fvf = mesh->GetFVF();
    const DWORD stride = mesh->GetNumBytesPerVertex();
    const std::size_t uvAt =
        12 + ((fvf & D3DFVF_NORMAL) ? 12 : 0) + ((fvf & D3DFVF_DIFFUSE) ? 4 : 0);
    std::vector<Vertex> out(mesh->GetNumVertices());
    void* data = nullptr;
    if (FAILED(mesh->LockVertexBuffer(D3DLOCK_READONLY, &data))) {
        return {};
    }
    const auto* bytes = static_cast<const BYTE*>(data);
    for (std::size_t i = 0; i < out.size(); ++i) {
        const BYTE* v = bytes + i * stride;
        std::memcpy(&out[i].position, v, 12);
        if (fvf & D3DFVF_NORMAL) {
            std::memcpy(&out[i].normal, v + 12, 12);
        }
        if (fvf & D3DFVF_TEX1) {
            std::memcpy(&out[i].u, v + uvAt, 4);
            std::memcpy(&out[i].v, v + uvAt + 4, 4);
        }
    }
    mesh->UnlockVertexBuffer();
    return out;
}

inline std::vector<DWORD> indicesOf(ID3DXBaseMesh* mesh) {
    std::vector<DWORD> out(std::size_t{mesh->GetNumFaces()} * 3);
    void* data = nullptr;
    if (FAILED(mesh->LockIndexBuffer(D3DLOCK_READONLY, &data))) {
        return {};
    }
    const bool wide = (mesh->GetOptions() & D3DXMESH_32BIT) != 0;
    for (std::size_t i = 0; i < out.size(); ++i) {
        if (wide) {
            std::memcpy(&out[i], static_cast<const BYTE*>(data) + i * 4, 4);
        } else {
            WORD index;
            std::memcpy(&index, static_cast<const BYTE*>(data) + i * 2, 2);
            out[i] = index;
        }
    }
    mesh->UnlockIndexBuffer();
    return out;
}

inline std::vector<DWORD> attributesOf(ID3DXMesh* mesh) {
    DWORD* data = nullptr;
    mesh->LockAttributeBuffer(D3DLOCK_READONLY, &data);
    std::vector<DWORD> out(data, data + mesh->GetNumFaces());
    mesh->UnlockAttributeBuffer();
    return out;
}

inline std::vector<D3DXATTRIBUTERANGE> attributeTableOf(ID3DXMesh* mesh) {
    DWORD size = 0;
    mesh->GetAttributeTable(nullptr, &size);
    std::vector<D3DXATTRIBUTERANGE> table(size);
    if (size > 0) {
        mesh->GetAttributeTable(table.data(), nullptr);
    }
    return table;
}

// The first vertex at exactly this position, or null.
inline const Vertex* findAt(const std::vector<Vertex>& vertices, const D3DXVECTOR3& p) {
    for (const Vertex& v : vertices) {
        if (v.position == p) {
            return &v;
        }
    }
    return nullptr;
}

} // namespace meshtest
