// What OpenAL is given for a buffer's bytes. OpenAL plays 8- and 16-bit integer samples
// everywhere; wider integers and 32-bit floats are made 16-bit as they are uploaded,
// while the buffer keeps its bytes in the format it was made with (locks, the format
// it reports, duplicates).
#pragma once

#include <AL/al.h>

#include <cstddef>
#include <cstdint>
#include <optional>
#include <vector>

#include "dsound/dsound.h"

struct SampleFormat {
    ALenum alFormat;      // what OpenAL is given
    unsigned sampleBytes; // one sample of one channel in the buffer
    bool isFloat;
    bool uploadsAsIs() const { return !isFloat && sampleBytes <= 2; }
};

// The way to play a wave format, or nothing when it cannot be played: integer PCM of 8,
// 16, 24 or 32 bits and float PCM of 32 bits, one or two channels, plain or extensible,
// at a rate a buffer takes, with a block alignment that matches.
std::optional<SampleFormat> sampleFormatOf(const WAVEFORMATEX& format);

// count bytes of samples in format as 16-bit samples: floats clipped to [-1, 1] and
// rounded (NaN as silence), wider integers cut to their top 16 bits. For the formats
// that do not upload as they are.
std::vector<std::int16_t> toSixteenBits(const SampleFormat& format, const BYTE* bytes,
                                        std::size_t count);
