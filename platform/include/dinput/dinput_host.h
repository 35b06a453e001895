// What the host program tells the input layer and what it lends it: which of its windows
// has the keyboard focus, the keys that arrive in that window, the window in which the
// user changes bindings, and where those bindings are kept between runs.
#pragma once

#include "dinput/dinput.h"

#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

// The host's window that has the focus now, or null when none of its windows has it.
// Devices set to DISCL_FOREGROUND on another window lose their acquisition at once and
// cannot be acquired until their window has the focus again; keys held at that moment
// count as released.
void DInputSetFocusWindow(HWND window);
HWND DInputFocusWindow();

// A key went down or up in the focus window. Repeats of a held key are dropped, so
// the host may pass its auto-repeated presses along.
void DInputKeyEvent(BYTE scanCode, bool pressed);

// The name of a key as the configuration window shows it ("Left Arrow", "F5", "Num 7"),
// or null for a scan code the keyboard does not offer.
const char* DInputKeyName(BYTE scanCode);

// Bindings the user chose for one kind of device under one action map: for each bound
// action its index in the format and the object it is bound to. Actions missing from a
// stored list are unbound on that device; fixed actions are never stored.
struct DIUserBinding {
    DWORD action;
    DWORD objId;
    friend bool operator==(const DIUserBinding&, const DIUserBinding&) = default;
};

class DIUserMappingStore {
public:
    virtual ~DIUserMappingStore() = default;
    // actionMap: the format's map GUID as text; device: the device's product GUID as text.
    virtual std::optional<std::vector<DIUserBinding>> load(const std::string& actionMap,
                                                           const std::string& device) = 0;
    virtual void save(const std::string& actionMap, const std::string& device,
                      const std::vector<DIUserBinding>& bindings) = 0;
};

// Installs the store that BuildActionMap reads and ConfigureDevices writes; null restores
// the one in memory that lives as long as the process. Returns the store it replaces.
std::shared_ptr<DIUserMappingStore>
DInputSetUserMappingStore(std::shared_ptr<DIUserMappingStore> store);

// "{E9D63F72-1F64-4B52-81F5-08139928FE87}"
std::string DInputGuidToString(const GUID& guid);

// One attached device as the configuration window sees it: what it is, the device (for
// the names and present values of its objects), and the format's actions as bound on it.
// The window edits the actions in place: dwObjID and dwHow = DIAH_USERCONFIG to bind,
// dwHow = DIAH_UNMAPPED to unbind. Actions flagged DIA_APPFIXED must stay as they are.
struct DIConfigureDevice {
    DIDEVICEINSTANCEA instance;
    ComPtr<IDirectInputDevice8A> device;
    std::vector<DIACTIONA> actions;
};

struct DIConfigureSession {
    HWND owner = nullptr;
    const DIACTIONFORMATA* format = nullptr;
    bool edit = false;
    std::vector<DIConfigureDevice> devices;
};

// Runs the configuration window modally. DI_OK keeps the edited bindings, DI_NOEFFECT
// (the user cancelled) keeps the old ones.
using DIConfigureDevicesHandler = std::function<HRESULT(DIConfigureSession& session)>;

// Installs the host's configuration window; an empty function removes it. Returns the
// handler it replaces.
DIConfigureDevicesHandler DInputSetConfigureDevicesHandler(DIConfigureDevicesHandler handler);
