// tumbleway-run: the engine without a window. It opens a scene the way the builder's
// open command does, runs frames through the same exports, and writes a picture of
// the last frame and a trace of every placed mesh.
#include <cmath>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <map>
#include <sstream>
#include <string>
#include <unistd.h>

#include "Options.h"
#include "d3d9/egl_context.h"
#include "d3d9/gl_device.h"
#include "files/SessionFileIO.h"
#include "files/SimulationFile.h"
#include "tumbleway/NameField.h"
#include "tumbleway/tumbleway.h"

namespace fs = std::filesystem;

namespace {

struct FrameInput {
    float turn = 0;
    float move = 0;
};

// frame -> input; lines "frame,turn,move", '#' starts a comment.
bool readInput(const std::string& path, std::map<int, FrameInput>* input, std::string* error) {
    std::ifstream file(path);
    if (!file) {
        *error = "cannot read the input file " + path;
        return false;
    }
    std::string line;
    int lineNumber = 0;
    while (std::getline(file, line)) {
        ++lineNumber;
        if (line.empty() || line[0] == '#') {
            continue;
        }
        std::istringstream fields(line);
        int frame = 0;
        FrameInput value;
        char comma1 = 0;
        char comma2 = 0;
        if (!(fields >> frame >> comma1 >> value.turn >> comma2 >> value.move) || comma1 != ',' ||
            comma2 != ',' || !std::isfinite(value.turn) || !std::isfinite(value.move)) {
            *error = path + ":" + std::to_string(lineNumber) + ": expected frame,turn,move";
            return false;
        }
        (*input)[frame] = value;
    }
    return true;
}

// The per-tab input calls the builder's input mapping makes.
void applyInput(int tab, const FrameInput& in) {
    switch (tab) {
    case 0:
        if (in.turn != 0) {
            xll_UpdateInputAnglePlay(in.turn);
        }
        if (in.move != 0) {
            xll_UpdateInputMovePlay(in.move);
        }
        break;
    case 1:
        if (in.turn != 0) {
            xll_UpdateInputAngle(in.turn * 0.001f);
        }
        if (in.move != 0) {
            xll_UpdateInputMove(in.move * 0.1f);
        }
        break;
    case 3:
        if (in.turn != 0) {
            xll_UpdateInputRL(in.turn);
        }
        if (in.move != 0) {
            xll_UpdateInputUD(in.move);
        }
        break;
    default:
        break;
    }
}

// The folder whose data/ the engine reads at start-up.
fs::path findDataFolder(const std::string& asked, const char* argv0) {
    if (!asked.empty()) {
        return fs::absolute(asked);
    }
    if (fs::exists("data/road.bmp")) {
        return fs::current_path();
    }
    // Built in a folder of the source tree: bin/ sits two levels below it.
    std::error_code ignored;
    const fs::path exe = fs::canonical("/proc/self/exe", ignored);
    for (fs::path dir = exe.empty() ? fs::absolute(argv0) : exe;
         dir.has_parent_path() && dir != dir.parent_path(); dir = dir.parent_path()) {
        if (fs::exists(dir / "data" / "road.bmp")) {
            return dir;
        }
    }
    return fs::current_path();
}

bool openScene(const fs::path& scene) {
    // As after the open dialog: the scene's folder is the current one, and the file is
    // read by its name there, so that its meshes, bitmaps and sounds are found beside it.
    fs::current_path(scene.parent_path());
    const std::string name = scene.filename().string();
    const std::string ext = scene.extension().string();
    LSession_t session;
    if (ext == ".xml" || ext == ".XML") {
        readSimulationFile(name, session);
    } else if (ext == ".sim" || ext == ".SIM") {
        readSessionFile(name, session);
    } else {
        std::fprintf(stderr, "tumbleway-run: %s is neither .xml nor .sim\n", name.c_str());
        return false;
    }
    const auto item = reinterpret_cast<HTREEITEM>(std::uintptr_t{1});
    session.item = item;
    session.built = 0;
    int number = 0;
    xll_ui_restore_session(&session, &number);
    xll_setListCourse(item);
    return true;
}

void writeTraceFrame(std::FILE* trace, int frame) {
    LSession_t session;
    xll_app_get_Session_Iterator(&session);
    int index = 0;
    for (const SessionXfile& mesh : session.meshes) {
        const std::string name(nameFieldText(mesh.name));
        std::fprintf(trace, "%d,%d,%s,%.6f,%.6f,%.6f,%.6f\n", frame, index++, name.c_str(), mesh.x,
                     mesh.y, mesh.z, mesh.yaw);
    }
    xll_app_delete_Session_Iterator(&session);
}

} // namespace

int main(int argc, char** argv) {
    const ParsedOptions parsed = parseOptions(argc, argv);
    if (!parsed.options) {
        std::fprintf(stderr, "tumbleway-run: %s\n\n%s", parsed.error.c_str(), kUsage);
        return 2;
    }
    const RunOptions& options = *parsed.options;
    if (options.help) {
        std::fputs(kUsage, stdout);
        return 0;
    }
    std::map<int, FrameInput> input;
    std::string error;
    if (!options.input.empty() && !readInput(options.input, &input, &error)) {
        std::fprintf(stderr, "tumbleway-run: %s\n", error.c_str());
        return 2;
    }
    // Output paths are taken before the scene's folder becomes the current one.
    const fs::path screenshot =
        options.screenshot.empty() ? fs::path() : fs::absolute(options.screenshot);
    const fs::path tracePath = options.trace.empty() ? fs::path() : fs::absolute(options.trace);
    const fs::path scene = options.scene.empty() ? fs::path() : fs::absolute(options.scene);
    if (!scene.empty() && !fs::is_regular_file(scene)) {
        std::fprintf(stderr, "tumbleway-run: no scene file %s\n", scene.c_str());
        return 2;
    }
    std::unique_ptr<std::FILE, int (*)(std::FILE*)> trace(nullptr, std::fclose);
    if (!tracePath.empty()) {
        trace.reset(std::fopen(tracePath.c_str(), "w"));
        if (!trace) {
            std::fprintf(stderr, "tumbleway-run: cannot write %s\n", tracePath.c_str());
            return 2;
        }
        std::fputs("frame,index,name,x,y,z,yaw\n", trace.get());
    }

    SetMessageBoxHandler([](const std::string& text, const std::string& caption, UINT) {
        std::fprintf(stderr, "[%s] %s\n", caption.c_str(), text.c_str());
        return IDOK;
    });
    std::unique_ptr<EglContext> context = EglContext::create(options.width, options.height, &error);
    if (!context) {
        std::fprintf(stderr, "tumbleway-run: no OpenGL 3.3 context: %s\n", error.c_str());
        return 1;
    }
    ComPtr<GLDevice> device =
        GLDevice::create(static_cast<UINT>(options.width), static_cast<UINT>(options.height));

    fs::current_path(findDataFolder(options.dataFolder, argv[0]));
    xll_CAppForm();
    xll_OneTimeSceneInit(nullptr);
    xll_InitDeviceObjects(device.get());
    xll_RestoreDeviceObjects();
    xll_OnInitialUpdate(static_cast<unsigned long>(options.width),
                        static_cast<unsigned long>(options.height), nullptr);
    int status = 0;
    if (!scene.empty() && !openScene(scene)) {
        status = 2;
    } else {
        xll_OnSelchangeTab(static_cast<unsigned>(options.tab));
        for (int frame = 0; frame < options.frames; ++frame) {
            if (const auto it = input.find(frame); it != input.end()) {
                applyInput(options.tab, it->second);
            }
            xll_FrameMove();
            if (options.render || frame + 1 == options.frames) {
                xll_Render();
            }
            if (trace) {
                writeTraceFrame(trace.get(), frame);
            }
        }
        if (!screenshot.empty() && !context->writePng(screenshot.string())) {
            std::fprintf(stderr, "tumbleway-run: cannot write %s\n", screenshot.c_str());
            status = 1;
        }
    }
    xll_InvalidateDeviceObjects();
    xll_DeleteDeviceObjects();
    return status;
}
