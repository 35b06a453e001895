#include "shell/DisplayCheck.h"

#include <QtGlobal>

#include <xcb/xcb.h>

namespace {

// The texts are English, as the command line's are: no translation is loaded before
// the application object exists.

// Whether an X server answers at DISPLAY.
bool xDisplayAnswers() {
    xcb_connection_t* connection = xcb_connect(nullptr, nullptr);
    const bool answers = xcb_connection_has_error(connection) == 0;
    xcb_disconnect(connection); // also frees a connection that failed
    return answers;
}

} // namespace

QString missingDisplayReason() {
    const QString platform = qEnvironmentVariable("QT_QPA_PLATFORM");
    const bool wantsX = platform.isEmpty() || platform.startsWith(QStringLiteral("xcb"));
    const bool wantsWayland = platform.startsWith(QStringLiteral("wayland"));
    if (!wantsX && !wantsWayland) {
        return {}; // offscreen, vnc, ...: Qt needs no display of ours
    }
    const QString x = qEnvironmentVariable("DISPLAY");
    const QString wayland = qEnvironmentVariable("WAYLAND_DISPLAY");
    if (wantsWayland) {
        return wayland.isEmpty() ? QStringLiteral("WAYLAND_DISPLAY is not set") : QString();
    }
    if (platform.isEmpty() && !wayland.isEmpty()) {
        return {}; // Qt takes the Wayland session
    }
    if (x.isEmpty()) {
        return QStringLiteral("there is no display: DISPLAY is not set");
    }
    if (!xDisplayAnswers()) {
        return QStringLiteral("the display %1 does not answer").arg(x);
    }
    return {};
}
