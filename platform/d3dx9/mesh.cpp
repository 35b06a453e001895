#include "mesh_impl.h"

#include <algorithm>
#include <cstring>
#include <limits>
#include <new>

namespace twmesh {

namespace {

constexpr DWORD kKnownFvfBits = D3DFVF_POSITION_MASK | D3DFVF_NORMAL | D3DFVF_PSIZE |
                                D3DFVF_DIFFUSE | D3DFVF_SPECULAR | D3DFVF_TEXCOUNT_MASK |
                                0xFFFF0000u; // texture coordinate sizes

// Holds a buffer lock for one scope.
template <class B>
class Locked {
public:
    Locked(B* buffer, DWORD flags) : buffer_(buffer) {
        void* data = nullptr;
        result_ = buffer_->Lock(0, 0, &data, flags);
        data_ = static_cast<BYTE*>(data);
    }
    ~Locked() {
        if (SUCCEEDED(result_)) {
            buffer_->Unlock();
        }
    }
    Locked(const Locked&) = delete;
    Locked& operator=(const Locked&) = delete;

    HRESULT result() const { return result_; }
    BYTE* data() const { return data_; }

private:
    B* buffer_;
    HRESULT result_;
    BYTE* data_ = nullptr;
};

DWORD usageOf(DWORD options, bool vertexBuffer) {
    DWORD usage = 0;
    if ((options & (vertexBuffer ? D3DXMESH_VB_WRITEONLY : D3DXMESH_IB_WRITEONLY)) != 0) {
        usage |= D3DUSAGE_WRITEONLY;
    }
    if ((options & (vertexBuffer ? D3DXMESH_VB_DYNAMIC : D3DXMESH_IB_DYNAMIC)) != 0) {
        usage |= D3DUSAGE_DYNAMIC;
    }
    if ((options &
         (vertexBuffer ? D3DXMESH_VB_SOFTWAREPROCESSING : D3DXMESH_IB_SOFTWAREPROCESSING)) != 0) {
        usage |= D3DUSAGE_SOFTWAREPROCESSING;
    }
    if ((options & D3DXMESH_DONOTCLIP) != 0) {
        usage |= D3DUSAGE_DONOTCLIP;
    }
    if ((options & D3DXMESH_POINTS) != 0) {
        usage |= D3DUSAGE_POINTS;
    }
    return usage;
}

D3DPOOL poolOf(DWORD options, bool vertexBuffer) {
    return (options & (vertexBuffer ? D3DXMESH_VB_MANAGED : D3DXMESH_IB_MANAGED)) != 0
               ? D3DPOOL_MANAGED
               : D3DPOOL_DEFAULT;
}

bool lockedNow(IUnknown* buffer) {
    if (const auto* v = dynamic_cast<const MemoryVertexBuffer*>(buffer)) {
        return v->isLocked();
    }
    if (const auto* i = dynamic_cast<const MemoryIndexBuffer*>(buffer)) {
        return i->isLocked();
    }
    return false;
}

} // namespace

std::optional<FvfLayout> FvfLayout::of(DWORD fvf) {
    if ((fvf & D3DFVF_POSITION_MASK) != D3DFVF_XYZ || (fvf & ~kKnownFvfBits) != 0) {
        return std::nullopt;
    }
    FvfLayout layout;
    layout.fvf = fvf;
    layout.tex.fill(-1);
    int offset = 12;
    auto take = [&offset](DWORD bit, DWORD flags, int size) {
        if ((flags & bit) == 0) {
            return -1;
        }
        const int at = offset;
        offset += size;
        return at;
    };
    layout.normal = take(D3DFVF_NORMAL, fvf, 12);
    layout.pointSize = take(D3DFVF_PSIZE, fvf, 4);
    layout.diffuse = take(D3DFVF_DIFFUSE, fvf, 4);
    layout.specular = take(D3DFVF_SPECULAR, fvf, 4);
    layout.texSets = (fvf & D3DFVF_TEXCOUNT_MASK) >> D3DFVF_TEXCOUNT_SHIFT;
    if (layout.texSets > 8) {
        return std::nullopt;
    }
    for (UINT i = 0; i < layout.texSets; ++i) {
        static constexpr UINT kSizes[4] = {8, 12, 16, 4}; // by D3DFVF_TEXTUREFORMATn
        layout.texSize[i] = kSizes[(fvf >> (i * 2 + 16)) & 3u];
        layout.tex[i] = offset;
        offset += static_cast<int>(layout.texSize[i]);
    }
    layout.stride = static_cast<UINT>(offset);
    return layout;
}

void convertVertex(const FvfLayout& from, const BYTE* source, const FvfLayout& to, BYTE* target) {
    std::memset(target, 0, to.stride);
    std::memcpy(target, source, 12);
    auto copy = [&](int fromAt, int toAt, std::size_t size) {
        if (fromAt >= 0 && toAt >= 0) {
            std::memcpy(target + toAt, source + fromAt, size);
        }
    };
    copy(from.normal, to.normal, 12);
    copy(from.pointSize, to.pointSize, 4);
    copy(from.diffuse, to.diffuse, 4);
    copy(from.specular, to.specular, 4);
    for (UINT i = 0; i < std::min(from.texSets, to.texSets); ++i) {
        copy(from.tex[i], to.tex[i], std::min(from.texSize[i], to.texSize[i]));
    }
}

Buffer::Buffer(DWORD size) : bytes_(std::make_unique<std::byte[]>(size)), size_(size) {}

ComPtr<Buffer> makeBuffer(DWORD size) {
    return makeCom<Buffer>(size);
}

// --- making -------------------------------------------------------------------------------

Mesh::Mesh(DWORD faces, DWORD vertices, DWORD options, const FvfLayout& layout,
           IDirect3DDevice9* device)
    : numFaces_(faces), numVertices_(vertices), options_(options), layout_(layout), device_(device),
      attributes_(faces, 0) {}

HRESULT Mesh::create(DWORD faces, DWORD vertices, DWORD options, DWORD fvf,
                     IDirect3DDevice9* device, ComPtr<Mesh>* out) {
    if (out == nullptr) {
        return D3DERR_INVALIDCALL;
    }
    *out = nullptr;
    const std::optional<FvfLayout> layout = FvfLayout::of(fvf);
    if (!layout || faces == 0 || vertices == 0) {
        return D3DERR_INVALIDCALL;
    }
    const bool wide = (options & D3DXMESH_32BIT) != 0;
    if (!wide && vertices > 0xFFFF) {
        return D3DERR_INVALIDCALL;
    }
    if (device == nullptr && (options & D3DXMESH_SYSTEMMEM) != D3DXMESH_SYSTEMMEM) {
        return D3DERR_INVALIDCALL;
    }
    constexpr std::uint64_t kLargest = std::numeric_limits<UINT>::max();
    if (std::uint64_t{vertices} * layout->stride > kLargest ||
        std::uint64_t{faces} * 3 * (wide ? 4 : 2) > kLargest) {
        return D3DERR_INVALIDCALL;
    }
    try {
        ComPtr<Mesh> mesh = makeCom<Mesh>(faces, vertices, options, *layout, device);
        const HRESULT hr = mesh->makeBuffers();
        if (FAILED(hr)) {
            return hr;
        }
        *out = std::move(mesh);
        return S_OK;
    } catch (const std::bad_alloc&) {
        return E_OUTOFMEMORY;
    }
}

HRESULT Mesh::makeBuffers() {
    const UINT vertexBytes = numVertices_ * layout_.stride;
    const UINT indexBytes = numFaces_ * 3 * (wideIndices() ? 4 : 2);
    const D3DFORMAT indexFormat = wideIndices() ? D3DFMT_INDEX32 : D3DFMT_INDEX16;
    drawVertices_ = nullptr;
    drawIndices_ = nullptr;

    if ((options_ & D3DXMESH_VB_SYSTEMMEM) != 0 || !device_) {
        systemVertices_ = makeCom<MemoryVertexBuffer>(vertexBytes, usageOf(options_, true),
                                                      layout_.fvf, D3DPOOL_SYSTEMMEM);
        systemVertices_->setLabel("MeshVertexBuffer");
        vertices_ = systemVertices_;
    } else {
        systemVertices_ = nullptr;
        const HRESULT hr =
            device_->CreateVertexBuffer(vertexBytes, usageOf(options_, true), layout_.fvf,
                                        poolOf(options_, true), vertices_.put(), nullptr);
        if (FAILED(hr)) {
            return hr;
        }
    }

    if ((options_ & D3DXMESH_IB_SYSTEMMEM) != 0 || !device_) {
        systemIndices_ = makeCom<MemoryIndexBuffer>(indexBytes, usageOf(options_, false),
                                                    indexFormat, D3DPOOL_SYSTEMMEM);
        systemIndices_->setLabel("MeshIndexBuffer");
        indices_ = systemIndices_;
    } else {
        systemIndices_ = nullptr;
        const HRESULT hr =
            device_->CreateIndexBuffer(indexBytes, usageOf(options_, false), indexFormat,
                                       poolOf(options_, false), indices_.put(), nullptr);
        if (FAILED(hr)) {
            return hr;
        }
    }
    return S_OK;
}

// --- contents -----------------------------------------------------------------------------

HRESULT Mesh::readVertices(std::vector<BYTE>* out) {
    Locked<IDirect3DVertexBuffer9> lock(vertices_.get(), D3DLOCK_READONLY);
    if (FAILED(lock.result())) {
        return lock.result();
    }
    out->assign(lock.data(), lock.data() + std::size_t{numVertices_} * layout_.stride);
    return S_OK;
}

HRESULT Mesh::writeVertices(std::span<const BYTE> bytes) {
    if (bytes.size() != std::size_t{numVertices_} * layout_.stride) {
        return D3DERR_INVALIDCALL;
    }
    Locked<IDirect3DVertexBuffer9> lock(vertices_.get(), 0);
    if (FAILED(lock.result())) {
        return lock.result();
    }
    std::memcpy(lock.data(), bytes.data(), bytes.size());
    return S_OK;
}

HRESULT Mesh::readIndices(std::vector<DWORD>* out) {
    Locked<IDirect3DIndexBuffer9> lock(indices_.get(), D3DLOCK_READONLY);
    if (FAILED(lock.result())) {
        return lock.result();
    }
    const std::size_t count = std::size_t{numFaces_} * 3;
    out->resize(count);
    for (std::size_t i = 0; i < count; ++i) {
        if (wideIndices()) {
            std::memcpy(&(*out)[i], lock.data() + i * 4, 4);
        } else {
            WORD index;
            std::memcpy(&index, lock.data() + i * 2, 2);
            (*out)[i] = index;
        }
    }
    return S_OK;
}

HRESULT Mesh::writeIndices(std::span<const DWORD> indices) {
    if (indices.size() != std::size_t{numFaces_} * 3) {
        return D3DERR_INVALIDCALL;
    }
    if (!wideIndices() &&
        std::any_of(indices.begin(), indices.end(), [](DWORD index) { return index > 0xFFFF; })) {
        return D3DERR_INVALIDCALL;
    }
    Locked<IDirect3DIndexBuffer9> lock(indices_.get(), 0);
    if (FAILED(lock.result())) {
        return lock.result();
    }
    for (std::size_t i = 0; i < indices.size(); ++i) {
        if (wideIndices()) {
            std::memcpy(lock.data() + i * 4, &indices[i], 4);
        } else {
            const WORD index = static_cast<WORD>(indices[i]);
            std::memcpy(lock.data() + i * 2, &index, 2);
        }
    }
    return S_OK;
}

bool Mesh::buffersLocked() const {
    return lockedNow(vertices_.get()) || lockedNow(indices_.get());
}

// --- the interface -----------------------------------------------------------------------

HRESULT Mesh::GetDevice(IDirect3DDevice9** ppDevice) {
    if (ppDevice == nullptr) {
        return D3DERR_INVALIDCALL;
    }
    *ppDevice = ComPtr<IDirect3DDevice9>(device_).detach();
    return device_ ? S_OK : D3DERR_INVALIDCALL;
}

HRESULT Mesh::CloneMeshFVF(DWORD Options, DWORD FVF, IDirect3DDevice9* pD3DDevice,
                           ID3DXMesh** ppCloneMesh) {
    if (ppCloneMesh == nullptr) {
        return D3DERR_INVALIDCALL;
    }
    *ppCloneMesh = nullptr;
    try {
        ComPtr<Mesh> clone;
        HRESULT hr = create(numFaces_, numVertices_, Options, FVF, pD3DDevice, &clone);
        if (FAILED(hr)) {
            return hr;
        }
        std::vector<BYTE> source;
        if (FAILED(hr = readVertices(&source))) {
            return hr;
        }
        const FvfLayout& target = clone->layout();
        std::vector<BYTE> converted(std::size_t{numVertices_} * target.stride);
        for (std::size_t v = 0; v < numVertices_; ++v) {
            convertVertex(layout_, source.data() + v * layout_.stride, target,
                          converted.data() + v * target.stride);
        }
        std::vector<DWORD> indices;
        if (FAILED(hr = clone->writeVertices(converted)) || FAILED(hr = readIndices(&indices)) ||
            FAILED(hr = clone->writeIndices(indices))) {
            return hr;
        }
        clone->attributes_ = attributes_;
        clone->attributeTable_ = attributeTable_;
        *ppCloneMesh = clone.detach();
        return S_OK;
    } catch (const std::bad_alloc&) {
        return E_OUTOFMEMORY;
    }
}

HRESULT Mesh::GetVertexBuffer(IDirect3DVertexBuffer9** ppVB) {
    if (ppVB == nullptr) {
        return D3DERR_INVALIDCALL;
    }
    *ppVB = ComPtr<IDirect3DVertexBuffer9>(vertices_).detach();
    return S_OK;
}

HRESULT Mesh::GetIndexBuffer(IDirect3DIndexBuffer9** ppIB) {
    if (ppIB == nullptr) {
        return D3DERR_INVALIDCALL;
    }
    *ppIB = ComPtr<IDirect3DIndexBuffer9>(indices_).detach();
    return S_OK;
}

HRESULT Mesh::LockVertexBuffer(DWORD Flags, void** ppData) {
    return vertices_->Lock(0, 0, ppData, Flags);
}

HRESULT Mesh::UnlockVertexBuffer() {
    return vertices_->Unlock();
}

HRESULT Mesh::LockIndexBuffer(DWORD Flags, void** ppData) {
    return indices_->Lock(0, 0, ppData, Flags);
}

HRESULT Mesh::UnlockIndexBuffer() {
    return indices_->Unlock();
}

HRESULT Mesh::LockAttributeBuffer(DWORD /*Flags*/, DWORD** ppData) {
    if (ppData == nullptr) {
        return D3DERR_INVALIDCALL;
    }
    *ppData = attributes_.data();
    return S_OK;
}

HRESULT Mesh::UnlockAttributeBuffer() {
    return S_OK;
}

HRESULT Mesh::GetAttributeTable(D3DXATTRIBUTERANGE* pAttribTable, DWORD* pAttribTableSize) {
    if (pAttribTable == nullptr && pAttribTableSize == nullptr) {
        return D3DERR_INVALIDCALL;
    }
    if (pAttribTable != nullptr) {
        std::copy(attributeTable_.begin(), attributeTable_.end(), pAttribTable);
    }
    if (pAttribTableSize != nullptr) {
        *pAttribTableSize = static_cast<DWORD>(attributeTable_.size());
    }
    return S_OK;
}

HRESULT Mesh::SetAttributeTable(const D3DXATTRIBUTERANGE* pAttribTable, DWORD cAttribTableSize) {
    if (pAttribTable == nullptr && cAttribTableSize != 0) {
        return D3DERR_INVALIDCALL;
    }
    const std::span<const D3DXATTRIBUTERANGE> table(pAttribTable, cAttribTableSize);
    for (const D3DXATTRIBUTERANGE& range : table) {
        if (std::uint64_t{range.FaceStart} + range.FaceCount > numFaces_ ||
            std::uint64_t{range.VertexStart} + range.VertexCount > numVertices_) {
            return D3DERR_INVALIDCALL;
        }
    }
    attributeTable_.assign(table.begin(), table.end());
    // The faces a range names carry its attribute from now on.
    for (const D3DXATTRIBUTERANGE& range : table) {
        std::fill_n(attributes_.begin() + range.FaceStart, range.FaceCount, range.AttribId);
    }
    return S_OK;
}

HRESULT Mesh::Optimize(DWORD Flags, const DWORD* pAdjacencyIn, DWORD* pAdjacencyOut,
                       DWORD* pFaceRemap, ID3DXBuffer** ppVertexRemap, ID3DXMesh** ppOptMesh) {
    if (ppOptMesh == nullptr) {
        return D3DERR_INVALIDCALL;
    }
    *ppOptMesh = nullptr;
    ComPtr<ID3DXMesh> copy;
    HRESULT hr = CloneMeshFVF(options_, layout_.fvf, device_.get(), copy.put());
    if (FAILED(hr)) {
        return hr;
    }
    hr = copy->OptimizeInplace(Flags, pAdjacencyIn, pAdjacencyOut, pFaceRemap, ppVertexRemap);
    if (FAILED(hr)) {
        return hr;
    }
    *ppOptMesh = copy.detach();
    return S_OK;
}

// --- drawing ------------------------------------------------------------------------------

HRESULT Mesh::rangesOf(DWORD attribute, std::vector<D3DXATTRIBUTERANGE>* out) {
    out->clear();
    if (!attributeTable_.empty()) {
        for (const D3DXATTRIBUTERANGE& range : attributeTable_) {
            if (range.AttribId == attribute && range.FaceCount > 0 && range.VertexCount > 0) {
                out->push_back(range);
            }
        }
        return S_OK;
    }
    // Without a table every run of faces with the attribute is a range of its own.
    if (std::find(attributes_.begin(), attributes_.end(), attribute) == attributes_.end()) {
        return S_OK;
    }
    std::vector<DWORD> indices;
    const HRESULT hr = readIndices(&indices);
    if (FAILED(hr)) {
        return hr;
    }
    for (DWORD face = 0; face < numFaces_;) {
        if (attributes_[face] != attribute) {
            ++face;
            continue;
        }
        const DWORD start = face;
        DWORD low = std::numeric_limits<DWORD>::max();
        DWORD high = 0;
        for (; face < numFaces_ && attributes_[face] == attribute; ++face) {
            for (int corner = 0; corner < 3; ++corner) {
                low = std::min(low, indices[face * 3 + corner]);
                high = std::max(high, indices[face * 3 + corner]);
            }
        }
        out->push_back({attribute, start, face - start, low, high - low + 1});
    }
    return S_OK;
}

HRESULT Mesh::drawBuffers(IDirect3DVertexBuffer9** vertices, IDirect3DIndexBuffer9** indices) {
    *vertices = vertices_.get();
    *indices = indices_.get();
    if (systemVertices_) {
        if (systemVertices_->isLocked()) {
            return D3DERR_INVALIDCALL;
        }
        if (!drawVertices_ || drawnVertexVersion_ != systemVertices_->version()) {
            if (!drawVertices_) {
                const HRESULT hr = device_->CreateVertexBuffer(
                    static_cast<UINT>(systemVertices_->bytes().size()), D3DUSAGE_WRITEONLY,
                    layout_.fvf, D3DPOOL_MANAGED, drawVertices_.put(), nullptr);
                if (FAILED(hr)) {
                    return hr;
                }
            }
            Locked<IDirect3DVertexBuffer9> lock(drawVertices_.get(), 0);
            if (FAILED(lock.result())) {
                return lock.result();
            }
            const std::span<const BYTE> bytes = systemVertices_->bytes();
            std::memcpy(lock.data(), bytes.data(), bytes.size());
            drawnVertexVersion_ = systemVertices_->version();
        }
        *vertices = drawVertices_.get();
    }
    if (systemIndices_) {
        if (systemIndices_->isLocked()) {
            return D3DERR_INVALIDCALL;
        }
        if (!drawIndices_ || drawnIndexVersion_ != systemIndices_->version()) {
            if (!drawIndices_) {
                const HRESULT hr = device_->CreateIndexBuffer(
                    static_cast<UINT>(systemIndices_->bytes().size()), D3DUSAGE_WRITEONLY,
                    systemIndices_->desc().Format, D3DPOOL_MANAGED, drawIndices_.put(), nullptr);
                if (FAILED(hr)) {
                    return hr;
                }
            }
            Locked<IDirect3DIndexBuffer9> lock(drawIndices_.get(), 0);
            if (FAILED(lock.result())) {
                return lock.result();
            }
            const std::span<const BYTE> bytes = systemIndices_->bytes();
            std::memcpy(lock.data(), bytes.data(), bytes.size());
            drawnIndexVersion_ = systemIndices_->version();
        }
        *indices = drawIndices_.get();
    }
    return S_OK;
}

HRESULT Mesh::DrawSubset(DWORD AttribId) {
    if (!device_) {
        return D3DERR_INVALIDCALL;
    }
    try {
        std::vector<D3DXATTRIBUTERANGE> ranges;
        HRESULT hr = rangesOf(AttribId, &ranges);
        if (FAILED(hr) || ranges.empty()) {
            return hr;
        }
        IDirect3DVertexBuffer9* vertices = nullptr;
        IDirect3DIndexBuffer9* indices = nullptr;
        if (FAILED(hr = drawBuffers(&vertices, &indices))) {
            return hr;
        }
        if (FAILED(hr = device_->SetFVF(layout_.fvf)) ||
            FAILED(hr = device_->SetStreamSource(0, vertices, 0, layout_.stride)) ||
            FAILED(hr = device_->SetIndices(indices))) {
            return hr;
        }
        for (const D3DXATTRIBUTERANGE& range : ranges) {
            hr = device_->DrawIndexedPrimitive(D3DPT_TRIANGLELIST, 0, range.VertexStart,
                                               range.VertexCount, range.FaceStart * 3,
                                               range.FaceCount);
            if (FAILED(hr)) {
                return hr;
            }
        }
        return S_OK;
    } catch (const std::bad_alloc&) {
        return E_OUTOFMEMORY;
    }
}

} // namespace twmesh

HRESULT D3DXCreateBuffer(DWORD NumBytes, ID3DXBuffer** ppBuffer) {
    if (ppBuffer == nullptr) {
        return D3DERR_INVALIDCALL;
    }
    *ppBuffer = nullptr;
    try {
        *ppBuffer = twmesh::makeBuffer(NumBytes).detach();
        return S_OK;
    } catch (const std::bad_alloc&) {
        return E_OUTOFMEMORY;
    }
}

HRESULT D3DXCreateMeshFVF(DWORD NumFaces, DWORD NumVertices, DWORD Options, DWORD FVF,
                          IDirect3DDevice9* pD3DDevice, ID3DXMesh** ppMesh) {
    if (ppMesh == nullptr) {
        return D3DERR_INVALIDCALL;
    }
    ComPtr<twmesh::Mesh> mesh;
    const HRESULT hr = twmesh::Mesh::create(NumFaces, NumVertices, Options, FVF, pD3DDevice, &mesh);
    *ppMesh = mesh.detach();
    return hr;
}
