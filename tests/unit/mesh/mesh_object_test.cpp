// MeshObject as the engine uses it, and the media search behind its file names.
#include "mesh_support.h"

#include "assets/mesh/FindMediaFile.h"
#include "assets/mesh/MeshObject.h"
#include "d3d9/recording_device.h"

#include <gtest/gtest.h>

#include <cmath>

using namespace meshtest;

namespace {

// Three triangles, one per material: diffuse alpha 0.5, 1.0 and 1.5; the last textured.
constexpr const char* kThreeAlphas = R"(xof 0303txt 0032
Material Half { 1;0;0;0.5;; 10; 0;0;0;; 0;0;0;; }
Material Whole { 0;1;0;1;; 10; 0;0;0;; 0;0;0;; }
Material Over { 0;0;1;1.5;; 10; 0;0;0;; 0;0;0;; TextureFilename { "tint.png"; } }
Mesh Three {
  9; 0;0;0;, 0;1;0;, 1;0;0;, 2;0;0;, 2;1;0;, 3;0;0;, 4;0;0;, 4;1;0;, 5;0;0;;
  3; 3;0,1,2;, 3;3,4,5;, 3;6,7,8;;
  MeshMaterialList { 3; 3; 2,0,1;; { Half } { Whole } { Over } }
}
)";

// A quad without materials or texture coordinates, with normals that are plainly wrong.
constexpr const char* kPlainQuad = R"(xof 0303txt 0032
Mesh Quad {
  4; 0;0;0;, 0;1;0;, 1;0;0;, 1;1;0;;
  2; 3;0,1,2;, 3;2,1,3;;
  MeshNormals { 4; 1;0;0;, 1;0;0;, 1;0;0;, 1;0;0;; 2; 3;0,1,2;, 3;2,1,3;; }
}
)";

class MeshObjectTest : public testing::Test {
protected:
    void SetUp() override {
        writeFile(dir.file("alphas.x"), kThreeAlphas);
        writeFile(dir.file("plain.x"), kPlainQuad);
        std::filesystem::create_directories(dir.path() / "sdk/Media");
        std::filesystem::copy_file("samples/meshes/checker.png", dir.path() / "sdk/Media/tint.png");
    }

    // Loads a file the way the engine does, ready to draw.
    void ready(MeshObject& mesh, const std::string& file) {
        ASSERT_EQ(mesh.create(device.get(), file.c_str()), S_OK);
        ASSERT_EQ(mesh.setFVF(device.get(), 0x112), S_OK);
        ASSERT_EQ(mesh.restoreDeviceObjects(device.get()), S_OK);
    }

    // The diffuse alpha each draw was made with, and the first index it drew from.
    std::vector<std::pair<float, UINT>> drawn() const {
        std::vector<std::pair<float, UINT>> out;
        for (const DrawSnapshot& d : device->draws()) {
            out.emplace_back(d.state.material.Diffuse.a, d.call.startIndex);
        }
        return out;
    }

    TempDir dir;
    ComPtr<RecordingDevice> device = RecordingDevice::create(64, 64);
};

using Draws = std::vector<std::pair<float, UINT>>;

} // namespace

TEST_F(MeshObjectTest, OpaqueAndAlphaPassesSplitSubsetsByDiffuseAlpha) {
    EnvVar media(kMediaRootVariable, (dir.path() / "sdk").string());
    MeshObject mesh;
    ready(mesh, dir.file("alphas.x"));
    ASSERT_EQ(mesh.materialCount(), 3u);
    EXPECT_EQ(mesh.material(0).Diffuse.a, 0.5f);
    // tint.png exists only in the media folder.
    EXPECT_EQ(mesh.texture(0), nullptr);
    EXPECT_NE(mesh.texture(2), nullptr);

    device->BeginScene();
    device->clearLog();
    ASSERT_EQ(mesh.render(device.get(), true, false), S_OK);
    // Subset i is face i after sorting: alpha 1.0 and 1.5 are opaque.
    EXPECT_EQ(drawn(), (Draws{{1.0f, 3}, {1.5f, 6}}));
    EXPECT_EQ(device->draws()[0].texture(0), nullptr);
    EXPECT_EQ(device->draws()[1].texture(0), mesh.texture(2));

    device->clearLog();
    ASSERT_EQ(mesh.render(device.get(), false, true), S_OK);
    // Everything not exactly 1.0 goes through the alpha pass, 1.5 included.
    EXPECT_EQ(drawn(), (Draws{{0.5f, 0}, {1.5f, 6}}));
    EXPECT_EQ(device->count("SetMaterial"), 2u);
    EXPECT_EQ(device->count("SetTexture"), 2u);
}

TEST_F(MeshObjectTest, MeshWithoutMaterialsDrawsOnlyInTheOpaquePass) {
    MeshObject mesh;
    ready(mesh, dir.file("plain.x"));
    EXPECT_EQ(mesh.materialCount(), 0u);
    device->BeginScene();
    device->clearLog();
    ASSERT_EQ(mesh.render(device.get(), false, true), S_OK);
    EXPECT_TRUE(device->draws().empty());
    ASSERT_EQ(mesh.render(device.get(), true, true), S_OK);
    ASSERT_EQ(device->draws().size(), 1u);
    EXPECT_EQ(device->draws()[0].call.primitiveCount, 2u);
    EXPECT_EQ(device->count("SetMaterial"), 0u);
    EXPECT_EQ(device->count("SetTexture"), 0u);
}

TEST_F(MeshObjectTest, SetFVFConvertsBothCopiesAndComputesNormals) {
    MeshObject mesh;
    ASSERT_EQ(mesh.create(device.get(), dir.file("plain.x").c_str()), S_OK);
    ASSERT_EQ(mesh.restoreDeviceObjects(device.get()), S_OK);
    EXPECT_EQ(mesh.systemMesh()->GetFVF(), D3DFVF_XYZ | D3DFVF_NORMAL);
    ASSERT_EQ(mesh.setFVF(device.get(), 0x112), S_OK);
    for (ID3DXMesh* copy : {mesh.systemMesh(), mesh.localMesh()}) {
        EXPECT_EQ(copy->GetFVF(), 0x112u);
        EXPECT_EQ(copy->GetNumBytesPerVertex(), 32u);
        for (const Vertex& v : verticesOf(copy)) {
            EXPECT_EQ(v.normal, D3DXVECTOR3(0, 0, -1)); // clockwise faces look down -z
            EXPECT_EQ(v.u, 0.0f);
        }
    }
    EXPECT_EQ(mesh.systemMesh()->GetOptions() & D3DXMESH_SYSTEMMEM, D3DXMESH_SYSTEMMEM);
    EXPECT_EQ(mesh.localMesh()->GetOptions() & D3DXMESH_SYSTEMMEM, 0u);
}

TEST_F(MeshObjectTest, LoadAndMeasureLikeTheEngine) {
    MeshObject mesh("CD3DFile_Mesh");
    ASSERT_EQ(mesh.create(device.get(), "samples/meshes/car.x"), S_OK);
    ASSERT_EQ(mesh.setFVF(device.get(), D3DFVF_XYZ | D3DFVF_NORMAL | D3DFVF_TEX1), S_OK);

    ComPtr<IDirect3DVertexBuffer9> buffer;
    ASSERT_EQ(mesh.systemMesh()->GetVertexBuffer(buffer.put()), S_OK);
    void* data = nullptr;
    ASSERT_EQ(buffer->Lock(0, 0, &data, D3DLOCK_NOSYSLOCK), S_OK);
    D3DXVECTOR3 centre;
    float radius = 0;
    ASSERT_EQ(D3DXComputeBoundingSphere(
                  static_cast<D3DXVECTOR3*>(data), mesh.systemMesh()->GetNumVertices(),
                  D3DXGetFVFVertexSize(mesh.systemMesh()->GetFVF()), &centre, &radius),
              S_OK);
    buffer->Unlock();

    const std::vector<Vertex> v = verticesOf(mesh.systemMesh());
    D3DXVECTOR3 mean;
    for (const Vertex& p : v) {
        mean += p.position / static_cast<float>(v.size());
    }
    float farthest = 0;
    for (const Vertex& p : v) {
        D3DXVECTOR3 d = p.position - mean;
        farthest = std::max(farthest, D3DXVec3Length(&d));
    }
    EXPECT_NEAR(radius, farthest, 1e-5);
    EXPECT_GT(radius, 1.2f);
    EXPECT_LT(radius, 1.6f);

    ASSERT_EQ(mesh.restoreDeviceObjects(device.get()), S_OK);
    device->BeginScene();
    device->clearLog();
    ASSERT_EQ(mesh.render(device.get(), true, true), S_OK);
    EXPECT_EQ(drawn(), (Draws{{1.0f, 0}, {1.0f, 160 * 3}, {0.5f, 172 * 3}}));
}

TEST_F(MeshObjectTest, TexturesAreLookedUpBesideTheMeshAndInTheCurrentDirectory) {
    {
        MeshObject mesh;
        ASSERT_EQ(mesh.create(device.get(), "samples/meshes/box.x"), S_OK);
        EXPECT_NE(mesh.texture(0), nullptr); // checker.png lies beside box.x
    }
    fs::copy_file("samples/meshes/box.x", dir.path() / "box.x");
    {
        CurrentDir inside("samples/meshes");
        MeshObject mesh;
        ASSERT_EQ(mesh.create(device.get(), (dir.path() / "box.x").c_str()), S_OK);
        EXPECT_NE(mesh.texture(0), nullptr); // from the current folder
    }
    CurrentDir inside("samples/meshes");
    MeshObject mesh;
    ASSERT_EQ(mesh.create(device.get(), "box.x"), S_OK);
    ASSERT_NE(mesh.texture(0), nullptr);
    D3DSURFACE_DESC desc{};
    mesh.texture(0)->GetLevelDesc(0, &desc);
    EXPECT_EQ(desc.Width, 64u);
}

// A texture name is the mesh author's, not the user's: a name that leads out of the
// mesh's folder (absolute, or through "..") is looked up by its last component only, so a
// mesh cannot load a picture from outside the folders searched (here a 128 x 64 picture
// beside the current folder). Below the mesh's folder a name keeps its folders
// ("maps/wide.png", also 128 wide).
TEST_F(MeshObjectTest, TextureNamesAreLookedUpByTheirLastComponentOnly) {
    const fs::path outside = dir.path() / "outside";
    fs::create_directories(outside);
    fs::copy_file("samples/bitmaps/flag.bmp", outside / "far.bmp");
    fs::copy_file("samples/bitmaps/flag.bmp", outside / "near.png");
    fs::create_directories(dir.path() / "here");
    fs::copy_file("samples/meshes/checker.png", dir.path() / "here/near.png");
    fs::create_directories(dir.path() / "here/maps");
    fs::copy_file("samples/bitmaps/flag.bmp", dir.path() / "here/maps/wide.png");
    const std::string far = (outside / "far.bmp").string();
    const std::string near = (outside / "near.png").string();
    std::string materials;
    std::string list;
    int count = 0;
    for (const std::string& name :
         {far, std::string("../outside/far.bmp"), near, std::string("../outside/near.png"),
          std::string("maps\\\\near.png"), std::string("near.png"), std::string("outside/"),
          std::string(".."), std::string("maps/wide.png")}) {
        materials += "Material M" + std::to_string(count) +
                     " { 1;1;1;1;; 0; 0;0;0;; 0;0;0;; TextureFilename { \"" + name + "\"; } }\n";
        list += (count == 0 ? "" : ",") + std::to_string(count);
        ++count;
    }
    std::string mesh =
        "xof 0303txt 0032\n" + materials + "Mesh M {\n  " + std::to_string(3 * count) + ";";
    for (int i = 0; i < count; ++i) {
        mesh += std::string(i == 0 ? " " : ", ") + std::to_string(i) + ";0;0;, " +
                std::to_string(i) + ";1;0;, " + std::to_string(i + 1) + ";0;0;";
    }
    mesh += ";\n  " + std::to_string(count) + ";";
    for (int i = 0; i < count; ++i) {
        mesh += std::string(i == 0 ? " " : ", ") + "3;" + std::to_string(3 * i) + "," +
                std::to_string(3 * i + 1) + "," + std::to_string(3 * i + 2) + ";";
    }
    mesh += ";\n  MeshMaterialList { " + std::to_string(count) + "; " + std::to_string(count) +
            "; " + list + ";;";
    for (int i = 0; i < count; ++i) {
        mesh += " { M" + std::to_string(i) + " }";
    }
    mesh += " }\n}\n";
    writeFile(dir.path() / "here/named.x", mesh);

    EnvVar noMedia(kMediaRootVariable, std::nullopt);
    CurrentDir inside(dir.path() / "here");
    MeshObject object;
    ASSERT_EQ(object.create(device.get(), "named.x"), S_OK);
    ASSERT_EQ(object.materialCount(), static_cast<DWORD>(count));
    const auto width = [&](DWORD i) {
        D3DSURFACE_DESC desc{};
        if (object.texture(i) == nullptr || FAILED(object.texture(i)->GetLevelDesc(0, &desc))) {
            return 0u;
        }
        return desc.Width;
    };
    // The material order may change with the subsets; the names tell them apart.
    std::vector<UINT> widths;
    for (DWORD i = 0; i < object.materialCount(); ++i) {
        widths.push_back(width(i));
    }
    EXPECT_EQ(widths, (std::vector<UINT>{0, 0, 64, 64, 64, 64, 0, 0, 128}))
        << "paths out of the mesh's folder: only the folder-less part is looked up, here";
}

TEST_F(MeshObjectTest, DeviceCopyComesAndGoesWithTheDevice) {
    MeshObject mesh;
    EXPECT_EQ(mesh.create(device.get(), dir.file("garbage.x").c_str()), D3DXFERR_FILENOTFOUND);
    EXPECT_EQ(mesh.systemMesh(), nullptr);
    EXPECT_EQ(mesh.restoreDeviceObjects(device.get()), E_FAIL);

    ready(mesh, dir.file("alphas.x"));
    const std::size_t buffersBefore = device->count("CreateVertexBuffer");
    EXPECT_EQ(mesh.invalidateDeviceObjects(), S_OK);
    EXPECT_EQ(mesh.localMesh(), nullptr);
    EXPECT_EQ(mesh.render(device.get()), E_FAIL);
    ASSERT_EQ(mesh.restoreDeviceObjects(device.get()), S_OK);
    EXPECT_EQ(device->count("CreateVertexBuffer"), buffersBefore + 1);
    EXPECT_EQ(mesh.localMesh()->GetNumFaces(), 3u);
    device->BeginScene();
    EXPECT_EQ(mesh.render(device.get()), S_OK);

    // A device that refuses buffers leaves no device copy.
    mesh.invalidateDeviceObjects();
    device->failCreation(D3DERR_OUTOFVIDEOMEMORY, RecordingDevice::CreateVertexBuffers);
    EXPECT_EQ(mesh.restoreDeviceObjects(device.get()), E_FAIL);
    EXPECT_EQ(mesh.localMesh(), nullptr);

    EXPECT_EQ(mesh.destroy(), S_OK);
    EXPECT_EQ(mesh.materialCount(), 0u);
    EXPECT_EQ(mesh.systemMesh(), nullptr);
}

TEST(MeshObjectName, IsCutTo511Characters) {
    EXPECT_STREQ(MeshObject().name(), "CD3DFile_Mesh");
    const std::string longName(600, 'n');
    MeshObject mesh(longName.c_str());
    EXPECT_EQ(std::string(mesh.name()), longName.substr(0, 511));
}

TEST(FindMediaFile, LooksBesideTheNameThenHereThenInTheMediaFolder) {
    TempDir dir;
    writeFile(dir.path() / "here/box.x", "x");
    writeFile(dir.path() / "sdk/Media/only-in-media.png", "x");
    std::filesystem::create_directories(dir.path() / "here/folder.x");
    EnvVar media(kMediaRootVariable, (dir.path() / "sdk").string());
    CurrentDir here(dir.path() / "here");
    char out[MAX_PATH];

    const std::string full = (dir.path() / "here/box.x").string();
    EXPECT_EQ(findMediaFile(out, MAX_PATH, full.c_str()), S_OK);
    EXPECT_EQ(std::string(out), full);
    EXPECT_EQ(findMediaFile(out, MAX_PATH, "box.x"), S_OK);
    EXPECT_EQ(std::string(out), full); // expanded against the current directory

    EXPECT_EQ(findMediaFile(out, MAX_PATH, "elsewhere/box.x"), S_OK);
    EXPECT_STREQ(out, "box.x");

    EXPECT_EQ(findMediaFile(out, MAX_PATH, "textures/only-in-media.png"), S_OK);
    EXPECT_EQ(std::string(out), (dir.path() / "sdk/Media/only-in-media.png").string());

    EXPECT_EQ(findMediaFile(out, MAX_PATH, "nowhere.png"),
              HRESULT_FROM_WIN32(ERROR_FILE_NOT_FOUND));
    EXPECT_STREQ(out, "nowhere.png");
    // A folder is no file.
    EXPECT_EQ(findMediaFile(out, MAX_PATH, "folder.x"), HRESULT_FROM_WIN32(ERROR_FILE_NOT_FOUND));
}

TEST(FindMediaFile, FailuresOfArgumentsAndOfTheMediaFolder) {
    char out[MAX_PATH] = "untouched";
    EXPECT_EQ(findMediaFile(out, MAX_PATH, nullptr), E_INVALIDARG);
    EXPECT_EQ(findMediaFile(nullptr, MAX_PATH, "a.x"), E_INVALIDARG);
    EXPECT_EQ(findMediaFile(out, 0, "a.x"), E_INVALIDARG);
    EXPECT_EQ(findMediaFile(out, 4, "a.x"), E_FAIL); // the full path does not fit
    {
        EnvVar unset(kMediaRootVariable, std::nullopt);
        EXPECT_EQ(findMediaFile(out, MAX_PATH, "nowhere.png"), E_FAIL);
        EXPECT_STREQ(out, "");
    }
    {
        EnvVar deep(kMediaRootVariable, "/" + std::string(250, 'd'));
        EXPECT_EQ(findMediaFile(out, MAX_PATH, "nowhere.png"), E_INVALIDARG);
    }
}
