// One rendered frame of the sample scene on the GL device under a headless EGL context
// (llvmpipe where there is no GPU). Run from the project root, where ./data is.
#include <benchmark/benchmark.h>

#include <cstdint>
#include <epoxy/gl.h>
#include <filesystem>
#include <memory>
#include <string>

#include "core/EngineApp.h"
#include "d3d9/egl_context.h"
#include "d3d9/gl_device.h"
#include "files/SimulationFile.h"

namespace {

namespace fs = std::filesystem;

constexpr int kWidth = 640;
constexpr int kHeight = 480;

void BM_RenderSampleScene(benchmark::State& state) {
    std::string error;
    std::unique_ptr<EglContext> context = EglContext::create(kWidth, kHeight, &error);
    if (!context) {
        state.SkipWithError(("no headless GL context: " + error).c_str());
        return;
    }
    const fs::path root = fs::current_path();
    const fs::path scene = root / "samples" / "scenes" / "demo.xml";
    if (!fs::is_regular_file(scene) || !fs::is_directory(root / "data")) {
        state.SkipWithError(
            "run from the project root: samples/scenes/demo.xml and data/ are needed");
        return;
    }
    ComPtr<GLDevice> device = GLDevice::create(kWidth, kHeight);
    auto app = std::make_unique<CEngineApp>();
    app->oneTimeSceneInit(nullptr);
    app->initDeviceObjects(device.get());
    app->restoreDeviceObjects();
    app->onInitialUpdate(kWidth, kHeight, nullptr);
    {
        // As the builder opens a scene: from its folder, so its assets are found there.
        fs::current_path(scene.parent_path());
        LSession_t session;
        readSimulationFile(scene.filename().string(), session);
        const auto item = reinterpret_cast<HTREEITEM>(std::uintptr_t{1});
        session.item = item;
        int number = 0;
        app->restoreSession(session, &number);
        app->selectCourse(item);
        fs::current_path(root);
    }
    app->selectTab(TAB_PLAY);
    state.counters["placements"] =
        app->currentCourse != nullptr
            ? static_cast<double>(app->currentCourse->xfilePlacements.size())
            : 0;
    state.SetLabel(context->renderer());
    for (auto _ : state) {
        app->frameMove();
        app->render();
        glFinish();
    }
    app->invalidateDeviceObjects();
    app->deleteDeviceObjects();
}
BENCHMARK(BM_RenderSampleScene)->Unit(benchmark::kMillisecond)->MinTime(2.0);

} // namespace

BENCHMARK_MAIN();
