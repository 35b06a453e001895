#include "render/InstancedMeshes.h"

#include <algorithm>
#include <cstring>

#include "assets/mesh/MeshObject.h"

namespace {

constexpr std::size_t kLeastCapacity = 256;
constexpr UINT kStride = sizeof(D3DXMATRIX);

} // namespace

HRESULT InstancedMeshes::draw(IDirect3DDevice9* device, MeshObject& mesh,
                              std::span<const D3DXMATRIX> worlds) {
    if (worlds.empty()) {
        return S_OK;
    }
    if (!reserve(device, worlds.size()) || !fill(worlds)) {
        HRESULT result = S_OK;
        for (const D3DXMATRIX& world : worlds) {
            device->SetTransform(D3DTS_WORLD, &world);
            result = FAILED(result) ? result : mesh.render(device, true, true);
        }
        return result;
    }
    device->SetStreamSource(1, m_buffer.get(), 0, kStride);
    device->SetStreamSourceFreq(1, D3DSTREAMSOURCE_INSTANCEDATA | 1u);
    device->SetStreamSourceFreq(0, D3DSTREAMSOURCE_INDEXEDDATA | static_cast<UINT>(worlds.size()));
    const HRESULT result = mesh.render(device, true, true);
    // Every other draw of the frame (sprites, text, billboards) is a plain one.
    device->SetStreamSourceFreq(0, 1);
    device->SetStreamSourceFreq(1, 1);
    device->SetStreamSource(1, nullptr, 0, 0);
    return result;
}

void InstancedMeshes::release() {
    m_buffer.reset();
    m_device = nullptr;
    m_capacity = 0;
}

bool InstancedMeshes::reserve(IDirect3DDevice9* device, std::size_t count) {
    if (m_buffer && m_device == device && m_capacity >= count) {
        return true;
    }
    const std::size_t capacity = std::max({count, kLeastCapacity, 2 * m_capacity});
    release();
    if (FAILED(device->CreateVertexBuffer(static_cast<UINT>(capacity * kStride),
                                          D3DUSAGE_DYNAMIC | D3DUSAGE_WRITEONLY, 0, D3DPOOL_DEFAULT,
                                          m_buffer.put(), nullptr))) {
        release();
        return false;
    }
    m_device = device;
    m_capacity = capacity;
    return true;
}

bool InstancedMeshes::fill(std::span<const D3DXMATRIX> worlds) {
    void* data = nullptr;
    const auto bytes = static_cast<UINT>(worlds.size() * kStride);
    if (FAILED(m_buffer->Lock(0, bytes, &data, D3DLOCK_DISCARD))) {
        return false;
    }
    std::memcpy(data, worlds.data(), bytes);
    return SUCCEEDED(m_buffer->Unlock());
}
