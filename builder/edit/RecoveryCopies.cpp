#include "edit/RecoveryCopies.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QStandardPaths>
#include <QTextStream>

#include <algorithm>

#include "files/AtomicFileWriter.h"
#include "files/SimulationFile.h"

namespace {

constexpr int kDefaultDelaySeconds = 30;
const QString kIndex = QStringLiteral("index.txt");
const QString kLock = QStringLiteral("lock");

// index.txt: "course<TAB>copy file<TAB>name<TAB>scene file" and "folder<TAB>path" lines.
QString indexText(const std::vector<RecoveryCopies::Kept>& kept, const QStringList& folders) {
    QString text;
    for (const RecoveryCopies::Kept& course : kept) {
        text += QStringLiteral("course\t%1\t%2\t%3\n").arg(course.scene, course.name, course.file);
    }
    for (const QString& folder : folders) {
        text += QStringLiteral("folder\t%1\n").arg(folder);
    }
    return text;
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
    : folder_(root + QStringLiteral("/") + QString::number(QCoreApplication::applicationPid())) {
    QDir().mkpath(folder_);
    lock_ = std::make_unique<QLockFile>(folder_ + QStringLiteral("/") + kLock);
    lock_->tryLock(0);
}

RecoveryCopies::~RecoveryCopies() {
    lock_->unlock();
    QDir(folder_).removeRecursively();
}

bool RecoveryCopies::write(const std::vector<Course>& courses, const QStringList& assetFolders,
                           QString* error) {
    std::vector<Kept> kept;
    int number = 0;
    for (const Course& course : courses) {
        const QString scene = QStringLiteral("%1.xml").arg(++number);
        std::string why;
        if (!writeSimulationFile(course.snapshot.record,
                                 (folder_ + QStringLiteral("/") + scene).toStdString(), &why,
                                 &course.snapshot.extras)) {
            *error = QString::fromStdString(why);
            return false;
        }
        kept.push_back({scene, course.name, course.file});
    }
    AtomicFileWriter index((folder_ + QStringLiteral("/") + kIndex).toStdString());
    index.write(indexText(kept, assetFolders).toStdString());
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

std::vector<RecoveryCopies::LeftBehind> RecoveryCopies::leftBehind(const QString& root) {
    std::vector<LeftBehind> left;
    const QFileInfoList folders =
        QDir(root).entryInfoList(QDir::Dirs | QDir::NoDotAndDotDot, QDir::Time | QDir::Reversed);
    for (const QFileInfo& folder : folders) {
        QLockFile lock(folder.absoluteFilePath() + QStringLiteral("/") + kLock);
        if (!lock.tryLock(0)) {
            continue; // a builder that runs now
        }
        lock.unlock();
        LeftBehind found{folder.absoluteFilePath(), {}, {}};
        QFile index(folder.absoluteFilePath() + QStringLiteral("/") + kIndex);
        if (index.open(QIODevice::ReadOnly | QIODevice::Text)) {
            QTextStream in(&index);
            while (!in.atEnd()) {
                const QStringList fields = in.readLine().split(QLatin1Char('\t'));
                if (fields.size() == 4 && fields[0] == QStringLiteral("course")) {
                    found.courses.push_back(
                        {folder.absoluteFilePath() + QStringLiteral("/") + fields[1], fields[2],
                         fields[3]});
                } else if (fields.size() == 2 && fields[0] == QStringLiteral("folder")) {
                    found.assetFolders << fields[1];
                }
            }
        }
        left.push_back(std::move(found));
    }
    return left;
}

void RecoveryCopies::discard(const LeftBehind& left) {
    QDir(left.folder).removeRecursively();
}
