#include "host/HostErrors.h"

std::string hostErrorText(HRESULT code) {
    using namespace host_error;
    switch (code) {
    case kNoDirect3D:
        return "Could not initialize Direct3D. You may\nwant to check that the latest version of\n"
               "DirectX is correctly installed on your\nsystem.  Also make sure that this "
               "program\nwas compiled with header files that match\nthe installed DirectX DLLs.";
    case kNoCompatibleDevices:
        return "Could not find any compatible Direct3D\ndevices.";
    case kNoWindowableDevices:
        return "This sample cannot run in a desktop\nwindow with the current display settings.\n"
               "Please change your desktop settings to a\n16- or 32-bit display mode and re-run "
               "this\nsample.";
    case kNoHardwareDevice:
        return "No hardware-accelerated Direct3D devices\nwere found.";
    case kHalNotCompatible:
        return "This sample requires functionality that is\nnot available on your Direct3D "
               "hardware\naccelerator.";
    case kNoWindowedHal:
        return "Your Direct3D hardware accelerator cannot\nrender into a window.\nPress F2 while "
               "the app is running to see a\nlist of available devices and modes.";
    case kNoDesktopHal:
        return "Your Direct3D hardware accelerator cannot\nrender into a window with the "
               "current\ndesktop display settings.\nPress F2 while the app is running to see "
               "a\nlist of available devices and modes.";
    case kNoHalThisMode:
        return "This sample requires functionality that is\nnot available on your Direct3D "
               "hardware\naccelerator with the current desktop display\nsettings.\nPress F2 "
               "while the app is running to see a\nlist of available devices and modes.";
    case kNonZeroRefCount:
        return "A D3D object has a non-zero reference\ncount (meaning things were not "
               "properly\ncleaned up).";
    case kMediaNotFound:
    case kFileNotFound:
        return "Could not load required media.";
    case kResetFailed:
        return "Could not reset the Direct3D device.";
    case kNullRefDevice:
        return "Warning: Nothing will be rendered.\nThe reference rendering device was "
               "selected, but your\ncomputer only has a reduced-functionality reference "
               "device\ninstalled.  Install the DirectX SDK to get the full\nreference "
               "device.\n";
    case kOutOfVideoMemory:
        return "Not enough video memory.";
    case kOutOfMemory:
        return "Not enough memory.";
    default:
        return "Generic application error. Enable\ndebug output for detailed information.";
    }
}

std::string hostErrorMessage(HRESULT code, HostErrorKind kind) {
    std::string text = hostErrorText(code);
    switch (kind) {
    case HostErrorKind::Fatal:
        text += "\n\nThis sample will now exit.";
        break;
    case HostErrorKind::SwitchedToReference:
        text += "\n\nSwitching to the reference rasterizer,\na software device that implements "
                "the entire\nDirect3D feature set, but runs very slowly.";
        break;
    case HostErrorKind::Warning:
        break;
    }
    return text;
}

UINT hostErrorIcon(HostErrorKind kind) {
    return kind == HostErrorKind::Fatal ? MB_ICONERROR : MB_ICONWARNING;
}
