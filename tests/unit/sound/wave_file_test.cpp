#include "assets/sound/WaveFile.h"
#include "win32/resources.h"

#include "sound_test_support.h"

#include <gtest/gtest.h>

using namespace soundtest;

namespace {

// Opens bytes through a file on disk, or (no such file) through a WAVE resource.
struct Opened {
    HRESULT hr;
    DWORD size;
};

Opened openFile(const TempDir& dir, const Bytes& bytes) {
    WaveFile wave;
    const HRESULT hr = wave.open(dir.file("t.wav", bytes).c_str(), nullptr, WaveFile::kRead);
    return {hr, wave.size()};
}

Opened openResource(const Bytes& bytes) {
    RegisterResource("WAVE", "memory/t.wav", bytes.data(), static_cast<DWORD>(bytes.size()));
    WaveFile wave;
    const HRESULT hr = wave.open("memory/t.wav", nullptr, WaveFile::kRead);
    EXPECT_TRUE(UnregisterResource("WAVE", "memory/t.wav"));
    return {hr, wave.size()};
}

Bytes readAll(WaveFile& wave, DWORD piece) {
    Bytes out;
    Bytes buffer(piece);
    while (true) {
        DWORD got = 0;
        EXPECT_EQ(wave.read(buffer.data(), piece, &got), S_OK);
        if (got == 0) {
            break;
        }
        out.insert(out.end(), buffer.begin(), buffer.begin() + got);
    }
    return out;
}

} // namespace

TEST(WaveFile, EveryTruncationFailsCleanly) {
    const Bytes data = pattern(64);
    const Bytes full = pcmWave(22050, 1, 16, data);
    TempDir dir;
    ASSERT_EQ(openFile(dir, full).hr, S_OK);
    ASSERT_EQ(openResource(full).hr, S_OK);

    for (std::size_t length = 0; length < full.size(); ++length) {
        SCOPED_TRACE(length);
        const Bytes cut(full.begin(), full.begin() + static_cast<std::ptrdiff_t>(length));
        // The RIFF size still claims the whole file.
        EXPECT_TRUE(FAILED(openFile(dir, cut).hr));
        if (length > 0) { // an empty resource cannot even be looked up
            EXPECT_TRUE(FAILED(openResource(cut).hr));
        }
        // With a RIFF size that fits the cut, the "fmt " or "data" chunk is what runs
        // short, and is refused as well.
        if (length >= 8) {
            Bytes honest = cut;
            setU32(honest, 4, static_cast<std::uint32_t>(length - 8));
            const Opened file = openFile(dir, honest);
            EXPECT_TRUE(FAILED(file.hr));
            EXPECT_EQ(file.size, 0u);
            EXPECT_TRUE(FAILED(openResource(honest).hr));
        }
    }
}

TEST(WaveFile, MalformedFilesFailToOpen) {
    const Bytes fmt = fmtBody(1, 1, 22050, 16);
    const Bytes data = pattern(32);
    const std::vector<std::pair<const char*, Bytes>> cases = {
        {"empty", {}},
        {"not RIFF", riff("WAVE", {chunk("fmt ", fmt), chunk("data", data)}, "RIFX")},
        {"not WAVE", riff("AVI ", {chunk("fmt ", fmt), chunk("data", data)})},
        {"no fmt", riff("WAVE", {chunk("data", data)})},
        {"no data", riff("WAVE", {chunk("fmt ", fmt)})},
        {"fmt under 16 bytes",
         riff("WAVE", {chunk("fmt ", Bytes(fmt.begin(), fmt.begin() + 14)), chunk("data", data)})},
        {"fmt claims more", riff("WAVE", {chunk("fmt ", fmt, 4000), chunk("data", data)})},
        {"data claims more", riff("WAVE", {chunk("fmt ", fmt), chunk("data", data, 33)})},
        {"data chunk inside a list",
         riff("WAVE", {chunk("fmt ", fmt), chunk("LIST",
                                                 [&] {
                                                     Bytes b{'w', 'a', 'v', 'l'};
                                                     const Bytes d = chunk("data", data);
                                                     b.insert(b.end(), d.begin(), d.end());
                                                     return b;
                                                 }())})},
        // A non-PCM format needs its cbSize, and its extra bytes inside the chunk.
        {"no cbSize", riff("WAVE", {chunk("fmt ", fmtBody(2, 1, 22050, 4)), chunk("data", data)})},
        {"extra bytes past the chunk", riff("WAVE", {chunk("fmt ",
                                                           [] {
                                                               Bytes b = fmtBody(2, 1, 22050, 4);
                                                               putU16(b, 32); // but only 2 follow
                                                               putU16(b, 0);
                                                               return b;
                                                           }()),
                                                     chunk("data", data)})},
    };
    TempDir dir;
    for (const auto& [name, bytes] : cases) {
        SCOPED_TRACE(name);
        const Opened file = openFile(dir, bytes);
        EXPECT_TRUE(FAILED(file.hr));
        EXPECT_EQ(file.size, 0u);
        if (!bytes.empty()) {
            EXPECT_TRUE(FAILED(openResource(bytes).hr));
        }
    }
}

TEST(WaveFile, FindsChunksInAnyOrder) {
    // Other chunks before "fmt ", an odd-sized one among them, and "fmt " after "data".
    const Bytes data = pattern(41);
    const Bytes bytes = riff("WAVE", {chunk("JUNK", Bytes(5, 0xEE)), chunk("data", data),
                                      chunk("fmt ", fmtBody(1, 1, 8000, 8))});
    TempDir dir;
    WaveFile wave;
    ASSERT_EQ(wave.open(dir.file("order.wav", bytes).c_str(), nullptr, WaveFile::kRead), S_OK);
    EXPECT_EQ(wave.size(), 41u);
    EXPECT_EQ(wave.format()->nSamplesPerSec, 8000u);
    EXPECT_EQ(readAll(wave, 16), data);
}

TEST(WaveFile, NonPcmFormatKeepsItsExtraBytes) {
    // WAVE_FORMAT_EXTENSIBLE: 22 extra bytes (valid bits, channel mask, subformat).
    Bytes extra;
    putU16(extra, 16);
    putU32(extra, 0x4);
    const BYTE pcmSubtype[16] = {1, 0, 0, 0, 0, 0, 0x10, 0, 0x80, 0, 0, 0xAA, 0, 0x38, 0x9B, 0x71};
    extra.insert(extra.end(), pcmSubtype, pcmSubtype + 16);
    Bytes fmt = fmtBodyWithExtra(WAVE_FORMAT_EXTENSIBLE, 1, 22050, 16, extra);
    fmt.push_back(0x77); // the chunk may hold more than the format uses
    fmt.push_back(0x77);
    const Bytes bytes = riff("WAVE", {chunk("fmt ", fmt), chunk("data", pattern(20))});

    TempDir dir;
    WaveFile wave;
    ASSERT_EQ(wave.open(dir.file("ext.wav", bytes).c_str(), nullptr, WaveFile::kRead), S_OK);
    ASSERT_EQ(wave.formatSize(), 18u + 22u);
    const WAVEFORMATEX* format = wave.format();
    EXPECT_EQ(format->wFormatTag, WAVE_FORMAT_EXTENSIBLE);
    EXPECT_EQ(format->cbSize, 22);
    const auto* after = reinterpret_cast<const BYTE*>(format) + sizeof(WAVEFORMATEX);
    EXPECT_EQ(Bytes(after, after + 22), extra);
    EXPECT_EQ(readAll(wave, 7), pattern(20));
}

TEST(WaveFile, ReadsTheDataChunkExactlyAcrossBufferRefills) {
    // More data than one I/O buffer, followed by another chunk that must not leak in.
    const Bytes data = pattern(20001);
    const Bytes bytes = riff("WAVE", {chunk("fmt ", fmtBody(1, 1, 22050, 8)), chunk("data", data),
                                      chunk("JUNK", Bytes(64, 0xAB))});
    TempDir dir;
    RegisterResource("WAV", "memory/long.wav", bytes.data(), static_cast<DWORD>(bytes.size()));
    for (const std::string& name : {dir.file("long.wav", bytes), std::string("memory/long.wav")}) {
        SCOPED_TRACE(name);
        WaveFile wave;
        ASSERT_EQ(wave.open(name.c_str(), nullptr, WaveFile::kRead), S_OK);
        EXPECT_EQ(wave.fromResource(), name.rfind("memory", 0) == 0);
        EXPECT_EQ(readAll(wave, 777), data);
        // Reset goes back to the start of the data.
        ASSERT_EQ(wave.resetFile(), S_OK);
        Bytes head(10);
        DWORD got = 0;
        ASSERT_EQ(wave.read(head.data(), 10, &got), S_OK);
        EXPECT_EQ(head, Bytes(data.begin(), data.begin() + 10));
        EXPECT_EQ(wave.read(nullptr, 10, &got), E_INVALIDARG);
        ASSERT_EQ(wave.close(), S_OK);
        EXPECT_EQ(wave.read(head.data(), 10, &got), CO_E_NOTINITIALIZED);
    }
    EXPECT_TRUE(UnregisterResource("WAV", "memory/long.wav"));
}

TEST(WaveFile, ResourcesStandInForMissingFiles) {
    const Bytes wave8k = pcmWave(8000, 1, 16, pattern(16));
    const Bytes wave11k = pcmWave(11025, 1, 16, pattern(16));

    // "WAVE" is looked for before "WAV"; names compare without case.
    RegisterResource("WAV", "Sounds/Bell.wav", wave11k.data(), static_cast<DWORD>(wave11k.size()));
    WaveFile wave;
    ASSERT_EQ(wave.open("sounds/bell.WAV", nullptr, WaveFile::kRead), S_OK);
    EXPECT_EQ(wave.format()->nSamplesPerSec, 11025u);
    RegisterResource("wave", "sounds/bell.wav", wave8k.data(), static_cast<DWORD>(wave8k.size()));
    ASSERT_EQ(wave.open("sounds/bell.wav", nullptr, WaveFile::kRead), S_OK);
    EXPECT_EQ(wave.format()->nSamplesPerSec, 8000u);

    // The open file reads its own copy, whatever becomes of the resource.
    ClearResources();
    EXPECT_EQ(readAll(wave, 5), pattern(16));

    // Nothing registered, or nothing in it.
    EXPECT_EQ(wave.open("sounds/bell.wav", nullptr, WaveFile::kRead), E_FAIL);
    RegisterResource("WAVE", "empty.wav", nullptr, 0);
    EXPECT_EQ(wave.open("empty.wav", nullptr, WaveFile::kRead), E_FAIL);
    EXPECT_EQ(wave.size(), 0u);
    EXPECT_EQ(wave.open("empty.wav", nullptr, WaveFile::kWrite), E_NOTIMPL);
    ClearResources();
}
