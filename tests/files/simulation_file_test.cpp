#include "files/NumberText.h"
#include "files/SimulationFile.h"

#include "file_test_support.h"

#include <bit>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <random>
#include <string>
#include <vector>

namespace {

using SimulationFile = FileTest;

const std::string kGolden = TW_FILES_GOLDEN_DIR;

// The scene of golden/small_scene.xml.
LSession_t smallScene() {
    LSession_t scene;
    setName(scene.meshes.emplace_back(SessionXfile{0, 0, 1.5f, -0.25f, 10, 0.5f, 2, {}}).name,
            "ball%d.x");
    setName(scene.bitmaps.emplace_back(SessionBitmap{0, {}, 3, 0, -4.125f}).name, "tree&bush.bmp");
    setName(scene.sounds.emplace_back().name, "caf\xc3\xa9.wav");
    scene.relations.push_back({"ball%d.x", "0", "roll.wav"});
    scene.dottedPoints.push_back({0, 100, 200, 9, 9, true}); // z and pitch are not saved
    scene.dottedPoints.push_back({1, -1.5f, 0.1f, 0, 0, false});
    scene.calculatedPoints.push_back({0, 1, 2, 3, -0.5f, false});
    scene.dottedTrace.push_back({0, 5, 5, 5, 5, false}); // never saved
    return scene;
}

LSession_t readXml(const std::string& text) {
    writeBytes("scene.xml", text);
    LSession_t session;
    readSimulationFile("scene.xml", session);
    return session;
}

std::string inSession(const std::string& inside) {
    return "<Discription><Session>" + inside + "</Session></Discription>";
}

} // namespace

TEST_F(SimulationFile, WritesTheLayoutByteForByteAndReadsItBack) {
    ASSERT_TRUE(writeSimulationFile(smallScene(), "small.xml"));
    EXPECT_EQ(readBytes(kGolden + "/small_scene.xml"), readBytes("small.xml"));
    ASSERT_TRUE(writeSimulationFile(LSession_t{}, "empty.xml"));
    EXPECT_EQ(readBytes(kGolden + "/empty_scene.xml"), readBytes("empty.xml"));

    const LSession_t scene = fullScene();
    ASSERT_TRUE(writeSimulationFile(scene, "full.xml"));
    LSession_t back;
    EXPECT_TRUE(readSimulationFile("full.xml", back));
    EXPECT_EQ(describe(scene), describe(back));
    EXPECT_TRUE(messages.empty());
}

TEST_F(SimulationFile, ReadsAnyRootAnyOrderCrLfAndAtofNumbers) {
    const LSession_t s = readXml(
        "<?xml version='1.0'?>\r\n<Other>\r\n<Session>\r\n"
        "<CalculatedPoints><Pitch>1e1</Pitch><z>-2</z><y>x7</y><x>\t 3.5abc</x></CalculatedPoints>"
        "\r\n<sound>a<![CDATA[&b]]>\r\nc</sound>"
        "<X-file><radius>4</radius><location><Yaw> .5</Yaw><z>3</z><y>2</y><x>1</x></location>"
        "<name>m.x</name></X-file>\r\n</Session>\r\n</Other>\r\n");
    EXPECT_EQ(describe(s), (Texts{"x [m.x] 0x1p+0 0x1p+1 0x1.8p+1 0x1p-1 0x1p+2", "s [a&b\nc]",
                                  "e 0 0x1.cp+1 0x0p+0 -0x1p+1 0x1.4p+3"}));
    EXPECT_TRUE(messages.empty());
}

// Numbers as the writer makes them take a quicker conversion than atof's; every one
// must come out as atof makes it, and everything else must still be read as atof reads it.
TEST_F(SimulationFile, EveryNumberReadsAsAtofReadsIt) {
    std::vector<std::string> texts = {"0",
                                      "-0.000000",
                                      "12.",
                                      "007.50",
                                      "1.5e3",
                                      ".5",
                                      "+1",
                                      " 1",
                                      "1 ",
                                      "-",
                                      "",
                                      "0x10",
                                      "nan",
                                      "-inf",
                                      "1,5",
                                      "999999999999999.9",
                                      "123456789012345",
                                      "1234567890123456",
                                      "0.1000000000000000055511151231257827",
                                      "340282346638528859811704183484516925440.000000",
                                      "16777217.000000"};
    std::mt19937 random(7);
    for (int i = 0; i < 2000; ++i) {
        // Floats of every size the file meets, written with "%f" and with fewer digits.
        const float value = std::ldexp(std::uniform_real_distribution<float>(-1, 1)(random),
                                       std::uniform_int_distribution<int>(-30, 60)(random));
        char text[80];
        std::snprintf(text, sizeof text, i % 2 ? "%f" : "%.4f", static_cast<double>(value));
        texts.push_back(text);
    }
    std::string xml;
    for (const std::string& text : texts) {
        xml += "<X-file><name>n</name><location><x>" + text +
               "</x><y>0</y><z>0</z><Yaw>0</Yaw></location><radius>1</radius></X-file>";
    }
    const LSession_t s = readXml(inSession(xml));
    // Numbers that are not finite leave their element out.
    std::vector<float> finite;
    for (const std::string& text : texts) {
        const float expected = static_cast<float>(std::strtod(text.c_str(), nullptr));
        if (std::isfinite(expected)) {
            finite.push_back(expected);
        }
    }
    ASSERT_EQ(s.meshes.size(), finite.size());
    auto mesh = s.meshes.begin();
    for (const float expected : finite) {
        EXPECT_EQ(std::bit_cast<std::uint32_t>(mesh->x), std::bit_cast<std::uint32_t>(expected))
            << expected;
        ++mesh;
    }
    EXPECT_EQ(messages, Texts{"error: Left out 2 elements of scene.xml: a number in each is not "
                              "finite (NaN or infinite)."});
}

// The quick path gives the very double strtod gives (a float result would hide an error
// of one unit in the double's last place), for decimals of every length it takes.
TEST(NumberText, PlainDecimalsAreTheNearestDouble) {
    std::mt19937_64 random(11);
    for (int i = 0; i < 200000; ++i) {
        const int digits = 1 + static_cast<int>(random() % 15);
        const int point = static_cast<int>(random() % (digits + 1)); // digits before the point
        std::string text = random() % 2 ? "-" : "";
        for (int d = 0; d < digits; ++d) {
            if (d == point && d > 0) {
                text += '.';
            }
            text += static_cast<char>('0' + random() % 10);
        }
        double quick = 0;
        ASSERT_TRUE(readPlainDecimal(text.c_str(), &quick)) << text;
        EXPECT_EQ(std::bit_cast<std::uint64_t>(quick),
                  std::bit_cast<std::uint64_t>(std::strtod(text.c_str(), nullptr)))
            << text;
    }
    double ignored = 0;
    for (const char* other : {"", "-", ".5", "1e3", " 1", "1 ", "+1", "1.2.3", "0x1",
                              "1234567890123456", "0.1234567890123456", "inf"}) {
        EXPECT_FALSE(readPlainDecimal(other, &ignored)) << '"' << other << '"';
    }
}

// A name is all the text inside its element, in document order, however it is split by
// markup: leading text, elements inside, CDATA, comments, and blanks alone.
TEST_F(SimulationFile, NamesAreAllTheTextInsideTheirElement) {
    const LSession_t s = readXml(inSession("<sound>a<b>c<i>d</i></b>e<![CDATA[f]]>g</sound>"
                                           "<sound><b>c</b>d</sound>"
                                           "<sound>x<!-- note -->y</sound>"
                                           "<sound> \t </sound>"
                                           "<sound/>"));
    EXPECT_EQ(describe(s), (Texts{"s [acdefg]", "s [cd]", "s [xy]", "s [ \t ]", "s []"}));
}

TEST_F(SimulationFile, IncompleteElementsAreSkippedWithTheirMessage) {
    const LSession_t s = readXml(inSession(
        "<X-file><name>a</name><radius>1</radius></X-file>"
        "<X-file><name>b</name><location><x>1</x><y>1</y><z>1</z></location><radius>1</radius>"
        "</X-file><bitmap><name>c</name><location><x>1</x><z>1</z></location></bitmap>"
        "<sound-relation><x-file2>b</x-file2><wav-file>w</wav-file></sound-relation>"
        "<sound-relation><x-file1>a</x-file1><wav-file>w</wav-file></sound-relation>"
        "<sound-relation><x-file1>a</x-file1><x-file2>b</x-file2></sound-relation>"
        "<sound-relation><x-file1>a</x-file1><x-file2>0</x-file2><wav-file>w</wav-file>"
        "</sound-relation><DottedPoints><y>1</y></DottedPoints><DottedPoints><x>1</x>"
        "</DottedPoints><DottedPoints><x>7</x><y>8</y></DottedPoints>"
        "<CalculatedPoints><y>1</y></CalculatedPoints><CalculatedPoints><x>1</x></CalculatedPoints>"
        "<CalculatedPoints><x>1</x><y>1</y></CalculatedPoints>"
        "<CalculatedPoints><x>1</x><y>1</y><z>1</z></CalculatedPoints>"
        "<CalculatedPoints><x>1</x><y>2</y><z>3</z><Pitch>4</Pitch></CalculatedPoints>"));
    EXPECT_EQ(
        messages,
        (Texts{"error: not found x-file1", "error: not found x-file2", "error: not found wav-file",
               "error: not found x in DottedPoint", "error: not found y in DottedPoint",
               "error: not found x in CalculatedPoints", "error: not found y in CalculatedPoints",
               "error: not found z in CalculatedPoints",
               "error: not found Pitch in CalculatedPoints"}));
    // Skipped points keep their place, so the indices show the gaps.
    EXPECT_EQ(describe(s), (Texts{"h [a] [0] [w]", "m 2 0x1.cp+2 0x1p+3 0x0p+0 0x0p+0",
                                  "e 4 0x1p+0 0x1p+1 0x1.8p+1 0x1p+2"}));
}

// A NaN or an infinity (also a number too large for a float) in a position, a yaw, a
// radius or a height made a course of NaN; such an element is left out, the others are
// read, and one message says how many were left out of which file.
TEST_F(SimulationFile, ElementsWithNumbersThatAreNotFiniteAreLeftOut) {
    auto xfile = [](const char* name, const char* x, const char* z, const char* yaw,
                    const char* radius) {
        return std::string("<X-file><name>") + name + "</name><location><x>" + x +
               "</x><y>0</y><z>" + z + "</z><Yaw>" + yaw + "</Yaw></location><radius>" + radius +
               "</radius></X-file>";
    };
    const LSession_t s = readXml(inSession(
        xfile("nan.x", "nan", "1", "0", "1") + xfile("yaw.x", "1", "1", "inf", "1") +
        xfile("radius.x", "1", "1", "0", "-inf") + xfile("huge.x", "1", "1e39", "0", "1") +
        xfile("good.x", "1", "2", "0.5", "3") +
        "<bitmap><name>bad.bmp</name><location><x>0</x><y>NAN</y><z>0</z></location></bitmap>"
        "<bitmap><name>good.bmp</name><location><x>4</x><y>5</y><z>6</z></location></bitmap>"
        "<sound>hit.wav</sound>"
        "<DottedPoints><x>-infinity</x><y>1</y></DottedPoints>"
        "<DottedPoints><x>7</x><y>8</y></DottedPoints>"
        "<CalculatedPoints><x>1</x><y>2</y><z>3</z><Pitch>0</Pitch></CalculatedPoints>"
        "<CalculatedPoints><x>1</x><y>nan</y><z>3</z><Pitch>0</Pitch></CalculatedPoints>"
        "<CalculatedPoints><x>1</x><y>1e300</y><z>3</z><Pitch>0</Pitch></CalculatedPoints>"
        "<CalculatedPoints><x>4</x><y>5</y><z>6</z><Pitch>0</Pitch></CalculatedPoints>"));
    // Points left out keep their place, as skipped ones do.
    EXPECT_EQ(describe(s),
              (Texts{"x [good.x] 0x1p+0 0x0p+0 0x1p+1 0x1p-1 0x1.8p+1",
                     "b [good.bmp] 0x1p+2 0x1.4p+2 0x1.8p+2", "s [hit.wav]",
                     "m 1 0x1.cp+2 0x1p+3 0x0p+0 0x0p+0", "e 0 0x1p+0 0x1p+1 0x1.8p+1 0x0p+0",
                     "e 3 0x1p+2 0x1.4p+2 0x1.8p+2 0x0p+0"}));
    EXPECT_EQ(messages, Texts{"error: Left out 8 elements of scene.xml: a number in each is not "
                              "finite (NaN or infinite)."});

    messages.clear();
    readXml(inSession(xfile("one.x", "0", "0", "0", "inf")));
    EXPECT_EQ(messages, Texts{"error: Left out 1 element of scene.xml: a number in it is not "
                              "finite (NaN or infinite)."});
}

TEST_F(SimulationFile, RaisedAndTurnedMeshesKeepTheirLiftAndTurn) {
    LSession_t scene = smallScene();
    scene.meshes.push_back(scene.meshes.front());
    scene.meshes.push_back(scene.meshes.front());
    const SceneExtras extras{{{0.0f, 0.0f}, {2.5f, 0.0f}, {-1.0f, 0.75f}}};
    ASSERT_TRUE(writeSimulationFile(scene, "raised.xml", nullptr, &extras));
    const std::string text = readBytes("raised.xml");
    EXPECT_NE(text.find("\t\t<radius>2.000000</radius>\n\t\t<lift>2.500000</lift>\n\t</X-file>"),
              std::string::npos);
    EXPECT_NE(text.find("<lift>-1.000000</lift>\n\t\t<turn>0.750000</turn>\n\t</X-file>"),
              std::string::npos);
    // Only the raised or turned meshes carry the elements.
    const auto count = [&text](const std::string& tag) {
        std::size_t found = 0;
        for (auto at = text.find(tag); at != std::string::npos; at = text.find(tag, at + 1)) {
            ++found;
        }
        return found;
    };
    EXPECT_EQ(count("<lift>"), 2u);
    EXPECT_EQ(count("<turn>"), 1u);

    LSession_t back;
    SceneExtras read;
    ASSERT_TRUE(readSimulationFile("raised.xml", back, &read));
    ASSERT_EQ(read.meshes.size(), 3u);
    for (std::size_t i = 0; i < 3; ++i) {
        EXPECT_EQ(read.meshes[i].lift, extras.meshes[i].lift);
        EXPECT_EQ(read.meshes[i].turn, extras.meshes[i].turn);
    }
    EXPECT_EQ(back.meshes.size(), 3u);

    // A lift or turn that is not finite leaves its mesh out, and its extras with it.
    const std::string bad = inSession(
        "<X-file><name>a.x</name><location><x>0</x><y>0</y><z>0</z><Yaw>0</Yaw></location>"
        "<radius>1</radius><lift>nan</lift></X-file>"
        "<X-file><name>t.x</name><location><x>0</x><y>0</y><z>0</z><Yaw>0</Yaw></location>"
        "<radius>1</radius><turn>inf</turn></X-file>"
        "<X-file><name>b.x</name><location><x>0</x><y>0</y><z>0</z><Yaw>0</Yaw></location>"
        "<radius>1</radius><lift>3</lift></X-file>");
    writeBytes("bad.xml", bad);
    LSession_t kept;
    SceneExtras keptExtras;
    readSimulationFile("bad.xml", kept, &keptExtras);
    ASSERT_EQ(kept.meshes.size(), 1u);
    ASSERT_EQ(keptExtras.meshes.size(), 1u);
    EXPECT_EQ(keptExtras.meshes[0].lift, 3.0f);
    EXPECT_EQ(messages.size(), 1u);
}

TEST_F(SimulationFile, LongNamesAreCutToFitTheirFields) {
    const std::string name(300, 'n');
    const std::string cut(kNameFieldSize - 1, 'n');
    const LSession_t s = readXml(inSession(
        "<sound>" + name + "</sound><sound-relation><x-file1>" + name + "</x-file1><x-file2>" +
        name + "</x-file2><wav-file>" + name + "</wav-file></sound-relation>"));
    EXPECT_EQ(describe(s),
              (Texts{"s [" + cut + "]", "h [" + cut + "] [" + cut + "] [" + cut + "]"}));
}

// A file that cannot be read is named as the reader was given it.
TEST_F(SimulationFile, UnreadableFilesStopWithOneMessage) {
    const std::pair<std::string, std::string> cases[] = {
        {"", "error: Cannot Read scene.xml. ##"},
        {"<Discription><Session></Discription>", "error: Cannot Read scene.xml. ##"},
        {"<a/><b/>", "error: Cannot Read scene.xml. ##"},
        {"<Discription><session/></Discription>", "error: Cannot GET Session. ##"},
        {"<Discription><x><Session><sound>s</sound></Session></x></Discription>",
         "error: Cannot GET Session. ##"}};
    for (const auto& [text, message] : cases) {
        messages.clear();
        EXPECT_TRUE(describe(readXml(text)).empty()) << text;
        EXPECT_EQ(messages, Texts{message}) << text;
    }
    messages.clear();
    LSession_t s;
    EXPECT_FALSE(readSimulationFile("missing.xml", s));
    EXPECT_FALSE(readSimulationFile(folder + "/gone/scene.xml", s));
    EXPECT_EQ(messages, (Texts{"error: Cannot Read missing.xml. ##",
                               "error: Cannot Read " + folder + "/gone/scene.xml. ##"}));
}

TEST_F(SimulationFile, EveryTruncationAndDamageIsRefusedOrRead) {
    ASSERT_TRUE(writeSimulationFile(fullScene(), "full.xml"));
    const std::string whole = readBytes("full.xml");
    // Anything short of the closing root tag is malformed: one message, nothing appended.
    for (std::size_t length = 0; length + 1 < whole.size(); ++length) {
        messages.clear();
        ASSERT_TRUE(describe(readXml(whole.substr(0, length))).empty()) << length;
        ASSERT_EQ(messages, Texts{"error: Cannot Read scene.xml. ##"}) << length;
    }
    for (std::size_t at = 0; at < whole.size(); at += 3) {
        std::string damaged = whole;
        damaged[at] = at % 2 ? '<' : '\0';
        readXml(damaged); // must neither crash nor hang
    }
}

TEST_F(SimulationFile, FailedSaveLeavesTheOldFileAlone) {
    ASSERT_TRUE(writeSimulationFile(smallScene(), "scene.xml"));
    const std::string before = readBytes("scene.xml");
    EXPECT_FALSE(writeSimulationFile(fullScene(), folder + "/no-such-folder/scene.xml"));
    std::filesystem::create_directory("taken.xml");
    EXPECT_FALSE(writeSimulationFile(fullScene(), "taken.xml"));
    {
        const FileSizeLimit limit(64); // the save breaks off after 64 bytes
        EXPECT_FALSE(writeSimulationFile(fullScene(), "scene.xml"));
    }
    EXPECT_EQ(readBytes("scene.xml"), before);
    EXPECT_EQ(folderEntries(folder), (Texts{"scene.xml", "taken.xml"})); // no leftovers
    EXPECT_TRUE(messages.empty());                                       // XML saves fail silently
    ASSERT_TRUE(writeSimulationFile(LSession_t{}, "scene.xml"));
    EXPECT_EQ(readBytes("scene.xml"), readBytes(kGolden + "/empty_scene.xml"));
}
