// Mesh files through Assimp. Assimp turns every file into its right-handed, y-up
// convention (a .x file's z negated, v flipped, winding reversed); asking it for
// left-handed data undoes each of those, so what we hand on of a .x file is the file's
// own numbers again, and a glTF or OBJ model is mirrored in z as Direct3D's world is.
#include "mesh_parse.h"

#include "mesh_impl.h"

#include <assimp/DefaultIOSystem.h>
#include <assimp/Importer.hpp>
#include <assimp/config.h>
#include <assimp/material.h>
#include <assimp/postprocess.h>
#include <assimp/scene.h>

#include <algorithm>
#include <cmath>
#include <cstring>
#include <initializer_list>
#include <map>
#include <memory>
#include <string>
#include <unordered_map>

namespace {

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

// The first picture of the kinds given, with forward slashes; empty for none.
std::string textureOf(const aiMaterial* source, std::initializer_list<aiTextureType> kinds) {
    for (aiTextureType kind : kinds) {
        aiString path;
        if (source->GetTexture(kind, 0, &path) == AI_SUCCESS && path.length > 0) {
            std::string name(path.C_Str());
            std::replace(name.begin(), name.end(), '\\', '/');
            return name;
        }
    }
    return {};
}

// A .x material is a Direct3D material: every colour and the power count.
twmesh::ParsedMaterial convertXFileMaterial(const aiMaterial* source) {
    twmesh::ParsedMaterial m;
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
    std::initializer_list<aiTextureType> anyKind = {aiTextureType_DIFFUSE,
                                                    aiTextureType_SPECULAR,
                                                    aiTextureType_AMBIENT,
                                                    aiTextureType_EMISSIVE,
                                                    aiTextureType_HEIGHT,
                                                    aiTextureType_NORMALS,
                                                    aiTextureType_SHININESS,
                                                    aiTextureType_OPACITY,
                                                    aiTextureType_DISPLACEMENT,
                                                    aiTextureType_LIGHTMAP,
                                                    aiTextureType_REFLECTION,
                                                    aiTextureType_BASE_COLOR,
                                                    aiTextureType_NORMAL_CAMERA,
                                                    aiTextureType_EMISSION_COLOR,
                                                    aiTextureType_METALNESS,
                                                    aiTextureType_DIFFUSE_ROUGHNESS,
                                                    aiTextureType_AMBIENT_OCCLUSION,
                                                    aiTextureType_UNKNOWN};
    m.texture = textureOf(source, anyKind);
    return m;
}

// Of the materials of the other formats, what a diffuse Direct3D material can show: the
// base colour (glTF's, or the diffuse colour of OBJ, FBX and Collada) and its picture,
// which a .glb may hold itself. Shininess, metalness and the other maps are left out:
// the engine's fixed lighting has nothing to do with them.
twmesh::ParsedMaterial convertModelMaterial(const aiScene* scene, const aiMaterial* source) {
    twmesh::ParsedMaterial m;
    aiColor4D colour(1.0f, 1.0f, 1.0f, 1.0f);
    if (aiGetMaterialColor(source, AI_MATKEY_BASE_COLOR, &colour) != AI_SUCCESS) {
        // Formats without a base colour give their opacity apart (an OBJ's "d").
        colour = aiColor4D(1.0f, 1.0f, 1.0f, 1.0f);
        aiGetMaterialColor(source, AI_MATKEY_COLOR_DIFFUSE, &colour);
        float opacity = 1.0f;
        if (aiGetMaterialFloat(source, AI_MATKEY_OPACITY, &opacity) == AI_SUCCESS) {
            colour.a = std::isnan(opacity) ? colour.a : std::clamp(opacity, 0.0f, 1.0f);
        }
    }
    m.d3d.Diffuse = {colour.r, colour.g, colour.b, colour.a};
    m.texture = textureOf(source, {aiTextureType_BASE_COLOR, aiTextureType_DIFFUSE});
    const aiTexture* embedded =
        m.texture.empty() ? nullptr : scene->GetEmbeddedTexture(m.texture.c_str());
    if (embedded != nullptr) {
        // Only compressed pictures (mHeight 0) are kept: a glTF file holds no others.
        if (embedded->mHeight == 0 && embedded->pcData != nullptr) {
            const auto* bytes = reinterpret_cast<const char*>(embedded->pcData);
            m.textureBytes.assign(bytes, bytes + embedded->mWidth);
        }
        m.texture.clear();
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

// Turns a file's axes into y up. STL and PLY state no axes: the tools that write them
// (Blender, slicers, CAD) work z up. FBX states its axes; Collada and glTF are made y up
// by Assimp already, OBJ is y up by custom.
aiMatrix4x4 uprightingOf(const aiScene* scene, MeshFormat format) {
    aiMatrix4x4 axes; // rows: where x, y and z come from
    if (format == MeshFormat::Stl || format == MeshFormat::Ply) {
        axes = aiMatrix4x4(1, 0, 0, 0, 0, 0, 1, 0, 0, -1, 0, 0, 0, 0, 0, 1);
    } else if (format == MeshFormat::Fbx && scene->mMetaData != nullptr) {
        int up = 1, upSign = 1, front = 2, frontSign = 1, coord = 0, coordSign = 1;
        const aiMetadata& meta = *scene->mMetaData;
        meta.Get("UpAxis", up);
        meta.Get("UpAxisSign", upSign);
        meta.Get("FrontAxis", front);
        meta.Get("FrontAxisSign", frontSign);
        meta.Get("CoordAxis", coord);
        meta.Get("CoordAxisSign", coordSign);
        const int used[3] = {coord, up, front};
        const int signs[3] = {coordSign, upSign, frontSign};
        const bool distinct = coord != up && up != front && coord != front;
        if (distinct && std::all_of(std::begin(used), std::end(used),
                                    [](int axis) { return axis >= 0 && axis <= 2; })) {
            axes = aiMatrix4x4(0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 1);
            for (int row = 0; row < 3; ++row) {
                axes[row][used[row]] = signs[row] < 0 ? -1.0f : 1.0f;
            }
        }
    }
    return axes;
}

// Assimp opens the files a model names (a .gltf's buffers, an .obj's material file)
// through this, which notes each one it could open.
class NotingFileSystem : public Assimp::DefaultIOSystem {
public:
    explicit NotingFileSystem(std::vector<std::string>* opened) : opened_(opened) {}
    Assimp::IOStream* Open(const char* file, const char* mode) override {
        Assimp::IOStream* stream = DefaultIOSystem::Open(file, mode);
        if (stream != nullptr && file != nullptr &&
            std::find(opened_->begin(), opened_->end(), file) == opened_->end()) {
            opened_->push_back(file);
        }
        return stream;
    }

private:
    std::vector<std::string>* opened_;
};

const aiScene* readScene(Assimp::Importer& importer, const twmesh::MeshSource& source,
                         std::vector<std::string>* opened) {
    if (source.format == MeshFormat::XFile) {
        return importer.ReadFileFromMemory(
            source.bytes.data(), source.bytes.size(),
            aiProcess_ConvertToLeftHanded | aiProcess_ValidateDataStructure, "x");
    }
    // An FBX file's lengths are in its own unit (centimetres, as a rule): metres here.
    importer.SetPropertyBool(AI_CONFIG_FBX_CONVERT_TO_M, true);
    // The importer takes the file system over and deletes it with itself.
    importer.SetIOHandler(std::make_unique<NotingFileSystem>(opened).release());
    // The axes are turned before the conversion to left-handed, in the file's own frame.
    const aiScene* scene = importer.ReadFile(source.path, aiProcess_ValidateDataStructure);
    if (scene == nullptr || scene->mRootNode == nullptr) {
        return nullptr;
    }
    scene->mRootNode->mTransformation =
        uprightingOf(scene, source.format) * scene->mRootNode->mTransformation;
    return importer.ApplyPostProcessing(aiProcess_ConvertToLeftHanded);
}

} // namespace

namespace twmesh {

HRESULT parseMesh(const MeshSource& source, ParsedMesh* out) {
    Assimp::Importer importer;
    std::vector<std::string> opened;
    const aiScene* scene = readScene(importer, source, &opened);
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
    std::vector<ParsedMaterial> materials;
    if (anyMaterial) {
        for (auto& [index, attribute] : attributeOf) {
            attribute = static_cast<DWORD>(materials.size());
            const aiMaterial* material = scene->mMaterials[index];
            materials.push_back(source.format == MeshFormat::XFile
                                    ? convertXFileMaterial(material)
                                    : convertModelMaterial(scene, material));
        }
    } else {
        attributeOf.clear();
    }

    const std::optional<FvfLayout> layout = FvfLayout::of(fvf);
    Gatherer gatherer(scene, *layout, attributeOf);
    gatherer.walk(scene->mRootNode, aiMatrix4x4());
    out->fvf = fvf;
    out->vertexCount = gatherer.vertexCount();
    out->vertices = std::move(gatherer.vertices());
    out->indices = std::move(gatherer.indices());
    out->attributes = std::move(gatherer.attributes());
    out->materials = std::move(materials);
    out->companions.clear();
    for (std::string& file : opened) {
        if (file != source.path) {
            out->companions.push_back(std::move(file));
        }
    }
    return S_OK;
}

} // namespace twmesh
