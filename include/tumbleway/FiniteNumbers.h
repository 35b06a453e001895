#pragma once

#include <cmath>

#include "tumbleway/tumbleway.h"

// Whether every number an element of a scene carries is finite. A NaN or an infinity in
// a course point, a placement's position, yaw or radius spreads to everything built from
// it (the whole course surface, every body that meets it), so the scene file readers
// leave such an element out, and the engine does not restore one from any host either.

inline bool allFinite(const LPoint_t& point) {
    return std::isfinite(point.x) && std::isfinite(point.y) && std::isfinite(point.z) &&
           std::isfinite(point.pitch);
}

inline bool allFinite(const SessionBitmap& bitmap) {
    return std::isfinite(bitmap.x) && std::isfinite(bitmap.y) && std::isfinite(bitmap.z);
}

inline bool allFinite(const SessionXfile& mesh) {
    return std::isfinite(mesh.x) && std::isfinite(mesh.y) && std::isfinite(mesh.z) &&
           std::isfinite(mesh.yaw) && std::isfinite(mesh.radius);
}
