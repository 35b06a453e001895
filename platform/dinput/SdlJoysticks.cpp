#include "SdlJoysticks.h"

#include <cstring>
#include <string>
#include <vector>

namespace dinput {

namespace {

double axisPosition(Sint16 value) {
    return value >= 0 ? value / 32767.0 : value / 32768.0;
}

const GUID& axisType(int index) {
    static const GUID* const kTypes[] = {&GUID_XAxis,  &GUID_YAxis,  &GUID_ZAxis,
                                         &GUID_RxAxis, &GUID_RyAxis, &GUID_RzAxis};
    return index < 6 ? *kTypes[index] : GUID_Slider;
}

const GUID& controllerAxisType(SDL_GameControllerAxis axis) {
    switch (axis) {
    case SDL_CONTROLLER_AXIS_LEFTX:
        return GUID_XAxis;
    case SDL_CONTROLLER_AXIS_LEFTY:
        return GUID_YAxis;
    case SDL_CONTROLLER_AXIS_RIGHTX:
        return GUID_RxAxis;
    case SDL_CONTROLLER_AXIS_RIGHTY:
        return GUID_RyAxis;
    case SDL_CONTROLLER_AXIS_TRIGGERLEFT:
        return GUID_ZAxis;
    default:
        return GUID_RzAxis;
    }
}

const char* controllerAxisName(SDL_GameControllerAxis axis) {
    static const char* const kNames[] = {"Left stick X",  "Left stick Y", "Right stick X",
                                         "Right stick Y", "Left trigger", "Right trigger"};
    return axis < SDL_CONTROLLER_AXIS_MAX ? kNames[axis] : "Axis";
}

const char* controllerButtonName(SDL_GameControllerButton button) {
    static const char* const kNames[] = {"A",
                                         "B",
                                         "X",
                                         "Y",
                                         "Back",
                                         "Guide",
                                         "Start",
                                         "Left stick",
                                         "Right stick",
                                         "Left shoulder",
                                         "Right shoulder",
                                         "D-pad up",
                                         "D-pad down",
                                         "D-pad left",
                                         "D-pad right",
                                         "Misc",
                                         "Paddle 1",
                                         "Paddle 2",
                                         "Paddle 3",
                                         "Paddle 4",
                                         "Touchpad"};
    return button < static_cast<int>(std::size(kNames)) ? kNames[button] : "Button";
}

constexpr const char* kHatDirections[] = {"up", "right", "down", "left"};
constexpr Uint8 kHatBits[] = {SDL_HAT_UP, SDL_HAT_RIGHT, SDL_HAT_DOWN, SDL_HAT_LEFT};

GUID toGuid(const SDL_JoystickGUID& sdl) {
    static_assert(sizeof(GUID) == sizeof sdl.data);
    GUID guid;
    std::memcpy(&guid, sdl.data, sizeof guid);
    return guid;
}

void copyName(char (&target)[MAX_PATH], const char* name) {
    std::strncpy(target, name != nullptr ? name : "Game controller", MAX_PATH - 1);
    target[MAX_PATH - 1] = '\0';
}

} // namespace

std::shared_ptr<SdlJoysticks> SdlJoysticks::acquire() {
    static std::weak_ptr<SdlJoysticks> current;
    if (auto existing = current.lock()) {
        return existing;
    }
    // Ctrl+C belongs to the host, and there is no SDL window whose focus could decide
    // whether joystick events count; the host's focus decides that (DISCL_FOREGROUND).
    SDL_SetHint(SDL_HINT_NO_SIGNAL_HANDLERS, "1");
    SDL_SetHint(SDL_HINT_JOYSTICK_ALLOW_BACKGROUND_EVENTS, "1");
    if (SDL_InitSubSystem(SDL_INIT_JOYSTICK | SDL_INIT_GAMECONTROLLER) != 0) {
        return nullptr;
    }
    std::shared_ptr<SdlJoysticks> made(new SdlJoysticks());
    current = made;
    return made;
}

SdlJoysticks::SdlJoysticks() {
    SDL_JoystickUpdate();
    for (int i = 0; i < SDL_NumJoysticks(); ++i) {
        m_known.insert(SDL_JoystickGetDeviceInstanceID(i));
    }
}

SdlJoysticks::~SdlJoysticks() {
    SDL_QuitSubSystem(SDL_INIT_JOYSTICK | SDL_INIT_GAMECONTROLLER);
}

void SdlJoysticks::pump() {
    SDL_PumpEvents();
    SDL_Event events[32];
    int count = 0;
    while ((count = SDL_PeepEvents(events, 32, SDL_GETEVENT, SDL_JOYAXISMOTION,
                                   SDL_CONTROLLERSENSORUPDATE)) > 0) {
        for (int i = 0; i < count; ++i) {
            dispatch(events[i]);
        }
    }
    // Nothing else of SDL's is ours to read; keep the queue from filling up with it.
    SDL_FlushEvents(SDL_FIRSTEVENT, SDL_JOYAXISMOTION - 1);
    SDL_FlushEvents(SDL_CONTROLLERSENSORUPDATE + 1, SDL_LASTEVENT);
}

void SdlJoysticks::dispatch(const SDL_Event& event) {
    SDL_JoystickID id = -1;
    switch (event.type) {
    case SDL_JOYDEVICEADDED: {
        const SDL_JoystickID added = SDL_JoystickGetDeviceInstanceID(event.jdevice.which);
        if (added >= 0 && m_known.insert(added).second) {
            ++m_changes;
        }
        return;
    }
    case SDL_JOYDEVICEREMOVED:
        id = event.jdevice.which;
        if (m_known.erase(id) != 0) {
            ++m_changes;
        }
        break;
    case SDL_JOYAXISMOTION:
        id = event.jaxis.which;
        break;
    case SDL_JOYHATMOTION:
        id = event.jhat.which;
        break;
    case SDL_JOYBUTTONDOWN:
    case SDL_JOYBUTTONUP:
        id = event.jbutton.which;
        break;
    case SDL_CONTROLLERAXISMOTION:
        id = event.caxis.which;
        break;
    case SDL_CONTROLLERBUTTONDOWN:
    case SDL_CONTROLLERBUTTONUP:
        id = event.cbutton.which;
        break;
    default:
        return;
    }
    std::vector<SdlDevice*> devices;
    for (auto [it, end] = m_listeners.equal_range(id); it != end; ++it) {
        devices.push_back(it->second);
    }
    for (SdlDevice* device : devices) {
        if (event.type == SDL_JOYDEVICEREMOVED) {
            device->removed();
        } else {
            device->event(event);
        }
    }
}

int SdlJoysticks::count() const {
    return SDL_NumJoysticks();
}

DIDEVICEINSTANCEA SdlJoysticks::instanceOf(int index) const {
    DIDEVICEINSTANCEA instance{};
    instance.dwSize = sizeof instance;
    instance.guidProduct = toGuid(SDL_JoystickGetDeviceGUID(index));
    // The product GUID tells the model; the instance id, unique while the program runs,
    // tells two pads of one model apart.
    instance.guidInstance = instance.guidProduct;
    instance.guidInstance.Data1 ^=
        0x80000000u | static_cast<DWORD>(SDL_JoystickGetDeviceInstanceID(index));
    const bool controller = SDL_IsGameController(index);
    instance.dwDevType = controller ? DI8DEVTYPE_GAMEPAD | (DI8DEVTYPEGAMEPAD_STANDARD << 8)
                                    : DI8DEVTYPE_JOYSTICK | (DI8DEVTYPEJOYSTICK_STANDARD << 8);
    const char* name =
        controller ? SDL_GameControllerNameForIndex(index) : SDL_JoystickNameForIndex(index);
    copyName(instance.tszInstanceName, name);
    copyName(instance.tszProductName, name);
    return instance;
}

ComPtr<IDirectInputDevice8A> SdlJoysticks::open(int index) {
    SDL_GameController* controller =
        SDL_IsGameController(index) ? SDL_GameControllerOpen(index) : nullptr;
    SDL_Joystick* joystick =
        controller != nullptr ? SDL_GameControllerGetJoystick(controller) : SDL_JoystickOpen(index);
    if (joystick == nullptr) {
        if (controller != nullptr) {
            SDL_GameControllerClose(controller);
        }
        return nullptr;
    }
    const DIDEVICEINSTANCEA instance = instanceOf(index);
    return makeCom<SdlDevice>(shared_from_this(), instance,
                              SdlDevice::objectsOf(controller, joystick), controller, joystick);
}

void SdlJoysticks::listen(SDL_JoystickID id, SdlDevice* device) {
    m_listeners.emplace(id, device);
}

void SdlJoysticks::forget(SDL_JoystickID id, SdlDevice* device) {
    for (auto [it, end] = m_listeners.equal_range(id); it != end; ++it) {
        if (it->second == device) {
            m_listeners.erase(it);
            return;
        }
    }
}

std::vector<DeviceObject> SdlDevice::objectsOf(SDL_GameController* controller,
                                               SDL_Joystick* joystick) {
    std::vector<DeviceObject> objects;
    auto add = [&](const GUID& type, DWORD typeFlags, int instance, std::string name) {
        objects.push_back({type, typeFlags | DIDFT_MAKEINSTANCE(static_cast<DWORD>(instance)),
                           static_cast<DWORD>(objects.size() * 4), std::move(name)});
    };
    if (controller != nullptr) {
        for (int a = 0; a < SDL_CONTROLLER_AXIS_MAX; ++a) {
            const auto axis = static_cast<SDL_GameControllerAxis>(a);
            if (SDL_GameControllerHasAxis(controller, axis)) {
                add(controllerAxisType(axis), DIDFT_ABSAXIS, a, controllerAxisName(axis));
            }
        }
        for (int b = 0; b < SDL_CONTROLLER_BUTTON_MAX; ++b) {
            const auto button = static_cast<SDL_GameControllerButton>(b);
            if (SDL_GameControllerHasButton(controller, button)) {
                add(GUID_Button, DIDFT_PSHBUTTON, b, controllerButtonName(button));
            }
        }
        return objects;
    }
    const int axes = SDL_JoystickNumAxes(joystick);
    const int buttons = SDL_JoystickNumButtons(joystick);
    const int hats = SDL_JoystickNumHats(joystick);
    for (int a = 0; a < axes; ++a) {
        add(axisType(a), DIDFT_ABSAXIS, a, "Axis " + std::to_string(a + 1));
    }
    for (int b = 0; b < buttons; ++b) {
        add(GUID_Button, DIDFT_PSHBUTTON, b, "Button " + std::to_string(b + 1));
    }
    // A hat offers its four directions as buttons, so that any action can take them.
    for (int h = 0; h < hats; ++h) {
        for (int d = 0; d < 4; ++d) {
            add(GUID_Button, DIDFT_PSHBUTTON, buttons + 4 * h + d,
                "Hat " + std::to_string(h + 1) + " " + kHatDirections[d]);
        }
    }
    return objects;
}

SdlDevice::SdlDevice(std::shared_ptr<SdlJoysticks> sdl, const DIDEVICEINSTANCEA& instance,
                     std::vector<DeviceObject> objects, SDL_GameController* controller,
                     SDL_Joystick* joystick)
    : InputDevice(instance, std::move(objects)), m_sdl(std::move(sdl)),
      m_id(SDL_JoystickInstanceID(joystick)), m_controller(controller), m_joystick(joystick) {
    const int buttons = controller != nullptr ? 0 : SDL_JoystickNumButtons(joystick);
    m_hats = controller != nullptr ? 0 : SDL_JoystickNumHats(joystick);
    for (std::size_t i = 0; i < this->objects().size(); ++i) {
        const DeviceObject& object = this->objects()[i];
        const int number = static_cast<int>(DIDFT_GETINSTANCE(object.objId));
        std::vector<int>& table = object.isAxis() ? m_axisObject : m_buttonObject;
        if (!object.isAxis() && controller == nullptr && number >= buttons) {
            if (m_firstHatObject < 0) {
                m_firstHatObject = static_cast<int>(i);
            }
            continue;
        }
        if (table.size() <= static_cast<std::size_t>(number)) {
            table.resize(static_cast<std::size_t>(number) + 1, -1);
        }
        table[static_cast<std::size_t>(number)] = static_cast<int>(i);
    }
    m_sdl->listen(m_id, this);
    if (!SDL_JoystickGetAttached(m_joystick)) {
        markUnplugged();
    }
    readAll();
}

SdlDevice::~SdlDevice() {
    m_sdl->forget(m_id, this);
    if (m_controller != nullptr) {
        SDL_GameControllerClose(m_controller);
    } else {
        SDL_JoystickClose(m_joystick);
    }
}

void SdlDevice::readAll() {
    for (std::size_t a = 0; a < m_axisObject.size(); ++a) {
        if (m_axisObject[a] < 0) {
            continue;
        }
        const Sint16 value =
            m_controller != nullptr
                ? SDL_GameControllerGetAxis(m_controller, static_cast<SDL_GameControllerAxis>(a))
                : SDL_JoystickGetAxis(m_joystick, static_cast<int>(a));
        setAxis(static_cast<std::size_t>(m_axisObject[a]), axisPosition(value));
    }
    for (std::size_t b = 0; b < m_buttonObject.size(); ++b) {
        if (m_buttonObject[b] < 0) {
            continue;
        }
        const Uint8 down = m_controller != nullptr
                               ? SDL_GameControllerGetButton(
                                     m_controller, static_cast<SDL_GameControllerButton>(b))
                               : SDL_JoystickGetButton(m_joystick, static_cast<int>(b));
        setButton(static_cast<std::size_t>(m_buttonObject[b]), down != 0);
    }
    for (int h = 0; h < m_hats; ++h) {
        setHat(h, SDL_JoystickGetHat(m_joystick, h));
    }
}

void SdlDevice::setHat(int hat, Uint8 value) {
    if (m_firstHatObject < 0 || hat >= m_hats) {
        return;
    }
    for (int d = 0; d < 4; ++d) {
        setButton(static_cast<std::size_t>(m_firstHatObject + 4 * hat + d),
                  (value & kHatBits[d]) != 0);
    }
}

void SdlDevice::event(const SDL_Event& event) {
    auto axis = [&](int number, Sint16 value) {
        if (number >= 0 && static_cast<std::size_t>(number) < m_axisObject.size() &&
            m_axisObject[static_cast<std::size_t>(number)] >= 0) {
            setAxis(static_cast<std::size_t>(m_axisObject[static_cast<std::size_t>(number)]),
                    axisPosition(value));
        }
    };
    auto button = [&](int number, bool down) {
        if (number >= 0 && static_cast<std::size_t>(number) < m_buttonObject.size() &&
            m_buttonObject[static_cast<std::size_t>(number)] >= 0) {
            setButton(static_cast<std::size_t>(m_buttonObject[static_cast<std::size_t>(number)]),
                      down);
        }
    };
    // A game controller is read through its mapping only; SDL reports its raw joystick
    // events as well, and those are not ours to use.
    if (m_controller != nullptr) {
        if (event.type == SDL_CONTROLLERAXISMOTION) {
            axis(event.caxis.axis, event.caxis.value);
        } else if (event.type == SDL_CONTROLLERBUTTONDOWN || event.type == SDL_CONTROLLERBUTTONUP) {
            button(event.cbutton.button, event.cbutton.state == SDL_PRESSED);
        }
        return;
    }
    if (event.type == SDL_JOYAXISMOTION) {
        axis(event.jaxis.axis, event.jaxis.value);
    } else if (event.type == SDL_JOYBUTTONDOWN || event.type == SDL_JOYBUTTONUP) {
        button(event.jbutton.button, event.jbutton.state == SDL_PRESSED);
    } else if (event.type == SDL_JOYHATMOTION) {
        setHat(event.jhat.hat, event.jhat.value);
    }
}

void SdlDevice::removed() {
    markUnplugged();
}

void SdlDevice::pumpSource() {
    m_sdl->pump();
}

} // namespace dinput
