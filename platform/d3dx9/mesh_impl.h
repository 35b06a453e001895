// The mesh object behind ID3DXMesh and the helpers its parts share. Internal to the
// platform library.
#pragma once

#include "d3d9/memory_resources.h"
#include "d3dx9/d3dx9mesh.h"

#include <array>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <optional>
#include <span>
#include <vector>

namespace twmesh {

// Where the components of one vertex format lie. Offsets are -1 for absent components.
struct FvfLayout {
    DWORD fvf = 0;
    UINT stride = 0;
    int normal = -1;
    int pointSize = -1;
    int diffuse = -1;
    int specular = -1;
    UINT texSets = 0;
    std::array<int, 8> tex{};
    std::array<UINT, 8> texSize{};

    // Only formats with a plain XYZ position are meshes.
    static std::optional<FvfLayout> of(DWORD fvf);
};

// Copies one vertex from one format to another: components both have are copied
// (texture sets as far as both are wide), the rest of the target is zero.
void convertVertex(const FvfLayout& from, const BYTE* source, const FvfLayout& to, BYTE* target);

class Buffer final : public ID3DXBuffer {
public:
    explicit Buffer(DWORD size);
    void* GetBufferPointer() override { return bytes_.get(); }
    DWORD GetBufferSize() override { return size_; }

private:
    std::unique_ptr<std::byte[]> bytes_;
    DWORD size_;
};

ComPtr<Buffer> makeBuffer(DWORD size);

class Mesh final : public ID3DXMesh {
public:
    // Checks the arguments, then makes the buffers; a failure is the result.
    static HRESULT create(DWORD faces, DWORD vertices, DWORD options, DWORD fvf,
                          IDirect3DDevice9* device, ComPtr<Mesh>* out);

    // Use create(); public for makeCom.
    Mesh(DWORD faces, DWORD vertices, DWORD options, const FvfLayout& layout,
         IDirect3DDevice9* device);

    HRESULT DrawSubset(DWORD AttribId) override;
    DWORD GetNumFaces() override { return numFaces_; }
    DWORD GetNumVertices() override { return numVertices_; }
    DWORD GetFVF() override { return layout_.fvf; }
    DWORD GetNumBytesPerVertex() override { return layout_.stride; }
    DWORD GetOptions() override { return options_; }
    [[nodiscard]] HRESULT GetDevice(IDirect3DDevice9** ppDevice) override;
    [[nodiscard]] HRESULT CloneMeshFVF(DWORD Options, DWORD FVF, IDirect3DDevice9* pD3DDevice,
                                       ID3DXMesh** ppCloneMesh) override;
    [[nodiscard]] HRESULT GetVertexBuffer(IDirect3DVertexBuffer9** ppVB) override;
    [[nodiscard]] HRESULT GetIndexBuffer(IDirect3DIndexBuffer9** ppIB) override;
    [[nodiscard]] HRESULT LockVertexBuffer(DWORD Flags, void** ppData) override;
    HRESULT UnlockVertexBuffer() override;
    [[nodiscard]] HRESULT LockIndexBuffer(DWORD Flags, void** ppData) override;
    HRESULT UnlockIndexBuffer() override;
    HRESULT GetAttributeTable(D3DXATTRIBUTERANGE* pAttribTable, DWORD* pAttribTableSize) override;
    [[nodiscard]] HRESULT GenerateAdjacency(FLOAT Epsilon, DWORD* pAdjacency) override;

    [[nodiscard]] HRESULT LockAttributeBuffer(DWORD Flags, DWORD** ppData) override;
    HRESULT UnlockAttributeBuffer() override;
    [[nodiscard]] HRESULT Optimize(DWORD Flags, const DWORD* pAdjacencyIn, DWORD* pAdjacencyOut,
                                   DWORD* pFaceRemap, ID3DXBuffer** ppVertexRemap,
                                   ID3DXMesh** ppOptMesh) override;
    [[nodiscard]] HRESULT OptimizeInplace(DWORD Flags, const DWORD* pAdjacencyIn,
                                          DWORD* pAdjacencyOut, DWORD* pFaceRemap,
                                          ID3DXBuffer** ppVertexRemap) override;
    HRESULT SetAttributeTable(const D3DXATTRIBUTERANGE* pAttribTable,
                              DWORD cAttribTableSize) override;

    // --- for the other parts of the library --------------------------------------------

    const FvfLayout& layout() const { return layout_; }
    bool wideIndices() const { return (options_ & D3DXMESH_32BIT) != 0; }
    // The contents, read and written through buffer locks.
    HRESULT readVertices(std::vector<BYTE>* out);
    HRESULT writeVertices(std::span<const BYTE> bytes);
    HRESULT readIndices(std::vector<DWORD>* out);
    HRESULT writeIndices(std::span<const DWORD> indices);
    std::vector<DWORD>& attributes() { return attributes_; }
    std::vector<D3DXATTRIBUTERANGE>& attributeTable() { return attributeTable_; }

private:
    HRESULT makeBuffers();
    bool buffersLocked() const;
    // The ranges DrawSubset draws for an attribute.
    HRESULT rangesOf(DWORD attribute, std::vector<D3DXATTRIBUTERANGE>* out);
    // The buffers the device draws from: our own, or copies of system-memory ones.
    HRESULT drawBuffers(IDirect3DVertexBuffer9** vertices, IDirect3DIndexBuffer9** indices);

    DWORD numFaces_;
    DWORD numVertices_;
    DWORD options_;
    FvfLayout layout_;
    ComPtr<IDirect3DDevice9> device_;
    ComPtr<IDirect3DVertexBuffer9> vertices_;
    ComPtr<IDirect3DIndexBuffer9> indices_;
    // Set when the buffers above live in ordinary memory; the device draws from copies
    // made from them, refreshed when their version moved on.
    ComPtr<MemoryVertexBuffer> systemVertices_;
    ComPtr<MemoryIndexBuffer> systemIndices_;
    ComPtr<IDirect3DVertexBuffer9> drawVertices_;
    ComPtr<IDirect3DIndexBuffer9> drawIndices_;
    std::uint64_t drawnVertexVersion_ = 0;
    std::uint64_t drawnIndexVersion_ = 0;
    std::vector<DWORD> attributes_;
    std::vector<D3DXATTRIBUTERANGE> attributeTable_;
};

// Neighbours of every face across its three edges (see GenerateAdjacency).
std::vector<DWORD> adjacencyOf(std::span<const DWORD> indices,
                               std::span<const D3DXVECTOR3> positions, float epsilon);

} // namespace twmesh
