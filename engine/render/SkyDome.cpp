#include "render/SkyDome.h"

#include <array>
#include <cmath>

#include "assets/mesh/FindMediaFile.h"
#include "d3dx9/d3dx9tex.h"

namespace {

// The dome was shaped with this value of pi; the picture is laid out for it.
constexpr double kDomePi = 3.1417;
constexpr double kElevationStepDegrees = 3.5;
constexpr double kAzimuthStepDegrees = 10.0;
constexpr DWORD kMipFilter = D3DX_FILTER_TRIANGLE | D3DX_FILTER_MIRROR;

} // namespace

SkyDome::SkyDome(IDirect3DDevice9* device) : m_grid(device, kGridSize, kGridSize, kRadius) {
    // Wide and deep enough to hold the whole dome around the eye.
    D3DXMatrixPerspectiveFovLH(&m_projection, 1.5f, 1.0f, 0.01f, 1000.0f);
}

HRESULT SkyDome::build() {
    for (int i = 0; i < kGridSize; ++i) {
        for (int j = 0; j < kGridSize; ++j) {
            const double phi = 2 * kDomePi * (kElevationStepDegrees * j) / 360;
            const double theta = 2 * kDomePi * (kAzimuthStepDegrees * i) / 360;
            m_grid.setVertexInward(i, j,
                                   static_cast<float>(kRadius * std::sin(phi) * std::sin(theta)),
                                   static_cast<float>(kRadius * std::cos(phi)),
                                   static_cast<float>(kRadius * std::sin(phi) * std::cos(theta)));
        }
    }
    return m_grid.upload();
}

HRESULT SkyDome::loadTexture(const std::string& path) {
    m_texturePath = path;
    std::array<char, MAX_PATH> found{};
    // When nothing is found the name itself is what gets loaded.
    (void)findMediaFile(found.data(), static_cast<int>(found.size()), path.c_str());
    ComPtr<IDirect3DTexture9> texture;
    IDirect3DDevice9* device = m_grid.device();
    if (device == nullptr) {
        return E_FAIL;
    }
    // The picture keeps its alpha: the first texture format every device here offers.
    const HRESULT hr = D3DXCreateTextureFromFileExA(
        device, found.data(), D3DX_DEFAULT, D3DX_DEFAULT, D3DX_DEFAULT, 0, D3DFMT_A8R8G8B8,
        D3DPOOL_MANAGED, kMipFilter, kMipFilter, 0, nullptr, nullptr, texture.put());
    m_grid.setTextureObject(std::move(texture));
    return hr;
}

HRESULT SkyDome::draw(IDirect3DDevice9* device, const D3DXVECTOR3& eye,
                      const D3DMATERIAL9& material) {
    device->SetMaterial(&material);
    D3DXMATRIX world;
    D3DXMatrixTranslation(&world, eye.x, eye.y, eye.z);
    device->SetTransform(D3DTS_WORLD, &world);
    device->SetRenderState(D3DRS_LIGHTING, FALSE);
    device->SetRenderState(D3DRS_FOGENABLE, FALSE);
    device->SetTransform(D3DTS_PROJECTION, &m_projection);
    return m_grid.draw();
}

HRESULT SkyDome::createDeviceObjects(IDirect3DDevice9* device) {
    m_grid.releaseDeviceObjects();
    const HRESULT hr = m_grid.recreateDeviceObjects(device);
    if (!m_texturePath.empty()) {
        // A sky without its picture is drawn untextured.
        (void)loadTexture(m_texturePath);
    }
    return hr;
}

void SkyDome::releaseDeviceObjects() {
    m_grid.releaseDeviceObjects();
}
