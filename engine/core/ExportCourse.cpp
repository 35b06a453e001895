// The current course handed to the glTF export.
#include "core/EngineApp.h"

CourseExport CEngineApp::exportCurrentCourse() {
    LCourse_t* course = editor.current();
    if (course == nullptr) {
        return {{}, "there is no course to export"};
    }
    return exportCourse(*course, view.device, billboardFacing(input.heading()));
}
