#pragma once

#include <cstdint>
#include <memory>

#include "simulation/SceneObject.h"
#include "tumbleway/tumbleway.h"

// A mesh file placed on a course. Its body carries the live pose; x, y, z and yaw
// hold the pose a session restored it with.
struct XfilePlacement {
    std::int32_t id = 0;
    std::uint8_t flag = 0;
    std::unique_ptr<CSceneObject> body;
    float x = 0;
    float y = 0;
    float z = 0;
    float yaw = 0;
    float radius = 0;
    char name[kNameFieldSize] = {};
    // Where the last surface query found this placement: the next starts there.
    std::int32_t stripHint = 0;
    std::int32_t rowHint = 0;
};
