// tumbleway-run --check as a user runs it: on scenes of a sound course and of a course
// that crosses itself, judged by the exit status, the report and the picture.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <fstream>
#include <numbers>
#include <string>
#include <utility>
#include <vector>

#include <stb/stb_image.h>

#include "runner_process.h"

namespace fs = std::filesystem;

namespace {

using Points = std::vector<std::pair<double, double>>;

// A number as the scene keeps it, to every digit a double has.
std::string exact(double value) {
    char text[40];
    std::snprintf(text, sizeof text, "%.17g", value);
    return text;
}

// A scene of one course through the ground points (x, z), flat, with nothing on it.
std::string courseScene(const Points& points) {
    std::string text = "<?xml version='1.0'?>\n<Discription>\n<Session>\n";
    for (const auto& [x, z] : points) {
        text += "<DottedPoints><x>" + exact(320 + 5 * x) + "</x><y>" + exact(240 - 5 * z) +
                "</y></DottedPoints>\n";
    }
    for (const auto& [x, z] : points) {
        text += "<CalculatedPoints><x>" + exact(x) + "</x><y>0</y><z>" + exact(z) +
                "</z><Pitch>0</Pitch></CalculatedPoints>\n";
    }
    return text + "</Session>\n</Discription>\n";
}

Points circle(int n, double radius, double x = 0, double z = 0) {
    Points points;
    for (int i = 0; i < n; ++i) {
        const double a = 2 * std::numbers::pi * i / n;
        points.emplace_back(x + radius * std::cos(a), z + radius * std::sin(a));
    }
    return points;
}

// A bow tie: down the left, across to the top right, down the right and back across.
const Points kFigureEight = {{-30, -15}, {-30, 15}, {30, -15}, {30, 15}};

struct Picture {
    int width = 0;
    int height = 0;
    std::vector<unsigned char> rgba;

    // Pixels of exactly this colour.
    int count(unsigned char r, unsigned char g, unsigned char b) const {
        int n = 0;
        for (std::size_t i = 0; i + 3 < rgba.size(); i += 4) {
            n += rgba[i] == r && rgba[i + 1] == g && rgba[i + 2] == b;
        }
        return n;
    }
};

Picture readPicture(const fs::path& path) {
    Picture picture;
    int channels = 0;
    unsigned char* data =
        stbi_load(path.c_str(), &picture.width, &picture.height, &channels, STBI_rgb_alpha);
    if (data == nullptr) {
        ADD_FAILURE() << "no picture " << path;
        return picture;
    }
    picture.rgba.assign(data, data + static_cast<std::size_t>(picture.width) * picture.height * 4);
    stbi_image_free(data);
    return picture;
}

std::vector<std::string> linesOf(const std::string& text) {
    std::vector<std::string> lines;
    std::size_t start = 0;
    for (std::size_t end; (end = text.find('\n', start)) != std::string::npos; start = end + 1) {
        lines.push_back(text.substr(start, end - start));
    }
    return lines;
}

bool hasLineWith(const std::vector<std::string>& lines, const std::string& words) {
    for (const std::string& line : lines) {
        if (line.find(words) != std::string::npos) {
            return true;
        }
    }
    return false;
}

// The ring colour the picture marks each kind of finding with, and words of its line in
// the report.
struct Mark {
    const char* line;
    unsigned char r, g, b;
};
constexpr Mark kMarks[] = {{"folded strip triangles", 255, 64, 64},
                           {"field over the road", 255, 0, 255},
                           {"the centreline crosses itself", 255, 230, 0},
                           {"the road edges cross themselves", 255, 140, 0},
                           {"tighter than the widest offset", 0, 220, 255},
                           {"probe balls off the road", 80, 120, 255},
                           {"the course has no extent", 160, 255, 0}};

class RunnerCheck : public ::testing::Test {
protected:
    void SetUp() override {
        const std::string test = ::testing::UnitTest::GetInstance()->current_test_info()->name();
        folder = fs::temp_directory_path() / ("tw-runner-check-" + test);
        fs::remove_all(folder);
        fs::create_directories(folder);
        std::ofstream(folder / "circle.xml") << courseScene(circle(8, 30));
        std::ofstream(folder / "eight.xml") << courseScene(kFigureEight);
    }
    void TearDown() override { fs::remove_all(folder); }

    Outcome run(std::vector<std::string> args, const fs::path& in = {}) const {
        args.insert(args.begin(), TW_RUNNER);
        Launch launch;
        launch.folder = in.empty() ? folder : in;
        return runProgram(args, launch);
    }

    fs::path folder;
};

} // namespace

TEST_F(RunnerCheck, ASoundCourseIsSaidToBeSoundAndTheRunSucceeds) {
    // A wide circle, and the sample scene, which is where a user first tries the check.
    const std::pair<std::string, fs::path> sound[] = {{"circle.xml", folder},
                                                      {"demo.xml", fs::absolute("samples/scenes")}};
    for (const auto& [scene, in] : sound) {
        SCOPED_TRACE(scene);
        const Outcome outcome = run({scene, "--check", "--frames", "0"}, in);
        EXPECT_EQ(outcome.status, 0) << outcome.out << outcome.err;
        EXPECT_TRUE(errorLines(outcome.err).empty()) << outcome.err;
        const std::vector<std::string> lines = linesOf(outcome.out);
        ASSERT_FALSE(lines.empty());
        EXPECT_EQ(lines[0], scene + ": the course is sound");
        EXPECT_TRUE(hasLineWith(lines, "  tightest bend: radius ")) << outcome.out;
        EXPECT_TRUE(hasLineWith(lines, " dropped, all on the road")) << outcome.out;
    }
}

TEST_F(RunnerCheck, ACourseThatCrossesItselfIsReportedWhereAndTheRunEndsWithThree) {
    const Outcome outcome = run({"eight.xml", "--check", "--frames", "0"});
    EXPECT_EQ(outcome.status, 3) << outcome.err;
    EXPECT_TRUE(errorLines(outcome.err).empty()) << outcome.err;
    const std::vector<std::string> lines = linesOf(outcome.out);
    ASSERT_FALSE(lines.empty());
    EXPECT_NE(lines[0].find("eight.xml: "), std::string::npos);
    EXPECT_NE(lines[0].find(" of finding"), std::string::npos);
    EXPECT_TRUE(hasLineWith(lines, "  the centreline crosses itself 1 time, at (")) << outcome.out;
    EXPECT_TRUE(hasLineWith(lines, "  the road edges cross themselves 2 times, at ("))
        << outcome.out;
    // Frames and other outputs still run after the check.
    EXPECT_EQ(run({"eight.xml", "--check", "--frames", "2", "--trace", "trace.csv"}).status, 3);
    EXPECT_TRUE(fs::exists(folder / "trace.csv"));
}

TEST_F(RunnerCheck, ACourseWithoutExtentOrFiniteCoordinatesIsNeverSound) {
    const struct {
        const char* name;
        Points points;
        bool noExtent;
    } courses[] = {
        {"spot", Points(8, {5, 5}), true},       {"crowd", Points(2000, {-7, 3}), true},
        {"speck", circle(8, 1e-30, 5, 5), true}, {"vast", circle(8, 1e36), false},
        {"vaster", circle(8, 1e38), false},
    };
    for (const auto& course : courses) {
        SCOPED_TRACE(course.name);
        const std::string scene = std::string(course.name) + ".xml";
        std::ofstream(folder / scene) << courseScene(course.points);
        const Outcome outcome = run({scene, "--check", "--frames", "0", "--picture", "p.png"});
        EXPECT_EQ(outcome.status, 3) << outcome.out << outcome.err;
        const std::vector<std::string> lines = linesOf(outcome.out);
        ASSERT_FALSE(lines.empty());
        EXPECT_NE(lines[0].find(" of finding"), std::string::npos) << lines[0];
        EXPECT_EQ(hasLineWith(lines, kMarks[6].line), course.noExtent) << outcome.out;
        if (course.noExtent) {
            EXPECT_GT(readPicture(folder / "p.png").count(160, 255, 0), 10);
        }
        // Places are given only where they are numbers.
        EXPECT_FALSE(hasLineWith(lines, "nan")) << outcome.out;
        EXPECT_FALSE(hasLineWith(lines, "(inf") || hasLineWith(lines, "inf)")) << outcome.out;
    }
}

TEST_F(RunnerCheck, ThePictureMarksEveryFindingAndNothingOnASoundCourse) {
    const Outcome checked = run(
        {"eight.xml", "--check", "--picture", "eight.png", "--size", "320x240", "--frames", "0"});
    ASSERT_EQ(checked.status, 3) << checked.err;
    ASSERT_EQ(run({"circle.xml", "--check", "--picture", "circle.png", "--size", "200x300",
                   "--frames", "0"})
                  .status,
              0);
    const Picture eight = readPicture(folder / "eight.png");
    EXPECT_EQ(eight.width, 320);
    EXPECT_EQ(eight.height, 240);
    const Picture sound = readPicture(folder / "circle.png");
    EXPECT_EQ(sound.width, 200);
    EXPECT_EQ(sound.height, 300);
    // Every kind of finding the report names is ringed in its colour, and no other.
    const std::vector<std::string> report = linesOf(checked.out);
    ASSERT_TRUE(hasLineWith(report, kMarks[2].line)) << checked.out;
    for (const Mark& mark : kMarks) {
        if (hasLineWith(report, mark.line)) {
            EXPECT_GT(eight.count(mark.r, mark.g, mark.b), 10) << mark.line;
        } else {
            EXPECT_EQ(eight.count(mark.r, mark.g, mark.b), 0) << mark.line;
        }
        EXPECT_EQ(sound.count(mark.r, mark.g, mark.b), 0) << mark.line;
    }
}

TEST_F(RunnerCheck, CheckOptionsItCannotUseAreRefusedBeforeTheRun) {
    const auto refused = [this](const std::vector<std::string>& args, int status,
                                const std::string& saying) {
        const Outcome outcome = run(args);
        EXPECT_EQ(outcome.status, status) << outcome.err;
        const std::vector<std::string> lines = errorLines(outcome.err);
        ASSERT_EQ(lines.size(), 1u) << outcome.err;
        EXPECT_NE(lines[0].find(saying), std::string::npos) << lines[0];
        EXPECT_TRUE(outcome.out.empty()) << outcome.out;
        EXPECT_FALSE(fs::exists(folder / "eight.png"));
    };
    refused({"eight.xml", "--picture", "eight.png"}, 2, "--check");
    // A scene of two points opens, but there is no road to check.
    std::ofstream(folder / "two.xml") << courseScene({{-30, 0}, {30, 0}});
    refused({"two.xml", "--check"}, 2, "no road to check");
    refused({"--check"}, 2, "no scene");
    refused({"eight.xml", "--check", "--picture", "no/such/folder/eight.png"}, 2, "eight.png");
    // A device is no file a picture can replace.
    refused({"eight.xml", "--check", "--picture", "/dev/full"}, 2,
            "cannot write --picture /dev/full");
}
