#include "drive/CourseSnapshot.h"

#include <algorithm>
#include <iterator>

#include "files/SimulationFile.h"
#include "tumbleway/NameField.h"
#include "tumbleway/tumbleway_ext.h"

std::string CourseSnapshot::text() const {
    return simulationFileText(record, &extras);
}

CourseSnapshot takeCourseSnapshot(HTREEITEM item) {
    CourseSnapshot snapshot;
    LSession_t filled;
    const int meshes = twx_get_course(item, &filled);
    if (meshes < 0) {
        return snapshot;
    }
    // The engine's nodes go back to the engine; the snapshot keeps a copy of its own.
    snapshot.record = filled;
    xll_app_delete_Session_Iterator(&filled);
    snapshot.record.item = item;
    snapshot.item = item;
    snapshot.extras.meshes.resize(static_cast<std::size_t>(meshes));
    twx_get_course_extras(item, snapshot.extras.meshes.data(), meshes);
    HTREEITEM current = nullptr;
    if (twx_current_course(&current) == TWX_OK && current == item) {
        snapshot.controlled = twx_controlled_mesh();
    }
    return snapshot;
}

bool putCourseSnapshot(const CourseSnapshot& snapshot, bool replace, int position) {
    // The engine only reads the record; the export takes it by pointer.
    LSession_t record = snapshot.record;
    record.built = 0;
    const std::vector<TwxMeshExtra>& extras = snapshot.extras.meshes;
    const int count = static_cast<int>(extras.size());
    const int result = replace ? twx_replace_course(&record, extras.data(), count)
                               : twx_insert_course(position, &record, extras.data(), count);
    if (result != TWX_OK) {
        return false;
    }
    HTREEITEM current = nullptr;
    if (twx_current_course(&current) == TWX_OK && current == snapshot.item) {
        twx_set_controlled_mesh(snapshot.controlled);
    }
    return true;
}

namespace {

// The first element of two equally long lists whose place differs; null when none does.
template <typename Element>
const Element* firstMoved(const std::list<Element>& before, const std::list<Element>& after) {
    if (before.size() != after.size()) {
        return nullptr;
    }
    const auto moved = std::mismatch(
        before.begin(), before.end(), after.begin(),
        [](const Element& a, const Element& b) { return a.x == b.x && a.y == b.y && a.z == b.z; });
    return moved.second == after.end() ? nullptr : &*moved.second;
}

} // namespace

std::string movedElementName(const CourseSnapshot& before, const CourseSnapshot& after) {
    if (const SessionXfile* mesh = firstMoved(before.record.meshes, after.record.meshes)) {
        return std::string(nameFieldText(mesh->name));
    }
    if (const SessionBitmap* bitmap = firstMoved(before.record.bitmaps, after.record.bitmaps)) {
        return std::string(nameFieldText(bitmap->name));
    }
    return {};
}
