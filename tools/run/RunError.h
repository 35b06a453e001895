#pragma once

#include <stdexcept>
#include <string>

// How tumbleway-run ends when it cannot do what it was asked.
inline constexpr int kRunFailed = 1;   // the run itself failed: no OpenGL, an output not written
inline constexpr int kCannotStart = 2; // the options, or the files and folders they name

// A reason to stop the run: main shows it as one line on stderr and exits with the status.
class RunError : public std::runtime_error {
public:
    RunError(int status, const std::string& message)
        : std::runtime_error(message), status_(status) {}
    int status() const { return status_; }

private:
    int status_;
};
