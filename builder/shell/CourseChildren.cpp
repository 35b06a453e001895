#include "shell/CourseChildren.h"

#include <QBrush>
#include <QCoreApplication>
#include <QTreeWidgetItem>

#include "tumbleway/NameField.h"

namespace {

constexpr int kKindRole = Qt::UserRole + 1;
constexpr int kIndexRole = Qt::UserRole + 2;

QString nameOf(const char (&field)[kNameFieldSize]) {
    const std::string_view name = nameFieldText(field);
    return QString::fromUtf8(name.data(), static_cast<qsizetype>(name.size()));
}

void addChild(QTreeWidgetItem* course, CourseChildKind kind, int index, const QString& text) {
    auto* child = new QTreeWidgetItem(course, {text});
    // No file-tree entry has id 0: a selection of this item is told apart by its kind.
    child->setData(0, Qt::UserRole, 0);
    child->setData(0, kKindRole, static_cast<int>(kind));
    child->setData(0, kIndexRole, index);
}

} // namespace

QString relationText(const SessionRelation& relation) {
    const QString wav = nameOf(relation.wavfile);
    const QString first = nameOf(relation.xfile1);
    if (nameFieldText(relation.xfile2) == "0") {
        return QCoreApplication::translate("CourseChildren", "%1: %2 moves").arg(wav, first);
    }
    return QCoreApplication::translate("CourseChildren", "%1: %2 hits %3")
        .arg(wav, first, nameOf(relation.xfile2));
}

void fillCourseChildren(QTreeWidgetItem* course, const LSession_t& session) {
    qDeleteAll(course->takeChildren());
    int index = 0;
    for (const SessionXfile& mesh : session.meshes) {
        addChild(course, CourseChildKind::PlacedMesh, index++, nameOf(mesh.name));
    }
    index = 0;
    for (const SessionBitmap& bitmap : session.bitmaps) {
        addChild(course, CourseChildKind::PlacedBitmap, index++, nameOf(bitmap.name));
    }
    index = 0;
    for (const SessionRelation& relation : session.relations) {
        addChild(course, CourseChildKind::Relation, index++, relationText(relation));
    }
}

void addMissingChildren(QTreeWidgetItem* course, const MissingAssets& missing) {
    const auto add = [course](const QString& text) {
        auto* child = new QTreeWidgetItem(
            course, {QCoreApplication::translate("CourseChildren", "%1 (missing)").arg(text)});
        child->setData(0, Qt::UserRole, 0);
        child->setFlags(Qt::ItemIsEnabled);
        child->setForeground(0, QBrush(Qt::gray));
        child->setToolTip(0, QCoreApplication::translate(
                                 "CourseChildren", "Its file was not found when the scene was "
                                                   "opened. It stays in the scene and is saved "
                                                   "with it."));
    };
    for (const SessionXfile& mesh : missing.meshes) {
        add(nameOf(mesh.name));
    }
    for (const SessionBitmap& bitmap : missing.bitmaps) {
        add(nameOf(bitmap.name));
    }
    for (const SessionSound& sound : missing.sounds) {
        add(nameOf(sound.name));
    }
    for (const SessionRelation& relation : missing.relations) {
        add(relationText(relation));
    }
}

std::optional<CourseChild> courseChildOf(const QTreeWidgetItem* item) {
    if (item == nullptr) {
        return std::nullopt;
    }
    const int kind = item->data(0, kKindRole).toInt();
    if (kind < static_cast<int>(CourseChildKind::PlacedMesh) ||
        kind > static_cast<int>(CourseChildKind::Relation)) {
        return std::nullopt;
    }
    return CourseChild{static_cast<CourseChildKind>(kind), item->data(0, kIndexRole).toInt()};
}
