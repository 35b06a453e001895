// Shared by the sound fuzz targets: a sound manager on a device that plays into nothing,
// and a sound taken and played as the engine takes and plays it.
#pragma once

#include "assets/sound/SoundManager.h"
#include "assets/sound/SoundObject.h"
#include "dsound/dsound_testing.h"
#include "fuzz_support.h"

namespace twfuzz {

// The one manager of the program, made on the silent device the first time.
inline SoundManager& silentSoundManager() {
    static SoundManager manager;
    static const bool initialised = [] {
        SetDirectSoundDeviceSourceForTests(
            [](LPDIRECTSOUND8* device) { return DirectSoundCreateSilent(device); });
        return SUCCEEDED(manager.initialize(nullptr, DSSCL_PRIORITY));
    }();
    TW_FUZZ_CHECK(initialised);
    return manager;
}

// Loads the sound and plays it at a few rates, volumes and pans, once or looped.
inline void playAsTheEngineDoes(const char* name, DWORD loop) {
    SoundObject sound(name, &silentSoundManager());
    if (sound.load() != 0) {
        return;
    }
    for (int step : {-10, 0, 3}) {
        // Whether a fuzzed sound plays is not the question; that it does not crash is.
        (void)sound.play(step == 0 ? loop : 0, -600, step, 1000);
    }
    sound.sound()->stop();
}

} // namespace twfuzz
