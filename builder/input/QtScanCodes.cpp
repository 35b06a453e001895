#include "input/QtScanCodes.h"

#include "dinput/dinput.h"

#include <QGuiApplication>

namespace {

// evdev key codes (linux/input-event-codes.h) whose set-1 scan code differs from the
// evdev code itself; below 89 the two numberings agree.
BYTE scanCodeOfEvdev(quint32 code) {
    if (code >= 1 && code <= 88) {
        return static_cast<BYTE>(code);
    }
    switch (code) {
    case 89:
        return DIK_ABNT_C1;
    case 92:
        return DIK_CONVERT;
    case 93:
        return DIK_KANA;
    case 94:
        return DIK_NOCONVERT;
    case 96:
        return DIK_NUMPADENTER;
    case 97:
        return DIK_RCONTROL;
    case 98:
        return DIK_DIVIDE;
    case 99:
        return DIK_SYSRQ;
    case 100:
        return DIK_RMENU;
    case 102:
        return DIK_HOME;
    case 103:
        return DIK_UP;
    case 104:
        return DIK_PRIOR;
    case 105:
        return DIK_LEFT;
    case 106:
        return DIK_RIGHT;
    case 107:
        return DIK_END;
    case 108:
        return DIK_DOWN;
    case 109:
        return DIK_NEXT;
    case 110:
        return DIK_INSERT;
    case 111:
        return DIK_DELETE;
    case 113:
        return DIK_MUTE;
    case 114:
        return DIK_VOLUMEDOWN;
    case 115:
        return DIK_VOLUMEUP;
    case 117:
        return DIK_NUMPADEQUALS;
    case 119:
        return DIK_PAUSE;
    case 121:
        return DIK_NUMPADCOMMA;
    case 124:
        return DIK_YEN;
    case 125:
        return DIK_LWIN;
    case 126:
        return DIK_RWIN;
    case 127:
        return DIK_APPS;
    case 183:
        return DIK_F13;
    case 184:
        return DIK_F14;
    case 185:
        return DIK_F15;
    default:
        return 0;
    }
}

// Keys whose scan code is another one when they sit on the numeric pad.
BYTE keypadScanCode(int key) {
    switch (key) {
    case Qt::Key_0:
    case Qt::Key_Insert:
        return DIK_NUMPAD0;
    case Qt::Key_1:
    case Qt::Key_End:
        return DIK_NUMPAD1;
    case Qt::Key_2:
    case Qt::Key_Down:
        return DIK_NUMPAD2;
    case Qt::Key_3:
    case Qt::Key_PageDown:
        return DIK_NUMPAD3;
    case Qt::Key_4:
    case Qt::Key_Left:
        return DIK_NUMPAD4;
    case Qt::Key_5:
    case Qt::Key_Clear:
        return DIK_NUMPAD5;
    case Qt::Key_6:
    case Qt::Key_Right:
        return DIK_NUMPAD6;
    case Qt::Key_7:
    case Qt::Key_Home:
        return DIK_NUMPAD7;
    case Qt::Key_8:
    case Qt::Key_Up:
        return DIK_NUMPAD8;
    case Qt::Key_9:
    case Qt::Key_PageUp:
        return DIK_NUMPAD9;
    case Qt::Key_Period:
    case Qt::Key_Delete:
        return DIK_DECIMAL;
    case Qt::Key_Comma:
        return DIK_NUMPADCOMMA;
    case Qt::Key_Plus:
        return DIK_ADD;
    case Qt::Key_Minus:
        return DIK_SUBTRACT;
    case Qt::Key_Asterisk:
        return DIK_MULTIPLY;
    case Qt::Key_Slash:
        return DIK_DIVIDE;
    case Qt::Key_Equal:
        return DIK_NUMPADEQUALS;
    case Qt::Key_Enter:
    case Qt::Key_Return:
        return DIK_NUMPADENTER;
    default:
        return 0;
    }
}

BYTE mainScanCode(int key) {
    static constexpr BYTE kLetters[26] = {
        DIK_A, DIK_B, DIK_C, DIK_D, DIK_E, DIK_F, DIK_G, DIK_H, DIK_I, DIK_J, DIK_K, DIK_L, DIK_M,
        DIK_N, DIK_O, DIK_P, DIK_Q, DIK_R, DIK_S, DIK_T, DIK_U, DIK_V, DIK_W, DIK_X, DIK_Y, DIK_Z};
    if (key >= Qt::Key_A && key <= Qt::Key_Z) {
        return kLetters[key - Qt::Key_A];
    }
    if (key >= Qt::Key_1 && key <= Qt::Key_9) {
        return static_cast<BYTE>(DIK_1 + (key - Qt::Key_1));
    }
    if (key >= Qt::Key_F1 && key <= Qt::Key_F10) {
        return static_cast<BYTE>(DIK_F1 + (key - Qt::Key_F1));
    }
    switch (key) {
    case Qt::Key_0:
        return DIK_0;
    case Qt::Key_F11:
        return DIK_F11;
    case Qt::Key_F12:
        return DIK_F12;
    case Qt::Key_F13:
        return DIK_F13;
    case Qt::Key_F14:
        return DIK_F14;
    case Qt::Key_F15:
        return DIK_F15;
    case Qt::Key_Escape:
        return DIK_ESCAPE;
    case Qt::Key_Minus:
        return DIK_MINUS;
    case Qt::Key_Equal:
        return DIK_EQUALS;
    case Qt::Key_Backspace:
        return DIK_BACK;
    case Qt::Key_Tab:
    case Qt::Key_Backtab:
        return DIK_TAB;
    case Qt::Key_BracketLeft:
        return DIK_LBRACKET;
    case Qt::Key_BracketRight:
        return DIK_RBRACKET;
    case Qt::Key_Return:
        return DIK_RETURN;
    case Qt::Key_Enter:
        return DIK_NUMPADENTER;
    case Qt::Key_Control:
        return DIK_LCONTROL;
    case Qt::Key_Semicolon:
        return DIK_SEMICOLON;
    case Qt::Key_Apostrophe:
        return DIK_APOSTROPHE;
    case Qt::Key_QuoteLeft:
        return DIK_GRAVE;
    case Qt::Key_Shift:
        return DIK_LSHIFT;
    case Qt::Key_Backslash:
        return DIK_BACKSLASH;
    case Qt::Key_Comma:
        return DIK_COMMA;
    case Qt::Key_Period:
        return DIK_PERIOD;
    case Qt::Key_Slash:
        return DIK_SLASH;
    case Qt::Key_Alt:
        return DIK_LMENU;
    case Qt::Key_AltGr:
        return DIK_RMENU;
    case Qt::Key_Space:
        return DIK_SPACE;
    case Qt::Key_CapsLock:
        return DIK_CAPITAL;
    case Qt::Key_NumLock:
        return DIK_NUMLOCK;
    case Qt::Key_ScrollLock:
        return DIK_SCROLL;
    case Qt::Key_Print:
    case Qt::Key_SysReq:
        return DIK_SYSRQ;
    case Qt::Key_Pause:
        return DIK_PAUSE;
    case Qt::Key_Home:
        return DIK_HOME;
    case Qt::Key_Up:
        return DIK_UP;
    case Qt::Key_PageUp:
        return DIK_PRIOR;
    case Qt::Key_Left:
        return DIK_LEFT;
    case Qt::Key_Right:
        return DIK_RIGHT;
    case Qt::Key_End:
        return DIK_END;
    case Qt::Key_Down:
        return DIK_DOWN;
    case Qt::Key_PageDown:
        return DIK_NEXT;
    case Qt::Key_Insert:
        return DIK_INSERT;
    case Qt::Key_Delete:
        return DIK_DELETE;
    case Qt::Key_Meta:
    case Qt::Key_Super_L:
        return DIK_LWIN;
    case Qt::Key_Super_R:
        return DIK_RWIN;
    case Qt::Key_Menu:
        return DIK_APPS;
    case Qt::Key_VolumeMute:
        return DIK_MUTE;
    case Qt::Key_VolumeDown:
        return DIK_VOLUMEDOWN;
    case Qt::Key_VolumeUp:
        return DIK_VOLUMEUP;
    case Qt::Key_MediaTogglePlayPause:
    case Qt::Key_MediaPlay:
        return DIK_PLAYPAUSE;
    case Qt::Key_Henkan:
        return DIK_CONVERT;
    case Qt::Key_Muhenkan:
        return DIK_NOCONVERT;
    case Qt::Key_yen:
        return DIK_YEN;
    case Qt::Key_Kanji:
    case Qt::Key_Zenkaku_Hankaku:
        return DIK_KANJI;
    case Qt::Key_Hiragana_Katakana:
    case Qt::Key_Katakana:
    case Qt::Key_Hiragana:
        return DIK_KANA;
    default:
        return 0;
    }
}

bool isModifier(int key) {
    return key == Qt::Key_Shift || key == Qt::Key_Control || key == Qt::Key_Alt ||
           key == Qt::Key_Meta || key == Qt::Key_Super_L || key == Qt::Key_Super_R;
}

} // namespace

BYTE scanCodeOfKey(int key, Qt::KeyboardModifiers modifiers, quint32 nativeScanCode,
                   bool nativeIsEvdev) {
    const BYTE native =
        nativeIsEvdev && nativeScanCode > 8 ? scanCodeOfEvdev(nativeScanCode - 8) : BYTE{0};
    // Which of the two Shift, Ctrl, Alt or Windows keys, only the native code knows.
    if (isModifier(key) && native != 0) {
        return native;
    }
    if (modifiers.testFlag(Qt::KeypadModifier)) {
        if (const BYTE keypad = keypadScanCode(key)) {
            return keypad;
        }
    }
    if (const BYTE main = mainScanCode(key)) {
        return main;
    }
    return native;
}

BYTE scanCodeOfKeyEvent(const QKeyEvent& event) {
    const QString platform = QGuiApplication::platformName();
    const bool evdev = platform == QLatin1String("xcb") || platform.startsWith("wayland");
    return scanCodeOfKey(event.key(), event.modifiers(), event.nativeScanCode(), evdev);
}
