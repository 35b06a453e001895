#include "input/GameActions.h"

#include <QtGlobal> // for QT_TRANSLATE_NOOP, which only marks the names for translation

#include <cstring>

const std::array<GameActionDefinition, kGameActionCount> kGameActions{{
    {kActionTurnAxis, 0x24008201, 0, QT_TRANSLATE_NOOP("GameActions", "Rotate left/right")},
    {kActionMoveAxis, 0x24010202, 0, QT_TRANSLATE_NOOP("GameActions", "Rotate up/down")},
    {kActionPlaySound, 0x24000403, 0, QT_TRANSLATE_NOOP("GameActions", "Play sound")},
    {kActionRotateLeft, DIKEYBOARD(DIK_LEFT), 0, QT_TRANSLATE_NOOP("GameActions", "Rotate left")},
    {kActionRotateRight, DIKEYBOARD(DIK_RIGHT), 0,
     QT_TRANSLATE_NOOP("GameActions", "Rotate right")},
    {kActionRotateUp, DIKEYBOARD(DIK_UP), 0, QT_TRANSLATE_NOOP("GameActions", "Rotate up")},
    {kActionRotateDown, DIKEYBOARD(DIK_DOWN), 0, QT_TRANSLATE_NOOP("GameActions", "Rotate down")},
    {kActionPlaySound, DIKEYBOARD(DIK_F5), 0, QT_TRANSLATE_NOOP("GameActions", "Play sound")},
    {kActionViewHorizontal, DIKEYBOARD(DIK_H), 0,
     QT_TRANSLATE_NOOP("GameActions", "View Horizontal")},
    {kActionViewVertical, DIKEYBOARD(DIK_V), 0, QT_TRANSLATE_NOOP("GameActions", "View Vertical")},
    // The two configuration keys must always work, or a user could lock himself out.
    {kActionConfigureDisplay, DIKEYBOARD(DIK_F2), DIA_APPFIXED,
     QT_TRANSLATE_NOOP("GameActions", "Configure Display")},
    {kActionConfigureInput, DIKEYBOARD(DIK_F3), DIA_APPFIXED,
     QT_TRANSLATE_NOOP("GameActions", "Configure Input")},
    {kActionLeftUp, DIKEYBOARD(DIK_NUMPAD7), 0, QT_TRANSLATE_NOOP("GameActions", "Left Up")},
    {kActionBothUp, DIKEYBOARD(DIK_NUMPAD8), 0, QT_TRANSLATE_NOOP("GameActions", "Both Up")},
    {kActionRightUp, DIKEYBOARD(DIK_NUMPAD9), 0, QT_TRANSLATE_NOOP("GameActions", "Right Up")},
    {kActionLeftDown, DIKEYBOARD(DIK_NUMPAD1), 0, QT_TRANSLATE_NOOP("GameActions", "Left Down")},
    {kActionBothDown, DIKEYBOARD(DIK_NUMPAD2), 0, QT_TRANSLATE_NOOP("GameActions", "Both Down")},
    {kActionRightDown, DIKEYBOARD(DIK_NUMPAD3), 0, QT_TRANSLATE_NOOP("GameActions", "Right Down")},
    {kActionOk, DIKEYBOARD(DIK_RETURN), 0, QT_TRANSLATE_NOOP("GameActions", "OK")},
    {kActionCancel, DIKEYBOARD(DIK_DELETE), 0, QT_TRANSLATE_NOOP("GameActions", "CANCEL")},
}};

GameActionFormat::GameActionFormat() {
    for (std::size_t i = 0; i < kGameActionCount; ++i) {
        DIACTIONA& action = m_actions[i];
        action.uAppData = kGameActions[i].value;
        action.dwSemantic = kGameActions[i].semantic;
        action.dwFlags = kGameActions[i].flags;
        action.lptszActionName = kGameActions[i].name;
    }
    m_format.dwSize = sizeof(DIACTIONFORMATA);
    // One action record as this platform lays it out (40 bytes where pointers have 4).
    m_format.dwActionSize = sizeof(DIACTIONA);
    m_format.dwDataSize = static_cast<DWORD>(kGameActionCount * 4);
    m_format.dwNumActions = static_cast<DWORD>(kGameActionCount);
    m_format.rgoAction = m_actions.data();
    m_format.guidActionMap = kGameActionMapGuid;
    m_format.dwGenre = kGameGenre;
    m_format.dwBufferSize = kGameBufferSize;
    m_format.lAxisMin = kGameAxisMin;
    m_format.lAxisMax = kGameAxisMax;
    std::strcpy(m_format.tszActionMap, kGameActionMapName);
}
