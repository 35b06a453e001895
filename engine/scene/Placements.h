#pragma once

#include <cstdint>
#include <memory>

#include "assets/BitmapBillboard.h"
#include "assets/mesh/MeshObject.h"
#include "scene/SceneObject.h"
#include "tumbleway/tumbleway.h"

// A mesh file placed on a course: the mesh it shares with every placement of the same
// file on the course (SharedMeshes) and its own moving body. The body carries the live
// pose; x, y, z and yaw hold the pose a session restored it with.
struct XfilePlacement {
    std::int32_t id = 0;
    std::uint8_t flag = 0;
    std::shared_ptr<MeshObject> mesh;
    std::unique_ptr<CSceneObject> body;
    // Where the last surface query found this placement: the next starts there. Kept
    // next to the body, which every frame reads with them, on the same cache line.
    std::int32_t stripHint = 0;
    std::int32_t rowHint = 0;
    float x = 0;
    float y = 0;
    float z = 0;
    float yaw = 0;
    float radius = 0;
    char name[kNameFieldSize] = {};
};

// A bitmap placed on a course, standing where it is drawn.
struct BitmapPlacement {
    std::int32_t id = 0;
    std::unique_ptr<BitmapBillboard> bitmap;
    char name[kNameFieldSize] = {};
    float drawX = 0;
    float drawY = 0;
    float drawZ = 0;
    float halfWidth = 0;
    float halfHeight = 0;
    // The position a session keeps.
    float x = 0;
    float y = 0;
    float z = 0;
};
