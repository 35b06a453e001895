// Picking placed meshes and bitmaps where the course scene draws them.
#include <gtest/gtest.h>
#include <iterator>

#include "course/DrawnView.h"
#include "support/AssetFixture.h"
#include "support/Bodies.h"
#include "support/BodyOf.h"

namespace {

class PlacementPick : public AssetFixture {
protected:
    // A course with the walking camera at its start, in the place tab, one frame drawn.
    void SetUp() override {
        AssetFixture::SetUp();
        createLoopCourse(6, 30);
        app->selectTab(TAB_PLACE);
        drawFrame();
    }

    void drawFrame() {
        app->frameMove();
        app->render();
    }

    DrawnView drawn() const { return DrawnView(device.get(), kWidth, kHeight); }

    // The point d from the eye under view pixel (x, y).
    D3DXVECTOR3 under(int x, int y, float d) const {
        return drawn().along(static_cast<float>(x), static_cast<float>(y), d);
    }

    // The pick of the right button at view pixel p: whether it picked a mesh.
    bool rightClick(POINT p) { return app->edit.selectXfilePlacement(p.x, p.y, nullptr, nullptr); }

    // The left button pressed and released at view pixel p, a move to p between.
    void leftClick(POINT p) {
        const POINT form{p.x + app->viewOrigin().x, p.y + app->viewOrigin().y};
        app->edit.onLButtonDown(form);
        app->edit.onMouseMove(form);
        app->edit.onLButtonUp();
    }

    // A placed flag (32 wide, 16 tall) standing with its foot at p, drawn once.
    BitmapPlacement& standFlag(const D3DXVECTOR3& foot) {
        EXPECT_EQ(app->library.pushBitmap(fileRecord("flag.bmp"), treeItem(5)), S_OK);
        app->assets.selectBitmap(treeItem(5));
        app->library.assign();
        BitmapPlacement& flag = app->editor.current()->bitmapPlacements.back();
        flag.drawX = flag.x = foot.x;
        flag.drawY = flag.y = foot.y;
        flag.drawZ = flag.z = foot.z;
        app->render();
        return flag;
    }

    // The point of the flag's picture a fraction across it from its left (-1) to its
    // right (1) and up from its foot (0) to its top (1), turned as last drawn.
    static D3DXVECTOR3 onPicture(const BitmapPlacement& flag, float across, float up) {
        D3DXMATRIX world = flag.bitmap->world();
        world._41 = flag.drawX;
        world._42 = flag.drawY;
        world._43 = flag.drawZ;
        const D3DXVECTOR3 local(across * flag.halfWidth, up * 2 * flag.halfHeight, 0);
        D3DXVECTOR3 shown;
        D3DXVec3TransformCoord(&shown, &local, &world);
        return shown;
    }

    PlacedMeshes& meshes() { return app->editor.current()->xfilePlacements; }
};

} // namespace

TEST_F(PlacementPick, AMeshIsPickedWhereverInTheViewItShows) {
    for (const POINT cursor : {POINT{320, 240}, POINT{40, 30}, POINT{600, 450}, POINT{610, 100}}) {
        XfilePlacement& mesh = placeBody(*app, under(cursor.x, cursor.y, 25), 2.0f);
        EXPECT_TRUE(rightClick(cursor));
        EXPECT_EQ(app->editor.driven(), &mesh);
        // Just off the pick sphere (radius 1) seen from 25 away.
        EXPECT_FALSE(rightClick(
            drawn().nearestPixel(bodyOf(*app, mesh).position + D3DXVECTOR3(0, 1.5f, 0))));
        meshes().clear();
    }
}

TEST_F(PlacementPick, TheNearestMeshAlongTheRayIsPickedWhateverTheListOrder) {
    const POINT cursor{320, 240};
    for (const bool nearFirst : {false, true}) {
        meshes().clear();
        const D3DXVECTOR3 farAt = under(cursor.x, cursor.y, 30);
        const D3DXVECTOR3 nearAt = under(cursor.x, cursor.y, 20);
        XfilePlacement& first = placeBody(*app, nearFirst ? nearAt : farAt, 2.0f);
        XfilePlacement& second = placeBody(*app, nearFirst ? farAt : nearAt, 2.0f);
        EXPECT_TRUE(rightClick(cursor));
        EXPECT_EQ(app->editor.driven(), nearFirst ? &first : &second) << nearFirst;

        // A twin in the very same place as the near one: the earlier in the list wins.
        (void)placeBody(*app, nearAt, 2.0f);
        EXPECT_TRUE(rightClick(cursor));
        EXPECT_EQ(app->editor.driven(), nearFirst ? &first : &second) << nearFirst;
    }
}

TEST_F(PlacementPick, MeshesBehindTheEyeOrBeyondTheDrawnDistanceDoNotStopThePick) {
    const POINT cursor{320, 240};
    placeBody(*app, under(cursor.x, cursor.y, -30), 4.0f);  // behind the eye
    placeBody(*app, under(cursor.x, cursor.y, 1500), 4.0f); // past the far plane
    placeBody(*app, under(200, 300, 1500), 400.0f);         // ditto, however large
    XfilePlacement& near = placeBody(*app, under(cursor.x, cursor.y, 40), 4.0f);
    EXPECT_TRUE(rightClick(cursor));
    EXPECT_EQ(app->editor.driven(), &near);
    // What is not drawn is not picked.
    EXPECT_FALSE(rightClick(POINT{200, 300}));
    EXPECT_EQ(app->editor.driven(), nullptr);
}

TEST_F(PlacementPick, ARaisedMeshIsPickedWhereItIsDrawn) {
    XfilePlacement& mesh = placeBody(*app, under(320, 330, 25), 2.0f);
    app->editor.drive(&mesh);
    app->edit.modifyXfile(5, 0); // the X-file dialog's highest
    app->editor.drive(nullptr);
    drawFrame();
    drawFrame(); // the drawn pose lags the surface by a frame
    const D3DXVECTOR3 shown(bodyOf(*app, mesh).world._41, bodyOf(*app, mesh).world._42,
                            bodyOf(*app, mesh).world._43);
    const D3DXVECTOR3 body = bodyOf(*app, mesh).position;
    ASSERT_NEAR(shown.y - body.y, 5.0f, 1e-4f);

    EXPECT_FALSE(rightClick(drawn().nearestPixel(body))); // nothing shows there
    EXPECT_EQ(app->editor.driven(), nullptr);
    EXPECT_TRUE(rightClick(drawn().nearestPixel(shown)));
    EXPECT_EQ(app->editor.driven(), &mesh);
}

TEST_F(PlacementPick, ABitmapIsPickedOnItsPictureAndNowhereElse) {
    BitmapPlacement& flag = standFlag(under(320, 330, 60));
    // Near the top corners of the picture, farther from its foot than its half width.
    for (const float across : {-0.85f, 0.85f}) {
        app->editor.setLastBitmap(nullptr);
        leftClick(drawn().nearestPixel(onPicture(flag, across, 0.9f)));
        EXPECT_EQ(app->editor.lastBitmap(), &flag);
    }
    // Below its foot and beside it, close to the foot but off the picture.
    for (const D3DXVECTOR2 off : {D3DXVECTOR2(0, -0.4f), D3DXVECTOR2(1.3f, 0.1f)}) {
        app->editor.setLastBitmap(&flag);
        leftClick(drawn().nearestPixel(onPicture(flag, off.x, off.y)));
        EXPECT_EQ(app->editor.lastBitmap(), nullptr);
    }
}

TEST_F(PlacementPick, OfAMeshAndABitmapTheNearerIsPicked) {
    const POINT cursor{320, 240};
    const float distance = 60;
    BitmapPlacement& flag = standFlag(under(cursor.x, cursor.y, distance) - D3DXVECTOR3(0, 8, 0));
    XfilePlacement& behind = placeBody(*app, under(cursor.x, cursor.y, distance + 10), 4.0f);
    leftClick(cursor); // the flag hides the mesh
    EXPECT_EQ(app->editor.lastBitmap(), &flag);
    EXPECT_EQ(app->editor.driven(), nullptr);
    EXPECT_FALSE(rightClick(cursor)); // and so no mesh menu
    EXPECT_EQ(app->editor.lastBitmap(), &flag);

    bodyOf(*app, behind).position = under(cursor.x, cursor.y, distance - 10);
    EXPECT_TRUE(rightClick(cursor));
    EXPECT_EQ(app->editor.driven(), &behind);
}

TEST_F(PlacementPick, TheRightButtonHandsOutTheLineOfSightWhateverItHits) {
    for (const POINT cursor : {POINT{320, 240}, POINT{40, 400}}) {
        D3DXVECTOR3 direction;
        D3DXVECTOR3 origin;
        EXPECT_FALSE(app->edit.selectXfilePlacement(cursor.x, cursor.y, &direction, &origin));
        const D3DXVECTOR3 fromEye = origin - app->camera.eye();
        EXPECT_LT(D3DXVec3Length(&fromEye), 1e-4f);
        D3DXVec3Normalize(&direction, &direction);
        // Through the middle of the pixel, which the picture fills with what lies there.
        const float x = static_cast<float>(cursor.x) + 0.5f;
        const float y = static_cast<float>(cursor.y) + 0.5f;
        const D3DXVECTOR3 drawnWay = drawn().along(x, y, 1) - drawn().along(x, y, 0);
        const D3DXVECTOR3 apart = direction - drawnWay;
        EXPECT_LT(D3DXVec3Length(&apart), 1e-4f);
    }
}

TEST_F(PlacementPick, NoPicksWithoutACourseOrInThePreview) {
    placeBody(*app, under(320, 240, 30), 4.0f);
    app->selectTab(TAB_PREVIEW);
    EXPECT_FALSE(rightClick(POINT{320, 240}));
    app->clearCourse();
    app->selectTab(TAB_PLACE);
    EXPECT_FALSE(rightClick(POINT{320, 240}));
}
