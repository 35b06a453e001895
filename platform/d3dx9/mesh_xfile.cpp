// .x files through Assimp. Assimp turns the file into its right-handed convention
// (z negated, v flipped, winding reversed); asking it for left-handed data undoes each of
// those, so what we hand on is the file's own numbers again.
#include "mesh_impl.h"

#include <assimp/Importer.hpp>
#include <assimp/material.h>
#include <assimp/postprocess.h>
#include <assimp/scene.h>

#include <algorithm>
#include <cmath>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <map>
#include <new>
#include <string>
#include <unordered_map>

namespace {

// Larger files are refused rather than read whole into memory.
constexpr std::uintmax_t kLargestFile = 512u << 20;

HRESULT readFile(const char* name, std::vector<char>* out) {
    std::error_code error;
    const std::filesystem::path path(name);
    if (!std::filesystem::is_regular_file(path, error)) {
        return D3DXFERR_FILENOTFOUND;
    }
    const std::uintmax_t size = std::filesystem::file_size(path, error);
    if (error) {
        return D3DXFERR_FILENOTFOUND;
    }
    if (size > kLargestFile) {
        return E_OUTOFMEMORY;
    }
    std::ifstream in(path, std::ios::binary);
    out->resize(static_cast<std::size_t>(size));
    if (!in || !in.read(out->data(), static_cast<std::streamsize>(size))) {
        return D3DXFERR_FILENOTFOUND;
    }
    return S_OK;
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

DWORD colourOf(const aiColor4D& c) {
    auto channel = [](float value) {
        const float clamped = std::isnan(value) ? 0.0f : std::clamp(value, 0.0f, 1.0f);
        return static_cast<DWORD>(std::lround(clamped * 255.0f));
    };
    return (channel(c.a) << 24) | (channel(c.r) << 16) | (channel(c.g) << 8) | channel(c.b);
}

// Assimp stands an unnamed material in for meshes that have none; a material of the
// file always has a name (Assimp names anonymous ones).
bool isStandIn(const aiMaterial* material) {
    aiString name;
    return material->Get(AI_MATKEY_NAME, name) != AI_SUCCESS || name.length == 0;
}

struct Material {
    D3DMATERIAL9 d3d{};
    std::string texture;
};

Material convertMaterial(const aiMaterial* source) {
    Material m;
    aiColor4D colour(0.0f, 0.0f, 0.0f, 1.0f);
    if (aiGetMaterialColor(source, AI_MATKEY_COLOR_DIFFUSE, &colour) == AI_SUCCESS) {
        m.d3d.Diffuse = {colour.r, colour.g, colour.b, colour.a};
    }
    colour = aiColor4D(0.0f, 0.0f, 0.0f, 1.0f);
    if (aiGetMaterialColor(source, AI_MATKEY_COLOR_SPECULAR, &colour) == AI_SUCCESS) {
        m.d3d.Specular = {colour.r, colour.g, colour.b, 1.0f};
    }
    colour = aiColor4D(0.0f, 0.0f, 0.0f, 1.0f);
    if (aiGetMaterialColor(source, AI_MATKEY_COLOR_EMISSIVE, &colour) == AI_SUCCESS) {
        m.d3d.Emissive = {colour.r, colour.g, colour.b, 1.0f};
    }
    float power = 0.0f;
    if (aiGetMaterialFloat(source, AI_MATKEY_SHININESS, &power) == AI_SUCCESS) {
        m.d3d.Power = power;
    }
    // A material's one texture is its diffuse map; Assimp files it under another kind
    // only when the file's name for it suggests so.
    for (int type = aiTextureType_DIFFUSE; type <= aiTextureType_UNKNOWN; ++type) {
        aiString path;
        if (source->GetTexture(static_cast<aiTextureType>(type), 0, &path) == AI_SUCCESS &&
            path.length > 0) {
            m.texture.assign(path.C_Str());
            std::replace(m.texture.begin(), m.texture.end(), '\\', '/');
            break;
        }
    }
    return m;
}

// Everything the meshes of the file add up to, in the final vertex format.
class Gatherer {
public:
    Gatherer(const aiScene* scene, const twmesh::FvfLayout& layout,
             const std::map<unsigned, DWORD>& attributeOf)
        : scene_(scene), layout_(layout), attributeOf_(attributeOf) {}

    void walk(const aiNode* node, const aiMatrix4x4& parent) {
        const aiMatrix4x4 world = parent * node->mTransformation;
        // Exactly: Assimp's IsIdentity() lets small translations pass as none.
        const bool moved = !(world == aiMatrix4x4());
        // Normals go with the inverse transpose, so that they stay perpendicular to their
        // surfaces under any frame transform.
        aiMatrix3x3 normalMatrix(world);
        normalMatrix.Inverse().Transpose();

        // A vertex shared by faces of several materials reaches us once per material:
        // joining equal vertices of one frame makes it one vertex again.
        std::unordered_map<std::string, DWORD> known;
        std::vector<BYTE> vertex(layout_.stride);
        for (unsigned m = 0; m < node->mNumMeshes; ++m) {
            if (node->mMeshes[m] >= scene_->mNumMeshes) {
                continue;
            }
            const aiMesh* mesh = scene_->mMeshes[node->mMeshes[m]];
            std::vector<DWORD> local(mesh->mNumVertices);
            for (unsigned v = 0; v < mesh->mNumVertices; ++v) {
                build(mesh, v, moved, world, normalMatrix, vertex.data());
                const auto [at, added] = known.try_emplace(
                    std::string(reinterpret_cast<const char*>(vertex.data()), vertex.size()),
                    vertexCount_);
                if (added) {
                    vertices_.insert(vertices_.end(), vertex.begin(), vertex.end());
                    ++vertexCount_;
                }
                local[v] = at->second;
            }
            const auto material = attributeOf_.find(mesh->mMaterialIndex);
            const DWORD attribute = material == attributeOf_.end() ? 0 : material->second;
            for (unsigned f = 0; f < mesh->mNumFaces; ++f) {
                const aiFace& face = mesh->mFaces[f];
                // Polygons as fans from their first corner; points and lines draw nothing.
                for (unsigned k = 1; k + 1 < face.mNumIndices; ++k) {
                    const unsigned corners[3] = {face.mIndices[0], face.mIndices[k],
                                                 face.mIndices[k + 1]};
                    if (std::any_of(std::begin(corners), std::end(corners),
                                    [&](unsigned c) { return c >= mesh->mNumVertices; })) {
                        continue;
                    }
                    for (unsigned c : corners) {
                        indices_.push_back(local[c]);
                    }
                    attributes_.push_back(attribute);
                }
            }
        }
        for (unsigned c = 0; c < node->mNumChildren; ++c) {
            walk(node->mChildren[c], world);
        }
    }

    std::vector<BYTE>& vertices() { return vertices_; }
    std::vector<DWORD>& indices() { return indices_; }
    std::vector<DWORD>& attributes() { return attributes_; }
    DWORD vertexCount() const { return vertexCount_; }

private:
    void build(const aiMesh* mesh, unsigned v, bool moved, const aiMatrix4x4& world,
               const aiMatrix3x3& normalMatrix, BYTE* out) const {
        std::memset(out, 0, layout_.stride);
        aiVector3D position = mesh->mVertices[v];
        if (moved) {
            position = world * position;
        }
        std::memcpy(out, &position, 12);
        if (layout_.normal >= 0 && mesh->HasNormals()) {
            aiVector3D normal = mesh->mNormals[v];
            if (moved) {
                normal = (normalMatrix * normal).NormalizeSafe();
            }
            std::memcpy(out + layout_.normal, &normal, 12);
        }
        if (layout_.diffuse >= 0) {
            const DWORD colour =
                mesh->HasVertexColors(0) ? colourOf(mesh->mColors[0][v]) : 0xFFFFFFFFu;
            std::memcpy(out + layout_.diffuse, &colour, 4);
        }
        if (layout_.texSets > 0 && mesh->HasTextureCoords(0)) {
            const float uv[2] = {mesh->mTextureCoords[0][v].x, mesh->mTextureCoords[0][v].y};
            std::memcpy(out + layout_.tex[0], uv, sizeof uv);
        }
    }

    const aiScene* scene_;
    const twmesh::FvfLayout& layout_;
    const std::map<unsigned, DWORD>& attributeOf_;
    std::vector<BYTE> vertices_;
    std::vector<DWORD> indices_;
    std::vector<DWORD> attributes_;
    DWORD vertexCount_ = 0;
};

// The meshes the frames place, each once per frame that names it.
void collectMeshes(const aiScene* scene, const aiNode* node, std::vector<const aiMesh*>* out) {
    for (unsigned m = 0; m < node->mNumMeshes; ++m) {
        if (node->mMeshes[m] < scene->mNumMeshes) {
            out->push_back(scene->mMeshes[node->mMeshes[m]]);
        }
    }
    for (unsigned c = 0; c < node->mNumChildren; ++c) {
        collectMeshes(scene, node->mChildren[c], out);
    }
}

ComPtr<ID3DXBuffer> materialBuffer(const std::vector<Material>& materials) {
    std::size_t size = materials.size() * sizeof(D3DXMATERIAL);
    for (const Material& m : materials) {
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
    Assimp::Importer importer;
    const aiScene* scene = importer.ReadFileFromMemory(
        bytes.data(), bytes.size(), aiProcess_ConvertToLeftHanded | aiProcess_ValidateDataStructure,
        "x");
    if (scene == nullptr || scene->mRootNode == nullptr) {
        return D3DXFERR_PARSEERROR;
    }

    std::vector<const aiMesh*> placed;
    collectMeshes(scene, scene->mRootNode, &placed);
    DWORD fvf = D3DFVF_XYZ;
    std::map<unsigned, DWORD> attributeOf; // Assimp's material number -> ours
    bool anyMaterial = false;
    for (const aiMesh* mesh : placed) {
        fvf |= mesh->HasNormals() ? D3DFVF_NORMAL : 0;
        fvf |= mesh->HasVertexColors(0) ? D3DFVF_DIFFUSE : 0;
        fvf |= mesh->HasTextureCoords(0) ? D3DFVF_TEX1 : 0;
        if (mesh->mMaterialIndex < scene->mNumMaterials) {
            attributeOf[mesh->mMaterialIndex] = 0;
            anyMaterial |= !isStandIn(scene->mMaterials[mesh->mMaterialIndex]);
        }
    }
    std::vector<Material> materials;
    if (anyMaterial) {
        for (auto& [index, attribute] : attributeOf) {
            attribute = static_cast<DWORD>(materials.size());
            materials.push_back(convertMaterial(scene->mMaterials[index]));
        }
    } else {
        attributeOf.clear();
    }

    const std::optional<twmesh::FvfLayout> layout = twmesh::FvfLayout::of(fvf);
    Gatherer gatherer(scene, *layout, attributeOf);
    gatherer.walk(scene->mRootNode, aiMatrix4x4());
    const DWORD faces = static_cast<DWORD>(gatherer.attributes().size());
    if (faces == 0) {
        return D3DXERR_LOADEDMESHASNODATA;
    }

    if (gatherer.vertexCount() > 0xFFFF) {
        options |= D3DXMESH_32BIT;
    }
    ComPtr<twmesh::Mesh> mesh;
    if (FAILED(hr = twmesh::Mesh::create(faces, gatherer.vertexCount(), options, fvf, device,
                                         &mesh)) ||
        FAILED(hr = mesh->writeVertices(gatherer.vertices())) ||
        FAILED(hr = mesh->writeIndices(gatherer.indices()))) {
        return hr;
    }
    mesh->attributes() = std::move(gatherer.attributes());

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
