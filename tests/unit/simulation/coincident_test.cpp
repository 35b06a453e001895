// Bodies whose centres coincide on the ground (placed at one spot, or "assign" pressed
// over and over) have no line of centres for a contact to act along. They used to stay
// one pile for good, and every frame tested every pair of the pile.
#include <cmath>
#include <gtest/gtest.h>
#include <limits>
#include <vector>

#include "BodyState.h"
#include "simulation/CoincidentCentres.h"
#include "support/Bodies.h"
#include "support/BodyOf.h"
#include "support/EngineFixture.h"

namespace {

// The exact contact rule of the pair loop, on the same float operations.
bool touching(const CSceneObject& a, const CSceneObject& b) {
    const D3DXVECTOR3 apart = a.position - b.position;
    const float reach = a.radius + b.radius;
    return D3DXVec3LengthSq(&apart) < reach * reach;
}

class CoincidentPile : public EngineFixture {
protected:
    // count bodies of radius 1 at one spot on the road, at rest.
    void pile(int count, int sample = 300) {
        const D3DXVECTOR3 at = roadCentre(*app->editor.current(), sample);
        for (int i = 0; i < count; ++i) {
            placeBody(*app, at);
        }
    }

    // Pairs of bodies in contact, and pairs sharing a centre on the ground.
    std::pair<long, long> touchingAndCoincident() const {
        long touches = 0;
        long coincide = 0;
        const auto& list = app->editor.current()->xfilePlacements;
        for (auto i = list.begin(); i != list.end(); ++i) {
            for (auto j = std::next(i); j != list.end(); ++j) {
                touches += touching(bodyOf(*app, *i), bodyOf(*app, *j)) ? 1 : 0;
                coincide += bodyOf(*app, *i).position.x == bodyOf(*app, *j).position.x &&
                                    bodyOf(*app, *i).position.z == bodyOf(*app, *j).position.z
                                ? 1
                                : 0;
            }
        }
        return {touches, coincide};
    }

    // Exact pair tests made over the given frames of play.
    std::uint64_t pairTestsOver(int frames) {
        app->selectTab(TAB_PLAY);
        const std::uint64_t before = app->simulation.pairTests();
        for (int frame = 0; frame < frames; ++frame) {
            app->frameMove();
        }
        return app->simulation.pairTests() - before;
    }
};

} // namespace

// The first frame spreads the pile so that no two of its bodies touch, and two runs
// spread it alike, bit for bit.
TEST_F(CoincidentPile, SeparatesInItsFirstFrameTheSameWayEveryRun) {
    std::vector<std::unique_ptr<CEngineApp>> runs;
    for (int run = 0; run < 2; ++run) {
        SetUp();
        createLoopCourse(6, 30);
        pile(300);
        pairTestsOver(1);
        const auto [touches, coincide] = touchingAndCoincident();
        EXPECT_EQ(coincide, 0);
        EXPECT_EQ(touches, 0);
        pairTestsOver(5);
        for (const XfilePlacement& p : app->editor.current()->xfilePlacements) {
            ASSERT_TRUE(std::isfinite(bodyOf(*app, p).position.x) &&
                        std::isfinite(bodyOf(*app, p).position.z));
        }
        runs.push_back(std::move(app));
    }
    EXPECT_TRUE(sameBodies(*runs[0]->editor.current(), *runs[1]->editor.current()));
}

// A pile costs no more pair tests than as many bodies packed in touching rows: it used
// to cost every pair of the pile, every frame.
TEST_F(CoincidentPile, CostsNoMorePairTestsThanAPackOfTouchingBodies) {
    constexpr int kCount = 2000;
    createLoopCourse(6, 30);
    pile(kCount);
    const std::uint64_t piled = pairTestsOver(3);

    SetUp();
    LCourse_t& course = createLoopCourse(6, 30);
    for (int k = 0; k < kCount; ++k) {
        const int sample = 100 + 2 * (k / 16);
        const auto [right, left] = course.track->pair(3, sample);
        D3DXVECTOR3 across(right.z - left.z, 0, right.x - left.x);
        D3DXVec3Normalize(&across, &across);
        placeBody(*app, roadCentre(course, sample) + across * ((k % 16 - 7.5f) * 1.9f));
    }
    const std::uint64_t packed = pairTestsOver(3);
    EXPECT_GT(packed, static_cast<std::uint64_t>(kCount)) << "the pack's bodies touch";
    EXPECT_LE(piled, packed);
}

// ---- the spreading itself ----

CSceneObject bodyAt(float x, float z, float radius = 1, bool movable = true) {
    CSceneObject body;
    body.position = body.stepPosition = D3DXVECTOR3(x, 5, z);
    body.radius = radius;
    body.movable = movable;
    return body;
}

// Spreads the bodies as the step does, from their spheres as they stand.
std::size_t separate(CoincidentCentres& spread, std::vector<CSceneObject>& bodies) {
    std::vector<PairFinder::Sphere> spheres;
    for (const CSceneObject& body : bodies) {
        spheres.push_back({body.position.x, body.position.y, body.position.z, body.radius});
    }
    return spread.separate(spheres, bodies);
}

// Bodies that do not share a centre are left exactly as they are, however close: one
// float step apart, a zero of either sign, NaN and infinite positions, radii that are
// not finite.
TEST(CoincidentCentres, LeavesEveryOtherBodyBitForBit) {
    const float nan = std::numeric_limits<float>::quiet_NaN();
    const float inf = std::numeric_limits<float>::infinity();
    std::vector<CSceneObject> bodies;
    bodies.push_back(bodyAt(10, 10));
    bodies.push_back(bodyAt(std::nextafter(10.0f, 11.0f), 10));
    bodies.push_back(bodyAt(10, std::nextafter(10.0f, 9.0f)));
    bodies.push_back(bodyAt(nan, 3));
    bodies.push_back(bodyAt(nan, 3));
    bodies.push_back(bodyAt(inf, 3));
    bodies.push_back(bodyAt(inf, 3));
    bodies.push_back(bodyAt(7, 7, nan));
    bodies.push_back(bodyAt(7, 7, inf));
    bodies.push_back(bodyAt(-20, -20, 0)); // no size: they cannot touch
    bodies.push_back(bodyAt(-20, -20, 0));
    std::vector<CSceneObject> before;
    for (const auto& body : bodies) {
        before.push_back(body);
    }
    CoincidentCentres spread;
    EXPECT_EQ(separate(spread, bodies), 0u);
    for (std::size_t i = 0; i < bodies.size(); ++i) {
        EXPECT_TRUE(sameBits(bodies[i].position, before[i].position)) << i;
        EXPECT_TRUE(sameBits(bodies[i].stepPosition, before[i].stepPosition)) << i;
    }
}

// Each group keeps its first movable body in place (or none, when a fixed body holds the
// spot) and moves the others apart, out of reach of each other, fixed bodies never.
// Zeros of either sign are one spot; a height of its own does not make a body apart.
TEST(CoincidentCentres, SpreadsEachGroupOutOfReachAndNeverMovesAFixedBody) {
    std::vector<CSceneObject> bodies;
    for (int i = 0; i < 40; ++i) {
        bodies.push_back(bodyAt(i % 2 == 0 ? 0.0f : -0.0f, 0, i % 3 == 0 ? 2.0f : 0.5f));
    }
    bodies[5].position.y = bodies[5].stepPosition.y = 100;
    bodies.push_back(bodyAt(50, 50, 1, false)); // a fixed body holds this spot
    bodies.push_back(bodyAt(50, 50));
    bodies.push_back(bodyAt(50, 50));
    bodies.push_back(bodyAt(90, 90, 1, false)); // and here two fixed ones share it
    bodies.push_back(bodyAt(90, 90, 1, false));
    CoincidentCentres spread;
    EXPECT_EQ(separate(spread, bodies), 39u + 2u);

    EXPECT_EQ(bodies[0].position, D3DXVECTOR3(0, 5, 0));
    for (const std::size_t fixed : {40u, 43u, 44u}) {
        EXPECT_EQ(bodies[fixed].position.x, fixed == 40 ? 50.0f : 90.0f);
    }
    for (const auto& body : bodies) {
        EXPECT_EQ(body.stepPosition, body.position);
    }
    for (std::size_t i = 0; i < 43; ++i) {
        for (std::size_t j = i + 1; j < 43; ++j) {
            const float dx = bodies[i].position.x - bodies[j].position.x;
            const float dz = bodies[i].position.z - bodies[j].position.z;
            const float reach = bodies[i].radius + bodies[j].radius;
            EXPECT_GE(dx * dx + dz * dz, reach * reach) << i << ", " << j;
        }
    }
    EXPECT_EQ(bodies[5].position.y, 100.0f);
    // Spread once, nothing coincides any more.
    EXPECT_EQ(separate(spread, bodies), 0u);
}
