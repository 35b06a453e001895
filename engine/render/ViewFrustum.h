#pragma once

#include <array>

#include "d3dx9/d3dx9math.h"

// What a view and projection can show: the space between the six planes of the
// picture's edges, its near plane and its far plane. A sphere wholly outside one of them
// draws no pixel, so what it bounds need not be drawn.
class ViewFrustum {
public:
    // From the matrix that takes world points to clip space (view times projection,
    // Direct3D's row vectors and depth from 0 to w).
    explicit ViewFrustum(const D3DXMATRIX& viewProjection);

    // Whether the sphere lies wholly outside. A sphere whose centre or radius is not a
    // number is never excluded: what it bounds is drawn as it always was.
    bool excludes(const D3DXVECTOR3& centre, float radius) const;
    // The same for the sphere (centre, radius) of model space, placed by world: its
    // centre transformed, its radius grown by the matrix's largest scale.
    bool excludes(const D3DXVECTOR3& centre, float radius, const D3DXMATRIX& world) const;

private:
    struct Plane {
        float a, b, c, d; // inside where a x + b y + c z + d >= 0
        float length;     // of (a, b, c)
    };
    std::array<Plane, 6> m_planes;
};
