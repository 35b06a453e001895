#include "InputDevice.h"
#include "SdlJoysticks.h"

#include <cstdio>
#include <vector>

namespace dinput {

namespace {

struct Attached {
    DIDEVICEINSTANCEA instance;
    int sdlIndex; // -1 for the keyboard
};

class DirectInput8 final : public IDirectInput8A {
public:
    DirectInput8() : m_sdl(SdlJoysticks::acquire()) {}

    HRESULT CreateDevice(REFGUID guid, LPDIRECTINPUTDEVICE8A* device, IUnknown* outer) override {
        if (device == nullptr) {
            return DIERR_INVALIDPARAM;
        }
        *device = nullptr;
        if (outer != nullptr) {
            return DIERR_NOAGGREGATION;
        }
        for (const Attached& attached : attachedDevices(DI8DEVCLASS_ALL)) {
            if (attached.instance.guidInstance == guid) {
                ComPtr<IDirectInputDevice8A> made = open(attached);
                if (!made) {
                    return DIERR_DEVICENOTREG;
                }
                *device = made.detach();
                return DI_OK;
            }
        }
        return DIERR_DEVICENOTREG;
    }

    HRESULT EnumDevices(DWORD devClass, LPDIENUMDEVICESCALLBACKA callback, LPVOID ref,
                        DWORD) override {
        if (callback == nullptr) {
            return DIERR_INVALIDPARAM;
        }
        for (const Attached& attached : attachedDevices(devClass)) {
            if (callback(&attached.instance, ref) == DIENUM_STOP) {
                break;
            }
        }
        return DI_OK;
    }

    HRESULT GetDeviceStatus(REFGUID guid) override {
        for (const Attached& attached : attachedDevices(DI8DEVCLASS_ALL)) {
            if (attached.instance.guidInstance == guid) {
                return DI_OK;
            }
        }
        return DI_NOTATTACHED;
    }

    HRESULT EnumDevicesBySemantics(LPCSTR userName, LPDIACTIONFORMATA format,
                                   LPDIENUMDEVICESBYSEMANTICSCBA callback, LPVOID ref,
                                   DWORD) override {
        if (!validActionFormat(format) || callback == nullptr) {
            return DIERR_INVALIDPARAM;
        }
        const std::vector<Attached> attached = attachedDevices(DI8DEVCLASS_ALL);
        // The keyboard first, then the controllers in the order SDL found them: the
        // program lets later devices win, so a pad in hand overrides the keyboard.
        for (std::size_t i = 0; i < attached.size(); ++i) {
            ComPtr<IDirectInputDevice8A> device = open(attached[i]);
            if (!device) {
                continue;
            }
            std::vector<DIACTIONA> trial(format->rgoAction,
                                         format->rgoAction + format->dwNumActions);
            DIACTIONFORMATA trialFormat = *format;
            trialFormat.rgoAction = trial.data();
            const DWORD flags =
                device->BuildActionMap(&trialFormat, userName, DIDBAM_DEFAULT) == DI_OK
                    ? DIEDBS_MAPPEDPRI1
                    : 0;
            const auto remaining = static_cast<DWORD>(attached.size() - i - 1);
            if (callback(&attached[i].instance, device.get(), flags, remaining, ref) ==
                DIENUM_STOP) {
                break;
            }
        }
        return DI_OK;
    }

    HRESULT ConfigureDevices(LPDICONFIGUREDEVICESCALLBACK callback,
                             DICONFIGUREDEVICESPARAMSA* params, DWORD flags, LPVOID) override {
        if (params == nullptr || params->dwSize != sizeof(DICONFIGUREDEVICESPARAMSA) ||
            params->dwcFormats == 0 || !validActionFormat(params->lprgFormats)) {
            return DIERR_INVALIDPARAM;
        }
        DIConfigureDevicesHandler& handler = Desktop::get().configureHandler();
        if (callback != nullptr || !handler) {
            return DIERR_UNSUPPORTED;
        }
        const DIACTIONFORMATA& format = params->lprgFormats[0];
        DIConfigureSession session;
        session.owner = params->hwnd;
        session.format = &format;
        session.edit = (flags & DICD_EDIT) != 0;
        for (const Attached& attached : attachedDevices(DI8DEVCLASS_ALL)) {
            ComPtr<IDirectInputDevice8A> device = open(attached);
            if (!device) {
                continue;
            }
            DIConfigureDevice entry{
                attached.instance, device,
                std::vector<DIACTIONA>(format.rgoAction, format.rgoAction + format.dwNumActions)};
            DIACTIONFORMATA built = format;
            built.rgoAction = entry.actions.data();
            device->BuildActionMap(&built, nullptr, DIDBAM_DEFAULT);
            session.devices.push_back(std::move(entry));
        }
        // Copied: the window may well install another handler while it runs.
        const DIConfigureDevicesHandler run = handler;
        const HRESULT result = run(session);
        if (result != DI_OK) {
            return FAILED(result) ? result : DI_NOEFFECT;
        }
        if (session.edit) {
            for (const DIConfigureDevice& device : session.devices) {
                saveUserBindings(format.guidActionMap, device.instance, device.actions.data(),
                                 static_cast<DWORD>(device.actions.size()));
            }
        }
        return DI_OK;
    }

    DWORD GetDeviceChangeCount() override {
        if (!m_sdl) {
            return 0;
        }
        m_sdl->pump();
        return m_sdl->changeCount();
    }

private:
    std::vector<Attached> attachedDevices(DWORD devClass) {
        std::vector<Attached> attached;
        if (devClass == DI8DEVCLASS_ALL || devClass == DI8DEVCLASS_KEYBOARD) {
            attached.push_back({keyboardInstance(), -1});
        }
        if (m_sdl && (devClass == DI8DEVCLASS_ALL || devClass == DI8DEVCLASS_GAMECTRL)) {
            m_sdl->pump();
            for (int i = 0; i < m_sdl->count(); ++i) {
                attached.push_back({m_sdl->instanceOf(i), i});
            }
        }
        return attached;
    }

    ComPtr<IDirectInputDevice8A> open(const Attached& attached) {
        if (attached.sdlIndex < 0) {
            return makeKeyboard();
        }
        return m_sdl->open(attached.sdlIndex);
    }

    std::shared_ptr<SdlJoysticks> m_sdl;
};

} // namespace

} // namespace dinput

HRESULT DirectInput8Create(HINSTANCE, DWORD version, REFIID riid, LPVOID* out, IUnknown* outer) {
    if (out == nullptr) {
        return DIERR_INVALIDPARAM;
    }
    *out = nullptr;
    if (outer != nullptr) {
        return DIERR_NOAGGREGATION;
    }
    if (version < DIRECTINPUT_VERSION) {
        return DIERR_OLDDIRECTINPUTVERSION;
    }
    if (version > DIRECTINPUT_VERSION) {
        return DIERR_BETADIRECTINPUTVERSION;
    }
    if (!(riid == IID_IDirectInput8A)) {
        return DIERR_NOINTERFACE;
    }
    *out = static_cast<IDirectInput8A*>(makeCom<dinput::DirectInput8>().detach());
    return DI_OK;
}
