#include "input/ActionInput.h"

#include <array>

namespace {

constexpr DWORD kCooperation = DISCL_NONEXCLUSIVE | DISCL_FOREGROUND;

} // namespace

ActionInput::ActionInput(InputSink& sink) : m_sink(sink) {}

ActionInput::~ActionInput() {
    release();
}

bool ActionInput::setUp(HWND window) {
    release();
    m_window = window;
    if (FAILED(DirectInput8Create(nullptr, DIRECTINPUT_VERSION, IID_IDirectInput8A,
                                  reinterpret_cast<LPVOID*>(m_directInput.put()), nullptr))) {
        return false;
    }
    enumerateDevices();
    return true;
}

BOOL ActionInput::deviceFound(LPCDIDEVICEINSTANCEA instance, LPDIRECTINPUTDEVICE8A device, DWORD,
                              DWORD, LPVOID self) {
    auto& input = *static_cast<ActionInput*>(self);
    DIACTIONFORMATA* format = input.m_format.get();
    if (FAILED(device->BuildActionMap(format, nullptr, DIDBAM_DEFAULT)) ||
        FAILED(device->SetActionMap(format, nullptr, DIDSAM_DEFAULT))) {
        return DIENUM_CONTINUE;
    }
    device->SetCooperativeLevel(input.m_window, kCooperation);
    DIPROPDWORD deadZone{};
    deadZone.diph.dwSize = sizeof deadZone;
    deadZone.diph.dwHeaderSize = sizeof deadZone.diph;
    deadZone.diph.dwObj = 0;
    deadZone.diph.dwHow = DIPH_DEVICE;
    deadZone.dwData = kGameDeadZone;
    // The keyboard has no axes and says so; that is no reason to leave it out.
    device->SetProperty(DIPROP_DEADZONE, &deadZone.diph);
    if (GET_DIDEVICE_TYPE(instance->dwDevType) == DI8DEVTYPE_KEYBOARD) {
        for (DWORD i = 0; i < format->dwNumActions; ++i) {
            const DIACTIONA& action = format->rgoAction[i];
            if (action.guidInstance == instance->guidInstance && action.dwHow != DIAH_UNMAPPED &&
                (action.dwHow & DIAH_ERROR) == 0 && action.uAppData >= kActionRotateLeft &&
                action.uAppData <= kActionConfigureDisplay) {
                input.m_steeringKeys.set(DIDFT_GETINSTANCE(action.dwObjID) & 0xFF);
            }
        }
    }
    input.m_devices.emplace_back(device);
    input.m_states.emplace_back();
    return DIENUM_CONTINUE;
}

void ActionInput::enumerateDevices() {
    m_devices.clear();
    m_states.clear();
    m_steeringKeys.reset();
    m_directInput->EnumDevicesBySemantics(nullptr, m_format.get(), &ActionInput::deviceFound, this,
                                          DIEDBSFL_ATTACHEDONLY);
    m_deviceChanges = m_directInput->GetDeviceChangeCount();
}

void ActionInput::freeDevices() {
    for (const auto& device : m_devices) {
        device->Unacquire();
    }
    m_devices.clear();
    m_states.clear();
    m_steeringKeys.reset();
}

void ActionInput::setInputWindow(HWND window) {
    m_window = window;
    for (const auto& device : m_devices) {
        device->Unacquire();
        device->SetCooperativeLevel(window, kCooperation);
    }
}

void ActionInput::updateFrame(int tab) {
    if (!m_directInput) {
        return;
    }
    if (m_directInput->GetDeviceChangeCount() != m_deviceChanges) {
        // A controller came or went: bind the devices as they are now.
        freeDevices();
        enumerateDevices();
    }
    const DWORD limit = eventsPerFrame(tab);
    for (std::size_t d = 0; d < m_devices.size(); ++d) {
        IDirectInputDevice8A& device = *m_devices[d];
        DeviceInputState& state = m_states[d];
        std::array<DIDEVICEOBJECTDATA, 11> events{};
        DWORD count = limit;
        // Without the focus (or without the device) nothing counts as held any more;
        // acquiring again reports what is held then.
        if (FAILED(device.Acquire())) {
            state = DeviceInputState{};
            continue;
        }
        device.Poll();
        if (FAILED(device.GetDeviceData(sizeof(DIDEVICEOBJECTDATA), events.data(), &count, 0))) {
            state = DeviceInputState{};
            continue;
        }
        for (DWORD i = 0; i < count; ++i) {
            applyEvent(events[i], tab, state, m_input);
        }
    }
    if (tab == kTabMakeField) {
        return;
    }
    combineDevices(m_states, m_input);
    sendToEngine(tab, m_input, m_sink);
}

bool ActionInput::takeConfigureInputRequest(bool windowed) {
    if (!m_input.configureInput || !windowed) {
        return false;
    }
    m_input.configureInput = false;
    return true;
}

bool ActionInput::takeConfigureDisplayRequest() {
    if (!m_input.configureDisplay) {
        return false;
    }
    m_input.configureDisplay = false;
    return true;
}

HRESULT ActionInput::configureInput(HWND owner) {
    if (!m_directInput) {
        return DIERR_NOTINITIALIZED;
    }
    freeDevices();
    DICONFIGUREDEVICESPARAMSA params{};
    params.dwSize = sizeof params;
    params.dwcUsers = 1;
    params.dwcFormats = 1;
    params.lprgFormats = m_format.get();
    params.hwnd = owner;
    const HRESULT result = m_directInput->ConfigureDevices(nullptr, &params, DICD_EDIT, nullptr);
    enumerateDevices();
    return result;
}

void ActionInput::release() {
    freeDevices();
    m_directInput = nullptr;
}
