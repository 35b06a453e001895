#pragma once

#include "assets/sound/BufferedSound.h"
#include "assets/sound/SoundManager.h"
#include "win32/win32.h"

#include <cstdint>
#include <memory>

// The engine's handle on one loaded sound: the path it was made for, the manager that
// makes it, its buffered sound and the file's own sample rate, which rate steps scale.
class SoundObject {
public:
    // Controls every sound object's buffer is made with.
    static constexpr DWORD kCreationFlags =
        DSBCAPS_CTRLFREQUENCY | DSBCAPS_CTRLPAN | DSBCAPS_CTRLVOLUME;
    // Files up to this size have their sample rate read again from the file itself.
    static constexpr std::uintmax_t kRereadLimit = 1'000'000;

    // path is cut to MAX_PATH - 1 characters; manager is not owned.
    SoundObject(const char* path, SoundManager* manager);
    SoundObject(const SoundObject&) = delete;
    SoundObject& operator=(const SoundObject&) = delete;
    virtual ~SoundObject() = default;

    // Makes the buffered sound anew. 0 on success, 1 on failure (then nothing plays).
    int load();

    // Plays once, or looping when loop is non-zero, at volume (hundredths of a decibel,
    // 0 = full) and pan, at (1 + 0.1 x step) times the file's own rate, truncated to
    // whole samples per second. 0 on success, else the failure; without a loaded
    // sound CO_E_NOTINITIALIZED.
    [[nodiscard]] HRESULT play(int loop, LONG volume, int step, LONG pan);

    // The frequency that play asks for at this rate step.
    LONG frequencyForStep(int step) const;

    const char* path() const { return m_path; }
    SoundManager* manager() const { return m_manager; }
    BufferedSound* sound() const { return m_sound.get(); }
    int baseFrequency() const { return m_baseFrequency; }

private:
    char m_path[MAX_PATH] = {};
    SoundManager* m_manager;
    std::unique_ptr<BufferedSound> m_sound;
    int m_baseFrequency = 0;
};
