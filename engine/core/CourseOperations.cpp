// Choosing and clearing the current course.
#include "core/EngineApp.h"

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
