// Edits the hosts make beyond the exports: removing courses, placements and sound
// relations, choosing the controlled mesh and raising a mesh.
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

bool CEngineApp::libraryHolds(HTREEITEM item) const {
    const auto has = [item](const auto& library) {
        for (const auto& entry : library) {
            if (entry.item == item) {
                return true;
            }
        }
        return false;
    };
    return has(xfileLibrary) || has(bitmapLibrary) || has(soundLibrary);
}

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

bool CEngineApp::setRelationPicks(HTREEITEM first, HTREEITEM second, HTREEITEM sound) {
    const auto entryOf = [](auto& library, HTREEITEM item) {
        using Entry = typename std::remove_reference_t<decltype(library)>::value_type;
        for (auto& entry : library) {
            if (entry.item == item) {
                return &entry;
            }
        }
        return static_cast<Entry*>(nullptr);
    };
    XfileEntry* firstEntry = entryOf(xfileLibrary, first);
    XfileEntry* secondEntry = second == nullptr ? nullptr : entryOf(xfileLibrary, second);
    SoundEntry* soundEntry = entryOf(soundLibrary, sound);
    if (firstEntry == nullptr || soundEntry == nullptr ||
        (second != nullptr && secondEntry == nullptr)) {
        return false;
    }
    firstPick = firstEntry;
    secondPick = secondEntry;
    currentSound = soundEntry;
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
