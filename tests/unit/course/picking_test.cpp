#include <cmath>
#include <gtest/gtest.h>

#include "course/CourseTrack.h"
#include "support/Bodies.h"
#include "support/EngineFixture.h"

namespace {

class Picking : public EngineFixture {
protected:
    // A course with the camera at its start, in the place tab.
    LCourse_t& placeScene() {
        LCourse_t& course = createLoopCourse(6, 30);
        app->selectTab(TAB_PLACE);
        return course;
    }

    // The point d along the ray through view pixel (x, y).
    D3DXVECTOR3 alongRay(int x, int y, float d) {
        D3DXVECTOR3 dir;
        D3DXVECTOR3 origin;
        app->pickRay(static_cast<float>(x), static_cast<float>(y), app->viewMatrix, &dir, &origin);
        D3DXVec3Normalize(&dir, &dir);
        return origin + dir * d;
    }
};

} // namespace

TEST_F(Picking, NearbyDotsAreAllSelectedButAnEditTakesTheFirst) {
    app->selectTab(TAB_COURSE);
    clickInEditor(POINT{100, 100});
    clickInEditor(POINT{300, 100});
    app->addPoint(303, 100); // 3 pixels from the second dot
    ASSERT_EQ(app->workingDotted.size(), 3u);
    EXPECT_TRUE(app->checkSelectedPoint(POINT{306, 104}));
    const auto second = std::next(app->workingDotted.begin());
    EXPECT_FALSE(app->workingDotted.front().selected);
    EXPECT_TRUE(second->selected);
    EXPECT_TRUE(std::next(second)->selected);

    app->modifyPoint(4, 7);
    const auto calc = std::next(app->workingCalculated.begin());
    EXPECT_EQ(calc->y, 4.0f);
    EXPECT_EQ(calc->pitch, 7.0f);
    EXPECT_EQ(std::next(calc)->y, 0.0f);
    EXPECT_FALSE(second->selected);
    EXPECT_TRUE(std::next(second)->selected);
    EXPECT_EQ(app->pointAccumulator[0], 0.0f);
    EXPECT_FALSE(app->pointMessagePending);
}

TEST_F(Picking, MessageWordsAreSignedThirtyTwoBitValues) {
    app->selectTab(TAB_COURSE);
    clickInEditor(POINT{200, 200});
    ASSERT_TRUE(app->checkSelectedPoint(POINT{205, 205}));
    app->modifyPoint(0xFFFFFFFDu, static_cast<long>(0xFFFFFFECu));
    EXPECT_EQ(app->workingCalculated.front().y, -3.0f);
    EXPECT_EQ(app->workingCalculated.front().pitch, -20.0f);
    // Without a selected dot nothing changes.
    app->modifyPoint(9, 9);
    EXPECT_EQ(app->workingCalculated.front().y, -3.0f);
}

TEST_F(Picking, EditingAPointOfTheCourseRebuildsItBanked) {
    LCourse_t& course = createLoopCourse(6, 30);
    const LPoint_t& dot = course.dottedPoints.front();
    ASSERT_TRUE(
        app->checkSelectedPoint(POINT{static_cast<LONG>(dot.x + 5), static_cast<LONG>(dot.y + 5)}));
    const CCourseTrack* before = course.track.get();
    app->modifyPoint(3, static_cast<long>(-20));
    EXPECT_EQ(course.calculatedPoints.front().y, 3.0f);
    EXPECT_EQ(course.calculatedPoints.front().pitch, -20.0f);
    EXPECT_FALSE(course.dottedPoints.front().selected);
    ASSERT_NE(course.track.get(), before);
    // The first point's pitch -20 / 360 banks its section by 10 sin(-pi/18) each way.
    const int first = course.track->trackIndex(0);
    EXPECT_FLOAT_EQ(course.track->pitch(first), -20.0f / 360.0f);
    const float lift = 10.0f * std::sin(static_cast<float>(M_PI) * -20.0f / 360.0f);
    EXPECT_NEAR(lift, -1.74f, 0.01f);
    EXPECT_NEAR(course.track->point(4, first).y - course.track->point(3, first).y, 2 * lift, 1e-3f);
}

TEST_F(Picking, ClicksOutsideTheViewLayNoPoint) {
    app->selectTab(TAB_COURSE);
    clickInEditor(POINT{5, 100});  // left of the accepted band
    clickInEditor(POINT{100, 15}); // above it
    clickInEditor(POINT{kWidth + 10, 100});
    EXPECT_TRUE(app->workingDotted.empty());
    EXPECT_FALSE(app->dragging);
}

TEST_F(Picking, PlacementMessageSetsHeightAndYawOffset) {
    EXPECT_EQ(app->modifyXfile(3, 90), 0); // nothing selected: nothing happens
    placeScene();
    XfilePlacement& placement = placeBody(*app, {0, 0, 0});
    app->lastXfilePlacement = &placement;
    EXPECT_EQ(app->modifyXfile(3, 90), 0);
    EXPECT_EQ(placement.body->modelOffset, D3DXVECTOR3(0, 3, 0));
    EXPECT_EQ(placement.body->yawOffset, 0.5f);
    app->modifyXfile(0xFFFFFFFEu, static_cast<long>(-180));
    EXPECT_EQ(placement.body->modelOffset.y, -2.0f);
    EXPECT_EQ(placement.body->yawOffset, -1.0f);
}

TEST_F(Picking, RayHitsAPlacementInsideHalfItsRadius) {
    placeScene();
    XfilePlacement& placement = placeBody(*app, alongRay(320, 240, 30), 4.0f);
    D3DXVECTOR3 dir;
    D3DXVECTOR3 origin;
    EXPECT_TRUE(app->selectXfilePlacement(320, 240, &dir, &origin));
    EXPECT_EQ(app->lastXfilePlacement, &placement);
    const D3DXVECTOR3 offEye = origin - app->scanEye;
    EXPECT_LT(D3DXVec3Length(&offEye), 1e-4f);
    // Pixel by pixel away from the centre the ray leaves the sphere of radius 2.
    int misses = 0;
    for (int dx = 0; dx < 200 && misses == 0; dx += 2) {
        misses += app->selectXfilePlacement(320 + dx, 240, nullptr, nullptr) ? 0 : 1;
    }
    EXPECT_EQ(misses, 1);
    EXPECT_EQ(app->lastXfilePlacement, nullptr);
}

TEST_F(Picking, APlacementBehindTheEyeStopsThePick) {
    placeScene();
    XfilePlacement& ahead = placeBody(*app, alongRay(320, 240, 30), 4.0f);
    ASSERT_TRUE(app->selectXfilePlacement(320, 240, nullptr, nullptr));
    // A placement behind the eye comes first in the list now.
    auto& list = app->currentCourse->xfilePlacements;
    list.emplace_front();
    list.front().body = std::make_unique<CSceneObject>();
    list.front().body->position = alongRay(320, 240, -30);
    list.front().body->radius = 4;
    EXPECT_FALSE(app->selectXfilePlacement(320, 240, nullptr, nullptr));
    EXPECT_EQ(app->lastXfilePlacement, &ahead); // the previous selection stays
}

TEST_F(Picking, NoPicksWithoutACourseOrInThePreview) {
    EXPECT_FALSE(app->selectXfilePlacement(320, 240, nullptr, nullptr));
    placeScene();
    placeBody(*app, alongRay(320, 240, 30), 4.0f);
    app->selectTab(TAB_PREVIEW);
    EXPECT_FALSE(app->selectXfilePlacement(320, 240, nullptr, nullptr));
}

TEST_F(Picking, DraggingMovesThePlacementOnItsSphereAroundTheEye) {
    placeScene();
    XfilePlacement& placement = placeBody(*app, alongRay(320, 240, 30), 8.0f);
    // Form coordinates: the view starts 12 to the right of and 28 below the form's corner.
    app->onLButtonDown(POINT{320 + 12, 240 + 28});
    ASSERT_TRUE(app->dragging);
    app->onMouseMove(POINT{323 + 12, 241 + 28});
    const D3DXVECTOR3 expected = alongRay(323, 241, 30);
    EXPECT_NEAR(placement.body->position.x, expected.x, 1e-3f);
    EXPECT_NEAR(placement.body->position.z, expected.z, 1e-3f);
    EXPECT_EQ(placement.body->stepPosition, placement.body->position);
    EXPECT_EQ(placement.x, placement.body->position.x);
    app->onLButtonUp();
    app->onMouseMove(POINT{400, 300});
    EXPECT_NEAR(placement.body->position.x, expected.x, 1e-3f);
}

TEST_F(Picking, AnAssignedObjectIsPlacedTenAlongTheCentreRay) {
    placeScene();
    XfilePlacement& placement = placeBody(*app, {0, 0, 0});
    app->lastXfilePlacement = &placement;
    ASSERT_EQ(app->placeXfileInFrontOfCamera(), S_OK);
    D3DXVECTOR3 dir;
    D3DXVECTOR3 origin;
    app->pickRay(320, 240, app->viewMatrix, &dir, &origin);
    EXPECT_EQ(placement.body->position, origin + dir * 10.0f);
    EXPECT_EQ(placement.body->stepPosition, placement.body->position);
    app->lastXfilePlacement = nullptr;
    EXPECT_EQ(app->placeXfileInFrontOfCamera(), E_FAIL);
}
