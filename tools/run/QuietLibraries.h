#pragma once

#include <filesystem>

// The sound library talks on the terminal when it opens its device without a sound card
// (nine lines of ALSA). While an object of this class lives, whatever the libraries
// write on stderr goes to a log file instead, unless the user asked to see it; the
// program's own messages are kept back over that time and shown after it.
class QuietLibraries {
public:
    explicit QuietLibraries(bool verbose);
    ~QuietLibraries();
    QuietLibraries(const QuietLibraries&) = delete;
    QuietLibraries& operator=(const QuietLibraries&) = delete;

    // Where the log goes: the user's state folder.
    static std::filesystem::path logPath();

private:
    int terminal_ = -1; // stderr as it was; -1 while nothing is redirected
};
