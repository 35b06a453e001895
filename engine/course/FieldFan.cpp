#include <cstring>
#include <functional>
#include <map>

#include "course/CourseField.h"
#include "d3dx9/d3dx9tex.h"

namespace {

constexpr D3DCOLOR kWhite = 0xFFFFFFFF;

} // namespace

HRESULT CFieldFan::createDeviceObjects(IDirect3DDevice9* device, IDirect3DTexture9* texture) {
    releaseDeviceObjects();
    if (device == nullptr || m_vertices.empty()) {
        return E_FAIL;
    }
    std::vector<Vertex> vertices;
    vertices.reserve(m_vertices.size());
    for (const auto& v : m_vertices) {
        vertices.push_back({v.x, v.y, v.z, kWhite});
    }
    const UINT bytes = static_cast<UINT>(vertices.size() * sizeof(Vertex));
    HRESULT hr = device->CreateVertexBuffer(bytes, D3DUSAGE_WRITEONLY, kFvf, D3DPOOL_MANAGED,
                                            m_vertexBuffer.put(), nullptr);
    if (FAILED(hr)) {
        return hr;
    }
    void* data = nullptr;
    hr = m_vertexBuffer->Lock(0, bytes, &data, 0);
    if (FAILED(hr)) {
        return hr;
    }
    std::memcpy(data, vertices.data(), bytes);
    m_vertexBuffer->Unlock();
    m_texture = ComPtr<IDirect3DTexture9>(texture);
    return S_OK;
}

void CFieldFan::releaseDeviceObjects() {
    m_vertexBuffer.reset();
    m_texture.reset();
}

void CCourseField::createDeviceObjects(IDirect3DDevice9* device) {
    // A course has thousands of fans, all naming the field's texture: each name is
    // loaded once and the fans share it. A missing texture leaves the fans untextured.
    std::map<std::string, ComPtr<IDirect3DTexture9>, std::less<>> loaded;
    for (auto& fan : m_fans) {
        auto [at, added] = loaded.try_emplace(fan->textureName());
        if (added && device != nullptr) {
            // A picture that does not load leaves the fan untextured.
            (void)D3DXCreateTextureFromFileA(device, at->first.c_str(), at->second.put());
        }
        // A fan that cannot be made is not drawn.
        (void)fan->createDeviceObjects(device, at->second.get());
    }
}

void CCourseField::releaseDeviceObjects() {
    for (auto& fan : m_fans) {
        fan->releaseDeviceObjects();
    }
}

UINT CFieldFan::triangleCount() const {
    const auto count = m_vertices.size();
    return static_cast<UINT>(m_primitive == D3DPT_TRIANGLELIST ? count / 3 : count - 2);
}

std::vector<std::array<D3DXVECTOR3, 3>> CFieldFan::triangles() const {
    std::vector<std::array<D3DXVECTOR3, 3>> out;
    const std::vector<D3DXVECTOR3>& v = m_vertices;
    if (m_primitive == D3DPT_TRIANGLELIST) {
        for (std::size_t i = 0; i + 2 < v.size(); i += 3) {
            out.push_back({v[i], v[i + 1], v[i + 2]});
        }
    } else {
        for (std::size_t i = 1; i + 1 < v.size(); ++i) {
            out.push_back({v[0], v[i], v[i + 1]});
        }
    }
    return out;
}

HRESULT CFieldFan::draw(IDirect3DDevice9* device) const {
    if (!m_vertexBuffer || m_vertices.size() < 3) {
        return E_FAIL;
    }
    device->SetRenderState(D3DRS_LIGHTING, FALSE);
    device->SetTexture(0, m_texture.get());
    device->SetFVF(kFvf);
    device->SetStreamSource(0, m_vertexBuffer.get(), 0, sizeof(Vertex));
    const HRESULT hr = device->DrawPrimitive(m_primitive, 0, triangleCount());
    device->SetRenderState(D3DRS_LIGHTING, TRUE);
    return hr;
}

void CCourseField::draw(IDirect3DDevice9* device) const {
    device->SetRenderState(D3DRS_CULLMODE, D3DCULL_NONE);
    for (const auto& fan : m_fans) {
        fan->draw(device);
    }
    device->SetRenderState(D3DRS_CULLMODE, D3DCULL_CCW);
}
