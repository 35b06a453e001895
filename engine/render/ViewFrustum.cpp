#include "render/ViewFrustum.h"

#include <algorithm>
#include <cmath>

ViewFrustum::ViewFrustum(const D3DXMATRIX& viewProjection) {
    // Column k of the matrix gives a point's clip coordinate k (x, y, z, w); a point
    // shows where -w <= x <= w, -w <= y <= w and 0 <= z <= w.
    const auto side = [&viewProjection](int k, float sign, bool withW) {
        float v[4];
        for (int row = 0; row < 4; ++row) {
            v[row] = sign * viewProjection.m[row][k] + (withW ? viewProjection.m[row][3] : 0.0f);
        }
        return Plane{v[0], v[1], v[2], v[3], std::sqrt(v[0] * v[0] + v[1] * v[1] + v[2] * v[2])};
    };
    m_planes = {side(0, 1, true),  side(0, -1, true), side(1, 1, true),
                side(1, -1, true), side(2, 1, false), side(2, -1, true)};
}

bool ViewFrustum::excludes(const D3DXVECTOR3& centre, float radius) const {
    return std::any_of(m_planes.begin(), m_planes.end(), [&](const Plane& p) {
        return p.a * centre.x + p.b * centre.y + p.c * centre.z + p.d < -radius * p.length;
    });
}

bool ViewFrustum::excludes(const D3DXVECTOR3& centre, float radius, const D3DXMATRIX& world) const {
    D3DXVECTOR3 placed;
    D3DXVec3TransformCoord(&placed, &centre, &world);
    float scale = 0;
    for (int row = 0; row < 3; ++row) {
        const float(&r)[4] = world.m[row];
        scale = std::max(scale, r[0] * r[0] + r[1] * r[1] + r[2] * r[2]);
    }
    return excludes(placed, radius * std::sqrt(scale));
}
