// DirectInput 8 with action mapping, as the builder uses it: the program declares its
// actions once, every attached device binds them to its own keys, buttons and axes, and
// the program reads buffered events that carry the action's application value.
//
// Devices: the keyboard, whose keys the host window hands over as they arrive (see
// dinput_host.h), and every joystick and game controller that SDL2 sees, hot-plugged
// ones included. Game controllers that SDL knows a mapping for are offered through that
// mapping (sticks, triggers, face buttons); other joysticks offer their raw axes,
// buttons and hats. Without SDL, or without any controller, the keyboard still works.
//
// Everything runs on the thread that owns the host window; nothing here is locked.
#pragma once

#include "d3d9/unknown.h"
#include "dsound/dsound.h" // GUID, GUID_NULL and their comparison
#include "win32/resources.h"
#include "win32/win32.h"

#include <cstdint>

using UINT_PTR = std::uintptr_t;
using CHAR = char;
using LPVOID = void*;
using LPCSTR = const char*;
using REFGUID = const GUID&;
using REFIID = const GUID&;

#ifndef _FILETIME_
#define _FILETIME_
struct FILETIME {
    DWORD dwLowDateTime;
    DWORD dwHighDateTime;
};
#endif

constexpr DWORD DIRECTINPUT_VERSION = 0x0800;

// Interface and device identifiers.
inline constexpr GUID IID_IDirectInput8A{
    0xBF798030, 0x483A, 0x4DA2, {0xAA, 0x99, 0x5D, 0x64, 0xED, 0x36, 0x97, 0x00}};
inline constexpr GUID IID_IDirectInput8 = IID_IDirectInput8A;
inline constexpr GUID GUID_SysKeyboard{
    0x6F1D2B61, 0xD5A0, 0x11CF, {0xBF, 0xC7, 0x44, 0x45, 0x53, 0x54, 0x00, 0x00}};

// Object types (DIDEVICEOBJECTINSTANCE::guidType).
inline constexpr GUID GUID_XAxis{
    0xA36D02E0, 0xC9F3, 0x11CF, {0xBF, 0xC7, 0x44, 0x45, 0x53, 0x54, 0x00, 0x00}};
inline constexpr GUID GUID_YAxis{
    0xA36D02E1, 0xC9F3, 0x11CF, {0xBF, 0xC7, 0x44, 0x45, 0x53, 0x54, 0x00, 0x00}};
inline constexpr GUID GUID_ZAxis{
    0xA36D02E2, 0xC9F3, 0x11CF, {0xBF, 0xC7, 0x44, 0x45, 0x53, 0x54, 0x00, 0x00}};
inline constexpr GUID GUID_RxAxis{
    0xA36D02F4, 0xC9F3, 0x11CF, {0xBF, 0xC7, 0x44, 0x45, 0x53, 0x54, 0x00, 0x00}};
inline constexpr GUID GUID_RyAxis{
    0xA36D02F5, 0xC9F3, 0x11CF, {0xBF, 0xC7, 0x44, 0x45, 0x53, 0x54, 0x00, 0x00}};
inline constexpr GUID GUID_RzAxis{
    0xA36D02E3, 0xC9F3, 0x11CF, {0xBF, 0xC7, 0x44, 0x45, 0x53, 0x54, 0x00, 0x00}};
inline constexpr GUID GUID_Slider{
    0xA36D02E4, 0xC9F3, 0x11CF, {0xBF, 0xC7, 0x44, 0x45, 0x53, 0x54, 0x00, 0x00}};
inline constexpr GUID GUID_Button{
    0xA36D02F0, 0xC9F3, 0x11CF, {0xBF, 0xC7, 0x44, 0x45, 0x53, 0x54, 0x00, 0x00}};
inline constexpr GUID GUID_Key{
    0x55728220, 0xD33C, 0x11CF, {0xBF, 0xC7, 0x44, 0x45, 0x53, 0x54, 0x00, 0x00}};

// Properties. The originals are small integers disguised as GUID pointers; here they are
// GUIDs of their own, so that SetProperty(DIPROP_DEADZONE, ...) reads the same.
inline constexpr GUID DIPROP_BUFFERSIZE{1, 0, 0, {0, 0, 0, 0, 0, 0, 0, 0}};
inline constexpr GUID DIPROP_RANGE{4, 0, 0, {0, 0, 0, 0, 0, 0, 0, 0}};
inline constexpr GUID DIPROP_DEADZONE{5, 0, 0, {0, 0, 0, 0, 0, 0, 0, 0}};
inline constexpr GUID DIPROP_SATURATION{6, 0, 0, {0, 0, 0, 0, 0, 0, 0, 0}};

// Result codes.
constexpr HRESULT DI_OK = S_OK;
constexpr HRESULT DI_NOEFFECT = S_FALSE;
constexpr HRESULT DI_NOTATTACHED = S_FALSE;
constexpr HRESULT DI_BUFFEROVERFLOW = S_FALSE;
constexpr HRESULT DI_PROPNOEFFECT = S_FALSE;
constexpr HRESULT DI_POLLEDDEVICE = 2;
constexpr HRESULT DIERR_INVALIDPARAM = E_INVALIDARG;
constexpr HRESULT DIERR_OUTOFMEMORY = E_OUTOFMEMORY;
constexpr HRESULT DIERR_UNSUPPORTED = E_NOTIMPL;
constexpr HRESULT DIERR_GENERIC = E_FAIL;
constexpr HRESULT DIERR_NOINTERFACE = static_cast<HRESULT>(0x80004002u);
constexpr HRESULT DIERR_NOAGGREGATION = static_cast<HRESULT>(0x80040110u);
constexpr HRESULT DIERR_DEVICENOTREG = static_cast<HRESULT>(0x80040154u);
constexpr HRESULT DIERR_NOTBUFFERED = static_cast<HRESULT>(0x80040207u);
constexpr HRESULT DIERR_UNPLUGGED = static_cast<HRESULT>(0x80040209u);
constexpr HRESULT DIERR_OTHERAPPHASPRIORITY = static_cast<HRESULT>(0x80070005u);
constexpr HRESULT DIERR_NOTACQUIRED = static_cast<HRESULT>(0x8007000Cu);
constexpr HRESULT DIERR_NOTINITIALIZED = static_cast<HRESULT>(0x80070015u);
constexpr HRESULT DIERR_INPUTLOST = static_cast<HRESULT>(0x8007001Eu);
constexpr HRESULT DIERR_ACQUIRED = static_cast<HRESULT>(0x800700AAu);
constexpr HRESULT DIERR_OBJECTNOTFOUND = static_cast<HRESULT>(0x80070002u);
constexpr HRESULT DIERR_OLDDIRECTINPUTVERSION = static_cast<HRESULT>(0x8007047Eu);
constexpr HRESULT DIERR_BETADIRECTINPUTVERSION = static_cast<HRESULT>(0x80070481u);

// Semantics: genre (or device class) in the top byte, type and index in the low bits.
constexpr DWORD DISEM_GENRE_MASK = 0xFF000000u;
constexpr DWORD DISEM_TYPE_MASK = 0x00000600u;
constexpr DWORD DISEM_TYPE_AXIS = 0x00000200u;
constexpr DWORD DISEM_TYPE_BUTTON = 0x00000400u;
constexpr DWORD DISEM_TYPE_POV = 0x00000600u;
constexpr DWORD DISEM_INDEX_MASK = 0x000000FFu;
constexpr DWORD DISEM_HINT_MASK = 0x00FFF000u;
constexpr DWORD DISEM_HINT_X = 0x00008000u;
constexpr DWORD DISEM_HINT_Y = 0x00010000u;
constexpr DWORD DISEM_HINT_Z = 0x00018000u;
constexpr DWORD DISEM_HINT_R = 0x00020000u;
constexpr DWORD DIKEYBOARD_CLASS = 0x81000000u;

// The keyboard's semantic for a key: its class plus the key's scan code.
constexpr DWORD DIKEYBOARD(BYTE scanCode) {
    return 0x81000400u | scanCode;
}
constexpr DWORD DISEM_TYPE(DWORD semantic) {
    return semantic & DISEM_TYPE_MASK;
}
constexpr DWORD DISEM_GENRE(DWORD semantic) {
    return semantic & DISEM_GENRE_MASK;
}

// Action flags.
constexpr DWORD DIA_FORCEFEEDBACK = 0x01;
constexpr DWORD DIA_APPMAPPED = 0x02;
constexpr DWORD DIA_APPNOMAP = 0x04;
constexpr DWORD DIA_NORANGE = 0x08;
constexpr DWORD DIA_APPFIXED = 0x10;

// How an action came to be bound (DIACTION::dwHow).
constexpr DWORD DIAH_UNMAPPED = 0x00;
constexpr DWORD DIAH_USERCONFIG = 0x01;
constexpr DWORD DIAH_APPREQUESTED = 0x02;
constexpr DWORD DIAH_HWAPP = 0x04;
constexpr DWORD DIAH_HWDEFAULT = 0x08;
constexpr DWORD DIAH_DEFAULT = 0x20;
constexpr DWORD DIAH_ERROR = 0x80000000u;

// BuildActionMap flags.
constexpr DWORD DIDBAM_DEFAULT = 0x00;
constexpr DWORD DIDBAM_PRESERVE = 0x01;
constexpr DWORD DIDBAM_INITIALIZE = 0x04;
constexpr DWORD DIDBAM_HWDEFAULTS = 0x18;

// SetActionMap flags.
constexpr DWORD DIDSAM_DEFAULT = 0x00;
constexpr DWORD DIDSAM_NOUSER = 0x01;
constexpr DWORD DIDSAM_FORCESAVE = 0x02;

// ConfigureDevices flags.
constexpr DWORD DICD_DEFAULT = 0x00;
constexpr DWORD DICD_EDIT = 0x01;

// EnumDevicesBySemantics flags, and the flags its callback receives.
constexpr DWORD DIEDBSFL_ATTACHEDONLY = 0x0000;
constexpr DWORD DIEDBSFL_THISUSER = 0x0010;
constexpr DWORD DIEDBSFL_AVAILABLEDEVICES = 0x1000;
constexpr DWORD DIEDBS_MAPPEDPRI1 = 0x01;
constexpr DWORD DIEDBS_MAPPEDPRI2 = 0x02;
constexpr DWORD DIEDBS_NEWDEVICE = 0x20;

// EnumDevices.
constexpr DWORD DI8DEVCLASS_ALL = 0;
constexpr DWORD DI8DEVCLASS_KEYBOARD = 3;
constexpr DWORD DI8DEVCLASS_GAMECTRL = 4;
constexpr DWORD DIEDFL_ALLDEVICES = 0;
constexpr DWORD DIEDFL_ATTACHEDONLY = 1;

// Device types (low byte of DIDEVICEINSTANCE::dwDevType; the subtype is the next byte).
constexpr DWORD DI8DEVTYPE_KEYBOARD = 0x13;
constexpr DWORD DI8DEVTYPE_JOYSTICK = 0x14;
constexpr DWORD DI8DEVTYPE_GAMEPAD = 0x15;
constexpr DWORD DI8DEVTYPEKEYBOARD_PCENH = 4;
constexpr DWORD DI8DEVTYPEJOYSTICK_STANDARD = 2;
constexpr DWORD DI8DEVTYPEGAMEPAD_STANDARD = 2;
constexpr DWORD GET_DIDEVICE_TYPE(DWORD devType) {
    return devType & 0xFF;
}

// Cooperative levels.
constexpr DWORD DISCL_EXCLUSIVE = 0x01;
constexpr DWORD DISCL_NONEXCLUSIVE = 0x02;
constexpr DWORD DISCL_FOREGROUND = 0x04;
constexpr DWORD DISCL_BACKGROUND = 0x08;
constexpr DWORD DISCL_NOWINKEY = 0x10;

// Object type flags and identifiers.
constexpr DWORD DIDFT_ALL = 0x00;
constexpr DWORD DIDFT_RELAXIS = 0x01;
constexpr DWORD DIDFT_ABSAXIS = 0x02;
constexpr DWORD DIDFT_AXIS = 0x03;
constexpr DWORD DIDFT_PSHBUTTON = 0x04;
constexpr DWORD DIDFT_TGLBUTTON = 0x08;
constexpr DWORD DIDFT_BUTTON = 0x0C;
constexpr DWORD DIDFT_POV = 0x10;
constexpr DWORD DIDFT_ANYINSTANCE = 0x00FFFF00u;
constexpr DWORD DIDFT_MAKEINSTANCE(DWORD n) {
    return (n & 0xFFFFu) << 8;
}
constexpr DWORD DIDFT_GETINSTANCE(DWORD id) {
    return (id >> 8) & 0xFFFFu;
}
constexpr DWORD DIDFT_GETTYPE(DWORD id) {
    return id & 0xFF;
}

// Property headers: how dwObj names an object.
constexpr DWORD DIPH_DEVICE = 0;
constexpr DWORD DIPH_BYOFFSET = 1;
constexpr DWORD DIPH_BYID = 2;

constexpr DWORD DIGDD_PEEK = 0x01;
constexpr BOOL DIENUM_STOP = 0;
constexpr BOOL DIENUM_CONTINUE = 1;

constexpr DWORD DIDC_ATTACHED = 0x01;
constexpr DWORD DIDC_POLLEDDEVICE = 0x02;

// Key scan codes (the PC's set 1, extended keys with their high bit set).
constexpr BYTE DIK_ESCAPE = 0x01;
constexpr BYTE DIK_1 = 0x02;
constexpr BYTE DIK_2 = 0x03;
constexpr BYTE DIK_3 = 0x04;
constexpr BYTE DIK_4 = 0x05;
constexpr BYTE DIK_5 = 0x06;
constexpr BYTE DIK_6 = 0x07;
constexpr BYTE DIK_7 = 0x08;
constexpr BYTE DIK_8 = 0x09;
constexpr BYTE DIK_9 = 0x0A;
constexpr BYTE DIK_0 = 0x0B;
constexpr BYTE DIK_MINUS = 0x0C;
constexpr BYTE DIK_EQUALS = 0x0D;
constexpr BYTE DIK_BACK = 0x0E;
constexpr BYTE DIK_TAB = 0x0F;
constexpr BYTE DIK_Q = 0x10;
constexpr BYTE DIK_W = 0x11;
constexpr BYTE DIK_E = 0x12;
constexpr BYTE DIK_R = 0x13;
constexpr BYTE DIK_T = 0x14;
constexpr BYTE DIK_Y = 0x15;
constexpr BYTE DIK_U = 0x16;
constexpr BYTE DIK_I = 0x17;
constexpr BYTE DIK_O = 0x18;
constexpr BYTE DIK_P = 0x19;
constexpr BYTE DIK_LBRACKET = 0x1A;
constexpr BYTE DIK_RBRACKET = 0x1B;
constexpr BYTE DIK_RETURN = 0x1C;
constexpr BYTE DIK_LCONTROL = 0x1D;
constexpr BYTE DIK_A = 0x1E;
constexpr BYTE DIK_S = 0x1F;
constexpr BYTE DIK_D = 0x20;
constexpr BYTE DIK_F = 0x21;
constexpr BYTE DIK_G = 0x22;
constexpr BYTE DIK_H = 0x23;
constexpr BYTE DIK_J = 0x24;
constexpr BYTE DIK_K = 0x25;
constexpr BYTE DIK_L = 0x26;
constexpr BYTE DIK_SEMICOLON = 0x27;
constexpr BYTE DIK_APOSTROPHE = 0x28;
constexpr BYTE DIK_GRAVE = 0x29;
constexpr BYTE DIK_LSHIFT = 0x2A;
constexpr BYTE DIK_BACKSLASH = 0x2B;
constexpr BYTE DIK_Z = 0x2C;
constexpr BYTE DIK_X = 0x2D;
constexpr BYTE DIK_C = 0x2E;
constexpr BYTE DIK_V = 0x2F;
constexpr BYTE DIK_B = 0x30;
constexpr BYTE DIK_N = 0x31;
constexpr BYTE DIK_M = 0x32;
constexpr BYTE DIK_COMMA = 0x33;
constexpr BYTE DIK_PERIOD = 0x34;
constexpr BYTE DIK_SLASH = 0x35;
constexpr BYTE DIK_RSHIFT = 0x36;
constexpr BYTE DIK_MULTIPLY = 0x37;
constexpr BYTE DIK_LMENU = 0x38;
constexpr BYTE DIK_SPACE = 0x39;
constexpr BYTE DIK_CAPITAL = 0x3A;
constexpr BYTE DIK_F1 = 0x3B;
constexpr BYTE DIK_F2 = 0x3C;
constexpr BYTE DIK_F3 = 0x3D;
constexpr BYTE DIK_F4 = 0x3E;
constexpr BYTE DIK_F5 = 0x3F;
constexpr BYTE DIK_F6 = 0x40;
constexpr BYTE DIK_F7 = 0x41;
constexpr BYTE DIK_F8 = 0x42;
constexpr BYTE DIK_F9 = 0x43;
constexpr BYTE DIK_F10 = 0x44;
constexpr BYTE DIK_NUMLOCK = 0x45;
constexpr BYTE DIK_SCROLL = 0x46;
constexpr BYTE DIK_NUMPAD7 = 0x47;
constexpr BYTE DIK_NUMPAD8 = 0x48;
constexpr BYTE DIK_NUMPAD9 = 0x49;
constexpr BYTE DIK_SUBTRACT = 0x4A;
constexpr BYTE DIK_NUMPAD4 = 0x4B;
constexpr BYTE DIK_NUMPAD5 = 0x4C;
constexpr BYTE DIK_NUMPAD6 = 0x4D;
constexpr BYTE DIK_ADD = 0x4E;
constexpr BYTE DIK_NUMPAD1 = 0x4F;
constexpr BYTE DIK_NUMPAD2 = 0x50;
constexpr BYTE DIK_NUMPAD3 = 0x51;
constexpr BYTE DIK_NUMPAD0 = 0x52;
constexpr BYTE DIK_DECIMAL = 0x53;
constexpr BYTE DIK_OEM_102 = 0x56;
constexpr BYTE DIK_F11 = 0x57;
constexpr BYTE DIK_F12 = 0x58;
constexpr BYTE DIK_F13 = 0x64;
constexpr BYTE DIK_F14 = 0x65;
constexpr BYTE DIK_F15 = 0x66;
constexpr BYTE DIK_KANA = 0x70;
constexpr BYTE DIK_ABNT_C1 = 0x73;
constexpr BYTE DIK_CONVERT = 0x79;
constexpr BYTE DIK_NOCONVERT = 0x7B;
constexpr BYTE DIK_YEN = 0x7D;
constexpr BYTE DIK_NUMPADEQUALS = 0x8D;
constexpr BYTE DIK_KANJI = 0x94;
constexpr BYTE DIK_NUMPADENTER = 0x9C;
constexpr BYTE DIK_RCONTROL = 0x9D;
constexpr BYTE DIK_MUTE = 0xA0;
constexpr BYTE DIK_PLAYPAUSE = 0xA2;
constexpr BYTE DIK_VOLUMEDOWN = 0xAE;
constexpr BYTE DIK_VOLUMEUP = 0xB0;
constexpr BYTE DIK_NUMPADCOMMA = 0xB3;
constexpr BYTE DIK_DIVIDE = 0xB5;
constexpr BYTE DIK_SYSRQ = 0xB7;
constexpr BYTE DIK_RMENU = 0xB8;
constexpr BYTE DIK_PAUSE = 0xC5;
constexpr BYTE DIK_HOME = 0xC7;
constexpr BYTE DIK_UP = 0xC8;
constexpr BYTE DIK_PRIOR = 0xC9;
constexpr BYTE DIK_LEFT = 0xCB;
constexpr BYTE DIK_RIGHT = 0xCD;
constexpr BYTE DIK_END = 0xCF;
constexpr BYTE DIK_DOWN = 0xD0;
constexpr BYTE DIK_NEXT = 0xD1;
constexpr BYTE DIK_INSERT = 0xD2;
constexpr BYTE DIK_DELETE = 0xD3;
constexpr BYTE DIK_LWIN = 0xDB;
constexpr BYTE DIK_RWIN = 0xDC;
constexpr BYTE DIK_APPS = 0xDD;

// One action of the program. The name pointer is the program's own and must outlive
// the format; guidInstance, dwObjID and dwHow are written by BuildActionMap (or set by
// the program to ask for a binding of its own, with DIAH_APPREQUESTED).
struct DIACTIONA {
    UINT_PTR uAppData;
    DWORD dwSemantic;
    DWORD dwFlags;
    union {
        LPCSTR lptszActionName;
        UINT uResIdString;
    };
    GUID guidInstance;
    DWORD dwObjID;
    DWORD dwHow;
};
using DIACTION = DIACTIONA;
using LPDIACTIONA = DIACTIONA*;

struct DIACTIONFORMATA {
    DWORD dwSize;
    DWORD dwActionSize; // sizeof(DIACTIONA)
    DWORD dwDataSize;   // 4 bytes per action
    DWORD dwNumActions;
    LPDIACTIONA rgoAction;
    GUID guidActionMap;
    DWORD dwGenre;
    DWORD dwBufferSize; // buffered events kept per device
    LONG lAxisMin;
    LONG lAxisMax;
    HINSTANCE hInstString;
    FILETIME ftTimeStamp;
    DWORD dwCRC;
    CHAR tszActionMap[MAX_PATH];
};
using DIACTIONFORMAT = DIACTIONFORMATA;
using LPDIACTIONFORMATA = DIACTIONFORMATA*;
using LPCDIACTIONFORMATA = const DIACTIONFORMATA*;

struct DIDEVICEINSTANCEA {
    DWORD dwSize;
    GUID guidInstance;
    GUID guidProduct;
    DWORD dwDevType;
    CHAR tszInstanceName[MAX_PATH];
    CHAR tszProductName[MAX_PATH];
    GUID guidFFDriver;
    WORD wUsagePage;
    WORD wUsage;
};
using DIDEVICEINSTANCE = DIDEVICEINSTANCEA;
using LPCDIDEVICEINSTANCEA = const DIDEVICEINSTANCEA*;

struct DIDEVICEOBJECTINSTANCEA {
    DWORD dwSize;
    GUID guidType;
    DWORD dwOfs;
    DWORD dwType; // the object's identifier: type flags and DIDFT_MAKEINSTANCE(n)
    DWORD dwFlags;
    CHAR tszName[MAX_PATH];
    DWORD dwFFMaxForce;
    DWORD dwFFForceResolution;
    WORD wCollectionNumber;
    WORD wDesignatorIndex;
    WORD wUsagePage;
    WORD wUsage;
    DWORD dwDimension;
    WORD wExponent;
    WORD wReportId;
};
using DIDEVICEOBJECTINSTANCE = DIDEVICEOBJECTINSTANCEA;
using LPCDIDEVICEOBJECTINSTANCEA = const DIDEVICEOBJECTINSTANCEA*;

struct DIDEVCAPS {
    DWORD dwSize;
    DWORD dwFlags;
    DWORD dwDevType;
    DWORD dwAxes;
    DWORD dwButtons;
    DWORD dwPOVs;
    DWORD dwFFSamplePeriod;
    DWORD dwFFMinTimeResolution;
    DWORD dwFirmwareRevision;
    DWORD dwHardwareRevision;
    DWORD dwFFDriverVersion;
};

// One buffered event. With an action map set, dwOfs is the action's offset in the
// format's data (4 bytes per action) and uAppData the action's application value.
// Buttons and keys report 0x80 when pressed and 0 when released; axes a LONG in the
// format's range.
struct DIDEVICEOBJECTDATA {
    DWORD dwOfs;
    DWORD dwData;
    DWORD dwTimeStamp;
    DWORD dwSequence;
    UINT_PTR uAppData;
};
using LPDIDEVICEOBJECTDATA = DIDEVICEOBJECTDATA*;

struct DIPROPHEADER {
    DWORD dwSize;
    DWORD dwHeaderSize;
    DWORD dwObj;
    DWORD dwHow;
};
using LPCDIPROPHEADER = const DIPROPHEADER*;
using LPDIPROPHEADER = DIPROPHEADER*;

struct DIPROPDWORD {
    DIPROPHEADER diph;
    DWORD dwData;
};

struct DIPROPRANGE {
    DIPROPHEADER diph;
    LONG lMin;
    LONG lMax;
};

struct DICOLORSET {
    DWORD dwSize;
    DWORD cTextFore;
    DWORD cTextHighlight;
    DWORD cCalloutLine;
    DWORD cCalloutHighlight;
    DWORD cBorder;
    DWORD cControlFill;
    DWORD cHighlightFill;
    DWORD cAreaFill;
};

struct DICONFIGUREDEVICESPARAMSA {
    DWORD dwSize;
    DWORD dwcUsers;
    LPCSTR lptszUserNames;
    DWORD dwcFormats;
    LPDIACTIONFORMATA lprgFormats;
    HWND hwnd; // owner of the configuration window
    DICOLORSET dics;
    IUnknown* lpUnkDDSTarget;
};
using DICONFIGUREDEVICESPARAMS = DICONFIGUREDEVICESPARAMSA;

class IDirectInputDevice8A;
using LPDIRECTINPUTDEVICE8A = IDirectInputDevice8A*;

using LPDIENUMDEVICEOBJECTSCALLBACKA = BOOL (*)(LPCDIDEVICEOBJECTINSTANCEA object, LPVOID ref);
using LPDIENUMDEVICESCALLBACKA = BOOL (*)(LPCDIDEVICEINSTANCEA instance, LPVOID ref);
using LPDIENUMDEVICESBYSEMANTICSCBA = BOOL (*)(LPCDIDEVICEINSTANCEA instance,
                                               LPDIRECTINPUTDEVICE8A device, DWORD flags,
                                               DWORD remaining, LPVOID ref);
// Drawing into a full-screen surface is not offered: ConfigureDevices accepts only null.
using LPDICONFIGUREDEVICESCALLBACK = BOOL (*)(IUnknown* target, LPVOID ref);

class IDirectInputDevice8A : public IUnknown {
public:
    virtual HRESULT GetCapabilities(DIDEVCAPS* caps) = 0;
    virtual HRESULT EnumObjects(LPDIENUMDEVICEOBJECTSCALLBACKA callback, LPVOID ref,
                                DWORD flags) = 0;
    virtual HRESULT GetProperty(REFGUID property, LPDIPROPHEADER header) = 0;
    virtual HRESULT SetProperty(REFGUID property, LPCDIPROPHEADER header) = 0;
    [[nodiscard]] virtual HRESULT Acquire() = 0;
    virtual HRESULT Unacquire() = 0;
    virtual HRESULT GetDeviceData(DWORD objectDataSize, LPDIDEVICEOBJECTDATA data, DWORD* inOut,
                                  DWORD flags) = 0;
    [[nodiscard]] virtual HRESULT SetCooperativeLevel(HWND window, DWORD flags) = 0;
    virtual HRESULT GetObjectInfo(DIDEVICEOBJECTINSTANCEA* object, DWORD obj, DWORD how) = 0;
    virtual HRESULT GetDeviceInfo(DIDEVICEINSTANCEA* instance) = 0;
    virtual HRESULT Poll() = 0;
    virtual HRESULT BuildActionMap(LPDIACTIONFORMATA format, LPCSTR userName, DWORD flags) = 0;
    virtual HRESULT SetActionMap(LPDIACTIONFORMATA format, LPCSTR userName, DWORD flags) = 0;

    // Ours: the present value of one object (identified as in dwType), read whether or
    // not the device is acquired, in the units its events would carry. The configuration
    // window uses it to notice which button or axis the user moves.
    virtual HRESULT GetObjectState(DWORD objId, LONG* value) = 0;

protected:
    IDirectInputDevice8A() = default;
};
using IDirectInputDevice8 = IDirectInputDevice8A;
using LPDIRECTINPUTDEVICE8 = IDirectInputDevice8A*;

class IDirectInput8A : public IUnknown {
public:
    // GUID_SysKeyboard, or the instance GUID of an attached joystick.
    [[nodiscard]] virtual HRESULT CreateDevice(REFGUID instance, LPDIRECTINPUTDEVICE8A* device,
                                               IUnknown* outer) = 0;
    virtual HRESULT EnumDevices(DWORD devClass, LPDIENUMDEVICESCALLBACKA callback, LPVOID ref,
                                DWORD flags) = 0;
    virtual HRESULT GetDeviceStatus(REFGUID instance) = 0;
    virtual HRESULT EnumDevicesBySemantics(LPCSTR userName, LPDIACTIONFORMATA format,
                                           LPDIENUMDEVICESBYSEMANTICSCBA callback, LPVOID ref,
                                           DWORD flags) = 0;
    // Shows the configuration window that the host installed (dinput_host.h) for the
    // first format of params, modal, and keeps what the user chose (with DICD_EDIT) as
    // that user's bindings. DI_OK when the user accepted, DI_NOEFFECT when cancelled,
    // DIERR_UNSUPPORTED without a configuration window.
    virtual HRESULT ConfigureDevices(LPDICONFIGUREDEVICESCALLBACK callback,
                                     DICONFIGUREDEVICESPARAMSA* params, DWORD flags,
                                     LPVOID ref) = 0;

    // Ours, in place of the window message that tells of a device coming or going: a
    // count that grows whenever a controller is plugged in or pulled out. A program that
    // sees it change enumerates its devices again.
    virtual DWORD GetDeviceChangeCount() = 0;

protected:
    IDirectInput8A() = default;
};
using IDirectInput8 = IDirectInput8A;
using LPDIRECTINPUT8 = IDirectInput8A*;

// version must be DIRECTINPUT_VERSION and riid IID_IDirectInput8A; out receives an
// IDirectInput8A with one reference.
HRESULT DirectInput8Create(HINSTANCE instance, DWORD version, REFIID riid, LPVOID* out,
                           IUnknown* outer);
