#pragma once

#include <filesystem>
#include <string>

// The folders and paths a run works with. Every failure is a RunError naming the path.

// The path as given, made absolute against the current folder; `what` names it in the
// error ("--trace") when the current folder cannot be read (it may have been deleted).
std::filesystem::path absolutePath(const std::string& given, const std::string& what);

// The folder whose data/ the engine reads at start-up: the one asked for (already
// absolute), else the current folder when it holds data/, else the source tree this
// program was built in.
std::filesystem::path findDataFolder(const std::filesystem::path& asked);

// Throws a RunError when the file (absolute path) cannot be made for want of its folder,
// so that a long run does not end on an output it could never write.
void expectFolderOf(const std::filesystem::path& file, const std::string& what);

// Makes the folder the current one; `what` says what it is in the error.
void enterFolder(const std::filesystem::path& folder, const std::string& what);
