#include <array>
#include <cmath>
#include <gtest/gtest.h>
#include <limits>

#include "d3dx9/d3dx9math.h"
#include "export/GltfDocument.h"
#include "glb_reading.h"

namespace {

using Matrix = std::array<float, 16>;

Matrix fromD3d(const D3DXMATRIX& m) {
    Matrix out{};
    std::memcpy(out.data(), &m, sizeof out);
    return out;
}

// glTF's column-major matrix applied to a column vector.
std::array<float, 3> applyColumnMajor(const Matrix& m, const std::array<float, 3>& p) {
    std::array<float, 3> out{};
    for (int row = 0; row < 3; ++row) {
        out[row] = m[row] * p[0] + m[4 + row] * p[1] + m[8 + row] * p[2] + m[12 + row];
    }
    return out;
}

struct Placement {
    const char* name;
    D3DXMATRIX world;
};

D3DXMATRIX turnedAndMoved(float yaw, float pitch, float scale, D3DXVECTOR3 to) {
    D3DXMATRIX s, y, x, t;
    D3DXMatrixScaling(&s, scale, scale, scale);
    D3DXMatrixRotationY(&y, yaw);
    D3DXMatrixRotationX(&x, pitch);
    D3DXMatrixTranslation(&t, to.x, to.y, to.z);
    return s * x * y * t;
}

} // namespace

// A point the engine places at p M lands, in the file, where the converted matrix puts
// the converted point: the same place, z turned round.
TEST(GltfDocument, MatricesPlaceAPointWhereTheEngineDoesWithZTurnedRound) {
    const Placement placements[] = {
        {"moved", turnedAndMoved(0, 0, 1, {1, 2, 3})},
        {"turned about y", turnedAndMoved(0.7f, 0, 1, {-5, 0, 8})},
        {"tilted and turned", turnedAndMoved(-2.1f, 0.4f, 1, {0, 4, -2})},
        {"scaled", turnedAndMoved(1.0f, -0.3f, 2.5f, {10, -1, 0.5f})},
    };
    const D3DXVECTOR3 points[] = {{0, 0, 0}, {1, 0, 0}, {0, 1, 0}, {0, 0, 1}, {-2, 3, 5}};
    for (const Placement& placement : placements) {
        const Matrix converted = GltfDocument::convertedMatrix(fromD3d(placement.world));
        for (const D3DXVECTOR3& p : points) {
            D3DXVECTOR3 engine;
            D3DXVec3TransformCoord(&engine, &p, &placement.world);
            const std::array<float, 3> file = applyColumnMajor(converted, {p.x, p.y, -p.z});
            EXPECT_NEAR(file[0], engine.x, 1e-5f) << placement.name;
            EXPECT_NEAR(file[1], engine.y, 1e-5f) << placement.name;
            EXPECT_NEAR(file[2], -engine.z, 1e-5f) << placement.name;
        }
    }
}

class GltfFile : public ::testing::Test {
protected:
    // One triangle, clockwise seen from -z (facing the engine's viewer), normals not of
    // unit length, and a second primitive without picture.
    void SetUp() override {
        const GltfDocument::Picture red{2, 1, {255, 0, 0, 255, 0, 0, 255, 0}};
        const int picture = document.addPicture(red);
        EXPECT_EQ(document.addPicture(red), picture);
        textured = document.addMaterial({"textured", {1, 1, 1, 1}, picture, true, true, true});
        plain =
            document.addMaterial({"plain", {0.5f, -0.25f, 1.5f, 0.5f}, {}, false, false, false});
        GltfDocument::Primitive triangle{{{{0, 0, 1}, {0, 0, -2}, {0, 1}},
                                          {{0, 2, 1}, {0, 0, -3}, {0, 0}},
                                          {{3, 0, 4}, {1, 0, 0}, {1, 1}}},
                                         {0, 1, 2},
                                         textured};
        GltfDocument::Primitive bare = triangle;
        bare.material = plain;
        mesh = document.addMesh("shared", {triangle, bare});
        document.addNode("first", mesh, fromD3d(turnedAndMoved(0, 0, 1, {1, 2, 3})));
        document.addNode("second", mesh, std::nullopt);
        parts = readGlb(document.glb());
    }

    const nlohmann::json& primitive(int i) const {
        return parts.document["meshes"][mesh]["primitives"][i];
    }

    GltfDocument document;
    int textured = 0;
    int plain = 0;
    int mesh = 0;
    GlbParts parts;
};

TEST_F(GltfFile, VerticesTurnZRoundAndTrianglesKeepFacingTheViewer) {
    const nlohmann::json& attributes = primitive(0)["attributes"];
    EXPECT_EQ(parts.values(attributes["POSITION"]),
              (std::vector<float>{0, 0, -1, 0, 2, -1, 3, 0, -4}));
    EXPECT_EQ(parts.values(attributes["NORMAL"]), (std::vector<float>{0, 0, 1, 0, 0, 1, 1, 0, 0}));
    EXPECT_EQ(parts.values(attributes["TEXCOORD_0"]), (std::vector<float>{0, 1, 0, 0, 1, 1}));
    // Clockwise from -z in the engine is counter-clockwise from +z in the file.
    EXPECT_EQ(parts.values(primitive(0)["indices"]), (std::vector<float>{0, 2, 1}));
    const nlohmann::json& position = parts.document["accessors"][attributes["POSITION"].get<int>()];
    EXPECT_EQ(position["min"], (std::vector<float>{0, 0, -4}));
    EXPECT_EQ(position["max"], (std::vector<float>{3, 2, -1}));
}

TEST_F(GltfFile, AMeshIsStoredOnceForEveryNodeThatPlacesIt) {
    ASSERT_EQ(parts.document["meshes"].size(), 1u);
    ASSERT_EQ(parts.document["nodes"].size(), 2u);
    EXPECT_EQ(parts.document["scenes"][0]["nodes"], (std::vector<int>{0, 1}));
    for (const auto& node : parts.document["nodes"]) {
        EXPECT_EQ(node["mesh"], mesh);
    }
    EXPECT_EQ(parts.document["nodes"][0]["matrix"][14], -3.0f);
    EXPECT_FALSE(parts.document["nodes"][1].contains("matrix"));
}

TEST_F(GltfFile, MaterialsCarryColourPictureAndHowTheEngineDrawsThem) {
    const nlohmann::json& materials = parts.document["materials"];
    EXPECT_EQ(materials[textured]["pbrMetallicRoughness"]["baseColorTexture"]["index"], 0);
    EXPECT_EQ(materials[textured]["alphaMode"], "MASK");
    EXPECT_TRUE(materials[textured]["doubleSided"].get<bool>());
    EXPECT_TRUE(materials[textured]["extensions"].contains("KHR_materials_unlit"));
    EXPECT_EQ(parts.document["extensionsUsed"], (std::vector<std::string>{"KHR_materials_unlit"}));
    EXPECT_EQ(materials[plain]["pbrMetallicRoughness"]["baseColorFactor"],
              (std::vector<float>{0.5f, 0, 1, 0.5f})); // as glTF allows
    EXPECT_EQ(materials[plain]["alphaMode"], "BLEND");
    EXPECT_FALSE(primitive(1)["attributes"].contains("TEXCOORD_0"));
    ASSERT_EQ(parts.document["images"].size(), 1u);
    const nlohmann::json& image = parts.document["images"][0];
    EXPECT_EQ(image["mimeType"], "image/png");
    const auto& view = parts.document["bufferViews"][image["bufferView"].get<int>()];
    const std::uint8_t* png = parts.binary.data() + view["byteOffset"].get<std::size_t>();
    EXPECT_EQ(std::string(reinterpret_cast<const char*>(png) + 1, 3), "PNG");
}

TEST(GltfDocument, APictureThatCannotBeEncodedLeavesNoFile) {
    GltfDocument document;
    document.addPicture({4, 4, std::vector<std::uint8_t>(3)});
    EXPECT_TRUE(document.glb().empty());
}

// Numbers that are not finite have no place in the file: what holds them is not drawn
// anyway, a mesh no node places is not stored, and a course without anything drawn is
// a file without nodes.
TEST(GltfDocument, WhatCannotBeDrawnIsLeftOut) {
    const float nan = std::numeric_limits<float>::quiet_NaN();
    const float inf = std::numeric_limits<float>::infinity();
    struct Case {
        const char* name;
        std::vector<GltfDocument::Vertex> vertices;
        std::optional<Matrix> world;
        std::size_t nodes;
        std::size_t triangles;
    };
    const GltfDocument::Vertex a{{0, 0, 0}, {0, 1, 0}, {0, 0}};
    const GltfDocument::Vertex b{{1, 0, 0}, {0, 1, 0}, {0, 0}};
    const GltfDocument::Vertex c{{0, 0, 1}, {0, 1, 0}, {0, 0}};
    const GltfDocument::Vertex lost{{nan, 0, 0}, {0, 1, 0}, {0, 0}};
    Matrix far = fromD3d(turnedAndMoved(0, 0, 1, {1, 2, 3}));
    far[12] = inf;
    const Case cases[] = {
        {"nothing", {}, std::nullopt, 0, 0},
        {"a vertex not finite", {a, b, c, lost}, std::nullopt, 1, 1},
        {"only vertices not finite", {lost, lost, lost, lost}, std::nullopt, 0, 0},
        {"a matrix not finite", {a, b, c, c}, far, 0, 0},
    };
    for (const Case& t : cases) {
        GltfDocument document;
        const int material = document.addMaterial({});
        if (!t.vertices.empty()) {
            // Two triangles: a b c, and one through the fourth vertex.
            const int mesh = document.addMesh("mesh", {{t.vertices, {0, 1, 2, 0, 3, 2}, material}});
            document.addNode("node", mesh, t.world);
        }
        const std::vector<std::uint8_t> bytes = document.glb();
        const GlbParts parts = readGlb(bytes);
        EXPECT_EQ(std::string(bytes.begin() + 20, bytes.end()).find("null"), std::string::npos)
            << t.name;
        // A scene lists at least one node, or none at all.
        EXPECT_NE(parts.document["scenes"][0].value("nodes", nlohmann::json::array({0})).size(), 0u)
            << t.name;
        EXPECT_EQ(parts.document["scenes"][0].value("nodes", nlohmann::json::array()).size(),
                  t.nodes)
            << t.name;
        std::size_t triangles = 0;
        for (const auto& mesh : parts.document.value("meshes", nlohmann::json::array())) {
            for (const auto& primitive : mesh["primitives"]) {
                triangles += parts.values(primitive["indices"]).size() / 3;
            }
        }
        EXPECT_EQ(triangles, t.triangles) << t.name;
    }
}
