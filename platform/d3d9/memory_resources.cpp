#include "d3d9/memory_resources.h"

#include <cstdio>
#include <cstring>

namespace {

// Direct3D's buffer lock range: size 0 means "to the end", and the range must lie
// inside the buffer.
HRESULT lockRange(LockableBytes& store, UINT offset, UINT size, void** data, DWORD flags) {
    if (data == nullptr) {
        return D3DERR_INVALIDCALL;
    }
    *data = nullptr;
    const std::size_t length = store.size();
    if (offset >= length) {
        return D3DERR_INVALIDCALL;
    }
    if (size != 0 && static_cast<std::size_t>(offset) + size > length) {
        return D3DERR_INVALIDCALL;
    }
    *data = store.lock(offset, flags);
    return D3D_OK;
}

} // namespace

std::string resourceLabel(IUnknown* resource) {
    if (resource == nullptr) {
        return "null";
    }
    if (const auto* memory = dynamic_cast<const MemoryResource*>(resource)) {
        if (!memory->label().empty()) {
            return memory->label();
        }
    }
    char text[32];
    std::snprintf(text, sizeof text, "%p", static_cast<void*>(resource));
    return text;
}

BYTE* LockableBytes::lock(std::size_t offset, DWORD flags) {
    ++locks_;
    if ((flags & D3DLOCK_READONLY) == 0) {
        writing_ = true;
    }
    return bytes_.data() + offset;
}

bool LockableBytes::unlock() {
    if (locks_ == 0) {
        return false;
    }
    if (--locks_ == 0 && writing_) {
        writing_ = false;
        ++version_;
    }
    return true;
}

MemoryVertexBuffer::MemoryVertexBuffer(UINT length, DWORD usage, DWORD fvf, D3DPOOL pool)
    : desc_{D3DFMT_VERTEXDATA, D3DRTYPE_VERTEXBUFFER, usage, pool, length, fvf}, store_(length) {}

HRESULT MemoryVertexBuffer::Lock(UINT OffsetToLock, UINT SizeToLock, void** ppbData, DWORD Flags) {
    return lockRange(store_, OffsetToLock, SizeToLock, ppbData, Flags);
}

HRESULT MemoryVertexBuffer::Unlock() {
    return store_.unlock() ? D3D_OK : D3DERR_INVALIDCALL;
}

HRESULT MemoryVertexBuffer::GetDesc(D3DVERTEXBUFFER_DESC* pDesc) {
    if (pDesc == nullptr) {
        return D3DERR_INVALIDCALL;
    }
    *pDesc = desc_;
    return D3D_OK;
}

MemoryIndexBuffer::MemoryIndexBuffer(UINT length, DWORD usage, D3DFORMAT format, D3DPOOL pool)
    : desc_{format, D3DRTYPE_INDEXBUFFER, usage, pool, length}, store_(length) {}

HRESULT MemoryIndexBuffer::Lock(UINT OffsetToLock, UINT SizeToLock, void** ppbData, DWORD Flags) {
    return lockRange(store_, OffsetToLock, SizeToLock, ppbData, Flags);
}

HRESULT MemoryIndexBuffer::Unlock() {
    return store_.unlock() ? D3D_OK : D3DERR_INVALIDCALL;
}

HRESULT MemoryIndexBuffer::GetDesc(D3DINDEXBUFFER_DESC* pDesc) {
    if (pDesc == nullptr) {
        return D3DERR_INVALIDCALL;
    }
    *pDesc = desc_;
    return D3D_OK;
}

UINT MemoryIndexBuffer::index(UINT i) const {
    const BYTE* at = store_.bytes().data() + static_cast<std::size_t>(i) * indexSize();
    if (indexSize() == 4) {
        std::uint32_t value;
        std::memcpy(&value, at, sizeof value);
        return value;
    }
    std::uint16_t value;
    std::memcpy(&value, at, sizeof value);
    return value;
}

MemorySurface::MemorySurface(UINT width, UINT height, D3DFORMAT format, DWORD usage, D3DPOOL pool,
                             bool lockable)
    : desc_{format, D3DRTYPE_SURFACE, usage, pool, D3DMULTISAMPLE_NONE, 0, width, height},
      lockable_(lockable), pitch_(width * formatBytesPerPixel(format)),
      store_(lockable ? static_cast<std::size_t>(pitch_) * height : 0) {}

HRESULT MemorySurface::GetDesc(D3DSURFACE_DESC* pDesc) {
    if (pDesc == nullptr) {
        return D3DERR_INVALIDCALL;
    }
    *pDesc = desc_;
    return D3D_OK;
}

HRESULT MemorySurface::LockRect(D3DLOCKED_RECT* pLockedRect, const RECT* pRect, DWORD Flags) {
    if (pLockedRect == nullptr || !lockable_ || store_.isLocked()) {
        return D3DERR_INVALIDCALL;
    }
    RECT area{0, 0, static_cast<LONG>(desc_.Width), static_cast<LONG>(desc_.Height)};
    if (pRect != nullptr) {
        if (pRect->left < 0 || pRect->top < 0 || pRect->left >= pRect->right ||
            pRect->top >= pRect->bottom || pRect->right > area.right ||
            pRect->bottom > area.bottom) {
            return D3DERR_INVALIDCALL;
        }
        area = *pRect;
    }
    const std::size_t offset =
        static_cast<std::size_t>(area.top) * pitch_ +
        static_cast<std::size_t>(area.left) * formatBytesPerPixel(desc_.Format);
    pLockedRect->pBits = store_.lock(offset, Flags);
    pLockedRect->Pitch = static_cast<INT>(pitch_);
    return D3D_OK;
}

HRESULT MemorySurface::UnlockRect() {
    return store_.unlock() ? D3D_OK : D3DERR_INVALIDCALL;
}

UINT MemoryTexture::fullChainLength(UINT width, UINT height) {
    UINT levels = 1;
    for (UINT size = width > height ? width : height; size > 1; size /= 2) {
        ++levels;
    }
    return levels;
}

MemoryTexture::MemoryTexture(UINT width, UINT height, UINT levels, DWORD usage, D3DFORMAT format,
                             D3DPOOL pool) {
    const UINT full = fullChainLength(width, height);
    const UINT count = levels == 0 || levels > full ? full : levels;
    const bool lockable = pool != D3DPOOL_DEFAULT || (usage & D3DUSAGE_DYNAMIC) != 0;
    levels_.reserve(count);
    for (UINT i = 0; i < count; ++i) {
        const UINT w = (width >> i) > 0 ? width >> i : 1;
        const UINT h = (height >> i) > 0 ? height >> i : 1;
        levels_.push_back(makeCom<MemorySurface>(w, h, format, usage, pool, lockable));
    }
}

HRESULT MemoryTexture::GetLevelDesc(UINT Level, D3DSURFACE_DESC* pDesc) {
    if (Level >= levels_.size()) {
        return D3DERR_INVALIDCALL;
    }
    return levels_[Level]->GetDesc(pDesc);
}

HRESULT MemoryTexture::GetSurfaceLevel(UINT Level, IDirect3DSurface9** ppSurfaceLevel) {
    if (ppSurfaceLevel == nullptr || Level >= levels_.size()) {
        return D3DERR_INVALIDCALL;
    }
    *ppSurfaceLevel = ComPtr<IDirect3DSurface9>(levels_[Level]).detach();
    return D3D_OK;
}

HRESULT MemoryTexture::LockRect(UINT Level, D3DLOCKED_RECT* pLockedRect, const RECT* pRect,
                                DWORD Flags) {
    if (Level >= levels_.size()) {
        return D3DERR_INVALIDCALL;
    }
    return levels_[Level]->LockRect(pLockedRect, pRect, Flags);
}

HRESULT MemoryTexture::UnlockRect(UINT Level) {
    if (Level >= levels_.size()) {
        return D3DERR_INVALIDCALL;
    }
    return levels_[Level]->UnlockRect();
}

std::uint64_t MemoryTexture::version() const {
    std::uint64_t sum = 0;
    for (const auto& level : levels_) {
        sum += level->version();
    }
    return sum;
}
