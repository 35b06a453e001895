#include "win32/resources.h"

#include <algorithm>
#include <cctype>
#include <list>
#include <mutex>
#include <string>
#include <vector>

struct HRSRC__ {
    std::string type;
    std::string name;
    std::vector<BYTE> bytes;
};

namespace {

struct Table {
    std::mutex mutex;
    // A list keeps every entry at a fixed address for the handles handed out.
    std::list<HRSRC__> entries;
};

Table& table() {
    static Table instance;
    return instance;
}

std::string upper(std::string_view text) {
    std::string result(text);
    std::transform(result.begin(), result.end(), result.begin(),
                   [](unsigned char c) { return static_cast<char>(std::toupper(c)); });
    return result;
}

std::list<HRSRC__>::iterator findEntry(Table& t, const std::string& type, const std::string& name) {
    return std::find_if(t.entries.begin(), t.entries.end(), [&](const HRSRC__& entry) {
        return entry.type == type && entry.name == name;
    });
}

bool known(Table& t, const void* entry) {
    return std::any_of(t.entries.begin(), t.entries.end(),
                       [&](const HRSRC__& e) { return &e == entry; });
}

} // namespace

void RegisterResource(std::string_view type, std::string_view name, const void* bytes, DWORD size) {
    HRSRC__ entry{upper(type), upper(name), {}};
    if (bytes != nullptr) {
        const auto* first = static_cast<const BYTE*>(bytes);
        entry.bytes.assign(first, first + size);
    }
    auto& t = table();
    std::lock_guard lock(t.mutex);
    const auto it = findEntry(t, entry.type, entry.name);
    if (it != t.entries.end()) {
        t.entries.erase(it);
    }
    t.entries.push_back(std::move(entry));
}

bool UnregisterResource(std::string_view type, std::string_view name) {
    auto& t = table();
    std::lock_guard lock(t.mutex);
    const auto it = findEntry(t, upper(type), upper(name));
    if (it == t.entries.end()) {
        return false;
    }
    t.entries.erase(it);
    return true;
}

void ClearResources() {
    auto& t = table();
    std::lock_guard lock(t.mutex);
    t.entries.clear();
}

HRSRC FindResourceA(HMODULE /*module*/, const char* name, const char* type) {
    if (name == nullptr || type == nullptr) {
        return nullptr;
    }
    auto& t = table();
    std::lock_guard lock(t.mutex);
    const auto it = findEntry(t, upper(type), upper(name));
    return it == t.entries.end() ? nullptr : &*it;
}

// A loaded resource is its entry: the bytes stay where they are for as long as the
// entry is registered.
HGLOBAL LoadResource(HMODULE /*module*/, HRSRC resource) {
    auto& t = table();
    std::lock_guard lock(t.mutex);
    return known(t, resource) ? static_cast<HGLOBAL>(resource) : nullptr;
}

DWORD SizeofResource(HMODULE /*module*/, HRSRC resource) {
    auto& t = table();
    std::lock_guard lock(t.mutex);
    return known(t, resource) ? static_cast<DWORD>(resource->bytes.size()) : 0;
}

void* LockResource(HGLOBAL loaded) {
    auto& t = table();
    std::lock_guard lock(t.mutex);
    if (!known(t, loaded)) {
        return nullptr;
    }
    auto* entry = static_cast<HRSRC__*>(loaded);
    return entry->bytes.empty() ? nullptr : entry->bytes.data();
}
