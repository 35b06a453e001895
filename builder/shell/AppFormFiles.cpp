// The form's file commands: files opened into the library, scenes opened as courses,
// and the current course saved in either scene format.
#include <QDir>

#include <QFile>
#include <QFileInfo>
#include <QTreeWidget>
#include <QUndoStack>
#include <algorithm>
#include <array>

#include "files/SessionFileIO.h"
#include "files/SimulationFile.h"
#include "shell/AppForm.h"
#include "shell/EditCommands.h"
#include "tumbleway/NameField.h"
#include "tumbleway/tumbleway_ext.h"

#include <vector>

namespace {

// Where the engine would load a file named by a scene from; empty when it finds none.
// Engine calls: run inside an engine scope.
QString findAsset(const std::string& name) {
    std::array<char, 4096> path{};
    const int length = twx_find_asset(name.c_str(), path.data(), static_cast<int>(path.size()));
    return length < 0 ? QString() : QString::fromUtf8(path.data(), length);
}

QString joined(const QStringList& names) {
    return names.join(QStringLiteral(", "));
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
        case OpenAction::OpenXmlSession: {
            // A copy: saving the changes first may choose a file of its own through the
            // same document.
            const ChosenFile chosen = document.file;
            if (confirmSceneOpen(QString::fromStdString(chosen.name))) {
                openSession(openActionForExtension(chosen.ext) == OpenAction::OpenBinarySession,
                            chosen);
            }
            break;
        }
        case OpenAction::OpenReplay:
            emit replayChosen(QString::fromStdString(document.file.path));
            break;
        case OpenAction::None:
            emit statusMessage(tr("Not opened: %1 is not a mesh (.x, .glb, .gltf, .obj, .fbx, "
                                  ".dae, .ply, .stl), bitmap (.bmp), sound (.wav, .ogg, .flac), "
                                  "scene (.xml, .sim) or recorded drive (.replay).")
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
    // Saving the changes first may choose a file through a dialog, which makes that
    // file's folder current; the scene then opens from the folder it was chosen in,
    // where its files are looked for.
    const QString folder = QDir::currentPath();
    const bool confirmed = !beforeSceneOpen_ || beforeSceneOpen_();
    QDir::setCurrent(folder);
    if (!confirmed) {
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
    // A file the reader could make nothing of still makes a course, an empty one.
    const bool nothingRead = !readWhole && record.dottedPoints.empty() &&
                             record.calculatedPoints.empty() && record.meshes.empty() &&
                             record.bitmaps.empty() && record.sounds.empty() &&
                             record.relations.empty();
    const std::int32_t number = entries_.nextCourseNumber();
    QTreeWidgetItem* item = insertTreeItem(
        TreeKind::Course, QString::fromStdString(FileTreeEntries::courseName(number)), number);
    record.item = handleOf(item);
    record.built = 0;
    // What names files that are not found stays out of the engine (which would report
    // each element alone) and with the course, for the saves.
    SceneExtras kept = extras;
    MissingAssets missing = settleMissingFiles(record, kept);
    courses_.push_back(record);
    int courseNumber = 0;
    engineCall([&] {
        twx_restore_session(&record, &courseNumber, kept.meshes.data(),
                            static_cast<int>(kept.meshes.size()));
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
    // Files found but not loaded (damaged, say) were reported by the engine; what names
    // them is kept all the same.
    addDropped(record, kept, opened.record, missing);
    const QStringList missingNames = [&] {
        QStringList names;
        for (const std::string& file : missing.fileNames()) {
            names << QString::fromStdString(file);
        }
        return names;
    }();
    if (!missing.empty()) {
        missing_[record.item] = std::move(missing);
    }
    history_->push(std::make_unique<CourseComesOrGoes>(*this, tr("open %1").arg(name),
                                                       CourseComesOrGoes::Change::Added,
                                                       std::move(opened), position, true)
                       .release());
    // What was read is what the file holds.
    courseSaved(record.item, file);
    refreshCourseChildren(record.item);
    emit sceneStateChanged();
    if (nothingRead) {
        emit statusMessage(
            tr("Nothing of %1 could be read: %2 is an empty course.").arg(name, item->text(0)));
    } else if (!readWhole) {
        emit statusMessage(tr("Opened %1 in part as %2: the file is damaged, and only what "
                              "could be read of it is in the course.")
                               .arg(name, item->text(0)));
    } else if (missingNames.isEmpty()) {
        emit statusMessage(tr("Opened %1 as %2.").arg(name, item->text(0)));
    } else {
        emit statusMessage(tr("Opened %1 as %2 without %3, which were not found: they stay in "
                              "the scene and are saved with it.")
                               .arg(name, item->text(0), joined(missingNames)));
    }
}

MissingAssets AppForm::settleMissingFiles(LSession_t& record, SceneExtras& extras) {
    // The engine looks beside the scene, in the folder it is read in, as well.
    const QString sceneFolder = QDir::currentPath();
    engineCall([&] { twx_add_asset_folder(sceneFolder.toStdString().c_str()); });
    const auto notFound = [&] {
        QStringList names;
        engineCall([&] {
            for (const std::string& name : sceneFileNames(record)) {
                if (findAsset(name).isEmpty()) {
                    names << QString::fromStdString(name);
                }
            }
        });
        return names;
    };
    // Asked once, and again only for what the folder the user pointed at did not hold;
    // no folder, or one pointed at before, opens the scene without them.
    QStringList pointedAt;
    for (QStringList missing = notFound(); !missing.isEmpty() && missingFilesAnswer_;
         missing = notFound()) {
        const QString answer = missingFilesAnswer_(missing);
        const QString folder = answer.isEmpty() ? answer : QFileInfo(answer).absoluteFilePath();
        if (folder.isEmpty() || !QFileInfo(folder).isDir() || pointedAt.contains(folder)) {
            break;
        }
        pointedAt << folder;
        engineCall([&] { twx_add_asset_folder(folder.toStdString().c_str()); });
        if (!openedFolders_.contains(folder)) {
            openedFolders_ << folder;
        }
    }
    MissingAssets missing;
    engineCall([&] {
        missing = takeMissing(record, extras,
                              [](const std::string& name) { return !findAsset(name).isEmpty(); });
    });
    return missing;
}

bool AppForm::currentSceneRecord(LSession_t& record, SceneExtras& extras) {
    HTREEITEM item = nullptr;
    engineCall([&] {
        if (twx_current_course(&item) != TWX_OK) {
            return;
        }
        CourseSnapshot live = takeCourseSnapshot(item);
        record = std::move(live.record);
        extras = std::move(live.extras);
    });
    if (item == nullptr) {
        return false;
    }
    if (const MissingAssets* missing = missingAssets(item)) {
        appendMissing(*missing, record, extras);
    }
    return true;
}

const MissingAssets* AppForm::missingAssets(HTREEITEM course) const {
    const auto found = missing_.find(course);
    return found == missing_.end() ? nullptr : &found->second;
}

// The files a mesh was made from besides itself (an .obj's material file and pictures,
// a .gltf's buffers) go where the mesh goes, in the same folders below it. Those that
// lie outside the mesh's folder are found by name anyway and stay where they are.
void AppForm::addCompanions(const std::string& mesh, const QString& from, const QString& to,
                            QStringList* names, QStringList* sources) {
    std::vector<char> text(8192);
    const int length =
        twx_mesh_companions(mesh.c_str(), text.data(), static_cast<int>(text.size()));
    if (length <= 0) {
        return;
    }
    const QStringList companions =
        QString::fromUtf8(text.data(), length).split(QLatin1Char('\n'), Qt::SkipEmptyParts);
    for (const QString& companion : companions) {
        const QString below = QDir(from).relativeFilePath(companion);
        if (below.startsWith(QLatin1String("../")) || QDir::isAbsolutePath(below) ||
            names->contains(below) || QFileInfo::exists(to + QLatin1Char('/') + below)) {
            continue;
        }
        *names << below;
        *sources << companion;
    }
}

QString AppForm::copyFilesBeside(const LSession_t& record, const QString& folder) {
    QStringList names;
    QStringList sources;
    QStringList nowhere;
    engineCall([&] {
        for (const std::string& file : sceneFileNames(record)) {
            const QString name = QString::fromStdString(file);
            if (QFileInfo::exists(folder + QLatin1Char('/') + name)) {
                continue;
            }
            const QString source = findAsset(file);
            if (source.isEmpty()) {
                nowhere << name;
            } else if (source != QDir(startFolder_).absoluteFilePath(name) &&
                       source !=
                           QDir(startFolder_).absoluteFilePath(QStringLiteral("data/") + name)) {
                // The program's own folders are searched wherever the scene lies.
                names << name;
                sources << source;
                addCompanions(file, QFileInfo(source).absolutePath(), folder, &names, &sources);
            }
        }
    });
    QString text;
    if (!names.isEmpty()) {
        const bool copy =
            !confirm_ || confirm_(tr("The scene uses files that are not in its folder (%1): %2.\n"
                                     "Copy them beside it, so that it finds them when it is "
                                     "opened again?")
                                      .arg(folder, joined(names)));
        if (copy) {
            QStringList copied;
            QStringList failed;
            for (qsizetype i = 0; i < names.size(); ++i) {
                // QFile::copy writes a temporary file and renames it: a failed copy
                // leaves nothing half-written.
                const QString target = folder + QLatin1Char('/') + names[i];
                const bool done = QDir().mkpath(QFileInfo(target).absolutePath()) &&
                                  QFile::copy(sources[i], target);
                (done ? copied : failed) << names[i];
            }
            if (!copied.isEmpty()) {
                text += tr(" Copied beside it: %1.").arg(joined(copied));
            }
            if (!failed.isEmpty()) {
                text += tr(" Could not copy: %1; it will not find them when it is opened "
                           "again.")
                            .arg(joined(failed));
            }
        } else {
            text += tr(" Not in its folder, so not found when it is opened again: %1.")
                        .arg(joined(names));
        }
    }
    if (!nowhere.isEmpty()) {
        text += tr(" Still missing, kept in the scene: %1.").arg(joined(nowhere));
    }
    return text;
}

void AppForm::saveSessionFile() {
    // The engine's live course is saved, with everything placed since it was made or
    // opened; the form's own entry only holds what the course started with.
    LSession_t session;
    SceneExtras extras;
    const bool hasCourse = currentSceneRecord(session, extras);
    const int raised = static_cast<int>(
        std::count_if(extras.meshes.begin(), extras.meshes.end(),
                      [](const TwxMeshExtra& m) { return m.lift != 0 || m.turn != 0; }));
    if (!hasCourse) {
        emit statusMessage(tr("Nothing saved: choose a course in the tree, or create one, first."));
        return;
    }
    const bool saved = writeSessionFile(session, kSessionFileName);
    const std::size_t bitmaps = session.bitmaps.size();
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
    const bool hasCourse = currentSceneRecord(session, extras);
    const QString name = QString::fromStdString(path);
    if (!hasCourse) {
        emit statusMessage(tr("Nothing saved: choose a course in the tree, or create one, first."));
        return;
    }
    std::string error;
    const bool saved = writeSimulationFile(session, path, &error, &extras);
    if (!saved) {
        // The file that was there, if any, is as it was.
        const QString text = tr("The scene could not be saved.\n%1: %2")
                                 .arg(QString::fromStdString(path), QString::fromStdString(error));
        MessageBoxA(nullptr, text.toStdString().c_str(), "Tumbleway Builder", MB_OK | MB_ICONERROR);
        emit statusMessage(tr("Not saved: %1: %2").arg(name, QString::fromStdString(error)));
        return;
    }
    courseSaved(engineCurrentCourse(), QFileInfo(name).absoluteFilePath());
    // Saved away from its files, the scene would come back without them.
    emit statusMessage(tr("Saved %1.").arg(name) +
                       copyFilesBeside(session, QFileInfo(name).absolutePath()));
}
