#pragma once

#include <list>
#include <memory>

#include "scene/Course.h"
#include "win32/win32.h"

class CCourseSpline;

// How the calculated points' incline reaches the track: stored as it is (a course
// just created or restored, no bank), or in half-turns and banked (a course whose
// point was edited).
enum class PitchMode { Stored, Banked };

// Numbers a point list 0, 1, 2, ... in list order.
void renumberPoints(std::list<LPoint_t>& points);

// Builds the course's dotted spline (scale 1) from its dotted points, scaled by a
// third of the view, and appends every 20th sample of it to the dotted trace.
void buildDottedTrace(LCourse_t& course, unsigned viewWidth, unsigned viewHeight);

// A new spline of scale 50 through the points, built when it holds enough of them.
std::unique_ptr<CCourseSpline> makeCalculatedSpline(const std::list<LPoint_t>& points);

// Samples the course's calculated spline into a new track (z negated), spreads the
// points' pitch over the samples, builds the track and, in Banked mode, banks every
// sample. Fails without creating a track when the spline has no samples.
[[nodiscard]] HRESULT sampleCentreline(LCourse_t& course, PitchMode mode);
