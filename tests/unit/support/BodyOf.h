// The body of a placement on one of the engine's courses. Bodies lie in arrays that grow
// as meshes are placed, so a test looks its body up again after placing another.
#pragma once

#include <cstdio>
#include <cstdlib>

#include "core/EngineApp.h"

inline CSceneObject& bodyOf(CEngineApp& app, const XfilePlacement& placement) {
    for (LCourse_t& course : app.editor.courseList()) {
        for (const XfilePlacement& placed : course.xfilePlacements) {
            if (&placed == &placement) {
                return course.xfilePlacements.body(placement);
            }
        }
    }
    // A test that asks the wrong engine would otherwise read another body.
    std::fprintf(stderr, "bodyOf: the placement is on none of this engine's courses\n");
    std::abort();
}
