// The mesh object itself: buffers, cloning, reordering, adjacency, normals, bounds and
// drawing through the recording device.
#include "mesh_support.h"

#include "d3d9/recording_device.h"

#include <gtest/gtest.h>

#include <cmath>

using namespace meshtest;

namespace {

struct PosUv {
    float x, y, z, u, v;
};

// A mesh of XYZ|TEX1 vertices and the given triangles and attributes.
ComPtr<ID3DXMesh> makeMesh(const std::vector<PosUv>& vertices, const std::vector<DWORD>& indices,
                           const std::vector<DWORD>& attributes, DWORD options,
                           IDirect3DDevice9* device) {
    ComPtr<ID3DXMesh> mesh;
    EXPECT_EQ(D3DXCreateMeshFVF(static_cast<DWORD>(attributes.size()),
                                static_cast<DWORD>(vertices.size()), options,
                                D3DFVF_XYZ | D3DFVF_TEX1, device, mesh.put()),
              S_OK);
    void* data = nullptr;
    mesh->LockVertexBuffer(0, &data);
    std::memcpy(data, vertices.data(), vertices.size() * sizeof(PosUv));
    mesh->UnlockVertexBuffer();
    mesh->LockIndexBuffer(0, &data);
    for (std::size_t i = 0; i < indices.size(); ++i) {
        if (options & D3DXMESH_32BIT) {
            static_cast<DWORD*>(data)[i] = indices[i];
        } else {
            static_cast<WORD*>(data)[i] = static_cast<WORD>(indices[i]);
        }
    }
    mesh->UnlockIndexBuffer();
    DWORD* ids = nullptr;
    mesh->LockAttributeBuffer(0, &ids);
    std::copy(attributes.begin(), attributes.end(), ids);
    mesh->UnlockAttributeBuffer();
    return mesh;
}

// Four triangles with attributes 1 0 1 0 over six vertices; vertex 6 is used by none.
const std::vector<PosUv> kVertices = {{0, 0, 0, 0, 0}, {0, 1, 0, 0, 1}, {1, 0, 0, 1, 0},
                                      {1, 1, 0, 1, 1}, {2, 0, 0, 2, 0}, {2, 1, 0, 2, 1},
                                      {9, 9, 9, 9, 9}};
const std::vector<DWORD> kIndices = {0, 1, 2, 2, 1, 3, 2, 3, 4, 4, 3, 5};
const std::vector<DWORD> kAttributes = {1, 0, 1, 0};

D3DXVECTOR3 cornerOf(const std::vector<Vertex>& v, const std::vector<DWORD>& i, std::size_t k) {
    return v.at(i.at(k)).position;
}

} // namespace

TEST(D3DXMesh, CreationChecksItsArguments) {
    ComPtr<ID3DXMesh> mesh;
    EXPECT_EQ(D3DXCreateMeshFVF(0, 3, D3DXMESH_SYSTEMMEM, D3DFVF_XYZ, nullptr, mesh.put()),
              D3DERR_INVALIDCALL);
    EXPECT_EQ(D3DXCreateMeshFVF(1, 3, D3DXMESH_SYSTEMMEM, D3DFVF_XYZRHW, nullptr, mesh.put()),
              D3DERR_INVALIDCALL);
    EXPECT_EQ(D3DXCreateMeshFVF(1, 70000, D3DXMESH_SYSTEMMEM, D3DFVF_XYZ, nullptr, mesh.put()),
              D3DERR_INVALIDCALL);
    // Only system-memory meshes do without a device.
    EXPECT_EQ(D3DXCreateMeshFVF(1, 3, D3DXMESH_MANAGED, D3DFVF_XYZ, nullptr, mesh.put()),
              D3DERR_INVALIDCALL);
    EXPECT_EQ(mesh, nullptr);
    ASSERT_EQ(D3DXCreateMeshFVF(1, 70000, D3DXMESH_SYSTEMMEM | D3DXMESH_32BIT,
                                D3DFVF_XYZ | D3DFVF_NORMAL | D3DFVF_DIFFUSE | D3DFVF_TEX1, nullptr,
                                mesh.put()),
              S_OK);
    EXPECT_EQ(mesh->GetNumBytesPerVertex(), 36u);
    EXPECT_EQ(D3DXGetFVFVertexSize(0x112), 32u);
}

TEST(D3DXMesh, CloneConvertsComponentsAndIndexWidth) {
    ComPtr<ID3DXMesh> mesh =
        makeMesh(kVertices, kIndices, kAttributes, D3DXMESH_SYSTEMMEM | D3DXMESH_32BIT, nullptr);
    ComPtr<ID3DXMesh> clone;
    ASSERT_EQ(mesh->CloneMeshFVF(D3DXMESH_SYSTEMMEM, 0x112, nullptr, clone.put()), S_OK);
    EXPECT_EQ(clone->GetFVF(), 0x112u);
    EXPECT_EQ(clone->GetOptions() & D3DXMESH_32BIT, 0u);
    const std::vector<Vertex> v = verticesOf(clone.get());
    ASSERT_EQ(v.size(), kVertices.size());
    for (std::size_t i = 0; i < v.size(); ++i) {
        EXPECT_EQ(v[i].position, D3DXVECTOR3(kVertices[i].x, kVertices[i].y, kVertices[i].z));
        EXPECT_EQ(v[i].normal, D3DXVECTOR3(0, 0, 0));
        EXPECT_EQ(v[i].u, kVertices[i].u);
        EXPECT_EQ(v[i].v, kVertices[i].v);
    }
    EXPECT_EQ(indicesOf(clone.get()), kIndices);
    EXPECT_EQ(attributesOf(clone.get()), kAttributes);
}

TEST(D3DXMesh, OptimizeSortsFacesByAttributeAndDropsUnusedVertices) {
    ComPtr<ID3DXMesh> mesh =
        makeMesh(kVertices, kIndices, kAttributes, D3DXMESH_SYSTEMMEM, nullptr);
    const std::vector<Vertex> before = verticesOf(mesh.get());
    // Triangles 0-1 share edge 1-2, 1-2 share 2-3, 2-3 share 3-4.
    std::vector<DWORD> adjacency(12);
    ASSERT_EQ(mesh->GenerateAdjacency(0.0f, adjacency.data()), S_OK);
    EXPECT_EQ(adjacency, (std::vector<DWORD>{D3DX_UNUSED_NEIGHBOUR, 1, D3DX_UNUSED_NEIGHBOUR, 0,
                                             D3DX_UNUSED_NEIGHBOUR, 2, 1, 3, D3DX_UNUSED_NEIGHBOUR,
                                             2, D3DX_UNUSED_NEIGHBOUR, D3DX_UNUSED_NEIGHBOUR}));

    std::vector<DWORD> faceRemap(4);
    ComPtr<ID3DXBuffer> vertexRemap;
    ASSERT_EQ(mesh->OptimizeInplace(
                  D3DXMESHOPT_COMPACT | D3DXMESHOPT_ATTRSORT | D3DXMESHOPT_VERTEXCACHE,
                  adjacency.data(), adjacency.data(), faceRemap.data(), vertexRemap.put()),
              S_OK);

    EXPECT_EQ(faceRemap, (std::vector<DWORD>{1, 3, 0, 2}));
    EXPECT_EQ(attributesOf(mesh.get()), (std::vector<DWORD>{0, 0, 1, 1}));
    ASSERT_EQ(mesh->GetNumVertices(), 6u);
    ASSERT_EQ(vertexRemap->GetBufferSize(), 6u * 4);

    // Every new face is the old one it came from, corner by corner.
    const std::vector<Vertex> after = verticesOf(mesh.get());
    const std::vector<DWORD> indices = indicesOf(mesh.get());
    for (std::size_t f = 0; f < 4; ++f) {
        for (std::size_t k = 0; k < 3; ++k) {
            EXPECT_EQ(cornerOf(after, indices, f * 3 + k),
                      cornerOf(before, kIndices, faceRemap[f] * 3 + k));
        }
    }
    const auto* remap = static_cast<const DWORD*>(vertexRemap->GetBufferPointer());
    for (DWORD v = 0; v < 6; ++v) {
        EXPECT_EQ(after[v].position, before[remap[v]].position);
    }
    // Old faces 1 and 2 were neighbours; they are now faces 0 and 3.
    EXPECT_EQ(adjacency[0 * 3 + 2], 3u);
    EXPECT_EQ(adjacency[3 * 3 + 0], 0u);

    const std::vector<D3DXATTRIBUTERANGE> table = attributeTableOf(mesh.get());
    ASSERT_EQ(table.size(), 2u);
    for (const D3DXATTRIBUTERANGE& range : table) {
        EXPECT_EQ(range.FaceCount, 2u);
        for (DWORD f = range.FaceStart; f < range.FaceStart + range.FaceCount; ++f) {
            for (int k = 0; k < 3; ++k) {
                EXPECT_GE(indices[f * 3 + k], range.VertexStart);
                EXPECT_LT(indices[f * 3 + k], range.VertexStart + range.VertexCount);
            }
        }
    }
    EXPECT_EQ(table[0].AttribId, 0u);
    EXPECT_EQ(table[1].FaceStart, 2u);
}

TEST(D3DXMesh, OptimizeRefusesIndicesPastTheVertices) {
    ComPtr<ID3DXMesh> mesh = makeMesh(kVertices, {0, 1, 7, 0, 1, 2, 0, 1, 2, 0, 1, 2}, kAttributes,
                                      D3DXMESH_SYSTEMMEM, nullptr);
    EXPECT_EQ(mesh->OptimizeInplace(D3DXMESHOPT_ATTRSORT, nullptr, nullptr, nullptr, nullptr),
              D3DXERR_INVALIDMESH);
    EXPECT_EQ(mesh->GetNumVertices(), 7u);
}

TEST(D3DXMesh, AdjacencyJoinsSplitVerticesWithinEpsilon) {
    // Two triangles over an edge whose vertices are duplicated, the copies 1e-4 away.
    const std::vector<PosUv> vertices = {{0, 0, 0, 0, 0},       {0, 1, 0, 0, 0},
                                         {1, 0, 0, 0, 0},       {1.0001f, 0, 0, 1, 0},
                                         {0, 1.0001f, 0, 1, 0}, {1, 1, 0, 1, 0}};
    ComPtr<ID3DXMesh> mesh =
        makeMesh(vertices, {0, 1, 2, 3, 4, 5}, {0, 0}, D3DXMESH_SYSTEMMEM, nullptr);
    std::vector<DWORD> adjacency(6);
    ASSERT_EQ(mesh->GenerateAdjacency(0.0f, adjacency.data()), S_OK);
    EXPECT_EQ(adjacency[1], D3DX_UNUSED_NEIGHBOUR);
    ASSERT_EQ(mesh->GenerateAdjacency(0.001f, adjacency.data()), S_OK);
    EXPECT_EQ(adjacency[1], 1u);
    EXPECT_EQ(adjacency[3 + 0], 0u);
}

TEST(D3DXMesh, NormalsAreAreaWeightedAndFollowClockwiseWinding) {
    // Vertex 0 is shared by a large triangle facing -z and a small one facing -x.
    struct PosNormal {
        float x, y, z, nx, ny, nz;
    };
    const PosNormal vertices[] = {{0, 0, 0, 9, 9, 9},
                                  {0, 2, 0, 9, 9, 9},
                                  {2, 0, 0, 9, 9, 9},
                                  {0, 0, 1, 9, 9, 9},
                                  {0, 1, 0, 9, 9, 9}};
    const WORD indices[] = {0, 1, 2, 0, 3, 4};
    ComPtr<ID3DXMesh> mesh;
    ASSERT_EQ(D3DXCreateMeshFVF(2, 5, D3DXMESH_SYSTEMMEM, D3DFVF_XYZ | D3DFVF_NORMAL, nullptr,
                                mesh.put()),
              S_OK);
    void* data = nullptr;
    mesh->LockVertexBuffer(0, &data);
    std::memcpy(data, vertices, sizeof vertices);
    mesh->UnlockVertexBuffer();
    mesh->LockIndexBuffer(0, &data);
    std::memcpy(data, indices, sizeof indices);
    mesh->UnlockIndexBuffer();

    ASSERT_EQ(D3DXComputeNormals(mesh.get(), nullptr), S_OK);
    const std::vector<Vertex> v = verticesOf(mesh.get());
    // Areas 2 and 0.5: the sum is (-0.5, 0, -2) before normalising.
    const float length = std::sqrt(0.25f + 4.0f);
    EXPECT_NEAR(v[0].normal.x, -0.5f / length, 1e-6);
    EXPECT_NEAR(v[0].normal.y, 0.0f, 1e-6);
    EXPECT_NEAR(v[0].normal.z, -2.0f / length, 1e-6);
    EXPECT_EQ(v[1].normal, D3DXVECTOR3(0, 0, -1));
    EXPECT_EQ(v[3].normal, D3DXVECTOR3(-1, 0, 0));

    ComPtr<ID3DXMesh> withoutNormals;
    mesh->CloneMeshFVF(D3DXMESH_SYSTEMMEM, D3DFVF_XYZ, nullptr, withoutNormals.put());
    EXPECT_EQ(D3DXComputeNormals(withoutNormals.get(), nullptr), D3DERR_INVALIDCALL);
}

TEST(D3DXMesh, BoundingSphereIsCentredOnTheMeanOfThePositions) {
    // The smallest enclosing sphere would be centred at x = 1; D3DX's is at the mean.
    struct Padded {
        D3DXVECTOR3 p;
        float junk[5];
    };
    const Padded points[] = {{{0, 0, 0}, {99, 99, 99, 99, 99}},
                             {{2, 0, 0}, {99, 99, 99, 99, 99}},
                             {{0, 0, 0}, {99, 99, 99, 99, 99}},
                             {{0, 0, 0}, {99, 99, 99, 99, 99}}};
    D3DXVECTOR3 centre;
    float radius = 0;
    ASSERT_EQ(D3DXComputeBoundingSphere(&points[0].p, 4, sizeof(Padded), &centre, &radius), S_OK);
    EXPECT_EQ(centre, D3DXVECTOR3(0.5f, 0, 0));
    EXPECT_FLOAT_EQ(radius, 1.5f);
    EXPECT_EQ(D3DXComputeBoundingSphere(&points[0].p, 0, sizeof(Padded), &centre, &radius),
              D3DERR_INVALIDCALL);
    EXPECT_EQ(D3DXComputeBoundingSphere(&points[0].p, 4, 8, &centre, &radius), D3DERR_INVALIDCALL);
}

TEST(D3DXMesh, SystemMemoryMeshDrawsThroughDeviceCopiesKeptUpToDate) {
    ComPtr<RecordingDevice> device = RecordingDevice::create(64, 64);
    ComPtr<ID3DXMesh> mesh =
        makeMesh(kVertices, kIndices, kAttributes, D3DXMESH_SYSTEMMEM, device.get());
    EXPECT_EQ(device->count("CreateVertexBuffer"), 0u);

    device->BeginScene();
    // Without an attribute table each run of faces is drawn on its own.
    ASSERT_EQ(mesh->DrawSubset(1), S_OK);
    ASSERT_EQ(device->draws().size(), 2u);
    EXPECT_EQ(device->draws()[0].call.startIndex, 0u);
    EXPECT_EQ(device->draws()[1].call.startIndex, 6u);
    EXPECT_EQ(device->draws()[1].call.primitiveCount, 1u);
    EXPECT_EQ(device->draws()[1].call.minVertexIndex, 2u);
    EXPECT_EQ(device->draws()[1].call.numVertices, 3u);
    EXPECT_EQ(device->draws()[0].state.fvf, D3DFVF_XYZ | D3DFVF_TEX1);
    EXPECT_EQ(device->draws()[0].state.streams[0].stride, 20u);
    EXPECT_EQ(mesh->DrawSubset(7), S_OK); // no such faces: nothing drawn
    EXPECT_EQ(device->draws().size(), 2u);

    // Writing the mesh's own vertices reaches the device copy at the next draw.
    void* data = nullptr;
    mesh->LockVertexBuffer(0, &data);
    static_cast<PosUv*>(data)[0].x = 42.0f;
    mesh->UnlockVertexBuffer();
    ASSERT_EQ(mesh->DrawSubset(0), S_OK);
    device->EndScene();
    EXPECT_EQ(device->count("CreateVertexBuffer"), 1u);
    EXPECT_EQ(device->count("CreateIndexBuffer"), 1u);
    const auto* drawn = dynamic_cast<const MemoryVertexBuffer*>(
        device->draws().back().state.streams[0].buffer.get());
    ASSERT_NE(drawn, nullptr);
    float x = 0;
    std::memcpy(&x, drawn->bytes().data(), 4);
    EXPECT_EQ(x, 42.0f);

    ComPtr<IDirect3DVertexBuffer9> own;
    mesh->GetVertexBuffer(own.put());
    EXPECT_NE(own.get(), device->draws().back().state.streams[0].buffer.get());
}

TEST(D3DXMesh, DeviceMeshDrawsFromItsOwnBuffers) {
    ComPtr<RecordingDevice> device = RecordingDevice::create(64, 64);
    ComPtr<ID3DXMesh> mesh = makeMesh(kVertices, kIndices, kAttributes, 0, device.get());
    ASSERT_EQ(mesh->OptimizeInplace(D3DXMESHOPT_ATTRSORT, nullptr, nullptr, nullptr, nullptr),
              S_OK);
    device->clearLog();
    device->BeginScene();
    ASSERT_EQ(mesh->DrawSubset(1), S_OK);
    device->EndScene();
    EXPECT_EQ(device->count("CreateVertexBuffer"), 0u);
    ASSERT_EQ(device->draws().size(), 1u);
    EXPECT_EQ(device->draws()[0].call.startIndex, 6u);
    EXPECT_EQ(device->draws()[0].call.primitiveCount, 2u);
    ComPtr<IDirect3DVertexBuffer9> own;
    mesh->GetVertexBuffer(own.put());
    EXPECT_EQ(own.get(), device->draws()[0].state.streams[0].buffer.get());
}
