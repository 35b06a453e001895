#include "ReplayRun.h"

#include <cstdio>

#include "Folders.h"
#include "Messages.h"
#include "RunError.h"
#include "files/SimulationFile.h"
#include "replay/DriveEngine.h"
#include "tumbleway/tumbleway_ext.h"

namespace fs = std::filesystem;

namespace {

// A mesh's name on one line of the report.
std::string oneLine(std::string name) {
    for (char& c : name) {
        c = static_cast<unsigned char>(c) < 0x20 ? '?' : c;
    }
    return name;
}

std::string distanceText(double distance) {
    char text[64];
    std::snprintf(text, sizeof text, "%.6f", distance);
    return text;
}

std::string endLine(const MeshEnd& end) {
    if (end.index < 0) {
        return "end - " + oneLine(end.name) + ": no longer placed (recorded as mesh " +
               std::to_string(end.recordedIndex) + ")";
    }
    const std::string head = "end " + std::to_string(end.index) + " " + oneLine(end.name) + ": ";
    if (end.recordedIndex < 0) {
        return head + "not in the recording";
    }
    return head + (end.same ? "exactly as recorded"
                            : distanceText(end.distance) + " from where it ended in the recording");
}

} // namespace

namespace {

// Refuses, before the engine starts, a scene that cannot place the driven mesh.
void expectDrivenMesh(const ReplayRun& run) {
    const std::size_t placed = run.scene.session.meshes.size();
    if (static_cast<std::size_t>(run.replay.controlled) >= placed) {
        throw RunError(kCannotStart, "the recording drives placed mesh " +
                                         std::to_string(run.replay.controlled) + ", but " +
                                         run.sceneLabel + " places " + std::to_string(placed));
    }
}

ReplayRun readRecording(const fs::path& recording, const fs::path& scene) {
    const ReplayRead read = readReplayFile(recording.string());
    if (!read.replay) {
        throw RunError(kCannotStart, "cannot replay " + recording.string() + ": " + read.error);
    }
    ReplayRun run;
    run.replay = std::move(*read.replay);
    if (!scene.empty()) {
        run.scene = readScene(scene);
        run.sceneFolder = scene.parent_path();
        run.sceneLabel = scene.string();
        return run;
    }
    // The recorded scene names its meshes as a scene file beside the recording would.
    run.sceneFolder = recording.parent_path();
    run.sceneLabel = "its own scene";
    run.ownScene = true;
    enterFolder(run.sceneFolder, "the recording's folder");
    bool readable = false;
    const std::vector<KeptMessage> messages = keepMessagesOf([&] {
        readable = readSimulationText(run.replay.sceneText, "the scene in " + recording.string(),
                                      run.scene.session, &run.scene.extras);
    });
    if (!readable) {
        const std::string why = joinedText(messages);
        throw RunError(kCannotStart, "cannot replay " + recording.string() +
                                         ": the scene it holds cannot be read" +
                                         (why.empty() ? "" : " (" + why + ")"));
    }
    showMessages(messages);
    return run;
}

} // namespace

ReplayRun readReplayRun(const fs::path& recording, const fs::path& scene) {
    ReplayRun run = readRecording(recording, scene);
    expectDrivenMesh(run);
    return run;
}

void startReplayRun(ReplayRun& run) {
    openScene(run.scene, run.sceneFolder, std::nullopt);
    const int controlled = run.replay.controlled;
    // On its own scene a drive means something only with every mesh of that scene.
    if (run.ownScene) {
        std::vector<std::string> recorded;
        for (const ReplayEndPose& end : run.replay.endPoses) {
            recorded.push_back(end.name);
        }
        if (placedMeshNames() != recorded) {
            throw RunError(kCannotStart, "not every mesh of the recorded scene could be loaded "
                                         "from " +
                                             run.sceneFolder.string());
        }
    }
    if (twx_set_controlled_mesh(controlled) != TWX_OK) {
        throw RunError(kCannotStart, "the recording drives placed mesh " +
                                         std::to_string(controlled) + ", but " + run.sceneLabel +
                                         " places " + std::to_string(twx_mesh_count()));
    }
    twx_set_heading(run.replay.heading);
}

std::string replayReport(const ReplayRun& run, const DriveComparison& comparison) {
    const auto controlled = static_cast<std::size_t>(run.replay.controlled);
    std::string out = "replayed " + std::to_string(comparison.frames) + " frames on " +
                      run.sceneLabel + ", driving mesh " + std::to_string(controlled) + " (" +
                      oneLine(run.replay.endPoses[controlled].name) + ")\n";
    out += comparison.firstDeparture < 0
               ? "path: as recorded in every frame, bit for bit\n"
               : "path: left the recorded path at frame " +
                     std::to_string(comparison.firstDeparture) + ", at most " +
                     distanceText(comparison.widestDeparture) + " from it\n";
    for (const MeshEnd& end : comparison.ends) {
        out += endLine(end) + '\n';
    }
    out += comparison.identical() ? "result: identical to the recording\n"
                                  : "result: differs from the recording\n";
    return out;
}
