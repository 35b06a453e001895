#include "files/ReadReport.h"

#include "win32/win32.h"

void ReadReport::show() const {
    std::string text;
    if (damaged_) {
        text = name_ + " is damaged or not a scene file; what could be read was loaded.";
    }
    if (leftOut_ > 0) {
        text += text.empty() ? "" : "\n";
        const bool one = leftOut_ == 1;
        text += "Left out " + std::to_string(leftOut_) + (one ? " element of " : " elements of ") +
                name_ + (one ? ": a number in it" : ": a number in each") +
                " is not finite (NaN or infinite).";
    }
    if (!text.empty()) {
        MessageBoxA(nullptr, text.c_str(), "error", MB_OK | MB_ICONERROR);
    }
}
