#include "drive/DrivePlayer.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <map>
#include <utility>

#include "drive/DriveEngine.h"

namespace {

bool sameBits(const ReplayMatrix& a, const ReplayMatrix& b) {
    return std::memcmp(a.data(), b.data(), sizeof(float) * a.size()) == 0;
}

// How far apart two meshes are drawn: the distance between their matrices' translations.
double apart(const ReplayMatrix& a, const ReplayMatrix& b) {
    const double dx = static_cast<double>(a[12]) - b[12];
    const double dy = static_cast<double>(a[13]) - b[13];
    const double dz = static_cast<double>(a[14]) - b[14];
    return std::sqrt(dx * dx + dy * dy + dz * dz);
}

} // namespace

bool DriveComparison::identical() const {
    return firstDeparture < 0 &&
           std::all_of(ends.begin(), ends.end(), [](const MeshEnd& end) { return end.same; });
}

double DriveComparison::farthestEnd() const {
    double farthest = 0;
    for (const MeshEnd& end : ends) {
        farthest = std::max(farthest, end.distance);
    }
    return farthest;
}

std::vector<MeshEnd> compareEnds(const std::vector<ReplayEndPose>& recorded,
                                 const std::vector<ReplayEndPose>& now) {
    // The recording's meshes of each name, in order, waiting for a partner.
    std::map<std::string, std::vector<int>> waiting;
    for (int i = static_cast<int>(recorded.size()) - 1; i >= 0; --i) {
        waiting[recorded[i].name].push_back(i);
    }
    std::vector<MeshEnd> ends;
    std::vector<bool> paired(recorded.size(), false);
    for (int i = 0; i < static_cast<int>(now.size()); ++i) {
        MeshEnd end{now[i].name, i, -1, 0, false};
        std::vector<int>& partners = waiting[now[i].name];
        if (!partners.empty()) {
            end.recordedIndex = partners.back();
            partners.pop_back();
            paired[end.recordedIndex] = true;
            const ReplayMatrix& then = recorded[end.recordedIndex].world;
            end.distance = apart(now[i].world, then);
            end.same = sameBits(now[i].world, then);
        }
        ends.push_back(std::move(end));
    }
    for (int i = 0; i < static_cast<int>(recorded.size()); ++i) {
        if (!paired[i]) {
            ends.push_back({recorded[i].name, -1, i, 0, false});
        }
    }
    return ends;
}

int pairedDrivenMesh(const Replay& replay, const std::vector<std::string>& placed) {
    const auto driven = static_cast<std::size_t>(replay.controlled);
    const std::string& name = replay.endPoses[driven].name;
    // Which of its name the driven mesh is, in the recording.
    const auto nth =
        std::count_if(replay.endPoses.begin(), replay.endPoses.begin() + replay.controlled,
                      [&name](const ReplayEndPose& end) { return end.name == name; });
    auto seen = nth;
    for (std::size_t i = 0; i < placed.size(); ++i) {
        if (placed[i] == name && seen-- == 0) {
            return static_cast<int>(i);
        }
    }
    return -1;
}

DrivePlayer::DrivePlayer(Replay replay, int driven) : replay_(std::move(replay)), driven_(driven) {}

const ReplayMatrix& DrivePlayer::playFrame() {
    const ReplayFrame& frame = replay_.frames[static_cast<std::size_t>(next_)];
    for (const ReplayInput& input : frame.inputs) {
        applyReplayInput(input);
    }
    return frame.controlledPose;
}

void DrivePlayer::frameDone() {
    const ReplayMatrix& recorded = replay_.frames[static_cast<std::size_t>(next_)].controlledPose;
    ReplayMatrix now{};
    const bool drawn = meshWorld(driven_, &now);
    if (!drawn || !sameBits(now, recorded)) {
        if (firstDeparture_ < 0) {
            firstDeparture_ = next_;
        }
        widestDeparture_ = std::max(widestDeparture_, drawn ? apart(now, recorded) : INFINITY);
    }
    ++next_;
}

DriveComparison DrivePlayer::comparison() const {
    DriveComparison result;
    result.frames = next_;
    result.firstDeparture = firstDeparture_;
    result.widestDeparture = widestDeparture_;
    result.ends = compareEnds(replay_.endPoses, placedPoses());
    return result;
}
