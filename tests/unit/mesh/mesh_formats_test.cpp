// Meshes of today's tools load into the engine's frame: upright, at their size, facing as
// they faced, with their pictures. The OBJ and glTF samples are written as their tools
// write them; the FBX, Collada, PLY and STL files are Assimp's own exports of the glTF
// sample, so every format is checked against one shape.
#include "assets/mesh/MeshObject.h"
#include "d3d9/recording_device.h"
#include "d3dx9/mesh_file.h"
#include "mesh_support.h"

#include <assimp/Exporter.hpp>
#include <assimp/Importer.hpp>
#include <assimp/postprocess.h>
#include <assimp/scene.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cmath>
#include <memory>

using namespace meshtest;

namespace {

// What the tests compare of a mesh: its triangles, its box and its signed volume, whose
// sign says which way its faces wind (the same as a .x box's, seen from outside).
struct Shape {
    std::size_t triangles = 0;
    std::array<float, 3> low{1e9f, 1e9f, 1e9f};
    std::array<float, 3> high{-1e9f, -1e9f, -1e9f};
    double volume = 0;
};

Shape shapeOf(ID3DXMesh* mesh) {
    const std::vector<Vertex> vertices = verticesOf(mesh);
    const std::vector<DWORD> indices = indicesOf(mesh);
    Shape shape;
    shape.triangles = indices.size() / 3;
    for (const Vertex& v : vertices) {
        const float p[3] = {v.position.x, v.position.y, v.position.z};
        for (int k = 0; k < 3; ++k) {
            shape.low[k] = std::min(shape.low[k], p[k]);
            shape.high[k] = std::max(shape.high[k], p[k]);
        }
    }
    for (std::size_t t = 0; t + 2 < indices.size(); t += 3) {
        D3DXVECTOR3 bc;
        D3DXVec3Cross(&bc, &vertices[indices[t + 1]].position, &vertices[indices[t + 2]].position);
        shape.volume += D3DXVec3Dot(&vertices[indices[t]].position, &bc) / 6.0;
    }
    return shape;
}

void expectShape(const Shape& shape, const Shape& expected, float tolerance) {
    EXPECT_EQ(shape.triangles, expected.triangles);
    for (int k = 0; k < 3; ++k) {
        EXPECT_NEAR(shape.low[k], expected.low[k], tolerance) << "low, axis " << k;
        EXPECT_NEAR(shape.high[k], expected.high[k], tolerance) << "high, axis " << k;
    }
    EXPECT_NEAR(shape.volume, expected.volume, 1e-3);
}

// The signpost as the engine must see it: the post from y 0 to 2, the board to the +x
// side, its front (+z in glTF) facing -z, two closed boxes of 1/32 each.
const Shape kSignpost{24, {-0.25f, 0.0f, -0.15625f}, {0.75f, 2.0f, 0.0625f}, 0.0625};

// Writes the glTF sample again through Assimp's exporter, in its frame (right-handed,
// y up). STL and PLY are written z up, as Blender and slicers write them. FBX is written
// as text: Assimp 5.2 cannot read back the binary FBX it writes.
void exportSignpost(const std::string& format, const fs::path& to) {
    Assimp::Importer importer;
    const aiScene* scene =
        importer.ReadFile("samples/meshes/signpost.glb", aiProcess_PreTransformVertices);
    ASSERT_NE(scene, nullptr) << importer.GetErrorString();
    // Assimp hands an orphaned scene over to its caller.
    const std::unique_ptr<aiScene> editable(importer.GetOrphanedScene());
    if (format == "stl" || format == "plyb") {
        for (unsigned m = 0; m < editable->mNumMeshes; ++m) {
            aiMesh* mesh = editable->mMeshes[m];
            for (unsigned v = 0; v < mesh->mNumVertices; ++v) {
                const aiVector3D p = mesh->mVertices[v];
                mesh->mVertices[v] = aiVector3D(p.x, -p.z, p.y);
            }
        }
    }
    Assimp::Exporter exporter;
    EXPECT_EQ(exporter.Export(editable.get(), format, to.string()), AI_SUCCESS)
        << exporter.GetErrorString();
}

class MeshFormats : public ::testing::Test {
protected:
    ComPtr<RecordingDevice> device = RecordingDevice::create(64, 64);
    TempDir dir;

    Shape load(const std::string& file) {
        MeshFile loaded;
        EXPECT_EQ(twLoadMeshFile(file.c_str(), D3DXMESH_SYSTEMMEM, device.get(), &loaded), S_OK)
            << file;
        return loaded.mesh ? shapeOf(loaded.mesh.get()) : Shape{};
    }
};

TEST_F(MeshFormats, EveryFormatLoadsUprightAtItsSizeFacingAsItFaced) {
    // A .x box winds its faces as the engine draws them: the others must wind alike.
    const double drawnSide = load("samples/meshes/box.x").volume > 0 ? 1.0 : -1.0;
    Shape signpost = kSignpost;
    signpost.volume *= drawnSide;
    expectShape(load("samples/meshes/signpost.glb"), signpost, 1e-6f);

    const struct {
        const char* format;
        const char* extension;
    } exports[] = {{"fbxa", "fbx"}, {"collada", "dae"}, {"plyb", "ply"}, {"stl", "stl"}};
    for (const auto& e : exports) {
        SCOPED_TRACE(e.format);
        const fs::path file = dir.path() / (std::string("signpost.") + e.extension);
        exportSignpost(e.format, file);
        expectShape(load(file.string()), signpost, 1e-4f);
    }

    // The barrel stands on y = 0, 1.25 high, a 16-sided prism of radius 0.5.
    const double barrelVolume = 8 * 0.25 * std::sin(M_PI / 8) * 1.25;
    expectShape(load("samples/meshes/barrel.obj"),
                {60, {-0.5f, 0.0f, -0.5f}, {0.5f, 1.25f, 0.5f}, drawnSide * barrelVolume}, 1e-6f);
}

TEST_F(MeshFormats, PicturesComeFromTheFileOrBesideIt) {
    // From another folder, so that only the mesh's own folder can hold the pictures.
    const fs::path samples = fs::absolute("samples/meshes");
    CurrentDir elsewhere(dir.path());
    // What must travel with the mesh: the files it was read from besides itself.
    const std::pair<const char*, std::vector<std::string>> files[] = {
        {"signpost.glb", {}},
        {"barrel.obj", {(samples / "barrel.mtl").string(), (samples / "barrel.png").string()}}};
    for (const auto& [name, companions] : files) {
        SCOPED_TRACE(name);
        MeshObject mesh;
        ASSERT_EQ(mesh.create(device.get(), (samples / name).c_str()), S_OK);
        std::vector<std::string> found = mesh.companions();
        std::sort(found.begin(), found.end());
        EXPECT_EQ(found, companions);
        int textured = 0;
        for (DWORD i = 0; i < mesh.materialCount(); ++i) {
            D3DSURFACE_DESC desc{};
            if (mesh.texture(i) != nullptr && SUCCEEDED(mesh.texture(i)->GetLevelDesc(0, &desc))) {
                EXPECT_EQ(desc.Width, 64u);
                ++textured;
            } else {
                // The untextured part keeps its base colour: brown, not white.
                EXPECT_LT(mesh.material(i).Diffuse.b, 0.5f);
            }
        }
        EXPECT_EQ(mesh.materialCount(), 2u);
        EXPECT_EQ(textured, 1);
    }
}

TEST_F(MeshFormats, FilesThatAreNotWhatTheirNameSaysFailCleanly) {
    const struct {
        const char* name;
        std::string content;
        HRESULT expected;
    } files[] = {
        {"empty.glb", "", D3DXFERR_PARSEERROR},
        {"text.glb", "hello", D3DXFERR_PARSEERROR},
        {"cut.glb", readFile("samples/meshes/signpost.glb").substr(0, 200), D3DXFERR_PARSEERROR},
        {"lines.obj", "v 0 0 0\nv 1 0 0\nl 1 2\n", D3DXERR_LOADEDMESHASNODATA},
        {"nothing.stl", "solid x\nendsolid x\n", D3DXFERR_PARSEERROR},
        {"glb-named.x", readFile("samples/meshes/signpost.glb"), D3DXFERR_BADFILETYPE},
        {"missing-bin.gltf",
         R"({"asset":{"version":"2.0"},"buffers":[{"uri":"gone.bin","byteLength":36}],)"
         R"("bufferViews":[{"buffer":0,"byteLength":36}],"accessors":[{"bufferView":0,)"
         R"("componentType":5126,"count":3,"type":"VEC3","min":[0,0,0],"max":[1,1,0]}],)"
         R"("meshes":[{"primitives":[{"attributes":{"POSITION":0}}]}],"nodes":[{"mesh":0}],)"
         R"("scenes":[{"nodes":[0]}]})",
         D3DXFERR_PARSEERROR},
    };
    for (const auto& f : files) {
        SCOPED_TRACE(f.name);
        writeFile(dir.path() / f.name, f.content);
        MeshFile loaded;
        EXPECT_EQ(
            twLoadMeshFile(dir.file(f.name).c_str(), D3DXMESH_SYSTEMMEM, device.get(), &loaded),
            f.expected);
        EXPECT_EQ(loaded.mesh, nullptr);
        EXPECT_TRUE(loaded.materials.empty());
    }
    MeshFile loaded;
    EXPECT_EQ(twLoadMeshFile(dir.file("absent.obj").c_str(), 0, device.get(), &loaded),
              D3DXFERR_FILENOTFOUND);
}

} // namespace
