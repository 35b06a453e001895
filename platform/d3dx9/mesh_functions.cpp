// Free functions over meshes and vertex arrays: sizes, normals, bounds.
#include "mesh_impl.h"

#include <array>
#include <cmath>
#include <cstring>
#include <new>

namespace {

// Locks the vertex or index buffer of a mesh, through its interface, for one scope.
class MeshLock {
public:
    MeshLock(ID3DXBaseMesh* mesh, bool vertices, DWORD flags) : mesh_(mesh), vertices_(vertices) {
        void* data = nullptr;
        result_ =
            vertices ? mesh->LockVertexBuffer(flags, &data) : mesh->LockIndexBuffer(flags, &data);
        data_ = static_cast<BYTE*>(data);
    }
    ~MeshLock() {
        if (SUCCEEDED(result_)) {
            vertices_ ? mesh_->UnlockVertexBuffer() : mesh_->UnlockIndexBuffer();
        }
    }
    MeshLock(const MeshLock&) = delete;
    MeshLock& operator=(const MeshLock&) = delete;

    HRESULT result() const { return result_; }
    BYTE* data() const { return data_; }

private:
    ID3DXBaseMesh* mesh_;
    bool vertices_;
    HRESULT result_;
    BYTE* data_ = nullptr;
};

D3DXVECTOR3 positionAt(const BYTE* vertices, DWORD stride, DWORD index) {
    D3DXVECTOR3 p;
    std::memcpy(&p, vertices + std::size_t{index} * stride, sizeof(float) * 3);
    return p;
}

} // namespace

UINT D3DXGetFVFVertexSize(DWORD FVF) {
    return fvfVertexSize(FVF);
}

HRESULT D3DXComputeNormals(ID3DXBaseMesh* pMesh, const DWORD* /*pAdjacency*/) {
    if (pMesh == nullptr) {
        return D3DERR_INVALIDCALL;
    }
    const std::optional<twmesh::FvfLayout> layout = twmesh::FvfLayout::of(pMesh->GetFVF());
    if (!layout || layout->normal < 0 || pMesh->GetNumBytesPerVertex() != layout->stride) {
        return D3DERR_INVALIDCALL;
    }
    const DWORD faces = pMesh->GetNumFaces();
    const DWORD vertexCount = pMesh->GetNumVertices();
    const bool wide = (pMesh->GetOptions() & D3DXMESH_32BIT) != 0;
    try {
        std::vector<DWORD> indices(std::size_t{faces} * 3);
        {
            MeshLock lock(pMesh, false, D3DLOCK_READONLY);
            if (FAILED(lock.result())) {
                return lock.result();
            }
            for (std::size_t i = 0; i < indices.size(); ++i) {
                if (wide) {
                    std::memcpy(&indices[i], lock.data() + i * 4, 4);
                } else {
                    WORD index;
                    std::memcpy(&index, lock.data() + i * 2, 2);
                    indices[i] = index;
                }
                if (indices[i] >= vertexCount) {
                    return D3DXERR_INVALIDMESH;
                }
            }
        }

        MeshLock lock(pMesh, true, 0);
        if (FAILED(lock.result())) {
            return lock.result();
        }
        // The unnormalised cross product of a face's edges is its normal scaled by twice
        // its area, so summing those weighs each face by its area.
        std::vector<std::array<double, 3>> sums(vertexCount, {0.0, 0.0, 0.0});
        for (DWORD f = 0; f < faces; ++f) {
            const DWORD* corner = &indices[std::size_t{f} * 3];
            const D3DXVECTOR3 a = positionAt(lock.data(), layout->stride, corner[0]);
            const D3DXVECTOR3 e1 = positionAt(lock.data(), layout->stride, corner[1]) - a;
            const D3DXVECTOR3 e2 = positionAt(lock.data(), layout->stride, corner[2]) - a;
            const double nx = double{e1.y} * e2.z - double{e1.z} * e2.y;
            const double ny = double{e1.z} * e2.x - double{e1.x} * e2.z;
            const double nz = double{e1.x} * e2.y - double{e1.y} * e2.x;
            for (int k = 0; k < 3; ++k) {
                auto& sum = sums[corner[k]];
                sum[0] += nx;
                sum[1] += ny;
                sum[2] += nz;
            }
        }
        for (DWORD v = 0; v < vertexCount; ++v) {
            const auto& s = sums[v];
            const double length = std::sqrt(s[0] * s[0] + s[1] * s[1] + s[2] * s[2]);
            float normal[3] = {0.0f, 0.0f, 0.0f};
            if (length > 0.0 && std::isfinite(length)) {
                for (int k = 0; k < 3; ++k) {
                    normal[k] = static_cast<float>(s[k] / length);
                }
            }
            std::memcpy(lock.data() + std::size_t{v} * layout->stride + layout->normal, normal,
                        sizeof normal);
        }
        return S_OK;
    } catch (const std::bad_alloc&) {
        return E_OUTOFMEMORY;
    }
}

HRESULT D3DXComputeBoundingSphere(const D3DXVECTOR3* pFirstPosition, DWORD NumVertices,
                                  DWORD dwStride, D3DXVECTOR3* pCenter, FLOAT* pRadius) {
    if (pFirstPosition == nullptr || pCenter == nullptr || pRadius == nullptr || NumVertices == 0 ||
        dwStride < sizeof(D3DXVECTOR3)) {
        return D3DERR_INVALIDCALL;
    }
    const auto* bytes = reinterpret_cast<const BYTE*>(pFirstPosition);
    double sum[3] = {0.0, 0.0, 0.0};
    for (DWORD v = 0; v < NumVertices; ++v) {
        const D3DXVECTOR3 p = positionAt(bytes, dwStride, v);
        sum[0] += p.x;
        sum[1] += p.y;
        sum[2] += p.z;
    }
    const D3DXVECTOR3 centre(static_cast<float>(sum[0] / NumVertices),
                             static_cast<float>(sum[1] / NumVertices),
                             static_cast<float>(sum[2] / NumVertices));
    double largest = 0.0;
    for (DWORD v = 0; v < NumVertices; ++v) {
        const D3DXVECTOR3 p = positionAt(bytes, dwStride, v);
        const double dx = double{p.x} - centre.x;
        const double dy = double{p.y} - centre.y;
        const double dz = double{p.z} - centre.z;
        largest = std::max(largest, dx * dx + dy * dy + dz * dz);
    }
    *pCenter = centre;
    *pRadius = static_cast<float>(std::sqrt(largest));
    return S_OK;
}

HRESULT D3DXComputeBoundingBox(const D3DXVECTOR3* pFirstPosition, DWORD NumVertices, DWORD dwStride,
                               D3DXVECTOR3* pMin, D3DXVECTOR3* pMax) {
    if (pFirstPosition == nullptr || pMin == nullptr || pMax == nullptr || NumVertices == 0 ||
        dwStride < sizeof(D3DXVECTOR3)) {
        return D3DERR_INVALIDCALL;
    }
    const auto* bytes = reinterpret_cast<const BYTE*>(pFirstPosition);
    D3DXVECTOR3 low = positionAt(bytes, dwStride, 0);
    D3DXVECTOR3 high = low;
    for (DWORD v = 1; v < NumVertices; ++v) {
        const D3DXVECTOR3 p = positionAt(bytes, dwStride, v);
        low = D3DXVECTOR3(std::min(low.x, p.x), std::min(low.y, p.y), std::min(low.z, p.z));
        high = D3DXVECTOR3(std::max(high.x, p.x), std::max(high.y, p.y), std::max(high.z, p.z));
    }
    *pMin = low;
    *pMax = high;
    return S_OK;
}
