#pragma once

#include <cstdio>
#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "tumbleway/tumbleway_ext.h"

// The trace: a CSV file with one row per placed mesh per frame, giving the pose the mesh
// is drawn with. The columns are explained in the runner's help.
class TraceFile {
public:
    // Opens the file (absolute path) and writes the header. Throws a RunError when the
    // file cannot be made.
    explicit TraceFile(std::filesystem::path path);

    // The rows of one frame, for the current course's placed meshes of those names.
    // Throws a RunError as soon as a write fails: the file is cut short.
    void writeFrame(int frame, const std::vector<std::string>& names);
    // Writes out what is buffered and closes the file; throws a RunError when that fails.
    void close();

private:
    [[noreturn]] void cutShort(int error) const;

    std::filesystem::path path_;
    std::unique_ptr<std::FILE, int (*)(std::FILE*)> file_;
    std::vector<TwxMeshPose> poses_; // a frame's, kept for the next
};
