#include "host/HostErrors.h"

#include <QCoreApplication>

std::string hostErrorText(HRESULT code) {
    using namespace host_error;
    switch (code) {
    case kNoDirect3D:
        return QT_TRANSLATE_NOOP(
            "HostErrors",
            "Could not initialize Direct3D. You may\nwant to check that the latest version of\n"
            "DirectX is correctly installed on your\nsystem.  Also make sure that this "
            "program\nwas compiled with header files that match\nthe installed DirectX DLLs.");
    case kNoCompatibleDevices:
        return QT_TRANSLATE_NOOP("HostErrors", "Could not find any compatible Direct3D\ndevices.");
    case kNoWindowableDevices:
        return QT_TRANSLATE_NOOP(
            "HostErrors",
            "This sample cannot run in a desktop\nwindow with the current display settings.\n"
            "Please change your desktop settings to a\n16- or 32-bit display mode and re-run "
            "this\nsample.");
    case kNoHardwareDevice:
        return QT_TRANSLATE_NOOP("HostErrors",
                                 "No hardware-accelerated Direct3D devices\nwere found.");
    case kHalNotCompatible:
        return QT_TRANSLATE_NOOP(
            "HostErrors",
            "This sample requires functionality that is\nnot available on your Direct3D "
            "hardware\naccelerator.");
    case kNoWindowedHal:
        return QT_TRANSLATE_NOOP(
            "HostErrors",
            "Your Direct3D hardware accelerator cannot\nrender into a window.\nPress F2 while "
            "the app is running to see a\nlist of available devices and modes.");
    case kNoDesktopHal:
        return QT_TRANSLATE_NOOP(
            "HostErrors",
            "Your Direct3D hardware accelerator cannot\nrender into a window with the "
            "current\ndesktop display settings.\nPress F2 while the app is running to see "
            "a\nlist of available devices and modes.");
    case kNoHalThisMode:
        return QT_TRANSLATE_NOOP(
            "HostErrors",
            "This sample requires functionality that is\nnot available on your Direct3D "
            "hardware\naccelerator with the current desktop display\nsettings.\nPress F2 "
            "while the app is running to see a\nlist of available devices and modes.");
    case kNonZeroRefCount:
        return QT_TRANSLATE_NOOP(
            "HostErrors", "A D3D object has a non-zero reference\ncount (meaning things were not "
                          "properly\ncleaned up).");
    case kMediaNotFound:
    case kFileNotFound:
        return QT_TRANSLATE_NOOP("HostErrors", "Could not load required media.");
    case kResetFailed:
        return QT_TRANSLATE_NOOP("HostErrors", "Could not reset the Direct3D device.");
    case kNullRefDevice:
        return QT_TRANSLATE_NOOP(
            "HostErrors", "Warning: Nothing will be rendered.\nThe reference rendering device was "
                          "selected, but your\ncomputer only has a reduced-functionality reference "
                          "device\ninstalled.  Install the DirectX SDK to get the full\nreference "
                          "device.\n");
    case kOutOfVideoMemory:
        return QT_TRANSLATE_NOOP("HostErrors", "Not enough video memory.");
    case kOutOfMemory:
        return QT_TRANSLATE_NOOP("HostErrors", "Not enough memory.");
    default:
        return QT_TRANSLATE_NOOP(
            "HostErrors",
            "Generic application error. Enable\ndebug output for detailed information.");
    }
}

std::string hostErrorMessage(HRESULT code, HostErrorKind kind) {
    QString text = QCoreApplication::translate("HostErrors", hostErrorText(code).c_str());
    switch (kind) {
    case HostErrorKind::Fatal:
        text += QCoreApplication::translate("HostErrors", "\n\nThis sample will now exit.");
        break;
    case HostErrorKind::SwitchedToReference:
        text += QCoreApplication::translate(
            "HostErrors", "\n\nSwitching to the reference rasterizer,\na software device that "
                          "implements the entire\nDirect3D feature set, but runs very slowly.");
        break;
    case HostErrorKind::Warning:
        break;
    }
    return text.toStdString();
}

UINT hostErrorIcon(HostErrorKind kind) {
    return kind == HostErrorKind::Fatal ? MB_ICONERROR : MB_ICONWARNING;
}
