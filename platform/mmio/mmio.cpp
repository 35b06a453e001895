#include "mmio/mmio.h"
#include "win32/regular_file.h"

#include <algorithm>
#include <cerrno>
#include <climits>
#include <cstring>
#include <map>
#include <memory>
#include <mutex>
#include <unistd.h>
#include <vector>

// One open file or memory block. Positions are kept in 64 bits so that no sum of a
// chunk offset and a chunk size read from the file can wrap; the file itself is
// limited to what a LONG position can reach.
struct HMMIO__ {
    ~HMMIO__() {
        if (fd >= 0) {
            ::close(fd);
        }
    }

    bool isMemory() const { return fd < 0; }
    bool buffered() const { return info.pchBuffer != nullptr; }

    std::int64_t bufferedBytes() const { return info.pchEndRead - info.pchBuffer; }

    std::int64_t position() const {
        return buffered() ? info.lBufOffset + (info.pchNext - info.pchBuffer) : unbufferedPosition;
    }

    // Reads from the file itself; returns the bytes read or -1.
    std::int64_t readAt(std::int64_t offset, char* destination, std::int64_t count) const {
        std::int64_t done = 0;
        while (done < count) {
            const ssize_t got = ::pread(fd, destination + done, static_cast<size_t>(count - done),
                                        static_cast<off_t>(offset + done));
            if (got < 0) {
                if (errno == EINTR) {
                    continue;
                }
                return -1;
            }
            if (got == 0) {
                break; // the file shrank under us
            }
            done += got;
        }
        return done;
    }

    // Fills the I/O buffer of a buffered file from the current position. Returns the
    // bytes now in the buffer, or -1. A memory file cannot be refilled: it already
    // holds everything there is.
    std::int64_t refill() {
        if (isMemory()) {
            return info.pchEndRead - info.pchNext;
        }
        const std::int64_t from = position();
        const std::int64_t want = std::min<std::int64_t>(info.cchBuffer, fileSize - from);
        const std::int64_t got = readAt(from, info.pchBuffer, want);
        if (got < 0) {
            return -1;
        }
        info.lBufOffset = static_cast<LONG>(from);
        info.lDiskOffset = static_cast<LONG>(from + got);
        info.pchNext = info.pchBuffer;
        info.pchEndRead = info.pchBuffer + got;
        info.pchEndWrite = info.pchBuffer;
        return got;
    }

    std::int64_t read(char* destination, std::int64_t count) {
        count = std::min(count, fileSize - position());
        if (count <= 0) {
            return 0;
        }
        if (!buffered()) {
            const std::int64_t got = readAt(unbufferedPosition, destination, count);
            if (got > 0) {
                unbufferedPosition += got;
            }
            return got;
        }
        std::int64_t done = 0;
        while (done < count) {
            std::int64_t available = info.pchEndRead - info.pchNext;
            if (available == 0) {
                available = refill();
                if (available < 0) {
                    return -1;
                }
                if (available == 0) {
                    break;
                }
            }
            const std::int64_t take = std::min(available, count - done);
            std::memcpy(destination + done, info.pchNext, static_cast<size_t>(take));
            info.pchNext += take;
            done += take;
        }
        return done;
    }

    bool seek(std::int64_t target) {
        if (target < 0 || target > fileSize) {
            return false;
        }
        if (!buffered()) {
            unbufferedPosition = target;
        } else if (target >= info.lBufOffset && target <= info.lBufOffset + bufferedBytes()) {
            info.pchNext = info.pchBuffer + (target - info.lBufOffset);
        } else {
            // Outside what the buffer holds: start an empty buffer there, filled on demand.
            info.lBufOffset = static_cast<LONG>(target);
            info.pchNext = info.pchBuffer;
            info.pchEndRead = info.pchBuffer;
            info.pchEndWrite = info.pchBuffer;
        }
        return true;
    }

    // Accepts an MMIOINFO handed back by the caller: only pchNext may have moved, and
    // only within the bytes the buffer holds.
    bool takeBack(const MMIOINFO& from) {
        if (from.pchBuffer != info.pchBuffer || from.cchBuffer != info.cchBuffer ||
            from.pchEndRead != info.pchEndRead || from.lBufOffset != info.lBufOffset) {
            return false;
        }
        if (from.pchNext < info.pchBuffer || from.pchNext > info.pchEndRead) {
            return false;
        }
        info.pchNext = from.pchNext;
        return true;
    }

    int fd = -1;
    std::int64_t fileSize = 0;
    std::int64_t unbufferedPosition = 0;
    std::vector<char> ownBuffer;
    MMIOINFO info{};
};

namespace {

// Open handles. A handle that is not here (closed, or never opened) is refused rather
// than followed.
struct Registry {
    std::mutex mutex;
    std::map<HMMIO, std::unique_ptr<HMMIO__>> open;
};

// Made when the library loads, not on first use: a host that closes its last wave file
// while it is itself being torn down at exit still finds the registry in place.
Registry g_registry;

Registry& registry() {
    return g_registry;
}

HMMIO__* lookUp(HMMIO handle) {
    auto& r = registry();
    std::lock_guard lock(r.mutex);
    const auto it = r.open.find(handle);
    return it == r.open.end() ? nullptr : it->second.get();
}

HMMIO fail(LPMMIOINFO info, MMRESULT reason) {
    if (info != nullptr) {
        info->wErrorRet = reason;
    }
    return nullptr;
}

MMRESULT openErrorFromErrno(int error) {
    switch (error) {
    case ENOENT:
        return MMIOERR_FILENOTFOUND;
    case ENOTDIR:
    case ENAMETOOLONG:
        return MMIOERR_PATHNOTFOUND;
    case EACCES:
    case EPERM:
        return MMIOERR_ACCESSDENIED;
    default:
        return MMIOERR_CANNOTOPEN;
    }
}

DWORD readFourcc(const char* bytes) {
    DWORD value;
    std::memcpy(&value, bytes, sizeof value);
    return value; // little-endian on every machine we build for, as in the file
}

} // namespace

HMMIO mmioOpenA(const char* fileName, LPMMIOINFO info, DWORD flags) {
    if ((flags & MMIO_RWMODE) != MMIO_READ ||
        (flags & (MMIO_CREATE | MMIO_PARSE | MMIO_DELETE | MMIO_EXIST | MMIO_GETTEMP)) != 0) {
        return fail(info, MMSYSERR_NOTSUPPORTED);
    }
    if (info != nullptr && info->pIOProc != nullptr) {
        return fail(info, MMSYSERR_NOTSUPPORTED);
    }

    auto file = std::make_unique<HMMIO__>();
    const bool memory = info != nullptr && info->fccIOProc == FOURCC_MEM;
    if (memory) {
        // The block is the file. Growing memory files serve writing only.
        if (info->pchBuffer == nullptr || info->cchBuffer <= 0) {
            return fail(info, MMSYSERR_INVALPARAM);
        }
        file->fileSize = info->cchBuffer;
        file->info.cchBuffer = info->cchBuffer;
        file->info.pchBuffer = info->pchBuffer;
        file->info.pchNext = info->pchBuffer;
        file->info.pchEndRead = info->pchBuffer + info->cchBuffer;
        file->info.pchEndWrite = info->pchBuffer;
        file->info.fccIOProc = FOURCC_MEM;
    } else {
        if (info != nullptr && info->fccIOProc != 0 && info->fccIOProc != FOURCC_DOS) {
            return fail(info, MMSYSERR_NOTSUPPORTED);
        }
        if (fileName == nullptr || fileName[0] == '\0') {
            return fail(info, MMSYSERR_INVALPARAM);
        }
        // Only a regular file is opened: a FIFO would wait for a writer.
        RegularFile regular = RegularFile::open(fileName);
        if (!regular) {
            return fail(info, openErrorFromErrno(regular.error()));
        }
        if (regular.size() > LONG_MAX) {
            return fail(info, MMIOERR_CANNOTOPEN);
        }
        file->fileSize = static_cast<std::int64_t>(regular.size());
        file->fd = regular.release();
        file->info.fccIOProc = FOURCC_DOS;

        const bool userBuffer = info != nullptr && info->pchBuffer != nullptr;
        if (userBuffer && info->cchBuffer <= 0) {
            return fail(info, MMSYSERR_INVALPARAM);
        }
        if (userBuffer) {
            file->info.cchBuffer = info->cchBuffer;
            file->info.pchBuffer = info->pchBuffer;
        } else if ((flags & MMIO_ALLOCBUF) != 0) {
            const LONG size =
                info != nullptr && info->cchBuffer > 0 ? info->cchBuffer : MMIO_DEFAULTBUFFER;
            file->ownBuffer.resize(static_cast<size_t>(size));
            file->info.cchBuffer = size;
            file->info.pchBuffer = file->ownBuffer.data();
        }
        file->info.pchNext = file->info.pchBuffer;
        file->info.pchEndRead = file->info.pchBuffer;
        file->info.pchEndWrite = file->info.pchBuffer;
    }
    file->info.dwFlags = flags;
    if (info != nullptr) {
        info->wErrorRet = MMSYSERR_NOERROR;
    }

    auto& r = registry();
    std::lock_guard lock(r.mutex);
    const HMMIO handle = file.get();
    file->info.hmmio = handle;
    r.open.emplace(handle, std::move(file));
    return handle;
}

MMRESULT mmioClose(HMMIO handle, UINT /*flags*/) {
    std::unique_ptr<HMMIO__> closing;
    {
        auto& r = registry();
        std::lock_guard lock(r.mutex);
        const auto it = r.open.find(handle);
        if (it == r.open.end()) {
            return MMSYSERR_INVALHANDLE;
        }
        closing = std::move(it->second);
        r.open.erase(it);
    }
    return MMSYSERR_NOERROR;
}

LONG mmioRead(HMMIO handle, HPSTR destination, LONG count) {
    HMMIO__* file = lookUp(handle);
    if (file == nullptr || count < 0 || (destination == nullptr && count > 0)) {
        return -1;
    }
    return static_cast<LONG>(file->read(destination, count));
}

LONG mmioSeek(HMMIO handle, LONG offset, int origin) {
    HMMIO__* file = lookUp(handle);
    if (file == nullptr) {
        return -1;
    }
    std::int64_t base = 0;
    switch (origin) {
    case SEEK_SET:
        base = 0;
        break;
    case SEEK_CUR:
        base = file->position();
        break;
    case SEEK_END:
        base = file->fileSize;
        break;
    default:
        return -1;
    }
    const std::int64_t target = base + offset;
    return file->seek(target) ? static_cast<LONG>(target) : -1;
}

MMRESULT mmioGetInfo(HMMIO handle, LPMMIOINFO info, UINT /*flags*/) {
    HMMIO__* file = lookUp(handle);
    if (file == nullptr) {
        return MMSYSERR_INVALHANDLE;
    }
    if (info == nullptr) {
        return MMSYSERR_INVALPARAM;
    }
    *info = file->info;
    return MMSYSERR_NOERROR;
}

MMRESULT mmioSetInfo(HMMIO handle, const MMIOINFO* info, UINT /*flags*/) {
    HMMIO__* file = lookUp(handle);
    if (file == nullptr) {
        return MMSYSERR_INVALHANDLE;
    }
    if (info == nullptr || !file->takeBack(*info)) {
        return MMSYSERR_INVALPARAM;
    }
    return MMSYSERR_NOERROR;
}

MMRESULT mmioAdvance(HMMIO handle, LPMMIOINFO info, UINT flags) {
    HMMIO__* file = lookUp(handle);
    if (file == nullptr) {
        return MMSYSERR_INVALHANDLE;
    }
    if (flags != MMIO_READ) {
        return flags == MMIO_WRITE ? MMIOERR_CANNOTWRITE : MMSYSERR_INVALFLAG;
    }
    if (!file->buffered()) {
        return MMIOERR_UNBUFFERED;
    }
    if (info != nullptr && !file->takeBack(*info)) {
        return MMSYSERR_INVALPARAM;
    }
    if (file->refill() < 0) {
        return MMIOERR_CANNOTREAD;
    }
    if (info != nullptr) {
        *info = file->info;
    }
    return MMSYSERR_NOERROR;
}

MMRESULT mmioDescend(HMMIO handle, LPMMCKINFO ck, const MMCKINFO* parent, UINT flags) {
    HMMIO__* file = lookUp(handle);
    if (file == nullptr) {
        return MMSYSERR_INVALHANDLE;
    }
    if (ck == nullptr) {
        return MMSYSERR_INVALPARAM;
    }
    const UINT find = flags & (MMIO_FINDCHUNK | MMIO_FINDRIFF | MMIO_FINDLIST);
    if (find != 0 && find != MMIO_FINDCHUNK && find != MMIO_FINDRIFF && find != MMIO_FINDLIST) {
        return MMSYSERR_INVALFLAG;
    }

    // Everything the search may touch ends at the parent's end, or the file's.
    const std::int64_t start = file->position();
    std::int64_t end = file->fileSize;
    if (parent != nullptr) {
        end = std::min<std::int64_t>(end, static_cast<std::int64_t>(parent->dwDataOffset) +
                                              parent->cksize);
    }

    std::int64_t at = start;
    while (at + 8 <= end) {
        char header[12];
        if (!file->seek(at) || file->read(header, 8) != 8) {
            break;
        }
        const FOURCC id = readFourcc(header);
        const DWORD size = readFourcc(header + 4);
        const std::int64_t dataOffset = at + 8;
        if (dataOffset + size > end) {
            break; // the chunk claims more than there is
        }
        const bool hasFormType = id == FOURCC_RIFF || id == FOURCC_LIST;
        FOURCC formType = 0;
        if (hasFormType) {
            if (size < 4 || file->read(header + 8, 4) != 4) {
                break;
            }
            formType = readFourcc(header + 8);
        }

        bool match = true;
        if (find == MMIO_FINDCHUNK) {
            match = id == ck->ckid;
        } else if (find == MMIO_FINDRIFF) {
            match = id == FOURCC_RIFF && formType == ck->fccType;
        } else if (find == MMIO_FINDLIST) {
            match = id == FOURCC_LIST && formType == ck->fccType;
        }
        if (match) {
            ck->ckid = id;
            ck->cksize = size;
            ck->fccType = formType;
            ck->dwDataOffset = static_cast<DWORD>(dataOffset);
            ck->dwFlags = 0;
            file->seek(dataOffset + (hasFormType ? 4 : 0));
            return MMSYSERR_NOERROR;
        }
        at = dataOffset + size + (size & 1u);
    }
    file->seek(start);
    return MMIOERR_CHUNKNOTFOUND;
}

MMRESULT mmioAscend(HMMIO handle, LPMMCKINFO ck, UINT /*flags*/) {
    HMMIO__* file = lookUp(handle);
    if (file == nullptr) {
        return MMSYSERR_INVALHANDLE;
    }
    if (ck == nullptr) {
        return MMSYSERR_INVALPARAM;
    }
    std::int64_t end = static_cast<std::int64_t>(ck->dwDataOffset) + ck->cksize;
    if (end > file->fileSize) {
        return MMIOERR_CANNOTSEEK;
    }
    // The pad byte of an odd-sized chunk may be missing at the very end of a file.
    if ((ck->cksize & 1u) != 0 && end < file->fileSize) {
        ++end;
    }
    return file->seek(end) ? MMSYSERR_NOERROR : MMIOERR_CANNOTSEEK;
}
