#include "InputDevice.h"

#include <array>
#include <cstring>

namespace dinput {

namespace {

struct KeyName {
    BYTE scanCode;
    const char* name;
};

// The keys a PC keyboard offers, with the names the configuration window shows.
constexpr KeyName kKeyNames[] = {
    {DIK_ESCAPE, "Esc"},
    {DIK_1, "1"},
    {DIK_2, "2"},
    {DIK_3, "3"},
    {DIK_4, "4"},
    {DIK_5, "5"},
    {DIK_6, "6"},
    {DIK_7, "7"},
    {DIK_8, "8"},
    {DIK_9, "9"},
    {DIK_0, "0"},
    {DIK_MINUS, "-"},
    {DIK_EQUALS, "="},
    {DIK_BACK, "Backspace"},
    {DIK_TAB, "Tab"},
    {DIK_Q, "Q"},
    {DIK_W, "W"},
    {DIK_E, "E"},
    {DIK_R, "R"},
    {DIK_T, "T"},
    {DIK_Y, "Y"},
    {DIK_U, "U"},
    {DIK_I, "I"},
    {DIK_O, "O"},
    {DIK_P, "P"},
    {DIK_LBRACKET, "["},
    {DIK_RBRACKET, "]"},
    {DIK_RETURN, "Enter"},
    {DIK_LCONTROL, "Ctrl"},
    {DIK_A, "A"},
    {DIK_S, "S"},
    {DIK_D, "D"},
    {DIK_F, "F"},
    {DIK_G, "G"},
    {DIK_H, "H"},
    {DIK_J, "J"},
    {DIK_K, "K"},
    {DIK_L, "L"},
    {DIK_SEMICOLON, ";"},
    {DIK_APOSTROPHE, "'"},
    {DIK_GRAVE, "`"},
    {DIK_LSHIFT, "Shift"},
    {DIK_BACKSLASH, "\\"},
    {DIK_Z, "Z"},
    {DIK_X, "X"},
    {DIK_C, "C"},
    {DIK_V, "V"},
    {DIK_B, "B"},
    {DIK_N, "N"},
    {DIK_M, "M"},
    {DIK_COMMA, ","},
    {DIK_PERIOD, "."},
    {DIK_SLASH, "/"},
    {DIK_RSHIFT, "Right Shift"},
    {DIK_MULTIPLY, "Num *"},
    {DIK_LMENU, "Alt"},
    {DIK_SPACE, "Space"},
    {DIK_CAPITAL, "Caps Lock"},
    {DIK_F1, "F1"},
    {DIK_F2, "F2"},
    {DIK_F3, "F3"},
    {DIK_F4, "F4"},
    {DIK_F5, "F5"},
    {DIK_F6, "F6"},
    {DIK_F7, "F7"},
    {DIK_F8, "F8"},
    {DIK_F9, "F9"},
    {DIK_F10, "F10"},
    {DIK_NUMLOCK, "Num Lock"},
    {DIK_SCROLL, "Scroll Lock"},
    {DIK_NUMPAD7, "Num 7"},
    {DIK_NUMPAD8, "Num 8"},
    {DIK_NUMPAD9, "Num 9"},
    {DIK_SUBTRACT, "Num -"},
    {DIK_NUMPAD4, "Num 4"},
    {DIK_NUMPAD5, "Num 5"},
    {DIK_NUMPAD6, "Num 6"},
    {DIK_ADD, "Num +"},
    {DIK_NUMPAD1, "Num 1"},
    {DIK_NUMPAD2, "Num 2"},
    {DIK_NUMPAD3, "Num 3"},
    {DIK_NUMPAD0, "Num 0"},
    {DIK_DECIMAL, "Num Del"},
    {DIK_OEM_102, "< >"},
    {DIK_F11, "F11"},
    {DIK_F12, "F12"},
    {DIK_F13, "F13"},
    {DIK_F14, "F14"},
    {DIK_F15, "F15"},
    {DIK_KANA, "Kana"},
    {DIK_ABNT_C1, "/ ?"},
    {DIK_CONVERT, "Convert"},
    {DIK_NOCONVERT, "No Convert"},
    {DIK_YEN, "Yen"},
    {DIK_NUMPADEQUALS, "Num ="},
    {DIK_KANJI, "Kanji"},
    {DIK_NUMPADENTER, "Num Enter"},
    {DIK_RCONTROL, "Right Ctrl"},
    {DIK_MUTE, "Mute"},
    {DIK_PLAYPAUSE, "Play/Pause"},
    {DIK_VOLUMEDOWN, "Volume Down"},
    {DIK_VOLUMEUP, "Volume Up"},
    {DIK_NUMPADCOMMA, "Num ,"},
    {DIK_DIVIDE, "Num /"},
    {DIK_SYSRQ, "Print Screen"},
    {DIK_RMENU, "Right Alt"},
    {DIK_PAUSE, "Pause"},
    {DIK_HOME, "Home"},
    {DIK_UP, "Up Arrow"},
    {DIK_PRIOR, "Page Up"},
    {DIK_LEFT, "Left Arrow"},
    {DIK_RIGHT, "Right Arrow"},
    {DIK_END, "End"},
    {DIK_DOWN, "Down Arrow"},
    {DIK_NEXT, "Page Down"},
    {DIK_INSERT, "Insert"},
    {DIK_DELETE, "Delete"},
    {DIK_LWIN, "Left Windows"},
    {DIK_RWIN, "Right Windows"},
    {DIK_APPS, "Menu"},
};

std::vector<DeviceObject> keyboardObjects() {
    std::vector<DeviceObject> objects;
    for (const KeyName& key : kKeyNames) {
        objects.push_back(
            {GUID_Key, DIDFT_PSHBUTTON | DIDFT_MAKEINSTANCE(key.scanCode), key.scanCode, key.name});
    }
    return objects;
}

} // namespace

DIDEVICEINSTANCEA keyboardInstance() {
    DIDEVICEINSTANCEA instance{};
    instance.dwSize = sizeof instance;
    instance.guidInstance = GUID_SysKeyboard;
    instance.guidProduct = GUID_SysKeyboard;
    instance.dwDevType = DI8DEVTYPE_KEYBOARD | (DI8DEVTYPEKEYBOARD_PCENH << 8);
    std::strcpy(instance.tszInstanceName, "Keyboard");
    std::strcpy(instance.tszProductName, "Keyboard");
    return instance;
}

KeyboardDevice::KeyboardDevice()
    : InputDevice(keyboardInstance(), keyboardObjects()), m_objectOfKey(256, -1) {
    for (std::size_t i = 0; i < objects().size(); ++i) {
        m_objectOfKey[objects()[i].offset] = static_cast<int>(i);
    }
}

void KeyboardDevice::keyEvent(BYTE scanCode, bool pressed) {
    const int object = m_objectOfKey[scanCode];
    if (object >= 0) {
        setButton(static_cast<std::size_t>(object), pressed);
    }
}

ComPtr<IDirectInputDevice8A> makeKeyboard() {
    return makeCom<KeyboardDevice>();
}

} // namespace dinput

const char* DInputKeyName(BYTE scanCode) {
    for (const dinput::KeyName& key : dinput::kKeyNames) {
        if (key.scanCode == scanCode) {
            return key.name;
        }
    }
    return nullptr;
}
