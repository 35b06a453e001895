#pragma once

#include <QUndoCommand>

#include "drive/CourseSnapshot.h"
#include "tumbleway/tumbleway.h"

class AppForm;

// The steps of the builder's undo history. Each is pushed once its edit is done, so
// the first redo does nothing; undo and redo then put the scene back as it was before
// and after the edit, in the engine and in the form.

// An edit inside one course: placing, moving, adjusting or deleting what is on it, its
// sound relations, its points.
class CourseEdit : public QUndoCommand {
public:
    // Undo and redo put back what the edit changed; what the player drove on meanwhile
    // and the edit did not touch stays where it went.
    CourseEdit(AppForm& form, const QString& text, CourseSnapshot before, CourseSnapshot after);
    void undo() override;
    void redo() override;

private:
    // Puts the course back as `state` holds it, but for what Play moved that the edit
    // did not (`other`: the edit's other side).
    void putBack(const CourseSnapshot& state, const CourseSnapshot& other);

    AppForm& form_;
    CourseSnapshot before_;
    CourseSnapshot after_;
    // The course's revisions before and after the edit (see EditRevisions).
    int revisionBefore_;
    int revisionAfter_;
    bool done_ = false;
};

// A course that came (created, opened) or went (deleted) with the step. The course's
// tree item stays in the tree, hidden while the course is not in the scene.
class CourseComesOrGoes : public QUndoCommand {
public:
    enum class Change { Added, Removed };
    CourseComesOrGoes(AppForm& form, const QString& text, Change change, CourseSnapshot course,
                      int position, bool wasCurrent);
    ~CourseComesOrGoes() override;
    void undo() override;
    void redo() override;

private:
    void bringBack();
    void takeAway();

    AppForm& form_;
    Change change_;
    CourseSnapshot course_;
    int position_;
    bool wasCurrent_;
    bool inScene_;
    bool done_ = false;
};

// A file opened into the library. Its tree item stays, hidden while it is undone.
class FileOpened : public QUndoCommand {
public:
    FileOpened(AppForm& form, const QString& text, const LF_t& file, HTREEITEM item);
    ~FileOpened() override;
    void undo() override;
    void redo() override;

private:
    AppForm& form_;
    LF_t file_;
    HTREEITEM item_;
    bool inLibrary_ = true;
    bool done_ = false;
};

// The points being laid, and which course is current (clear leaves none).
struct LaidPoints {
    LSession_t points;
    HTREEITEM current = nullptr;
};
LaidPoints takeLaidPoints();

class LaidPointsEdit : public QUndoCommand {
public:
    LaidPointsEdit(AppForm& form, const QString& text, LaidPoints before, LaidPoints after);
    void undo() override;
    void redo() override;

private:
    AppForm& form_;
    LaidPoints before_;
    LaidPoints after_;
    int revisionBefore_;
    int revisionAfter_;
    bool done_ = false;
};
