#include "scene/Course.h"

#include "course/CourseField.h"
#include "course/CourseSpline.h"
#include "course/CourseTrack.h"
#include "course/StripGrid.h"

LCourse_t::LCourse_t() = default;
LCourse_t::~LCourse_t() = default;
LCourse_t::LCourse_t(LCourse_t&&) noexcept = default;
LCourse_t& LCourse_t::operator=(LCourse_t&&) noexcept = default;
