// The mapping through the platform's keyboard: what the host's key events do to the
// engine, frame by frame.
#include "input/ActionInput.h"

#include "InputTestSupport.h"
#include "RecordingSink.h"

#include <gtest/gtest.h>

#include <vector>

namespace {

class ActionInputTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(input.setUp(sandbox.window));
        // The devices are acquired by the first frame; from then on they buffer events.
        frame(kTabPlay);
    }

    // One frame on tab; the calls it made.
    std::vector<SetterCall> frame(int tab) {
        input.updateFrame(tab);
        return sink.take();
    }

    InputSandbox sandbox;
    RecordingSink sink;
    ActionInput input{sink};
};

using Calls = std::vector<SetterCall>;

} // namespace

TEST_F(ActionInputTest, DefaultKeysDriveTheEditSetters) {
    ASSERT_GE(input.deviceCount(), 1u);
    DInputKeyEvent(DIK_RIGHT, true);
    EXPECT_EQ(frame(kTabEdit), (Calls{{"Angle", -0.001f}}));
    // Held keys keep acting every frame until they are let go.
    EXPECT_EQ(frame(kTabEdit), (Calls{{"Angle", -0.001f}}));
    DInputKeyEvent(DIK_RIGHT, false);
    DInputKeyEvent(DIK_UP, true);
    EXPECT_EQ(frame(kTabEdit), (Calls{{"Move", 0.1f}}));
    DInputKeyEvent(DIK_UP, false);
    DInputKeyEvent(DIK_LEFT, true);
    DInputKeyEvent(DIK_DOWN, true);
    EXPECT_EQ(frame(kTabPlay), (Calls{{"AnglePlay", 1.0f}, {"MovePlay", -1.0f}}));
    EXPECT_EQ(frame(kTabViewParts), (Calls{{"RL", 1.0f}, {"UD", -1.0f}}));
    DInputKeyEvent(DIK_LEFT, false);
    DInputKeyEvent(DIK_DOWN, false);
    EXPECT_TRUE(frame(kTabPlay).empty());
}

TEST_F(ActionInputTest, KeysThatDriveNothingCallNothing) {
    for (BYTE key :
         {DIK_F5, DIK_H, DIK_V, DIK_NUMPAD7, DIK_NUMPAD3, DIK_RETURN, DIK_DELETE, DIK_Q}) {
        DInputKeyEvent(key, true);
    }
    for (int tab : {kTabPlay, kTabEdit, kTabMakeField, kTabViewParts}) {
        EXPECT_TRUE(frame(tab).empty()) << tab;
    }
    EXPECT_FALSE(input.record().configureInput);
    EXPECT_FALSE(input.record().configureDisplay);
}

TEST_F(ActionInputTest, MakeFieldIgnoresArrowsButServesF2AndF3) {
    DInputKeyEvent(DIK_LEFT, true);
    DInputKeyEvent(DIK_UP, true);
    tap(DIK_F2);
    tap(DIK_F3);
    EXPECT_TRUE(frame(kTabMakeField).empty());
    EXPECT_TRUE(input.takeConfigureDisplayRequest());
    EXPECT_TRUE(input.takeConfigureInputRequest(true));
    // The arrows' presses were read and dropped on MakeField: the keys count as held only
    // once pressed again.
    EXPECT_TRUE(frame(kTabEdit).empty());
}

TEST_F(ActionInputTest, ConfigureInputWaitsForWindowedModeAndDisplayDoesNot) {
    tap(DIK_F3);
    tap(DIK_F2);
    frame(kTabPlay);
    EXPECT_FALSE(input.takeConfigureInputRequest(false));
    EXPECT_TRUE(input.takeConfigureDisplayRequest());
    EXPECT_FALSE(input.takeConfigureDisplayRequest());
    // Still pending after more frames in full screen, served once windowed.
    frame(kTabPlay);
    EXPECT_FALSE(input.takeConfigureInputRequest(false));
    EXPECT_TRUE(input.takeConfigureInputRequest(true));
    EXPECT_FALSE(input.takeConfigureInputRequest(true));
    // The menu commands make the same requests.
    input.requestConfigureInput();
    input.requestConfigureDisplay();
    EXPECT_TRUE(input.takeConfigureInputRequest(true));
    EXPECT_TRUE(input.takeConfigureDisplayRequest());
}

TEST_F(ActionInputTest, ReadsElevenEventsPerFrameAndTenOnViewParts) {
    // Eleven events: press, release, ... press. Whether Left is held after a frame tells
    // how many of them the frame read.
    auto queueEleven = [] {
        for (int i = 0; i < 5; ++i) {
            tap(DIK_LEFT);
        }
        DInputKeyEvent(DIK_LEFT, true);
    };
    queueEleven();
    EXPECT_EQ(frame(kTabPlay), (Calls{{"AnglePlay", 1.0f}}));
    DInputKeyEvent(DIK_LEFT, false);
    frame(kTabPlay);

    queueEleven();
    EXPECT_TRUE(frame(kTabViewParts).empty()) << "the tenth event, a release, came last";
    EXPECT_EQ(frame(kTabViewParts), (Calls{{"RL", 1.0f}})) << "the eleventh waited a frame";
}

TEST_F(ActionInputTest, BufferKeepsSixteenEventsAndDropsTheNewest) {
    for (int i = 0; i < 8; ++i) {
        tap(DIK_LEFT); // sixteen events fill the buffer
    }
    DInputKeyEvent(DIK_RIGHT, true); // lost
    DIDEVICEOBJECTDATA peeked[20];
    DWORD count = 20;
    EXPECT_EQ(input.device(0)->GetDeviceData(sizeof peeked[0], peeked, &count, DIGDD_PEEK),
              DI_BUFFEROVERFLOW);
    EXPECT_EQ(count, 16u);
    EXPECT_EQ(peeked[0].uAppData, kActionRotateLeft);
    EXPECT_EQ(peeked[0].dwData, 0x80u);
    EXPECT_EQ(peeked[0].dwOfs, 3u * 4);

    EXPECT_EQ(frame(kTabPlay), (Calls{{"AnglePlay", 1.0f}})) << "eleven read, the last a press";
    EXPECT_TRUE(frame(kTabPlay).empty()) << "five more, ending with a release; Right never came";
    DInputKeyEvent(DIK_RIGHT, false);
    EXPECT_TRUE(frame(kTabPlay).empty());
}

TEST_F(ActionInputTest, KeysCountOnlyWhileTheInputWindowHasTheFocus) {
    DInputSetFocusWindow(sandbox.otherWindow);
    DInputKeyEvent(DIK_LEFT, true);
    EXPECT_TRUE(frame(kTabPlay).empty());
    DInputKeyEvent(DIK_LEFT, false);

    DInputSetFocusWindow(sandbox.window);
    DInputKeyEvent(DIK_LEFT, true);
    EXPECT_EQ(frame(kTabPlay), (Calls{{"AnglePlay", 1.0f}}));
    // Losing the focus with the key held stops the turn at once; the release is never seen.
    DInputSetFocusWindow(nullptr);
    EXPECT_TRUE(frame(kTabPlay).empty());
    DInputSetFocusWindow(sandbox.window);
    EXPECT_TRUE(frame(kTabPlay).empty());
}

TEST_F(ActionInputTest, FullScreenSwitchMovesTheDevicesToTheNewWindow) {
    input.setInputWindow(sandbox.otherWindow);
    DInputKeyEvent(DIK_RIGHT, true);
    EXPECT_TRUE(frame(kTabPlay).empty()) << "the old window's focus no longer counts";
    DInputKeyEvent(DIK_RIGHT, false);

    DInputSetFocusWindow(sandbox.otherWindow);
    DInputKeyEvent(DIK_RIGHT, true);
    EXPECT_EQ(frame(kTabPlay), (Calls{{"AnglePlay", -1.0f}}));
}

TEST_F(ActionInputTest, ReleasedInputDoesNothing) {
    DInputKeyEvent(DIK_LEFT, true);
    input.release();
    EXPECT_FALSE(input.isSetUp());
    EXPECT_EQ(input.deviceCount(), 0u);
    EXPECT_TRUE(frame(kTabPlay).empty());
}

TEST_F(ActionInputTest, BindingsChosenInTheConfigurationWindowAreKept) {
    // A configuration window that moves "Rotate left" on the keyboard to J.
    int shown = 0;
    DInputSetConfigureDevicesHandler([&](DIConfigureSession& session) {
        ++shown;
        EXPECT_TRUE(session.edit);
        EXPECT_EQ(session.owner, sandbox.window);
        DIConfigureDevice& keyboard = session.devices.at(0);
        EXPECT_EQ(GET_DIDEVICE_TYPE(keyboard.instance.dwDevType), DI8DEVTYPE_KEYBOARD);
        DIACTIONA& left = keyboard.actions.at(3);
        EXPECT_EQ(left.dwObjID, DIDFT_PSHBUTTON | DIDFT_MAKEINSTANCE(DIK_LEFT));
        left.dwObjID = DIDFT_PSHBUTTON | DIDFT_MAKEINSTANCE(DIK_J);
        left.dwHow = DIAH_USERCONFIG;
        return DI_OK;
    });
    EXPECT_EQ(input.configureInput(sandbox.window), DI_OK);
    EXPECT_EQ(shown, 1);

    DInputKeyEvent(DIK_J, true);
    EXPECT_EQ(frame(kTabEdit), (Calls{{"Angle", 0.001f}}));
    DInputKeyEvent(DIK_J, false);
    DInputKeyEvent(DIK_LEFT, true);
    EXPECT_TRUE(frame(kTabEdit).empty());
    DInputKeyEvent(DIK_LEFT, false);

    // A program started afterwards finds the binding in the store.
    RecordingSink laterSink;
    ActionInput later(laterSink);
    input.release();
    ASSERT_TRUE(later.setUp(sandbox.window));
    DInputKeyEvent(DIK_J, true);
    later.updateFrame(kTabPlay);
    EXPECT_EQ(laterSink.take(), (Calls{{"AnglePlay", 1.0f}}));
    DInputKeyEvent(DIK_J, false);
}

TEST_F(ActionInputTest, CancelledConfigurationKeepsTheBindings) {
    DInputSetConfigureDevicesHandler([](DIConfigureSession& session) {
        session.devices.at(0).actions.at(3).dwHow = DIAH_UNMAPPED;
        return DI_NOEFFECT;
    });
    EXPECT_EQ(input.configureInput(sandbox.window), DI_NOEFFECT);
    EXPECT_TRUE(sandbox.store->bindings.empty());
    DInputKeyEvent(DIK_LEFT, true);
    EXPECT_EQ(frame(kTabPlay), (Calls{{"AnglePlay", 1.0f}}));
    DInputKeyEvent(DIK_LEFT, false);
}
