#pragma once

#include <string>

#include "d3d9/d3d9.h"
#include "d3dx9/d3dx9core.h"

// A small round marker drawn in screen pixels: the course points in the editor.
class DotSprite {
public:
    explicit DotSprite(std::string path) : m_path(std::move(path)) {}
    virtual ~DotSprite() = default;

    // Loads the picture through the media search and makes the sprite on the device.
    [[nodiscard]] HRESULT createTexture(IDirect3DDevice9* device);
    void releaseDeviceObjects();

    void setPosition(float x, float y) {
        m_x = x;
        m_y = y;
    }
    // The picture at a fifth of its size with its middle at the position.
    HRESULT draw();

    const std::string& path() const { return m_path; }
    IDirect3DTexture9* texture() const { return m_texture.get(); }

private:
    std::string m_path;
    ComPtr<ID3DXSprite> m_sprite;
    ComPtr<IDirect3DTexture9> m_texture;
    float m_x = 100.0f;
    float m_y = 10.0f;
};
