#include "filewrite/TemporarySaveFiles.h"

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <dirent.h>
#include <fcntl.h>
#include <memory>
#include <sys/file.h>
#include <sys/random.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

constexpr std::string_view kPrefix = ".tumbleway-save-";
constexpr std::size_t kRandomLength = 6;
constexpr std::string_view kLetters =
    "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789";
// Names taken by others are tried again with new letters, this many times.
constexpr int kAttempts = 100;

std::string randomName() {
    // Should the kernel give no randomness, the serial still varies the names; a name
    // taken anyway is caught by O_EXCL and another one tried.
    static std::atomic<unsigned> serial{0};
    unsigned char noise[kRandomLength] = {};
    const unsigned salt = serial++;
    if (::getrandom(noise, sizeof noise, GRND_NONBLOCK) != sizeof noise) {
        std::fill(std::begin(noise), std::end(noise), static_cast<unsigned char>(::getpid()));
    }
    std::string name(kPrefix);
    for (const unsigned char byte : noise) {
        name += kLetters[(byte + salt) % kLetters.size()];
    }
    return name;
}

bool sameFile(const struct stat& a, const struct stat& b) {
    return a.st_dev == b.st_dev && a.st_ino == b.st_ino;
}

// A cleaner may find a new file before its save has locked it, and remove it: then the
// lock is refused (the cleaner holds it), or the name no longer leads to the file.
bool lockedUnderItsName(const TemporarySaveFile& file) {
    if (::flock(file.fd.get(), LOCK_EX | LOCK_NB) != 0) {
        // Any other failure: the file system cannot lock. The save goes on unlocked,
        // and cleaners, unable to lock either, leave its file alone.
        return errno != EWOULDBLOCK;
    }
    struct stat opened {};
    struct stat named {};
    return ::fstat(file.fd.get(), &opened) == 0 && ::lstat(file.path.c_str(), &named) == 0 &&
           sameFile(opened, named);
}

struct CloseFolder {
    void operator()(DIR* listing) const { ::closedir(listing); }
};

void removeIfStale(int folder, const char* name) {
    // Only regular files are opened: opening a device can have effects of its own.
    struct stat listed {};
    if (::fstatat(folder, name, &listed, AT_SYMLINK_NOFOLLOW) != 0 || !S_ISREG(listed.st_mode)) {
        return;
    }
    const UniqueFd fd(::openat(folder, name, O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC));
    struct stat opened {};
    if (!fd || ::fstat(fd.get(), &opened) != 0 || !S_ISREG(opened.st_mode) ||
        ::flock(fd.get(), LOCK_EX | LOCK_NB) != 0) {
        return;
    }
    // Nobody holds it. It goes only if the name still leads to the file locked here.
    struct stat named {};
    if (::fstatat(folder, name, &named, AT_SYMLINK_NOFOLLOW) == 0 && sameFile(named, opened)) {
        ::unlinkat(folder, name, 0);
    }
}

} // namespace

bool isTemporarySaveName(std::string_view name) {
    return name.size() == kPrefix.size() + kRandomLength && name.starts_with(kPrefix) &&
           std::all_of(name.begin() + kPrefix.size(), name.end(),
                       [](char c) { return kLetters.find(c) != std::string_view::npos; });
}

TemporarySaveFile makeTemporarySaveFile(const std::string& folder) {
    TemporarySaveFile file;
    for (int attempt = 0; attempt < kAttempts; ++attempt) {
        file.path = folder + "/" + randomName();
        // 0666 leaves a new file's permissions to the user's umask and the folder's
        // default ACL, as for any file they make (mkostemp would make it 0600).
        file.fd =
            UniqueFd(::open(file.path.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666));
        if (!file.fd && errno != EEXIST) {
            file.error = errno;
            return file;
        }
        if (file.fd && lockedUnderItsName(file)) {
            return file;
        }
        file.fd.reset();
    }
    file.error = EEXIST;
    return file;
}

void removeStaleSaveFiles(const std::string& folder) {
    const std::unique_ptr<DIR, CloseFolder> listing(::opendir(folder.c_str()));
    if (!listing) {
        return;
    }
    while (const dirent* entry = ::readdir(listing.get())) {
        if (isTemporarySaveName(entry->d_name)) {
            removeIfStale(::dirfd(listing.get()), entry->d_name);
        }
    }
}
