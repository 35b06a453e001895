#include "assets/BitmapBillboard.h"

#include <cmath>
#include <cstdlib>
#include <cstring>

#include "d3dx9/d3dx9tex.h"

namespace {

constexpr float kUnitsPerPixel = 1.0f / 8.0f;
constexpr DWORD kAlphaReference = 8;
constexpr D3DCOLOR kColorKey = 0xFF000000; // opaque black shows through

// A channel between 65 and 255 from the process's standard generator, read as the
// 15-bit generator the tint was designed for.
unsigned tintChannel() {
    const int r = std::rand() & 0x7FFF;
    return 65u + static_cast<unsigned>(r * 190 / 32767);
}

} // namespace

BitmapBillboard::BitmapBillboard(IDirect3DDevice9* device, const D3DCAPS9& caps)
    : m_device(device), m_caps(caps) {
    D3DXMatrixIdentity(&m_world);
}

HRESULT BitmapBillboard::load(HWND /*window*/, const std::string& path) {
    m_path = path;
    D3DXIMAGE_INFO info{};
    UINT width = 1;
    UINT height = 1;
    if (SUCCEEDED(D3DXGetImageInfoFromFileA(path.c_str(), &info))) {
        width = info.Width;
        height = info.Height;
    } else {
        MessageBoxA(nullptr, "failed to open bmp.", "Tumbleway Error", MB_OK);
    }
    m_halfWidth = static_cast<float>(width) * kUnitsPerPixel;
    m_halfHeight = static_cast<float>(height) * kUnitsPerPixel;
    const float w = m_halfWidth;
    const float h = 2 * m_halfHeight;
    const unsigned red = tintChannel();
    const unsigned green = tintChannel();
    const D3DCOLOR tint = D3DCOLOR_ARGB(255, red, green, 0);
    m_vertices[0] = {-w, 0, 0, tint, 0, 1};
    m_vertices[1] = {-w, h, 0, tint, 0, 0};
    m_vertices[2] = {w, 0, 0, tint, 1, 1};
    m_vertices[3] = {w, h, 0, tint, 1, 0};
    return createDeviceObjects(m_device);
}

HRESULT BitmapBillboard::createDeviceObjects(IDirect3DDevice9* device) {
    releaseDeviceObjects();
    m_device = device;
    if (m_device == nullptr) {
        return E_FAIL;
    }
    // A bitmap that does not load leaves the quad untextured.
    (void)D3DXCreateTextureFromFileExA(
        m_device, m_path.c_str(), D3DX_DEFAULT, D3DX_DEFAULT, 1, 0, D3DFMT_UNKNOWN, D3DPOOL_MANAGED,
        D3DX_FILTER_NONE, D3DX_FILTER_NONE, kColorKey, nullptr, nullptr, m_texture.put());
    HRESULT hr = m_device->CreateVertexBuffer(sizeof m_vertices, D3DUSAGE_WRITEONLY, kFvf,
                                              D3DPOOL_MANAGED, m_vertexBuffer.put(), nullptr);
    if (FAILED(hr)) {
        return hr;
    }
    void* data = nullptr;
    hr = m_vertexBuffer->Lock(0, sizeof m_vertices, &data, 0);
    if (FAILED(hr)) {
        return hr;
    }
    std::memcpy(data, m_vertices, sizeof m_vertices);
    return m_vertexBuffer->Unlock();
}

void BitmapBillboard::releaseDeviceObjects() {
    m_texture.reset();
    m_vertexBuffer.reset();
}

void BitmapBillboard::face(float fx, float /*fy*/, float fz) {
    const float turn = fx == 0 && fz == 0 ? 0.0f : std::atan(fz / fx);
    const float half = static_cast<float>(M_PI) / 2;
    D3DXMatrixRotationY(&m_world, fx >= 0 ? -turn - half : -turn + half);
}

HRESULT BitmapBillboard::draw() {
    if (m_device == nullptr || !m_vertexBuffer) {
        return E_FAIL;
    }
    m_device->SetRenderState(D3DRS_ALPHABLENDENABLE, TRUE);
    m_device->SetRenderState(D3DRS_SRCBLEND, D3DBLEND_SRCALPHA);
    m_device->SetRenderState(D3DRS_DESTBLEND, D3DBLEND_INVSRCALPHA);
    if ((m_caps.AlphaCmpCaps & D3DPCMPCAPS_GREATEREQUAL) != 0) {
        m_device->SetRenderState(D3DRS_ALPHATESTENABLE, TRUE);
        m_device->SetRenderState(D3DRS_ALPHAREF, kAlphaReference);
        m_device->SetRenderState(D3DRS_ALPHAFUNC, D3DCMP_GREATEREQUAL);
    }
    m_device->SetStreamSource(0, m_vertexBuffer.get(), 0, sizeof(Vertex));
    m_device->SetFVF(kFvf);
    m_device->SetTexture(0, m_texture.get());
    // The quad shows the bitmap once: filtered at its edges, a wrapping texture blends in
    // the opposite edge's texels, a line of the trunk's colour over the treetop.
    m_device->SetSamplerState(0, D3DSAMP_ADDRESSU, D3DTADDRESS_CLAMP);
    m_device->SetSamplerState(0, D3DSAMP_ADDRESSV, D3DTADDRESS_CLAMP);
    m_world._41 = m_position.x;
    m_world._42 = m_position.y;
    m_world._43 = m_position.z;
    m_device->SetTransform(D3DTS_WORLD, &m_world);
    m_device->DrawPrimitive(D3DPT_TRIANGLESTRIP, 0, 2);
    D3DXMATRIX identity;
    D3DXMatrixIdentity(&identity);
    m_device->SetTransform(D3DTS_WORLD, &identity);
    m_device->SetRenderState(D3DRS_ALPHATESTENABLE, FALSE);
    m_device->SetRenderState(D3DRS_ALPHABLENDENABLE, FALSE);
    m_device->SetSamplerState(0, D3DSAMP_ADDRESSU, D3DTADDRESS_WRAP);
    m_device->SetSamplerState(0, D3DSAMP_ADDRESSV, D3DTADDRESS_WRAP);
    return S_OK;
}
