#include "shell/FileTree.h"

#include <algorithm>

void FileTreeEntries::addRoot(TreeKind kind, HTREEITEM item) {
    entries_.push_back({static_cast<std::int32_t>(kind), item, kind, 0});
}

std::int32_t FileTreeEntries::nextId() const {
    return entries_.empty() ? 1 : entries_.back().id + 1;
}

std::int32_t FileTreeEntries::nextCourseNumber() const {
    return static_cast<std::int32_t>(
        std::count_if(entries_.begin(), entries_.end(),
                      [](const FileTreeEntry& e) { return e.kind == TreeKind::Course; }));
}

std::string FileTreeEntries::courseName(std::int32_t number) {
    return "course" + std::to_string(number);
}

const FileTreeEntry& FileTreeEntries::add(TreeKind kind, HTREEITEM item, std::int32_t level) {
    entries_.push_back({nextId(), item, kind, level});
    return entries_.back();
}

void FileTreeEntries::remove(HTREEITEM item) {
    entries_.remove_if([item](const FileTreeEntry& e) { return e.item == item; });
}

std::optional<FileTreeEntry> FileTreeEntries::findById(std::int32_t id) const {
    const auto it = std::find_if(entries_.begin(), entries_.end(),
                                 [id](const FileTreeEntry& e) { return e.id == id; });
    if (it == entries_.end()) {
        return std::nullopt;
    }
    return *it;
}

HTREEITEM FileTreeEntries::root(TreeKind kind) const {
    for (const auto& e : entries_) {
        if (e.kind == kind && e.level == 0) {
            return e.item;
        }
    }
    return nullptr;
}
