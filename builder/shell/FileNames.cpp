#include "shell/FileNames.h"

#include "tumbleway/NameField.h"

OpenAction openActionForExtension(std::string_view extension) {
    if (extension == "x" || extension == "X") {
        return OpenAction::AddXfile;
    }
    if (extension == "bmp" || extension == "BMP") {
        return OpenAction::AddBitmap;
    }
    if (extension == "wav" || extension == "WAV") {
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
