#include "core/ExportGuard.h"

#include <set>
#include <string>

#include "win32/win32.h"

void reportMisuseOnce(const char* function, const char* what) {
    // The engine runs on the host's one thread; a host repeating a mistake every frame
    // hears of it once.
    static std::set<std::string> told;
    std::string text = std::string(function) + ": " + what + ".";
    if (told.insert(text).second) {
        MessageBoxA(nullptr, text.c_str(), "Tumbleway", MB_OK | MB_ICONERROR);
    }
}

bool pointersPresent(const char* function, std::initializer_list<const void*> pointers) {
    for (const void* pointer : pointers) {
        if (pointer == nullptr) {
            reportMisuseOnce(function, "called with a null pointer");
            return false;
        }
    }
    return true;
}
