#include "input/GameActions.h"
#include "input/QtScanCodes.h"

#include "dinput/dinput_host.h"

#include <gtest/gtest.h>

#include <algorithm>

namespace {

struct KeyCase {
    int key;
    Qt::KeyboardModifiers modifiers;
    BYTE scanCode;
};

BYTE fromQt(int key, Qt::KeyboardModifiers modifiers = Qt::NoModifier) {
    return scanCodeOfKey(key, modifiers, 0, false);
}

} // namespace

TEST(QtScanCodes, EveryDefaultKeyGivesTheScanCodeOfItsSemantic) {
    // The keys as Qt reports them where the default controls sit.
    const KeyCase defaults[] = {
        {Qt::Key_Left, Qt::NoModifier, 0xCB},   {Qt::Key_Right, Qt::NoModifier, 0xCD},
        {Qt::Key_Up, Qt::NoModifier, 0xC8},     {Qt::Key_Down, Qt::NoModifier, 0xD0},
        {Qt::Key_F5, Qt::NoModifier, 0x3F},     {Qt::Key_H, Qt::NoModifier, 0x23},
        {Qt::Key_V, Qt::NoModifier, 0x2F},      {Qt::Key_F2, Qt::NoModifier, 0x3C},
        {Qt::Key_F3, Qt::NoModifier, 0x3D},     {Qt::Key_7, Qt::KeypadModifier, 0x47},
        {Qt::Key_8, Qt::KeypadModifier, 0x48},  {Qt::Key_9, Qt::KeypadModifier, 0x49},
        {Qt::Key_1, Qt::KeypadModifier, 0x4F},  {Qt::Key_2, Qt::KeypadModifier, 0x50},
        {Qt::Key_3, Qt::KeypadModifier, 0x51},  {Qt::Key_Return, Qt::NoModifier, 0x1C},
        {Qt::Key_Delete, Qt::NoModifier, 0xD3},
    };
    for (const KeyCase& c : defaults) {
        EXPECT_EQ(fromQt(c.key, c.modifiers), c.scanCode) << std::hex << c.key;
    }
    // Every keyboard action's semantic names a key the mapping can produce.
    for (const GameActionDefinition& action : kGameActions) {
        if (DISEM_GENRE(action.semantic) != DIKEYBOARD_CLASS) {
            continue;
        }
        const BYTE scanCode = action.semantic & 0xFF;
        const bool produced = std::any_of(std::begin(defaults), std::end(defaults),
                                          [&](const KeyCase& c) { return c.scanCode == scanCode; });
        EXPECT_TRUE(produced) << action.name;
        EXPECT_NE(DInputKeyName(scanCode), nullptr) << action.name;
    }
}

TEST(QtScanCodes, NumericPadKeysAreThePadsWhateverNumLockSays) {
    // Num Lock off: the pad sends navigation keys, still flagged as keypad keys.
    EXPECT_EQ(fromQt(Qt::Key_Home, Qt::KeypadModifier), DIK_NUMPAD7);
    EXPECT_EQ(fromQt(Qt::Key_Up, Qt::KeypadModifier), DIK_NUMPAD8);
    EXPECT_EQ(fromQt(Qt::Key_PageUp, Qt::KeypadModifier), DIK_NUMPAD9);
    EXPECT_EQ(fromQt(Qt::Key_End, Qt::KeypadModifier), DIK_NUMPAD1);
    EXPECT_EQ(fromQt(Qt::Key_Delete, Qt::KeypadModifier), DIK_DECIMAL);
    EXPECT_EQ(fromQt(Qt::Key_Enter, Qt::KeypadModifier), DIK_NUMPADENTER);
    // The same keys off the pad are the navigation block and the main row.
    EXPECT_EQ(fromQt(Qt::Key_Home), DIK_HOME);
    EXPECT_EQ(fromQt(Qt::Key_7), DIK_7);
    EXPECT_EQ(fromQt(Qt::Key_0), DIK_0);
}

TEST(QtScanCodes, NativeCodesTellSidesAndNameKeysQtCannot) {
    // evdev + 8: right Shift 54, right Ctrl 97, left Alt 56.
    EXPECT_EQ(scanCodeOfKey(Qt::Key_Shift, Qt::ShiftModifier, 54 + 8, true), DIK_RSHIFT);
    EXPECT_EQ(scanCodeOfKey(Qt::Key_Control, Qt::ControlModifier, 97 + 8, true), DIK_RCONTROL);
    EXPECT_EQ(scanCodeOfKey(Qt::Key_Alt, Qt::AltModifier, 56 + 8, true), DIK_LMENU);
    EXPECT_EQ(scanCodeOfKey(Qt::Key_Shift, Qt::ShiftModifier, 0, false), DIK_LSHIFT);
    // A Cyrillic letter or a shifted digit: the position decides (evdev 35 is H, 2 is 1).
    EXPECT_EQ(scanCodeOfKey(0x0440, Qt::NoModifier, 35 + 8, true), DIK_H);
    EXPECT_EQ(scanCodeOfKey(Qt::Key_Exclam, Qt::ShiftModifier, 2 + 8, true), DIK_1);
    EXPECT_EQ(scanCodeOfKey(Qt::Key_Exclam, Qt::ShiftModifier, 0, false), 0);
    // Native codes never override a key Qt names: layouts keep their letters.
    EXPECT_EQ(scanCodeOfKey(Qt::Key_Z, Qt::NoModifier, 17 + 8, true), DIK_Z);
    // Extended keys sit elsewhere in evdev.
    EXPECT_EQ(scanCodeOfKey(0, Qt::NoModifier, 105 + 8, true), DIK_LEFT);
}
