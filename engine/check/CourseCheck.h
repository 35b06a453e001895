// The course checker: what is wrong with a course's geometry, measured on what is
// drawn and driven on (the track, the seven strips and the inner field), so that a
// user hears of a fold, a crossing or a seam before a ball finds it.
#pragma once

#include <array>
#include <functional>
#include <limits>
#include <optional>
#include <vector>

#include "scene/Course.h"

// The kinds of finding, each with the place it is marked at on a picture of the course.
enum class FindingKind {
    Fold,               // strip triangles that face away from a camera above them
    FieldOverRoad,      // inner field lying over the road strip
    CentrelineCrossing, // the centreline crosses itself
    EdgeCrossing,       // a road edge crosses itself
    TightBend,          // a bend tighter than the widest offset on its inside
    Probe,              // a ball dropped on the road lands off the road's surface
    NoExtent,           // the centreline lies in a spot narrower than the road
};

// One finding, at a place of the ground (world x and z). What value holds depends on
// the kind: folded triangles in the stretch; square units of field over the road; 0
// for a crossing; the bend's radius; how far the worst ball of the stretch landed from
// the road (infinite when the surface query found no surface at all); how far the
// centreline reaches across, at its middle, for a course without extent.
struct CourseFinding {
    FindingKind kind;
    float x;
    float z;
    float value;
};

// What the check measured on a course. Places are world x and z.
struct CourseCheck {
    int foldedTriangles = 0;
    std::array<int, kStripCount> foldsByStrip{};
    double fieldOverRoad = 0; // square units, in the stretches found
    int centrelineCrossings = 0;
    int edgeCrossings = 0;
    // The smallest radius of curvature of the centreline and where it is; infinite when
    // the course has no track.
    float tightestBend = std::numeric_limits<float>::infinity();
    float tightestBendX = 0;
    float tightestBendZ = 0;
    // The widest offset of a strip's outer row from the centreline, on the side the
    // tightest bend turns to and on either side.
    float tightestBendInsideOffset = 0;
    float widestOffset = 0;
    int tightBends = 0; // bends tighter than the widest offset on their inside
    int probes = 0;     // balls dropped
    int probeMisses = 0;
    float worstProbe = 0; // how far the worst ball landed from the road; infinite: on nothing
    // Each finding once, kind by kind in the order of the enumeration, and along the loop
    // within a kind. A course without findings is sound.
    std::vector<CourseFinding> findings;
};

// Balls the check drops at every track sample: in the middle of the road and across it.
constexpr int kProbeBallsPerSample = 5;

// The engine's surface query at a ground point: the height a body there is given, or
// nothing when it finds no surface.
using SurfaceProbe = std::function<std::optional<float>(float x, float z)>;

// Checks the course's geometry. The probe is what a body dropped on the road would
// land on; without one, no balls are dropped. Parts a course lacks (no track, no
// strips, no field) are left out of the check.
CourseCheck checkCourse(const LCourse_t& course, const SurfaceProbe& probe);
