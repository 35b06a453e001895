#pragma once

#include <string>
#include <vector>

#include "files/ReplayFile.h"

// How one placed mesh ended, against where it ended in the recording. Meshes are paired
// by name: the n-th mesh of a name on the course with the n-th of that name in the
// recording, so that placing or deleting a mesh leaves the others paired.
struct MeshEnd {
    std::string name;
    int index = -1;         // among the course's placed meshes; -1: no longer placed
    int recordedIndex = -1; // among the recording's; -1: not in the recording
    double distance = 0;    // between where the two were drawn, when both are there
    bool same = false;      // drawn with the same world matrix, bit for bit
};

// How a replayed run compares with the recording.
struct DriveComparison {
    int frames = 0;             // frames replayed
    int firstDeparture = -1;    // the first frame the controlled mesh was drawn otherwise; -1: none
    double widestDeparture = 0; // how far it was from its recorded place at most
    std::vector<MeshEnd> ends;

    // Every frame and every end pose the same as recorded, bit for bit.
    bool identical() const;
    // The largest distance of a mesh paired with one of the recording (0 for none).
    double farthestEnd() const;
};

// Pairs the meshes on the course (names and world matrices, in order) with the
// recording's end poses.
std::vector<MeshEnd> compareEnds(const std::vector<ReplayEndPose>& recorded,
                                 const std::vector<ReplayEndPose>& now);

// The placed mesh (index among `placed`, the course's mesh names in order) that the
// recording's driven mesh pairs with, as compareEnds pairs them: the n-th of its name.
// -1 when the course places no such mesh.
int pairedDrivenMesh(const Replay& replay, const std::vector<std::string>& placed);

// Plays a recording back: before each frame move the host lets it make that frame's
// recorded calls, after it the player compares the controlled mesh's pose with the
// recorded one. The host has started the drive with the recording's heading and
// controlled mesh (startDrive). Engine calls, as DriveEngine's.
class DrivePlayer {
public:
    // driven: the course's placed mesh that the recording's driven mesh pairs with.
    DrivePlayer(Replay replay, int driven);

    bool finished() const { return next_ >= frames(); }
    // Frames played so far, and in all.
    int frame() const { return next_; }
    int frames() const { return static_cast<int>(replay_.frames.size()); }
    const Replay& replay() const { return replay_; }
    int driven() const { return driven_; }

    // Before a frame move (not once finished): makes the next frame's recorded calls and
    // answers the pose the controlled mesh had after that frame in the recording.
    const ReplayMatrix& playFrame();
    // After that frame move.
    void frameDone();

    // The run so far against the recording, with the meshes where they are drawn now.
    DriveComparison comparison() const;

private:
    Replay replay_;
    int driven_;
    int next_ = 0;
    int firstDeparture_ = -1;
    double widestDeparture_ = 0;
};
