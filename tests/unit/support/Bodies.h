// Placing bodies on the current course directly, before meshes exist to load.
#pragma once

#include <memory>

#include "core/EngineApp.h"
#include "course/CourseTrack.h"

// The road's centre at track sample i, in world coordinates.
inline D3DXVECTOR3 roadCentre(const LCourse_t& course, int i) {
    const auto [right, left] = course.track->pair(3, i);
    const D3DXVECTOR3 m = (right + left) * 0.5f;
    return {m.z, m.y, m.x};
}

inline XfilePlacement& placeBody(CEngineApp& app, const D3DXVECTOR3& at, float radius = 1.0f) {
    auto& list = app.editor.current()->xfilePlacements;
    list.emplace_back();
    XfilePlacement& placement = list.back();
    placement.id = static_cast<std::int32_t>(list.size());
    placement.radius = radius;
    placement.body = std::make_unique<CSceneObject>();
    placement.body->radius = radius;
    placement.body->position = placement.body->stepPosition = at;
    return placement;
}
