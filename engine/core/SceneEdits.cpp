// Edits the hosts make beyond the exports: removing courses and placements, putting a
// course from a record, and the points being laid.
#include "core/SceneEdits.h"

#include <algorithm>
#include <iterator>

#include "core/EditSession.h"
#include "core/SceneReader.h"
#include "scene/CourseEditor.h"
#include "scene/ListElement.h"
#include "simulation/MovementInput.h"

SceneEdits::SceneEdits(CourseEditor& editor, EditSession& edit, SceneReader& reader,
                       MovementInput& input)
    : editor(editor), edit(edit), reader(reader), input(input) {}

bool SceneEdits::deleteCourse(HTREEITEM item) {
    const LCourse_t* const wasCurrent = editor.current();
    if (!editor.remove(item)) {
        return false;
    }
    if (editor.current() != wasCurrent) {
        edit.letGo(); // what the button held is gone with its course
    }
    return true;
}

bool SceneEdits::deleteXfilePlacement(int index) {
    XfilePlacement* placement = editor.meshAt(index);
    if (placement == nullptr) {
        return false;
    }
    if (editor.driven() == placement) {
        editor.drive(nullptr);
        edit.letGo();
    }
    auto& placements = editor.current()->xfilePlacements;
    placements.erase(std::next(placements.begin(), index));
    return true;
}

bool SceneEdits::deleteBitmapPlacement(int index) {
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
        edit.letGo();
    }
    placements.erase(std::next(placements.begin(), index));
    return true;
}

bool SceneEdits::putCourse(const LSession_t& record, std::span<const TwxMeshExtra> extras,
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
    (void)reader.restore(record, nullptr, extras);
    auto made = std::prev(editor.courseList().end());
    input.setHeading(heading);
    editor.laidPoints() = std::move(laid);

    editor.makeCurrent(previousCurrent);
    editor.drive(previousControlled);
    if (replace) {
        // The course takes the place, and if it was current the part, of the one it
        // replaces.
        editor.replace(old, made);
        edit.letGo();
    } else {
        editor.moveTo(made, static_cast<std::size_t>(position));
    }
    return true;
}

void SceneEdits::workingPoints(LSession_t& points) const {
    points.dottedPoints.insert(points.dottedPoints.end(), editor.laidPoints().dotted().begin(),
                               editor.laidPoints().dotted().end());
    points.calculatedPoints.insert(points.calculatedPoints.end(),
                                   editor.laidPoints().calculated().begin(),
                                   editor.laidPoints().calculated().end());
}

bool SceneEdits::setWorkingPoints(const LSession_t& points) {
    if (!editor.laidPoints().assign(points.dottedPoints, points.calculatedPoints)) {
        return false;
    }
    editor.allowCreate(editor.laidPoints().any());
    return true;
}
