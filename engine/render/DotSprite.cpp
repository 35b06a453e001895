#include "render/DotSprite.h"

#include <array>

#include "assets/mesh/FindMediaFile.h"
#include "d3dx9/d3dx9tex.h"

namespace {

constexpr float kScale = 0.2f;
constexpr float kRotationCentre = 32.0f;
constexpr D3DCOLOR kTint = 0x88CCCCCC;
constexpr DWORD kMipFilter = D3DX_FILTER_TRIANGLE | D3DX_FILTER_MIRROR;

} // namespace

HRESULT DotSprite::createTexture(IDirect3DDevice9* device) {
    releaseDeviceObjects();
    if (device == nullptr) {
        return E_FAIL;
    }
    std::array<char, MAX_PATH> found{};
    // When nothing is found the name itself is what gets loaded.
    (void)findMediaFile(found.data(), static_cast<int>(found.size()), m_path.c_str());
    // A picture that does not load leaves the quad untextured.
    (void)D3DXCreateTextureFromFileExA(device, found.data(), D3DX_DEFAULT, D3DX_DEFAULT,
                                       D3DX_DEFAULT, 0, D3DFMT_UNKNOWN, D3DPOOL_MANAGED, kMipFilter,
                                       kMipFilter, 0, nullptr, nullptr, m_texture.put());
    return D3DXCreateSprite(device, m_sprite.put());
}

void DotSprite::releaseDeviceObjects() {
    m_sprite.reset();
    m_texture.reset();
}

HRESULT DotSprite::draw() {
    if (!m_sprite) {
        return E_FAIL;
    }
    const D3DXVECTOR2 scaling(kScale, kScale);
    const D3DXVECTOR2 centre(kRotationCentre, kRotationCentre);
    const D3DXVECTOR2 translation(m_x, m_y);
    D3DXMATRIX transform;
    D3DXMatrixTransformation2D(&transform, nullptr, 0, &scaling, &centre, 0, &translation);
    // The picture's middle lands on the position: a dot is drawn where it was clicked,
    // not a corner's width away from it.
    D3DXVECTOR3 middle(0, 0, 0);
    D3DSURFACE_DESC desc{};
    if (m_texture && SUCCEEDED(m_texture->GetLevelDesc(0, &desc))) {
        middle =
            D3DXVECTOR3(static_cast<float>(desc.Width) / 2, static_cast<float>(desc.Height) / 2, 0);
    }
    m_sprite->Begin(D3DXSPRITE_ALPHABLEND);
    m_sprite->SetTransform(&transform);
    m_sprite->Draw(m_texture.get(), nullptr, &middle, nullptr, kTint);
    return m_sprite->End();
}
