#include "assets/sound/SoundObject.h"

#include "assets/sound/OpenSoundFile.h"

#include <algorithm>
#include <climits>
#include <cstring>
#include <filesystem>

SoundObject::SoundObject(const char* path, SoundManager* manager) : m_manager(manager) {
    if (path != nullptr) {
        std::strncpy(m_path, path, MAX_PATH - 1);
    }
}

int SoundObject::load() {
    m_sound.reset();
    if (m_manager == nullptr ||
        FAILED(m_manager->create(&m_sound, m_path, kCreationFlags, GUID_NULL, 1))) {
        m_sound.reset();
        return 1;
    }

    std::error_code error;
    const std::uintmax_t fileSize = std::filesystem::file_size(m_path, error);
    if (!error && fileSize <= kRereadLimit) {
        std::unique_ptr<SoundSource> wave;
        if (SUCCEEDED(openSoundFile(m_path, &wave))) {
            m_baseFrequency = static_cast<int>(wave->format()->nSamplesPerSec);
            wave->close();
        }
    } else if (const WAVEFORMATEX* format = m_sound->wave()->format()) {
        // Long files, and sounds that came from the resource table, take the rate from
        // the format already read, so that rate steps change their pitch too.
        m_baseFrequency = static_cast<int>(format->nSamplesPerSec);
    }
    return 0;
}

LONG SoundObject::frequencyForStep(int step) const {
    const double frequency = (step * 0.1 + 1.0) * m_baseFrequency;
    // Far outside what a buffer accepts either way; kept inside LONG so the cast holds.
    return static_cast<LONG>(std::clamp(frequency, double{INT_MIN}, double{INT_MAX}));
}

HRESULT SoundObject::play(int loop, LONG volume, int step, LONG pan) {
    if (m_sound == nullptr) {
        return CO_E_NOTINITIALIZED;
    }
    const HRESULT hr =
        m_sound->play(0, loop != 0 ? DSBPLAY_LOOPING : 0, volume, frequencyForStep(step), pan);
    return FAILED(hr) ? hr : S_OK;
}
