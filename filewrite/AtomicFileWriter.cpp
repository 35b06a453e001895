#include "filewrite/AtomicFileWriter.h"

#include <cerrno>
#include <cstdio>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include "filewrite/SaveErrorText.h"
#include "filewrite/SaveTarget.h"
#include "filewrite/TemporarySaveFiles.h"

namespace {

// Small writes (a field at a time) are gathered before they reach the kernel.
constexpr std::size_t kBufferSize = 64 * 1024;

// A replaced file keeps its permissions, and its owner and group where the user may
// give them: root may give both, anyone a group they belong to. Failing that, the file
// becomes the user's own, which is no reason to fail the save. The owner goes first,
// as changing it clears set-user-ID bits the mode then restores.
void keepOwnerAndMode(int fd, const struct stat& replaced) {
    [[maybe_unused]] const bool kept = ::fchown(fd, replaced.st_uid, replaced.st_gid) == 0 ||
                                       ::fchown(fd, static_cast<uid_t>(-1), replaced.st_gid) == 0;
    ::fchmod(fd, replaced.st_mode & 07777);
}

// Makes the rename itself durable; a folder that cannot be synced is no reason to
// call a save failed, since the file is already complete under its new name.
void syncFolder(const std::string& folder) {
    const UniqueFd fd(::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
    if (fd) {
        ::fsync(fd.get());
    }
}

} // namespace

AtomicFileWriter::AtomicFileWriter(const std::string& target) {
    SaveTarget where = findSaveTarget(target);
    if (!where.error.empty()) {
        error_ = std::move(where.error);
        return;
    }
    target_ = std::move(where.path);
    const std::string folder = folderOf(target_);
    removeStaleSaveFiles(folder);
    TemporarySaveFile made = makeTemporarySaveFile(folder);
    if (!made.fd) {
        error_ = made.error == EACCES ? "permission denied (the folder cannot be written in)"
                                      : saveErrorText(made.error);
        return;
    }
    fd_ = std::move(made.fd);
    temporary_ = std::move(made.path);
    if (where.existing) {
        keepOwnerAndMode(fd_.get(), *where.existing);
    }
    buffer_.reserve(kBufferSize);
}

AtomicFileWriter::~AtomicFileWriter() {
    discard();
}

void AtomicFileWriter::write(const void* data, std::size_t size) {
    if (!good()) {
        return;
    }
    buffer_.append(static_cast<const char*>(data), size);
    if (buffer_.size() >= kBufferSize) {
        flushBuffer();
    }
}

bool AtomicFileWriter::flushBuffer() {
    std::size_t done = 0;
    while (done < buffer_.size()) {
        const ssize_t n = ::write(fd_.get(), buffer_.data() + done, buffer_.size() - done);
        if (n < 0 && errno == EINTR) {
            continue;
        }
        if (n <= 0) {
            fail(n < 0 ? errno : EIO);
            return false;
        }
        done += static_cast<std::size_t>(n);
    }
    buffer_.clear();
    return true;
}

bool AtomicFileWriter::commit() {
    if (!good() || !flushBuffer()) {
        discard();
        return false;
    }
    // EINVAL: the file system has no way to sync; the data went as far as it can.
    if (::fsync(fd_.get()) != 0 && errno != EINVAL) {
        fail(errno);
        return false;
    }
    // Renamed while still open, and so still locked: under its temporary name and
    // unlocked, another save's cleaning would take it for a leftover.
    if (std::rename(temporary_.c_str(), target_.c_str()) != 0) {
        fail(errno);
        return false;
    }
    temporary_.clear();
    fd_.reset();
    syncFolder(folderOf(target_));
    return true;
}

void AtomicFileWriter::fail(int error) {
    if (error_.empty()) {
        error_ = saveErrorText(error);
    }
    discard();
}

void AtomicFileWriter::discard() {
    // Removed while still locked, so that no cleaner is busy with it meanwhile.
    if (!temporary_.empty()) {
        ::unlink(temporary_.c_str());
        temporary_.clear();
    }
    fd_.reset();
}
