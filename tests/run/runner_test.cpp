// tumbleway-run as a user runs it: the real program on scenes in a scratch folder,
// judged by its exit status, its stderr and the files it writes.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>
#include <fstream>
#include <sstream>
#include <string>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

#include "runner_process.h"

namespace fs = std::filesystem;

namespace {

struct TraceRow {
    int frame = 0;
    int index = 0;
    std::string name;
    float x = 0;
    float y = 0;
    float z = 0;
    float heading = 0;
};

// One CSV record; a field in double quotes may hold commas and doubled quotes.
std::vector<std::string> csvFields(const std::string& line) {
    std::vector<std::string> fields(1);
    bool quoted = false;
    for (std::size_t i = 0; i < line.size(); ++i) {
        const char c = line[i];
        if (quoted && c == '"' && i + 1 < line.size() && line[i + 1] == '"') {
            fields.back() += '"';
            ++i;
        } else if (c == '"') {
            quoted = !quoted;
        } else if (c == ',' && !quoted) {
            fields.emplace_back();
        } else {
            fields.back() += c;
        }
    }
    return fields;
}

std::vector<TraceRow> readTrace(const fs::path& path) {
    std::ifstream file(path);
    std::string line;
    std::getline(file, line);
    EXPECT_EQ(line, "frame,index,name,x,y,z,heading");
    std::vector<TraceRow> rows;
    while (std::getline(file, line)) {
        const std::vector<std::string> f = csvFields(line);
        if (f.size() != 7) {
            ADD_FAILURE() << "a trace row of " << f.size() << " fields: " << line;
            break;
        }
        rows.push_back({std::stoi(f[0]), std::stoi(f[1]), f[2], std::stof(f[3]), std::stof(f[4]),
                        std::stof(f[5]), std::stof(f[6])});
    }
    return rows;
}

// The row of a mesh in a frame; the test fails without one.
TraceRow rowOf(const std::vector<TraceRow>& rows, int frame, int index) {
    for (const TraceRow& row : rows) {
        if (row.frame == frame && row.index == index) {
            return row;
        }
    }
    ADD_FAILURE() << "no trace row for mesh " << index << " in frame " << frame;
    return {};
}

float groundDistance(const TraceRow& a, const TraceRow& b) {
    return std::hypot(a.x - b.x, a.z - b.z);
}

// Replaces the first occurrence of `from`, which must be there.
std::string replaceFirst(std::string text, const std::string& from, const std::string& to) {
    const std::size_t at = text.find(from);
    EXPECT_NE(at, std::string::npos) << from;
    return at == std::string::npos ? text : text.replace(at, from.size(), to);
}

// A failure as the user sees it: the status, and one line of stderr that says what.
void expectFailure(const Outcome& outcome, int status, const std::string& saying) {
    EXPECT_EQ(outcome.signal, 0) << "ended by a signal; stderr:\n" << outcome.err;
    EXPECT_EQ(outcome.status, status) << "stderr:\n" << outcome.err;
    const std::vector<std::string> lines = errorLines(outcome.err);
    ASSERT_EQ(lines.size(), 1u) << "stderr:\n" << outcome.err;
    EXPECT_EQ(lines[0].rfind("tumbleway-run: ", 0), 0u) << lines[0];
    EXPECT_NE(lines[0].find(saying), std::string::npos) << lines[0];
}

// The demo scene places ten meshes; its last, a car, is the one the builder drives.
constexpr int kMeshes = 10;
constexpr int kLastMesh = kMeshes - 1;
// Sixty frames is enough for a held key to move a body on while no two bodies meet.
constexpr int kFrames = 60;

class Runner : public ::testing::Test {
protected:
    void SetUp() override {
        const std::string test = ::testing::UnitTest::GetInstance()->current_test_info()->name();
        folder = fs::temp_directory_path() / ("tw-runner-" + test);
        fs::remove_all(folder);
        fs::create_directories(folder);
        // Other users must reach into it for the tests that run as one.
        fs::permissions(folder, fs::perms::owner_all | fs::perms::group_read |
                                    fs::perms::group_exec | fs::perms::others_read |
                                    fs::perms::others_exec);
        for (const auto& file : fs::directory_iterator("samples/scenes")) {
            fs::copy_file(file.path(), folder / file.path().filename());
        }
        // Both arrow keys held: forward and to the left.
        std::ofstream held(folder / "held.csv");
        for (int frame = 0; frame < kFrames; ++frame) {
            held << frame << ",1,1\n";
        }
    }

    void TearDown() override {
        std::error_code ignored;
        for (const auto& entry : fs::recursive_directory_iterator(folder, ignored)) {
            fs::permissions(entry.path(), fs::perms::owner_all, fs::perm_options::add, ignored);
        }
        fs::remove_all(folder, ignored);
    }

    Outcome run(std::vector<std::string> args, Launch launch = {}) const {
        args.insert(args.begin(), TW_RUNNER);
        if (launch.folder.empty()) {
            launch.folder = folder;
        }
        return runProgram(args, launch);
    }

    // Runs the demo scene for kFrames with the extra arguments and returns its trace.
    std::vector<TraceRow> traceOf(std::vector<std::string> extra) const {
        std::vector<std::string> args = {"demo.xml",    "--frames", std::to_string(kFrames),
                                         "--no-render", "--size",   "64x64",
                                         "--trace",     "trace.csv"};
        args.insert(args.end(), extra.begin(), extra.end());
        const Outcome outcome = run(args);
        EXPECT_EQ(outcome.status, 0) << outcome.err;
        return readTrace(folder / "trace.csv");
    }

    void writeFile(const std::string& name, const std::string& text) const {
        std::ofstream(folder / name) << text;
    }

    std::string demoText() const {
        std::ifstream file(folder / "demo.xml");
        return std::string(std::istreambuf_iterator<char>(file), {});
    }

    fs::path folder;
};

// ---- Driving a mesh ----

TEST_F(Runner, InputPushesAndTurnsTheCoursesLastPlacedMesh) {
    const std::vector<TraceRow> still = traceOf({});
    const std::vector<TraceRow> driven = traceOf({"--input", "held.csv"});
    ASSERT_EQ(still.size(), std::size_t{kFrames * kMeshes});
    ASSERT_EQ(driven.size(), still.size());
    const int last = kFrames - 1;

    // Without input nothing moves.
    EXPECT_LT(groundDistance(rowOf(still, 0, kLastMesh), rowOf(still, last, kLastMesh)), 1e-3f);
    // With it the car is pushed on and turned to the left, as the arrow keys would.
    const TraceRow car = rowOf(driven, last, kLastMesh);
    EXPECT_GT(groundDistance(car, rowOf(still, last, kLastMesh)), 0.5f);
    EXPECT_NEAR(car.heading - rowOf(still, last, kLastMesh).heading, kFrames * 0.002f, 1e-3f);
    // And only the car.
    for (int mesh = 0; mesh < kLastMesh; ++mesh) {
        EXPECT_LT(groundDistance(rowOf(driven, last, mesh), rowOf(still, last, mesh)), 1e-4f)
            << "mesh " << mesh;
    }
}

TEST_F(Runner, InputLinesComeInAnyOrderAndTheLaterOfAFramesLinesCounts) {
    std::ostringstream shuffled;
    for (int frame = kFrames - 1; frame >= 0; --frame) {
        shuffled << frame << ",-1,0\n" << frame << ",1,1\n";
    }
    writeFile("shuffled.csv", shuffled.str());
    const std::vector<TraceRow> held = traceOf({"--input", "held.csv"});
    const std::vector<TraceRow> fromShuffled = traceOf({"--input", "shuffled.csv"});
    ASSERT_EQ(fromShuffled.size(), held.size());
    for (std::size_t i = 0; i < held.size(); ++i) {
        ASSERT_EQ(groundDistance(fromShuffled[i], held[i]), 0.0f) << "row " << i;
        ASSERT_EQ(fromShuffled[i].heading, held[i].heading) << "row " << i;
    }
}

TEST_F(Runner, ControlChoosesTheMeshTheInputDrives) {
    const std::vector<TraceRow> still = traceOf({});
    const int last = kFrames - 1;

    const std::vector<TraceRow> first = traceOf({"--input", "held.csv", "--control", "0"});
    EXPECT_GT(groundDistance(rowOf(first, last, 0), rowOf(still, last, 0)), 0.5f);
    EXPECT_LT(groundDistance(rowOf(first, last, kLastMesh), rowOf(still, last, kLastMesh)), 1e-4f);

    const std::vector<TraceRow> none = traceOf({"--input", "held.csv", "--control", "none"});
    ASSERT_EQ(none.size(), still.size());
    for (int mesh = 0; mesh < kMeshes; ++mesh) {
        EXPECT_LT(groundDistance(rowOf(none, last, mesh), rowOf(still, last, mesh)), 1e-4f)
            << "mesh " << mesh;
    }

    expectFailure(run({"demo.xml", "--control", std::to_string(kMeshes)}), 2, "--control");
    for (const char* bad : {"-1", "two", ""}) {
        expectFailure(run({"demo.xml", "--control", bad}), 2, "--control");
    }
    expectFailure(run({"--control", "0"}), 2, "--control");
}

// ---- The trace ----

TEST_F(Runner, TraceHoldsThePoseEachMeshIsDrawnWith) {
    // The first mesh saved high above the course and turned a quarter; the last renamed
    // to something a CSV field must quote.
    const std::string odd = "odd, \"quoted\" car.x";
    fs::copy_file(folder / "car.x", folder / odd);
    std::string scene = replaceFirst(demoText(), "<y>2.000000</y>", "<y>100.000000</y>");
    scene = replaceFirst(scene, "<Yaw>0.000000</Yaw>", "<Yaw>0.500000</Yaw>");
    const std::size_t lastCar = scene.rfind("<name>car.x</name>");
    ASSERT_NE(lastCar, std::string::npos);
    scene.replace(lastCar, 18, "<name>odd, &quot;quoted&quot; car.x</name>");
    writeFile("demo.xml", scene);

    const std::vector<TraceRow> rows = traceOf({});
    ASSERT_EQ(rows.size(), std::size_t{kFrames * kMeshes});
    // From the second frame on (what is drawn follows the road a frame late) the mesh is
    // drawn 2 above the road, which is level with the ground here, not where it was saved.
    const TraceRow raised = rowOf(rows, kFrames - 1, 0);
    EXPECT_NEAR(raised.y, 2.0f, 0.01f);
    // Its model's x axis, turned a quarter by the saved yaw, points along -z.
    EXPECT_NEAR(raised.heading, -0.5f, 1e-4f);
    EXPECT_EQ(rowOf(rows, 0, kLastMesh).name, odd);
}

// ---- Failures ----

TEST_F(Runner, DataThatIsNoFolderIsRefused) {
    expectFailure(run({"demo.xml", "--data", "missing"}), 2, "--data");
    expectFailure(run({"demo.xml", "--data", "demo.xml"}), 2, "--data");
}

TEST_F(Runner, ScenesThatCannotBeReadFailTheRunAndWriteNothing) {
    writeFile("garbage.xml", "not a scene <<<");
    writeFile("sessionless.xml", "<Discription><Other/></Discription>");
    fs::create_directory(folder / "folder.sim");
    for (const char* scene :
         {"garbage.xml", "sessionless.xml", "folder.sim", "missing.xml", "car.x"}) {
        SCOPED_TRACE(scene);
        const Outcome outcome = run({scene, "--trace", "trace.csv", "--screenshot", "shot.png"});
        expectFailure(outcome, 2, "scene");
        EXPECT_FALSE(fs::exists(folder / "trace.csv"));
        EXPECT_FALSE(fs::exists(folder / "shot.png"));
    }
}

TEST_F(Runner, ScenesBehindPermissionsFailTheRun) {
    fs::create_directory(folder / "locked");
    fs::copy_file(folder / "demo.xml", folder / "locked" / "demo.xml");
    fs::permissions(folder / "locked", fs::perms::none);
    fs::permissions(folder / "demo.xml", fs::perms::none);

    Launch asUser;
    asUser.asNobody = true;
    const Outcome behindFolder = run({"locked/demo.xml"}, asUser);
    if (behindFolder.couldNotDropPrivileges) {
        GTEST_SKIP() << "needs a user whom permissions stop: could not become user 65534";
    }
    expectFailure(behindFolder, 2, "locked/demo.xml");
    expectFailure(run({"demo.xml"}, asUser), 2, "cannot read the scene");
}

TEST_F(Runner, RelativePathsAfterTheWorkingFolderIsGone) {
    const auto runInGoneFolder = [this](const std::vector<std::string>& args) {
        Launch inGone;
        inGone.folder = folder / "gone";
        inGone.folderDeletedFirst = true;
        fs::create_directory(inGone.folder);
        return run(args, inGone);
    };
    const std::string scene = (folder / "demo.xml").string();
    expectFailure(runInGoneFolder({scene, "--trace", "trace.csv"}), 2, "--trace");
    expectFailure(runInGoneFolder({"demo.xml"}), 2, "scene");
}

TEST_F(Runner, OutputsThatCannotBeWrittenFailTheRunAndLeaveOlderFilesWhole) {
    // A disk that fills up during the run (no file may grow past 4 KB): the trace, the
    // screenshot and the course export are each far larger, and the older files stay as
    // they were.
    Launch fullDisk;
    fullDisk.fileSizeLimit = 4096;
    for (const char* output : {"--trace", "--screenshot", "--export-gltf"}) {
        SCOPED_TRACE(output);
        writeFile("older", "an older file\n");
        const Outcome outcome = run({"demo.xml", "--size", "256x256", "--no-render", "--frames",
                                     std::to_string(kFrames), output, "older"},
                                    fullDisk);
        // The renderer's shader cache may complain of the limit too; the run's own
        // last word names the output.
        EXPECT_EQ(outcome.status, 1) << outcome.err;
        const std::vector<std::string> lines = errorLines(outcome.err);
        ASSERT_FALSE(lines.empty());
        EXPECT_NE(lines.back().find("cannot write the "), std::string::npos) << lines.back();
        EXPECT_NE(lines.back().find("older"), std::string::npos) << lines.back();
        EXPECT_EQ(fs::file_size(folder / "older"), 14u);
        for (const auto& entry : fs::directory_iterator(folder)) {
            EXPECT_NE(entry.path().filename().string().rfind(".tumbleway-save-", 0), 0u)
                << "a temporary file is left: " << entry.path();
        }
    }
    // Outputs that can never be written are refused before the run: a device that is no
    // file to replace, a folder that is not there.
    expectFailure(run({"demo.xml", "--trace", "/dev/full"}), 2, "/dev/full");
    expectFailure(run({"demo.xml", "--size", "64x64", "--screenshot", "/dev/full"}), 2,
                  "/dev/full");
    expectFailure(run({"demo.xml", "--trace", "no/such/folder/trace.csv"}), 2, "trace.csv");
    expectFailure(run({"demo.xml", "--screenshot", "no/such/folder/shot.png", "--trace", "t.csv"}),
                  2, "shot.png");
    EXPECT_FALSE(fs::exists(folder / "t.csv"));
    ASSERT_EQ(::mkfifo((folder / "pipe.glb").c_str(), 0600), 0);
    expectFailure(run({"demo.xml", "--export-gltf", "pipe.glb"}), 2, "FIFO");
    expectFailure(run({"demo.xml", "--export-gltf", "no/such/folder/course.glb"}), 2, "course.glb");
}

TEST_F(Runner, InputFilesThatCannotBeReadAreRefused) {
    fs::create_directory(folder / "folder.csv");
    writeFile("junk.csv", "0,1,1\n1,1,1 and more\n");
    writeFile("negative.csv", "-1,1,1\n");
    writeFile("short.csv", "0,1\n");
    for (const char* input : {"folder.csv", "junk.csv", "negative.csv", "short.csv", "none.csv"}) {
        SCOPED_TRACE(input);
        expectFailure(run({"demo.xml", "--input", input, "--trace", "trace.csv"}), 2, input);
        EXPECT_FALSE(fs::exists(folder / "trace.csv"));
    }
    // Comments, blank lines and Windows line ends are fine.
    writeFile("windows.csv", "# frame,turn,move\r\n\r\n0,1,1\r\n");
    EXPECT_EQ(run({"demo.xml", "--input", "windows.csv"}).status, 0);
}

TEST_F(Runner, OptionsItCannotUseAreOneLine) {
    expectFailure(run({"demo.xml", "--frames", "many"}), 2, "--frames");
    expectFailure(run({"demo.xml", "--unknown"}), 2, "--unknown");
    expectFailure(run({"demo.xml", "other.xml"}), 2, "one scene");
    expectFailure(run({"--export-gltf", "course.glb"}), 2, "no scene");
}

// A mesh shown alone: the picture is of the mesh (turned, it changes), and a file that is
// not one says so.
TEST_F(Runner, PreviewShowsOneMeshOrSaysWhyNot) {
    const auto shot = [&](const std::vector<std::string>& extra) {
        std::vector<std::string> args = {"--preview", "signpost.glb", "--size",       "64x64",
                                         "--frames",  "20",           "--screenshot", "p.png"};
        args.insert(args.end(), extra.begin(), extra.end());
        const Outcome outcome = run(args);
        EXPECT_EQ(outcome.status, 0) << outcome.err;
        std::ifstream file(folder / "p.png", std::ios::binary);
        return std::string(std::istreambuf_iterator<char>(file), {});
    };
    writeFile("turn.csv", "0,1,0\n10,1,0\n");
    const std::string front = shot({});
    EXPECT_FALSE(front.empty());
    EXPECT_NE(front, shot({"--input", "turn.csv"}));

    writeFile("text.glb", "not a model");
    expectFailure(run({"--preview", "text.glb"}), 2, "text.glb");
    expectFailure(run({"--preview", "absent.glb"}), 2, "no mesh file");
    expectFailure(run({"--preview", "signpost.glb", "--tab", "play"}), 2, "--preview");
}

// An environment variable set for the life of the object, and put back after it.
class EnvironmentSetting {
public:
    EnvironmentSetting(const char* name, const char* value) : name_(name) {
        const char* before = std::getenv(name);
        had_ = before != nullptr;
        before_ = had_ ? before : "";
        value != nullptr ? ::setenv(name, value, 1) : ::unsetenv(name);
    }
    ~EnvironmentSetting() { had_ ? ::setenv(name_, before_.c_str(), 1) : ::unsetenv(name_); }
    EnvironmentSetting(const EnvironmentSetting&) = delete;
    EnvironmentSetting& operator=(const EnvironmentSetting&) = delete;

private:
    const char* name_;
    bool had_ = false;
    std::string before_;
};

// Without a sound card the sound library wrote nine lines of ALSA on every run. They go
// to the log, and to the terminal only when --verbose asks for them.
TEST_F(Runner, TheLibrariesWordsGoToTheLogUnlessAskedFor) {
    const EnvironmentSetting anyDriver("ALSOFT_DRIVERS", nullptr);
    const EnvironmentSetting state("XDG_STATE_HOME", (folder / "state").c_str());
    const std::vector<std::string> args = {"demo.xml", "--frames", "2", "--size", "64x64"};
    const Outcome quiet = run(args);
    EXPECT_EQ(quiet.status, 0);
    EXPECT_EQ(quiet.err, "");
    std::ifstream log(folder / "state/Tumbleway/tumbleway-run.log");
    ASSERT_TRUE(log.is_open());
    const std::string logged(std::istreambuf_iterator<char>(log), {});

    std::vector<std::string> verbose = args;
    verbose.push_back("--verbose");
    const Outcome told = run(verbose);
    EXPECT_EQ(told.status, 0);
    EXPECT_EQ(told.err, logged); // what the libraries say, whatever the machine has
}

} // namespace
