// The twx_ extension interface: each function checks that the engine exists and that
// its arguments are sound before it forwards, and answers a TwxResult.
#include <algorithm>
#include <cmath>
#include <cstring>
#include <string>
#include <string_view>

#include "check/CourseCheck.h"
#include "check/CourseCheckPicture.h"
#include "core/EngineApp.h"
#include "core/EngineInstance.h"
#include "core/SessionWriter.h"
#include "course/CourseTrack.h"
#include "filewrite/AtomicFileWriter.h"
#include "tumbleway/NameField.h"
#include "tumbleway/tumbleway_ext.h"

namespace {

// Runs f on the engine, or answers TWX_NO_ENGINE when there is none yet; nothing the
// engine throws leaves the library.
template <typename F>
int withEngine(F&& f) noexcept {
    CEngineApp* engine = engineInstance();
    if (engine == nullptr) {
        return TWX_NO_ENGINE;
    }
    try {
        return f(*engine);
    } catch (...) {
        return TWX_FAILED;
    }
}

int okOr(bool done, int failure) {
    return done ? TWX_OK : failure;
}

// Calls on the current course's lists fail alike when there is no course.
int courseIndexResult(const CEngineApp& engine, bool done) {
    if (engine.editor.current() == nullptr) {
        return TWX_NO_COURSE;
    }
    return okOr(done, TWX_BAD_ARGUMENT);
}

// Pictures of the check are at most this wide and high.
constexpr int kLargestPicture = 8192;

static_assert(static_cast<int>(FindingKind::Fold) == TWX_FINDING_FOLD &&
                  static_cast<int>(FindingKind::FieldOverRoad) == TWX_FINDING_FIELD_OVER_ROAD &&
                  static_cast<int>(FindingKind::CentrelineCrossing) ==
                      TWX_FINDING_CENTRELINE_CROSSING &&
                  static_cast<int>(FindingKind::EdgeCrossing) == TWX_FINDING_EDGE_CROSSING &&
                  static_cast<int>(FindingKind::TightBend) == TWX_FINDING_TIGHT_BEND &&
                  static_cast<int>(FindingKind::Probe) == TWX_FINDING_PROBE &&
                  static_cast<int>(FindingKind::NoExtent) == TWX_FINDING_NO_EXTENT,
              "the checker's kinds are the interface's");

// Whether the current course has a road to check: a course restored from fewer than
// three points (or from points all in one place) has none.
bool hasRoadToCheck(const CEngineApp& engine) {
    const LCourse_t* course = engine.editor.current();
    return course != nullptr && course->track && course->stripsCreated;
}

TwxCourseCheck summaryOf(const CourseCheck& c) {
    TwxCourseCheck s{};
    s.findings = static_cast<int>(c.findings.size());
    s.foldedTriangles = c.foldedTriangles;
    std::copy(c.foldsByStrip.begin(), c.foldsByStrip.end(), s.foldsByStrip);
    s.fieldOverRoad = static_cast<float>(c.fieldOverRoad);
    s.centrelineCrossings = c.centrelineCrossings;
    s.edgeCrossings = c.edgeCrossings;
    s.tightestBend = c.tightestBend;
    s.tightestBendX = c.tightestBendX;
    s.tightestBendZ = c.tightestBendZ;
    s.tightestBendInsideOffset = c.tightestBendInsideOffset;
    s.widestOffset = c.widestOffset;
    s.tightBends = c.tightBends;
    s.probes = c.probes;
    s.probeMisses = c.probeMisses;
    s.worstProbe = c.worstProbe;
    return s;
}

} // namespace

TW_EXPORT int twx_interface_version() {
    return TWX_INTERFACE_VERSION;
}

TW_EXPORT int twx_library_holds(HTREEITEM item) {
    return withEngine(
        [item](CEngineApp& engine) -> int { return engine.assets.holds(item) ? 1 : 0; });
}

TW_EXPORT int twx_restore_session(LSession_t* session, int* courseNumber,
                                  const TwxMeshExtra* extras, int count) {
    return withEngine([=](CEngineApp& engine) -> int {
        if (session == nullptr || count < 0 || (extras == nullptr && count > 0)) {
            return TWX_BAD_ARGUMENT;
        }
        const std::span<const TwxMeshExtra> meshExtras(extras, static_cast<std::size_t>(count));
        return SUCCEEDED(engine.reader.restore(*session, courseNumber, meshExtras))
                   ? TWX_OK
                   : TWX_BAD_ARGUMENT;
    });
}

TW_EXPORT int twx_current_course(HTREEITEM* item) {
    return withEngine([item](CEngineApp& engine) -> int {
        if (item == nullptr) {
            return TWX_BAD_ARGUMENT;
        }
        *item = engine.editor.current() == nullptr ? nullptr : engine.editor.current()->treeItem;
        return engine.editor.current() == nullptr ? TWX_NO_COURSE : TWX_OK;
    });
}

TW_EXPORT int twx_make_course_current(HTREEITEM item) {
    return withEngine([item](CEngineApp& engine) -> int {
        return okOr(engine.makeCourseCurrent(item), TWX_NOT_FOUND);
    });
}

TW_EXPORT int twx_laid_place_of(float x, float z, float* laidX, float* laidZ) {
    return withEngine([=](CEngineApp& engine) -> int {
        if (laidX == nullptr || laidZ == nullptr) {
            return TWX_BAD_ARGUMENT;
        }
        const LCourse_t* course = engine.editor.current();
        if (course == nullptr || !course->track ||
            course->track->samples().size() <= std::size_t{CCourseTrack::kOriginIndex}) {
            return TWX_NO_COURSE;
        }
        // A place of the check has the track's z as its x and the track's x as its z; the
        // track is its samples spread out around the origin sample, and the samples' z
        // runs opposite to the laid points' z.
        const D3DXVECTOR3& origin = course->track->samples()[CCourseTrack::kOriginIndex];
        *laidX = z / CCourseTrack::kCentreScale + origin.x;
        *laidZ = -(x / CCourseTrack::kCentreScale + origin.z);
        return TWX_OK;
    });
}

TW_EXPORT int twx_mesh_count() {
    return withEngine([](CEngineApp& engine) -> int {
        return engine.editor.current() == nullptr
                   ? 0
                   : static_cast<int>(engine.editor.current()->xfilePlacements.size());
    });
}

namespace {

void takePose(const CSceneObject& body, TwxMeshPose* pose) {
    const D3DXMATRIX& world = body.world;
    std::memcpy(pose->world, &world, sizeof pose->world);
    pose->x = world._41;
    pose->y = world._42;
    pose->z = world._43;
    pose->yaw = static_cast<float>(std::atan2(world._13, world._11) / M_PI);
}

} // namespace

TW_EXPORT int twx_get_mesh_pose(int mesh, TwxMeshPose* pose) {
    return withEngine([mesh, pose](CEngineApp& engine) -> int {
        const XfilePlacement* placement = engine.editor.meshAt(mesh);
        if (pose == nullptr || placement == nullptr) {
            return courseIndexResult(engine, false);
        }
        takePose(engine.editor.current()->xfilePlacements.body(*placement), pose);
        return TWX_OK;
    });
}

TW_EXPORT int twx_get_mesh_poses(TwxMeshPose* poses, int capacity) {
    return withEngine([poses, capacity](CEngineApp& engine) -> int {
        if (capacity < 0 || (poses == nullptr && capacity > 0)) {
            return TWX_BAD_ARGUMENT;
        }
        const LCourse_t* course = engine.editor.current();
        if (course == nullptr) {
            return TWX_NO_COURSE;
        }
        int filled = 0;
        for (const auto& placement : course->xfilePlacements) {
            if (filled == capacity) {
                break;
            }
            takePose(course->xfilePlacements.body(placement), &poses[filled++]);
        }
        return filled;
    });
}

TW_EXPORT int twx_get_mesh_lift(int mesh, float* lift) {
    return withEngine([mesh, lift](CEngineApp& engine) -> int {
        const XfilePlacement* placement = engine.editor.meshAt(mesh);
        if (lift == nullptr || placement == nullptr) {
            return courseIndexResult(engine, false);
        }
        *lift = engine.editor.current()->xfilePlacements.body(*placement).modelOffset.y;
        return TWX_OK;
    });
}

TW_EXPORT int twx_set_mesh_lift(int mesh, float lift) {
    return withEngine([mesh, lift](CEngineApp& engine) -> int {
        XfilePlacement* placement = engine.editor.meshAt(mesh);
        if (!std::isfinite(lift) || placement == nullptr) {
            return courseIndexResult(engine, false);
        }
        engine.editor.current()->xfilePlacements.body(*placement).modelOffset =
            D3DXVECTOR3(0, lift, 0);
        return TWX_OK;
    });
}

TW_EXPORT int twx_controlled_mesh() {
    return withEngine([](CEngineApp& engine) -> int { return engine.editor.controlledMesh(); });
}

TW_EXPORT int twx_set_controlled_mesh(int mesh) {
    return withEngine([mesh](CEngineApp& engine) -> int {
        return courseIndexResult(engine, engine.editor.setControlledMesh(mesh));
    });
}

TW_EXPORT int twx_get_heading(float* heading) {
    return withEngine([heading](CEngineApp& engine) -> int {
        if (heading == nullptr) {
            return TWX_BAD_ARGUMENT;
        }
        *heading = engine.input.heading();
        return TWX_OK;
    });
}

TW_EXPORT int twx_set_heading(float heading) {
    return withEngine([heading](CEngineApp& engine) -> int {
        if (!std::isfinite(heading)) {
            return TWX_BAD_ARGUMENT;
        }
        engine.input.setHeading(heading);
        return TWX_OK;
    });
}

TW_EXPORT int twx_set_ghost(int mesh, const float* world) {
    return withEngine([mesh, world](CEngineApp& engine) -> int {
        if (mesh == -1) {
            engine.renderer.showGhost(-1, D3DXMATRIX{});
            return TWX_OK;
        }
        const bool finite = world != nullptr && std::all_of(world, world + 16, [](float v) {
                                return std::isfinite(v);
                            });
        if (!finite || engine.editor.meshAt(mesh) == nullptr) {
            return courseIndexResult(engine, false);
        }
        D3DXMATRIX ghostWorld;
        std::memcpy(ghostWorld.m, world, sizeof ghostWorld.m);
        engine.renderer.showGhost(mesh, ghostWorld);
        return TWX_OK;
    });
}

TW_EXPORT int twx_set_relation_picks(HTREEITEM first, HTREEITEM second, HTREEITEM sound) {
    return withEngine([=](CEngineApp& engine) -> int {
        return okOr(engine.assets.setRelationPicks(first, second, sound), TWX_NOT_FOUND);
    });
}

TW_EXPORT int twx_delete_course(HTREEITEM item) {
    return withEngine([item](CEngineApp& engine) -> int {
        return okOr(engine.edits.deleteCourse(item), TWX_NOT_FOUND);
    });
}

TW_EXPORT int twx_delete_mesh(int mesh) {
    return withEngine([mesh](CEngineApp& engine) -> int {
        return courseIndexResult(engine, engine.edits.deleteXfilePlacement(mesh));
    });
}

TW_EXPORT int twx_delete_bitmap(int bitmap) {
    return withEngine([bitmap](CEngineApp& engine) -> int {
        return courseIndexResult(engine, engine.edits.deleteBitmapPlacement(bitmap));
    });
}

TW_EXPORT int twx_delete_relation(int relation) {
    return withEngine([relation](CEngineApp& engine) -> int {
        return courseIndexResult(engine, engine.sounds.deleteRelation(relation));
    });
}

TW_EXPORT int twx_working_point_count() {
    return withEngine([](CEngineApp& engine) -> int {
        return static_cast<int>(engine.editor.laidPoints().size());
    });
}

TW_EXPORT int twx_course_position(HTREEITEM item) {
    return withEngine([item](CEngineApp& engine) -> int {
        const int position = engine.editor.position(item);
        return position < 0 ? TWX_NOT_FOUND : position;
    });
}

namespace {

int putCourse(LSession_t* record, const TwxMeshExtra* extras, int count, int position,
              bool replace) {
    return withEngine([=](CEngineApp& engine) -> int {
        if (record == nullptr || count < 0 || (extras == nullptr && count > 0)) {
            return TWX_BAD_ARGUMENT;
        }
        const std::span<const TwxMeshExtra> meshExtras(extras, static_cast<std::size_t>(count));
        if (!engine.edits.putCourse(*record, meshExtras, position, replace)) {
            return replace ? TWX_NOT_FOUND : TWX_BAD_ARGUMENT;
        }
        return TWX_OK;
    });
}

} // namespace

TW_EXPORT int twx_replace_course(LSession_t* record, const TwxMeshExtra* extras, int count) {
    return putCourse(record, extras, count, 0, true);
}

TW_EXPORT int twx_insert_course(int position, LSession_t* record, const TwxMeshExtra* extras,
                                int count) {
    return putCourse(record, extras, count, position, false);
}

TW_EXPORT int twx_get_working_points(LSession_t* points) {
    return withEngine([points](CEngineApp& engine) -> int {
        if (points == nullptr) {
            return TWX_BAD_ARGUMENT;
        }
        engine.edits.workingPoints(*points);
        return TWX_OK;
    });
}

TW_EXPORT int twx_set_working_points(const LSession_t* points) {
    return withEngine([points](CEngineApp& engine) -> int {
        return points != nullptr && engine.edits.setWorkingPoints(*points) ? TWX_OK
                                                                           : TWX_BAD_ARGUMENT;
    });
}

TW_EXPORT int twx_library_remove(HTREEITEM item) {
    return withEngine([item](CEngineApp& engine) -> int {
        return okOr(engine.assets.remove(item), TWX_NOT_FOUND);
    });
}

TW_EXPORT int twx_get_course(HTREEITEM item, LSession_t* record) {
    return withEngine([=](CEngineApp& engine) -> int {
        const LCourse_t* course = engine.editor.find(item);
        if (record == nullptr) {
            return TWX_BAD_ARGUMENT;
        }
        if (course == nullptr) {
            return TWX_NOT_FOUND;
        }
        fillSessionOf(*course, *record);
        return static_cast<int>(course->xfilePlacements.size());
    });
}

TW_EXPORT int twx_get_course_extras(HTREEITEM item, TwxMeshExtra* extras, int capacity) {
    return withEngine([=](CEngineApp& engine) -> int {
        const LCourse_t* course = engine.editor.find(item);
        if (capacity < 0 || (extras == nullptr && capacity > 0)) {
            return TWX_BAD_ARGUMENT;
        }
        if (course == nullptr) {
            return TWX_NOT_FOUND;
        }
        int index = 0;
        for (const auto& placement : course->xfilePlacements) {
            if (index < capacity) {
                const CSceneObject& body = course->xfilePlacements.body(placement);
                extras[index] = {body.modelOffset.y, body.yaw};
            }
            ++index;
        }
        return index;
    });
}

TW_EXPORT int twx_add_asset_folder(const char* folder) {
    return withEngine([folder](CEngineApp& engine) -> int {
        if (folder == nullptr || folder[0] != '/') {
            return TWX_BAD_ARGUMENT;
        }
        engine.assets.rememberFolder(folder);
        return TWX_OK;
    });
}

TW_EXPORT int twx_find_asset(const char* name, char* path, int capacity) {
    return withEngine([=](CEngineApp& engine) -> int {
        if (name == nullptr || path == nullptr || capacity <= 0) {
            return TWX_BAD_ARGUMENT;
        }
        std::string found;
        if (!engine.assets.resolve(name, &found)) {
            return TWX_NOT_FOUND;
        }
        if (found.size() >= static_cast<std::size_t>(capacity)) {
            return TWX_BAD_ARGUMENT;
        }
        std::memcpy(path, found.c_str(), found.size() + 1);
        return static_cast<int>(found.size());
    });
}

namespace {

// A loaded mesh of that file name: from the library, else placed on some course.
const MeshObject* loadedMeshNamed(const CEngineApp& engine, std::string_view name) {
    for (const XfileEntry& entry : engine.assets.xfiles()) {
        if (entry.mesh && nameFieldText(entry.name) == name) {
            return entry.mesh.get();
        }
    }
    for (const LCourse_t& course : engine.editor.courseList()) {
        for (const XfilePlacement& placement : course.xfilePlacements) {
            if (placement.mesh && nameFieldText(placement.name) == name) {
                return placement.mesh.get();
            }
        }
    }
    return nullptr;
}

} // namespace

TW_EXPORT int twx_mesh_companions(const char* name, char* files, int capacity) {
    return withEngine([=](CEngineApp& engine) -> int {
        if (name == nullptr || files == nullptr || capacity <= 0) {
            return TWX_BAD_ARGUMENT;
        }
        const MeshObject* mesh = loadedMeshNamed(engine, name);
        if (mesh == nullptr) {
            return TWX_NOT_FOUND;
        }
        std::string text;
        for (const std::string& file : mesh->companions()) {
            text += file + '\n';
        }
        if (text.size() >= static_cast<std::size_t>(capacity)) {
            return TWX_BAD_ARGUMENT;
        }
        std::memcpy(files, text.c_str(), text.size() + 1);
        return static_cast<int>(text.size());
    });
}

TW_EXPORT int twx_check_course(TwxCourseCheck* check, TwxFinding* findings, int capacity) {
    return withEngine([=](CEngineApp& engine) -> int {
        if (check == nullptr || capacity < 0 || (findings == nullptr && capacity > 0)) {
            return TWX_BAD_ARGUMENT;
        }
        if (!hasRoadToCheck(engine)) {
            return TWX_NO_COURSE;
        }
        const CourseCheck result = engine.checkCurrentCourse();
        *check = summaryOf(result);
        const std::size_t kept =
            std::min(result.findings.size(), static_cast<std::size_t>(capacity));
        for (std::size_t i = 0; i < kept; ++i) {
            const CourseFinding& f = result.findings[i];
            findings[i] = {static_cast<int>(f.kind), f.x, f.z, f.value};
        }
        return check->findings;
    });
}

TW_EXPORT int twx_draw_course_check(unsigned char* rgba, int width, int height) {
    return withEngine([=](CEngineApp& engine) -> int {
        if (rgba == nullptr || width < 1 || height < 1 || width > kLargestPicture ||
            height > kLargestPicture) {
            return TWX_BAD_ARGUMENT;
        }
        if (!hasRoadToCheck(engine)) {
            return TWX_NO_COURSE;
        }
        const CourseCheck result = engine.checkCurrentCourse();
        drawCourseCheck(*engine.editor.current(), result, rgba, width, height);
        return static_cast<int>(result.findings.size());
    });
}

namespace {

void putError(const std::string& text, char* error, int capacity) {
    if (error == nullptr || capacity <= 0) {
        return;
    }
    const std::size_t kept = std::min(text.size(), static_cast<std::size_t>(capacity) - 1);
    std::memcpy(error, text.data(), kept);
    error[kept] = '\0';
}

} // namespace

TW_EXPORT int twx_export_gltf(const char* path, char* error, int errorCapacity) {
    return withEngine([=](CEngineApp& engine) -> int {
        if (path == nullptr || errorCapacity < 0 || (error == nullptr && errorCapacity > 0)) {
            return TWX_BAD_ARGUMENT;
        }
        putError("", error, errorCapacity);
        const CourseExport exported = engine.exportCurrentCourse();
        if (engine.editor.current() == nullptr) {
            putError(exported.error, error, errorCapacity);
            return TWX_NO_COURSE;
        }
        if (exported.glb.empty()) {
            putError(exported.error, error, errorCapacity);
            return TWX_FAILED;
        }
        AtomicFileWriter out(path);
        out.write(exported.glb.data(), exported.glb.size());
        if (!out.commit()) {
            putError(out.error(), error, errorCapacity);
            return TWX_FAILED;
        }
        return TWX_OK;
    });
}
