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

// The position of the first element of two equally long lists whose place differs.
template <typename Element>
std::optional<std::size_t> firstMoved(const std::list<Element>& before,
                                      const std::list<Element>& after) {
    if (before.size() != after.size()) {
        return std::nullopt;
    }
    const auto moved = std::mismatch(
        before.begin(), before.end(), after.begin(),
        [](const Element& a, const Element& b) { return a.x == b.x && a.y == b.y && a.z == b.z; });
    if (moved.first == before.end()) {
        return std::nullopt;
    }
    return static_cast<std::size_t>(std::distance(before.begin(), moved.first));
}

template <typename Element>
const Element* at(const std::list<Element>& list, std::size_t index) {
    return index < list.size() ? &*std::next(list.begin(), static_cast<std::ptrdiff_t>(index))
                               : nullptr;
}

template <typename Element>
bool copyPlace(std::list<Element>& onto, const std::list<Element>& from, std::size_t index) {
    const Element* source = at(from, index);
    if (source == nullptr || index >= onto.size()) {
        return false;
    }
    Element& target = *std::next(onto.begin(), static_cast<std::ptrdiff_t>(index));
    target.x = source->x;
    target.y = source->y;
    target.z = source->z;
    return true;
}

} // namespace

std::optional<PlacedElement> movedElement(const CourseSnapshot& before,
                                          const CourseSnapshot& after) {
    if (const auto mesh = firstMoved(before.record.meshes, after.record.meshes)) {
        return PlacedElement{PlacedElement::Kind::Mesh, *mesh};
    }
    if (const auto bitmap = firstMoved(before.record.bitmaps, after.record.bitmaps)) {
        return PlacedElement{PlacedElement::Kind::Bitmap, *bitmap};
    }
    return std::nullopt;
}

std::string elementName(const CourseSnapshot& snapshot, PlacedElement element) {
    if (element.kind == PlacedElement::Kind::Mesh) {
        const SessionXfile* mesh = at(snapshot.record.meshes, element.index);
        return mesh != nullptr ? std::string(nameFieldText(mesh->name)) : std::string();
    }
    const SessionBitmap* bitmap = at(snapshot.record.bitmaps, element.index);
    return bitmap != nullptr ? std::string(nameFieldText(bitmap->name)) : std::string();
}

bool takePlace(CourseSnapshot& onto, const CourseSnapshot& from, PlacedElement element) {
    return element.kind == PlacedElement::Kind::Mesh
               ? copyPlace(onto.record.meshes, from.record.meshes, element.index)
               : copyPlace(onto.record.bitmaps, from.record.bitmaps, element.index);
}
