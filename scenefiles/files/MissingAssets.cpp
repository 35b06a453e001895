#include "files/MissingAssets.h"

#include <algorithm>
#include <string_view>

#include "tumbleway/NameField.h"

namespace {

std::string nameOf(const char (&field)[kNameFieldSize]) {
    return std::string(nameFieldText(field));
}

void addName(std::vector<std::string>& names, const std::string& name) {
    if (!name.empty() && std::find(names.begin(), names.end(), name) == names.end()) {
        names.push_back(name);
    }
}

// Moves the elements of `from` that `missing` picks to the end of `to`.
template <typename T, typename Pick>
void moveOut(std::list<T>& from, std::list<T>& to, Pick missing) {
    for (auto element = from.begin(); element != from.end();) {
        const auto next = std::next(element);
        if (missing(*element)) {
            to.splice(to.end(), from, element);
        }
        element = next;
    }
}

// The elements of `given` without a counterpart in `kept`, which holds what was kept of
// `given` in its order; `same` tells an element and its counterpart.
template <typename T, typename Same>
std::vector<std::size_t> notKept(const std::list<T>& given, const std::list<T>& kept, Same same) {
    std::vector<std::size_t> dropped;
    auto next = kept.begin();
    std::size_t index = 0;
    for (const T& element : given) {
        if (next != kept.end() && same(element, *next)) {
            ++next;
        } else {
            dropped.push_back(index);
        }
        ++index;
    }
    return dropped;
}

template <typename T>
bool sameName(const T& a, const T& b) {
    return nameFieldText(a.name) == nameFieldText(b.name);
}

bool sameRelation(const SessionRelation& a, const SessionRelation& b) {
    return nameFieldText(a.xfile1) == nameFieldText(b.xfile1) &&
           nameFieldText(a.xfile2) == nameFieldText(b.xfile2) &&
           nameFieldText(a.wavfile) == nameFieldText(b.wavfile);
}

template <typename T>
void copyAt(const std::list<T>& from, const std::vector<std::size_t>& indices, std::list<T>& to) {
    for (std::size_t index : indices) {
        to.push_back(*std::next(from.begin(), static_cast<std::ptrdiff_t>(index)));
    }
}

TwxMeshExtra extraAt(const SceneExtras& extras, std::size_t index) {
    return index < extras.meshes.size() ? extras.meshes[index] : TwxMeshExtra{0.0f, 0.0f};
}

} // namespace

bool MissingAssets::empty() const {
    return meshes.empty() && bitmaps.empty() && sounds.empty() && relations.empty();
}

std::vector<std::string> MissingAssets::fileNames() const {
    std::vector<std::string> names;
    for (const SessionXfile& mesh : meshes) {
        addName(names, nameOf(mesh.name));
    }
    for (const SessionBitmap& bitmap : bitmaps) {
        addName(names, nameOf(bitmap.name));
    }
    for (const SessionSound& sound : sounds) {
        addName(names, nameOf(sound.name));
    }
    for (const SessionRelation& relation : relations) {
        addName(names, nameOf(relation.wavfile));
    }
    return names;
}

std::vector<std::string> sceneFileNames(const LSession_t& record) {
    std::vector<std::string> names;
    for (const SessionXfile& mesh : record.meshes) {
        addName(names, nameOf(mesh.name));
    }
    for (const SessionBitmap& bitmap : record.bitmaps) {
        addName(names, nameOf(bitmap.name));
    }
    for (const SessionSound& sound : record.sounds) {
        addName(names, nameOf(sound.name));
    }
    for (const SessionRelation& relation : record.relations) {
        addName(names, nameOf(relation.wavfile));
    }
    return names;
}

MissingAssets takeMissing(LSession_t& record, SceneExtras& extras,
                          const std::function<bool(const std::string& name)>& found) {
    MissingAssets missing;
    // The extras go with their meshes, so they are sorted out side by side.
    std::vector<TwxMeshExtra> keptExtras;
    std::size_t index = 0;
    for (auto mesh = record.meshes.begin(); mesh != record.meshes.end();) {
        const auto next = std::next(mesh);
        const TwxMeshExtra extra = extraAt(extras, index++);
        if (found(nameOf(mesh->name))) {
            keptExtras.push_back(extra);
        } else {
            missing.meshes.splice(missing.meshes.end(), record.meshes, mesh);
            missing.meshExtras.push_back(extra);
        }
        mesh = next;
    }
    extras.meshes = std::move(keptExtras);
    moveOut(record.bitmaps, missing.bitmaps,
            [&](const SessionBitmap& bitmap) { return !found(nameOf(bitmap.name)); });
    moveOut(record.sounds, missing.sounds,
            [&](const SessionSound& sound) { return !found(nameOf(sound.name)); });
    moveOut(record.relations, missing.relations,
            [&](const SessionRelation& relation) { return !found(nameOf(relation.wavfile)); });
    return missing;
}

void addDropped(const LSession_t& given, const SceneExtras& givenExtras, const LSession_t& restored,
                MissingAssets& missing) {
    const std::vector<std::size_t> meshes =
        notKept(given.meshes, restored.meshes, sameName<SessionXfile>);
    copyAt(given.meshes, meshes, missing.meshes);
    for (std::size_t index : meshes) {
        missing.meshExtras.push_back(extraAt(givenExtras, index));
    }
    copyAt(given.bitmaps, notKept(given.bitmaps, restored.bitmaps, sameName<SessionBitmap>),
           missing.bitmaps);
    copyAt(given.sounds, notKept(given.sounds, restored.sounds, sameName<SessionSound>),
           missing.sounds);
    copyAt(given.relations, notKept(given.relations, restored.relations, sameRelation),
           missing.relations);
}

void appendMissing(const MissingAssets& missing, LSession_t& record, SceneExtras& extras) {
    extras.meshes.resize(record.meshes.size(), TwxMeshExtra{0.0f, 0.0f});
    record.meshes.insert(record.meshes.end(), missing.meshes.begin(), missing.meshes.end());
    extras.meshes.insert(extras.meshes.end(), missing.meshExtras.begin(), missing.meshExtras.end());
    record.bitmaps.insert(record.bitmaps.end(), missing.bitmaps.begin(), missing.bitmaps.end());
    record.sounds.insert(record.sounds.end(), missing.sounds.begin(), missing.sounds.end());
    record.relations.insert(record.relations.end(), missing.relations.begin(),
                            missing.relations.end());
}
