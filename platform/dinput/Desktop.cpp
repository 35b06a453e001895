#include "InputDevice.h"

#include <algorithm>
#include <cstdio>
#include <map>
#include <utility>

namespace dinput {

namespace {

// Bindings kept for as long as the process runs, for hosts that keep none of their own.
class MemoryMappingStore final : public DIUserMappingStore {
public:
    std::optional<std::vector<DIUserBinding>> load(const std::string& actionMap,
                                                   const std::string& device) override {
        const auto it = m_bindings.find({actionMap, device});
        if (it == m_bindings.end()) {
            return std::nullopt;
        }
        return it->second;
    }
    void save(const std::string& actionMap, const std::string& device,
              const std::vector<DIUserBinding>& bindings) override {
        m_bindings[{actionMap, device}] = bindings;
    }

private:
    std::map<std::pair<std::string, std::string>, std::vector<DIUserBinding>> m_bindings;
};

} // namespace

Desktop::Desktop()
    : m_memoryStore(std::make_shared<MemoryMappingStore>()), m_store(m_memoryStore) {}

Desktop& Desktop::get() {
    static Desktop desktop;
    return desktop;
}

void Desktop::setFocus(HWND window) {
    if (window == m_focus) {
        return;
    }
    m_focus = window;
    for (InputDevice* device : m_devices) {
        device->focusChanged(window);
    }
}

void Desktop::keyEvent(BYTE scanCode, bool pressed) {
    // Copied: nothing that a key does may add or remove devices, but stay safe if it does.
    const std::vector<InputDevice*> devices = m_devices;
    for (InputDevice* device : devices) {
        if (device->isKeyboard()) {
            static_cast<KeyboardDevice*>(device)->keyEvent(scanCode, pressed);
        }
    }
}

void Desktop::add(InputDevice* device) {
    m_devices.push_back(device);
}

void Desktop::remove(InputDevice* device) {
    std::erase(m_devices, device);
}

DIUserMappingStore& Desktop::store() {
    return *m_store;
}

std::shared_ptr<DIUserMappingStore> Desktop::setStore(std::shared_ptr<DIUserMappingStore> store) {
    std::shared_ptr<DIUserMappingStore> previous = std::move(m_store);
    m_store = store ? std::move(store) : m_memoryStore;
    return previous == m_memoryStore ? nullptr : previous;
}

} // namespace dinput

void DInputSetFocusWindow(HWND window) {
    dinput::Desktop::get().setFocus(window);
}

HWND DInputFocusWindow() {
    return dinput::Desktop::get().focus();
}

void DInputKeyEvent(BYTE scanCode, bool pressed) {
    dinput::Desktop::get().keyEvent(scanCode, pressed);
}

std::shared_ptr<DIUserMappingStore>
DInputSetUserMappingStore(std::shared_ptr<DIUserMappingStore> store) {
    return dinput::Desktop::get().setStore(std::move(store));
}

DIConfigureDevicesHandler DInputSetConfigureDevicesHandler(DIConfigureDevicesHandler handler) {
    return std::exchange(dinput::Desktop::get().configureHandler(), std::move(handler));
}

std::string DInputGuidToString(const GUID& guid) {
    char text[40];
    std::snprintf(text, sizeof text, "{%08X-%04X-%04X-%02X%02X-%02X%02X%02X%02X%02X%02X}",
                  static_cast<unsigned>(guid.Data1), guid.Data2, guid.Data3, guid.Data4[0],
                  guid.Data4[1], guid.Data4[2], guid.Data4[3], guid.Data4[4], guid.Data4[5],
                  guid.Data4[6], guid.Data4[7]);
    return text;
}
