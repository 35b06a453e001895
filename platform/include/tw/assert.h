// TW_ASSERT(cond): checks an invariant the code relies on. It is active where NDEBUG is
// not defined or TW_ASSERTS is (the sanitizer build defines it); elsewhere the condition
// is not evaluated. A failed check calls the assert handler with the condition's text and
// place; when the handler returns true the program aborts there, when false it goes on.
#pragma once

namespace tw {

using AssertHandler = bool (*)(const char* expr, const char* file, int line);

// Prints the failed condition and its place to stderr, and asks for the abort.
bool defaultAssertHandler(const char* expr, const char* file, int line);

// Sets the handler and returns the one it replaces; nullptr restores the default.
AssertHandler setAssertHandler(AssertHandler handler);

// Reports a failed condition to the handler; aborts when the handler says so.
void assertFailed(const char* expr, const char* file, int line);

} // namespace tw

#if !defined(NDEBUG) || defined(TW_ASSERTS)
#define TW_ASSERT(cond)                                                                            \
    do {                                                                                           \
        if (!(cond)) {                                                                             \
            ::tw::assertFailed(#cond, __FILE__, __LINE__);                                         \
        }                                                                                          \
    } while (false)
#else
#define TW_ASSERT(cond)                                                                            \
    do {                                                                                           \
        (void)sizeof(!(cond));                                                                     \
    } while (false)
#endif
