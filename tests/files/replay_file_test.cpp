// The replay file: what is written reads back bit for bit, and a file that is not
// exactly what the format says is refused with the line and the reason.
#include <gtest/gtest.h>

#include <bit>
#include <cmath>
#include <cstdint>
#include <filesystem>
#include <fstream>
#include <limits>

#include "files/ReplayFile.h"

namespace fs = std::filesystem;

namespace {

ReplayMatrix matrixFrom(float first) {
    ReplayMatrix m{};
    for (std::size_t i = 0; i < m.size(); ++i) {
        m[i] = first * static_cast<float>(i + 1) / 3.0f;
    }
    return m;
}

// A drive of three frames over two meshes, with numbers that only read back exactly
// when every bit is written: thirds, a subnormal, -0, the largest float (in a pose; an
// input is never beyond -1..1).
Replay sampleReplay() {
    Replay replay;
    replay.sceneText = "<?xml version='1.0'?>\n<Discription>\n<Session/>\n</Discription>\n";
    replay.heading = -0.230168671f;
    replay.controlled = 1;
    replay.frames.push_back({{{InputCall::AnglePlay, 1}, {InputCall::MovePlay, 1}}, matrixFrom(1)});
    replay.frames.push_back({{}, matrixFrom(std::numeric_limits<float>::denorm_min())});
    replay.frames.push_back(
        {{{InputCall::AnglePlay, -0.0f}, {InputCall::UD, -1}}, matrixFrom(-7.1e-12f)});
    replay.endPoses = {{"ball.x", matrixFrom(2)}, {"a 100% odd\nname.x", matrixFrom(3)}};
    replay.endPoses[1].world[5] = std::numeric_limits<float>::max();
    return replay;
}

bool sameBits(float a, float b) {
    return std::bit_cast<std::uint32_t>(a) == std::bit_cast<std::uint32_t>(b);
}

bool sameBits(const ReplayMatrix& a, const ReplayMatrix& b) {
    for (std::size_t i = 0; i < a.size(); ++i) {
        if (!sameBits(a[i], b[i])) {
            return false;
        }
    }
    return true;
}

void expectSame(const Replay& a, const Replay& b) {
    EXPECT_EQ(a.sceneText, b.sceneText);
    EXPECT_TRUE(sameBits(a.heading, b.heading));
    EXPECT_EQ(a.controlled, b.controlled);
    ASSERT_EQ(a.frames.size(), b.frames.size());
    for (std::size_t f = 0; f < a.frames.size(); ++f) {
        ASSERT_EQ(a.frames[f].inputs.size(), b.frames[f].inputs.size()) << "frame " << f;
        for (std::size_t i = 0; i < a.frames[f].inputs.size(); ++i) {
            EXPECT_EQ(a.frames[f].inputs[i].call, b.frames[f].inputs[i].call);
            EXPECT_TRUE(sameBits(a.frames[f].inputs[i].value, b.frames[f].inputs[i].value));
        }
        EXPECT_TRUE(sameBits(a.frames[f].controlledPose, b.frames[f].controlledPose))
            << "frame " << f;
    }
    ASSERT_EQ(a.endPoses.size(), b.endPoses.size());
    for (std::size_t m = 0; m < a.endPoses.size(); ++m) {
        EXPECT_EQ(a.endPoses[m].name, b.endPoses[m].name);
        EXPECT_TRUE(sameBits(a.endPoses[m].world, b.endPoses[m].world)) << "mesh " << m;
    }
}

// Replaces the first occurrence of `from`, which must be there.
std::string replaced(std::string text, const std::string& from, const std::string& to) {
    const std::size_t at = text.find(from);
    EXPECT_NE(at, std::string::npos) << from;
    return at == std::string::npos ? text : text.replace(at, from.size(), to);
}

TEST(ReplayFile, WhatIsWrittenReadsBackBitForBit) {
    const Replay replay = sampleReplay();
    const std::string text = replayText(replay);
    const ReplayRead read = parseReplay(text);
    ASSERT_TRUE(read.replay.has_value()) << read.error;
    expectSame(replay, *read.replay);
    // And is written again as it was.
    EXPECT_EQ(replayText(*read.replay), text);
}

TEST(ReplayFile, TheTextIsTheDocumentedOne) {
    Replay replay;
    replay.sceneText = "<a/>";
    replay.heading = 0.5f;
    replay.controlled = 0;
    replay.frames.push_back({{{InputCall::MovePlay, 1}}, matrixFrom(0)});
    replay.endPoses = {{"car.x", matrixFrom(0)}};
    replay.endPoses[0].world[12] = 1.25f;
    EXPECT_EQ(replayText(replay), "tumbleway-replay 1\n"
                                  "heading 0.5\n"
                                  "controlled 0\n"
                                  "frames 1\n"
                                  "meshes 1\n"
                                  "scene 4\n"
                                  "<a/>\n"
                                  "frame 0 move-play 1\n"
                                  "pose 0 0 0 0 0 0 0 0 0 0 0 0 0 0 0 0 0\n"
                                  "end-pose 0 0 0 0 0 0 0 0 0 0 0 0 0 1.25 0 0 0 car.x\n"
                                  "end\n");
}

// A scratch folder of the test's own, removed with it.
class ReplayFolder : public ::testing::Test {
protected:
    void SetUp() override {
        const std::string test = ::testing::UnitTest::GetInstance()->current_test_info()->name();
        folder = fs::temp_directory_path() / ("tw-replay-file-" + test);
        fs::remove_all(folder);
        fs::create_directories(folder);
    }
    void TearDown() override { fs::remove_all(folder); }

    fs::path write(const std::string& name, const std::string& text) const {
        std::ofstream(folder / name, std::ios::binary) << text;
        return folder / name;
    }

    fs::path folder;
};

TEST_F(ReplayFolder, AFileThatIsNotExactlyTheFormatIsRefusedWithTheReason) {
    const Replay sample = sampleReplay();
    const std::string good = replayText(sample);
    Replay infinite = sample;
    infinite.heading = std::numeric_limits<float>::infinity();
    Replay farTurned = sample;
    farTurned.heading = -3.4e38f;
    Replay loud = sample;
    loud.frames[0].inputs[1].value = 3.4e38f;
    const std::string sceneBytes = "scene " + std::to_string(sample.sceneText.size());
    const std::string longerScene = "scene " + std::to_string(sample.sceneText.size() + 5);
    ASSERT_TRUE(parseReplay(good).replay.has_value());
    const struct {
        std::string text;
        const char* reason;
    } bad[] = {
        {"", "cut short"},
        {good.substr(0, good.size() / 2), "cut short"},
        {good.substr(0, good.size() - 1 - good.size() / 10), "cut short"},
        {"tumbleway-scene 1\n", "not a replay file"},
        {replaced(good, "tumbleway-replay 1", "tumbleway-replay 2"), "version 2"},
        {replaced(good, "tumbleway-replay 1", "tumbleway-replay one"),
         "line 1: expected the version"},
        {replaced(good, "heading -", "heading nan"), "not a number"},
        {replayText(infinite), "\"inf\" is not a finite number"},
        {replaced(good, "controlled 1", "controlled 2"), "controlled mesh 2"},
        {replaced(good, "frames 3", "frames 4"), "holds 3 frames, but its header says 4"},
        {replaced(good, "frames 3", "frames 2"), "more frames than its header says"},
        {replaced(good, "meshes 2", "meshes 3"), "holds 2 end poses, but its header says 3"},
        {replaced(replaced(good, "controlled 1", "controlled 0"), "meshes 2", "meshes 1"),
         "more end poses"},
        {replaced(good, sceneBytes, longerScene), "cut short in the scene"},
        {replaced(good, "angle-play 1", "steer 1"), "\"steer\" is not an input"},
        {replaced(good, "move-play 1", "move-play"), "pairs of an input and its value"},
        {replaced(good, "frame 1", "frame 5"), "expected \"frame 1\""},
        {replaced(good, "pose 1 ", "pose 1  "), "one space"},
        {replaced(good, "100%25", "100%2"), "two hex digits"},
        {good + "more", "text after the end"},
        // What the builder never records: inputs beyond -1..1, headings it cannot turn to.
        {replayText(loud), "line 12: the input 3.4e+38 is not"},
        {replayText(farTurned), "line 2: the heading -3.4e+38 is not"},
        // Counts the file's size cannot hold, a line without end, a NUL shown escaped.
        {replaced(good, "frames 3", "frames 99999999999"), "line 4: 99999999999 frames are more"},
        {replaced(good, "meshes 2", "meshes 99999999999"), "line 5: 99999999999 meshes are more"},
        {replaced(good, "scene 62", "scene 99999999999"), "cut short in the scene"},
        {replaced(good, "frame 0 ", "frame 0 " + std::string(70000, 'x')),
         "line 12 is longer than"},
        {std::string(1 << 20, '\0'), "line 1 is longer than"},
        {replaced(good, "heading -", std::string("heading \0-", 10)),
         "\"\\x00-0.23016867\" is not a number"},
    };
    for (const auto& [text, reason] : bad) {
        const ReplayRead read = parseReplay(text);
        EXPECT_FALSE(read.replay.has_value()) << reason;
        EXPECT_NE(read.error.find(reason), std::string::npos) << reason << " / " << read.error;
        EXPECT_EQ(read.error.find('\0'), std::string::npos) << reason;
        // A file is read a line at a time, and refused for the same reason.
        EXPECT_EQ(readReplayFile(write("bad.replay", text).string()).error, read.error) << reason;
    }
    // The last line may go without its line feed.
    EXPECT_TRUE(parseReplay(good.substr(0, good.size() - 1)).replay.has_value());
    EXPECT_TRUE(readReplayFile(write("unfed.replay", good.substr(0, good.size() - 1)).string())
                    .replay.has_value());
}

TEST(ReplayFile, WritingReplacesAFileWholeAndReadingNamesWhatStopsIt) {
    const fs::path folder = fs::temp_directory_path() / "tw-replay-file-test";
    fs::remove_all(folder);
    fs::create_directories(folder);
    const fs::path path = folder / "drive.replay";
    std::ofstream(path) << "an older file";
    std::string error;
    ASSERT_TRUE(writeReplayFile(sampleReplay(), path.string(), &error)) << error;
    const ReplayRead read = readReplayFile(path.string());
    ASSERT_TRUE(read.replay.has_value()) << read.error;
    expectSame(sampleReplay(), *read.replay);

    // A write that cannot be made leaves the good file as it was.
    EXPECT_FALSE(writeReplayFile(Replay{}, (folder / "none" / "drive.replay").string(), &error));
    EXPECT_FALSE(error.empty());
    EXPECT_EQ(readReplayFile((folder / "none.replay").string()).error, "there is no such file");
    EXPECT_EQ(readReplayFile(folder.string()).error, "it is not a regular file");
    fs::remove_all(folder);
}

} // namespace
