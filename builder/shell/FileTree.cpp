#include "shell/FileTree.h"

#include <algorithm>

void FileTreeEntries::addRoot(TreeKind kind, HTREEITEM item) {
    entries_.push_back({static_cast<std::int32_t>(kind), item, kind, 0});
}

std::int32_t FileTreeEntries::nextId() const {
    return entries_.empty() ? 1 : entries_.back().id + 1;
}

std::int32_t FileTreeEntries::nextCourseNumber() const {
    // One past the highest number given, which is the count of course entries (the
    // root counts as 0) until a course is deleted; a deleted course's number is not
    // given again, so two courses never share a name.
    std::int32_t highest = -1;
    for (const FileTreeEntry& e : entries_) {
        if (e.kind == TreeKind::Course) {
            highest = std::max(highest, e.level);
        }
    }
    return highest + 1;
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
