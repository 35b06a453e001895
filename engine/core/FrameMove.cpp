// The frame: input, camera, picking, and in play mode the movement and collision
// step; in every mode the bodies' world matrices and their following of the surface.
#include <cmath>

#include "core/EngineApp.h"
#include "scene/Placements.h"

namespace {

// Plays the sound tied to each pair of meshes that meets.
class CollisionSounds final : public ContactListener {
public:
    explicit CollisionSounds(CEngineApp& app) : app_(app) {}
    void contact(const XfilePlacement& first, const XfilePlacement& second) override {
        app_.playCollisionSound(first, second);
    }

private:
    CEngineApp& app_;
};

} // namespace

HRESULT CEngineApp::frameMove() {
    if (playing && lastXfilePlacement != nullptr && m_cMove != 0.0f) {
        applyInputPush(*lastXfilePlacement, m_cAngle);
    }
    updateCamera();
    keepGrabbedUnderCursor();
    if (lastXfilePlacement != nullptr && lastXfilePlacement->body) {
        lastXfilePlacement->body->yaw = m_cAngle;
    }
    if (playing) {
        playStep();
    }
    // After the pick, which may have edited the course: the bodies follow the course
    // as it now stands.
    if (currentCourse != nullptr) {
        simulation.settle(*currentCourse);
    }
    return S_OK;
}

void CEngineApp::applyInputPush(XfilePlacement& placement, float angle) {
    if (placement.body) {
        CSceneObject& body = *placement.body;
        body.speed += m_cMove;
        body.heading = D3DXVECTOR3(static_cast<float>(std::cos(M_PI * angle)), 0,
                                   static_cast<float>(std::sin(M_PI * angle)));
        body.setMotionState(MOTION_PUSH);
    }
    m_cMove = 0;
}

void CEngineApp::playStep() {
    if (currentCourse == nullptr) {
        return;
    }
    CollisionSounds sounds(*this);
    simulation.step(*currentCourse, sounds);
    playMovementSounds();
}

CourseCheck CEngineApp::checkCurrentCourse() {
    return simulation.checkCourse(*currentCourse);
}
