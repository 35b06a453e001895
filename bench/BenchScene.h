// Scenes for the benchmarks: an engine on the recording device with a course laid by
// clicks, the way a user lays one, and bodies scattered over its road.
#pragma once

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <memory>
#include <random>
#include <vector>

#include "Require.h"
#include "core/EngineApp.h"
#include "course/CourseTrack.h"
#include "d3d9/recording_device.h"
#include "scene/Placements.h"

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
        // The benchmarks time the CPU of the calling thread, which must do all the work
        // to be timed; those that time the frame on several threads say so.
        app->simulation.setThreads(1);
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
            app->edit.onLButtonDown(POINT{p.x + app->viewOrigin().x, p.y + app->viewOrigin().y});
            app->edit.onLButtonUp();
        }
    }

    // Lays and creates a loop course, its ground plan `scale` times as large as the
    // clicks lay it; the course becomes current.
    LCourse_t& createLoopCourse(int n, float radius, float scale = 1.0f) {
        layLoop(n, radius);
        for (auto& point : app->editor.laidPoints().calculated()) {
            point.x *= scale;
            point.z *= scale;
        }
        require(app->createCourse(reinterpret_cast<HTREEITEM>(static_cast<std::uintptr_t>(0x1000))),
                "createCourse");
        return *app->editor.current();
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

// A ball placed on the current course; its body, which the next placement may move.
inline CSceneObject& placeBody(CEngineApp& app, const D3DXVECTOR3& at, float radius) {
    PlacedMeshes& list = app.editor.current()->xfilePlacements;
    XfilePlacement placement;
    placement.radius = radius;
    std::snprintf(placement.name, sizeof placement.name, "ball.x");
    CSceneObject body;
    body.radius = radius;
    body.position = body.stepPosition = at;
    XfilePlacement& placed = list.add(std::move(placement), body);
    list.setId(placed, static_cast<std::int32_t>(list.size()));
    return list.body(placed);
}

// Sets a body rolling off in a random direction at a random speed, as after a break of
// the pack.
inline void setRolling(CSceneObject& body, std::mt19937& random) {
    std::uniform_real_distribution<float> unit(0.0f, 1.0f);
    const float angle = unit(random) * 2.0f * static_cast<float>(M_PI);
    body.speed = 0.05f + 0.25f * unit(random);
    body.direction = D3DXVECTOR3(std::cos(angle), 0, std::sin(angle));
    body.motionState = MOTION_ROLL;
}

// Lanes across the 40-wide road, as many as fit at the spacing.
inline int lanesAt(float spacing) {
    return std::max(1, static_cast<int>(36.0f / spacing));
}

// Spreads n bodies of radius 1 evenly along the whole road, in lanes across it, each
// rolling off in a random direction at a random speed, as after a break of the pack.
// Neighbours in a row across the road start `spacing` apart; along the road the rows
// share out the whole loop, so they are as far apart as its length allows (about 7 at
// 10,000 bodies on the course above).
inline void scatterBodies(CEngineApp& app, int n, float spacing, std::uint32_t seed) {
    LCourse_t& course = *app.editor.current();
    // As a scene opened at once takes them.
    course.xfilePlacements.reserve(course.xfilePlacements.size() + static_cast<std::size_t>(n));
    const int samples = course.track->sampleCount();
    std::mt19937 random(seed);
    const int lanes = lanesAt(spacing);
    const int perLane = (n + lanes - 1) / lanes;
    for (int k = 0; k < n; ++k) {
        const int lane = k % lanes;
        const int along = k / lanes;
        const int sample = static_cast<int>(static_cast<std::int64_t>(along) * samples / perLane);
        D3DXVECTOR3 centre;
        D3DXVECTOR3 across;
        roadFrame(course, sample, &centre, &across);
        const float offset = (static_cast<float>(lane) - (lanes - 1) / 2.0f) * spacing;
        setRolling(placeBody(app, centre + across * offset, 1.0f), random);
    }
}

// The same for more rows than the course has samples: the rows share out the loop by
// its length along the road's centre (the samples lie closer together in some places
// than in others), each between two samples, its centre and its across-vector taken
// between theirs.
inline void spreadBodies(CEngineApp& app, int n, float spacing, std::uint32_t seed) {
    LCourse_t& course = *app.editor.current();
    course.xfilePlacements.reserve(course.xfilePlacements.size() + static_cast<std::size_t>(n));
    const int samples = course.track->sampleCount();
    std::vector<D3DXVECTOR3> centres(static_cast<std::size_t>(samples) + 1);
    std::vector<D3DXVECTOR3> acrosses(centres.size());
    std::vector<double> reached(centres.size(), 0.0); // length of road before sample i
    for (int i = 0; i <= samples; ++i) {
        roadFrame(course, i % samples, &centres[i], &acrosses[i]);
        if (i > 0) {
            const D3DXVECTOR3 step = centres[i] - centres[i - 1];
            reached[i] = reached[i - 1] + std::hypot(step.x, step.z);
        }
    }
    std::mt19937 random(seed);
    const int lanes = lanesAt(spacing);
    const int perLane = (n + lanes - 1) / lanes;
    int sample = 0;
    for (int k = 0; k < n; ++k) {
        const double along = static_cast<double>(k / lanes) * reached[samples] / perLane;
        while (reached[sample + 1] <= along) {
            ++sample;
        }
        const float share =
            static_cast<float>((along - reached[sample]) / (reached[sample + 1] - reached[sample]));
        const D3DXVECTOR3 centre =
            centres[sample] + (centres[sample + 1] - centres[sample]) * share;
        D3DXVECTOR3 across = acrosses[sample] + (acrosses[sample + 1] - acrosses[sample]) * share;
        D3DXVec3Normalize(&across, &across);
        const float offset = (static_cast<float>(k % lanes) - (lanes - 1) / 2.0f) * spacing;
        setRolling(placeBody(app, centre + across * offset, 1.0f), random);
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
