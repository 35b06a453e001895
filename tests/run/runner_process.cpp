#include "runner_process.h"

#include <csignal>
#include <fcntl.h>
#include <grp.h>
#include <sstream>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

namespace fs = std::filesystem;

namespace {

constexpr int kDropFailed = 125;

struct Descriptor {
    int fd;
    ~Descriptor() {
        if (fd >= 0) {
            close(fd);
        }
    }
};

std::string contentsOf(int fd) {
    std::string text;
    char buffer[4096];
    lseek(fd, 0, SEEK_SET);
    for (ssize_t n; (n = read(fd, buffer, sizeof buffer)) > 0;) {
        text.append(buffer, static_cast<std::size_t>(n));
    }
    return text;
}

// Opens a file for the child's output that nobody else sees: it is gone from the
// folder as soon as it is made.
int scratchFile() {
    return open(fs::temp_directory_path().c_str(), O_RDWR | O_TMPFILE, 0600);
}

bool dropToNobody() {
    if (geteuid() != 0) {
        return true; // already without the privileges that pass over permissions
    }
    return setgroups(0, nullptr) == 0 && setgid(65534) == 0 && setuid(65534) == 0;
}

bool limit(int resource, std::uint64_t bytes) {
    const rlimit value{bytes, bytes};
    return bytes == 0 || setrlimit(resource, &value) == 0;
}

} // namespace

Outcome runProgram(const std::vector<std::string>& args, const Launch& launch) {
    const Descriptor out{scratchFile()};
    const Descriptor err{scratchFile()};
    Outcome outcome;
    if (out.fd < 0 || err.fd < 0 || args.empty()) {
        outcome.err = "the test could not make its scratch files";
        return outcome;
    }
    // Everything the child needs is made before the fork.
    std::vector<char*> argv;
    for (const std::string& arg : args) {
        argv.push_back(const_cast<char*>(arg.c_str()));
    }
    argv.push_back(nullptr);
    const std::string folder = launch.folder.string();

    const pid_t child = fork();
    if (child == 0) {
        dup2(out.fd, STDOUT_FILENO);
        dup2(err.fd, STDERR_FILENO);
        if (chdir(folder.c_str()) != 0 ||
            (launch.folderDeletedFirst && rmdir(folder.c_str()) != 0)) {
            _exit(127);
        }
        if (launch.asNobody && !dropToNobody()) {
            _exit(kDropFailed);
        }
        // A write past the file size limit then fails as on a full disk, not by a signal.
        if (launch.fileSizeLimit != 0) {
            std::signal(SIGXFSZ, SIG_IGN);
        }
        if (!limit(RLIMIT_FSIZE, launch.fileSizeLimit) ||
            !limit(RLIMIT_AS, launch.addressSpaceLimit)) {
            _exit(127);
        }
        alarm(60);
        execv(argv[0], argv.data());
        _exit(127);
    }
    int status = 0;
    if (child < 0 || waitpid(child, &status, 0) != child) {
        outcome.err = "the test could not start " + args[0];
        return outcome;
    }
    if (WIFEXITED(status)) {
        outcome.status = WEXITSTATUS(status);
    } else if (WIFSIGNALED(status)) {
        outcome.signal = WTERMSIG(status);
    }
    outcome.couldNotDropPrivileges = launch.asNobody && outcome.status == kDropFailed;
    outcome.out = contentsOf(out.fd);
    outcome.err = contentsOf(err.fd);
    return outcome;
}

std::vector<std::string> errorLines(const std::string& err) {
    std::vector<std::string> lines;
    std::istringstream text(err);
    for (std::string line; std::getline(text, line);) {
        if (line.rfind("ALSA lib ", 0) != 0 && line.rfind("AL lib: ", 0) != 0) {
            lines.push_back(line);
        }
    }
    return lines;
}
