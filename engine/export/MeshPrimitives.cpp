#include "export/MeshPrimitives.h"

#include <cstring>
#include <unordered_map>

namespace {

// Where a vertex keeps its normal and first texture coordinate; -1: it has none.
struct VertexLayout {
    std::size_t stride = 0;
    int normal = -1;
    int uv = -1;
};

bool layoutOf(DWORD fvf, DWORD stride, VertexLayout* layout) {
    if ((fvf & D3DFVF_POSITION_MASK) != D3DFVF_XYZ) {
        return false;
    }
    int offset = 12;
    if ((fvf & D3DFVF_NORMAL) != 0) {
        layout->normal = offset;
        offset += 12;
    }
    offset += (fvf & D3DFVF_PSIZE) != 0 ? 4 : 0;
    offset += (fvf & D3DFVF_DIFFUSE) != 0 ? 4 : 0;
    offset += (fvf & D3DFVF_SPECULAR) != 0 ? 4 : 0;
    // The first set is two floats unless the format says otherwise.
    if ((fvf & D3DFVF_TEXCOUNT_MASK) != 0 && ((fvf >> 16) & 3) == D3DFVF_TEXTUREFORMAT2) {
        layout->uv = offset;
    }
    layout->stride = stride;
    return true;
}

GltfDocument::Vertex vertexAt(const std::uint8_t* vertices, const VertexLayout& layout,
                              std::uint32_t index) {
    const std::uint8_t* at = vertices + std::size_t{index} * layout.stride;
    GltfDocument::Vertex v{{0, 0, 0}, {0, 1, 0}, {0, 0}};
    std::memcpy(v.position.data(), at, sizeof v.position);
    if (layout.normal >= 0) {
        std::memcpy(v.normal.data(), at + layout.normal, sizeof v.normal);
    }
    if (layout.uv >= 0) {
        std::memcpy(v.uv.data(), at + layout.uv, sizeof v.uv);
    }
    return v;
}

// The mesh's buffers, locked for reading while this lives.
class LockedMesh {
public:
    explicit LockedMesh(ID3DXMesh* mesh) : m_mesh(mesh) {
        if (FAILED(mesh->LockVertexBuffer(D3DLOCK_READONLY, &m_vertices))) {
            m_vertices = nullptr;
        }
        if (FAILED(mesh->LockIndexBuffer(D3DLOCK_READONLY, &m_indices))) {
            m_indices = nullptr;
        }
    }
    ~LockedMesh() {
        if (m_vertices != nullptr) {
            m_mesh->UnlockVertexBuffer();
        }
        if (m_indices != nullptr) {
            m_mesh->UnlockIndexBuffer();
        }
    }
    LockedMesh(const LockedMesh&) = delete;
    LockedMesh& operator=(const LockedMesh&) = delete;

    bool good() const { return m_vertices != nullptr && m_indices != nullptr; }
    const std::uint8_t* vertices() const { return static_cast<const std::uint8_t*>(m_vertices); }
    std::uint32_t index(std::size_t i) const {
        if ((m_mesh->GetOptions() & D3DXMESH_32BIT) != 0) {
            return static_cast<const std::uint32_t*>(m_indices)[i];
        }
        return static_cast<const std::uint16_t*>(m_indices)[i];
    }

private:
    ID3DXMesh* m_mesh;
    void* m_vertices = nullptr;
    void* m_indices = nullptr;
};

std::vector<D3DXATTRIBUTERANGE> subsetsOf(ID3DXMesh* mesh) {
    DWORD size = 0;
    mesh->GetAttributeTable(nullptr, &size);
    std::vector<D3DXATTRIBUTERANGE> table(size);
    if (size == 0) {
        table.push_back({0, 0, mesh->GetNumFaces(), 0, mesh->GetNumVertices()});
    } else {
        mesh->GetAttributeTable(table.data(), nullptr);
    }
    return table;
}

} // namespace

std::vector<GltfDocument::Primitive> meshPrimitives(const MeshObject& mesh, int firstMaterial) {
    ID3DXMesh* system = mesh.systemMesh();
    VertexLayout layout;
    if (system == nullptr || !layoutOf(system->GetFVF(), system->GetNumBytesPerVertex(), &layout)) {
        return {};
    }
    const LockedMesh locked(system);
    if (!locked.good()) {
        return {};
    }
    const std::uint32_t vertexCount = system->GetNumVertices();
    std::vector<GltfDocument::Primitive> primitives;
    for (const D3DXATTRIBUTERANGE& range : subsetsOf(system)) {
        // The engine draws the subsets of its materials only.
        if (mesh.materialCount() != 0 && range.AttribId >= mesh.materialCount()) {
            continue;
        }
        GltfDocument::Primitive primitive;
        primitive.material =
            firstMaterial + (mesh.materialCount() == 0 ? 0 : static_cast<int>(range.AttribId));
        std::unordered_map<std::uint32_t, std::uint32_t> kept;
        const std::size_t end = (std::size_t{range.FaceStart} + range.FaceCount) * 3;
        for (std::size_t i = std::size_t{range.FaceStart} * 3;
             i < end && i < std::size_t{system->GetNumFaces()} * 3; ++i) {
            const std::uint32_t index = locked.index(i);
            if (index >= vertexCount) {
                return {};
            }
            const auto [at, added] =
                kept.try_emplace(index, static_cast<std::uint32_t>(primitive.vertices.size()));
            if (added) {
                primitive.vertices.push_back(vertexAt(locked.vertices(), layout, index));
            }
            primitive.indices.push_back(at->second);
        }
        primitives.push_back(std::move(primitive));
    }
    return primitives;
}
