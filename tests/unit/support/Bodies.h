// Placing bodies on the current course directly, before meshes exist to load.
#pragma once

#include "core/EngineApp.h"
#include "course/CourseTrack.h"
#include "support/BodyOf.h"

// The road's centre at track sample i, in world coordinates.
inline D3DXVECTOR3 roadCentre(const LCourse_t& course, int i) {
    const auto [right, left] = course.track->pair(3, i);
    const D3DXVECTOR3 m = (right + left) * 0.5f;
    return {m.z, m.y, m.x};
}

// Its id is its number in the list, from 1, as a session restore numbers them.
inline XfilePlacement& placeBody(CEngineApp& app, const D3DXVECTOR3& at, float radius = 1.0f) {
    auto& list = app.editor.current()->xfilePlacements;
    XfilePlacement placement;
    placement.radius = radius;
    CSceneObject body;
    body.radius = radius;
    body.position = body.stepPosition = at;
    XfilePlacement& placed = list.add(std::move(placement), body);
    list.setId(placed, static_cast<std::int32_t>(list.size()));
    return placed;
}
