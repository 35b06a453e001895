#pragma once

#include <string>
#include <string_view>

#include "tumbleway/tumbleway.h"

// What the open command does with a file, chosen by its extension. The extension is
// compared exactly, in one of two spellings: "x" or "X", "glb" or "GLB", "xml" or
// "XML"; "Xml" is none of them. Meshes are .x, .glb, .gltf, .obj, .fbx, .dae, .ply and
// .stl files, sounds .wav, .ogg and .flac files.
enum class OpenAction {
    None,
    AddXfile,
    AddBitmap,
    AddSound,
    OpenBinarySession,
    OpenXmlSession,
    OpenReplay
};

OpenAction openActionForExtension(std::string_view extension);
// Whether a save-as name is written: only with the extension "xml" or "XML".
bool isXmlExtension(std::string_view extension);

// The three names the document keeps of a chosen file.
struct ChosenFile {
    std::string path; // full path
    std::string name; // file name with extension, no folder
    std::string ext;  // extension without the dot, empty when there is none
};

ChosenFile splitChosenFile(std::string_view fullPath);

// Fills the engine's file record. The engine finds files by name, so the name must
// fit its field whole; false (record untouched) when it does not. A longer full path
// is cut: nothing reads it back.
bool fillFileRecord(const ChosenFile& file, LF_t* record);
