// What a device says it can do. The record keeps the members the program and its
// backends look at, with Direct3D 9's names and flag values.
#pragma once

#include "d3d9/d3d9types.h"

// Comparison functions (ZCmpCaps, AlphaCmpCaps).
constexpr DWORD D3DPCMPCAPS_NEVER = 0x00000001;
constexpr DWORD D3DPCMPCAPS_LESS = 0x00000002;
constexpr DWORD D3DPCMPCAPS_EQUAL = 0x00000004;
constexpr DWORD D3DPCMPCAPS_LESSEQUAL = 0x00000008;
constexpr DWORD D3DPCMPCAPS_GREATER = 0x00000010;
constexpr DWORD D3DPCMPCAPS_NOTEQUAL = 0x00000020;
constexpr DWORD D3DPCMPCAPS_GREATEREQUAL = 0x00000040;
constexpr DWORD D3DPCMPCAPS_ALWAYS = 0x00000080;

// Blend factors (SrcBlendCaps, DestBlendCaps).
constexpr DWORD D3DPBLENDCAPS_ZERO = 0x00000001;
constexpr DWORD D3DPBLENDCAPS_ONE = 0x00000002;
constexpr DWORD D3DPBLENDCAPS_SRCCOLOR = 0x00000004;
constexpr DWORD D3DPBLENDCAPS_INVSRCCOLOR = 0x00000008;
constexpr DWORD D3DPBLENDCAPS_SRCALPHA = 0x00000010;
constexpr DWORD D3DPBLENDCAPS_INVSRCALPHA = 0x00000020;
constexpr DWORD D3DPBLENDCAPS_DESTALPHA = 0x00000040;
constexpr DWORD D3DPBLENDCAPS_INVDESTALPHA = 0x00000080;
constexpr DWORD D3DPBLENDCAPS_DESTCOLOR = 0x00000100;
constexpr DWORD D3DPBLENDCAPS_INVDESTCOLOR = 0x00000200;
constexpr DWORD D3DPBLENDCAPS_SRCALPHASAT = 0x00000400;

constexpr DWORD D3DDEVCAPS_HWTRANSFORMANDLIGHT = 0x00010000;
constexpr DWORD D3DPSHADECAPS_COLORGOURAUDRGB = 0x00000008;

constexpr DWORD D3DPTEXTURECAPS_PERSPECTIVE = 0x00000001;
constexpr DWORD D3DPTEXTURECAPS_POW2 = 0x00000002;
constexpr DWORD D3DPTEXTURECAPS_ALPHA = 0x00000004;
constexpr DWORD D3DPTEXTURECAPS_MIPMAP = 0x00004000;

constexpr DWORD D3DPTFILTERCAPS_MINFPOINT = 0x00000100;
constexpr DWORD D3DPTFILTERCAPS_MINFLINEAR = 0x00000200;
constexpr DWORD D3DPTFILTERCAPS_MIPFPOINT = 0x00010000;
constexpr DWORD D3DPTFILTERCAPS_MIPFLINEAR = 0x00020000;
constexpr DWORD D3DPTFILTERCAPS_MAGFPOINT = 0x01000000;
constexpr DWORD D3DPTFILTERCAPS_MAGFLINEAR = 0x02000000;

constexpr DWORD D3DPTADDRESSCAPS_WRAP = 0x00000001;
constexpr DWORD D3DPTADDRESSCAPS_MIRROR = 0x00000002;
constexpr DWORD D3DPTADDRESSCAPS_CLAMP = 0x00000004;

struct D3DCAPS9 {
    D3DDEVTYPE DeviceType;
    UINT AdapterOrdinal;
    DWORD Caps;
    DWORD Caps2;
    DWORD Caps3;
    DWORD PresentationIntervals;
    DWORD DevCaps;
    DWORD PrimitiveMiscCaps;
    DWORD RasterCaps;
    DWORD ZCmpCaps;
    DWORD SrcBlendCaps;
    DWORD DestBlendCaps;
    DWORD AlphaCmpCaps;
    DWORD ShadeCaps;
    DWORD TextureCaps;
    DWORD TextureFilterCaps;
    DWORD TextureAddressCaps;
    DWORD MaxTextureWidth;
    DWORD MaxTextureHeight;
    DWORD MaxTextureRepeat;
    DWORD MaxTextureAspectRatio;
    DWORD MaxAnisotropy;
    DWORD StencilCaps;
    DWORD FVFCaps;
    DWORD TextureOpCaps;
    DWORD MaxTextureBlendStages;
    DWORD MaxSimultaneousTextures;
    DWORD VertexProcessingCaps;
    DWORD MaxActiveLights;
    DWORD MaxUserClipPlanes;
    float MaxPointSize;
    DWORD MaxPrimitiveCount;
    DWORD MaxVertexIndex;
    DWORD MaxStreams;
    DWORD MaxStreamStride;
    DWORD VertexShaderVersion;
    DWORD PixelShaderVersion;
};
