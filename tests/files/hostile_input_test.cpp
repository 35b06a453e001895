// Files and names hostile to the two scene formats: every byte a name field can hold
// must survive a save and an open in both, whatever a file holds must stay inside its
// field, and no document may exhaust the reader.
#include "files/SessionFileIO.h"
#include "files/SimulationFile.h"

#include "file_test_support.h"
#include "support/FifoTrap.h"

namespace {

using HostileFiles = FileTest;

// Every kind of awkward name: markup, line ends, control characters, path separators,
// a printf directive, bytes that are not UTF-8, and names longer than the field.
Texts awkwardNames() {
    return {"a<b>&c\"d'e.x",
            "carriage\rreturn.wav",
            "line\r\nend.wav",
            "tab\tand\x01\x1f control.bmp",
            "../../outside/the/folder.x",
            "C:\\windows\\style\\path.x",
            "%s%n%d.wav",
            "\xff\xfe not utf-8 \x80.x",
            "  spaced  ",
            std::string(200, 'n'),
            std::string(kNameFieldSize - 1, 'm')};
}

LSession_t sceneNamed(const Texts& names) {
    LSession_t scene;
    for (const std::string& name : names) {
        setName(scene.meshes.emplace_back(SessionXfile{0, 0, 1, 2, 3, 0.5f, 1, {}}).name, name);
        setName(scene.bitmaps.emplace_back(SessionBitmap{0, {}, 1, 2, 3}).name, name);
        setName(scene.sounds.emplace_back().name, name);
        SessionRelation& relation = scene.relations.emplace_back();
        setName(relation.xfile1, name);
        setName(relation.xfile2, name);
        setName(relation.wavfile, name);
    }
    return scene;
}

} // namespace

// A carriage return was written raw; a reader takes it for a line end and turns it into
// a line feed, so the name came back changed (found by fuzzing).
TEST_F(HostileFiles, CarriageReturnSurvivesTheXmlFile) {
    LSession_t scene;
    setName(scene.sounds.emplace_back().name, "x\ry\r\n.wav");
    ASSERT_TRUE(writeSimulationFile(scene, "scene.xml"));
    EXPECT_EQ(readBytes("scene.xml").find('\r'), std::string::npos);
    LSession_t back;
    ASSERT_TRUE(readSimulationFile("scene.xml", back));
    EXPECT_EQ(describe(back), describe(scene));
}

TEST_F(HostileFiles, EveryAwkwardNameSurvivesBothFormats) {
    const LSession_t scene = sceneNamed(awkwardNames());

    ASSERT_TRUE(writeSimulationFile(scene, "scene.xml"));
    LSession_t fromXml;
    ASSERT_TRUE(readSimulationFile("scene.xml", fromXml));
    EXPECT_EQ(describe(fromXml), describe(scene));

    ASSERT_TRUE(writeSessionFile(scene, "scene.sim"));
    LSession_t fromSim;
    ASSERT_TRUE(readSessionFile("scene.sim", fromSim));
    LSession_t withoutBitmaps = scene;
    withoutBitmaps.bitmaps.clear();
    EXPECT_EQ(describe(fromSim), describe(withoutBitmaps));
    EXPECT_TRUE(messages.empty());
}

// A name field filled to the last byte by someone else (no terminating zero) is read as
// its first 127 bytes by the writers, never past the field.
TEST_F(HostileFiles, UnterminatedFieldsAreCutNotOverrun) {
    LSession_t scene;
    SessionSound& sound = scene.sounds.emplace_back();
    std::memset(sound.name, 'z', sizeof sound.name);
    ASSERT_TRUE(writeSimulationFile(scene, "scene.xml"));
    ASSERT_TRUE(writeSessionFile(scene, "scene.sim"));
    const std::string cut(kNameFieldSize - 1, 'z');
    for (const char* file : {"scene.xml", "scene.sim"}) {
        LSession_t back;
        ASSERT_TRUE(std::string(file).ends_with("xml") ? readSimulationFile(file, back)
                                                       : readSessionFile(file, back));
        EXPECT_EQ(describe(back), Texts{"s [" + cut + "]"}) << file;
    }
}

// Structures meant to exhaust the reader: elements nested a hundred thousand deep
// inside a name (its text is gathered without recursion), and entities that would
// expand to gigabytes if they were expanded (they are not: only the five predefined
// entities and character references are).
TEST_F(HostileFiles, DeepNestingAndEntityBombsAreReadPlainly) {
    std::string deep;
    for (int i = 0; i < 100000; ++i) {
        deep += "<a>";
    }
    deep += "deep.wav";
    for (int i = 0; i < 100000; ++i) {
        deep += "</a>";
    }
    writeBytes("deep.xml",
               "<Discription><Session><sound>" + deep + "</sound></Session></Discription>");
    LSession_t nested;
    ASSERT_TRUE(readSimulationFile("deep.xml", nested));
    EXPECT_EQ(describe(nested), Texts{"s [deep.wav]"});

    std::string bomb =
        "<?xml version=\"1.0\"?>\n<!DOCTYPE Discription [\n<!ENTITY a \"aaaaaaaaaa\">\n";
    for (char level = 'b'; level <= 'k'; ++level) {
        bomb += std::string("<!ENTITY ") + level + " \"";
        for (int i = 0; i < 10; ++i) {
            bomb += std::string("&") + static_cast<char>(level - 1) + ";";
        }
        bomb += "\">\n";
    }
    bomb += "]>\n<Discription><Session><sound>&k;</sound></Session></Discription>\n";
    writeBytes("bomb.xml", bomb);
    LSession_t expanded;
    readSimulationFile("bomb.xml", expanded);
    ASSERT_LE(expanded.sounds.size(), 1u);
    if (!expanded.sounds.empty()) {
        EXPECT_LT(std::strlen(expanded.sounds.front().name), 16u);
    }
}

// A scene name may lead to a FIFO (or a device): opening it for reading would wait for a
// writer. Both readers refuse it unopened, with the message of a file they cannot read,
// and a link to it is refused the same way.
TEST_F(HostileFiles, FifosAreRefusedUnopened) {
    const FifoTrap fifo(std::filesystem::path(folder) / "scene.fifo");
    std::filesystem::create_symlink("scene.fifo", "linked.xml");
    for (const std::string name : {"scene.fifo", "linked.xml"}) {
        SCOPED_TRACE(name);
        messages.clear();
        LSession_t xml;
        EXPECT_TRUE(fifo.untouchedBy([&] { EXPECT_FALSE(readSimulationFile(name, xml)); }));
        EXPECT_EQ(messages, Texts{"error: Cannot Read " + name + ". ##"});

        messages.clear();
        LSession_t binary;
        EXPECT_TRUE(fifo.untouchedBy([&] { EXPECT_FALSE(readSessionFile(name, binary)); }));
        EXPECT_EQ(messages, Texts{name + ": Error cannot read file."});
        EXPECT_EQ(describe(xml), Texts{});
        EXPECT_EQ(describe(binary), Texts{});
    }
}
