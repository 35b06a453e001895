#pragma once

#include <filesystem>

// Loads a mesh file into the library and chooses it, so that the ViewParts tab shows it
// alone, turned about its centre and framed whole. Throws RunError when it does not load.
void showInPreview(const std::filesystem::path& mesh);
