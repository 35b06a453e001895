// The small part of the Win32 vocabulary that the engine and the builder speak:
// integer types of fixed width, result codes, window and tree handles, points and
// rectangles, and a few kernel and user calls backed by POSIX.
#pragma once

#include <cstdint>
#include <functional>
#include <string>

using BOOL = int;
using BYTE = std::uint8_t;
using WORD = std::uint16_t;
using DWORD = std::uint32_t;
using UINT = unsigned int;
using INT = int;
using LONG = std::int32_t; // 32 bits, as on Windows (Linux's long is 64)
using ULONG = std::uint32_t;
using FLOAT = float;
using HRESULT = std::int32_t;
using HANDLE = void*;

constexpr BOOL TRUE = 1;
constexpr BOOL FALSE = 0;

// Opaque handles: the engine stores them as identifiers and never looks inside.
struct HWND__;
using HWND = HWND__*;
struct _TREEITEM;
using HTREEITEM = _TREEITEM*;

struct POINT {
    LONG x;
    LONG y;
};

struct RECT {
    LONG left;
    LONG top;
    LONG right;
    LONG bottom;
};

constexpr HRESULT S_OK = 0;
constexpr HRESULT S_FALSE = 1;
constexpr HRESULT E_FAIL = static_cast<HRESULT>(0x80004005u);
constexpr HRESULT E_INVALIDARG = static_cast<HRESULT>(0x80070057u);
constexpr HRESULT E_OUTOFMEMORY = static_cast<HRESULT>(0x8007000Eu);
constexpr HRESULT E_NOTIMPL = static_cast<HRESULT>(0x80004001u);
constexpr HRESULT CO_E_NOTINITIALIZED = static_cast<HRESULT>(0x800401F0u);
constexpr DWORD ERROR_FILE_NOT_FOUND = 2;

constexpr HRESULT HRESULT_FROM_WIN32(DWORD code) {
    return code == 0 ? S_OK : static_cast<HRESULT>((code & 0xFFFFu) | 0x80070000u);
}
constexpr bool SUCCEEDED(HRESULT hr) {
    return hr >= 0;
}
constexpr bool FAILED(HRESULT hr) {
    return hr < 0;
}

// Message box styles and answers used by the program.
constexpr UINT MB_OK = 0x0;
constexpr UINT MB_ICONERROR = 0x10;
constexpr UINT MB_ICONWARNING = 0x30;
constexpr UINT MB_OKCANCEL = 0x1;
constexpr UINT MB_YESNO = 0x4;
constexpr int IDOK = 1;
constexpr int IDCANCEL = 2;
constexpr int IDYES = 6;
constexpr int IDNO = 7;

constexpr DWORD MAX_PATH = 260;

// Milliseconds since an arbitrary start, wrapping at 2^32 like the multimedia timer.
DWORD timeGetTime();

// Tests replace the clock with one they set; an empty function restores the real one.
void SetTimeSourceForTests(std::function<DWORD()> source);

// Writes the current directory into buffer (zero-terminated) and returns its length;
// when it does not fit, returns the size needed including the terminator and writes nothing.
DWORD GetCurrentDirectoryA(DWORD bufferLength, char* buffer);

// Makes name absolute against the current directory (without touching the file system
// beyond reading the current directory). Same length rules as GetCurrentDirectoryA;
// filePart, when given, points at the final component inside buffer.
DWORD GetFullPathNameA(const char* name, DWORD bufferLength, char* buffer, char** filePart);

void Sleep(DWORD milliseconds);

// Shows a message to the user through the handler the host installed. Without a
// handler the text goes to stderr and the answer is IDOK.
int MessageBoxA(HWND owner, const char* text, const char* caption, UINT type);

using MessageBoxHandler =
    std::function<int(const std::string& text, const std::string& caption, UINT type)>;

// Installs the host's handler and returns the one it replaces (empty for the default).
MessageBoxHandler SetMessageBoxHandler(MessageBoxHandler handler);
