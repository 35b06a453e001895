#include "filewrite/SaveTarget.h"

#include <cerrno>
#include <fcntl.h>
#include <filesystem>
#include <system_error>
#include <unistd.h>

#include "filewrite/SaveErrorText.h"
#include "filewrite/TemporarySaveFiles.h"

namespace {

// As many links as the kernel follows in one path before it calls it a loop.
constexpr int kMaxLinks = 40;

std::string nameOf(const std::string& path) {
    const auto slash = path.rfind('/');
    return slash == std::string::npos ? path : path.substr(slash + 1);
}

const char* kindOf(mode_t mode) {
    if (S_ISDIR(mode)) {
        return "a folder";
    }
    if (S_ISFIFO(mode)) {
        return "a FIFO";
    }
    if (S_ISCHR(mode)) {
        return "a character device";
    }
    if (S_ISBLK(mode)) {
        return "a block device";
    }
    return S_ISSOCK(mode) ? "a socket" : "of an unknown kind";
}

// A relative link is relative to the folder the link is in, not to the current one.
std::string linkTarget(const std::string& link, const std::filesystem::path& text) {
    if (text.is_absolute()) {
        return text.string();
    }
    const std::string folder = folderOf(link);
    return (folder == "/" ? "" : folder) + "/" + text.string();
}

std::string whyNotWritable(const std::string& path, const struct stat& file) {
    if (::faccessat(AT_FDCWD, path.c_str(), W_OK, AT_EACCESS) == 0) {
        return {};
    }
    if (errno != EACCES) {
        return saveErrorText(errno);
    }
    if ((file.st_mode & 0222) == 0) {
        return "the file is read-only";
    }
    return file.st_uid != ::geteuid() ? "permission denied (the file belongs to another user)"
                                      : "permission denied";
}

} // namespace

std::string folderOf(const std::string& path) {
    const auto slash = path.rfind('/');
    if (slash == std::string::npos) {
        return ".";
    }
    return slash == 0 ? "/" : path.substr(0, slash);
}

SaveTarget findSaveTarget(const std::string& path) {
    SaveTarget target{path, std::nullopt, {}};
    if (path.empty()) {
        target.error = "no file name was given";
        return target;
    }
    for (int links = 0;; ++links) {
        struct stat info {};
        if (::lstat(target.path.c_str(), &info) != 0) {
            // Nothing there yet: a new file. A folder that is missing too is reported
            // when the temporary file cannot be made in it.
            if (errno != ENOENT) {
                target.error = saveErrorText(errno);
            }
            break;
        }
        if (S_ISREG(info.st_mode)) {
            target.existing = info;
            target.error = whyNotWritable(target.path, info);
            break;
        }
        if (!S_ISLNK(info.st_mode)) {
            target.error = std::string("not a regular file (") + kindOf(info.st_mode) + ")";
            break;
        }
        if (links == kMaxLinks) {
            target.error = saveErrorText(ELOOP);
            break;
        }
        std::error_code failed;
        const std::filesystem::path text = std::filesystem::read_symlink(target.path, failed);
        if (failed) {
            target.error = saveErrorText(failed.value());
            break;
        }
        target.path = linkTarget(target.path, text);
    }
    // The next save would take a file of that name for a leftover and remove it.
    if (target.error.empty() && isTemporarySaveName(nameOf(target.path))) {
        target.error = "the name is kept for temporary files";
    }
    return target;
}
