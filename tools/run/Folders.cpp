#include "Folders.h"

#include "RunError.h"

namespace fs = std::filesystem;

fs::path absolutePath(const std::string& given, const std::string& what) {
    std::error_code error;
    fs::path path = fs::absolute(given, error);
    if (error) {
        throw RunError(kCannotStart, what + " " + given + ": the current folder cannot be read (" +
                                         error.message() + ")");
    }
    return path;
}

namespace {

bool holdsData(const fs::path& folder) {
    std::error_code ignored;
    return fs::is_regular_file(folder / "data" / "road.bmp", ignored);
}

} // namespace

fs::path findDataFolder(const fs::path& asked) {
    std::error_code error;
    if (!asked.empty()) {
        if (!fs::is_directory(asked, error)) {
            throw RunError(kCannotStart, "--data " + asked.string() + " is not a folder" +
                                             (error ? " (" + error.message() + ")" : ""));
        }
        return asked;
    }
    const fs::path current = fs::current_path(error);
    if (!error && holdsData(current)) {
        return current;
    }
    // Built in a folder of the source tree: bin/ sits two levels below it; installed:
    // bin/ sits beside share/tumbleway.
    const fs::path exe = fs::canonical("/proc/self/exe", error);
    for (fs::path dir = exe; !dir.empty() && dir != dir.parent_path(); dir = dir.parent_path()) {
        if (holdsData(dir)) {
            return dir;
        }
        if (holdsData(dir / "share" / "tumbleway")) {
            return dir / "share" / "tumbleway";
        }
    }
    if (current.empty()) {
        throw RunError(kCannotStart, "no folder holding data/ was found and the current folder "
                                     "cannot be read; name one with --data");
    }
    // The engine runs untextured without its data pictures.
    return current;
}

void expectFolderOf(const fs::path& file, const std::string& what) {
    std::error_code error;
    if (!fs::is_directory(file.parent_path(), error)) {
        throw RunError(kCannotStart, what + " " + file.string() + ": no folder " +
                                         file.parent_path().string() +
                                         (error ? " (" + error.message() + ")" : ""));
    }
}

void enterFolder(const fs::path& folder, const std::string& what) {
    std::error_code error;
    fs::current_path(folder, error);
    if (error) {
        throw RunError(kCannotStart, "cannot enter " + what + " " + folder.string() + " (" +
                                         error.message() + ")");
    }
}
