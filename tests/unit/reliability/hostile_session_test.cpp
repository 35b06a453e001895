// A session file may hold any number where a position, a yaw or a radius belongs (the
// XML reader takes "nan", "inf" and 1e39 as they come), and any two placements may
// share a position. Restoring such a scene and playing it must not crash, and a body
// that is itself sound must stay finite whatever it meets on the course.
#include "support/AssetFixture.h"
#include "support/BodyOf.h"

#include <cmath>
#include <limits>

namespace {

class HostileSession : public AssetFixture {
protected:
    // A course with count balls, saved as a session, all where "assign" put them.
    LSession_t savedBalls(int count) {
        EXPECT_EQ(app->library.pushXfile(fileRecord("ball.x"), treeItem(1)), S_OK);
        createLoopCourse(6, 30);
        app->selectTab(TAB_PLACE);
        app->assets.selectXfile(treeItem(1));
        for (int i = 0; i < count; ++i) {
            app->library.assign();
        }
        LSession_t saved;
        app->fillSession(saved);
        saved.item = treeItem(50);
        return saved;
    }

    // Restores the session and plays it; true when the last placement stayed finite.
    ::testing::AssertionResult lastStaysFinite(const LSession_t& session, int frames) {
        int number = 0;
        if (FAILED(app->restoreSession(session, &number))) {
            return ::testing::AssertionFailure() << "not restored";
        }
        XfilePlacement& sound = app->editor.current()->xfilePlacements.back();
        app->selectTab(TAB_PLAY);
        for (int frame = 0; frame < frames; ++frame) {
            app->frameMove();
            app->render();
            const D3DXVECTOR3& p = bodyOf(*app, sound).stepPosition;
            if (!std::isfinite(p.x) || !std::isfinite(p.y) || !std::isfinite(p.z)) {
                return ::testing::AssertionFailure() << "not finite at frame " << frame;
            }
        }
        return ::testing::AssertionSuccess();
    }
};

// Places count balls apart along x, then lets change() make some of them hostile.
template <class Change>
LSession_t apart(LSession_t saved, Change change) {
    float along = 0;
    for (SessionXfile& mesh : saved.meshes) {
        mesh.x += along; // apart, so that only the numbers are hostile
        along += 4;
    }
    change(saved.meshes);
    return saved;
}

const float kNaN = std::numeric_limits<float>::quiet_NaN();
const float kInfinity = std::numeric_limits<float>::infinity();

} // namespace

TEST_F(HostileSession, NonFiniteYawAndHeightDoNotSpread) {
    EXPECT_TRUE(lastStaysFinite(apart(savedBalls(3),
                                      [](std::list<SessionXfile>& meshes) {
                                          meshes.front().yaw = kNaN;
                                          std::next(meshes.begin())->z = kInfinity;
                                      }),
                                500));
}

// Disabled until restoring or the step copes: a NaN position or an infinite radius in
// one placement makes the positions of the others NaN within a frame or two
// (docs/reliability.md).
TEST_F(HostileSession, NonFinitePositionDoesNotSpread) {
    EXPECT_TRUE(lastStaysFinite(
        apart(savedBalls(3), [](std::list<SessionXfile>& meshes) { meshes.front().x = kNaN; }),
        500));
}

TEST_F(HostileSession, InfiniteRadiusDoesNotSpread) {
    EXPECT_TRUE(lastStaysFinite(
        apart(savedBalls(3),
              [](std::list<SessionXfile>& meshes) { meshes.front().radius = -kInfinity; }),
        500));
}

// Two placements at one spot: "assign" pressed twice without moving the camera.
TEST_F(HostileSession, PlacementsSharingASpotStayFinite) {
    EXPECT_TRUE(lastStaysFinite(savedBalls(2), 300));
}
