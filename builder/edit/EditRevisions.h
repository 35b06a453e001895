#pragma once

#include <map>

#include "tumbleway/tumbleway.h"

// Which state of each course the scene is in, as the history of edits numbers them:
// every edit step gives its course a new revision, and undo and redo put back the
// revision the step left or found. A course is saved when its revision is the one its
// file was last written or read at, so driving it, or undoing and redoing back to the
// save, is no change; only edits are. The points being laid are kept under the null
// item, and count as "saved" once a course was made of them.
class EditRevisions {
public:
    // The null item: the points being laid.
    static constexpr HTREEITEM kLaidPoints = nullptr;

    int current(HTREEITEM item) const;
    // A new revision for the item, now its current one; answers it.
    int advance(HTREEITEM item);
    void set(HTREEITEM item, int revision);

    // The item as it is now is what its file holds (or, for the points, what a course
    // was made of).
    void markSaved(HTREEITEM item);
    // The item holds work no file has: unsaved until the next save.
    void markUnsaved(HTREEITEM item);
    bool isSaved(HTREEITEM item) const;
    void forget(HTREEITEM item);

private:
    static constexpr int kNeverSaved = -1;
    int last_ = 0;
    std::map<HTREEITEM, int> current_;
    std::map<HTREEITEM, int> saved_;
};
