// The frame: input, camera, picking, and in play mode the movement and collision
// step; in every mode the bodies' world matrices and their following of the surface.
#include <cmath>

#include "core/CollisionSounds.h"
#include "core/EngineApp.h"
#include "scene/Placements.h"

HRESULT CEngineApp::frameMove() {
    if (playing && editor.driven() != nullptr && input.pendingMove() != 0.0f) {
        applyInputPush(*editor.drivenBody(), input.heading());
    }
    updateCamera();
    edit.keepGrabbedUnderCursor();
    if (CSceneObject* driven = editor.drivenBody()) {
        driven->yaw = input.heading();
    }
    // After the pick, which may have edited the course: the bodies follow the course
    // as it now stands.
    if (editor.current() == nullptr) {
        return S_OK;
    }
    if (playing) {
        playFrame();
    } else {
        simulation.settle(*editor.current());
    }
    return S_OK;
}

void CEngineApp::applyInputPush(CSceneObject& body, float angle) {
    body.speed += input.pendingMove();
    body.heading = D3DXVECTOR3(static_cast<float>(std::cos(M_PI * angle)), 0,
                               static_cast<float>(std::sin(M_PI * angle)));
    body.setMotionState(MOTION_PUSH);
    input.clearMove();
}

void CEngineApp::playFrame() {
    if (editor.current() == nullptr) {
        return;
    }
    CollisionSounds contacts(sounds);
    simulation.playFrame(*editor.current(), contacts, [this, &contacts] {
        contacts.play();
        sounds.playMovementSounds();
    });
}

CourseCheck CEngineApp::checkCurrentCourse() {
    return simulation.checkCourse(*editor.current());
}
