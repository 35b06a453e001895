// Isolation for tests of the input layer: a bindings store of their own, a focus window
// of their own, and key presses as the host window would pass them.
#pragma once

#include "dinput/dinput_host.h"

#include <map>
#include <memory>
#include <string>
#include <utility>

class TestMappingStore final : public DIUserMappingStore {
public:
    std::optional<std::vector<DIUserBinding>> load(const std::string& actionMap,
                                                   const std::string& device) override {
        const auto it = bindings.find({actionMap, device});
        if (it == bindings.end()) {
            return std::nullopt;
        }
        return it->second;
    }
    void save(const std::string& actionMap, const std::string& device,
              const std::vector<DIUserBinding>& list) override {
        bindings[{actionMap, device}] = list;
    }
    std::map<std::pair<std::string, std::string>, std::vector<DIUserBinding>> bindings;
};

// Installs a fresh store and gives the focus to a window of the test's own for as long
// as it lives.
class InputSandbox {
public:
    InputSandbox()
        : store(std::make_shared<TestMappingStore>()),
          m_previous(DInputSetUserMappingStore(store)) {
        DInputSetFocusWindow(window);
    }
    ~InputSandbox() {
        DInputSetFocusWindow(nullptr);
        DInputSetUserMappingStore(m_previous);
        DInputSetConfigureDevicesHandler({});
    }
    InputSandbox(const InputSandbox&) = delete;
    InputSandbox& operator=(const InputSandbox&) = delete;

    std::shared_ptr<TestMappingStore> store;
    HWND window = reinterpret_cast<HWND>(&m_windowTag);
    HWND otherWindow = reinterpret_cast<HWND>(&m_otherTag);

private:
    std::shared_ptr<DIUserMappingStore> m_previous;
    int m_windowTag = 0;
    int m_otherTag = 0;
};

inline void tap(BYTE key) {
    DInputKeyEvent(key, true);
    DInputKeyEvent(key, false);
}
