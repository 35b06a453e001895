// Scene files with 10,000 placed meshes: loading and saving the XML simulation file
// against pugixml's own parse of the same file, and the binary session file against
// copying the same bytes in memory. Opening a large scene of 100,000 placements is timed
// as well, as the wait a user sees.
#include <benchmark/benchmark.h>

#include <chrono>

#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <pugixml.hpp>
#include <string>
#include <time.h>
#include <unistd.h>
#include <vector>

#include "files/SessionFileIO.h"
#include "files/SimulationFile.h"
#include "filewrite/AtomicFileWriter.h"
#include "tumbleway/NameField.h"

namespace {

namespace fs = std::filesystem;

constexpr int kPlacements = 10000;
constexpr int kLargeScenePlacements = 100000;

LSession_t bigSession(int placements = kPlacements) {
    LSession_t session;
    for (int i = 0; i < placements; ++i) {
        SessionXfile mesh{};
        mesh.id = i;
        mesh.x = 0.37f * static_cast<float>(i % 997);
        mesh.y = 2.0f;
        mesh.z = -1.13f * static_cast<float>(i / 997);
        mesh.yaw = 0.001f * static_cast<float>(i % 2000);
        mesh.radius = 1.043716f;
        setNameField(mesh.name, i % 3 == 0 ? "cone.x" : "ball.x");
        session.meshes.push_back(mesh);
    }
    for (const char* name : {"hit.wav", "roll.wav"}) {
        SessionSound sound{};
        setNameField(sound.name, name);
        session.sounds.push_back(sound);
    }
    SessionRelation relation{};
    setNameField(relation.xfile1, "ball.x");
    setNameField(relation.xfile2, "cone.x");
    setNameField(relation.wavfile, "hit.wav");
    session.relations.push_back(relation);
    for (int i = 0; i < 8; ++i) {
        session.dottedPoints.push_back(LPoint_t{i, 100.0f + 10 * i, 80.0f + 5 * i, 0, 0, false});
        session.calculatedPoints.push_back(LPoint_t{i, 30.0f * i, 0, -20.0f * i, 0, false});
    }
    return session;
}

// A folder of its own for the files, removed at exit.
struct Files {
    explicit Files(int placements)
        : folder(fs::temp_directory_path() / ("tumbleway-bench-" + std::to_string(::getpid()) +
                                              "-" + std::to_string(placements))) {
        fs::create_directories(folder);
        const LSession_t session = bigSession(placements);
        writeSimulationFile(session, xml());
        writeSessionFile(session, binary());
    }
    ~Files() {
        std::error_code ignored;
        fs::remove_all(folder, ignored);
    }
    std::string xml() const { return (folder / "scene.xml").string(); }
    std::string binary() const { return (folder / "scene.sim").string(); }
    std::string scratch() const { return (folder / "saved").string(); }
    fs::path folder;
};

const Files& files() {
    static const Files instance(kPlacements);
    return instance;
}

const Files& largeSceneFiles() {
    static const Files instance(kLargeScenePlacements);
    return instance;
}

std::vector<char> bytesOf(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return std::vector<char>(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

void xmlLoad(benchmark::State& state, const std::string& path) {
    for (auto _ : state) {
        LSession_t session;
        benchmark::DoNotOptimize(readSimulationFile(path, session));
        state.PauseTiming(); // freeing the lists is not part of loading
        session = LSession_t();
        state.ResumeTiming();
    }
    state.SetBytesProcessed(state.iterations() * static_cast<std::int64_t>(fs::file_size(path)));
}

void BM_XmlLoad(benchmark::State& state) {
    xmlLoad(state, files().xml());
}
BENCHMARK(BM_XmlLoad)->Unit(benchmark::kMillisecond);

// Opening a scene of 100,000 placements from its XML file: the reader's part of the wait.
void BM_XmlLoadLargeScene(benchmark::State& state) {
    xmlLoad(state, largeSceneFiles().xml());
}
BENCHMARK(BM_XmlLoadLargeScene)->Unit(benchmark::kMillisecond);

// pugixml reading the same file into its own tree, with the options the reader uses.
void BM_XmlPugixmlParse(benchmark::State& state) {
    const std::string path = files().xml();
    for (auto _ : state) {
        pugi::xml_document document;
        benchmark::DoNotOptimize(document.load_file(path.c_str(), kSimulationFileParseOptions));
    }
    state.SetBytesProcessed(state.iterations() * static_cast<std::int64_t>(fs::file_size(path)));
}
BENCHMARK(BM_XmlPugixmlParse)->Unit(benchmark::kMillisecond);

double threadCpuSeconds() {
    timespec now{};
    ::clock_gettime(CLOCK_THREAD_CPUTIME_ID, &now);
    return static_cast<double>(now.tv_sec) + 1e-9 * static_cast<double>(now.tv_nsec);
}

// Runs first and second once each per iteration, each of them first every other time,
// so that a slow spell of the shared machine falls on both alike.
template <typename First, typename Second>
void inTurns(benchmark::State& state, First& first, Second& second) {
    bool firstGoesFirst = true;
    for (auto _ : state) {
        if (firstGoesFirst) {
            first();
            second();
        } else {
            second();
            first();
        }
        firstGoesFirst = !firstGoesFirst;
    }
}

// The two above taken in turns within one run: the ratio of the parse's CPU time to
// the load's, which is the load's rate as a share of the parse's.
void BM_XmlLoadAgainstParse(benchmark::State& state) {
    const std::string path = files().xml();
    double loading = 0;
    double parsing = 0;
    auto parse = [&] {
        const double start = threadCpuSeconds();
        pugi::xml_document document;
        benchmark::DoNotOptimize(document.load_file(path.c_str(), kSimulationFileParseOptions));
        document.reset();
        parsing += threadCpuSeconds() - start;
    };
    auto load = [&] {
        LSession_t session;
        const double start = threadCpuSeconds();
        benchmark::DoNotOptimize(readSimulationFile(path, session));
        loading += threadCpuSeconds() - start; // freeing the lists is not part of loading
    };
    inTurns(state, parse, load);
    state.counters["load_rate_per_parse_rate"] = parsing / loading;
}
BENCHMARK(BM_XmlLoadAgainstParse)->Unit(benchmark::kMillisecond);

void BM_XmlSave(benchmark::State& state) {
    const LSession_t session = bigSession();
    const std::string path = files().scratch() + ".xml";
    for (auto _ : state) {
        benchmark::DoNotOptimize(writeSimulationFile(session, path));
    }
    state.SetBytesProcessed(state.iterations() * static_cast<std::int64_t>(fs::file_size(path)));
}
BENCHMARK(BM_XmlSave)->Unit(benchmark::kMillisecond);

void BM_BinaryLoad(benchmark::State& state) {
    const std::string path = files().binary();
    for (auto _ : state) {
        LSession_t session;
        benchmark::DoNotOptimize(readSessionFile(path, session));
        state.PauseTiming();
        session = LSession_t();
        state.ResumeTiming();
    }
    state.SetBytesProcessed(state.iterations() * static_cast<std::int64_t>(fs::file_size(path)));
}
BENCHMARK(BM_BinaryLoad)->Unit(benchmark::kMillisecond);

void BM_BinarySave(benchmark::State& state) {
    const LSession_t session = bigSession();
    const std::string path = files().scratch() + ".sim";
    for (auto _ : state) {
        benchmark::DoNotOptimize(writeSessionFile(session, path));
    }
    state.SetBytesProcessed(state.iterations() * static_cast<std::int64_t>(fs::file_size(path)));
}
BENCHMARK(BM_BinarySave)->Unit(benchmark::kMillisecond);

// The least any load of the file must do: open it and read its bytes into memory.
void BM_BinaryReadBytes(benchmark::State& state) {
    const std::string path = files().binary();
    std::vector<char> bytes(fs::file_size(path));
    for (auto _ : state) {
        std::FILE* file = std::fopen(path.c_str(), "rb");
        if (file == nullptr) {
            state.SkipWithError("cannot open the benchmark's file");
            break;
        }
        benchmark::DoNotOptimize(std::fread(bytes.data(), 1, bytes.size(), file));
        std::fclose(file);
        benchmark::ClobberMemory();
    }
    state.SetBytesProcessed(state.iterations() * static_cast<std::int64_t>(bytes.size()));
}
BENCHMARK(BM_BinaryReadBytes)->Unit(benchmark::kMillisecond);

// The least a save that never leaves a half-written file must do: the same bytes
// written in one piece to a temporary file, synced and renamed over the target.
void BM_BinaryWriteBytesSafely(benchmark::State& state) {
    const std::vector<char> bytes = bytesOf(files().binary());
    const std::string path = files().scratch() + ".bytes";
    for (auto _ : state) {
        AtomicFileWriter out(path);
        out.write(bytes.data(), bytes.size());
        benchmark::DoNotOptimize(out.commit());
    }
    state.SetBytesProcessed(state.iterations() * static_cast<std::int64_t>(bytes.size()));
}
BENCHMARK(BM_BinaryWriteBytesSafely)->Unit(benchmark::kMillisecond);

double clockSeconds() {
    return std::chrono::duration<double>(std::chrono::steady_clock::now().time_since_epoch())
        .count();
}

// The two above taken in turns within one run: the save's time by the clock over that
// of the bare bytes saved safely.
void BM_BinarySaveAgainstSafeBytes(benchmark::State& state) {
    const LSession_t session = bigSession();
    const std::vector<char> bytes = bytesOf(files().binary());
    const std::string savePath = files().scratch() + ".sim";
    const std::string bytesPath = files().scratch() + ".bytes";
    double saving = 0;
    double writing = 0;
    auto save = [&] {
        const double start = clockSeconds();
        benchmark::DoNotOptimize(writeSessionFile(session, savePath));
        saving += clockSeconds() - start;
    };
    auto write = [&] {
        const double start = clockSeconds();
        AtomicFileWriter out(bytesPath);
        out.write(bytes.data(), bytes.size());
        benchmark::DoNotOptimize(out.commit());
        writing += clockSeconds() - start;
    };
    inTurns(state, save, write);
    state.counters["save_time_per_safe_bytes_time"] = saving / writing;
}
BENCHMARK(BM_BinarySaveAgainstSafeBytes)->Unit(benchmark::kMillisecond);

// Copying the binary file's bytes from one buffer to another.
void BM_BinaryMemcpy(benchmark::State& state) {
    const std::vector<char> bytes = bytesOf(files().binary());
    std::vector<char> copy(bytes.size());
    for (auto _ : state) {
        std::memcpy(copy.data(), bytes.data(), bytes.size());
        benchmark::ClobberMemory();
    }
    state.SetBytesProcessed(state.iterations() * static_cast<std::int64_t>(bytes.size()));
}
BENCHMARK(BM_BinaryMemcpy)->Unit(benchmark::kMillisecond);

} // namespace

BENCHMARK_MAIN();
