#include <cmath>
#include <cstdio>
#include <filesystem>
#include <gtest/gtest.h>
#include <stb/stb_image_write.h>
#include <vector>

#include "assets/BitmapBillboard.h"
#include "d3d9/recording_device.h"

namespace {

class Billboard : public ::testing::Test {
protected:
    void SetUp() override {
        folder =
            std::filesystem::temp_directory_path() /
            ("tw-billboard-" + std::to_string(::testing::UnitTest::GetInstance()->random_seed()) +
             ::testing::UnitTest::GetInstance()->current_test_info()->name());
        std::filesystem::create_directories(folder);
        device->GetDeviceCaps(&caps);
        SetMessageBoxHandler([this](const std::string& text, const std::string& caption, UINT) {
            messages.push_back(caption + ": " + text);
            return IDOK;
        });
    }
    void TearDown() override {
        SetMessageBoxHandler({});
        std::filesystem::remove_all(folder);
    }

    // A width x height bitmap, black on its left half and red on its right.
    std::string writeBitmap(int width, int height) {
        std::vector<unsigned char> rgb(static_cast<std::size_t>(width) * height * 3, 0);
        for (int y = 0; y < height; ++y) {
            for (int x = width / 2; x < width; ++x) {
                rgb[(static_cast<std::size_t>(y) * width + x) * 3] = 255;
            }
        }
        const std::string path = (folder / "picture.bmp").string();
        stbi_write_bmp(path.c_str(), width, height, 3, rgb.data());
        return path;
    }

    std::filesystem::path folder;
    ComPtr<RecordingDevice> device = RecordingDevice::create(640, 480);
    D3DCAPS9 caps{};
    std::vector<std::string> messages;
};

} // namespace

TEST_F(Billboard, StandsAnEighthOfAUnitPerPixelWithATextureKeyedOnBlack) {
    BitmapBillboard billboard(device.get(), caps);
    ASSERT_EQ(billboard.load(nullptr, writeBitmap(64, 32)), S_OK);
    EXPECT_EQ(billboard.halfWidth(), 8.0f);
    EXPECT_EQ(billboard.halfHeight(), 4.0f);
    const auto* v = billboard.vertices();
    EXPECT_EQ(v[0].x, -8.0f);
    EXPECT_EQ(v[0].y, 0.0f);
    EXPECT_EQ(v[3].x, 8.0f);
    EXPECT_EQ(v[3].y, 8.0f);
    EXPECT_EQ(v[1].u, 0.0f);
    EXPECT_EQ(v[1].v, 0.0f); // top left of the picture at the top left of the quad
    const unsigned red = (v[0].diffuse >> 16) & 0xFF;
    EXPECT_GE(red, 65u);
    EXPECT_EQ(v[0].diffuse >> 24, 255u);
    EXPECT_EQ(v[0].diffuse & 0xFF, 0u);
    for (int i = 1; i < 4; ++i) {
        EXPECT_EQ(v[i].diffuse, v[0].diffuse);
    }
    // The texture has one level; the black half became transparent.
    ASSERT_NE(billboard.texture(), nullptr);
    EXPECT_EQ(billboard.texture()->GetLevelCount(), 1u);
    D3DLOCKED_RECT locked{};
    ASSERT_EQ(billboard.texture()->LockRect(0, &locked, nullptr, D3DLOCK_READONLY), S_OK);
    const auto* texels = static_cast<const std::uint32_t*>(locked.pBits);
    EXPECT_EQ(texels[0], 0u);
    EXPECT_EQ(texels[63], 0xFFFF0000u);
    billboard.texture()->UnlockRect(0);
    EXPECT_TRUE(messages.empty());
}

TEST_F(Billboard, AMissingBitmapIsReportedAndStandsOnePixelWide) {
    BitmapBillboard billboard(device.get(), caps);
    EXPECT_EQ(billboard.load(nullptr, (folder / "absent.bmp").string()), S_OK);
    ASSERT_EQ(messages.size(), 1u);
    EXPECT_EQ(messages[0], "Tumbleway Error: failed to open bmp.");
    EXPECT_EQ(billboard.halfWidth(), 0.125f);
    EXPECT_EQ(billboard.texture(), nullptr);
}

TEST_F(Billboard, FacesTheCameraAndDrawsBlendedAtItsPosition) {
    BitmapBillboard billboard(device.get(), caps);
    EXPECT_EQ(billboard.load(nullptr, writeBitmap(16, 16)), S_OK);
    // The camera's heading 0 gives the facing (-1, 0): a quarter turn about y.
    billboard.face(-1, 0, 0);
    D3DXMATRIX quarter;
    D3DXMatrixRotationY(&quarter, static_cast<float>(M_PI) / 2);
    for (int i = 0; i < 3; ++i) {
        EXPECT_NEAR(billboard.world().m[0][i], quarter.m[0][i], 1e-6f);
        EXPECT_NEAR(billboard.world().m[2][i], quarter.m[2][i], 1e-6f);
    }
    billboard.face(1, 0, 1);
    D3DXMATRIX facing;
    D3DXMatrixRotationY(&facing, -static_cast<float>(M_PI) / 4 - static_cast<float>(M_PI) / 2);
    EXPECT_NEAR(billboard.world()._11, facing._11, 1e-6f);

    billboard.setPosition(3, 4, 5);
    device->clearLog();
    ASSERT_EQ(device->BeginScene(), S_OK);
    ASSERT_EQ(billboard.draw(), S_OK);
    ASSERT_EQ(device->draws().size(), 1u);
    const DrawSnapshot& draw = device->draws()[0];
    EXPECT_EQ(draw.call.primitiveType, D3DPT_TRIANGLESTRIP);
    EXPECT_EQ(draw.call.primitiveCount, 2u);
    EXPECT_EQ(draw.state.fvf, 0x142u);
    EXPECT_EQ(draw.renderState(D3DRS_ALPHABLENDENABLE), 1u);
    EXPECT_EQ(draw.renderState(D3DRS_ALPHATESTENABLE), 1u);
    EXPECT_EQ(draw.renderState(D3DRS_ALPHAREF), 8u);
    EXPECT_EQ(draw.renderState(D3DRS_ALPHAFUNC), static_cast<DWORD>(D3DCMP_GREATEREQUAL));
    EXPECT_EQ(draw.world()._41, 3.0f);
    EXPECT_EQ(draw.world()._43, 5.0f);
    EXPECT_EQ(device->state().renderState(D3DRS_ALPHABLENDENABLE), 0u);
    EXPECT_EQ(device->state().transform(D3DTS_WORLD)._41, 0.0f);
}

TEST_F(Billboard, SkipsTheAlphaTestWhereTheDeviceCannotCompare) {
    caps.AlphaCmpCaps &= ~D3DPCMPCAPS_GREATEREQUAL;
    BitmapBillboard billboard(device.get(), caps);
    EXPECT_EQ(billboard.load(nullptr, writeBitmap(8, 8)), S_OK);
    device->BeginScene();
    billboard.draw();
    ASSERT_EQ(device->draws().size(), 1u);
    EXPECT_EQ(device->draws()[0].renderState(D3DRS_ALPHATESTENABLE), 0u);
}
