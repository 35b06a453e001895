#include "shell/FileNames.h"

#include "tumbleway/NameField.h"

#include <algorithm>
#include <array>
#include <cctype>
#include <string>

namespace {

// Whether extension is one of names, written all in small or all in capital letters.
template <std::size_t N>
bool isOneOf(std::string_view extension, const std::array<std::string_view, N>& names) {
    std::string upper(extension);
    std::string lower(extension);
    std::transform(upper.begin(), upper.end(), upper.begin(),
                   [](unsigned char c) { return static_cast<char>(std::toupper(c)); });
    std::transform(lower.begin(), lower.end(), lower.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    return (extension == upper || extension == lower) &&
           std::find(names.begin(), names.end(), lower) != names.end();
}

// The formats the engine reads meshes and sounds from.
constexpr std::array<std::string_view, 8> kMeshExtensions = {"x",   "glb", "gltf", "obj",
                                                             "fbx", "dae", "ply",  "stl"};
constexpr std::array<std::string_view, 3> kSoundExtensions = {"wav", "ogg", "flac"};

} // namespace

OpenAction openActionForExtension(std::string_view extension) {
    if (isOneOf(extension, kMeshExtensions)) {
        return OpenAction::AddXfile;
    }
    if (extension == "bmp" || extension == "BMP") {
        return OpenAction::AddBitmap;
    }
    if (isOneOf(extension, kSoundExtensions)) {
        return OpenAction::AddSound;
    }
    if (extension == "sim" || extension == "SIM") {
        return OpenAction::OpenBinarySession;
    }
    if (isXmlExtension(extension)) {
        return OpenAction::OpenXmlSession;
    }
    if (extension == "replay" || extension == "REPLAY") {
        return OpenAction::OpenReplay;
    }
    return OpenAction::None;
}

bool isXmlExtension(std::string_view extension) {
    return extension == "xml" || extension == "XML";
}

ChosenFile splitChosenFile(std::string_view fullPath) {
    ChosenFile file;
    file.path = fullPath;
    const std::size_t slash = fullPath.find_last_of('/');
    file.name = fullPath.substr(slash == std::string_view::npos ? 0 : slash + 1);
    const std::size_t dot = file.name.find_last_of('.');
    if (dot != std::string::npos) {
        file.ext = file.name.substr(dot + 1);
    }
    return file;
}

bool fillFileRecord(const ChosenFile& file, LF_t* record) {
    if (file.name.size() >= static_cast<std::size_t>(kNameFieldSize) ||
        file.ext.size() >= static_cast<std::size_t>(kNameFieldSize)) {
        return false;
    }
    setNameField(record->path, file.path);
    setNameField(record->name, file.name);
    setNameField(record->ext, file.ext);
    return true;
}
