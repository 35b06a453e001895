// Saves the surroundings refuse: files the user may not write, folders they may not
// write in, and a disk that fills up half-way. Each keeps the old file whole and says why.
#include "save_test_support.h"

namespace fs = std::filesystem;

namespace {

// The test folder is the current one; a user other than root must be able to enter it.
class SavePermissions : public FileTest {
protected:
    void SetUp() override {
        FileTest::SetUp();
        ASSERT_EQ(::chmod(folder.c_str(), 0755), 0);
        fs::create_directory("own");
        giveToTheOrdinaryUser("own");
    }
};

using SaveOnAFullDisk = FileTest;

} // namespace

TEST_F(SavePermissions, ReadOnlyFilesAndFoldersAreRefused) {
    ASSERT_EQ(saveSim("own/read-only.sim"), "saved");
    giveToTheOrdinaryUser("own/read-only.sim");
    ASSERT_EQ(::chmod("own/read-only.sim", 0444), 0);
    const std::string readOnly = readBytes("own/read-only.sim");
    fs::create_directory("own/closed");
    giveToTheOrdinaryUser("own/closed");
    ASSERT_EQ(::chmod("own/closed", 0555), 0);

    const std::optional<std::string> reasons = runAsOrdinaryUser([] {
        const LSession_t scene = largeScene(10);
        return saveSim("own/read-only.sim", scene) + "\n" + saveXml("own/closed/new.xml", scene);
    });
    if (!reasons) {
        GTEST_SKIP() << "a child process could not become nobody (65534)";
    }
    EXPECT_EQ(*reasons, "the file is read-only\n"
                        "permission denied (the folder cannot be written in)");
    EXPECT_TRUE(holds("own/read-only.sim", readOnly));
    EXPECT_EQ(folderEntries(folder + "/own"), (Texts{"closed", "read-only.sim"}));
    EXPECT_TRUE(fs::is_empty("own/closed"));
}

// Replacing a file means writing in its folder, not in the file: the file's own
// permission has to be asked for.
TEST_F(SavePermissions, AnotherUsersFileInOnesOwnFolderIsRefused) {
    if (::geteuid() != 0) {
        GTEST_SKIP() << "needs root, to make a file of another user and to become nobody (65534)";
    }
    ASSERT_EQ(saveXml("own/roots-file.xml"), "saved"); // root's, 0644 by the umask
    ASSERT_EQ(::chmod("own/roots-file.xml", 0644), 0);
    const std::string rootsFile = readBytes("own/roots-file.xml");

    const std::optional<std::string> reason =
        runAsOrdinaryUser([] { return saveXml("own/roots-file.xml", largeScene(10)); });
    if (!reason) {
        GTEST_SKIP() << "a child process could not become nobody (65534)";
    }
    EXPECT_EQ(*reason, "permission denied (the file belongs to another user)");
    EXPECT_TRUE(holds("own/roots-file.xml", rootsFile));
    EXPECT_EQ(statOf("own/roots-file.xml").st_uid, 0u);
    EXPECT_EQ(folderEntries(folder + "/own"), Texts{"roots-file.xml"});
}

TEST_F(SaveOnAFullDisk, TheOldFileStaysWholeAndTheReasonIsGiven) {
    fs::create_directory("small");
    const SmallDisk disk("small", "64k");
    if (!disk.mounted()) {
        GTEST_SKIP() << "cannot mount a 64 KiB tmpfs (needs root or CAP_SYS_ADMIN): "
                     << disk.whyNot();
    }
    ASSERT_EQ(saveSim("small/velmora.sim"), "saved");
    ASSERT_EQ(saveXml("small/scene.xml"), "saved");
    const std::string sim = readBytes("small/velmora.sim");
    const std::string xml = readBytes("small/scene.xml");

    const LSession_t tooLarge = largeScene(2000); // about 300 KB in the binary file
    EXPECT_EQ(saveSim("small/velmora.sim", tooLarge), "no space left on the disk");
    EXPECT_EQ(saveXml("small/scene.xml", tooLarge), "no space left on the disk");
    EXPECT_TRUE(holds("small/velmora.sim", sim));
    EXPECT_TRUE(holds("small/scene.xml", xml));
    EXPECT_EQ(folderEntries(folder + "/small"), (Texts{"scene.xml", "velmora.sim"}));
    EXPECT_EQ(messages, Texts{"velmora.sim: Error cannot read file.\n"
                              "small/velmora.sim: no space left on the disk"});
}
