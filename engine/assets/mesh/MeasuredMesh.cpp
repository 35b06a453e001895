#include "assets/mesh/MeasuredMesh.h"

namespace {

constexpr const char* kMeshObjectName = "CD3DFile_Mesh";
constexpr DWORD kMeshFvf = D3DFVF_XYZ | D3DFVF_NORMAL | D3DFVF_TEX1;
// A mesh whose vertices cannot be measured still needs a body to collide with.
constexpr float kUnmeasuredRadius = 1.0f;

MeshBounds measure(ID3DXMesh* system) {
    MeshBounds bounds;
    bounds.radius = kUnmeasuredRadius;
    ComPtr<IDirect3DVertexBuffer9> vertices;
    void* data = nullptr;
    if (SUCCEEDED(system->GetVertexBuffer(vertices.put())) &&
        SUCCEEDED(vertices->Lock(0, 0, &data, D3DLOCK_NOSYSLOCK))) {
        D3DXComputeBoundingSphere(static_cast<const D3DXVECTOR3*>(data), system->GetNumVertices(),
                                  D3DXGetFVFVertexSize(system->GetFVF()), &bounds.centre,
                                  &bounds.radius);
        vertices->Unlock();
    }
    return bounds;
}

} // namespace

bool loadMeasuredMesh(IDirect3DDevice9* device, const std::string& path, MeshObject& mesh,
                      MeshBounds* bounds) {
    // A file that is found but does not load counts as not found.
    if (FAILED(mesh.create(device, path.c_str())) || mesh.systemMesh() == nullptr) {
        mesh.destroy();
        return false;
    }
    // A mesh that keeps its own vertex format still draws.
    (void)mesh.setFVF(device, kMeshFvf);
    *bounds = measure(mesh.systemMesh());
    // A mesh without device copies draws from its system copy.
    (void)mesh.restoreDeviceObjects(device);
    return true;
}

std::unique_ptr<MeshObject> loadMeasuredMesh(IDirect3DDevice9* device, const std::string& path,
                                             MeshBounds* bounds) {
    auto mesh = std::make_unique<MeshObject>(kMeshObjectName);
    if (!loadMeasuredMesh(device, path, *mesh, bounds)) {
        return nullptr;
    }
    return mesh;
}
