#include "export/TexturePicture.h"

#include <cstring>

#include "d3dx9/d3dx9tex.h"

namespace {

std::uint8_t widened(std::uint32_t value, int bits) {
    const std::uint32_t top = (1u << bits) - 1;
    return static_cast<std::uint8_t>((value & top) * 255 / top);
}

// One texel as R, G, B, A; false for a format this does not read.
bool readTexel(D3DFORMAT format, const std::uint8_t* at, std::uint8_t* rgba) {
    std::uint32_t word = 0;
    switch (format) {
    case D3DFMT_A8R8G8B8:
    case D3DFMT_X8R8G8B8:
        std::memcpy(&word, at, 4);
        rgba[0] = static_cast<std::uint8_t>(word >> 16);
        rgba[1] = static_cast<std::uint8_t>(word >> 8);
        rgba[2] = static_cast<std::uint8_t>(word);
        rgba[3] = format == D3DFMT_A8R8G8B8 ? static_cast<std::uint8_t>(word >> 24) : 255;
        return true;
    case D3DFMT_A1R5G5B5:
    case D3DFMT_X1R5G5B5:
        std::memcpy(&word, at, 2);
        rgba[0] = widened(word >> 10, 5);
        rgba[1] = widened(word >> 5, 5);
        rgba[2] = widened(word, 5);
        rgba[3] = format == D3DFMT_A1R5G5B5 && (word & 0x8000u) == 0 ? 0 : 255;
        return true;
    case D3DFMT_A4R4G4B4:
        std::memcpy(&word, at, 2);
        rgba[0] = widened(word >> 8, 4);
        rgba[1] = widened(word >> 4, 4);
        rgba[2] = widened(word, 4);
        rgba[3] = widened(word >> 12, 4);
        return true;
    case D3DFMT_R5G6B5:
        std::memcpy(&word, at, 2);
        rgba[0] = widened(word >> 11, 5);
        rgba[1] = widened(word >> 5, 6);
        rgba[2] = widened(word, 5);
        rgba[3] = 255;
        return true;
    default:
        return false;
    }
}

std::size_t texelSize(D3DFORMAT format) {
    return format == D3DFMT_A8R8G8B8 || format == D3DFMT_X8R8G8B8 ? 4 : 2;
}

} // namespace

std::optional<GltfDocument::Picture> texturePicture(IDirect3DTexture9* texture) {
    D3DSURFACE_DESC desc{};
    if (texture == nullptr || FAILED(texture->GetLevelDesc(0, &desc)) || desc.Width == 0 ||
        desc.Height == 0) {
        return std::nullopt;
    }
    D3DLOCKED_RECT locked{};
    if (FAILED(texture->LockRect(0, &locked, nullptr, D3DLOCK_READONLY))) {
        return std::nullopt;
    }
    GltfDocument::Picture picture{
        static_cast<int>(desc.Width), static_cast<int>(desc.Height),
        std::vector<std::uint8_t>(std::size_t{desc.Width} * desc.Height * 4)};
    bool known = true;
    const auto* rows = static_cast<const std::uint8_t*>(locked.pBits);
    for (UINT y = 0; y < desc.Height && known; ++y) {
        for (UINT x = 0; x < desc.Width && known; ++x) {
            known = readTexel(desc.Format,
                              rows + y * static_cast<std::size_t>(locked.Pitch) +
                                  x * texelSize(desc.Format),
                              &picture.rgba[(std::size_t{y} * desc.Width + x) * 4]);
        }
    }
    texture->UnlockRect(0);
    if (!known) {
        return std::nullopt;
    }
    return picture;
}

std::optional<GltfDocument::Picture> filePicture(IDirect3DDevice9* device,
                                                 const std::string& path) {
    ComPtr<IDirect3DTexture9> texture;
    if (device == nullptr || path.empty() ||
        FAILED(D3DXCreateTextureFromFileExA(device, path.c_str(), D3DX_DEFAULT, D3DX_DEFAULT, 1, 0,
                                            D3DFMT_A8R8G8B8, D3DPOOL_SYSTEMMEM, D3DX_FILTER_NONE,
                                            D3DX_FILTER_NONE, 0, nullptr, nullptr,
                                            texture.put()))) {
        return std::nullopt;
    }
    return texturePicture(texture.get());
}
