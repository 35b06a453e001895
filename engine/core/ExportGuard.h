#pragma once

#include <exception>
#include <initializer_list>

#include "core/EngineApp.h"
#include "core/EngineInstance.h"

// The edge between the engine and its hosts. Every exported function does its work
// through guarded(): a call made before xll_CAppForm, one without a pointer its work
// needs, or one whose work throws, is told to the host once per function and reason
// (through the message handler, caption "Tumbleway") and answers the function's
// failure value. No C++ exception leaves the library.

void reportMisuseOnce(const char* function, const char* what);

// Whether every pointer the work needs is there; tells the host once when not.
[[nodiscard]] bool pointersPresent(const char* function,
                                   std::initializer_list<const void*> pointers);

template <typename Result, typename Work>
Result guarded(const char* function, Result failure, Work&& work) noexcept {
    CEngineApp* engine = engineInstance();
    if (engine == nullptr) {
        reportMisuseOnce(function, "called before xll_CAppForm made the engine");
        return failure;
    }
    try {
        return work(*engine);
    } catch (const std::exception& error) {
        reportMisuseOnce(function, error.what());
    } catch (...) {
        reportMisuseOnce(function, "an unknown failure");
    }
    return failure;
}

// guarded() for functions that answer nothing.
template <typename Work>
void guardedCall(const char* function, Work&& work) noexcept {
    guarded(function, 0, [&work](CEngineApp& engine) {
        work(engine);
        return 0;
    });
}
