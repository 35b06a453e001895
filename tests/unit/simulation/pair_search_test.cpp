// The frame's pair search: the broad phase never leaves out a pair that the exact
// contact test accepts, and the step with it gives, frame after frame, bit for bit the
// bodies that the loop over every pair gives.
#include <algorithm>
#include <cmath>
#include <gtest/gtest.h>
#include <limits>
#include <memory>
#include <random>
#include <span>
#include <utility>
#include <vector>

#include "BodyState.h"
#include "simulation/BroadPhase.h"
#include "support/AllPairs.h"
#include "support/Bodies.h"
#include "support/BodyOf.h"
#include "support/EngineFixture.h"

namespace {

// The contact rule of CEngineApp::testPair, on the same float operations.
bool touching(const BroadPhase::Sphere& a, const BroadPhase::Sphere& b) {
    const D3DXVECTOR3 apart = D3DXVECTOR3(a.x, a.y, a.z) - D3DXVECTOR3(b.x, b.y, b.z);
    const float d2 = D3DXVec3LengthSq(&apart);
    const float reach = a.radius + b.radius;
    const float r2 = reach * reach;
    return std::isfinite(d2) && std::isfinite(r2) && d2 < r2;
}

using Pair = std::pair<int, int>;

// Every pair the finder's search hands out, cut into `parts` shares worked last first
// (a share that leaned on one before it would go wrong), sorted; each pair must come
// once, the lower number first, both below n.
std::vector<Pair> candidatePairs(const PairFinder& finder, int parts, int n) {
    std::vector<Pair> pairs;
    for (int part = parts - 1; part >= 0; --part) {
        finder.findCandidates(part, parts, [&](std::span<const PairFinder::Candidate> batch) {
            for (const PairFinder::Candidate& candidate : batch) {
                EXPECT_LT(candidate.first, candidate.second);
                EXPECT_LT(candidate.second, static_cast<std::uint32_t>(n));
                pairs.emplace_back(candidate.first, candidate.second);
            }
            return true;
        });
    }
    std::sort(pairs.begin(), pairs.end());
    EXPECT_EQ(std::adjacent_find(pairs.begin(), pairs.end()), pairs.end()) << "each pair once";
    return pairs;
}

// Checks the candidates against the exact rule over all pairs, and the search in three
// shares against the whole; returns how many touching pairs there were.
int expectCandidatesCoverContacts(const std::vector<BroadPhase::Sphere>& spheres) {
    BroadPhase phase;
    phase.build(spheres);
    const int n = static_cast<int>(spheres.size());
    const std::vector<Pair> pairs = candidatePairs(phase, 1, n);
    EXPECT_EQ(candidatePairs(phase, 3, n), pairs);
    int contacts = 0;
    for (int i = 0; i < n; ++i) {
        for (int j = i + 1; j < n; ++j) {
            if (touching(spheres[i], spheres[j])) {
                ++contacts;
                EXPECT_TRUE(std::binary_search(pairs.begin(), pairs.end(), Pair{i, j}))
                    << "pair " << i << ", " << j << " touches but was left out";
            }
        }
    }
    return contacts;
}

TEST(BroadPhase, FindsEveryTouchingPairOfACrowd) {
    std::mt19937 random(7);
    std::uniform_real_distribution<float> where(-30.0f, 30.0f);
    std::uniform_real_distribution<float> size(0.2f, 1.5f);
    std::vector<BroadPhase::Sphere> spheres;
    for (int i = 0; i < 1500; ++i) {
        spheres.push_back({where(random), where(random) * 0.1f, where(random), size(random)});
    }
    EXPECT_GT(expectCandidatesCoverContacts(spheres), 1000);
}

// Pairs exactly at, and one float step inside, the sum of their radii, at small and
// large coordinates and on both sides of cell borders: the rounding of the exact test
// decides these, and the broad phase must keep every one it may accept.
TEST(BroadPhase, KeepsPairsAtTheEdgeOfContactWhereverTheyLie) {
    std::vector<BroadPhase::Sphere> spheres;
    // The last ones put cells near the end of their 32 bits, and beyond it.
    for (float base : {0.0f, 1.0f, -3.0f, 1000.0f, -4096.5f, 123456.0f, 5.3e9f, -5.36e9f, 6e9f}) {
        for (float radius : {0.5f, 1.0f, 1.25f}) {
            const float reach = 2 * radius;
            for (int step = 0; step < 3; ++step) {
                float apart = reach;
                for (int k = 0; k < step; ++k) {
                    apart = std::nextafter(apart, 0.0f);
                }
                spheres.push_back({base, 0, base, radius});
                spheres.push_back({base + apart, 0, base, radius});
                // Diagonally, where x and z both round.
                const float d = apart / std::sqrt(2.0f);
                spheres.push_back({base + d, 1, base - d, radius});
                spheres.push_back({base + 2 * d, 1, base, radius});
            }
        }
    }
    expectCandidatesCoverContacts(spheres);
}

// Bodies the grid cannot hold are paired with everybody: one huge body, bodies beyond
// the grid's reach; and the grid copes with a negative radius and several bodies at one
// spot. Bodies at NaN or infinite positions, or of a radius that is not finite, touch
// nobody by the exact rule and are paired with nobody: one of them costs no body a
// test (each of them was paired with every other body).
TEST(BroadPhase, PairsBodiesOutsideTheGridWithEverybody) {
    const float nan = std::numeric_limits<float>::quiet_NaN();
    const float inf = std::numeric_limits<float>::infinity();
    std::vector<BroadPhase::Sphere> spheres;
    for (int i = 0; i < 40; ++i) {
        spheres.push_back(
            {static_cast<float>(i % 7) * 1.5f, 0, static_cast<float>(i / 7) * 1.5f, 1});
    }
    spheres.push_back({nan, 0, 0, 1});
    spheres.push_back({0, nan, 0, 1});
    spheres.push_back({3, 0, 3, nan});
    spheres.push_back({inf, 0, 0, 1});
    spheres.push_back({4, 0, 4, 40});    // big: far above the average
    spheres.push_back({5, 0, 5, -1.5f}); // the rule squares the sum of radii
    spheres.push_back({1e30f, 0, 1e30f, 1});
    spheres.push_back({1e30f, 0, 1e30f, 1});
    spheres.push_back({2, 0, 2, 1});
    spheres.push_back({2, 0, 2, 1});
    spheres.push_back({2, 0, 2, 0});
    BroadPhase phase;
    phase.build(spheres);
    EXPECT_EQ(phase.looseCount(), 3u);
    EXPECT_GT(expectCandidatesCoverContacts(spheres), 40);

    const auto finite = [](const BroadPhase::Sphere& s) {
        return std::isfinite(s.x) && std::isfinite(s.y) && std::isfinite(s.z) &&
               std::isfinite(s.radius);
    };
    for (const auto& [i, j] : candidatePairs(phase, 1, static_cast<int>(spheres.size()))) {
        EXPECT_TRUE(finite(spheres[i]) && finite(spheres[j])) << "pair " << i << ", " << j;
    }
}

TEST(BroadPhase, HandlesNoBodiesAndBodiesWithoutSize) {
    expectCandidatesCoverContacts({});
    expectCandidatesCoverContacts({{0, 0, 0, 0}, {0, 0, 0, 0}, {1, 0, 0, 0}});
}

// The step learns of bodies sharing a centre from the candidates when the grid lists
// every two bodies at one spot: at another height, with a zero of the other sign,
// another radius, or one of them kept aside for its size or place. Only a body paired
// with nobody could be missed, and then the grid says so.
TEST(BroadPhase, ListsEveryPairAtOneSpot) {
    std::vector<BroadPhase::Sphere> crowd;
    for (int i = 0; i < 200; ++i) {
        crowd.push_back({static_cast<float>(i % 20) * 0.7f, static_cast<float>(i % 3),
                         static_cast<float>(i / 20) * 0.7f, 1});
    }
    const auto listsPair = [](const BroadPhase& phase, int i, int j) {
        const std::vector<Pair> pairs = candidatePairs(phase, 1, 200);
        return std::binary_search(pairs.begin(), pairs.end(), Pair{i, j});
    };
    BroadPhase phase;
    for (const auto& [first, twin] :
         {std::pair{crowd[137], BroadPhase::Sphere{crowd[137].x, 50, crowd[137].z, 1}},
          std::pair{BroadPhase::Sphere{0, 0, 0, 1}, BroadPhase::Sphere{-0.0f, 0, 0, 1}},
          std::pair{crowd[199], BroadPhase::Sphere{crowd[199].x, 0, crowd[199].z, 0.5f}},
          std::pair{BroadPhase::Sphere{100, 0, 100, 60}, BroadPhase::Sphere{100, 0, 100, 1}},
          std::pair{BroadPhase::Sphere{6e9f, 0, 0, 1}, BroadPhase::Sphere{6e9f, 0, 0, 1}}}) {
        std::vector<BroadPhase::Sphere> shared = crowd;
        shared[60] = first;
        shared[150] = twin;
        phase.build(shared);
        EXPECT_TRUE(phase.listsEveryPairAtOneSpot());
        EXPECT_TRUE(listsPair(phase, 60, 150)) << twin.x << ", " << twin.z;
    }
    std::vector<BroadPhase::Sphere> withNobody = crowd;
    withNobody.push_back({3, std::nanf(""), 3, 1});
    phase.build(withNobody);
    EXPECT_FALSE(phase.listsEveryPairAtOneSpot());
    phase.build({});
    EXPECT_TRUE(phase.listsEveryPairAtOneSpot());
}

// The build's work and the search cut into parts, as threads share them: the parts are
// worked here last first, so a part that leaned on one before it would go wrong.
TEST(BroadPhase, FindsTheSameWithItsBuildInParts) {
    std::mt19937 random(11);
    std::uniform_real_distribution<float> where(-20.0f, 20.0f);
    std::vector<BroadPhase::Sphere> spheres;
    for (int i = 0; i < 700; ++i) {
        spheres.push_back({where(random), 0, where(random), 1});
    }
    spheres[350] = {4, std::nanf(""), 4, 1};
    spheres[500] = {0, 0, 0, 30}; // kept aside for its size
    spheres[650] = {6e9f, 0, 0, 1};
    std::vector<BroadPhase::Sphere> pile = spheres;
    pile[690] = {pile[20].x, 5, pile[20].z, 1}; // shares a centre with one in the first part
    std::vector<BroadPhase::Sphere> apart(spheres.begin(), spheres.begin() + 300);

    const auto lastFirst = [](std::size_t n, int parts, const PairFinder::Range& range) {
        for (int part = parts - 1; part >= 0; --part) {
            const auto at = [&](int k) { return n * static_cast<std::size_t>(k) / parts; };
            range(part, at(part), at(part + 1));
        }
    };
    for (const auto* bodies : {&spheres, &pile, &apart}) {
        BroadPhase whole;
        whole.build(*bodies);
        for (int parts : {2, 3, 7}) {
            BroadPhase cut;
            cut.build(*bodies, parts, lastFirst);
            EXPECT_EQ(cut.looseCount(), whole.looseCount());
            EXPECT_EQ(cut.listsEveryPairAtOneSpot(), whole.listsEveryPairAtOneSpot());
            const int n = static_cast<int>(bodies->size());
            ASSERT_EQ(candidatePairs(cut, parts, n), candidatePairs(whole, 1, n))
                << parts << " parts";
        }
    }
    BroadPhase check;
    check.build(spheres, 3, lastFirst);
    EXPECT_FALSE(check.listsEveryPairAtOneSpot()) << "one body is paired with nobody";
    check.build(apart, 3, lastFirst);
    EXPECT_TRUE(check.listsEveryPairAtOneSpot());
}

// ---- the step with both searches ----

class PairSearchStep : public EngineFixture {
protected:
    // A second engine on its own device, with a course laid by the same clicks.
    void startTwin() {
        twinDevice = RecordingDevice::create(kWidth, kHeight);
        twin = startedEngine(twinDevice.get());
        createLoopCourse(6, 30);
        std::swap(app, twin);
        createLoopCourse(6, 30);
        std::swap(app, twin);
    }

    // Runs both engines frame by frame, the first with every pair, the twin with the
    // grid, and compares every body after every frame. Returns the contacts seen (bodies
    // left coasting by a contact, summed over the frames).
    long runSideBySide(int frames) {
        app->simulation.usePairFinder(std::make_unique<AllPairs>());
        app->selectTab(TAB_PLAY);
        twin->selectTab(TAB_PLAY);
        long contacts = 0;
        for (int frame = 0; frame < frames; ++frame) {
            app->frameMove();
            twin->frameMove();
            const ::testing::AssertionResult same =
                sameBodies(*app->editor.current(), *twin->editor.current());
            if (!same) {
                ADD_FAILURE() << "frame " << frame << ": " << same.message();
                return contacts;
            }
            for (const auto& placement : app->editor.current()->xfilePlacements) {
                contacts += bodyOf(*app, placement).motionState == MOTION_COAST ? 1 : 0;
            }
        }
        return contacts;
    }

    ComPtr<RecordingDevice> twinDevice;
    std::unique_ptr<CEngineApp> twin;
};

// The unit vector across the road at track sample i, in world coordinates.
D3DXVECTOR3 acrossRoad(const LCourse_t& course, int i) {
    const auto [right, left] = course.track->pair(3, i);
    D3DXVECTOR3 across(right.z - left.z, 0, right.x - left.x);
    D3DXVec3Normalize(&across, &across);
    return across;
}

// n bodies packed on the road in lanes 2.1 apart and rows about 1.9 apart (so some
// start overlapping), rolling off at random; a few oddities among them: placements
// sharing an id, fixed bodies, one big body, one placement without a body, and sound
// relations on some of the meshes.
void packRoad(CEngineApp& app, int n, std::uint32_t seed) {
    LCourse_t& course = *app.editor.current();
    std::mt19937 random(seed);
    std::uniform_real_distribution<float> unit(0.0f, 1.0f);
    constexpr int kLanes = 16;
    for (int k = 0; k < n; ++k) {
        const int sample = 100 + 2 * (k / kLanes);
        const float lateral = (static_cast<float>(k % kLanes) - (kLanes - 1) / 2.0f) * 2.1f;
        XfilePlacement& placement =
            placeBody(app, roadCentre(course, sample) + acrossRoad(course, sample) * lateral);
        std::snprintf(placement.name, sizeof placement.name, k % 10 == 3 ? "cone.x" : "ball.x");
        CSceneObject& body = bodyOf(app, placement);
        const float angle = unit(random) * 2.0f * static_cast<float>(M_PI);
        body.speed = 0.05f + 0.3f * unit(random);
        body.direction = D3DXVECTOR3(std::cos(angle), 0, std::sin(angle));
        body.motionState = MOTION_ROLL;
        if (k % 97 == 96) {
            course.xfilePlacements.setId(placement,
                                         std::prev(course.xfilePlacements.end(), 2)->id());
        }
        if (k % 101 == 50) {
            body.movable = false;
        }
        if (k == n / 2) {
            body.radius = 6.0f;
        }
    }
    course.collisionTable->add("ball.x", "cone.x", "hit.wav");
    course.moveTable->add("cone.x", "0", "roll.wav");
}

TEST_F(PairSearchStep, AThousandBodiesRunSixHundredFramesAlikeWithEitherSearch) {
    startTwin();
    packRoad(*app, 1000, 42);
    packRoad(*twin, 1000, 42);
    const long contacts = runSideBySide(600);
    EXPECT_GT(contacts, 20000) << "the pack should keep colliding";
}

// Bodies the grid holds aside or finds nothing for: bodies off the course, bodies on
// one spot, bodies without size or with a negative one.
TEST_F(PairSearchStep, OddBodiesRunAlikeWithEitherSearch) {
    startTwin();
    for (CEngineApp* engine : {app.get(), twin.get()}) {
        packRoad(*engine, 60, 5);
        LCourse_t& course = *engine->editor.current();
        const D3DXVECTOR3 centre = roadCentre(course, 2000);
        placeBody(*engine, centre);
        placeBody(*engine, centre);
        placeBody(*engine, centre + D3DXVECTOR3(0.5f, 0, 0), 0.0f);
        placeBody(*engine, D3DXVECTOR3(3000, 0, 3000));
        placeBody(*engine, D3DXVECTOR3(3000.5f, 0, 3000));
        placeBody(*engine, centre + D3DXVECTOR3(1, 0, 1), -1.5f);
    }
    runSideBySide(10);
}

// A body at NaN touches every other by the exact rule (no comparison with NaN holds),
// and its NaN spreads to them, the same way with both searches.
TEST_F(PairSearchStep, ABodyAtNanTouchesNothingWithEitherSearch) {
    startTwin();
    for (CEngineApp* engine : {app.get(), twin.get()}) {
        packRoad(*engine, 8, 6);
        const float nan = std::numeric_limits<float>::quiet_NaN();
        placeBody(*engine, roadCentre(*engine->editor.current(), 2100) + D3DXVECTOR3(nan, 0, 0));
    }
    runSideBySide(2);
    for (const auto& placement : app->editor.current()->xfilePlacements) {
        if (&placement != &app->editor.current()->xfilePlacements.back()) {
            EXPECT_FALSE(std::isnan(bodyOf(*app, placement).speed));
            EXPECT_FALSE(std::isnan(bodyOf(*app, placement).stepPosition.x));
        }
    }
}

} // namespace
