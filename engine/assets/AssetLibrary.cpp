#include "assets/AssetLibrary.h"

#include <algorithm>
#include <cstring>
#include <filesystem>
#include <type_traits>

#include "tumbleway/NameField.h"
#include "win32/regular_file.h"

namespace {

// Walks a library for the entry of a tree item: entries passed over clear the
// library's current entry, the first match becomes it.
template <typename Entry>
Entry* findByItem(std::list<Entry>& library, HTREEITEM item, Entry** current) {
    for (auto& entry : library) {
        if (entry.item != item) {
            *current = nullptr;
            continue;
        }
        *current = &entry;
        return &entry;
    }
    return nullptr;
}

template <typename Entry>
Entry* entryOf(std::list<Entry>& library, HTREEITEM item) {
    for (auto& entry : library) {
        if (entry.item == item) {
            return &entry;
        }
    }
    return nullptr;
}

template <typename Entry>
void addNumbered(std::list<Entry>& library, Entry entry) {
    library.push_back(std::move(entry));
    std::int32_t id = 0;
    for (auto& element : library) {
        element.id = id++;
    }
}

} // namespace

bool AssetLibrary::resolve(const char* name, std::string* path) const {
    if (name == nullptr || *name == '\0' || std::strpbrk(name, "/\\") != nullptr) {
        return false;
    }
    std::vector<std::string> candidates = {m_root + "/data/" + name, m_root + "/" + name,
                                           std::string(name)};
    // Then the folders files were opened from and scenes were read in, so that a file
    // that opened is found again once the file dialogs have moved on.
    for (const std::string& folder : m_folders) {
        candidates.push_back(folder + "/" + name);
    }
    for (const std::string& candidate : candidates) {
        // Only regular files count: a FIFO would make the search wait for a writer.
        if (isReadableRegularFile(candidate.c_str())) {
            // Kept absolute: the mesh is loaded again from it on a new device, by which
            // time the current folder may be another.
            *path = std::filesystem::absolute(candidate).string();
            return true;
        }
    }
    return false;
}

void AssetLibrary::rememberFolder(const std::string& folder) {
    std::error_code error;
    if (folder.empty() || !std::filesystem::is_directory(folder, error) ||
        std::find(m_folders.begin(), m_folders.end(), folder) != m_folders.end()) {
        return;
    }
    m_folders.push_back(folder);
}

void AssetLibrary::rememberFolderOf(const LF_t& file) {
    const std::string path(nameFieldText(file.path));
    const auto slash = path.rfind('/');
    if (slash != std::string::npos) {
        rememberFolder(slash == 0 ? "/" : path.substr(0, slash));
    }
}

void AssetLibrary::add(XfileEntry entry) {
    addNumbered(xfileLibrary, std::move(entry));
}

void AssetLibrary::add(BitmapEntry entry) {
    addNumbered(bitmapLibrary, std::move(entry));
}

void AssetLibrary::add(SoundEntry entry) {
    addNumbered(soundLibrary, std::move(entry));
}

bool AssetLibrary::holds(HTREEITEM item) const {
    const auto has = [item](const auto& library) {
        return std::any_of(library.begin(), library.end(),
                           [item](const auto& entry) { return entry.item == item; });
    };
    return has(xfileLibrary) || has(bitmapLibrary) || has(soundLibrary);
}

bool AssetLibrary::remove(HTREEITEM item) {
    const auto remove = [item](auto& library, auto*... picks) {
        for (auto entry = library.begin(); entry != library.end(); ++entry) {
            if (entry->item != item) {
                continue;
            }
            // Every pointer to the entry is let go of before it goes.
            const auto letGo = [&entry](auto*& pick) {
                if (pick == &*entry) {
                    pick = nullptr;
                }
            };
            (letGo(*picks), ...);
            library.erase(entry);
            return true;
        }
        return false;
    };
    return remove(xfileLibrary, &m_currentXfile, &m_firstPick, &m_secondPick) ||
           remove(bitmapLibrary, &m_currentBitmap) || remove(soundLibrary, &m_currentSound);
}

void AssetLibrary::selectXfile(HTREEITEM item) {
    XfileEntry* entry = findByItem(xfileLibrary, item, &m_currentXfile);
    if (entry == nullptr) {
        return;
    }
    if (m_firstPick == nullptr) {
        m_firstPick = entry;
    } else if (m_secondPick == nullptr) {
        m_secondPick = entry;
    }
    m_currentBitmap = nullptr;
}

void AssetLibrary::selectBitmap(HTREEITEM item) {
    if (findByItem(bitmapLibrary, item, &m_currentBitmap) != nullptr) {
        m_currentXfile = nullptr;
    }
}

void AssetLibrary::selectSound(HTREEITEM item) {
    findByItem(soundLibrary, item, &m_currentSound);
}

bool AssetLibrary::setRelationPicks(HTREEITEM first, HTREEITEM second, HTREEITEM sound) {
    XfileEntry* firstEntry = entryOf(xfileLibrary, first);
    XfileEntry* secondEntry = second == nullptr ? nullptr : entryOf(xfileLibrary, second);
    SoundEntry* soundEntry = entryOf(soundLibrary, sound);
    if (firstEntry == nullptr || soundEntry == nullptr ||
        (second != nullptr && secondEntry == nullptr)) {
        return false;
    }
    m_firstPick = firstEntry;
    m_secondPick = secondEntry;
    m_currentSound = soundEntry;
    return true;
}

void AssetLibrary::clearRelationPicks() {
    m_firstPick = m_secondPick = nullptr;
    m_currentSound = nullptr;
}
