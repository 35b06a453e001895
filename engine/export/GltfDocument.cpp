#include "export/GltfDocument.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <limits>

#include <nlohmann/json.hpp>
#include <stb/stb_image_write.h>

namespace {

using Json = nlohmann::json;

constexpr int kFloat = 5126;
constexpr int kUnsignedInt = 5125;
constexpr int kArrayBuffer = 34962;
constexpr int kElementArrayBuffer = 34963;

constexpr std::uint32_t kGlbMagic = 0x46546C67;    // "glTF"
constexpr std::uint32_t kJsonChunk = 0x4E4F534A;   // "JSON"
constexpr std::uint32_t kBinaryChunk = 0x004E4942; // "BIN\0"

// The file's binary chunk as it grows: every view starts on a 4-byte boundary, as
// accessors of floats and 32-bit indices need.
class BinaryChunk {
public:
    explicit BinaryChunk(Json& views) : m_views(views) {}

    // The index of the new buffer view over the bytes.
    int addView(const void* data, std::size_t size, std::optional<int> target) {
        padTo4();
        Json view = {{"buffer", 0}, {"byteOffset", m_bytes.size()}, {"byteLength", size}};
        if (target) {
            view["target"] = *target;
        }
        const auto* begin = static_cast<const std::uint8_t*>(data);
        m_bytes.insert(m_bytes.end(), begin, begin + size);
        m_views.push_back(std::move(view));
        return static_cast<int>(m_views.size()) - 1;
    }

    std::vector<std::uint8_t> finished() {
        padTo4();
        return std::move(m_bytes);
    }

private:
    void padTo4() { m_bytes.resize((m_bytes.size() + 3) / 4 * 4, 0); }

    Json& m_views;
    std::vector<std::uint8_t> m_bytes;
};

std::array<float, 3> unitNormal(const std::array<float, 3>& n) {
    const float length = std::sqrt(n[0] * n[0] + n[1] * n[1] + n[2] * n[2]);
    if (!(length > 0) || !std::isfinite(length)) {
        return {0, 1, 0};
    }
    return {n[0] / length, n[1] / length, n[2] / length};
}

bool isFinite(const GltfDocument::Vertex& v) {
    const auto finite = [](float x) { return std::isfinite(x); };
    return std::all_of(v.position.begin(), v.position.end(), finite) &&
           std::all_of(v.normal.begin(), v.normal.end(), finite) &&
           std::all_of(v.uv.begin(), v.uv.end(), finite);
}

// The primitive's triangles whose vertices are all finite numbers, with only the
// vertices they use.
GltfDocument::Primitive finitePart(const GltfDocument::Primitive& p) {
    constexpr std::uint32_t kNotKept = std::numeric_limits<std::uint32_t>::max();
    GltfDocument::Primitive kept{{}, {}, p.material};
    std::vector<std::uint32_t> newIndex(p.vertices.size(), kNotKept);
    for (std::size_t i = 0; i + 2 < p.indices.size(); i += 3) {
        const std::uint32_t* triangle = &p.indices[i];
        const bool drawable = std::all_of(triangle, triangle + 3, [&p](std::uint32_t v) {
            return v < p.vertices.size() && isFinite(p.vertices[v]);
        });
        for (int k = 0; drawable && k < 3; ++k) {
            std::uint32_t& to = newIndex[triangle[k]];
            if (to == kNotKept) {
                to = static_cast<std::uint32_t>(kept.vertices.size());
                kept.vertices.push_back(p.vertices[triangle[k]]);
            }
            kept.indices.push_back(to);
        }
    }
    return kept;
}

bool isIdentity(const std::array<float, 16>& m) {
    for (std::size_t i = 0; i < m.size(); ++i) {
        if (m[i] != (i % 5 == 0 ? 1.0f : 0.0f)) {
            return false;
        }
    }
    return true;
}

std::vector<std::uint8_t> encodedPng(const GltfDocument::Picture& picture) {
    std::vector<std::uint8_t> png;
    const auto append = [](void* context, void* data, int size) {
        auto* out = static_cast<std::vector<std::uint8_t>*>(context);
        const auto* bytes = static_cast<const std::uint8_t*>(data);
        out->insert(out->end(), bytes, bytes + size);
    };
    const bool expected = picture.width > 0 && picture.height > 0 &&
                          picture.rgba.size() == static_cast<std::size_t>(picture.width) *
                                                     static_cast<std::size_t>(picture.height) * 4;
    if (!expected || stbi_write_png_to_func(append, &png, picture.width, picture.height, 4,
                                            picture.rgba.data(), picture.width * 4) == 0) {
        png.clear();
    }
    return png;
}

// The accessors of one primitive, converted to glTF's axes, and the primitive naming them.
// Texture coordinates only go with a picture to read them.
Json primitiveJson(const GltfDocument::Primitive& p, bool textured, BinaryChunk& binary,
                   Json& accessors) {
    std::vector<float> positions;
    std::vector<float> normals;
    std::vector<float> uvs;
    positions.reserve(p.vertices.size() * 3);
    normals.reserve(p.vertices.size() * 3);
    uvs.reserve(p.vertices.size() * 2);
    std::array<float, 3> low;
    std::array<float, 3> high;
    low.fill(std::numeric_limits<float>::infinity());
    high.fill(-std::numeric_limits<float>::infinity());
    for (const GltfDocument::Vertex& v : p.vertices) {
        const std::array<float, 3> position = {v.position[0], v.position[1], -v.position[2]};
        const std::array<float, 3> n = unitNormal({v.normal[0], v.normal[1], -v.normal[2]});
        for (int k = 0; k < 3; ++k) {
            low[k] = std::min(low[k], position[k]);
            high[k] = std::max(high[k], position[k]);
        }
        positions.insert(positions.end(), position.begin(), position.end());
        normals.insert(normals.end(), n.begin(), n.end());
        uvs.insert(uvs.end(), v.uv.begin(), v.uv.end());
    }
    std::vector<std::uint32_t> indices;
    indices.reserve(p.indices.size());
    for (std::size_t i = 0; i + 2 < p.indices.size(); i += 3) {
        indices.insert(indices.end(), {p.indices[i], p.indices[i + 2], p.indices[i + 1]});
    }
    const auto accessor = [&](const std::vector<float>& values, const char* type, int components) {
        Json a = {{"bufferView",
                   binary.addView(values.data(), values.size() * sizeof(float), kArrayBuffer)},
                  {"componentType", kFloat},
                  {"count", values.size() / static_cast<std::size_t>(components)},
                  {"type", type}};
        accessors.push_back(std::move(a));
        return static_cast<int>(accessors.size()) - 1;
    };
    const int position = accessor(positions, "VEC3", 3);
    accessors[position]["min"] = low;
    accessors[position]["max"] = high;
    const int normal = accessor(normals, "VEC3", 3);
    Json attributes = {{"POSITION", position}, {"NORMAL", normal}};
    if (textured) {
        attributes["TEXCOORD_0"] = accessor(uvs, "VEC2", 2);
    }
    accessors.push_back(
        {{"bufferView", binary.addView(indices.data(), indices.size() * sizeof(std::uint32_t),
                                       kElementArrayBuffer)},
         {"componentType", kUnsignedInt},
         {"count", indices.size()},
         {"type", "SCALAR"}});
    return {{"attributes", std::move(attributes)},
            {"indices", static_cast<int>(accessors.size()) - 1},
            {"material", p.material},
            {"mode", 4}};
}

Json materialJson(const GltfDocument::Material& m) {
    // A mesh file may give colours past 1 (or worse); glTF takes 0 to 1.
    std::array<float, 4> colour = m.baseColour;
    for (float& c : colour) {
        c = std::isfinite(c) ? std::clamp(c, 0.0f, 1.0f) : 1.0f;
    }
    Json pbr = {{"baseColorFactor", colour}, {"metallicFactor", 0.0}};
    if (m.picture) {
        pbr["baseColorTexture"] = {{"index", *m.picture}};
    }
    Json material = {{"name", m.name}, {"pbrMetallicRoughness", std::move(pbr)}};
    if (m.cutout) {
        material["alphaMode"] = "MASK";
        // The engine drops texels below 8 of 255.
        material["alphaCutoff"] = 8.0 / 255.0;
    } else if (colour[3] < 1.0f) {
        material["alphaMode"] = "BLEND";
    }
    if (m.doubleSided) {
        material["doubleSided"] = true;
    }
    if (m.unlit) {
        material["extensions"] = {{"KHR_materials_unlit", Json::object()}};
    }
    return material;
}

void appendWord(std::vector<std::uint8_t>& out, std::uint32_t word) {
    for (int shift = 0; shift < 32; shift += 8) {
        out.push_back(static_cast<std::uint8_t>(word >> shift));
    }
}

} // namespace

int GltfDocument::addPicture(Picture picture) {
    const auto same = std::find_if(m_pictures.begin(), m_pictures.end(), [&](const Picture& p) {
        return p.width == picture.width && p.height == picture.height && p.rgba == picture.rgba;
    });
    if (same != m_pictures.end()) {
        return static_cast<int>(same - m_pictures.begin());
    }
    m_pictures.push_back(std::move(picture));
    return static_cast<int>(m_pictures.size()) - 1;
}

int GltfDocument::addMaterial(Material material) {
    m_materials.push_back(std::move(material));
    return static_cast<int>(m_materials.size()) - 1;
}

int GltfDocument::addMesh(std::string name, std::vector<Primitive> primitives) {
    for (Primitive& p : primitives) {
        p = finitePart(p);
    }
    std::erase_if(primitives, [](const Primitive& p) { return p.indices.empty(); });
    if (primitives.empty()) {
        return -1;
    }
    m_meshes.push_back({std::move(name), std::move(primitives)});
    return static_cast<int>(m_meshes.size()) - 1;
}

void GltfDocument::addNode(std::string name, int mesh,
                           const std::optional<std::array<float, 16>>& world) {
    const bool finite = !world || std::all_of(world->begin(), world->end(),
                                              [](float x) { return std::isfinite(x); });
    if (mesh >= 0 && finite) {
        m_nodes.push_back({std::move(name), mesh, world});
    }
}

std::array<float, 16> GltfDocument::convertedMatrix(const std::array<float, 16>& world) {
    std::array<float, 16> out = world;
    for (std::size_t i = 0; i < out.size(); ++i) {
        const bool zColumn = i / 4 == 2;
        const bool zRow = i % 4 == 2;
        if (zColumn != zRow) {
            out[i] = -out[i];
        }
    }
    return out;
}

std::vector<std::uint8_t> GltfDocument::glb() const {
    Json document = {{"asset", {{"version", "2.0"}, {"generator", "Tumbleway"}}}};
    Json views = Json::array();
    Json accessors = Json::array();
    BinaryChunk binary(views);

    Json images = Json::array();
    Json textures = Json::array();
    for (const Picture& picture : m_pictures) {
        const std::vector<std::uint8_t> png = encodedPng(picture);
        if (png.empty()) {
            return {};
        }
        images.push_back({{"bufferView", binary.addView(png.data(), png.size(), std::nullopt)},
                          {"mimeType", "image/png"}});
        textures.push_back({{"source", static_cast<int>(images.size()) - 1}});
    }
    Json materials = Json::array();
    bool unlit = false;
    for (const Material& m : m_materials) {
        materials.push_back(materialJson(m));
        unlit = unlit || m.unlit;
    }
    // Only the meshes that nodes place, in the order they were added.
    std::vector<int> fileIndex(m_meshes.size(), -1);
    for (const Node& node : m_nodes) {
        fileIndex[static_cast<std::size_t>(node.mesh)] = 0;
    }
    Json meshes = Json::array();
    for (std::size_t m = 0; m < m_meshes.size(); ++m) {
        if (fileIndex[m] < 0) {
            continue;
        }
        fileIndex[m] = static_cast<int>(meshes.size());
        const Mesh& mesh = m_meshes[m];
        Json primitives = Json::array();
        for (const Primitive& p : mesh.primitives) {
            const bool textured =
                m_materials.at(static_cast<std::size_t>(p.material)).picture.has_value();
            primitives.push_back(primitiveJson(p, textured, binary, accessors));
        }
        meshes.push_back({{"name", mesh.name}, {"primitives", std::move(primitives)}});
    }
    Json nodes = Json::array();
    Json sceneNodes = Json::array();
    for (const Node& node : m_nodes) {
        Json n = {{"name", node.name}, {"mesh", fileIndex[static_cast<std::size_t>(node.mesh)]}};
        if (node.world && !isIdentity(*node.world)) {
            n["matrix"] = convertedMatrix(*node.world);
        }
        sceneNodes.push_back(nodes.size());
        nodes.push_back(std::move(n));
    }
    document["scene"] = 0;
    Json scene = {{"name", "course"}};
    if (!sceneNodes.empty()) {
        scene["nodes"] = std::move(sceneNodes);
    }
    document["scenes"] = Json::array({std::move(scene)});
    const auto setIfAny = [&document](const char* key, Json& list) {
        if (!list.empty()) {
            document[key] = std::move(list);
        }
    };
    setIfAny("nodes", nodes);
    setIfAny("meshes", meshes);
    setIfAny("materials", materials);
    setIfAny("textures", textures);
    setIfAny("images", images);
    setIfAny("accessors", accessors);
    setIfAny("bufferViews", views);
    if (unlit) {
        document["extensionsUsed"] = {"KHR_materials_unlit"};
    }
    std::vector<std::uint8_t> bin = binary.finished();
    if (!bin.empty()) {
        document["buffers"] = Json::array({{{"byteLength", bin.size()}}});
    }

    std::string text = document.dump();
    text.resize((text.size() + 3) / 4 * 4, ' ');
    const std::size_t total = 12 + 8 + text.size() + (bin.empty() ? 0 : 8 + bin.size());
    if (total > std::numeric_limits<std::uint32_t>::max()) {
        return {}; // a binary glTF file's length is a 32-bit number
    }
    std::vector<std::uint8_t> out;
    out.reserve(total);
    appendWord(out, kGlbMagic);
    appendWord(out, 2);
    appendWord(out, static_cast<std::uint32_t>(total));
    appendWord(out, static_cast<std::uint32_t>(text.size()));
    appendWord(out, kJsonChunk);
    out.insert(out.end(), text.begin(), text.end());
    if (!bin.empty()) {
        appendWord(out, static_cast<std::uint32_t>(bin.size()));
        appendWord(out, kBinaryChunk);
        out.insert(out.end(), bin.begin(), bin.end());
    }
    return out;
}
