// A course built again from the record the host read: its points, its placements with
// their files found beside the scene, its sounds and relations, and its geometry.
#include "core/SceneReader.h"

#include <algorithm>
#include <cmath>
#include <filesystem>
#include <memory>
#include <string>
#include <unordered_map>

#include "assets/AssetLibrary.h"
#include "assets/AssetMessages.h"
#include "core/AssetLoader.h"
#include "core/CourseBuilder.h"
#include "core/NonFiniteElements.h"
#include "core/SoundRelationService.h"
#include "course/CourseField.h"
#include "course/CourseSpline.h"
#include "course/CourseTrack.h"
#include "render/HostView.h"
#include "render/Renderer.h"
#include "scene/CourseEditor.h"
#include "scene/CoursePoints.h"
#include "scene/ListElement.h"
#include "scene/Placements.h"
#include "tumbleway/NameField.h"

SceneReader::SceneReader(CourseEditor& editor, AssetLibrary& assets, SoundRelationService& sounds,
                         CourseBuilder& courses, Renderer& renderer, const HostView& view)
    : editor(editor), assets(assets), sounds(sounds), courses(courses), renderer(renderer),
      view(view) {}

HRESULT SceneReader::restore(const LSession_t& session, int* number,
                             std::span<const TwxMeshExtra> extras) {
    // A scene's files lie beside it, in the folder the host read it in: they are found
    // there for as long as the course lives.
    std::error_code noFolder;
    assets.rememberFolder(std::filesystem::current_path(noFolder).string());
    NonFiniteElements nonFinite;
    LCourse_t course;
    readPoints(session, course, nonFinite);
    readMeshes(session, extras, course, nonFinite);
    readBitmaps(session, course, nonFinite);
    readSounds(session, course);
    readRelations(session, course);

    // The points being laid start afresh: the scene's own are in its course. Both lists
    // are emptied, as they must run in parallel (the n-th dotted and the n-th calculated
    // point come from the same click), and the next course is made of new clicks only.
    editor.laidPoints().clear();

    buildGeometry(course);
    LCourse_t& restored = addAsCurrent(std::move(course));
    giveRelationsTheirSounds(restored);

    nonFinite.report();
    if (number != nullptr) {
        *number = restored.number;
    }
    return S_OK;
}

void SceneReader::readPoints(const LSession_t& session, LCourse_t& course,
                             NonFiniteElements& nonFinite) {
    course.number = session.number;
    course.flag = session.flag;
    course.treeItem = session.item;
    course.dottedPoints = nonFinite.finitePoints(session.dottedPoints);
    course.dottedTrace = nonFinite.finitePoints(session.dottedTrace);
    course.calculatedPoints = nonFinite.finitePoints(session.calculatedPoints);
}

// Each mesh file the record names is looked for and loaded once, and its placements
// share it; one that is missing is reported for each of its elements, which are
// dropped, and the next is still restored.
void SceneReader::readMeshes(const LSession_t& session, std::span<const TwxMeshExtra> extras,
                             LCourse_t& course, NonFiniteElements& nonFinite) {
    std::unordered_map<std::string, std::shared_ptr<MeshObject>> meshOfName;
    course.xfilePlacements.reserve(course.xfilePlacements.size() + session.meshes.size());
    std::size_t meshIndex = 0;
    for (const auto& saved : session.meshes) {
        // What the record's n-th mesh carries, whichever meshes before it are dropped.
        const TwxMeshExtra extra =
            meshIndex < extras.size() ? extras[meshIndex] : TwxMeshExtra{0.0f, 0.0f};
        ++meshIndex;
        if (nonFinite.refuse(saved)) {
            continue;
        }
        const std::string name(nameFieldText(saved.name));
        auto [known, unseen] = meshOfName.try_emplace(name);
        std::string path;
        if (unseen && assets.resolve(name.c_str(), &path)) {
            known->second = course.meshes.acquire(view.device, path).mesh;
        }
        if (!known->second) {
            reportMissingFile(MissingFile::Xfile, name.c_str());
            continue;
        }
        XfilePlacement placement;
        placement.mesh = known->second;
        placement.flag = saved.flag;
        placement.x = saved.x;
        placement.y = saved.y;
        placement.z = saved.z;
        placement.yaw = saved.yaw;
        placement.radius = saved.radius; // the saved radius stays in force
        setNameField(placement.name, name);
        CSceneObject body;
        body.radius = saved.radius;
        body.yawOffset = saved.yaw;
        body.position = body.stepPosition = D3DXVECTOR3(saved.x, saved.y, saved.z);
        body.modelOffset = D3DXVECTOR3(0, std::isfinite(extra.lift) ? extra.lift : 0.0f, 0);
        body.yaw = std::isfinite(extra.turn) ? extra.turn : 0.0f;
        course.xfilePlacements.add(std::move(placement), body);
    }
    course.xfilePlacements.renumber(1);
}

void SceneReader::readBitmaps(const LSession_t& session, LCourse_t& course,
                              NonFiniteElements& nonFinite) {
    for (const auto& saved : session.bitmaps) {
        if (nonFinite.refuse(saved)) {
            continue;
        }
        const std::string name(nameFieldText(saved.name));
        std::string path;
        if (!assets.resolve(name.c_str(), &path)) {
            reportMissingFile(MissingFile::Bitmap, name.c_str());
            continue;
        }
        BitmapPlacement placement;
        placement.bitmap = loadBillboard(view, path);
        placement.halfWidth = placement.bitmap->halfWidth();
        placement.halfHeight = placement.bitmap->halfHeight();
        setNameField(placement.name, name);
        placement.drawX = placement.x = saved.x;
        placement.drawY = placement.y = saved.y;
        placement.drawZ = placement.z = saved.z;
        course.bitmapPlacements.push_back(std::move(placement));
    }
    renumber(course.bitmapPlacements, 1);
}

void SceneReader::readSounds(const LSession_t& session, LCourse_t& course) {
    std::int32_t soundId = 0;
    for (const auto& saved : session.sounds) {
        const std::string name(nameFieldText(saved.name));
        std::string path;
        SoundEntry entry;
        if (!assets.resolve(name.c_str(), &path) || !(entry.sound = sounds.load(path))) {
            reportMissingFile(MissingFile::Sound, name.c_str());
            continue;
        }
        entry.id = soundId++;
        entry.carried[0] = saved.carried[0];
        entry.carried[1] = saved.carried[1];
        entry.flag = 0;
        setNameField(entry.name, name);
        entry.item = saved.item;
        course.sounds.push_back(std::move(entry));
    }
}

void SceneReader::readRelations(const LSession_t& session, LCourse_t& course) {
    course.collisionTable = std::make_unique<RelationTable>();
    course.moveTable = std::make_unique<RelationTable>();
    for (const auto& relation : session.relations) {
        const bool move = nameFieldText(relation.xfile2) == RelationTable::kMoveKey;
        RelationTable& table = move ? *course.moveTable : *course.collisionTable;
        table.add(std::string(nameFieldText(relation.xfile1)),
                  std::string(nameFieldText(relation.xfile2)),
                  std::string(nameFieldText(relation.wavfile)));
        course.relations.push_back(relation);
    }
}

// The geometry is built as for a new course. A record of fewer than three points makes
// no loop: the course is kept, without a surface.
void SceneReader::buildGeometry(LCourse_t& course) {
    course.dottedSpline.reset();
    buildDottedTrace(course, view.width, view.height);
    course.calculatedSpline = makeCalculatedSpline(course.calculatedPoints);
    course.field = std::make_unique<CCourseField>();
    course.field->setTextureName(courses.fieldTextureName());
    for (const auto& point : course.calculatedPoints) {
        course.field->addControlPoint(point.x, point.y, point.z);
    }
    course.stripsCreated = false;
    // Banked, as a course whose points were edited is rebuilt: a scene comes back with
    // the surface it was saved with (a course of level points is the same either way).
    if (SUCCEEDED(sampleCentreline(course, PitchMode::Banked))) {
        renderer.noteSampleCount(course.track->sampleCount());
        courses.buildMeshes(course, StartHeading::Set);
    }
}

LCourse_t& SceneReader::addAsCurrent(LCourse_t&& course) {
    LCourse_t& restored = editor.add(std::move(course));
    editor.makeCurrent(&restored);
    if (!restored.xfilePlacements.empty()) {
        editor.drive(&restored.xfilePlacements.back());
    }
    return restored;
}

// Every relation is answered by the collision table as well, and gets a sound to play.
// A sound the record already brought is not loaded twice, so saving and opening a
// scene again and again does not multiply its sounds.
void SceneReader::giveRelationsTheirSounds(LCourse_t& restored) {
    for (auto relation = restored.relations.begin(); relation != restored.relations.end();) {
        const std::string wav(nameFieldText(relation->wavfile));
        restored.collisionTable->add(std::string(nameFieldText(relation->xfile1)),
                                     std::string(nameFieldText(relation->xfile2)), wav);
        std::string path;
        const bool loaded =
            std::any_of(restored.sounds.begin(), restored.sounds.end(),
                        [&](const SoundEntry& e) { return nameFieldText(e.name) == wav; });
        SoundEntry entry;
        if (!loaded &&
            (!assets.resolve(wav.c_str(), &path) || !(entry.sound = sounds.load(path)))) {
            reportMissingFile(MissingFile::Sound, wav.c_str());
            relation = restored.relations.erase(relation);
            continue;
        }
        if (!loaded) {
            setNameField(entry.name, wav);
            restored.sounds.push_back(std::move(entry));
        }
        ++relation;
    }
}
