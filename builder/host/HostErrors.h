#pragma once

#include <string>

#include "win32/win32.h"

// Errors of the render-loop host, with the texts users see. The codes keep the values
// the program has always used, so a report can be matched with its message.
namespace host_error {
constexpr HRESULT kNoDirect3D = static_cast<HRESULT>(0x82000001u);
constexpr HRESULT kNoCompatibleDevices = static_cast<HRESULT>(0x82000003u);
constexpr HRESULT kNoWindowableDevices = static_cast<HRESULT>(0x82000004u);
constexpr HRESULT kNoHardwareDevice = static_cast<HRESULT>(0x82000005u);
constexpr HRESULT kHalNotCompatible = static_cast<HRESULT>(0x82000006u);
constexpr HRESULT kNoWindowedHal = static_cast<HRESULT>(0x82000007u);
constexpr HRESULT kNoDesktopHal = static_cast<HRESULT>(0x82000008u);
constexpr HRESULT kNoHalThisMode = static_cast<HRESULT>(0x82000009u);
constexpr HRESULT kNonZeroRefCount = static_cast<HRESULT>(0x8200000Au);
constexpr HRESULT kMediaNotFound = static_cast<HRESULT>(0x8200000Bu);
constexpr HRESULT kResetFailed = static_cast<HRESULT>(0x8200000Cu);
constexpr HRESULT kNullRefDevice = static_cast<HRESULT>(0x8200000Du);
constexpr HRESULT kFileNotFound = static_cast<HRESULT>(0x80070002u);
constexpr HRESULT kOutOfVideoMemory = static_cast<HRESULT>(0x8876017Cu);
constexpr HRESULT kOutOfMemory = static_cast<HRESULT>(0x8007000Eu);
} // namespace host_error

enum class HostErrorKind {
    Fatal,               // the program ends after the message
    Warning,             // the program goes on
    SwitchedToReference, // a warning that the software rasterizer is used from now on
};

// The message for an error code, without suffix.
std::string hostErrorText(HRESULT code);
// The whole text of the message box: the error's text and the suffix of its kind.
std::string hostErrorMessage(HRESULT code, HostErrorKind kind);
// The icon the message box shows for a kind (MB_ICONERROR or MB_ICONWARNING).
UINT hostErrorIcon(HostErrorKind kind);
