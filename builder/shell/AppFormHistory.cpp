// The form's history of edits: steps recorded as the user edits, what undo and redo do
// to the tree and the form, and which courses hold changes no file has seen.
#include <QFileInfo>
#include <QTreeWidget>
#include <QUndoStack>

#include <algorithm>

#include "shell/AppForm.h"
#include "shell/EditCommands.h"
#include "tumbleway/tumbleway_ext.h"

bool AppForm::recordCourseEdit(const QString& text, const std::function<void()>& edit) {
    const HTREEITEM course = engineCurrentCourse();
    if (course == nullptr) {
        edit();
        return false;
    }
    CourseSnapshot before;
    engineCall([&] { before = takeCourseSnapshot(course); });
    edit();
    CourseSnapshot after;
    engineCall([&] { after = takeCourseSnapshot(course); });
    if (after.item == nullptr) {
        return false; // the edit took the course away
    }
    // An edit that changed nothing (a click beside every object) is no step.
    if (before.controlled == after.controlled && before.text() == after.text()) {
        return false;
    }
    history_->push(
        std::make_unique<CourseEdit>(*this, text, std::move(before), std::move(after)).release());
    courseChanged(course);
    return true;
}

void AppForm::recordPointsEdit(const QString& text, const std::function<void()>& edit) {
    LaidPoints before;
    engineCall([&] { before = takeLaidPoints(); });
    edit();
    LaidPoints after;
    engineCall([&] { after = takeLaidPoints(); });
    const auto same = [](const std::list<LPoint_t>& a, const std::list<LPoint_t>& b) {
        return std::equal(a.begin(), a.end(), b.begin(), b.end(),
                          [](const LPoint_t& p, const LPoint_t& q) {
                              return p.x == q.x && p.y == q.y && p.z == q.z && p.pitch == q.pitch;
                          });
    };
    if (before.current == after.current &&
        same(before.points.dottedPoints, after.points.dottedPoints) &&
        same(before.points.calculatedPoints, after.points.calculatedPoints)) {
        return;
    }
    history_->push(
        std::make_unique<LaidPointsEdit>(*this, text, std::move(before), std::move(after))
            .release());
    laidPointsChanged();
}

void AppForm::courseChanged(HTREEITEM item) {
    refreshCourseChildren(item);
    updateModified();
}

void AppForm::showCourse(HTREEITEM item, bool inScene) {
    auto* course = reinterpret_cast<QTreeWidgetItem*>(item);
    const QSignalBlocker blocker(tree_);
    course->setHidden(!inScene);
    if (!inScene) {
        if (currentCourse_ != nullptr && currentCourse_->item == item) {
            currentCourse_ = nullptr;
        }
        QTreeWidgetItem* chosen = tree_->currentItem();
        if (chosen != nullptr && (chosen == course || chosen->parent() == course)) {
            tree_->setCurrentItem(nullptr);
        }
        controlledKnown_ = false; // its bold child may be gone from sight
    }
    updateDeleteButton();
    updateModified();
}

void AppForm::showLibraryFile(HTREEITEM item, bool inLibrary) {
    auto* file = reinterpret_cast<QTreeWidgetItem*>(item);
    const QSignalBlocker blocker(tree_);
    file->setHidden(!inLibrary);
    if (inLibrary) {
        return;
    }
    // Nothing the form holds may still choose the file.
    for (FileEntry** chosen : {&currentXfile_, &currentBitmap_, &currentSound_, &xfile1Pick_,
                               &xfile2Pick_, &soundPick_}) {
        if (*chosen != nullptr && (*chosen)->item == file) {
            *chosen = nullptr;
        }
    }
    if (tree_->currentItem() == file) {
        tree_->setCurrentItem(nullptr);
    }
}

void AppForm::forgetItem(HTREEITEM item) {
    auto* treeItem = reinterpret_cast<QTreeWidgetItem*>(item);
    courses_.remove_if([item](const LSession_t& course) { return course.item == item; });
    for (std::list<FileEntry>* files : {&xfiles_, &bitmaps_, &sounds_}) {
        files->remove_if([treeItem](const FileEntry& file) { return file.item == treeItem; });
    }
    entries_.remove(item);
    revisions_.forget(item);
    courseFiles_.erase(item);
    missing_.erase(item);
    if (controlledItem_ != nullptr &&
        (controlledItem_ == treeItem || controlledItem_->parent() == treeItem)) {
        controlledItem_ = nullptr; // gone with the item
        controlledKnown_ = false;
    }
    const QSignalBlocker blocker(tree_);
    delete treeItem;
}

void AppForm::courseSaved(HTREEITEM item, const QString& file) {
    if (item == nullptr) {
        return;
    }
    revisions_.markSaved(item);
    if (!file.isEmpty()) {
        courseFiles_[item] = file;
    }
    updateModified();
    // The scene's name may have changed even when its unsaved state did not.
    emit sceneStateChanged();
}

void AppForm::updateModified() {
    std::vector<HTREEITEM> modified;
    for (const LSession_t& course : courses_) {
        if (reinterpret_cast<QTreeWidgetItem*>(course.item)->isHidden()) {
            continue;
        }
        if (!revisions_.isSaved(course.item)) {
            modified.push_back(course.item);
        }
    }
    int laid = 0;
    engineCall([&] { laid = twx_working_point_count(); });
    const bool unsavedPoints = laid > 0 && !revisions_.isSaved(EditRevisions::kLaidPoints);
    if (modified != modifiedCourses_ || unsavedPoints != unsavedPoints_) {
        modifiedCourses_ = std::move(modified);
        unsavedPoints_ = unsavedPoints;
        emit sceneStateChanged();
    }
}

void AppForm::discardUnsavedState() {
    for (HTREEITEM item : modifiedCourses_) {
        revisions_.markSaved(item);
    }
    revisions_.markSaved(EditRevisions::kLaidPoints);
    updateModified();
}

QString AppForm::sceneName() const {
    if (currentCourse_ == nullptr) {
        return {};
    }
    const auto file = courseFiles_.find(currentCourse_->item);
    if (file != courseFiles_.end()) {
        return QFileInfo(file->second).fileName();
    }
    return reinterpret_cast<QTreeWidgetItem*>(currentCourse_->item)->text(0);
}

std::vector<AppForm::CourseFile> AppForm::modifiedCourses() const {
    std::vector<CourseFile> courses;
    for (HTREEITEM item : modifiedCourses_) {
        const auto file = courseFiles_.find(item);
        courses.push_back({item, reinterpret_cast<QTreeWidgetItem*>(item)->text(0),
                           file != courseFiles_.end() ? file->second : QString()});
    }
    return courses;
}

void AppForm::markRecovered(const QString& file) {
    if (currentCourse_ == nullptr) {
        return;
    }
    revisions_.markUnsaved(currentCourse_->item);
    if (file.isEmpty()) {
        courseFiles_.erase(currentCourse_->item);
    } else {
        courseFiles_[currentCourse_->item] = file;
    }
    updateModified();
    emit sceneStateChanged();
}
