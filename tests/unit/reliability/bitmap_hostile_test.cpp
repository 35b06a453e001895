// Pictures that are hostile to the image decoder: they must be refused before it sees
// them, while every picture the program ships still loads.
#include "d3d9/recording_device.h"
#include "d3dx9/d3dx9tex.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <initializer_list>
#include <iterator>
#include <string>
#include <tuple>
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

// A BMP header of width x height at the given bits per pixel (with a grey palette below
// 16 bits), followed by `held` bytes of pixel data.
Bytes bmp(std::int32_t width, std::int32_t height, int bits = 24, std::size_t held = 0) {
    const std::uint32_t palette = bits < 16 ? 4u << bits : 0;
    Bytes b(54 + palette, 0);
    auto put = [&b](std::size_t at, std::uint32_t v, int bytes) {
        for (int i = 0; i < bytes; ++i) {
            b[at + i] = static_cast<unsigned char>(v >> (8 * i));
        }
    };
    b[0] = 'B';
    b[1] = 'M';
    put(2, static_cast<std::uint32_t>(b.size() + held), 4);
    put(10, static_cast<std::uint32_t>(b.size()), 4);
    put(14, 40, 4);
    put(18, static_cast<std::uint32_t>(width), 4);
    put(22, static_cast<std::uint32_t>(height), 4);
    put(26, 1, 2);
    put(28, static_cast<std::uint32_t>(bits), 2);
    for (std::uint32_t i = 0; i < palette / 4; ++i) {
        const auto grey = static_cast<unsigned char>(i * 255 / (palette / 4 - 1));
        b[54 + 4 * i] = b[55 + 4 * i] = b[56 + 4 * i] = grey;
    }
    b.insert(b.end(), held, 0x80);
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
    EXPECT_TRUE(refused(write("wide.bmp", bmp(20000, 1))));
    EXPECT_TRUE(refused(write("huge.bmp", bmp(16384, 16384))));
    EXPECT_TRUE(refused(write("negative.bmp", bmp(-5, 4))));
}

// A header can also claim a size whose pixels the file does not hold: a 246-byte file
// claiming 8192 x 8192 became a 690 MB texture. A picture is refused when the file holds
// less than a quarter of the pixel bytes its header claims; one a little short loads,
// its missing rows black, read no further than the file.
TEST_F(HostileBitmap, PicturesWhosePixelsTheFileDoesNotHoldAreRefused) {
    EXPECT_TRUE(refused(write("vast.bmp", bmp(8192, 8192, 24, 192))));
    EXPECT_TRUE(refused(write("top-down.bmp", bmp(8192, -8192, 24, 192))));
    EXPECT_TRUE(refused(write("vast-1bit.bmp", bmp(8192, 8192, 1, 192))));
    EXPECT_TRUE(refused(write("vast-8bit.bmp", bmp(4096, 4096, 8, 4096))));
    EXPECT_TRUE(refused(write("header-only.bmp", bmp(4, 4))));
    // 64 x 64 at 24 bits: 12,288 bytes of pixels; a fifth of them is too few.
    EXPECT_TRUE(refused(write("fifth.bmp", bmp(64, 64, 24, 12288 / 5))));
    Bytes offset = bmp(64, 64, 24, 12288);
    offset[10] = 0xFF; // the pixels said to start past the end of the file
    offset[11] = 0xFF;
    EXPECT_TRUE(refused(write("offset.bmp", offset)));

    for (const auto& [name, bits, held] :
         {std::tuple{"third.bmp", 24, 12288 / 3}, std::tuple{"most.bmp", 24, 12288 - 192},
          std::tuple{"whole-1bit.bmp", 1, 8 * 64}}) {
        SCOPED_TRACE(name);
        const std::string path = write(name, bmp(64, 64, bits, static_cast<std::size_t>(held)));
        ASSERT_FALSE(refused(path));
        ComPtr<IDirect3DTexture9> texture;
        ASSERT_EQ(D3DXCreateTextureFromFileExA(device_.get(), path.c_str(), D3DX_DEFAULT,
                                               D3DX_DEFAULT, 1, 0, D3DFMT_A8R8G8B8, D3DPOOL_MANAGED,
                                               D3DX_FILTER_NONE, D3DX_FILTER_NONE, 0, nullptr,
                                               nullptr, texture.put()),
                  S_OK);
        D3DSURFACE_DESC desc{};
        texture->GetLevelDesc(0, &desc);
        EXPECT_EQ(desc.Width, 64u);
        EXPECT_EQ(desc.Height, 64u);
    }
}

// The same through JPEG: the program's own sky picture (1024 x 512) made to claim
// 8192 x 8192 and cut off 64 bytes into its image data became a 690 MB texture. A
// whole JPEG holds at least a bit for each 8 x 8 block of each component; one whose
// image data is less than a quarter of that is refused. Cut in half, the sky still
// loads (the decoder takes the rest for grey).
TEST_F(HostileBitmap, JpegsWhosePixelsTheFileDoesNotHoldAreRefused) {
    const Bytes sky = readFile(kSource + "/data/Env_Sky.jpg");
    const auto at = [&sky](std::initializer_list<unsigned char> marker) {
        const auto found = std::search(sky.begin(), sky.end(), marker.begin(), marker.end());
        return static_cast<std::size_t>(found - sky.begin());
    };
    const std::size_t frame = at({0xFF, 0xC0});
    const std::size_t scan = at({0xFF, 0xDA});
    ASSERT_LT(frame, sky.size());
    ASSERT_LT(scan, sky.size());
    const std::size_t data = scan + 2 + (sky[scan + 2] << 8 | sky[scan + 3]);
    const auto cut = [&](std::size_t end, unsigned side) {
        Bytes b(sky.begin(), sky.begin() + static_cast<std::ptrdiff_t>(end));
        if (side != 0) {
            b[frame + 5] = b[frame + 7] = static_cast<unsigned char>(side >> 8);
            b[frame + 6] = b[frame + 8] = static_cast<unsigned char>(side);
        }
        b.push_back(0xFF);
        b.push_back(0xD9);
        return b;
    };
    EXPECT_TRUE(refused(write("vast.jpg", cut(data + 64, 8192))));
    EXPECT_TRUE(refused(write("no-data.jpg", cut(data, 0))));
    EXPECT_FALSE(refused(write("half.jpg", cut(data + (sky.size() - data) / 2, 0))));
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

// An empty image-data chunk before the first full one made the decoder hand a null
// pointer to memcpy (found by fuzzing). Empty data chunks add nothing to a picture, so
// it decodes exactly as it does without them.
TEST_F(HostileBitmap, EmptyPngDataChunksChangeNothing) {
    const Bytes plain = readFile(kSource + "/data/dot_b.png");
    std::size_t firstData = 0;
    for (std::size_t at = 8; at + 12 <= plain.size();) {
        const std::size_t length = std::size_t{plain[at]} << 24 | std::size_t{plain[at + 1]} << 16 |
                                   std::size_t{plain[at + 2]} << 8 | plain[at + 3];
        if (std::equal(plain.begin() + static_cast<std::ptrdiff_t>(at + 4),
                       plain.begin() + static_cast<std::ptrdiff_t>(at + 8), "IDAT")) {
            firstData = at;
            break;
        }
        at += 12 + length;
    }
    ASSERT_NE(firstData, 0u);
    Bytes padded(plain.begin(), plain.begin() + static_cast<std::ptrdiff_t>(firstData));
    const Bytes empty = {0, 0, 0, 0, 'I', 'D', 'A', 'T', 0x35, 0xAF, 0x06, 0x1E};
    padded.insert(padded.end(), empty.begin(), empty.end());
    padded.insert(padded.end(), plain.begin() + static_cast<std::ptrdiff_t>(firstData),
                  plain.end());
    padded.insert(padded.end() - 12, empty.begin(), empty.end()); // and one before the end

    const auto pixels = [this](const std::string& path) {
        ComPtr<IDirect3DTexture9> texture;
        EXPECT_EQ(D3DXCreateTextureFromFileExA(device_.get(), path.c_str(), D3DX_DEFAULT,
                                               D3DX_DEFAULT, 1, 0, D3DFMT_A8R8G8B8, D3DPOOL_MANAGED,
                                               D3DX_FILTER_NONE, D3DX_FILTER_NONE, 0, nullptr,
                                               nullptr, texture.put()),
                  S_OK);
        Bytes out;
        D3DLOCKED_RECT locked{};
        if (texture && SUCCEEDED(texture->LockRect(0, &locked, nullptr, D3DLOCK_READONLY))) {
            const auto* bits = static_cast<const unsigned char*>(locked.pBits);
            out.assign(bits, bits + static_cast<std::ptrdiff_t>(locked.Pitch) * 64);
            texture->UnlockRect(0);
        }
        return out;
    };
    const Bytes expected = pixels(write("plain.png", plain));
    ASSERT_FALSE(expected.empty());
    EXPECT_EQ(pixels(write("padded.png", padded)), expected);

    for (const char* found :
         {"png-empty-first-data-chunk.png", "png-empty-first-data-chunk-2.png"}) {
        const std::string path = kSource + "/tests/fuzz/regressions/bitmap/" + found;
        ComPtr<IDirect3DTexture9> texture;
        // Only that it does not crash: a hostile bitmap may load or be refused.
        (void)D3DXCreateTextureFromFileA(device_.get(), path.c_str(), texture.put());
    }
}
