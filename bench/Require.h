// A benchmark whose scene did not set up measures nothing worth reporting: it stops at
// once with the step that failed instead.
#pragma once

#include <cstdio>
#include <cstdlib>

#include "win32/win32.h"

namespace bench {

inline void require(bool ok, const char* what) {
    if (!ok) {
        std::fprintf(stderr, "benchmark set-up failed: %s\n", what);
        std::abort();
    }
}

inline void require(HRESULT hr, const char* what) {
    require(SUCCEEDED(hr), what);
}

} // namespace bench
