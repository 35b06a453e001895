// Joysticks and game controllers through SDL2's joystick and game-controller subsystems
// (no SDL video). One SdlJoysticks lives while any DirectInput object or device needs it;
// it owns the subsystems, drains SDL's event queue and keeps count of devices coming
// and going.
#pragma once

#include "InputDevice.h"

#include <SDL.h>

#include <map>
#include <memory>
#include <set>

namespace dinput {

class SdlDevice;

class SdlJoysticks : public std::enable_shared_from_this<SdlJoysticks> {
public:
    // The one instance, made (and SDL's subsystems started) on first use; null when SDL
    // cannot start them.
    static std::shared_ptr<SdlJoysticks> acquire();
    ~SdlJoysticks();
    SdlJoysticks(const SdlJoysticks&) = delete;
    SdlJoysticks& operator=(const SdlJoysticks&) = delete;

    // Hands every pending joystick and controller event to the devices it concerns and
    // notes devices that arrived or left.
    void pump();
    DWORD changeCount() const { return m_changes; }

    // The attached devices, in SDL's order, as device indices valid until the next pump.
    int count() const;
    // How the device at index is enumerated.
    DIDEVICEINSTANCEA instanceOf(int index) const;
    ComPtr<IDirectInputDevice8A> open(int index);

    void listen(SDL_JoystickID id, SdlDevice* device);
    void forget(SDL_JoystickID id, SdlDevice* device);

private:
    SdlJoysticks();
    void dispatch(const SDL_Event& event);

    std::multimap<SDL_JoystickID, SdlDevice*> m_listeners;
    std::set<SDL_JoystickID> m_known;
    DWORD m_changes = 0;
};

class SdlDevice final : public InputDevice {
public:
    SdlDevice(std::shared_ptr<SdlJoysticks> sdl, const DIDEVICEINSTANCEA& instance,
              std::vector<DeviceObject> objects, SDL_GameController* controller,
              SDL_Joystick* joystick);
    ~SdlDevice() override;

    void event(const SDL_Event& event);
    void removed();

    // The objects a device at this index offers (its mapping when it is a game
    // controller, its raw axes, buttons and hats otherwise).
    static std::vector<DeviceObject> objectsOf(SDL_GameController* controller,
                                               SDL_Joystick* joystick);

protected:
    void pumpSource() override;
    bool polled() const override { return true; }

private:
    void readAll();
    void setHat(int hat, Uint8 value);

    std::shared_ptr<SdlJoysticks> m_sdl;
    SDL_JoystickID m_id;
    SDL_GameController* m_controller;
    SDL_Joystick* m_joystick;
    // SDL's numbering -> our object index, or -1.
    std::vector<int> m_axisObject;
    std::vector<int> m_buttonObject;
    int m_firstHatObject = -1;
    int m_hats = 0;
};

} // namespace dinput
