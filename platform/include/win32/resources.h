// Resources built into the program. There is no executable resource section on Linux,
// so the program (or a test) registers named byte blocks with a type at start-up, and
// the lookups read them back in the shape of the kernel's resource calls. Names and
// types compare without regard to case, as resource names do.
#pragma once

#include "win32/win32.h"

#include <string_view>

struct HINSTANCE__;
using HINSTANCE = HINSTANCE__*;
using HMODULE = HINSTANCE;
struct HRSRC__;
using HRSRC = HRSRC__*;
using HGLOBAL = void*;

// Adds a copy of size bytes as resource name of the given type, replacing one of the
// same name and type. Replacing or removing a resource invalidates the handles and
// pointers handed out for it before.
void RegisterResource(std::string_view type, std::string_view name, const void* bytes, DWORD size);
[[nodiscard]] bool UnregisterResource(std::string_view type, std::string_view name);
void ClearResources();

// The module handle is ignored: there is one table for the whole process. Each returns
// null (or 0) when nothing is found.
HRSRC FindResourceA(HMODULE module, const char* name, const char* type);
HGLOBAL LoadResource(HMODULE module, HRSRC resource);
DWORD SizeofResource(HMODULE module, HRSRC resource);
void* LockResource(HGLOBAL loaded);
