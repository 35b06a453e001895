#include "SampleFormat.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstring>

namespace {

// The extensible format's subtype is a GUID whose first word is the plain format tag.
constexpr GUID kSubtypePcm{
    0x00000001, 0x0000, 0x0010, {0x80, 0x00, 0x00, 0xAA, 0x00, 0x38, 0x9B, 0x71}};
constexpr GUID kSubtypeFloat{
    0x00000003, 0x0000, 0x0010, {0x80, 0x00, 0x00, 0xAA, 0x00, 0x38, 0x9B, 0x71}};

// The plain tag of a format; an extensible one by its subtype (0 when unknown).
WORD plainTag(const WAVEFORMATEX& format) {
    if (format.wFormatTag != WAVE_FORMAT_EXTENSIBLE) {
        return format.wFormatTag;
    }
    if (format.cbSize < 22) {
        return 0;
    }
    GUID subtype;
    std::memcpy(&subtype, reinterpret_cast<const BYTE*>(&format) + sizeof(WAVEFORMATEX) + 6,
                sizeof subtype);
    return subtype == kSubtypePcm     ? WAVE_FORMAT_PCM
           : subtype == kSubtypeFloat ? WAVE_FORMAT_IEEE_FLOAT
                                      : 0;
}

std::int16_t fromFloat(float value) {
    if (!(value == value)) {
        return 0;
    }
    return static_cast<std::int16_t>(std::lround(std::clamp(value, -1.0f, 1.0f) * 32767.0f));
}

} // namespace

std::optional<SampleFormat> sampleFormatOf(const WAVEFORMATEX& format) {
    const WORD tag = plainTag(format);
    const WORD bits = format.wBitsPerSample;
    const bool isFloat = tag == WAVE_FORMAT_IEEE_FLOAT;
    const bool integerBits = bits == 8 || bits == 16 || bits == 24 || bits == 32;
    if (!(tag == WAVE_FORMAT_PCM && integerBits) && !(isFloat && bits == 32)) {
        return std::nullopt;
    }
    if (format.nChannels != 1 && format.nChannels != 2) {
        return std::nullopt;
    }
    if (format.nSamplesPerSec < DSBFREQUENCY_MIN || format.nSamplesPerSec > DSBFREQUENCY_MAX ||
        format.nBlockAlign != format.nChannels * (bits / 8)) {
        return std::nullopt;
    }
    const bool mono = format.nChannels == 1;
    const ALenum alFormat = bits == 8 ? (mono ? AL_FORMAT_MONO8 : AL_FORMAT_STEREO8)
                                      : (mono ? AL_FORMAT_MONO16 : AL_FORMAT_STEREO16);
    return SampleFormat{alFormat, bits / 8u, isFloat};
}

std::vector<std::int16_t> toSixteenBits(const SampleFormat& format, const BYTE* bytes,
                                        std::size_t count) {
    const std::size_t samples = count / format.sampleBytes;
    std::vector<std::int16_t> out(samples);
    for (std::size_t i = 0; i < samples; ++i) {
        const BYTE* sample = bytes + i * format.sampleBytes;
        std::uint32_t word = 0;
        for (unsigned b = 0; b < format.sampleBytes; ++b) {
            word |= std::uint32_t{sample[b]} << (8 * b);
        }
        if (format.isFloat) {
            float value;
            std::memcpy(&value, &word, sizeof value);
            out[i] = fromFloat(value);
        } else {
            // The top 16 bits of the sample, its sign where the word's is.
            word <<= 32 - 8 * format.sampleBytes;
            out[i] = static_cast<std::int16_t>(static_cast<std::int32_t>(word) >> 16);
        }
    }
    return out;
}
