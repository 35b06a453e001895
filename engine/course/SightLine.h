// Lines of sight through the view, and how far along one the things it meets lie.
#pragma once

#include <limits>

#include "d3dx9/d3dx9math.h"

// A line of sight from the eye along the unit vector u, as far as the view draws
// (reach, measured along u). Distances are measured from the eye along u; kMiss says
// that the line does not meet the thing at all.
struct SightLine {
    static constexpr float kMiss = std::numeric_limits<float>::infinity();

    // The line a pick builds through a pixel: from origin along direction, which
    // reaches view depth 1, seen through projection (a left-handed perspective).
    SightLine(const D3DXVECTOR3& origin, const D3DXVECTOR3& direction,
              const D3DXMATRIX& projection);

    D3DXVECTOR3 at(float distance) const { return origin + u * distance; }
    // Whether a thing that far along is drawn: before the far plane.
    bool reaches(float distance) const { return distance <= reach; }

    // Where it enters the sphere. A sphere it only grazes or that lies wholly behind
    // the eye is missed; an eye inside the sphere meets it at once (0).
    float toSphere(const D3DXVECTOR3& centre, float radius) const;
    // Where it meets the parallelogram corner + s side + t up, s and t in 0 .. 1
    // (edges included). One seen edge-on is missed.
    float toQuad(const D3DXVECTOR3& corner, const D3DXVECTOR3& side, const D3DXVECTOR3& up) const;
    // Where it meets triangle a b c, from either side, edges included; one seen edge-on
    // is missed.
    float toTriangle(const D3DXVECTOR3& a, const D3DXVECTOR3& b, const D3DXVECTOR3& c) const {
        return lineToTriangle(origin, u, a, b, c);
    }
    // Where it meets the level plane at height, ahead of the eye and within reach.
    float toLevel(float height) const;
    // Where it meets the plane through point with that normal, ahead of the eye and
    // within reach.
    float toPlane(const D3DXVECTOR3& point, const D3DXVECTOR3& normal) const;

    // How many times direction the line from origin along direction goes before it
    // meets triangle a b c (from either side, edges included), or kMiss when it does
    // not meet it at 0 or beyond. With a unit direction that is a distance.
    static float lineToTriangle(const D3DXVECTOR3& origin, const D3DXVECTOR3& direction,
                                const D3DXVECTOR3& a, const D3DXVECTOR3& b, const D3DXVECTOR3& c);

    D3DXVECTOR3 origin;
    D3DXVECTOR3 u;
    float reach;
};

// The far plane of a left-handed perspective projection, read back from its depth
// terms (_33 = f / (f - n), _43 = -n f / (f - n)); a projection without depth has none
// (SightLine::kMiss).
float farPlane(const D3DXMATRIX& projection);
