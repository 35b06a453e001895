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
    keepGrabbedUnderCursor();
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
    // The surface grid is checked against the strips here, after the pick (which may
    // have edited the course) and right before the only queries that use it: five
    // footprint samples per body.
    const std::size_t queries = 5 * currentCourse->xfilePlacements.size();
    m_surfaceIndexInUse = surfaceGrid && currentCourse->stripsCreated && queries > 0 &&
                          m_surfaceIndex.sync(currentCourse->strips, queries);
    for (auto& placement : currentCourse->xfilePlacements) {
        followSurfaceAndBounce(placement);
    }
    m_surfaceIndexInUse = false;
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
    ++pairTests;
    CSceneObject& a = *first.body;
    CSceneObject& b = *second.body;
    const D3DXVECTOR3 apart = a.position - b.position;
    const float d2 = D3DXVec3LengthSq(&apart);
    const float reach = a.radius + b.radius;
    const float r2 = reach * reach;
    // A body whose position or radius is not a finite number (a damaged scene file can
    // hold one) touches nothing: its contact would carry the NaN to every body it met.
    if (!std::isfinite(d2) || !std::isfinite(r2) || r2 <= d2) {
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
    m_steppedBodies.clear();
    for (auto& placement : placements) {
        if (placement.body) {
            placement.body->step();
            m_steppedBodies.push_back(placement.body.get());
        }
    }
    // Before any contact is sought: bodies sharing a centre have no line of centres to
    // be pushed apart along.
    m_coincidentCentres.separate(m_steppedBodies);
    if (pairSearch == PairSearch::AllPairs) {
        testAllPairs();
    } else {
        testNearPairs();
    }
    playMovementSounds();
}

void CEngineApp::testAllPairs() {
    auto& placements = currentCourse->xfilePlacements;
    for (auto i = placements.begin(); i != placements.end(); ++i) {
        for (auto j = i; j != placements.end(); ++j) {
            if (i->id != j->id && i->body && j->body && testPair(*i, *j) == S_OK) {
                playCollisionSound(*i, *j);
            }
        }
    }
}

// The responses write stepPosition, speed, direction, contact normal and motion state,
// never position or radius, so whether two bodies touch is settled before the loop
// starts. The broad phase finds every pair that may touch; those are then tested in
// the order of the full loop (i in list order, then the j after it in list order), so
// each response sees exactly the speeds and directions that it would see there.
void CEngineApp::testNearPairs() {
    m_pairOrder.clear();
    m_pairSpheres.clear();
    for (auto& placement : currentCourse->xfilePlacements) {
        if (placement.body) {
            const CSceneObject& body = *placement.body;
            m_pairOrder.push_back(&placement);
            m_pairSpheres.push_back(
                {body.position.x, body.position.y, body.position.z, body.radius});
        }
    }
    m_broadPhase.build(m_pairSpheres);
    const int n = static_cast<int>(m_pairOrder.size());
    for (int i = 0; i < n; ++i) {
        XfilePlacement& first = *m_pairOrder[i];
        m_broadPhase.candidatesAfter(i, &m_pairCandidates);
        for (const int j : m_pairCandidates) {
            XfilePlacement& second = *m_pairOrder[j];
            if (first.id != second.id && testPair(first, second) == S_OK) {
                playCollisionSound(first, second);
            }
        }
    }
}

void CEngineApp::followSurfaceAndBounce(XfilePlacement& placement) {
    // A body whose place is not a finite number is over no triangle of the course, and
    // looking for one would search every triangle of it for each footprint point.
    if (!placement.body || !std::isfinite(placement.body->position.x) ||
        !std::isfinite(placement.body->position.z)) {
        return;
    }
    D3DXVECTOR3 edge;
    // Off the surface the body keeps the height it had.
    (void)followSurface(placement, &edge);
    const float lengthSquared = D3DXVec3LengthSq(&edge);
    if (lengthSquared != 0) {
        const D3DXVECTOR3 toward = edge / std::sqrt(lengthSquared);
        placement.body->bounceFromEdge(toward.x, toward.z);
    }
}
