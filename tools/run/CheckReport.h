#pragma once

#include <filesystem>
#include <string>
#include <vector>

#include "tumbleway/tumbleway_ext.h"

// The course check as tumbleway-run reports it: a few readable lines, one per kind of
// finding, and on request a picture of the course from above with the findings marked.

// The exit status of a run whose check found something wrong with the course.
inline constexpr int kCourseHasFindings = 3;

struct CourseCheckResult {
    TwxCourseCheck summary{};
    std::vector<TwxFinding> findings;
};

// Checks the engine's current course. Throws a RunError when it has no road.
CourseCheckResult checkOpenedCourse();

// The report: a first line that names the scene and says whether the course is sound,
// then one line per kind of finding with its count and places, and the tightest bend
// and the balls dropped.
std::string courseCheckReport(const std::string& scene, const CourseCheckResult& result);

// Draws the current course and its findings into a PNG picture of that size (absolute
// path). Throws a RunError when it cannot be written in full.
void writeCourseCheckPicture(const std::filesystem::path& picture, int width, int height);
