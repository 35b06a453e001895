#pragma once

#include <vector>

#include "drive/DriveEngine.h"
#include "files/ReplayFile.h"

// A drive being recorded: the host starts the drive (startDrive), runs its frames as it
// always does, and after each frame move hands over the input calls that reached the
// engine before it; the recorder reads the poses itself. Engine calls, as DriveEngine's.
class DriveRecorder {
public:
    // The placed meshes are those of the current course when the drive started.
    explicit DriveRecorder(DriveStart start);

    // After a frame move: the calls made before it, in order.
    void frameDone(std::vector<ReplayInput> inputs);

    int frames() const { return static_cast<int>(replay_.frames.size()); }
    const DriveStart& start() const { return start_; }
    // The recording so far, with every placed mesh where the last frame drew it.
    const Replay& replay() const { return replay_; }

private:
    DriveStart start_;
    Replay replay_;
};
