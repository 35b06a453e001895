// The part every device shares: its objects, the action map, acquisition under the
// cooperative level, the event buffer and the axis settings. A device's source (the
// host's key events, SDL) only reports where each object stands; this class decides
// what becomes an event.
#pragma once

#include "dinput/dinput.h"
#include "dinput/dinput_host.h"

#include <cstddef>
#include <deque>
#include <optional>
#include <string>
#include <vector>

namespace dinput {

struct DeviceObject {
    GUID guidType;
    DWORD objId; // DIDFT_ type flags | DIDFT_MAKEINSTANCE(n)
    DWORD offset;
    std::string name;

    bool isAxis() const { return (objId & DIDFT_AXIS) != 0; }
};

// Where an axis at position (-1..1) lands in min..max once the dead zone and saturation
// (both in 1/10000 of the half travel) are applied.
LONG scaleAxis(double position, DWORD deadZone, DWORD saturation, LONG min, LONG max);

// Whether format is one this layer can read: its size, its action size, its actions.
bool validActionFormat(const DIACTIONFORMATA* format);

// Keeps the actions bound on device (all but the fixed ones) as the user's bindings.
void saveUserBindings(const GUID& actionMap, const DIDEVICEINSTANCEA& device,
                      const DIACTIONA* actions, DWORD count);

class InputDevice : public IDirectInputDevice8A {
public:
    ~InputDevice() override;

    HRESULT GetCapabilities(DIDEVCAPS* caps) override;
    HRESULT EnumObjects(LPDIENUMDEVICEOBJECTSCALLBACKA callback, LPVOID ref, DWORD flags) override;
    HRESULT GetProperty(REFGUID property, LPDIPROPHEADER header) override;
    HRESULT SetProperty(REFGUID property, LPCDIPROPHEADER header) override;
    [[nodiscard]] HRESULT Acquire() override;
    HRESULT Unacquire() override;
    HRESULT GetDeviceData(DWORD objectDataSize, LPDIDEVICEOBJECTDATA data, DWORD* inOut,
                          DWORD flags) override;
    [[nodiscard]] HRESULT SetCooperativeLevel(HWND window, DWORD flags) override;
    HRESULT GetObjectInfo(DIDEVICEOBJECTINSTANCEA* object, DWORD obj, DWORD how) override;
    HRESULT GetDeviceInfo(DIDEVICEINSTANCEA* instance) override;
    HRESULT Poll() override;
    HRESULT BuildActionMap(LPDIACTIONFORMATA format, LPCSTR userName, DWORD flags) override;
    HRESULT SetActionMap(LPDIACTIONFORMATA format, LPCSTR userName, DWORD flags) override;
    HRESULT GetObjectState(DWORD objId, LONG* value) override;

    const DIDEVICEINSTANCEA& instance() const { return m_instance; }
    bool isKeyboard() const {
        return GET_DIDEVICE_TYPE(m_instance.dwDevType) == DI8DEVTYPE_KEYBOARD;
    }

    // The focus moved to another window (or to none).
    void focusChanged(HWND focus);

protected:
    InputDevice(const DIDEVICEINSTANCEA& instance, std::vector<DeviceObject> objects);

    // The source's reports. A change becomes an event when the object is mapped and the
    // device acquired; otherwise it is only remembered, and acquiring later reports the
    // difference.
    void setButton(std::size_t object, bool down);
    void setAxis(std::size_t object, double position);
    void releaseAll();
    // The device is gone: it drops its acquisition and can never be acquired again.
    void markUnplugged();
    bool unplugged() const { return m_unplugged; }

    // Brings in what the source has not delivered yet (SDL's queue).
    virtual void pumpSource() {}
    virtual bool polled() const { return false; }

    std::optional<std::size_t> findObject(DWORD objId) const;
    const std::vector<DeviceObject>& objects() const { return m_objects; }

private:
    struct AxisSettings {
        DWORD deadZone = 0;
        DWORD saturation = 10000;
        LONG min = 0;
        LONG max = 0xFFFF;
    };

    LONG valueOf(std::size_t object) const;
    LONG restValueOf(std::size_t object) const;
    void reportChange(std::size_t object);
    void push(std::size_t object, LONG value);
    HRESULT notAcquiredResult();
    void loseAcquisition();
    std::optional<std::size_t> defaultObject(DWORD semantic, const std::vector<bool>& taken) const;
    bool fits(const DIACTIONA& action, std::size_t object) const;
    std::optional<std::size_t> objectFor(DWORD obj, DWORD how) const;
    // Checks a property header and finds the object it names (none for the whole
    // device): DIERR_INVALIDPARAM or DIERR_OBJECTNOTFOUND when it cannot.
    HRESULT propertyObject(const DIPROPHEADER* header, std::optional<std::size_t>* object) const;

    DIDEVICEINSTANCEA m_instance;
    std::vector<DeviceObject> m_objects;
    std::vector<double> m_position; // axes -1..1, buttons 0 or 1
    std::vector<LONG> m_reported;
    std::vector<AxisSettings> m_axis;
    std::vector<int> m_action; // per object: index of the mapped action, or -1
    std::vector<UINT_PTR> m_appData;

    bool m_mapSet = false;
    std::deque<DIDEVICEOBJECTDATA> m_buffer;
    DWORD m_bufferSize = 0;
    bool m_overflow = false;

    HWND m_window = nullptr;
    DWORD m_cooperation = DISCL_NONEXCLUSIVE | DISCL_BACKGROUND;
    bool m_acquired = false;
    bool m_lost = false;
    bool m_unplugged = false;
};

// The process-wide side of input: which window has the focus, the live devices that
// must hear of it, the key events, the bindings store and the configuration window.
class Desktop {
public:
    static Desktop& get();

    HWND focus() const { return m_focus; }
    void setFocus(HWND window);
    void keyEvent(BYTE scanCode, bool pressed);

    void add(InputDevice* device);
    void remove(InputDevice* device);

    DIUserMappingStore& store();
    std::shared_ptr<DIUserMappingStore> setStore(std::shared_ptr<DIUserMappingStore> store);
    DIConfigureDevicesHandler& configureHandler() { return m_configure; }

    DWORD nextSequence() { return ++m_sequence; }

private:
    Desktop();
    HWND m_focus = nullptr;
    std::vector<InputDevice*> m_devices;
    std::shared_ptr<DIUserMappingStore> m_memoryStore;
    std::shared_ptr<DIUserMappingStore> m_store;
    DIConfigureDevicesHandler m_configure;
    DWORD m_sequence = 0;
};

// The keyboard, fed by the host's key events.
class KeyboardDevice final : public InputDevice {
public:
    KeyboardDevice();
    void keyEvent(BYTE scanCode, bool pressed);

private:
    std::vector<int> m_objectOfKey; // scan code -> object index, or -1
};

ComPtr<IDirectInputDevice8A> makeKeyboard();
DIDEVICEINSTANCEA keyboardInstance();

} // namespace dinput
