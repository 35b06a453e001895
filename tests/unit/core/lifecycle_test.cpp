#include "support/EngineAppPeer.h"
#include <gtest/gtest.h>
#include <unistd.h>

#include "course/CourseField.h"
#include "course/StripGrid.h"
#include "support/EngineFixture.h"

namespace {

bool matrixEquals(const D3DMATRIX& a, const D3DXMATRIX& b) {
    for (int r = 0; r < 4; ++r) {
        for (int c = 0; c < 4; ++c) {
            if (std::abs(a.m[r][c] - b.m[r][c]) > 1e-6f) {
                return false;
            }
        }
    }
    return true;
}

class FixedClock : public ::testing::Test {
protected:
    void SetUp() override {
        SetTimeSourceForTests([this] { return now; });
    }
    void TearDown() override { SetTimeSourceForTests({}); }
    DWORD now = 5000;
};

} // namespace

using EngineConstruction = FixedClock;

TEST_F(EngineConstruction, StartsWithTheDocumentedDefaults) {
    CEngineApp app;
    EXPECT_EQ(peek(app).playStartTime(), 5000u);
    EXPECT_EQ(peek(app).stripCount(), 7);
    EXPECT_EQ(peek(app).roadStrip(), 3);
    EXPECT_EQ(app.editor.number(), 1);
    EXPECT_EQ(app.simulation.footprintLength(), 2.0f);
    EXPECT_EQ(app.simulation.footprintWidth(), 2.0f);
    EXPECT_EQ(app.viewOrigin().x, 12);
    EXPECT_EQ(app.viewOrigin().y, 28);
    EXPECT_TRUE(peek(app).buildPending());
    EXPECT_FALSE(app.editor.canCreate());
    EXPECT_FALSE(app.isPlaying());
    EXPECT_EQ(app.editor.current(), nullptr);
    EXPECT_EQ(app.currentDevice(), nullptr);
}

TEST_F(EngineConstruction, OneTimeInitSetsTheCameraTabAndBaseDirectory) {
    CEngineApp app;
    app.input.setHeading(3);
    app.selectTab(TAB_PLAY);
    LCourse_t course;
    MovementInput input;
    (void)app.camera.toggleScan(&course, input);
    ASSERT_TRUE(app.camera.isScanning());
    peek(app).holdButton();
    const auto window = reinterpret_cast<HWND>(0x42);
    EXPECT_EQ(app.oneTimeSceneInit(window), S_OK);
    EXPECT_EQ(peek(app).hwnd(), window);
    EXPECT_EQ(app.currentTab(), TAB_PLACE);
    EXPECT_EQ(app.input.heading(), 0.0f);
    EXPECT_FALSE(app.camera.isScanning());
    EXPECT_FALSE(peek(app).dragging());
    EXPECT_EQ(app.camera.eye(), D3DXVECTOR3(0, 0, -5));
    EXPECT_EQ(app.camera.at(), D3DXVECTOR3(0, 0, 0));
    EXPECT_EQ(app.camera.up(), D3DXVECTOR3(0, 1, 0));
    char cwd[4096];
    ASSERT_NE(getcwd(cwd, sizeof cwd), nullptr);
    EXPECT_EQ(app.assets.searchRoot(), cwd);
}

using EngineDevice = EngineFixture;

TEST_F(EngineDevice, InitReadsTheBackBufferAndSetsDepthStates) {
    CEngineApp fresh;
    EXPECT_EQ(fresh.oneTimeSceneInit(nullptr), S_OK);
    device->clearLog();
    EXPECT_EQ(fresh.initDeviceObjects(device.get()), S_OK);
    EXPECT_FALSE(peek(fresh).buildPending());
    EXPECT_EQ(peek(fresh).backBufferDesc().Width, kWidth);
    EXPECT_EQ(peek(fresh).backBufferDesc().Height, kHeight);
    // The dots' and the sky's pictures are made first, the depth states last.
    const std::vector<std::string> log = device->log();
    ASSERT_GE(log.size(), 3u);
    const std::vector<std::string> last(log.end() - 3, log.end());
    const std::vector<std::string> expected = {"SetRenderState(D3DRS_DITHERENABLE, 1)",
                                               "SetRenderState(D3DRS_ZENABLE, 1)",
                                               "SetRenderState(D3DRS_ZWRITEENABLE, 1)"};
    EXPECT_EQ(last, expected);
    EXPECT_EQ(device->count("CreateTexture"), 3u); // two dots and the sky
    ASSERT_NE(peek(fresh).sky(), nullptr);
    EXPECT_NE(peek(fresh).sky()->grid().texture(), nullptr);
    EXPECT_NE(peek(fresh).dotGreen()->texture(), nullptr);
    char cwd[4096];
    ASSERT_NE(getcwd(cwd, sizeof cwd), nullptr);
    EXPECT_EQ(peek(fresh).roadTexturePath(), std::string(cwd) + "/data/road.bmp");
    EXPECT_EQ(peek(fresh).edgeTexturePath(), std::string(cwd) + "/data/edge.bmp");
    EXPECT_EQ(peek(fresh).fieldTexturePath(), std::string(cwd) + "/data/field.bmp");
}

TEST_F(EngineDevice, RestoreSetsMaterialLightAndMatrices) {
    device->clearLog();
    EXPECT_EQ(app->restoreDeviceObjects(), S_OK);
    const DeviceState& state = device->state();
    EXPECT_EQ(state.material.Diffuse.r, 1.0f);
    EXPECT_EQ(state.material.Ambient.a, 1.0f);
    EXPECT_EQ(state.material.Specular.r, 0.0f);
    EXPECT_EQ(state.renderState(D3DRS_AMBIENT), 0x008F8F8Fu);
    EXPECT_EQ(state.renderState(D3DRS_LIGHTING), 1u);
    EXPECT_EQ(state.renderState(D3DRS_DITHERENABLE), 0u);
    EXPECT_EQ(state.stageState(0, D3DTSS_COLOROP), static_cast<DWORD>(D3DTOP_MODULATE));
    EXPECT_EQ(state.samplerState(0, D3DSAMP_MINFILTER), static_cast<DWORD>(D3DTEXF_LINEAR));
    EXPECT_TRUE(state.lightEnabled(0));
    D3DXMATRIX projection;
    D3DXMatrixPerspectiveFovLH(&projection, 0.7853982f, 640.0f / 480.0f, 1.0f, 200.0f);
    EXPECT_TRUE(matrixEquals(state.transform(D3DTS_PROJECTION), projection));
    D3DXMATRIX identity;
    D3DXMatrixIdentity(&identity);
    EXPECT_TRUE(matrixEquals(state.transform(D3DTS_WORLD), identity));
    // The light shines along normalize(-1, -1, 2).
    const D3DLIGHT9& light = state.lights.at(0).light;
    EXPECT_EQ(light.Type, D3DLIGHT_DIRECTIONAL);
    EXPECT_NEAR(light.Direction.z, 2 / std::sqrt(6.0f), 1e-6f);
    EXPECT_EQ(light.Range, 1000.0f);
}

TEST_F(EngineDevice, RecreatingTheDeviceKeepsTheSceneAndRemakesItsGeometry) {
    LCourse_t& course = createLoopCourse();
    const std::size_t fans = course.field->fans().size();
    ASSERT_GT(fans, 0u);
    app->invalidateDeviceObjects();
    app->deleteDeviceObjects();
    EXPECT_EQ(course.strips[0]->vertexBuffer(), nullptr);
    EXPECT_EQ(course.field->fans()[0]->vertexBuffer(), nullptr);

    // The host makes a new device and starts the engine on it again.
    ComPtr<RecordingDevice> second = RecordingDevice::create(800, 600);
    EXPECT_EQ(app->initDeviceObjects(second.get()), S_OK);
    EXPECT_EQ(app->restoreDeviceObjects(), S_OK);
    ASSERT_EQ(app->editor.courseList().size(), 1u);
    EXPECT_EQ(app->editor.current(), &course);
    EXPECT_EQ(peek(*app).backBufferDesc().Width, 800u);
    for (const auto& strip : course.strips) {
        EXPECT_EQ(strip->device(), second.get());
        EXPECT_NE(strip->vertexBuffer(), nullptr);
        EXPECT_NE(strip->texture(), nullptr);
    }
    EXPECT_EQ(course.field->fans().size(), fans);
    EXPECT_NE(course.field->fans()[0]->vertexBuffer(), nullptr);
    // The sky's grid, the seven strips and every fan.
    EXPECT_EQ(second->count("CreateVertexBuffer"), 1 + kStripCount + fans);
}

class TabSwitch : public EngineFixture {
protected:
    void SetUp() override {
        SetTimeSourceForTests([this] { return now; });
        EngineFixture::SetUp();
    }
    void TearDown() override { SetTimeSourceForTests({}); }
    DWORD now = 1000;
};

TEST_F(TabSwitch, PlayStartsTheClockEveryTimeAndEmptiesTheWorkingLists) {
    layLoop(4, 20);
    ASSERT_EQ(app->editor.laidPoints().dotted().size(), 4u);
    now = 2000;
    app->selectTab(TAB_PLAY);
    EXPECT_TRUE(app->isPlaying());
    EXPECT_EQ(peek(*app).playStartTime(), 2000u);
    EXPECT_TRUE(app->editor.laidPoints().dotted().empty());
    EXPECT_TRUE(app->editor.laidPoints().calculated().empty());
    EXPECT_FALSE(app->editor.laidPoints().any());
    now = 3500;
    app->selectTab(TAB_PLAY);
    EXPECT_EQ(peek(*app).playStartTime(), 3500u);
}

TEST_F(TabSwitch, CourseTabKeepsThePointsButNeedsANewClick) {
    layLoop(4, 20);
    app->selectTab(TAB_COURSE);
    EXPECT_FALSE(app->isPlaying());
    EXPECT_EQ(app->editor.laidPoints().dotted().size(), 4u);
    EXPECT_FALSE(app->editor.canCreate());
    EXPECT_EQ(app->createCourse(nextItem()), E_FAIL);
    EXPECT_TRUE(app->editor.courseList().empty());
    clickInEditor(pixelOf(0, 25));
    EXPECT_EQ(app->createCourse(nextItem()), S_OK);
    EXPECT_EQ(app->editor.courseList().front().calculatedPoints.size(), 5u);
}

TEST_F(TabSwitch, PlaceAndPreviewStopPlayAndEmptyTheWorkingLists) {
    for (int tab : {static_cast<int>(TAB_PLACE), static_cast<int>(TAB_PREVIEW)}) {
        app->selectTab(TAB_PLAY);
        layLoop(3, 20);
        app->selectTab(tab);
        EXPECT_FALSE(app->isPlaying()) << tab;
        EXPECT_TRUE(app->editor.laidPoints().dotted().empty()) << tab;
        EXPECT_EQ(app->currentTab(), tab);
    }
}

TEST_F(TabSwitch, PlacePutsTheCameraAtTheCourseStart) {
    createLoopCourse();
    // Walk away from the start first.
    app->selectTab(TAB_PLAY);
    app->input.setMove(30);
    app->frameMove();
    const D3DXVECTOR3 walked = app->camera.eye();
    app->selectTab(TAB_PLACE);
    EXPECT_NE(app->camera.eye(), walked);
    EXPECT_EQ(app->camera.eye(), app->camera.scanEyePoint());
}

TEST_F(TabSwitch, UnknownTabsDrawNothingAndLeaveTheView) {
    createLoopCourse();
    for (int tab : {4, -1, 100}) {
        app->selectTab(tab);
        device->clearLog();
        app->frameMove();
        app->render();
        EXPECT_EQ(device->count("SetTransform"), 0u) << tab;
        EXPECT_EQ(device->count("Clear"), 0u) << tab;
        EXPECT_TRUE(device->log().empty()) << tab;
    }
}

TEST_F(TabSwitch, WithoutACourseThePlaceTabClearsAndSaysWhatToDo) {
    app->selectTab(TAB_PLACE);
    device->clearLog();
    app->frameMove();
    app->render();
    ASSERT_FALSE(device->log().empty());
    EXPECT_EQ(device->log().front(),
              "Clear(0, null, D3DCLEAR_TARGET|D3DCLEAR_ZBUFFER, 0x008888DD, 1, 0)");
    EXPECT_EQ(device->log().back(), "EndScene()");
    // Only the line of text is drawn: no sky, strips or meshes.
    EXPECT_FALSE(device->draws().empty());
    for (const auto& draw : device->draws()) {
        EXPECT_NE(draw.texture(), nullptr);
    }
    for (const std::string& call : device->log()) {
        EXPECT_EQ(call.rfind("SetTransform(D3DTS_WORLD", 0), std::string::npos) << call;
    }
}
