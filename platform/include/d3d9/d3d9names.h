// Names of Direct3D 9 values as they are written in code, for logs, test messages and
// the display settings dialog; and the table of render states with their defaults.
#pragma once

#include "d3d9/d3d9.h"

#include <span>
#include <string>

// How a render state's value reads best: a count or enumerator, a colour or mask, or
// the bits of a float.
enum class StateValueKind { Number, Hex, Float };

struct RenderStateInfo {
    D3DRENDERSTATETYPE state;
    const char* name;
    DWORD defaultValue; // Direct3D's value for a new device with a depth buffer
    StateValueKind kind;
};

// Every render state Direct3D 9 knows, in increasing order.
std::span<const RenderStateInfo> renderStateTable();
// Null for a value that is not a render state.
const RenderStateInfo* findRenderState(DWORD state);

// Null for values that are not of the type.
const char* textureStageStateName(DWORD type);
const char* samplerStateName(DWORD type);
const char* primitiveTypeName(DWORD type);
const char* formatName(DWORD format);
const char* poolName(DWORD pool);
const char* deviceTypeName(DWORD type);
const char* multiSampleTypeName(DWORD type);

// Always a text: the enumerator name, or the number in a form such as "D3DRS_(300)".
std::string renderStateText(DWORD state);
std::string transformStateText(DWORD state);
std::string textureStageStateText(DWORD type);
std::string samplerStateText(DWORD type);
std::string primitiveTypeText(DWORD type);
std::string formatText(DWORD format);
std::string poolText(DWORD pool);
std::string backBufferTypeText(DWORD type);
// Flag sets joined with '|', "0" when empty; unnamed bits are kept in hex.
std::string clearFlagsText(DWORD flags);
std::string usageText(DWORD usage);
// A stream frequency: "1", or its flag and count ("D3DSTREAMSOURCE_INDEXEDDATA|12").
std::string streamFrequencyText(DWORD setting);
