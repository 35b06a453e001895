// The engine's per-frame work and course building, at the sizes where their cost grows.
#include <benchmark/benchmark.h>

#include <cstdint>
#include <limits>
#include <memory>
#include <random>
#include <vector>

#include "BenchScene.h"
#include "course/StripGrid.h"
#include "simulation/CoincidentCentres.h"
#include "simulation/SurfaceQuery.h"
#include "support/AllPairs.h"

namespace {

using bench::kBodySpacing;
using bench::kCoursePoints;
using bench::kCourseRadius;

// The frame step in play mode with n bodies rolling over the road, or the same bodies
// moved `offCourse` units away along x. Both pair searches run the same frames of the
// same scene. The reference finder pairs every body with every other.
void frameStep(benchmark::State& state, bool allPairs, float offCourse = 0) {
    bench::Engine engine;
    const int n = static_cast<int>(state.range(0));
    bench::layPack(engine, n);
    for (CSceneObject& body : engine.app->editor.current()->xfilePlacements.bodies().all()) {
        body.position.x += offCourse;
        body.stepPosition = body.position;
    }
    engine.app->selectTab(TAB_PLAY);
    if (allPairs) {
        engine.app->simulation.usePairFinder(std::make_unique<AllPairs>());
    }
    engine.app->frameMove(); // builds what the step keeps between frames
    for (auto _ : state) {
        engine.app->frameMove();
    }
    state.SetItemsProcessed(state.iterations() * n);
    state.counters["samples"] = engine.app->editor.current()->track->sampleCount();
}

void BM_FrameStepAllPairs(benchmark::State& state) {
    frameStep(state, true);
}
void BM_FrameStepGrid(benchmark::State& state) {
    frameStep(state, false);
}
// Fixed frame counts keep both searches on the same frames of the scene.
BENCHMARK(BM_FrameStepAllPairs)->Arg(100)->Iterations(1000)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_FrameStepAllPairs)->Arg(1000)->Iterations(100)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_FrameStepAllPairs)->Arg(10000)->Iterations(20)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_FrameStepGrid)->Arg(100)->Iterations(1000)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_FrameStepGrid)->Arg(1000)->Iterations(100)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_FrameStepGrid)->Arg(10000)->Iterations(20)->Unit(benchmark::kMicrosecond);

// The pack 5,000 units off the course (second argument 1) and on its road (0), the same
// frames: with no surface under any body, a frame must cost no more than twice as much.
void BM_FrameStepOffCourse(benchmark::State& state) {
    frameStep(state, false, state.range(1) == 0 ? 0.0f : 5000.0f);
}
BENCHMARK(BM_FrameStepOffCourse)
    ->Args({1000, 0})
    ->Args({1000, 1})
    ->Iterations(20)
    ->Unit(benchmark::kMicrosecond);

// The first frame of n fresh bodies placed by `place`, each iteration on a scene built
// anew outside the timing; with the pair tests it made.
template <typename Place>
void firstFrame(benchmark::State& state, Place place) {
    bench::Engine engine;
    LCourse_t& course = engine.createLoopCourse(kCoursePoints, kCourseRadius);
    const int n = static_cast<int>(state.range(0));
    engine.app->selectTab(TAB_PLAY);
    std::uint64_t tests = 0;
    for (auto _ : state) {
        state.PauseTiming();
        course.xfilePlacements.clear();
        place(*engine.app, n);
        const std::uint64_t before = engine.app->simulation.pairTests();
        state.ResumeTiming();
        engine.app->frameMove();
        tests += engine.app->simulation.pairTests() - before;
    }
    state.SetItemsProcessed(state.iterations() * n);
    state.counters["pair tests"] =
        static_cast<double>(tests) / static_cast<double>(state.iterations());
}

// n bodies at one spot (a pile "assign" makes when pressed over and over) against the
// pack above: a pile must cost no more than a pack of colliding bodies.
void BM_FirstFrameOfAPile(benchmark::State& state) {
    firstFrame(state, [](CEngineApp& app, int n) {
        D3DXVECTOR3 centre;
        D3DXVECTOR3 across;
        bench::roadFrame(*app.editor.current(), 0, &centre, &across);
        for (int k = 0; k < n; ++k) {
            bench::placeBody(app, centre, 1.0f);
        }
    });
}
// The same number of bodies heaped round the same spot, each overlapping its neighbours
// (about 1.9 apart, radius 1) but no two at one centre.
void BM_FirstFrameOfATouchingHeap(benchmark::State& state) {
    firstFrame(state, [](CEngineApp& app, int n) {
        D3DXVECTOR3 centre;
        D3DXVECTOR3 across;
        bench::roadFrame(*app.editor.current(), 0, &centre, &across);
        const double golden = M_PI * (3.0 - std::sqrt(5.0));
        for (int k = 0; k < n; ++k) {
            const double out = std::sqrt(static_cast<double>(k));
            const D3DXVECTOR3 offset(static_cast<float>(out * std::cos(golden * k)), 0,
                                     static_cast<float>(out * std::sin(golden * k)));
            bench::placeBody(app, centre + offset, 1.0f);
        }
    });
}
// And spread along the whole road like the frames above.
void BM_FirstFrameOfAPack(benchmark::State& state) {
    firstFrame(state,
               [](CEngineApp& app, int n) { bench::scatterBodies(app, n, kBodySpacing, 1234); });
}
BENCHMARK(BM_FirstFrameOfAPile)->Arg(10000)->Iterations(20)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_FirstFrameOfATouchingHeap)->Arg(10000)->Iterations(20)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_FirstFrameOfAPack)->Arg(10000)->Iterations(20)->Unit(benchmark::kMicrosecond);

// What looking for shared centres costs every frame of a scene that has none (the
// bodies of the frames above).
void BM_CoincidentCentresCheck(benchmark::State& state) {
    bench::Engine engine;
    bench::layPack(engine, static_cast<int>(state.range(0)));
    const std::span<CSceneObject> bodies =
        engine.app->editor.current()->xfilePlacements.bodies().all();
    std::vector<PairFinder::Sphere> spheres;
    for (const CSceneObject& body : bodies) {
        spheres.push_back({body.position.x, body.position.y, body.position.z, body.radius});
    }
    CoincidentCentres check;
    for (auto _ : state) {
        benchmark::DoNotOptimize(check.separate(spheres, bodies));
    }
    state.SetItemsProcessed(state.iterations() * state.range(0));
}
BENCHMARK(BM_CoincidentCentresCheck)->Arg(100)->Arg(10000)->Unit(benchmark::kMicrosecond);

// A small scene with one body at NaN (a speed that overflowed, say) among the others:
// it must not cost them (it made every frame 30 times slower).
void BM_FrameStepWithANanBody(benchmark::State& state) {
    bench::Engine engine;
    const int n = static_cast<int>(state.range(0));
    bench::layPack(engine, n);
    const float nan = std::numeric_limits<float>::quiet_NaN();
    bench::placeBody(*engine.app, D3DXVECTOR3(nan, 0, nan), 1.0f);
    engine.app->selectTab(TAB_PLAY);
    engine.app->frameMove();
    for (auto _ : state) {
        engine.app->frameMove();
    }
    state.SetItemsProcessed(state.iterations() * n);
}
BENCHMARK(BM_FrameStepWithANanBody)->Arg(100)->Iterations(1000)->Unit(benchmark::kMicrosecond);

// Points over the whole cross-section of the loop (road, edges, banks), each with the
// row where it was found as its hint, as a body has from its previous frame.
struct QueryPoints {
    std::vector<D3DXVECTOR3> points;
    std::vector<int> hints;
};

QueryPoints queryPoints(const LCourse_t& course, int count) {
    QueryPoints q;
    std::mt19937 random(99);
    std::uniform_int_distribution<int> sample(0, course.track->sampleCount() - 1);
    std::uniform_real_distribution<float> offset(-26.0f, 26.0f);
    while (static_cast<int>(q.points.size()) < count) {
        D3DXVECTOR3 centre;
        D3DXVECTOR3 across;
        bench::roadFrame(course, sample(random), &centre, &across);
        const D3DXVECTOR3 p = centre + across * offset(random);
        SurfaceHit hit;
        if (findSurfaceByScan(course.strips, p.x, p.z, -1000, 1000, &hit)) {
            q.points.push_back(p);
            q.hints.push_back(hit.row);
        }
    }
    return q;
}

void BM_SurfaceQueryHinted(benchmark::State& state) {
    bench::Engine engine;
    const LCourse_t& course = engine.createLoopCourse(kCoursePoints, kCourseRadius);
    const QueryPoints q = queryPoints(course, 1024);
    std::size_t k = 0;
    for (auto _ : state) {
        SurfaceHit hit;
        benchmark::DoNotOptimize(findSurface(course.strips, q.points[k].x, q.points[k].z, -1000,
                                             1000, q.hints[k], 0, &hit));
        k = (k + 1) % q.points.size();
    }
    state.SetItemsProcessed(state.iterations());
}
BENCHMARK(BM_SurfaceQueryHinted);

void BM_SurfaceQueryScan(benchmark::State& state) {
    bench::Engine engine;
    const LCourse_t& course = engine.createLoopCourse(kCoursePoints, kCourseRadius);
    const QueryPoints q = queryPoints(course, 1024);
    std::size_t k = 0;
    for (auto _ : state) {
        SurfaceHit hit;
        benchmark::DoNotOptimize(
            findSurfaceByScan(course.strips, q.points[k].x, q.points[k].z, -1000, 1000, &hit));
        k = (k + 1) % q.points.size();
    }
    state.SetItemsProcessed(state.iterations());
}
BENCHMARK(BM_SurfaceQueryScan);

// The hinted search through the surface grid that the frame's surface following uses.
void BM_SurfaceQueryIndexed(benchmark::State& state) {
    bench::Engine engine;
    const LCourse_t& course = engine.createLoopCourse(kCoursePoints, kCourseRadius);
    const QueryPoints q = queryPoints(course, 1024);
    SurfaceIndex index;
    bench::require(index.sync(course.strips, SurfaceIndex::kQueriesWorthABuild), "surface index");
    std::size_t k = 0;
    for (auto _ : state) {
        SurfaceHit hit;
        benchmark::DoNotOptimize(index.find(course.strips, q.points[k].x, q.points[k].z, -1000,
                                            1000, q.hints[k], 0, &hit));
        k = (k + 1) % q.points.size();
    }
    state.SetItemsProcessed(state.iterations());
}
BENCHMARK(BM_SurfaceQueryIndexed);

// Building the surface grid of a 5,000-sample course (once per course shape).
void BM_SurfaceIndexBuild(benchmark::State& state) {
    bench::Engine engine;
    const LCourse_t& course = engine.createLoopCourse(kCoursePoints, kCourseRadius);
    for (auto _ : state) {
        SurfaceIndex index;
        benchmark::DoNotOptimize(index.sync(course.strips, SurfaceIndex::kQueriesWorthABuild));
    }
}
BENCHMARK(BM_SurfaceIndexBuild)->Unit(benchmark::kMillisecond);

// The whole creation of a course from the clicked points: spline, track, strips, field.
void BM_CreateCourse(benchmark::State& state) {
    bench::Engine engine;
    engine.layLoop(kCoursePoints, kCourseRadius);
    const auto item = reinterpret_cast<HTREEITEM>(static_cast<std::uintptr_t>(0x2000));
    for (auto _ : state) {
        bench::require(engine.app->createCourse(item), "createCourse");
        state.PauseTiming();
        bench::require(engine.app->edits.deleteCourse(item) ? S_OK : E_FAIL, "deleteCourse");
        state.ResumeTiming();
    }
    state.SetItemsProcessed(state.iterations());
}
BENCHMARK(BM_CreateCourse)->Unit(benchmark::kMillisecond);

void BM_RegenerateCourse(benchmark::State& state) {
    bench::Engine engine;
    engine.createLoopCourse(kCoursePoints, kCourseRadius);
    for (auto _ : state) {
        engine.app->regenerateCurrentCourse();
    }
    state.SetItemsProcessed(state.iterations());
}
BENCHMARK(BM_RegenerateCourse)->Unit(benchmark::kMillisecond);

// The bank-top smoothing that dominates course creation: 100 passes over both rows.
void BM_BankSmoothing(benchmark::State& state) {
    bench::Engine engine;
    const CCourseTrack track = *engine.createLoopCourse(kCoursePoints, kCourseRadius).track;
    for (auto _ : state) {
        state.PauseTiming();
        CCourseTrack copy = track;
        state.ResumeTiming();
        copy.smooth(6, CCourseTrack::kSmoothingPasses);
        copy.smooth(1, CCourseTrack::kSmoothingPasses);
        benchmark::DoNotOptimize(copy.point(1, 0));
    }
}
BENCHMARK(BM_BankSmoothing)->Unit(benchmark::kMillisecond);

} // namespace

BENCHMARK_MAIN();
