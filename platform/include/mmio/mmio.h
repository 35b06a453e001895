// Multimedia file I/O: buffered reading of files and memory blocks, and walking the
// chunks of RIFF files. Read access only; writing and custom I/O procedures are not
// provided.
//
// Unlike the functions it stands in for, every chunk that mmioDescend enters or
// steps over must lie wholly inside its parent chunk and inside the file: a short,
// truncated or lying file makes the descent fail, and no read ever goes past the end
// of the file or the memory block.
#pragma once

#include "mmio/mmreg.h"
#include "win32/win32.h"

#include <cstdint>
#include <cstdio> // SEEK_SET, SEEK_CUR, SEEK_END for mmioSeek

using FOURCC = DWORD;

constexpr FOURCC mmioFOURCC(char c0, char c1, char c2, char c3) {
    return static_cast<FOURCC>(static_cast<BYTE>(c0)) |
           (static_cast<FOURCC>(static_cast<BYTE>(c1)) << 8) |
           (static_cast<FOURCC>(static_cast<BYTE>(c2)) << 16) |
           (static_cast<FOURCC>(static_cast<BYTE>(c3)) << 24);
}

constexpr FOURCC FOURCC_RIFF = mmioFOURCC('R', 'I', 'F', 'F');
constexpr FOURCC FOURCC_LIST = mmioFOURCC('L', 'I', 'S', 'T');
constexpr FOURCC FOURCC_DOS = mmioFOURCC('D', 'O', 'S', ' ');
constexpr FOURCC FOURCC_MEM = mmioFOURCC('M', 'E', 'M', ' ');

struct HMMIO__;
using HMMIO = HMMIO__*;
using HPSTR = char*;
using MMRESULT = UINT;

// Custom I/O procedures are not supported; the field exists for the record's shape.
using LPMMIOPROC = std::intptr_t (*)(char* mmioinfo, UINT message, std::intptr_t param1,
                                     std::intptr_t param2);

// The buffer state of an open file. mmioGetInfo hands it out so that a reader can take
// bytes straight from pchNext up to pchEndRead; mmioAdvance refills the buffer, and
// mmioSetInfo hands the advanced pchNext back.
struct MMIOINFO {
    DWORD dwFlags;
    FOURCC fccIOProc;
    LPMMIOPROC pIOProc;
    UINT wErrorRet;
    HANDLE htask;
    LONG cchBuffer;
    HPSTR pchBuffer;
    HPSTR pchNext;
    HPSTR pchEndRead;
    HPSTR pchEndWrite;
    LONG lBufOffset;
    LONG lDiskOffset;
    DWORD adwInfo[3];
    DWORD dwReserved1;
    DWORD dwReserved2;
    HMMIO hmmio;
};
using LPMMIOINFO = MMIOINFO*;

// One RIFF chunk: dwDataOffset is the file offset of its data (for "RIFF" and "LIST"
// chunks, of the form type that starts the data); cksize counts the data bytes.
struct MMCKINFO {
    FOURCC ckid;
    DWORD cksize;
    FOURCC fccType;
    DWORD dwDataOffset;
    DWORD dwFlags;
};
using LPMMCKINFO = MMCKINFO*;

// Result codes.
constexpr MMRESULT MMSYSERR_NOERROR = 0;
constexpr MMRESULT MMSYSERR_ERROR = 1;
constexpr MMRESULT MMSYSERR_INVALHANDLE = 5;
constexpr MMRESULT MMSYSERR_NOMEM = 7;
constexpr MMRESULT MMSYSERR_NOTSUPPORTED = 8;
constexpr MMRESULT MMSYSERR_INVALFLAG = 10;
constexpr MMRESULT MMSYSERR_INVALPARAM = 11;
constexpr MMRESULT MMIOERR_BASE = 256;
constexpr MMRESULT MMIOERR_FILENOTFOUND = MMIOERR_BASE + 1;
constexpr MMRESULT MMIOERR_OUTOFMEMORY = MMIOERR_BASE + 2;
constexpr MMRESULT MMIOERR_CANNOTOPEN = MMIOERR_BASE + 3;
constexpr MMRESULT MMIOERR_CANNOTCLOSE = MMIOERR_BASE + 4;
constexpr MMRESULT MMIOERR_CANNOTREAD = MMIOERR_BASE + 5;
constexpr MMRESULT MMIOERR_CANNOTWRITE = MMIOERR_BASE + 6;
constexpr MMRESULT MMIOERR_CANNOTSEEK = MMIOERR_BASE + 7;
constexpr MMRESULT MMIOERR_CANNOTEXPAND = MMIOERR_BASE + 8;
constexpr MMRESULT MMIOERR_CHUNKNOTFOUND = MMIOERR_BASE + 9;
constexpr MMRESULT MMIOERR_UNBUFFERED = MMIOERR_BASE + 10;
constexpr MMRESULT MMIOERR_PATHNOTFOUND = MMIOERR_BASE + 11;
constexpr MMRESULT MMIOERR_ACCESSDENIED = MMIOERR_BASE + 12;

// mmioOpenA flags.
constexpr DWORD MMIO_RWMODE = 0x00000003;
constexpr DWORD MMIO_SHAREMODE = 0x00000070;
constexpr DWORD MMIO_READ = 0x00000000;
constexpr DWORD MMIO_WRITE = 0x00000001;
constexpr DWORD MMIO_READWRITE = 0x00000002;
constexpr DWORD MMIO_COMPAT = 0x00000000;
constexpr DWORD MMIO_EXCLUSIVE = 0x00000010;
constexpr DWORD MMIO_DENYWRITE = 0x00000020;
constexpr DWORD MMIO_DENYREAD = 0x00000030;
constexpr DWORD MMIO_DENYNONE = 0x00000040;
constexpr DWORD MMIO_CREATE = 0x00001000;
constexpr DWORD MMIO_PARSE = 0x00000100;
constexpr DWORD MMIO_DELETE = 0x00000200;
constexpr DWORD MMIO_EXIST = 0x00004000;
constexpr DWORD MMIO_ALLOCBUF = 0x00010000;
constexpr DWORD MMIO_GETTEMP = 0x00020000;
constexpr DWORD MMIO_DIRTY = 0x10000000;

// mmioDescend flags.
constexpr UINT MMIO_FINDCHUNK = 0x0010;
constexpr UINT MMIO_FINDRIFF = 0x0020;
constexpr UINT MMIO_FINDLIST = 0x0040;

// mmioClose flag.
constexpr UINT MMIO_FHOPEN = 0x0010;

constexpr LONG MMIO_DEFAULTBUFFER = 8192;

// Opens a file by name for reading, or, with an MMIOINFO whose fccIOProc is FOURCC_MEM,
// the memory block pchBuffer of cchBuffer bytes (not copied; it must outlive the
// handle). MMIO_ALLOCBUF gives a file an I/O buffer of cchBuffer bytes (default 8192);
// a memory file is always its own buffer. Returns null on failure, with the reason in
// info->wErrorRet when info is given.
HMMIO mmioOpenA(const char* fileName, LPMMIOINFO info, DWORD flags);
MMRESULT mmioClose(HMMIO handle, UINT flags);

// Returns the number of bytes read (fewer at the end of the file, 0 there), or -1.
LONG mmioRead(HMMIO handle, HPSTR destination, LONG count);
// Returns the new position, or -1 for a position before the start or past the end.
LONG mmioSeek(HMMIO handle, LONG offset, int origin);

MMRESULT mmioGetInfo(HMMIO handle, LPMMIOINFO info, UINT flags);
// Takes back the pchNext of an MMIOINFO got from mmioGetInfo; any other change to the
// buffer fields is refused with MMSYSERR_INVALPARAM.
MMRESULT mmioSetInfo(HMMIO handle, const MMIOINFO* info, UINT flags);
// Refills the I/O buffer from the position that info's pchNext stands for (MMIO_READ).
// At the end of the file it succeeds with pchNext equal to pchEndRead.
MMRESULT mmioAdvance(HMMIO handle, LPMMIOINFO info, UINT flags);

// Enters the chunk at the current position (no flag), or searches from there, within
// parent when given, for a chunk with ck->ckid (MMIO_FINDCHUNK), a "RIFF" (MMIO_FINDRIFF)
// or "LIST" (MMIO_FINDLIST) chunk with form type ck->fccType. On success ck describes
// the chunk and the position is at its data (after the form type for RIFF and LIST).
MMRESULT mmioDescend(HMMIO handle, LPMMCKINFO ck, const MMCKINFO* parent, UINT flags);
// Moves to the end of the chunk, past its pad byte when it has an odd size.
MMRESULT mmioAscend(HMMIO handle, LPMMCKINFO ck, UINT flags);
