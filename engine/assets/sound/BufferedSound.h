#pragma once

#include "assets/sound/SoundSource.h"
#include "dsound/dsound.h"

#include <memory>
#include <random>
#include <vector>

// One sound held in one or more DirectSound buffers of the same size, filled from the
// sound source it owns. The source stays open for the sound's whole life, because a lost
// buffer is filled from it again before it plays.
class BufferedSound {
public:
    BufferedSound(std::vector<ComPtr<IDirectSoundBuffer>> buffers, DWORD bufferBytes,
                  std::unique_ptr<SoundSource> wave, DWORD creationFlags);
    BufferedSound(const BufferedSound&) = delete;
    BufferedSound& operator=(const BufferedSound&) = delete;
    virtual ~BufferedSound();

    // Plays a free buffer (or, when all play, one of them, which starts over). Volume,
    // frequency and pan are set where the buffers were made with that control; a
    // frequency of -1 leaves the buffer's frequency as it is.
    [[nodiscard]] HRESULT play(DWORD priority = 0, DWORD flags = 0, LONG volume = 0,
                               LONG frequency = -1, LONG pan = 0);
    HRESULT stop();
    bool isPlaying();

    // Writes the wave's data into buffer from its start; when the buffer is longer than
    // the data, the rest is the data again (repeat) or silence.
    [[nodiscard]] HRESULT fillBuffer(IDirectSoundBuffer* buffer, bool repeatWaveIfBufferLarger);
    // S_FALSE when the buffer was not lost; S_OK once a lost buffer is restored.
    [[nodiscard]] HRESULT restoreBuffer(IDirectSoundBuffer* buffer, bool* wasRestored);
    // The first buffer that is not playing; when all are, one of them at random.
    IDirectSoundBuffer* freeBuffer();

    IDirectSoundBuffer* buffer(DWORD index) const;
    DWORD count() const { return static_cast<DWORD>(m_buffers.size()); }
    DWORD bufferBytes() const { return m_bufferBytes; }
    DWORD creationFlags() const { return m_creationFlags; }
    SoundSource* wave() const { return m_wave.get(); }

private:
    std::vector<ComPtr<IDirectSoundBuffer>> m_buffers;
    DWORD m_bufferBytes;
    std::unique_ptr<SoundSource> m_wave;
    DWORD m_creationFlags;
    std::minstd_rand m_random;
};
