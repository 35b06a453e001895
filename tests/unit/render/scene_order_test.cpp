// What the engine asks of the device while it draws a frame, seen through the
// recording device.
#include "support/EngineAppPeer.h"
#include <gtest/gtest.h>

#include "course/CourseField.h"
#include "course/StripGrid.h"
#include "support/Bodies.h"
#include "support/EngineFixture.h"

namespace {

bool sameMatrix(const D3DMATRIX& a, const D3DXMATRIX& b) {
    for (int r = 0; r < 4; ++r) {
        for (int c = 0; c < 4; ++c) {
            if (std::abs(a.m[r][c] - b.m[r][c]) > 1e-5f) {
                return false;
            }
        }
    }
    return true;
}

using SceneOrder = EngineFixture;

} // namespace

TEST(PlayClock, CountsEightMillisecondUnitsThenMilliseconds) {
    EXPECT_EQ(playClockText(61000), " 7. 5.  0");
    EXPECT_EQ(playClockText(0), " 0. 0.  0");
    EXPECT_EQ(playClockText(8 * 60 * 60), " 0. 0.800"); // the first field wraps at 60
    EXPECT_EQ(playClockText(30279), " 3. 4.279");
    const RECT r = playClockRect(640);
    EXPECT_EQ(r.left, 256);
    EXPECT_EQ(r.top, 8);
    EXPECT_EQ(r.right, 620);
    EXPECT_EQ(r.bottom, 48);
}

TEST_F(SceneOrder, TheCourseSceneDrawsSkyStripsFieldThenMeshes) {
    LCourse_t& course = createLoopCourse(6, 30);
    app->selectTab(TAB_PLACE);
    app->frameMove();
    device->clearLog();
    ASSERT_EQ(app->render(), S_OK);
    const auto& draws = device->draws();
    ASSERT_GE(draws.size(), 1u + kStripCount + course.field->fans().size());
    // First the sky: an unlit grid around the eye, under its own wide projection.
    const DrawSnapshot& sky = draws[0];
    EXPECT_EQ(sky.renderState(D3DRS_LIGHTING), 0u);
    EXPECT_EQ(sky.world()._41, app->camera.eye().x);
    EXPECT_TRUE(sameMatrix(sky.state.transform(D3DTS_PROJECTION), peek(*app).sky()->projection()));
    // Then the seven strips: textured triangle lists, flat, culling counter-clockwise.
    for (int k = 1; k <= kStripCount; ++k) {
        const DrawSnapshot& strip = draws[k];
        EXPECT_EQ(strip.call.primitiveType, D3DPT_TRIANGLELIST);
        EXPECT_EQ(strip.state.fvf, 0x112u);
        EXPECT_EQ(strip.state.streams[0].stride, 32u);
        EXPECT_EQ(strip.renderState(D3DRS_CULLMODE), static_cast<DWORD>(D3DCULL_CCW));
        EXPECT_EQ(strip.renderState(D3DRS_SHADEMODE), static_cast<DWORD>(D3DSHADE_FLAT));
        EXPECT_EQ(strip.renderState(D3DRS_LIGHTING), 0u);
        EXPECT_EQ(strip.texture(), course.strips[k - 1]->texture());
    }
    // Then the inner field's fans, with nothing culled.
    const DrawSnapshot& fan = draws[1 + kStripCount];
    EXPECT_EQ(fan.call.primitiveType, D3DPT_TRIANGLEFAN);
    EXPECT_EQ(fan.renderState(D3DRS_CULLMODE), static_cast<DWORD>(D3DCULL_NONE));
    // The sky's projection stays in force after the frame.
    EXPECT_TRUE(
        sameMatrix(device->state().transform(D3DTS_PROJECTION), peek(*app).sky()->projection()));
    EXPECT_EQ(device->state().renderState(D3DRS_LIGHTING), 1u);
}

TEST_F(SceneOrder, ClearColoursByTab) {
    const auto clearColour = [this](int tab) {
        app->selectTab(tab);
        device->clearLog();
        app->render();
        const auto clears = device->callsNamed("Clear");
        return clears.empty() ? std::string("none") : clears[0]->args[3];
    };
    EXPECT_EQ(clearColour(TAB_PLAY), "0x008888DD");
    EXPECT_EQ(clearColour(TAB_COURSE), "0x00444444");
    EXPECT_EQ(clearColour(TAB_PREVIEW), "0x00CCCCEE");
    EXPECT_EQ(clearColour(7), "none");
}

TEST_F(SceneOrder, AFailedBeginSceneDrawsNothingMore) {
    createLoopCourse(6, 30);
    app->selectTab(TAB_PLACE);
    device->setBeginSceneResult(D3DERR_INVALIDCALL);
    device->clearLog();
    EXPECT_EQ(app->render(), E_FAIL);
    EXPECT_EQ(device->count("Clear"), 1u);
    EXPECT_TRUE(device->draws().empty());
    EXPECT_EQ(device->count("EndScene"), 0u);
}

TEST_F(SceneOrder, TextIsSkippedWhileTheFontsAreGone) {
    createLoopCourse(6, 30);
    for (int tab : {static_cast<int>(TAB_PLAY), static_cast<int>(TAB_PLACE),
                    static_cast<int>(TAB_COURSE), static_cast<int>(TAB_PREVIEW)}) {
        app->selectTab(tab);
        app->invalidateDeviceObjects();
        EXPECT_EQ(peek(*app).fontLarge(), nullptr);
        device->clearLog();
        EXPECT_EQ(app->render(), S_OK) << tab;
        EXPECT_EQ(device->count("EndScene"), 1u) << tab;
        EXPECT_EQ(app->renderer.drawHelpText(), E_FAIL);
        EXPECT_EQ(app->restoreDeviceObjects(), S_OK);
        EXPECT_NE(peek(*app).fontLarge(), nullptr);
    }
}

TEST_F(SceneOrder, TheEditorDrawsTheTraceThenThePoints) {
    LCourse_t& course = createLoopCourse(5, 30);
    app->selectTab(TAB_COURSE);
    device->clearLog();
    app->render();
    // One sprite draw per dot: the blue trace first, then the green points, then the
    // points laid for the next create (still the course's own right after creating it).
    const std::size_t dots = course.dottedTrace.size() + course.dottedPoints.size() +
                             app->editor.laidPoints().dotted().size();
    EXPECT_EQ(app->editor.laidPoints().dotted().size(), course.dottedPoints.size());
    std::size_t spriteDraws = 0;
    for (const auto& draw : device->draws()) {
        spriteDraws += draw.texture() == peek(*app).dotBlue()->texture() ||
                               draw.texture() == peek(*app).dotGreen()->texture()
                           ? 1
                           : 0;
    }
    EXPECT_EQ(spriteDraws, dots);
    EXPECT_EQ(device->draws().front().texture(), peek(*app).dotBlue()->texture());
}
