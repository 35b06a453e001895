#include "support/EngineAppPeer.h"
#include <cmath>
#include <gtest/gtest.h>

#include "course/CourseTrack.h"
#include "support/Bodies.h"
#include "support/BodyOf.h"
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
};

} // namespace

TEST_F(Picking, NearbyDotsAreAllSelectedButAnEditTakesTheFirst) {
    app->selectTab(TAB_COURSE);
    clickInEditor(POINT{100, 100});
    clickInEditor(POINT{300, 100});
    app->edit.addPoint(303, 100); // 3 pixels from the second dot
    ASSERT_EQ(app->editor.laidPoints().dotted().size(), 3u);
    EXPECT_TRUE(app->edit.checkSelectedPoint(POINT{301, 101}));
    const auto second = std::next(app->editor.laidPoints().dotted().begin());
    EXPECT_FALSE(app->editor.laidPoints().dotted().front().selected);
    EXPECT_TRUE(second->selected);
    EXPECT_TRUE(std::next(second)->selected);

    app->modifyPoint(4, 7);
    const auto calc = std::next(app->editor.laidPoints().calculated().begin());
    EXPECT_EQ(calc->y, 4.0f);
    EXPECT_EQ(calc->pitch, 7.0f);
    EXPECT_EQ(std::next(calc)->y, 0.0f);
    EXPECT_FALSE(second->selected);
    EXPECT_TRUE(std::next(second)->selected);
    EXPECT_EQ(peek(*app).pointHeightPending(), 0.0f);
    EXPECT_FALSE(peek(*app).pointMessagePending());
}

TEST_F(Picking, MessageWordsAreSignedThirtyTwoBitValues) {
    app->selectTab(TAB_COURSE);
    clickInEditor(POINT{200, 200});
    ASSERT_TRUE(app->edit.checkSelectedPoint(POINT{200, 200}));
    app->modifyPoint(0xFFFFFFFDu, static_cast<long>(0xFFFFFFECu));
    EXPECT_EQ(app->editor.laidPoints().calculated().front().y, -3.0f);
    EXPECT_EQ(app->editor.laidPoints().calculated().front().pitch, -20.0f);
    // Without a selected dot nothing changes.
    app->modifyPoint(9, 9);
    EXPECT_EQ(app->editor.laidPoints().calculated().front().y, -3.0f);
}

TEST_F(Picking, EditingAPointOfTheCourseRebuildsItBanked) {
    LCourse_t& course = createLoopCourse(6, 30);
    const LPoint_t& dot = course.dottedPoints.front();
    ASSERT_TRUE(
        app->edit.checkSelectedPoint(POINT{static_cast<LONG>(dot.x), static_cast<LONG>(dot.y)}));
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
    EXPECT_TRUE(app->editor.laidPoints().dotted().empty());
    EXPECT_FALSE(peek(*app).dragging());
}

TEST_F(Picking, PlacementMessageSetsHeightAndYawOffset) {
    EXPECT_EQ(app->edit.modifyXfile(3, 90), 0); // nothing selected: nothing happens
    placeScene();
    XfilePlacement& placement = placeBody(*app, {0, 0, 0});
    app->editor.drive(&placement);
    EXPECT_EQ(app->edit.modifyXfile(3, 90), 0);
    EXPECT_EQ(bodyOf(*app, placement).modelOffset, D3DXVECTOR3(0, 3, 0));
    EXPECT_EQ(bodyOf(*app, placement).yawOffset, 0.5f);
    app->edit.modifyXfile(0xFFFFFFFEu, static_cast<long>(-180));
    EXPECT_EQ(bodyOf(*app, placement).modelOffset.y, -2.0f);
    EXPECT_EQ(bodyOf(*app, placement).yawOffset, -1.0f);
}

TEST_F(Picking, AnAssignedObjectIsPlacedTenAlongTheCentreRay) {
    placeScene();
    XfilePlacement& placement = placeBody(*app, {0, 0, 0});
    app->editor.drive(&placement);
    ASSERT_EQ(app->edit.placeXfileInFrontOfCamera(), S_OK);
    D3DXVECTOR3 dir;
    D3DXVECTOR3 origin;
    app->edit.pickRay(320, 240, app->camera.view(), app->renderer.pictureProjection(), &dir,
                      &origin);
    EXPECT_EQ(bodyOf(*app, placement).position, origin + dir * 10.0f);
    EXPECT_EQ(bodyOf(*app, placement).stepPosition, bodyOf(*app, placement).position);
    app->editor.drive(nullptr);
    EXPECT_EQ(app->edit.placeXfileInFrontOfCamera(), E_FAIL);
}
