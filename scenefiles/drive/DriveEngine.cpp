#include "drive/DriveEngine.h"

#include <algorithm>
#include <utility>

#include "drive/CourseSnapshot.h"
#include "files/SimulationFile.h"
#include "tumbleway/NameField.h"
#include "tumbleway/tumbleway_ext.h"

namespace {

// How the reader names the scene text in its messages, should it find fault with it.
constexpr const char* kSceneName = "the recorded scene";

HTREEITEM currentCourse() {
    HTREEITEM item = nullptr;
    twx_current_course(&item);
    return item;
}

} // namespace

std::optional<DriveStart> startDrive(int controlled, float heading, std::string* error) {
    const HTREEITEM item = currentCourse();
    if (item == nullptr) {
        *error = "there is no current course";
        return std::nullopt;
    }
    const int meshes = twx_mesh_count();
    if (controlled < 0 || controlled >= meshes) {
        *error = controlled < 0 ? "no placed mesh is driven"
                                : "the course places no mesh " + std::to_string(controlled) +
                                      " (it places " + std::to_string(meshes) + ", from 0)";
        return std::nullopt;
    }
    DriveStart start{takeCourseSnapshot(item).text(), heading, controlled};
    if (!restartCourse(start, error)) {
        return std::nullopt;
    }
    return start;
}

bool restartCourse(const DriveStart& start, std::string* error) {
    CourseSnapshot snapshot;
    snapshot.item = currentCourse();
    if (snapshot.item == nullptr) {
        *error = "there is no current course";
        return false;
    }
    if (!readSimulationText(start.sceneText, kSceneName, snapshot.record, &snapshot.extras)) {
        *error = "its scene cannot be read";
        return false;
    }
    snapshot.record.item = snapshot.item;
    snapshot.controlled = start.controlled;
    const int meshes = static_cast<int>(snapshot.record.meshes.size());
    if (!putCourseSnapshot(snapshot, true)) {
        *error = "the course could not be put back";
        return false;
    }
    if (twx_mesh_count() != meshes) {
        *error = "not every mesh of its scene could be loaded";
        return false;
    }
    if (twx_set_controlled_mesh(start.controlled) != TWX_OK ||
        twx_set_heading(start.heading) != TWX_OK) {
        *error = "the course places no mesh " + std::to_string(start.controlled);
        return false;
    }
    return true;
}

bool meshWorld(int mesh, ReplayMatrix* world) {
    TwxMeshPose pose{};
    if (twx_get_mesh_pose(mesh, &pose) != TWX_OK) {
        return false;
    }
    std::copy(std::begin(pose.world), std::end(pose.world), world->begin());
    return true;
}

std::vector<std::string> placedMeshNames() {
    LSession_t session;
    xll_app_get_Session_Iterator(&session);
    std::vector<std::string> names;
    for (const SessionXfile& mesh : session.meshes) {
        names.emplace_back(nameFieldText(mesh.name));
    }
    xll_app_delete_Session_Iterator(&session);
    return names;
}

std::vector<ReplayEndPose> placedPoses() {
    std::vector<ReplayEndPose> poses;
    for (std::string& name : placedMeshNames()) {
        ReplayEndPose pose{std::move(name), {}};
        meshWorld(static_cast<int>(poses.size()), &pose.world);
        poses.push_back(std::move(pose));
    }
    return poses;
}

void applyReplayInput(const ReplayInput& input) {
    switch (input.call) {
    case InputCall::Angle:
        xll_UpdateInputAngle(input.value);
        break;
    case InputCall::Move:
        xll_UpdateInputMove(input.value);
        break;
    case InputCall::AnglePlay:
        xll_UpdateInputAnglePlay(input.value);
        break;
    case InputCall::MovePlay:
        xll_UpdateInputMovePlay(input.value);
        break;
    case InputCall::RL:
        xll_UpdateInputRL(input.value);
        break;
    case InputCall::UD:
        xll_UpdateInputUD(input.value);
        break;
    }
}
