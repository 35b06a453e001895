#include "assets/sound/WaveFile.h"

#include "win32/resources.h"

#include <algorithm>
#include <climits>
#include <cstring>
#include <new>

namespace {

constexpr FOURCC kWave = mmioFOURCC('W', 'A', 'V', 'E');
constexpr FOURCC kFmt = mmioFOURCC('f', 'm', 't', ' ');
constexpr FOURCC kData = mmioFOURCC('d', 'a', 't', 'a');

} // namespace

WaveFile::~WaveFile() {
    close();
}

const WAVEFORMATEX* WaveFile::format() const {
    return m_format.empty() ? nullptr : reinterpret_cast<const WAVEFORMATEX*>(m_format.data());
}

HRESULT WaveFile::open(const char* fileName, const WAVEFORMATEX* /*format*/, DWORD flags) {
    close();
    m_size = 0;
    m_format.clear();
    m_flags = flags;
    if (flags != kRead) {
        return E_NOTIMPL;
    }
    if (fileName == nullptr) {
        return E_INVALIDARG;
    }

    m_hmmio = mmioOpenA(fileName, nullptr, MMIO_ALLOCBUF | MMIO_READ);
    if (m_hmmio == nullptr) {
        if (const HRESULT hr = openResource(fileName); FAILED(hr)) {
            return hr;
        }
    }

    if (const HRESULT hr = readHeader(); FAILED(hr)) {
        close();
        return hr;
    }
    if (const HRESULT hr = resetFile(); FAILED(hr)) {
        return hr;
    }
    m_size = m_ck.cksize;
    return S_OK;
}

HRESULT WaveFile::openResource(const char* name) {
    HRSRC resource = FindResourceA(nullptr, name, "WAVE");
    if (resource == nullptr) {
        resource = FindResourceA(nullptr, name, "WAV");
    }
    if (resource == nullptr) {
        return E_FAIL;
    }
    HGLOBAL loaded = LoadResource(nullptr, resource);
    const DWORD size = SizeofResource(nullptr, resource);
    const void* bytes = loaded != nullptr ? LockResource(loaded) : nullptr;
    if (bytes == nullptr || size == 0 || size > static_cast<DWORD>(LONG_MAX)) {
        return E_FAIL;
    }
    // The copy is ours, so the resource may be replaced while this file stays open.
    try {
        const auto* first = static_cast<const BYTE*>(bytes);
        m_resourceCopy.assign(first, first + size);
    } catch (const std::bad_alloc&) {
        return E_OUTOFMEMORY;
    }
    MMIOINFO info{};
    info.fccIOProc = FOURCC_MEM;
    info.pchBuffer = reinterpret_cast<HPSTR>(m_resourceCopy.data());
    info.cchBuffer = static_cast<LONG>(size);
    m_hmmio = mmioOpenA(nullptr, &info, MMIO_ALLOCBUF | MMIO_READ);
    if (m_hmmio == nullptr) {
        m_resourceCopy.clear();
        return E_FAIL;
    }
    return S_OK;
}

HRESULT WaveFile::readHeader() {
    if (mmioDescend(m_hmmio, &m_ckRiff, nullptr, 0) != MMSYSERR_NOERROR) {
        return E_FAIL;
    }
    if (m_ckRiff.ckid != FOURCC_RIFF || m_ckRiff.fccType != kWave) {
        return E_FAIL;
    }

    MMCKINFO ckIn{};
    ckIn.ckid = kFmt;
    if (mmioDescend(m_hmmio, &ckIn, &m_ckRiff, MMIO_FINDCHUNK) != MMSYSERR_NOERROR) {
        return E_FAIL;
    }
    PCMWAVEFORMAT pcm{};
    if (ckIn.cksize < sizeof pcm ||
        mmioRead(m_hmmio, reinterpret_cast<HPSTR>(&pcm), sizeof pcm) != sizeof pcm) {
        return E_FAIL;
    }

    if (pcm.wf.wFormatTag == WAVE_FORMAT_PCM) {
        m_format.assign(sizeof(WAVEFORMATEX), 0);
        std::memcpy(m_format.data(), &pcm, sizeof pcm);
    } else {
        // The count of extra bytes, and the bytes themselves, must come from inside
        // the "fmt " chunk, not from whatever follows it.
        WORD extra = 0;
        if (ckIn.cksize < sizeof(WAVEFORMATEX) ||
            mmioRead(m_hmmio, reinterpret_cast<HPSTR>(&extra), sizeof extra) != sizeof extra ||
            sizeof(WAVEFORMATEX) + extra > ckIn.cksize) {
            return E_FAIL;
        }
        m_format.assign(sizeof(WAVEFORMATEX) + extra, 0);
        std::memcpy(m_format.data(), &pcm, sizeof pcm);
        reinterpret_cast<WAVEFORMATEX*>(m_format.data())->cbSize = extra;
        if (mmioRead(m_hmmio, reinterpret_cast<HPSTR>(m_format.data() + sizeof(WAVEFORMATEX)),
                     extra) != extra) {
            m_format.clear();
            return E_FAIL;
        }
    }

    if (mmioAscend(m_hmmio, &ckIn, 0) != MMSYSERR_NOERROR) {
        m_format.clear();
        return E_FAIL;
    }
    return S_OK;
}

HRESULT WaveFile::resetFile() {
    if (m_hmmio == nullptr) {
        return CO_E_NOTINITIALIZED;
    }
    if (m_flags == kRead) {
        const auto afterFormType = static_cast<LONG>(m_ckRiff.dwDataOffset + sizeof(FOURCC));
        if (mmioSeek(m_hmmio, afterFormType, SEEK_SET) == -1) {
            return E_FAIL;
        }
        m_ck.ckid = kData;
        if (mmioDescend(m_hmmio, &m_ck, &m_ckRiff, MMIO_FINDCHUNK) != MMSYSERR_NOERROR) {
            return E_FAIL;
        }
    }
    return S_OK;
}

HRESULT WaveFile::read(BYTE* buffer, DWORD sizeToRead, DWORD* sizeRead) {
    if (m_hmmio == nullptr) {
        return CO_E_NOTINITIALIZED;
    }
    if (buffer == nullptr || sizeRead == nullptr) {
        return E_INVALIDARG;
    }
    *sizeRead = 0;

    MMIOINFO info{};
    if (mmioGetInfo(m_hmmio, &info, 0) != MMSYSERR_NOERROR) {
        return E_FAIL;
    }
    const DWORD wanted = std::min(sizeToRead, m_ck.cksize);
    m_ck.cksize -= wanted;

    // Take the bytes straight from the I/O buffer, refilling it whenever it runs dry.
    DWORD done = 0;
    while (done < wanted) {
        if (info.pchNext == info.pchEndRead) {
            if (mmioAdvance(m_hmmio, &info, MMIO_READ) != MMSYSERR_NOERROR ||
                info.pchNext == info.pchEndRead) {
                return E_FAIL;
            }
        }
        const auto available = static_cast<DWORD>(info.pchEndRead - info.pchNext);
        const DWORD take = std::min(available, wanted - done);
        std::memcpy(buffer + done, info.pchNext, take);
        info.pchNext += take;
        done += take;
    }

    if (mmioSetInfo(m_hmmio, &info, 0) != MMSYSERR_NOERROR) {
        return E_FAIL;
    }
    *sizeRead = wanted;
    return S_OK;
}

HRESULT WaveFile::close() {
    if (m_hmmio != nullptr) {
        mmioClose(m_hmmio, 0);
        m_hmmio = nullptr;
    }
    m_resourceCopy.clear();
    m_resourceCopy.shrink_to_fit();
    return S_OK;
}
