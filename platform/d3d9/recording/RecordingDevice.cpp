#include "d3d9/recording_device.h"

#include "d3d9/d3d9names.h"

#include <bit>
#include <charconv>
#include <cstdio>
#include <cstring>

namespace {

std::string num(DWORD value) {
    return std::to_string(value);
}
std::string num(INT value) {
    return std::to_string(value);
}

std::string hex(DWORD value, int digits = 8) {
    char text[16];
    std::snprintf(text, sizeof text, "0x%0*X", digits, static_cast<unsigned>(value));
    return text;
}

std::string flt(float value) {
    char text[32];
    const auto end = std::to_chars(text, text + sizeof text, value).ptr;
    return std::string(text, end);
}

std::string matrixText(const D3DMATRIX* m) {
    if (m == nullptr) {
        return "null";
    }
    std::string text = "[";
    for (int row = 0; row < 4; ++row) {
        for (int col = 0; col < 4; ++col) {
            text += flt(m->m[row][col]);
            text += col < 3 ? " " : (row < 3 ? "; " : "]");
        }
    }
    return text;
}

std::string colorText(const D3DCOLORVALUE& c) {
    return "(" + flt(c.r) + ", " + flt(c.g) + ", " + flt(c.b) + ", " + flt(c.a) + ")";
}

std::string vectorText(const D3DVECTOR& v) {
    return "(" + flt(v.x) + ", " + flt(v.y) + ", " + flt(v.z) + ")";
}

std::string materialText(const D3DMATERIAL9* m) {
    if (m == nullptr) {
        return "null";
    }
    return "{Diffuse " + colorText(m->Diffuse) + ", Ambient " + colorText(m->Ambient) +
           ", Specular " + colorText(m->Specular) + ", Emissive " + colorText(m->Emissive) +
           ", Power " + flt(m->Power) + "}";
}

std::string lightText(const D3DLIGHT9* l) {
    if (l == nullptr) {
        return "null";
    }
    const char* type = l->Type == D3DLIGHT_POINT         ? "D3DLIGHT_POINT"
                       : l->Type == D3DLIGHT_SPOT        ? "D3DLIGHT_SPOT"
                       : l->Type == D3DLIGHT_DIRECTIONAL ? "D3DLIGHT_DIRECTIONAL"
                                                         : nullptr;
    return std::string("{") + (type != nullptr ? type : "D3DLIGHT_(" + num(l->Type) + ")") +
           ", Diffuse " + colorText(l->Diffuse) + ", Specular " + colorText(l->Specular) +
           ", Ambient " + colorText(l->Ambient) + ", Position " + vectorText(l->Position) +
           ", Direction " + vectorText(l->Direction) + ", Range " + flt(l->Range) + ", Falloff " +
           flt(l->Falloff) + ", Attenuation (" + flt(l->Attenuation0) + ", " +
           flt(l->Attenuation1) + ", " + flt(l->Attenuation2) + "), Theta " + flt(l->Theta) +
           ", Phi " + flt(l->Phi) + "}";
}

std::string viewportText(const D3DVIEWPORT9* v) {
    if (v == nullptr) {
        return "null";
    }
    return "{" + num(v->X) + ", " + num(v->Y) + ", " + num(v->Width) + ", " + num(v->Height) +
           ", " + flt(v->MinZ) + ", " + flt(v->MaxZ) + "}";
}

std::string rectText(const RECT* r) {
    if (r == nullptr) {
        return "null";
    }
    return "{" + num(r->left) + ", " + num(r->top) + ", " + num(r->right) + ", " + num(r->bottom) +
           "}";
}

std::string rectsText(DWORD count, const D3DRECT* rects) {
    if (rects == nullptr) {
        return "null";
    }
    std::string text = "{";
    for (DWORD i = 0; i < count; ++i) {
        const D3DRECT& r = rects[i];
        text += (i > 0 ? ", {" : "{") + num(r.x1) + ", " + num(r.y1) + ", " + num(r.x2) + ", " +
                num(r.y2) + "}";
    }
    return text + "}";
}

std::string dataText(const void* data) {
    return data != nullptr ? "data" : "null";
}

std::string handleText(const void* handle) {
    if (handle == nullptr) {
        return "null";
    }
    char text[32];
    std::snprintf(text, sizeof text, "%p", handle);
    return text;
}

std::string renderStateValueText(D3DRENDERSTATETYPE state, DWORD value) {
    const RenderStateInfo* info = findRenderState(state);
    const StateValueKind kind = info != nullptr ? info->kind : StateValueKind::Number;
    switch (kind) {
    case StateValueKind::Hex:
        return hex(value);
    case StateValueKind::Float:
        return flt(std::bit_cast<float>(value));
    case StateValueKind::Number:
        break;
    }
    return num(value);
}

} // namespace

std::string RecordedCall::text() const {
    std::string result = method + "(";
    for (std::size_t i = 0; i < args.size(); ++i) {
        result += (i > 0 ? ", " : "") + args[i];
    }
    return result + ")";
}

std::span<const D3DMATRIX> DrawSnapshot::worlds() const {
    if (call.instanced()) {
        return instanceWorlds;
    }
    return {&state.transform(D3DTS_WORLD), 1};
}

std::string DrawSnapshot::textureLabel(DWORD stage) const {
    return resourceLabel(texture(stage));
}

RecordingDevice::RecordingDevice(const DeviceConfig& config) : D3D9DeviceBase(config) {}

RecordingDevice::RecordingDevice(UINT backBufferWidth, UINT backBufferHeight,
                                 D3DFORMAT backBufferFormat)
    : D3D9DeviceBase(DeviceConfig{backBufferWidth, backBufferHeight, backBufferFormat}) {}

ComPtr<RecordingDevice> RecordingDevice::create(UINT backBufferWidth, UINT backBufferHeight,
                                                D3DFORMAT backBufferFormat) {
    return makeCom<RecordingDevice>(backBufferWidth, backBufferHeight, backBufferFormat);
}

std::vector<std::string> RecordingDevice::log(bool withQueries) const {
    std::vector<std::string> lines;
    for (const RecordedCall& call : calls_) {
        if (withQueries || !call.query) {
            lines.push_back(call.text());
        }
    }
    return lines;
}

std::vector<const RecordedCall*> RecordingDevice::callsNamed(std::string_view method) const {
    std::vector<const RecordedCall*> found;
    for (const RecordedCall& call : calls_) {
        if (call.method == method) {
            found.push_back(&call);
        }
    }
    return found;
}

std::size_t RecordingDevice::count(std::string_view method) const {
    return callsNamed(method).size();
}

void RecordingDevice::clearLog() {
    calls_.clear();
    draws_.clear();
}

void RecordingDevice::failCreation(HRESULT result, unsigned kinds, unsigned succeedFirst) {
    createFailure_ = CreateFailure{result, kinds, succeedFirst};
}

HRESULT RecordingDevice::creationOutcome(CreateKind kind) {
    if (!createFailure_ || (createFailure_->kinds & kind) == 0) {
        return D3D_OK;
    }
    if (createFailure_->succeedFirst > 0) {
        --createFailure_->succeedFirst;
        return D3D_OK;
    }
    return createFailure_->result;
}

std::size_t RecordingDevice::start(const char* method, std::vector<std::string> args, bool query) {
    RecordedCall call;
    call.method = method;
    call.args = std::move(args);
    call.query = query;
    calls_.push_back(std::move(call));
    return calls_.size() - 1;
}

HRESULT RecordingDevice::finish(std::size_t call, HRESULT result) {
    calls_[call].result = result;
    return result;
}

template <class Resource>
HRESULT RecordingDevice::finishCreate(std::size_t call, HRESULT result, Resource** made) {
    if (SUCCEEDED(result) && made != nullptr && *made != nullptr) {
        calls_[call].created = resourceLabel(*made);
    }
    return finish(call, result);
}

HRESULT RecordingDevice::drawHook(const DrawCall& call) {
    DrawSnapshot snapshot;
    snapshot.method = drawKindName(call.kind);
    snapshot.callIndex = calls_.size() - 1;
    snapshot.call = call;
    snapshot.call.userVertices = nullptr;
    snapshot.call.userIndices = nullptr;
    snapshot.state = state();
    snapshot.instanceWorlds.reserve(call.instances);
    for (UINT i = 0; i < call.instances; ++i) {
        snapshot.instanceWorlds.push_back(instanceWorld(snapshot.state, i));
    }
    if (call.userVertices != nullptr) {
        const std::size_t vertices = call.kind == DrawCall::Kind::IndexedPrimitiveUP
                                         ? std::size_t{call.minVertexIndex} + call.numVertices
                                         : call.elementCount;
        const auto* bytes = static_cast<const BYTE*>(call.userVertices);
        snapshot.userVertices.assign(bytes, bytes + vertices * call.userStride);
    }
    if (call.userIndices != nullptr) {
        const std::size_t size = call.userIndexFormat == D3DFMT_INDEX32 ? 4 : 2;
        const auto* bytes = static_cast<const BYTE*>(call.userIndices);
        snapshot.userIndices.assign(bytes, bytes + std::size_t{call.elementCount} * size);
    }
    calls_.back().draw = draws_.size();
    draws_.push_back(std::move(snapshot));
    return D3D_OK;
}

HRESULT RecordingDevice::TestCooperativeLevel() {
    const auto call = start("TestCooperativeLevel", {}, true);
    return finish(call, D3D9DeviceBase::TestCooperativeLevel());
}

HRESULT RecordingDevice::GetDeviceCaps(D3DCAPS9* pCaps) {
    const auto call = start("GetDeviceCaps", {}, true);
    return finish(call, D3D9DeviceBase::GetDeviceCaps(pCaps));
}

HRESULT RecordingDevice::GetDisplayMode(UINT iSwapChain, D3DDISPLAYMODE* pMode) {
    const auto call = start("GetDisplayMode", {num(iSwapChain)}, true);
    return finish(call, D3D9DeviceBase::GetDisplayMode(iSwapChain, pMode));
}

HRESULT RecordingDevice::GetBackBuffer(UINT iSwapChain, UINT iBackBuffer, D3DBACKBUFFER_TYPE Type,
                                       IDirect3DSurface9** ppBackBuffer) {
    const auto call =
        start("GetBackBuffer", {num(iSwapChain), num(iBackBuffer), backBufferTypeText(Type)}, true);
    return finish(call, D3D9DeviceBase::GetBackBuffer(iSwapChain, iBackBuffer, Type, ppBackBuffer));
}

HRESULT RecordingDevice::Present(const RECT* pSourceRect, const RECT* pDestRect,
                                 HWND hDestWindowOverride, const RGNDATA* pDirtyRegion) {
    const auto call = start("Present", {rectText(pSourceRect), rectText(pDestRect),
                                        handleText(hDestWindowOverride), dataText(pDirtyRegion)});
    return finish(
        call, D3D9DeviceBase::Present(pSourceRect, pDestRect, hDestWindowOverride, pDirtyRegion));
}

HRESULT RecordingDevice::CreateTexture(UINT Width, UINT Height, UINT Levels, DWORD Usage,
                                       D3DFORMAT Format, D3DPOOL Pool,
                                       IDirect3DTexture9** ppTexture, HANDLE* pSharedHandle) {
    const auto call =
        start("CreateTexture", {num(Width), num(Height), num(Levels), usageText(Usage),
                                formatText(Format), poolText(Pool)});
    if (const HRESULT injected = creationOutcome(CreateTextures); FAILED(injected)) {
        if (ppTexture != nullptr) {
            *ppTexture = nullptr;
        }
        return finish(call, injected);
    }
    return finishCreate(call,
                        D3D9DeviceBase::CreateTexture(Width, Height, Levels, Usage, Format, Pool,
                                                      ppTexture, pSharedHandle),
                        ppTexture);
}

HRESULT RecordingDevice::CreateVertexBuffer(UINT Length, DWORD Usage, DWORD FVF, D3DPOOL Pool,
                                            IDirect3DVertexBuffer9** ppVertexBuffer,
                                            HANDLE* pSharedHandle) {
    const auto call =
        start("CreateVertexBuffer", {num(Length), usageText(Usage), hex(FVF, 0), poolText(Pool)});
    if (const HRESULT injected = creationOutcome(CreateVertexBuffers); FAILED(injected)) {
        if (ppVertexBuffer != nullptr) {
            *ppVertexBuffer = nullptr;
        }
        return finish(call, injected);
    }
    return finishCreate(
        call,
        D3D9DeviceBase::CreateVertexBuffer(Length, Usage, FVF, Pool, ppVertexBuffer, pSharedHandle),
        ppVertexBuffer);
}

HRESULT RecordingDevice::CreateIndexBuffer(UINT Length, DWORD Usage, D3DFORMAT Format, D3DPOOL Pool,
                                           IDirect3DIndexBuffer9** ppIndexBuffer,
                                           HANDLE* pSharedHandle) {
    const auto call = start("CreateIndexBuffer",
                            {num(Length), usageText(Usage), formatText(Format), poolText(Pool)});
    if (const HRESULT injected = creationOutcome(CreateIndexBuffers); FAILED(injected)) {
        if (ppIndexBuffer != nullptr) {
            *ppIndexBuffer = nullptr;
        }
        return finish(call, injected);
    }
    return finishCreate(call,
                        D3D9DeviceBase::CreateIndexBuffer(Length, Usage, Format, Pool,
                                                          ppIndexBuffer, pSharedHandle),
                        ppIndexBuffer);
}

HRESULT RecordingDevice::BeginScene() {
    const auto call = start("BeginScene", {});
    return finish(call, D3D9DeviceBase::BeginScene());
}

HRESULT RecordingDevice::EndScene() {
    const auto call = start("EndScene", {});
    return finish(call, D3D9DeviceBase::EndScene());
}

HRESULT RecordingDevice::Clear(DWORD Count, const D3DRECT* pRects, DWORD Flags, D3DCOLOR Color,
                               float Z, DWORD Stencil) {
    const auto call = start("Clear", {num(Count), rectsText(Count, pRects), clearFlagsText(Flags),
                                      hex(Color), flt(Z), num(Stencil)});
    return finish(call, D3D9DeviceBase::Clear(Count, pRects, Flags, Color, Z, Stencil));
}

HRESULT RecordingDevice::SetTransform(D3DTRANSFORMSTATETYPE State, const D3DMATRIX* pMatrix) {
    const auto call = start("SetTransform", {transformStateText(State), matrixText(pMatrix)});
    return finish(call, D3D9DeviceBase::SetTransform(State, pMatrix));
}

HRESULT RecordingDevice::GetTransform(D3DTRANSFORMSTATETYPE State, D3DMATRIX* pMatrix) {
    const auto call = start("GetTransform", {transformStateText(State)}, true);
    return finish(call, D3D9DeviceBase::GetTransform(State, pMatrix));
}

HRESULT RecordingDevice::SetViewport(const D3DVIEWPORT9* pViewport) {
    const auto call = start("SetViewport", {viewportText(pViewport)});
    return finish(call, D3D9DeviceBase::SetViewport(pViewport));
}

HRESULT RecordingDevice::GetViewport(D3DVIEWPORT9* pViewport) {
    const auto call = start("GetViewport", {}, true);
    return finish(call, D3D9DeviceBase::GetViewport(pViewport));
}

HRESULT RecordingDevice::SetMaterial(const D3DMATERIAL9* pMaterial) {
    const auto call = start("SetMaterial", {materialText(pMaterial)});
    return finish(call, D3D9DeviceBase::SetMaterial(pMaterial));
}

HRESULT RecordingDevice::GetMaterial(D3DMATERIAL9* pMaterial) {
    const auto call = start("GetMaterial", {}, true);
    return finish(call, D3D9DeviceBase::GetMaterial(pMaterial));
}

HRESULT RecordingDevice::SetLight(DWORD Index, const D3DLIGHT9* pLight) {
    const auto call = start("SetLight", {num(Index), lightText(pLight)});
    return finish(call, D3D9DeviceBase::SetLight(Index, pLight));
}

HRESULT RecordingDevice::GetLight(DWORD Index, D3DLIGHT9* pLight) {
    const auto call = start("GetLight", {num(Index)}, true);
    return finish(call, D3D9DeviceBase::GetLight(Index, pLight));
}

HRESULT RecordingDevice::LightEnable(DWORD Index, BOOL Enable) {
    const auto call = start("LightEnable", {num(Index), num(Enable)});
    return finish(call, D3D9DeviceBase::LightEnable(Index, Enable));
}

HRESULT RecordingDevice::GetLightEnable(DWORD Index, BOOL* pEnable) {
    const auto call = start("GetLightEnable", {num(Index)}, true);
    return finish(call, D3D9DeviceBase::GetLightEnable(Index, pEnable));
}

HRESULT RecordingDevice::SetRenderState(D3DRENDERSTATETYPE State, DWORD Value) {
    const auto call =
        start("SetRenderState", {renderStateText(State), renderStateValueText(State, Value)});
    return finish(call, D3D9DeviceBase::SetRenderState(State, Value));
}

HRESULT RecordingDevice::GetRenderState(D3DRENDERSTATETYPE State, DWORD* pValue) {
    const auto call = start("GetRenderState", {renderStateText(State)}, true);
    return finish(call, D3D9DeviceBase::GetRenderState(State, pValue));
}

HRESULT RecordingDevice::SetTexture(DWORD Stage, IDirect3DBaseTexture9* pTexture) {
    const auto call = start("SetTexture", {num(Stage), resourceLabel(pTexture)});
    return finish(call, D3D9DeviceBase::SetTexture(Stage, pTexture));
}

HRESULT RecordingDevice::GetTexture(DWORD Stage, IDirect3DBaseTexture9** ppTexture) {
    const auto call = start("GetTexture", {num(Stage)}, true);
    return finish(call, D3D9DeviceBase::GetTexture(Stage, ppTexture));
}

HRESULT RecordingDevice::SetTextureStageState(DWORD Stage, D3DTEXTURESTAGESTATETYPE Type,
                                              DWORD Value) {
    const auto call =
        start("SetTextureStageState", {num(Stage), textureStageStateText(Type), num(Value)});
    return finish(call, D3D9DeviceBase::SetTextureStageState(Stage, Type, Value));
}

HRESULT RecordingDevice::GetTextureStageState(DWORD Stage, D3DTEXTURESTAGESTATETYPE Type,
                                              DWORD* pValue) {
    const auto call =
        start("GetTextureStageState", {num(Stage), textureStageStateText(Type)}, true);
    return finish(call, D3D9DeviceBase::GetTextureStageState(Stage, Type, pValue));
}

HRESULT RecordingDevice::SetSamplerState(DWORD Sampler, D3DSAMPLERSTATETYPE Type, DWORD Value) {
    const auto call = start("SetSamplerState", {num(Sampler), samplerStateText(Type), num(Value)});
    return finish(call, D3D9DeviceBase::SetSamplerState(Sampler, Type, Value));
}

HRESULT RecordingDevice::GetSamplerState(DWORD Sampler, D3DSAMPLERSTATETYPE Type, DWORD* pValue) {
    const auto call = start("GetSamplerState", {num(Sampler), samplerStateText(Type)}, true);
    return finish(call, D3D9DeviceBase::GetSamplerState(Sampler, Type, pValue));
}

HRESULT RecordingDevice::SetFVF(DWORD FVF) {
    const auto call = start("SetFVF", {hex(FVF, 0)});
    return finish(call, D3D9DeviceBase::SetFVF(FVF));
}

HRESULT RecordingDevice::GetFVF(DWORD* pFVF) {
    const auto call = start("GetFVF", {}, true);
    return finish(call, D3D9DeviceBase::GetFVF(pFVF));
}

HRESULT RecordingDevice::SetStreamSource(UINT StreamNumber, IDirect3DVertexBuffer9* pStreamData,
                                         UINT OffsetInBytes, UINT Stride) {
    const auto call = start("SetStreamSource", {num(StreamNumber), resourceLabel(pStreamData),
                                                num(OffsetInBytes), num(Stride)});
    return finish(
        call, D3D9DeviceBase::SetStreamSource(StreamNumber, pStreamData, OffsetInBytes, Stride));
}

HRESULT RecordingDevice::GetStreamSource(UINT StreamNumber, IDirect3DVertexBuffer9** ppStreamData,
                                         UINT* pOffsetInBytes, UINT* pStride) {
    const auto call = start("GetStreamSource", {num(StreamNumber)}, true);
    return finish(
        call, D3D9DeviceBase::GetStreamSource(StreamNumber, ppStreamData, pOffsetInBytes, pStride));
}

HRESULT RecordingDevice::SetStreamSourceFreq(UINT StreamNumber, UINT Setting) {
    const auto call =
        start("SetStreamSourceFreq", {num(StreamNumber), streamFrequencyText(Setting)});
    return finish(call, D3D9DeviceBase::SetStreamSourceFreq(StreamNumber, Setting));
}

HRESULT RecordingDevice::GetStreamSourceFreq(UINT StreamNumber, UINT* pSetting) {
    const auto call = start("GetStreamSourceFreq", {num(StreamNumber)}, true);
    return finish(call, D3D9DeviceBase::GetStreamSourceFreq(StreamNumber, pSetting));
}

HRESULT RecordingDevice::SetIndices(IDirect3DIndexBuffer9* pIndexData) {
    const auto call = start("SetIndices", {resourceLabel(pIndexData)});
    return finish(call, D3D9DeviceBase::SetIndices(pIndexData));
}

HRESULT RecordingDevice::GetIndices(IDirect3DIndexBuffer9** ppIndexData) {
    const auto call = start("GetIndices", {}, true);
    return finish(call, D3D9DeviceBase::GetIndices(ppIndexData));
}

HRESULT RecordingDevice::DrawPrimitive(D3DPRIMITIVETYPE PrimitiveType, UINT StartVertex,
                                       UINT PrimitiveCount) {
    const auto call = start(
        "DrawPrimitive", {primitiveTypeText(PrimitiveType), num(StartVertex), num(PrimitiveCount)});
    return finish(call, D3D9DeviceBase::DrawPrimitive(PrimitiveType, StartVertex, PrimitiveCount));
}

HRESULT RecordingDevice::DrawIndexedPrimitive(D3DPRIMITIVETYPE PrimitiveType, INT BaseVertexIndex,
                                              UINT MinVertexIndex, UINT NumVertices,
                                              UINT StartIndex, UINT PrimitiveCount) {
    const auto call =
        start("DrawIndexedPrimitive",
              {primitiveTypeText(PrimitiveType), num(BaseVertexIndex), num(MinVertexIndex),
               num(NumVertices), num(StartIndex), num(PrimitiveCount)});
    return finish(call, D3D9DeviceBase::DrawIndexedPrimitive(PrimitiveType, BaseVertexIndex,
                                                             MinVertexIndex, NumVertices,
                                                             StartIndex, PrimitiveCount));
}

HRESULT RecordingDevice::DrawPrimitiveUP(D3DPRIMITIVETYPE PrimitiveType, UINT PrimitiveCount,
                                         const void* pVertexStreamZeroData,
                                         UINT VertexStreamZeroStride) {
    const auto call =
        start("DrawPrimitiveUP", {primitiveTypeText(PrimitiveType), num(PrimitiveCount),
                                  dataText(pVertexStreamZeroData), num(VertexStreamZeroStride)});
    return finish(call,
                  D3D9DeviceBase::DrawPrimitiveUP(PrimitiveType, PrimitiveCount,
                                                  pVertexStreamZeroData, VertexStreamZeroStride));
}

HRESULT RecordingDevice::DrawIndexedPrimitiveUP(D3DPRIMITIVETYPE PrimitiveType, UINT MinVertexIndex,
                                                UINT NumVertices, UINT PrimitiveCount,
                                                const void* pIndexData, D3DFORMAT IndexDataFormat,
                                                const void* pVertexStreamZeroData,
                                                UINT VertexStreamZeroStride) {
    const auto call =
        start("DrawIndexedPrimitiveUP",
              {primitiveTypeText(PrimitiveType), num(MinVertexIndex), num(NumVertices),
               num(PrimitiveCount), dataText(pIndexData), formatText(IndexDataFormat),
               dataText(pVertexStreamZeroData), num(VertexStreamZeroStride)});
    return finish(call, D3D9DeviceBase::DrawIndexedPrimitiveUP(
                            PrimitiveType, MinVertexIndex, NumVertices, PrimitiveCount, pIndexData,
                            IndexDataFormat, pVertexStreamZeroData, VertexStreamZeroStride));
}
