// The engine's side of recording and replaying a drive, the same for the builder and for
// tumbleway-run, so that a drive recorded in one replays bit for bit in the other. Every
// function makes engine calls: run them where the host runs its engine calls (in the
// builder, inside an engine scope).
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "files/ReplayFile.h"

// What a drive starts from: the current course as its scene text reads, the heading and
// the mesh the input drives.
struct DriveStart {
    std::string sceneText;
    float heading = 0;
    int controlled = -1;
};

// Starts a drive on the current course: puts the course back, in its place, as its own
// scene text reads (so every body rests where it is, and the file can make the same
// state again), then gives the input to placed mesh `controlled` and sets the heading.
// nullopt, with the reason in *error, when there is no current course, it places no
// such mesh, or the course could not be put back whole.
std::optional<DriveStart> startDrive(int controlled, float heading, std::string* error);

// Puts the current course back as the start's scene text reads, with its heading and
// controlled mesh: a drive's course as it was before the drive. False, with the reason,
// when the text cannot be read or not every mesh of it could be loaded.
bool restartCourse(const DriveStart& start, std::string* error);

// The world matrix placed mesh `mesh` of the current course is drawn with; false when
// there is no such mesh.
bool meshWorld(int mesh, ReplayMatrix* world);

// The file names of the current course's placed meshes, in their order.
std::vector<std::string> placedMeshNames();
// Those names with the world matrix each mesh is drawn with.
std::vector<ReplayEndPose> placedPoses();

// Makes the input call on the engine, as the input layer makes it.
void applyReplayInput(const ReplayInput& input);
