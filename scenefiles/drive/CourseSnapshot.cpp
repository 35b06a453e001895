#include "drive/CourseSnapshot.h"

#include <algorithm>
#include <iterator>
#include <vector>

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

template <typename List>
auto elements(List& list) {
    std::vector<decltype(&list.front())> pointers;
    pointers.reserve(list.size());
    for (auto& element : list) {
        pointers.push_back(&element);
    }
    return pointers;
}

// For each element of one list, the position of the element of another it is, if any.
// Lists one edit apart share a head and a tail; between them, lists of one length pair
// up in order (elements the edit changed where they are), others not at all (elements
// that came or went).
template <typename Same>
std::vector<std::optional<std::size_t>> pairElements(std::size_t count, std::size_t otherCount,
                                                     Same same) {
    std::vector<std::optional<std::size_t>> paired(count);
    std::size_t head = 0;
    for (; head < count && head < otherCount && same(head, head); ++head) {
        paired[head] = head;
    }
    std::size_t tail = 0;
    for (; head + tail < count && head + tail < otherCount &&
           same(count - 1 - tail, otherCount - 1 - tail);
         ++tail) {
        paired[count - 1 - tail] = otherCount - 1 - tail;
    }
    if (count == otherCount) {
        for (std::size_t i = head; i + tail < count; ++i) {
            paired[i] = i;
        }
    }
    return paired;
}

// Each element of `kept` paired with one of `other` takes what `keepPlace` keeps of the
// element `now` holds in that position. same(a, i, b, j): elements a at i and b at j
// are one element, unchanged.
template <typename Element, typename Same, typename KeepPlace>
void keepPlaces(std::list<Element>& kept, const std::list<Element>& other,
                const std::list<Element>& now, Same same, KeepPlace keepPlace) {
    const auto keptElements = elements(kept);
    const auto otherElements = elements(other);
    const auto nowElements = elements(now);
    const auto pairs = pairElements(kept.size(), other.size(), [&](std::size_t i, std::size_t j) {
        return same(*keptElements[i], i, *otherElements[j], j);
    });
    for (std::size_t i = 0; i < pairs.size(); ++i) {
        if (const auto j = pairs[i]) {
            keepPlace(*keptElements[i], *otherElements[*j], *nowElements[*j]);
        }
    }
}

bool sameName(const char (&a)[kNameFieldSize], const char (&b)[kNameFieldSize]) {
    return nameFieldText(a) == nameFieldText(b);
}

TwxMeshExtra extraAt(const SceneExtras& extras, std::size_t index) {
    return index < extras.meshes.size() ? extras.meshes[index] : TwxMeshExtra{};
}

// A field the edit did not change takes the value it has now.
void keepUnedited(float& field, float other, float now) {
    if (field == other) {
        field = now;
    }
}

} // namespace

CourseSnapshot keepPlayedPlaces(const CourseSnapshot& target, const CourseSnapshot& other,
                                const CourseSnapshot& now) {
    CourseSnapshot kept = target;
    if (now.item == nullptr || now.item != target.item ||
        now.record.meshes.size() != other.record.meshes.size() ||
        now.record.bitmaps.size() != other.record.bitmaps.size()) {
        return kept;
    }
    keepPlaces(
        kept.record.meshes, other.record.meshes, now.record.meshes,
        [&](const SessionXfile& a, std::size_t i, const SessionXfile& b, std::size_t j) {
            const TwxMeshExtra ea = extraAt(target.extras, i);
            const TwxMeshExtra eb = extraAt(other.extras, j);
            return a.flag == b.flag && a.x == b.x && a.y == b.y && a.z == b.z && a.yaw == b.yaw &&
                   a.radius == b.radius && sameName(a.name, b.name) && ea.lift == eb.lift &&
                   ea.turn == eb.turn;
        },
        [](SessionXfile& mesh, const SessionXfile& other, const SessionXfile& played) {
            keepUnedited(mesh.x, other.x, played.x);
            keepUnedited(mesh.y, other.y, played.y);
            keepUnedited(mesh.z, other.z, played.z);
            keepUnedited(mesh.yaw, other.yaw, played.yaw);
        });
    keepPlaces(
        kept.record.bitmaps, other.record.bitmaps, now.record.bitmaps,
        [](const SessionBitmap& a, std::size_t, const SessionBitmap& b, std::size_t) {
            return a.x == b.x && a.y == b.y && a.z == b.z && sameName(a.name, b.name);
        },
        [](SessionBitmap& bitmap, const SessionBitmap& other, const SessionBitmap& played) {
            keepUnedited(bitmap.x, other.x, played.x);
            keepUnedited(bitmap.y, other.y, played.y);
            keepUnedited(bitmap.z, other.z, played.z);
        });
    return kept;
}

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
