#include "QuietLibraries.h"

#include <cstdio>
#include <cstdlib>
#include <system_error>

#include <fcntl.h>
#include <unistd.h>

std::filesystem::path QuietLibraries::logPath() {
    const char* state = std::getenv("XDG_STATE_HOME");
    const char* home = std::getenv("HOME");
    const std::filesystem::path folder =
        state != nullptr && *state != '\0'
            ? std::filesystem::path(state)
            : std::filesystem::path(home != nullptr ? home : ".") / ".local/state";
    return folder / "Tumbleway" / "tumbleway-run.log";
}

QuietLibraries::QuietLibraries(bool verbose) {
    if (verbose) {
        return;
    }
    const std::filesystem::path path = logPath();
    std::error_code ignored;
    std::filesystem::create_directories(path.parent_path(), ignored);
    const int log = ::open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
    if (log < 0) {
        return; // no log: better heard than lost
    }
    std::fflush(stderr);
    terminal_ = ::fcntl(STDERR_FILENO, F_DUPFD_CLOEXEC, 0);
    if (terminal_ >= 0) {
        ::dup2(log, STDERR_FILENO);
    }
    ::close(log);
}

QuietLibraries::~QuietLibraries() {
    if (terminal_ < 0) {
        return;
    }
    std::fflush(stderr);
    ::dup2(terminal_, STDERR_FILENO);
    ::close(terminal_);
}
