// Edits the hosts make beyond the exports: removing courses, placements and sound
// relations, choosing the controlled mesh and raising a mesh.
#include <algorithm>
#include <iterator>
#include <type_traits>

#include "core/EngineApp.h"
#include "tumbleway/NameField.h"

namespace {

template <typename List>
auto* elementAt(List& list, int index) {
    using Element = typename List::value_type;
    if (index < 0 || static_cast<std::size_t>(index) >= list.size()) {
        return static_cast<Element*>(nullptr);
    }
    return &*std::next(list.begin(), index);
}

} // namespace

XfilePlacement* CEngineApp::meshAt(int index) {
    return editor.current() == nullptr ? nullptr
                                       : elementAt(editor.current()->xfilePlacements, index);
}

int CEngineApp::controlledMesh() const {
    if (editor.current() == nullptr || editor.driven() == nullptr) {
        return -1;
    }
    int index = 0;
    for (const auto& placement : editor.current()->xfilePlacements) {
        if (&placement == editor.driven()) {
            return index;
        }
        ++index;
    }
    return -1;
}

bool CEngineApp::setControlledMesh(int index) {
    if (index == -1) {
        editor.drive(nullptr);
        return true;
    }
    XfilePlacement* placement = meshAt(index);
    if (placement == nullptr) {
        return false;
    }
    editor.drive(placement);
    return true;
}

bool CEngineApp::deleteCourse(HTREEITEM item) {
    const LCourse_t* const wasCurrent = editor.current();
    if (!editor.remove(item)) {
        return false;
    }
    if (editor.current() != wasCurrent) {
        dragging = false; // what the button held is gone with its course
    }
    return true;
}

bool CEngineApp::deleteXfilePlacement(int index) {
    XfilePlacement* placement = meshAt(index);
    if (placement == nullptr) {
        return false;
    }
    if (editor.driven() == placement) {
        editor.drive(nullptr);
        dragging = false;
    }
    auto& placements = editor.current()->xfilePlacements;
    placements.erase(std::next(placements.begin(), index));
    return true;
}

bool CEngineApp::deleteBitmapPlacement(int index) {
    if (editor.current() == nullptr) {
        return false;
    }
    auto& placements = editor.current()->bitmapPlacements;
    BitmapPlacement* placement = elementAt(placements, index);
    if (placement == nullptr) {
        return false;
    }
    if (editor.lastBitmap() == placement) {
        editor.setLastBitmap(nullptr);
        dragging = false;
    }
    placements.erase(std::next(placements.begin(), index));
    return true;
}

bool CEngineApp::deleteRelation(int index) {
    LCourse_t* course = editor.current();
    if (course == nullptr) {
        return false;
    }
    auto& relations = course->relations;
    if (elementAt(relations, index) == nullptr) {
        return false;
    }
    relations.erase(std::next(relations.begin(), index));
    // The tables are made again from the relations that stay, as a restore makes them:
    // every relation answers in the collision table, a move relation in the move table too.
    course->collisionTable = std::make_unique<RelationTable>();
    course->moveTable = std::make_unique<RelationTable>();
    for (const auto& relation : relations) {
        const std::string first(nameFieldText(relation.xfile1));
        const std::string second(nameFieldText(relation.xfile2));
        const std::string wav(nameFieldText(relation.wavfile));
        if (second == RelationTable::kMoveKey) {
            course->moveTable->add(first, second, wav);
        }
        course->collisionTable->add(first, second, wav);
    }
    return true;
}

const LCourse_t* CEngineApp::courseOf(HTREEITEM item) const {
    return editor.find(item);
}

int CEngineApp::coursePosition(HTREEITEM item) const {
    int position = 0;
    for (const auto& course : editor.courseList()) {
        if (course.treeItem == item) {
            return position;
        }
        ++position;
    }
    return -1;
}

bool CEngineApp::putCourse(const LSession_t& record, std::span<const TwxMeshExtra> extras,
                           int position, bool replace) {
    const auto old =
        std::find_if(editor.courseList().begin(), editor.courseList().end(),
                     [&record](const LCourse_t& course) { return course.treeItem == record.item; });
    if (replace == (old == editor.courseList().end()) || position < 0 ||
        static_cast<std::size_t>(position) > editor.courseList().size()) {
        return false;
    }
    // A restore makes its course current, gives it the arrow keys, turns the heading to
    // its start and empties the points being laid: none of that is an edit's to do.
    LCourse_t* previousCurrent = editor.current();
    XfilePlacement* previousControlled = editor.driven();
    const float heading = input.heading();
    LaidPoints laid = editor.laidPoints();
    // What could be read is restored; the rest of the session is skipped.
    (void)restoreSession(record, nullptr, extras);
    auto made = std::prev(editor.courseList().end());
    input.setHeading(heading);
    editor.laidPoints() = std::move(laid);

    editor.makeCurrent(previousCurrent);
    editor.drive(previousControlled);
    if (replace) {
        // The course takes the place, and if it was current the part, of the one it
        // replaces.
        editor.replace(old, made);
        dragging = false;
    } else {
        editor.moveTo(made, static_cast<std::size_t>(position));
    }
    return true;
}

void CEngineApp::workingPoints(LSession_t& points) const {
    points.dottedPoints.insert(points.dottedPoints.end(), editor.laidPoints().dotted().begin(),
                               editor.laidPoints().dotted().end());
    points.calculatedPoints.insert(points.calculatedPoints.end(),
                                   editor.laidPoints().calculated().begin(),
                                   editor.laidPoints().calculated().end());
}

bool CEngineApp::setWorkingPoints(const LSession_t& points) {
    if (!editor.laidPoints().assign(points.dottedPoints, points.calculatedPoints)) {
        return false;
    }
    editor.allowCreate(editor.laidPoints().any());
    return true;
}
