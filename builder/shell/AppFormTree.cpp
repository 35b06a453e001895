// The form's tree of files and courses: choosing items, making and clearing courses,
// and what is placed on a course, listed under it, chosen and deleted.
#include <QLineEdit>
#include <QPushButton>
#include <QSignalBlocker>
#include <QTreeWidget>
#include <QUndoStack>

#include "shell/AppForm.h"
#include "shell/CourseWarning.h"
#include "shell/EditCommands.h"
#include "tumbleway/tumbleway_ext.h"

namespace {

QString courseText(const QTreeWidgetItem* item) {
    return item != nullptr ? item->text(0) : QString();
}

// Why the engine made no course of the points laid so far.
QString createRefusal(int laid) {
    if (laid == 0) {
        return AppForm::tr("No course created: click at least three points in the "
                           "MakeField view first.");
    }
    if (laid < 3) {
        return AppForm::tr("No course created: a course needs at least three points; "
                           "%1 laid.")
            .arg(laid);
    }
    return AppForm::tr("No course created: click a new point in MakeField first (create "
                       "takes the points laid since the last clear).");
}

} // namespace

QTreeWidgetItem* AppForm::insertTreeItem(TreeKind kind, const QString& text, std::int32_t level) {
    auto* root = reinterpret_cast<QTreeWidgetItem*>(entries_.root(kind));
    const std::int32_t id = entries_.nextId();
    auto* item = new QTreeWidgetItem(root, {text});
    item->setData(0, Qt::UserRole, id);
    entries_.add(kind, handleOf(item), level);
    root->setExpanded(true);
    return item;
}

LSession_t* AppForm::courseEntryOf(QTreeWidgetItem* item) {
    for (auto& course : courses_) {
        if (course.item == handleOf(item)) {
            return &course;
        }
    }
    return nullptr;
}

void AppForm::showChosen(QTreeWidgetItem* item) {
    const QSignalBlocker blocker(tree_);
    tree_->setCurrentItem(item);
    updateDeleteButton();
}

void AppForm::onTreeSelectionChanged() {
    updateDeleteButton();
    const QList<QTreeWidgetItem*> selected = tree_->selectedItems();
    if (selected.isEmpty()) {
        return;
    }
    QTreeWidgetItem* item = selected.front();
    if (const auto child = courseChildOf(item)) {
        onCourseChildChosen(item, *child);
        return;
    }
    const HTREEITEM handle = handleOf(item);
    const auto entry = entries_.findById(item->data(0, Qt::UserRole).toInt());
    if (!entry) {
        return;
    }
    const auto find = [item](std::list<FileEntry>& files) -> FileEntry* {
        for (auto& file : files) {
            if (file.item == item) {
                return &file;
            }
        }
        return nullptr;
    };
    switch (entry->kind) {
    case TreeKind::Xfile: {
        currentXfile_ = find(xfiles_);
        engineCall([handle] { xll_setListXfile(handle); });
        if (currentXfile_ != nullptr) {
            // As in the engine: what is placed next is the one chosen last.
            currentBitmap_ = nullptr;
            if (!checked_[0] && !checked_[1]) {
                xfile1Pick_ = currentXfile_;
                edits_[0]->setText(QString::fromStdString(currentXfile_->name));
            } else if (checked_[0] && !checked_[1]) {
                xfile2Pick_ = currentXfile_;
                edits_[1]->setText(QString::fromStdString(currentXfile_->name));
            }
        }
        break;
    }
    case TreeKind::Bitmap:
        currentBitmap_ = find(bitmaps_);
        engineCall([handle] { xll_setListBmp(handle); });
        if (currentBitmap_ != nullptr) {
            currentXfile_ = nullptr;
        }
        break;
    case TreeKind::Sound:
        currentSound_ = find(sounds_);
        if (currentSound_ != nullptr) {
            soundPick_ = currentSound_;
            edits_[2]->setText(QString::fromStdString(currentSound_->name));
        }
        engineCall([handle] { xll_setListSound(handle); });
        break;
    case TreeKind::Course:
        currentCourse_ = courseEntryOf(item);
        engineCall([handle] { xll_setListCourse(handle); });
        refreshCurrentCourseChildren();
        emit sceneStateChanged();
        break;
    }
}

HTREEITEM AppForm::engineCurrentCourse() {
    HTREEITEM current = nullptr;
    engineCall([&] { twx_current_course(&current); });
    return current;
}

void AppForm::makeCurrentCourse(HTREEITEM item, Camera camera) {
    auto* courseItem = reinterpret_cast<QTreeWidgetItem*>(item);
    LSession_t* entry = item == nullptr ? nullptr : courseEntryOf(courseItem);
    if (entry == nullptr) {
        currentCourse_ = nullptr;
        emit sceneStateChanged();
        return;
    }
    if (entry != currentCourse_ || engineCurrentCourse() != item) {
        currentCourse_ = entry;
        engineCall([item, camera] {
            camera == Camera::ToCourseStart ? xll_setListCourse(item)
                                            : (void)twx_make_course_current(item);
        });
    }
    showChosen(courseItem);
    emit sceneStateChanged();
}

void AppForm::onCourseChildChosen(QTreeWidgetItem* item, const CourseChild& child) {
    if (courseEntryOf(item->parent()) != currentCourse_ ||
        engineCurrentCourse() != handleOf(item->parent())) {
        currentCourse_ = courseEntryOf(item->parent());
        engineCall([item] { xll_setListCourse(handleOf(item->parent())); });
        emit sceneStateChanged();
    }
    if (child.kind != CourseChildKind::PlacedMesh) {
        return;
    }
    // A placed mesh chosen in the tree is the one the arrow keys drive and the height
    // and orientation dialog adjusts.
    int result = TWX_OK;
    engineCall([&] { result = twx_set_controlled_mesh(child.index); });
    if (result == TWX_OK) {
        emit statusMessage(tr("%1 answers the arrow keys in Play.").arg(item->text(0)));
    }
}

void AppForm::onCreateCourse() {
    int laid = 0;
    engineCall([&] { laid = twx_working_point_count(); });
    const std::int32_t number = entries_.nextCourseNumber();
    QTreeWidgetItem* item = insertTreeItem(
        TreeKind::Course, QString::fromStdString(FileTreeEntries::courseName(number)), number);
    LSession_t* previous = currentCourse_;
    LSession_t entry;
    entry.item = handleOf(item);
    courses_.push_back(entry);
    const auto renumber = [this] {
        std::int32_t n = 1;
        for (auto& course : courses_) {
            course.number = n++;
        }
    };
    renumber();
    currentCourse_ = &courses_.back();
    long result = 0;
    engineCall([&] { result = xll_OnButtonCreateCourse(handleOf(item)); });
    if (result < 0) {
        // A refused create leaves no trace: no tree item, no entry, the same current course.
        entries_.remove(handleOf(item));
        delete item;
        courses_.pop_back();
        renumber();
        currentCourse_ = previous;
        emit statusMessage(createRefusal(laid));
        return;
    }
    showChosen(item);
    CourseSnapshot made;
    int position = 0;
    engineCall([&] {
        made = takeCourseSnapshot(handleOf(item));
        position = twx_course_position(handleOf(item));
    });
    history_->push(std::make_unique<CourseComesOrGoes>(*this, tr("create %1").arg(item->text(0)),
                                                       CourseComesOrGoes::Change::Added,
                                                       std::move(made), position, true)
                       .release());
    courseChanged(handleOf(item));
    emit sceneStateChanged();
    // Create without new points copies the last course's points, which is useful but
    // would look like a mistake if nothing said so.
    const QString outcome =
        laid == pointsAtLastCreate_
            ? tr("%1: a copy of %2's points").arg(item->text(0), lastCreatedName_)
            : tr("%1 created from %2 points.").arg(item->text(0)).arg(laid);
    // A course the checker finds wrong is said so in a few words; the whole of what it
    // found would not fit the status bar.
    TwxCourseCheck check{};
    int found = 0;
    engineCall([&] { found = twx_check_course(&check, nullptr, 0); });
    const QString headline = found > 0 ? courseCheckHeadline(check) : QString();
    emit statusMessage(
        headline.isEmpty() ? outcome : tr("%1: %2; see Course check").arg(item->text(0), headline));
    pointsAtLastCreate_ = laid;
    lastCreatedName_ = item->text(0);
    // The points are kept in the course now.
    revisions_.markSaved(EditRevisions::kLaidPoints);
    updateModified();
}

void AppForm::onClear() {
    recordPointsEdit(tr("clear"), [this] { engineCall([] { xll_OnButtonClearCourse(); }); });
    currentCourse_ = nullptr;
    pointsAtLastCreate_ = -1;
    {
        // Nothing is chosen any more; a course left marked could not be chosen again.
        const QSignalBlocker quiet(tree_);
        tree_->setCurrentItem(nullptr);
        tree_->clearSelection();
    }
    updateDeleteButton();
    emit sceneStateChanged();
    emit statusMessage(tr("Cleared: lay new points in MakeField, or choose a course."));
}

void AppForm::updateDeleteButton() {
    QTreeWidgetItem* item = tree_->currentItem();
    const bool deletable =
        item != nullptr && (courseChildOf(item).has_value() || courseEntryOf(item) != nullptr);
    button(kDeleteButton)->setEnabled(deletable);
}

void AppForm::onDelete() {
    QTreeWidgetItem* item = tree_->currentItem();
    if (item == nullptr) {
        return;
    }
    if (const auto child = courseChildOf(item)) {
        QTreeWidgetItem* course = item->parent();
        const QString what = item->text(0);
        if (engineCurrentCourse() != handleOf(course)) {
            makeCurrentCourse(handleOf(course));
        }
        int result = TWX_OK;
        recordCourseEdit(tr("delete %1").arg(what), [&] {
            engineCall([&] {
                switch (child->kind) {
                case CourseChildKind::PlacedMesh:
                    result = twx_delete_mesh(child->index);
                    break;
                case CourseChildKind::PlacedBitmap:
                    result = twx_delete_bitmap(child->index);
                    break;
                case CourseChildKind::Relation:
                    result = twx_delete_relation(child->index);
                    break;
                }
            });
        });
        showChosen(course);
        if (result == TWX_OK) {
            emit statusMessage(tr("Deleted %1 from %2.").arg(what, courseText(course)));
        }
        return;
    }
    LSession_t* entry = courseEntryOf(item);
    if (entry == nullptr) {
        return;
    }
    const QString name = item->text(0);
    if (confirm_ && !confirm_(tr("Delete %1 and everything placed on it?").arg(name))) {
        return;
    }
    // The step itself takes the course away; undo brings it back where it was.
    CourseSnapshot course;
    int position = 0;
    engineCall([&] {
        course = takeCourseSnapshot(handleOf(item));
        position = twx_course_position(handleOf(item));
    });
    const bool wasCurrent = engineCurrentCourse() == handleOf(item);
    history_->push(std::make_unique<CourseComesOrGoes>(*this, tr("delete %1").arg(name),
                                                       CourseComesOrGoes::Change::Removed,
                                                       std::move(course), position, wasCurrent)
                       .release());
    updateDeleteButton();
    emit statusMessage(tr("Deleted %1.").arg(name));
}

void AppForm::refreshCourseChildren(HTREEITEM course) {
    auto* item = reinterpret_cast<QTreeWidgetItem*>(course);
    if (course == nullptr || courseEntryOf(item) == nullptr) {
        return;
    }
    LSession_t session;
    bool found = false;
    engineCall([&] { found = twx_get_course(course, &session) >= 0; });
    if (controlledItem_ != nullptr && controlledItem_->parent() == item) {
        controlledItem_ = nullptr; // it goes with the children made anew below
    }
    {
        const QSignalBlocker blocker(tree_);
        // The course stays open or closed as the user left it: opening it here moved
        // the rows under the mouse that had just chosen it.
        fillCourseChildren(item, session);
        if (const MissingAssets* missing = missingAssets(course)) {
            addMissingChildren(item, *missing);
        }
    }
    if (found) {
        engineCall([&] { xll_app_delete_Session_Iterator(&session); });
    }
    controlledKnown_ = false; // the items were made anew
    updateControlled();
}

void AppForm::refreshCurrentCourseChildren() {
    refreshCourseChildren(engineCurrentCourse());
}

void AppForm::updateControlled() {
    HTREEITEM course = nullptr;
    const int index = twx_current_course(&course) == TWX_OK ? twx_controlled_mesh() : -1;
    QTreeWidgetItem* controlled = nullptr;
    if (index >= 0 && courseEntryOf(reinterpret_cast<QTreeWidgetItem*>(course)) != nullptr) {
        auto* courseItem = reinterpret_cast<QTreeWidgetItem*>(course);
        for (int i = 0; i < courseItem->childCount(); ++i) {
            const auto child = courseChildOf(courseItem->child(i));
            if (child && child->kind == CourseChildKind::PlacedMesh && child->index == index) {
                controlled = courseItem->child(i);
                break;
            }
        }
    }
    if (controlledKnown_ && controlled == controlledItem_) {
        return;
    }
    // The controlled mesh is shown in bold in the tree and named in the status bar.
    const auto setBold = [](QTreeWidgetItem* item, bool bold) {
        QFont font = item->font(0);
        font.setBold(bold);
        item->setFont(0, font);
    };
    // The item shown bold before is never one that is gone (see where items are made
    // anew or deleted), so it can be shown plain whichever course it is under.
    if (controlledItem_ != nullptr && controlledItem_ != controlled) {
        setBold(controlledItem_, false);
    }
    if (controlled != nullptr) {
        setBold(controlled, true);
    }
    controlledItem_ = controlled;
    controlledKnown_ = true;
    emit controlledChanged(controlled != nullptr ? controlled->text(0) : QString());
}
