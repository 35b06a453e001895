// Creating, selecting, regenerating and clearing courses.
#include "core/EngineApp.h"
#include "course/CourseField.h"
#include "course/CourseSpline.h"
#include "course/CourseTrack.h"
#include "course/StripGrid.h"
#include "scene/CoursePoints.h"

namespace {

// Fewer than three calculated points make no loop: the spline stays unbuilt and
// there would be nothing to sample.
constexpr std::size_t kMinimumCoursePoints = 3;

} // namespace

HRESULT CEngineApp::createCourse(HTREEITEM item) {
    if (!createAllowed || laidPoints.size() < kMinimumCoursePoints) {
        return E_FAIL;
    }
    LCourse_t course;
    course.dottedPoints = laidPoints.dotted();
    buildDottedTrace(course, viewWidth, viewHeight);
    course.calculatedPoints = laidPoints.calculated();
    course.calculatedSpline = makeCalculatedSpline(course.calculatedPoints);
    course.field = std::make_unique<CCourseField>();
    course.field->setTextureName(fieldTextureName());
    for (const auto& point : course.calculatedPoints) {
        course.field->addControlPoint(point.x, point.y, point.z);
    }
    course.treeItem = item;
    course.stripsCreated = false;
    if (FAILED(sampleCentreline(course, PitchMode::Stored))) {
        return E_FAIL;
    }
    intInfo = course.track->sampleCount();
    buildCourseMeshes(course, StartHeading::Set);
    course.collisionTable = std::make_unique<RelationTable>();
    course.moveTable = std::make_unique<RelationTable>();

    courses.push_back(std::move(course));
    renumberCourses();
    currentCourse = &courses.back();
    courseNumber = currentCourse->number;
    forgetPlacementsOfOtherCourses();
    return S_OK;
}

void CEngineApp::selectCourse(HTREEITEM item) {
    for (auto& course : courses) {
        if (course.treeItem != item) {
            currentCourse = nullptr;
            continue;
        }
        currentCourse = &course;
        // The course's last placed mesh answers the arrow keys: a course just opened
        // has something to drive at once.
        lastXfilePlacement =
            course.xfilePlacements.empty() ? nullptr : &course.xfilePlacements.back();
        // Without a course or section the camera stays where it is.
        (void)placeCameraAtSection(0);
        courseNumber = course.number;
        return;
    }
}

void CEngineApp::clearCourse() {
    currentCourse = nullptr;
    forgetPlacementsOfOtherCourses();
    laidPoints.clear();
}

void CEngineApp::forgetPlacementsOfOtherCourses() {
    // What the arrow keys drive and the camera follows, and what the placement
    // dialogs edit, is of the current course: a new course holds none yet.
    lastXfilePlacement = nullptr;
    lastBitmapPlacement = nullptr;
}

void CEngineApp::regenerateCurrentCourse() {
    if (currentCourse == nullptr) {
        return;
    }
    LCourse_t& course = *currentCourse;
    course.calculatedSpline.reset();
    course.track.reset();
    for (auto& strip : course.strips) {
        strip.reset();
    }
    course.field->resetForRegeneration();
    course.stripsCreated = false;
    course.calculatedSpline = makeCalculatedSpline(course.calculatedPoints);
    if (FAILED(sampleCentreline(course, PitchMode::Banked))) {
        return;
    }
    buildCourseMeshes(course, StartHeading::Keep);
}

void CEngineApp::renumberCourses() {
    std::int32_t number = 1;
    for (auto& course : courses) {
        course.number = number++;
    }
}
