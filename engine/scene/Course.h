#pragma once

#include <array>
#include <cstdint>
#include <list>
#include <memory>

#include "tumbleway/tumbleway.h"

#include "assets/Library.h"
#include "assets/mesh/SharedMeshes.h"
#include "scene/PlacedMeshes.h"
#include "scene/Placements.h"
#include "scene/RelationTable.h"

class CCourseSpline;
class CCourseTrack;
class CCourseField;
class StripGrid;

// Number of lateral strips a course is laid from; the road is the middle one.
constexpr int kStripCount = 7;
constexpr int ROAD_STRIP = 3;

// One course: the points the user laid, everything derived from them, and what
// was placed on it. The course list holds these records; each owns its geometry.
struct LCourse_t {
    LCourse_t();
    ~LCourse_t();
    LCourse_t(LCourse_t&&) noexcept;
    LCourse_t& operator=(LCourse_t&&) noexcept;

    std::int32_t number = 0; // 1-based position in the course list
    std::uint8_t flag = 0;   // carried through sessions; no meaning to the course logic
    std::list<LPoint_t> dottedPoints;
    std::list<LPoint_t> dottedTrace; // every 20th sample of the dotted spline (x, y)
    std::unique_ptr<CCourseSpline> dottedSpline;
    float reserved = 0;
    std::list<LPoint_t> calculatedPoints;
    std::unique_ptr<CCourseSpline> calculatedSpline;
    std::unique_ptr<CCourseTrack> track;
    std::array<std::unique_ptr<StripGrid>, kStripCount> strips;
    bool stripsCreated = false;
    std::unique_ptr<CCourseField> field;
    std::list<BitmapPlacement> bitmapPlacements;
    SharedMeshes meshes; // what xfilePlacements draw, each file loaded once
    PlacedMeshes xfilePlacements;
    std::list<SoundEntry> sounds; // what the relations play
    std::unique_ptr<RelationTable> collisionTable;
    std::unique_ptr<RelationTable> moveTable;
    std::list<SoundRelation> relations;
    HTREEITEM treeItem = nullptr;
};
