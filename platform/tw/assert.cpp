#include "tw/assert.h"

#include <atomic>
#include <cstdio>
#include <cstdlib>

namespace tw {
namespace {

std::atomic<AssertHandler> handler{&defaultAssertHandler};

} // namespace

bool defaultAssertHandler(const char* expr, const char* file, int line) {
    std::fprintf(stderr, "%s:%d: assertion failed: %s\n", file, line, expr);
    std::fflush(stderr);
    return true;
}

AssertHandler setAssertHandler(AssertHandler replacement) {
    return handler.exchange(replacement != nullptr ? replacement : &defaultAssertHandler);
}

void assertFailed(const char* expr, const char* file, int line) {
    if (handler.load()(expr, file, line)) {
        std::abort();
    }
}

} // namespace tw
