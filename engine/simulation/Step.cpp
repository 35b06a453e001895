// The frame: input, camera, picking, and in play mode the movement and collision
// step; in every mode the bodies' world matrices and their following of the surface.
#include <cmath>

#include "assets/Placements.h"
#include "core/EngineApp.h"

HRESULT CEngineApp::frameMove() {
    if (playing && lastXfilePlacement != nullptr && m_cMove != 0.0f) {
        applyInputPush(*lastXfilePlacement, m_cAngle);
    }
    updateCamera();
    pickEveryFrame();
    if (lastXfilePlacement != nullptr && lastXfilePlacement->body) {
        lastXfilePlacement->body->yaw = m_cAngle;
    }
    if (playing) {
        playStep();
    }
    if (currentCourse == nullptr) {
        return S_OK;
    }
    // The matrices are composed before the bodies follow the surface, so what is
    // drawn lags the surface by one frame.
    for (auto& placement : currentCourse->xfilePlacements) {
        if (placement.body) {
            placement.body->world = placement.body->composeWorld();
        }
    }
    for (auto& placement : currentCourse->xfilePlacements) {
        followSurfaceAndBounce(placement);
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

HRESULT CEngineApp::testPair(XfilePlacement& first, XfilePlacement& second) {
    CSceneObject& a = *first.body;
    CSceneObject& b = *second.body;
    const D3DXVECTOR3 apart = a.position - b.position;
    const float d2 = D3DXVec3LengthSq(&apart);
    const float reach = a.radius + b.radius;
    const float r2 = reach * reach;
    if (r2 <= d2) {
        return E_FAIL;
    }
    a.pushApart(d2, r2);
    b.pushApart(d2, r2);
    a.setMotionState(MOTION_COAST);
    b.setMotionState(MOTION_COAST);
    const float speedA = a.speed;
    const float speedB = b.speed;
    if (a.movable && b.movable) {
        a.exchangeImpulse(speedB, b.direction, b.position);
        b.exchangeImpulse(speedA, a.direction, a.position);
    } else if (a.movable) {
        a.deflectFromFixed(b.position);
    } else if (b.movable) {
        b.deflectFromFixed(a.position);
    }
    a.resolveImpulses();
    b.resolveImpulses();
    return S_OK;
}

void CEngineApp::playStep() {
    if (currentCourse == nullptr) {
        return;
    }
    auto& placements = currentCourse->xfilePlacements;
    for (auto& placement : placements) {
        if (placement.body) {
            placement.body->step();
        }
    }
    for (auto i = placements.begin(); i != placements.end(); ++i) {
        for (auto j = i; j != placements.end(); ++j) {
            if (i->id != j->id && i->body && j->body && testPair(*i, *j) == S_OK) {
                playCollisionSound(*i, *j);
            }
        }
    }
    for (const auto& placement : placements) {
        playMovementSound(placement);
    }
}

void CEngineApp::followSurfaceAndBounce(XfilePlacement& placement) {
    if (!placement.body) {
        return;
    }
    D3DXVECTOR3 edge;
    followSurface(placement, &edge);
    const float lengthSquared = D3DXVec3LengthSq(&edge);
    if (lengthSquared != 0) {
        const D3DXVECTOR3 toward = edge / std::sqrt(lengthSquared);
        placement.body->bounceFromEdge(toward.x, toward.z);
    }
}
