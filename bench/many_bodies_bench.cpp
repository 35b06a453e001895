// A frame of 100,000 bodies, with the per-body work on one thread and on two: the
// whole frame by the clock, since the point is the time a frame takes with help.
#include <benchmark/benchmark.h>

#include <cmath>
#include <malloc.h>
#include <span>
#include <vector>

#include "BenchScene.h"
#include "simulation/BroadPhase.h"

namespace {

// The course of the standard pack holds about 4,700 units of road: 100,000 bodies in
// rows of 15 lanes 2.4 apart would be packed 0.7 apart along it. Laid five times as
// large, the loop is about 23,500 units round, and the rows start about 3.5 apart.
constexpr float kLargeCourseScale = 5.0f;

std::size_t bytesInUse() {
    return mallinfo2().uordblks;
}

// Pairs of bodies closer over the ground than the sum of their radii: the broad phase
// lists every such pair.
int overlappingPairs(const CEngineApp& app) {
    std::vector<BroadPhase::Sphere> spheres;
    for (const CSceneObject& body : app.editor.current()->xfilePlacements.bodies().all()) {
        const D3DXVECTOR3& p = body.position;
        spheres.push_back({p.x, p.y, p.z, body.radius});
    }
    BroadPhase phase;
    phase.build(spheres);
    int overlapping = 0;
    phase.findCandidates([&](std::span<const PairFinder::Candidate> pairs) {
        for (const PairFinder::Candidate& pair : pairs) {
            const BroadPhase::Sphere& a = spheres[pair.first];
            const BroadPhase::Sphere& b = spheres[pair.second];
            overlapping += std::hypot(a.x - b.x, a.z - b.z) < a.radius + b.radius ? 1 : 0;
        }
        return true;
    });
    return overlapping;
}

// The road's length round the loop, along its centre.
double loopLength(const LCourse_t& course) {
    const int samples = course.track->sampleCount();
    double length = 0;
    for (int i = 0; i < samples; ++i) {
        D3DXVECTOR3 a, b, across;
        bench::roadFrame(course, i, &a, &across);
        bench::roadFrame(course, (i + 1) % samples, &b, &across);
        length += std::hypot(static_cast<double>(b.x - a.x), static_cast<double>(b.z - a.z));
    }
    return length;
}

// range(0) bodies, range(1) threads. The memory the bodies take is what the heap holds
// after their first frame (the placements, their bodies and the frame's scratch) less
// what it held with the course alone.
void BM_FrameStepThreads(benchmark::State& state) {
    bench::Engine engine;
    const int n = static_cast<int>(state.range(0));
    const LCourse_t& course =
        engine.createLoopCourse(bench::kCoursePoints, bench::kCourseRadius, kLargeCourseScale);
    const std::size_t before = bytesInUse();
    bench::spreadBodies(*engine.app, n, bench::kBodySpacing, 1234);
    const int overlapping = overlappingPairs(*engine.app);
    engine.app->selectTab(TAB_PLAY);
    engine.app->simulation.setThreads(static_cast<int>(state.range(1)));
    engine.app->frameMove();
    const double perBody = static_cast<double>(bytesInUse() - before) / static_cast<double>(n);
    for (auto _ : state) {
        engine.app->frameMove();
    }
    state.SetItemsProcessed(state.iterations() * n);
    state.counters["bytes per body"] = perBody;
    state.counters["overlapping at start"] = overlapping;
    state.counters["loop length"] = loopLength(course);
}
// Fixed frame counts keep both thread counts on the same frames of the scene.
BENCHMARK(BM_FrameStepThreads)
    ->Args({100000, 1})
    ->Args({100000, 2})
    ->Iterations(20)
    ->UseRealTime()
    ->Unit(benchmark::kMillisecond);

} // namespace
