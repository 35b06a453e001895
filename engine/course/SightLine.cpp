#include "course/SightLine.h"

#include <algorithm>
#include <cmath>

namespace {

float dot(const D3DXVECTOR3& a, const D3DXVECTOR3& b) {
    return D3DXVec3Dot(&a, &b);
}

D3DXVECTOR3 cross(const D3DXVECTOR3& a, const D3DXVECTOR3& b) {
    D3DXVECTOR3 out;
    D3DXVec3Cross(&out, &a, &b);
    return out;
}

} // namespace

float farPlane(const D3DXMATRIX& projection) {
    if (projection._33 == 1) {
        return SightLine::kMiss;
    }
    // In double: _33 is within a few float steps of 1 when the near plane is close.
    return static_cast<float>(static_cast<double>(projection._43) /
                              (1.0 - static_cast<double>(projection._33)));
}

SightLine::SightLine(const D3DXVECTOR3& from, const D3DXVECTOR3& direction,
                     const D3DXMATRIX& projection)
    : origin(from), reach(farPlane(projection) * D3DXVec3Length(&direction)) {
    D3DXVec3Normalize(&u, &direction);
}

float SightLine::toSphere(const D3DXVECTOR3& centre, float radius) const {
    const float along = dot(centre - origin, u);
    const D3DXVECTOR3 apart = centre - at(along);
    const float inside = radius * radius - dot(apart, apart);
    if (!(inside > 0)) {
        return kMiss;
    }
    const float halfChord = std::sqrt(inside);
    if (along + halfChord <= 0) {
        return kMiss;
    }
    return std::max(along - halfChord, 0.0f);
}

float SightLine::toQuad(const D3DXVECTOR3& corner, const D3DXVECTOR3& side,
                        const D3DXVECTOR3& up) const {
    const D3DXVECTOR3 across = cross(u, up);
    const float det = dot(side, across);
    if (det == 0) {
        return kMiss;
    }
    const D3DXVECTOR3 fromCorner = origin - corner;
    const float s = dot(fromCorner, across) / det;
    const D3DXVECTOR3 normal = cross(fromCorner, side);
    const float t = dot(u, normal) / det;
    const float distance = dot(up, normal) / det;
    if (!(s >= 0 && s <= 1 && t >= 0 && t <= 1 && distance >= 0)) {
        return kMiss;
    }
    return distance;
}

float SightLine::lineToTriangle(const D3DXVECTOR3& from, const D3DXVECTOR3& direction,
                                const D3DXVECTOR3& a, const D3DXVECTOR3& b, const D3DXVECTOR3& c) {
    const D3DXVECTOR3 ab = b - a;
    const D3DXVECTOR3 ac = c - a;
    const D3DXVECTOR3 across = cross(direction, ac);
    const float det = dot(ab, across);
    if (det == 0) {
        return kMiss;
    }
    const D3DXVECTOR3 fromA = from - a;
    const float s = dot(fromA, across) / det;
    const D3DXVECTOR3 normal = cross(fromA, ab);
    const float t = dot(direction, normal) / det;
    const float along = dot(ac, normal) / det;
    if (!(s >= 0 && t >= 0 && s + t <= 1 && along >= 0)) {
        return kMiss;
    }
    return along;
}

float SightLine::toPlane(const D3DXVECTOR3& point, const D3DXVECTOR3& normal) const {
    const float distance = dot(point - origin, normal) / dot(u, normal);
    if (!(std::isfinite(distance) && distance > 0 && reaches(distance))) {
        return kMiss;
    }
    return distance;
}

float SightLine::toLevel(float height) const {
    const float distance = (height - origin.y) / u.y;
    if (!(std::isfinite(distance) && distance > 0 && reaches(distance))) {
        return kMiss;
    }
    return distance;
}
