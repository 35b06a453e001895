// Builders for RIFF wave bytes, temporary files, and measurements of rendered sound.
#pragma once

#include "win32/win32.h"

#include <cmath>
#include <cstdint>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <initializer_list>
#include <numbers>
#include <string>
#include <unistd.h>
#include <vector>

namespace soundtest {

using Bytes = std::vector<BYTE>;

inline void putU16(Bytes& b, std::uint16_t v) {
    b.push_back(static_cast<BYTE>(v));
    b.push_back(static_cast<BYTE>(v >> 8));
}

inline void putU32(Bytes& b, std::uint32_t v) {
    for (int i = 0; i < 4; ++i) {
        b.push_back(static_cast<BYTE>(v >> (8 * i)));
    }
}

inline void setU32(Bytes& b, std::size_t at, std::uint32_t v) {
    for (int i = 0; i < 4; ++i) {
        b[at + i] = static_cast<BYTE>(v >> (8 * i));
    }
}

inline void putId(Bytes& b, const char* id) {
    b.insert(b.end(), id, id + 4);
}

// A chunk with its pad byte; size overrides the size field (for lying chunks).
inline Bytes chunk(const char* id, const Bytes& body, std::int64_t size = -1) {
    Bytes b;
    putId(b, id);
    putU32(b,
           size < 0 ? static_cast<std::uint32_t>(body.size()) : static_cast<std::uint32_t>(size));
    b.insert(b.end(), body.begin(), body.end());
    if (body.size() % 2 != 0) {
        b.push_back(0);
    }
    return b;
}

inline Bytes riff(const char* form, std::initializer_list<Bytes> chunks, const char* id = "RIFF") {
    Bytes body;
    putId(body, form);
    for (const Bytes& c : chunks) {
        body.insert(body.end(), c.begin(), c.end());
    }
    Bytes b;
    putId(b, id);
    putU32(b, static_cast<std::uint32_t>(body.size()));
    b.insert(b.end(), body.begin(), body.end());
    return b;
}

// The 16 bytes of a "fmt " chunk body; extra bytes (after a cbSize word) for other tags.
inline Bytes fmtBody(WORD tag, WORD channels, DWORD rate, WORD bits) {
    Bytes b;
    const WORD align = static_cast<WORD>(channels * bits / 8);
    putU16(b, tag);
    putU16(b, channels);
    putU32(b, rate);
    putU32(b, rate * align);
    putU16(b, align);
    putU16(b, bits);
    return b;
}

inline Bytes fmtBodyWithExtra(WORD tag, WORD channels, DWORD rate, WORD bits, const Bytes& extra) {
    Bytes b = fmtBody(tag, channels, rate, bits);
    putU16(b, static_cast<WORD>(extra.size()));
    b.insert(b.end(), extra.begin(), extra.end());
    return b;
}

inline Bytes pcmWave(DWORD rate, WORD channels, WORD bits, const Bytes& data) {
    return riff("WAVE", {chunk("fmt ", fmtBody(1, channels, rate, bits)), chunk("data", data)});
}

// 16-bit mono samples of a sine.
inline Bytes sine16(DWORD rate, double hz, double seconds, double amplitude = 0.5) {
    const auto count = static_cast<std::size_t>(rate * seconds);
    Bytes b;
    b.reserve(count * 2);
    for (std::size_t i = 0; i < count; ++i) {
        const double s =
            amplitude * std::sin(2.0 * std::numbers::pi * hz * static_cast<double>(i) / rate);
        putU16(b, static_cast<std::uint16_t>(static_cast<std::int16_t>(std::lround(s * 32767))));
    }
    return b;
}

// Mono samples of a sine in the given encoding: 8, 16, 24 or 32-bit integers, or 32-bit
// floats when asFloat.
inline Bytes sine(DWORD rate, double hz, double seconds, WORD bits, bool asFloat = false,
                  double amplitude = 0.5) {
    const auto count = static_cast<std::size_t>(rate * seconds);
    Bytes b;
    for (std::size_t i = 0; i < count; ++i) {
        const double s =
            amplitude * std::sin(2.0 * std::numbers::pi * hz * static_cast<double>(i) / rate);
        std::uint32_t word = 0;
        if (asFloat) {
            const auto f = static_cast<float>(s);
            std::memcpy(&word, &f, sizeof word);
        } else if (bits == 8) {
            word = static_cast<std::uint32_t>(std::lround(128 + s * 127));
        } else {
            const double top = std::ldexp(1.0, bits - 1) - 1;
            word = static_cast<std::uint32_t>(static_cast<std::int32_t>(std::llround(s * top)));
        }
        for (int byte = 0; byte < bits / 8; ++byte) {
            b.push_back(static_cast<BYTE>(word >> (8 * byte)));
        }
    }
    return b;
}

// A wave of 32-bit float samples (format tag 3, with an empty extra-bytes count).
inline Bytes floatWave(DWORD rate, WORD channels, const Bytes& data) {
    return riff("WAVE",
                {chunk("fmt ", fmtBodyWithExtra(3, channels, rate, 32, {})), chunk("data", data)});
}

// The extra bytes of WAVE_FORMAT_EXTENSIBLE: valid bits, channel mask, and the subtype
// whose first word is the plain format tag (1 integer PCM, 3 float).
inline Bytes extensibleExtra(WORD validBits, std::uint32_t subtypeTag) {
    Bytes extra;
    putU16(extra, validBits);
    putU32(extra, 0x4);
    putU32(extra, subtypeTag);
    const BYTE rest[12] = {0, 0, 0x10, 0, 0x80, 0, 0, 0xAA, 0, 0x38, 0x9B, 0x71};
    extra.insert(extra.end(), rest, rest + 12);
    return extra;
}

inline Bytes pattern(std::size_t count) {
    Bytes b(count);
    for (std::size_t i = 0; i < count; ++i) {
        b[i] = static_cast<BYTE>((i * 7 + i / 251) & 0xFF);
    }
    return b;
}

// A folder of its own under the system's temporary folder, removed with everything in it.
class TempDir {
public:
    TempDir() {
        std::string templ = (std::filesystem::temp_directory_path() / "tw-sound-XXXXXX").string();
        if (mkdtemp(templ.data()) != nullptr) {
            m_path = templ;
        }
    }
    TempDir(const TempDir&) = delete;
    TempDir& operator=(const TempDir&) = delete;
    ~TempDir() {
        std::error_code ignored;
        std::filesystem::remove_all(m_path, ignored);
    }

    std::string file(const std::string& name, const Bytes& bytes) const {
        const std::string full = (m_path / name).string();
        std::ofstream out(full, std::ios::binary | std::ios::trunc);
        out.write(reinterpret_cast<const char*>(bytes.data()),
                  static_cast<std::streamsize>(bytes.size()));
        return full;
    }
    std::string path(const std::string& name) const { return (m_path / name).string(); }

private:
    std::filesystem::path m_path;
};

// One channel of interleaved samples.
inline std::vector<float> channel(const std::vector<float>& samples, unsigned channels,
                                  unsigned which) {
    std::vector<float> out;
    for (std::size_t i = which; i < samples.size(); i += channels) {
        out.push_back(samples[i]);
    }
    return out;
}

inline double rms(const std::vector<float>& s, std::size_t from = 0, std::size_t to = SIZE_MAX) {
    to = std::min(to, s.size());
    if (from >= to) {
        return 0.0;
    }
    double sum = 0.0;
    for (std::size_t i = from; i < to; ++i) {
        sum += static_cast<double>(s[i]) * s[i];
    }
    return std::sqrt(sum / static_cast<double>(to - from));
}

// The frequency of a tone from its rising zero crossings, located to a fraction of a
// sample. A crossing counts only after the signal has been below -threshold, so that
// low-level noise near zero adds none.
inline double frequency(const std::vector<float>& s, double sampleRate, float threshold = 0.02f) {
    bool armed = false;
    double first = -1.0;
    double last = -1.0;
    int crossings = 0;
    for (std::size_t i = 1; i < s.size(); ++i) {
        if (s[i] < -threshold) {
            armed = true;
        }
        if (armed && s[i - 1] < 0.0f && s[i] >= 0.0f) {
            const double at = static_cast<double>(i - 1) + s[i - 1] / (s[i - 1] - s[i]);
            if (first < 0.0) {
                first = at;
            } else {
                ++crossings;
            }
            last = at;
            armed = false;
        }
    }
    return crossings == 0 ? 0.0 : crossings * sampleRate / (last - first);
}

} // namespace soundtest
