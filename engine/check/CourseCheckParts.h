// The pieces of the course checker, one kind of finding each, and what they share.
#pragma once

#include "check/CourseCheck.h"
#include "course/PlanGeometry.h"
#include "d3dx9/d3dx9math.h"

class CCourseTrack;
class StripGrid;

// Samples of the track per strip row.
constexpr int kSamplesPerStripRow = 20;
// Rows of the track that run along the road's left and right edges.
constexpr int kLeftEdgeRow = 3;
constexpr int kRightEdgeRow = 4;

// Where a track point lies on the world's ground: the strips are laid with the track's
// x and z exchanged, and the findings are placed as the strips are.
inline PlanPoint worldPlanOf(const D3DXVECTOR3& track) {
    return {track.z, track.x};
}

// A strip triangle as it is drawn: triangle 0 of a quad is (V00, V11, V01) and
// triangle 1 is (V00, V10, V11), V(row, column).
struct StripTriangle {
    D3DXVECTOR3 a;
    D3DXVECTOR3 b;
    D3DXVECTOR3 c;
};
StripTriangle stripTriangle(const StripGrid& strip, int row, int triangle);

// The strips' quads that lay the loop once. The strips end with a row or two that
// start the loop again; those would count what lies there twice.
int loopQuadRows(const LCourse_t& course);

// Whether a camera above sees the back of the triangle. The renderer draws the front of
// a strip triangle only: where a strip folds over itself it shows a hole.
bool facesAway(const StripTriangle& t);

// How far a side's outer row, its field border, is laid from the centreline: the road's
// half width, the edge, the bank and the border strip together.
float outerOffset(bool leftSide);

// Calls stretch(first, length) for every run of consecutive indices 0 .. count - 1 for
// which marked(i) holds; a run over the end of the loop goes on at its start, so
// first + length may pass count.
void forEachStretch(int count, const std::function<bool(int)>& marked,
                    const std::function<void(int first, int length)>& stretch);

void checkExtent(const CCourseTrack& track, CourseCheck& check);
void checkFolds(const LCourse_t& course, CourseCheck& check);
void checkFieldOverRoad(const LCourse_t& course, CourseCheck& check);
void checkCrossings(const CCourseTrack& track, CourseCheck& check);
void checkBends(const CCourseTrack& track, CourseCheck& check);
void dropProbeBalls(const LCourse_t& course, const SurfaceProbe& probe, CourseCheck& check);
