// Sound relations heard through a loopback device: what a collision and a movement
// play, and at which rate.
#include <fstream>
#include <gtest/gtest.h>

#include "dsound/dsound_testing.h"
#include "sound/sound_test_support.h"
#include "support/AssetFixture.h"
#include "support/Bodies.h"
#include "support/BodyOf.h"

namespace {

using namespace soundtest;

constexpr DWORD kRate = 22050;
constexpr double kTone = 441.0;

class SoundRelations : public AssetFixture {
protected:
    void SetUp() override {
        ASSERT_EQ(DirectSoundCreateLoopbackForTests(44100, 1, &loopback), S_OK);
        previous = SetDirectSoundDeviceSourceForTests([this](LPDIRECTSOUND8* out) {
            *out = ComPtr<IDirectSound8>(loopback.device).detach();
            return S_OK;
        });
        AssetFixture::SetUp(); // the engine's sound manager opens the loopback device
        writeWave("tone.wav", sine16(kRate, kTone, 1.0));
        writeWave("nodata", sine16(kRate, kTone, 1.0));
        EXPECT_EQ(app->library.pushXfile(fileRecord("ball.x"), treeItem(1)), S_OK);
        EXPECT_EQ(app->library.pushXfile(fileRecord("box.x"), treeItem(2)), S_OK);
        EXPECT_EQ(app->library.pushWav(fileRecord("tone.wav"), treeItem(3)), S_OK);
        EXPECT_EQ(app->library.pushWav(fileRecord("nodata"), treeItem(4)), S_OK);
        createLoopCourse(6, 30);
        app->selectTab(TAB_PLACE);
    }

    void TearDown() override {
        AssetFixture::TearDown();
        SetDirectSoundDeviceSourceForTests(previous);
    }

    void writeWave(const std::string& name, const Bytes& data) {
        const Bytes bytes = pcmWave(kRate, 1, 16, data);
        std::ofstream out(folder / "data" / name, std::ios::binary);
        out.write(reinterpret_cast<const char*>(bytes.data()),
                  static_cast<std::streamsize>(bytes.size()));
    }

    // Places a mesh of the library entry at the road's sample i.
    XfilePlacement& place(HTREEITEM mesh, int sample, float across = 0) {
        app->assets.selectXfile(mesh);
        app->library.assign();
        XfilePlacement& placement = *app->editor.driven();
        const D3DXVECTOR3 at =
            roadCentre(*app->editor.current(), sample) + D3DXVECTOR3(across, 0, 0);
        bodyOf(*app, placement).position = bodyOf(*app, placement).stepPosition = at;
        return placement;
    }

    void relate(HTREEITEM first, HTREEITEM second, HTREEITEM sound, bool collision) {
        app->assets.clearRelationPicks();
        app->assets.selectXfile(first);
        if (collision) {
            app->assets.selectXfile(second);
        }
        app->assets.selectSound(sound);
        app->sounds.assign(collision);
    }

    double heardFrequency() {
        const std::vector<float> heard = loopback.render(44100 / 4);
        EXPECT_GT(rms(heard), 0.01) << "nothing was heard";
        return frequency(heard, 44100);
    }

    DirectSoundLoopback loopback;
    DirectSoundDeviceSource previous;
};

} // namespace

TEST_F(SoundRelations, ACollisionPlaysItsSoundATenthFaster) {
    relate(treeItem(1), treeItem(2), treeItem(3), true);
    EXPECT_TRUE(messages.empty());
    place(treeItem(1), 300);
    place(treeItem(2), 300, 0.5f); // overlapping: in contact at once
    app->editor.drive(nullptr);
    app->selectTab(TAB_PLAY);
    app->frameMove();
    EXPECT_NEAR(heardFrequency() / kTone, 1.1, 0.02 * 1.1);
}

TEST_F(SoundRelations, AMovingBodyPlaysItsSoundFasterWithItsSpeed) {
    relate(treeItem(1), nullptr, treeItem(3), false);
    XfilePlacement& ball = place(treeItem(1), 300);
    bodyOf(*app, ball).speed = 0.26f; // after one step's friction: 0.2548, ten times truncated: 2
    bodyOf(*app, ball).direction = D3DXVECTOR3(1, 0, 0);
    bodyOf(*app, ball).setMotionState(MOTION_ROLL);
    app->editor.drive(nullptr);
    app->selectTab(TAB_PLAY);
    app->frameMove();
    EXPECT_NEAR(heardFrequency() / kTone, 1.2, 0.02 * 1.2);
}

TEST_F(SoundRelations, APairAssignedTwiceKeepsItsFirstSound) {
    relate(treeItem(1), treeItem(2), treeItem(3), true);
    relate(treeItem(1), treeItem(2), treeItem(4), true);
    const LCourse_t& course = *app->editor.current();
    EXPECT_EQ(course.relations.size(), 2u);
    EXPECT_EQ(course.sounds.size(), 2u);
    EXPECT_EQ(course.collisionTable->lookup("ball.x", "box.x").wav, "tone.wav");
    // The pending assignment ends with each.
    EXPECT_EQ(app->assets.firstPick(), nullptr);
    EXPECT_EQ(app->assets.currentSound(), nullptr);
}

TEST_F(SoundRelations, APairIsFoundOnlyInTheOrderItWasPicked) {
    relate(treeItem(2), treeItem(1), treeItem(3), true); // box first, ball second
    place(treeItem(1), 300);
    place(treeItem(2), 300, 0.5f); // the ball comes first in the list
    app->editor.drive(nullptr);
    app->selectTab(TAB_PLAY);
    app->frameMove();
    EXPECT_LT(rms(loopback.render(4410)), 0.001);
}

TEST_F(SoundRelations, ASoundNamedNodataNeverPlays) {
    relate(treeItem(1), treeItem(2), treeItem(4), true);
    place(treeItem(1), 300);
    place(treeItem(2), 300, 0.5f);
    app->editor.drive(nullptr);
    app->selectTab(TAB_PLAY);
    app->frameMove();
    EXPECT_LT(rms(loopback.render(4410)), 0.001);
}

TEST_F(SoundRelations, ReleasingKeepsTheSoundEntry) {
    relate(treeItem(1), nullptr, treeItem(3), false);
    ASSERT_EQ(app->editor.current()->relations.size(), 1u);
    app->assets.selectXfile(treeItem(1));
    app->assets.selectSound(treeItem(3));
    app->sounds.release(false);
    EXPECT_TRUE(app->editor.current()->relations.empty());
    EXPECT_EQ(app->editor.current()->sounds.size(), 1u);
    EXPECT_EQ(app->editor.current()->moveTable->lookup("ball.x", "0").result, -1);
}

TEST_F(SoundRelations, PreviewPlaysTheChosenSoundAtItsOwnRate) {
    app->sounds.preview(); // nothing chosen: nothing plays
    EXPECT_LT(rms(loopback.render(4410)), 0.001);
    app->assets.selectSound(treeItem(3));
    app->sounds.preview();
    EXPECT_NEAR(heardFrequency() / kTone, 1.0, 0.02);
}
