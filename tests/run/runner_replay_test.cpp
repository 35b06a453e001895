// tumbleway-run --replay as a user runs it: the sample recording played on its own
// scene and on a changed one, and recordings it cannot play refused.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <fstream>
#include <iterator>
#include <string>
#include <utility>
#include <vector>

#include "runner_process.h"

namespace fs = std::filesystem;

namespace {

// The sample recording drives the demo scene's car (its last mesh of ten) for 300 frames.
constexpr int kRecordedFrames = 300;
constexpr int kMeshes = 10;

std::string contents(const fs::path& path) {
    std::ifstream file(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(file), {});
}

// Replaces the first occurrence of `from`, which must be there.
std::string replaceFirst(std::string text, const std::string& from, const std::string& to) {
    const std::size_t at = text.find(from);
    EXPECT_NE(at, std::string::npos) << from;
    return at == std::string::npos ? text : text.replace(at, from.size(), to);
}

// The distance the report's line "end INDEX NAME: ..." gives placed mesh `mesh` (0 for
// "exactly as recorded"), or -1 when there is no such line.
double endDistance(const std::string& report, int mesh) {
    const std::size_t at = report.find("\nend " + std::to_string(mesh) + " ");
    if (at == std::string::npos) {
        ADD_FAILURE() << "no line for mesh " << mesh << " in\n" << report;
        return -1;
    }
    const std::string rest = report.substr(report.find(": ", at) + 2);
    return rest.rfind("exactly as recorded", 0) == 0 ? 0 : std::stod(rest);
}

// The scene a recording holds: the "scene N" line's N bytes after it.
std::string recordedScene(const std::string& recording) {
    const std::size_t line = recording.find("\nscene ");
    EXPECT_NE(line, std::string::npos);
    const std::size_t start = recording.find('\n', line + 1) + 1;
    return recording.substr(start, std::stoul(recording.substr(line + 7)));
}

class RunnerReplay : public ::testing::Test {
protected:
    void SetUp() override {
        const std::string test = ::testing::UnitTest::GetInstance()->current_test_info()->name();
        folder = fs::temp_directory_path() / ("tw-runner-replay-" + test);
        fs::remove_all(folder);
        fs::create_directories(folder);
        for (const auto& file : fs::directory_iterator(kSamples)) {
            fs::copy_file(file.path(), folder / file.path().filename());
        }
    }
    void TearDown() override { fs::remove_all(folder); }

    Outcome run(std::vector<std::string> args, fs::path in = {}, Launch launch = {}) const {
        args.insert(args.begin(), {TW_RUNNER, "--no-render", "--size", "64x64"});
        launch.folder = in.empty() ? folder : in;
        return runProgram(args, launch);
    }

    void writeFile(const std::string& name, const std::string& text) const {
        std::ofstream(folder / name, std::ios::binary) << text;
    }

    // Runs and expects a refusal that names `saying`, with no trace left behind.
    void expectRefused(const std::vector<std::string>& args, const std::string& saying) const {
        std::vector<std::string> withTrace = args;
        withTrace.insert(withTrace.end(), {"--trace", "trace.csv"});
        expectFailure(run(withTrace), saying);
        EXPECT_FALSE(fs::exists(folder / "trace.csv"));
    }

    void expectFailure(const Outcome& outcome, const std::string& saying) const {
        EXPECT_EQ(outcome.status, 2) << outcome.err;
        const std::vector<std::string> lines = errorLines(outcome.err);
        ASSERT_FALSE(lines.empty());
        EXPECT_NE(lines.back().find(saying), std::string::npos) << lines.back();
        EXPECT_TRUE(outcome.out.empty()) << outcome.out;
    }

    static constexpr const char* kSamples = "samples/scenes";
    fs::path folder;
};

TEST_F(RunnerReplay, TheSampleRecordingReplaysBitForBitFromItsFolderAndTwiceAlike) {
    // Played where it lies, its meshes beside it.
    const Outcome first = run({"--replay", "demo.replay", "--trace", (folder / "a.csv").string()},
                              fs::absolute(kSamples));
    ASSERT_EQ(first.status, 0) << first.err;
    EXPECT_NE(first.out.find("replayed 300 frames on its own scene, driving mesh 9 (car.x)"),
              std::string::npos)
        << first.out;
    EXPECT_NE(first.out.find("path: as recorded in every frame, bit for bit"), std::string::npos)
        << first.out;
    for (int mesh = 0; mesh < kMeshes; ++mesh) {
        EXPECT_EQ(endDistance(first.out, mesh), 0) << mesh;
    }
    EXPECT_NE(first.out.find("result: identical to the recording"), std::string::npos);

    const Outcome second = run({"--replay", "demo.replay", "--trace", "b.csv"});
    ASSERT_EQ(second.status, 0) << second.err;
    EXPECT_EQ(second.out, first.out);
    const std::string trace = contents(folder / "a.csv");
    EXPECT_EQ(std::count(trace.begin(), trace.end(), '\n'), 1 + kRecordedFrames * kMeshes);
    EXPECT_EQ(contents(folder / "b.csv"), trace);
}

TEST_F(RunnerReplay, OnAChangedSceneItSaysHowFarEachMeshEndedFromItsRecordedEnd) {
    // The recording's own scene, changed: the sample scene may have been made anew since.
    const std::string recorded = recordedScene(contents(folder / "demo.replay"));
    // The parked car (mesh 4) moved 10 along x; the driven car does not come near it.
    writeFile("moved.xml", replaceFirst(recorded, "118.509377", "128.509377"));
    const Outcome moved = run({"--replay", "demo.replay", "--scene", "moved.xml"});
    ASSERT_EQ(moved.status, 0) << moved.err;
    EXPECT_NEAR(endDistance(moved.out, 4), 10.0, 0.01) << moved.out;
    EXPECT_EQ(endDistance(moved.out, 0), 0);
    EXPECT_NE(moved.out.find("path: as recorded in every frame"), std::string::npos);
    EXPECT_NE(moved.out.find("result: differs from the recording"), std::string::npos);

    // A cone placed besides: it has no recorded end to be compared with.
    std::string text = recorded;
    const std::size_t cone = text.rfind("<X-file>", text.find("<name>cone.x"));
    const std::size_t coneEnd = text.find("</X-file>", cone) + 9;
    text.insert(text.rfind("</X-file>") + 9, text.substr(cone, coneEnd - cone));
    writeFile("more.xml", text);
    const Outcome more = run({"--replay", "demo.replay", "--scene", "more.xml"});
    ASSERT_EQ(more.status, 0) << more.err;
    EXPECT_NE(more.out.find("end 10 cone.x: not in the recording"), std::string::npos) << more.out;
    EXPECT_NE(more.out.find("result: differs from the recording"), std::string::npos);

    // The first ball taken off: the driven car is found by name, one place earlier, and
    // the ball is named as missing.
    text = recorded;
    const std::size_t ball = text.find("<X-file>");
    text.erase(ball, text.find("</X-file>", ball) + 9 - ball);
    writeFile("fewer.xml", text);
    const Outcome fewer = run({"--replay", "demo.replay", "--scene", "fewer.xml"});
    ASSERT_EQ(fewer.status, 0) << fewer.err;
    EXPECT_NE(fewer.out.find("driving mesh 8 (car.x)"), std::string::npos) << fewer.out;
    EXPECT_NE(fewer.out.find("path: as recorded in every frame"), std::string::npos);
    EXPECT_NE(fewer.out.find("end - ball.x: no longer placed"), std::string::npos);
}

TEST_F(RunnerReplay, RecordingsItCannotPlayAreRefusedAndWriteNothing) {
    const std::string good = contents(folder / "demo.replay");
    writeFile("cut.replay", good.substr(0, good.size() - 300));
    writeFile("version.replay", replaceFirst(good, "tumbleway-replay 1\n", "tumbleway-replay 2\n"));
    writeFile("scene.replay", replaceFirst(good, "<Session>", "<Session<"));
    writeFile("frames.replay", replaceFirst(good, "\nframes 300\n", "\nframes 301\n"));
    writeFile("fewer-frames.replay", replaceFirst(good, "\nframes 300\n", "\nframes 299\n"));
    writeFile("driven.replay", replaceFirst(good, "\ncontrolled 9\n", "\ncontrolled 12\n"));
    // Values the builder never records: a push far beyond a key's, a heading no turning
    // reaches.
    writeFile("loud.replay",
              replaceFirst(good, "\nframe 0 move-play 1\n", "\nframe 0 move-play 3.4e38\n"));
    writeFile("turned.replay", replaceFirst(good, "\nheading -0.23016867\n", "\nheading 3.4e38\n"));
    expectRefused({"--replay", "cut.replay"}, "cut short");
    expectRefused({"--replay", "version.replay"}, "version 2");
    expectRefused({"--replay", "scene.replay"}, "the scene it holds cannot be read");
    expectRefused({"--replay", "frames.replay"}, "300 frames, but its header says 301");
    expectRefused({"--replay", "fewer-frames.replay"}, "more frames than its header says");
    expectRefused({"--replay", "driven.replay"}, "controlled mesh 12");
    expectRefused({"--replay", "none.replay"}, "no such file");
    expectRefused({"--replay", "demo.xml"}, "not a replay file");
    expectRefused({"--replay", "loud.replay"}, "line 252: the input 3.4e38 is not");
    expectRefused({"--replay", "turned.replay"}, "line 2: the heading 3.4e38 is not");
    // Two gigabytes of zeros are refused at their first line, in a small address space.
    std::ofstream(folder / "vast.replay").close();
    fs::resize_file(folder / "vast.replay", std::uintmax_t{2} << 30);
    Launch small;
    small.addressSpaceLimit = std::uint64_t{1} << 30;
    expectFailure(run({"--replay", "vast.replay"}, {}, small), "line 1 is longer than");

    // A scene that places fewer meshes than the one driven, and its own scene without a
    // mesh it places.
    std::string one = contents(folder / "demo.xml");
    const std::size_t second = one.find("<X-file>", one.find("</X-file>"));
    one.erase(second, one.rfind("</X-file>") + 9 - second);
    writeFile("one.xml", one);
    expectRefused({"--replay", "demo.replay", "--scene", "one.xml"},
                  "places no mesh to pair it with");
    // A mesh that does not load is found only once the engine runs; an older trace is
    // left as it was.
    fs::remove(folder / "cone.x");
    writeFile("trace.csv", "an older trace\n");
    expectFailure(run({"--replay", "demo.replay", "--trace", "trace.csv"}), "not every mesh");
    EXPECT_EQ(contents(folder / "trace.csv"), "an older trace\n");

    // What the recording fixes cannot be asked for besides.
    for (const auto& [option, value] :
         {std::pair{"--frames", "1"}, std::pair{"--control", "1"}, std::pair{"--tab", "play"},
          std::pair{"--input", "a.csv"}}) {
        expectFailure(run({"--replay", "demo.replay", option, value}), "--replay takes");
    }
}

} // namespace
