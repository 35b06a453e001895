// The sounds of a crowded step, heard through two loopback devices: with the full pair
// loop and with the grid, the same sounds start in the same order at the same rates,
// so the two devices play the very same samples; and a frame's sounds, each started
// once, sound as every contact and every moving body starting its own.
#include "support/EngineAppPeer.h"
#include <cmath>
#include <filesystem>
#include <gtest/gtest.h>
#include <memory>
#include <random>

#include "core/CollisionSounds.h"
#include "dsound/dsound_testing.h"
#include "support/AllPairs.h"
#include "support/Bodies.h"
#include "support/BodyOf.h"
#include "support/EngineFixture.h"
#include "tumbleway/NameField.h"

namespace {

class PairSearchSounds : public EngineFixture {
protected:
    void SetUp() override {
        ASSERT_EQ(DirectSoundCreateLoopbackForTests(44100, 1, &heardFirst), S_OK);
        ASSERT_EQ(DirectSoundCreateLoopbackForTests(44100, 1, &heardSecond), S_OK);
        // Each engine's sound manager opens the device it is handed at start.
        previous = SetDirectSoundDeviceSourceForTests([this](LPDIRECTSOUND8* out) {
            *out = ComPtr<IDirectSound8>(handOut->device).detach();
            return S_OK;
        });
        handOut = &heardFirst;
        EngineFixture::SetUp();
        handOut = &heardSecond;
        twinDevice = RecordingDevice::create(kWidth, kHeight);
        twin = startedEngine(twinDevice.get());
    }

    void TearDown() override {
        twin.reset();
        app.reset();
        SetDirectSoundDeviceSourceForTests(previous);
    }

    // A pack of bodies on the road, every third a cone: a collision of a ball with a
    // cone plays one sound, every moving cone another.
    void populate(CEngineApp& engine) {
        LCourse_t& course = *engine.editor.current();
        std::mt19937 random(17);
        std::uniform_real_distribution<float> unit(0.0f, 1.0f);
        for (int k = 0; k < 120; ++k) {
            const int sample = 300 + 2 * (k / 8);
            const auto [right, left] = course.track->pair(3, sample);
            D3DXVECTOR3 across(right.z - left.z, 0, right.x - left.x);
            D3DXVec3Normalize(&across, &across);
            XfilePlacement& placement =
                placeBody(engine, roadCentre(course, sample) +
                                      across * ((static_cast<float>(k % 8) - 3.5f) * 2.1f));
            setNameField(placement.name, k % 3 == 0 ? "cone.x" : "ball.x");
            CSceneObject& body = bodyOf(engine, placement);
            const float angle = unit(random) * 2 * static_cast<float>(M_PI);
            body.speed = 0.05f + 0.3f * unit(random);
            body.direction = D3DXVECTOR3(std::cos(angle), 0, std::sin(angle));
            body.motionState = MOTION_ROLL;
        }
        const std::filesystem::path sounds = std::filesystem::current_path() / "samples" / "sounds";
        for (const char* name : {"hit.wav", "roll.wav"}) {
            SoundEntry entry;
            entry.sound =
                std::make_unique<SoundObject>((sounds / name).c_str(), peek(engine).soundManager());
            ASSERT_EQ(entry.sound->load(), 0) << name;
            setNameField(entry.name, name);
            course.sounds.push_back(std::move(entry));
        }
        course.collisionTable->add("ball.x", "cone.x", "hit.wav");
        course.moveTable->add("cone.x", "0", "roll.wav");
        engine.selectTab(TAB_PLAY);
    }

    // Both engines' crowds, 120 frames of each by `frame`; after each, a sixtieth of a
    // second of what each device plays must be the same, and the scene must be heard.
    template <typename Frame>
    void expectBothHeardAlike(Frame frame) {
        createLoopCourse(6, 30);
        std::swap(app, twin);
        createLoopCourse(6, 30);
        std::swap(app, twin);
        populate(*app);
        populate(*twin);
        double loudest = 0;
        for (int k = 0; k < 120; ++k) {
            frame();
            const std::vector<float> first = heardFirst.render(735);
            const std::vector<float> second = heardSecond.render(735);
            ASSERT_EQ(first, second) << "frame " << k;
            for (float sample : first) {
                loudest = std::max(loudest, static_cast<double>(std::abs(sample)));
            }
        }
        EXPECT_GT(loudest, 0.01) << "the scene should be heard";
    }

    DirectSoundLoopback heardFirst;
    DirectSoundLoopback heardSecond;
    DirectSoundLoopback* handOut = nullptr;
    DirectSoundDeviceSource previous;
    ComPtr<RecordingDevice> twinDevice;
    std::unique_ptr<CEngineApp> twin;
};

// Starts the collision sound of every contact as it happens.
class EveryContactSounds final : public ContactListener {
public:
    explicit EveryContactSounds(SoundRelationService& sounds) : m_sounds(sounds) {}
    void contact(const XfilePlacement& first, const XfilePlacement& second) override {
        m_sounds.playCollisionSound(
            m_sounds.collisionSound(nameFieldText(first.name), nameFieldText(second.name)));
    }

private:
    SoundRelationService& m_sounds;
};

TEST_F(PairSearchSounds, BothSearchesPlayTheSameSoundsInTheSameOrder) {
    app->simulation.usePairFinder(std::make_unique<AllPairs>());
    expectBothHeardAlike([this] {
        app->frameMove();
        twin->frameMove();
    });
}

TEST_F(PairSearchSounds, EachSoundStartedOnceAFrameSoundsAsEveryContactAndBodyStartingIt) {
    expectBothHeardAlike([this] {
        CollisionSounds gathered(app->sounds);
        app->simulation.playFrame(*app->editor.current(), gathered, [&] {
            gathered.play();
            app->sounds.playMovementSounds();
        });
        EveryContactSounds everyContact(twin->sounds);
        twin->simulation.playFrame(*twin->editor.current(), everyContact, [&] {
            for (const XfilePlacement& placement : twin->editor.current()->xfilePlacements) {
                twin->sounds.playMovementSound(placement);
            }
        });
    });
}

} // namespace
