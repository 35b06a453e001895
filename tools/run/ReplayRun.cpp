#include "ReplayRun.h"

#include <cstdio>

#include "Folders.h"
#include "Messages.h"
#include "RunError.h"
#include "drive/DriveEngine.h"
#include "files/SimulationFile.h"
#include "tumbleway/NameField.h"
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

// The mesh of the scene the recording's driven mesh pairs with (by name, the n-th of
// its name); a RunError when there is none among `placed`.
int drivenMesh(const ReplayRun& run, const std::vector<std::string>& placed) {
    const int driven = pairedDrivenMesh(run.replay, placed);
    if (driven < 0) {
        const auto controlled = static_cast<std::size_t>(run.replay.controlled);
        throw RunError(kCannotStart, "the recording drives placed mesh " +
                                         std::to_string(controlled) + " (" +
                                         oneLine(run.replay.endPoses[controlled].name) + "), but " +
                                         run.sceneLabel + " places no mesh to pair it with");
    }
    return driven;
}

std::vector<std::string> recordNames(const LSession_t& session) {
    std::vector<std::string> names;
    for (const SessionXfile& mesh : session.meshes) {
        names.emplace_back(nameFieldText(mesh.name));
    }
    return names;
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
    // Refused before the engine starts, as far as the scene's record tells.
    drivenMesh(run, recordNames(run.scene.session));
    return run;
}

void startReplayRun(ReplayRun& run) {
    openScene(run.scene, run.sceneFolder, std::nullopt);
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
    run.driven = drivenMesh(run, placedMeshNames());
    twx_set_controlled_mesh(run.driven);
    twx_set_heading(run.replay.heading);
}

std::string replayReport(const ReplayRun& run, const DriveComparison& comparison) {
    const auto controlled = static_cast<std::size_t>(run.replay.controlled);
    std::string out = "replayed " + std::to_string(comparison.frames) + " frames on " +
                      run.sceneLabel + ", driving mesh " + std::to_string(run.driven) + " (" +
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
