// The current course flattened into the record the host saves, and a course built
// again from such a record.
#include <cmath>
#include <filesystem>
#include <unordered_map>

#include "assets/AssetMessages.h"
#include "core/EngineApp.h"
#include "course/CourseField.h"
#include "course/CourseSpline.h"
#include "course/CourseTrack.h"
#include "scene/CoursePoints.h"
#include "tumbleway/FiniteNumbers.h"
#include "tumbleway/NameField.h"

namespace {

template <typename List>
void renumberFromOne(List& list) {
    std::int32_t id = 1;
    for (auto& element : list) {
        element.id = id++;
    }
}

// A host's record may carry numbers that are not finite (a reader that let them
// through, or a record made by hand); one of them would make the whole course, and
// every body that meets it, NaN. Elements holding one are left out and counted.
class NonFiniteElements {
public:
    template <typename Element>
    bool refuse(const Element& element) {
        const bool refused = !allFinite(element);
        m_count += refused ? 1 : 0;
        return refused;
    }

    std::list<LPoint_t> finitePoints(const std::list<LPoint_t>& points) {
        std::list<LPoint_t> kept;
        for (const LPoint_t& point : points) {
            if (!refuse(point)) {
                kept.push_back(point);
            }
        }
        return kept;
    }

    // Tells the user once how many elements were left out, if any.
    void report() const {
        if (m_count == 0) {
            return;
        }
        const std::string text = "Left out " + std::to_string(m_count) +
                                 (m_count == 1 ? " element of the scene: a number in it"
                                               : " elements of the scene: a number in each") +
                                 " is not finite (NaN or infinite).";
        MessageBoxA(nullptr, text.c_str(), "Tumble Way", MB_OK | MB_ICONERROR);
    }

private:
    std::size_t m_count = 0;
};

} // namespace

void CEngineApp::fillSession(LSession_t& session) const {
    if (editor.current() != nullptr) {
        fillSessionOf(*editor.current(), session);
    }
}

void CEngineApp::fillSessionOf(const LCourse_t& course, LSession_t& session) const {
    session.dottedPoints.insert(session.dottedPoints.end(), course.dottedPoints.begin(),
                                course.dottedPoints.end());
    session.calculatedPoints.insert(session.calculatedPoints.end(), course.calculatedPoints.begin(),
                                    course.calculatedPoints.end());
    for (const auto& placement : course.bitmapPlacements) {
        SessionBitmap bitmap{};
        bitmap.id = placement.id;
        setNameField(bitmap.name, nameFieldText(placement.name));
        bitmap.x = placement.x;
        bitmap.y = placement.y;
        bitmap.z = placement.z;
        session.bitmaps.push_back(bitmap);
    }
    for (const auto& placement : course.xfilePlacements) {
        SessionXfile mesh{};
        mesh.id = placement.id();
        mesh.flag = placement.flag;
        // The body holds the live pose.
        const CSceneObject& body = course.xfilePlacements.body(placement);
        mesh.x = body.stepPosition.x;
        mesh.y = body.stepPosition.y;
        mesh.z = body.stepPosition.z;
        mesh.yaw = body.yawOffset;
        mesh.radius = placement.radius;
        setNameField(mesh.name, nameFieldText(placement.name));
        session.meshes.push_back(mesh);
    }
    for (const auto& entry : course.sounds) {
        SessionSound sound{};
        sound.id = entry.id;
        sound.carried[0] = entry.carried[0];
        sound.carried[1] = entry.carried[1];
        sound.flag = entry.flag;
        setNameField(sound.name, nameFieldText(entry.name));
        sound.item = entry.item;
        session.sounds.push_back(sound);
    }
    session.relations.insert(session.relations.end(), course.relations.begin(),
                             course.relations.end());
}

void CEngineApp::emptySession(LSession_t& session) const {
    session.meshes.clear();
    session.bitmaps.clear();
    session.sounds.clear();
    session.relations.clear();
    session.calculatedPoints.clear();
    session.dottedPoints.clear();
}

HRESULT CEngineApp::restoreSession(const LSession_t& session, int* number,
                                   std::span<const TwxMeshExtra> extras) {
    // A scene's files lie beside it, in the folder the host read it in: they are found
    // there for as long as the course lives.
    std::error_code noFolder;
    assets.rememberFolder(std::filesystem::current_path(noFolder).string());
    NonFiniteElements nonFinite;
    LCourse_t course;
    course.number = session.number;
    course.flag = session.flag;
    course.treeItem = session.item;
    course.dottedPoints = nonFinite.finitePoints(session.dottedPoints);
    course.dottedTrace = nonFinite.finitePoints(session.dottedTrace);
    course.calculatedPoints = nonFinite.finitePoints(session.calculatedPoints);

    // Each mesh file the record names is looked for and loaded once, and its placements
    // share it; one that is missing is reported for each of its elements, which are
    // dropped, and the next is still restored.
    std::unordered_map<std::string, std::shared_ptr<MeshObject>> meshOfName;
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
            known->second = course.meshes.acquire(device, path).mesh;
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
        placement.bitmap = loadBillboard(path);
        placement.halfWidth = placement.bitmap->halfWidth();
        placement.halfHeight = placement.bitmap->halfHeight();
        setNameField(placement.name, name);
        placement.drawX = placement.x = saved.x;
        placement.drawY = placement.y = saved.y;
        placement.drawZ = placement.z = saved.z;
        course.bitmapPlacements.push_back(std::move(placement));
    }
    renumberFromOne(course.bitmapPlacements);

    std::int32_t soundId = 0;
    for (const auto& saved : session.sounds) {
        const std::string name(nameFieldText(saved.name));
        std::string path;
        SoundEntry entry;
        if (!assets.resolve(name.c_str(), &path) || !(entry.sound = loadSound(path))) {
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

    // The points being laid start afresh: the scene's own are in its course. Both lists
    // are emptied, as they must run in parallel (the n-th dotted and the n-th calculated
    // point come from the same click), and the next course is made of new clicks only.
    editor.laidPoints().clear();

    // The geometry is built as for a new course. A record of fewer than three points
    // makes no loop: the course is kept, without a surface.
    course.dottedSpline.reset();
    buildDottedTrace(course, viewWidth, viewHeight);
    course.calculatedSpline = makeCalculatedSpline(course.calculatedPoints);
    course.field = std::make_unique<CCourseField>();
    course.field->setTextureName(fieldTextureName());
    for (const auto& point : course.calculatedPoints) {
        course.field->addControlPoint(point.x, point.y, point.z);
    }
    course.stripsCreated = false;
    // Banked, as a course whose points were edited is rebuilt: a scene comes back with
    // the surface it was saved with (a course of level points is the same either way).
    if (SUCCEEDED(sampleCentreline(course, PitchMode::Banked))) {
        intInfo = course.track->sampleCount();
        buildCourseMeshes(course, StartHeading::Set);
    }

    LCourse_t& restored = editor.add(std::move(course));
    editor.makeCurrent(&restored);
    if (!restored.xfilePlacements.empty()) {
        editor.drive(&restored.xfilePlacements.back());
    }

    // Every relation is answered by the collision table as well, and gets a sound to
    // play. A sound the record already brought is not loaded twice, so saving and
    // opening a scene again and again does not multiply its sounds.
    for (auto relation = restored.relations.begin(); relation != restored.relations.end();) {
        const std::string wav(nameFieldText(relation->wavfile));
        restored.collisionTable->add(std::string(nameFieldText(relation->xfile1)),
                                     std::string(nameFieldText(relation->xfile2)), wav);
        std::string path;
        const bool loaded =
            std::any_of(restored.sounds.begin(), restored.sounds.end(),
                        [&](const SoundEntry& e) { return nameFieldText(e.name) == wav; });
        SoundEntry entry;
        if (!loaded && (!assets.resolve(wav.c_str(), &path) || !(entry.sound = loadSound(path)))) {
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

    nonFinite.report();
    if (number != nullptr) {
        *number = restored.number;
    }
    return S_OK;
}
