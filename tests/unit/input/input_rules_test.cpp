#include "input/GameActions.h"
#include "input/InputRules.h"

#include "dinput/dinput_host.h"

#include "RecordingSink.h"

#include <gtest/gtest.h>

#include <vector>

namespace {

DIDEVICEOBJECTDATA event(UINT_PTR action, LONG data) {
    DIDEVICEOBJECTDATA e{};
    e.dwData = static_cast<DWORD>(data);
    e.uAppData = action;
    return e;
}

DIDEVICEOBJECTDATA press(UINT_PTR action) {
    return event(action, 0x80);
}
DIDEVICEOBJECTDATA letGo(UINT_PTR action) {
    return event(action, 0);
}

InputRecord combined(std::vector<DeviceInputState> devices) {
    InputRecord input;
    combineDevices(devices, input);
    return input;
}

DeviceInputState turning(float axis) {
    DeviceInputState state;
    state.turnAxis = axis;
    return state;
}

DeviceInputState holding(bool DeviceInputState::*key) {
    DeviceInputState state;
    state.*key = true;
    return state;
}

} // namespace

TEST(InputRules, AxisEventsAreNegatedHundredths) {
    DeviceInputState device;
    InputRecord input;
    applyEvent(event(kActionTurnAxis, 100), kTabPlay, device, input);
    applyEvent(event(kActionMoveAxis, -47), kTabPlay, device, input);
    EXPECT_FLOAT_EQ(device.turnAxis, -1.0f);
    EXPECT_FLOAT_EQ(device.moveAxis, 0.47f);
}

TEST(InputRules, KeysFollowPressAndRelease) {
    DeviceInputState device;
    InputRecord input;
    applyEvent(press(kActionRotateLeft), kTabEdit, device, input);
    applyEvent(press(kActionRotateDown), kTabEdit, device, input);
    EXPECT_TRUE(device.left);
    EXPECT_TRUE(device.down);
    applyEvent(letGo(kActionRotateLeft), kTabEdit, device, input);
    EXPECT_FALSE(device.left);
    EXPECT_TRUE(device.down);
}

TEST(InputRules, HeldKeyBeatsStickPushedTheOtherWay) {
    // The same pad, or the keyboard before a pad: Left wins over a stick pushed right.
    DeviceInputState both = holding(&DeviceInputState::left);
    both.turnAxis = -1.0f;
    EXPECT_FLOAT_EQ(combined({both}).turn, 1.0f);
    EXPECT_FLOAT_EQ(combined({holding(&DeviceInputState::left), turning(-1.0f)}).turn, 1.0f);
}

TEST(InputRules, LargerAxisWinsAndLaterKeyOverridesBoth) {
    EXPECT_FLOAT_EQ(combined({turning(0.3f), turning(-0.8f)}).turn, -0.8f);
    EXPECT_FLOAT_EQ(combined({turning(-0.8f), turning(0.3f)}).turn, -0.8f);
    EXPECT_FLOAT_EQ(
        combined({turning(0.3f), turning(-0.8f), holding(&DeviceInputState::left)}).turn, 1.0f);
    // A key on a later device overrides a key on an earlier one.
    EXPECT_FLOAT_EQ(
        combined({holding(&DeviceInputState::left), holding(&DeviceInputState::right)}).turn,
        -1.0f);
    // Left before Right on one device; Up before Down.
    DeviceInputState all;
    all.left = all.right = all.up = all.down = true;
    const InputRecord input = combined({all});
    EXPECT_FLOAT_EQ(input.turn, 1.0f);
    EXPECT_FLOAT_EQ(input.move, 1.0f);
}

TEST(InputRules, MoveCombinesLikeTurn) {
    DeviceInputState pad;
    pad.moveAxis = 0.6f;
    DeviceInputState weaker;
    weaker.moveAxis = -0.2f;
    EXPECT_FLOAT_EQ(combined({pad, weaker}).move, 0.6f);
    EXPECT_FLOAT_EQ(combined({pad, holding(&DeviceInputState::down)}).move, -1.0f);
}

TEST(InputRules, CombiningClearsViewFlagsButKeepsKeys) {
    std::vector<DeviceInputState> devices(1);
    InputRecord input;
    applyEvent(press(kActionViewHorizontal), kTabPlay, devices[0], input);
    applyEvent(press(kActionRightUp), kTabPlay, devices[0], input);
    applyEvent(press(kActionRotateRight), kTabPlay, devices[0], input);
    EXPECT_TRUE(devices[0].viewHorizontal);
    EXPECT_EQ(devices[0].direction, 9);
    combineDevices(devices, input);
    EXPECT_FALSE(devices[0].viewHorizontal);
    EXPECT_EQ(devices[0].direction, 0);
    EXPECT_TRUE(devices[0].right);
}

TEST(InputRules, MakeFieldHearsOnlyTheConfigurationKeys) {
    DeviceInputState device;
    InputRecord input;
    for (UINT_PTR action : {kActionTurnAxis, kActionRotateLeft, kActionRotateUp, kActionPlaySound,
                            kActionViewVertical}) {
        applyEvent(press(action), kTabMakeField, device, input);
    }
    applyEvent(event(kActionTurnAxis, -100), kTabMakeField, device, input);
    EXPECT_FLOAT_EQ(device.turnAxis, 0.0f);
    EXPECT_FALSE(device.left || device.up || device.play || device.viewVertical);

    applyEvent(press(kActionConfigureDisplay), kTabMakeField, device, input);
    applyEvent(press(kActionConfigureInput), kTabMakeField, device, input);
    EXPECT_TRUE(input.configureDisplay);
    EXPECT_TRUE(input.configureInput);
}

TEST(InputRules, ConfigurationRequestsComeFromPressesOnly) {
    DeviceInputState device;
    InputRecord input;
    applyEvent(letGo(kActionConfigureInput), kTabEdit, device, input);
    applyEvent(letGo(kActionConfigureDisplay), kTabEdit, device, input);
    EXPECT_FALSE(input.configureInput);
    EXPECT_FALSE(input.configureDisplay);
}

TEST(InputRules, ViewPartsIgnoresActionsAbovePlaySound) {
    DeviceInputState device;
    InputRecord input;
    applyEvent(press(kActionViewHorizontal), kTabViewParts, device, input);
    applyEvent(press(kActionLeftUp), kTabViewParts, device, input);
    applyEvent(press(kActionPlaySound), kTabViewParts, device, input);
    applyEvent(press(kActionConfigureInput), kTabViewParts, device, input);
    EXPECT_FALSE(device.viewHorizontal);
    EXPECT_EQ(device.direction, 0);
    EXPECT_TRUE(device.play);
    EXPECT_TRUE(input.configureInput);
    EXPECT_EQ(eventsPerFrame(kTabViewParts), 10u);
    EXPECT_EQ(eventsPerFrame(kTabPlay), 11u);
}

TEST(InputRules, EachTabCallsItsOwnSettersWithItsScale) {
    RecordingSink sink;
    InputRecord input;
    input.turn = -1.0f;
    input.move = 0.5f;

    sendToEngine(kTabPlay, input, sink);
    EXPECT_EQ(sink.take(), (std::vector<SetterCall>{{"AnglePlay", -1.0f}, {"MovePlay", 0.5f}}));

    // A full press of Right in Edit turns by a thousandth; the move is scaled by a tenth.
    sendToEngine(kTabEdit, input, sink);
    EXPECT_EQ(sink.take(), (std::vector<SetterCall>{{"Angle", -0.001f}, {"Move", 0.05f}}));

    sendToEngine(kTabViewParts, input, sink);
    EXPECT_EQ(sink.take(), (std::vector<SetterCall>{{"RL", -1.0f}, {"UD", 0.5f}}));

    sendToEngine(kTabMakeField, input, sink);
    EXPECT_TRUE(sink.take().empty());
}

TEST(InputRules, ZeroValuesCallNothing) {
    RecordingSink sink;
    InputRecord input;
    for (int tab : {kTabPlay, kTabEdit, kTabViewParts}) {
        sendToEngine(tab, input, sink);
    }
    EXPECT_TRUE(sink.take().empty());

    input.move = -1.0f;
    sendToEngine(kTabPlay, input, sink);
    EXPECT_EQ(sink.take(), (std::vector<SetterCall>{{"MovePlay", -1.0f}}));
}

TEST(GameActions, FormatMatchesTheActionTable) {
    GameActionFormat format;
    const DIACTIONFORMATA& f = *format.get();
    EXPECT_EQ(f.dwNumActions, 20u);
    EXPECT_EQ(f.dwDataSize, 80u);
    EXPECT_EQ(f.dwBufferSize, 16u);
    EXPECT_EQ(f.lAxisMin, -100);
    EXPECT_EQ(f.lAxisMax, 100);
    EXPECT_EQ(f.dwGenre, 0x24000000u);
    EXPECT_STREQ(f.tszActionMap, "Halvard Game");
    EXPECT_EQ(DInputGuidToString(f.guidActionMap), "{E9D63F72-1F64-4B52-81F5-08139928FE87}");
    // Spot checks against the table: values, semantics, names and the two fixed keys.
    EXPECT_EQ(f.rgoAction[0].dwSemantic, 0x24008201u);
    EXPECT_EQ(f.rgoAction[1].dwSemantic, 0x24010202u);
    EXPECT_EQ(f.rgoAction[2].dwSemantic, 0x24000403u);
    EXPECT_EQ(f.rgoAction[3].dwSemantic, 0x810004CBu);
    EXPECT_EQ(f.rgoAction[7].dwSemantic, 0x8100043Fu);
    EXPECT_EQ(f.rgoAction[19].dwSemantic, 0x810004D3u);
    EXPECT_EQ(f.rgoAction[10].uAppData, 8u);
    EXPECT_EQ(f.rgoAction[11].uAppData, 7u);
    EXPECT_STREQ(f.rgoAction[11].lptszActionName, "Configure Input");
    for (std::size_t i = 0; i < 20; ++i) {
        EXPECT_EQ((f.rgoAction[i].dwFlags & DIA_APPFIXED) != 0, i == 10 || i == 11) << i;
    }
}
