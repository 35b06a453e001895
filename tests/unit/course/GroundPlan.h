#pragma once

// Shapes on the ground plane for the field's tests: points given as (x, z) pairs at
// height 0, and whether a point lies inside a loop seen from above.
#include <initializer_list>
#include <utility>
#include <vector>

#include "d3dx9/d3dx9math.h"

namespace groundplan {

using Loop = std::vector<D3DXVECTOR3>;

inline Loop ground(std::initializer_list<std::pair<float, float>> xz) {
    Loop p;
    for (const auto& [x, z] : xz) {
        p.emplace_back(x, 0.0f, z);
    }
    return p;
}

// Even-odd rule on x and z.
inline bool insidePolygon(const Loop& p, float x, float z) {
    bool inside = false;
    for (std::size_t i = 0, j = p.size() - 1; i < p.size(); j = i++) {
        if ((p[i].z > z) != (p[j].z > z) &&
            x < (p[j].x - p[i].x) * (z - p[i].z) / (p[j].z - p[i].z) + p[i].x) {
            inside = !inside;
        }
    }
    return inside;
}

} // namespace groundplan
