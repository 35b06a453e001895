#pragma once

// Helpers for the save tests: scenes large enough to take time and space, other
// processes (one that holds a file, one that runs as another user), and a small disk.

#include <cerrno>
#include <csignal>
#include <cstring>
#include <fcntl.h>
#include <functional>
#include <grp.h>
#include <optional>
#include <string>
#include <sys/file.h>
#include <sys/mount.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include "files/SessionFileIO.h"
#include "files/SimulationFile.h"

#include "file_test_support.h"

// The user and group "nobody": a user the tests can become without owning anything.
inline constexpr uid_t kNobody = 65534;

// A scene of `meshes` meshes and a few points: 148 bytes a mesh in the binary file,
// about twice that in the XML file.
inline LSession_t largeScene(int meshes) {
    LSession_t scene = fullScene();
    for (int i = 0; i < meshes; ++i) {
        const float f = static_cast<float>(i);
        setName(scene.meshes.emplace_back(SessionXfile{0, 0, f, -f, 0.5f * f, 0.25f, 1, {}}).name,
                "mesh-" + std::to_string(i) + ".x");
    }
    return scene;
}

// Whether the file holds exactly these bytes; a failure says where they part rather
// than printing both (they can be megabytes).
inline ::testing::AssertionResult holds(const std::string& path, const std::string& expected) {
    const std::string actual = readBytes(path);
    if (actual == expected) {
        return ::testing::AssertionSuccess();
    }
    const auto parted =
        std::mismatch(actual.begin(), actual.end(), expected.begin(), expected.end());
    return ::testing::AssertionFailure()
           << path << " holds " << actual.size() << " bytes, not the " << expected.size()
           << " expected; they part at byte " << (parted.first - actual.begin());
}

// Saves with one of the two writers; "saved", or the reason the save gives for failing.
inline std::string saveXml(const std::string& path, const LSession_t& scene = fullScene()) {
    std::string error;
    return writeSimulationFile(scene, path, &error) ? "saved" : error;
}
inline std::string saveSim(const std::string& path, const LSession_t& scene = fullScene()) {
    std::string error;
    return writeSessionFile(scene, path, &error) ? "saved" : error;
}

// The temporary files saves leave when they are cut off, by the prefix every one has.
inline Texts temporaryFilesIn(const std::string& folder) {
    Texts found;
    for (const std::string& name : folderEntries(folder)) {
        if (name.starts_with(".tumbleway-save-")) {
            found.push_back(name);
        }
    }
    return found;
}

inline struct stat statOf(const std::string& path) {
    struct stat info {};
    EXPECT_EQ(::lstat(path.c_str(), &info), 0) << path << ": " << std::strerror(errno);
    return info;
}

// Root may write anything. Run as root, the permission tests save as the user and group
// nobody, in files and folders given to nobody.
inline void giveToTheOrdinaryUser(const std::string& path) {
    if (::geteuid() == 0) {
        EXPECT_EQ(::chown(path.c_str(), kNobody, kNobody), 0) << path;
    }
}

// Runs body in a child process, as nobody when the test runs as root, and returns what
// body returned. Nothing when the child could not become nobody. The child ends with
// _exit, so nothing of the test's own state runs twice.
inline std::optional<std::string> runAsOrdinaryUser(const std::function<std::string()>& body) {
    int pipeEnds[2];
    if (::pipe(pipeEnds) != 0) {
        return std::nullopt;
    }
    const pid_t child = ::fork();
    if (child == 0) {
        ::close(pipeEnds[0]);
        if (::geteuid() == 0 &&
            (::setgroups(0, nullptr) != 0 || ::setgid(kNobody) != 0 || ::setuid(kNobody) != 0)) {
            ::_exit(3);
        }
        const std::string answer = body();
        const bool written =
            ::write(pipeEnds[1], answer.data(), answer.size()) == std::ssize(answer);
        ::_exit(written ? 0 : 1);
    }
    ::close(pipeEnds[1]);
    std::string answer;
    char chunk[4096];
    for (;;) {
        const ssize_t n = ::read(pipeEnds[0], chunk, sizeof chunk);
        if (n > 0) {
            answer.append(chunk, static_cast<std::size_t>(n));
        } else if (n == 0 || errno != EINTR) {
            break;
        }
    }
    ::close(pipeEnds[0]);
    int status = 0;
    ::waitpid(child, &status, 0);
    if (WIFEXITED(status) && WEXITSTATUS(status) == 3) {
        return std::nullopt;
    }
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << "the child failed: " << status;
    return answer;
}

// Another live process that holds a file open and flock'ed, as a save in progress
// holds its temporary file, until this object goes.
class HeldFile {
public:
    explicit HeldFile(const std::string& path) {
        int ready[2];
        if (::pipe(ready) != 0) {
            return;
        }
        child_ = ::fork();
        if (child_ == 0) {
            const int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_EXCL, 0644);
            const char held = fd >= 0 && ::flock(fd, LOCK_EX) == 0 ? 'y' : 'n';
            if (::write(ready[1], &held, 1) == 1) {
                ::pause();
            }
            ::_exit(0);
        }
        ::close(ready[1]);
        char held = 'n';
        held_ = ::read(ready[0], &held, 1) == 1 && held == 'y';
        ::close(ready[0]);
    }
    ~HeldFile() {
        if (child_ > 0) {
            ::kill(child_, SIGKILL);
            ::waitpid(child_, nullptr, 0);
        }
    }
    HeldFile(const HeldFile&) = delete;
    HeldFile& operator=(const HeldFile&) = delete;

    bool held() const { return held_; }

private:
    pid_t child_ = -1;
    bool held_ = false;
};

// A tmpfs of the given size mounted on an existing folder while this object lives.
class SmallDisk {
public:
    SmallDisk(std::string folder, const std::string& size) : folder_(std::move(folder)) {
        const std::string options = "size=" + size + ",mode=0755";
        mounted_ =
            ::mount("tmpfs", folder_.c_str(), "tmpfs", MS_NOSUID | MS_NODEV, options.c_str()) == 0;
        error_ = mounted_ ? 0 : errno;
    }
    ~SmallDisk() {
        if (mounted_) {
            ::umount2(folder_.c_str(), MNT_DETACH);
        }
    }
    SmallDisk(const SmallDisk&) = delete;
    SmallDisk& operator=(const SmallDisk&) = delete;

    bool mounted() const { return mounted_; }
    const char* whyNot() const { return std::strerror(error_); }

private:
    std::string folder_;
    bool mounted_ = false;
    int error_ = 0;
};

// Ends the test process if it is still running after the given seconds: a save that
// opened a FIFO would wait for a reader forever.
class Deadline {
public:
    explicit Deadline(unsigned seconds) { ::alarm(seconds); }
    ~Deadline() { ::alarm(0); }
    Deadline(const Deadline&) = delete;
    Deadline& operator=(const Deadline&) = delete;
};
