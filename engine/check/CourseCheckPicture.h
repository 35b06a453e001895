// A picture of a course from above with every finding of its check marked, drawn in
// software: the inner field and the strips as they lie, folded strip triangles in red,
// the centreline, and a ring around each finding in the colour of its kind.
#pragma once

#include <cstdint>

#include "check/CourseCheck.h"

// Fills width x height RGBA pixels (row by row from the top, opaque) with the course
// and the check's findings.
void drawCourseCheck(const LCourse_t& course, const CourseCheck& check, std::uint8_t* rgba,
                     int width, int height);
