#include "InputDevice.h"

#include <algorithm>
#include <cmath>
#include <cstring>

namespace dinput {

namespace {

constexpr std::size_t kNoAction = static_cast<std::size_t>(-1);

bool isAxisAction(const DIACTIONA& action) {
    return DISEM_TYPE(action.dwSemantic) == DISEM_TYPE_AXIS;
}

// Objects with the same type class and instance are the same object, whatever other
// flags the caller left in the identifier.
bool sameObject(DWORD a, DWORD b) {
    const bool axisA = (a & DIDFT_AXIS) != 0;
    const bool axisB = (b & DIDFT_AXIS) != 0;
    const bool buttonA = (a & DIDFT_BUTTON) != 0;
    const bool buttonB = (b & DIDFT_BUTTON) != 0;
    return axisA == axisB && buttonA == buttonB && DIDFT_GETINSTANCE(a) == DIDFT_GETINSTANCE(b);
}

} // namespace

bool validActionFormat(const DIACTIONFORMATA* format) {
    return format != nullptr && format->dwSize == sizeof(DIACTIONFORMATA) &&
           format->dwActionSize == sizeof(DIACTIONA) &&
           (format->dwNumActions == 0 || format->rgoAction != nullptr);
}

LONG scaleAxis(double position, DWORD deadZone, DWORD saturation, LONG min, LONG max) {
    const double magnitude = std::min(std::fabs(position), 1.0);
    const double dead = deadZone / 10000.0;
    const double full = saturation / 10000.0;
    double travel = 0.0;
    if (magnitude <= dead) {
        travel = 0.0;
    } else if (magnitude >= full || full <= dead) {
        travel = 1.0;
    } else {
        travel = (magnitude - dead) / (full - dead);
    }
    travel = std::copysign(travel, position);
    const double centre = (static_cast<double>(min) + static_cast<double>(max)) / 2.0;
    const double half = (static_cast<double>(max) - static_cast<double>(min)) / 2.0;
    return static_cast<LONG>(std::lround(centre + travel * half));
}

InputDevice::InputDevice(const DIDEVICEINSTANCEA& instance, std::vector<DeviceObject> objects)
    : m_instance(instance), m_objects(std::move(objects)), m_position(m_objects.size(), 0.0),
      m_reported(m_objects.size(), 0), m_axis(m_objects.size()), m_action(m_objects.size(), -1),
      m_appData(m_objects.size(), 0) {
    for (std::size_t i = 0; i < m_objects.size(); ++i) {
        m_reported[i] = restValueOf(i);
    }
    Desktop::get().add(this);
}

InputDevice::~InputDevice() {
    Desktop::get().remove(this);
}

std::optional<std::size_t> InputDevice::findObject(DWORD objId) const {
    for (std::size_t i = 0; i < m_objects.size(); ++i) {
        if (sameObject(m_objects[i].objId, objId)) {
            return i;
        }
    }
    return std::nullopt;
}

std::optional<std::size_t> InputDevice::objectFor(DWORD obj, DWORD how) const {
    if (how == DIPH_BYID) {
        return findObject(obj);
    }
    if (how == DIPH_BYOFFSET) {
        for (std::size_t i = 0; i < m_objects.size(); ++i) {
            if (m_objects[i].offset == obj) {
                return i;
            }
        }
    }
    return std::nullopt;
}

LONG InputDevice::valueOf(std::size_t object) const {
    if (m_objects[object].isAxis()) {
        const AxisSettings& axis = m_axis[object];
        return scaleAxis(m_position[object], axis.deadZone, axis.saturation, axis.min, axis.max);
    }
    return m_position[object] != 0.0 ? 0x80 : 0;
}

LONG InputDevice::restValueOf(std::size_t object) const {
    if (m_objects[object].isAxis()) {
        const AxisSettings& axis = m_axis[object];
        return scaleAxis(0.0, axis.deadZone, axis.saturation, axis.min, axis.max);
    }
    return 0;
}

void InputDevice::push(std::size_t object, LONG value) {
    m_reported[object] = value;
    if (m_buffer.size() >= m_bufferSize) {
        // A full buffer keeps what it has and drops the news, as the original does; the
        // reader learns of it from DI_BUFFEROVERFLOW.
        m_overflow = true;
        return;
    }
    DIDEVICEOBJECTDATA event{};
    event.dwOfs = static_cast<DWORD>(m_action[object]) * 4;
    event.dwData = static_cast<DWORD>(value);
    event.dwTimeStamp = timeGetTime();
    event.dwSequence = Desktop::get().nextSequence();
    event.uAppData = m_appData[object];
    m_buffer.push_back(event);
}

void InputDevice::reportChange(std::size_t object) {
    if (!m_acquired || m_action[object] < 0) {
        return;
    }
    const LONG value = valueOf(object);
    if (value != m_reported[object]) {
        push(object, value);
    }
}

void InputDevice::setButton(std::size_t object, bool down) {
    m_position[object] = down ? 1.0 : 0.0;
    reportChange(object);
}

void InputDevice::setAxis(std::size_t object, double position) {
    m_position[object] = std::clamp(position, -1.0, 1.0);
    reportChange(object);
}

void InputDevice::releaseAll() {
    for (std::size_t i = 0; i < m_objects.size(); ++i) {
        m_position[i] = 0.0;
    }
}

void InputDevice::markUnplugged() {
    releaseAll();
    if (m_acquired) {
        loseAcquisition();
    }
    m_unplugged = true;
}

void InputDevice::loseAcquisition() {
    m_acquired = false;
    m_lost = true;
    // The reader forgets what it was told when it loses us; acquiring again reports
    // everything that is not at rest.
    for (std::size_t i = 0; i < m_objects.size(); ++i) {
        m_reported[i] = restValueOf(i);
    }
}

void InputDevice::focusChanged(HWND focus) {
    // Keys pressed in another window never reach us, so nothing held can be trusted.
    if (isKeyboard()) {
        releaseAll();
    }
    if (m_acquired && (m_cooperation & DISCL_FOREGROUND) != 0 && focus != m_window) {
        loseAcquisition();
    }
}

HRESULT InputDevice::notAcquiredResult() {
    if (m_lost) {
        m_lost = false;
        return DIERR_INPUTLOST;
    }
    return DIERR_NOTACQUIRED;
}

HRESULT InputDevice::GetCapabilities(DIDEVCAPS* caps) {
    if (caps == nullptr || caps->dwSize != sizeof(DIDEVCAPS)) {
        return DIERR_INVALIDPARAM;
    }
    *caps = DIDEVCAPS{};
    caps->dwSize = sizeof(DIDEVCAPS);
    caps->dwFlags = (m_unplugged ? 0 : DIDC_ATTACHED) | (polled() ? DIDC_POLLEDDEVICE : 0);
    caps->dwDevType = m_instance.dwDevType;
    for (const DeviceObject& object : m_objects) {
        if (object.isAxis()) {
            ++caps->dwAxes;
        } else {
            ++caps->dwButtons;
        }
    }
    return DI_OK;
}

HRESULT InputDevice::EnumObjects(LPDIENUMDEVICEOBJECTSCALLBACKA callback, LPVOID ref, DWORD flags) {
    if (callback == nullptr) {
        return DIERR_INVALIDPARAM;
    }
    const DWORD types = flags & 0xFF;
    for (const DeviceObject& object : m_objects) {
        if (types != DIDFT_ALL && (object.objId & types) == 0) {
            continue;
        }
        DIDEVICEOBJECTINSTANCEA info{};
        info.dwSize = sizeof info;
        GetObjectInfo(&info, object.objId, DIPH_BYID);
        if (callback(&info, ref) == DIENUM_STOP) {
            break;
        }
    }
    return DI_OK;
}

HRESULT InputDevice::GetObjectInfo(DIDEVICEOBJECTINSTANCEA* info, DWORD obj, DWORD how) {
    if (info == nullptr || info->dwSize != sizeof(DIDEVICEOBJECTINSTANCEA)) {
        return DIERR_INVALIDPARAM;
    }
    const auto index = objectFor(obj, how);
    if (!index) {
        return DIERR_OBJECTNOTFOUND;
    }
    const DeviceObject& object = m_objects[*index];
    *info = DIDEVICEOBJECTINSTANCEA{};
    info->dwSize = sizeof(DIDEVICEOBJECTINSTANCEA);
    info->guidType = object.guidType;
    info->dwOfs = object.offset;
    info->dwType = object.objId;
    std::strncpy(info->tszName, object.name.c_str(), sizeof info->tszName - 1);
    return DI_OK;
}

HRESULT InputDevice::GetDeviceInfo(DIDEVICEINSTANCEA* instance) {
    if (instance == nullptr || instance->dwSize != sizeof(DIDEVICEINSTANCEA)) {
        return DIERR_INVALIDPARAM;
    }
    *instance = m_instance;
    return DI_OK;
}

HRESULT InputDevice::propertyObject(const DIPROPHEADER* header,
                                    std::optional<std::size_t>* object) const {
    if (header == nullptr || header->dwHeaderSize != sizeof(DIPROPHEADER)) {
        return DIERR_INVALIDPARAM;
    }
    object->reset();
    if (header->dwHow != DIPH_DEVICE) {
        *object = objectFor(header->dwObj, header->dwHow);
        if (!*object) {
            return DIERR_OBJECTNOTFOUND;
        }
    }
    return DI_OK;
}

HRESULT InputDevice::GetProperty(REFGUID property, LPDIPROPHEADER header) {
    std::optional<std::size_t> object;
    if (const HRESULT hr = propertyObject(header, &object); FAILED(hr)) {
        return hr;
    }
    // Device-wide axis settings are read from the first axis; they are set on all alike.
    auto axisOf = [&]() -> std::optional<std::size_t> {
        if (object) {
            return m_objects[*object].isAxis() ? object : std::nullopt;
        }
        for (std::size_t i = 0; i < m_objects.size(); ++i) {
            if (m_objects[i].isAxis()) {
                return i;
            }
        }
        return std::nullopt;
    };
    if (property == DIPROP_BUFFERSIZE) {
        if (header->dwSize != sizeof(DIPROPDWORD) || object) {
            return DIERR_INVALIDPARAM;
        }
        reinterpret_cast<DIPROPDWORD*>(header)->dwData = m_bufferSize;
        return DI_OK;
    }
    if (property == DIPROP_DEADZONE || property == DIPROP_SATURATION) {
        const auto axis = axisOf();
        if (header->dwSize != sizeof(DIPROPDWORD)) {
            return DIERR_INVALIDPARAM;
        }
        if (!axis) {
            return DIERR_UNSUPPORTED;
        }
        reinterpret_cast<DIPROPDWORD*>(header)->dwData =
            property == DIPROP_DEADZONE ? m_axis[*axis].deadZone : m_axis[*axis].saturation;
        return DI_OK;
    }
    if (property == DIPROP_RANGE) {
        const auto axis = axisOf();
        if (header->dwSize != sizeof(DIPROPRANGE)) {
            return DIERR_INVALIDPARAM;
        }
        if (!axis) {
            return DIERR_UNSUPPORTED;
        }
        auto* range = reinterpret_cast<DIPROPRANGE*>(header);
        range->lMin = m_axis[*axis].min;
        range->lMax = m_axis[*axis].max;
        return DI_OK;
    }
    return DIERR_UNSUPPORTED;
}

HRESULT InputDevice::SetProperty(REFGUID property, LPCDIPROPHEADER header) {
    std::optional<std::size_t> object;
    if (const HRESULT hr = propertyObject(header, &object); FAILED(hr)) {
        return hr;
    }
    // The axes a setting applies to: the one named, or all of them.
    std::vector<std::size_t> axes;
    for (std::size_t i = 0; i < m_objects.size(); ++i) {
        if (m_objects[i].isAxis() && (!object || *object == i)) {
            axes.push_back(i);
        }
    }
    if (property == DIPROP_BUFFERSIZE) {
        if (header->dwSize != sizeof(DIPROPDWORD) || object) {
            return DIERR_INVALIDPARAM;
        }
        if (m_acquired) {
            return DIERR_ACQUIRED;
        }
        m_bufferSize = reinterpret_cast<const DIPROPDWORD*>(header)->dwData;
        m_buffer.clear();
        return DI_OK;
    }
    if (property == DIPROP_DEADZONE || property == DIPROP_SATURATION) {
        if (header->dwSize != sizeof(DIPROPDWORD)) {
            return DIERR_INVALIDPARAM;
        }
        const DWORD value = reinterpret_cast<const DIPROPDWORD*>(header)->dwData;
        if (value > 10000) {
            return DIERR_INVALIDPARAM;
        }
        if (axes.empty()) {
            return DIERR_UNSUPPORTED;
        }
        for (std::size_t axis : axes) {
            (property == DIPROP_DEADZONE ? m_axis[axis].deadZone : m_axis[axis].saturation) = value;
        }
        return DI_OK;
    }
    if (property == DIPROP_RANGE) {
        if (header->dwSize != sizeof(DIPROPRANGE)) {
            return DIERR_INVALIDPARAM;
        }
        const auto* range = reinterpret_cast<const DIPROPRANGE*>(header);
        if (range->lMin >= range->lMax) {
            return DIERR_INVALIDPARAM;
        }
        if (m_acquired) {
            return DIERR_ACQUIRED;
        }
        if (axes.empty()) {
            return DIERR_UNSUPPORTED;
        }
        for (std::size_t axis : axes) {
            m_axis[axis].min = range->lMin;
            m_axis[axis].max = range->lMax;
            m_reported[axis] = restValueOf(axis);
        }
        return DI_OK;
    }
    return DIERR_UNSUPPORTED;
}

HRESULT InputDevice::SetCooperativeLevel(HWND window, DWORD flags) {
    const bool exclusive = (flags & DISCL_EXCLUSIVE) != 0;
    const bool nonExclusive = (flags & DISCL_NONEXCLUSIVE) != 0;
    const bool foreground = (flags & DISCL_FOREGROUND) != 0;
    const bool background = (flags & DISCL_BACKGROUND) != 0;
    if (exclusive == nonExclusive || foreground == background) {
        return DIERR_INVALIDPARAM;
    }
    if (foreground && window == nullptr) {
        return DIERR_INVALIDPARAM;
    }
    if (m_acquired) {
        return DIERR_ACQUIRED;
    }
    // Exclusive use would keep other programs from the device; we share it either way.
    m_window = window;
    m_cooperation = flags;
    return DI_OK;
}

HRESULT InputDevice::Acquire() {
    if (m_unplugged) {
        return DIERR_UNPLUGGED;
    }
    if (!m_mapSet) {
        return DIERR_INVALIDPARAM;
    }
    if (m_acquired) {
        return DI_NOEFFECT;
    }
    if ((m_cooperation & DISCL_FOREGROUND) != 0 && Desktop::get().focus() != m_window) {
        return DIERR_OTHERAPPHASPRIORITY;
    }
    pumpSource();
    if (m_unplugged) {
        return DIERR_UNPLUGGED;
    }
    m_acquired = true;
    m_lost = false;
    m_buffer.clear();
    m_overflow = false;
    // Whatever moved while we were not listening arrives now, so that the reader never
    // keeps a key held that was let go elsewhere.
    for (std::size_t i = 0; i < m_objects.size(); ++i) {
        reportChange(i);
    }
    return DI_OK;
}

HRESULT InputDevice::Unacquire() {
    if (!m_acquired) {
        return DI_NOEFFECT;
    }
    m_acquired = false;
    return DI_OK;
}

HRESULT InputDevice::Poll() {
    if (!m_acquired) {
        return notAcquiredResult();
    }
    pumpSource();
    if (!m_acquired) {
        return notAcquiredResult();
    }
    return polled() ? DI_OK : DI_NOEFFECT;
}

HRESULT InputDevice::GetDeviceData(DWORD objectDataSize, LPDIDEVICEOBJECTDATA data, DWORD* inOut,
                                   DWORD flags) {
    if (inOut == nullptr || (data != nullptr && objectDataSize != sizeof(DIDEVICEOBJECTDATA))) {
        return DIERR_INVALIDPARAM;
    }
    if (!m_mapSet || m_bufferSize == 0) {
        return DIERR_NOTBUFFERED;
    }
    if (!m_acquired) {
        *inOut = 0;
        return notAcquiredResult();
    }
    const std::size_t count = std::min<std::size_t>(*inOut, m_buffer.size());
    if (data != nullptr) {
        std::copy_n(m_buffer.begin(), count, data);
    }
    const bool peek = (flags & DIGDD_PEEK) != 0;
    if (!peek) {
        m_buffer.erase(m_buffer.begin(), m_buffer.begin() + static_cast<std::ptrdiff_t>(count));
    }
    *inOut = static_cast<DWORD>(count);
    const bool overflow = m_overflow;
    if (!peek) {
        m_overflow = false;
    }
    return overflow ? DI_BUFFEROVERFLOW : DI_OK;
}

bool InputDevice::fits(const DIACTIONA& action, std::size_t object) const {
    return isAxisAction(action) == m_objects[object].isAxis();
}

std::optional<std::size_t> InputDevice::defaultObject(DWORD semantic,
                                                      const std::vector<bool>& taken) const {
    const DWORD genre = DISEM_GENRE(semantic);
    const DWORD type = DISEM_TYPE(semantic);
    if (isKeyboard()) {
        if (genre != DIKEYBOARD_CLASS || type != DISEM_TYPE_BUTTON) {
            return std::nullopt;
        }
        const auto key = findObject(DIDFT_PSHBUTTON | DIDFT_MAKEINSTANCE(semantic & 0xFF));
        return key && !taken[*key] ? key : std::nullopt;
    }
    // Semantics of the keyboard, mouse and voice classes name objects of those devices.
    if (genre >= DIKEYBOARD_CLASS) {
        return std::nullopt;
    }
    if (type == DISEM_TYPE_AXIS) {
        const DWORD hint = semantic & DISEM_HINT_MASK;
        const GUID* wanted = hint == DISEM_HINT_X   ? &GUID_XAxis
                             : hint == DISEM_HINT_Y ? &GUID_YAxis
                             : hint == DISEM_HINT_Z ? &GUID_ZAxis
                             : hint == DISEM_HINT_R ? &GUID_RzAxis
                                                    : nullptr;
        for (std::size_t i = 0; i < m_objects.size(); ++i) {
            if (m_objects[i].isAxis() && !taken[i] &&
                (wanted == nullptr || m_objects[i].guidType == *wanted)) {
                return i;
            }
        }
        return std::nullopt;
    }
    if (type == DISEM_TYPE_BUTTON) {
        // Genre buttons take the device's buttons in the order the format lists them.
        for (std::size_t i = 0; i < m_objects.size(); ++i) {
            if (!m_objects[i].isAxis() && !taken[i]) {
                return i;
            }
        }
    }
    return std::nullopt;
}

HRESULT InputDevice::BuildActionMap(LPDIACTIONFORMATA format, LPCSTR, DWORD flags) {
    if (!validActionFormat(format)) {
        return DIERR_INVALIDPARAM;
    }
    const std::size_t count = format->dwNumActions;
    DIACTIONA* actions = format->rgoAction;
    const bool hardwareDefaults = (flags & DIDBAM_HWDEFAULTS) == DIDBAM_HWDEFAULTS;
    const bool initialize = hardwareDefaults || (flags & DIDBAM_INITIALIZE) != 0;
    const bool preserve = !initialize && (flags & DIDBAM_PRESERVE) != 0;

    std::vector<bool> taken(m_objects.size(), false);
    std::vector<std::size_t> bound(count, kNoAction);
    std::vector<DWORD> how(count, DIAH_UNMAPPED);
    std::vector<bool> untouched(count, false);

    auto claim = [&](std::size_t action, std::optional<std::size_t> object, DWORD reason) {
        if (object && !taken[*object] && fits(actions[action], *object)) {
            taken[*object] = true;
            bound[action] = *object;
            how[action] = reason;
            return true;
        }
        return false;
    };

    // What the program asked for, and with PRESERVE what it already has, comes first.
    for (std::size_t i = 0; i < count; ++i) {
        const DIACTIONA& action = actions[i];
        const bool mine = action.guidInstance == m_instance.guidInstance;
        if (!initialize && action.dwHow == DIAH_APPREQUESTED) {
            if (!mine) {
                untouched[i] = true;
            } else if (!claim(i, findObject(action.dwObjID), DIAH_APPREQUESTED)) {
                how[i] = DIAH_ERROR;
            }
        } else if (preserve && mine && action.dwHow != DIAH_UNMAPPED &&
                   (action.dwHow & DIAH_ERROR) == 0) {
            claim(i, findObject(action.dwObjID), action.dwHow);
        }
    }
    auto open = [&](std::size_t i) {
        return !untouched[i] && bound[i] == kNoAction && how[i] != DIAH_ERROR &&
               (actions[i].dwFlags & DIA_APPNOMAP) == 0;
    };
    // Fixed actions keep their controls whatever the user chose.
    for (std::size_t i = 0; i < count; ++i) {
        if (open(i) && (actions[i].dwFlags & DIA_APPFIXED) != 0) {
            claim(i, defaultObject(actions[i].dwSemantic, taken), DIAH_DEFAULT);
        }
    }
    std::optional<std::vector<DIUserBinding>> user;
    if (!initialize) {
        user = Desktop::get().store().load(DInputGuidToString(format->guidActionMap),
                                           DInputGuidToString(m_instance.guidProduct));
    }
    for (std::size_t i = 0; i < count; ++i) {
        if (!open(i) || (actions[i].dwFlags & DIA_APPFIXED) != 0) {
            continue;
        }
        if (user) {
            const auto it = std::find_if(user->begin(), user->end(),
                                         [&](const DIUserBinding& b) { return b.action == i; });
            if (it != user->end()) {
                claim(i, findObject(it->objId), DIAH_USERCONFIG);
            }
        } else {
            claim(i, defaultObject(actions[i].dwSemantic, taken),
                  hardwareDefaults ? DIAH_HWDEFAULT : DIAH_DEFAULT);
        }
    }

    bool any = false;
    for (std::size_t i = 0; i < count; ++i) {
        if (untouched[i]) {
            continue;
        }
        DIACTIONA& action = actions[i];
        if (bound[i] != kNoAction) {
            action.guidInstance = m_instance.guidInstance;
            action.dwObjID = m_objects[bound[i]].objId;
            action.dwHow = how[i];
            any = true;
        } else {
            action.guidInstance = GUID_NULL;
            action.dwObjID = 0;
            action.dwHow = how[i] == DIAH_ERROR ? DIAH_ERROR : DIAH_UNMAPPED;
        }
    }
    return any ? DI_OK : DI_NOEFFECT;
}

void saveUserBindings(const GUID& actionMap, const DIDEVICEINSTANCEA& device,
                      const DIACTIONA* actions, DWORD count) {
    std::vector<DIUserBinding> bindings;
    for (DWORD i = 0; i < count; ++i) {
        const DIACTIONA& action = actions[i];
        if (action.guidInstance == device.guidInstance && action.dwHow != DIAH_UNMAPPED &&
            (action.dwHow & DIAH_ERROR) == 0 && (action.dwFlags & DIA_APPFIXED) == 0) {
            bindings.push_back({i, action.dwObjID});
        }
    }
    Desktop::get().store().save(DInputGuidToString(actionMap),
                                DInputGuidToString(device.guidProduct), bindings);
}

HRESULT InputDevice::SetActionMap(LPDIACTIONFORMATA format, LPCSTR, DWORD flags) {
    if (!validActionFormat(format)) {
        return DIERR_INVALIDPARAM;
    }
    if (m_acquired) {
        return DIERR_ACQUIRED;
    }
    std::fill(m_action.begin(), m_action.end(), -1);
    std::fill(m_appData.begin(), m_appData.end(), 0);
    for (DWORD i = 0; i < format->dwNumActions; ++i) {
        const DIACTIONA& action = format->rgoAction[i];
        if (action.guidInstance != m_instance.guidInstance || action.dwHow == DIAH_UNMAPPED ||
            (action.dwHow & DIAH_ERROR) != 0) {
            continue;
        }
        const auto object = findObject(action.dwObjID);
        if (object && m_action[*object] < 0 && fits(action, *object)) {
            m_action[*object] = static_cast<int>(i);
            m_appData[*object] = action.uAppData;
        }
    }
    m_bufferSize = format->dwBufferSize;
    m_buffer.clear();
    m_overflow = false;
    for (std::size_t i = 0; i < m_objects.size(); ++i) {
        if (m_objects[i].isAxis() && format->lAxisMin < format->lAxisMax) {
            m_axis[i].min = format->lAxisMin;
            m_axis[i].max = format->lAxisMax;
        }
        m_reported[i] = restValueOf(i);
    }
    m_mapSet = true;
    if ((flags & DIDSAM_FORCESAVE) != 0) {
        saveUserBindings(format->guidActionMap, m_instance, format->rgoAction,
                         format->dwNumActions);
    }
    return DI_OK;
}

HRESULT InputDevice::GetObjectState(DWORD objId, LONG* value) {
    if (value == nullptr) {
        return DIERR_INVALIDPARAM;
    }
    const auto object = findObject(objId);
    if (!object) {
        return DIERR_OBJECTNOTFOUND;
    }
    pumpSource();
    *value = valueOf(*object);
    return DI_OK;
}

} // namespace dinput
