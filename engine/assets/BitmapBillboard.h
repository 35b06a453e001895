#pragma once

#include <string>

#include "d3d9/d3d9.h"
#include "d3dx9/d3dx9math.h"

// A bitmap standing upright on the ground as a textured quad that turns to face the
// camera. Its size comes from the bitmap: an eighth of a unit per pixel each way
// from the centre, so a 64 x 32 bitmap stands 16 wide and 8 tall.
class BitmapBillboard {
public:
    struct Vertex {
        float x, y, z;
        D3DCOLOR diffuse;
        float u, v;
    };
    static_assert(sizeof(Vertex) == 24, "the vertex format 0x142 is 24 bytes");
    static constexpr DWORD kFvf = D3DFVF_XYZ | D3DFVF_DIFFUSE | D3DFVF_TEX1;

    BitmapBillboard(IDirect3DDevice9* device, const D3DCAPS9& caps);
    virtual ~BitmapBillboard() = default;

    // Reads the bitmap's size, tints the quad and loads the texture (opaque black is
    // transparent). A bitmap that cannot be opened is reported and stands 1 x 1 pixel.
    [[nodiscard]] HRESULT load(HWND window, const std::string& path);

    void setPosition(float x, float y, float z) { m_position = D3DXVECTOR3(x, y, z); }
    // Turns the quad to face along (fx, fz).
    void face(float fx, float fy, float fz);
    HRESULT draw();

    // The device-bound part is made again from the path after a device change.
    [[nodiscard]] HRESULT createDeviceObjects(IDirect3DDevice9* device);
    void releaseDeviceObjects();

    float halfWidth() const { return m_halfWidth; }
    float halfHeight() const { return m_halfHeight; }
    const D3DXVECTOR3& position() const { return m_position; }
    const D3DXMATRIX& world() const { return m_world; }
    const Vertex* vertices() const { return m_vertices; }
    IDirect3DTexture9* texture() const { return m_texture.get(); }

private:
    IDirect3DDevice9* m_device;
    D3DCAPS9 m_caps;
    std::string m_path;
    ComPtr<IDirect3DTexture9> m_texture;
    ComPtr<IDirect3DVertexBuffer9> m_vertexBuffer;
    Vertex m_vertices[4] = {};
    D3DXMATRIX m_world;
    D3DXVECTOR3 m_position;
    float m_halfWidth = 0;
    float m_halfHeight = 0;
};
