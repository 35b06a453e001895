#include "assets/sound/BufferedSound.h"

#include <cstring>

namespace {

BYTE silenceOf(const SoundSource& wave) {
    const WAVEFORMATEX* format = wave.format();
    return format != nullptr && format->wBitsPerSample == 8 ? BYTE{128} : BYTE{0};
}

} // namespace

BufferedSound::BufferedSound(std::vector<ComPtr<IDirectSoundBuffer>> buffers, DWORD bufferBytes,
                             std::unique_ptr<SoundSource> wave, DWORD creationFlags)
    : m_buffers(std::move(buffers)), m_bufferBytes(bufferBytes), m_wave(std::move(wave)),
      m_creationFlags(creationFlags) {}

BufferedSound::~BufferedSound() {
    m_buffers.clear();
    if (m_wave != nullptr) {
        m_wave->close();
    }
}

IDirectSoundBuffer* BufferedSound::buffer(DWORD index) const {
    return index < m_buffers.size() ? m_buffers[index].get() : nullptr;
}

HRESULT BufferedSound::play(DWORD priority, DWORD flags, LONG volume, LONG frequency, LONG pan) {
    if (m_buffers.empty()) {
        return CO_E_NOTINITIALIZED;
    }
    IDirectSoundBuffer* chosen = freeBuffer();
    if (chosen == nullptr) {
        return E_FAIL;
    }

    bool restored = false;
    if (const HRESULT hr = restoreBuffer(chosen, &restored); FAILED(hr)) {
        return hr;
    }
    if (restored) {
        if (const HRESULT hr = fillBuffer(chosen, false); FAILED(hr)) {
            return hr;
        }
    }

    if ((m_creationFlags & DSBCAPS_CTRLVOLUME) != 0) {
        chosen->SetVolume(volume);
    }
    if ((m_creationFlags & DSBCAPS_CTRLFREQUENCY) != 0 && frequency != -1) {
        chosen->SetFrequency(static_cast<DWORD>(frequency));
    }
    if ((m_creationFlags & DSBCAPS_CTRLPAN) != 0) {
        chosen->SetPan(pan);
    }

    // A buffer taken while it still plays starts over, so that the sound asked for now
    // is heard from its beginning (a second knock, not the tail of the first).
    DWORD status = 0;
    if (SUCCEEDED(chosen->GetStatus(&status)) && (status & DSBSTATUS_PLAYING) != 0) {
        chosen->SetCurrentPosition(0);
    }
    return chosen->Play(0, priority, flags);
}

HRESULT BufferedSound::stop() {
    HRESULT result = S_OK;
    for (const auto& b : m_buffers) {
        if (const HRESULT hr = b->Stop(); FAILED(hr)) {
            result = hr;
        }
        b->SetCurrentPosition(0);
    }
    return result;
}

bool BufferedSound::isPlaying() {
    for (const auto& b : m_buffers) {
        DWORD status = 0;
        if (SUCCEEDED(b->GetStatus(&status)) && (status & DSBSTATUS_PLAYING) != 0) {
            return true;
        }
    }
    return false;
}

HRESULT BufferedSound::restoreBuffer(IDirectSoundBuffer* buffer, bool* wasRestored) {
    if (buffer == nullptr) {
        return CO_E_NOTINITIALIZED;
    }
    if (wasRestored != nullptr) {
        *wasRestored = false;
    }
    DWORD status = 0;
    if (const HRESULT hr = buffer->GetStatus(&status); FAILED(hr)) {
        return hr;
    }
    if ((status & DSBSTATUS_BUFFERLOST) == 0) {
        return S_FALSE;
    }
    // The device may not be ours again yet; ask until it is.
    HRESULT hr;
    do {
        hr = buffer->Restore();
        if (hr == DSERR_BUFFERLOST) {
            Sleep(10);
        }
    } while (hr == DSERR_BUFFERLOST);
    if (wasRestored != nullptr) {
        *wasRestored = true;
    }
    return S_OK;
}

HRESULT BufferedSound::fillBuffer(IDirectSoundBuffer* buffer, bool repeatWaveIfBufferLarger) {
    if (buffer == nullptr || m_wave == nullptr) {
        return CO_E_NOTINITIALIZED;
    }
    if (const HRESULT hr = restoreBuffer(buffer, nullptr); FAILED(hr)) {
        return hr;
    }

    void* locked = nullptr;
    DWORD lockedBytes = 0;
    if (const HRESULT hr =
            buffer->Lock(0, m_bufferBytes, &locked, &lockedBytes, nullptr, nullptr, 0);
        FAILED(hr)) {
        return hr;
    }
    auto* bytes = static_cast<BYTE*>(locked);
    const BYTE silence = silenceOf(*m_wave);

    // A wave that cannot rewind reads short, and the rest is filled with silence.
    (void)m_wave->resetFile();
    DWORD done = 0;
    HRESULT hr = m_wave->read(bytes, lockedBytes, &done);
    if (SUCCEEDED(hr) && done < lockedBytes && done > 0 && repeatWaveIfBufferLarger) {
        while (done < lockedBytes) {
            // A wave that cannot rewind reads short, and the rest is filled with silence.
            (void)m_wave->resetFile();
            DWORD more = 0;
            hr = m_wave->read(bytes + done, lockedBytes - done, &more);
            if (FAILED(hr) || more == 0) {
                break;
            }
            done += more;
        }
    }
    // Whatever could not be read plays as silence.
    if (done < lockedBytes) {
        std::memset(bytes + done, silence, lockedBytes - done);
    }
    // The lock is given back even when reading failed.
    buffer->Unlock(locked, lockedBytes, nullptr, 0);
    return FAILED(hr) ? hr : S_OK;
}

IDirectSoundBuffer* BufferedSound::freeBuffer() {
    if (m_buffers.empty()) {
        return nullptr;
    }
    for (const auto& b : m_buffers) {
        DWORD status = 0;
        b->GetStatus(&status);
        if ((status & DSBSTATUS_PLAYING) == 0) {
            return b.get();
        }
    }
    return m_buffers[m_random() % m_buffers.size()].get();
}
