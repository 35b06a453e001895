#pragma once

#include <QtGlobal>

#include <cstdint>
#include <list>
#include <optional>
#include <string>

#include "tumbleway/tumbleway.h"

// What a tree item stands for. The four roots carry these values as their ids too.
enum class TreeKind : std::int32_t { Xfile = 1, Bitmap = 2, Sound = 3, Course = 4 };

// One item of the file tree. The id is also the item's user data, so a selection can
// be mapped back to its entry; level is 0 for a root, 1 for a file, and for a course
// the number used in its name.
struct FileTreeEntry {
    std::int32_t id = 0;
    HTREEITEM item = nullptr;
    TreeKind kind = TreeKind::Xfile;
    std::int32_t level = 0;
};

// The bookkeeping behind the tree of loaded files and courses: ids and names of new
// items. The widget itself lives in the form; this keeps the rules in one place.
class FileTreeEntries {
public:
    // The roots "X-file", "BMP", "Sound", "Course", in this order, ids 1 to 4.
    static constexpr const char* kRootNames[4] = {
        QT_TRANSLATE_NOOP("AppForm", "X-file"), QT_TRANSLATE_NOOP("AppForm", "BMP"),
        QT_TRANSLATE_NOOP("AppForm", "Sound"), QT_TRANSLATE_NOOP("AppForm", "Course")};

    void addRoot(TreeKind kind, HTREEITEM item);
    // The id the next item gets: one more than the id of the last entry.
    std::int32_t nextId() const;
    // The number of the next course item: the count of course entries so far, the
    // "Course" root included, so the first course is course1; after a course was
    // deleted, one past the highest number given.
    std::int32_t nextCourseNumber() const;
    static std::string courseName(std::int32_t number);

    // Records an item made with nextId() (and, for a course, nextCourseNumber()).
    const FileTreeEntry& add(TreeKind kind, HTREEITEM item, std::int32_t level);
    void remove(HTREEITEM item);

    std::optional<FileTreeEntry> findById(std::int32_t id) const;
    HTREEITEM root(TreeKind kind) const;
    const std::list<FileTreeEntry>& entries() const { return entries_; }

private:
    std::list<FileTreeEntry> entries_;
};
