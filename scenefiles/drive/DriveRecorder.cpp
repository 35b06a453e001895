#include "drive/DriveRecorder.h"

#include <utility>

DriveRecorder::DriveRecorder(DriveStart start) : start_(std::move(start)) {
    replay_.sceneText = start_.sceneText;
    replay_.heading = start_.heading;
    replay_.controlled = start_.controlled;
    // The placed meshes by name; their poses follow every frame.
    replay_.endPoses = placedPoses();
}

void DriveRecorder::frameDone(std::vector<ReplayInput> inputs) {
    ReplayFrame frame{std::move(inputs), {}};
    meshWorld(replay_.controlled, &frame.controlledPose);
    replay_.frames.push_back(std::move(frame));
    // Kept after every frame, so that a recording ended by anything at all ends with the
    // poses of its last frame.
    for (std::size_t mesh = 0; mesh < replay_.endPoses.size(); ++mesh) {
        meshWorld(static_cast<int>(mesh), &replay_.endPoses[mesh].world);
    }
}
