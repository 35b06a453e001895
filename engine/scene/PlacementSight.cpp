#include "scene/PlacementSight.h"

#include <algorithm>
#include <cstdint>
#include <cstring>

namespace {

// The system copy of a mesh, its vertices and indices read while this lives.
class LockedMesh {
public:
    explicit LockedMesh(ID3DXMesh& mesh)
        : m_mesh(mesh), m_wideIndices((mesh.GetOptions() & D3DXMESH_32BIT) != 0),
          m_stride(mesh.GetNumBytesPerVertex()) {
        if (SUCCEEDED(mesh.LockVertexBuffer(D3DLOCK_READONLY, &m_vertices)) &&
            FAILED(mesh.LockIndexBuffer(D3DLOCK_READONLY, &m_indices))) {
            m_indices = nullptr;
        }
    }
    ~LockedMesh() {
        if (m_indices != nullptr) {
            m_mesh.UnlockIndexBuffer();
        }
        if (m_vertices != nullptr) {
            m_mesh.UnlockVertexBuffer();
        }
    }
    LockedMesh(const LockedMesh&) = delete;
    LockedMesh& operator=(const LockedMesh&) = delete;

    bool readable() const { return m_vertices != nullptr && m_indices != nullptr; }

    // Corner k (0 to 2) of face f: every vertex format starts with the position.
    D3DXVECTOR3 corner(DWORD f, int k) const {
        const DWORD i = f * 3 + static_cast<DWORD>(k);
        const DWORD index = m_wideIndices ? static_cast<const std::uint32_t*>(m_indices)[i]
                                          : static_cast<const std::uint16_t*>(m_indices)[i];
        D3DXVECTOR3 position;
        std::memcpy(&position,
                    static_cast<const unsigned char*>(m_vertices) + std::size_t{index} * m_stride,
                    sizeof position);
        return position;
    }

private:
    ID3DXMesh& m_mesh;
    bool m_wideIndices;
    DWORD m_stride;
    void* m_vertices = nullptr;
    void* m_indices = nullptr;
};

// The nearest triangle of the mesh that the line meets, worked in the mesh's own
// space: the line is brought there instead of every vertex to the world. The line's
// direction is brought along at the length the world gives it, so a distance along it
// there is the same distance in the world.
float trianglesDistance(const SightLine& sight, ID3DXMesh& mesh, const D3DXMATRIX& world) {
    D3DXMATRIX toMesh;
    if (D3DXMatrixInverse(&toMesh, nullptr, &world) == nullptr) {
        return SightLine::kMiss; // a flat matrix draws nothing
    }
    D3DXVECTOR3 from;
    D3DXVECTOR3 along;
    D3DXVec3TransformCoord(&from, &sight.origin, &toMesh);
    D3DXVec3TransformNormal(&along, &sight.u, &toMesh);
    const LockedMesh locked(mesh);
    if (!locked.readable()) {
        return SightLine::kMiss;
    }
    float nearest = SightLine::kMiss;
    const DWORD faces = mesh.GetNumFaces();
    for (DWORD f = 0; f < faces; ++f) {
        nearest =
            std::min(nearest, SightLine::lineToTriangle(from, along, locked.corner(f, 0),
                                                        locked.corner(f, 1), locked.corner(f, 2)));
    }
    return nearest;
}

} // namespace

float meshDistance(const SightLine& sight, const XfilePlacement& placement,
                   const CSceneObject& body) {
    if (!placement.mesh || placement.mesh->systemMesh() == nullptr) {
        return sight.toSphere(body.position + body.modelOffset, body.radius / 2);
    }
    return trianglesDistance(sight, *placement.mesh->systemMesh(), body.world);
}

float billboardDistance(const SightLine& sight, const BitmapPlacement& placement) {
    if (!placement.bitmap) {
        return SightLine::kMiss;
    }
    D3DXMATRIX world = placement.bitmap->world();
    world._41 = placement.drawX;
    world._42 = placement.drawY;
    world._43 = placement.drawZ;
    const auto corner = [&](int i) {
        const BitmapBillboard::Vertex& v = placement.bitmap->vertices()[i];
        const D3DXVECTOR3 local(v.x, v.y, v.z);
        D3DXVECTOR3 out;
        D3DXVec3TransformCoord(&out, &local, &world);
        return out;
    };
    const D3DXVECTOR3 foot = corner(0); // bottom left; 1 is top left, 2 bottom right
    return sight.toQuad(foot, corner(2) - foot, corner(1) - foot);
}

D3DXVECTOR3 drawnPosition(const CSceneObject& body) {
    return D3DXVECTOR3(body.world._41, body.world._42, body.world._43) - body.modelOffset;
}
