#pragma once

#include <cstdio>
#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "filewrite/AtomicFileWriter.h"
#include "tumbleway/tumbleway_ext.h"

// The trace: a CSV file with one row per placed mesh per frame, giving the pose the mesh
// is drawn with. The columns are explained in the runner's help. The rows go to a
// temporary file that takes the trace's name only when the run closes it: a run that
// stops on the way leaves an older trace of that name as it was.
class TraceFile {
public:
    // Starts the file (absolute path) and writes the header. Throws a RunError when the
    // file cannot be made there.
    explicit TraceFile(std::filesystem::path path);

    // The rows of one frame, for the current course's placed meshes of those names.
    // Throws a RunError as soon as a write fails: the file is cut short.
    void writeFrame(int frame, const std::vector<std::string>& names);
    // Writes out what is buffered and puts the file in its place; throws a RunError when
    // that fails.
    void close();

private:
    [[noreturn]] void cutShort(int error) const;

    std::filesystem::path path_;
    std::unique_ptr<AtomicFileWriter> out_;
    // The rows' formatting, writing into out_.
    std::unique_ptr<std::FILE, int (*)(std::FILE*)> file_;
    std::vector<TwxMeshPose> poses_; // a frame's, kept for the next
};
