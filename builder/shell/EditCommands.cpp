#include "shell/EditCommands.h"

#include "shell/AppForm.h"
#include "shell/FileNames.h"
#include "tumbleway/NameField.h"
#include "tumbleway/tumbleway_ext.h"

// ---- CourseEdit ----

CourseEdit::CourseEdit(AppForm& form, const QString& text, CourseSnapshot before,
                       CourseSnapshot after)
    : QUndoCommand(text), form_(form), before_(std::move(before)), after_(std::move(after)),
      revisionBefore_(form.revisions().current(before_.item)),
      revisionAfter_(form.revisions().advance(before_.item)) {}

void CourseEdit::putBack(const CourseSnapshot& state, const CourseSnapshot& other) {
    RenderHost::EngineScope scope(form_.host());
    putCourseSnapshot(keepPlayedPlaces(state, other, takeCourseSnapshot(state.item)), true);
}

void CourseEdit::undo() {
    putBack(before_, after_);
    form_.revisions().set(before_.item, revisionBefore_);
    form_.courseChanged(before_.item);
}

void CourseEdit::redo() {
    if (!done_) {
        done_ = true; // the edit itself made the after state
        return;
    }
    putBack(after_, before_);
    form_.revisions().set(after_.item, revisionAfter_);
    form_.courseChanged(after_.item);
}

// ---- CourseComesOrGoes ----

CourseComesOrGoes::CourseComesOrGoes(AppForm& form, const QString& text, Change change,
                                     CourseSnapshot course, int position, bool wasCurrent)
    : QUndoCommand(text), form_(form), change_(change), course_(std::move(course)),
      position_(position), wasCurrent_(wasCurrent), inScene_(change == Change::Added) {}

CourseComesOrGoes::~CourseComesOrGoes() {
    // A course that is out of the scene when its step is forgotten is gone for good.
    if (!inScene_) {
        form_.forgetItem(course_.item);
    }
}

void CourseComesOrGoes::bringBack() {
    {
        RenderHost::EngineScope scope(form_.host());
        putCourseSnapshot(course_, false, position_);
    }
    inScene_ = true;
    form_.showCourse(course_.item, true);
    if (wasCurrent_) {
        form_.makeCurrentCourse(course_.item, AppForm::Camera::StaysPut);
        RenderHost::EngineScope scope(form_.host());
        twx_set_controlled_mesh(course_.controlled);
    }
    form_.courseChanged(course_.item);
}

void CourseComesOrGoes::takeAway() {
    {
        RenderHost::EngineScope scope(form_.host());
        twx_delete_course(course_.item);
    }
    inScene_ = false;
    form_.showCourse(course_.item, false);
}

void CourseComesOrGoes::undo() {
    change_ == Change::Added ? takeAway() : bringBack();
}

void CourseComesOrGoes::redo() {
    if (!done_) {
        done_ = true;
        if (change_ == Change::Removed) {
            takeAway(); // a deletion is done by its step
        }
        return;
    }
    change_ == Change::Added ? bringBack() : takeAway();
}

// ---- FileOpened ----

FileOpened::FileOpened(AppForm& form, const QString& text, const LF_t& file, HTREEITEM item)
    : QUndoCommand(text), form_(form), file_(file), item_(item) {}

FileOpened::~FileOpened() {
    if (!inLibrary_) {
        form_.forgetItem(item_);
    }
}

void FileOpened::undo() {
    {
        RenderHost::EngineScope scope(form_.host());
        twx_library_remove(item_);
    }
    inLibrary_ = false;
    form_.showLibraryFile(item_, false);
}

void FileOpened::redo() {
    if (!done_) {
        done_ = true;
        return;
    }
    {
        RenderHost::EngineScope scope(form_.host());
        LF_t file = file_;
        HTREEITEM item = item_;
        switch (openActionForExtension(nameFieldText(file.ext))) {
        case OpenAction::AddXfile:
            xll_ui_push_xfile(&file, &item);
            break;
        case OpenAction::AddBitmap:
            xll_ui_push_bmp(&file, &item);
            break;
        default:
            xll_ui_push_wav(&file, &item);
            break;
        }
    }
    inLibrary_ = true;
    form_.showLibraryFile(item_, true);
}

// ---- LaidPointsEdit ----

LaidPoints takeLaidPoints() {
    LaidPoints laid;
    LSession_t filled;
    twx_get_working_points(&filled);
    laid.points = filled;
    xll_app_delete_Session_Iterator(&filled);
    twx_current_course(&laid.current);
    return laid;
}

namespace {

void putLaidPoints(AppForm& form, const LaidPoints& laid) {
    HTREEITEM current = nullptr;
    {
        RenderHost::EngineScope scope(form.host());
        twx_current_course(&current);
    }
    if (current != laid.current) {
        if (laid.current == nullptr) {
            RenderHost::EngineScope scope(form.host());
            xll_OnButtonClearCourse();
        }
        form.makeCurrentCourse(laid.current, AppForm::Camera::StaysPut);
    }
    RenderHost::EngineScope scope(form.host());
    twx_set_working_points(&laid.points);
}

} // namespace

LaidPointsEdit::LaidPointsEdit(AppForm& form, const QString& text, LaidPoints before,
                               LaidPoints after)
    : QUndoCommand(text), form_(form), before_(std::move(before)), after_(std::move(after)),
      revisionBefore_(form.revisions().current(EditRevisions::kLaidPoints)),
      revisionAfter_(form.revisions().advance(EditRevisions::kLaidPoints)) {}

void LaidPointsEdit::undo() {
    putLaidPoints(form_, before_);
    form_.revisions().set(EditRevisions::kLaidPoints, revisionBefore_);
    form_.laidPointsChanged();
}

void LaidPointsEdit::redo() {
    if (!done_) {
        done_ = true;
        return;
    }
    putLaidPoints(form_, after_);
    form_.revisions().set(EditRevisions::kLaidPoints, revisionAfter_);
    form_.laidPointsChanged();
}
