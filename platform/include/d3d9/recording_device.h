// A device that draws nothing and remembers everything: every call in order with its
// arguments and result, and for every accepted draw a copy of the whole state at that
// moment. Tests of the engine and headless hosts use it in place of the GL device.
//
//     ComPtr<RecordingDevice> device = RecordingDevice::create(640, 480);
//     engine.initDeviceObjects(device.get());
//     EXPECT_EQ(device->calls()[0].text(), "SetRenderState(D3DRS_DITHERENABLE, 1)");
//     EXPECT_EQ(device->draws()[0].state.fvf, 0x112u);
//
// Text forms: enumerators by name, render-state values as numbers (colours and masks in
// hex, float states as floats), resources by label ("Texture#2", "null"), matrices as
// "[_11 _12 _13 _14; _21 ...]", pointers to the caller's memory as "data". Out-parameters
// are left out: "GetRenderState(D3DRS_LIGHTING)".
//
// An instanced draw (see SetStreamSourceFreq) is one snapshot that keeps a copy of every
// instance's world matrix: worlds() lists the objects a draw drew, one for a plain draw,
// so a test that looks for an object's matrix among the draws finds it either way.
#pragma once

#include "d3d9/device_base.h"

#include <cstddef>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

struct RecordedCall {
    std::string method;
    std::vector<std::string> args;
    HRESULT result = D3D_OK;
    // The call only asks (Get..., TestCooperativeLevel, GetDeviceCaps): it changes nothing.
    bool query = false;
    // Position of the call's snapshot in draws(), for draws the device accepted.
    std::optional<std::size_t> draw;
    // Label of the resource a successful Create... call made.
    std::string created;

    // "Method(arg, arg, ...)".
    std::string text() const;
};

struct DrawSnapshot {
    std::string method;
    std::size_t callIndex = 0; // position of the draw call in calls()
    // The draw; its pointers to the caller's memory are cleared, the bytes they pointed
    // at are copied below.
    DrawCall call;
    std::vector<BYTE> userVertices; // UP draws: vertices 0 .. last one read
    std::vector<BYTE> userIndices;  // indexed UP draws: the indices read
    // Instanced draws: the world matrix of each instance, in instance order, as stream 1
    // held them at the draw.
    std::vector<D3DMATRIX> instanceWorlds;
    // The state as it was; bound resources are shared, so their contents are today's.
    DeviceState state;

    // The world matrix of every object drawn: D3DTS_WORLD for a plain draw, each
    // instance's matrix for an instanced one.
    std::span<const D3DMATRIX> worlds() const;
    // The first of worlds(): the draw's D3DTS_WORLD, unless the draw was instanced.
    const D3DMATRIX& world() const { return worlds().front(); }
    DWORD renderState(D3DRENDERSTATETYPE type) const { return state.renderState(type); }
    IDirect3DBaseTexture9* texture(DWORD stage = 0) const { return state.texture(stage); }
    std::string textureLabel(DWORD stage = 0) const;
};

class RecordingDevice final : public D3D9DeviceBase {
public:
    explicit RecordingDevice(const DeviceConfig& config);
    RecordingDevice(UINT backBufferWidth, UINT backBufferHeight,
                    D3DFORMAT backBufferFormat = D3DFMT_X8R8G8B8);

    static ComPtr<RecordingDevice> create(UINT backBufferWidth, UINT backBufferHeight,
                                          D3DFORMAT backBufferFormat = D3DFMT_X8R8G8B8);

    // --- the record -----------------------------------------------------------------

    const std::vector<RecordedCall>& calls() const { return calls_; }
    const std::vector<DrawSnapshot>& draws() const { return draws_; }
    // text() of every call, queries only when asked for.
    std::vector<std::string> log(bool withQueries = false) const;
    std::vector<const RecordedCall*> callsNamed(std::string_view method) const;
    std::size_t count(std::string_view method) const;
    // Forgets calls and snapshots (and the references the snapshots hold); the state stays.
    void clearLog();

    // --- failures on demand ---------------------------------------------------------

    // BeginScene answers result (and opens no scene) until set back to D3D_OK.
    void setBeginSceneResult(HRESULT result) { beginSceneResult_ = result; }

    enum CreateKind : unsigned {
        CreateTextures = 1,
        CreateVertexBuffers = 2,
        CreateIndexBuffers = 4,
        CreateAnything = 7,
    };
    // After succeedFirst more successful creations of the given kinds, each further one
    // fails with result and makes nothing.
    void failCreation(HRESULT result = D3DERR_OUTOFVIDEOMEMORY, unsigned kinds = CreateAnything,
                      unsigned succeedFirst = 0);
    void stopFailingCreation() { createFailure_.reset(); }

    // What GetDeviceCaps reports, e.g. without D3DPCMPCAPS_GREATEREQUAL.
    using D3D9DeviceBase::setCaps;
    // TestCooperativeLevel's answer; D3DERR_DEVICELOST also makes Present fail.
    using D3D9DeviceBase::resizeBackBuffer;
    using D3D9DeviceBase::setDeviceStatus;

    // --- IDirect3DDevice9 -----------------------------------------------------------

    [[nodiscard]] HRESULT TestCooperativeLevel() override;
    HRESULT GetDeviceCaps(D3DCAPS9* pCaps) override;
    HRESULT GetDisplayMode(UINT iSwapChain, D3DDISPLAYMODE* pMode) override;
    [[nodiscard]] HRESULT GetBackBuffer(UINT iSwapChain, UINT iBackBuffer, D3DBACKBUFFER_TYPE Type,
                                        IDirect3DSurface9** ppBackBuffer) override;
    HRESULT Present(const RECT* pSourceRect, const RECT* pDestRect, HWND hDestWindowOverride,
                    const RGNDATA* pDirtyRegion) override;

    [[nodiscard]] HRESULT CreateTexture(UINT Width, UINT Height, UINT Levels, DWORD Usage,
                                        D3DFORMAT Format, D3DPOOL Pool,
                                        IDirect3DTexture9** ppTexture,
                                        HANDLE* pSharedHandle) override;
    [[nodiscard]] HRESULT CreateVertexBuffer(UINT Length, DWORD Usage, DWORD FVF, D3DPOOL Pool,
                                             IDirect3DVertexBuffer9** ppVertexBuffer,
                                             HANDLE* pSharedHandle) override;
    [[nodiscard]] HRESULT CreateIndexBuffer(UINT Length, DWORD Usage, D3DFORMAT Format,
                                            D3DPOOL Pool, IDirect3DIndexBuffer9** ppIndexBuffer,
                                            HANDLE* pSharedHandle) override;

    HRESULT BeginScene() override;
    HRESULT EndScene() override;
    HRESULT Clear(DWORD Count, const D3DRECT* pRects, DWORD Flags, D3DCOLOR Color, float Z,
                  DWORD Stencil) override;

    HRESULT SetTransform(D3DTRANSFORMSTATETYPE State, const D3DMATRIX* pMatrix) override;
    HRESULT GetTransform(D3DTRANSFORMSTATETYPE State, D3DMATRIX* pMatrix) override;
    HRESULT SetViewport(const D3DVIEWPORT9* pViewport) override;
    HRESULT GetViewport(D3DVIEWPORT9* pViewport) override;
    HRESULT SetMaterial(const D3DMATERIAL9* pMaterial) override;
    HRESULT GetMaterial(D3DMATERIAL9* pMaterial) override;
    HRESULT SetLight(DWORD Index, const D3DLIGHT9* pLight) override;
    HRESULT GetLight(DWORD Index, D3DLIGHT9* pLight) override;
    HRESULT LightEnable(DWORD Index, BOOL Enable) override;
    HRESULT GetLightEnable(DWORD Index, BOOL* pEnable) override;
    HRESULT SetRenderState(D3DRENDERSTATETYPE State, DWORD Value) override;
    HRESULT GetRenderState(D3DRENDERSTATETYPE State, DWORD* pValue) override;
    HRESULT SetTexture(DWORD Stage, IDirect3DBaseTexture9* pTexture) override;
    HRESULT GetTexture(DWORD Stage, IDirect3DBaseTexture9** ppTexture) override;
    HRESULT SetTextureStageState(DWORD Stage, D3DTEXTURESTAGESTATETYPE Type, DWORD Value) override;
    HRESULT GetTextureStageState(DWORD Stage, D3DTEXTURESTAGESTATETYPE Type,
                                 DWORD* pValue) override;
    HRESULT SetSamplerState(DWORD Sampler, D3DSAMPLERSTATETYPE Type, DWORD Value) override;
    HRESULT GetSamplerState(DWORD Sampler, D3DSAMPLERSTATETYPE Type, DWORD* pValue) override;

    HRESULT SetFVF(DWORD FVF) override;
    HRESULT GetFVF(DWORD* pFVF) override;
    HRESULT SetStreamSource(UINT StreamNumber, IDirect3DVertexBuffer9* pStreamData,
                            UINT OffsetInBytes, UINT Stride) override;
    HRESULT GetStreamSource(UINT StreamNumber, IDirect3DVertexBuffer9** ppStreamData,
                            UINT* pOffsetInBytes, UINT* pStride) override;
    HRESULT SetStreamSourceFreq(UINT StreamNumber, UINT Setting) override;
    HRESULT GetStreamSourceFreq(UINT StreamNumber, UINT* pSetting) override;
    HRESULT SetIndices(IDirect3DIndexBuffer9* pIndexData) override;
    HRESULT GetIndices(IDirect3DIndexBuffer9** ppIndexData) override;

    HRESULT DrawPrimitive(D3DPRIMITIVETYPE PrimitiveType, UINT StartVertex,
                          UINT PrimitiveCount) override;
    HRESULT DrawIndexedPrimitive(D3DPRIMITIVETYPE PrimitiveType, INT BaseVertexIndex,
                                 UINT MinVertexIndex, UINT NumVertices, UINT StartIndex,
                                 UINT PrimitiveCount) override;
    HRESULT DrawPrimitiveUP(D3DPRIMITIVETYPE PrimitiveType, UINT PrimitiveCount,
                            const void* pVertexStreamZeroData,
                            UINT VertexStreamZeroStride) override;
    HRESULT DrawIndexedPrimitiveUP(D3DPRIMITIVETYPE PrimitiveType, UINT MinVertexIndex,
                                   UINT NumVertices, UINT PrimitiveCount, const void* pIndexData,
                                   D3DFORMAT IndexDataFormat, const void* pVertexStreamZeroData,
                                   UINT VertexStreamZeroStride) override;

protected:
    HRESULT beginSceneHook() override { return beginSceneResult_; }
    HRESULT drawHook(const DrawCall& call) override;

private:
    struct CreateFailure {
        HRESULT result;
        unsigned kinds;
        unsigned succeedFirst;
    };

    std::size_t start(const char* method, std::vector<std::string> args, bool query = false);
    HRESULT finish(std::size_t call, HRESULT result);
    // The injected failure for a creation of kind, or D3D_OK to go ahead.
    HRESULT creationOutcome(CreateKind kind);
    template <class Resource>
    HRESULT finishCreate(std::size_t call, HRESULT result, Resource** made);

    std::vector<RecordedCall> calls_;
    std::vector<DrawSnapshot> draws_;
    HRESULT beginSceneResult_ = D3D_OK;
    std::optional<CreateFailure> createFailure_;
};
