#include "edit/EditRevisions.h"

int EditRevisions::current(HTREEITEM item) const {
    const auto found = current_.find(item);
    return found == current_.end() ? 0 : found->second;
}

int EditRevisions::advance(HTREEITEM item) {
    current_[item] = ++last_;
    return last_;
}

void EditRevisions::set(HTREEITEM item, int revision) {
    current_[item] = revision;
}

void EditRevisions::markSaved(HTREEITEM item) {
    saved_[item] = current(item);
}

void EditRevisions::markUnsaved(HTREEITEM item) {
    saved_[item] = kNeverSaved;
}

bool EditRevisions::isSaved(HTREEITEM item) const {
    const auto found = saved_.find(item);
    return found != saved_.end() && found->second == current(item);
}

void EditRevisions::forget(HTREEITEM item) {
    current_.erase(item);
    saved_.erase(item);
}
