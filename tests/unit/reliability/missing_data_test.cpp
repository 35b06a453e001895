// The engine's surroundings gone wrong: no data folder (the six fixed textures
// missing). The whole lifecycle must still run, untextured, and free everything it
// made (the sanitizer build checks for leaks when the test ends).
#include "support/EngineAppPeer.h"
#include "support/EngineFixture.h"

#include <cmath>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <unistd.h>

namespace {

namespace fs = std::filesystem;

class MissingData : public EngineFixture {
protected:
    void SetUp() override {
        std::string pattern = (fs::temp_directory_path() / "tw-nodata-XXXXXX").string();
        ASSERT_NE(::mkdtemp(pattern.data()), nullptr);
        folder_ = pattern;
        previous_ = fs::current_path();
        fs::current_path(folder_); // an empty folder: no ./data
        EngineFixture::SetUp();
    }
    void TearDown() override {
        app.reset();
        fs::current_path(previous_);
        fs::remove_all(folder_);
    }

private:
    fs::path folder_;
    fs::path previous_;
};

} // namespace

TEST_F(MissingData, TheWholeLifecycleRunsUntextured) {
    LCourse_t& course = createLoopCourse();
    for (const auto& strip : course.strips) {
        EXPECT_EQ(strip->texture(), nullptr);
    }
    app->selectTab(TAB_PLAY);
    for (int frame = 0; frame < 200; ++frame) {
        ASSERT_EQ(app->frameMove(), S_OK);
        app->render();
    }

    // The device is lost and made again, as on a change of display settings.
    app->invalidateDeviceObjects();
    app->deleteDeviceObjects();
    ComPtr<RecordingDevice> second = RecordingDevice::create(320, 240);
    EXPECT_EQ(app->initDeviceObjects(second.get()), S_OK);
    EXPECT_EQ(app->restoreDeviceObjects(), S_OK);
    ASSERT_EQ(app->editor.courseList().size(), 1u);
    for (int frame = 0; frame < 10; ++frame) {
        ASSERT_EQ(app->frameMove(), S_OK);
        app->render();
    }
    EXPECT_GT(second->count("DrawIndexedPrimitive") + second->count("DrawPrimitive"), 0u);
    app->invalidateDeviceObjects();
    app->deleteDeviceObjects();
}

// No fonts at all: fontconfig is given a configuration without font folders before it is
// first used (CTest runs each test in a process of its own). The fonts are not made,
// the text overlays draw nothing, and everything else goes on.
class MissingFonts : public MissingData {
protected:
    void SetUp() override {
        const fs::path config =
            fs::temp_directory_path() / ("tw-nofonts-" + std::to_string(::getpid()) + ".conf");
        std::ofstream(config) << "<?xml version=\"1.0\"?>\n<fontconfig></fontconfig>\n";
        ::setenv("FONTCONFIG_FILE", config.c_str(), 1);
        config_ = config;
        MissingData::SetUp();
    }
    void TearDown() override {
        MissingData::TearDown();
        fs::remove(config_);
    }

private:
    fs::path config_;
};

TEST_F(MissingFonts, TheTextIsLeftOutAndNothingElse) {
    EXPECT_EQ(peek(*app).fontLarge(), nullptr);
    EXPECT_EQ(app->renderer.drawPlayTimer(), E_FAIL);
    createLoopCourse();
    app->selectTab(TAB_PLAY);
    for (int frame = 0; frame < 10; ++frame) {
        ASSERT_EQ(app->frameMove(), S_OK);
        app->render();
        app->renderer.drawPlayTimer();
        peek(*app).drawPlaceText();
    }
    app->invalidateDeviceObjects();
    app->deleteDeviceObjects();
}
