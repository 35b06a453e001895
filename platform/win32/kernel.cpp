#include "win32/win32.h"

#include <cerrno>
#include <chrono>
#include <cstring>
#include <thread>
#include <unistd.h>
#include <vector>

namespace {

std::function<DWORD()>& timeSource() {
    static std::function<DWORD()> source;
    return source;
}

DWORD steadyMilliseconds() {
    using namespace std::chrono;
    const auto now = duration_cast<milliseconds>(steady_clock::now().time_since_epoch());
    return static_cast<DWORD>(now.count());
}

// Copies text into buffer with the Win32 length convention.
DWORD copyOut(const std::string& text, DWORD bufferLength, char* buffer) {
    if (buffer == nullptr || text.size() + 1 > bufferLength) {
        return static_cast<DWORD>(text.size() + 1);
    }
    std::memcpy(buffer, text.c_str(), text.size() + 1);
    return static_cast<DWORD>(text.size());
}

std::string currentDirectory() {
    std::vector<char> buffer(256);
    while (getcwd(buffer.data(), buffer.size()) == nullptr) {
        if (errno != ERANGE) {
            return {};
        }
        buffer.resize(buffer.size() * 2);
    }
    return buffer.data();
}

} // namespace

DWORD timeGetTime() {
    const auto& source = timeSource();
    return source ? source() : steadyMilliseconds();
}

void SetTimeSourceForTests(std::function<DWORD()> source) {
    timeSource() = std::move(source);
}

DWORD GetCurrentDirectoryA(DWORD bufferLength, char* buffer) {
    const std::string dir = currentDirectory();
    if (dir.empty()) {
        return 0;
    }
    return copyOut(dir, bufferLength, buffer);
}

DWORD GetFullPathNameA(const char* name, DWORD bufferLength, char* buffer, char** filePart) {
    if (name == nullptr || *name == '\0') {
        return 0;
    }
    std::string full = name;
    if (full.front() != '/') {
        const std::string dir = currentDirectory();
        if (dir.empty()) {
            return 0;
        }
        full = dir + (dir.back() == '/' ? "" : "/") + full;
    }
    const DWORD written = copyOut(full, bufferLength, buffer);
    if (written < bufferLength && filePart != nullptr) {
        const auto slash = full.find_last_of('/');
        *filePart = buffer + (slash == std::string::npos ? 0 : slash + 1);
    }
    return written;
}

void Sleep(DWORD milliseconds) {
    std::this_thread::sleep_for(std::chrono::milliseconds(milliseconds));
}
