// The one action format of the program: twenty named actions with their application
// values (what every event carries), their semantics (which control each device offers
// for them by default) and the settings every device shares.
#pragma once

#include "dinput/dinput.h"

#include <array>

// Application values. Several actions may share one: "Play sound" arrives from a genre
// button as well as from F5.
enum GameActionValue : UINT_PTR {
    kActionTurnAxis = 1,
    kActionMoveAxis = 2,
    kActionRotateLeft = 3,
    kActionRotateRight = 4,
    kActionRotateUp = 5,
    kActionRotateDown = 6,
    kActionConfigureInput = 7,
    kActionConfigureDisplay = 8,
    kActionPlaySound = 9,
    kActionViewHorizontal = 10,
    kActionViewVertical = 11,
    kActionLeftUp = 12,
    kActionBothUp = 13,
    kActionRightUp = 14,
    kActionLeftDown = 15,
    kActionBothDown = 16,
    kActionRightDown = 17,
    kActionOk = 18,
    kActionCancel = 19,
};

struct GameActionDefinition {
    UINT_PTR value;
    DWORD semantic;
    DWORD flags;
    const char* name;
};

inline constexpr std::size_t kGameActionCount = 20;
extern const std::array<GameActionDefinition, kGameActionCount> kGameActions;

inline constexpr GUID kGameActionMapGuid{
    0xE9D63F72, 0x1F64, 0x4B52, {0x81, 0xF5, 0x08, 0x13, 0x99, 0x28, 0xFE, 0x87}};
inline constexpr DWORD kGameGenre = 0x24000000;
inline constexpr DWORD kGameBufferSize = 16;
inline constexpr LONG kGameAxisMin = -100;
inline constexpr LONG kGameAxisMax = 100;
inline constexpr DWORD kGameDeadZone = 500; // of 10000
inline constexpr char kGameActionMapName[] = "Halvard Game";

// The format filled in, with its own copy of the actions (which BuildActionMap writes
// into). It points into itself, so it stays where it was made.
class GameActionFormat {
public:
    GameActionFormat();
    GameActionFormat(const GameActionFormat&) = delete;
    GameActionFormat& operator=(const GameActionFormat&) = delete;

    DIACTIONFORMATA* get() { return &m_format; }
    const DIACTIONFORMATA* get() const { return &m_format; }

private:
    std::array<DIACTIONA, kGameActionCount> m_actions{};
    DIACTIONFORMATA m_format{};
};
