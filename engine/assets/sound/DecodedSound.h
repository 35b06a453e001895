#pragma once

#include "assets/sound/SoundSource.h"
#include "dsound/dsound.h"

#include <cstddef>
#include <memory>
#include <vector>

// An OGG Vorbis or FLAC file decoded at open to 16-bit PCM held in memory, read as the
// data chunk of a wave is. Vorbis samples beyond full scale are clipped, not wrapped.
//
// Refused (E_FAIL, nothing kept): a name that does not lead to a regular file, a file
// that fails the container checks (isWholeOggVorbisOrFlac) or that libsndfile cannot
// read, more than two channels, no samples, a FLAC stream that ends before the length
// its header gives, and more PCM than a sound buffer can hold (kMaxBytes).
class DecodedSound : public SoundSource {
public:
    static constexpr DWORD kMaxBytes = DSBSIZE_MAX;

    [[nodiscard]] static HRESULT open(const char* fileName, std::unique_ptr<DecodedSound>* sound);

    // Samples already decoded, laid out as format says.
    DecodedSound(const WAVEFORMATEX& format, std::vector<BYTE> samples);

    HRESULT close() override;
    [[nodiscard]] HRESULT resetFile() override;
    [[nodiscard]] HRESULT read(BYTE* buffer, DWORD sizeToRead, DWORD* sizeRead) override;

    DWORD size() const override { return static_cast<DWORD>(m_samples.size()); }
    const WAVEFORMATEX* format() const override { return &m_format; }
    DWORD formatSize() const override { return sizeof m_format; }
    bool fromResource() const override { return false; }

private:
    WAVEFORMATEX m_format;
    std::vector<BYTE> m_samples;
    std::size_t m_position = 0;
    bool m_open = true;
};
