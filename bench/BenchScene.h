// Scenes for the benchmarks: an engine on the recording device with a course laid by
// clicks, the way a user lays one, and bodies scattered over its road.
#pragma once

#include <cmath>
#include <cstdint>
#include <memory>
#include <random>

#include "Require.h"
#include "assets/Placements.h"
#include "core/EngineApp.h"
#include "course/CourseTrack.h"
#include "d3d9/recording_device.h"

namespace bench {

constexpr UINT kViewWidth = 640;
constexpr UINT kViewHeight = 480;

// The course of the frame-step benchmarks: six clicked points 30 view units from the
// centre, about 5,000 samples, a loop some 4,700 units round whose 40-wide road holds
// 10,000 bodies of radius 1.
constexpr int kCoursePoints = 6;
constexpr float kCourseRadius = 30.0f;
// Neighbours across the road start 2.4 apart (radius 1 each), so the pack keeps
// colliding.
constexpr float kBodySpacing = 2.4f;

// A started engine on a recording device; nothing is drawn anywhere.
struct Engine {
    Engine() {
        app = std::make_unique<CEngineApp>();
        require(app->oneTimeSceneInit(nullptr), "oneTimeSceneInit");
        require(app->initDeviceObjects(device.get()), "initDeviceObjects");
        require(app->restoreDeviceObjects(), "restoreDeviceObjects");
        app->onInitialUpdate(kViewWidth, kViewHeight, nullptr);
    }
    Engine(const Engine&) = delete;
    Engine& operator=(const Engine&) = delete;
    ~Engine() {
        app->invalidateDeviceObjects();
        app->deleteDeviceObjects();
    }

    // The view pixel under which the course editor shows ground point (x, z).
    static POINT pixelOf(float x, float z) {
        const float halfHeight = 100.0f * std::tan(static_cast<float>(M_PI) / 8);
        const float halfWidth = halfHeight * kViewWidth / kViewHeight;
        return POINT{
            static_cast<LONG>(std::lround(kViewWidth / 2.0f + x / halfWidth * kViewWidth / 2)),
            static_cast<LONG>(std::lround(kViewHeight / 2.0f - z / halfHeight * kViewHeight / 2))};
    }

    // Clicks n points on a circle in the course editor (not yet a course).
    void layLoop(int n, float radius) {
        app->selectTab(TAB_COURSE);
        for (int i = 0; i < n; ++i) {
            const double angle = 2 * M_PI * i / n;
            const POINT p = pixelOf(radius * static_cast<float>(std::cos(angle)),
                                    radius * static_cast<float>(std::sin(angle)));
            app->onLButtonDown(POINT{p.x + app->viewOffsetX, p.y + app->viewOffsetY});
            app->onLButtonUp();
        }
    }

    // Lays and creates a loop course; the course becomes current.
    LCourse_t& createLoopCourse(int n, float radius) {
        layLoop(n, radius);
        require(app->createCourse(reinterpret_cast<HTREEITEM>(static_cast<std::uintptr_t>(0x1000))),
                "createCourse");
        return *app->currentCourse;
    }

    ComPtr<RecordingDevice> device = RecordingDevice::create(kViewWidth, kViewHeight);
    std::unique_ptr<CEngineApp> app;
};

// The road's centre at track sample i and the unit vector across the road there, in
// world coordinates (the strips lie with the track's x and z exchanged).
inline void roadFrame(const LCourse_t& course, int i, D3DXVECTOR3* centre, D3DXVECTOR3* across) {
    const auto [right, left] = course.track->pair(3, i);
    const D3DXVECTOR3 m = (right + left) * 0.5f;
    *centre = {m.z, m.y, m.x};
    const D3DXVECTOR3 d(right.z - left.z, 0, right.x - left.x);
    D3DXVec3Normalize(across, &d);
}

inline XfilePlacement& placeBody(CEngineApp& app, const D3DXVECTOR3& at, float radius) {
    auto& list = app.currentCourse->xfilePlacements;
    list.emplace_back();
    XfilePlacement& placement = list.back();
    placement.id = static_cast<std::int32_t>(list.size());
    placement.radius = radius;
    std::snprintf(placement.name, sizeof placement.name, "ball.x");
    placement.body = std::make_unique<CSceneObject>();
    placement.body->radius = radius;
    placement.body->position = placement.body->stepPosition = at;
    return placement;
}

// Spreads n bodies of radius 1 evenly along the whole road, in lanes across it, each
// rolling off in a random direction at a random speed, as after a break of the pack.
// Neighbours in a row across the road start `spacing` apart; along the road the rows
// share out the whole loop, so they are as far apart as its length allows (about 7 at
// 10,000 bodies on the course above).
inline void scatterBodies(CEngineApp& app, int n, float spacing, std::uint32_t seed) {
    LCourse_t& course = *app.currentCourse;
    const int samples = course.track->sampleCount();
    std::mt19937 random(seed);
    std::uniform_real_distribution<float> unit(0.0f, 1.0f);
    // Lanes across the 40-wide road, as many as fit at the spacing.
    const int lanes = std::max(1, static_cast<int>(36.0f / spacing));
    const int perLane = (n + lanes - 1) / lanes;
    for (int k = 0; k < n; ++k) {
        const int lane = k % lanes;
        const int along = k / lanes;
        const int sample = static_cast<int>(static_cast<std::int64_t>(along) * samples / perLane);
        D3DXVECTOR3 centre;
        D3DXVECTOR3 across;
        roadFrame(course, sample, &centre, &across);
        const float offset = (static_cast<float>(lane) - (lanes - 1) / 2.0f) * spacing;
        XfilePlacement& placement = placeBody(app, centre + across * offset, 1.0f);
        CSceneObject& body = *placement.body;
        const float angle = unit(random) * 2.0f * static_cast<float>(M_PI);
        body.speed = 0.05f + 0.25f * unit(random);
        body.direction = D3DXVECTOR3(std::cos(angle), 0, std::sin(angle));
        body.motionState = MOTION_ROLL;
    }
}

// The loop course of the frame-step benchmarks with n bodies scattered over its road,
// the same every time; the course becomes current.
inline LCourse_t& layPack(Engine& engine, int n) {
    LCourse_t& course = engine.createLoopCourse(kCoursePoints, kCourseRadius);
    scatterBodies(*engine.app, n, kBodySpacing, 1234);
    return course;
}

} // namespace bench
