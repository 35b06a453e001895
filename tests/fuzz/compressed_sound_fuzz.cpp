// The OGG Vorbis and FLAC reader, fed whatever bytes the fuzzer makes: decoded on its
// own and checked against the promises its PCM makes, then, as the engine takes a
// sound, opened by its first bytes, made into a buffer on a device that plays into
// nothing, and played at a few rates, volumes and pans.
#include "assets/sound/DecodedSound.h"
#include "sound_fuzz_support.h"

#include <vector>

namespace {

// Decodes, then reads the PCM to its end in pieces of an awkward size, twice.
void decodeThrough(const char* name) {
    std::unique_ptr<DecodedSound> sound;
    if (FAILED(DecodedSound::open(name, &sound))) {
        TW_FUZZ_CHECK(sound == nullptr);
        return;
    }
    const WAVEFORMATEX* format = sound->format();
    TW_FUZZ_CHECK(format->wFormatTag == WAVE_FORMAT_PCM && format->wBitsPerSample == 16);
    TW_FUZZ_CHECK(format->nChannels == 1 || format->nChannels == 2);
    TW_FUZZ_CHECK(format->nBlockAlign == 2 * format->nChannels);
    TW_FUZZ_CHECK(sound->size() > 0 && sound->size() <= DecodedSound::kMaxBytes);
    TW_FUZZ_CHECK(sound->size() % format->nBlockAlign == 0);
    std::vector<BYTE> piece(1021);
    for (int pass = 0; pass < 2; ++pass) {
        TW_FUZZ_CHECK(SUCCEEDED(sound->resetFile()));
        DWORD total = 0;
        DWORD got = 0;
        do {
            TW_FUZZ_CHECK(
                SUCCEEDED(sound->read(piece.data(), static_cast<DWORD>(piece.size()), &got)));
            TW_FUZZ_CHECK(got <= piece.size());
            total += got;
        } while (got > 0);
        TW_FUZZ_CHECK(total == sound->size());
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    static twfuzz::MemoryFile input("sound.ogg");
    twfuzz::silenceMessageBoxes();

    const std::string& path = input.hold(data, size);
    decodeThrough(path.c_str());
    twfuzz::playAsTheEngineDoes(path.c_str(), 1);
    return 0;
}
