// The builder's input devices over their whole life: found and bound to the program's
// actions at scene set-up, read once per frame, bound to another window on every
// full-screen switch, found again after the user changed the bindings or a controller
// came or went, and released at clean-up. Free of Qt; InputMapper puts it in a window.
#pragma once

#include "dinput/dinput.h"
#include "input/GameActions.h"
#include "input/InputRules.h"
#include "input/InputSink.h"

#include <bitset>
#include <cstddef>
#include <vector>

class ActionInput {
public:
    explicit ActionInput(InputSink& sink);
    ~ActionInput();
    ActionInput(const ActionInput&) = delete;
    ActionInput& operator=(const ActionInput&) = delete;

    // Creates DirectInput and binds every attached device, cooperating with window
    // (non-exclusive, foreground). False when DirectInput cannot be created; the frame
    // calls then do nothing.
    bool setUp(HWND window);
    bool isSetUp() const { return static_cast<bool>(m_directInput); }

    // The window whose focus the devices follow from now on.
    void setInputWindow(HWND window);

    // Reads the devices and calls the tab's engine setters.
    void updateFrame(int tab);

    void requestConfigureInput() { m_input.configureInput = true; }
    void requestConfigureDisplay() { m_input.configureDisplay = true; }
    // True (and the request cleared) when the host is to serve it now. Changing the
    // bindings waits for windowed mode; the display settings are served in any mode.
    bool takeConfigureInputRequest(bool windowed);
    bool takeConfigureDisplayRequest();

    // Lets the user change the bindings (the installed configuration window), owned by
    // owner, and binds the devices again. The host pauses around it.
    HRESULT configureInput(HWND owner);

    void release();

    const InputRecord& record() const { return m_input; }
    // Whether the key is bound on the keyboard to one of the actions that steer or ask
    // for a configuration window; the window keeps such keys from its widgets.
    bool isSteeringKey(BYTE scanCode) const { return m_steeringKeys.test(scanCode); }
    std::size_t deviceCount() const { return m_devices.size(); }
    IDirectInputDevice8A* device(std::size_t index) const { return m_devices[index].get(); }
    const DeviceInputState& deviceState(std::size_t index) const { return m_states[index]; }

private:
    void enumerateDevices();
    void freeDevices();
    static BOOL deviceFound(LPCDIDEVICEINSTANCEA instance, LPDIRECTINPUTDEVICE8A device,
                            DWORD flags, DWORD remaining, LPVOID self);

    InputSink& m_sink;
    GameActionFormat m_format;
    ComPtr<IDirectInput8A> m_directInput;
    // In the order found; each device with what its events said.
    std::vector<ComPtr<IDirectInputDevice8A>> m_devices;
    std::vector<DeviceInputState> m_states;
    std::bitset<256> m_steeringKeys;
    HWND m_window = nullptr;
    DWORD m_deviceChanges = 0;
    InputRecord m_input;
};
