// A started engine on a recording device, with helpers that lay courses the way a
// user does: clicks in the course editor's top-down view.
#pragma once

#include "support/EngineAppPeer.h"
#include <cmath>
#include <gtest/gtest.h>
#include <memory>
#include <vector>

#include "core/EngineApp.h"
#include "d3d9/recording_device.h"

class EngineFixture : public ::testing::Test {
protected:
    static constexpr UINT kWidth = 640;
    static constexpr UINT kHeight = 480;

    void SetUp() override { app = startedEngine(device.get()); }

    // An engine started on the device as a host starts one.
    static std::unique_ptr<CEngineApp> startedEngine(IDirect3DDevice9* on) {
        auto engine = std::make_unique<CEngineApp>();
        EXPECT_EQ(engine->oneTimeSceneInit(nullptr), S_OK);
        EXPECT_EQ(engine->initDeviceObjects(on), S_OK);
        // Restoring fails only for want of fonts, which MissingFonts takes away on purpose;
        // every other test starts with them.
        const HRESULT restored = engine->restoreDeviceObjects();
        EXPECT_TRUE(restored == S_OK || peek(*engine).fontLarge() == nullptr) << restored;
        engine->onInitialUpdate(kWidth, kHeight, nullptr);
        return engine;
    }

    // The view pixel under which the course editor shows ground point (x, z).
    static POINT pixelOf(float x, float z) {
        // Eye 100 above the ground, vertical field of view pi/4: the view's half
        // height covers 100 tan(pi/8) units of ground.
        const float halfHeight = 100.0f * std::tan(static_cast<float>(M_PI) / 8);
        const float halfWidth = halfHeight * kWidth / kHeight;
        return POINT{static_cast<LONG>(std::lround(kWidth / 2.0f + x / halfWidth * kWidth / 2)),
                     static_cast<LONG>(std::lround(kHeight / 2.0f - z / halfHeight * kHeight / 2))};
    }

    // Clicks in the course editor (form coordinates include the view's offset).
    void clickInEditor(POINT viewPoint) {
        app->edit.onLButtonDown(
            POINT{viewPoint.x + app->viewOrigin().x, viewPoint.y + app->viewOrigin().y});
        app->edit.onLButtonUp();
    }

    // Lays n points on a circle, counter-clockwise seen from above unless clockwise.
    // A click on a dot of the current course picks the dot instead of laying a point: a
    // loop laid over one leaves the course first, as "clear" does.
    void layLoop(int n, float radius, bool clockwise = false, float cx = 0, float cz = 0) {
        app->selectTab(TAB_COURSE);
        std::vector<POINT> clicks;
        bool overDots = false;
        for (int i = 0; i < n; ++i) {
            const double angle = (clockwise ? -1 : 1) * 2 * M_PI * i / n;
            clicks.push_back(pixelOf(cx + radius * static_cast<float>(std::cos(angle)),
                                     cz + radius * static_cast<float>(std::sin(angle))));
            overDots = app->edit.checkSelectedPoint(clicks.back()) || overDots;
        }
        (void)app->edit.checkSelectedPoint(POINT{-1000, -1000}); // no dot stays picked
        if (overDots && app->editor.current() != nullptr) {
            app->clearCourse();
        }
        for (const POINT click : clicks) {
            clickInEditor(click);
        }
    }

    // Lays a loop and creates a course from it; returns the new course.
    LCourse_t& createLoopCourse(int n = 6, float radius = 30, bool clockwise = false,
                                HTREEITEM item = nextItem()) {
        layLoop(n, radius, clockwise);
        EXPECT_EQ(app->createCourse(item), S_OK);
        return app->editor.courseList().back();
    }

    static HTREEITEM nextItem() {
        static std::uintptr_t next = 0x1000;
        return reinterpret_cast<HTREEITEM>(next += 0x10);
    }

    ComPtr<RecordingDevice> device = RecordingDevice::create(kWidth, kHeight);
    std::unique_ptr<CEngineApp> app;
};
