#pragma once

#include <span>

#include "scene/Course.h"
#include "tumbleway/tumbleway_ext.h"

class CourseEditor;
class EditSession;
class MovementInput;
class SceneReader;

// Edits the hosts make beyond the exports (the twx_ interface): removing courses and
// placements, putting a course from a record in place of another or at a position,
// and reading or replacing the points being laid. Meshes and bitmaps are counted in the
// current course's lists, from 0. What the mouse held and is gone ends its drag.
class SceneEdits {
public:
    SceneEdits(CourseEditor& editor, EditSession& edit, SceneReader& reader, MovementInput& input);

    [[nodiscard]] bool deleteCourse(HTREEITEM item);
    [[nodiscard]] bool deleteXfilePlacement(int index);
    [[nodiscard]] bool deleteBitmapPlacement(int index);
    // A course built from a record (its item names it): in place of the course of that
    // item (replace) or as a new course at position. The current course, the
    // controlled mesh, the heading and the points being laid stay as they were, but
    // for the replaced course's own (its replacement is current if it was).
    [[nodiscard]] bool putCourse(const LSession_t& record, std::span<const TwxMeshExtra> extras,
                                 int position, bool replace);
    void workingPoints(LSession_t& points) const;
    [[nodiscard]] bool setWorkingPoints(const LSession_t& points);

private:
    CourseEditor& editor;
    EditSession& edit;
    SceneReader& reader;
    MovementInput& input;
};
