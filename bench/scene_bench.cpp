// Opening a large scene and drawing it: the sample scene's course, bitmaps and sounds with
// thousands of placed meshes of five files, restored through the engine on the GL device
// under a headless EGL context, and one frame of it. Run from the project root.
#include <benchmark/benchmark.h>

#include <algorithm>
#include <epoxy/gl.h>
#include <fstream>
#include <memory>
#include <string>
#include <sys/resource.h>

#include "GlEngine.h"
#include "ManyPlacements.h"
#include "RoadPlacements.h"
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

// One frame (step, draw, and the wait for the rasterizer) with every placement drawn.
void BM_FrameManyPlacements(benchmark::State& state) {
    Setup setup;
    if (!setUp(state, &setup)) {
        return;
    }
    bench::StartedEngine engine(setup.gl->device.get());
    engine.openScene(bench::sceneFolder(), setup.session);
    CEngineApp& app = engine.app();
    app.selectTab(TAB_PLAY);
    app.frameMove();
    app.render(); // the first frame uploads the meshes
    glFinish();
    state.counters["placements"] =
        app.editor.current() != nullptr
            ? static_cast<double>(app.editor.current()->xfilePlacements.size())
            : 0;
    state.SetLabel(setup.gl->context->renderer());
    for (auto _ : state) {
        app.frameMove();
        app.render();
        glFinish();
    }
}
BENCHMARK(BM_FrameManyPlacements)->Arg(10000)->Unit(benchmark::kMillisecond)->UseRealTime();

// How many of the current course's placed meshes the device's view shows.
int meshesInView(CEngineApp& app, IDirect3DDevice9* device) {
    D3DXMATRIX view;
    D3DXMATRIX projection;
    device->GetTransform(D3DTS_VIEW, &view);
    device->GetTransform(D3DTS_PROJECTION, &projection);
    const ViewFrustum frustum(view * projection);
    const LCourse_t& course = *app.editor.current();
    int shown = 0;
    for (const XfilePlacement& placement : course.xfilePlacements) {
        const MeshBounds* bounds = course.meshes.boundsOf(placement.mesh.get());
        shown +=
            bounds != nullptr && !frustum.excludes(bounds->centre, bounds->radius,
                                                   course.xfilePlacements.body(placement).world)
                ? 1
                : 0;
    }
    return shown;
}

// One frame of Play (step, draw, and the wait for the rasterizer) with n placements laid
// along the road (bench::roadPlacementScene): over the whole loop, or crowded into a
// stretch just ahead of the view. The per-body work runs on `threads` threads.
void BM_FrameRoadPlacements(benchmark::State& state) {
    std::string error;
    const std::unique_ptr<bench::GlDevice> gl = bench::GlDevice::open(&error);
    LSession_t session;
    const int n = static_cast<int>(state.range(0));
    const int along = static_cast<int>(state.range(1));
    if (!gl || !bench::roadPlacementScene(gl->device.get(), n, 0, along, &session, &error)) {
        state.SkipWithError(error.c_str());
        return;
    }
    bench::StartedEngine engine(gl->device.get());
    engine.openScene(bench::sceneFolder(), session);
    CEngineApp& app = engine.app();
    app.simulation.setThreads(static_cast<int>(state.range(2)));
    app.selectTab(TAB_PLAY);
    app.frameMove();
    app.render(); // the first frame uploads the meshes
    glFinish();
    state.counters["placements"] =
        static_cast<double>(app.editor.current()->xfilePlacements.size());
    state.counters["in view"] = meshesInView(app, gl->device.get());
    state.SetLabel(gl->context->renderer());
    for (auto _ : state) {
        app.frameMove();
        app.render();
        glFinish();
    }
}
// 100,000 over the whole road on two threads; 2,000 crowded into the first 60 samples.
BENCHMARK(BM_FrameRoadPlacements)
    ->Args({100000, 100000, 2})
    ->Args({2000, 60, 2})
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime();

} // namespace

BENCHMARK_MAIN();
