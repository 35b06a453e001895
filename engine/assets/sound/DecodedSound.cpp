#include "assets/sound/DecodedSound.h"

#include "assets/sound/SoundContainer.h"
#include "win32/regular_file.h"

#include <sndfile.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstring>
#include <new>

namespace {

// The whole file in memory, handed to the decoder through its virtual I/O.
struct Memory {
    std::vector<BYTE> bytes;
    sf_count_t position = 0;
};

sf_count_t memoryLength(void* data) {
    return static_cast<sf_count_t>(static_cast<Memory*>(data)->bytes.size());
}

sf_count_t memorySeek(sf_count_t offset, int whence, void* data) {
    auto* memory = static_cast<Memory*>(data);
    const auto length = static_cast<sf_count_t>(memory->bytes.size());
    sf_count_t base = 0;
    if (whence == SEEK_CUR) {
        base = memory->position;
    } else if (whence == SEEK_END) {
        base = length;
    }
    if (offset < -base || offset > length - base) {
        return -1;
    }
    memory->position = base + offset;
    return memory->position;
}

sf_count_t memoryRead(void* into, sf_count_t count, void* data) {
    auto* memory = static_cast<Memory*>(data);
    const sf_count_t available = static_cast<sf_count_t>(memory->bytes.size()) - memory->position;
    const sf_count_t taken = std::clamp<sf_count_t>(count, 0, available);
    std::memcpy(into, memory->bytes.data() + memory->position, static_cast<std::size_t>(taken));
    memory->position += taken;
    return taken;
}

sf_count_t memoryWrite(const void* /*from*/, sf_count_t /*count*/, void* /*data*/) {
    return 0;
}

sf_count_t memoryTell(void* data) {
    return static_cast<Memory*>(data)->position;
}

struct SndfileCloser {
    void operator()(SNDFILE* file) const { sf_close(file); }
};
using Decoder = std::unique_ptr<SNDFILE, SndfileCloser>;

bool isVorbis(int format) {
    return (format & SF_FORMAT_TYPEMASK) == SF_FORMAT_OGG &&
           (format & SF_FORMAT_SUBMASK) == SF_FORMAT_VORBIS;
}

bool isFlac(int format) {
    return (format & SF_FORMAT_TYPEMASK) == SF_FORMAT_FLAC;
}

void append(std::vector<BYTE>& pcm, const short* samples, std::size_t count) {
    const auto* bytes = reinterpret_cast<const BYTE*>(samples);
    pcm.insert(pcm.end(), bytes, bytes + count * sizeof(short));
}

// Decodes every frame, in blocks, as 16-bit samples: FLAC as the integers it holds,
// Vorbis from its floats, clipped to full scale. False when the PCM would pass maxBytes.
bool decodeAll(SNDFILE* decoder, const SF_INFO& info, std::vector<BYTE>& pcm,
               std::size_t maxBytes) {
    constexpr sf_count_t kBlockFrames = 4096;
    const auto channels = static_cast<std::size_t>(info.channels);
    std::vector<short> block(kBlockFrames * channels);
    std::vector<float> floats(isVorbis(info.format) ? block.size() : 0);
    for (;;) {
        sf_count_t frames = 0;
        if (floats.empty()) {
            frames = sf_readf_short(decoder, block.data(), kBlockFrames);
        } else {
            frames = sf_readf_float(decoder, floats.data(), kBlockFrames);
            for (std::size_t i = 0; i < static_cast<std::size_t>(frames) * channels; ++i) {
                // NaN, which a broken stream may decode to, clamps to neither end.
                const float sample = std::isnan(floats[i]) ? 0.0f : floats[i];
                block[i] =
                    static_cast<short>(std::lrint(std::clamp(sample, -1.0f, 1.0f) * 32767.0f));
            }
        }
        if (frames <= 0) {
            return true;
        }
        const std::size_t samples = static_cast<std::size_t>(frames) * channels;
        if (pcm.size() + samples * sizeof(short) > maxBytes) {
            return false;
        }
        append(pcm, block.data(), samples);
    }
}

} // namespace

DecodedSound::DecodedSound(const WAVEFORMATEX& format, std::vector<BYTE> samples)
    : m_format(format), m_samples(std::move(samples)) {}

HRESULT DecodedSound::open(const char* fileName, std::unique_ptr<DecodedSound>* sound) {
    if (fileName == nullptr || sound == nullptr) {
        return E_INVALIDARG;
    }
    sound->reset();
    RegularFile file = RegularFile::open(fileName);
    // A file bigger than the most PCM a sound may hold is refused unread: neither format
    // is ever much bigger than the 16-bit PCM it decodes to.
    if (!file || file.size() == 0 || file.size() > kMaxBytes) {
        return E_FAIL;
    }
    try {
        Memory memory;
        memory.bytes.resize(static_cast<std::size_t>(file.size()));
        if (!file.readExactly(memory.bytes.data(), memory.bytes.size()) ||
            !isWholeOggVorbisOrFlac(memory.bytes)) {
            return E_FAIL;
        }
        SF_VIRTUAL_IO io{memoryLength, memorySeek, memoryRead, memoryWrite, memoryTell};
        SF_INFO info{};
        const Decoder decoder(sf_open_virtual(&io, SFM_READ, &info, &memory));
        if (decoder == nullptr || !(isVorbis(info.format) || isFlac(info.format)) ||
            info.channels < 1 || info.channels > 2 || info.samplerate <= 0 || info.frames < 0) {
            return E_FAIL;
        }
        const auto frameBytes = static_cast<std::size_t>(info.channels) * sizeof(short);
        // The length the header gives (0 when it does not know) refuses a sound too long
        // before any of it is decoded, and a stream that stops short of it after.
        const auto promised = static_cast<std::uint64_t>(info.frames);
        if (promised > kMaxBytes / frameBytes) {
            return E_FAIL;
        }
        std::vector<BYTE> pcm;
        if (!decodeAll(decoder.get(), info, pcm, kMaxBytes) || pcm.empty() ||
            (promised != 0 && pcm.size() != promised * frameBytes)) {
            return E_FAIL;
        }

        WAVEFORMATEX format{};
        format.wFormatTag = WAVE_FORMAT_PCM;
        format.nChannels = static_cast<WORD>(info.channels);
        format.nSamplesPerSec = static_cast<DWORD>(info.samplerate);
        format.wBitsPerSample = 16;
        format.nBlockAlign = static_cast<WORD>(frameBytes);
        format.nAvgBytesPerSec = format.nSamplesPerSec * format.nBlockAlign;
        *sound = std::make_unique<DecodedSound>(format, std::move(pcm));
    } catch (const std::bad_alloc&) {
        return E_OUTOFMEMORY;
    }
    return S_OK;
}

HRESULT DecodedSound::close() {
    m_open = false;
    m_samples.clear();
    m_samples.shrink_to_fit();
    return S_OK;
}

HRESULT DecodedSound::resetFile() {
    if (!m_open) {
        return CO_E_NOTINITIALIZED;
    }
    m_position = 0;
    return S_OK;
}

HRESULT DecodedSound::read(BYTE* buffer, DWORD sizeToRead, DWORD* sizeRead) {
    if (!m_open) {
        return CO_E_NOTINITIALIZED;
    }
    if (buffer == nullptr || sizeRead == nullptr) {
        return E_INVALIDARG;
    }
    const std::size_t taken = std::min<std::size_t>(sizeToRead, m_samples.size() - m_position);
    std::memcpy(buffer, m_samples.data() + m_position, taken);
    m_position += taken;
    *sizeRead = static_cast<DWORD>(taken);
    return S_OK;
}
