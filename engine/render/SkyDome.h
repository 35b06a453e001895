#pragma once

#include <memory>
#include <string>

#include "course/StripGrid.h"
#include "d3dx9/d3dx9math.h"

// A textured dome over the camera: a 37 x 37 grid from the zenith to 126 degrees
// below it, all the way round, with its normals turned inward.
class SkyDome {
public:
    static constexpr int kGridSize = 37;
    static constexpr float kRadius = 100.0f;

    explicit SkyDome(IDirect3DDevice9* device);
    virtual ~SkyDome() = default;

    // Lays the dome's vertices and uploads them.
    [[nodiscard]] HRESULT build();
    // Finds the picture through the media search and loads it with a full mip chain.
    [[nodiscard]] HRESULT loadTexture(const std::string& path);
    // Centred on the eye, so that the sky never comes nearer.
    HRESULT draw(IDirect3DDevice9* device, const D3DXVECTOR3& eye, const D3DMATERIAL9& material);

    [[nodiscard]] HRESULT createDeviceObjects(IDirect3DDevice9* device);
    void releaseDeviceObjects();

    const StripGrid& grid() const { return m_grid; }
    const D3DXMATRIX& projection() const { return m_projection; }

private:
    StripGrid m_grid;
    std::string m_texturePath;
    D3DXMATRIX m_projection;
};
