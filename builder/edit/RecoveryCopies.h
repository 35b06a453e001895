#pragma once

#include <QLockFile>
#include <QString>
#include <QStringList>

#include <memory>
#include <vector>

#include "edit/CourseSnapshot.h"

// Copies of unsaved courses, kept while the builder runs so that a crash costs at most
// the last half minute of work. Each running builder writes into a folder of its own
// under the user's data folder and holds a lock on it; a folder whose lock nobody
// holds was left by a builder that did not end cleanly. A clean end removes the folder.
class RecoveryCopies {
public:
    // One course to keep: its snapshot, its name in the tree and the scene file it was
    // opened from or saved to (empty for none).
    struct Course {
        QString name;
        QString file;
        CourseSnapshot snapshot;
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
        QStringList assetFolders; // where the courses' files were found
    };

    // root: where the folders go (by default the user's data folder of the program).
    explicit RecoveryCopies(QString root = defaultRoot());
    ~RecoveryCopies();
    RecoveryCopies(const RecoveryCopies&) = delete;
    RecoveryCopies& operator=(const RecoveryCopies&) = delete;

    static QString defaultRoot();
    // Seconds between a change and its copy; TUMBLEWAY_RECOVERY_SECONDS can shorten it.
    static int delaySeconds();

    // Replaces the copies with these courses (none: nothing is kept). False, with the
    // reason, when a copy could not be written; the earlier copies then stay.
    bool write(const std::vector<Course>& courses, const QStringList& assetFolders, QString* error);

    // Folders of builders that ended without cleaning up, oldest first.
    static std::vector<LeftBehind> leftBehind(const QString& root = defaultRoot());
    static void discard(const LeftBehind& left);

private:
    QString folder_;
    std::unique_ptr<QLockFile> lock_;
};
