#include "assets/sound/OpenSoundFile.h"

#include "assets/sound/DecodedSound.h"
#include "assets/sound/WaveFile.h"
#include "win32/regular_file.h"

#include <algorithm>
#include <array>
#include <cctype>
#include <cstring>
#include <new>
#include <string_view>

namespace {

bool endsWithNoCase(std::string_view name, std::string_view ending) {
    return name.size() >= ending.size() &&
           std::equal(ending.begin(), ending.end(), name.end() - ending.size(), [](char a, char b) {
               return std::tolower(static_cast<unsigned char>(a)) ==
                      std::tolower(static_cast<unsigned char>(b));
           });
}

// A name that is no regular file goes to the wave reader, which looks it up among the
// wave resources and otherwise fails as it always has.
bool isCompressed(const char* fileName) {
    RegularFile file = RegularFile::open(fileName);
    if (!file) {
        return false;
    }
    std::array<char, 4> start{};
    if (file.readExactly(start.data(), start.size())) {
        const std::string_view magic(start.data(), start.size());
        if (magic == "OggS" || magic == "fLaC") {
            return true;
        }
        if (magic == "RIFF") {
            return false;
        }
    }
    return endsWithNoCase(fileName, ".ogg") || endsWithNoCase(fileName, ".flac");
}

} // namespace

HRESULT openSoundFile(const char* fileName, std::unique_ptr<SoundSource>* source) {
    if (fileName == nullptr || source == nullptr) {
        return E_INVALIDARG;
    }
    source->reset();
    try {
        if (isCompressed(fileName)) {
            std::unique_ptr<DecodedSound> decoded;
            const HRESULT hr = DecodedSound::open(fileName, &decoded);
            *source = std::move(decoded);
            return hr;
        }
        auto wave = std::make_unique<WaveFile>();
        if (const HRESULT hr = wave->open(fileName, nullptr, WaveFile::kRead); FAILED(hr)) {
            return hr;
        }
        *source = std::move(wave);
    } catch (const std::bad_alloc&) {
        return E_OUTOFMEMORY;
    }
    return S_OK;
}
