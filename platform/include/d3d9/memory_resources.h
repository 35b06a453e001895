// Device resources whose contents live in ordinary memory: vertex and index buffers,
// surfaces, and textures with their chain of levels. Every backend makes these; a GPU
// backend uploads from the bytes whenever version() has moved since its last upload.
#pragma once

#include "d3d9/d3d9.h"

#include <cstddef>
#include <cstdint>
#include <span>
#include <string>
#include <vector>

// A name for logs and test messages ("Texture#3"), given by the device that made it.
class MemoryResource {
public:
    const std::string& label() const { return label_; }
    void setLabel(std::string label) { label_ = std::move(label); }

protected:
    MemoryResource() = default;
    ~MemoryResource() = default;

private:
    std::string label_;
};

// The label of a memory resource, "null" for no resource, or the address otherwise.
std::string resourceLabel(IUnknown* resource);

// Bytes with Direct3D's locking rules: locks may nest for buffers, every unlock of a
// lock that could write moves the version on.
class LockableBytes {
public:
    explicit LockableBytes(std::size_t size) : bytes_(size) {}

    // Bounds are checked by the caller; this counts the lock and hands out the address.
    BYTE* lock(std::size_t offset, DWORD flags);
    // False when nothing is locked.
    [[nodiscard]] bool unlock();

    bool isLocked() const { return locks_ > 0; }
    std::uint64_t version() const { return version_; }
    std::size_t size() const { return bytes_.size(); }
    std::span<const BYTE> bytes() const { return bytes_; }

private:
    std::vector<BYTE> bytes_;
    unsigned locks_ = 0;
    bool writing_ = false;
    std::uint64_t version_ = 0;
};

class MemoryVertexBuffer : public IDirect3DVertexBuffer9, public MemoryResource {
public:
    MemoryVertexBuffer(UINT length, DWORD usage, DWORD fvf, D3DPOOL pool);

    D3DRESOURCETYPE GetType() override { return D3DRTYPE_VERTEXBUFFER; }
    [[nodiscard]] HRESULT Lock(UINT OffsetToLock, UINT SizeToLock, void** ppbData,
                               DWORD Flags) override;
    HRESULT Unlock() override;
    HRESULT GetDesc(D3DVERTEXBUFFER_DESC* pDesc) override;

    const D3DVERTEXBUFFER_DESC& desc() const { return desc_; }
    std::span<const BYTE> bytes() const { return store_.bytes(); }
    bool isLocked() const { return store_.isLocked(); }
    std::uint64_t version() const { return store_.version(); }

private:
    D3DVERTEXBUFFER_DESC desc_;
    LockableBytes store_;
};

class MemoryIndexBuffer : public IDirect3DIndexBuffer9, public MemoryResource {
public:
    // format is D3DFMT_INDEX16 or D3DFMT_INDEX32.
    MemoryIndexBuffer(UINT length, DWORD usage, D3DFORMAT format, D3DPOOL pool);

    D3DRESOURCETYPE GetType() override { return D3DRTYPE_INDEXBUFFER; }
    [[nodiscard]] HRESULT Lock(UINT OffsetToLock, UINT SizeToLock, void** ppbData,
                               DWORD Flags) override;
    HRESULT Unlock() override;
    HRESULT GetDesc(D3DINDEXBUFFER_DESC* pDesc) override;

    const D3DINDEXBUFFER_DESC& desc() const { return desc_; }
    std::span<const BYTE> bytes() const { return store_.bytes(); }
    bool isLocked() const { return store_.isLocked(); }
    std::uint64_t version() const { return store_.version(); }
    UINT indexSize() const { return desc_.Format == D3DFMT_INDEX32 ? 4 : 2; }
    UINT indexCount() const { return desc_.Size / indexSize(); }
    // Index i as a number; i must be below indexCount().
    UINT index(UINT i) const;

private:
    D3DINDEXBUFFER_DESC desc_;
    LockableBytes store_;
};

// A 2-D array of pixels. A surface made without lockable pixels (the back buffer of a
// device whose pixels live on the GPU) holds no bytes and refuses LockRect.
class MemorySurface : public IDirect3DSurface9, public MemoryResource {
public:
    MemorySurface(UINT width, UINT height, D3DFORMAT format, DWORD usage, D3DPOOL pool,
                  bool lockable = true);

    D3DRESOURCETYPE GetType() override { return D3DRTYPE_SURFACE; }
    HRESULT GetDesc(D3DSURFACE_DESC* pDesc) override;
    [[nodiscard]] HRESULT LockRect(D3DLOCKED_RECT* pLockedRect, const RECT* pRect,
                                   DWORD Flags) override;
    HRESULT UnlockRect() override;

    const D3DSURFACE_DESC& desc() const { return desc_; }
    bool isLockable() const { return lockable_; }
    UINT pitch() const { return pitch_; }
    // Rows top to bottom, pitch() bytes each.
    std::span<const BYTE> bytes() const { return store_.bytes(); }
    bool isLocked() const { return store_.isLocked(); }
    std::uint64_t version() const { return store_.version(); }

private:
    D3DSURFACE_DESC desc_;
    bool lockable_;
    UINT pitch_;
    LockableBytes store_;
};

// A texture with its levels, each half the size of the one before (at least 1 x 1).
// Textures in the default pool cannot be locked unless they are dynamic, as in Direct3D.
class MemoryTexture : public IDirect3DTexture9, public MemoryResource {
public:
    // levels 0, or more than the full chain, makes the full chain down to 1 x 1.
    MemoryTexture(UINT width, UINT height, UINT levels, DWORD usage, D3DFORMAT format,
                  D3DPOOL pool);

    // Levels from width x height down to 1 x 1.
    static UINT fullChainLength(UINT width, UINT height);

    D3DRESOURCETYPE GetType() override { return D3DRTYPE_TEXTURE; }
    DWORD GetLevelCount() override { return static_cast<DWORD>(levels_.size()); }
    HRESULT GetLevelDesc(UINT Level, D3DSURFACE_DESC* pDesc) override;
    [[nodiscard]] HRESULT GetSurfaceLevel(UINT Level, IDirect3DSurface9** ppSurfaceLevel) override;
    [[nodiscard]] HRESULT LockRect(UINT Level, D3DLOCKED_RECT* pLockedRect, const RECT* pRect,
                                   DWORD Flags) override;
    HRESULT UnlockRect(UINT Level) override;

    UINT levelCount() const { return static_cast<UINT>(levels_.size()); }
    const MemorySurface& level(UINT index) const { return *levels_.at(index); }
    const D3DSURFACE_DESC& desc() const { return levels_.front()->desc(); }
    // Moves on whenever any level was written.
    std::uint64_t version() const;

private:
    std::vector<ComPtr<MemorySurface>> levels_;
};
