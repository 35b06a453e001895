// What a save may replace: regular files, the files symbolic links name, and new names
// of any length a folder allows; nothing else.
#include <climits>
#include <sys/socket.h>
#include <sys/sysmacros.h>
#include <sys/un.h>

#include "save_test_support.h"

namespace fs = std::filesystem;

namespace {

using SaveTargets = FileTest;

// A listening Unix socket bound to a name in the current folder.
class BoundSocket {
public:
    explicit BoundSocket(const std::string& name) : fd_(::socket(AF_UNIX, SOCK_STREAM, 0)) {
        sockaddr_un address{};
        address.sun_family = AF_UNIX;
        name.copy(address.sun_path, sizeof address.sun_path - 1);
        bound_ = fd_ >= 0 &&
                 ::bind(fd_, reinterpret_cast<const sockaddr*>(&address), sizeof address) == 0;
    }
    ~BoundSocket() { ::close(fd_); }
    BoundSocket(const BoundSocket&) = delete;
    BoundSocket& operator=(const BoundSocket&) = delete;

    bool bound() const { return bound_; }

private:
    int fd_;
    bool bound_ = false;
};

} // namespace

TEST_F(SaveTargets, OnlyRegularFilesAreReplaced) {
    const Deadline deadline(60); // a save that opened the FIFO would wait here forever
    ASSERT_EQ(::mkfifo("pipe", 0644), 0);
    fs::create_directory("folder");
    const BoundSocket socket("socket");
    ASSERT_TRUE(socket.bound());
    fs::create_symlink("pipe", "link-to-pipe");
    fs::create_symlink(folder + "/folder", "link-to-folder");
    const struct {
        const char* name;
        const char* reason;
        fs::file_type type;
    } refused[] = {
        {"pipe", "not a regular file (a FIFO)", fs::file_type::fifo},
        {"folder", "not a regular file (a folder)", fs::file_type::directory},
        {"socket", "not a regular file (a socket)", fs::file_type::socket},
        {"link-to-pipe", "not a regular file (a FIFO)", fs::file_type::symlink},
        {"link-to-folder", "not a regular file (a folder)", fs::file_type::symlink},
    };
    Texts shown;
    for (const auto& target : refused) {
        EXPECT_EQ(saveXml(target.name), target.reason) << target.name;
        EXPECT_EQ(saveSim(target.name), target.reason) << target.name;
        EXPECT_EQ(fs::symlink_status(target.name).type(), target.type) << target.name;
        shown.push_back(std::string("velmora.sim: Error cannot read file.\n") + target.name + ": " +
                        target.reason);
    }
    EXPECT_EQ(fs::status("link-to-pipe").type(), fs::file_type::fifo);
    EXPECT_TRUE(fs::is_empty("folder"));
    EXPECT_EQ(folderEntries(folder),
              (Texts{"folder", "link-to-folder", "link-to-pipe", "pipe", "socket"}));
    EXPECT_EQ(messages, shown); // the XML writer leaves showing the reason to its caller
}

TEST_F(SaveTargets, DeviceNodesAreRefusedUnopened) {
    if (::mknod("char-device", S_IFCHR | 0600, makedev(1, 3)) != 0 ||
        ::mknod("block-device", S_IFBLK | 0600, makedev(7, 0)) != 0) {
        GTEST_SKIP() << "device nodes cannot be made here (needs CAP_MKNOD): "
                     << std::strerror(errno);
    }
    EXPECT_EQ(saveSim("char-device"), "not a regular file (a character device)");
    EXPECT_EQ(saveXml("block-device"), "not a regular file (a block device)");
    EXPECT_EQ(fs::symlink_status("char-device").type(), fs::file_type::character);
    EXPECT_EQ(fs::symlink_status("block-device").type(), fs::file_type::block);
    EXPECT_EQ(folderEntries(folder), (Texts{"block-device", "char-device"}));
}

TEST_F(SaveTargets, LinksLeadToTheFileTheyName) {
    ASSERT_EQ(saveXml("reference.xml"), "saved");
    const std::string saved = readBytes("reference.xml");
    fs::create_directories("real/deeper");

    // A link to a file: the file is replaced, the link stays a link to it.
    writeBytes("real/scene.xml", "old");
    fs::create_symlink("real/scene.xml", "link.xml");
    EXPECT_EQ(saveXml("link.xml"), "saved");
    EXPECT_TRUE(fs::is_symlink("link.xml"));
    EXPECT_TRUE(holds("real/scene.xml", saved));

    // A chain of links ending in a name nothing has yet: that name is made. The last
    // link is relative to its own folder, not to the current one.
    fs::create_symlink("../made.xml", "real/deeper/dangling.xml");
    fs::create_symlink("real/deeper/dangling.xml", "chain.xml");
    EXPECT_EQ(saveXml("chain.xml"), "saved");
    EXPECT_TRUE(fs::is_symlink("chain.xml"));
    EXPECT_TRUE(fs::is_symlink("real/deeper/dangling.xml"));
    EXPECT_TRUE(holds("real/made.xml", saved));
    fs::create_symlink(folder + "/real/absolute.sim", "absolute.sim");
    EXPECT_EQ(saveSim("absolute.sim"), "saved");
    EXPECT_TRUE(fs::is_regular_file(fs::symlink_status("real/absolute.sim")));

    // Links that lead nowhere a file could be made.
    fs::create_symlink("loop-b", "loop-a");
    fs::create_symlink("loop-a", "loop-b");
    fs::create_symlink("self", "self");
    fs::create_symlink("no-such-folder/scene.sim", "into-nothing.sim");
    EXPECT_EQ(saveSim("loop-a"), "too many symbolic links (a loop)");
    EXPECT_EQ(saveXml("self"), "too many symbolic links (a loop)");
    EXPECT_EQ(saveSim("into-nothing.sim"), "the folder does not exist");
    for (const char* link : {"loop-a", "loop-b", "self", "into-nothing.sim"}) {
        EXPECT_TRUE(fs::is_symlink(link)) << link;
    }
    EXPECT_EQ(folderEntries(folder),
              (Texts{"absolute.sim", "chain.xml", "into-nothing.sim", "link.xml", "loop-a",
                     "loop-b", "real", "reference.xml", "self"}));
    EXPECT_EQ(folderEntries(folder + "/real"),
              (Texts{"absolute.sim", "deeper", "made.xml", "scene.xml"}));
}

// The temporary file's name must fit beside a target whose name is as long as a
// folder allows.
TEST_F(SaveTargets, NamesAsLongAsTheFolderAllowsSave) {
    for (const std::size_t length : {std::size_t{243}, std::size_t{NAME_MAX}}) {
        const std::string xml = std::string(length - 4, 'x') + ".xml";
        const std::string sim = std::string(length - 4, 's') + ".sim";
        EXPECT_EQ(saveXml(xml), "saved") << length;
        EXPECT_EQ(saveSim(sim), "saved") << length;
        LSession_t back;
        EXPECT_TRUE(readSessionFile(sim, back));
        EXPECT_EQ(back.meshes.size(), fullScene().meshes.size());
        EXPECT_EQ(folderEntries(folder), (Texts{sim, xml}));
        fs::remove(xml);
        fs::remove(sim);
    }
    EXPECT_EQ(saveXml(std::string(NAME_MAX + 1, 'n')), "the name is too long");
    EXPECT_EQ(saveSim(""), "no file name was given");
    EXPECT_TRUE(folderEntries(folder).empty());
}

TEST_F(SaveTargets, ANewFileFollowsTheUmaskAndAReplacedOneKeepsModeAndOwner) {
    const mode_t umask = ::umask(027);
    const std::string made = saveSim("new.sim");
    ::umask(umask);
    ASSERT_EQ(made, "saved");
    EXPECT_EQ(statOf("new.sim").st_mode & 07777, 0640u);

    writeBytes("kept.xml", "old");
    ASSERT_EQ(::chmod("kept.xml", 0604), 0);
    if (::geteuid() == 0) { // only root can give the file to another user
        ASSERT_EQ(::chown("kept.xml", kNobody, kNobody), 0);
    }
    const struct stat before = statOf("kept.xml");
    ASSERT_EQ(saveXml("kept.xml"), "saved");
    const struct stat after = statOf("kept.xml");
    EXPECT_NE(after.st_ino, before.st_ino); // replaced, not written over
    EXPECT_EQ(after.st_mode & 07777, 0604u);
    EXPECT_EQ(after.st_uid, before.st_uid);
    EXPECT_EQ(after.st_gid, before.st_gid);
}
