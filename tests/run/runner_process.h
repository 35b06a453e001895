// Runs a program as a user would from a shell, and keeps what it left behind: its exit
// status, and what it wrote on stdout and stderr.
#pragma once

#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

struct Outcome {
    int status = -1; // the exit status; -1 when it was ended by a signal
    int signal = 0;  // the signal that ended it
    std::string out;
    std::string err;
    bool couldNotDropPrivileges = false;
};

struct Launch {
    std::filesystem::path folder;    // the working folder
    bool folderDeletedFirst = false; // the working folder is deleted before the program starts
    bool asNobody = false;           // run as user 65534 when we are root
    // Limits the program runs under (0: none): the largest file it may write, as a full
    // disk would stop it (a write past it fails with EFBIG), and its address space.
    std::uint64_t fileSizeLimit = 0;
    std::uint64_t addressSpaceLimit = 0;
};

// Runs args[0] (a path) with the arguments and waits for it. A program still running
// after a minute is ended (SIGALRM).
Outcome runProgram(const std::vector<std::string>& args, const Launch& launch);

// The lines of stderr but for the sound library's complaints about a missing sound
// card, which depend on the machine.
std::vector<std::string> errorLines(const std::string& err);
