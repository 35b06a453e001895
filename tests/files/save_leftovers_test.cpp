// Saves cut off at any moment (the process killed, the power gone) leave their temporary
// file behind; the next save in that folder removes such files, but never one a live
// save is still writing.
#include <chrono>
#include <random>
#include <thread>

#include "filewrite/TemporarySaveFiles.h"
#include "save_test_support.h"

namespace {

using SaveLeftovers = FileTest;

// A child process that saves the scene over and over until it is killed.
pid_t startSavingForever(const LSession_t& scene) {
    const pid_t child = ::fork();
    if (child == 0) {
        for (;;) {
            writeSessionFile(scene, "scene.sim");
            writeSimulationFile(scene, "scene.xml");
        }
    }
    return child;
}

void killAndWait(pid_t child) {
    ::kill(child, SIGKILL);
    ::waitpid(child, nullptr, 0);
}

} // namespace

TEST_F(SaveLeftovers, SavesKilledAtRandomMomentsLeaveNothingTheNextSaveKeeps) {
    const LSession_t scene = largeScene(4000);
    ASSERT_EQ(saveSim("scene.sim", scene), "saved");
    ASSERT_EQ(saveXml("scene.xml", scene), "saved");
    const std::string sim = readBytes("scene.sim");
    const std::string xml = readBytes("scene.xml");

    const unsigned seed = std::random_device{}();
    std::mt19937 random(seed);
    std::uniform_int_distribution<int> microseconds(0, 40'000);
    int leftBehind = 0;
    for (int kill = 0; kill < 60; ++kill) {
        const pid_t child = startSavingForever(scene);
        ASSERT_GT(child, 0);
        std::this_thread::sleep_for(std::chrono::microseconds(microseconds(random)));
        killAndWait(child);
        ASSERT_TRUE(holds("scene.sim", sim)) << "kill " << kill << ", seed " << seed;
        ASSERT_TRUE(holds("scene.xml", xml)) << "kill " << kill << ", seed " << seed;
        leftBehind += temporaryFilesIn(folder).empty() ? 0 : 1;
    }
    // Killed between two saves, a child leaves nothing; a file nobody holds is certainly
    // there with this one.
    writeBytes(".tumbleway-save-Stale1", "left over");
    const HeldFile live(".tumbleway-save-Live01");
    ASSERT_TRUE(live.held());

    ASSERT_EQ(saveSim("scene.sim", scene), "saved");
    EXPECT_EQ(folderEntries(folder), (Texts{".tumbleway-save-Live01", "scene.sim", "scene.xml"}))
        << "seed " << seed;
    EXPECT_GT(leftBehind, 0) << "no kill came in the middle of a save; seed " << seed;
    EXPECT_TRUE(holds("scene.sim", sim));
}

// The builder clears its folder at start; what is not ours, or not a plain file, or
// only looks like ours, stays.
TEST_F(SaveLeftovers, OnlyUnheldTemporaryFilesAreRemoved) {
    for (const char* notOurs :
         {".tumbleway-save-", ".tumbleway-save-12345", ".tumbleway-save-1234567",
          ".tumbleway-save-ab_def", "tumbleway-save-abcdef", "scene.sim"}) {
        writeBytes(notOurs, "x");
    }
    std::filesystem::create_directory(".tumbleway-save-Dir001");
    ASSERT_EQ(::mkfifo(".tumbleway-save-Fifo01", 0600), 0);
    std::filesystem::create_symlink("scene.sim", ".tumbleway-save-Link01");
    const HeldFile live(".tumbleway-save-Live01");
    ASSERT_TRUE(live.held());
    const Texts kept = folderEntries(folder);
    writeBytes(".tumbleway-save-0aZ9zA", "stale");
    writeBytes(".tumbleway-save-XXXXXX", "stale");

    removeStaleSaveFiles(folder);
    EXPECT_EQ(folderEntries(folder), kept);
    EXPECT_EQ(readBytes("scene.sim"), "x");
    removeStaleSaveFiles(folder + "/no-such-folder"); // nothing to do, nothing to fail
}

// A target named like a temporary file would be taken for a leftover by the next save.
TEST_F(SaveLeftovers, ATargetNamedLikeATemporaryFileIsRefused) {
    EXPECT_EQ(saveSim(".tumbleway-save-abc123"), "the name is kept for temporary files");
    EXPECT_TRUE(folderEntries(folder).empty());
}

// A cleaner may find a save's temporary file the moment it is made, before the save has
// locked it, or after the save has written it; the save must notice and carry on.
TEST_F(SaveLeftovers, ACleanerRunningAlongsideNeverSpoilsASave) {
    const pid_t cleaner = ::fork();
    if (cleaner == 0) {
        for (;;) {
            removeStaleSaveFiles(".");
        }
    }
    ASSERT_GT(cleaner, 0);
    const LSession_t scene = largeScene(20);
    int failed = 0;
    std::string lastReason;
    for (int save = 0; save < 800; ++save) {
        const std::string reason = saveSim("scene.sim", scene);
        if (reason != "saved") {
            ++failed;
            lastReason = reason;
        }
    }
    killAndWait(cleaner);
    EXPECT_EQ(failed, 0) << lastReason;
    // A file the cleaner took from a save and was killed before removing is the next
    // save's to remove.
    ASSERT_EQ(saveSim("scene.sim", scene), "saved");
    EXPECT_EQ(folderEntries(folder), Texts{"scene.sim"});
}
