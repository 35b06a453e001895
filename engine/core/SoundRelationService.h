#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>

#include "d3d9/d3d9.h"

class AssetLibrary;
class CourseEditor;
class SoundManager;
class SoundObject;
struct XfilePlacement;

// The sounds tied to the current course's meshes: the relations the user assigns and
// releases from the library's picks, and their playing when meshes meet or move. It
// owns the sound device (the manager) and loads every sound the engine plays on it.
class SoundRelationService {
public:
    SoundRelationService(AssetLibrary& assets, CourseEditor& editor);
    ~SoundRelationService();
    SoundRelationService(const SoundRelationService&) = delete;
    SoundRelationService& operator=(const SoundRelationService&) = delete;

    // Opens the sound device for the window; without one every sound is silence.
    void start(HWND window);
    // A sound on the device; null when the file is not a wave the device can play.
    std::unique_ptr<SoundObject> load(const std::string& path) const;

    // The library's picks (a mesh, another for a collision, a sound) as a relation of
    // the current course, or that relation taken away.
    void assign(bool collisionButton);
    void release(bool collisionButton);
    // Removes relation index of the current course, from 0.
    [[nodiscard]] bool deleteRelation(int index);
    // Plays the library's current sound.
    void preview();

    // The sound a collision of the two meshes plays by the current course's relations:
    // the wave's name, or RelationTable::kNoData.
    std::string collisionSound(std::string_view first, std::string_view second) const;
    // Plays every sound of the current course named wav, as a collision starts it.
    void playCollisionSound(const std::string& wav);
    void playMovementSound(const XfilePlacement& placement);
    // What playMovementSound for every placement of the current course, in list order,
    // leaves playing.
    void playMovementSounds();

private:
    friend class CEngineAppTestPeer; // what tests read that no user action shows
    // Plays every sound of the current course named wav.
    void playCourseSounds(const std::string& wav, int rateStep);

    AssetLibrary& assets;
    CourseEditor& editor;
    std::unique_ptr<SoundManager> soundManager;
    std::int32_t previewFrequencyStep = 0;
};
