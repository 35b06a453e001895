#include "input/InputRules.h"

#include "input/GameActions.h"

#include <cmath>

DWORD eventsPerFrame(int tab) {
    return tab == kTabViewParts ? 10 : 11;
}

void applyEvent(const DIDEVICEOBJECTDATA& event, int tab, DeviceInputState& device,
                InputRecord& input) {
    const UINT_PTR value = event.uAppData;
    const bool pressed = event.dwData == 0x80;
    // Axes come in -100..100 with right and down positive; the engine turns left and
    // moves forward on positive values.
    const float axis = -(static_cast<float>(static_cast<LONG>(event.dwData)) / 100.0f);

    if (tab == kTabMakeField && value != kActionConfigureInput &&
        value != kActionConfigureDisplay) {
        return;
    }
    if (tab == kTabViewParts && value > kActionPlaySound) {
        return;
    }
    switch (value) {
    case kActionTurnAxis:
        device.turnAxis = axis;
        break;
    case kActionMoveAxis:
        device.moveAxis = axis;
        break;
    case kActionRotateLeft:
        device.left = pressed;
        break;
    case kActionRotateRight:
        device.right = pressed;
        break;
    case kActionRotateUp:
        device.up = pressed;
        break;
    case kActionRotateDown:
        device.down = pressed;
        break;
    case kActionConfigureInput:
        if (pressed) {
            input.configureInput = true;
        }
        break;
    case kActionConfigureDisplay:
        if (pressed) {
            input.configureDisplay = true;
        }
        break;
    case kActionPlaySound:
        device.play = pressed;
        break;
    case kActionViewHorizontal:
        device.viewHorizontal = pressed;
        break;
    case kActionViewVertical:
        device.viewVertical = pressed;
        break;
    case kActionLeftUp:
        device.direction = 7;
        break;
    case kActionBothUp:
        device.direction = 8;
        break;
    case kActionRightUp:
        device.direction = 9;
        break;
    case kActionLeftDown:
        device.direction = 1;
        break;
    case kActionBothDown:
        device.direction = 2;
        break;
    case kActionRightDown:
        device.direction = 3;
        break;
    default:
        break;
    }
}

void combineDevices(std::span<DeviceInputState> devices, InputRecord& input) {
    float turn = 0.0f;
    float move = 0.0f;
    bool play = false;
    for (DeviceInputState& device : devices) {
        if (std::fabs(device.turnAxis) > std::fabs(turn)) {
            turn = device.turnAxis;
        }
        if (std::fabs(device.moveAxis) > std::fabs(move)) {
            move = device.moveAxis;
        }
        if (device.left) {
            turn = 1.0f;
        } else if (device.right) {
            turn = -1.0f;
        }
        if (device.up) {
            move = 1.0f;
        } else if (device.down) {
            move = -1.0f;
        }
        play = play || device.play;
        device.viewHorizontal = false;
        device.viewVertical = false;
        device.direction = 0;
    }
    input.turn = turn;
    input.move = move;
    input.play = play;
}

void sendToEngine(int tab, const InputRecord& input, InputSink& sink) {
    const float turn = input.turn;
    const float move = input.move;
    switch (tab) {
    case kTabPlay:
        if (turn != 0.0f) {
            sink.updateInputAnglePlay(turn);
        }
        if (move != 0.0f) {
            sink.updateInputMovePlay(move);
        }
        break;
    case kTabEdit:
        if (turn != 0.0f) {
            sink.updateInputAngle(turn * 0.001f);
        }
        if (move != 0.0f) {
            sink.updateInputMove(move * 0.1f);
        }
        break;
    case kTabViewParts:
        if (turn != 0.0f) {
            sink.updateInputRL(turn);
        }
        if (move != 0.0f) {
            sink.updateInputUD(move);
        }
        break;
    default:
        break;
    }
}
