// Drives the engine only through libTumbleway096.so's exports, as a host does.
#include <algorithm>
#include <gtest/gtest.h>
#include <string>
#include <vector>

#include "d3d9/recording_device.h"
#include "tumbleway/tumbleway.h"

namespace {

struct Message {
    std::string text;
    std::string caption;
};

class ExportHost : public ::testing::Test {
protected:
    void SetUp() override {
        SetMessageBoxHandler([this](const std::string& text, const std::string& caption, UINT) {
            messages.push_back({text, caption});
            return IDOK;
        });
        xll_CAppForm();
        EXPECT_EQ(xll_OneTimeSceneInit(nullptr), 0);
        EXPECT_EQ(xll_InitDeviceObjects(device.get()), 0);
        EXPECT_EQ(xll_RestoreDeviceObjects(), 0);
        xll_OnInitialUpdate(640, 480, nullptr);
    }

    void TearDown() override {
        xll_InvalidateDeviceObjects();
        xll_DeleteDeviceObjects();
        SetMessageBoxHandler({});
    }

    // Clicks in the course editor at view pixel (x, y); the host passes form pixels.
    static void click(int x, int y) {
        xll_OnLButtonDown(0, POINT{x + 12, y + 28});
        xll_OnLButtonUp(0, POINT{x + 12, y + 28});
    }

    static void layTriangle() {
        xll_OnSelchangeTab(2);
        click(320, 100);
        click(180, 360);
        click(460, 360);
    }

    ComPtr<RecordingDevice> device = RecordingDevice::create(640, 480);
    std::vector<Message> messages;
};

HTREEITEM item(std::uintptr_t n) {
    return reinterpret_cast<HTREEITEM>(n);
}

} // namespace

TEST_F(ExportHost, CreatingACourseReportsFailureOnlyWhenNothingWasLaid) {
    xll_OnSelchangeTab(2);
    EXPECT_LT(xll_OnButtonCreateCourse(item(1)), 0);
    layTriangle();
    EXPECT_EQ(xll_OnButtonCreateCourse(item(2)), 0);
    EXPECT_EQ(xll_OnButtonCreateCourse(item(3)), 0); // the same points again
    xll_OnButtonClearCourse();
    EXPECT_LT(xll_OnButtonCreateCourse(item(4)), 0);
    EXPECT_TRUE(messages.empty());
}

TEST_F(ExportHost, ChoosingACourseAimsTheViewAndPlayDrawsTheCourseScene) {
    layTriangle();
    ASSERT_EQ(xll_OnButtonCreateCourse(item(7)), 0);
    device->clearLog();
    xll_setListCourse(item(7));
    EXPECT_EQ(device->count("SetTransform"), 1u);
    xll_OnSelchangeTab(0);
    device->clearLog();
    EXPECT_EQ(xll_FrameMove(), 0);
    EXPECT_EQ(xll_Render(), 0);
    const auto clears = device->callsNamed("Clear");
    ASSERT_EQ(clears.size(), 1u);
    EXPECT_EQ(clears[0]->args[3], "0x008888DD");
    EXPECT_EQ(device->count("BeginScene"), 1u);
}

TEST_F(ExportHost, MessageHandlersAnswerZeroAndIgnoreTheirMessage) {
    EXPECT_EQ(xll_WindowProc_WM_MOD_XFILE(WM_MOD_XFILE, 3, 90), 0);
    EXPECT_EQ(xll_WindowProc_WM_MOD_POINT(WM_MOD_POINT, 2, 30), 0);
    EXPECT_EQ(xll_WindowProc_WM_MOD_XFILE(WM_MOD_POINT, 2, 30), 0);
    EXPECT_FALSE(xll_app_check_selected_point(POINT{1, 1}));
    D3DXVECTOR3 direction(7, 7, 7);
    D3DXVECTOR3 origin(7, 7, 7);
    EXPECT_FALSE(xll_app_select_object(POINT{320, 240}, POINT{640, 480}, &direction, &origin));
    EXPECT_EQ(direction, D3DXVECTOR3(7, 7, 7)); // no course: no ray is built
}

TEST_F(ExportHost, InertExportsChangeNothing) {
    layTriangle();
    device->clearLog();
    xll_OnRButtonDown(0, POINT{100, 100});
    xll_OnUpdate(nullptr, 5, nullptr);
    EXPECT_EQ(xll_RenderTextEdit(), 0);
    EXPECT_TRUE(device->log(true).empty());
    EXPECT_EQ(xll_OnButtonCreateCourse(item(9)), 0); // the laid points are still there
}

TEST_F(ExportHost, TheSceneSurvivesARecreatedDevice) {
    layTriangle();
    ASSERT_EQ(xll_OnButtonCreateCourse(item(5)), 0);
    xll_InvalidateDeviceObjects();
    xll_DeleteDeviceObjects();
    ComPtr<RecordingDevice> second = RecordingDevice::create(320, 240);
    xll_InitDeviceObjects(second.get());
    xll_RestoreDeviceObjects();
    EXPECT_GE(second->count("CreateVertexBuffer"), 7u); // the strips made again
    xll_setListCourse(item(5));
    xll_OnSelchangeTab(1);
    second->clearLog();
    xll_FrameMove();
    xll_Render();
    EXPECT_EQ(second->count("BeginScene"), 1u); // a course is current: the scene is drawn
}

TEST(ExportsWithoutEngine, EveryExportAnswersItsFailureAndTellsTheHostOnce) {
    // A fresh process, with no engine made yet: nothing may dereference it.
    GTEST_FLAG_SET(death_test_style, "threadsafe");
    EXPECT_EXIT(
        {
            std::vector<std::string> told;
            SetMessageBoxHandler([&told](const std::string& text, const std::string&, UINT) {
                told.push_back(text);
                return IDOK;
            });
            LF_t file{};
            HTREEITEM item = nullptr;
            LSession_t session;
            int number = 0;
            bool failed = true;
            for (int round = 0; round < 2; ++round) {
                failed = failed && xll_FrameMove() == E_FAIL && xll_Render() == E_FAIL &&
                         xll_OneTimeSceneInit(nullptr) == E_FAIL &&
                         xll_OnButtonCreateCourse(nullptr) == E_FAIL &&
                         !xll_app_select_object(POINT{}, POINT{}, nullptr, nullptr) &&
                         !xll_app_check_selected_point(POINT{}) &&
                         xll_ui_restore_session(&session, &number) == E_FAIL;
                xll_UpdateInputAnglePlay(1);
                xll_OnSelchangeTab(0);
                xll_ui_push_xfile(&file, &item);
                xll_app_get_Session_Iterator(&session);
                xll_OnAssign();
            }
            // One message per export, however often it is called.
            std::sort(told.begin(), told.end());
            const bool once = std::adjacent_find(told.begin(), told.end()) == told.end();
            std::exit(failed && once && told.size() == 12 ? 0 : 1);
        },
        ::testing::ExitedWithCode(0), "");
}

TEST_F(ExportHost, NullPointersAreRefusedWithAMessage) {
    xll_ui_push_xfile(nullptr, nullptr);
    LF_t file{};
    xll_ui_push_bmp(&file, nullptr);
    xll_app_get_Session_Iterator(nullptr);
    xll_app_delete_Session_Iterator(nullptr);
    int number = 0;
    EXPECT_EQ(xll_ui_restore_session(nullptr, &number), E_FAIL);
    ASSERT_EQ(messages.size(), 5u);
    for (const Message& message : messages) {
        EXPECT_NE(message.text.find("null pointer"), std::string::npos) << message.text;
        EXPECT_EQ(message.caption, "Tumbleway");
    }
    // The engine goes on as before.
    layTriangle();
    EXPECT_EQ(xll_OnButtonCreateCourse(item(1)), 0);
}
