// Where the engine's last frame drew things, seen through the view and projection the
// device was left with: those the course scene was drawn with. Tests click where
// something shows on screen and check where a dragged object shows afterwards.
#pragma once

#include <cmath>

#include "d3d9/d3d9.h"
#include "d3dx9/d3dx9math.h"

class DrawnView {
public:
    DrawnView(IDirect3DDevice9* device, float width, float height)
        : m_width(width), m_height(height) {
        D3DXMATRIX projection;
        device->GetTransform(D3DTS_VIEW, &m_view);
        device->GetTransform(D3DTS_PROJECTION, &projection);
        m_viewProjection = m_view * projection;
    }

    // The view pixel at which world point p shows.
    D3DXVECTOR2 pixelOf(const D3DXVECTOR3& p) const {
        D3DXVECTOR4 clip;
        D3DXVec3Transform(&clip, &p, &m_viewProjection);
        return {(clip.x / clip.w + 1) * m_width / 2, (1 - clip.y / clip.w) * m_height / 2};
    }

    // The view pixel nearest to where world point p shows.
    POINT nearestPixel(const D3DXVECTOR3& p) const {
        const D3DXVECTOR2 at = pixelOf(p);
        return POINT{static_cast<LONG>(std::lround(at.x)), static_cast<LONG>(std::lround(at.y))};
    }

    // The point d from the eye on the line of sight through view pixel (x, y).
    D3DXVECTOR3 along(float x, float y, float d) const {
        D3DXMATRIX unproject;
        D3DXMatrixInverse(&unproject, nullptr, &m_viewProjection);
        D3DXMATRIX eyeToWorld;
        D3DXMatrixInverse(&eyeToWorld, nullptr, &m_view);
        const D3DXVECTOR3 eye(eyeToWorld._41, eyeToWorld._42, eyeToWorld._43);
        const D3DXVECTOR3 onFarPlane(2 * x / m_width - 1, 1 - 2 * y / m_height, 1);
        D3DXVECTOR3 far;
        D3DXVec3TransformCoord(&far, &onFarPlane, &unproject);
        D3DXVECTOR3 u = far - eye;
        D3DXVec3Normalize(&u, &u);
        return eye + u * d;
    }

private:
    float m_width;
    float m_height;
    D3DXMATRIX m_view;
    D3DXMATRIX m_viewProjection;
};
