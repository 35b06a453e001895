// tumbleway-run: the engine without a window. It opens a scene the way the builder's
// open command does, runs frames through the same exports, and writes a picture of
// the last frame and a trace of every placed mesh.
#include <cstdio>
#include <exception>
#include <filesystem>
#include <optional>
#include <string>

#include "CheckReport.h"
#include "Folders.h"
#include "FrameInput.h"
#include "Messages.h"
#include "Options.h"
#include "OutputFile.h"
#include "Preview.h"
#include "QuietLibraries.h"
#include "ReplayRun.h"
#include "RunError.h"
#include "Scene.h"
#include "Trace.h"
#include "d3d9/egl_context.h"
#include "d3d9/gl_device.h"
#include "drive/DriveEngine.h"
#include "tumbleway/tumbleway.h"

namespace fs = std::filesystem;

namespace {

// The engine from its start on a device to its end, also when the run stops on an error.
class EngineLifetime {
public:
    EngineLifetime(GLDevice* device, int width, int height) {
        xll_CAppForm();
        xll_OneTimeSceneInit(nullptr);
        xll_InitDeviceObjects(device);
        xll_RestoreDeviceObjects();
        xll_OnInitialUpdate(static_cast<unsigned long>(width), static_cast<unsigned long>(height),
                            nullptr);
    }
    ~EngineLifetime() {
        xll_InvalidateDeviceObjects();
        xll_DeleteDeviceObjects();
    }
    EngineLifetime(const EngineLifetime&) = delete;
    EngineLifetime& operator=(const EngineLifetime&) = delete;
};

fs::path absoluteOrEmpty(const std::string& given, const std::string& what) {
    return given.empty() ? fs::path() : absolutePath(given, what);
}

// What a run works with, each checked before the engine starts.
struct Prepared {
    fs::path scenePath;
    std::optional<SceneFile> scene;
    fs::path screenshot;
    fs::path picture;
    fs::path gltf;
    fs::path preview;
    std::optional<TraceFile> trace;
    fs::path dataFolder;
    InputScript input;
    std::optional<ReplayRun> replay;
};

Prepared prepare(const RunOptions& options) {
    // Every path is made absolute before the scene's folder becomes the current one.
    Prepared prepared;
    prepared.scenePath = absoluteOrEmpty(options.scene, "the scene");
    prepared.screenshot = absoluteOrEmpty(options.screenshot, "--screenshot");
    if (!prepared.screenshot.empty()) {
        expectSavable(prepared.screenshot, "--screenshot");
    }
    prepared.picture = absoluteOrEmpty(options.picture, "--picture");
    if (!prepared.picture.empty()) {
        expectSavable(prepared.picture, "--picture");
    }
    prepared.gltf = absoluteOrEmpty(options.gltf, "--export-gltf");
    if (!prepared.gltf.empty()) {
        expectSavable(prepared.gltf, "--export-gltf");
    }
    prepared.preview = absoluteOrEmpty(options.preview, "--preview");
    if (!prepared.preview.empty() && !fs::is_regular_file(prepared.preview)) {
        throw RunError(kCannotStart, "--preview: no mesh file " + prepared.preview.string());
    }
    const fs::path tracePath = absoluteOrEmpty(options.trace, "--trace");
    prepared.dataFolder = findDataFolder(absoluteOrEmpty(options.dataFolder, "--data"));
    if (!options.input.empty()) {
        prepared.input = readInputScript(absolutePath(options.input, "--input"));
    }
    if (!options.replay.empty()) {
        prepared.replay =
            readReplayRun(absolutePath(options.replay, "--replay"), prepared.scenePath);
    } else if (!prepared.scenePath.empty()) {
        prepared.scene = readScene(prepared.scenePath);
    }
    // Made last: a run refused before it starts leaves no temporary trace file behind.
    if (!tracePath.empty()) {
        prepared.trace.emplace(tracePath);
    }
    return prepared;
}

void writeStdout(const std::string& report) {
    if (std::fputs(report.c_str(), stdout) < 0 || std::fflush(stdout) != 0) {
        throw RunError(kRunFailed, "cannot write the report on stdout");
    }
}

void runFrames(const RunOptions& options, const InputScript& input, TraceFile* trace) {
    const std::vector<std::string> names = placedMeshNames();
    xll_OnSelchangeTab(static_cast<unsigned>(options.tab));
    auto next = input.begin();
    for (int frame = 0; frame < options.frames; ++frame) {
        if (next != input.end() && next->first == frame) {
            applyInput(options.tab, next++->second);
        }
        xll_FrameMove();
        if (options.render || frame + 1 == options.frames) {
            xll_Render();
        }
        if (trace != nullptr) {
            trace->writeFrame(frame, names);
        }
    }
}

// Plays the recording's frames: each frame's recorded input calls, then the frame, as
// the builder recorded them; the report goes to stdout.
void replayFrames(const RunOptions& options, ReplayRun& run, TraceFile* trace) {
    const std::vector<std::string> names = placedMeshNames();
    xll_OnSelchangeTab(0);
    DrivePlayer player(run.replay, run.driven);
    while (!player.finished()) {
        const int frame = player.frame();
        player.playFrame();
        xll_FrameMove();
        player.frameDone();
        if (options.render || player.finished()) {
            xll_Render();
        }
        if (trace != nullptr) {
            trace->writeFrame(frame, names);
        }
    }
    writeStdout(replayReport(run, player.comparison()));
}

// Reports on stdout what is wrong with the opened course; true when something is.
bool checkCourse(const RunOptions& options, const fs::path& picture) {
    const CourseCheckResult result = checkOpenedCourse();
    writeStdout(courseCheckReport(options.scene, result));
    if (!picture.empty()) {
        writeCourseCheckPicture(picture, options.width, options.height);
    }
    return !result.findings.empty();
}

// The exit status of a run that did everything asked of it.
int run(const RunOptions& options) {
    showMessagesOnStderr();
    Prepared prepared = prepare(options);

    std::string error;
    const std::unique_ptr<EglContext> context =
        EglContext::create(options.width, options.height, &error);
    if (!context) {
        throw RunError(kRunFailed, "no OpenGL 3.3 context: " + error);
    }
    const ComPtr<GLDevice> device =
        GLDevice::create(static_cast<UINT>(options.width), static_cast<UINT>(options.height));
    if (!device) {
        throw RunError(kRunFailed, "no device on the OpenGL context");
    }
    enterFolder(prepared.dataFolder, "the data folder");
    // The engine opens the sound device as it starts; the sound library's words about a
    // missing sound card go to the log, the engine's own messages come after.
    std::optional<EngineLifetime> engine;
    const std::vector<KeptMessage> starting = keepMessagesOf([&] {
        const QuietLibraries quiet(options.verbose);
        engine.emplace(device.get(), options.width, options.height);
    });
    showMessages(starting);
    TraceFile* trace = prepared.trace ? &*prepared.trace : nullptr;
    bool findings = false;
    if (prepared.replay) {
        startReplayRun(*prepared.replay);
        replayFrames(options, *prepared.replay, trace);
    } else {
        if (prepared.scene) {
            openScene(*prepared.scene, prepared.scenePath.parent_path(), options.control);
        }
        findings = options.check && checkCourse(options, prepared.picture);
        if (!prepared.preview.empty()) {
            showInPreview(prepared.preview);
        }
        runFrames(options, prepared.input, trace);
    }
    if (prepared.trace) {
        prepared.trace->close();
    }
    if (!prepared.screenshot.empty()) {
        writeOutputFile(prepared.screenshot, context->png(), "the screenshot");
    }
    if (!prepared.gltf.empty()) {
        writeCourseGltf(prepared.gltf);
    }
    return findings ? kCourseHasFindings : 0;
}

} // namespace

int main(int argc, char** argv) {
    const ParsedOptions parsed = parseOptions(argc, argv);
    if (!parsed.options) {
        std::fprintf(stderr, "tumbleway-run: %s (see --help)\n", parsed.error.c_str());
        return kCannotStart;
    }
    if (parsed.options->help) {
        std::fputs(kUsage, stdout);
        return 0;
    }
    try {
        return run(*parsed.options);
    } catch (const RunError& failure) {
        std::fprintf(stderr, "tumbleway-run: %s\n", failure.what());
        return failure.status();
    } catch (const std::exception& failure) {
        std::fprintf(stderr, "tumbleway-run: the run stopped: %s\n", failure.what());
        return kRunFailed;
    } catch (...) {
        std::fputs("tumbleway-run: the run stopped on an unknown error\n", stderr);
        return kRunFailed;
    }
}
