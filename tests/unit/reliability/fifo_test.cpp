// A name that leads to a FIFO: opening it for reading waits for a writer, so a reader
// that opened it would hang the program. Every reader of a named file, and the asset
// search of a scene, refuses it without opening it, as it refuses a missing file.
#include "support/AssetFixture.h"
#include "support/FifoTrap.h"

#include "assets/mesh/FindMediaFile.h"
#include "assets/mesh/MeshObject.h"
#include "assets/sound/WaveFile.h"
#include "d3dx9/d3dx9mesh.h"
#include "d3dx9/d3dx9tex.h"
#include "mmio/mmio.h"

#include <cstring>
#include <memory>

namespace {

class Fifos : public AssetFixture {
protected:
    // A FIFO in the asset folder, named as the scene names its file.
    std::unique_ptr<FifoTrap> trap(const std::string& name) {
        return std::make_unique<FifoTrap>(folder / "data" / name);
    }
};

} // namespace

TEST_F(Fifos, NoReaderOfNamedFilesOpensOne) {
    const auto fifo = trap("pipe");
    const std::string path = fifo->path().string();
    const char* name = path.c_str();
    // And through a link, which the look-up follows.
    const std::filesystem::path link = folder / "link.x";
    std::filesystem::create_symlink(fifo->path(), link);

    EXPECT_TRUE(fifo->untouchedBy([&] {
        MMIOINFO info{};
        EXPECT_EQ(mmioOpenA(path.data(), &info, MMIO_READ), nullptr);
        EXPECT_EQ(info.wErrorRet, MMIOERR_CANNOTOPEN);
    }));
    EXPECT_TRUE(fifo->untouchedBy([&] {
        WaveFile wave;
        EXPECT_TRUE(FAILED(wave.open(name, nullptr, WaveFile::kRead)));
    }));
    for (const std::string& mesh : {path, link.string()}) {
        EXPECT_TRUE(fifo->untouchedBy([&] {
            ComPtr<ID3DXMesh> loaded;
            EXPECT_TRUE(
                FAILED(D3DXLoadMeshFromX(mesh.c_str(), D3DXMESH_SYSTEMMEM, device.get(), nullptr,
                                         nullptr, nullptr, nullptr, loaded.put())));
            MeshObject object;
            EXPECT_TRUE(FAILED(object.create(device.get(), mesh.c_str())));
        }));
    }
    EXPECT_TRUE(fifo->untouchedBy([&] {
        D3DXIMAGE_INFO info{};
        EXPECT_TRUE(FAILED(D3DXGetImageInfoFromFileA(name, &info)));
        ComPtr<IDirect3DTexture9> texture;
        EXPECT_TRUE(FAILED(D3DXCreateTextureFromFileA(device.get(), name, texture.put())));
    }));
    EXPECT_TRUE(fifo->untouchedBy([&] {
        char found[MAX_PATH];
        EXPECT_TRUE(FAILED(findMediaFile(found, MAX_PATH, name)));
    }));
}

// Each kind of asset named by a FIFO is reported missing, alone and in a restored scene,
// and the rest of the scene comes back.
TEST_F(Fifos, AnAssetThatIsOneIsMissing) {
    const auto mesh = trap("pipe.x");
    const auto bitmap = trap("pipe.bmp");
    const auto sound = trap("pipe.wav");
    EXPECT_TRUE(mesh->untouchedBy(
        [&] { EXPECT_EQ(app->library.pushXfile(fileRecord("pipe.x"), treeItem(1)), E_FAIL); }));
    EXPECT_TRUE(bitmap->untouchedBy(
        [&] { EXPECT_EQ(app->library.pushBitmap(fileRecord("pipe.bmp"), treeItem(2)), E_FAIL); }));
    EXPECT_TRUE(sound->untouchedBy(
        [&] { EXPECT_EQ(app->library.pushWav(fileRecord("pipe.wav"), treeItem(3)), E_FAIL); }));
    EXPECT_EQ(messages, (std::vector<std::string>{
                            "Tumble Way: Error cannot read X file. \n pipe.x.",
                            "Tumble Way: Error cannot read BMP file. \n pipe.bmp.",
                            "Tumble Way: Error cannot read Sound file. \n pipe.wav.",
                        }));
    EXPECT_TRUE(app->assets.xfiles().empty());
    EXPECT_TRUE(app->assets.bitmaps().empty());
    EXPECT_TRUE(app->assets.sounds().empty());

    LSession_t scene;
    SessionXfile& ball = scene.meshes.emplace_back();
    std::strcpy(ball.name, "ball.x");
    ball.radius = 1;
    SessionXfile& piped = scene.meshes.emplace_back();
    std::strcpy(piped.name, "pipe.x");
    piped.radius = 1;
    std::strcpy(scene.sounds.emplace_back().name, "pipe.wav");
    scene.item = treeItem(50);
    messages.clear();
    int number = 0;
    EXPECT_TRUE(mesh->untouchedBy([&] {
        EXPECT_TRUE(
            sound->untouchedBy([&] { EXPECT_EQ(app->restoreSession(scene, &number), S_OK); }));
    }));
    ASSERT_NE(app->editor.current(), nullptr);
    ASSERT_EQ(app->editor.current()->xfilePlacements.size(), 1u);
    EXPECT_STREQ(app->editor.current()->xfilePlacements.front().name, "ball.x");
    EXPECT_EQ(messages.size(), 2u);
}
