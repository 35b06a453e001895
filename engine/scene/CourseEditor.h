#pragma once

#include <cstdint>
#include <list>

#include "scene/Course.h"
#include "scene/LaidPoints.h"

// The courses of the scene and what the editor holds in them: which course is
// current, the mesh the input drives and the bitmap placed last (both on the current
// course), the number shown for the current course, and the points being laid for the
// next one. It keeps these consistent: nothing it hands out points into a course that
// is gone, and the courses are numbered 1, 2, 3, ... in list order.
class CourseEditor {
public:
    const std::list<LCourse_t>& courseList() const { return courses; }
    // The courses themselves are records the engine edits in place (placements,
    // geometry); which courses there are changes only through the calls below.
    std::list<LCourse_t>& courseList() { return courses; }

    // Appends a course and renumbers the list; the current course stays as it was.
    LCourse_t& add(LCourse_t&& course);
    // Moves the course to position in the list, or in place of the course replaced
    // (which is then removed); either way the list is renumbered.
    void moveTo(std::list<LCourse_t>::iterator course, std::size_t position);
    void replace(std::list<LCourse_t>::iterator old, std::list<LCourse_t>::iterator course);
    // Removes the course of a tree item. Returns whether there was one.
    [[nodiscard]] bool remove(HTREEITEM item);
    LCourse_t* find(HTREEITEM item);
    const LCourse_t* find(HTREEITEM item) const;
    // Where the course of a tree item stands in the list; -1 when none has it.
    int position(HTREEITEM item) const;

    LCourse_t* current() { return currentCourse; }
    const LCourse_t* current() const { return currentCourse; }
    // Makes a course of the list current (null: none) and shows its number.
    void makeCurrent(LCourse_t* course);

    // The placed mesh the input drives and the camera follows: one of the current
    // course's, or none.
    XfilePlacement* driven() const { return lastXfilePlacement; }
    void drive(XfilePlacement* placement) { lastXfilePlacement = placement; }
    // The driven placement's body, or null when none is driven.
    CSceneObject* drivenBody();
    // The bitmap placed or picked last, which the placement dialogs edit.
    BitmapPlacement* lastBitmap() const { return lastBitmapPlacement; }
    void setLastBitmap(BitmapPlacement* placement) { lastBitmapPlacement = placement; }
    // The current course's placed mesh at index, from 0; null without a course or mesh.
    XfilePlacement* meshAt(int index);
    const XfilePlacement* meshAt(int index) const;
    // The index of the mesh the input drives on the current course, or -1.
    int controlledMesh() const;
    // Drives the current course's mesh at index; -1 drives none. False when there is no
    // such mesh.
    [[nodiscard]] bool setControlledMesh(int index);
    // Lets go of the driven mesh and the bitmap placed last: what the arrow keys drive
    // and the placement dialogs edit is of the current course, and it is new or gone.
    void forgetPlacements();

    // The number of the current course, as "course:%d" shows it.
    std::int32_t number() const { return courseNumber; }

    LaidPoints& laidPoints() { return m_laidPoints; }
    const LaidPoints& laidPoints() const { return m_laidPoints; }
    // Whether create may make a course of the laid points: they were laid or given
    // since the last course was made.
    bool canCreate() const { return createAllowed; }
    void allowCreate(bool allowed) { createAllowed = allowed; }

private:
    void renumber();
    // Clears every pointer into the course, which is about to go.
    void letGoOf(const LCourse_t& course);

    std::list<LCourse_t> courses;
    LCourse_t* currentCourse = nullptr;
    XfilePlacement* lastXfilePlacement = nullptr;
    BitmapPlacement* lastBitmapPlacement = nullptr;
    std::int32_t courseNumber = 1;
    LaidPoints m_laidPoints;
    bool createAllowed = false;
};
