// The Direct3D 9 device as the engine sees it: an abstract device with the Direct3D 9
// method names and signatures, and the resources it makes. The backends in
// platform/d3d9 implement it: the OpenGL one draws, the recording one remembers.
#pragma once

#include "d3d9/d3d9caps.h"
#include "d3d9/d3d9types.h"
#include "d3d9/unknown.h"

constexpr HRESULT D3D_OK = S_OK;

constexpr HRESULT MAKE_D3DHRESULT(DWORD code) {
    return static_cast<HRESULT>(0x88760000u | code);
}

constexpr HRESULT D3DERR_WRONGTEXTUREFORMAT = MAKE_D3DHRESULT(2072);
constexpr HRESULT D3DERR_DRIVERINTERNALERROR = MAKE_D3DHRESULT(2087);
constexpr HRESULT D3DERR_NOTFOUND = MAKE_D3DHRESULT(2150);
constexpr HRESULT D3DERR_MOREDATA = MAKE_D3DHRESULT(2151);
constexpr HRESULT D3DERR_DEVICELOST = MAKE_D3DHRESULT(2152);
constexpr HRESULT D3DERR_DEVICENOTRESET = MAKE_D3DHRESULT(2153);
constexpr HRESULT D3DERR_NOTAVAILABLE = MAKE_D3DHRESULT(2154);
constexpr HRESULT D3DERR_INVALIDDEVICE = MAKE_D3DHRESULT(2155);
constexpr HRESULT D3DERR_INVALIDCALL = MAKE_D3DHRESULT(2156);
constexpr HRESULT D3DERR_OUTOFVIDEOMEMORY = MAKE_D3DHRESULT(380);
constexpr HRESULT D3DERR_WASSTILLDRAWING = MAKE_D3DHRESULT(540);

class IDirect3DResource9 : public IUnknown {
public:
    virtual D3DRESOURCETYPE GetType() = 0;
};

class IDirect3DVertexBuffer9 : public IDirect3DResource9 {
public:
    // SizeToLock 0 locks from OffsetToLock to the end of the buffer.
    [[nodiscard]] virtual HRESULT Lock(UINT OffsetToLock, UINT SizeToLock, void** ppbData,
                                       DWORD Flags) = 0;
    virtual HRESULT Unlock() = 0;
    virtual HRESULT GetDesc(D3DVERTEXBUFFER_DESC* pDesc) = 0;
};

class IDirect3DIndexBuffer9 : public IDirect3DResource9 {
public:
    [[nodiscard]] virtual HRESULT Lock(UINT OffsetToLock, UINT SizeToLock, void** ppbData,
                                       DWORD Flags) = 0;
    virtual HRESULT Unlock() = 0;
    virtual HRESULT GetDesc(D3DINDEXBUFFER_DESC* pDesc) = 0;
};

class IDirect3DSurface9 : public IDirect3DResource9 {
public:
    virtual HRESULT GetDesc(D3DSURFACE_DESC* pDesc) = 0;
    // pRect null locks the whole surface.
    [[nodiscard]] virtual HRESULT LockRect(D3DLOCKED_RECT* pLockedRect, const RECT* pRect,
                                           DWORD Flags) = 0;
    virtual HRESULT UnlockRect() = 0;
};

class IDirect3DBaseTexture9 : public IDirect3DResource9 {
public:
    virtual DWORD GetLevelCount() = 0;
};

class IDirect3DTexture9 : public IDirect3DBaseTexture9 {
public:
    virtual HRESULT GetLevelDesc(UINT Level, D3DSURFACE_DESC* pDesc) = 0;
    [[nodiscard]] virtual HRESULT GetSurfaceLevel(UINT Level,
                                                  IDirect3DSurface9** ppSurfaceLevel) = 0;
    [[nodiscard]] virtual HRESULT LockRect(UINT Level, D3DLOCKED_RECT* pLockedRect,
                                           const RECT* pRect, DWORD Flags) = 0;
    virtual HRESULT UnlockRect(UINT Level) = 0;
};

// Pointers handed out through out-parameters (ppSurface, ppTexture, ...) carry a
// reference that the caller releases; ComPtr::put() does that for our own code.
class IDirect3DDevice9 : public IUnknown {
public:
    [[nodiscard]] virtual HRESULT TestCooperativeLevel() = 0;
    virtual HRESULT GetDeviceCaps(D3DCAPS9* pCaps) = 0;
    virtual HRESULT GetDisplayMode(UINT iSwapChain, D3DDISPLAYMODE* pMode) = 0;
    [[nodiscard]] virtual HRESULT GetBackBuffer(UINT iSwapChain, UINT iBackBuffer,
                                                D3DBACKBUFFER_TYPE Type,
                                                IDirect3DSurface9** ppBackBuffer) = 0;
    virtual HRESULT Present(const RECT* pSourceRect, const RECT* pDestRect,
                            HWND hDestWindowOverride, const RGNDATA* pDirtyRegion) = 0;

    [[nodiscard]] virtual HRESULT CreateTexture(UINT Width, UINT Height, UINT Levels, DWORD Usage,
                                                D3DFORMAT Format, D3DPOOL Pool,
                                                IDirect3DTexture9** ppTexture,
                                                HANDLE* pSharedHandle) = 0;
    [[nodiscard]] virtual HRESULT CreateVertexBuffer(UINT Length, DWORD Usage, DWORD FVF,
                                                     D3DPOOL Pool,
                                                     IDirect3DVertexBuffer9** ppVertexBuffer,
                                                     HANDLE* pSharedHandle) = 0;
    [[nodiscard]] virtual HRESULT CreateIndexBuffer(UINT Length, DWORD Usage, D3DFORMAT Format,
                                                    D3DPOOL Pool,
                                                    IDirect3DIndexBuffer9** ppIndexBuffer,
                                                    HANDLE* pSharedHandle) = 0;

    virtual HRESULT BeginScene() = 0;
    virtual HRESULT EndScene() = 0;
    virtual HRESULT Clear(DWORD Count, const D3DRECT* pRects, DWORD Flags, D3DCOLOR Color, float Z,
                          DWORD Stencil) = 0;

    virtual HRESULT SetTransform(D3DTRANSFORMSTATETYPE State, const D3DMATRIX* pMatrix) = 0;
    virtual HRESULT GetTransform(D3DTRANSFORMSTATETYPE State, D3DMATRIX* pMatrix) = 0;
    virtual HRESULT SetViewport(const D3DVIEWPORT9* pViewport) = 0;
    virtual HRESULT GetViewport(D3DVIEWPORT9* pViewport) = 0;
    virtual HRESULT SetMaterial(const D3DMATERIAL9* pMaterial) = 0;
    virtual HRESULT GetMaterial(D3DMATERIAL9* pMaterial) = 0;
    virtual HRESULT SetLight(DWORD Index, const D3DLIGHT9* pLight) = 0;
    virtual HRESULT GetLight(DWORD Index, D3DLIGHT9* pLight) = 0;
    virtual HRESULT LightEnable(DWORD Index, BOOL Enable) = 0;
    virtual HRESULT GetLightEnable(DWORD Index, BOOL* pEnable) = 0;
    virtual HRESULT SetRenderState(D3DRENDERSTATETYPE State, DWORD Value) = 0;
    virtual HRESULT GetRenderState(D3DRENDERSTATETYPE State, DWORD* pValue) = 0;
    virtual HRESULT SetTexture(DWORD Stage, IDirect3DBaseTexture9* pTexture) = 0;
    virtual HRESULT GetTexture(DWORD Stage, IDirect3DBaseTexture9** ppTexture) = 0;
    virtual HRESULT SetTextureStageState(DWORD Stage, D3DTEXTURESTAGESTATETYPE Type,
                                         DWORD Value) = 0;
    virtual HRESULT GetTextureStageState(DWORD Stage, D3DTEXTURESTAGESTATETYPE Type,
                                         DWORD* pValue) = 0;
    virtual HRESULT SetSamplerState(DWORD Sampler, D3DSAMPLERSTATETYPE Type, DWORD Value) = 0;
    virtual HRESULT GetSamplerState(DWORD Sampler, D3DSAMPLERSTATETYPE Type, DWORD* pValue) = 0;

    virtual HRESULT SetFVF(DWORD FVF) = 0;
    virtual HRESULT GetFVF(DWORD* pFVF) = 0;
    virtual HRESULT SetStreamSource(UINT StreamNumber, IDirect3DVertexBuffer9* pStreamData,
                                    UINT OffsetInBytes, UINT Stride) = 0;
    virtual HRESULT GetStreamSource(UINT StreamNumber, IDirect3DVertexBuffer9** ppStreamData,
                                    UINT* pOffsetInBytes, UINT* pStride) = 0;
    // Instancing: one DrawIndexedPrimitive draws the same vertices many times.
    //
    //     SetStreamSourceFreq(0, D3DSTREAMSOURCE_INDEXEDDATA | n);   // n instances
    //     SetStreamSourceFreq(1, D3DSTREAMSOURCE_INSTANCEDATA | 1);  // one element each
    //     SetStreamSource(1, worlds, offset, stride);                // stride >= 64
    //     DrawIndexedPrimitive(...);
    //     SetStreamSourceFreq(0, 1); SetStreamSourceFreq(1, 1);     // instancing off
    //
    // Direct3D 9 instances only what a vertex shader draws, the shader deciding what the
    // instance data means. These devices draw the fixed-function pipeline instanced by
    // one convention: each element of stream 1 is a world matrix, a D3DMATRIX (16 floats
    // as Direct3D stores them, row after row) at the start of its stride, and instance i
    // is drawn, and lit, as if D3DTS_WORLD held element i / d (d the INSTANCEDATA
    // count, usually 1). D3DTS_WORLD itself plays no part in an instanced draw.
    //
    // Settings accepted: 1 on any stream (no instancing, the default, and what a reset
    // brings back); INDEXEDDATA with a count of 1 or more on stream 0; INSTANCEDATA with
    // a count of 1 or more on stream 1. Anything else, or a stream past the last, is
    // D3DERR_INVALIDCALL and changes nothing. While stream 0 is INDEXEDDATA, every draw
    // but DrawIndexedPrimitive is refused (Direct3D instances only indexed draws), and so
    // is a DrawIndexedPrimitive whose stream 1 is not INSTANCEDATA or does not hold a
    // matrix for every instance; a refused draw draws nothing.
    virtual HRESULT SetStreamSourceFreq(UINT StreamNumber, UINT Setting) = 0;
    virtual HRESULT GetStreamSourceFreq(UINT StreamNumber, UINT* pSetting) = 0;
    virtual HRESULT SetIndices(IDirect3DIndexBuffer9* pIndexData) = 0;
    virtual HRESULT GetIndices(IDirect3DIndexBuffer9** ppIndexData) = 0;

    virtual HRESULT DrawPrimitive(D3DPRIMITIVETYPE PrimitiveType, UINT StartVertex,
                                  UINT PrimitiveCount) = 0;
    virtual HRESULT DrawIndexedPrimitive(D3DPRIMITIVETYPE PrimitiveType, INT BaseVertexIndex,
                                         UINT MinVertexIndex, UINT NumVertices, UINT StartIndex,
                                         UINT PrimitiveCount) = 0;
    // Draws from the caller's memory. Afterwards stream 0 is unbound, as in Direct3D.
    virtual HRESULT DrawPrimitiveUP(D3DPRIMITIVETYPE PrimitiveType, UINT PrimitiveCount,
                                    const void* pVertexStreamZeroData,
                                    UINT VertexStreamZeroStride) = 0;
    // Draws from the caller's memory. Afterwards stream 0 and the indices are unbound.
    virtual HRESULT DrawIndexedPrimitiveUP(D3DPRIMITIVETYPE PrimitiveType, UINT MinVertexIndex,
                                           UINT NumVertices, UINT PrimitiveCount,
                                           const void* pIndexData, D3DFORMAT IndexDataFormat,
                                           const void* pVertexStreamZeroData,
                                           UINT VertexStreamZeroStride) = 0;
};

// Bytes of one vertex of the flexible vertex format fvf; 0 when fvf has no position.
UINT fvfVertexSize(DWORD fvf);

// Bytes of one pixel (or index) of format; 0 for formats that resources here cannot hold.
UINT formatBytesPerPixel(D3DFORMAT format);

// Vertices (or indices) that count primitives of type use; 0 for an unknown type.
UINT primitiveVertexCount(D3DPRIMITIVETYPE type, UINT count);
