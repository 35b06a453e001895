#pragma once

#include <span>

#include "d3d9/d3d9.h"
#include "scene/Course.h"
#include "tumbleway/tumbleway_ext.h"

class AssetLibrary;
class CourseBuilder;
class CourseEditor;
class NonFiniteElements;
class Renderer;
class SoundRelationService;
struct HostView;

// Opens scenes: builds a course from the record the host read, with its files found
// beside the scene, and makes it current. What cannot be read (a missing file, a
// number that is not finite) is reported to the user and left out; the rest is
// restored.
class SceneReader {
public:
    SceneReader(CourseEditor& editor, AssetLibrary& assets, SoundRelationService& sounds,
                CourseBuilder& courses, Renderer& renderer, const HostView& view);

    // extras: what each of the record's meshes carries beyond it, in its order. The new
    // course's number goes to *number when given.
    [[nodiscard]] HRESULT restore(const LSession_t& session, int* number,
                                  std::span<const TwxMeshExtra> extras = {});

private:
    // The steps of a restore, in their order.
    void readPoints(const LSession_t& session, LCourse_t& course, NonFiniteElements& nonFinite);
    void readMeshes(const LSession_t& session, std::span<const TwxMeshExtra> extras,
                    LCourse_t& course, NonFiniteElements& nonFinite);
    void readBitmaps(const LSession_t& session, LCourse_t& course, NonFiniteElements& nonFinite);
    void readSounds(const LSession_t& session, LCourse_t& course);
    static void readRelations(const LSession_t& session, LCourse_t& course);
    void buildGeometry(LCourse_t& course);
    LCourse_t& addAsCurrent(LCourse_t&& course);
    void giveRelationsTheirSounds(LCourse_t& course);

    CourseEditor& editor;
    AssetLibrary& assets;
    SoundRelationService& sounds;
    CourseBuilder& courses;
    Renderer& renderer;
    const HostView& view;
};
