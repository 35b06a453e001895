// Opening a large scene and drawing it: the sample scene's course, bitmaps and sounds with
// thousands of placed meshes of five files, restored through the engine on the GL device
// under a headless EGL context, and one frame of it. Run from the project root.
#include <benchmark/benchmark.h>

#include <algorithm>
#include <epoxy/gl.h>
#include <fstream>
#include <memory>
#include <optional>
#include <string>
#include <sys/resource.h>
#include <utility>
#include <vector>

#include "GlEngine.h"
#include "ManyPlacements.h"
#include "RoadPlacements.h"
#include "render/InstancedMeshes.h"
#include "render/ViewFrustum.h"

namespace {

using bench::manyPlacementScene;

// The most this process has held in memory since the last forgetPeakResident().
double peakResidentMegabytes() {
    rusage usage{};
    ::getrusage(RUSAGE_SELF, &usage);
    return static_cast<double>(usage.ru_maxrss) / 1024.0; // kilobytes
}

// Starts the peak anew from what the process holds now, so that a benchmark's peak is
// its own and not that of one before it.
void forgetPeakResident() {
    std::ofstream("/proc/self/clear_refs") << "5";
}

struct Setup {
    std::unique_ptr<bench::GlDevice> gl;
    LSession_t session;
};

bool setUp(benchmark::State& state, Setup* setup) {
    std::string error;
    setup->gl = bench::GlDevice::open(&error);
    if (!setup->gl) {
        state.SkipWithError(("no headless GL context: " + error).c_str());
        return false;
    }
    if (!manyPlacementScene(static_cast<int>(state.range(0)), &setup->session, &error)) {
        state.SkipWithError(error.c_str());
        return false;
    }
    return true;
}

// Opening the scene, timed by the clock: the wait is the user's, whatever process does
// the work. Each round restores it into an engine just started; starting and closing the
// engine are not timed.
void BM_RestoreManyPlacements(benchmark::State& state) {
    Setup setup;
    if (!setUp(state, &setup)) {
        return;
    }
    double peak = 0;
    std::size_t restored = 0;
    for (auto _ : state) {
        state.PauseTiming();
        auto engine = std::make_unique<bench::StartedEngine>(setup.gl->device.get());
        forgetPeakResident();
        state.ResumeTiming();
        engine->openScene(bench::sceneFolder(), setup.session);
        state.PauseTiming();
        peak = std::max(peak, peakResidentMegabytes());
        const LCourse_t* course = engine->app().editor.current();
        restored = course != nullptr ? course->xfilePlacements.size() : 0;
        engine.reset();
        state.ResumeTiming();
    }
    if (restored != setup.session.meshes.size()) {
        state.SkipWithError("not every placement was restored");
    }
    state.counters["placements"] = static_cast<double>(restored);
    state.counters["peak_resident_mb"] = peak;
    state.SetItemsProcessed(state.iterations() * state.range(0));
}
BENCHMARK(BM_RestoreManyPlacements)
    ->Arg(1000)
    ->Arg(10000)
    ->Arg(100000)
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime();

// The scenes of the drawing benchmarks, by number: the sample scene's meshes replaced by
// 10,000 placements scattered around where they stood; 100,000 along the whole road;
// 2,000 crowded into the stretch of road ahead of the view.
constexpr int kScatteredCrowd = 0;
constexpr int kRoadCrowd = 1;
constexpr int kCrowdAhead = 2;

bool crowdScene(int crowd, IDirect3DDevice9* device, LSession_t* session, std::string* error) {
    switch (crowd) {
    case kScatteredCrowd:
        return manyPlacementScene(10000, session, error);
    case kRoadCrowd:
        return bench::roadPlacementScene(device, 100000, 0, 100000, session, error);
    case kCrowdAhead:
        return bench::roadPlacementScene(device, 2000, 0, 60, session, error);
    default:
        *error = "no such scene";
        return false;
    }
}

// The placed meshes of the current course that the device's view shows, by mesh.
std::vector<std::pair<MeshObject*, std::vector<D3DXMATRIX>>>
meshesInView(CEngineApp& app, IDirect3DDevice9* device) {
    D3DXMATRIX view;
    D3DXMATRIX projection;
    device->GetTransform(D3DTS_VIEW, &view);
    device->GetTransform(D3DTS_PROJECTION, &projection);
    const ViewFrustum frustum(view * projection);
    const LCourse_t& course = *app.editor.current();
    std::vector<std::pair<MeshObject*, std::vector<D3DXMATRIX>>> shown;
    for (const XfilePlacement& placement : course.xfilePlacements) {
        const MeshBounds* bounds = course.meshes.boundsOf(placement.mesh.get());
        const D3DXMATRIX& world = course.xfilePlacements.body(placement).world;
        if (bounds == nullptr || frustum.excludes(bounds->centre, bounds->radius, world)) {
            continue;
        }
        auto group = std::find_if(shown.begin(), shown.end(),
                                  [&](const auto& g) { return g.first == placement.mesh.get(); });
        if (group == shown.end()) {
            group = shown.insert(shown.end(), {placement.mesh.get(), {}});
        }
        group->second.push_back(world);
    }
    return shown;
}

// A GL device, and an engine on it with the crowd's scene in Play, the per-body work on
// two threads, after the first frame (which uploads the meshes).
struct PlayedCrowd {
    std::unique_ptr<bench::GlDevice> gl;
    std::unique_ptr<bench::StartedEngine> engine;
};

// The crowd of the benchmark's first argument; none, the benchmark skipped, when there
// is no GL context or the scene cannot be made.
std::optional<PlayedCrowd> playCrowd(benchmark::State& state) {
    std::string error;
    std::unique_ptr<bench::GlDevice> gl = bench::GlDevice::open(&error);
    LSession_t session;
    if (!gl || !crowdScene(static_cast<int>(state.range(0)), gl->device.get(), &session, &error)) {
        state.SkipWithError(error.c_str());
        return std::nullopt;
    }
    auto engine = std::make_unique<bench::StartedEngine>(gl->device.get());
    engine->openScene(bench::sceneFolder(), session);
    CEngineApp& app = engine->app();
    app.simulation.setThreads(2);
    app.selectTab(TAB_PLAY);
    app.frameMove();
    app.render();
    glFinish();
    std::size_t inView = 0;
    for (const auto& [mesh, worlds] : meshesInView(app, gl->device.get())) {
        inView += worlds.size();
    }
    state.counters["placements"] =
        static_cast<double>(app.editor.current()->xfilePlacements.size());
    state.counters["in view"] = static_cast<double>(inView);
    state.SetLabel(gl->context->renderer());
    return PlayedCrowd{std::move(gl), std::move(engine)};
}

// One frame of Play of a crowd: the step, the drawing, and the wait for the rasterizer.
void BM_FrameCrowd(benchmark::State& state) {
    const std::optional<PlayedCrowd> crowd = playCrowd(state);
    if (!crowd) {
        return;
    }
    CEngineApp& app = crowd->engine->app();
    for (auto _ : state) {
        app.frameMove();
        app.render();
        glFinish();
    }
}
BENCHMARK(BM_FrameCrowd)
    ->Arg(kScatteredCrowd)
    ->Arg(kRoadCrowd)
    ->Arg(kCrowdAhead)
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime();

// The floor under a crowd's frame: the meshes its view shows, lit as the frame lights
// them, drawn with one instanced draw per mesh and nothing else (no step, no course, no
// sky, no text), and the wait for the rasterizer.
void BM_DrawCrowdFloor(benchmark::State& state) {
    const std::optional<PlayedCrowd> crowd = playCrowd(state);
    if (!crowd) {
        return;
    }
    IDirect3DDevice9* device = crowd->gl->device.get();
    const auto shown = meshesInView(crowd->engine->app(), device);
    InstancedMeshes instances;
    for (auto _ : state) {
        device->Clear(0, nullptr, D3DCLEAR_TARGET | D3DCLEAR_ZBUFFER, 0, 1.0f, 0);
        device->BeginScene();
        for (const auto& [mesh, worlds] : shown) {
            (void)instances.draw(device, *mesh, worlds);
        }
        device->EndScene();
        glFinish();
    }
}
BENCHMARK(BM_DrawCrowdFloor)
    ->Arg(kScatteredCrowd)
    ->Arg(kRoadCrowd)
    ->Arg(kCrowdAhead)
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime();

} // namespace

BENCHMARK_MAIN();
