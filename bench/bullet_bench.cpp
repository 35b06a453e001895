// The engine's frame step beside Bullet's on the same scene: the pack of the frame-step
// benchmark on the engine's course, in Bullet as balls on a triangle mesh of the
// course's own strip triangles. Both are timed over the same number of frames from
// the same start, and each run reports how many bodies were moving and on the course
// over the timed frames; a run where too few were is reported as an error, INVALID.
#include <benchmark/benchmark.h>

#include <cstdio>

#include "BenchScene.h"
#include "BulletScene.h"
#include "SideBySide.h"
#include "simulation/SurfaceQuery.h"

namespace {

// One second of play, its activity looked at six times.
constexpr int kFrames = bench::kFramesPerSecond;
constexpr int kFramesPerSample = 10;
// Below this share of the bodies moving, or touching the course, the timed frames did
// not simulate the pack.
constexpr double kLeastShare = 0.5;

// The engine carries a body that follows the surface with its centre a fixed height
// above the surface under that centre (twice the radius of the pack's balls); a body
// off the course keeps its last height, and no surface lies under it. The slack
// covers the rounding of that height.
constexpr float kRideSlack = 0.01f;

bench::Activity engineActivity(const LCourse_t& course, const SurfaceIndex& surface) {
    int moving = 0;
    int touching = 0;
    const Bodies& bodies = course.xfilePlacements.bodies();
    for (std::size_t i = 0; i < bodies.size(); ++i) {
        const CSceneObject& body = bodies.all()[i];
        moving += bench::unitsPerSecond(body.speed) > bench::kMovingSpeed ? 1 : 0;
        SurfaceHit hit;
        if (surface.find(course.strips, body.position.x, body.position.z, -bench::kSurfaceReach,
                         bench::kSurfaceReach, bodies.hints()[i].row, 0, &hit)) {
            const float over = body.position.y - hit.height;
            touching += over >= 0 && over <= 2 * body.radius + kRideSlack ? 1 : 0;
        }
    }
    const double n = static_cast<double>(course.xfilePlacements.size());
    return {moving / n, touching / n};
}

// Times the frames of `step`, and every kFramesPerSample frames, outside the timing,
// takes the activity `look` reports: looking at every frame would crowd the caches
// the step works from, and slow down the frames after it.
template <typename Step, typename Look>
void timeFrames(benchmark::State& state, int n, Step step, Look look) {
    bench::ActivityTally tally;
    int frame = 0;
    for (auto _ : state) {
        step();
        if (++frame % kFramesPerSample == 0) {
            state.PauseTiming();
            tally.add(look());
            state.ResumeTiming();
        }
    }
    const bench::Activity mean = tally.mean();
    state.SetItemsProcessed(state.iterations() * n);
    state.counters["moving"] = mean.moving;
    state.counters["touching"] = mean.touching;
    if (mean.moving < kLeastShare || mean.touching < kLeastShare) {
        char message[160];
        std::snprintf(message, sizeof message,
                      "INVALID: over the timed frames %.0f %% of the bodies moved and %.0f %% "
                      "touched the course (at least %.0f %% each)",
                      mean.moving * 100, mean.touching * 100, kLeastShare * 100);
        state.SkipWithError(message);
    }
}

void BM_EngineFrame(benchmark::State& state) {
    bench::Engine engine;
    const int n = static_cast<int>(state.range(0));
    const LCourse_t& course = bench::layPack(engine, n);
    engine.app->selectTab(TAB_PLAY);
    engine.app->frameMove(); // builds what the step keeps between frames
    SurfaceIndex surface;
    bench::require(surface.sync(course.strips, SurfaceIndex::kQueriesWorthABuild), "surface index");
    timeFrames(
        state, n, [&] { engine.app->frameMove(); },
        [&] { return engineActivity(course, surface); });
}

void BM_BulletFrame(benchmark::State& state) {
    bench::Engine engine;
    const int n = static_cast<int>(state.range(0));
    bench::BulletScene bullet(bench::layPack(engine, n));
    bullet.step(); // as the engine's first frame, outside the timing
    timeFrames(
        state, n, [&] { bullet.step(); }, [&] { return bullet.activity(); });
}

BENCHMARK(BM_EngineFrame)
    ->Arg(1000)
    ->Arg(10000)
    ->Iterations(kFrames)
    ->Unit(benchmark::kMillisecond);
BENCHMARK(BM_BulletFrame)
    ->Arg(1000)
    ->Arg(10000)
    ->Iterations(kFrames)
    ->Unit(benchmark::kMillisecond);

} // namespace

BENCHMARK_MAIN();
