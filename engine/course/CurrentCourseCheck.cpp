// The course checker on the engine's current course.
#include <cmath>
#include <limits>

#include "assets/Placements.h"
#include "core/EngineApp.h"
#include "course/CourseCheck.h"
#include "course/CourseTrack.h"

CourseCheck CEngineApp::checkCurrentCourse() {
    // A ball of its own: its hints follow it along the road as a body's would, and no
    // placed body's hints are disturbed.
    XfilePlacement ball;
    const SurfaceProbe probe = [this, &ball](float x, float z) -> std::optional<float> {
        float height = std::numeric_limits<float>::quiet_NaN();
        D3DXVECTOR3 edge;
        // Off the course the height stays NaN, which is what is checked.
        (void)queryBody(x, z, &height, ball, &edge);
        return std::isnan(height) ? std::nullopt : std::optional<float>(height);
    };
    // The balls are answered by the surface grid, as the bodies of a frame are; its
    // answers are those of the plain search.
    const std::size_t balls =
        currentCourse->track
            ? static_cast<std::size_t>(kProbeBallsPerSample * currentCourse->track->sampleCount())
            : 0;
    m_surfaceIndexInUse = surfaceGrid && currentCourse->stripsCreated && balls > 0 &&
                          m_surfaceIndex.sync(currentCourse->strips, balls);
    CourseCheck check = checkCourse(*currentCourse, probe);
    m_surfaceIndexInUse = false;
    return check;
}
