#pragma once

#include <cstddef>
#include <optional>
#include <string>

#include "files/SceneExtras.h"
#include "tumbleway/tumbleway.h"

// A course as the engine holds it, taken as a record: what an undo puts back and what
// a save or a recovery copy writes. The record's lists belong to the snapshot.
struct CourseSnapshot {
    HTREEITEM item = nullptr;
    LSession_t record;
    SceneExtras extras;
    int controlled = -1; // the mesh the arrow keys drove, when the course was current

    // The scene file's text of this course: two snapshots of one course are the same
    // scene when their texts are equal.
    std::string text() const;
};

// A placed mesh or bitmap of a course, by its position in the course's list of its kind.
struct PlacedElement {
    enum class Kind { Mesh, Bitmap };
    Kind kind;
    std::size_t index;
};

// The first placed mesh or bitmap whose place differs between two snapshots of one
// course: what a drag moved. None when none moved or the lists differ in length.
std::optional<PlacedElement> movedElement(const CourseSnapshot& before,
                                          const CourseSnapshot& after);
// The element's file name; empty when the snapshot has no such element.
std::string elementName(const CourseSnapshot& snapshot, PlacedElement element);
// What an undo or a redo puts back: `target` (the course before or after an edit), but
// every placed mesh and bitmap the edit left where it was keeps the place `now` gives it
// (bodies the player drove since stay where they went). `now` is the course as it stands,
// laid out like `other` (the edit's other side); when it is not, `target` as it is.
CourseSnapshot keepPlayedPlaces(const CourseSnapshot& target, const CourseSnapshot& other,
                                const CourseSnapshot& now);

// Takes the course of a tree item from the engine; the item is null in the snapshot
// when the engine has no such course. Engine calls: run inside an engine scope.
CourseSnapshot takeCourseSnapshot(HTREEITEM item);

// Rebuilds the engine's course of the snapshot's item from it (replace), or adds it at
// position in the course list (insert), and gives the arrow keys back to the mesh they
// drove if the course is current. False when the engine refused.
bool putCourseSnapshot(const CourseSnapshot& snapshot, bool replace, int position = 0);
