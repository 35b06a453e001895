#include "scene/SceneObject.h"

#include <cmath>
#include <cstring>
#include <gtest/gtest.h>
#include <iterator>
#include <limits>
#include <random>

namespace {

CSceneObject bodyAt(float x, float z, float speed = 0, D3DXVECTOR3 direction = {}) {
    CSceneObject body;
    body.position = body.stepPosition = D3DXVECTOR3(x, 0, z);
    body.speed = speed;
    body.direction = direction;
    body.radius = 1.0f;
    return body;
}

// Both sides of one contact, as the pair loop applies them to two movable bodies.
void collide(CSceneObject& a, CSceneObject& b) {
    const float speedA = a.speed;
    const float speedB = b.speed;
    const D3DXVECTOR3 directionA = a.direction;
    const D3DXVECTOR3 directionB = b.direction;
    a.exchangeImpulse(speedB, directionB, b.position);
    b.exchangeImpulse(speedA, directionA, a.position);
    a.resolveImpulses();
    b.resolveImpulses();
}

} // namespace

TEST(StepByMotionState, PushMovesAlongTheHeadingWithoutDecay) {
    CSceneObject body = bodyAt(0, 0, 0.001f);
    body.heading = D3DXVECTOR3(std::cos(D3DX_PI / 2), 0, std::sin(D3DX_PI / 2));
    body.setMotionState(MOTION_PUSH);
    body.step();
    EXPECT_NEAR(body.stepPosition.x, 0.0f, 1e-9f);
    EXPECT_FLOAT_EQ(body.stepPosition.z, 0.0005f);
    EXPECT_FLOAT_EQ(body.speed, 0.001f);
    EXPECT_EQ(body.motionState, MOTION_ROLL);
    EXPECT_FLOAT_EQ(body.position.z, 0.0005f); // the pose follows the step
}

TEST(StepByMotionState, RollDecaysByFrictionEveryStep) {
    CSceneObject body = bodyAt(0, 0, 1.0f, {1, 0, 0});
    body.setMotionState(MOTION_ROLL);
    float expectedX = 0;
    float expectedSpeed = 1.0f;
    for (int i = 0; i < 100; ++i) {
        body.step();
        expectedSpeed *= 0.98f;
        expectedX += expectedSpeed / 2;
        ASSERT_FLOAT_EQ(body.speed, expectedSpeed) << i;
    }
    EXPECT_NEAR(body.stepPosition.x, expectedX, 1e-4f);
}

TEST(StepByMotionState, TinyBoundsAreStrict) {
    CSceneObject still = bodyAt(0, 0, 0.00001f, {1, 0, 0});
    still.friction[0] = 1.0f; // no decay: the bound itself is tested
    still.setMotionState(MOTION_ROLL);
    still.step();
    EXPECT_FLOAT_EQ(still.speed, 0.00001f);
    EXPECT_EQ(still.direction.x, 1.0f);

    CSceneObject stopped = bodyAt(0, 0, 0.000009f, {1, 0, 0});
    stopped.friction[0] = 1.0f;
    stopped.setMotionState(MOTION_ROLL);
    stopped.step();
    EXPECT_EQ(stopped.speed, 0.0f);
    EXPECT_EQ(stopped.direction.x, 0.0f);
    EXPECT_EQ(stopped.motionState, MOTION_ROLL); // only coasting returns to idle

    CSceneObject coasting = bodyAt(0, 0, 0.000009f, {1, 0, 0});
    coasting.friction[0] = 1.0f;
    coasting.setMotionState(MOTION_COAST);
    coasting.step();
    EXPECT_EQ(coasting.motionState, MOTION_IDLE);
}

TEST(StepByMotionState, IdleAndUnknownStatesDoNotMove) {
    for (int state : {static_cast<int>(MOTION_IDLE), 7, -1}) {
        CSceneObject body = bodyAt(3, 4, 1.0f, {1, 0, 0});
        body.setMotionState(state);
        body.step();
        EXPECT_EQ(body.stepPosition.x, 3.0f);
        EXPECT_EQ(body.speed, 1.0f);
    }
}

TEST(StepByMotionState, UnmovableBodiesNeverAdvance) {
    for (int state : {static_cast<int>(MOTION_PUSH), static_cast<int>(MOTION_ROLL),
                      static_cast<int>(MOTION_COAST)}) {
        CSceneObject body = bodyAt(3, 4, 1.0f, {1, 0, 0});
        body.heading = D3DXVECTOR3(1, 0, 0);
        body.movable = false;
        body.setMotionState(state);
        body.step();
        EXPECT_EQ(body.stepPosition.x, 3.0f);
        EXPECT_EQ(body.stepPosition.z, 4.0f);
    }
}

TEST(EdgeBounce, KeepsSeventyPercentAndBouncesForOneStep) {
    CSceneObject body = bodyAt(0, 0, 1.0f, {1, 0, 0});
    body.bounceFromEdge(0, 1);
    EXPECT_FLOAT_EQ(body.speed, 0.7f);
    EXPECT_FLOAT_EQ(body.bounceSpeed, 0.35f);
    EXPECT_EQ(body.motionState, MOTION_ROLL);
    body.step();
    EXPECT_FLOAT_EQ(body.stepPosition.x, 0.7f * 0.98f / 2);
    EXPECT_FLOAT_EQ(body.stepPosition.z, 0.35f * 0.98f / 2);
    EXPECT_EQ(body.bounceSpeed, 0.0f);
    body.step(); // the bounce is gone: only the roll goes on
    EXPECT_FLOAT_EQ(body.stepPosition.z, 0.35f * 0.98f / 2);
}

TEST(ContactResponse, EqualBodiesHeadOnHandOverTheirSpeed) {
    CSceneObject moving = bodyAt(0, 0, 1.0f, {1, 0, 0});
    CSceneObject resting = bodyAt(1.5f, 0);
    collide(moving, resting);
    EXPECT_NEAR(moving.speed, 0.0f, 1e-6f);
    EXPECT_FLOAT_EQ(resting.speed, 0.98f * 0.98f);
    EXPECT_FLOAT_EQ(resting.direction.x, 1.0f);
    EXPECT_FLOAT_EQ(moving.contactNormal.x, -1.0f);
    EXPECT_FLOAT_EQ(resting.contactNormal.x, 1.0f);
}

TEST(ContactResponse, SumOfSquaredSpeedsNeverGrows) {
    std::mt19937 random(42);
    std::uniform_real_distribution<float> unit(-1.0f, 1.0f);
    for (int trial = 0; trial < 2000; ++trial) {
        D3DXVECTOR3 da(unit(random), 0, unit(random));
        D3DXVECTOR3 db(unit(random), 0, unit(random));
        D3DXVec3Normalize(&da, &da);
        D3DXVec3Normalize(&db, &db);
        CSceneObject a = bodyAt(0, 0, std::abs(unit(random)), da);
        CSceneObject b = bodyAt(unit(random) * 2, unit(random) * 2, std::abs(unit(random)), db);
        const float before = a.speed * a.speed + b.speed * b.speed;
        collide(a, b);
        const float after = a.speed * a.speed + b.speed * b.speed;
        ASSERT_LE(after, before * (1 + 1e-5f) + 1e-6f) << trial;
        ASSERT_TRUE(std::isfinite(a.speed) && std::isfinite(b.speed));
    }
}

TEST(ContactResponse, CoincidentCentresAreSkippedWithoutNaN) {
    CSceneObject a = bodyAt(2, 2, 1.0f, {1, 0, 0});
    CSceneObject b = bodyAt(2, 2, 0.5f, {0, 0, 1});
    collide(a, b);
    a.deflectFromFixed(b.position);
    for (const CSceneObject* body : {&a, &b}) {
        EXPECT_TRUE(std::isfinite(body->speed));
        EXPECT_TRUE(std::isfinite(body->direction.x) && std::isfinite(body->direction.z));
        EXPECT_EQ(body->contactNormal.x, 0.0f);
    }
    EXPECT_FLOAT_EQ(a.speed, 1.0f);
}

TEST(ContactResponse, FixedBodyTurnsTheDirectionKeepingTheSpeed) {
    CSceneObject a = bodyAt(0, 0, 2.0f, {1, 0, 0});
    const D3DXVECTOR3 wall(1, 0, 0); // straight ahead
    a.deflectFromFixed(wall);
    EXPECT_FLOAT_EQ(a.speed, 2.0f);
    // Normal (-1, 0): the rotation x = -nx*ox + nz*oz, z = -nz*ox - nx*oz keeps (1, 0).
    EXPECT_FLOAT_EQ(a.direction.x, 1.0f);
    EXPECT_FLOAT_EQ(a.direction.z, 0.0f);
    CSceneObject b = bodyAt(0, 0, 2.0f, {1, 0, 0});
    b.deflectFromFixed(D3DXVECTOR3(0, 0, 1)); // normal (0, -1)
    EXPECT_FLOAT_EQ(b.direction.x, 0.0f);
    EXPECT_FLOAT_EQ(b.direction.z, 1.0f);
}

TEST(ContactResponse, PushApartUsesTheLastNormalOnly) {
    CSceneObject fresh = bodyAt(0, 0);
    fresh.pushApart(1.0f, 4.0f);
    EXPECT_EQ(fresh.stepPosition.x, 0.0f); // no collision yet, no normal
    CSceneObject hit = bodyAt(0, 0);
    hit.contactNormal = D3DXVECTOR3(1, 0, 0);
    hit.pushApart(1.0f, 4.0f);
    EXPECT_FLOAT_EQ(hit.stepPosition.x, (2.0f - 1.0f) * 0.7f);
}

TEST(WorldMatrix, YawsThenTiltsThenMoves) {
    CSceneObject body;
    // With yaw a the model's +x points along (cos(pi a), 0, sin(pi a)): here -z.
    body.yaw = -0.5f;
    body.position = D3DXVECTOR3(10, 2, 30);
    body.modelOffset = D3DXVECTOR3(0, 3, 0);
    const D3DXMATRIX world = body.composeWorld();
    D3DXVECTOR3 tip;
    const D3DXVECTOR3 x(1, 0, 0);
    D3DXVec3TransformCoord(&tip, &x, &world);
    EXPECT_NEAR(tip.x, 10.0f, 1e-5f);
    EXPECT_NEAR(tip.y, 5.0f, 1e-5f);
    EXPECT_NEAR(tip.z, 29.0f, 1e-5f);
}

// The matrix is worked out without the products' zero terms; every bit must stay that
// of the four matrices multiplied, signed zeros and values that are not finite included.
TEST(WorldMatrix, IsTheFourMatricesMultipliedToTheBit) {
    std::mt19937 random(21);
    const float awkward[] = {0.0f,
                             -0.0f,
                             1e-30f,
                             -1e-42f,
                             0.5f,
                             -1.0f,
                             3.14159265f,
                             1e30f,
                             std::numeric_limits<float>::infinity(),
                             -std::numeric_limits<float>::infinity(),
                             std::numeric_limits<float>::quiet_NaN()};
    std::uniform_int_distribution<std::size_t> pick(0, std::size(awkward) - 1);
    std::uniform_real_distribution<float> any(-100.0f, 100.0f);
    // Mostly ordinary values, now and then an awkward one.
    const auto value = [&] { return random() % 4 == 0 ? awkward[pick(random)] : any(random); };
    int finite = 0;
    for (int k = 0; k < 20000; ++k) {
        CSceneObject body;
        body.yaw = value();
        body.yawOffset = k % 3 == 0 ? 0.0f : value();
        body.pitch = k % 5 == 0 ? 0.0f : value();
        body.roll = k % 7 == 0 ? -0.0f : value();
        body.position = D3DXVECTOR3(value(), value(), value());
        body.modelOffset =
            D3DXVECTOR3(k % 2 == 0 ? -0.0f : value(), value(), k % 3 == 0 ? -0.0f : value());
        D3DXMATRIX yawMatrix;
        D3DXMATRIX pitchMatrix;
        D3DXMATRIX rollMatrix;
        D3DXMATRIX moveMatrix;
        D3DXMatrixRotationY(&yawMatrix, static_cast<float>(M_PI) * (body.yawOffset - body.yaw));
        D3DXMatrixRotationX(&pitchMatrix, body.pitch);
        D3DXMatrixRotationZ(&rollMatrix, body.roll);
        const D3DXVECTOR3 at = body.position + body.modelOffset;
        D3DXMatrixTranslation(&moveMatrix, at.x, at.y, at.z);
        const D3DXMATRIX expected = yawMatrix * pitchMatrix * rollMatrix * moveMatrix;
        const D3DXMATRIX actual = body.composeWorld();
        ASSERT_EQ(std::memcmp(&expected, &actual, sizeof expected), 0)
            << "yaw " << body.yaw << " offset " << body.yawOffset << " pitch " << body.pitch
            << " roll " << body.roll << " at " << at.x << ", " << at.y << ", " << at.z;
        finite += std::isfinite(actual.m[0][0] + actual.m[3][0]) ? 1 : 0;
    }
    EXPECT_GT(finite, 10000); // most are finite: the shortened way made them
}
