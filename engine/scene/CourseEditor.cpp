#include "scene/CourseEditor.h"

#include <algorithm>
#include <iterator>

#include "scene/ListElement.h"
#include "tw/assert.h"

namespace {

template <typename List, typename Element>
bool holds(const List& list, const Element* element) {
    return std::any_of(list.begin(), list.end(),
                       [element](const auto& item) { return &item == element; });
}

template <typename List>
auto findItem(List& courses, HTREEITEM item) {
    return std::find_if(courses.begin(), courses.end(),
                        [item](const LCourse_t& course) { return course.treeItem == item; });
}

} // namespace

LCourse_t& CourseEditor::add(LCourse_t&& course) {
    LCourse_t& added = courses.emplace_back(std::move(course));
    renumber();
    return added;
}

void CourseEditor::moveTo(std::list<LCourse_t>::iterator course, std::size_t position) {
    TW_ASSERT(position <= courses.size());
    courses.splice(std::next(courses.begin(), static_cast<std::ptrdiff_t>(position)), courses,
                   course);
    renumber();
}

void CourseEditor::replace(std::list<LCourse_t>::iterator old,
                           std::list<LCourse_t>::iterator course) {
    const bool wasCurrent = currentCourse == &*old;
    letGoOf(*old);
    courses.splice(old, courses, course);
    courses.erase(old);
    renumber();
    if (wasCurrent) {
        makeCurrent(&*course);
    }
}

bool CourseEditor::remove(HTREEITEM item) {
    const auto course = findItem(courses, item);
    if (course == courses.end()) {
        return false;
    }
    letGoOf(*course);
    courses.erase(course);
    renumber();
    return true;
}

LCourse_t* CourseEditor::find(HTREEITEM item) {
    const auto course = findItem(courses, item);
    return course == courses.end() ? nullptr : &*course;
}

const LCourse_t* CourseEditor::find(HTREEITEM item) const {
    const auto course = findItem(courses, item);
    return course == courses.end() ? nullptr : &*course;
}

int CourseEditor::position(HTREEITEM item) const {
    int position = 0;
    for (const auto& course : courses) {
        if (course.treeItem == item) {
            return position;
        }
        ++position;
    }
    return -1;
}

XfilePlacement* CourseEditor::meshAt(int index) {
    return currentCourse == nullptr ? nullptr : elementAt(currentCourse->xfilePlacements, index);
}

const XfilePlacement* CourseEditor::meshAt(int index) const {
    return currentCourse == nullptr ? nullptr : elementAt(currentCourse->xfilePlacements, index);
}

int CourseEditor::controlledMesh() const {
    if (currentCourse == nullptr || lastXfilePlacement == nullptr) {
        return -1;
    }
    int index = 0;
    for (const auto& placement : currentCourse->xfilePlacements) {
        if (&placement == lastXfilePlacement) {
            return index;
        }
        ++index;
    }
    return -1;
}

bool CourseEditor::setControlledMesh(int index) {
    if (index == -1) {
        drive(nullptr);
        return true;
    }
    XfilePlacement* placement = meshAt(index);
    if (placement == nullptr) {
        return false;
    }
    drive(placement);
    return true;
}

void CourseEditor::makeCurrent(LCourse_t* course) {
    TW_ASSERT(course == nullptr || holds(courses, course));
    currentCourse = course;
    if (course != nullptr) {
        courseNumber = course->number;
    }
}

void CourseEditor::forgetPlacements() {
    lastXfilePlacement = nullptr;
    lastBitmapPlacement = nullptr;
}

void CourseEditor::renumber() {
    std::int32_t number = 1;
    for (auto& course : courses) {
        course.number = number++;
    }
    if (currentCourse != nullptr) {
        courseNumber = currentCourse->number;
    }
}

void CourseEditor::letGoOf(const LCourse_t& course) {
    if (holds(course.xfilePlacements, lastXfilePlacement)) {
        lastXfilePlacement = nullptr;
    }
    if (holds(course.bitmapPlacements, lastBitmapPlacement)) {
        lastBitmapPlacement = nullptr;
    }
    if (currentCourse == &course) {
        currentCourse = nullptr;
    }
}

CSceneObject* CourseEditor::drivenBody() {
    if (lastXfilePlacement == nullptr || currentCourse == nullptr) {
        return nullptr;
    }
    return &currentCourse->xfilePlacements.body(*lastXfilePlacement);
}
