#include "export/CourseExport.h"

#include <array>
#include <cstring>
#include <map>
#include <optional>
#include <string_view>

#include "course/CourseField.h"
#include "course/StripGrid.h"
#include "export/GltfDocument.h"
#include "export/MeshPrimitives.h"
#include "export/TexturePicture.h"
#include "scene/Placements.h"
#include "scene/SceneObject.h"
#include "tumbleway/NameField.h"

namespace {

// Outside the loop to inside it.
constexpr std::array<std::string_view, kStripCount> kStripNames = {
    "outer field strip", "outer bank", "outer edge",       "road",
    "inner edge",        "inner bank", "inner field strip"};

std::array<float, 16> matrixOf(const D3DXMATRIX& m) {
    std::array<float, 16> out{};
    std::memcpy(out.data(), &m, sizeof out);
    return out;
}

std::array<float, 4> colourOf(const D3DCOLORVALUE& c) {
    return {c.r, c.g, c.b, c.a};
}

class CourseWriter {
public:
    explicit CourseWriter(IDirect3DDevice9* device) : m_device(device) {}

    void addStrips(const LCourse_t& course);
    void addField(const LCourse_t& course);
    void addMeshes(const LCourse_t& course);
    void addBitmaps(LCourse_t& course, const D3DXVECTOR3& facing);

    std::vector<std::uint8_t> glb() const { return m_document.glb(); }

private:
    // Each picture once, by the texture that holds it on the device.
    std::optional<int> picture(IDirect3DTexture9* texture);
    // A strip's picture read again from its file, at full depth, once per file.
    std::optional<int> stripPicture(const StripGrid& strip);

    IDirect3DDevice9* m_device;
    GltfDocument m_document;
    std::map<const void*, std::optional<int>> m_pictures;
    std::map<std::string, std::optional<int>, std::less<>> m_stripPictures;
};

std::optional<int> CourseWriter::picture(IDirect3DTexture9* texture) {
    const auto [at, added] = m_pictures.try_emplace(texture);
    if (added) {
        std::optional<GltfDocument::Picture> read = texturePicture(texture);
        if (read) {
            at->second = m_document.addPicture(std::move(*read));
        }
    }
    return at->second;
}

std::optional<int> CourseWriter::stripPicture(const StripGrid& strip) {
    const auto [at, added] = m_stripPictures.try_emplace(strip.texturePath());
    if (added) {
        std::optional<GltfDocument::Picture> read = filePicture(m_device, strip.texturePath());
        at->second = read ? std::optional<int>(m_document.addPicture(std::move(*read)))
                          : picture(strip.texture());
    }
    return at->second;
}

void CourseWriter::addStrips(const LCourse_t& course) {
    if (!course.stripsCreated) {
        return;
    }
    for (int k = 0; k < kStripCount; ++k) {
        const StripGrid* strip = course.strips[static_cast<std::size_t>(k)].get();
        if (strip == nullptr) {
            continue;
        }
        const std::string name(kStripNames[static_cast<std::size_t>(k)]);
        GltfDocument::Material material{name, {1, 1, 1, 1}, std::nullopt, true, false, false};
        // A strip whose picture did not load is drawn untextured.
        material.picture = strip->texture() != nullptr ? stripPicture(*strip) : std::nullopt;
        GltfDocument::Primitive primitive;
        primitive.material = m_document.addMaterial(std::move(material));
        for (const StripGrid::Vertex& v : strip->vertices()) {
            primitive.vertices.push_back({{v.x, v.y, v.z}, {v.nx, v.ny, v.nz}, {v.u, v.v}});
        }
        primitive.indices.assign(strip->indices().begin(), strip->indices().end());
        const int mesh = m_document.addMesh(name, {std::move(primitive)});
        m_document.addNode(name, mesh, std::nullopt);
    }
}

// The field's pieces carry no texture coordinates, so the engine draws each with the
// colour of its picture's first texel; so do the coordinates given here.
void CourseWriter::addField(const LCourse_t& course) {
    if (!course.stripsCreated || !course.field) {
        return;
    }
    std::map<IDirect3DTexture9*, GltfDocument::Primitive> byTexture;
    for (const auto& fan : course.field->fans()) {
        GltfDocument::Primitive& primitive = byTexture[fan->texture()];
        for (const auto& triangle : fan->triangles()) {
            for (const D3DXVECTOR3& p : triangle) {
                primitive.indices.push_back(static_cast<std::uint32_t>(primitive.vertices.size()));
                primitive.vertices.push_back({{p.x, p.y, p.z}, {0, 1, 0}, {0, 0}});
            }
        }
    }
    std::vector<GltfDocument::Primitive> primitives;
    for (auto& [texture, primitive] : byTexture) {
        primitive.material = m_document.addMaterial(
            {"inner field", {1, 1, 1, 1}, picture(texture), true, false, true});
        primitives.push_back(std::move(primitive));
    }
    m_document.addNode("inner field", m_document.addMesh("inner field", std::move(primitives)),
                       std::nullopt);
}

void CourseWriter::addMeshes(const LCourse_t& course) {
    std::map<const MeshObject*, int> meshes;
    for (const XfilePlacement& placement : course.xfilePlacements) {
        if (!placement.mesh) {
            continue; // not drawn
        }
        const std::string name(nameFieldText(placement.name));
        const auto [at, added] = meshes.try_emplace(placement.mesh.get(), -1);
        if (added) {
            const MeshObject& mesh = *placement.mesh;
            int first = -1;
            for (DWORD i = 0; i < mesh.materialCount(); ++i) {
                const int material = m_document.addMaterial(
                    {name + " " + std::to_string(i), colourOf(mesh.material(i).Diffuse),
                     picture(mesh.texture(i)), false, false, false});
                first = first < 0 ? material : first;
            }
            if (first < 0) {
                first =
                    m_document.addMaterial({name, {1, 1, 1, 1}, std::nullopt, false, false, false});
            }
            at->second = m_document.addMesh(name, meshPrimitives(mesh, first));
        }
        m_document.addNode(name, at->second,
                           matrixOf(course.xfilePlacements.body(placement).world));
    }
}

void CourseWriter::addBitmaps(LCourse_t& course, const D3DXVECTOR3& facing) {
    for (BitmapPlacement& placement : course.bitmapPlacements) {
        if (!placement.bitmap) {
            continue;
        }
        BitmapBillboard& bitmap = *placement.bitmap;
        bitmap.face(facing.x, facing.y, facing.z);
        const std::string name(nameFieldText(placement.name));
        const BitmapBillboard::Vertex* quad = bitmap.vertices();
        GltfDocument::Primitive primitive;
        // The quad looks towards -z before it is turned.
        for (int i = 0; i < 4; ++i) {
            primitive.vertices.push_back(
                {{quad[i].x, quad[i].y, quad[i].z}, {0, 0, -1}, {quad[i].u, quad[i].v}});
        }
        primitive.indices = {0, 1, 2, 2, 1, 3};
        // Turned to the viewer in every frame, a quad is seen from both sides. The picture
        // keeps its own colours: the engine draws it lit without a normal, only the
        // ambient light on it.
        primitive.material = m_document.addMaterial(
            {name, {1, 1, 1, 1}, picture(bitmap.texture()), true, true, true});
        D3DXMATRIX world = bitmap.world();
        world._41 = placement.drawX;
        world._42 = placement.drawY;
        world._43 = placement.drawZ;
        m_document.addNode(name, m_document.addMesh(name, {std::move(primitive)}), matrixOf(world));
    }
}

} // namespace

CourseExport exportCourse(LCourse_t& course, IDirect3DDevice9* device,
                          const D3DXVECTOR3& bitmapFacing) {
    CourseWriter writer(device);
    writer.addStrips(course);
    writer.addField(course);
    writer.addMeshes(course);
    writer.addBitmaps(course, bitmapFacing);
    CourseExport result{writer.glb(), {}};
    if (result.glb.empty()) {
        result.error = "a picture of the course could not be encoded, or the course is too "
                       "large for a glTF file (4 GiB)";
    }
    return result;
}
