#include "d3dx9/d3dx9tex.h"

#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <initializer_list>
#include <memory>
#include <string>
#include <type_traits>
#include <vector>

#include <stb/stb_image.h>

#include "win32/regular_file.h"

namespace {

// Decoded pixels in memory order R, G, B, A.
struct Pixels {
    int width = 0;
    int height = 0;
    std::vector<std::uint8_t> rgba;
};

struct StbFree {
    void operator()(stbi_uc* p) const { stbi_image_free(p); }
};

// Pictures are read whole into memory and checked before the decoder sees them. Larger
// files, and pictures larger than any texture a device makes, are refused unread.
constexpr std::uint64_t kLargestFile = 256u << 20;
constexpr int kLargestSide = 16384;
constexpr long long kMostPixels = 8192LL * 8192;

// Only a regular file is opened: a FIFO would wait for a writer.
bool readWhole(const char* file, std::vector<stbi_uc>* out) {
    RegularFile opened = RegularFile::open(file);
    if (!opened || opened.size() == 0 || opened.size() > kLargestFile) {
        return false;
    }
    out->resize(static_cast<std::size_t>(opened.size()));
    return opened.readExactly(out->data(), out->size());
}

bool startsWith(const std::vector<stbi_uc>& bytes, std::initializer_list<stbi_uc> prefix) {
    return bytes.size() >= prefix.size() && std::equal(prefix.begin(), prefix.end(), bytes.begin());
}

// The decoder builds a JPEG Huffman table of at most 256 codes in fixed arrays without
// checking the counts the file gives, so a table that claims more writes past them.
// Every byte pair that could start a table segment (FF C4) is read the way the decoder
// would read it, and a picture with any table of more than 256 codes is refused.
bool jpegHuffmanTablesFit(const std::vector<stbi_uc>& bytes) {
    const std::size_t size = bytes.size();
    const auto at = [&](std::size_t i) -> unsigned { return i < size ? bytes[i] : 0u; };
    for (std::size_t p = 0; p + 1 < size; ++p) {
        if (bytes[p] != 0xFF || bytes[p + 1] != 0xC4) {
            continue;
        }
        long remaining = static_cast<long>(at(p + 2) << 8 | at(p + 3)) - 2;
        std::size_t table = p + 4;
        while (remaining > 0 && table < size) {
            const unsigned kind = at(table);
            if ((kind >> 4) > 1 || (kind & 15) > 3) {
                break; // the decoder refuses the segment here
            }
            unsigned codes = 0;
            for (std::size_t i = 1; i <= 16; ++i) {
                codes += at(table + i);
            }
            if (codes > 256) {
                return false;
            }
            remaining -= 17 + static_cast<long>(codes);
            table += 17 + codes;
        }
    }
    return true;
}

// Only the kinds of picture the program uses (BMP, PNG, JPEG) reach the decoder, so its
// other readers are never exposed to what a file holds.
bool acceptable(const std::vector<stbi_uc>& bytes) {
    if (startsWith(bytes, {'B', 'M'}) ||
        startsWith(bytes, {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'})) {
        return true;
    }
    return startsWith(bytes, {0xFF, 0xD8, 0xFF}) && jpegHuffmanTablesFit(bytes);
}

// The decoder passes a null pointer to memcpy when a PNG's first image-data chunk is
// empty (undefined, however harmless it looks). An empty data chunk adds nothing to the
// image, so empty ones are taken out before the picture is decoded.
void dropEmptyPngDataChunks(std::vector<stbi_uc>& bytes) {
    if (!startsWith(bytes, {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'})) {
        return;
    }
    std::vector<stbi_uc> kept(bytes.begin(), bytes.begin() + 8);
    bool dropped = false;
    std::size_t at = 8;
    while (at + 8 <= bytes.size()) { // the decoder acts on a chunk once its header is read
        const std::size_t length = std::size_t{bytes[at]} << 24 | std::size_t{bytes[at + 1]} << 16 |
                                   std::size_t{bytes[at + 2]} << 8 | bytes[at + 3];
        const std::size_t end = std::min(bytes.size(), at + 12 + length);
        if (length == 0 && std::memcmp(&bytes[at + 4], "IDAT", 4) == 0) {
            dropped = true;
        } else {
            kept.insert(kept.end(), bytes.begin() + static_cast<std::ptrdiff_t>(at),
                        bytes.begin() + static_cast<std::ptrdiff_t>(end));
        }
        at = end;
    }
    if (dropped) {
        kept.insert(kept.end(), bytes.begin() + static_cast<std::ptrdiff_t>(at), bytes.end());
        bytes.swap(kept);
    }
}

// A BMP header may claim any size while the file holds next to no pixels; the decoder
// takes what is missing for black and makes the whole picture, so a few hundred bytes
// could cost hundreds of megabytes and seconds. A picture is refused when the file
// holds less than a quarter of the pixel bytes its header claims, so that what a file
// costs stays in proportion to what it holds. Bytes from the header's data offset on
// count as pixels held.
bool bmpHoldsItsPixels(const std::vector<stbi_uc>& bytes) {
    if (!startsWith(bytes, {'B', 'M'})) {
        return true;
    }
    const auto read = [&bytes](std::size_t at, int size) {
        std::uint32_t value = 0;
        for (int i = size - 1; i >= 0; --i) {
            value = value << 8 | (at + i < bytes.size() ? bytes[at + i] : 0u);
        }
        return value;
    };
    const std::uint32_t headerSize = read(14, 4);
    const bool core = headerSize == 12; // the oldest header: 16-bit sizes
    const std::int64_t width = core ? read(18, 2) : static_cast<std::int32_t>(read(18, 4));
    const std::int64_t height = core ? read(20, 2) : static_cast<std::int32_t>(read(22, 4));
    const std::int64_t bits = read(core ? 24 : 28, 2);
    if (std::abs(width) > kLargestSide || std::abs(height) > kLargestSide) {
        return false;
    }
    const std::int64_t rowBytes = (std::abs(width) * bits + 31) / 32 * 4;
    const std::int64_t claimed = rowBytes * std::abs(height);
    const std::uint64_t start = std::max<std::uint64_t>(read(10, 4), 14ull + headerSize);
    const std::uint64_t held = bytes.size() > start ? bytes.size() - start : 0;
    return static_cast<std::int64_t>(held) * 4 >= claimed;
}

// The 8 x 8 blocks a JPEG frame holds (the body of a SOF segment at `at`): each
// component's share of the picture, by its sampling against the largest, in blocks.
std::int64_t jpegFrameBlocks(const std::vector<stbi_uc>& bytes, std::size_t at) {
    const auto byte = [&bytes](std::size_t i) -> std::int64_t {
        return i < bytes.size() ? bytes[i] : 0;
    };
    const std::int64_t height = byte(at + 1) << 8 | byte(at + 2);
    const std::int64_t width = byte(at + 3) << 8 | byte(at + 4);
    const std::int64_t components = byte(at + 5);
    std::int64_t largestH = 1;
    std::int64_t largestV = 1;
    for (std::int64_t c = 0; c < components; ++c) {
        largestH = std::max(largestH, byte(at + 7 + 3 * c) >> 4);
        largestV = std::max(largestV, byte(at + 7 + 3 * c) & 15);
    }
    std::int64_t blocks = 0;
    for (std::int64_t c = 0; c < components; ++c) {
        const std::int64_t h = byte(at + 7 + 3 * c) >> 4;
        const std::int64_t v = byte(at + 7 + 3 * c) & 15;
        const std::int64_t across = (width * h + largestH - 1) / largestH;
        const std::int64_t down = (height * v + largestV - 1) / largestV;
        blocks += (across + 7) / 8 * ((down + 7) / 8);
    }
    return blocks;
}

// A JPEG header may claim any size too, and the decoder takes image data missing at
// the end for grey. A whole picture codes at least one bit for each block in its first
// scan (the Huffman code of the block's first coefficient), so a file whose image data
// is less than a quarter of that is refused. Image data is everything after the first
// scan's header.
bool jpegHoldsItsPixels(const std::vector<stbi_uc>& bytes) {
    if (!startsWith(bytes, {0xFF, 0xD8})) {
        return true;
    }
    std::int64_t blocks = 0;
    std::size_t at = 2;
    while (at + 4 <= bytes.size() && bytes[at] == 0xFF) {
        const unsigned marker = bytes[at + 1];
        if (marker == 0xFF) {
            ++at; // fill byte
            continue;
        }
        const std::size_t length = std::size_t{bytes[at + 2]} << 8 | bytes[at + 3];
        if (marker == 0xC0 || marker == 0xC1 || marker == 0xC2) {
            blocks = jpegFrameBlocks(bytes, at + 4);
        } else if (marker == 0xDA) {
            const std::size_t data = at + 2 + length;
            const std::size_t held = bytes.size() > data ? bytes.size() - data : 0;
            return static_cast<std::int64_t>(held) * 8 * 4 >= blocks;
        }
        at += 2 + length;
    }
    return true; // no scan where one belongs: the decoder refuses the file itself
}

bool sizeFits(int width, int height) {
    return width > 0 && height > 0 && width <= kLargestSide && height <= kLargestSide &&
           static_cast<long long>(width) * height <= kMostPixels;
}

// The picture's size and channel count without decoding it; false for a file that will
// not be decoded either.
bool probe(const std::vector<stbi_uc>& bytes, int* width, int* height, int* channels) {
    return acceptable(bytes) &&
           stbi_info_from_memory(bytes.data(), static_cast<int>(bytes.size()), width, height,
                                 channels) != 0 &&
           sizeFits(*width, *height) && bmpHoldsItsPixels(bytes) && jpegHoldsItsPixels(bytes);
}

bool decodeBytes(std::vector<stbi_uc> bytes, Pixels* out) {
    int w = 0;
    int h = 0;
    int channels = 0;
    if (!probe(bytes, &w, &h, &channels)) {
        return false;
    }
    dropEmptyPngDataChunks(bytes);
    std::unique_ptr<stbi_uc, StbFree> data(
        stbi_load_from_memory(bytes.data(), static_cast<int>(bytes.size()), &w, &h, &channels, 4));
    std::vector<stbi_uc>().swap(bytes); // not needed any more: give its memory back
    if (!data || !sizeFits(w, h)) {
        return false;
    }
    out->width = w;
    out->height = h;
    out->rgba.assign(data.get(), data.get() + static_cast<std::size_t>(w) * h * 4);
    return true;
}

bool decode(const char* file, Pixels* out) {
    std::vector<stbi_uc> bytes;
    return readWhole(file, &bytes) && decodeBytes(std::move(bytes), out);
}

D3DXIMAGE_FILEFORMAT fileFormatOf(const std::string& file) {
    std::string ext = file.substr(file.find_last_of('.') + 1);
    std::transform(ext.begin(), ext.end(), ext.begin(),
                   [](unsigned char c) { return std::tolower(c); });
    if (ext == "png") {
        return D3DXIFF_PNG;
    }
    if (ext == "jpg" || ext == "jpeg") {
        return D3DXIFF_JPG;
    }
    if (ext == "tga") {
        return D3DXIFF_TGA;
    }
    return D3DXIFF_BMP;
}

// Opaque pixels whose colour equals the key become transparent black.
void applyColorKey(Pixels& pixels, D3DCOLOR key) {
    if (key == 0) {
        return;
    }
    const std::uint8_t a = key >> 24;
    const std::uint8_t r = (key >> 16) & 0xFF;
    const std::uint8_t g = (key >> 8) & 0xFF;
    const std::uint8_t b = key & 0xFF;
    for (std::size_t i = 0; i < pixels.rgba.size(); i += 4) {
        std::uint8_t* p = &pixels.rgba[i];
        if (p[0] == r && p[1] == g && p[2] == b && p[3] == a) {
            p[0] = p[1] = p[2] = p[3] = 0;
        }
    }
}

// Nearest-texel scaling to the size the caller asked for.
Pixels resized(const Pixels& source, int width, int height) {
    Pixels out;
    out.width = width;
    out.height = height;
    out.rgba.resize(static_cast<std::size_t>(width) * height * 4);
    for (int y = 0; y < height; ++y) {
        const int sy = y * source.height / height;
        for (int x = 0; x < width; ++x) {
            const int sx = x * source.width / width;
            std::memcpy(&out.rgba[(static_cast<std::size_t>(y) * width + x) * 4],
                        &source.rgba[(static_cast<std::size_t>(sy) * source.width + sx) * 4], 4);
        }
    }
    return out;
}

// The next smaller mip level: each texel the rounded mean of a 2 x 2 block (the last
// row or column taken twice where the size is odd).
Pixels halved(const Pixels& source) {
    Pixels out;
    out.width = std::max(1, source.width / 2);
    out.height = std::max(1, source.height / 2);
    out.rgba.resize(static_cast<std::size_t>(out.width) * out.height * 4);
    const std::size_t sourceRow = static_cast<std::size_t>(source.width) * 4;
    for (int y = 0; y < out.height; ++y) {
        const std::uint8_t* top = &source.rgba[std::min(y * 2, source.height - 1) * sourceRow];
        const std::uint8_t* bottom =
            &source.rgba[std::min(y * 2 + 1, source.height - 1) * sourceRow];
        std::uint8_t* target = &out.rgba[static_cast<std::size_t>(y) * out.width * 4];
        for (int x = 0; x < out.width; ++x) {
            const int left = std::min(x * 2, source.width - 1) * 4;
            const int right = std::min(x * 2 + 1, source.width - 1) * 4;
            for (int c = 0; c < 4; ++c) {
                const int sum =
                    top[left + c] + top[right + c] + bottom[left + c] + bottom[right + c];
                target[x * 4 + c] = static_cast<std::uint8_t>((sum + 2) / 4);
            }
        }
    }
    return out;
}

UINT fullChainLength(int width, int height) {
    UINT levels = 1;
    while (width > 1 || height > 1) {
        width = std::max(1, width / 2);
        height = std::max(1, height / 2);
        ++levels;
    }
    return levels;
}

// One texel of RGBA8 in the texture's format (in the low bytes for 16-bit formats).
template <D3DFORMAT Format>
std::uint32_t packTexel(const std::uint8_t* rgba) {
    const unsigned r = rgba[0];
    const unsigned g = rgba[1];
    const unsigned b = rgba[2];
    const unsigned a = rgba[3];
    if constexpr (Format == D3DFMT_A1R5G5B5) {
        return ((a >= 128 ? 1u : 0u) << 15) | ((r >> 3) << 10) | ((g >> 3) << 5) | (b >> 3);
    } else if constexpr (Format == D3DFMT_X1R5G5B5) {
        return (1u << 15) | ((r >> 3) << 10) | ((g >> 3) << 5) | (b >> 3);
    } else if constexpr (Format == D3DFMT_A4R4G4B4) {
        return ((a >> 4) << 12) | ((r >> 4) << 8) | ((g >> 4) << 4) | (b >> 4);
    } else if constexpr (Format == D3DFMT_R5G6B5) {
        return ((r >> 3) << 11) | ((g >> 2) << 5) | (b >> 3);
    } else if constexpr (Format == D3DFMT_X8R8G8B8) {
        return (0xFFu << 24) | (r << 16) | (g << 8) | b;
    } else {
        return (a << 24) | (r << 16) | (g << 8) | b;
    }
}

// The level's texels in Format, a row at a time, each store of the texel's own size.
template <D3DFORMAT Format>
void storeTexels(const Pixels& pixels, std::uint8_t* bits, INT pitch) {
    using Texel = std::conditional_t<(Format == D3DFMT_A8R8G8B8 || Format == D3DFMT_X8R8G8B8),
                                     std::uint32_t, std::uint16_t>;
    for (int y = 0; y < pixels.height; ++y) {
        const std::uint8_t* source = &pixels.rgba[static_cast<std::size_t>(y) * pixels.width * 4];
        std::uint8_t* target = bits + static_cast<std::size_t>(y) * pitch;
        for (int x = 0; x < pixels.width; ++x) {
            const auto value = static_cast<Texel>(packTexel<Format>(source + x * 4));
            std::memcpy(target + x * sizeof(Texel), &value, sizeof(Texel));
        }
    }
}

HRESULT writeLevel(IDirect3DTexture9* texture, UINT level, D3DFORMAT format, const Pixels& pixels) {
    D3DLOCKED_RECT locked{};
    const HRESULT hr = texture->LockRect(level, &locked, nullptr, 0);
    if (FAILED(hr)) {
        return hr;
    }
    auto* bits = static_cast<std::uint8_t*>(locked.pBits);
    switch (format) {
    case D3DFMT_A1R5G5B5:
        storeTexels<D3DFMT_A1R5G5B5>(pixels, bits, locked.Pitch);
        break;
    case D3DFMT_X1R5G5B5:
        storeTexels<D3DFMT_X1R5G5B5>(pixels, bits, locked.Pitch);
        break;
    case D3DFMT_A4R4G4B4:
        storeTexels<D3DFMT_A4R4G4B4>(pixels, bits, locked.Pitch);
        break;
    case D3DFMT_R5G6B5:
        storeTexels<D3DFMT_R5G6B5>(pixels, bits, locked.Pitch);
        break;
    case D3DFMT_X8R8G8B8:
        storeTexels<D3DFMT_X8R8G8B8>(pixels, bits, locked.Pitch);
        break;
    default:
        storeTexels<D3DFMT_A8R8G8B8>(pixels, bits, locked.Pitch);
        break;
    }
    return texture->UnlockRect(level);
}

bool isSupportedFormat(D3DFORMAT format) {
    switch (format) {
    case D3DFMT_A8R8G8B8:
    case D3DFMT_X8R8G8B8:
    case D3DFMT_A1R5G5B5:
    case D3DFMT_X1R5G5B5:
    case D3DFMT_A4R4G4B4:
    case D3DFMT_R5G6B5:
        return true;
    default:
        return false;
    }
}

HRESULT createTexture(IDirect3DDevice9* device, Pixels pixels, UINT width, UINT height,
                      UINT mipLevels, DWORD usage, D3DFORMAT format, D3DPOOL pool,
                      D3DCOLOR colorKey, IDirect3DTexture9** texture) {
    const auto keepsOwnSize = [](UINT size) {
        return size == 0 || size == D3DX_DEFAULT || size == D3DX_DEFAULT_NONPOW2 ||
               size == D3DX_FROM_FILE;
    };
    const int targetWidth = keepsOwnSize(width) ? pixels.width : static_cast<int>(width);
    const int targetHeight = keepsOwnSize(height) ? pixels.height : static_cast<int>(height);
    if (targetWidth != pixels.width || targetHeight != pixels.height) {
        pixels = resized(pixels, targetWidth, targetHeight);
    }
    applyColorKey(pixels, colorKey);

    const D3DFORMAT textureFormat = isSupportedFormat(format) ? format : D3DFMT_A8R8G8B8;
    const UINT fullChain = fullChainLength(pixels.width, pixels.height);
    UINT levels = fullChain;
    if (mipLevels == D3DX_FROM_FILE) {
        levels = 1;
    } else if (mipLevels != 0 && mipLevels != D3DX_DEFAULT) {
        levels = std::min(mipLevels, fullChain);
    }
    ComPtr<IDirect3DTexture9> created;
    HRESULT hr =
        device->CreateTexture(static_cast<UINT>(pixels.width), static_cast<UINT>(pixels.height),
                              levels, usage, textureFormat, pool, created.put(), nullptr);
    if (FAILED(hr)) {
        return hr;
    }
    for (UINT level = 0; level < levels; ++level) {
        hr = writeLevel(created.get(), level, textureFormat, pixels);
        if (FAILED(hr)) {
            return hr;
        }
        pixels = halved(pixels);
    }
    *texture = created.detach();
    return S_OK;
}

} // namespace

HRESULT D3DXGetImageInfoFromFileA(const char* file, D3DXIMAGE_INFO* info) {
    if (file == nullptr || info == nullptr) {
        return D3DERR_INVALIDCALL;
    }
    std::vector<stbi_uc> bytes;
    int w = 0;
    int h = 0;
    int channels = 0;
    if (!readWhole(file, &bytes) || !probe(bytes, &w, &h, &channels)) {
        return D3DERR_INVALIDCALL;
    }
    *info = D3DXIMAGE_INFO{static_cast<UINT>(w),
                           static_cast<UINT>(h),
                           1,
                           1,
                           channels == 4 ? D3DFMT_A8R8G8B8 : D3DFMT_X8R8G8B8,
                           D3DRTYPE_TEXTURE,
                           fileFormatOf(file)};
    return S_OK;
}

HRESULT D3DXCreateTextureFromFileExA(IDirect3DDevice9* device, const char* file, UINT width,
                                     UINT height, UINT mipLevels, DWORD usage, D3DFORMAT format,
                                     D3DPOOL pool, DWORD /*filter*/, DWORD /*mipFilter*/,
                                     D3DCOLOR colorKey, D3DXIMAGE_INFO* info,
                                     PALETTEENTRY* /*palette*/, IDirect3DTexture9** texture) {
    if (device == nullptr || file == nullptr || texture == nullptr) {
        return D3DERR_INVALIDCALL;
    }
    Pixels pixels;
    if (!decode(file, &pixels)) {
        return D3DXERR_INVALIDDATA;
    }
    if (info != nullptr) {
        D3DXGetImageInfoFromFileA(file, info);
    }
    return createTexture(device, std::move(pixels), width, height, mipLevels, usage, format, pool,
                         colorKey, texture);
}

HRESULT D3DXCreateTextureFromFileInMemory(IDirect3DDevice9* device, const void* data, UINT size,
                                          IDirect3DTexture9** texture) {
    if (device == nullptr || data == nullptr || texture == nullptr) {
        return D3DERR_INVALIDCALL;
    }
    const auto* bytes = static_cast<const stbi_uc*>(data);
    Pixels pixels;
    if (!decodeBytes(std::vector<stbi_uc>(bytes, bytes + size), &pixels)) {
        return D3DXERR_INVALIDDATA;
    }
    return createTexture(device, std::move(pixels), D3DX_DEFAULT, D3DX_DEFAULT, D3DX_DEFAULT, 0,
                         D3DFMT_UNKNOWN, D3DPOOL_MANAGED, 0, texture);
}

HRESULT D3DXCreateTextureFromFileA(IDirect3DDevice9* device, const char* file,
                                   IDirect3DTexture9** texture) {
    return D3DXCreateTextureFromFileExA(device, file, D3DX_DEFAULT, D3DX_DEFAULT, D3DX_DEFAULT, 0,
                                        D3DFMT_UNKNOWN, D3DPOOL_MANAGED, D3DX_DEFAULT, D3DX_DEFAULT,
                                        0, nullptr, nullptr, texture);
}
