#pragma once

#include <QString>

#include <optional>

#include "files/MissingAssets.h"
#include "tumbleway/tumbleway.h"

class QTreeWidgetItem;

// Items under a course in the tree: what is placed on it and its sound relations, so
// that the user sees them and can choose or delete one. They are not file-tree entries
// (their items carry no entry id) and are made again from the engine's session record
// whenever the course may have changed.
enum class CourseChildKind { PlacedMesh = 1, PlacedBitmap = 2, Relation = 3 };

struct CourseChild {
    CourseChildKind kind;
    int index; // in the course's list of that kind, from 0
};

// "hit.wav: car.x hits ball.x" or "roll.wav: car.x moves".
QString relationText(const SessionRelation& relation);

// Replaces the children of a course item with the placements and relations of the
// record (meshes, then bitmaps, then relations, each in list order).
void fillCourseChildren(QTreeWidgetItem* course, const LSession_t& session);

// Adds after them an item for each placement and relation the scene named but could
// not load ("car.x (missing)", greyed): shown so the user knows they are kept and
// saved, but not chosen or deleted like the others.
void addMissingChildren(QTreeWidgetItem* course, const MissingAssets& missing);

// What a child item stands for; nothing for any other item, a missing one included.
std::optional<CourseChild> courseChildOf(const QTreeWidgetItem* item);
