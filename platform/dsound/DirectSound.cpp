#include "dsound/dsound.h"
#include "dsound/dsound_testing.h"

#include "OpenAlOutput.h"
#include "SampleFormat.h"

#include <algorithm>
#include <atomic>
#include <cmath>
#include <cstring>
#include <memory>
#include <numbers>
#include <optional>
#include <set>
#include <vector>

namespace {

class SoundBuffer;

// What a device's buffers share with it: the OpenAL output, the cooperative level, and
// the list of live buffers (for losing them all at once).
struct DeviceState {
    std::shared_ptr<OpenAlOutput> output;
    DWORD cooperativeLevel = 0;
    std::set<SoundBuffer*> buffers;
};

// One uploaded copy of a buffer's bytes. Sources may still play an older copy while a
// newer one is made, so each copy lives until the last source lets go of it.
class AlBuffer {
public:
    AlBuffer(std::shared_ptr<OpenAlOutput> output, ALuint id)
        : m_output(std::move(output)), m_id(id) {}
    AlBuffer(const AlBuffer&) = delete;
    AlBuffer& operator=(const AlBuffer&) = delete;
    ~AlBuffer() {
        m_output->makeCurrent();
        alDeleteBuffers(1, &m_id);
    }
    ALuint id() const { return m_id; }

private:
    std::shared_ptr<OpenAlOutput> m_output;
    ALuint m_id;
};

// The memory of a buffer and of its duplicates, with its format. Losing is a matter
// of the memory, so duplicates are lost and restored together.
struct SoundMemory {
    std::vector<BYTE> bytes;
    std::vector<BYTE> format; // a WAVEFORMATEX with its cbSize extra bytes
    SampleFormat sample{AL_NONE, 1, false};
    std::shared_ptr<AlBuffer> uploaded;
    std::set<SoundBuffer*> users;
    bool lost = false;
    unsigned restoreRefusals = 0;

    const WAVEFORMATEX& wave() const {
        return *reinterpret_cast<const WAVEFORMATEX*>(format.data());
    }
    void silence() {
        std::fill(bytes.begin(), bytes.end(), wave().wBitsPerSample == 8 ? BYTE{128} : BYTE{0});
    }
};

class SoundBuffer final : public IDirectSoundBuffer {
public:
    SoundBuffer(std::shared_ptr<DeviceState> device, std::shared_ptr<SoundMemory> memory,
                DWORD flags)
        : m_device(std::move(device)), m_memory(std::move(memory)), m_flags(flags) {
        m_device->buffers.insert(this);
        m_memory->users.insert(this);
    }

    ~SoundBuffer() override {
        m_memory->users.erase(this);
        m_device->buffers.erase(this);
        if (m_source != 0) {
            m_device->output->makeCurrent();
            alSourceStop(m_source);
            alSourcei(m_source, AL_BUFFER, 0);
            alDeleteSources(1, &m_source);
        }
    }

    // Makes the OpenAL source and gives it the memory's current upload.
    bool init() {
        m_device->output->makeCurrent();
        alGetError();
        alGenSources(1, &m_source);
        if (alGetError() != AL_NO_ERROR) {
            m_source = 0;
            return false;
        }
        alSourcei(m_source, AL_SOURCE_RELATIVE, AL_TRUE);
        alSourcef(m_source, AL_ROLLOFF_FACTOR, 0.0f);
        attach(m_memory->uploaded);
        applyVolume();
        applyPan();
        applyFrequency();
        return alGetError() == AL_NO_ERROR;
    }

    DWORD flags() const { return m_flags; }
    const std::shared_ptr<SoundMemory>& memory() const { return m_memory; }

    void copySettingsFrom(const SoundBuffer& other) {
        m_volume = other.m_volume;
        m_pan = other.m_pan;
        m_frequency = other.m_frequency;
        applyVolume();
        applyPan();
        applyFrequency();
    }

    // Sends the memory to OpenAL and moves every buffer sharing it onto the new copy,
    // each keeping its place and its playing state.
    static HRESULT upload(SoundMemory& memory, const std::shared_ptr<OpenAlOutput>& output) {
        output->makeCurrent();
        alGetError();
        ALuint id = 0;
        alGenBuffers(1, &id);
        if (alGetError() != AL_NO_ERROR) {
            return DSERR_OUTOFMEMORY;
        }
        auto copy = std::make_shared<AlBuffer>(output, id);
        const WAVEFORMATEX& wave = memory.wave();
        const std::size_t whole = memory.bytes.size() / wave.nBlockAlign * wave.nBlockAlign;
        const auto rate = static_cast<ALsizei>(wave.nSamplesPerSec);
        if (memory.sample.uploadsAsIs()) {
            alBufferData(id, memory.sample.alFormat, memory.bytes.data(),
                         static_cast<ALsizei>(whole), rate);
        } else {
            const std::vector<std::int16_t> samples =
                toSixteenBits(memory.sample, memory.bytes.data(), whole);
            alBufferData(id, memory.sample.alFormat, samples.data(),
                         static_cast<ALsizei>(samples.size() * sizeof(std::int16_t)), rate);
        }
        if (alGetError() != AL_NO_ERROR) {
            return DSERR_OUTOFMEMORY;
        }
        memory.uploaded = copy;
        for (SoundBuffer* user : memory.users) {
            user->attach(copy);
        }
        return DS_OK;
    }

    void lose() {
        if (m_source != 0) {
            m_device->output->makeCurrent();
            alSourceStop(m_source);
            m_idleCursor = 0;
        }
    }

    // IDirectSoundBuffer

    HRESULT GetCaps(LPDSBCAPS caps) override {
        if (caps == nullptr || caps->dwSize != sizeof(DSBCAPS)) {
            return DSERR_INVALIDPARAM;
        }
        caps->dwFlags = m_flags;
        caps->dwBufferBytes = static_cast<DWORD>(m_memory->bytes.size());
        caps->dwUnlockTransferRate = 0;
        caps->dwPlayCpuOverhead = 0;
        return DS_OK;
    }

    HRESULT GetCurrentPosition(DWORD* playCursor, DWORD* writeCursor) override {
        if (playCursor == nullptr && writeCursor == nullptr) {
            return DSERR_INVALIDPARAM;
        }
        const DWORD size = static_cast<DWORD>(m_memory->bytes.size());
        DWORD play = m_idleCursor;
        DWORD write = play;
        const ALint state = sourceState();
        if (state == AL_PLAYING || state == AL_PAUSED) {
            ALint offset = 0;
            alGetSourcei(m_source, AL_BYTE_OFFSET, &offset);
            play = static_cast<DWORD>(std::max(offset, 0)) % size;
            write = play;
            if (state == AL_PLAYING) {
                // Software mixing reads a little ahead of what is heard.
                const DWORD lead = m_memory->wave().nAvgBytesPerSec / 100 /
                                   m_memory->wave().nBlockAlign * m_memory->wave().nBlockAlign;
                write = (play + lead) % size;
            }
        }
        if (playCursor != nullptr) {
            *playCursor = play;
        }
        if (writeCursor != nullptr) {
            *writeCursor = write;
        }
        return DS_OK;
    }

    HRESULT GetFormat(LPWAVEFORMATEX format, DWORD sizeAllocated, DWORD* sizeWritten) override {
        const auto full = static_cast<DWORD>(m_memory->format.size());
        if (format == nullptr) {
            if (sizeWritten == nullptr) {
                return DSERR_INVALIDPARAM;
            }
            *sizeWritten = full;
            return DS_OK;
        }
        const DWORD copied = std::min(full, sizeAllocated);
        std::memcpy(format, m_memory->format.data(), copied);
        if (sizeWritten != nullptr) {
            *sizeWritten = copied;
        }
        return DS_OK;
    }

    HRESULT GetVolume(LONG* volume) override {
        if (volume == nullptr) {
            return DSERR_INVALIDPARAM;
        }
        if ((m_flags & DSBCAPS_CTRLVOLUME) == 0) {
            return DSERR_CONTROLUNAVAIL;
        }
        *volume = m_volume;
        return DS_OK;
    }

    HRESULT GetPan(LONG* pan) override {
        if (pan == nullptr) {
            return DSERR_INVALIDPARAM;
        }
        if ((m_flags & DSBCAPS_CTRLPAN) == 0) {
            return DSERR_CONTROLUNAVAIL;
        }
        *pan = m_pan;
        return DS_OK;
    }

    HRESULT GetFrequency(DWORD* frequency) override {
        if (frequency == nullptr) {
            return DSERR_INVALIDPARAM;
        }
        if ((m_flags & DSBCAPS_CTRLFREQUENCY) == 0) {
            return DSERR_CONTROLUNAVAIL;
        }
        *frequency =
            m_frequency == DSBFREQUENCY_ORIGINAL ? m_memory->wave().nSamplesPerSec : m_frequency;
        return DS_OK;
    }

    HRESULT GetStatus(DWORD* status) override {
        if (status == nullptr) {
            return DSERR_INVALIDPARAM;
        }
        if (m_memory->lost) {
            *status = DSBSTATUS_BUFFERLOST;
            return DS_OK;
        }
        *status = 0;
        if (sourceState() == AL_PLAYING) {
            *status |= DSBSTATUS_PLAYING;
            ALint looping = AL_FALSE;
            alGetSourcei(m_source, AL_LOOPING, &looping);
            if (looping == AL_TRUE) {
                *status |= DSBSTATUS_LOOPING;
            }
        }
        return DS_OK;
    }

    HRESULT Lock(DWORD offset, DWORD bytes, void** audioPtr1, DWORD* audioBytes1, void** audioPtr2,
                 DWORD* audioBytes2, DWORD flags) override {
        if (audioPtr1 == nullptr || audioBytes1 == nullptr) {
            return DSERR_INVALIDPARAM;
        }
        if (m_memory->lost) {
            return DSERR_BUFFERLOST;
        }
        const auto size = static_cast<DWORD>(m_memory->bytes.size());
        if ((flags & DSBLOCK_ENTIREBUFFER) != 0) {
            offset = 0;
            bytes = size;
        } else if ((flags & DSBLOCK_FROMWRITECURSOR) != 0) {
            GetCurrentPosition(nullptr, &offset);
        }
        if (offset >= size || bytes == 0 || bytes > size) {
            return DSERR_INVALIDPARAM;
        }
        const DWORD first = std::min(bytes, size - offset);
        const DWORD second = bytes - first;
        *audioPtr1 = m_memory->bytes.data() + offset;
        *audioBytes1 = first;
        if (audioPtr2 != nullptr) {
            *audioPtr2 = second > 0 ? m_memory->bytes.data() : nullptr;
        }
        if (audioBytes2 != nullptr) {
            *audioBytes2 = audioPtr2 != nullptr ? second : 0;
        }
        ++m_locks;
        return DS_OK;
    }

    HRESULT Play(DWORD reserved1, DWORD priority, DWORD flags) override {
        if (reserved1 != 0 || (priority != 0 && (m_flags & DSBCAPS_LOCDEFER) == 0)) {
            return DSERR_INVALIDPARAM;
        }
        if (m_device->cooperativeLevel == 0) {
            return DSERR_PRIOLEVELNEEDED;
        }
        if (m_memory->lost) {
            return DSERR_BUFFERLOST;
        }
        m_device->output->makeCurrent();
        alGetError();
        alSourcei(m_source, AL_LOOPING, (flags & DSBPLAY_LOOPING) != 0 ? AL_TRUE : AL_FALSE);
        if (sourceState() != AL_PLAYING) {
            // From a stop this goes on where the buffer stood; from the end or a new
            // position, OpenAL starts at the offset given last.
            alSourcePlay(m_source);
            m_idleCursor = 0;
        }
        return alGetError() == AL_NO_ERROR ? DS_OK : DSERR_GENERIC;
    }

    HRESULT SetCurrentPosition(DWORD position) override {
        const auto size = static_cast<DWORD>(m_memory->bytes.size());
        if (position >= size) {
            return DSERR_INVALIDPARAM;
        }
        position -= position % m_memory->wave().nBlockAlign;
        m_device->output->makeCurrent();
        const ALint state = sourceState();
        alSourcei(m_source, AL_BYTE_OFFSET, static_cast<ALint>(position));
        if (state != AL_PLAYING && state != AL_PAUSED) {
            m_idleCursor = position; // OpenAL keeps it for the next play
        }
        return DS_OK;
    }

    HRESULT SetFormat(LPCWAVEFORMATEX /*format*/) override {
        return DSERR_INVALIDCALL; // only a primary buffer's format can be set
    }

    HRESULT SetVolume(LONG volume) override {
        if ((m_flags & DSBCAPS_CTRLVOLUME) == 0) {
            return DSERR_CONTROLUNAVAIL;
        }
        if (volume < DSBVOLUME_MIN || volume > DSBVOLUME_MAX) {
            return DSERR_INVALIDPARAM;
        }
        m_volume = volume;
        applyVolume();
        return DS_OK;
    }

    HRESULT SetPan(LONG pan) override {
        if ((m_flags & DSBCAPS_CTRLPAN) == 0) {
            return DSERR_CONTROLUNAVAIL;
        }
        if (pan < DSBPAN_LEFT || pan > DSBPAN_RIGHT) {
            return DSERR_INVALIDPARAM;
        }
        m_pan = pan;
        applyPan();
        return DS_OK;
    }

    HRESULT SetFrequency(DWORD frequency) override {
        if ((m_flags & DSBCAPS_CTRLFREQUENCY) == 0) {
            return DSERR_CONTROLUNAVAIL;
        }
        if (frequency != DSBFREQUENCY_ORIGINAL &&
            (frequency < DSBFREQUENCY_MIN || frequency > DSBFREQUENCY_MAX)) {
            return DSERR_INVALIDPARAM;
        }
        m_frequency = frequency;
        applyFrequency();
        return DS_OK;
    }

    HRESULT Stop() override {
        m_device->output->makeCurrent();
        if (sourceState() == AL_PLAYING) {
            alSourcePause(m_source);
        }
        return DS_OK;
    }

    HRESULT Unlock(void* audioPtr1, DWORD audioBytes1, void* audioPtr2,
                   DWORD audioBytes2) override {
        if (m_locks == 0) {
            return DSERR_INVALIDCALL;
        }
        if (!inside(audioPtr1, audioBytes1) ||
            (audioPtr2 != nullptr && !inside(audioPtr2, audioBytes2))) {
            return DSERR_INVALIDPARAM;
        }
        --m_locks;
        if (m_memory->lost) {
            return DSERR_BUFFERLOST;
        }
        return upload(*m_memory, m_device->output);
    }

    HRESULT Restore() override {
        if (!m_memory->lost) {
            return DS_OK;
        }
        if (m_memory->restoreRefusals > 0) {
            --m_memory->restoreRefusals;
            return DSERR_BUFFERLOST;
        }
        m_memory->lost = false;
        m_memory->silence();
        return upload(*m_memory, m_device->output);
    }

private:
    ALint sourceState() const {
        m_device->output->makeCurrent();
        ALint state = AL_INITIAL;
        alGetSourcei(m_source, AL_SOURCE_STATE, &state);
        return state;
    }

    bool inside(const void* pointer, DWORD bytes) const {
        const auto* p = static_cast<const BYTE*>(pointer);
        const BYTE* begin = m_memory->bytes.data();
        const BYTE* end = begin + m_memory->bytes.size();
        return p != nullptr && p >= begin && p <= end && bytes <= static_cast<std::size_t>(end - p);
    }

    void attach(const std::shared_ptr<AlBuffer>& copy) {
        if (copy == m_attached || m_source == 0) {
            return;
        }
        m_device->output->makeCurrent();
        const ALint state = sourceState();
        ALint cursor = static_cast<ALint>(m_idleCursor);
        if (state == AL_PLAYING || state == AL_PAUSED) {
            alGetSourcei(m_source, AL_BYTE_OFFSET, &cursor);
        }
        alSourceStop(m_source);
        alSourcei(m_source, AL_BUFFER, copy != nullptr ? static_cast<ALint>(copy->id()) : 0);
        m_attached = copy;
        if (cursor > 0) {
            alSourcei(m_source, AL_BYTE_OFFSET, cursor);
        }
        if (state == AL_PLAYING) {
            alSourcePlay(m_source);
            m_idleCursor = 0;
        } else {
            m_idleCursor = static_cast<DWORD>(std::max(cursor, 0));
        }
    }

    void applyVolume() {
        // Hundredths of a decibel of attenuation; the bottom of the range is silence.
        const float gain =
            m_volume <= DSBVOLUME_MIN ? 0.0f : std::pow(10.0f, static_cast<float>(m_volume) / 2000);
        m_device->output->makeCurrent();
        alSourcef(m_source, AL_GAIN, gain);
    }

    void applyPan() {
        // Pan attenuates the far side by |pan| hundredths of a decibel. OpenAL pans a
        // mono source by its direction; for stereo output OpenAL Soft lowers the far side
        // by close to 0.42 dB per degree away from the front, up to full separation at
        // about 60 degrees, so the attenuation sets the azimuth through that slope.
        // Stereo buffers are played as they are, unpanned.
        constexpr float kDecibelsPerDegree = 0.42f;
        const float degrees =
            std::min(90.0f, static_cast<float>(std::abs(m_pan)) / 100.0f / kDecibelsPerDegree);
        const float azimuth =
            std::copysign(degrees, static_cast<float>(m_pan)) * std::numbers::pi_v<float> / 180.0f;
        m_device->output->makeCurrent();
        alSource3f(m_source, AL_POSITION, std::sin(azimuth), 0.0f, -std::cos(azimuth));
    }

    void applyFrequency() {
        const float rate = static_cast<float>(m_memory->wave().nSamplesPerSec);
        const float pitch =
            m_frequency == DSBFREQUENCY_ORIGINAL ? 1.0f : static_cast<float>(m_frequency) / rate;
        m_device->output->makeCurrent();
        alSourcef(m_source, AL_PITCH, pitch);
    }

    std::shared_ptr<DeviceState> m_device;
    std::shared_ptr<SoundMemory> m_memory;
    std::shared_ptr<AlBuffer> m_attached;
    DWORD m_flags;
    ALuint m_source = 0;
    LONG m_volume = 0;
    LONG m_pan = 0;
    DWORD m_frequency = DSBFREQUENCY_ORIGINAL;
    // Where a buffer that is not playing will start: OpenAL does not report an offset
    // it has been given for a stopped source.
    DWORD m_idleCursor = 0;
    unsigned m_locks = 0;
};

class DirectSound final : public IDirectSound8 {
public:
    explicit DirectSound(std::shared_ptr<OpenAlOutput> output)
        : m_state(std::make_shared<DeviceState>()) {
        m_state->output = std::move(output);
    }

    const std::shared_ptr<DeviceState>& state() const { return m_state; }

    HRESULT CreateSoundBuffer(LPCDSBUFFERDESC desc, LPDIRECTSOUNDBUFFER* buffer,
                              IUnknown* outer) override {
        if (buffer == nullptr || desc == nullptr) {
            return DSERR_INVALIDPARAM;
        }
        *buffer = nullptr;
        if (outer != nullptr) {
            return DSERR_NOAGGREGATION;
        }
        if (desc->dwSize != sizeof(DSBUFFERDESC)) {
            return DSERR_INVALIDPARAM;
        }
        const DWORD flags = desc->dwFlags;
        if ((flags & (DSBCAPS_PRIMARYBUFFER | DSBCAPS_CTRL3D)) != 0) {
            return DSERR_UNSUPPORTED;
        }
        if ((flags & DSBCAPS_LOCHARDWARE) != 0 && (flags & DSBCAPS_LOCSOFTWARE) != 0) {
            return DSERR_INVALIDPARAM;
        }
        if (!(desc->guid3DAlgorithm == GUID_NULL)) {
            return DSERR_INVALIDPARAM;
        }
        if (desc->lpwfxFormat == nullptr) {
            return DSERR_INVALIDPARAM;
        }
        if (desc->dwBufferBytes < DSBSIZE_MIN || desc->dwBufferBytes > DSBSIZE_MAX) {
            return DSERR_INVALIDPARAM;
        }
        const WAVEFORMATEX& wave = *desc->lpwfxFormat;
        const std::optional<SampleFormat> sample = sampleFormatOf(wave);
        if (!sample) {
            return DSERR_BADFORMAT;
        }

        auto memory = std::make_shared<SoundMemory>();
        const auto* formatBytes = reinterpret_cast<const BYTE*>(&wave);
        const std::size_t formatSize =
            sizeof(WAVEFORMATEX) + (wave.wFormatTag == WAVE_FORMAT_PCM ? 0 : wave.cbSize);
        memory->format.assign(formatBytes, formatBytes + formatSize);
        if (wave.wFormatTag == WAVE_FORMAT_PCM) {
            reinterpret_cast<WAVEFORMATEX*>(memory->format.data())->cbSize = 0;
        }
        memory->sample = *sample;
        memory->bytes.resize(desc->dwBufferBytes);
        memory->silence();
        if (const HRESULT hr = SoundBuffer::upload(*memory, m_state->output); FAILED(hr)) {
            return hr;
        }
        auto made = makeCom<SoundBuffer>(m_state, std::move(memory), flags);
        if (!made->init()) {
            return DSERR_OUTOFMEMORY;
        }
        *buffer = made.detach();
        return DS_OK;
    }

    HRESULT DuplicateSoundBuffer(LPDIRECTSOUNDBUFFER original,
                                 LPDIRECTSOUNDBUFFER* duplicate) override {
        if (duplicate == nullptr) {
            return DSERR_INVALIDPARAM;
        }
        *duplicate = nullptr;
        auto* source = dynamic_cast<SoundBuffer*>(original);
        if (source == nullptr || m_state->buffers.count(source) == 0) {
            return DSERR_INVALIDPARAM;
        }
        if ((source->flags() & DSBCAPS_CTRLFX) != 0) {
            return DSERR_INVALIDCALL;
        }
        auto made = makeCom<SoundBuffer>(m_state, source->memory(), source->flags());
        if (!made->init()) {
            return DSERR_OUTOFMEMORY;
        }
        made->copySettingsFrom(*source);
        *duplicate = made.detach();
        return DS_OK;
    }

    HRESULT SetCooperativeLevel(HWND /*window*/, DWORD level) override {
        if (level < DSSCL_NORMAL || level > DSSCL_WRITEPRIMARY) {
            return DSERR_INVALIDPARAM;
        }
        m_state->cooperativeLevel = level;
        return DS_OK;
    }

    HRESULT Compact() override { return DS_OK; }

private:
    std::shared_ptr<DeviceState> m_state;
};

HRESULT handOut(std::shared_ptr<OpenAlOutput> output, LPDIRECTSOUND8* directSound) {
    if (output == nullptr) {
        return DSERR_NODRIVER;
    }
    *directSound = makeCom<DirectSound>(std::move(output)).detach();
    return DS_OK;
}

DirectSoundDeviceSource& deviceSource() {
    static DirectSoundDeviceSource source;
    return source;
}

bool isDefaultDevice(LPCGUID device) {
    return device == nullptr || *device == GUID_NULL || *device == DSDEVID_DefaultPlayback;
}

} // namespace

HRESULT DirectSoundCreate8(LPCGUID device, LPDIRECTSOUND8* directSound, IUnknown* outer) {
    if (directSound == nullptr) {
        return DSERR_INVALIDPARAM;
    }
    *directSound = nullptr;
    if (outer != nullptr) {
        return DSERR_NOAGGREGATION;
    }
    if (!isDefaultDevice(device)) {
        return DSERR_NODRIVER;
    }
    if (const auto& source = deviceSource()) {
        return source(directSound);
    }
    // A machine without an audio device stays without one: after the first failure
    // (which OpenAL and the sound system report at length on stderr) the silent output
    // is handed out straight away.
    static std::atomic<bool> noDefaultDevice{false};
    if (!noDefaultDevice) {
        if (auto output = OpenAlOutput::openDefaultDevice()) {
            return handOut(std::move(output), directSound);
        }
        noDefaultDevice = true;
    }
    return handOut(OpenAlOutput::openSilent(), directSound);
}

HRESULT DirectSoundCreateSilent(LPDIRECTSOUND8* directSound) {
    if (directSound == nullptr) {
        return DSERR_INVALIDPARAM;
    }
    *directSound = nullptr;
    return handOut(OpenAlOutput::openSilent(), directSound);
}

HRESULT DirectSoundCreateLoopbackForTests(DWORD sampleRate, DWORD channels,
                                          DirectSoundLoopback* loopback) {
    if (loopback == nullptr || sampleRate == 0 || (channels != 1 && channels != 2)) {
        return DSERR_INVALIDPARAM;
    }
    auto output =
        OpenAlOutput::openLoopback(static_cast<int>(sampleRate), static_cast<int>(channels));
    if (output == nullptr) {
        return DSERR_NODRIVER;
    }
    loopback->sampleRate = sampleRate;
    loopback->channels = channels;
    // The render function holds the output, not the device object: it stays usable
    // (rendering silence) whatever the test releases first.
    loopback->render = [output, channels](std::size_t frames) {
        std::vector<float> samples(frames * channels);
        if (frames > 0) {
            output->render(samples.data(), static_cast<int>(frames));
        }
        return samples;
    };
    loopback->device = makeCom<DirectSound>(std::move(output));
    return DS_OK;
}

DirectSoundDeviceSource SetDirectSoundDeviceSourceForTests(DirectSoundDeviceSource source) {
    return std::exchange(deviceSource(), std::move(source));
}

DirectSoundOutput DirectSoundOutputOf(IDirectSound8* device) {
    auto* ours = dynamic_cast<DirectSound*>(device);
    return ours == nullptr ? DirectSoundOutput::None : ours->state()->output->kind();
}

HRESULT DirectSoundLoseBuffersForTests(IDirectSound8* device, unsigned restoreRefusals) {
    auto* ours = dynamic_cast<DirectSound*>(device);
    if (ours == nullptr) {
        return DSERR_INVALIDPARAM;
    }
    for (SoundBuffer* buffer : ours->state()->buffers) {
        buffer->lose();
        buffer->memory()->lost = true;
        buffer->memory()->restoreRefusals = restoreRefusals;
    }
    return DS_OK;
}
