#include "scene/SceneObject.h"

#include <cmath>
#include <cstring>

namespace {

constexpr float kPushApartShare = 0.7f;
constexpr float kBounceKeep = 0.7f;
constexpr float kBounceShare = 0.5f;

bool isTiny(float value) {
    return value > -CSceneObject::kTiny && value < CSceneObject::kTiny;
}

} // namespace

void CSceneObject::advanceBy(float deltaX, float deltaZ) {
    stepDelta.x = deltaX;
    stepDelta.z = deltaZ;
    stepPosition.x += stepDelta.x;
    stepPosition.z += stepDelta.z;
}

void CSceneObject::step() {
    const float f = currentFriction();
    switch (motionState) {
    case MOTION_ROLL:
        speed *= f;
        if (isTiny(speed)) {
            speed = 0;
            direction = D3DXVECTOR3();
        }
        bounceSpeed *= f;
        if (isTiny(bounceSpeed)) {
            bounceSpeed = 0;
            bounceDirection = D3DXVECTOR3();
        }
        if (movable) {
            const float dx = speed * direction.x / 2 + bounceSpeed * bounceDirection.x / 2;
            const float dz = speed * direction.z / 2 + bounceSpeed * bounceDirection.z / 2;
            bounceSpeed = 0; // a bounce acts in one step only
            advanceBy(dx, dz);
        }
        break;
    case MOTION_COAST:
        motionState = MOTION_ROLL;
        speed *= f;
        if (isTiny(speed)) {
            speed = 0;
            direction = D3DXVECTOR3();
            motionState = MOTION_IDLE;
        }
        if (movable) {
            advanceBy(speed * direction.x / 2, speed * direction.z / 2);
        }
        break;
    case MOTION_PUSH:
        direction = heading;
        motionState = MOTION_ROLL;
        if (movable) {
            advanceBy(speed * direction.x / 2 + bounceSpeed * bounceDirection.x / 2,
                      speed * direction.z / 2 + bounceSpeed * bounceDirection.z / 2);
        }
        break;
    default:
        break;
    }
    position.x = stepPosition.x;
    position.z = stepPosition.z;
}

void CSceneObject::pushApart(float distanceSquared, float reachSquared) {
    const float reach = std::sqrt(reachSquared);
    const float dist = std::sqrt(distanceSquared);
    if (reach > dist) {
        stepPosition += contactNormal * ((reach - dist) * kPushApartShare);
    }
}

void CSceneObject::exchangeImpulse(float otherSpeed, const D3DXVECTOR3& otherDirection,
                                   const D3DXVECTOR3& otherPosition) {
    const float dx = stepPosition.x - otherPosition.x;
    const float dz = stepPosition.z - otherPosition.z;
    const float dist = std::sqrt(dx * dx + dz * dz);
    if (dist == 0) {
        return; // coincident centres: no line of centres to exchange along
    }
    contactNormal = D3DXVECTOR3(dx / dist, 0, dz / dist);
    const float f = currentFriction();
    const float k = otherSpeed * f * f;
    const float otherLength =
        std::sqrt(otherDirection.x * otherDirection.x + otherDirection.z * otherDirection.z);
    const float ownLength = std::sqrt(direction.x * direction.x + direction.z * direction.z);
    // A zero direction has no component along the line of centres.
    const float cosB = (k == 0 || otherLength == 0)
                           ? 0.0f
                           : (dx * otherDirection.x + dz * otherDirection.z) / (dist * otherLength);
    const float cosA = (speed == 0 || ownLength == 0)
                           ? 0.0f
                           : (dx * direction.x + dz * direction.z) / (dist * ownLength);
    const float nx = dx / dist;
    const float nz = dz / dist;
    impulse[0] += k * cosB * nx;
    impulse[1] += k * cosB * nz;
    impulse[2] += cosA * speed * nx;
    impulse[3] += cosA * speed * nz;
}

void CSceneObject::deflectFromFixed(const D3DXVECTOR3& otherPosition) {
    const float dx = stepPosition.x - otherPosition.x;
    const float dz = stepPosition.z - otherPosition.z;
    const float dist = std::sqrt(dx * dx + dz * dz);
    if (dist == 0) {
        return;
    }
    contactNormal = D3DXVECTOR3(dx / dist, 0, dz / dist);
    const float nx = dx / dist;
    const float nz = dz / dist;
    const float ox = direction.x;
    const float oz = direction.z;
    direction.x = -nx * ox + nz * oz;
    direction.z = -nz * ox - nx * oz;
}

void CSceneObject::resolveImpulses() {
    const float vx = speed * direction.x + impulse[0] - impulse[2];
    const float vz = speed * direction.z + impulse[1] - impulse[3];
    impulse[0] = impulse[1] = impulse[2] = impulse[3] = 0;
    speed = std::sqrt(vx * vx + vz * vz);
    if (speed == 0) {
        direction.x = 0;
        direction.z = 0;
    } else {
        direction.x = vx / speed;
        direction.z = vz / speed;
    }
}

void CSceneObject::bounceFromEdge(float edgeX, float edgeZ) {
    speed *= kBounceKeep;
    bounceSpeed = speed * kBounceShare;
    bounceDirection.x = edgeX;
    bounceDirection.z = edgeZ;
    motionState = MOTION_ROLL;
}

// The product yaw x pitch x roll x move, every frame for every body. Each element of a
// product is the sum 0 + a1 b1 + ... + a4 b4 in that order; here the terms with a factor
// that is a zero of the matrices' shape (and the ones of it, as factors) are left out.
// That changes no bit: a zero term is a signed zero when the other factor is finite, and
// a sum that starts at +0 is never -0, so adding a signed zero leaves it as it is. With
// a factor that is not finite, a zero term is NaN, and the whole products are made.
float CSceneObject::yawAngle() const {
    return static_cast<float>(M_PI) * (yawOffset - yaw);
}

D3DXMATRIX CSceneObject::composeWorld() const {
    const float angle = yawAngle();
    return composeWorld(std::cos(angle), std::sin(angle), std::cos(pitch), std::sin(pitch),
                        std::cos(roll), std::sin(roll));
}

D3DXMATRIX CSceneObject::composeWorld(float cy, float sy, float cx, float sx, float cz,
                                      float sz) const {
    const D3DXVECTOR3 at = position + modelOffset;
    // Not finite when any of them is not (sums of finite values this size stay finite).
    if (!std::isfinite(cy + sy + cx + sx + cz + sz + at.x + at.y + at.z)) {
        D3DXMATRIX yawMatrix;
        D3DXMATRIX pitchMatrix;
        D3DXMATRIX rollMatrix;
        D3DXMATRIX moveMatrix;
        D3DXMatrixRotationY(&yawMatrix, yawAngle());
        D3DXMatrixRotationX(&pitchMatrix, pitch);
        D3DXMatrixRotationZ(&rollMatrix, roll);
        D3DXMatrixTranslation(&moveMatrix, at.x, at.y, at.z);
        return yawMatrix * pitchMatrix * rollMatrix * moveMatrix;
    }
    // Yaw x pitch: rows (cy, 0, -sy), (0, 1, 0), (sy, 0, cy) times rows (1, 0, 0),
    // (0, cx, sx), (0, -sx, cx).
    const float a[3][3] = {{0.0f + cy, 0.0f + -sy * -sx, 0.0f + -sy * cx},
                           {0.0f, 0.0f + cx, 0.0f + sx},
                           {0.0f + sy, 0.0f + cy * -sx, 0.0f + cy * cx}};
    // Times roll, rows (cz, sz, 0), (-sz, cz, 0), (0, 0, 1); then the move adds 0 to
    // each of these and puts `at` in the last row. Each row is put together and stored
    // whole: the matrix is copied out right after, and a copy that reads a row the
    // stores wrote in pieces waits until they have reached the cache.
    using Row = float __attribute__((vector_size(16)));
    D3DXMATRIX world;
    const auto setRow = [&world](int r, Row row) { std::memcpy(world.m[r], &row, sizeof row); };
    for (int r = 0; r < 3; ++r) {
        setRow(r, Row{0.0f + (0.0f + a[r][0] * cz + a[r][1] * -sz),
                      0.0f + (0.0f + a[r][0] * sz + a[r][1] * cz), 0.0f + (0.0f + a[r][2]), 0.0f});
    }
    setRow(3, Row{0.0f + at.x, 0.0f + at.y, 0.0f + at.z, 1.0f});
    return world;
}
