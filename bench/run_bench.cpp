// The headless runner as a user runs it, on the sample scene with many placed meshes,
// timed by the clock: the same frames with a trace of every mesh's pose per frame and
// without one. Run from the project root.
#include <benchmark/benchmark.h>

#include <cstdlib>
#include <filesystem>
#include <string>
#include <system_error>
#include <unistd.h>

#include "ManyPlacements.h"
#include "files/SimulationFile.h"

namespace {

namespace fs = std::filesystem;

constexpr int kFrames = 20;

// A scratch folder with the sample scene's files beside a scene of n placements,
// removed with it.
class ScratchScene {
public:
    explicit ScratchScene(int n)
        : m_folder(fs::temp_directory_path() /
                   ("tw-run-bench-" + std::to_string(::getpid()) + "-" + std::to_string(n))) {
        fs::create_directories(m_folder);
        for (const auto& entry : fs::directory_iterator(bench::sceneFolder())) {
            fs::copy_file(entry.path(), m_folder / entry.path().filename(),
                          fs::copy_options::overwrite_existing);
        }
        LSession_t session;
        if (bench::manyPlacementScene(n, &session, &m_error)) {
            (void)writeSimulationFile(session, scene().string(), &m_error);
        }
    }
    ScratchScene(const ScratchScene&) = delete;
    ScratchScene& operator=(const ScratchScene&) = delete;
    ~ScratchScene() {
        std::error_code ignored;
        fs::remove_all(m_folder, ignored);
    }

    fs::path scene() const { return m_folder / "scene.xml"; }
    fs::path trace() const { return m_folder / "trace.csv"; }
    // Empty when the scene was written.
    const std::string& error() const { return m_error; }

private:
    fs::path m_folder;
    std::string m_error;
};

std::string quoted(const fs::path& path) {
    return "'" + path.string() + "'";
}

// kFrames frames of n placed meshes, not drawn but the last; traced when the second
// argument is 1. The traced run is to take at most twice the time of the untraced one.
void BM_RunnerFrames(benchmark::State& state) {
    const int n = static_cast<int>(state.range(0));
    const bool traced = state.range(1) != 0;
    const ScratchScene scratch(n);
    if (!scratch.error().empty()) {
        state.SkipWithError(scratch.error().c_str());
        return;
    }
    std::string command = quoted(TW_RUNNER) + " " + quoted(scratch.scene()) + " --frames " +
                          std::to_string(kFrames) + " --no-render";
    if (traced) {
        command += " --trace " + quoted(scratch.trace());
    }
    command += " >/dev/null 2>&1";
    for (auto _ : state) {
        if (std::system(command.c_str()) != 0) {
            state.SkipWithError(("tumbleway-run failed: " + command).c_str());
            return;
        }
    }
    state.counters["frames"] = kFrames;
}
BENCHMARK(BM_RunnerFrames)
    ->Args({20000, 0})
    ->Args({20000, 1})
    ->Iterations(1)
    ->UseRealTime()
    ->Unit(benchmark::kMillisecond);

} // namespace

BENCHMARK_MAIN();
