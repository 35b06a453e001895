// One OpenAL device with its one context: a real audio device, a silent output that a
// thread of ours drives in real time, or a loopback device that a test drives.
#pragma once

#include <AL/al.h>
#include <AL/alc.h>

#include <condition_variable>
#include <memory>
#include <mutex>
#include <thread>

enum class DirectSoundOutput;

class OpenAlOutput {
    struct Key {};

public:
    // Each returns null when OpenAL cannot give that kind of output.
    static std::shared_ptr<OpenAlOutput> openDefaultDevice();
    static std::shared_ptr<OpenAlOutput> openSilent();
    static std::shared_ptr<OpenAlOutput> openLoopback(int sampleRate, int channels);

    // Made only through the open functions above (the key is theirs alone).
    OpenAlOutput(Key, ALCdevice* device, DirectSoundOutput kind, int sampleRate, int channels);
    OpenAlOutput(const OpenAlOutput&) = delete;
    OpenAlOutput& operator=(const OpenAlOutput&) = delete;
    ~OpenAlOutput();

    DirectSoundOutput kind() const { return m_kind; }
    int sampleRate() const { return m_sampleRate; }
    int channels() const { return m_channels; }

    // OpenAL calls act on the current context; the program may hold several devices
    // (tests do), so every group of calls makes its device's context current first.
    void makeCurrent() const;

    // Loopback and silent outputs: mixes frames into interleaved floats.
    void render(float* samples, int frames);

    // Ends the silent output's mixing thread (it then stays where it is).
    void stopPacing();

private:
    [[nodiscard]] bool createContext(const ALCint* attributes);
    void startPacing();
    void pace();

    ALCdevice* m_device;
    ALCcontext* m_context = nullptr;
    DirectSoundOutput m_kind;
    int m_sampleRate;
    int m_channels;

    std::thread m_pacer;
    std::mutex m_pacerMutex;
    std::condition_variable m_pacerWake;
    bool m_stopPacing = false;
};
