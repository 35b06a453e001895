#include "dsound/dsound.h"
#include "dsound/dsound_testing.h"

#include "sound_test_support.h"

#include <chrono>
#include <gtest/gtest.h>
#include <thread>

using namespace soundtest;

namespace {

constexpr DWORD kOutputRate = 44100;
constexpr DWORD kAllControls = DSBCAPS_CTRLFREQUENCY | DSBCAPS_CTRLPAN | DSBCAPS_CTRLVOLUME;

WAVEFORMATEX pcmFormat(WORD channels, DWORD rate, WORD bits) {
    WAVEFORMATEX f{};
    f.wFormatTag = WAVE_FORMAT_PCM;
    f.nChannels = channels;
    f.nSamplesPerSec = rate;
    f.wBitsPerSample = bits;
    f.nBlockAlign = static_cast<WORD>(channels * bits / 8);
    f.nAvgBytesPerSec = rate * f.nBlockAlign;
    return f;
}

class DirectSoundTest : public ::testing::Test {
protected:
    void SetUp() override { open(1); }

    void open(DWORD channels) {
        ASSERT_EQ(DirectSoundCreateLoopbackForTests(kOutputRate, channels, &m_loopback), DS_OK);
        ASSERT_EQ(m_loopback.device->SetCooperativeLevel(nullptr, DSSCL_PRIORITY), DS_OK);
    }

    IDirectSound8* device() { return m_loopback.device.get(); }

    ComPtr<IDirectSoundBuffer> make(DWORD bytes, WAVEFORMATEX format, DWORD flags = kAllControls) {
        DSBUFFERDESC desc{};
        desc.dwSize = sizeof desc;
        desc.dwFlags = flags;
        desc.dwBufferBytes = bytes;
        desc.lpwfxFormat = &format;
        ComPtr<IDirectSoundBuffer> buffer;
        EXPECT_EQ(device()->CreateSoundBuffer(&desc, buffer.put(), nullptr), DS_OK);
        return buffer;
    }

    // A buffer holding a sine at rate, filled through Lock/Unlock.
    ComPtr<IDirectSoundBuffer> tone(double hz, double seconds, DWORD rate = 22050,
                                    DWORD flags = kAllControls) {
        const Bytes samples = sine16(rate, hz, seconds);
        auto buffer = make(static_cast<DWORD>(samples.size()), pcmFormat(1, rate, 16), flags);
        write(buffer.get(), 0, samples);
        return buffer;
    }

    static void write(IDirectSoundBuffer* buffer, DWORD offset, const Bytes& bytes) {
        void* p1 = nullptr;
        void* p2 = nullptr;
        DWORD n1 = 0;
        DWORD n2 = 0;
        ASSERT_EQ(buffer->Lock(offset, static_cast<DWORD>(bytes.size()), &p1, &n1, &p2, &n2, 0),
                  DS_OK);
        std::memcpy(p1, bytes.data(), n1);
        if (n2 > 0) {
            std::memcpy(p2, bytes.data() + n1, n2);
        }
        ASSERT_EQ(buffer->Unlock(p1, n1, p2, n2), DS_OK);
    }

    std::vector<float> render(double seconds) {
        return m_loopback.render(static_cast<std::size_t>(seconds * kOutputRate));
    }

    static DWORD status(IDirectSoundBuffer* buffer) {
        DWORD s = 0;
        EXPECT_EQ(buffer->GetStatus(&s), DS_OK);
        return s;
    }

    static DWORD playCursor(IDirectSoundBuffer* buffer) {
        DWORD play = 0;
        EXPECT_EQ(buffer->GetCurrentPosition(&play, nullptr), DS_OK);
        return play;
    }

    DirectSoundLoopback m_loopback;
};

} // namespace

// Integer PCM of 8 to 32 bits and 32-bit float PCM, plain or extensible, mono or
// stereo; a buffer keeps the bytes in its own format whatever OpenAL is given.
TEST_F(DirectSoundTest, CreationAcceptsTheFormatsItCanPlay) {
    for (WORD channels : {1, 2}) {
        for (WORD bits : {8, 16, 24, 32}) {
            EXPECT_NE(make(96, pcmFormat(channels, 22050, bits)), nullptr);
        }
        WAVEFORMATEX floats = pcmFormat(channels, 22050, 32);
        floats.wFormatTag = WAVE_FORMAT_IEEE_FLOAT;
        auto buffer = make(96, floats);
        ASSERT_NE(buffer, nullptr);
        WAVEFORMATEX kept{};
        ASSERT_EQ(buffer->GetFormat(&kept, sizeof kept, nullptr), DS_OK);
        EXPECT_EQ(kept.wFormatTag, WAVE_FORMAT_IEEE_FLOAT);
        EXPECT_EQ(kept.wBitsPerSample, 32);
    }
    WAVEFORMATEX format{};
    DSBUFFERDESC desc{sizeof(DSBUFFERDESC), 0, 96, 0, &format, GUID_NULL};
    ComPtr<IDirectSoundBuffer> buffer;
    const auto createWith = [&](WAVEFORMATEX f) {
        format = f;
        return device()->CreateSoundBuffer(&desc, buffer.put(), nullptr);
    };
    WAVEFORMATEX doubles = pcmFormat(1, 22050, 64);
    doubles.wFormatTag = WAVE_FORMAT_IEEE_FLOAT;
    EXPECT_EQ(createWith(doubles), DSERR_BADFORMAT);
    WAVEFORMATEX halfFloats = pcmFormat(1, 22050, 16);
    halfFloats.wFormatTag = WAVE_FORMAT_IEEE_FLOAT;
    EXPECT_EQ(createWith(halfFloats), DSERR_BADFORMAT);
    EXPECT_EQ(createWith(pcmFormat(1, 22050, 12)), DSERR_BADFORMAT);
    EXPECT_EQ(createWith(pcmFormat(3, 22050, 16)), DSERR_BADFORMAT);
    WAVEFORMATEX adpcm = pcmFormat(1, 22050, 16);
    adpcm.wFormatTag = 2;
    EXPECT_EQ(createWith(adpcm), DSERR_BADFORMAT);
    WAVEFORMATEX misaligned = pcmFormat(2, 22050, 16);
    misaligned.nBlockAlign = 2;
    EXPECT_EQ(createWith(misaligned), DSERR_BADFORMAT);
    EXPECT_EQ(buffer, nullptr);
    desc.dwBufferBytes = 3;
    EXPECT_EQ(createWith(pcmFormat(1, 22050, 16)), DSERR_INVALIDPARAM);
}

// What a wide or float buffer holds is what plays, also after the bytes are changed
// through a lock: a float tone and its 24-bit twin sound alike, stereo sides apart.
TEST_F(DirectSoundTest, WideAndFloatSamplesPlayAsWritten) {
    open(2);
    const auto heard = [this](WAVEFORMATEX format, const Bytes& left, const Bytes& right) {
        const WORD width = format.wBitsPerSample / 8;
        Bytes interleaved;
        for (std::size_t at = 0; at < left.size(); at += width) {
            interleaved.insert(interleaved.end(), left.begin() + static_cast<std::ptrdiff_t>(at),
                               left.begin() + static_cast<std::ptrdiff_t>(at + width));
            interleaved.insert(interleaved.end(), right.begin() + static_cast<std::ptrdiff_t>(at),
                               right.begin() + static_cast<std::ptrdiff_t>(at + width));
        }
        auto buffer = make(static_cast<DWORD>(interleaved.size()), format);
        if (buffer == nullptr) {
            return std::vector<float>{};
        }
        write(buffer.get(), 0, interleaved);
        EXPECT_EQ(buffer->Play(0, 0, 0), DS_OK);
        render(0.02);
        return render(0.3);
    };
    WAVEFORMATEX floats = pcmFormat(2, 22050, 32);
    floats.wFormatTag = WAVE_FORMAT_IEEE_FLOAT;
    const std::vector<float> fromFloats =
        heard(floats, sine(22050, 441, 1, 32, true), sine(22050, 882, 1, 32, true, 0.25));
    const std::vector<float> from24 = heard(pcmFormat(2, 22050, 24), sine(22050, 441, 1, 24),
                                            sine(22050, 882, 1, 24, false, 0.25));
    for (const std::vector<float>* both : {&fromFloats, &from24}) {
        const std::vector<float> left = channel(*both, 2, 0);
        const std::vector<float> right = channel(*both, 2, 1);
        EXPECT_NEAR(frequency(left, kOutputRate), 441.0, 441.0 * 0.01);
        EXPECT_NEAR(frequency(right, kOutputRate), 882.0, 882.0 * 0.01);
        EXPECT_NEAR(rms(left) / rms(right), 2.0, 0.05);
    }
    EXPECT_NEAR(rms(fromFloats), rms(from24), rms(from24) * 0.01);
}

TEST_F(DirectSoundTest, LockedBytesPlayAfterUnlockAtTheSetFrequency) {
    const Bytes samples = sine16(22050, 441.0, 1.0);
    const auto size = static_cast<DWORD>(samples.size());
    auto buffer = make(size, pcmFormat(1, 22050, 16));
    // A lock past the end wraps round to the start in a second region.
    void* p1 = nullptr;
    void* p2 = nullptr;
    DWORD n1 = 0;
    DWORD n2 = 0;
    ASSERT_EQ(buffer->Lock(size - 100, size, &p1, &n1, &p2, &n2, 0), DS_OK);
    ASSERT_EQ(n1, 100u);
    ASSERT_EQ(n2, size - 100);
    EXPECT_EQ(static_cast<BYTE*>(p1) - static_cast<BYTE*>(p2), size - 100);
    std::memcpy(p1, samples.data() + size - 100, n1);
    std::memcpy(p2, samples.data(), n2);
    EXPECT_EQ(buffer->Unlock(static_cast<BYTE*>(p1) + 1, n1, nullptr, 0), DSERR_INVALIDPARAM);
    ASSERT_EQ(buffer->Unlock(p1, n1, p2, n2), DS_OK);
    EXPECT_EQ(buffer->Unlock(p1, n1, p2, n2), DSERR_INVALIDCALL);
    EXPECT_EQ(buffer->Lock(size, 1, &p1, &n1, &p2, &n2, 0), DSERR_INVALIDPARAM);

    ASSERT_EQ(buffer->Play(0, 0, 0), DS_OK);
    render(0.05);
    EXPECT_NEAR(frequency(render(0.3), kOutputRate), 441.0, 441.0 * 0.005);
    ASSERT_EQ(buffer->SetFrequency(33075), DS_OK); // 1.5 x its own rate
    render(0.01);
    EXPECT_NEAR(frequency(render(0.2), kOutputRate), 661.5, 661.5 * 0.01);
    ASSERT_EQ(buffer->SetFrequency(DSBFREQUENCY_ORIGINAL), DS_OK);
    DWORD f = 0;
    ASSERT_EQ(buffer->GetFrequency(&f), DS_OK);
    EXPECT_EQ(f, 22050u);
    render(0.01);
    EXPECT_NEAR(frequency(render(0.1), kOutputRate), 441.0, 441.0 * 0.01);
    EXPECT_EQ(buffer->SetFrequency(99), DSERR_INVALIDPARAM);

    auto fixed = make(64, pcmFormat(1, 22050, 16), 0);
    EXPECT_EQ(fixed->SetFrequency(22050), DSERR_CONTROLUNAVAIL);
    EXPECT_EQ(fixed->SetVolume(0), DSERR_CONTROLUNAVAIL);
}

TEST_F(DirectSoundTest, VolumeIsAttenuationInHundredthsOfADecibel) {
    const auto level = [&](LONG volume) {
        auto buffer = tone(441.0, 0.5);
        EXPECT_EQ(buffer->SetVolume(volume), DS_OK);
        EXPECT_EQ(buffer->Play(0, 0, 0), DS_OK);
        render(0.05);
        return rms(render(0.3));
    };
    const double full = level(DSBVOLUME_MAX);
    ASSERT_GT(full, 0.1);
    EXPECT_NEAR(level(-2000) / full, 0.1, 0.005);
    EXPECT_NEAR(level(-600) / full, std::pow(10.0, -0.3), 0.01);
    EXPECT_EQ(level(DSBVOLUME_MIN), 0.0);
    EXPECT_EQ(tone(441.0, 0.1)->SetVolume(1), DSERR_INVALIDPARAM);
}

TEST_F(DirectSoundTest, PanLowersTheFarSide) {
    m_loopback = {};
    open(2);
    // The far side's drop in decibels.
    const auto drop = [&](LONG pan) {
        auto buffer = tone(441.0, 0.5);
        EXPECT_EQ(buffer->SetPan(pan), DS_OK);
        EXPECT_EQ(buffer->Play(0, 0, 0), DS_OK);
        render(0.05);
        const auto both = render(0.2);
        const double left = rms(channel(both, 2, 0));
        const double right = rms(channel(both, 2, 1));
        return 20.0 * std::log10(pan < 0 ? left / right : right / left);
    };
    EXPECT_NEAR(drop(DSBPAN_CENTER), 0.0, 0.2);
    EXPECT_NEAR(drop(1000), 10.0, 1.5);
    EXPECT_NEAR(drop(-400), 4.0, 1.0);
    EXPECT_GT(drop(DSBPAN_LEFT), 60.0);
}

TEST_F(DirectSoundTest, StatusFollowsPlayStopAndTheEnd) {
    auto buffer = tone(441.0, 0.2); // 8820 bytes
    EXPECT_EQ(status(buffer.get()), 0u);
    ASSERT_EQ(buffer->Play(0, 0, DSBPLAY_LOOPING), DS_OK);
    render(0.5);
    EXPECT_EQ(status(buffer.get()), DSBSTATUS_PLAYING | DSBSTATUS_LOOPING);

    // Stop keeps the position; Play goes on from it.
    ASSERT_EQ(buffer->Stop(), DS_OK);
    EXPECT_EQ(status(buffer.get()), 0u);
    const DWORD stoppedAt = playCursor(buffer.get());
    render(0.05);
    EXPECT_EQ(playCursor(buffer.get()), stoppedAt);

    // Without looping it ends by itself; Play on a playing buffer does not rewind it.
    ASSERT_EQ(buffer->SetCurrentPosition(4410), DS_OK);
    ASSERT_EQ(buffer->Play(0, 0, 0), DS_OK);
    EXPECT_EQ(status(buffer.get()), DSBSTATUS_PLAYING);
    render(0.02);
    const DWORD before = playCursor(buffer.get());
    EXPECT_GT(before, 4410u);
    ASSERT_EQ(buffer->Play(0, 0, 0), DS_OK);
    EXPECT_GE(playCursor(buffer.get()), before);
    render(0.1);
    EXPECT_EQ(status(buffer.get()), 0u);
    EXPECT_EQ(playCursor(buffer.get()), 0u);
}

TEST_F(DirectSoundTest, DuplicatesShareMemoryButNotSettings) {
    auto original = tone(441.0, 0.5);
    ASSERT_EQ(original->SetVolume(-2000), DS_OK);
    ComPtr<IDirectSoundBuffer> copy;
    ASSERT_EQ(device()->DuplicateSoundBuffer(original.get(), copy.put()), DS_OK);
    LONG volume = 0;
    ASSERT_EQ(copy->SetVolume(0), DS_OK);
    ASSERT_EQ(original->GetVolume(&volume), DS_OK);
    EXPECT_EQ(volume, -2000);

    // Bytes written through the original are what the duplicate plays, and it plays on
    // after the original is gone.
    write(original.get(), 0, sine16(22050, 882.0, 0.5));
    original = nullptr;
    ASSERT_EQ(copy->Play(0, 0, 0), DS_OK);
    render(0.05);
    EXPECT_NEAR(frequency(render(0.3), kOutputRate), 882.0, 882.0 * 0.01);

    auto withFx = tone(441.0, 0.1, 22050, DSBCAPS_CTRLFX);
    ComPtr<IDirectSoundBuffer> none;
    EXPECT_EQ(device()->DuplicateSoundBuffer(withFx.get(), none.put()), DSERR_INVALIDCALL);
}

TEST(DirectSoundDevice, SilentOutputPlaysInRealTime) {
    ComPtr<IDirectSound8> ds;
    ASSERT_EQ(DirectSoundCreateSilent(ds.put()), DS_OK);
    WAVEFORMATEX format = pcmFormat(1, 22050, 16);
    DSBUFFERDESC desc{sizeof(DSBUFFERDESC), 0, 4410, 0, &format, GUID_NULL}; // 0.1 s
    ComPtr<IDirectSoundBuffer> buffer;
    ASSERT_EQ(ds->CreateSoundBuffer(&desc, buffer.put(), nullptr), DS_OK);
    EXPECT_EQ(buffer->Play(0, 0, 0), DSERR_PRIOLEVELNEEDED);
    ASSERT_EQ(ds->SetCooperativeLevel(nullptr, DSSCL_PRIORITY), DS_OK);

    using Clock = std::chrono::steady_clock;
    const auto start = Clock::now();
    ASSERT_EQ(buffer->Play(0, 0, 0), DS_OK);
    DWORD s = DSBSTATUS_PLAYING;
    while ((s & DSBSTATUS_PLAYING) != 0 && Clock::now() - start < std::chrono::seconds(5)) {
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
        ASSERT_EQ(buffer->GetStatus(&s), DS_OK);
    }
    const auto took = Clock::now() - start;
    EXPECT_EQ(s & DSBSTATUS_PLAYING, 0u);
    EXPECT_GE(took, std::chrono::milliseconds(60));
    EXPECT_LT(took, std::chrono::milliseconds(1000));
}
