// Texture loading with the D3DX calling shape, over stb_image (BMP, PNG, JPEG, TGA).
#pragma once

#include "d3d9/d3d9.h"

constexpr UINT D3DX_DEFAULT = static_cast<UINT>(-1);
constexpr UINT D3DX_DEFAULT_NONPOW2 = static_cast<UINT>(-2);
constexpr UINT D3DX_FROM_FILE = static_cast<UINT>(-3);
constexpr D3DFORMAT D3DFMT_FROM_FILE = static_cast<D3DFORMAT>(-3);

// The file is missing, unreadable or not an image.
constexpr HRESULT D3DXERR_INVALIDDATA = static_cast<HRESULT>(0x88760B59u);

constexpr DWORD D3DX_FILTER_NONE = 1u << 0;
constexpr DWORD D3DX_FILTER_POINT = 2u << 0;
constexpr DWORD D3DX_FILTER_LINEAR = 3u << 0;
constexpr DWORD D3DX_FILTER_TRIANGLE = 4u << 0;
constexpr DWORD D3DX_FILTER_BOX = 5u << 0;
constexpr DWORD D3DX_FILTER_MIRROR = 7u << 16;

enum D3DXIMAGE_FILEFORMAT {
    D3DXIFF_BMP = 0,
    D3DXIFF_JPG = 1,
    D3DXIFF_TGA = 2,
    D3DXIFF_PNG = 3,
};

struct D3DXIMAGE_INFO {
    UINT Width;
    UINT Height;
    UINT Depth;
    UINT MipLevels;
    D3DFORMAT Format;
    D3DRESOURCETYPE ResourceType;
    D3DXIMAGE_FILEFORMAT ImageFileFormat;
};

struct PALETTEENTRY {
    BYTE peRed;
    BYTE peGreen;
    BYTE peBlue;
    BYTE peFlags;
};

// Reads an image file's size and format without making a texture.
HRESULT D3DXGetImageInfoFromFileA(const char* file, D3DXIMAGE_INFO* info);

// Loads an image into a new texture. width and height D3DX_DEFAULT (or 0) keep the
// image's own size; mipLevels D3DX_DEFAULT or 0 makes a full chain, D3DX_FROM_FILE
// one level. Pixels equal to colorKey (opaque ARGB, 0 = no key) become transparent
// black. format D3DFMT_UNKNOWN or D3DFMT_FROM_FILE gives A8R8G8B8.
[[nodiscard]] HRESULT D3DXCreateTextureFromFileExA(IDirect3DDevice9* device, const char* file,
                                                   UINT width, UINT height, UINT mipLevels,
                                                   DWORD usage, D3DFORMAT format, D3DPOOL pool,
                                                   DWORD filter, DWORD mipFilter, D3DCOLOR colorKey,
                                                   D3DXIMAGE_INFO* info, PALETTEENTRY* palette,
                                                   IDirect3DTexture9** texture);

[[nodiscard]] HRESULT D3DXCreateTextureFromFileA(IDirect3DDevice9* device, const char* file,
                                                 IDirect3DTexture9** texture);

// The same from the bytes of an image file held in memory, with the defaults of
// D3DXCreateTextureFromFileA.
[[nodiscard]] HRESULT D3DXCreateTextureFromFileInMemory(IDirect3DDevice9* device, const void* data,
                                                        UINT size, IDirect3DTexture9** texture);
