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

template <typename List, typename Element>
bool holds(const List& list, const Element* element) {
    for (const auto& candidate : list) {
        if (&candidate == element) {
            return true;
        }
    }
    return false;
}

} // namespace

XfilePlacement* CEngineApp::meshAt(int index) {
    return currentCourse == nullptr ? nullptr : elementAt(currentCourse->xfilePlacements, index);
}

int CEngineApp::controlledMesh() const {
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

bool CEngineApp::setControlledMesh(int index) {
    if (index == -1) {
        lastXfilePlacement = nullptr;
        return true;
    }
    XfilePlacement* placement = meshAt(index);
    if (placement == nullptr) {
        return false;
    }
    lastXfilePlacement = placement;
    return true;
}

bool CEngineApp::deleteCourse(HTREEITEM item) {
    for (auto course = courses.begin(); course != courses.end(); ++course) {
        if (course->treeItem != item) {
            continue;
        }
        // Nothing may keep pointing into the course once it is gone.
        if (holds(course->xfilePlacements, lastXfilePlacement)) {
            lastXfilePlacement = nullptr;
        }
        if (holds(course->bitmapPlacements, lastBitmapPlacement)) {
            lastBitmapPlacement = nullptr;
        }
        if (currentCourse == &*course) {
            currentCourse = nullptr;
            dragging = false;
        }
        courses.erase(course);
        renumberCourses();
        if (currentCourse != nullptr) {
            courseNumber = currentCourse->number;
        }
        return true;
    }
    return false;
}

bool CEngineApp::deleteXfilePlacement(int index) {
    XfilePlacement* placement = meshAt(index);
    if (placement == nullptr) {
        return false;
    }
    if (lastXfilePlacement == placement) {
        lastXfilePlacement = nullptr;
        dragging = false;
    }
    auto& placements = currentCourse->xfilePlacements;
    placements.erase(std::next(placements.begin(), index));
    return true;
}

bool CEngineApp::deleteBitmapPlacement(int index) {
    if (currentCourse == nullptr) {
        return false;
    }
    auto& placements = currentCourse->bitmapPlacements;
    BitmapPlacement* placement = elementAt(placements, index);
    if (placement == nullptr) {
        return false;
    }
    if (lastBitmapPlacement == placement) {
        lastBitmapPlacement = nullptr;
        dragging = false;
    }
    placements.erase(std::next(placements.begin(), index));
    return true;
}

bool CEngineApp::deleteRelation(int index) {
    if (currentCourse == nullptr) {
        return false;
    }
    auto& relations = currentCourse->relations;
    if (elementAt(relations, index) == nullptr) {
        return false;
    }
    relations.erase(std::next(relations.begin(), index));
    // The tables are made again from the relations that stay, as a restore makes them:
    // every relation answers in the collision table, a move relation in the move table too.
    currentCourse->collisionTable = std::make_unique<RelationTable>();
    currentCourse->moveTable = std::make_unique<RelationTable>();
    for (const auto& relation : relations) {
        const std::string first(nameFieldText(relation.xfile1));
        const std::string second(nameFieldText(relation.xfile2));
        const std::string wav(nameFieldText(relation.wavfile));
        if (second == RelationTable::kMoveKey) {
            currentCourse->moveTable->add(first, second, wav);
        }
        currentCourse->collisionTable->add(first, second, wav);
    }
    return true;
}

const LCourse_t* CEngineApp::courseOf(HTREEITEM item) const {
    for (const auto& course : courses) {
        if (course.treeItem == item) {
            return &course;
        }
    }
    return nullptr;
}

int CEngineApp::coursePosition(HTREEITEM item) const {
    int position = 0;
    for (const auto& course : courses) {
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
        std::find_if(courses.begin(), courses.end(),
                     [&record](const LCourse_t& course) { return course.treeItem == record.item; });
    if (replace == (old == courses.end()) || position < 0 ||
        static_cast<std::size_t>(position) > courses.size()) {
        return false;
    }
    // A restore makes its course current, gives it the arrow keys, turns the heading to
    // its start and empties the points being laid: none of that is an edit's to do.
    LCourse_t* previousCurrent = currentCourse;
    XfilePlacement* previousControlled = lastXfilePlacement;
    const float heading = m_cAngle;
    LaidPoints laid = laidPoints;
    // What could be read is restored; the rest of the session is skipped.
    (void)restoreSession(record, nullptr, extras);
    auto made = std::prev(courses.end());
    m_cAngle = heading;
    laidPoints = std::move(laid);

    const bool oldWasCurrent = replace && previousCurrent == &*old;
    currentCourse = oldWasCurrent ? &*made : previousCurrent;
    lastXfilePlacement = previousControlled;
    if (replace) {
        // The course takes the place of the one it replaces; nothing may keep pointing
        // into that one.
        if (holds(old->xfilePlacements, lastXfilePlacement)) {
            lastXfilePlacement = nullptr;
        }
        if (holds(old->bitmapPlacements, lastBitmapPlacement)) {
            lastBitmapPlacement = nullptr;
        }
        courses.splice(old, courses, made);
        courses.erase(old);
        dragging = false;
    } else {
        courses.splice(std::next(courses.begin(), position), courses, made);
    }
    renumberCourses();
    if (currentCourse != nullptr) {
        courseNumber = currentCourse->number;
    }
    return true;
}

void CEngineApp::workingPoints(LSession_t& points) const {
    points.dottedPoints.insert(points.dottedPoints.end(), laidPoints.dotted().begin(),
                               laidPoints.dotted().end());
    points.calculatedPoints.insert(points.calculatedPoints.end(), laidPoints.calculated().begin(),
                                   laidPoints.calculated().end());
}

bool CEngineApp::setWorkingPoints(const LSession_t& points) {
    if (!laidPoints.assign(points.dottedPoints, points.calculatedPoints)) {
        return false;
    }
    createAllowed = laidPoints.any();
    return true;
}
