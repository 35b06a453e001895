// One rendered frame of the sample scene on the GL device under a headless EGL context
// (llvmpipe where there is no GPU). Run from the project root, where ./data is.
#include <benchmark/benchmark.h>

#include <epoxy/gl.h>
#include <filesystem>
#include <memory>
#include <string>

#include "GlEngine.h"
#include "files/SimulationFile.h"

namespace {

namespace fs = std::filesystem;

void BM_RenderSampleScene(benchmark::State& state) {
    std::string error;
    const std::unique_ptr<bench::GlDevice> gl = bench::GlDevice::open(&error);
    if (!gl) {
        state.SkipWithError(("no headless GL context: " + error).c_str());
        return;
    }
    const fs::path scene = fs::current_path() / "samples" / "scenes" / "demo.xml";
    if (!fs::is_regular_file(scene) || !fs::is_directory("data")) {
        state.SkipWithError(
            "run from the project root: samples/scenes/demo.xml and data/ are needed");
        return;
    }
    bench::StartedEngine engine(gl->device.get());
    CEngineApp& app = engine.app();
    LSession_t session;
    readSimulationFile(scene.string(), session);
    engine.openScene(scene.parent_path(), session);
    app.selectTab(TAB_PLAY);
    state.counters["placements"] =
        app.editor.current() != nullptr
            ? static_cast<double>(app.editor.current()->xfilePlacements.size())
            : 0;
    state.SetLabel(gl->context->renderer());
    for (auto _ : state) {
        app.frameMove();
        app.render();
        glFinish();
    }
}
BENCHMARK(BM_RenderSampleScene)->Unit(benchmark::kMillisecond)->MinTime(2.0);

} // namespace

BENCHMARK_MAIN();
