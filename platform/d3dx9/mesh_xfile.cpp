// D3DXLoadMeshFromX: the file is read and checked here, parsed apart from this process
// (xfile_parse.h) and made into a mesh on the device.
#include "mesh_impl.h"
#include "xfile_parse.h"

#include <cstring>
#include <new>
#include <string>

#include "win32/regular_file.h"

namespace {

// Larger files are refused rather than read whole into memory.
constexpr std::uintmax_t kLargestFile = 512u << 20;

// Only a regular file is opened: a FIFO would wait for a writer.
HRESULT readFile(const char* name, std::vector<char>* out) {
    RegularFile file = RegularFile::open(name);
    if (!file) {
        return D3DXFERR_FILENOTFOUND;
    }
    if (file.size() > kLargestFile) {
        return E_OUTOFMEMORY;
    }
    out->resize(static_cast<std::size_t>(file.size()));
    return file.readExactly(out->data(), out->size()) ? S_OK : D3DXFERR_FILENOTFOUND;
}

// "xof 0303txt 0032": magic, version, format, float size. Checked here so that Assimp is
// never asked to guess what other kind of file this might be.
HRESULT checkHeader(const std::vector<char>& bytes) {
    if (bytes.size() < 16 || std::memcmp(bytes.data(), "xof ", 4) != 0) {
        return D3DXFERR_BADFILETYPE;
    }
    const std::string format(bytes.data() + 8, 4);
    if (format != "txt " && format != "bin " && format != "tzip" && format != "bzip") {
        return D3DXFERR_BADFILETYPE;
    }
    const std::string floatSize(bytes.data() + 12, 4);
    if (floatSize != "0032" && floatSize != "0064") {
        return D3DXFERR_BADFILEFLOATSIZE;
    }
    return S_OK;
}

ComPtr<ID3DXBuffer> materialBuffer(const std::vector<twmesh::XFileMaterial>& materials) {
    std::size_t size = materials.size() * sizeof(D3DXMATERIAL);
    for (const twmesh::XFileMaterial& m : materials) {
        size += m.texture.empty() ? 0 : m.texture.size() + 1;
    }
    ComPtr<twmesh::Buffer> buffer = twmesh::makeBuffer(static_cast<DWORD>(size));
    auto* base = static_cast<std::byte*>(buffer->GetBufferPointer());
    auto* records = reinterpret_cast<D3DXMATERIAL*>(base);
    char* names = reinterpret_cast<char*>(base + materials.size() * sizeof(D3DXMATERIAL));
    for (std::size_t i = 0; i < materials.size(); ++i) {
        records[i].MatD3D = materials[i].d3d;
        records[i].pTextureFilename = nullptr;
        if (!materials[i].texture.empty()) {
            std::memcpy(names, materials[i].texture.c_str(), materials[i].texture.size() + 1);
            records[i].pTextureFilename = names;
            names += materials[i].texture.size() + 1;
        }
    }
    return buffer;
}

HRESULT load(const char* file, DWORD options, IDirect3DDevice9* device, ID3DXBuffer** ppAdjacency,
             ID3DXBuffer** ppMaterials, ID3DXBuffer** ppEffectInstances, DWORD* pNumMaterials,
             ID3DXMesh** ppMesh) {
    std::vector<char> bytes;
    HRESULT hr = readFile(file, &bytes);
    if (FAILED(hr) || FAILED(hr = checkHeader(bytes))) {
        return hr;
    }
    twmesh::ParsedXFile parsed;
    if (FAILED(hr = twmesh::parseXFileIsolated(bytes, &parsed))) {
        return hr;
    }
    const DWORD faces = static_cast<DWORD>(parsed.attributes.size());
    if (faces == 0) {
        return D3DXERR_LOADEDMESHASNODATA;
    }

    if (parsed.vertexCount > 0xFFFF) {
        options |= D3DXMESH_32BIT;
    }
    ComPtr<twmesh::Mesh> mesh;
    if (FAILED(hr = twmesh::Mesh::create(faces, parsed.vertexCount, options, parsed.fvf, device,
                                         &mesh)) ||
        FAILED(hr = mesh->writeVertices(parsed.vertices)) ||
        FAILED(hr = mesh->writeIndices(parsed.indices))) {
        return hr;
    }
    mesh->attributes() = std::move(parsed.attributes);
    const std::vector<twmesh::XFileMaterial>& materials = parsed.materials;

    if (ppAdjacency != nullptr) {
        ComPtr<twmesh::Buffer> adjacency = twmesh::makeBuffer(faces * 3 * sizeof(DWORD));
        if (FAILED(hr = mesh->GenerateAdjacency(
                       0.0f, static_cast<DWORD*>(adjacency->GetBufferPointer())))) {
            return hr;
        }
        *ppAdjacency = adjacency.detach();
    }
    if (ppMaterials != nullptr && !materials.empty()) {
        *ppMaterials = materialBuffer(materials).detach();
    }
    if (ppEffectInstances != nullptr && !materials.empty()) {
        // Zero bytes are empty instances: no effect file, no defaults.
        *ppEffectInstances =
            twmesh::makeBuffer(static_cast<DWORD>(materials.size() * sizeof(D3DXEFFECTINSTANCE)))
                .detach();
    }
    if (pNumMaterials != nullptr) {
        *pNumMaterials = static_cast<DWORD>(materials.size());
    }
    *ppMesh = mesh.detach();
    return S_OK;
}

} // namespace

HRESULT D3DXLoadMeshFromXA(const char* pFilename, DWORD Options, IDirect3DDevice9* pD3DDevice,
                           ID3DXBuffer** ppAdjacency, ID3DXBuffer** ppMaterials,
                           ID3DXBuffer** ppEffectInstances, DWORD* pNumMaterials,
                           ID3DXMesh** ppMesh) {
    if (pFilename == nullptr || ppMesh == nullptr) {
        return D3DERR_INVALIDCALL;
    }
    *ppMesh = nullptr;
    for (ID3DXBuffer** out : {ppAdjacency, ppMaterials, ppEffectInstances}) {
        if (out != nullptr) {
            *out = nullptr;
        }
    }
    if (pNumMaterials != nullptr) {
        *pNumMaterials = 0;
    }
    // Nothing is handed out unless everything is: a failure part-way releases what was
    // already made.
    ComPtr<ID3DXBuffer> adjacency;
    ComPtr<ID3DXBuffer> materials;
    ComPtr<ID3DXBuffer> effects;
    ComPtr<ID3DXMesh> mesh;
    DWORD count = 0;
    HRESULT hr;
    try {
        hr = load(pFilename, Options, pD3DDevice, ppAdjacency ? adjacency.put() : nullptr,
                  ppMaterials ? materials.put() : nullptr,
                  ppEffectInstances ? effects.put() : nullptr, &count, mesh.put());
    } catch (const std::bad_alloc&) {
        hr = E_OUTOFMEMORY;
    }
    if (FAILED(hr)) {
        return hr;
    }
    if (ppAdjacency != nullptr) {
        *ppAdjacency = adjacency.detach();
    }
    if (ppMaterials != nullptr) {
        *ppMaterials = materials.detach();
    }
    if (ppEffectInstances != nullptr) {
        *ppEffectInstances = effects.detach();
    }
    if (pNumMaterials != nullptr) {
        *pNumMaterials = count;
    }
    *ppMesh = mesh.detach();
    return S_OK;
}
