#pragma once

#include "assets/sound/SoundSource.h"
#include "mmio/mmio.h"
#include "win32/win32.h"

#include <vector>

// Reads the format and the samples of a RIFF WAVE file: from disk, or, when there is
// no such file, from a "WAVE" or "WAV" resource of that name, copied into memory and
// read as a memory file. Only reading is provided.
//
// Every chunk is checked against what the file really holds: a file that is short,
// truncated, or whose chunk sizes claim more than is there fails to open, and the
// format's extra bytes must lie inside the "fmt " chunk.
class WaveFile : public SoundSource {
public:
    static constexpr DWORD kRead = 1;
    static constexpr DWORD kWrite = 2;

    WaveFile() = default;
    ~WaveFile() override;

    // format is for writing and is not used. Opening for writing is not provided
    // (E_NOTIMPL). After a failed open size() is 0.
    [[nodiscard]] HRESULT open(const char* fileName, const WAVEFORMATEX* format, DWORD flags);
    HRESULT close() override;

    // Goes back to the first byte of the "data" chunk.
    [[nodiscard]] HRESULT resetFile() override;
    // Copies up to sizeToRead bytes of what is left of the data chunk.
    [[nodiscard]] HRESULT read(BYTE* buffer, DWORD sizeToRead, DWORD* sizeRead) override;

    // Bytes in the data chunk.
    DWORD size() const override { return m_size; }
    // The full WAVEFORMATEX (with its cbSize extra bytes), or null before a good open.
    const WAVEFORMATEX* format() const override;
    DWORD formatSize() const override { return static_cast<DWORD>(m_format.size()); }
    bool fromResource() const override { return !m_resourceCopy.empty(); }

private:
    [[nodiscard]] HRESULT openResource(const char* name);
    [[nodiscard]] HRESULT readHeader();

    std::vector<BYTE> m_format;
    HMMIO m_hmmio = nullptr;
    MMCKINFO m_ck{};     // the data chunk; its size counts down as it is read
    MMCKINFO m_ckRiff{}; // the outer RIFF chunk
    DWORD m_size = 0;
    DWORD m_flags = 0;
    std::vector<BYTE> m_resourceCopy;
};
