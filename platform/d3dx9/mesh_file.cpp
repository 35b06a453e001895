// Mesh files of every format, and D3DXLoadMeshFromX over them: the file is checked here,
// parsed apart from this process (mesh_parse.h) and made into a mesh on the device.
#include "mesh_impl.h"
#include "mesh_parse.h"

#include <algorithm>
#include <array>
#include <cctype>
#include <cstring>
#include <new>
#include <string>
#include <utility>

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

// Reads and checks what this process must see of the file before it is parsed: a .x
// file whole (its header), any other only its size, since its reader opens it and the
// files it names.
HRESULT prepareSource(const char* file, MeshFormat format, std::vector<char>* bytes,
                      twmesh::MeshSource* source) {
    source->format = format;
    if (format == MeshFormat::XFile) {
        HRESULT hr = readFile(file, bytes);
        if (FAILED(hr) || FAILED(hr = checkHeader(*bytes))) {
            return hr;
        }
        source->bytes = *bytes;
        source->size = bytes->size();
        return S_OK;
    }
    const RegularFile opened = RegularFile::open(file);
    if (!opened) {
        return D3DXFERR_FILENOTFOUND;
    }
    if (opened.size() > kLargestFile) {
        return E_OUTOFMEMORY;
    }
    source->path = file;
    source->size = static_cast<std::size_t>(opened.size());
    return S_OK;
}

HRESULT load(const char* file, MeshFormat format, DWORD options, IDirect3DDevice9* device,
             MeshFile* out) {
    std::vector<char> bytes;
    twmesh::MeshSource source;
    HRESULT hr = prepareSource(file, format, &bytes, &source);
    twmesh::ParsedMesh parsed;
    if (FAILED(hr) || FAILED(hr = twmesh::parseMeshIsolated(source, &parsed))) {
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

    ComPtr<twmesh::Buffer> adjacency = twmesh::makeBuffer(faces * 3 * sizeof(DWORD));
    if (FAILED(hr = mesh->GenerateAdjacency(0.0f,
                                            static_cast<DWORD*>(adjacency->GetBufferPointer())))) {
        return hr;
    }
    out->materials.clear();
    for (twmesh::ParsedMaterial& m : parsed.materials) {
        out->materials.push_back({m.d3d, std::move(m.texture), std::move(m.textureBytes)});
    }
    out->companions = std::move(parsed.companions);
    out->adjacency = std::move(adjacency);
    out->mesh = std::move(mesh);
    return S_OK;
}

ComPtr<ID3DXBuffer> materialBuffer(const std::vector<MeshFileMaterial>& materials) {
    std::size_t size = materials.size() * sizeof(D3DXMATERIAL);
    for (const MeshFileMaterial& m : materials) {
        size += m.textureFile.empty() ? 0 : m.textureFile.size() + 1;
    }
    ComPtr<twmesh::Buffer> buffer = twmesh::makeBuffer(static_cast<DWORD>(size));
    auto* base = static_cast<std::byte*>(buffer->GetBufferPointer());
    auto* records = reinterpret_cast<D3DXMATERIAL*>(base);
    char* names = reinterpret_cast<char*>(base + materials.size() * sizeof(D3DXMATERIAL));
    for (std::size_t i = 0; i < materials.size(); ++i) {
        records[i].MatD3D = materials[i].material;
        records[i].pTextureFilename = nullptr;
        if (!materials[i].textureFile.empty()) {
            const std::string& name = materials[i].textureFile;
            std::memcpy(names, name.c_str(), name.size() + 1);
            records[i].pTextureFilename = names;
            names += name.size() + 1;
        }
    }
    return buffer;
}

// Nothing is handed out unless everything is: a failure part-way releases what was
// already made.
HRESULT loadWhole(const char* file, MeshFormat format, DWORD options, IDirect3DDevice9* device,
                  MeshFile* out) {
    MeshFile loaded;
    HRESULT hr;
    try {
        hr = load(file, format, options, device, &loaded);
    } catch (const std::bad_alloc&) {
        hr = E_OUTOFMEMORY;
    }
    if (SUCCEEDED(hr)) {
        *out = std::move(loaded);
    }
    return hr;
}

} // namespace

std::optional<MeshFormat> meshFormatOf(std::string_view fileName) {
    static constexpr std::array<std::pair<std::string_view, MeshFormat>, 8> kExtensions{{
        {"x", MeshFormat::XFile},
        {"glb", MeshFormat::Gltf},
        {"gltf", MeshFormat::Gltf},
        {"obj", MeshFormat::Obj},
        {"fbx", MeshFormat::Fbx},
        {"dae", MeshFormat::Collada},
        {"ply", MeshFormat::Ply},
        {"stl", MeshFormat::Stl},
    }};
    const std::size_t dot = fileName.find_last_of("./\\");
    if (dot == std::string_view::npos || fileName[dot] != '.') {
        return std::nullopt;
    }
    std::string extension(fileName.substr(dot + 1));
    std::transform(extension.begin(), extension.end(), extension.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    for (const auto& [name, format] : kExtensions) {
        if (extension == name) {
            return format;
        }
    }
    return std::nullopt;
}

HRESULT twLoadMeshFile(const char* file, DWORD options, IDirect3DDevice9* device, MeshFile* out) {
    if (file == nullptr || out == nullptr) {
        return D3DERR_INVALIDCALL;
    }
    *out = MeshFile{};
    // A name of no known extension is read as .x, whose header then decides.
    return loadWhole(file, meshFormatOf(file).value_or(MeshFormat::XFile), options, device, out);
}

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
    // Whatever the name, the file is read as .x: the other formats are twLoadMeshFile's.
    MeshFile loaded;
    ComPtr<ID3DXBuffer> materials;
    ComPtr<ID3DXBuffer> effects;
    HRESULT hr = loadWhole(pFilename, MeshFormat::XFile, Options, pD3DDevice, &loaded);
    if (FAILED(hr)) {
        return hr;
    }
    const DWORD count = static_cast<DWORD>(loaded.materials.size());
    try {
        if (ppMaterials != nullptr && count != 0) {
            materials = materialBuffer(loaded.materials);
        }
        if (ppEffectInstances != nullptr && count != 0) {
            // Zero bytes are empty instances: no effect file, no defaults.
            effects = twmesh::makeBuffer(static_cast<DWORD>(count * sizeof(D3DXEFFECTINSTANCE)));
        }
    } catch (const std::bad_alloc&) {
        return E_OUTOFMEMORY;
    }
    if (ppAdjacency != nullptr) {
        *ppAdjacency = loaded.adjacency.detach();
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
    *ppMesh = loaded.mesh.detach();
    return S_OK;
}
