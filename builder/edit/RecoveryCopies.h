#pragma once

#include <QCoreApplication>
#include <QLockFile>
#include <QString>
#include <QStringList>

#include <memory>
#include <vector>

#include "drive/CourseSnapshot.h"

// Copies of unsaved courses, kept while the builder runs so that a crash costs at most
// the last half minute of work. Each running builder writes into a folder of its own
// under the user's data folder, named by an id no other builder has, and holds a lock
// on it; a folder whose lock nobody holds was left by a builder that did not end
// cleanly. A clean end removes the folder.
//
// Besides the courses, a copy keeps what is needed to open them as they were: the
// files of the library and the folders files were opened from. A builder that restored
// a copy keeps these in its own copies, so that any number of crashes loses nothing.
class RecoveryCopies {
    Q_DECLARE_TR_FUNCTIONS(RecoveryCopies)

public:
    // One course to keep: its snapshot, its name in the tree and the scene file it was
    // opened from or saved to (empty for none).
    struct Course {
        QString name;
        QString file;
        CourseSnapshot snapshot;
    };
    // What else a copy keeps.
    struct Context {
        QStringList libraryFiles; // full paths, in the order they were opened
        QStringList assetFolders; // where the courses' files were found
    };
    // What a left folder holds, for restoring.
    struct Kept {
        QString scene; // the copy, an XML scene file
        QString name;
        QString file;
    };
    struct LeftBehind {
        QString folder;
        std::vector<Kept> courses;
        Context context;
        // Held while the folder is being offered, so that a second builder started at
        // the same time does not offer it too.
        std::shared_ptr<QLockFile> lock;
    };

    // root: where the folders go (by default the user's data folder of the program).
    explicit RecoveryCopies(QString root = defaultRoot());
    ~RecoveryCopies();
    RecoveryCopies(const RecoveryCopies&) = delete;
    RecoveryCopies& operator=(const RecoveryCopies&) = delete;

    static QString defaultRoot();
    // Seconds between a change and its copy; TUMBLEWAY_RECOVERY_SECONDS can shorten it.
    static int delaySeconds();

    // Why no copy can be kept (the folder cannot be made or locked); empty when copies
    // can be kept.
    const QString& problem() const { return problem_; }

    // Replaces the copies with these courses (none: nothing is kept). False, with the
    // reason, when a copy could not be written; the earlier copies then stay.
    bool write(const std::vector<Course>& courses, const Context& context, QString* error);

    // Folders of builders that ended without cleaning up, oldest first; each is locked
    // until the last LeftBehind naming it is gone. A folder in the way of the list is
    // named in *problem.
    static std::vector<LeftBehind> leftBehind(const QString& root = defaultRoot(),
                                              QString* problem = nullptr);
    static void discard(const LeftBehind& left);

private:
    bool prepareFolder();

    QString root_;
    QString folder_;
    QString problem_;
    std::unique_ptr<QLockFile> lock_;
};
