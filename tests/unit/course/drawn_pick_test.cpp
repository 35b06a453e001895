// Picks and drags in a view the size a maximised window gives it, checked against what
// the frame drew: the pixels a placed mesh covers, as the picture's rule fills them.
#include <gtest/gtest.h>

#include <algorithm>
#include <map>
#include <utility>

#include "course/DrawnView.h"
#include "support/AssetFixture.h"
#include "support/BodyOf.h"

namespace {

class MaximisedView : public AssetFixture {
protected:
    // The view of a window maximised on a 1280 x 1024 screen.
    static constexpr UINT kViewWidth = 1010;
    static constexpr UINT kViewHeight = 930;

    // A course laid in the small view, then the window maximised, the car placed and
    // settled on the road with the camera following it.
    void SetUp() override {
        AssetFixture::SetUp();
        createLoopCourse(6, 30);
        device->resizeBackBuffer(kViewWidth, kViewHeight);
        ASSERT_EQ(app->invalidateDeviceObjects(), S_OK);
        ASSERT_EQ(app->restoreDeviceObjects(), S_OK);
        app->onInitialUpdate(kViewWidth, kViewHeight, nullptr);
        app->selectTab(TAB_PLACE);
        ASSERT_EQ(app->library.pushXfile(fileRecord("car.x"), treeItem(1)), S_OK);
        app->assets.selectXfile(treeItem(1));
        app->library.assign();
        car = app->editor.driven();
        ASSERT_NE(car, nullptr);
        for (int frame = 0; frame < 3; ++frame) {
            drawFrame();
        }
    }

    void drawFrame() {
        app->frameMove();
        app->render();
    }

    DrawnView drawn() const { return DrawnView(device.get(), kViewWidth, kViewHeight); }

    std::vector<POINT> carSilhouette() const {
        return drawn().silhouette(*car->mesh->systemMesh(), bodyOf(*app, *car).world);
    }

    bool rightClick(POINT p) { return app->edit.selectXfilePlacement(p.x, p.y, nullptr, nullptr); }

    static POINT form(POINT view) { return POINT{view.x + 12, view.y + 28}; }

    D3DXVECTOR3 carShown() const {
        const D3DXMATRIX& world = bodyOf(*app, *car).world;
        return {world._41, world._42, world._43};
    }

    XfilePlacement* car = nullptr;
};

// The first and last covered pixel of each row and of each column, and the pixels just
// beyond them, which nothing covers.
struct Edges {
    std::vector<POINT> inside;
    std::vector<POINT> beyond;
};

Edges edgesOf(const std::vector<POINT>& pixels) {
    std::map<LONG, std::pair<LONG, LONG>> rows;
    std::map<LONG, std::pair<LONG, LONG>> columns;
    for (const POINT p : pixels) {
        auto row = rows.try_emplace(p.y, p.x, p.x).first;
        row->second = {std::min(row->second.first, p.x), std::max(row->second.second, p.x)};
        auto column = columns.try_emplace(p.x, p.y, p.y).first;
        column->second = {std::min(column->second.first, p.y),
                          std::max(column->second.second, p.y)};
    }
    Edges edges;
    for (const auto& [y, span] : rows) {
        edges.inside.insert(edges.inside.end(), {POINT{span.first, y}, POINT{span.second, y}});
        edges.beyond.insert(edges.beyond.end(),
                            {POINT{span.first - 1, y}, POINT{span.second + 1, y}});
    }
    for (const auto& [x, span] : columns) {
        edges.inside.insert(edges.inside.end(), {POINT{x, span.first}, POINT{x, span.second}});
        edges.beyond.insert(edges.beyond.end(),
                            {POINT{x, span.first - 1}, POINT{x, span.second + 1}});
    }
    return edges;
}

bool sameBits(const D3DXVECTOR3& a, const D3DXVECTOR3& b) {
    return std::memcmp(&a, &b, sizeof a) == 0;
}

} // namespace

TEST_F(MaximisedView, TheCarIsPickedAtEveryEdgePixelOfWhatIsDrawnAndNotBeside) {
    // As placed; raised by the X-file dialog and turned side on; raised a little and
    // turned a little.
    struct Pose {
        unsigned lift;
        long degrees;
    };
    for (const Pose pose : {Pose{0, 0}, Pose{3, 90}, Pose{1, 30}}) {
        app->editor.drive(car);
        app->edit.modifyXfile(pose.lift, pose.degrees);
        drawFrame();
        drawFrame();
        const std::vector<POINT> shown = carSilhouette();
        ASSERT_GT(shown.size(), 200u) << "lift " << static_cast<int>(pose.lift);
        const Edges edges = edgesOf(shown);
        for (const POINT p : edges.inside) {
            EXPECT_TRUE(rightClick(p))
                << "drawn at " << p.x << ", " << p.y << " lift " << static_cast<int>(pose.lift);
        }
        for (const POINT p : edges.beyond) {
            EXPECT_FALSE(rightClick(p))
                << "not drawn at " << p.x << ", " << p.y << " lift " << static_cast<int>(pose.lift);
        }
    }
}

TEST_F(MaximisedView, AGrabbedPointStaysUnderTheCursorSeenFromItsHeightAndTheCameraStays) {
    // The walking camera at the course's start, two above the road, and the car thirty
    // ahead: the eye looks at it from little above its height.
    app->editor.drive(nullptr);
    app->selectTab(TAB_PLACE);
    drawFrame();
    const D3DXVECTOR3 ahead = drawn().along(kViewWidth / 2.0f, kViewHeight / 2.0f, 30);
    bodyOf(*app, *car).position = bodyOf(*app, *car).stepPosition = ahead;
    for (int frame = 0; frame < 3; ++frame) {
        drawFrame();
    }
    const D3DXVECTOR3 eye = app->camera.eye();
    const D3DXVECTOR3 at = app->camera.at();
    const D3DXVECTOR3 toCar = carShown() - eye;
    ASSERT_LT(-toCar.y / D3DXVec3Length(&toCar), 0.06f);

    const POINT grab = middlePixel(carSilhouette());
    D3DXVECTOR3 held;
    ASSERT_EQ(app->edit.pickPlacement(grab.x, grab.y, nullptr, nullptr, &held),
              EditSession::Picked::Mesh);
    const D3DXVECTOR3 shownAtGrab = carShown();
    app->edit.onLButtonDown(form(grab));
    ASSERT_EQ(app->editor.driven(), car);
    // Small moves either way, across, and far above the level plane's horizon.
    for (const POINT step :
         {POINT{0, -6}, POINT{0, 14}, POINT{25, -3}, POINT{-30, -60}, POINT{10, 40}}) {
        const POINT cursor{grab.x + step.x, grab.y + step.y};
        app->edit.onMouseMove(form(cursor));
        drawFrame();
        const D3DXVECTOR2 shown = drawn().pixelOf(held + (carShown() - shownAtGrab));
        EXPECT_NEAR(shown.x, cursor.x + 0.5f, 1.0f) << step.x << ", " << step.y;
        EXPECT_NEAR(shown.y, cursor.y + 0.5f, 1.0f) << step.x << ", " << step.y;
        EXPECT_TRUE(sameBits(app->camera.eye(), eye));
        EXPECT_TRUE(sameBits(app->camera.at(), at));
    }
    app->edit.onLButtonUp();
    for (int frame = 0; frame < 3; ++frame) {
        drawFrame();
    }
    EXPECT_TRUE(sameBits(app->camera.eye(), eye));
    EXPECT_TRUE(sameBits(app->camera.at(), at));
    EXPECT_EQ(app->editor.driven(), car);
}
