// Where the engine's last frame drew things, seen through the view and projection the
// device was left with: those the course scene was drawn with. Tests click where
// something shows on screen and check where a dragged object shows afterwards.
#pragma once

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstring>
#include <vector>

#include "d3d9/d3d9.h"
#include "d3dx9/d3dx9math.h"
#include "d3dx9/d3dx9mesh.h"

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

    // The pixels a mesh drawn with this world matrix covers: those whose middle lies in
    // one of its triangles as the view shows them (the rule the picture is drawn by).
    // The mesh must lie wholly ahead of the eye.
    std::vector<POINT> silhouette(ID3DXMesh& mesh, const D3DXMATRIX& world) const {
        const auto width = static_cast<int>(m_width);
        const auto height = static_cast<int>(m_height);
        std::vector<bool> covered(static_cast<std::size_t>(width * height));
        void* vertices = nullptr;
        void* indices = nullptr;
        if (FAILED(mesh.LockVertexBuffer(D3DLOCK_READONLY, &vertices))) {
            return {};
        }
        if (FAILED(mesh.LockIndexBuffer(D3DLOCK_READONLY, &indices))) {
            mesh.UnlockVertexBuffer();
            return {};
        }
        const bool wide = (mesh.GetOptions() & D3DXMESH_32BIT) != 0;
        const auto shown = [&](DWORD i) {
            const DWORD index = wide ? static_cast<const std::uint32_t*>(indices)[i]
                                     : static_cast<const std::uint16_t*>(indices)[i];
            D3DXVECTOR3 local;
            std::memcpy(&local,
                        static_cast<const unsigned char*>(vertices) +
                            std::size_t{index} * mesh.GetNumBytesPerVertex(),
                        sizeof local);
            D3DXVECTOR3 world3;
            D3DXVec3TransformCoord(&world3, &local, &world);
            return pixelOf(world3);
        };
        for (DWORD f = 0; f < mesh.GetNumFaces(); ++f) {
            const D3DXVECTOR2 a = shown(3 * f);
            const D3DXVECTOR2 b = shown(3 * f + 1);
            const D3DXVECTOR2 c = shown(3 * f + 2);
            const float area = edge(a, b, c);
            if (area == 0) {
                continue;
            }
            const int left = std::max(0, static_cast<int>(std::floor(std::min({a.x, b.x, c.x}))));
            const int right =
                std::min(width - 1, static_cast<int>(std::floor(std::max({a.x, b.x, c.x}))));
            const int top = std::max(0, static_cast<int>(std::floor(std::min({a.y, b.y, c.y}))));
            const int bottom =
                std::min(height - 1, static_cast<int>(std::floor(std::max({a.y, b.y, c.y}))));
            for (int y = top; y <= bottom; ++y) {
                for (int x = left; x <= right; ++x) {
                    const D3DXVECTOR2 middle(static_cast<float>(x) + 0.5f,
                                             static_cast<float>(y) + 0.5f);
                    const float sa = edge(b, c, middle) / area;
                    const float sb = edge(c, a, middle) / area;
                    const float sc = edge(a, b, middle) / area;
                    if (sa >= 0 && sb >= 0 && sc >= 0) {
                        covered[static_cast<std::size_t>(y * width + x)] = true;
                    }
                }
            }
        }
        mesh.UnlockIndexBuffer();
        mesh.UnlockVertexBuffer();
        std::vector<POINT> pixels;
        for (int y = 0; y < height; ++y) {
            for (int x = 0; x < width; ++x) {
                if (covered[static_cast<std::size_t>(y * width + x)]) {
                    pixels.push_back(POINT{x, y});
                }
            }
        }
        return pixels;
    }

private:
    // Twice the signed area of triangle a b p.
    static float edge(const D3DXVECTOR2& a, const D3DXVECTOR2& b, const D3DXVECTOR2& p) {
        return (b.x - a.x) * (p.y - a.y) - (b.y - a.y) * (p.x - a.x);
    }

    float m_width;
    float m_height;
    D3DXMATRIX m_view;
    D3DXMATRIX m_viewProjection;
};

// The pixel of pixels nearest to their middle.
inline POINT middlePixel(const std::vector<POINT>& pixels) {
    double x = 0;
    double y = 0;
    for (const POINT p : pixels) {
        x += p.x;
        y += p.y;
    }
    x /= static_cast<double>(pixels.size());
    y /= static_cast<double>(pixels.size());
    const auto apart = [&](POINT p) { return (p.x - x) * (p.x - x) + (p.y - y) * (p.y - y); };
    return *std::min_element(pixels.begin(), pixels.end(),
                             [&](POINT a, POINT b) { return apart(a) < apart(b); });
}
