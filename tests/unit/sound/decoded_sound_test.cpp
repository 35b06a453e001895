#include "assets/sound/DecodedSound.h"
#include "assets/sound/OpenSoundFile.h"
#include "assets/sound/WaveFile.h"

#include "sound_test_support.h"

#include <gtest/gtest.h>
#include <sndfile.h>

#include <cmath>
#include <functional>
#include <limits>
#include <sys/stat.h>

using namespace soundtest;

namespace {

const std::string kSamples = TW_SOURCE_DIR "/samples/sounds/";

Bytes fileBytes(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return Bytes(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

// The data chunk of a sample wave, as the wave reader gives it.
Bytes wavePcm(const std::string& path) {
    WaveFile wave;
    EXPECT_EQ(wave.open(path.c_str(), nullptr, WaveFile::kRead), S_OK) << path;
    Bytes pcm(wave.size());
    DWORD got = 0;
    EXPECT_EQ(wave.read(pcm.data(), wave.size(), &got), S_OK);
    return pcm;
}

std::vector<std::int16_t> toSamples(const Bytes& pcm) {
    std::vector<std::int16_t> samples(pcm.size() / 2);
    std::memcpy(samples.data(), pcm.data(), samples.size() * 2);
    return samples;
}

Bytes toPcm(const std::vector<std::int16_t>& samples) {
    Bytes pcm(samples.size() * 2);
    std::memcpy(pcm.data(), samples.data(), pcm.size());
    return pcm;
}

// Signal to error, in decibels; infinite when the two are the same.
double snr(const Bytes& expectedPcm, const Bytes& decodedPcm) {
    const auto expected = toSamples(expectedPcm);
    const auto decoded = toSamples(decodedPcm);
    double signal = 0.0;
    double error = 0.0;
    for (std::size_t i = 0; i < expected.size(); ++i) {
        signal += static_cast<double>(expected[i]) * expected[i];
        const double difference = static_cast<double>(decoded[i]) - expected[i];
        error += difference * difference;
    }
    return error == 0.0 ? std::numeric_limits<double>::infinity()
                        : 10.0 * std::log10(signal / error);
}

// Interleaved 16-bit samples: a sine per channel, a fifth apart.
std::vector<std::int16_t> tones(int rate, int channels, double seconds, double amplitude) {
    const auto frames = static_cast<std::size_t>(rate * seconds);
    std::vector<std::int16_t> samples;
    for (std::size_t i = 0; i < frames; ++i) {
        for (int c = 0; c < channels; ++c) {
            const double t = static_cast<double>(i) / rate;
            const double s =
                amplitude * std::sin(2 * std::numbers::pi * (440.0 * (1 + c * 0.5)) * t);
            samples.push_back(static_cast<std::int16_t>(std::lround(s * 32767)));
        }
    }
    return samples;
}

// Full-scale square waves, whose lossy copy overshoots full scale.
std::vector<std::int16_t> squares(int rate, double seconds) {
    std::vector<std::int16_t> samples(static_cast<std::size_t>(rate * seconds));
    for (std::size_t i = 0; i < samples.size(); ++i) {
        samples[i] = (i / 50) % 2 == 0 ? std::int16_t{32767} : std::int16_t{-32767};
    }
    return samples;
}

// Writes samples through libsndfile; 24-bit FLAC gets each sample shifted up with
// 0x7F below it, which decoding to 16 bits must drop.
void encode(const std::string& path, int format, int rate, int channels,
            const std::vector<std::int16_t>& samples) {
    SF_INFO info{};
    info.samplerate = rate;
    info.channels = channels;
    info.format = format;
    SNDFILE* file = sf_open(path.c_str(), SFM_WRITE, &info);
    ASSERT_NE(file, nullptr) << sf_strerror(nullptr);
    const sf_count_t frames = static_cast<sf_count_t>(samples.size()) / channels;
    if ((format & SF_FORMAT_SUBMASK) == SF_FORMAT_PCM_24) {
        std::vector<int> wide;
        for (const std::int16_t s : samples) {
            wide.push_back(static_cast<int>((static_cast<unsigned>(s) << 16) | 0x7F00u));
        }
        EXPECT_EQ(sf_writef_int(file, wide.data(), frames), frames);
    } else {
        EXPECT_EQ(sf_writef_short(file, samples.data(), frames), frames);
    }
    sf_close(file);
}

// Where the last page of an Ogg stream starts.
std::size_t lastOggPage(const Bytes& ogg) {
    std::size_t last = 0;
    for (std::size_t at = 0; at + 27 <= ogg.size();) {
        last = at;
        const std::size_t segments = ogg[at + 26];
        std::size_t length = 27 + segments;
        for (std::size_t i = 0; i < segments; ++i) {
            length += ogg[at + 27 + i];
        }
        at += length;
    }
    return last;
}

Bytes readAll(SoundSource& source) {
    Bytes all;
    Bytes piece(1021);
    for (;;) {
        DWORD got = 0;
        EXPECT_EQ(source.read(piece.data(), static_cast<DWORD>(piece.size()), &got), S_OK);
        if (got == 0) {
            return all;
        }
        all.insert(all.end(), piece.begin(), piece.begin() + got);
    }
}

constexpr int kFlac16 = SF_FORMAT_FLAC | SF_FORMAT_PCM_16;
constexpr int kFlac24 = SF_FORMAT_FLAC | SF_FORMAT_PCM_24;
constexpr int kVorbis = SF_FORMAT_OGG | SF_FORMAT_VORBIS;
constexpr double kExact = std::numeric_limits<double>::infinity();

} // namespace

// What each file decodes to against the samples it was made from: FLAC bit for bit,
// Vorbis within its loss. The reader is chosen by the bytes, then by the name.
TEST(DecodedSound, DecodesToTheSamplesItWasMadeFrom) {
    TempDir dir;
    struct Case {
        std::string name;
        std::function<std::string()> make; // the file's path
        Bytes expected;
        WORD channels;
        DWORD rate;
        double minSnr; // decibels
    };
    const auto generated = [&dir](std::string name, int format, int rate, int channels,
                                  std::vector<std::int16_t> samples) {
        return [&dir, name, format, rate, channels, samples] {
            encode(dir.path(name), format, rate, channels, samples);
            return dir.path(name);
        };
    };
    const auto sample = [](const std::string& name) { return [name] { return kSamples + name; }; };
    const auto copied = [&dir](const std::string& from, const std::string& name) {
        return [&dir, from, name] { return dir.file(name, fileBytes(kSamples + from)); };
    };
    const Bytes roll = wavePcm(kSamples + "roll.wav");
    const auto stereo = tones(44100, 2, 0.5, 0.7);
    const auto mono = tones(8000, 1, 0.3, 0.9);
    const std::vector<Case> cases = {
        {"sample roll.flac", sample("roll.flac"), roll, 1, 22050, kExact},
        {"sample chime.ogg", sample("chime.ogg"), wavePcm(kSamples + "chime.wav"), 1, 22050, 25.0},
        {"stereo FLAC", generated("stereo.flac", kFlac16, 44100, 2, stereo), toPcm(stereo), 2,
         44100, kExact},
        {"24-bit FLAC", generated("wide.flac", kFlac24, 8000, 1, mono), toPcm(mono), 1, 8000,
         kExact},
        {"stereo Vorbis", generated("stereo.ogg", kVorbis, 44100, 2, stereo), toPcm(stereo), 2,
         44100, 25.0},
        // Overshoot past full scale is clipped; wrapped round, it would be loud clicks.
        {"clipped Vorbis", generated("square.ogg", kVorbis, 22050, 1, squares(22050, 0.5)),
         toPcm(squares(22050, 0.5)), 1, 22050, 10.0},
        {"FLAC named .wav", copied("roll.flac", "roll-flac.wav"), roll, 1, 22050, kExact},
        {"wave named .ogg", copied("roll.wav", "roll-wave.ogg"), roll, 1, 22050, kExact},
        {"FLAC after an ID3 tag",
         [&dir] {
             // A tag of 20 bytes (its size in 7-bit bytes), then the FLAC stream.
             Bytes tagged = {'I', 'D', '3', 4, 0, 0, 0, 0, 0, 20};
             tagged.resize(tagged.size() + 20, 0);
             const Bytes flac = fileBytes(kSamples + "roll.flac");
             tagged.insert(tagged.end(), flac.begin(), flac.end());
             return dir.file("tagged.flac", tagged);
         },
         roll, 1, 22050, kExact},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const std::string path = c.make();
        std::unique_ptr<SoundSource> source;
        ASSERT_EQ(openSoundFile(path.c_str(), &source), S_OK);
        const WAVEFORMATEX* format = source->format();
        EXPECT_EQ(format->wFormatTag, WAVE_FORMAT_PCM);
        EXPECT_EQ(format->wBitsPerSample, 16);
        EXPECT_EQ(format->nChannels, c.channels);
        EXPECT_EQ(format->nSamplesPerSec, c.rate);
        EXPECT_EQ(format->nBlockAlign, 2 * c.channels);
        EXPECT_EQ(format->nAvgBytesPerSec, 2 * c.channels * c.rate);
        ASSERT_EQ(source->size(), c.expected.size());
        const Bytes decoded = readAll(*source);
        ASSERT_EQ(decoded.size(), c.expected.size());
        if (c.minSnr == kExact) {
            EXPECT_TRUE(decoded == c.expected);
        } else {
            EXPECT_GE(snr(c.expected, decoded), c.minSnr);
        }
        // Read again from the start, as a buffer is filled after it was lost.
        ASSERT_EQ(source->resetFile(), S_OK);
        EXPECT_TRUE(readAll(*source) == decoded);
    }
}

TEST(DecodedSound, BadFilesAreRefusedWhole) {
    TempDir dir;
    const Bytes flac = fileBytes(kSamples + "roll.flac");
    const Bytes ogg = fileBytes(kSamples + "chime.ogg");
    const auto firstBytes = [](const Bytes& b, std::size_t n) {
        return Bytes(b.begin(), b.begin() + static_cast<std::ptrdiff_t>(n));
    };
    // STREAMINFO's 36-bit sample count: the low four bits of byte 21, then bytes 22-25.
    const auto claimingSamples = [&flac](std::uint64_t count) {
        Bytes b = flac;
        b[21] = static_cast<BYTE>((b[21] & 0xF0) | ((count >> 32) & 0x0F));
        for (int i = 0; i < 4; ++i) {
            b[22 + i] = static_cast<BYTE>(count >> (8 * (3 - i)));
        }
        return b;
    };
    Bytes oggGarbage = {'O', 'g', 'g', 'S'};
    const Bytes noise = pattern(3000);
    oggGarbage.insert(oggGarbage.end(), noise.begin(), noise.end());
    const std::vector<std::pair<std::string, std::function<std::string()>>> cases = {
        {"empty.ogg", [&] { return dir.file("empty.ogg", {}); }},
        {"empty.flac", [&] { return dir.file("empty.flac", {}); }},
        {"truncated.flac", [&] { return dir.file("cut.flac", firstBytes(flac, flac.size() / 2)); }},
        {"truncated.ogg", [&] { return dir.file("cut.ogg", firstBytes(ogg, ogg.size() - 100)); }},
        {"headers only.ogg", [&] { return dir.file("head.ogg", firstBytes(ogg, 200)); }},
        {"garbage.ogg", [&] { return dir.file("garbage.ogg", pattern(3000)); }},
        {"garbage.flac", [&] { return dir.file("garbage.flac", pattern(3000)); }},
        {"OggS then garbage", [&] { return dir.file("garbage.wav", oggGarbage); }},
        {"more samples claimed than held",
         [&] { return dir.file("short.flac", claimingSamples(11025 + 4096)); }},
        {"too long", [&] { return dir.file("long.flac", claimingSamples((1ull << 36) - 1)); }},
        {"three channels",
         [&] {
             encode(dir.path("three.flac"), kFlac16, 22050, 3, tones(22050, 3, 0.1, 0.5));
             return dir.path("three.flac");
         }},
        {"an Ogg file cut after a whole page",
         [&] {
             encode(dir.path("long.ogg"), kVorbis, 44100, 2, tones(44100, 2, 2.0, 0.5));
             const Bytes whole = fileBytes(dir.path("long.ogg"));
             return dir.file("long.ogg", firstBytes(whole, lastOggPage(whole)));
         }},
        {"an AIFF named .flac",
         [&] {
             encode(dir.path("aiff.flac"), SF_FORMAT_AIFF | SF_FORMAT_PCM_16, 22050, 1,
                    tones(22050, 1, 0.1, 0.5));
             return dir.path("aiff.flac");
         }},
        {"a FIFO",
         [&] {
             EXPECT_EQ(mkfifo(dir.path("pipe.ogg").c_str(), 0600), 0);
             return dir.path("pipe.ogg");
         }},
    };
    for (const auto& [name, make] : cases) {
        SCOPED_TRACE(name);
        const std::string path = make();
        std::unique_ptr<SoundSource> source;
        EXPECT_EQ(openSoundFile(path.c_str(), &source), E_FAIL);
        EXPECT_EQ(source, nullptr);
        // The decoder refuses them too when asked directly, which the reader chooser
        // leaves to the wave reader where the name is no file.
        std::unique_ptr<DecodedSound> decoded;
        EXPECT_EQ(DecodedSound::open(path.c_str(), &decoded), E_FAIL);
        EXPECT_EQ(decoded, nullptr);
    }
}
