#pragma once

#include <optional>
#include <string>
#include <sys/stat.h>

// Where a save to a path lands, or why it may not happen.
struct SaveTarget {
    // The name the saved file takes: the path itself, or the name its symbolic links
    // lead to.
    std::string path;
    // The regular file that is there now and that the save replaces, if any.
    std::optional<struct stat> existing;
    // Why nothing may be saved there, for the user; empty when the save may go ahead.
    std::string error;
};

// Follows symbolic links from path to a regular file or to a name nothing has yet, and
// checks that the effective user may replace what is there. Nothing is opened, so a
// FIFO or a device is never disturbed.
SaveTarget findSaveTarget(const std::string& path);

// The folder part of a path: "." when it has none.
std::string folderOf(const std::string& path);
