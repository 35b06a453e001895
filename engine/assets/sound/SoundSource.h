#pragma once

#include "mmio/mmreg.h"
#include "win32/win32.h"

// Where a sound's samples come from once it is open: a wave file read as it is, or a
// compressed file decoded to 16-bit PCM. A buffered sound fills its buffers from one
// and keeps it for as long as it lives.
class SoundSource {
public:
    SoundSource() = default;
    SoundSource(const SoundSource&) = delete;
    SoundSource& operator=(const SoundSource&) = delete;
    virtual ~SoundSource() = default;

    virtual HRESULT close() = 0;
    // Goes back to the first sample.
    [[nodiscard]] virtual HRESULT resetFile() = 0;
    // Copies up to sizeToRead bytes of the samples not read yet.
    [[nodiscard]] virtual HRESULT read(BYTE* buffer, DWORD sizeToRead, DWORD* sizeRead) = 0;

    // Bytes of samples.
    virtual DWORD size() const = 0;
    // The full WAVEFORMATEX (with its cbSize extra bytes), or null before a good open.
    virtual const WAVEFORMATEX* format() const = 0;
    virtual DWORD formatSize() const = 0;
    virtual bool fromResource() const = 0;
};
