#pragma once

#include "d3dx9/d3dx9math.h"

// How a body advances in its next step.
enum MotionState : int {
    MOTION_IDLE = 0,  // at rest; only a push, a contact or a bounce moves it
    MOTION_ROLL = 1,  // rolls on, losing speed to friction every step
    MOTION_COAST = 2, // just hit another body; next step rolls (or stops)
    MOTION_PUSH = 3,  // the player pushed it; next step takes the push direction
};

// The moving body of a placed mesh, plain data kept by value in the course's body
// arrays. Speeds are per frame (the step moves by
// speed / 2); every frame is one fixed step, so no time enters here.
class CSceneObject {
public:
    // Speeds strictly inside (-kTiny, kTiny) count as stopped.
    static constexpr float kTiny = 0.00001f;

    // One integration step by motion state.
    void step();
    void setMotionState(int state) { motionState = state; }

    // Contact response: pushed out along the last contact normal.
    void pushApart(float distanceSquared, float reachSquared);
    // Takes the other body's motion along the line of centres (reduced by friction
    // squared) and gives up its own.
    void exchangeImpulse(float otherSpeed, const D3DXVECTOR3& otherDirection,
                         const D3DXVECTOR3& otherPosition);
    // Turns the direction away from a body that cannot move.
    void deflectFromFixed(const D3DXVECTOR3& otherPosition);
    // Applies the gathered impulses to speed and direction.
    void resolveImpulses();

    // Bounce off a side strip: edge (x, z) is the unit vector toward the road.
    void bounceFromEdge(float edgeX, float edgeZ);

    // The world matrix: yawed, tilted about x, then about z, then moved into place.
    D3DXMATRIX composeWorld() const;
    // The same, given the cosines and sines of yawAngle(), pitch and roll (they seldom
    // change from one frame to the next, so they are worth keeping).
    D3DXMATRIX composeWorld(float cosYaw, float sinYaw, float cosPitch, float sinPitch,
                            float cosRoll, float sinRoll) const;
    // The angle, in radians about y, the world matrix turns the body by.
    float yawAngle() const;

    float currentFriction() const { return friction[surfaceKind == 1 ? 1 : 0]; }

    int surfaceKind = 0;
    D3DXMATRIX world;
    D3DXVECTOR3 position{0, 1.0f, 0};
    D3DXVECTOR3 modelOffset;
    float yaw = 0;   // half-turns
    float roll = 0;  // radians, about world z
    float pitch = 0; // radians, about world x
    float radius = 0;
    D3DXVECTOR3 stepPosition;
    float speed = 0;
    D3DXVECTOR3 direction;
    D3DXVECTOR3 contactNormal;
    D3DXVECTOR3 heading;
    float friction[2] = {0.98f, 0.9f};
    float bounceSpeed = 0;
    D3DXVECTOR3 bounceDirection;
    int motionState = MOTION_IDLE;
    D3DXVECTOR3 stepDelta;
    float impulse[4] = {}; // gained x, gained z, lost x, lost z
    bool movable = true;
    float yawOffset = 0; // half-turns

private:
    void advanceBy(float deltaX, float deltaZ);
};
