// The play step: every body moves, then the pairs that touch respond, in list order.
#include <cmath>

#include "scene/Placements.h"
#include "simulation/Simulation.h"

Simulation::Simulation() : m_pairFinder(std::make_unique<BroadPhase>()) {}

Simulation::~Simulation() = default;

HRESULT Simulation::testPair(XfilePlacement& first, XfilePlacement& second) {
    ++m_pairTests;
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

void Simulation::step(LCourse_t& course, ContactListener& contacts) {
    m_steppedBodies.clear();
    for (auto& placement : course.xfilePlacements) {
        if (placement.body) {
            placement.body->step();
            m_steppedBodies.push_back(placement.body.get());
        }
    }
    // Before any contact is sought: bodies sharing a centre have no line of centres to
    // be pushed apart along.
    m_coincidentCentres.separate(m_steppedBodies);
    respondToPairs(course, contacts);
}

// The responses write stepPosition, speed, direction, contact normal and motion state,
// never position or radius, so whether two bodies touch is settled before the loop
// starts. The pair finder finds every pair that may touch; those are then tested in
// the order of the full loop (i in list order, then the j after it in list order), so
// each response sees exactly the speeds and directions that it would see there.
void Simulation::respondToPairs(LCourse_t& course, ContactListener& contacts) {
    m_pairOrder.clear();
    m_pairSpheres.clear();
    for (auto& placement : course.xfilePlacements) {
        if (placement.body) {
            const CSceneObject& body = *placement.body;
            m_pairOrder.push_back(&placement);
            m_pairSpheres.push_back(
                {body.position.x, body.position.y, body.position.z, body.radius});
        }
    }
    m_pairFinder->build(m_pairSpheres);
    const int n = static_cast<int>(m_pairOrder.size());
    for (int i = 0; i < n; ++i) {
        XfilePlacement& first = *m_pairOrder[i];
        m_pairFinder->candidatesAfter(i, &m_pairCandidates);
        for (const int j : m_pairCandidates) {
            XfilePlacement& second = *m_pairOrder[j];
            if (first.id != second.id && testPair(first, second) == S_OK) {
                contacts.contact(first, second);
            }
        }
    }
}
