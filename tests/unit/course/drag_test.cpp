// Dragging placed objects with the left button, and clicks that pick nothing.
#include <algorithm>
#include <cmath>
#include <cstring>
#include <gtest/gtest.h>

#include "course/DrawnView.h"
#include "support/AssetFixture.h"
#include "support/BodyOf.h"

namespace {

class Drag : public AssetFixture {
protected:
    // The car placed on a course and settled on the road, the camera following it.
    void SetUp() override {
        AssetFixture::SetUp();
        createLoopCourse(6, 30);
        app->selectTab(TAB_PLACE);
        ASSERT_EQ(app->library.pushXfile(fileRecord("car.x"), treeItem(1)), S_OK);
        app->assets.selectXfile(treeItem(1));
        app->library.assign();
        car = app->editor.driven();
        for (int frame = 0; frame < 3; ++frame) {
            drawFrame();
        }
    }

    void drawFrame() {
        app->frameMove();
        app->render();
    }

    DrawnView drawn() const { return DrawnView(device.get(), kWidth, kHeight); }

    // Where the car was drawn in the last frame.
    D3DXVECTOR3 carShown() const {
        const D3DXMATRIX& world = bodyOf(*app, *car).world;
        return {world._41, world._42, world._43};
    }

    // The pixel in the middle of those the car covered in the last frame.
    POINT carPixel() const {
        return middlePixel(drawn().silhouette(*car->mesh->systemMesh(), bodyOf(*app, *car).world));
    }

    // The left button pressed at view pixel p, holding the point of the car the pick
    // meets there.
    void press(POINT p) {
        ASSERT_EQ(app->edit.pickPlacement(p.x, p.y, nullptr, nullptr, &held),
                  EditSession::Picked::Mesh);
        shownAtPress = carShown();
        app->edit.onLButtonDown(form(p));
        ASSERT_EQ(app->editor.driven(), car);
    }

    // Where the held point of the car shows now, and whether that is the middle of
    // view pixel p, within a pixel and a half.
    ::testing::AssertionResult heldShowsAt(POINT p) const {
        const D3DXVECTOR2 shown = drawn().pixelOf(held + (carShown() - shownAtPress));
        if (std::fabs(shown.x - (static_cast<float>(p.x) + 0.5f)) < 1.5f &&
            std::fabs(shown.y - (static_cast<float>(p.y) + 0.5f)) < 1.5f) {
            return ::testing::AssertionSuccess();
        }
        return ::testing::AssertionFailure() << "held point at " << shown.x << ", " << shown.y
                                             << ", cursor at " << p.x << ", " << p.y;
    }

    // The host passes form pixels: the view starts at (12, 28) in the form.
    static POINT form(POINT view) { return POINT{view.x + 12, view.y + 28}; }

    // A frame after the cursor moved to view pixel p with the button held.
    void moveTo(POINT p) {
        app->edit.onMouseMove(form(p));
        drawFrame();
    }

    // A flag (32 wide, 16 tall) placed with its picture's middle at p, drawn once.
    BitmapPlacement& standFlag(const D3DXVECTOR3& p) {
        EXPECT_EQ(app->library.pushBitmap(fileRecord("flag.bmp"), treeItem(5)), S_OK);
        app->assets.selectBitmap(treeItem(5));
        app->library.assign();
        BitmapPlacement& flag = app->editor.current()->bitmapPlacements.back();
        flagFoot = p - D3DXVECTOR3(0, flag.halfHeight, 0);
        flag.drawX = flag.x = flagFoot.x;
        flag.drawY = flag.y = flagFoot.y;
        flag.drawZ = flag.z = flagFoot.z;
        drawFrame();
        return flag;
    }

    static D3DXVECTOR3 positionOf(const BitmapPlacement& flag) {
        return {flag.drawX, flag.drawY, flag.drawZ};
    }

    // A pixel of the view where only the sky shows.
    static constexpr POINT kSky{320, 5};

    XfilePlacement* car = nullptr;
    D3DXVECTOR3 held;
    D3DXVECTOR3 shownAtPress;
    D3DXVECTOR3 flagFoot;
};

// The same bits, not merely equal values.
bool sameBits(const D3DXVECTOR3& a, const D3DXVECTOR3& b) {
    return std::memcmp(&a, &b, sizeof a) == 0;
}

} // namespace

TEST_F(Drag, TheDraggedCarStaysUnderTheCursor) {
    const POINT grab = carPixel();
    const float height = bodyOf(*app, *car).position.y;
    press(grab);
    for (const POINT step :
         {POINT{0, 12}, POINT{15, 30}, POINT{-10, 45}, POINT{-25, 25}, POINT{5, 60}}) {
        const POINT cursor{grab.x + step.x, grab.y + step.y};
        moveTo(cursor);
        ASSERT_NEAR(bodyOf(*app, *car).position.y, height, 1e-4f); // still on the level road
        EXPECT_TRUE(heldShowsAt(cursor));
    }
    app->edit.onLButtonUp();
    const D3DXVECTOR3 released = bodyOf(*app, *car).position;
    moveTo(POINT{grab.x, grab.y + 80}); // moves without the button move nothing
    EXPECT_TRUE(sameBits(bodyOf(*app, *car).position, released));
}

TEST_F(Drag, TheHeldCarStaysUnderTheCursorAsTheViewTurns) {
    const POINT grab = carPixel();
    press(grab);
    for (int frame = 0; frame < 4; ++frame) {
        app->input.turn(0.01f); // the eye stays, the view turns
        drawFrame();
        EXPECT_TRUE(heldShowsAt(grab));
    }
}

TEST_F(Drag, ACursorAboveTheGroundsHorizonLeavesTheCarWhereItWas) {
    press(carPixel());
    moveTo(POINT{kSky.x - 40, kSky.y + 10});
    const D3DXVECTOR3 position = bodyOf(*app, *car).position;
    moveTo(kSky);
    EXPECT_TRUE(sameBits(bodyOf(*app, *car).position, position));
}

TEST_F(Drag, TheCarHeldOffCentreKeepsThePointHeldUnderTheCursor) {
    // A pixel of the car away from its middle: the point of the car seen there is held.
    const std::vector<POINT> covered =
        drawn().silhouette(*car->mesh->systemMesh(), bodyOf(*app, *car).world);
    const POINT middle = middlePixel(covered);
    const POINT grab = *std::max_element(covered.begin(), covered.end(), [&](POINT a, POINT b) {
        return a.x - middle.x + a.y - middle.y < b.x - middle.x + b.y - middle.y;
    });
    press(grab);
    EXPECT_TRUE(heldShowsAt(grab));
    const POINT cursor{grab.x - 20, grab.y + 40};
    moveTo(cursor);
    EXPECT_TRUE(heldShowsAt(cursor));
}

TEST_F(Drag, AFlagBesideTheDraggedCarIsLeftAlone) {
    const D3DXVECTOR3 shown = carShown();
    const POINT grab = carPixel();
    // The flag stands to the right of the car and farther, its picture clear of it.
    BitmapPlacement& flag =
        standFlag(drawn().along(static_cast<float>(grab.x + 200), static_cast<float>(grab.y), 60));
    press(grab);
    for (int step = 1; step <= 8; ++step) {
        moveTo(POINT{grab.x + 20 * step, grab.y}); // over to the flag and onto it
    }
    app->edit.onLButtonUp();
    EXPECT_EQ(app->editor.driven(), car);
    EXPECT_EQ(app->editor.lastBitmap(), &flag);
    EXPECT_TRUE(sameBits(positionOf(flag), flagFoot));
    const D3DXVECTOR3 moved = bodyOf(*app, *car).position - shown;
    EXPECT_GT(D3DXVec3Length(&moved), 5.0f);
}

TEST_F(Drag, ADraggedFlagKeepsItsFootAtItsHeight) {
    BitmapPlacement& flag = standFlag(drawn().along(120, 330, 50));
    const D3DXVECTOR3 middle = flagFoot + D3DXVECTOR3(0, flag.halfHeight, 0);
    const POINT grab = drawn().nearestPixel(middle);
    app->editor.setLastBitmap(nullptr);
    app->edit.onLButtonDown(form(grab));
    ASSERT_EQ(app->editor.lastBitmap(), &flag);
    EXPECT_EQ(app->editor.driven(), nullptr);
    const POINT cursor{grab.x + 30, grab.y + 20};
    moveTo(cursor);
    EXPECT_EQ(flag.drawY, flagFoot.y);
    EXPECT_EQ(flag.y, flagFoot.y);
    EXPECT_EQ(flag.x, flag.drawX);
    EXPECT_EQ(flag.z, flag.drawZ);
    const D3DXVECTOR2 shown = drawn().pixelOf(positionOf(flag) + (middle - flagFoot));
    EXPECT_NEAR(shown.x, static_cast<float>(cursor.x), 1.5f);
    EXPECT_NEAR(shown.y, static_cast<float>(cursor.y), 1.5f);
}

TEST_F(Drag, AClickThatPicksNothingLetsGoAndMovesNothing) {
    const D3DXVECTOR3 eye = app->camera.eye();
    const D3DXVECTOR3 at = app->camera.at();
    const D3DXVECTOR3 position = bodyOf(*app, *car).position;
    const auto unmoved = [&] {
        for (int frame = 0; frame < 3; ++frame) {
            drawFrame();
        }
        EXPECT_TRUE(sameBits(app->camera.eye(), eye));
        EXPECT_TRUE(sameBits(app->camera.at(), at));
        EXPECT_TRUE(sameBits(bodyOf(*app, *car).position, position));
    };

    // The right button asks what is under the cursor.
    D3DXVECTOR3 direction;
    D3DXVECTOR3 origin;
    EXPECT_FALSE(app->edit.selectXfilePlacement(kSky.x, kSky.y, &direction, &origin));
    EXPECT_EQ(app->editor.driven(), nullptr);
    unmoved();

    // The left button, held and moved.
    app->editor.drive(car);
    app->edit.onLButtonDown(form(kSky));
    moveTo(POINT{kSky.x + 30, kSky.y + 200});
    app->edit.onLButtonUp();
    EXPECT_EQ(app->editor.driven(), nullptr);
    EXPECT_EQ(app->editor.lastBitmap(), nullptr);
    unmoved();
}
