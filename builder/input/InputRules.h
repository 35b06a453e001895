// How buffered events become the two values a frame hands to the engine: each device
// keeps what its events said, the devices are folded into one turn and one move value,
// and the current tab decides which setters receive them.
#pragma once

#include "dinput/dinput.h"
#include "input/InputSink.h"

#include <span>

// The form's tabs, equal to the engine's modes.
enum InputTab : int {
    kTabPlay = 0,
    kTabEdit = 1,
    kTabMakeField = 2,
    kTabViewParts = 3,
};

// What one device's events have said so far. Zeroed whenever the devices are found.
struct DeviceInputState {
    float turnAxis = 0.0f;
    bool left = false;
    bool right = false;
    float moveAxis = 0.0f;
    bool up = false;
    bool down = false;
    bool play = false;
    bool viewHorizontal = false;
    bool viewVertical = false;
    int direction = 0; // numeric-pad layout: 7 8 9 above, 1 2 3 below
};

// The form's user input record.
struct InputRecord {
    float move = 0.0f;
    float turn = 0.0f;
    bool play = false;
    bool configureInput = false;
    bool configureDisplay = false;
};

// Events read from one device per frame.
DWORD eventsPerFrame(int tab);

// Applies one event of a device, as far as the tab lets it.
void applyEvent(const DIDEVICEOBJECTDATA& event, int tab, DeviceInputState& device,
                InputRecord& input);

// Folds the devices, in order, into input.turn and input.move: the larger axis wins,
// a held key overrides any axis, and a later device's key overrides an earlier one.
// Clears the devices' view flags and direction codes.
void combineDevices(std::span<DeviceInputState> devices, InputRecord& input);

// Calls the tab's setters for the values that are not zero.
void sendToEngine(int tab, const InputRecord& input, InputSink& sink);
