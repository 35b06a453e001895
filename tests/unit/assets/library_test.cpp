#include "support/EngineAppPeer.h"
#include <cmath>
#include <gtest/gtest.h>

#include "sound/sound_test_support.h"
#include "support/AssetFixture.h"
#include "support/Bodies.h"
#include "support/BodyOf.h"

#include <fstream>

using AssetLibraryFiles = AssetFixture;

TEST_F(AssetLibraryFiles, FindsFilesInTheDataFolderThenBesideItThenAsNamed) {
    std::string path;
    ASSERT_TRUE(app->assets.resolve("ball.x", &path));
    EXPECT_EQ(path, (folder / "data" / "ball.x").string());
    std::filesystem::copy_file(folder / "data" / "hit.wav", folder / "beside.wav");
    ASSERT_TRUE(app->assets.resolve("beside.wav", &path));
    EXPECT_EQ(path, (folder / "beside.wav").string());
    ASSERT_TRUE(app->assets.resolve("README.md", &path)); // the working folder
    EXPECT_EQ(path, (std::filesystem::current_path() / "README.md").string());
    // Names are file names: nothing outside the search folders is reached.
    for (const char* name : {"", "../data/ball.x", "data/ball.x", "/etc/passwd", "a\\b.x"}) {
        EXPECT_FALSE(app->assets.resolve(name, &path)) << name;
    }
    const std::string longName(200, 'x');
    EXPECT_FALSE(app->assets.resolve(longName.c_str(), &path));
}

TEST_F(AssetLibraryFiles, PushingTheSameMeshTwiceMakesTwoNumberedEntries) {
    EXPECT_EQ(app->library.pushXfile(fileRecord("ball.x"), treeItem(11)), S_OK);
    EXPECT_EQ(app->library.pushXfile(fileRecord("ball.x"), treeItem(12)), S_OK);
    ASSERT_EQ(app->assets.xfiles().size(), 2u);
    const XfileEntry& first = app->assets.xfiles().front();
    const XfileEntry& second = app->assets.xfiles().back();
    EXPECT_EQ(first.id, 0);
    EXPECT_EQ(second.id, 1);
    EXPECT_NE(first.mesh.get(), second.mesh.get());
    EXPECT_NE(first.mesh->systemMesh(), second.mesh->systemMesh());
    EXPECT_STREQ(second.name, "ball.x");
    EXPECT_EQ(second.item, treeItem(12));
    EXPECT_GT(first.radius, 0.1f);
    EXPECT_NE(first.mesh->localMesh(), nullptr);
    EXPECT_EQ(first.mesh->systemMesh()->GetFVF(), 0x112u);
}

TEST_F(AssetLibraryFiles, AMeshPushSetsTheFarPlaneFromItsRadius) {
    ASSERT_EQ(app->library.pushXfile(fileRecord("car.x"), treeItem(1)), S_OK);
    ASSERT_EQ(app->library.pushXfile(fileRecord("ball.x"), treeItem(2)), S_OK);
    const float radius = app->assets.xfiles().back().radius;
    D3DXMATRIX expected;
    D3DXMatrixPerspectiveFovLH(&expected, 0.7853982f, 640.0f / 480.0f, 1.0f, 50 * radius);
    const D3DMATRIX& projection = device->state().transform(D3DTS_PROJECTION);
    EXPECT_FLOAT_EQ(projection._33, expected._33);
    EXPECT_FLOAT_EQ(projection._43, expected._43);
}

TEST_F(AssetLibraryFiles, MissingFilesAreReportedAndMakeNoEntry) {
    EXPECT_EQ(app->library.pushXfile(fileRecord("absent.x"), treeItem(1)), E_FAIL);
    EXPECT_EQ(app->library.pushBitmap(fileRecord("absent.bmp"), treeItem(2)), E_FAIL);
    EXPECT_EQ(app->library.pushWav(fileRecord("absent.wav"), treeItem(3)), E_FAIL);
    const std::vector<std::string> expected = {
        "Tumble Way: Error cannot read X file. \n absent.x.",
        "Tumble Way: Error cannot read BMP file. \n absent.bmp.",
        "Tumble Way: Error cannot read Sound file. \n absent.wav."};
    EXPECT_EQ(messages, expected);
    EXPECT_TRUE(app->assets.xfiles().empty() && app->assets.bitmaps().empty() &&
                app->assets.sounds().empty());
}

TEST_F(AssetLibraryFiles, FoundFilesThatDoNotLoadAreReportedAndMakeNoEntry) {
    const auto write = [this](const char* name, const char* bytes) {
        std::FILE* file = std::fopen((folder / "data" / name).c_str(), "w");
        std::fputs(bytes, file);
        std::fclose(file);
    };
    write("broken.x", "xof 0303txt 0032\nMesh { 3; garbage");
    write("broken.wav", "RIFF\x10\0\0\0WAVEjunk");
    write("broken.bmp", "BM not a picture");
    write("broken.ogg", "OggS and no page");
    write("broken.flac", "not FLAC at all");
    EXPECT_EQ(app->library.pushXfile(fileRecord("broken.x"), treeItem(1)), E_FAIL);
    EXPECT_EQ(app->library.pushWav(fileRecord("broken.wav"), treeItem(2)), E_FAIL);
    EXPECT_EQ(app->library.pushBitmap(fileRecord("broken.bmp"), treeItem(3)), E_FAIL);
    EXPECT_EQ(app->library.pushWav(fileRecord("broken.ogg"), treeItem(4)), E_FAIL);
    EXPECT_EQ(app->library.pushWav(fileRecord("broken.flac"), treeItem(5)), E_FAIL);
    const std::vector<std::string> expected = {
        "Tumble Way: Error cannot read X file. \n broken.x.",
        "Tumble Way: Error cannot read Sound file. \n broken.wav.",
        "Tumble Way: Error cannot read BMP file. \n broken.bmp.",
        "Tumble Way: Error cannot read Sound file. \n broken.ogg.",
        "Tumble Way: Error cannot read Sound file. \n broken.flac."};
    EXPECT_EQ(messages, expected);
    EXPECT_TRUE(app->assets.xfiles().empty());
    EXPECT_TRUE(app->assets.sounds().empty());
    EXPECT_TRUE(app->assets.bitmaps().empty());
}

// A float wave loads and plays (the device used to refuse it, which left it silent);
// a format no device plays is reported by name, like a file that is not there.
TEST_F(AssetLibraryFiles, FloatWavesLoadAndUnplayableOnesAreReportedByName) {
    using namespace soundtest;
    const auto write = [this](const char* name, const Bytes& bytes) {
        std::ofstream(folder / "data" / name, std::ios::binary)
            .write(reinterpret_cast<const char*>(bytes.data()),
                   static_cast<std::streamsize>(bytes.size()));
    };
    write("float.wav", floatWave(22050, 1, sine(22050, 441, 0.5, 32, true)));
    write("adpcm.wav", riff("WAVE", {chunk("fmt ", fmtBodyWithExtra(2, 1, 22050, 4, pattern(32))),
                                     chunk("data", pattern(400))}));
    ASSERT_EQ(app->library.pushWav(fileRecord("float.wav"), treeItem(1)), S_OK);
    ASSERT_EQ(app->assets.sounds().size(), 1u);
    SoundObject& sound = *app->assets.sounds().front().sound;
    EXPECT_EQ(sound.baseFrequency(), 22050);
    EXPECT_EQ(sound.play(0, 0, 1, 0), S_OK);
    EXPECT_TRUE(messages.empty());

    EXPECT_EQ(app->library.pushWav(fileRecord("adpcm.wav"), treeItem(2)), E_FAIL);
    EXPECT_EQ(messages,
              std::vector<std::string>{"Tumble Way: Error cannot read Sound file. \n adpcm.wav."});
    EXPECT_EQ(app->assets.sounds().size(), 1u);
}

TEST_F(AssetLibraryFiles, EachSelectionTouchesOnlyItsOwnLibrary) {
    app->assets.selectXfile(treeItem(99)); // empty library: nothing changes
    EXPECT_EQ(app->library.pushXfile(fileRecord("ball.x"), treeItem(1)), S_OK);
    EXPECT_EQ(app->library.pushXfile(fileRecord("box.x"), treeItem(2)), S_OK);
    EXPECT_EQ(app->library.pushXfile(fileRecord("cone.x"), treeItem(3)), S_OK);
    EXPECT_EQ(app->library.pushBitmap(fileRecord("tree.bmp"), treeItem(4)), S_OK);
    app->assets.selectBitmap(treeItem(4));
    EXPECT_EQ(app->assets.currentBitmap(), &app->assets.bitmaps().front());

    app->assets.selectXfile(treeItem(1));
    EXPECT_EQ(app->assets.currentBitmap(), nullptr);
    app->assets.selectXfile(treeItem(2));
    XfileEntry* first = &app->assets.xfiles().front();
    XfileEntry* second = &*std::next(app->assets.xfiles().begin());
    EXPECT_EQ(app->assets.firstPick(), first);
    EXPECT_EQ(app->assets.secondPick(), second);
    app->assets.selectXfile(treeItem(3)); // a third choice changes the current entry only
    EXPECT_EQ(app->assets.currentXfile(), &app->assets.xfiles().back());
    EXPECT_EQ(app->assets.firstPick(), first);
    EXPECT_EQ(app->assets.secondPick(), second);

    app->assets.selectBitmap(treeItem(4));
    app->assets.selectXfile(treeItem(77)); // a foreign handle clears the current mesh only
    EXPECT_EQ(app->assets.currentXfile(), nullptr);
    EXPECT_EQ(app->assets.firstPick(), first);
    EXPECT_EQ(app->assets.currentBitmap(), &app->assets.bitmaps().front());
}

TEST_F(AssetLibraryFiles, AssigningPlacesAFreshMeshTenAheadOfTheCamera) {
    EXPECT_EQ(app->library.pushXfile(fileRecord("ball.x"), treeItem(1)), S_OK);
    app->assets.selectXfile(treeItem(1));
    app->library.assign(); // no course: nothing
    EXPECT_EQ(app->editor.driven(), nullptr);

    createLoopCourse(6, 30);
    app->selectTab(TAB_PLACE);
    app->library.assign();
    app->library.assign();
    auto& placements = app->editor.current()->xfilePlacements;
    ASSERT_EQ(placements.size(), 2u);
    EXPECT_EQ(placements.front().id(), 0);
    EXPECT_EQ(placements.back().id(), 1);
    const XfilePlacement& placed = placements.back();
    EXPECT_EQ(app->editor.driven(), &placed);
    EXPECT_NE(placed.mesh.get(), app->assets.xfiles().front().mesh.get());
    EXPECT_FLOAT_EQ(bodyOf(*app, placed).radius, app->assets.xfiles().front().radius);
    EXPECT_EQ(bodyOf(*app, placed).yawOffset, 0.0f);
    EXPECT_EQ(bodyOf(*app, placed).position, peek(*app).lastPlacePoint());
    EXPECT_EQ(bodyOf(*app, placed).stepPosition, peek(*app).lastPlacePoint());
    const D3DXVECTOR3 offEye = peek(*app).lastPlacePoint() - app->camera.eye();
    EXPECT_GT(D3DXVec3Length(&offEye), 9.0f);
    EXPECT_STREQ(placed.name, "ball.x");
}

TEST_F(AssetLibraryFiles, AssigningABitmapStandsItAtTheSamePoint) {
    createLoopCourse(6, 30);
    app->selectTab(TAB_PLACE);
    ASSERT_EQ(app->library.pushBitmap(fileRecord("flag.bmp"), treeItem(5)), S_OK);
    app->assets.selectBitmap(treeItem(5));
    app->library.assign();
    ASSERT_EQ(app->editor.current()->bitmapPlacements.size(), 1u);
    const BitmapPlacement& placed = app->editor.current()->bitmapPlacements.front();
    EXPECT_EQ(app->editor.lastBitmap(), &placed);
    EXPECT_EQ(placed.halfWidth, 16.0f); // 128 pixels wide
    EXPECT_EQ(placed.halfHeight, 8.0f); // 64 tall
    EXPECT_EQ(placed.drawX, peek(*app).lastPlacePoint().x);
    EXPECT_EQ(placed.x, placed.drawX);
    EXPECT_EQ(placed.z, placed.drawZ);
}

TEST_F(AssetLibraryFiles, AVanishedFileIsReportedWhenAssigned) {
    createLoopCourse(6, 30);
    EXPECT_EQ(app->library.pushXfile(fileRecord("cone.x"), treeItem(1)), S_OK);
    app->assets.selectXfile(treeItem(1));
    std::filesystem::remove(folder / "data" / "cone.x");
    app->library.assign();
    EXPECT_TRUE(app->editor.current()->xfilePlacements.empty());
    ASSERT_EQ(messages.size(), 1u);
    EXPECT_EQ(messages[0], "Tumble Way: Error cannot read X file. \n cone.x.");
}

TEST_F(AssetLibraryFiles, ACourseHandleThatMatchesNothingStopsAssigning) {
    EXPECT_EQ(app->library.pushXfile(fileRecord("ball.x"), treeItem(1)), S_OK);
    app->assets.selectXfile(treeItem(1));
    createLoopCourse(6, 30);
    app->selectCourse(treeItem(12345));
    EXPECT_EQ(app->editor.current(), nullptr);
    app->library.assign();
    EXPECT_TRUE(app->editor.courseList().front().xfilePlacements.empty());
}

TEST_F(AssetLibraryFiles, PlacedMeshesAreMadeAgainOnANewDevice) {
    createLoopCourse(6, 30);
    EXPECT_EQ(app->library.pushXfile(fileRecord("car.x"), treeItem(1)), S_OK);
    app->assets.selectXfile(treeItem(1));
    app->library.assign();
    app->invalidateDeviceObjects();
    app->deleteDeviceObjects();
    ComPtr<RecordingDevice> second = RecordingDevice::create(640, 480);
    EXPECT_EQ(app->initDeviceObjects(second.get()), S_OK);
    EXPECT_EQ(app->restoreDeviceObjects(), S_OK);
    EXPECT_NE(app->assets.xfiles().front().mesh->localMesh(), nullptr);
    EXPECT_NE(app->editor.current()->xfilePlacements.front().mesh->localMesh(), nullptr);
    EXPECT_GT(app->editor.current()->xfilePlacements.front().mesh->materialCount(), 0u);
}

TEST_F(AssetLibraryFiles, FilesOpenedFromOtherFoldersAreFoundWhenPlaced) {
    // Opened from a folder that is neither the data folder nor the current one, as the
    // file dialog leaves it once another file was opened elsewhere.
    const std::filesystem::path elsewhere = folder / "elsewhere";
    std::filesystem::create_directories(elsewhere);
    std::filesystem::copy_file(folder / "data" / "flag.bmp", elsewhere / "far.bmp");
    std::filesystem::copy_file(folder / "data" / "ball.x", elsewhere / "far.x");
    const auto opened = [&](const char* name) {
        LF_t file = fileRecord(name);
        (elsewhere / name).string().copy(file.path, sizeof file.path - 1);
        return file;
    };
    ASSERT_EQ(app->library.pushBitmap(opened("far.bmp"), treeItem(1)), S_OK);
    ASSERT_EQ(app->library.pushXfile(opened("far.x"), treeItem(2)), S_OK);
    createLoopCourse();
    app->assets.selectBitmap(treeItem(1));
    app->library.assign();
    app->assets.selectXfile(treeItem(2));
    app->library.assign();
    EXPECT_TRUE(messages.empty()) << messages.front();
    EXPECT_EQ(app->editor.current()->bitmapPlacements.size(), 1u);
    EXPECT_EQ(app->editor.current()->xfilePlacements.size(), 1u);
}
