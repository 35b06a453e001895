// Bit-for-bit comparison of the bodies of two engines that ran the same scene.
#pragma once

#include <cstdint>
#include <cstring>
#include <gtest/gtest.h>
#include <string>

#include "scene/Course.h"
#include "scene/Placements.h"

template <typename T>
bool sameBits(const T& a, const T& b) {
    return std::memcmp(&a, &b, sizeof(T)) == 0;
}

// Every field the frame writes, compared as bits (so NaNs and signed zeros count).
inline ::testing::AssertionResult sameBody(const CSceneObject& x, const SurfaceHint& xHint,
                                           const CSceneObject& y, const SurfaceHint& yHint) {
    if (xHint.strip != yHint.strip || xHint.row != yHint.row) {
        return ::testing::AssertionFailure() << "surface hints differ";
    }
    const char* field = nullptr;
    if (!sameBits(x.position, y.position)) {
        field = "position";
    } else if (!sameBits(x.stepPosition, y.stepPosition)) {
        field = "stepPosition";
    } else if (!sameBits(x.speed, y.speed)) {
        field = "speed";
    } else if (!sameBits(x.direction, y.direction)) {
        field = "direction";
    } else if (!sameBits(x.contactNormal, y.contactNormal)) {
        field = "contactNormal";
    } else if (!sameBits(x.heading, y.heading)) {
        field = "heading";
    } else if (!sameBits(x.bounceSpeed, y.bounceSpeed)) {
        field = "bounceSpeed";
    } else if (!sameBits(x.bounceDirection, y.bounceDirection)) {
        field = "bounceDirection";
    } else if (x.motionState != y.motionState) {
        field = "motionState";
    } else if (!sameBits(x.stepDelta, y.stepDelta)) {
        field = "stepDelta";
    } else if (!sameBits(x.impulse, y.impulse)) {
        field = "impulse";
    } else if (!sameBits(x.roll, y.roll) || !sameBits(x.pitch, y.pitch) ||
               !sameBits(x.yaw, y.yaw)) {
        field = "tilt or yaw";
    } else if (!sameBits(x.world, y.world)) {
        field = "world";
    }
    if (field != nullptr) {
        return ::testing::AssertionFailure() << field << " differs";
    }
    return ::testing::AssertionSuccess();
}

// The first body whose state differs, with what differs; success when none does.
inline ::testing::AssertionResult sameBodies(const LCourse_t& a, const LCourse_t& b) {
    const Bodies& x = a.xfilePlacements.bodies();
    const Bodies& y = b.xfilePlacements.bodies();
    if (x.size() != y.size()) {
        return ::testing::AssertionFailure() << "different body counts";
    }
    for (std::size_t i = 0; i < x.size(); ++i) {
        const ::testing::AssertionResult same =
            sameBody(x.all()[i], x.hints()[i], y.all()[i], y.hints()[i]);
        if (!same) {
            return ::testing::AssertionFailure() << "body " << i << ": " << same.message();
        }
    }
    return ::testing::AssertionSuccess();
}

// A hash of every field sameBody compares, as bits, body after body in list order.
inline std::uint64_t wholeStateHash(const LCourse_t& course) {
    std::uint64_t hash = 1469598103934665603ull;
    const auto mix = [&hash](const auto& field) {
        const auto* bytes = reinterpret_cast<const unsigned char*>(&field);
        for (std::size_t i = 0; i < sizeof field; ++i) {
            hash = (hash ^ bytes[i]) * 1099511628211ull;
        }
    };
    const Bodies& bodies = course.xfilePlacements.bodies();
    for (std::size_t i = 0; i < bodies.size(); ++i) {
        mix(bodies.hints()[i].strip);
        mix(bodies.hints()[i].row);
        const CSceneObject& b = bodies.all()[i];
        mix(b.position);
        mix(b.stepPosition);
        mix(b.speed);
        mix(b.direction);
        mix(b.contactNormal);
        mix(b.heading);
        mix(b.bounceSpeed);
        mix(b.bounceDirection);
        mix(b.motionState);
        mix(b.stepDelta);
        mix(b.impulse);
        mix(b.roll);
        mix(b.pitch);
        mix(b.yaw);
        mix(b.world);
    }
    return hash;
}
