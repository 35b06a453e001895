// The frame's per-body work shared among threads: every body ends each frame exactly as
// it does on one thread, to the bit, and so does what the footprint samples leave.
#include <array>
#include <bit>
#include <cmath>
#include <cstdint>
#include <gtest/gtest.h>
#include <limits>
#include <memory>
#include <random>
#include <utility>
#include <vector>

#include "BodyState.h"
#include "simulation/SurfaceQuery.h"
#include "support/Bodies.h"
#include "support/BodyOf.h"
#include "support/EngineFixture.h"

namespace {

constexpr int kBodies = 420;
constexpr int kFrames = 600;
// Every engine beyond the first must split its bodies into as many parts as it has
// threads, or the comparison would prove nothing.
static_assert(kBodies >= 3 * Simulation::kLeastBodiesPerThread);

class ThreadCount : public EngineFixture {
protected:
    // An engine on a banked loop with the scene below, working its bodies on `threads`
    // threads.
    std::unique_ptr<CEngineApp> bankedScene(IDirect3DDevice9* on, int threads,
                                            int bodies = kBodies) {
        std::unique_ptr<CEngineApp> engine = startedEngine(on);
        std::swap(app, engine);
        LCourse_t& course = createLoopCourse(5, 25);
        for (auto& point : course.calculatedPoints) {
            point.pitch = 0.3f;
        }
        app->regenerateCurrentCourse();
        populate(*app, bodies);
        app->simulation.setThreads(threads);
        app->selectTab(TAB_PLAY);
        std::swap(app, engine);
        return engine;
    }

    // Bodies over the road, its edges and banks, turned every way and rolling off fast
    // enough to reach the edges; every fifth starts overlapping the one before it; a
    // few lie off the course (in the middle of the loop, far away) and one at NaN.
    static void populate(CEngineApp& engine, int bodies) {
        const LCourse_t& course = *engine.editor.current();
        std::mt19937 random(17);
        std::uniform_real_distribution<float> unit(0.0f, 1.0f);
        D3DXVECTOR3 middle(0, 0, 0);
        for (int k = 0; k < bodies; ++k) {
            const int sample = static_cast<int>(unit(random) * course.track->sampleCount());
            const auto [right, left] = course.track->pair(3, sample);
            const D3DXVECTOR3 across(right.z - left.z, 0, right.x - left.x);
            D3DXVECTOR3 at = roadCentre(course, sample) + across * (1.3f * unit(random) - 0.65f);
            middle += roadCentre(course, sample) / static_cast<float>(bodies);
            if (k % 5 == 4) {
                at = course.xfilePlacements.bodies().all().back().position +
                     D3DXVECTOR3(1.2f, 0, 0.6f);
            }
            CSceneObject& body = bodyOf(engine, placeBody(engine, at));
            body.speed = 0.8f * unit(random);
            const float angle = unit(random) * 2 * static_cast<float>(M_PI);
            body.direction = D3DXVECTOR3(std::cos(angle), 0, std::sin(angle));
            body.yaw = 2 * unit(random) - 1;
            body.motionState = MOTION_ROLL;
        }
        placeBody(engine, middle);
        placeBody(engine, middle + D3DXVECTOR3(3, 0, 1));
        placeBody(engine, D3DXVECTOR3(4000, 0, -4000));
        const float nan = std::numeric_limits<float>::quiet_NaN();
        placeBody(engine, D3DXVECTOR3(nan, 0, nan));
    }
};

TEST_F(ThreadCount, BodiesEndEveryFrameAlikeOnOneTwoAndThreeThreads) {
    std::array<ComPtr<RecordingDevice>, 3> devices;
    std::array<std::unique_ptr<CEngineApp>, 3> engines;
    for (int k = 0; k < 3; ++k) {
        devices[k] = RecordingDevice::create(kWidth, kHeight);
        engines[k] = bankedScene(devices[k].get(), k + 1);
    }
    const CEngineApp& serial = *engines[0];
    long contacts = 0;
    long bounces = 0;
    for (int frame = 0; frame < kFrames; ++frame) {
        for (auto& engine : engines) {
            engine->frameMove();
        }
        for (int k = 1; k < 3; ++k) {
            ASSERT_TRUE(sameBodies(*serial.editor.current(), *engines[k]->editor.current()))
                << k + 1 << " threads, frame " << frame;
            ASSERT_TRUE(sameBits(serial.simulation.footprintHeights(),
                                 engines[k]->simulation.footprintHeights()))
                << k + 1 << " threads, frame " << frame;
        }
        for (const CSceneObject& body : serial.editor.current()->xfilePlacements.bodies().all()) {
            contacts += body.motionState == MOTION_COAST ? 1 : 0;
            bounces += body.bounceSpeed != 0 ? 1 : 0;
        }
    }
    int offCourse = 0;
    for (const CSceneObject& body : serial.editor.current()->xfilePlacements.bodies().all()) {
        const D3DXVECTOR3& p = body.position;
        SurfaceHit hit;
        offCourse +=
            findSurfaceByScan(serial.editor.current()->strips, p.x, p.z, -1000, 1000, &hit) ? 0 : 1;
    }
    // The scene must do what it is there for: bodies meeting, bouncing off the edges
    // and lying where the footprint finds nothing.
    EXPECT_GT(contacts, 200);
    EXPECT_GT(bounces, 100);
    EXPECT_GE(offCourse, 4);
}

// Agreeing with one thread does not notice a change that moves every count alike: the
// whole state after a long run is pinned, for every count up to four, with enough bodies
// that four threads take a part each. When a change to the step is meant to move the
// bodies, the failing check prints the new hash: put it here, and say in the commit why
// the motion changed. Builds by GCC and by Clang, and the sanitizers' -O1 builds, end in
// the same bits.
TEST_F(ThreadCount, WholeStateAfterALongRunIsPinnedOnEveryCount) {
    constexpr int kPinnedBodies = 520;
    static_assert(kPinnedBodies >= 4 * Simulation::kLeastBodiesPerThread);
    constexpr std::uint64_t kPinnedHash = 0xeed494a1a6d53ad8ull;
    for (int threads = 1; threads <= 4; ++threads) {
        auto otherDevice = RecordingDevice::create(kWidth, kHeight);
        std::unique_ptr<CEngineApp> engine = bankedScene(otherDevice.get(), threads, kPinnedBodies);
        for (int frame = 0; frame < kFrames; ++frame) {
            engine->frameMove();
        }
        std::uint64_t hash = wholeStateHash(*engine->editor.current());
        for (const float height : engine->simulation.footprintHeights()) {
            hash = hash * 1099511628211ull ^ std::bit_cast<std::uint32_t>(height);
        }
        EXPECT_EQ(hash, kPinnedHash) << threads << " threads: the final state hashes to "
                                     << std::hex << std::showbase << hash;
    }
}

// The count may change between frames: the threads are started anew, the results stay.
TEST_F(ThreadCount, ChangingTheCountBetweenFramesChangesNothing) {
    auto otherDevice = RecordingDevice::create(kWidth, kHeight);
    std::unique_ptr<CEngineApp> serial = bankedScene(device.get(), 1);
    std::unique_ptr<CEngineApp> changing = bankedScene(otherDevice.get(), 2);
    for (int frame = 0; frame < 120; ++frame) {
        changing->simulation.setThreads(1 + frame / 10 % 4);
        serial->frameMove();
        changing->frameMove();
        ASSERT_TRUE(sameBodies(*serial->editor.current(), *changing->editor.current()))
            << changing->simulation.threads() << " threads, frame " << frame;
    }
    // Counts no pool can start are taken as the nearest it can.
    for (const auto& [asked, taken] :
         {std::pair{0, 1}, std::pair{-3, 1}, std::pair{1000, WorkerPool::kMostThreads}}) {
        changing->simulation.setThreads(asked);
        EXPECT_EQ(changing->simulation.threads(), taken);
        serial->frameMove();
        changing->frameMove();
        ASSERT_TRUE(sameBodies(*serial->editor.current(), *changing->editor.current()))
            << asked << " threads asked";
    }
}

// The bodies are cut into one contiguous part per thread: with one body short of three
// parts' worth, exactly that and one more, each body is moved once, as on one thread.
TEST_F(ThreadCount, BodiesAtTheEdgesOfThePartsAreEachMovedOnce) {
    constexpr int kThreeParts = 3 * static_cast<int>(Simulation::kLeastBodiesPerThread);
    for (const int bodies : {kThreeParts - 1, kThreeParts, kThreeParts + 1}) {
        auto otherDevice = RecordingDevice::create(kWidth, kHeight);
        std::unique_ptr<CEngineApp> serial = bankedScene(device.get(), 1);
        std::unique_ptr<CEngineApp> shared = bankedScene(otherDevice.get(), 3);
        for (CEngineApp* engine : {serial.get(), shared.get()}) {
            auto& list = engine->editor.current()->xfilePlacements;
            ASSERT_GE(static_cast<int>(list.size()), bodies);
            while (static_cast<int>(list.size()) > bodies) {
                list.erase(std::prev(list.end()));
            }
        }
        // Not merely alike: a body skipped on every count would be alike too.
        std::vector<std::pair<std::size_t, D3DXVECTOR3>> rolling;
        const Bodies& sharedBodies = shared->editor.current()->xfilePlacements.bodies();
        for (std::size_t i = 0; i < sharedBodies.size(); ++i) {
            if (sharedBodies.all()[i].speed > 0.01f) {
                rolling.emplace_back(i, sharedBodies.all()[i].position);
            }
        }
        ASSERT_GT(rolling.size(), static_cast<std::size_t>(bodies / 2));
        for (int frame = 0; frame < 60; ++frame) {
            serial->frameMove();
            shared->frameMove();
            ASSERT_TRUE(sameBodies(*serial->editor.current(), *shared->editor.current()))
                << bodies << " bodies, frame " << frame;
            for (const auto& [index, start] : rolling) {
                const CSceneObject& body = sharedBodies.all()[index];
                ASSERT_TRUE(frame > 0 || body.position.x != start.x || body.position.z != start.z)
                    << bodies << " bodies: one did not move";
            }
        }
    }
}

// Hears nothing: the pairs' responses are what is compared.
class NoSounds final : public ContactListener {
public:
    void contact(const XfilePlacement&, const XfilePlacement&) override {}
};

// A play frame settles each body in the step's own pass, right after its move. Against
// the step, the movement sounds' turn and a settle on their own: the same bodies and
// samples every frame, on one thread and on three, and the turn between sees the same
// speeds (the bounces off the edges come after it). Every 20th frame two bodies are
// moved to one spot, so that the step spreads them after their following and the
// following must be made again.
TEST_F(ThreadCount, APlayFrameSettlesAsAStepThenASettleDo) {
    auto device1 = RecordingDevice::create(kWidth, kHeight);
    auto device3 = RecordingDevice::create(kWidth, kHeight);
    std::unique_ptr<CEngineApp> apart = bankedScene(device.get(), 1);
    std::array<std::unique_ptr<CEngineApp>, 2> played = {bankedScene(device1.get(), 1),
                                                         bankedScene(device3.get(), 3)};
    NoSounds sounds;
    // As bits, so that a NaN compares as itself.
    const auto speeds = [](const LCourse_t& course) {
        std::vector<std::uint32_t> all;
        for (const CSceneObject& body : course.xfilePlacements.bodies().all()) {
            all.push_back(std::bit_cast<std::uint32_t>(body.speed));
        }
        return all;
    };
    const auto pileUp = [](LCourse_t& course) {
        CSceneObject& first = course.xfilePlacements.bodies().all()[40];
        CSceneObject& second = course.xfilePlacements.bodies().all()[90];
        second.stepPosition = first.stepPosition;
        second.speed = first.speed;
        second.direction = first.direction;
        second.motionState = first.motionState;
        return std::pair{&first, &second};
    };
    int spread = 0;
    for (int frame = 0; frame < 200; ++frame) {
        const bool pile = frame % 20 == 5;
        LCourse_t& reference = *apart->editor.current();
        std::pair<CSceneObject*, CSceneObject*> piled{};
        if (pile) {
            piled = pileUp(reference);
        }
        apart->simulation.step(reference, sounds);
        const std::vector<std::uint32_t> referenceSpeeds = speeds(reference);
        apart->simulation.settle(reference);
        spread += pile && piled.first->position.x != piled.second->position.x ? 1 : 0;
        for (const auto& engine : played) {
            LCourse_t& course = *engine->editor.current();
            if (pile) {
                (void)pileUp(course);
            }
            std::vector<std::uint32_t> between;
            engine->simulation.playFrame(course, sounds, [&] { between = speeds(course); });
            ASSERT_EQ(between, referenceSpeeds)
                << engine->simulation.threads() << " threads, frame " << frame;
            ASSERT_TRUE(sameBodies(reference, course))
                << engine->simulation.threads() << " threads, frame " << frame;
            ASSERT_TRUE(sameBits(apart->simulation.footprintHeights(),
                                 engine->simulation.footprintHeights()))
                << engine->simulation.threads() << " threads, frame " << frame;
        }
    }
    // The piles were spread, or the following was never made again.
    EXPECT_EQ(spread, 10);
}

} // namespace
