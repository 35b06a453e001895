#include "OpenAlOutput.h"

#include "dsound/dsound_testing.h"

#include <AL/alext.h>

#include <atomic>
#include <chrono>
#include <cstdlib>
#include <set>
#include <vector>

namespace {

struct LoopbackFunctions {
    LPALCLOOPBACKOPENDEVICESOFT open = nullptr;
    LPALCISRENDERFORMATSUPPORTEDSOFT isFormatSupported = nullptr;
    LPALCRENDERSAMPLESSOFT render = nullptr;

    bool available() const { return open != nullptr && render != nullptr; }
};

const LoopbackFunctions& loopbackFunctions() {
    static const LoopbackFunctions functions = [] {
        LoopbackFunctions f;
        if (alcIsExtensionPresent(nullptr, "ALC_SOFT_loopback") == ALC_TRUE) {
            f.open = reinterpret_cast<LPALCLOOPBACKOPENDEVICESOFT>(
                alcGetProcAddress(nullptr, "alcLoopbackOpenDeviceSOFT"));
            f.isFormatSupported = reinterpret_cast<LPALCISRENDERFORMATSUPPORTEDSOFT>(
                alcGetProcAddress(nullptr, "alcIsRenderFormatSupportedSOFT"));
            f.render = reinterpret_cast<LPALCRENDERSAMPLESSOFT>(
                alcGetProcAddress(nullptr, "alcRenderSamplesSOFT"));
        }
        return f;
    }();
    return functions;
}

// The silent output mixes in slices of this many frames, each at the moment a real
// device would have asked for it, so that sounds take their real time to play out.
constexpr int kSilentRate = 44100;
constexpr int kSilentSlice = 441;

// Silent outputs whose thread is mixing. A host that exits without tearing the engine
// down leaves them running; they are stopped at exit, before OpenAL shuts itself down
// under them.
struct RunningPacers {
    std::mutex mutex;
    std::set<OpenAlOutput*> outputs;
};

// Set once the exit handler has run: outputs destroyed later (by static destructors)
// no longer touch the list, which is itself about to go.
std::atomic<bool> exiting{false};

RunningPacers& runningPacers() {
    static RunningPacers pacers;
    static const bool registered = [] {
        std::atexit([] {
            exiting = true;
            std::set<OpenAlOutput*> outputs;
            {
                std::lock_guard lock(runningPacers().mutex);
                outputs.swap(runningPacers().outputs);
            }
            for (OpenAlOutput* output : outputs) {
                output->stopPacing();
            }
        });
        return true;
    }();
    (void)registered;
    return pacers;
}

} // namespace

OpenAlOutput::OpenAlOutput(Key, ALCdevice* device, DirectSoundOutput kind, int sampleRate,
                           int channels)
    : m_device(device), m_kind(kind), m_sampleRate(sampleRate), m_channels(channels) {}

OpenAlOutput::~OpenAlOutput() {
    if (!exiting) {
        std::lock_guard lock(runningPacers().mutex);
        runningPacers().outputs.erase(this);
    }
    stopPacing();
    if (m_context != nullptr) {
        if (alcGetCurrentContext() == m_context) {
            alcMakeContextCurrent(nullptr);
        }
        alcDestroyContext(m_context);
    }
    alcCloseDevice(m_device);
}

bool OpenAlOutput::createContext(const ALCint* attributes) {
    m_context = alcCreateContext(m_device, attributes);
    if (m_context == nullptr) {
        return false;
    }
    makeCurrent();
    // Distance plays no part: a source is placed only to pan it.
    alDistanceModel(AL_NONE);
    return true;
}

void OpenAlOutput::makeCurrent() const {
    if (alcGetCurrentContext() != m_context) {
        alcMakeContextCurrent(m_context);
    }
}

std::shared_ptr<OpenAlOutput> OpenAlOutput::openDefaultDevice() {
    ALCdevice* device = alcOpenDevice(nullptr);
    if (device == nullptr) {
        return nullptr;
    }
    ALCint rate = 0;
    alcGetIntegerv(device, ALC_FREQUENCY, 1, &rate);
    auto output = std::make_shared<OpenAlOutput>(Key{}, device, DirectSoundOutput::Device, rate, 2);
    return output->createContext(nullptr) ? output : nullptr;
}

std::shared_ptr<OpenAlOutput> OpenAlOutput::openLoopback(int sampleRate, int channels) {
    const auto& f = loopbackFunctions();
    if (!f.available() || sampleRate <= 0 || (channels != 1 && channels != 2)) {
        return nullptr;
    }
    const ALCenum layout = channels == 1 ? ALC_MONO_SOFT : ALC_STEREO_SOFT;
    ALCdevice* device = f.open(nullptr);
    if (device == nullptr) {
        return nullptr;
    }
    auto output = std::make_shared<OpenAlOutput>(Key{}, device, DirectSoundOutput::Loopback,
                                                 sampleRate, channels);
    if (f.isFormatSupported != nullptr &&
        f.isFormatSupported(device, sampleRate, layout, ALC_FLOAT_SOFT) != ALC_TRUE) {
        return nullptr;
    }
    // No limiter and no HRTF: what is rendered is the plain sum of the sources, so
    // that levels can be measured.
    const ALCint attributes[] = {ALC_FORMAT_CHANNELS_SOFT,
                                 layout,
                                 ALC_FORMAT_TYPE_SOFT,
                                 ALC_FLOAT_SOFT,
                                 ALC_FREQUENCY,
                                 sampleRate,
                                 ALC_HRTF_SOFT,
                                 ALC_FALSE,
                                 ALC_OUTPUT_LIMITER_SOFT,
                                 ALC_FALSE,
                                 0};
    return output->createContext(attributes) ? output : nullptr;
}

std::shared_ptr<OpenAlOutput> OpenAlOutput::openSilent() {
    // OpenAL Soft has a null output of its own, but it picks its output backend once
    // per process, before the first device is asked for; once the default device has
    // failed to open, the null backend can no longer be had. A loopback device mixed by
    // our own clock behaves the same and can be opened at any time.
    auto output = openLoopback(kSilentRate, 2);
    if (output == nullptr) {
        return nullptr;
    }
    output->m_kind = DirectSoundOutput::Silent;
    output->startPacing();
    return output;
}

void OpenAlOutput::render(float* samples, int frames) {
    loopbackFunctions().render(m_device, samples, frames);
}

void OpenAlOutput::startPacing() {
    if (exiting) {
        return;
    }
    auto& pacers = runningPacers();
    std::lock_guard lock(pacers.mutex);
    m_pacer = std::thread([this] { pace(); });
    pacers.outputs.insert(this);
}

void OpenAlOutput::stopPacing() {
    if (!m_pacer.joinable()) {
        return;
    }
    {
        std::lock_guard lock(m_pacerMutex);
        m_stopPacing = true;
    }
    m_pacerWake.notify_all();
    m_pacer.join();
}

// Mixing needs no current context, and OpenAL locks the device against the calls of
// the program's own thread while it mixes, as it does for a real device's mixer thread.
void OpenAlOutput::pace() {
    using Clock = std::chrono::steady_clock;
    const auto slice = std::chrono::duration_cast<Clock::duration>(
        std::chrono::duration<double>(static_cast<double>(kSilentSlice) / m_sampleRate));
    std::vector<float> scratch(static_cast<std::size_t>(kSilentSlice) * m_channels);
    auto next = Clock::now();
    std::unique_lock lock(m_pacerMutex);
    while (!m_stopPacing) {
        lock.unlock();
        render(scratch.data(), kSilentSlice);
        lock.lock();
        next += slice;
        // After a stall (a busy machine, a suspended process) go on from now, rather than
        // rush through the time missed and end sounds early.
        if (next < Clock::now() - 2 * slice) {
            next = Clock::now();
        }
        m_pacerWake.wait_until(lock, next, [this] { return m_stopPacing; });
    }
}
