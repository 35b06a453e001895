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
    if (!editor.canCreate() || editor.laidPoints().size() < kMinimumCoursePoints) {
        return E_FAIL;
    }
    LCourse_t course;
    course.dottedPoints = editor.laidPoints().dotted();
    buildDottedTrace(course, viewWidth, viewHeight);
    course.calculatedPoints = editor.laidPoints().calculated();
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

    editor.makeCurrent(&editor.add(std::move(course)));
    editor.forgetPlacements();
    return S_OK;
}

void CEngineApp::selectCourse(HTREEITEM item) {
    if (!makeCourseCurrent(item)) {
        return;
    }
    // Without a course or section the camera stays where it is.
    (void)placeCameraAtSection(0);
}

bool CEngineApp::makeCourseCurrent(HTREEITEM item) {
    LCourse_t* course = editor.find(item);
    editor.makeCurrent(course);
    if (course == nullptr) {
        return false;
    }
    // The course's last placed mesh answers the arrow keys: a course just opened has
    // something to drive at once.
    editor.drive(course->xfilePlacements.empty() ? nullptr : &course->xfilePlacements.back());
    return true;
}

void CEngineApp::clearCourse() {
    editor.makeCurrent(nullptr);
    editor.forgetPlacements();
    editor.laidPoints().clear();
}

void CEngineApp::regenerateCurrentCourse() {
    if (editor.current() == nullptr) {
        return;
    }
    LCourse_t& course = *editor.current();
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
