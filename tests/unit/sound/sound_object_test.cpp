#include "assets/sound/SoundObject.h"
#include "assets/sound/WaveFile.h"
#include "dsound/dsound_testing.h"
#include "win32/resources.h"

#include "sound_test_support.h"

#include <gtest/gtest.h>

using namespace soundtest;

namespace {

constexpr DWORD kOutputRate = 44100;

// An engine sound set-up whose device is a loopback device that the test renders.
class SoundObjectTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_EQ(DirectSoundCreateLoopbackForTests(kOutputRate, 1, &m_loopback), DS_OK);
        m_previousSource = SetDirectSoundDeviceSourceForTests([this](LPDIRECTSOUND8* out) {
            *out = m_loopback.device.get();
            (*out)->AddRef();
            return DS_OK;
        });
        ASSERT_EQ(m_manager.initialize(nullptr, DSSCL_PRIORITY), S_OK);
    }

    void TearDown() override {
        SetDirectSoundDeviceSourceForTests(m_previousSource);
        ClearResources();
    }

    std::unique_ptr<SoundObject> load(const std::string& path) {
        auto sound = std::make_unique<SoundObject>(path.c_str(), &m_manager);
        EXPECT_EQ(sound->load(), 0) << path;
        return sound;
    }

    std::vector<float> render(double seconds) {
        return m_loopback.render(static_cast<std::size_t>(seconds * kOutputRate));
    }

    // The pitch heard after the sound has settled.
    double heardFrequency(double seconds = 0.3) {
        render(0.02);
        return frequency(render(seconds), kOutputRate);
    }

    TempDir m_dir;
    DirectSoundLoopback m_loopback;
    DirectSoundDeviceSource m_previousSource;
    SoundManager m_manager;
};

} // namespace

TEST_F(SoundObjectTest, RateStepsScaleTheFilesOwnRate) {
    const auto sound =
        load(m_dir.file("tone.wav", pcmWave(22050, 1, 16, sine16(22050, 441.0, 1.0))));
    EXPECT_EQ(sound->baseFrequency(), 22050);
    for (int step : {0, 1, 2, 5, -3}) {
        SCOPED_TRACE(step);
        ASSERT_EQ(sound->play(0, 0, step, 0), S_OK);
        const double expected = 441.0 * (1.0 + 0.1 * step);
        EXPECT_NEAR(heardFrequency(), expected, expected * 0.02);
        sound->sound()->stop();
    }
    // Truncated to whole samples per second: 1.1 x 22050 is 24255 exactly, 1.3 x 22050
    // comes out a hair above 28665 in floating point.
    EXPECT_EQ(sound->frequencyForStep(1), 24255);
    EXPECT_EQ(sound->frequencyForStep(3), 28665);
    EXPECT_EQ(sound->frequencyForStep(-10), 0);
}

TEST_F(SoundObjectTest, VolumeZeroIsFullAndMinusTenThousandIsSilent) {
    const auto sound =
        load(m_dir.file("tone.wav", pcmWave(22050, 1, 16, sine16(22050, 441.0, 1.0))));
    ASSERT_EQ(sound->play(0, 0, 0, 0), S_OK);
    render(0.02);
    const double full = rms(render(0.2));
    sound->sound()->stop();
    ASSERT_EQ(sound->play(0, -10000, 0, 0), S_OK);
    render(0.02);
    const double silent = rms(render(0.2));
    EXPECT_GT(full, 0.1);
    EXPECT_EQ(silent, 0.0);
}

TEST_F(SoundObjectTest, PlayingAgainRestartsTheOnlyBuffer) {
    const auto sound =
        load(m_dir.file("knock.wav", pcmWave(22050, 1, 16, sine16(22050, 441.0, 0.5))));
    ASSERT_EQ(sound->play(0, 0, 0, 0), S_OK);
    render(0.3);
    ASSERT_EQ(sound->play(0, 0, 0, 0), S_OK);
    // Heard from its start again: still sounding 0.35 s on, where the first play would
    // have ended after 0.2 s, and over 0.5 s after the second play.
    const auto after = render(0.4);
    EXPECT_GT(rms(after, static_cast<std::size_t>(0.3 * kOutputRate)), 0.1);
    const auto tail = render(0.2);
    EXPECT_EQ(rms(tail, static_cast<std::size_t>(0.15 * kOutputRate)), 0.0);
    EXPECT_FALSE(sound->sound()->isPlaying());
}

TEST_F(SoundObjectTest, LoopingPlaysOnPastTheEnd) {
    const auto sound =
        load(m_dir.file("roll.wav", pcmWave(22050, 1, 16, sine16(22050, 441.0, 0.2))));
    ASSERT_EQ(sound->play(1, 0, 0, 0), S_OK);
    render(0.5);
    EXPECT_GT(rms(render(0.1)), 0.1);
    DWORD status = 0;
    ASSERT_EQ(sound->sound()->buffer(0)->GetStatus(&status), DS_OK);
    EXPECT_EQ(status, DSBSTATUS_PLAYING | DSBSTATUS_LOOPING);
}

TEST_F(SoundObjectTest, LongFilesKeepTheirRateSteps) {
    // 999,956 data bytes make a wave file of exactly 1,000,000 bytes; one stray byte
    // after the RIFF chunk makes it 1,000,001. Both are the same 45 s sound at 11025 Hz.
    const Bytes samples = sine16(11025, 300.0, 999956 / 2 / 11025.0 + 0.001);
    Bytes exact = pcmWave(11025, 1, 16, Bytes(samples.begin(), samples.begin() + 999956));
    ASSERT_EQ(exact.size(), 1000000u);
    Bytes over = exact;
    over.push_back(0);

    const auto atLimit = load(m_dir.file("exact.wav", exact));
    const auto pastLimit = load(m_dir.file("over.wav", over));
    EXPECT_EQ(atLimit->baseFrequency(), 11025);
    EXPECT_EQ(pastLimit->baseFrequency(), 11025);

    ASSERT_EQ(pastLimit->play(0, 0, 1, 0), S_OK);
    EXPECT_NEAR(heardFrequency(), 330.0, 330.0 * 0.02);
}

TEST_F(SoundObjectTest, SoundsFromTheResourceTablePlayAtTheirRate) {
    const Bytes wave = pcmWave(16000, 1, 16, sine16(16000, 400.0, 1.0));
    RegisterResource("WAVE", "built-in/tone.wav", wave.data(), static_cast<DWORD>(wave.size()));
    const auto sound = load("built-in/tone.wav");
    ASSERT_NE(sound->sound(), nullptr);
    EXPECT_TRUE(sound->sound()->wave()->fromResource());
    EXPECT_EQ(sound->baseFrequency(), 16000);
    ASSERT_EQ(sound->play(0, 0, 2, 0), S_OK);
    EXPECT_NEAR(heardFrequency(), 480.0, 480.0 * 0.02);
}

// Float samples, and integers wider than 16 bits, play at their pitch and as loud as the
// same tone in 16 bits (they used to load at base frequency 0 and stay silent).
TEST_F(SoundObjectTest, FloatAndWideIntegerFilesPlayLikeSixteenBitOnes) {
    const auto level = [this](const std::string& name, const Bytes& wave) {
        const auto sound = load(m_dir.file(name, wave));
        EXPECT_EQ(sound->baseFrequency(), 22050);
        EXPECT_EQ(sound->play(0, 0, 0, 0), S_OK);
        render(0.02);
        const std::vector<float> heard = render(0.3);
        EXPECT_NEAR(frequency(heard, kOutputRate), 441.0, 441.0 * 0.01);
        if (sound->sound() != nullptr) {
            sound->sound()->stop();
        }
        return rms(heard);
    };
    const double reference = level("16.wav", pcmWave(22050, 1, 16, sine(22050, 441, 1, 16)));
    ASSERT_GT(reference, 0.3);
    const Bytes floats = sine(22050, 441, 1, 32, true);
    const std::vector<std::pair<std::string, Bytes>> files = {
        {"float.wav", floatWave(22050, 1, floats)},
        {"float-extensible.wav",
         riff("WAVE", {chunk("fmt ", fmtBodyWithExtra(WAVE_FORMAT_EXTENSIBLE, 1, 22050, 32,
                                                      extensibleExtra(32, 3))),
                       chunk("data", floats)})},
        {"24.wav", pcmWave(22050, 1, 24, sine(22050, 441, 1, 24))},
        {"24-extensible.wav",
         riff("WAVE", {chunk("fmt ", fmtBodyWithExtra(WAVE_FORMAT_EXTENSIBLE, 1, 22050, 24,
                                                      extensibleExtra(24, 1))),
                       chunk("data", sine(22050, 441, 1, 24))})},
        {"32.wav", pcmWave(22050, 1, 32, sine(22050, 441, 1, 32))},
    };
    for (const auto& [name, bytes] : files) {
        SCOPED_TRACE(name);
        EXPECT_NEAR(level(name, bytes), reference, reference * 0.01);
    }
}

TEST_F(SoundObjectTest, BadFilesLeaveNothingToPlay) {
    const Bytes fmt = fmtBody(1, 1, 22050, 16);
    const std::vector<std::pair<std::string, Bytes>> files = {
        {"truncated.wav",
         [] {
             Bytes b = pcmWave(22050, 1, 16, pattern(400));
             b.resize(300);
             return b;
         }()},
        {"lying.wav", riff("WAVE", {chunk("fmt ", fmt), chunk("data", pattern(40), 4000)})},
        {"empty-data.wav", riff("WAVE", {chunk("fmt ", fmt), chunk("data", {})})},
        {"adpcm.wav", riff("WAVE", {chunk("fmt ", fmtBodyWithExtra(2, 1, 22050, 4, pattern(32))),
                                    chunk("data", pattern(400))})},
        {"one-sample.wav", pcmWave(22050, 1, 16, pattern(2))},
        {"text.wav", Bytes{'n', 'o', 't', ' ', 'a', ' ', 'w', 'a', 'v', 'e'}},
    };
    for (const auto& [name, bytes] : files) {
        SCOPED_TRACE(name);
        SoundObject sound(m_dir.file(name, bytes).c_str(), &m_manager);
        EXPECT_EQ(sound.load(), 1);
        EXPECT_EQ(sound.sound(), nullptr);
        EXPECT_EQ(sound.play(0, 0, 1, 0), CO_E_NOTINITIALIZED);
    }
    SoundObject missing(m_dir.path("missing.wav").c_str(), &m_manager);
    EXPECT_EQ(missing.load(), 1);
    EXPECT_EQ(missing.play(1, 0, 0, 0), CO_E_NOTINITIALIZED);
    EXPECT_EQ(rms(render(0.05)), 0.0);

    // A failed reload drops the sound that was there.
    const std::string path = m_dir.file("changing.wav", pcmWave(22050, 1, 16, pattern(100)));
    SoundObject changing(path.c_str(), &m_manager);
    ASSERT_EQ(changing.load(), 0);
    m_dir.file("changing.wav", Bytes{'x'});
    EXPECT_EQ(changing.load(), 1);
    EXPECT_EQ(changing.sound(), nullptr);
}

TEST_F(SoundObjectTest, LostBufferIsRestoredAndRefilledBeforePlaying) {
    const auto sound =
        load(m_dir.file("tone.wav", pcmWave(22050, 1, 16, sine16(22050, 441.0, 1.0))));
    ASSERT_EQ(DirectSoundLoseBuffersForTests(m_loopback.device.get(), 2), DS_OK);
    ASSERT_EQ(sound->play(0, 0, 0, 0), S_OK);
    EXPECT_NEAR(heardFrequency(), 441.0, 441.0 * 0.02);
}

TEST(SoundWithoutDevice, NoDeviceMeansNoSoundAndNoFailureElsewhere) {
    const auto previous =
        SetDirectSoundDeviceSourceForTests([](LPDIRECTSOUND8*) { return DSERR_NODRIVER; });
    SoundManager manager;
    EXPECT_EQ(manager.initialize(nullptr, DSSCL_PRIORITY), DSERR_NODRIVER);
    EXPECT_EQ(manager.directSound(), nullptr);
    SetDirectSoundDeviceSourceForTests(previous);

    std::unique_ptr<BufferedSound> sound;
    EXPECT_EQ(manager.create(&sound, "samples/sounds/hit.wav"), CO_E_NOTINITIALIZED);
    SoundObject object(TW_SOURCE_DIR "/samples/sounds/hit.wav", &manager);
    EXPECT_EQ(object.load(), 1);
    EXPECT_EQ(object.play(0, 0, 1, 0), CO_E_NOTINITIALIZED);
    SoundObject orphan(TW_SOURCE_DIR "/samples/sounds/hit.wav", nullptr);
    EXPECT_EQ(orphan.load(), 1);
}

TEST(SoundWithoutDevice, DefaultDeviceLoadsAndPlaysTheSamples) {
    // Whatever this machine has: a sound card, or else the silent output.
    SoundManager manager;
    ASSERT_EQ(manager.initialize(nullptr, DSSCL_PRIORITY), S_OK);
    for (const char* name : {"roll.wav", "hit.wav", "chime.wav", "roll.flac", "chime.ogg"}) {
        SCOPED_TRACE(name);
        const std::filesystem::path path = std::string(TW_SOURCE_DIR "/samples/sounds/") + name;
        EXPECT_LT(std::filesystem::file_size(path), 100u * 1024u);
        SoundObject sound(path.c_str(), &manager);
        ASSERT_EQ(sound.load(), 0);
        const WAVEFORMATEX* format = sound.sound()->wave()->format();
        EXPECT_EQ(format->wBitsPerSample, 16);
        EXPECT_EQ(format->nChannels, 1);
        EXPECT_EQ(sound.baseFrequency(), 22050);
        // A compressed sample fills a buffer as long as the wave it was made from.
        WaveFile wave;
        ASSERT_EQ(wave.open(std::filesystem::path(path).replace_extension(".wav").c_str(), nullptr,
                            WaveFile::kRead),
                  S_OK);
        EXPECT_EQ(sound.sound()->bufferBytes(), wave.size());
        ASSERT_EQ(sound.play(0, 0, 1, 0), S_OK);
        EXPECT_TRUE(sound.sound()->isPlaying());
    }
}
