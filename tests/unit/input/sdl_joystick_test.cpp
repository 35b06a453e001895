// Controllers through SDL: virtual joysticks stand in for pads, headless.
#include "input/ActionInput.h"

#include "InputTestSupport.h"
#include "RecordingSink.h"

#include <SDL.h>
#include <gtest/gtest.h>

#include <vector>

namespace {

using Calls = std::vector<SetterCall>;

// A virtual joystick, held open by the test to move its axes and buttons.
class VirtualPad {
public:
    VirtualPad(SDL_JoystickType type, int axes, int buttons, int hats) {
        const int index = SDL_JoystickAttachVirtual(type, axes, buttons, hats);
        EXPECT_GE(index, 0) << SDL_GetError();
        m_joystick = SDL_JoystickOpen(index);
        EXPECT_NE(m_joystick, nullptr) << SDL_GetError();
        m_id = SDL_JoystickInstanceID(m_joystick);
    }
    ~VirtualPad() { unplug(); }
    VirtualPad(const VirtualPad&) = delete;
    VirtualPad& operator=(const VirtualPad&) = delete;

    void axis(int axis, Sint16 value) { SDL_JoystickSetVirtualAxis(m_joystick, axis, value); }
    void button(int button, bool down) {
        SDL_JoystickSetVirtualButton(m_joystick, button, down ? 1 : 0);
    }

    void unplug() {
        if (m_joystick == nullptr) {
            return;
        }
        SDL_JoystickClose(m_joystick);
        m_joystick = nullptr;
        for (int i = 0; i < SDL_NumJoysticks(); ++i) {
            if (SDL_JoystickGetDeviceInstanceID(i) == m_id) {
                SDL_JoystickDetachVirtual(i);
                return;
            }
        }
    }

private:
    SDL_Joystick* m_joystick = nullptr;
    SDL_JoystickID m_id = -1;
};

class SdlInputTest : public ::testing::Test {
protected:
    void SetUp() override {
        // The test's own reference keeps the subsystem (and its virtual devices) alive
        // between the input layer's uses of it.
        ASSERT_EQ(SDL_InitSubSystem(SDL_INIT_JOYSTICK | SDL_INIT_GAMECONTROLLER), 0)
            << SDL_GetError();
    }
    void TearDown() override {
        input.release();
        pads.clear();
        SDL_QuitSubSystem(SDL_INIT_JOYSTICK | SDL_INIT_GAMECONTROLLER);
    }

    VirtualPad& plug(SDL_JoystickType type = SDL_JOYSTICK_TYPE_FLIGHT_STICK, int axes = 2,
                     int buttons = 4, int hats = 1) {
        pads.push_back(std::make_unique<VirtualPad>(type, axes, buttons, hats));
        return *pads.back();
    }

    void start() {
        ASSERT_TRUE(input.setUp(sandbox.window));
        frame(kTabPlay);
    }

    Calls frame(int tab) {
        input.updateFrame(tab);
        return sink.take();
    }

    InputSandbox sandbox;
    RecordingSink sink;
    ActionInput input{sink};
    std::vector<std::unique_ptr<VirtualPad>> pads;
};

} // namespace

TEST_F(SdlInputTest, StickDrivesTurnAndMoveOverTheFullRange) {
    VirtualPad& pad = plug();
    start();
    ASSERT_EQ(input.deviceCount(), 2u);
    DIDEVICEINSTANCEA info{};
    info.dwSize = sizeof info;
    input.device(1)->GetDeviceInfo(&info);
    EXPECT_EQ(GET_DIDEVICE_TYPE(info.dwDevType), DI8DEVTYPE_JOYSTICK);

    pad.axis(0, 32767);  // full right
    pad.axis(1, -32768); // full forward
    EXPECT_EQ(frame(kTabPlay), (Calls{{"AnglePlay", -1.0f}, {"MovePlay", 1.0f}}));
    EXPECT_EQ(frame(kTabEdit), (Calls{{"Angle", -0.001f}, {"Move", 0.1f}}));
    pad.axis(0, 0);
    pad.axis(1, 0);
    EXPECT_TRUE(frame(kTabPlay).empty());
}

TEST_F(SdlInputTest, DeadZoneSwallowsTheFirstTwentiethOfTravel) {
    VirtualPad& pad = plug();
    start();
    pad.axis(0, 1200); // under 5 %
    EXPECT_TRUE(frame(kTabPlay).empty());
    pad.axis(0, 16384); // half way: (0.5 - 0.05) / 0.95 of the range
    const Calls calls = frame(kTabPlay);
    ASSERT_EQ(calls.size(), 1u);
    EXPECT_EQ(calls[0].setter, "AnglePlay");
    EXPECT_FLOAT_EQ(calls[0].value, -0.47f);
}

TEST_F(SdlInputTest, KeyboardLeftBeatsStickPushedRight) {
    VirtualPad& pad = plug();
    start();
    pad.axis(0, 32767);
    DInputKeyEvent(DIK_LEFT, true);
    EXPECT_EQ(frame(kTabPlay), (Calls{{"AnglePlay", 1.0f}}));
    DInputKeyEvent(DIK_LEFT, false);
    EXPECT_EQ(frame(kTabPlay), (Calls{{"AnglePlay", -1.0f}}));
}

TEST_F(SdlInputTest, LargerAxisOfTwoPadsWins) {
    VirtualPad& first = plug();
    VirtualPad& second = plug();
    start();
    ASSERT_EQ(input.deviceCount(), 3u);
    first.axis(0, -32768); // full left: +1
    second.axis(0, 16384); // half right
    EXPECT_EQ(frame(kTabPlay), (Calls{{"AnglePlay", 1.0f}}));
    first.axis(0, -8000);
    EXPECT_EQ(frame(kTabPlay), (Calls{{"AnglePlay", -0.47f}}));
}

TEST_F(SdlInputTest, PadsArePluggedInAndPulledOutWhileRunning) {
    start();
    const std::size_t before = input.deviceCount();
    VirtualPad& pad = plug();
    pad.axis(0, 32767);
    EXPECT_EQ(frame(kTabPlay), (Calls{{"AnglePlay", -1.0f}})) << "found in the next frame";
    EXPECT_EQ(input.deviceCount(), before + 1);

    pad.unplug();
    EXPECT_TRUE(frame(kTabPlay).empty()) << "a pad pulled out holds nothing";
    EXPECT_EQ(input.deviceCount(), before);
}

TEST_F(SdlInputTest, PadsAreReadOnlyWhileTheInputWindowHasTheFocus) {
    VirtualPad& pad = plug();
    start();
    DInputSetFocusWindow(sandbox.otherWindow);
    pad.axis(0, 32767);
    EXPECT_TRUE(frame(kTabPlay).empty());
    // Back in focus, a stick still pushed counts again without moving.
    DInputSetFocusWindow(sandbox.window);
    EXPECT_EQ(frame(kTabPlay), (Calls{{"AnglePlay", -1.0f}}));
}

TEST_F(SdlInputTest, PlainJoystickOffersItsFirstAxesAndButtons) {
    VirtualPad& pad = plug(SDL_JOYSTICK_TYPE_FLIGHT_STICK, 3, 2, 1);
    start();
    IDirectInputDevice8A& device = *input.device(1);
    DIDEVCAPS caps{};
    caps.dwSize = sizeof caps;
    ASSERT_EQ(device.GetCapabilities(&caps), DI_OK);
    EXPECT_EQ(caps.dwAxes, 3u);
    EXPECT_EQ(caps.dwButtons, 2u + 4u) << "two buttons and the hat's four directions";

    // The genre button ("Play sound") takes the first button.
    pad.button(0, true);
    frame(kTabPlay);
    EXPECT_TRUE(input.deviceState(1).play);
    pad.button(0, false);
    frame(kTabPlay);
    EXPECT_FALSE(input.deviceState(1).play);
}

TEST_F(SdlInputTest, GameControllerIsReadThroughItsMapping) {
    VirtualPad& pad = plug(SDL_JOYSTICK_TYPE_GAMECONTROLLER, SDL_CONTROLLER_AXIS_MAX,
                           SDL_CONTROLLER_BUTTON_MAX, 0);
    start();
    ASSERT_EQ(input.deviceCount(), 2u);
    DIDEVICEINSTANCEA info{};
    info.dwSize = sizeof info;
    input.device(1)->GetDeviceInfo(&info);
    if (GET_DIDEVICE_TYPE(info.dwDevType) != DI8DEVTYPE_GAMEPAD) {
        GTEST_SKIP() << "SDL offers no mapping for its virtual controller";
    }
    DIDEVICEOBJECTINSTANCEA object{};
    object.dwSize = sizeof object;
    ASSERT_EQ(
        input.device(1)->GetObjectInfo(
            &object, DIDFT_ABSAXIS | DIDFT_MAKEINSTANCE(SDL_CONTROLLER_AXIS_LEFTX), DIPH_BYID),
        DI_OK);
    EXPECT_STREQ(object.tszName, "Left stick X");

    pad.axis(SDL_CONTROLLER_AXIS_LEFTX, -32768);
    pad.axis(SDL_CONTROLLER_AXIS_RIGHTY, 32767); // not bound
    pad.button(SDL_CONTROLLER_BUTTON_A, true);
    EXPECT_EQ(frame(kTabViewParts), (Calls{{"RL", 1.0f}}));
    EXPECT_TRUE(input.deviceState(1).play);
}
