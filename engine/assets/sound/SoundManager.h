#pragma once

#include "assets/sound/BufferedSound.h"
#include "dsound/dsound.h"

#include <memory>

// Owns the engine's DirectSound device and makes sounds on it. Without a device (not
// initialised, or initialisation failed) it makes nothing and the engine runs silent.
class SoundManager {
public:
    SoundManager() = default;
    SoundManager(const SoundManager&) = delete;
    SoundManager& operator=(const SoundManager&) = delete;
    virtual ~SoundManager() = default;

    // Opens the default device (releasing any earlier one) and sets the cooperative level.
    [[nodiscard]] HRESULT initialize(HWND window, DWORD cooperativeLevel);
    void release() { m_directSound = nullptr; }
    IDirectSound8* directSound() const { return m_directSound.get(); }

    // Makes a sound of bufferCount buffers from the sound file (a wave, OGG Vorbis or
    // FLAC; see openSoundFile) or wave resource waveFileName
    // and fills its first buffer. Buffers after the first share its memory, unless
    // they are made with DSBCAPS_CTRLFX. May return DS_NO_VIRTUALIZATION on success.
    [[nodiscard]] HRESULT create(std::unique_ptr<BufferedSound>* sound, const char* waveFileName,
                                 DWORD creationFlags = 0, const GUID& algorithm3D = GUID_NULL,
                                 DWORD bufferCount = 1);

private:
    ComPtr<IDirectSound8> m_directSound;
};
