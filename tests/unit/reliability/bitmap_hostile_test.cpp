// Pictures that are hostile to the image decoder: they must be refused before it sees
// them, while every picture the program ships still loads.
#include "d3d9/recording_device.h"
#include "d3dx9/d3dx9tex.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <unistd.h>
#include <vector>

namespace {

namespace fs = std::filesystem;

const std::string kSource = TW_SOURCE_DIR;

using Bytes = std::vector<unsigned char>;

Bytes readFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

class HostileBitmap : public ::testing::Test {
protected:
    void SetUp() override {
        std::string pattern = (fs::temp_directory_path() / "tw-bitmap-XXXXXX").string();
        ASSERT_NE(::mkdtemp(pattern.data()), nullptr);
        folder_ = pattern;
    }
    void TearDown() override { fs::remove_all(folder_); }

    std::string write(const std::string& name, const Bytes& bytes) {
        const std::string path = (folder_ / name).string();
        std::ofstream(path, std::ios::binary)
            .write(reinterpret_cast<const char*>(bytes.data()),
                   static_cast<std::streamsize>(bytes.size()));
        return path;
    }

    // True when neither the size query nor either texture load accepts the file.
    bool refused(const std::string& path) {
        D3DXIMAGE_INFO info{};
        ComPtr<IDirect3DTexture9> keyed;
        ComPtr<IDirect3DTexture9> chained;
        const bool noInfo = FAILED(D3DXGetImageInfoFromFileA(path.c_str(), &info));
        const bool noKeyed = FAILED(D3DXCreateTextureFromFileExA(
            device_.get(), path.c_str(), D3DX_DEFAULT, D3DX_DEFAULT, 1, 0, D3DFMT_UNKNOWN,
            D3DPOOL_MANAGED, D3DX_FILTER_NONE, D3DX_FILTER_NONE, 0xFF000000, nullptr, nullptr,
            keyed.put()));
        const bool noChained =
            FAILED(D3DXCreateTextureFromFileA(device_.get(), path.c_str(), chained.put()));
        return noInfo && noKeyed && noChained;
    }

    ComPtr<RecordingDevice> device_ = RecordingDevice::create(64, 64);

private:
    fs::path folder_;
};

// A BMP header of width x height, 24 bits per pixel, with no pixel data after it.
Bytes bmpHeader(std::int32_t width, std::int32_t height) {
    Bytes b(54, 0);
    auto put = [&b](std::size_t at, std::uint32_t v, int bytes) {
        for (int i = 0; i < bytes; ++i) {
            b[at + i] = static_cast<unsigned char>(v >> (8 * i));
        }
    };
    b[0] = 'B';
    b[1] = 'M';
    put(2, 54, 4);
    put(10, 54, 4);
    put(14, 40, 4);
    put(18, static_cast<std::uint32_t>(width), 4);
    put(22, static_cast<std::uint32_t>(height), 4);
    put(26, 1, 2);
    put(28, 24, 2);
    return b;
}

} // namespace

// A Huffman table that claims more than 256 codes made the decoder write past its
// table arrays, from the size query on (found by fuzzing).
TEST_F(HostileBitmap, JpegWithAnOverfullHuffmanTableIsRefused) {
    EXPECT_TRUE(
        refused(kSource + "/tests/fuzz/regressions/bitmap/jpeg-huffman-table-overflow.jpg"));

    // The same damage made by hand in the program's own sky picture: each of the 16
    // code counts of its first table set to 255.
    Bytes sky = readFile(kSource + "/data/Env_Sky.jpg");
    ASSERT_FALSE(refused(write("sky.jpg", sky)));
    std::size_t table = 0;
    for (std::size_t i = 0; i + 1 < sky.size(); ++i) {
        if (sky[i] == 0xFF && sky[i + 1] == 0xC4) {
            table = i;
            break;
        }
    }
    ASSERT_NE(table, 0u);
    for (std::size_t i = 0; i < 16; ++i) {
        sky[table + 5 + i] = 255;
    }
    EXPECT_TRUE(refused(write("damaged.jpg", sky)));
}

// A few bytes of header can claim any size; a picture larger than any texture a device
// makes is refused before a byte of it is decoded.
TEST_F(HostileBitmap, PicturesLargerThanAnyTextureAreRefusedUnread) {
    EXPECT_TRUE(refused(write("wide.bmp", bmpHeader(20000, 1))));
    EXPECT_TRUE(refused(write("huge.bmp", bmpHeader(16384, 16384))));
    EXPECT_TRUE(refused(write("negative.bmp", bmpHeader(-5, 4))));
    // Within the limit, the missing pixels read as black rather than past the file.
    const std::string small = write("short.bmp", bmpHeader(4, 4));
    D3DXIMAGE_INFO info{};
    ASSERT_EQ(D3DXGetImageInfoFromFileA(small.c_str(), &info), S_OK);
    EXPECT_EQ(info.Width, 4u);
}

// Only the picture kinds the program uses reach the decoder: a picture it could decode
// in another format (here an uncompressed TGA, and a GIF header) is refused.
TEST_F(HostileBitmap, OnlyBmpPngAndJpegAreDecoded) {
    Bytes tga = {0, 0, 2, 0, 0, 0, 0, 0, 0, 0, 0, 0, 1, 0, 1, 0, 24, 0, 10, 20, 30};
    EXPECT_TRUE(refused(write("pixel.tga", tga)));
    const std::string gif = "GIF89a\x01\x00\x01\x00\x80\x00\x00";
    EXPECT_TRUE(refused(write("pixel.gif", Bytes(gif.begin(), gif.end()))));
    EXPECT_TRUE(refused(write("empty.bmp", {})));
}

TEST_F(HostileBitmap, EveryPictureTheProgramShipsStillLoads) {
    for (const char* name :
         {"data/Env_Sky.jpg", "data/dot_b.png", "data/dot_g.png", "data/edge.bmp", "data/field.bmp",
          "data/road.bmp", "samples/bitmaps/flag.bmp", "samples/bitmaps/tree.bmp",
          "samples/meshes/checker.png"}) {
        SCOPED_TRACE(name);
        const std::string path = kSource + "/" + name;
        D3DXIMAGE_INFO info{};
        ASSERT_EQ(D3DXGetImageInfoFromFileA(path.c_str(), &info), S_OK);
        ComPtr<IDirect3DTexture9> texture;
        ASSERT_EQ(D3DXCreateTextureFromFileA(device_.get(), path.c_str(), texture.put()), S_OK);
        D3DSURFACE_DESC desc{};
        texture->GetLevelDesc(0, &desc);
        EXPECT_EQ(desc.Width, info.Width);
        EXPECT_EQ(desc.Height, info.Height);
    }
}
