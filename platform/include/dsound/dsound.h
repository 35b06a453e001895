// DirectSound 8 as the engine uses it: one device, secondary buffers of PCM (integer
// samples of 8 to 32 bits, or 32-bit floats) that are filled through Lock/Unlock and played with
// volume, pan and frequency control. OpenAL Soft does the mixing: every buffer is one OpenAL
// source, and the bytes written between Lock and Unlock reach OpenAL at Unlock.
//
// Where the machine has no usable audio device, DirectSoundCreate8 still succeeds with
// a silent device that plays in real time into nothing, so that the program behaves
// the same, only quietly. It fails (DSERR_NODRIVER) only when OpenAL cannot give us
// even that.
#pragma once

#include "d3d9/unknown.h"
#include "mmio/mmreg.h"
#include "win32/win32.h"

#ifndef GUID_DEFINED
#define GUID_DEFINED
struct GUID {
    DWORD Data1;
    WORD Data2;
    WORD Data3;
    BYTE Data4[8];
};
#endif

using LPGUID = GUID*;
using LPCGUID = const GUID*;

inline bool operator==(const GUID& a, const GUID& b) {
    return a.Data1 == b.Data1 && a.Data2 == b.Data2 && a.Data3 == b.Data3 &&
           a.Data4[0] == b.Data4[0] && a.Data4[1] == b.Data4[1] && a.Data4[2] == b.Data4[2] &&
           a.Data4[3] == b.Data4[3] && a.Data4[4] == b.Data4[4] && a.Data4[5] == b.Data4[5] &&
           a.Data4[6] == b.Data4[6] && a.Data4[7] == b.Data4[7];
}

inline constexpr GUID GUID_NULL{0, 0, 0, {0, 0, 0, 0, 0, 0, 0, 0}};
// No 3-D processing is provided; the default algorithm is the only one accepted.
inline constexpr GUID DS3DALG_DEFAULT = GUID_NULL;
inline constexpr GUID DSDEVID_DefaultPlayback{
    0xDEF00000, 0x9C6D, 0x47ED, {0xAA, 0xF1, 0x4D, 0xDA, 0x8F, 0x2B, 0x5C, 0x03}};

// Result codes.
constexpr HRESULT MAKE_DSHRESULT(DWORD code) {
    return static_cast<HRESULT>(0x88780000u | code);
}

constexpr HRESULT DS_OK = S_OK;
constexpr HRESULT DS_NO_VIRTUALIZATION = static_cast<HRESULT>(0x0878000Au);
constexpr HRESULT DSERR_ALLOCATED = MAKE_DSHRESULT(10);
constexpr HRESULT DSERR_CONTROLUNAVAIL = MAKE_DSHRESULT(30);
constexpr HRESULT DSERR_INVALIDPARAM = E_INVALIDARG;
constexpr HRESULT DSERR_INVALIDCALL = MAKE_DSHRESULT(50);
constexpr HRESULT DSERR_GENERIC = E_FAIL;
constexpr HRESULT DSERR_PRIOLEVELNEEDED = MAKE_DSHRESULT(70);
constexpr HRESULT DSERR_OUTOFMEMORY = E_OUTOFMEMORY;
constexpr HRESULT DSERR_BADFORMAT = MAKE_DSHRESULT(100);
constexpr HRESULT DSERR_UNSUPPORTED = E_NOTIMPL;
constexpr HRESULT DSERR_NODRIVER = MAKE_DSHRESULT(120);
constexpr HRESULT DSERR_ALREADYINITIALIZED = MAKE_DSHRESULT(130);
constexpr HRESULT DSERR_NOAGGREGATION = static_cast<HRESULT>(0x80040110u);
constexpr HRESULT DSERR_BUFFERLOST = MAKE_DSHRESULT(150);
constexpr HRESULT DSERR_OTHERAPPHASPRIO = MAKE_DSHRESULT(160);
constexpr HRESULT DSERR_UNINITIALIZED = MAKE_DSHRESULT(170);
constexpr HRESULT DSERR_BUFFERTOOSMALL = MAKE_DSHRESULT(180);

// Cooperative levels.
constexpr DWORD DSSCL_NORMAL = 0x00000001;
constexpr DWORD DSSCL_PRIORITY = 0x00000002;
constexpr DWORD DSSCL_EXCLUSIVE = 0x00000003;
constexpr DWORD DSSCL_WRITEPRIMARY = 0x00000004;

// Buffer creation flags.
constexpr DWORD DSBCAPS_PRIMARYBUFFER = 0x00000001;
constexpr DWORD DSBCAPS_STATIC = 0x00000002;
constexpr DWORD DSBCAPS_LOCHARDWARE = 0x00000004;
constexpr DWORD DSBCAPS_LOCSOFTWARE = 0x00000008;
constexpr DWORD DSBCAPS_CTRL3D = 0x00000010;
constexpr DWORD DSBCAPS_CTRLFREQUENCY = 0x00000020;
constexpr DWORD DSBCAPS_CTRLPAN = 0x00000040;
constexpr DWORD DSBCAPS_CTRLVOLUME = 0x00000080;
constexpr DWORD DSBCAPS_CTRLPOSITIONNOTIFY = 0x00000100;
constexpr DWORD DSBCAPS_CTRLFX = 0x00000200;
constexpr DWORD DSBCAPS_STICKYFOCUS = 0x00004000;
constexpr DWORD DSBCAPS_GLOBALFOCUS = 0x00008000;
constexpr DWORD DSBCAPS_GETCURRENTPOSITION2 = 0x00010000;
constexpr DWORD DSBCAPS_MUTE3DATMAXDISTANCE = 0x00020000;
constexpr DWORD DSBCAPS_LOCDEFER = 0x00040000;
constexpr DWORD DSBCAPS_TRUEPLAYPOSITION = 0x00080000;

// Play flags.
constexpr DWORD DSBPLAY_LOOPING = 0x00000001;
constexpr DWORD DSBPLAY_LOCHARDWARE = 0x00000002;
constexpr DWORD DSBPLAY_LOCSOFTWARE = 0x00000004;
constexpr DWORD DSBPLAY_TERMINATEBY_TIME = 0x00000008;
constexpr DWORD DSBPLAY_TERMINATEBY_DISTANCE = 0x00000010;
constexpr DWORD DSBPLAY_TERMINATEBY_PRIORITY = 0x00000020;

// Status bits.
constexpr DWORD DSBSTATUS_PLAYING = 0x00000001;
constexpr DWORD DSBSTATUS_BUFFERLOST = 0x00000002;
constexpr DWORD DSBSTATUS_LOOPING = 0x00000004;
constexpr DWORD DSBSTATUS_LOCHARDWARE = 0x00000008;
constexpr DWORD DSBSTATUS_LOCSOFTWARE = 0x00000010;
constexpr DWORD DSBSTATUS_TERMINATED = 0x00000020;

// Lock flags.
constexpr DWORD DSBLOCK_FROMWRITECURSOR = 0x00000001;
constexpr DWORD DSBLOCK_ENTIREBUFFER = 0x00000002;

// Ranges. Volume is attenuation in hundredths of a decibel; pan attenuates the other
// side by as much; a frequency of 0 (DSBFREQUENCY_ORIGINAL) is the buffer's own rate.
constexpr LONG DSBVOLUME_MIN = -10000;
constexpr LONG DSBVOLUME_MAX = 0;
constexpr LONG DSBPAN_LEFT = -10000;
constexpr LONG DSBPAN_CENTER = 0;
constexpr LONG DSBPAN_RIGHT = 10000;
constexpr DWORD DSBFREQUENCY_ORIGINAL = 0;
constexpr DWORD DSBFREQUENCY_MIN = 100;
constexpr DWORD DSBFREQUENCY_MAX = 200000;
constexpr DWORD DSBSIZE_MIN = 4;
constexpr DWORD DSBSIZE_MAX = 0x0FFFFFFF;

struct DSBUFFERDESC {
    DWORD dwSize;
    DWORD dwFlags;
    DWORD dwBufferBytes;
    DWORD dwReserved;
    LPWAVEFORMATEX lpwfxFormat;
    GUID guid3DAlgorithm;
};
using LPDSBUFFERDESC = DSBUFFERDESC*;
using LPCDSBUFFERDESC = const DSBUFFERDESC*;

struct DSBCAPS {
    DWORD dwSize;
    DWORD dwFlags;
    DWORD dwBufferBytes;
    DWORD dwUnlockTransferRate;
    DWORD dwPlayCpuOverhead;
};
using LPDSBCAPS = DSBCAPS*;

// A secondary buffer. Lock hands out one or two regions of the buffer's memory (two
// when the range wraps past the end); Unlock sends the buffer to OpenAL, and buffers
// made with DuplicateSoundBuffer share that memory. Play on a buffer that is already
// playing keeps it playing where it is and takes the new looping flag; Stop keeps the
// play position, so a later Play goes on from there.
class IDirectSoundBuffer : public IUnknown {
public:
    virtual HRESULT GetCaps(LPDSBCAPS caps) = 0;
    virtual HRESULT GetCurrentPosition(DWORD* currentPlayCursor, DWORD* currentWriteCursor) = 0;
    // Writes at most sizeAllocated bytes of the format; sizeWritten gets the full size.
    virtual HRESULT GetFormat(LPWAVEFORMATEX format, DWORD sizeAllocated, DWORD* sizeWritten) = 0;
    virtual HRESULT GetVolume(LONG* volume) = 0;
    virtual HRESULT GetPan(LONG* pan) = 0;
    virtual HRESULT GetFrequency(DWORD* frequency) = 0;
    virtual HRESULT GetStatus(DWORD* status) = 0;
    [[nodiscard]] virtual HRESULT Lock(DWORD offset, DWORD bytes, void** audioPtr1,
                                       DWORD* audioBytes1, void** audioPtr2, DWORD* audioBytes2,
                                       DWORD flags) = 0;
    virtual HRESULT Play(DWORD reserved1, DWORD priority, DWORD flags) = 0;
    virtual HRESULT SetCurrentPosition(DWORD newPosition) = 0;
    virtual HRESULT SetFormat(LPCWAVEFORMATEX format) = 0;
    virtual HRESULT SetVolume(LONG volume) = 0;
    virtual HRESULT SetPan(LONG pan) = 0;
    virtual HRESULT SetFrequency(DWORD frequency) = 0;
    virtual HRESULT Stop() = 0;
    virtual HRESULT Unlock(void* audioPtr1, DWORD audioBytes1, void* audioPtr2,
                           DWORD audioBytes2) = 0;
    // Gives a lost buffer back its memory, filled with silence: the owner writes its
    // sound again.
    [[nodiscard]] virtual HRESULT Restore() = 0;
};
using LPDIRECTSOUNDBUFFER = IDirectSoundBuffer*;

class IDirectSound8 : public IUnknown {
public:
    // dwSize must be sizeof(DSBUFFERDESC). Secondary buffers of PCM, integer samples of
    // 8, 16, 24 or 32 bits or float samples of 32 bits (plain or extensible), one or two
    // channels; other formats fail with DSERR_BADFORMAT, primary and 3-D buffers with
    // DSERR_UNSUPPORTED.
    [[nodiscard]] virtual HRESULT
    CreateSoundBuffer(LPCDSBUFFERDESC desc, LPDIRECTSOUNDBUFFER* buffer, IUnknown* outer) = 0;
    // Buffers made with DSBCAPS_CTRLFX cannot be duplicated (DSERR_INVALIDCALL).
    virtual HRESULT DuplicateSoundBuffer(LPDIRECTSOUNDBUFFER original,
                                         LPDIRECTSOUNDBUFFER* duplicate) = 0;
    // Buffers play only once a cooperative level has been set.
    [[nodiscard]] virtual HRESULT SetCooperativeLevel(HWND window, DWORD level) = 0;
    virtual HRESULT Compact() = 0;
};
using LPDIRECTSOUND8 = IDirectSound8*;

// device: null, GUID_NULL or DSDEVID_DefaultPlayback for the default output.
HRESULT DirectSoundCreate8(LPCGUID device, LPDIRECTSOUND8* directSound, IUnknown* outer);
