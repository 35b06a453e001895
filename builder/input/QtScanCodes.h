// Qt key events -> the keyboard's scan codes (DIK_*), the codes that the keyboard
// device and its semantics (0x81000400 + scan code) speak.
#pragma once

#include "win32/win32.h"

#include <QKeyEvent>

// key and modifiers as Qt reports them; nativeScanCode as the window system reports it,
// taken as an evdev code + 8 (X11 and Wayland) when nativeIsEvdev. The Qt key decides
// wherever it can, so that every window system gives the same codes; the native code
// tells left from right modifiers and names keys of layouts without Latin letters.
// 0 when the keyboard device offers no such key.
BYTE scanCodeOfKey(int key, Qt::KeyboardModifiers modifiers, quint32 nativeScanCode,
                   bool nativeIsEvdev);

BYTE scanCodeOfKeyEvent(const QKeyEvent& event);
