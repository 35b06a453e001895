// Device state the renderer relies on for every frame, set again after each reset.
#include <cmath>

#include "render/Renderer.h"

namespace {

constexpr float kFieldOfView = 0.7853982f;
constexpr D3DCOLOR kAmbient = 0x008F8F8F;
constexpr float kFarPlanePerRadius = 50.0f;

} // namespace

void Renderer::setUpRenderState() {
    material = D3DMATERIAL9{};
    material.Diffuse = {1, 1, 1, 1};
    material.Ambient = {1, 1, 1, 1};
    view.device->SetMaterial(&material);

    view.device->SetTextureStageState(0, D3DTSS_COLOROP, D3DTOP_MODULATE);
    view.device->SetTextureStageState(0, D3DTSS_ALPHAOP, D3DTOP_MODULATE);
    view.device->SetSamplerState(0, D3DSAMP_MINFILTER, D3DTEXF_LINEAR);
    view.device->SetSamplerState(0, D3DSAMP_MAGFILTER, D3DTEXF_LINEAR);

    view.device->SetRenderState(D3DRS_DITHERENABLE, FALSE);
    view.device->SetRenderState(D3DRS_SPECULARENABLE, FALSE);
    view.device->SetRenderState(D3DRS_ZENABLE, TRUE);
    view.device->SetRenderState(D3DRS_AMBIENT, kAmbient);

    D3DXMatrixIdentity(&identityWorld);
    view.device->SetTransform(D3DTS_WORLD, &identityWorld);
    const D3DXVECTOR3 eye(0, 0, -5.0f);
    const D3DXVECTOR3 at(0, 0, 0);
    const D3DXVECTOR3 up(0, 1, 0);
    D3DXMATRIX lookAt;
    D3DXMatrixLookAtLH(&lookAt, &eye, &at, &up);
    view.device->SetTransform(D3DTS_VIEW, &lookAt);
    const float aspect = view.backBuffer.Height == 0
                             ? 1.0f
                             : static_cast<float>(view.backBuffer.Width) / view.backBuffer.Height;
    D3DXMatrixPerspectiveFovLH(&projectionMatrix, kFieldOfView, aspect, 1.0f, 200.0f);
    view.device->SetTransform(D3DTS_PROJECTION, &projectionMatrix);

    D3DLIGHT9 light{};
    light.Type = D3DLIGHT_DIRECTIONAL;
    light.Diffuse = {1, 1, 1, 0};
    D3DXVECTOR3 direction(-1, -1, 2);
    D3DXVec3Normalize(&direction, &direction);
    light.Direction = direction;
    light.Range = 1000.0f;
    view.device->SetLight(0, &light);
    view.device->LightEnable(0, TRUE);
    view.device->SetRenderState(D3DRS_LIGHTING, TRUE);
}

HRESULT Renderer::createFonts() {
    // "Arial" bold, antialiased; creation stops at the first failure.
    const auto make = [this](INT height, ComPtr<ID3DXFont>* font) {
        return D3DXCreateFontA(view.device, height, 0, FW_BOLD, 1, FALSE, 0, OUT_DEFAULT_PRECIS,
                               ANTIALIASED_QUALITY, 0, "Arial", font->put());
    };
    HRESULT hr = make(20, &fontLarge);
    if (SUCCEEDED(hr)) {
        hr = make(9, &fontSmall);
    }
    if (SUCCEEDED(hr)) {
        hr = make(32, &fontTimer);
    }
    return hr;
}

D3DXMATRIX Renderer::meshPreviewProjection(float radius) const {
    // Far enough to see the whole of a mesh of that radius.
    const float aspect = view.backBuffer.Height == 0
                             ? 1.0f
                             : static_cast<float>(view.backBuffer.Width) /
                                   static_cast<float>(view.backBuffer.Height);
    D3DXMATRIX projection;
    D3DXMatrixPerspectiveFovLH(&projection, kFieldOfView, aspect, 1.0f,
                               kFarPlanePerRadius * radius);
    return projection;
}
