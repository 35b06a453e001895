// The form's file commands: files opened into the library, scenes opened as courses,
// and the current course saved in either scene format.
#include <QDir>

#include <QFileInfo>
#include <QTreeWidget>
#include <QUndoStack>
#include <algorithm>

#include "edit/EditCommands.h"
#include "files/SessionFileIO.h"
#include "files/SimulationFile.h"
#include "shell/AppForm.h"
#include "tumbleway/NameField.h"
#include "tumbleway/tumbleway_ext.h"

namespace {

// Whether the engine has a current course, and the record of it when it has.
bool currentCourseRecord(LSession_t& session) {
    HTREEITEM item = nullptr;
    if (twx_current_course(&item) != TWX_OK) {
        return false;
    }
    xll_app_get_Session_Iterator(&session);
    return true;
}

// What each placed mesh of the current course carries beyond the record.
SceneExtras currentExtras() {
    HTREEITEM item = nullptr;
    twx_current_course(&item);
    return takeCourseSnapshot(item).extras;
}

// The files a scene names that will not be found when it is opened again: a scene
// finds its files beside it, or in the data folders of the program.
QStringList filesNotBeside(const LSession_t& session, const QString& folder,
                           const QString& startFolder) {
    QStringList names;
    const auto add = [&names](const char(&field)[kNameFieldSize]) {
        const std::string_view name = nameFieldText(field);
        const QString text = QString::fromUtf8(name.data(), static_cast<qsizetype>(name.size()));
        if (!text.isEmpty() && !names.contains(text)) {
            names << text;
        }
    };
    for (const SessionXfile& mesh : session.meshes) {
        add(mesh.name);
    }
    for (const SessionBitmap& bitmap : session.bitmaps) {
        add(bitmap.name);
    }
    for (const SessionSound& sound : session.sounds) {
        add(sound.name);
    }
    for (const SessionRelation& relation : session.relations) {
        add(relation.wavfile);
    }
    QStringList missing;
    for (const QString& name : names) {
        const bool found = QFileInfo::exists(folder + QLatin1Char('/') + name) ||
                           QFileInfo::exists(startFolder + QStringLiteral("/data/") + name) ||
                           QFileInfo::exists(startFolder + QLatin1Char('/') + name);
        if (!found) {
            missing << name;
        }
    }
    return missing;
}

} // namespace

void AppForm::onDocumentUpdate(const FileDocument& document) {
    if (busy_) {
        return;
    }
    if (document.open) {
        const QString path = QString::fromStdString(document.file.path);
        addOpenedFolders({QFileInfo(path).absolutePath()});
        LF_t record{};
        if (!fillFileRecord(document.file, &record)) {
            const QString text =
                tr("The file name is too long: at most 127 characters can be opened.\n%1")
                    .arg(QString::fromStdString(document.file.name));
            MessageBoxA(nullptr, text.toStdString().c_str(), "Tumbleway Builder",
                        MB_OK | MB_ICONERROR);
            return;
        }
        switch (openActionForExtension(document.file.ext)) {
        case OpenAction::AddXfile:
            addLibraryFile(TreeKind::Xfile, xfiles_, record, path, &xll_ui_push_xfile);
            break;
        case OpenAction::AddBitmap:
            addLibraryFile(TreeKind::Bitmap, bitmaps_, record, path, &xll_ui_push_bmp);
            break;
        case OpenAction::AddSound:
            addLibraryFile(TreeKind::Sound, sounds_, record, path, &xll_ui_push_wav);
            break;
        case OpenAction::OpenBinarySession:
        case OpenAction::OpenXmlSession:
            if (confirmSceneOpen(QString::fromStdString(document.file.name))) {
                openSession(openActionForExtension(document.file.ext) ==
                                OpenAction::OpenBinarySession,
                            document.file);
            }
            break;
        case OpenAction::OpenReplay:
            emit replayChosen(QString::fromStdString(document.file.path));
            break;
        case OpenAction::None:
            emit statusMessage(tr("Not opened: %1 is not a mesh (.x), bitmap (.bmp), "
                                  "sound (.wav), scene (.xml, .sim) or recorded drive (.replay).")
                                   .arg(QString::fromStdString(document.file.name)));
            break;
        }
    }
    if (document.save) {
        saveSessionFile();
    }
    if (document.saveAs) {
        if (isXmlExtension(document.file.ext)) {
            saveSimulationFile(document.file.path);
        } else {
            emit statusMessage(tr("Not saved: a scene is saved under a name ending "
                                  "in .xml (%1).")
                                   .arg(QString::fromStdString(document.file.name)));
        }
    }
}

void AppForm::addOpenedFolders(const QStringList& folders) {
    for (const QString& folder : folders) {
        if (!openedFolders_.contains(folder)) {
            openedFolders_ << folder;
        }
    }
}

QStringList AppForm::libraryFiles() const {
    QStringList paths;
    for (const std::list<FileEntry>* files : {&xfiles_, &bitmaps_, &sounds_}) {
        for (const FileEntry& file : *files) {
            if (!file.item->isHidden() && !paths.contains(file.path)) {
                paths << file.path;
            }
        }
    }
    return paths;
}

void AppForm::addLibraryFile(TreeKind kind, std::list<FileEntry>& files, LF_t& record,
                             const QString& path, void (*push)(LF_t*, HTREEITEM*)) {
    const QString name = QString::fromUtf8(record.name);
    QTreeWidgetItem* item = insertTreeItem(kind, name, 1);
    // Shown once the file has loaded: while the engine says why it did not, an item for
    // it would suggest that it had.
    item->setHidden(true);
    files.push_back({record.name, item, QFileInfo(path).absoluteFilePath()});
    HTREEITEM handle = handleOf(item);
    int loaded = 0;
    engineCall([&] {
        push(&record, &handle);
        loaded = twx_library_holds(handle);
    });
    if (loaded == 1) {
        item->setHidden(false);
        history_->push(
            std::make_unique<FileOpened>(*this, tr("open %1").arg(name), record, handle).release());
        emit statusMessage(tr("Opened %1.").arg(name));
        return;
    }
    // The engine has said why; a tree item for a file that is not there would lead
    // nowhere.
    files.pop_back();
    entries_.remove(handle);
    delete item;
    emit statusMessage(tr("Not opened: %1 could not be read.").arg(name));
}

bool AppForm::confirmSceneOpen(const QString& name) {
    if (beforeSceneOpen_ && !beforeSceneOpen_()) {
        emit statusMessage(tr("Not opened: %1.").arg(name));
        return false;
    }
    return true;
}

void AppForm::openSession(bool binary, const ChosenFile& file) {
    const std::string& name = file.name;
    LSession_t record;
    SceneExtras extras;
    // Whatever the reader reports, the course is made: an unreadable file gives an
    // empty one. A reader that had something to tell found the file damaged.
    int told = 0;
    const MessageBoxHandler shown = SetMessageBoxHandler(nullptr);
    SetMessageBoxHandler(
        [&told, &shown](const std::string& text, const std::string& caption, UINT type) {
            ++told;
            return shown ? shown(text, caption, type) : IDOK;
        });
    if (binary) {
        readSessionFile(name, record);
    } else {
        readSimulationFile(name, record, &extras);
    }
    SetMessageBoxHandler(shown);
    openSceneRecord(record, extras, QString::fromStdString(name), QString::fromStdString(file.path),
                    told == 0);
}

void AppForm::openSceneRecord(LSession_t& record, const SceneExtras& extras, const QString& name,
                              const QString& file, bool readWhole) {
    const std::int32_t number = entries_.nextCourseNumber();
    QTreeWidgetItem* item = insertTreeItem(
        TreeKind::Course, QString::fromStdString(FileTreeEntries::courseName(number)), number);
    record.item = handleOf(item);
    record.built = 0;
    courses_.push_back(record);
    int courseNumber = 0;
    engineCall([&] {
        twx_restore_session(&record, &courseNumber, extras.meshes.data(),
                            static_cast<int>(extras.meshes.size()));
        xll_setListCourse(record.item);
    });
    currentCourse_ = &courses_.back();
    currentCourse_->number = courseNumber;
    pointsAtLastCreate_ = -1; // the points being laid start afresh
    showChosen(item);
    CourseSnapshot opened;
    int position = 0;
    engineCall([&] {
        opened = takeCourseSnapshot(record.item);
        position = twx_course_position(record.item);
    });
    history_->push(std::make_unique<CourseComesOrGoes>(*this, tr("open %1").arg(name),
                                                       CourseComesOrGoes::Change::Added,
                                                       std::move(opened), position, true)
                       .release());
    // What was read is what the file holds.
    courseSaved(record.item, file);
    refreshCourseChildren(record.item);
    emit sceneStateChanged();
    emit statusMessage(readWhole ? tr("Opened %1 as %2.").arg(name, item->text(0))
                                 : tr("Opened %1 in part as %2: the file is damaged, and only "
                                      "what could be read of it is in the course.")
                                       .arg(name, item->text(0)));
}

void AppForm::saveSessionFile() {
    // The engine's live course is saved, with everything placed since it was made or
    // opened; the form's own entry only holds what the course started with.
    LSession_t session;
    bool hasCourse = false;
    int raised = 0;
    engineCall([&] {
        hasCourse = currentCourseRecord(session);
        const SceneExtras extras = currentExtras();
        raised = static_cast<int>(
            std::count_if(extras.meshes.begin(), extras.meshes.end(),
                          [](const TwxMeshExtra& m) { return m.lift != 0 || m.turn != 0; }));
    });
    if (!hasCourse) {
        emit statusMessage(tr("Nothing saved: choose a course in the tree, or create one, first."));
        return;
    }
    const bool saved = writeSessionFile(session, kSessionFileName);
    const std::size_t bitmaps = session.bitmaps.size();
    engineCall([&] { xll_app_delete_Session_Iterator(&session); });
    if (!saved) {
        return; // the writer has shown why
    }
    const QString where = QDir::current().absoluteFilePath(QString::fromLatin1(kSessionFileName));
    if (bitmaps == 0 && raised == 0) {
        courseSaved(engineCurrentCourse(), where); // the file holds all of it
    }
    QString text = tr("Saved %1.").arg(where);
    // This format has no place for placed bitmaps or the heights and headings of meshes;
    // say so rather than
    // let the user find out when the scene comes back without them.
    QStringList left;
    if (bitmaps > 0) {
        left << tr("%n placed bitmap(s)", nullptr, static_cast<int>(bitmaps));
    }
    if (raised > 0) {
        left << tr("the height and heading of %n mesh(es)", nullptr, raised);
    }
    if (!left.isEmpty()) {
        text += tr(" Not kept in this format: %1; save under a new name (.xml) to keep them.")
                    .arg(left.join(tr(" and ")));
    }
    emit statusMessage(text);
}

void AppForm::saveSimulationFile(const std::string& path) {
    LSession_t session;
    SceneExtras extras;
    bool hasCourse = false;
    engineCall([&] {
        hasCourse = currentCourseRecord(session);
        extras = currentExtras();
    });
    const QString name = QString::fromStdString(path);
    if (!hasCourse) {
        emit statusMessage(tr("Nothing saved: choose a course in the tree, or create one, first."));
        return;
    }
    std::string error;
    const bool saved = writeSimulationFile(session, path, &error, &extras);
    const auto release = [&] { engineCall([&] { xll_app_delete_Session_Iterator(&session); }); };
    if (!saved) {
        release();
        // The file that was there, if any, is as it was.
        const QString text = tr("The scene could not be saved.\n%1: %2")
                                 .arg(QString::fromStdString(path), QString::fromStdString(error));
        MessageBoxA(nullptr, text.toStdString().c_str(), "Tumbleway Builder", MB_OK | MB_ICONERROR);
        emit statusMessage(tr("Not saved: %1: %2").arg(name, QString::fromStdString(error)));
        return;
    }
    courseSaved(engineCurrentCourse(), QFileInfo(name).absoluteFilePath());
    const QStringList missing =
        filesNotBeside(session, QFileInfo(name).absolutePath(), startFolder_);
    if (missing.isEmpty()) {
        emit statusMessage(tr("Saved %1.").arg(name));
    } else {
        // Opened again, the scene would come back without these: say so now, while the
        // user still knows where they are.
        emit statusMessage(tr("Saved %1. Not in its folder, so not found when it "
                              "is opened again: %2")
                               .arg(name, missing.join(QStringLiteral(", "))));
    }
    release();
}
