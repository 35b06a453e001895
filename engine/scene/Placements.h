#pragma once

#include <cstdint>
#include <memory>

#include "assets/BitmapBillboard.h"
#include "assets/mesh/MeshObject.h"
#include "scene/Bodies.h"
#include "tumbleway/tumbleway.h"

// A mesh file placed on a course: the mesh it shares with every placement of the same
// file on the course (SharedMeshes) and its own moving body, which the course's
// PlacedMeshes keeps with the other bodies. The body carries the live pose; x, y, z and
// yaw hold the pose a session restored it with.
struct XfilePlacement {
    // Two placements with the same id never meet. PlacedMeshes sets it, keeping a copy
    // beside the bodies for the frame's search for touching pairs.
    std::int32_t id() const { return m_id; }

    std::uint8_t flag = 0;
    std::shared_ptr<MeshObject> mesh;
    BodyId body{};
    float x = 0;
    float y = 0;
    float z = 0;
    float yaw = 0;
    float radius = 0;
    char name[kNameFieldSize] = {};

private:
    friend class PlacedMeshes;
    std::int32_t m_id = 0;
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
