// The wave reader, fed whatever bytes the fuzzer makes, along both roads a sound takes
// into the engine: a file on disk and a registered resource (a memory file). Each road
// goes on as far as a sound would: the wave is read, made into a buffer on a device
// that plays into nothing, and played at a few rates, volumes and pans.
#include "assets/sound/WaveFile.h"
#include "sound_fuzz_support.h"
#include "win32/resources.h"

#include <vector>

namespace {

constexpr const char* kResourceName = "tw-fuzz-resource.wav"; // no such file anywhere

// Reads the data chunk to its end in pieces of an awkward size, then again from the
// start; reading must never give more than the chunk holds.
void readThrough(const char* name) {
    WaveFile wave;
    if (FAILED(wave.open(name, nullptr, WaveFile::kRead))) {
        TW_FUZZ_CHECK(wave.size() == 0);
        return;
    }
    TW_FUZZ_CHECK(wave.format() != nullptr);
    TW_FUZZ_CHECK(wave.formatSize() >= sizeof(WAVEFORMATEX));
    std::vector<BYTE> piece(1021);
    for (int pass = 0; pass < 2; ++pass) {
        DWORD total = 0;
        for (;;) {
            DWORD got = 0;
            if (FAILED(wave.read(piece.data(), static_cast<DWORD>(piece.size()), &got)) ||
                got == 0) {
                break;
            }
            TW_FUZZ_CHECK(got <= piece.size());
            total += got;
        }
        TW_FUZZ_CHECK(total <= wave.size());
        if (FAILED(wave.resetFile())) {
            break;
        }
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    static twfuzz::MemoryFile input("sound.wav");
    twfuzz::silenceMessageBoxes();

    const std::string& path = input.hold(data, size);
    readThrough(path.c_str());
    twfuzz::playAsTheEngineDoes(path.c_str(), 0);

    RegisterResource("WAVE", kResourceName, data, static_cast<DWORD>(size));
    readThrough(kResourceName);
    twfuzz::playAsTheEngineDoes(kResourceName, 0);
    TW_FUZZ_CHECK(UnregisterResource("WAVE", kResourceName));
    return 0;
}
