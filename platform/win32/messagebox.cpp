#include "win32/win32.h"

#include <cstdio>

namespace {

MessageBoxHandler& installedHandler() {
    static MessageBoxHandler handler;
    return handler;
}

} // namespace

int MessageBoxA(HWND /*owner*/, const char* text, const char* caption, UINT type) {
    const std::string body = text != nullptr ? text : "";
    const std::string title = caption != nullptr ? caption : "";
    if (const auto& handler = installedHandler()) {
        return handler(body, title, type);
    }
    std::fprintf(stderr, "[%s] %s\n", title.c_str(), body.c_str());
    return IDOK;
}

MessageBoxHandler SetMessageBoxHandler(MessageBoxHandler handler) {
    MessageBoxHandler previous = std::move(installedHandler());
    installedHandler() = std::move(handler);
    return previous;
}
