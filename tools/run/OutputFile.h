#pragma once

#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

// The pictures a run writes. Each goes through a temporary file that takes the output's
// name only once it is whole, so that a run that cannot write it leaves an older file
// of that name as it was. Failures are RunErrors naming the file; `what` says which
// output it is ("the screenshot").

// Throws a RunError when the file (absolute path) could never be written: its folder is
// not there, or what has its name is no file to replace (a folder, a FIFO, a device).
void expectSavable(const std::filesystem::path& file, const std::string& what);

// Writes the bytes as the file, whole or not at all.
void writeOutputFile(const std::filesystem::path& file, const std::vector<std::uint8_t>& bytes,
                     const std::string& what);

// Writes the engine's current course as a glTF binary file, whole or not at all.
void writeCourseGltf(const std::filesystem::path& file);
