// Sounds tied to meshes: assigned and released by the user, played by the step.
#include "core/SoundRelationService.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "assets/AssetLibrary.h"
#include "assets/AssetMessages.h"
#include "assets/sound/SoundManager.h"
#include "scene/CourseEditor.h"
#include "scene/ListElement.h"
#include "scene/Placements.h"
#include "tumbleway/NameField.h"

namespace {

// The pending relation: the picked meshes and the chosen sound.
SoundRelation relationOf(const XfileEntry& first, const XfileEntry* second,
                         const SoundEntry& sound) {
    SoundRelation relation{};
    setNameField(relation.xfile1, nameFieldText(first.name));
    setNameField(relation.xfile2,
                 second != nullptr ? nameFieldText(second->name) : RelationTable::kMoveKey);
    setNameField(relation.wavfile, nameFieldText(sound.name));
    return relation;
}

bool sameRelation(const SoundRelation& a, const SoundRelation& b) {
    return nameFieldText(a.xfile1) == nameFieldText(b.xfile1) &&
           nameFieldText(a.xfile2) == nameFieldText(b.xfile2) &&
           nameFieldText(a.wavfile) == nameFieldText(b.wavfile);
}

struct Picked {
    const XfileEntry* first;
    const XfileEntry* second; // none for a movement sound
    const SoundEntry* sound;
};

// The library's picks, when they are enough for the button pressed on a course.
std::optional<Picked> pendingRelation(const AssetLibrary& assets, const LCourse_t* course,
                                      bool collisionButton) {
    const Picked picked{assets.firstPick(), assets.secondPick(), assets.currentSound()};
    if (course == nullptr || picked.sound == nullptr || picked.first == nullptr ||
        (collisionButton && picked.second == nullptr)) {
        return std::nullopt;
    }
    return picked;
}

} // namespace

SoundRelationService::SoundRelationService(AssetLibrary& assets, CourseEditor& editor)
    : assets(assets), editor(editor) {}

SoundRelationService::~SoundRelationService() = default;

void SoundRelationService::start(HWND window) {
    soundManager = std::make_unique<SoundManager>();
    // Without a sound device the manager stays silent; nothing else depends on it.
    (void)soundManager->initialize(window, DSSCL_PRIORITY);
}

std::unique_ptr<SoundObject> SoundRelationService::load(const std::string& path) const {
    auto sound = std::make_unique<SoundObject>(path.c_str(), soundManager.get());
    if (sound->load() != 0 && soundManager && soundManager->directSound() != nullptr) {
        return nullptr; // not a wave file the device can play
    }
    // Without a sound device nothing plays anyway; the sound is kept for when one is
    // there (a device made again).
    return sound;
}

void SoundRelationService::assign(bool collisionButton) {
    const auto picked = pendingRelation(assets, editor.current(), collisionButton);
    if (!picked) {
        return;
    }
    const auto [first, second, sound] = *picked;
    LCourse_t& course = *editor.current();
    // The move button makes a collision relation too when both meshes are picked.
    const bool collision = collisionButton || second != nullptr;
    const SoundRelation relation = relationOf(*first, collision ? second : nullptr, *sound);
    RelationTable& table = collision ? *course.collisionTable : *course.moveTable;
    table.add(relation.xfile1, relation.xfile2, relation.wavfile);

    std::string path;
    SoundEntry entry;
    if (!assets.resolve(sound->name, &path) || !(entry.sound = load(path))) {
        // The table keeps the pair; the assignment stays pending.
        reportMissingFile(MissingFile::Sound, sound->name);
        return;
    }
    setNameField(entry.name, nameFieldText(sound->name));
    course.sounds.push_back(std::move(entry));
    course.relations.push_back(relation);
    assets.clearRelationPicks();
}

void SoundRelationService::release(bool collisionButton) {
    const auto picked = pendingRelation(assets, editor.current(), collisionButton);
    if (!picked) {
        return;
    }
    const auto [first, second, sound] = *picked;
    LCourse_t& course = *editor.current();
    const SoundRelation relation = relationOf(*first, collisionButton ? second : nullptr, *sound);
    course.relations.remove_if([&](const SoundRelation& r) { return sameRelation(r, relation); });
    RelationTable& table = collisionButton ? *course.collisionTable : *course.moveTable;
    table.remove(relation.xfile1, relation.xfile2);
    assets.clearRelationPicks();
}

bool SoundRelationService::deleteRelation(int index) {
    LCourse_t* course = editor.current();
    if (course == nullptr) {
        return false;
    }
    auto& relations = course->relations;
    if (elementAt(relations, index) == nullptr) {
        return false;
    }
    relations.erase(std::next(relations.begin(), index));
    // The tables are made again from the relations that stay, as a restore makes them:
    // every relation answers in the collision table, a move relation in the move table too.
    course->collisionTable = std::make_unique<RelationTable>();
    course->moveTable = std::make_unique<RelationTable>();
    for (const auto& relation : relations) {
        const std::string first(nameFieldText(relation.xfile1));
        const std::string second(nameFieldText(relation.xfile2));
        const std::string wav(nameFieldText(relation.wavfile));
        if (second == RelationTable::kMoveKey) {
            course->moveTable->add(first, second, wav);
        }
        course->collisionTable->add(first, second, wav);
    }
    return true;
}

void SoundRelationService::preview() {
    if (assets.currentSound() != nullptr && assets.currentSound()->sound) {
        // A sound that cannot play is silence; the scene goes on.
        (void)assets.currentSound()->sound->play(0, 0, previewFrequencyStep, 0);
    }
}

void SoundRelationService::playCourseSounds(const std::string& wav, int rateStep) {
    if (wav == RelationTable::kNoData) {
        return;
    }
    for (auto& entry : editor.current()->sounds) {
        if (entry.sound && nameFieldText(entry.name) == wav) {
            // A sound that cannot play is silence; the scene goes on.
            (void)entry.sound->play(0, 0, rateStep, 0);
        }
    }
}

std::string SoundRelationService::collisionSound(std::string_view first,
                                                 std::string_view second) const {
    // An empty table answers "nodata" to every pair; most scenes have no relation, and
    // then a contact costs no lookup at all.
    const LCourse_t* course = editor.current();
    if (course == nullptr || !course->collisionTable || course->collisionTable->empty()) {
        return RelationTable::kNoData;
    }
    return course->collisionTable->lookup(std::string(first), std::string(second)).wav;
}

void SoundRelationService::playCollisionSound(const std::string& wav) {
    playCourseSounds(wav, 1);
}

void SoundRelationService::playMovementSound(const XfilePlacement& placement) {
    const LCourse_t* course = editor.current();
    if (course == nullptr || !course->moveTable) {
        return;
    }
    const auto answer = course->moveTable->lookup(std::string(nameFieldText(placement.name)),
                                                  RelationTable::kMoveKey);
    playCourseSounds(answer.wav,
                     static_cast<int>(course->xfilePlacements.body(placement).speed * 10.0));
}

void SoundRelationService::playMovementSounds() {
    const LCourse_t* course = editor.current();
    if (course == nullptr || !course->moveTable || course->moveTable->empty()) {
        return; // every answer would be "nodata"
    }
    // The table does not change during the step, so each mesh name is looked up once
    // per frame. A course places few different meshes; past a handful the remaining
    // names are looked up directly.
    constexpr std::size_t kRemembered = 16;
    struct Answer {
        std::string_view name;
        std::string wav;
    };
    std::vector<Answer> answers;
    // A sound has one buffer and starts over when started again, so the thousands of
    // balls of a crowd that each start theirs leave it as the last of them did: each
    // sound is started once, at the rate of the last placement that asks for it.
    struct Asked {
        std::string wav;
        int rateStep;
    };
    std::vector<Asked> asked;
    for (const auto& placement : course->xfilePlacements) {
        const std::string_view name = nameFieldText(placement.name);
        const auto known = std::find_if(answers.begin(), answers.end(),
                                        [&](const Answer& answer) { return answer.name == name; });
        std::string looked;
        const std::string* wav = known != answers.end() ? &known->wav : &looked;
        if (known == answers.end()) {
            looked = course->moveTable->lookup(std::string(name), RelationTable::kMoveKey).wav;
            if (answers.size() < kRemembered) {
                answers.push_back({name, std::move(looked)});
                wav = &answers.back().wav;
            }
        }
        if (*wav == RelationTable::kNoData) {
            continue;
        }
        const int rateStep = static_cast<int>(course->xfilePlacements.body(placement).speed * 10.0);
        const auto same =
            std::find_if(asked.begin(), asked.end(), [&](const Asked& a) { return a.wav == *wav; });
        if (same != asked.end()) {
            same->rateStep = rateStep;
        } else {
            asked.push_back({*wav, rateStep});
        }
    }
    for (const Asked& sound : asked) {
        playCourseSounds(sound.wav, sound.rateStep);
    }
}
