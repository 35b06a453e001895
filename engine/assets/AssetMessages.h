#pragma once

#include <cstdio>

#include "win32/win32.h"

// What the user is told when a file the scene names cannot be found.
enum class MissingFile { Xfile, Bitmap, Sound };

inline void reportMissingFile(MissingFile kind, const char* name) {
    const char* format = kind == MissingFile::Xfile    ? "Error cannot read X file. \n %s."
                         : kind == MissingFile::Bitmap ? "Error cannot read BMP file. \n %s."
                                                       : "Error cannot read Sound file. \n %s.";
    char text[512];
    std::snprintf(text, sizeof text, format, name);
    MessageBoxA(nullptr, text, "Tumble Way", MB_OK | MB_ICONERROR);
}
