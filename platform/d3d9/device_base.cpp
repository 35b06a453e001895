#include "d3d9/device_base.h"

#include "d3d9/d3d9names.h"

#include <algorithm>
#include <cstdint>
#include <cstring>

namespace {

// The count below the flag of a stream frequency setting.
constexpr UINT kFrequencyCountMask = ~(D3DSTREAMSOURCE_INDEXEDDATA | D3DSTREAMSOURCE_INSTANCEDATA);

// Labels a resource just made ("Texture#3") and hands it to the caller; a resource that
// could not be made is out of memory.
template <class Made, class Interface>
HRESULT handOut(ComPtr<Made> made, const char* kind, unsigned& count, Interface** out) {
    if (!made) {
        return D3DERR_OUTOFVIDEOMEMORY;
    }
    made->setLabel(std::string(kind) + "#" + std::to_string(++count));
    *out = made.detach();
    return D3D_OK;
}

bool knownTransform(DWORD state) {
    return state == D3DTS_VIEW || state == D3DTS_PROJECTION ||
           (state >= D3DTS_TEXTURE0 && state <= D3DTS_TEXTURE7) ||
           (state >= D3DTS_WORLD && state < D3DTS_WORLD + 256);
}

bool hasStencil(D3DFORMAT format) {
    return format == D3DFMT_D24S8 || format == D3DFMT_D15S1 || format == D3DFMT_D24X4S4 ||
           format == D3DFMT_D24FS8;
}

bool isDepthOrBufferFormat(D3DFORMAT format) {
    switch (format) {
    case D3DFMT_D16_LOCKABLE:
    case D3DFMT_D32:
    case D3DFMT_D15S1:
    case D3DFMT_D24S8:
    case D3DFMT_D24X8:
    case D3DFMT_D24X4S4:
    case D3DFMT_D16:
    case D3DFMT_D32F_LOCKABLE:
    case D3DFMT_D24FS8:
    case D3DFMT_VERTEXDATA:
    case D3DFMT_INDEX16:
    case D3DFMT_INDEX32:
        return true;
    default:
        return false;
    }
}

bool isZero(const D3DVECTOR& v) {
    return v.x == 0.0f && v.y == 0.0f && v.z == 0.0f;
}

// The light that LightEnable makes for an index that was never set.
D3DLIGHT9 defaultLight() {
    D3DLIGHT9 light{};
    light.Type = D3DLIGHT_DIRECTIONAL;
    light.Diffuse = {1.0f, 1.0f, 1.0f, 0.0f};
    light.Direction = {0.0f, 0.0f, 1.0f};
    return light;
}

// How many whole vertices of stride bytes a stream holds from offset on.
UINT streamCapacity(IDirect3DVertexBuffer9* buffer, UINT offset, UINT stride) {
    D3DVERTEXBUFFER_DESC desc{};
    if (FAILED(buffer->GetDesc(&desc)) || offset > desc.Size || stride == 0) {
        return 0;
    }
    return (desc.Size - offset) / stride;
}

UINT readIndex(const void* data, UINT i, bool wide) {
    const auto* bytes = static_cast<const BYTE*>(data);
    if (wide) {
        std::uint32_t value;
        std::memcpy(&value, bytes + static_cast<std::size_t>(i) * 4, sizeof value);
        return value;
    }
    std::uint16_t value;
    std::memcpy(&value, bytes + static_cast<std::size_t>(i) * 2, sizeof value);
    return value;
}

} // namespace

const D3DMATRIX& identityMatrix() {
    static const D3DMATRIX identity = [] {
        D3DMATRIX m{};
        m._11 = m._22 = m._33 = m._44 = 1.0f;
        return m;
    }();
    return identity;
}

const char* drawKindName(DrawCall::Kind kind) {
    switch (kind) {
    case DrawCall::Kind::Primitive:
        return "DrawPrimitive";
    case DrawCall::Kind::IndexedPrimitive:
        return "DrawIndexedPrimitive";
    case DrawCall::Kind::PrimitiveUP:
        return "DrawPrimitiveUP";
    case DrawCall::Kind::IndexedPrimitiveUP:
        return "DrawIndexedPrimitiveUP";
    }
    return "Draw";
}

DeviceState DeviceState::defaults(UINT width, UINT height, bool depthBuffer) {
    DeviceState state;
    for (const RenderStateInfo& info : renderStateTable()) {
        state.renderStates[info.state] = info.defaultValue;
    }
    state.renderStates[D3DRS_ZENABLE] = depthBuffer ? D3DZB_TRUE : D3DZB_FALSE;

    for (DWORD stage = 0; stage < kMaxTextureStages; ++stage) {
        auto& s = state.stageStates[stage];
        s[D3DTSS_COLOROP] = stage == 0 ? D3DTOP_MODULATE : D3DTOP_DISABLE;
        s[D3DTSS_COLORARG1] = D3DTA_TEXTURE;
        s[D3DTSS_COLORARG2] = D3DTA_CURRENT;
        s[D3DTSS_ALPHAOP] = stage == 0 ? D3DTOP_SELECTARG1 : D3DTOP_DISABLE;
        s[D3DTSS_ALPHAARG1] = D3DTA_TEXTURE;
        s[D3DTSS_ALPHAARG2] = D3DTA_CURRENT;
        s[D3DTSS_TEXCOORDINDEX] = stage;
        s[D3DTSS_COLORARG0] = D3DTA_CURRENT;
        s[D3DTSS_ALPHAARG0] = D3DTA_CURRENT;
        s[D3DTSS_RESULTARG] = D3DTA_CURRENT;
    }
    for (auto& s : state.samplerStates) {
        s[D3DSAMP_ADDRESSU] = D3DTADDRESS_WRAP;
        s[D3DSAMP_ADDRESSV] = D3DTADDRESS_WRAP;
        s[D3DSAMP_ADDRESSW] = D3DTADDRESS_WRAP;
        s[D3DSAMP_MAGFILTER] = D3DTEXF_POINT;
        s[D3DSAMP_MINFILTER] = D3DTEXF_POINT;
        s[D3DSAMP_MIPFILTER] = D3DTEXF_NONE;
        s[D3DSAMP_MAXANISOTROPY] = 1;
    }
    state.viewport = {0, 0, width, height, 0.0f, 1.0f};
    return state;
}

DWORD DeviceState::renderState(D3DRENDERSTATETYPE state) const {
    return state < renderStates.size() ? renderStates[state] : 0;
}

const D3DMATRIX& DeviceState::transform(D3DTRANSFORMSTATETYPE state) const {
    const auto found = transforms.find(state);
    return found != transforms.end() ? found->second : identityMatrix();
}

DWORD DeviceState::stageState(DWORD stage, D3DTEXTURESTAGESTATETYPE type) const {
    return stage < kMaxTextureStages && type <= D3DTSS_CONSTANT ? stageStates[stage][type] : 0;
}

DWORD DeviceState::samplerState(DWORD sampler, D3DSAMPLERSTATETYPE type) const {
    return sampler < kMaxSamplers && type <= D3DSAMP_DMAPOFFSET ? samplerStates[sampler][type] : 0;
}

IDirect3DBaseTexture9* DeviceState::texture(DWORD stage) const {
    return stage < kMaxSamplers ? textures[stage].get() : nullptr;
}

bool DeviceState::lightEnabled(DWORD index) const {
    const auto found = lights.find(index);
    return found != lights.end() && found->second.enabled;
}

std::vector<DWORD> DeviceState::enabledLights() const {
    std::vector<DWORD> enabled;
    for (const auto& [index, slot] : lights) {
        if (slot.enabled) {
            enabled.push_back(index);
        }
    }
    return enabled;
}

UINT DeviceState::instanceCount() const {
    const UINT setting = streamFrequencies[0];
    return (setting & D3DSTREAMSOURCE_INDEXEDDATA) != 0 ? setting & kFrequencyCountMask : 0;
}

D3DMATRIX instanceWorld(const DeviceState& s, UINT instance) {
    const StreamBinding& stream = s.streams[1];
    const auto* memory = dynamic_cast<const MemoryVertexBuffer*>(stream.buffer.get());
    const UINT perElement = std::max(s.streamFrequencies[1] & kFrequencyCountMask, 1u);
    const std::size_t at =
        stream.offset + static_cast<std::size_t>(instance / perElement) * stream.stride;
    D3DMATRIX world = identityMatrix();
    if (memory != nullptr && at + sizeof world <= memory->bytes().size()) {
        std::memcpy(&world, memory->bytes().data() + at, sizeof world);
    }
    return world;
}

D3DCAPS9 D3D9DeviceBase::defaultCaps(D3DDEVTYPE type) {
    D3DCAPS9 caps{};
    caps.DeviceType = type;
    caps.AdapterOrdinal = 0;
    caps.PresentationIntervals = D3DPRESENT_INTERVAL_ONE | D3DPRESENT_INTERVAL_IMMEDIATE;
    caps.DevCaps = D3DDEVCAPS_HWTRANSFORMANDLIGHT;
    caps.ZCmpCaps = 0xFF;
    caps.AlphaCmpCaps = D3DPCMPCAPS_NEVER | D3DPCMPCAPS_LESS | D3DPCMPCAPS_EQUAL |
                        D3DPCMPCAPS_LESSEQUAL | D3DPCMPCAPS_GREATER | D3DPCMPCAPS_NOTEQUAL |
                        D3DPCMPCAPS_GREATEREQUAL | D3DPCMPCAPS_ALWAYS;
    caps.SrcBlendCaps = 0x7FF;
    caps.DestBlendCaps = 0x7FF;
    caps.ShadeCaps = D3DPSHADECAPS_COLORGOURAUDRGB;
    caps.TextureCaps = D3DPTEXTURECAPS_PERSPECTIVE | D3DPTEXTURECAPS_ALPHA | D3DPTEXTURECAPS_MIPMAP;
    caps.TextureFilterCaps = D3DPTFILTERCAPS_MINFPOINT | D3DPTFILTERCAPS_MINFLINEAR |
                             D3DPTFILTERCAPS_MIPFPOINT | D3DPTFILTERCAPS_MIPFLINEAR |
                             D3DPTFILTERCAPS_MAGFPOINT | D3DPTFILTERCAPS_MAGFLINEAR;
    caps.TextureAddressCaps =
        D3DPTADDRESSCAPS_WRAP | D3DPTADDRESSCAPS_MIRROR | D3DPTADDRESSCAPS_CLAMP;
    caps.MaxTextureWidth = 8192;
    caps.MaxTextureHeight = 8192;
    caps.MaxTextureRepeat = 8192;
    caps.MaxTextureAspectRatio = 8192;
    caps.MaxAnisotropy = 16;
    caps.StencilCaps = 0xFF;
    caps.FVFCaps = 8; // texture-coordinate sets
    caps.TextureOpCaps = 0x03FFFFFF;
    caps.MaxTextureBlendStages = kMaxTextureStages;
    caps.MaxSimultaneousTextures = kMaxTextureStages;
    caps.MaxActiveLights = 8;
    caps.MaxUserClipPlanes = 6;
    caps.MaxPointSize = 64.0f;
    caps.MaxPrimitiveCount = 0xFFFFF;
    caps.MaxVertexIndex = 0xFFFFFF;
    caps.MaxStreams = kMaxStreams;
    caps.MaxStreamStride = 255;
    return caps;
}

D3D9DeviceBase::D3D9DeviceBase(const DeviceConfig& config)
    : config_(config), caps_(defaultCaps(config.deviceType)),
      state_(DeviceState::defaults(config.backBufferWidth, config.backBufferHeight,
                                   config.depthStencilFormat != D3DFMT_UNKNOWN)) {
    resizeBackBuffer(config.backBufferWidth, config.backBufferHeight);
}

void D3D9DeviceBase::resizeBackBuffer(UINT width, UINT height) {
    config_.backBufferWidth = width;
    config_.backBufferHeight = height;
    backBuffer_ = makeCom<MemorySurface>(width, height, config_.backBufferFormat,
                                         D3DUSAGE_RENDERTARGET, D3DPOOL_DEFAULT, false);
    backBuffer_->setLabel("BackBuffer");
    state_.viewport = {0, 0, width, height, 0.0f, 1.0f};
    state_.streamFrequencies.fill(1);
}

HRESULT D3D9DeviceBase::TestCooperativeLevel() {
    return status_;
}

HRESULT D3D9DeviceBase::GetDeviceCaps(D3DCAPS9* pCaps) {
    if (pCaps == nullptr) {
        return D3DERR_INVALIDCALL;
    }
    *pCaps = caps_;
    return D3D_OK;
}

HRESULT D3D9DeviceBase::GetDisplayMode(UINT iSwapChain, D3DDISPLAYMODE* pMode) {
    if (iSwapChain != 0 || pMode == nullptr) {
        return D3DERR_INVALIDCALL;
    }
    *pMode = {config_.backBufferWidth, config_.backBufferHeight, config_.refreshRate,
              config_.backBufferFormat};
    return D3D_OK;
}

HRESULT D3D9DeviceBase::GetBackBuffer(UINT iSwapChain, UINT iBackBuffer, D3DBACKBUFFER_TYPE Type,
                                      IDirect3DSurface9** ppBackBuffer) {
    if (iSwapChain != 0 || iBackBuffer != 0 || Type != D3DBACKBUFFER_TYPE_MONO ||
        ppBackBuffer == nullptr) {
        return D3DERR_INVALIDCALL;
    }
    *ppBackBuffer = ComPtr<IDirect3DSurface9>(backBuffer_).detach();
    return D3D_OK;
}

HRESULT D3D9DeviceBase::Present(const RECT*, const RECT*, HWND, const RGNDATA*) {
    if (state_.inScene) {
        return D3DERR_INVALIDCALL;
    }
    if (status_ == D3DERR_DEVICELOST) {
        return D3DERR_DEVICELOST;
    }
    return presentHook();
}

ComPtr<MemoryTexture> D3D9DeviceBase::makeTexture(UINT width, UINT height, UINT levels, DWORD usage,
                                                  D3DFORMAT format, D3DPOOL pool) {
    return makeCom<MemoryTexture>(width, height, levels, usage, format, pool);
}

ComPtr<MemoryVertexBuffer> D3D9DeviceBase::makeVertexBuffer(UINT length, DWORD usage, DWORD fvf,
                                                            D3DPOOL pool) {
    return makeCom<MemoryVertexBuffer>(length, usage, fvf, pool);
}

ComPtr<MemoryIndexBuffer> D3D9DeviceBase::makeIndexBuffer(UINT length, DWORD usage,
                                                          D3DFORMAT format, D3DPOOL pool) {
    return makeCom<MemoryIndexBuffer>(length, usage, format, pool);
}

HRESULT D3D9DeviceBase::CreateTexture(UINT Width, UINT Height, UINT Levels, DWORD Usage,
                                      D3DFORMAT Format, D3DPOOL Pool, IDirect3DTexture9** ppTexture,
                                      HANDLE* pSharedHandle) {
    if (ppTexture == nullptr) {
        return D3DERR_INVALIDCALL;
    }
    *ppTexture = nullptr;
    if (pSharedHandle != nullptr || Width == 0 || Height == 0 || Width > caps_.MaxTextureWidth ||
        Height > caps_.MaxTextureHeight || Levels > MemoryTexture::fullChainLength(Width, Height) ||
        formatBytesPerPixel(Format) == 0 || isDepthOrBufferFormat(Format)) {
        return D3DERR_INVALIDCALL;
    }
    if ((Usage & (D3DUSAGE_RENDERTARGET | D3DUSAGE_DEPTHSTENCIL)) != 0 && Pool != D3DPOOL_DEFAULT) {
        return D3DERR_INVALIDCALL;
    }
    return handOut(makeTexture(Width, Height, Levels, Usage, Format, Pool), "Texture",
                   textureCount_, ppTexture);
}

HRESULT D3D9DeviceBase::CreateVertexBuffer(UINT Length, DWORD Usage, DWORD FVF, D3DPOOL Pool,
                                           IDirect3DVertexBuffer9** ppVertexBuffer,
                                           HANDLE* pSharedHandle) {
    if (ppVertexBuffer == nullptr) {
        return D3DERR_INVALIDCALL;
    }
    *ppVertexBuffer = nullptr;
    if (pSharedHandle != nullptr || Length == 0 || (FVF != 0 && Length < fvfVertexSize(FVF))) {
        return D3DERR_INVALIDCALL;
    }
    return handOut(makeVertexBuffer(Length, Usage, FVF, Pool), "VertexBuffer", vertexBufferCount_,
                   ppVertexBuffer);
}

HRESULT D3D9DeviceBase::CreateIndexBuffer(UINT Length, DWORD Usage, D3DFORMAT Format, D3DPOOL Pool,
                                          IDirect3DIndexBuffer9** ppIndexBuffer,
                                          HANDLE* pSharedHandle) {
    if (ppIndexBuffer == nullptr) {
        return D3DERR_INVALIDCALL;
    }
    *ppIndexBuffer = nullptr;
    if (pSharedHandle != nullptr || Length == 0 ||
        (Format != D3DFMT_INDEX16 && Format != D3DFMT_INDEX32)) {
        return D3DERR_INVALIDCALL;
    }
    return handOut(makeIndexBuffer(Length, Usage, Format, Pool), "IndexBuffer", indexBufferCount_,
                   ppIndexBuffer);
}

HRESULT D3D9DeviceBase::BeginScene() {
    if (state_.inScene) {
        return D3DERR_INVALIDCALL;
    }
    const HRESULT hr = beginSceneHook();
    if (SUCCEEDED(hr)) {
        state_.inScene = true;
    }
    return hr;
}

HRESULT D3D9DeviceBase::EndScene() {
    if (!state_.inScene) {
        return D3DERR_INVALIDCALL;
    }
    state_.inScene = false;
    return endSceneHook();
}

HRESULT D3D9DeviceBase::Clear(DWORD Count, const D3DRECT* pRects, DWORD Flags, D3DCOLOR Color,
                              float Z, DWORD Stencil) {
    const bool depth = config_.depthStencilFormat != D3DFMT_UNKNOWN;
    if ((Count > 0 && pRects == nullptr) || Flags == 0 ||
        (Flags & ~(D3DCLEAR_TARGET | D3DCLEAR_ZBUFFER | D3DCLEAR_STENCIL)) != 0 ||
        ((Flags & D3DCLEAR_ZBUFFER) != 0 && !depth) ||
        ((Flags & D3DCLEAR_STENCIL) != 0 && !hasStencil(config_.depthStencilFormat)) ||
        !(Z >= 0.0f && Z <= 1.0f)) {
        return D3DERR_INVALIDCALL;
    }
    return clearHook(Count, pRects, Flags, Color, Z, Stencil);
}

HRESULT D3D9DeviceBase::SetTransform(D3DTRANSFORMSTATETYPE State, const D3DMATRIX* pMatrix) {
    if (pMatrix == nullptr || !knownTransform(State)) {
        return D3DERR_INVALIDCALL;
    }
    state_.transforms[State] = *pMatrix;
    return D3D_OK;
}

HRESULT D3D9DeviceBase::GetTransform(D3DTRANSFORMSTATETYPE State, D3DMATRIX* pMatrix) {
    if (pMatrix == nullptr || !knownTransform(State)) {
        return D3DERR_INVALIDCALL;
    }
    *pMatrix = state_.transform(State);
    return D3D_OK;
}

HRESULT D3D9DeviceBase::SetViewport(const D3DVIEWPORT9* pViewport) {
    if (pViewport == nullptr) {
        return D3DERR_INVALIDCALL;
    }
    const D3DVIEWPORT9& v = *pViewport;
    if (v.Width == 0 || v.Height == 0 ||
        static_cast<std::uint64_t>(v.X) + v.Width > config_.backBufferWidth ||
        static_cast<std::uint64_t>(v.Y) + v.Height > config_.backBufferHeight ||
        !(v.MinZ >= 0.0f && v.MinZ <= 1.0f) || !(v.MaxZ >= 0.0f && v.MaxZ <= 1.0f)) {
        return D3DERR_INVALIDCALL;
    }
    state_.viewport = v;
    return D3D_OK;
}

HRESULT D3D9DeviceBase::GetViewport(D3DVIEWPORT9* pViewport) {
    if (pViewport == nullptr) {
        return D3DERR_INVALIDCALL;
    }
    *pViewport = state_.viewport;
    return D3D_OK;
}

HRESULT D3D9DeviceBase::SetMaterial(const D3DMATERIAL9* pMaterial) {
    if (pMaterial == nullptr) {
        return D3DERR_INVALIDCALL;
    }
    state_.material = *pMaterial;
    return D3D_OK;
}

HRESULT D3D9DeviceBase::GetMaterial(D3DMATERIAL9* pMaterial) {
    if (pMaterial == nullptr) {
        return D3DERR_INVALIDCALL;
    }
    *pMaterial = state_.material;
    return D3D_OK;
}

HRESULT D3D9DeviceBase::SetLight(DWORD Index, const D3DLIGHT9* pLight) {
    if (pLight == nullptr) {
        return D3DERR_INVALIDCALL;
    }
    const D3DLIGHT9& l = *pLight;
    const bool directed = l.Type == D3DLIGHT_DIRECTIONAL || l.Type == D3DLIGHT_SPOT;
    const bool positioned = l.Type == D3DLIGHT_POINT || l.Type == D3DLIGHT_SPOT;
    if ((l.Type != D3DLIGHT_POINT && l.Type != D3DLIGHT_SPOT && l.Type != D3DLIGHT_DIRECTIONAL) ||
        (directed && isZero(l.Direction)) || (positioned && !(l.Range >= 0.0f)) ||
        l.Attenuation0 < 0.0f || l.Attenuation1 < 0.0f || l.Attenuation2 < 0.0f) {
        return D3DERR_INVALIDCALL;
    }
    state_.lights[Index].light = l;
    return D3D_OK;
}

HRESULT D3D9DeviceBase::GetLight(DWORD Index, D3DLIGHT9* pLight) {
    const auto found = state_.lights.find(Index);
    if (pLight == nullptr || found == state_.lights.end()) {
        return D3DERR_INVALIDCALL;
    }
    *pLight = found->second.light;
    return D3D_OK;
}

HRESULT D3D9DeviceBase::LightEnable(DWORD Index, BOOL Enable) {
    auto [slot, made] = state_.lights.try_emplace(Index);
    if (made) {
        slot->second.light = defaultLight();
    }
    slot->second.enabled = Enable != FALSE;
    return D3D_OK;
}

HRESULT D3D9DeviceBase::GetLightEnable(DWORD Index, BOOL* pEnable) {
    const auto found = state_.lights.find(Index);
    if (pEnable == nullptr || found == state_.lights.end()) {
        return D3DERR_INVALIDCALL;
    }
    *pEnable = found->second.enabled ? TRUE : FALSE;
    return D3D_OK;
}

HRESULT D3D9DeviceBase::SetRenderState(D3DRENDERSTATETYPE State, DWORD Value) {
    if (findRenderState(State) == nullptr) {
        return D3DERR_INVALIDCALL;
    }
    state_.renderStates[State] = Value;
    return D3D_OK;
}

HRESULT D3D9DeviceBase::GetRenderState(D3DRENDERSTATETYPE State, DWORD* pValue) {
    if (pValue == nullptr || findRenderState(State) == nullptr) {
        return D3DERR_INVALIDCALL;
    }
    *pValue = state_.renderStates[State];
    return D3D_OK;
}

HRESULT D3D9DeviceBase::SetTexture(DWORD Stage, IDirect3DBaseTexture9* pTexture) {
    if (Stage >= kMaxSamplers) {
        return D3DERR_INVALIDCALL;
    }
    state_.textures[Stage] = ComPtr<IDirect3DBaseTexture9>(pTexture);
    return D3D_OK;
}

HRESULT D3D9DeviceBase::GetTexture(DWORD Stage, IDirect3DBaseTexture9** ppTexture) {
    if (Stage >= kMaxSamplers || ppTexture == nullptr) {
        return D3DERR_INVALIDCALL;
    }
    *ppTexture = ComPtr<IDirect3DBaseTexture9>(state_.textures[Stage]).detach();
    return D3D_OK;
}

HRESULT D3D9DeviceBase::SetTextureStageState(DWORD Stage, D3DTEXTURESTAGESTATETYPE Type,
                                             DWORD Value) {
    if (Stage >= kMaxTextureStages || textureStageStateName(Type) == nullptr) {
        return D3DERR_INVALIDCALL;
    }
    state_.stageStates[Stage][Type] = Value;
    return D3D_OK;
}

HRESULT D3D9DeviceBase::GetTextureStageState(DWORD Stage, D3DTEXTURESTAGESTATETYPE Type,
                                             DWORD* pValue) {
    if (pValue == nullptr || Stage >= kMaxTextureStages || textureStageStateName(Type) == nullptr) {
        return D3DERR_INVALIDCALL;
    }
    *pValue = state_.stageStates[Stage][Type];
    return D3D_OK;
}

HRESULT D3D9DeviceBase::SetSamplerState(DWORD Sampler, D3DSAMPLERSTATETYPE Type, DWORD Value) {
    if (Sampler >= kMaxSamplers || samplerStateName(Type) == nullptr) {
        return D3DERR_INVALIDCALL;
    }
    state_.samplerStates[Sampler][Type] = Value;
    return D3D_OK;
}

HRESULT D3D9DeviceBase::GetSamplerState(DWORD Sampler, D3DSAMPLERSTATETYPE Type, DWORD* pValue) {
    if (pValue == nullptr || Sampler >= kMaxSamplers || samplerStateName(Type) == nullptr) {
        return D3DERR_INVALIDCALL;
    }
    *pValue = state_.samplerStates[Sampler][Type];
    return D3D_OK;
}

HRESULT D3D9DeviceBase::SetFVF(DWORD FVF) {
    state_.fvf = FVF;
    return D3D_OK;
}

HRESULT D3D9DeviceBase::GetFVF(DWORD* pFVF) {
    if (pFVF == nullptr) {
        return D3DERR_INVALIDCALL;
    }
    *pFVF = state_.fvf;
    return D3D_OK;
}

HRESULT D3D9DeviceBase::SetStreamSource(UINT StreamNumber, IDirect3DVertexBuffer9* pStreamData,
                                        UINT OffsetInBytes, UINT Stride) {
    if (StreamNumber >= kMaxStreams) {
        return D3DERR_INVALIDCALL;
    }
    state_.streams[StreamNumber] = {ComPtr<IDirect3DVertexBuffer9>(pStreamData), OffsetInBytes,
                                    Stride};
    return D3D_OK;
}

HRESULT D3D9DeviceBase::GetStreamSource(UINT StreamNumber, IDirect3DVertexBuffer9** ppStreamData,
                                        UINT* pOffsetInBytes, UINT* pStride) {
    if (StreamNumber >= kMaxStreams || ppStreamData == nullptr || pOffsetInBytes == nullptr ||
        pStride == nullptr) {
        return D3DERR_INVALIDCALL;
    }
    const StreamBinding& stream = state_.streams[StreamNumber];
    *ppStreamData = ComPtr<IDirect3DVertexBuffer9>(stream.buffer).detach();
    *pOffsetInBytes = stream.offset;
    *pStride = stream.stride;
    return D3D_OK;
}

HRESULT D3D9DeviceBase::SetStreamSourceFreq(UINT StreamNumber, UINT Setting) {
    const UINT kind = Setting & ~kFrequencyCountMask;
    const bool counted = (Setting & kFrequencyCountMask) > 0;
    const bool accepted =
        StreamNumber < kMaxStreams &&
        (Setting == 1 || (counted && StreamNumber == 0 && kind == D3DSTREAMSOURCE_INDEXEDDATA) ||
         (counted && StreamNumber == 1 && kind == D3DSTREAMSOURCE_INSTANCEDATA));
    if (!accepted) {
        return D3DERR_INVALIDCALL;
    }
    state_.streamFrequencies[StreamNumber] = Setting;
    return D3D_OK;
}

HRESULT D3D9DeviceBase::GetStreamSourceFreq(UINT StreamNumber, UINT* pSetting) {
    if (StreamNumber >= kMaxStreams || pSetting == nullptr) {
        return D3DERR_INVALIDCALL;
    }
    *pSetting = state_.streamFrequencies[StreamNumber];
    return D3D_OK;
}

HRESULT D3D9DeviceBase::SetIndices(IDirect3DIndexBuffer9* pIndexData) {
    state_.indices = ComPtr<IDirect3DIndexBuffer9>(pIndexData);
    return D3D_OK;
}

HRESULT D3D9DeviceBase::GetIndices(IDirect3DIndexBuffer9** ppIndexData) {
    if (ppIndexData == nullptr) {
        return D3DERR_INVALIDCALL;
    }
    *ppIndexData = ComPtr<IDirect3DIndexBuffer9>(state_.indices).detach();
    return D3D_OK;
}

HRESULT D3D9DeviceBase::DrawPrimitive(D3DPRIMITIVETYPE PrimitiveType, UINT StartVertex,
                                      UINT PrimitiveCount) {
    DrawCall call;
    call.kind = DrawCall::Kind::Primitive;
    call.primitiveType = PrimitiveType;
    call.primitiveCount = PrimitiveCount;
    call.startVertex = StartVertex;
    return draw(call);
}

HRESULT D3D9DeviceBase::DrawIndexedPrimitive(D3DPRIMITIVETYPE PrimitiveType, INT BaseVertexIndex,
                                             UINT MinVertexIndex, UINT NumVertices, UINT StartIndex,
                                             UINT PrimitiveCount) {
    DrawCall call;
    call.kind = DrawCall::Kind::IndexedPrimitive;
    call.primitiveType = PrimitiveType;
    call.primitiveCount = PrimitiveCount;
    call.baseVertexIndex = BaseVertexIndex;
    call.minVertexIndex = MinVertexIndex;
    call.numVertices = NumVertices;
    call.startIndex = StartIndex;
    return draw(call);
}

HRESULT D3D9DeviceBase::DrawPrimitiveUP(D3DPRIMITIVETYPE PrimitiveType, UINT PrimitiveCount,
                                        const void* pVertexStreamZeroData,
                                        UINT VertexStreamZeroStride) {
    DrawCall call;
    call.kind = DrawCall::Kind::PrimitiveUP;
    call.primitiveType = PrimitiveType;
    call.primitiveCount = PrimitiveCount;
    call.userVertices = pVertexStreamZeroData;
    call.userStride = VertexStreamZeroStride;
    return draw(call);
}

HRESULT D3D9DeviceBase::DrawIndexedPrimitiveUP(D3DPRIMITIVETYPE PrimitiveType, UINT MinVertexIndex,
                                               UINT NumVertices, UINT PrimitiveCount,
                                               const void* pIndexData, D3DFORMAT IndexDataFormat,
                                               const void* pVertexStreamZeroData,
                                               UINT VertexStreamZeroStride) {
    DrawCall call;
    call.kind = DrawCall::Kind::IndexedPrimitiveUP;
    call.primitiveType = PrimitiveType;
    call.primitiveCount = PrimitiveCount;
    call.minVertexIndex = MinVertexIndex;
    call.numVertices = NumVertices;
    call.userIndices = pIndexData;
    call.userIndexFormat = IndexDataFormat;
    call.userVertices = pVertexStreamZeroData;
    call.userStride = VertexStreamZeroStride;
    return draw(call);
}

HRESULT D3D9DeviceBase::draw(const DrawCall& request) {
    DrawCall call = request;
    call.elementCount = primitiveVertexCount(call.primitiveType, call.primitiveCount);
    call.instances = state_.instanceCount();
    HRESULT checked = checkDraw(call);
    if (SUCCEEDED(checked) && call.instanced()) {
        checked = checkInstances(call);
    }
    if (FAILED(checked)) {
        return checked;
    }
    const HRESULT hr = drawHook(call);
    // Drawing from the caller's memory leaves the stream (and indices) unbound.
    if (call.kind == DrawCall::Kind::PrimitiveUP ||
        call.kind == DrawCall::Kind::IndexedPrimitiveUP) {
        state_.streams[0] = {};
    }
    if (call.kind == DrawCall::Kind::IndexedPrimitiveUP) {
        state_.indices = nullptr;
    }
    return hr;
}

// Refuses what Direct3D refuses, and every draw that would read outside its buffers:
// a GPU backend must never be handed such a draw.
HRESULT D3D9DeviceBase::checkDraw(const DrawCall& call) {
    const UINT vertexSize = fvfVertexSize(state_.fvf);
    if (!state_.inScene || call.primitiveCount == 0 || call.elementCount == 0 ||
        call.primitiveCount > caps_.MaxPrimitiveCount || vertexSize == 0) {
        return D3DERR_INVALIDCALL;
    }

    if (call.kind == DrawCall::Kind::PrimitiveUP ||
        call.kind == DrawCall::Kind::IndexedPrimitiveUP) {
        if (call.userVertices == nullptr || call.userStride < vertexSize) {
            return D3DERR_INVALIDCALL;
        }
        if (call.kind == DrawCall::Kind::PrimitiveUP) {
            return D3D_OK;
        }
        if (call.userIndices == nullptr || call.numVertices == 0 ||
            (call.userIndexFormat != D3DFMT_INDEX16 && call.userIndexFormat != D3DFMT_INDEX32)) {
            return D3DERR_INVALIDCALL;
        }
        const bool wide = call.userIndexFormat == D3DFMT_INDEX32;
        for (UINT i = 0; i < call.elementCount; ++i) {
            const UINT index = readIndex(call.userIndices, i, wide);
            if (index < call.minVertexIndex || index >= call.minVertexIndex + call.numVertices) {
                return D3DERR_INVALIDCALL;
            }
        }
        return D3D_OK;
    }

    const StreamBinding& stream = state_.streams[0];
    if (!stream.buffer || stream.stride < vertexSize) {
        return D3DERR_INVALIDCALL;
    }
    if (const auto* memory = dynamic_cast<const MemoryVertexBuffer*>(stream.buffer.get());
        memory != nullptr && memory->isLocked()) {
        return D3DERR_INVALIDCALL;
    }
    const std::int64_t capacity = streamCapacity(stream.buffer.get(), stream.offset, stream.stride);

    if (call.kind == DrawCall::Kind::Primitive) {
        return static_cast<std::int64_t>(call.startVertex) + call.elementCount <= capacity
                   ? D3D_OK
                   : D3DERR_INVALIDCALL;
    }

    if (!state_.indices) {
        return D3DERR_INVALIDCALL;
    }
    const std::int64_t first =
        static_cast<std::int64_t>(call.baseVertexIndex) + call.minVertexIndex;
    if (call.numVertices == 0 || first < 0 || first + call.numVertices > capacity) {
        return D3DERR_INVALIDCALL;
    }
    D3DINDEXBUFFER_DESC desc{};
    if (FAILED(state_.indices->GetDesc(&desc))) {
        return D3DERR_INVALIDCALL;
    }
    const UINT indexSize = desc.Format == D3DFMT_INDEX32 ? 4 : 2;
    if (static_cast<std::uint64_t>(call.startIndex) + call.elementCount > desc.Size / indexSize) {
        return D3DERR_INVALIDCALL;
    }
    if (const auto* memory = dynamic_cast<const MemoryIndexBuffer*>(state_.indices.get())) {
        if (memory->isLocked()) {
            return D3DERR_INVALIDCALL;
        }
        for (UINT i = 0; i < call.elementCount; ++i) {
            const std::int64_t vertex =
                call.baseVertexIndex +
                static_cast<std::int64_t>(memory->index(call.startIndex + i));
            if (vertex < 0 || vertex >= capacity) {
                return D3DERR_INVALIDCALL;
            }
        }
    }
    return D3D_OK;
}

// An instanced draw is an indexed one from buffers, and stream 1 holds a whole matrix for
// every instance.
HRESULT D3D9DeviceBase::checkInstances(const DrawCall& call) const {
    const UINT setting = state_.streamFrequencies[1];
    const StreamBinding& stream = state_.streams[1];
    const auto* memory = dynamic_cast<const MemoryVertexBuffer*>(stream.buffer.get());
    if (call.kind != DrawCall::Kind::IndexedPrimitive ||
        (setting & D3DSTREAMSOURCE_INSTANCEDATA) == 0 || memory == nullptr || memory->isLocked() ||
        stream.stride < sizeof(D3DMATRIX)) {
        return D3DERR_INVALIDCALL;
    }
    const std::uint64_t perElement = setting & kFrequencyCountMask;
    const std::uint64_t elements = (call.instances + perElement - 1) / perElement;
    const std::uint64_t end = stream.offset + (elements - 1) * stream.stride + sizeof(D3DMATRIX);
    return end <= memory->bytes().size() ? D3D_OK : D3DERR_INVALIDCALL;
}
