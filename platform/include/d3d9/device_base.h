// The part of a Direct3D 9 device that does not depend on how it draws: the current
// state with Direct3D's defaults, argument checks with Direct3D's answers, resources
// kept in memory, and the scene bracket. A backend derives from D3D9DeviceBase and
// fills in the hooks (clear, draw, present); the state it draws with is state().
#pragma once

#include "d3d9/d3d9.h"
#include "d3d9/memory_resources.h"

#include <array>
#include <map>
#include <vector>

constexpr DWORD kMaxTextureStages = 8;
constexpr DWORD kMaxSamplers = 16;
constexpr DWORD kMaxStreams = 16;

struct StreamBinding {
    ComPtr<IDirect3DVertexBuffer9> buffer;
    UINT offset = 0;
    UINT stride = 0;
};

struct LightSlot {
    D3DLIGHT9 light{};
    bool enabled = false;
};

const D3DMATRIX& identityMatrix();

// Everything a draw depends on. Bound resources are held by reference, as Direct3D
// holds them, so a copy of the state keeps them alive.
struct DeviceState {
    std::array<DWORD, D3DRS_BLENDOPALPHA + 1> renderStates{};
    std::map<DWORD, D3DMATRIX> transforms; // a transform never set is the identity
    std::array<std::array<DWORD, D3DTSS_CONSTANT + 1>, kMaxTextureStages> stageStates{};
    std::array<std::array<DWORD, D3DSAMP_DMAPOFFSET + 1>, kMaxSamplers> samplerStates{};
    D3DMATERIAL9 material{}; // all zero until set
    std::map<DWORD, LightSlot> lights;
    std::array<ComPtr<IDirect3DBaseTexture9>, kMaxSamplers> textures;
    DWORD fvf = 0;
    std::array<StreamBinding, kMaxStreams> streams;
    // SetStreamSourceFreq's settings; 1 is a stream that is not instanced.
    std::array<UINT, kMaxStreams> streamFrequencies = [] {
        std::array<UINT, kMaxStreams> plain{};
        plain.fill(1);
        return plain;
    }();
    ComPtr<IDirect3DIndexBuffer9> indices;
    D3DVIEWPORT9 viewport{};
    bool inScene = false;

    // Direct3D's state of a new device whose back buffer is width x height.
    static DeviceState defaults(UINT width, UINT height, bool depthBuffer);

    // The accessors take values that the device accepted; others read as 0 (identity).
    DWORD renderState(D3DRENDERSTATETYPE state) const;
    const D3DMATRIX& transform(D3DTRANSFORMSTATETYPE state) const;
    DWORD stageState(DWORD stage, D3DTEXTURESTAGESTATETYPE type) const;
    DWORD samplerState(DWORD sampler, D3DSAMPLERSTATETYPE type) const;
    IDirect3DBaseTexture9* texture(DWORD stage) const;
    bool lightEnabled(DWORD index) const;
    std::vector<DWORD> enabledLights() const;
    // The instances a DrawIndexedPrimitive would draw now (stream 0's INDEXEDDATA count),
    // or 0 while stream 0 is not instanced.
    UINT instanceCount() const;
};

// Instance `instance`'s world matrix of an instanced draw made in state s: the matrix at
// the start of element instance / d of stream 1, d being its INSTANCEDATA count. Only for
// states whose draw the device accepted, which checked that stream 1 holds it.
D3DMATRIX instanceWorld(const DeviceState& s, UINT instance);

struct DeviceConfig {
    UINT backBufferWidth = 640;
    UINT backBufferHeight = 480;
    D3DFORMAT backBufferFormat = D3DFMT_X8R8G8B8;
    D3DFORMAT depthStencilFormat = D3DFMT_D24S8; // D3DFMT_UNKNOWN: no depth buffer
    D3DDEVTYPE deviceType = D3DDEVTYPE_HAL;
    UINT refreshRate = 60;
};

// One accepted draw, as the hooks see it. The vertex data is stream 0 of the state, or
// the caller's memory for the UP draws (valid only during the hook).
struct DrawCall {
    enum class Kind { Primitive, IndexedPrimitive, PrimitiveUP, IndexedPrimitiveUP };

    Kind kind = Kind::Primitive;
    D3DPRIMITIVETYPE primitiveType = D3DPT_TRIANGLELIST;
    UINT primitiveCount = 0;
    // Vertices the primitives walk: read from the stream from startVertex on, or
    // indices read from startIndex on.
    UINT elementCount = 0;
    UINT startVertex = 0;
    INT baseVertexIndex = 0;
    UINT minVertexIndex = 0;
    UINT numVertices = 0;
    UINT startIndex = 0;
    const void* userVertices = nullptr;
    UINT userStride = 0;
    const void* userIndices = nullptr;
    D3DFORMAT userIndexFormat = D3DFMT_UNKNOWN;
    // Instances of an instanced DrawIndexedPrimitive, each under its world matrix from
    // stream 1 (instanceWorld); 0 for a draw under D3DTS_WORLD.
    UINT instances = 0;

    bool instanced() const { return instances > 0; }
    bool indexed() const {
        return kind == Kind::IndexedPrimitive || kind == Kind::IndexedPrimitiveUP;
    }
};

const char* drawKindName(DrawCall::Kind kind);

class D3D9DeviceBase : public IDirect3DDevice9 {
public:
    explicit D3D9DeviceBase(const DeviceConfig& config);

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

    const DeviceState& state() const { return state_; }
    const DeviceConfig& config() const { return config_; }
    const D3DCAPS9& caps() const { return caps_; }
    const MemorySurface& backBuffer() const { return *backBuffer_; }

    // What a fixed-function device of this kind offers; alpha tests include GREATEREQUAL.
    static D3DCAPS9 defaultCaps(D3DDEVTYPE type);

protected:
    // Hooks, called once the arguments and the state passed the checks. A failure they
    // return becomes the result of the call.
    virtual HRESULT beginSceneHook() { return D3D_OK; }
    virtual HRESULT endSceneHook() { return D3D_OK; }
    virtual HRESULT clearHook(DWORD /*count*/, const D3DRECT* /*rects*/, DWORD /*flags*/,
                              D3DCOLOR /*color*/, float /*z*/, DWORD /*stencil*/) {
        return D3D_OK;
    }
    virtual HRESULT drawHook(const DrawCall& /*call*/) { return D3D_OK; }
    virtual HRESULT presentHook() { return D3D_OK; }

    // Resource factories; a GPU backend returns subclasses that carry its own objects.
    virtual ComPtr<MemoryTexture> makeTexture(UINT width, UINT height, UINT levels, DWORD usage,
                                              D3DFORMAT format, D3DPOOL pool);
    virtual ComPtr<MemoryVertexBuffer> makeVertexBuffer(UINT length, DWORD usage, DWORD fvf,
                                                        D3DPOOL pool);
    virtual ComPtr<MemoryIndexBuffer> makeIndexBuffer(UINT length, DWORD usage, D3DFORMAT format,
                                                      D3DPOOL pool);

    void setCaps(const D3DCAPS9& caps) { caps_ = caps; }
    // TestCooperativeLevel's answer; while it is D3DERR_DEVICELOST, Present fails too.
    void setDeviceStatus(HRESULT status) { status_ = status; }
    // A new back buffer (the window was resized), which stands in for Direct3D's Reset:
    // the viewport covers it again and every stream's frequency is back to 1.
    void resizeBackBuffer(UINT width, UINT height);

private:
    HRESULT checkDraw(const DrawCall& call);
    HRESULT checkInstances(const DrawCall& call) const;
    HRESULT draw(const DrawCall& call);

    DeviceConfig config_;
    D3DCAPS9 caps_;
    DeviceState state_;
    ComPtr<MemorySurface> backBuffer_;
    HRESULT status_ = D3D_OK;
    unsigned textureCount_ = 0;
    unsigned vertexBufferCount_ = 0;
    unsigned indexBufferCount_ = 0;
};
