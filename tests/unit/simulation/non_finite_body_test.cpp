// A body whose place is not a finite number (its speed overflowed, say) touches nothing
// and stands on nothing. It must not cost the other bodies anything: it made every
// frame of a small scene thirty times slower, searching the whole course for a surface
// under it and being paired with every other body.
#include <cmath>
#include <gtest/gtest.h>
#include <limits>
#include <random>
#include <vector>

#include "BodyState.h"
#include "simulation/SurfaceQuery.h"
#include "support/Bodies.h"
#include "support/BodyOf.h"
#include "support/EngineFixture.h"

namespace {

const float kNan = std::numeric_limits<float>::quiet_NaN();
const float kInfinity = std::numeric_limits<float>::infinity();

class NonFiniteBody : public EngineFixture {
protected:
    // Bodies rolling off along the road at random, close enough to collide.
    void scatter(CEngineApp& engine) {
        LCourse_t& course = *engine.editor.current();
        std::mt19937 random(77);
        std::uniform_real_distribution<float> unit(0.0f, 1.0f);
        for (int k = 0; k < 60; ++k) {
            const D3DXVECTOR3 at = roadCentre(course, 200 + 3 * (k / 4)) +
                                   D3DXVECTOR3(static_cast<float>(k % 4) * 2.1f - 3, 0, 0);
            CSceneObject& body = bodyOf(engine, placeBody(engine, at));
            const float angle = unit(random) * 2.0f * static_cast<float>(M_PI);
            body.speed = 0.1f + 0.3f * unit(random);
            body.direction = D3DXVECTOR3(std::cos(angle), 0, std::sin(angle));
            body.motionState = MOTION_ROLL;
        }
    }
};

} // namespace

// Nothing of the course lies under a point that is not finite, however the search is
// made: leaving out the search for such a body changes nothing for the others.
TEST_F(NonFiniteBody, StandsOverNoTriangleOfTheCourse) {
    const LCourse_t& course = createLoopCourse(6, 30);
    const D3DXVECTOR3 on = roadCentre(course, 100);
    SurfaceHit hit;
    ASSERT_TRUE(findSurfaceByScan(course.strips, on.x, on.z, -1000, 1000, &hit));
    SurfaceIndex index;
    ASSERT_TRUE(index.sync(course.strips, SurfaceIndex::kQueriesWorthABuild));
    for (const auto& [x, z] :
         {std::pair{kNan, on.z}, std::pair{on.x, kNan}, std::pair{kInfinity, on.z},
          std::pair{on.x, -kInfinity}, std::pair{-kInfinity, kInfinity}}) {
        SCOPED_TRACE(testing::Message() << x << ", " << z);
        EXPECT_FALSE(findSurfaceByScan(course.strips, x, z, -1000, 1000, &hit));
        for (int hint : {0, 100, 4000}) {
            EXPECT_FALSE(findSurface(course.strips, x, z, -1, 1, hint, 0, &hit));
            EXPECT_FALSE(index.find(course.strips, x, z, -1, 1, hint, 0, &hit));
        }
    }
}

// The same scene with and without bodies at NaN and at infinity among its bodies: the
// others run alike, bit for bit, and no pair test is spent on the strays.
TEST_F(NonFiniteBody, CostsTheOthersNoPairTestAndChangesNothingOfThem) {
    auto twinDevice = RecordingDevice::create(kWidth, kHeight);
    auto twin = startedEngine(twinDevice.get());
    createLoopCourse(6, 30);
    std::swap(app, twin);
    createLoopCourse(6, 30);
    std::swap(app, twin);
    scatter(*app);
    scatter(*twin);
    const std::size_t others = app->editor.current()->xfilePlacements.size();
    XfilePlacement& atNan = placeBody(*twin, D3DXVECTOR3(kNan, 0, kNan));
    twin->editor.current()->xfilePlacements.setId(atNan, 1000);
    XfilePlacement& atInfinity = placeBody(*twin, D3DXVECTOR3(kInfinity, 0, 5));
    bodyOf(*twin, atInfinity).speed = 0.2f;
    bodyOf(*twin, atInfinity).direction = D3DXVECTOR3(1, 0, 0);
    bodyOf(*twin, atInfinity).motionState = MOTION_ROLL;

    app->selectTab(TAB_PLAY);
    twin->selectTab(TAB_PLAY);
    for (int frame = 0; frame < 200; ++frame) {
        app->frameMove();
        twin->frameMove();
        const Bodies& mine = app->editor.current()->xfilePlacements.bodies();
        const Bodies& theirs = twin->editor.current()->xfilePlacements.bodies();
        for (std::size_t i = 0; i < others; ++i) {
            ASSERT_TRUE(
                sameBody(mine.all()[i], mine.hints()[i], theirs.all()[i], theirs.hints()[i]))
                << "frame " << frame;
        }
        ASSERT_EQ(app->simulation.pairTests(), twin->simulation.pairTests()) << "frame " << frame;
    }
    EXPECT_GT(app->simulation.pairTests(), 300u) << "the bodies meet";
}
