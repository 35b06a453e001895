// Loading .x files: the sample meshes as written, frames, materials, the three file
// forms, and files that are missing, broken or empty.
#include "mesh_support.h"

#include "d3d9/recording_device.h"

#include <gtest/gtest.h>

#include <cmath>

using namespace meshtest;

namespace {

struct Loaded {
    HRESULT result = E_FAIL;
    ComPtr<ID3DXMesh> mesh;
    ComPtr<ID3DXBuffer> adjacency;
    ComPtr<ID3DXBuffer> materials;
    ComPtr<ID3DXBuffer> effects;
    DWORD materialCount = 99;

    const D3DXMATERIAL& material(DWORD i) const {
        return static_cast<const D3DXMATERIAL*>(materials->GetBufferPointer())[i];
    }
};

Loaded load(const std::string& file) {
    Loaded out;
    out.result = D3DXLoadMeshFromX(file.c_str(), D3DXMESH_SYSTEMMEM, nullptr, out.adjacency.put(),
                                   out.materials.put(), out.effects.put(), &out.materialCount,
                                   out.mesh.put());
    return out;
}

void expectColour(const D3DCOLORVALUE& c, float r, float g, float b, float a) {
    EXPECT_EQ(c.r, r);
    EXPECT_EQ(c.g, g);
    EXPECT_EQ(c.b, b);
    EXPECT_EQ(c.a, a);
}

std::vector<BYTE> vertexBytes(ID3DXMesh* mesh) {
    void* data = nullptr;
    mesh->LockVertexBuffer(D3DLOCK_READONLY, &data);
    std::vector<BYTE> out(static_cast<const BYTE*>(data),
                          static_cast<const BYTE*>(data) +
                              mesh->GetNumVertices() * mesh->GetNumBytesPerVertex());
    mesh->UnlockVertexBuffer();
    return out;
}

} // namespace

TEST(XFile, SampleMeshesHaveTheirCountsAndFormats) {
    struct Expected {
        const char* file;
        DWORD vertices, faces, fvf, materials;
    };
    // Quads and polygons arrive as triangles; vertices as the files list them.
    for (const Expected& e :
         {Expected{"box.x", 24, 12, 0x112, 1}, Expected{"ball.x", 115, 168, 0x112, 2},
          Expected{"cone.x", 37, 24, 0x012, 2},
          Expected{"car.x", 48 + 4 * 42, 24 + 4 * 40, 0x012, 3}}) {
        SCOPED_TRACE(e.file);
        Loaded x = load(std::string("samples/meshes/") + e.file);
        ASSERT_EQ(x.result, S_OK);
        EXPECT_EQ(x.mesh->GetNumVertices(), e.vertices);
        EXPECT_EQ(x.mesh->GetNumFaces(), e.faces);
        EXPECT_EQ(x.mesh->GetFVF(), e.fvf);
        EXPECT_EQ(x.materialCount, e.materials);
        EXPECT_EQ(x.adjacency->GetBufferSize(), e.faces * 3 * 4);
        EXPECT_EQ(x.effects->GetBufferSize(), e.materials * sizeof(D3DXEFFECTINSTANCE));
    }
}

TEST(XFile, CoordinatesTextureCoordinatesAndWindingAreTheFilesOwn) {
    Loaded x = load("samples/meshes/box.x");
    ASSERT_EQ(x.result, S_OK);
    const std::vector<Vertex> v = verticesOf(x.mesh.get());
    // "-1.000000;-0.500000;-0.750000;" with "0.250000;0.750000;": z and v not mirrored.
    const Vertex* corner = findAt(v, D3DXVECTOR3(-1.0f, -0.5f, -0.75f));
    ASSERT_NE(corner, nullptr);
    EXPECT_EQ(corner->u, 0.25f);
    EXPECT_EQ(corner->v, 0.75f);
    const Vertex* above = findAt(v, D3DXVECTOR3(-1.0f, 0.5f, -0.75f));
    ASSERT_NE(above, nullptr);
    EXPECT_EQ(above->v, 0.25f);

    // Each face, taken clockwise as Direct3D does, faces the way the file's normals say.
    const std::vector<DWORD> indices = indicesOf(x.mesh.get());
    for (std::size_t f = 0; f < indices.size(); f += 3) {
        const D3DXVECTOR3 a = v[indices[f]].position;
        D3DXVECTOR3 e1 = v[indices[f + 1]].position - a;
        D3DXVECTOR3 e2 = v[indices[f + 2]].position - a;
        D3DXVECTOR3 n;
        D3DXVec3Cross(&n, &e1, &e2);
        EXPECT_GT(D3DXVec3Dot(&n, &v[indices[f]].normal), 0.0f) << "face " << f / 3;
    }
}

TEST(XFile, MaterialsKeepAlphaSpecularPowerEmissiveAndTexture) {
    Loaded box = load("samples/meshes/box.x");
    ASSERT_EQ(box.result, S_OK);
    EXPECT_STREQ(box.material(0).pTextureFilename, "checker.png");

    Loaded car = load("samples/meshes/car.x");
    ASSERT_EQ(car.result, S_OK);
    ASSERT_EQ(car.materialCount, 3u);
    // Tyre is defined first (at the top, shared by the wheels), then Paint and Glass.
    const D3DMATERIAL9& tyre = car.material(0).MatD3D;
    expectColour(tyre.Diffuse, 0.125f, 0.125f, 0.125f, 1.0f);
    EXPECT_EQ(tyre.Power, 4.0f);
    const D3DMATERIAL9& paint = car.material(1).MatD3D;
    expectColour(paint.Diffuse, 0.75f, 0.0625f, 0.125f, 1.0f);
    expectColour(paint.Specular, 1.0f, 1.0f, 1.0f, 1.0f);
    expectColour(paint.Emissive, 0.0625f, 0.0f, 0.0f, 1.0f);
    expectColour(paint.Ambient, 0.0f, 0.0f, 0.0f, 0.0f);
    EXPECT_EQ(paint.Power, 64.0f);
    EXPECT_EQ(car.material(2).MatD3D.Diffuse.a, 0.5f);
    EXPECT_EQ(car.material(2).pTextureFilename, nullptr);

    // Faces carry the number of their material: 12 body, 12 glass, 160 tyre.
    std::vector<DWORD> counts(3);
    for (DWORD a : attributesOf(car.mesh.get())) {
        ++counts.at(a);
    }
    EXPECT_EQ(counts, (std::vector<DWORD>{160, 12, 12}));
}

TEST(XFile, FrameTransformsPlaceTheParts) {
    Loaded car = load("samples/meshes/car.x");
    ASSERT_EQ(car.result, S_OK);
    const std::vector<Vertex> v = verticesOf(car.mesh.get());
    // Body frame (0, 0.25, 0) inside the car frame (0, 0.375, 0).
    EXPECT_NE(findAt(v, D3DXVECTOR3(-1.125f, 0.375f, -0.5f)), nullptr);
    EXPECT_EQ(findAt(v, D3DXVECTOR3(-1.125f, -0.25f, -0.5f)), nullptr);
    // Hub centres (0, 0, +-0.125) of each wheel; the right-hand wheels are turned half
    // around y, which carries their hub normals (0, 0, -1) over to (0, 0, 1).
    struct Hub {
        float x, z, normalZ;
    };
    for (const Hub& hub :
         {Hub{0.875f, 0.5f, -1}, Hub{0.875f, 0.75f, 1}, Hub{-0.75f, 0.5f, -1},
          Hub{0.875f, -0.5f, 1}, Hub{0.875f, -0.75f, -1}, Hub{-0.75f, -0.75f, -1}}) {
        SCOPED_TRACE(testing::Message() << hub.x << ", " << hub.z);
        const Vertex* centre = findAt(v, D3DXVECTOR3(hub.x, 0.375f, hub.z));
        ASSERT_NE(centre, nullptr);
        EXPECT_NEAR(centre->normal.x, 0.0f, 1e-6);
        EXPECT_NEAR(centre->normal.z, hub.normalZ, 1e-6);
    }
}

TEST(XFile, BinaryAndCompressedFormsLoadAsTheText) {
    Loaded text = load("samples/meshes/box.x");
    ASSERT_EQ(text.result, S_OK);
    for (const char* other : {"samples/meshes/box-binary.x", "samples/meshes/box-compressed.x"}) {
        SCOPED_TRACE(other);
        Loaded x = load(other);
        ASSERT_EQ(x.result, S_OK);
        EXPECT_EQ(vertexBytes(x.mesh.get()), vertexBytes(text.mesh.get()));
        EXPECT_EQ(indicesOf(x.mesh.get()), indicesOf(text.mesh.get()));
        ASSERT_EQ(x.materialCount, 1u);
        EXPECT_STREQ(x.material(0).pTextureFilename, "checker.png");
        EXPECT_EQ(x.material(0).MatD3D.Power, 8.0f);
    }
}

TEST(XFile, MeshWithoutMaterialsGivesNone) {
    TempDir dir;
    writeFile(dir.file("plain.x"), "xof 0303txt 0032\n"
                                   "Mesh { 4; 0;0;0;, 1;0;0;, 0;1;0;, 1;1;0;;\n"
                                   "  2; 3;0,1,2;, 3;2,1,3;; }\n");
    Loaded x = load(dir.file("plain.x"));
    ASSERT_EQ(x.result, S_OK);
    EXPECT_EQ(x.materialCount, 0u);
    EXPECT_EQ(x.materials, nullptr);
    EXPECT_EQ(x.effects, nullptr);
    EXPECT_EQ(attributesOf(x.mesh.get()), (std::vector<DWORD>{0, 0}));
    EXPECT_EQ(x.mesh->GetNumVertices(), 4u);
}

TEST(XFile, BrokenFilesFailCleanly) {
    TempDir dir;
    const std::string text = readFile("samples/meshes/car.x");
    const std::string binary = readFile("samples/meshes/box-binary.x");
    const std::string compressed = readFile("samples/meshes/box-compressed.x");
    writeFile(dir.file("garbage.x"), "this is not a mesh at all, only words\n");
    writeFile(dir.file("header-only.x"), "xof 0303txt 0032\n");
    writeFile(dir.file("wrong-floats.x"), "xof 0303txt 0016\n" + text.substr(17));
    writeFile(dir.file("no-faces.x"), "xof 0303txt 0032\nFrame Empty { }\n");
    std::filesystem::create_directory(dir.path() / "folder.x");

    EXPECT_EQ(load(dir.file("missing.x")).result, D3DXFERR_FILENOTFOUND);
    EXPECT_EQ(load(dir.file("folder.x")).result, D3DXFERR_FILENOTFOUND);
    EXPECT_EQ(load(dir.file("garbage.x")).result, D3DXFERR_BADFILETYPE);
    EXPECT_EQ(load(dir.file("wrong-floats.x")).result, D3DXFERR_BADFILEFLOATSIZE);
    EXPECT_TRUE(FAILED(load(dir.file("header-only.x")).result));
    EXPECT_TRUE(FAILED(load(dir.file("no-faces.x")).result));

    // Every form cut short at many places: a failure with nothing handed out, or (cut
    // only in its closing braces) a mesh.
    for (const std::string* whole : {&text, &binary, &compressed}) {
        for (std::size_t cut = 8; cut < whole->size(); cut += whole->size() / 23 + 1) {
            SCOPED_TRACE(testing::Message() << "cut at " << cut);
            writeFile(dir.file("cut.x"), whole->substr(0, cut));
            Loaded x = load(dir.file("cut.x"));
            if (FAILED(x.result)) {
                EXPECT_EQ(x.mesh, nullptr);
                EXPECT_EQ(x.materials, nullptr);
                EXPECT_EQ(x.adjacency, nullptr);
                EXPECT_EQ(x.materialCount, 0u);
            } else {
                EXPECT_GT(x.mesh->GetNumFaces(), 0u);
            }
        }
    }
}

TEST(XFile, TextureNamesTakeForwardSlashes) {
    TempDir dir;
    writeFile(dir.file("wood.x"), R"(xof 0303txt 0032
Mesh { 3; 0;0;0;, 0;1;0;, 1;0;0;; 1; 3;0,1,2;;
  MeshMaterialList { 1; 1; 0;;
    Material Wood { 1;1;1;1;; 0; 0;0;0;; 0;0;0;; TextureFilename { "maps\\wood.bmp"; } } } }
)");
    Loaded x = load(dir.file("wood.x"));
    ASSERT_EQ(x.result, S_OK);
    EXPECT_STREQ(x.material(0).pTextureFilename, "maps/wood.bmp");
}

TEST(XFile, LoadsIntoDeviceBuffersToo) {
    ComPtr<RecordingDevice> device = RecordingDevice::create(64, 64);
    Loaded system = load("samples/meshes/ball.x");
    ComPtr<ID3DXMesh> managed;
    ASSERT_EQ(D3DXLoadMeshFromX("samples/meshes/ball.x", D3DXMESH_MANAGED, device.get(), nullptr,
                                nullptr, nullptr, nullptr, managed.put()),
              S_OK);
    EXPECT_EQ(device->count("CreateVertexBuffer"), 1u);
    EXPECT_EQ(vertexBytes(managed.get()), vertexBytes(system.mesh.get()));
    EXPECT_EQ(indicesOf(managed.get()), indicesOf(system.mesh.get()));
}
