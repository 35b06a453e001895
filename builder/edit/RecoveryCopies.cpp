#include "edit/RecoveryCopies.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QStandardPaths>
#include <QTextStream>
#include <QUuid>

#include <algorithm>
#include <filesystem>
#include <system_error>

#include "files/SimulationFile.h"
#include "filewrite/AtomicFileWriter.h"
#include "filewrite/SaveErrorText.h"

namespace {

constexpr int kDefaultDelaySeconds = 30;
const QString kIndex = QStringLiteral("index.json");
// What builders before the JSON index wrote; still read, so that their copies are
// offered after an update.
const QString kTextIndex = QStringLiteral("index.txt");
const QString kLock = QStringLiteral("lock");

QJsonArray jsonStrings(const QStringList& texts) {
    return QJsonArray::fromStringList(texts);
}

QStringList strings(const QJsonValue& value) {
    QStringList texts;
    for (const QJsonValue& text : value.toArray()) {
        if (text.isString()) {
            texts << text.toString();
        }
    }
    return texts;
}

QByteArray indexJson(const std::vector<RecoveryCopies::Kept>& kept,
                     const RecoveryCopies::Context& context) {
    QJsonArray courses;
    for (const RecoveryCopies::Kept& course : kept) {
        courses.append(QJsonObject{{QStringLiteral("copy"), course.scene},
                                   {QStringLiteral("name"), course.name},
                                   {QStringLiteral("file"), course.file}});
    }
    const QJsonObject index{{QStringLiteral("courses"), courses},
                            {QStringLiteral("libraryFiles"), jsonStrings(context.libraryFiles)},
                            {QStringLiteral("assetFolders"), jsonStrings(context.assetFolders)}};
    return QJsonDocument(index).toJson();
}

// A copy's name as the index gives it, kept inside the folder it belongs to.
bool isCopyName(const QString& name) {
    return !name.isEmpty() && !name.contains(QLatin1Char('/')) && name != QStringLiteral("..");
}

bool readJsonIndex(const QString& folder, RecoveryCopies::LeftBehind& found) {
    QFile file(folder + QLatin1Char('/') + kIndex);
    if (!file.open(QIODevice::ReadOnly)) {
        return false;
    }
    const QJsonDocument document = QJsonDocument::fromJson(file.readAll());
    if (!document.isObject()) {
        return false;
    }
    const QJsonObject index = document.object();
    for (const QJsonValue& value : index.value(QStringLiteral("courses")).toArray()) {
        const QJsonObject course = value.toObject();
        const QString copy = course.value(QStringLiteral("copy")).toString();
        if (isCopyName(copy)) {
            found.courses.push_back({folder + QLatin1Char('/') + copy,
                                     course.value(QStringLiteral("name")).toString(),
                                     course.value(QStringLiteral("file")).toString()});
        }
    }
    found.context.libraryFiles = strings(index.value(QStringLiteral("libraryFiles")));
    found.context.assetFolders = strings(index.value(QStringLiteral("assetFolders")));
    return true;
}

// "course<TAB>copy file<TAB>name<TAB>scene file" and "folder<TAB>path" lines.
bool readTextIndex(const QString& folder, RecoveryCopies::LeftBehind& found) {
    QFile file(folder + QLatin1Char('/') + kTextIndex);
    if (!file.open(QIODevice::ReadOnly | QIODevice::Text)) {
        return false;
    }
    QTextStream in(&file);
    while (!in.atEnd()) {
        const QStringList fields = in.readLine().split(QLatin1Char('\t'));
        if (fields.size() == 4 && fields[0] == QStringLiteral("course") && isCopyName(fields[1])) {
            found.courses.push_back({folder + QLatin1Char('/') + fields[1], fields[2], fields[3]});
        } else if (fields.size() == 2 && fields[0] == QStringLiteral("folder")) {
            found.context.assetFolders << fields[1];
        }
    }
    return true;
}

// Without a readable index the copies themselves are still offered, under their file
// names: losing the names is better than losing the work.
void findCopies(const QString& folder, RecoveryCopies::LeftBehind& found) {
    for (const QFileInfo& copy :
         QDir(folder).entryInfoList({QStringLiteral("*.xml")}, QDir::Files, QDir::Name)) {
        found.courses.push_back({copy.absoluteFilePath(), copy.completeBaseName(), QString()});
    }
}

// Takes the lock of a folder if no running builder holds it. QLockFile also judges a
// lock by the process id written in it, which a new builder may share with the dead
// one (every start in a new PID namespace gets the same id); what settles it is whether
// a live process holds the lock, which is all removeStaleLockFile() lets through.
std::shared_ptr<QLockFile> lockLeftFolder(const QString& folder) {
    auto lock = std::make_shared<QLockFile>(folder + QLatin1Char('/') + kLock);
    if (lock->tryLock(0)) {
        return lock;
    }
    if (lock->error() == QLockFile::LockFailedError && lock->removeStaleLockFile() &&
        lock->tryLock(0)) {
        return lock;
    }
    return nullptr;
}

QString lockProblem(QLockFile::LockError error) {
    switch (error) {
    case QLockFile::PermissionError:
        return RecoveryCopies::tr("permission denied");
    case QLockFile::LockFailedError:
        return RecoveryCopies::tr("another builder holds it");
    default:
        return RecoveryCopies::tr("the lock cannot be made");
    }
}

} // namespace

QString RecoveryCopies::defaultRoot() {
    return QStandardPaths::writableLocation(QStandardPaths::AppLocalDataLocation) +
           QStringLiteral("/recovery");
}

int RecoveryCopies::delaySeconds() {
    bool number = false;
    const int seconds = qEnvironmentVariableIntValue("TUMBLEWAY_RECOVERY_SECONDS", &number);
    return number && seconds > 0 ? std::min(seconds, kDefaultDelaySeconds) : kDefaultDelaySeconds;
}

RecoveryCopies::RecoveryCopies(QString root)
    : root_(QDir::cleanPath(root)),
      folder_(root_ + QLatin1Char('/') + QUuid::createUuid().toString(QUuid::WithoutBraces)) {
    prepareFolder();
}

RecoveryCopies::~RecoveryCopies() {
    if (lock_) {
        lock_->unlock();
        QDir(folder_).removeRecursively();
    }
}

bool RecoveryCopies::prepareFolder() {
    std::error_code failed;
    std::filesystem::create_directories(folder_.toStdString(), failed);
    if (failed) {
        problem_ = tr("%1 cannot be made: %2")
                       .arg(folder_, QString::fromStdString(saveErrorText(failed.value())));
        return false;
    }
    if (!lock_) {
        auto lock = std::make_unique<QLockFile>(folder_ + QLatin1Char('/') + kLock);
        if (!lock->tryLock(0)) {
            problem_ = tr("%1 cannot be locked: %2").arg(folder_, lockProblem(lock->error()));
            return false;
        }
        lock_ = std::move(lock);
    }
    problem_.clear();
    return true;
}

bool RecoveryCopies::write(const std::vector<Course>& courses, const Context& context,
                           QString* error) {
    // The folder may have been removed under the builder, or become writable since.
    if (!QFileInfo::exists(folder_) || !lock_) {
        lock_.reset();
        if (!prepareFolder()) {
            *error = problem_;
            return false;
        }
    }
    std::vector<Kept> kept;
    int number = 0;
    for (const Course& course : courses) {
        const QString scene = QStringLiteral("%1.xml").arg(++number);
        std::string why;
        if (!writeSimulationFile(course.snapshot.record,
                                 (folder_ + QLatin1Char('/') + scene).toStdString(), &why,
                                 &course.snapshot.extras)) {
            *error = QString::fromStdString(why);
            return false;
        }
        kept.push_back({scene, course.name, course.file});
    }
    // Restored courses were opened from another builder's copies, whose folder goes
    // once they are safe here: it is no place to look for their files.
    Context keptContext = context;
    const auto inCopies = [this](const QString& path) {
        return QDir::cleanPath(path).startsWith(root_ + QLatin1Char('/'));
    };
    keptContext.assetFolders.removeIf(inCopies);
    keptContext.libraryFiles.removeIf(inCopies);
    AtomicFileWriter index((folder_ + QLatin1Char('/') + kIndex).toStdString());
    index.write(indexJson(kept, keptContext).toStdString());
    if (!index.commit()) {
        *error = QString::fromStdString(index.error());
        return false;
    }
    // Copies of courses that were saved since are of no more use.
    for (const QFileInfo& file : QDir(folder_).entryInfoList({QStringLiteral("*.xml")})) {
        if (std::none_of(kept.begin(), kept.end(),
                         [&file](const Kept& k) { return k.scene == file.fileName(); })) {
            QFile::remove(file.absoluteFilePath());
        }
    }
    return true;
}

std::vector<RecoveryCopies::LeftBehind> RecoveryCopies::leftBehind(const QString& root,
                                                                   QString* problem) {
    std::vector<LeftBehind> left;
    const QFileInfo rootInfo(root);
    if (rootInfo.exists() && (!rootInfo.isDir() || !rootInfo.isReadable())) {
        if (problem != nullptr) {
            *problem = tr("%1 cannot be read: %2")
                           .arg(root, rootInfo.isDir() ? tr("permission denied")
                                                       : tr("it is not a folder"));
        }
        return left;
    }
    const QFileInfoList folders =
        QDir(root).entryInfoList(QDir::Dirs | QDir::NoDotAndDotDot, QDir::Time | QDir::Reversed);
    for (const QFileInfo& folder : folders) {
        std::shared_ptr<QLockFile> lock = lockLeftFolder(folder.absoluteFilePath());
        if (!lock) {
            continue; // a builder that runs now
        }
        LeftBehind found{folder.absoluteFilePath(), {}, {}, lock};
        if (!readJsonIndex(found.folder, found) && !readTextIndex(found.folder, found)) {
            findCopies(found.folder, found);
        }
        left.push_back(std::move(found));
    }
    return left;
}

void RecoveryCopies::discard(const LeftBehind& left) {
    if (left.lock) {
        left.lock->unlock();
    }
    QDir(left.folder).removeRecursively();
}
