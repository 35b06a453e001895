#include "assets/sound/SoundManager.h"

#include "assets/sound/OpenSoundFile.h"

#include <new>
#include <vector>

HRESULT SoundManager::initialize(HWND window, DWORD cooperativeLevel) {
    m_directSound = nullptr;
    if (const HRESULT hr = DirectSoundCreate8(nullptr, m_directSound.put(), nullptr); FAILED(hr)) {
        m_directSound = nullptr;
        return hr;
    }
    return m_directSound->SetCooperativeLevel(window, cooperativeLevel);
}

HRESULT SoundManager::create(std::unique_ptr<BufferedSound>* sound, const char* waveFileName,
                             DWORD creationFlags, const GUID& algorithm3D, DWORD bufferCount) {
    if (m_directSound == nullptr) {
        return CO_E_NOTINITIALIZED;
    }
    if (sound == nullptr || waveFileName == nullptr || bufferCount < 1) {
        return E_INVALIDARG;
    }

    std::vector<ComPtr<IDirectSoundBuffer>> buffers;
    try {
        buffers.resize(bufferCount);
    } catch (const std::bad_alloc&) {
        return E_OUTOFMEMORY;
    }

    // A file that does not open and one without samples are the same failure.
    std::unique_ptr<SoundSource> wave;
    if (FAILED(openSoundFile(waveFileName, &wave)) || wave->size() == 0) {
        return E_FAIL;
    }

    DSBUFFERDESC desc{};
    desc.dwSize = sizeof(DSBUFFERDESC);
    desc.dwFlags = creationFlags;
    desc.dwBufferBytes = wave->size();
    desc.guid3DAlgorithm = algorithm3D;
    desc.lpwfxFormat = const_cast<WAVEFORMATEX*>(wave->format());

    HRESULT hr = m_directSound->CreateSoundBuffer(&desc, buffers[0].put(), nullptr);
    if (FAILED(hr)) {
        return hr;
    }
    const HRESULT result = hr == DS_NO_VIRTUALIZATION ? DS_NO_VIRTUALIZATION : S_OK;

    for (DWORD i = 1; i < bufferCount; ++i) {
        // Buffers with effects cannot share memory, so each is made on its own.
        if ((creationFlags & DSBCAPS_CTRLFX) == 0) {
            hr = m_directSound->DuplicateSoundBuffer(buffers[0].get(), buffers[i].put());
        } else {
            hr = m_directSound->CreateSoundBuffer(&desc, buffers[i].put(), nullptr);
        }
        if (FAILED(hr)) {
            return hr;
        }
    }

    const DWORD bytes = wave->size();
    *sound =
        std::make_unique<BufferedSound>(std::move(buffers), bytes, std::move(wave), creationFlags);
    // A buffer that cannot be filled plays silence; the sound still exists.
    (void)(*sound)->fillBuffer((*sound)->buffer(0), false);
    return result;
}
