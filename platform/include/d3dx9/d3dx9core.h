// D3DX sprites and fonts: pictures and text in screen pixels, drawn through any device
// with its ordinary calls (screen-space vertices, alpha blending, no depth test), so the
// recording device records them like any other drawing.
//
//     ComPtr<ID3DXSprite> sprite;
//     D3DXCreateSprite(device, sprite.put());
//     D3DXMATRIX scale;
//     D3DXMatrixScaling(&scale, 0.2f, 0.2f, 1.0f);
//     sprite->Begin(D3DXSPRITE_ALPHABLEND);
//     sprite->SetTransform(&scale);
//     D3DXVECTOR3 at(500, 50, 0);   // in pixels before the transform
//     sprite->Draw(texture, nullptr, nullptr, &at, 0x88CCCCCC);
//     sprite->End();
//
//     ComPtr<ID3DXFont> font;
//     D3DXCreateFontA(device, 20, 0, FW_BOLD, 1, FALSE, DEFAULT_CHARSET, OUT_DEFAULT_PRECIS,
//                     ANTIALIASED_QUALITY, DEFAULT_PITCH | FF_DONTCARE, "Arial", font.put());
//     RECT r{10, 8, 300, 40};
//     font->DrawTextA(nullptr, "course:1", -1, &r, 0, 0xFFFFFF00);
//
// Both save every device state they change when a batch begins and put it back when it
// ends (unless told not to with D3DXSPRITE_DONOTSAVESTATE).
#pragma once

#include "d3d9/d3d9.h"
#include "d3dx9/d3dx9math.h"

// --- sprites ----------------------------------------------------------------------------------

constexpr DWORD D3DXSPRITE_DONOTSAVESTATE = 1u << 0;
constexpr DWORD D3DXSPRITE_DONOTMODIFY_RENDERSTATE = 1u << 1;
constexpr DWORD D3DXSPRITE_OBJECTSPACE = 1u << 2;
constexpr DWORD D3DXSPRITE_BILLBOARD = 1u << 3;
constexpr DWORD D3DXSPRITE_ALPHABLEND = 1u << 4;
constexpr DWORD D3DXSPRITE_SORT_TEXTURE = 1u << 5;
constexpr DWORD D3DXSPRITE_SORT_DEPTH_FRONTTOBACK = 1u << 6;
constexpr DWORD D3DXSPRITE_SORT_DEPTH_BACKTOFRONT = 1u << 7;

class ID3DXSprite : public IUnknown {
public:
    [[nodiscard]] virtual HRESULT GetDevice(IDirect3DDevice9** ppDevice) = 0;
    virtual HRESULT GetTransform(D3DXMATRIX* pTransform) = 0;
    // Applied to every sprite drawn after it: scale, rotation and translation in pixels.
    virtual HRESULT SetTransform(const D3DXMATRIX* pTransform) = 0;
    // Starts a batch. Sprites are always drawn alpha blended (source alpha over the
    // target), D3DXSPRITE_ALPHABLEND or not. D3DXSPRITE_OBJECTSPACE leaves the world,
    // view and projection transforms to the caller; otherwise positions are pixels.
    virtual HRESULT Begin(DWORD Flags) = 0;
    // Queues the texture's pSrcRect (the whole texture when null), with the point pCenter
    // of it (texels from its top-left, (0, 0) when null) placed at pPosition ((0, 0, 0)
    // when null), then the transform applied. Colour multiplies the texels.
    virtual HRESULT Draw(IDirect3DTexture9* pTexture, const RECT* pSrcRect,
                         const D3DXVECTOR3* pCenter, const D3DXVECTOR3* pPosition,
                         D3DCOLOR Color) = 0;
    // Draws what was queued, in the order it was queued.
    virtual HRESULT Flush() = 0;
    // Draws what was queued and puts the device's state back.
    virtual HRESULT End() = 0;
    // Begin fails between OnLostDevice and OnResetDevice; a batch still open is ended.
    virtual HRESULT OnLostDevice() = 0;
    virtual HRESULT OnResetDevice() = 0;
};

[[nodiscard]] HRESULT D3DXCreateSprite(IDirect3DDevice9* pDevice, ID3DXSprite** ppSprite);

// --- fonts -------------------------------------------------------------------------------------

// GDI's font vocabulary, as far as font creation speaks it.
constexpr INT FW_DONTCARE = 0;
constexpr INT FW_THIN = 100;
constexpr INT FW_LIGHT = 300;
constexpr INT FW_NORMAL = 400;
constexpr INT FW_MEDIUM = 500;
constexpr INT FW_SEMIBOLD = 600;
constexpr INT FW_BOLD = 700;
constexpr INT FW_HEAVY = 900;

constexpr DWORD ANSI_CHARSET = 0;
constexpr DWORD DEFAULT_CHARSET = 1;
constexpr DWORD SHIFTJIS_CHARSET = 128;

constexpr DWORD OUT_DEFAULT_PRECIS = 0;
constexpr DWORD OUT_TT_PRECIS = 4;

constexpr DWORD DEFAULT_QUALITY = 0;
constexpr DWORD DRAFT_QUALITY = 1;
constexpr DWORD PROOF_QUALITY = 2;
constexpr DWORD NONANTIALIASED_QUALITY = 3;
constexpr DWORD ANTIALIASED_QUALITY = 4;
constexpr DWORD CLEARTYPE_QUALITY = 5;

constexpr DWORD DEFAULT_PITCH = 0;
constexpr DWORD FIXED_PITCH = 1;
constexpr DWORD VARIABLE_PITCH = 2;
constexpr DWORD FF_DONTCARE = 0;
constexpr DWORD FF_ROMAN = 0x10;
constexpr DWORD FF_SWISS = 0x20;
constexpr DWORD FF_MODERN = 0x30;

// DrawText format flags.
constexpr DWORD DT_TOP = 0x00000000;
constexpr DWORD DT_LEFT = 0x00000000;
constexpr DWORD DT_CENTER = 0x00000001;
constexpr DWORD DT_RIGHT = 0x00000002;
constexpr DWORD DT_VCENTER = 0x00000004;
constexpr DWORD DT_BOTTOM = 0x00000008;
constexpr DWORD DT_WORDBREAK = 0x00000010;
constexpr DWORD DT_SINGLELINE = 0x00000020;
constexpr DWORD DT_EXPANDTABS = 0x00000040;
constexpr DWORD DT_NOCLIP = 0x00000100;
constexpr DWORD DT_CALCRECT = 0x00000400;
constexpr DWORD DT_NOPREFIX = 0x00000800;

constexpr UINT LF_FACESIZE = 32;

struct D3DXFONT_DESCA {
    INT Height;
    UINT Width;
    UINT Weight;
    UINT MipLevels;
    BOOL Italic;
    BYTE CharSet;
    BYTE OutputPrecision;
    BYTE Quality;
    BYTE PitchAndFamily;
    char FaceName[LF_FACESIZE];
};

class ID3DXFont : public IUnknown {
public:
    [[nodiscard]] virtual HRESULT GetDevice(IDirect3DDevice9** ppDevice) = 0;
    virtual HRESULT GetDescA(D3DXFONT_DESCA* pDesc) = 0;
    // Between Begin and End, text drawn without a sprite of the caller's goes into one
    // batch, drawn at End; outside, every DrawText draws at once.
    virtual HRESULT Begin() = 0;
    virtual HRESULT End() = 0;
    // Text in pRect (pixels; (0, 0) and no clipping when null), Count bytes or up to the
    // terminating zero when -1. Bytes are UTF-8 where they form it and Latin-1 where
    // not; "\n" (or "\r\n") starts a line unless DT_SINGLELINE. Aligned by DT_LEFT,
    // DT_CENTER, DT_RIGHT, DT_TOP, DT_VCENTER, DT_BOTTOM; clipped to the rectangle unless
    // DT_NOCLIP; DT_CALCRECT only measures, setting right and bottom. With pSprite, the
    // glyphs are queued into the caller's sprite batch. Returns the height of the text
    // in pixels (with DT_VCENTER or DT_BOTTOM, the distance from the rectangle's top to
    // the bottom of the text), 0 on failure.
    virtual INT DrawTextA(ID3DXSprite* pSprite, const char* pString, INT Count, RECT* pRect,
                          DWORD Format, D3DCOLOR Color) = 0;
    virtual HRESULT PreloadTextA(const char* pString, INT Count) = 0;
    virtual HRESULT OnLostDevice() = 0;
    virtual HRESULT OnResetDevice() = 0;
};

// Height: positive, the height of a line (GDI's cell height); negative, the em height;
// 0, 12 pixels. Width 0 keeps the face's proportions; a weight of 600 or more is bold
// (made bold by FreeType when the matching face is not). FaceName goes through
// fontconfig, so "Arial" finds Arial or the metric-compatible Liberation Sans. Glyphs
// are kept in textures made through the device.
[[nodiscard]] HRESULT D3DXCreateFontA(IDirect3DDevice9* pDevice, INT Height, UINT Width,
                                      UINT Weight, UINT MipLevels, BOOL Italic, DWORD CharSet,
                                      DWORD OutputPrecision, DWORD Quality, DWORD PitchAndFamily,
                                      const char* pFaceName, ID3DXFont** ppFont);
[[nodiscard]] HRESULT D3DXCreateFontIndirectA(IDirect3DDevice9* pDevice,
                                              const D3DXFONT_DESCA* pDesc, ID3DXFont** ppFont);

[[nodiscard]] inline HRESULT D3DXCreateFont(IDirect3DDevice9* pDevice, INT Height, UINT Width,
                                            UINT Weight, UINT MipLevels, BOOL Italic, DWORD CharSet,
                                            DWORD OutputPrecision, DWORD Quality,
                                            DWORD PitchAndFamily, const char* pFaceName,
                                            ID3DXFont** ppFont) {
    return D3DXCreateFontA(pDevice, Height, Width, Weight, MipLevels, Italic, CharSet,
                           OutputPrecision, Quality, PitchAndFamily, pFaceName, ppFont);
}
