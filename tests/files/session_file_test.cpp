#include "files/SessionFileIO.h"

#include <bit>
#include <limits>

#include "file_test_support.h"

namespace {

using SessionFile = FileTest;

std::string i32(std::int32_t v) {
    const auto u = static_cast<std::uint32_t>(v);
    return {static_cast<char>(u), static_cast<char>(u >> 8), static_cast<char>(u >> 16),
            static_cast<char>(u >> 24)};
}
std::string f32(float v) {
    return i32(std::bit_cast<std::int32_t>(v));
}
std::string name128(const std::string& text) {
    return text + std::string(kNameFieldSize - text.size(), '\0');
}
std::string header(char tag, std::int32_t count) {
    return i32(tag) + i32(count);
}

LSession_t readSim(const std::string& bytes) {
    writeBytes("scene.sim", bytes);
    LSession_t session;
    EXPECT_TRUE(readSessionFile("scene.sim", session));
    return session;
}

const std::string kDamaged =
    "error: scene.sim is damaged or not a scene file; what could be read was loaded.";

std::string meshRecord(float x, float y, float z, float yaw, float radius,
                       const std::string& name) {
    return f32(x) + f32(y) + f32(z) + f32(yaw) + f32(radius) + name128(name);
}

} // namespace

TEST_F(SessionFile, WritesFieldByFieldLittleEndian) {
    ASSERT_TRUE(writeSessionFile(LSession_t{}, kSessionFileName));
    EXPECT_EQ(readBytes("velmora.sim"),
              header('x', 0) + header('s', 0) + header('h', 0) + header('m', 0) + header('e', 0));
    LSession_t scene;
    SessionXfile& mesh = scene.meshes.emplace_back(SessionXfile{0, 0, 1, -2, 3.5f, 0.25f, 8, {}});
    std::memset(mesh.name, '?', sizeof mesh.name); // bytes after the zero are not saved
    std::strcpy(mesh.name, "m.x");
    setName(scene.sounds.emplace_back().name, "s.wav");
    scene.relations.push_back({"a", "0", "w"});
    scene.dottedPoints.push_back({7, 10, 20, 1, 1, true});
    scene.calculatedPoints.push_back({-3, 1, 2, 3, 4, false});
    scene.bitmaps.push_back({1, "never.bmp", 1, 2, 3});
    ASSERT_TRUE(writeSessionFile(scene, "scene.sim"));
    EXPECT_EQ(readBytes("scene.sim"),
              header('x', 1) + f32(1) + f32(-2) + f32(3.5f) + f32(0.25f) + f32(8) + name128("m.x") +
                  header('s', 1) + name128("s.wav") + header('h', 1) + name128("a") + name128("0") +
                  name128("w") + header('m', 1) + i32(7) + f32(10) + f32(20) + header('e', 1) +
                  i32(-3) + f32(1) + f32(2) + f32(3) + f32(4));

    scene = fullScene();
    scene.dottedPoints.front().index = 41; // indices travel as stored
    ASSERT_TRUE(writeSessionFile(scene, "full.sim"));
    LSession_t back;
    EXPECT_TRUE(readSessionFile("full.sim", back));
    scene.bitmaps.clear(); // this format has none
    EXPECT_EQ(describe(scene), describe(back));
    EXPECT_TRUE(messages.empty());
}

// Blocks in any order, kinds repeated, empty blocks: a file as it may be, no message.
TEST_F(SessionFile, BlocksComeInAnyOrderAndKindsRepeat) {
    const LSession_t s =
        readSim(header('e', 1) + i32(5) + f32(1) + f32(2) + f32(3) + f32(4) + header('s', 1) +
                name128("one") + header('m', 0) + header('s', 1) + name128("two") + header('e', 1) +
                i32(6) + f32(0) + f32(0) + f32(0) + f32(0) + header('x', 0));
    EXPECT_EQ(describe(s), (Texts{"s [one]", "s [two]", "e 5 0x1p+0 0x1p+1 0x1.8p+1 0x1p+2",
                                  "e 6 0x0p+0 0x0p+0 0x0p+0 0x0p+0"}));
    readSim("");
    EXPECT_TRUE(messages.empty());
}

// A file whose blocks do not account for its bytes was read without a word, however
// little of it made sense (600 random bytes opened as a course). It is still read as
// far as it goes, and the user is told once.
TEST_F(SessionFile, DamagedFilesAreReadAsFarAsTheyGoAndToldOnce) {
    const std::string sound = header('s', 1) + name128("one");
    const std::pair<std::string, Texts> cases[] = {
        // A tag is known by its first byte; other headers are passed over one at a time.
        {header('?', 3) + sound, Texts{"s [one]"}},
        {i32(0x7373) + i32(1) + name128("two"), Texts{"s [two]"}},
        // A negative count reads nothing.
        {header('m', -1) + sound, Texts{"s [one]"}},
        // Records beyond the end of the file, whole or cut: the cut one keeps its whole
        // fields, the rest stays zero; one cut before its file name is left out, since
        // it names nothing to load ("Error cannot read Sound file. ." named no file).
        {header('m', 0x7fffffff) + i32(1) + f32(2) + f32(3) + i32(4) + "\1",
         Texts{"m 1 0x1p+1 0x1.8p+1 0x0p+0 0x0p+0", "m 4 0x0p+0 0x0p+0 0x0p+0 0x0p+0"}},
        {header('x', 1) + f32(1) + f32(2) + f32(3) + "\1\2", Texts{}},
        {header('x', 1) + f32(1) + f32(2) + f32(3) + f32(4) + f32(5) + "car",
         Texts{"x [car] 0x1p+0 0x1p+1 0x1.8p+1 0x1p+2 0x1.4p+2"}},
        {header('h', 2) + name128("a") + "cut", Texts{}},
        {header('h', 1) + name128("a") + name128("b") + "hi", Texts{"h [a] [b] [hi]"}},
        {sound + header('s', 2) + name128("two"), (Texts{"s [one]", "s [two]"})},
        // Bytes after the last whole block.
        {sound + std::string(3, '\0'), Texts{"s [one]"}},
    };
    for (const auto& [bytes, read] : cases) {
        messages.clear();
        EXPECT_EQ(describe(readSim(bytes)), read) << bytes.size();
        EXPECT_EQ(messages, Texts{kDamaged}) << bytes.size();
    }
    std::uint32_t noise = 99;
    std::string random(600, '\0');
    for (char& byte : random) {
        noise = noise * 1664525u + 1013904223u;
        byte = static_cast<char>(noise >> 24);
    }
    messages.clear();
    readSim(random);
    EXPECT_EQ(messages, Texts{kDamaged});
}

// A NaN or an infinity in a position, a yaw, a radius or a height made a course of NaN;
// such a record is left out, the others are read, and one message counts them.
TEST_F(SessionFile, RecordsWithNumbersThatAreNotFiniteAreLeftOut) {
    const float nan = std::numeric_limits<float>::quiet_NaN();
    const float inf = std::numeric_limits<float>::infinity();
    const LSession_t s = readSim(
        header('x', 4) + meshRecord(nan, 0, 0, 0, 1, "nan.x") +
        meshRecord(1, 2, 3, inf, 1, "yaw.x") + meshRecord(1, 2, 3, 0, -inf, "radius.x") +
        meshRecord(1, 2, 3, 0.5f, 4, "good.x") + header('s', 1) + name128("hit.wav") +
        header('m', 2) + i32(0) + f32(nan) + f32(1) + i32(1) + f32(7) + f32(8) + header('e', 2) +
        i32(0) + f32(1) + f32(inf) + f32(3) + f32(0) + i32(1) + f32(4) + f32(5) + f32(6) + f32(0));
    EXPECT_EQ(describe(s),
              (Texts{"x [good.x] 0x1p+0 0x1p+1 0x1.8p+1 0x1p-1 0x1p+2", "s [hit.wav]",
                     "m 1 0x1.cp+2 0x1p+3 0x0p+0 0x0p+0", "e 1 0x1p+2 0x1.4p+2 0x1.8p+2 0x0p+0"}));
    EXPECT_EQ(messages, Texts{"error: Left out 5 elements of scene.sim: a number in each is not "
                              "finite (NaN or infinite)."});

    // Damaged as well: still one message.
    messages.clear();
    readSim(header('e', 2) + i32(0) + f32(1) + f32(nan) + f32(3) + f32(0));
    EXPECT_EQ(messages, Texts{kDamaged + "\nLeft out 1 element of scene.sim: a number in it is "
                                         "not finite (NaN or infinite)."});
}

TEST_F(SessionFile, EveryTruncationAndDamageEnds) {
    ASSERT_TRUE(writeSessionFile(fullScene(), "full.sim"));
    const std::string whole = readBytes("full.sim");
    // Where each block of two records ends: a file cut there is whole, if short.
    std::vector<std::size_t> blockEnds = {0};
    for (const std::size_t size :
         {SessionFileIO::kXfileRecordSize, SessionFileIO::kSoundRecordSize,
          SessionFileIO::kRelationRecordSize, SessionFileIO::kDottedRecordSize,
          SessionFileIO::kCalculatedRecordSize}) {
        blockEnds.push_back(blockEnds.back() + SessionFileIO::kHeaderSize + 2 * size);
    }
    ASSERT_EQ(blockEnds.back(), whole.size());
    std::size_t previous = 0;
    for (std::size_t length = 0; length <= whole.size(); ++length) {
        messages.clear();
        const std::size_t read = describe(readSim(whole.substr(0, length))).size();
        ASSERT_GE(read, previous) << length; // a longer prefix never yields less
        ASSERT_LE(read, 10u) << length;
        previous = read;
        const bool whole = std::find(blockEnds.begin(), blockEnds.end(), length) != blockEnds.end();
        ASSERT_EQ(messages, whole ? Texts{} : Texts{kDamaged}) << length;
    }
    EXPECT_EQ(previous, 10u);
    std::uint32_t noise = 12345;
    for (int file = 0; file < 50; ++file) {
        std::string damaged = whole;
        for (char& byte : damaged) {
            noise = noise * 1664525u + 1013904223u;
            byte = (noise >> 24) < 16 ? static_cast<char>(noise >> 16) : byte;
        }
        messages.clear();
        readSim(damaged);
        EXPECT_LE(messages.size(), 1u);
    }
}

TEST_F(SessionFile, FailuresAreShownAndKeepTheOldFile) {
    LSession_t s;
    EXPECT_FALSE(readSessionFile("missing.sim", s));
    std::filesystem::create_directory("folder.sim");
    EXPECT_FALSE(readSessionFile("folder.sim", s));
    EXPECT_TRUE(describe(s).empty());
    ASSERT_TRUE(writeSessionFile(fullScene(), kSessionFileName));
    const std::string before = readBytes(kSessionFileName);
    EXPECT_FALSE(writeSessionFile(LSession_t{}, folder + "/gone/velmora.sim"));
    EXPECT_FALSE(writeSessionFile(LSession_t{}, "folder.sim"));
    {
        const FileSizeLimit limit(64);
        EXPECT_FALSE(writeSessionFile(fullScene(), kSessionFileName));
    }
    EXPECT_EQ(readBytes(kSessionFileName), before);
    EXPECT_EQ(folderEntries(folder), (Texts{"folder.sim", "velmora.sim"}));
    EXPECT_EQ(messages,
              (Texts{"missing.sim: Error cannot read file.", "folder.sim: Error cannot read file.",
                     "velmora.sim: Error cannot read file.\n" + folder +
                         "/gone/velmora.sim: the folder does not exist",
                     "velmora.sim: Error cannot read file.\n"
                     "folder.sim: not a regular file (a folder)",
                     "velmora.sim: Error cannot read file.\n"
                     "velmora.sim: the file would be larger than allowed"}));
}

// A file many times the reader's buffer, with records lying across every refill: read
// back exactly as written.
TEST_F(SessionFile, LargeFilesReadBackWhole) {
    LSession_t scene;
    for (int i = 0; i < 5000; ++i) {
        SessionXfile mesh{};
        mesh.x = static_cast<float>(i);
        mesh.y = 0.5f * static_cast<float>(i);
        mesh.z = -static_cast<float>(i);
        mesh.yaw = 1.0f / static_cast<float>(i + 1);
        mesh.radius = 2.0f;
        setName(mesh.name, "mesh" + std::to_string(i) + ".x");
        scene.meshes.push_back(mesh);
    }
    for (int i = 0; i < 700; ++i) {
        scene.calculatedPoints.push_back({i, 1.0f * i, 2.0f * i, 3.0f * i, 0.25f, false});
    }
    ASSERT_TRUE(writeSessionFile(scene, "large.sim"));
    ASSERT_GT(readBytes("large.sim").size(), 600'000u);
    LSession_t back;
    EXPECT_TRUE(readSessionFile("large.sim", back));
    EXPECT_EQ(describe(back), describe(scene));
}
