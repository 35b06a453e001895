// The recording device: Direct3D's defaults, state changes and their checks, the call
// log, draw snapshots, and the failures it produces on demand.
#include "d3d9/recording_device.h"

#include <gtest/gtest.h>

#include <bit>
#include <cstring>
#include <vector>

namespace {

constexpr DWORD kGridFvf = D3DFVF_XYZ | D3DFVF_NORMAL | D3DFVF_TEX1; // 32 bytes

D3DMATRIX translation(float x, float y, float z) {
    D3DMATRIX m = identityMatrix();
    m._41 = x;
    m._42 = y;
    m._43 = z;
    return m;
}

class RecordingDeviceTest : public ::testing::Test {
protected:
    ComPtr<RecordingDevice> device = RecordingDevice::create(640, 480);

    ComPtr<IDirect3DVertexBuffer9> vertexBuffer(UINT vertices) {
        ComPtr<IDirect3DVertexBuffer9> buffer;
        EXPECT_EQ(device->CreateVertexBuffer(vertices * 32, D3DUSAGE_WRITEONLY, kGridFvf,
                                             D3DPOOL_MANAGED, buffer.put(), nullptr),
                  D3D_OK);
        return buffer;
    }

    ComPtr<IDirect3DIndexBuffer9> indexBuffer(const std::vector<WORD>& indices) {
        ComPtr<IDirect3DIndexBuffer9> buffer;
        EXPECT_EQ(device->CreateIndexBuffer(static_cast<UINT>(indices.size() * 2), 0,
                                            D3DFMT_INDEX16, D3DPOOL_MANAGED, buffer.put(), nullptr),
                  D3D_OK);
        void* data = nullptr;
        EXPECT_EQ(buffer->Lock(0, 0, &data, 0), D3D_OK);
        std::memcpy(data, indices.data(), indices.size() * 2);
        buffer->Unlock();
        return buffer;
    }

    // Binds a grid of the given size for indexed drawing inside a scene.
    void bindGrid(UINT vertices, const std::vector<WORD>& indices) {
        vb = vertexBuffer(vertices);
        ib = indexBuffer(indices);
        device->SetFVF(kGridFvf);
        device->SetStreamSource(0, vb.get(), 0, 32);
        device->SetIndices(ib.get());
    }

    ComPtr<IDirect3DVertexBuffer9> vb;
    ComPtr<IDirect3DIndexBuffer9> ib;
};
// Suites carry the module's name so that `ctest -R d3d9` selects them.
using d3d9RecordingDevice = RecordingDeviceTest;

TEST_F(d3d9RecordingDevice, StartsWithDirect3DDefaults) {
    const DeviceState& s = device->state();
    EXPECT_EQ(s.renderState(D3DRS_ZENABLE), static_cast<DWORD>(D3DZB_TRUE));
    EXPECT_EQ(s.renderState(D3DRS_ZWRITEENABLE), 1u);
    EXPECT_EQ(s.renderState(D3DRS_LIGHTING), 1u);
    EXPECT_EQ(s.renderState(D3DRS_FILLMODE), static_cast<DWORD>(D3DFILL_SOLID));
    EXPECT_EQ(s.renderState(D3DRS_SHADEMODE), static_cast<DWORD>(D3DSHADE_GOURAUD));
    EXPECT_EQ(s.renderState(D3DRS_CULLMODE), static_cast<DWORD>(D3DCULL_CCW));
    EXPECT_EQ(s.renderState(D3DRS_SRCBLEND), static_cast<DWORD>(D3DBLEND_ONE));
    EXPECT_EQ(s.renderState(D3DRS_DESTBLEND), static_cast<DWORD>(D3DBLEND_ZERO));
    EXPECT_EQ(s.renderState(D3DRS_ALPHAFUNC), static_cast<DWORD>(D3DCMP_ALWAYS));
    EXPECT_EQ(s.renderState(D3DRS_ZFUNC), static_cast<DWORD>(D3DCMP_LESSEQUAL));
    EXPECT_EQ(s.renderState(D3DRS_ALPHABLENDENABLE), 0u);
    EXPECT_EQ(s.renderState(D3DRS_DITHERENABLE), 0u);
    EXPECT_EQ(s.renderState(D3DRS_AMBIENT), 0u);
    EXPECT_EQ(std::bit_cast<float>(s.renderState(D3DRS_FOGEND)), 1.0f);

    EXPECT_EQ(s.stageState(0, D3DTSS_COLOROP), static_cast<DWORD>(D3DTOP_MODULATE));
    EXPECT_EQ(s.stageState(0, D3DTSS_ALPHAOP), static_cast<DWORD>(D3DTOP_SELECTARG1));
    EXPECT_EQ(s.stageState(1, D3DTSS_COLOROP), static_cast<DWORD>(D3DTOP_DISABLE));
    EXPECT_EQ(s.stageState(0, D3DTSS_COLORARG1), D3DTA_TEXTURE);
    EXPECT_EQ(s.stageState(3, D3DTSS_TEXCOORDINDEX), 3u);
    EXPECT_EQ(s.samplerState(0, D3DSAMP_MINFILTER), static_cast<DWORD>(D3DTEXF_POINT));
    EXPECT_EQ(s.samplerState(5, D3DSAMP_ADDRESSU), static_cast<DWORD>(D3DTADDRESS_WRAP));

    D3DMATRIX world{};
    ASSERT_EQ(device->GetTransform(D3DTS_WORLD, &world), D3D_OK);
    EXPECT_EQ(std::memcmp(&world, &identityMatrix(), sizeof world), 0);
    D3DVIEWPORT9 viewport{};
    device->GetViewport(&viewport);
    EXPECT_EQ(viewport.Width, 640u);
    EXPECT_EQ(viewport.Height, 480u);
    EXPECT_EQ(viewport.MaxZ, 1.0f);
    EXPECT_TRUE(s.enabledLights().empty());
    EXPECT_EQ(s.fvf, 0u);
}

TEST_F(d3d9RecordingDevice, ReportsBackBufferAndCapsGivenAtConstruction) {
    auto device16 = RecordingDevice::create(320, 200, D3DFMT_R5G6B5);
    ComPtr<IDirect3DSurface9> surface;
    ASSERT_EQ(device16->GetBackBuffer(0, 0, D3DBACKBUFFER_TYPE_MONO, surface.put()), D3D_OK);
    D3DSURFACE_DESC desc{};
    surface->GetDesc(&desc);
    EXPECT_EQ(desc.Width, 320u);
    EXPECT_EQ(desc.Height, 200u);
    EXPECT_EQ(desc.Format, D3DFMT_R5G6B5);
    EXPECT_EQ(device16->GetBackBuffer(0, 1, D3DBACKBUFFER_TYPE_MONO, surface.put()),
              D3DERR_INVALIDCALL);
    EXPECT_FALSE(surface);

    D3DCAPS9 caps{};
    ASSERT_EQ(device->GetDeviceCaps(&caps), D3D_OK);
    EXPECT_NE(caps.AlphaCmpCaps & D3DPCMPCAPS_GREATEREQUAL, 0u);
    EXPECT_EQ(caps.DeviceType, D3DDEVTYPE_HAL);
    caps.AlphaCmpCaps = D3DPCMPCAPS_ALWAYS;
    device->setCaps(caps);
    D3DCAPS9 changed{};
    device->GetDeviceCaps(&changed);
    EXPECT_EQ(changed.AlphaCmpCaps, D3DPCMPCAPS_ALWAYS);

    DeviceConfig noDepth;
    noDepth.depthStencilFormat = D3DFMT_UNKNOWN;
    auto flat = makeCom<RecordingDevice>(noDepth);
    EXPECT_EQ(flat->state().renderState(D3DRS_ZENABLE), static_cast<DWORD>(D3DZB_FALSE));
    EXPECT_EQ(flat->Clear(0, nullptr, D3DCLEAR_TARGET | D3DCLEAR_ZBUFFER, 0, 1.0f, 0),
              D3DERR_INVALIDCALL);
    EXPECT_EQ(flat->Clear(0, nullptr, D3DCLEAR_TARGET, 0, 1.0f, 0), D3D_OK);
}

TEST_F(d3d9RecordingDevice, StateChangesReadBackAndBadOnesChangeNothing) {
    EXPECT_EQ(device->SetRenderState(D3DRS_LIGHTING, FALSE), D3D_OK);
    EXPECT_EQ(device->SetRenderState(static_cast<D3DRENDERSTATETYPE>(138), 5), D3DERR_INVALIDCALL);
    EXPECT_EQ(device->SetTextureStageState(8, D3DTSS_COLOROP, D3DTOP_DISABLE), D3DERR_INVALIDCALL);
    EXPECT_EQ(device->SetTextureStageState(0, static_cast<D3DTEXTURESTAGESTATETYPE>(12), 1),
              D3DERR_INVALIDCALL);
    EXPECT_EQ(device->SetSamplerState(16, D3DSAMP_MINFILTER, D3DTEXF_LINEAR), D3DERR_INVALIDCALL);
    EXPECT_EQ(device->SetSamplerState(0, D3DSAMP_MAGFILTER, D3DTEXF_LINEAR), D3D_OK);
    const D3DMATRIX moved = translation(1, 2, 3);
    EXPECT_EQ(device->SetTransform(static_cast<D3DTRANSFORMSTATETYPE>(4), &moved),
              D3DERR_INVALIDCALL);
    EXPECT_EQ(device->SetTransform(D3DTS_VIEW, nullptr), D3DERR_INVALIDCALL);
    EXPECT_EQ(device->SetTransform(D3DTS_VIEW, &moved), D3D_OK);

    DWORD value = 0;
    device->GetRenderState(D3DRS_LIGHTING, &value);
    EXPECT_EQ(value, 0u);
    device->GetSamplerState(0, D3DSAMP_MAGFILTER, &value);
    EXPECT_EQ(value, static_cast<DWORD>(D3DTEXF_LINEAR));
    device->GetTextureStageState(0, D3DTSS_COLOROP, &value);
    EXPECT_EQ(value, static_cast<DWORD>(D3DTOP_MODULATE));
    EXPECT_EQ(device->state().transform(D3DTS_VIEW)._43, 3.0f);
    EXPECT_EQ(device->state().transform(D3DTS_PROJECTION)._43, 0.0f);

    const D3DVIEWPORT9 outside{600, 0, 100, 100, 0.0f, 1.0f};
    EXPECT_EQ(device->SetViewport(&outside), D3DERR_INVALIDCALL);
    const D3DVIEWPORT9 inside{10, 20, 100, 100, 0.0f, 1.0f};
    EXPECT_EQ(device->SetViewport(&inside), D3D_OK);
    EXPECT_EQ(device->state().viewport.Y, 20u);
}

TEST_F(d3d9RecordingDevice, LightsAndMaterial) {
    D3DLIGHT9 light{};
    light.Type = D3DLIGHT_DIRECTIONAL;
    light.Diffuse = {1, 1, 1, 1};
    EXPECT_EQ(device->SetLight(0, &light), D3DERR_INVALIDCALL); // no direction
    light.Direction = {-1, -1, 2};
    light.Range = 1000.0f;
    EXPECT_EQ(device->SetLight(0, &light), D3D_OK);
    EXPECT_FALSE(device->state().lightEnabled(0));
    device->LightEnable(0, TRUE);
    EXPECT_TRUE(device->state().lightEnabled(0));

    // Enabling a light never set makes Direct3D's default: white, directional, along +z.
    device->LightEnable(3, TRUE);
    D3DLIGHT9 made{};
    ASSERT_EQ(device->GetLight(3, &made), D3D_OK);
    EXPECT_EQ(made.Type, D3DLIGHT_DIRECTIONAL);
    EXPECT_EQ(made.Direction.z, 1.0f);
    EXPECT_EQ(made.Diffuse.r, 1.0f);
    EXPECT_EQ(device->state().enabledLights(), (std::vector<DWORD>{0, 3}));
    BOOL enabled = TRUE;
    EXPECT_EQ(device->GetLightEnable(5, &enabled), D3DERR_INVALIDCALL);
    EXPECT_EQ(device->GetLight(5, &made), D3DERR_INVALIDCALL);

    D3DMATERIAL9 material{};
    material.Diffuse = material.Ambient = {1, 1, 1, 1};
    device->SetMaterial(&material);
    D3DMATERIAL9 back{};
    device->GetMaterial(&back);
    EXPECT_EQ(back.Ambient.g, 1.0f);
    EXPECT_EQ(back.Specular.r, 0.0f);
}

TEST_F(d3d9RecordingDevice, BoundResourcesAreHeldUntilUnbound) {
    ComPtr<IDirect3DTexture9> texture;
    ASSERT_EQ(
        device->CreateTexture(4, 4, 1, 0, D3DFMT_A8R8G8B8, D3DPOOL_MANAGED, texture.put(), nullptr),
        D3D_OK);
    device->SetTexture(0, texture.get());
    IDirect3DTexture9* raw = texture.get();
    EXPECT_EQ(raw->AddRef(), 3u); // ours, the device's, this probe
    raw->Release();
    texture.reset();
    EXPECT_EQ(raw->AddRef(), 2u); // the device keeps it alive
    raw->Release();

    ComPtr<IDirect3DBaseTexture9> bound;
    ASSERT_EQ(device->GetTexture(0, bound.put()), D3D_OK);
    EXPECT_EQ(bound.get(), raw);
    bound.reset();
    device->SetTexture(0, nullptr);
    EXPECT_EQ(device->GetTexture(0, bound.put()), D3D_OK);
    EXPECT_FALSE(bound);
}

TEST_F(d3d9RecordingDevice, LogsCallsInOrderWithReadableArguments) {
    const D3DMATRIX moved = translation(1, 2.5f, -3);
    bindGrid(4, {0, 1, 2, 2, 1, 3});
    device->clearLog();

    device->Clear(0, nullptr, D3DCLEAR_TARGET | D3DCLEAR_ZBUFFER, 0x008888DD, 1.0f, 0);
    device->BeginScene();
    device->SetRenderState(D3DRS_LIGHTING, TRUE);
    device->SetRenderState(D3DRS_AMBIENT, 0x008F8F8F);
    DWORD ignored = 0;
    device->GetRenderState(D3DRS_CULLMODE, &ignored);
    device->SetTransform(D3DTS_WORLD, &moved);
    device->SetStreamSource(0, vb.get(), 0, 32);
    device->SetTexture(0, nullptr);
    device->DrawIndexedPrimitive(D3DPT_TRIANGLELIST, 0, 0, 4, 0, 2);
    device->EndScene();
    device->Present(nullptr, nullptr, nullptr, nullptr);

    const std::vector<std::string> expected = {
        "Clear(0, null, D3DCLEAR_TARGET|D3DCLEAR_ZBUFFER, 0x008888DD, 1, 0)",
        "BeginScene()",
        "SetRenderState(D3DRS_LIGHTING, 1)",
        "SetRenderState(D3DRS_AMBIENT, 0x008F8F8F)",
        "SetTransform(D3DTS_WORLD, [1 0 0 0; 0 1 0 0; 0 0 1 0; 1 2.5 -3 1])",
        "SetStreamSource(0, VertexBuffer#1, 0, 32)",
        "SetTexture(0, null)",
        "DrawIndexedPrimitive(D3DPT_TRIANGLELIST, 0, 0, 4, 0, 2)",
        "EndScene()",
        "Present(null, null, null, null)",
    };
    EXPECT_EQ(device->log(), expected);
    const auto all = device->log(true);
    ASSERT_EQ(all.size(), expected.size() + 1);
    EXPECT_EQ(all[4], "GetRenderState(D3DRS_CULLMODE)");
    EXPECT_EQ(device->count("SetRenderState"), 2u);
    EXPECT_EQ(device->callsNamed("SetRenderState")[1]->args[1], "0x008F8F8F");
    for (const RecordedCall& call : device->calls()) {
        EXPECT_EQ(call.result, D3D_OK) << call.text();
    }

    device->clearLog();
    EXPECT_TRUE(device->calls().empty());
    EXPECT_TRUE(device->draws().empty());
    EXPECT_EQ(device->state().renderState(D3DRS_AMBIENT), 0x008F8F8Fu); // state stays
}

TEST_F(d3d9RecordingDevice, LogsCreationsWithTheLabelOfWhatWasMade) {
    ComPtr<IDirect3DTexture9> texture;
    EXPECT_EQ(device->CreateTexture(64, 32, 0, 0, D3DFMT_A1R5G5B5, D3DPOOL_MANAGED, texture.put(),
                                    nullptr),
              S_OK);
    EXPECT_EQ(device->CreateTexture(0, 32, 0, 0, D3DFMT_A1R5G5B5, D3DPOOL_MANAGED, texture.put(),
                                    nullptr),
              D3DERR_INVALIDCALL);
    vertexBuffer(3);
    ASSERT_EQ(device->calls().size(), 3u);
    EXPECT_EQ(device->calls()[0].text(),
              "CreateTexture(64, 32, 0, 0, D3DFMT_A1R5G5B5, D3DPOOL_MANAGED)");
    EXPECT_EQ(device->calls()[0].created, "Texture#1");
    EXPECT_EQ(device->calls()[1].result, D3DERR_INVALIDCALL);
    EXPECT_TRUE(device->calls()[1].created.empty());
    EXPECT_FALSE(texture);
    EXPECT_EQ(device->calls()[2].text(),
              "CreateVertexBuffer(96, D3DUSAGE_WRITEONLY, 0x112, D3DPOOL_MANAGED)");
    EXPECT_EQ(device->calls()[2].created, "VertexBuffer#1");
}

TEST_F(d3d9RecordingDevice, EachDrawKeepsTheStateOfItsMoment) {
    bindGrid(4, {0, 1, 2, 2, 1, 3});
    ComPtr<IDirect3DTexture9> road;
    EXPECT_EQ(
        device->CreateTexture(8, 8, 0, 0, D3DFMT_A1R5G5B5, D3DPOOL_MANAGED, road.put(), nullptr),
        S_OK);
    const D3DMATRIX first = translation(5, 0, 0);
    const D3DMATRIX second = translation(0, 7, 0);

    device->BeginScene();
    device->SetTransform(D3DTS_WORLD, &first);
    device->SetTexture(0, road.get());
    device->SetRenderState(D3DRS_CULLMODE, D3DCULL_CCW);
    device->DrawIndexedPrimitive(D3DPT_TRIANGLELIST, 0, 0, 4, 0, 2);
    device->SetTransform(D3DTS_WORLD, &second);
    device->SetTexture(0, nullptr);
    device->SetRenderState(D3DRS_LIGHTING, FALSE);
    device->DrawPrimitive(D3DPT_TRIANGLESTRIP, 0, 2);
    device->EndScene();

    const auto& draws = device->draws();
    ASSERT_EQ(draws.size(), 2u);
    EXPECT_EQ(draws[0].method, "DrawIndexedPrimitive");
    EXPECT_EQ(draws[0].world()._41, 5.0f);
    EXPECT_EQ(draws[0].textureLabel(), "Texture#1");
    EXPECT_EQ(draws[0].texture(), road.get());
    EXPECT_EQ(draws[0].renderState(D3DRS_LIGHTING), 1u);
    EXPECT_EQ(draws[0].state.fvf, kGridFvf);
    EXPECT_EQ(draws[0].state.streams[0].stride, 32u);
    EXPECT_EQ(draws[0].state.streams[0].buffer.get(), vb.get());
    EXPECT_EQ(draws[0].state.indices.get(), ib.get());
    EXPECT_EQ(draws[0].call.primitiveType, D3DPT_TRIANGLELIST);
    EXPECT_EQ(draws[0].call.primitiveCount, 2u);
    EXPECT_EQ(draws[0].call.elementCount, 6u);

    EXPECT_EQ(draws[1].world()._42, 7.0f);
    EXPECT_EQ(draws[1].texture(), nullptr);
    EXPECT_EQ(draws[1].renderState(D3DRS_LIGHTING), 0u);
    EXPECT_EQ(draws[1].call.kind, DrawCall::Kind::Primitive);

    for (std::size_t i = 0; i < draws.size(); ++i) {
        const RecordedCall& call = device->calls()[draws[i].callIndex];
        EXPECT_EQ(call.method, draws[i].method);
        EXPECT_EQ(call.draw, i);
    }
}

TEST_F(d3d9RecordingDevice, UserPointerDrawsCopyTheirDataAndUnbindTheStream) {
    bindGrid(4, {0, 1, 2});
    struct Vertex {
        float x, y, z;
        DWORD colour;
        float u, v;
    };
    Vertex quad[4] = {{0, 0, 0, 0xFFFFFFFF, 0, 1},
                      {0, 8, 0, 0xFFFFFFFF, 0, 0},
                      {16, 0, 0, 0xFFFFFFFF, 1, 1},
                      {16, 8, 0, 0xFFFFFFFF, 1, 0}};
    device->SetFVF(D3DFVF_XYZ | D3DFVF_DIFFUSE | D3DFVF_TEX1);
    device->BeginScene();
    ASSERT_EQ(device->DrawPrimitiveUP(D3DPT_TRIANGLESTRIP, 2, quad, sizeof(Vertex)), D3D_OK);
    quad[3].x = -1; // the caller reuses its memory

    const DrawSnapshot& draw = device->draws().back();
    ASSERT_EQ(draw.userVertices.size(), sizeof quad);
    Vertex copied[4];
    std::memcpy(copied, draw.userVertices.data(), sizeof copied);
    EXPECT_EQ(copied[3].x, 16.0f);
    EXPECT_EQ(draw.call.userVertices, nullptr);
    EXPECT_EQ(draw.state.streams[0].buffer.get(), vb.get()); // as it was during the draw
    EXPECT_FALSE(device->state().streams[0].buffer);         // unbound afterwards
    EXPECT_TRUE(device->state().indices);

    const WORD corners[] = {1, 2, 3};
    ASSERT_EQ(device->DrawIndexedPrimitiveUP(D3DPT_TRIANGLELIST, 1, 3, 1, corners, D3DFMT_INDEX16,
                                             quad, sizeof(Vertex)),
              D3D_OK);
    EXPECT_EQ(device->draws().back().userVertices.size(), 4 * sizeof(Vertex));
    EXPECT_EQ(device->draws().back().userIndices.size(), sizeof corners);
    EXPECT_FALSE(device->state().indices);
}

TEST_F(d3d9RecordingDevice, RefusesDrawsThatWouldReadOutsideTheirData) {
    bindGrid(4, {0, 1, 2, 2, 1, 4}); // index 4 lies past the last vertex
    EXPECT_EQ(device->DrawPrimitive(D3DPT_TRIANGLELIST, 0, 1), D3DERR_INVALIDCALL); // no scene
    device->BeginScene();
    EXPECT_EQ(device->DrawPrimitive(D3DPT_TRIANGLELIST, 0, 1), D3D_OK);
    EXPECT_EQ(device->DrawPrimitive(D3DPT_TRIANGLELIST, 2, 1), D3DERR_INVALIDCALL);
    EXPECT_EQ(device->DrawPrimitive(D3DPT_TRIANGLESTRIP, 0, 0), D3DERR_INVALIDCALL);
    EXPECT_EQ(device->DrawIndexedPrimitive(D3DPT_TRIANGLELIST, 0, 0, 4, 0, 1), D3D_OK);
    EXPECT_EQ(device->DrawIndexedPrimitive(D3DPT_TRIANGLELIST, 0, 0, 4, 0, 2), D3DERR_INVALIDCALL);
    EXPECT_EQ(device->DrawIndexedPrimitive(D3DPT_TRIANGLELIST, 1, 0, 3, 0, 1), D3D_OK);
    EXPECT_EQ(device->DrawIndexedPrimitive(D3DPT_TRIANGLELIST, 2, 0, 2, 0, 1), D3DERR_INVALIDCALL);
    EXPECT_EQ(device->DrawIndexedPrimitive(D3DPT_TRIANGLELIST, 0, 0, 4, 4, 1), D3DERR_INVALIDCALL);

    device->SetStreamSource(0, vb.get(), 0, 24); // narrower than the vertex format
    EXPECT_EQ(device->DrawPrimitive(D3DPT_POINTLIST, 0, 1), D3DERR_INVALIDCALL);
    device->SetStreamSource(0, vb.get(), 32, 32); // the offset leaves three vertices
    EXPECT_EQ(device->DrawPrimitive(D3DPT_TRIANGLELIST, 0, 1), D3D_OK);
    EXPECT_EQ(device->DrawPrimitive(D3DPT_POINTLIST, 0, 4), D3DERR_INVALIDCALL);

    device->SetStreamSource(0, vb.get(), 0, 32);
    void* data = nullptr;
    ASSERT_EQ(vb->Lock(0, 0, &data, 0), D3D_OK);
    EXPECT_EQ(device->DrawPrimitive(D3DPT_POINTLIST, 0, 1), D3DERR_INVALIDCALL);
    vb->Unlock();
    device->SetIndices(nullptr);
    EXPECT_EQ(device->DrawIndexedPrimitive(D3DPT_TRIANGLELIST, 0, 0, 4, 0, 1), D3DERR_INVALIDCALL);
    device->SetFVF(0);
    EXPECT_EQ(device->DrawPrimitive(D3DPT_POINTLIST, 0, 1), D3DERR_INVALIDCALL);

    const float xyz[9] = {};
    const WORD outOfRange[] = {0, 1, 3};
    device->SetFVF(D3DFVF_XYZ);
    EXPECT_EQ(device->DrawIndexedPrimitiveUP(D3DPT_TRIANGLELIST, 0, 3, 1, outOfRange,
                                             D3DFMT_INDEX16, xyz, 12),
              D3DERR_INVALIDCALL);

    // Only the draws the device accepted have snapshots; every call is in the log.
    EXPECT_EQ(device->draws().size(), 4u);
    EXPECT_EQ(device->count("DrawPrimitive") + device->count("DrawIndexedPrimitive") +
                  device->count("DrawIndexedPrimitiveUP"),
              16u);
}

// --- instancing ---------------------------------------------------------------------

// A buffer of world matrices `stride` bytes apart, ending where the last one does.
ComPtr<IDirect3DVertexBuffer9> matrixBuffer(IDirect3DDevice9* device,
                                            const std::vector<D3DMATRIX>& worlds, UINT stride) {
    ComPtr<IDirect3DVertexBuffer9> buffer;
    const auto size = static_cast<UINT>((worlds.size() - 1) * stride + sizeof(D3DMATRIX));
    EXPECT_EQ(device->CreateVertexBuffer(size, D3DUSAGE_WRITEONLY, 0, D3DPOOL_MANAGED, buffer.put(),
                                         nullptr),
              D3D_OK);
    void* data = nullptr;
    EXPECT_EQ(buffer->Lock(0, 0, &data, 0), D3D_OK);
    for (std::size_t i = 0; i < worlds.size(); ++i) {
        std::memcpy(static_cast<BYTE*>(data) + i * stride, &worlds[i], sizeof(D3DMATRIX));
    }
    buffer->Unlock();
    return buffer;
}

// Three placements, told apart by their x.
std::vector<D3DMATRIX> threePlacements() {
    return {translation(1, 0, 0), translation(2, 0, 0), translation(3, 0, 0)};
}

TEST_F(d3d9RecordingDevice, InstancedDrawRecordsTheWorldOfEveryInstance) {
    struct Case {
        const char* name;
        UINT instances;
        UINT perElement; // the INSTANCEDATA count
        UINT offset;
        UINT stride;
        std::vector<float> drawnX; // the x of each instance's world
    };
    const Case cases[] = {
        {"one matrix each", 3, 1, 0, 64, {1, 2, 3}},
        {"spaced, from an offset", 2, 1, 80, 80, {2, 3}},
        {"each matrix for two instances", 5, 2, 0, 64, {1, 1, 2, 2, 3}},
    };
    bindGrid(4, {0, 1, 2, 2, 1, 3});
    const D3DMATRIX unused = translation(99, 0, 0);
    device->SetTransform(D3DTS_WORLD, &unused);
    device->BeginScene();
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const auto worlds = matrixBuffer(device.get(), threePlacements(), c.stride);
        ASSERT_EQ(device->SetStreamSourceFreq(0, D3DSTREAMSOURCE_INDEXEDDATA | c.instances),
                  D3D_OK);
        ASSERT_EQ(device->SetStreamSourceFreq(1, D3DSTREAMSOURCE_INSTANCEDATA | c.perElement),
                  D3D_OK);
        device->SetStreamSource(1, worlds.get(), c.offset, c.stride);
        ASSERT_EQ(device->DrawIndexedPrimitive(D3DPT_TRIANGLELIST, 0, 0, 4, 0, 2), D3D_OK);

        const DrawSnapshot& draw = device->draws().back();
        EXPECT_EQ(draw.call.instances, c.instances);
        std::vector<float> drawnX;
        for (const D3DMATRIX& world : draw.worlds()) {
            drawnX.push_back(world._41);
        }
        EXPECT_EQ(drawnX, c.drawnX);
        EXPECT_EQ(draw.world()._41, c.drawnX.front());
    }

    // The record keeps the matrices of the moment; instancing off, a draw is one object
    // under D3DTS_WORLD again.
    const auto before = device->draws().back().worlds()[0];
    const std::vector<D3DMATRIX> moved = {translation(7, 0, 0)};
    void* data = nullptr;
    ASSERT_EQ(device->draws().back().state.streams[1].buffer->Lock(0, 0, &data, 0), D3D_OK);
    std::memcpy(data, moved.data(), sizeof(D3DMATRIX));
    device->draws().back().state.streams[1].buffer->Unlock();
    EXPECT_EQ(device->draws().back().worlds()[0]._41, before._41);
    device->SetStreamSourceFreq(0, 1);
    ASSERT_EQ(device->DrawIndexedPrimitive(D3DPT_TRIANGLELIST, 0, 0, 4, 0, 2), D3D_OK);
    ASSERT_EQ(device->draws().back().worlds().size(), 1u);
    EXPECT_EQ(device->draws().back().world()._41, 99.0f);
    EXPECT_FALSE(device->draws().back().call.instanced());

    EXPECT_EQ(device->callsNamed("SetStreamSourceFreq")[0]->text(),
              "SetStreamSourceFreq(0, D3DSTREAMSOURCE_INDEXEDDATA|3)");
    UINT setting = 0;
    ASSERT_EQ(device->GetStreamSourceFreq(1, &setting), D3D_OK);
    EXPECT_EQ(setting, D3DSTREAMSOURCE_INSTANCEDATA | 2);
    // A new back buffer stands in for a reset, which turns instancing off.
    device->resizeBackBuffer(320, 240);
    ASSERT_EQ(device->GetStreamSourceFreq(1, &setting), D3D_OK);
    EXPECT_EQ(setting, 1u);
}

TEST_F(d3d9RecordingDevice, InstancingRefusesWhatItCannotDrawAndChangesNothing) {
    constexpr UINT kIndexed = D3DSTREAMSOURCE_INDEXEDDATA;
    constexpr UINT kInstance = D3DSTREAMSOURCE_INSTANCEDATA;
    enum class Draw { None, Indexed, Primitive, IndexedFromMemory };
    // With two instances of two matrices set up, one more setting, then a draw (None: the
    // setting itself is refused).
    struct Case {
        const char* name;
        UINT stream;
        UINT setting;
        Draw draw;
        UINT matrices = 2; // in stream 1; 0 binds no buffer
        UINT stride = 64;
        bool locked = false;
    };
    const Case cases[] = {
        {"no instances", 0, kIndexed | 0, Draw::None},
        {"instance data on stream 0", 0, kInstance | 1, Draw::None},
        {"indexed data on stream 1", 1, kIndexed | 2, Draw::None},
        {"instance data on stream 2", 2, kInstance | 1, Draw::None},
        {"a count without a flag", 0, 2, Draw::None},
        {"both flags", 0, kIndexed | kInstance | 1, Draw::None},
        {"a stream past the last", kMaxStreams, 1, Draw::None},
        {"stream 1 not instance data", 1, 1, Draw::Indexed},
        {"no instance buffer", 0, kIndexed | 2, Draw::Indexed, 0},
        {"a stride shorter than a matrix", 0, kIndexed | 2, Draw::Indexed, 4, 48},
        {"fewer matrices than instances", 0, kIndexed | 3, Draw::Indexed},
        {"the matrices locked", 0, kIndexed | 2, Draw::Indexed, 2, 64, true},
        {"a draw without indices", 0, kIndexed | 2, Draw::Primitive},
        {"a draw from the caller's memory", 0, kIndexed | 2, Draw::IndexedFromMemory},
    };
    const WORD corners[] = {0, 1, 2};
    const BYTE vertices[3 * 32] = {};
    const auto draw = [&](Draw kind) {
        switch (kind) {
        case Draw::Primitive:
            return device->DrawPrimitive(D3DPT_TRIANGLELIST, 0, 1);
        case Draw::IndexedFromMemory:
            return device->DrawIndexedPrimitiveUP(D3DPT_TRIANGLELIST, 0, 3, 1, corners,
                                                  D3DFMT_INDEX16, vertices, 32);
        default:
            return device->DrawIndexedPrimitive(D3DPT_TRIANGLELIST, 0, 0, 4, 0, 2);
        }
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        device = RecordingDevice::create(640, 480);
        bindGrid(4, {0, 1, 2, 2, 1, 3});
        device->BeginScene();
        if (c.matrices > 0) {
            const auto worlds = matrixBuffer(
                device.get(), std::vector<D3DMATRIX>(c.matrices, identityMatrix()), c.stride);
            device->SetStreamSource(1, worlds.get(), 0, c.stride);
            void* data = nullptr;
            ASSERT_TRUE(!c.locked || worlds->Lock(0, 0, &data, 0) == D3D_OK);
        }
        ASSERT_EQ(device->SetStreamSourceFreq(1, kInstance | 1), D3D_OK);
        ASSERT_EQ(device->SetStreamSourceFreq(0, kIndexed | 2), D3D_OK);
        const auto before = device->state().streamFrequencies;
        if (c.draw == Draw::None) {
            EXPECT_EQ(device->SetStreamSourceFreq(c.stream, c.setting), D3DERR_INVALIDCALL);
            EXPECT_EQ(device->state().streamFrequencies, before);
            continue;
        }
        ASSERT_EQ(device->SetStreamSourceFreq(c.stream, c.setting), D3D_OK);
        EXPECT_EQ(draw(c.draw), D3DERR_INVALIDCALL);
        EXPECT_TRUE(device->draws().empty());
        // Refused for instancing's sake, not for a fault of the draw itself.
        device->SetStreamSourceFreq(0, 1);
        if (c.locked) {
            device->state().streams[1].buffer->Unlock();
        }
        EXPECT_EQ(draw(c.draw), D3D_OK);
    }
    UINT setting = 0;
    EXPECT_EQ(device->GetStreamSourceFreq(kMaxStreams, &setting), D3DERR_INVALIDCALL);
}

TEST_F(d3d9RecordingDevice, SceneBracketMustBeBalanced) {
    EXPECT_EQ(device->EndScene(), D3DERR_INVALIDCALL);
    EXPECT_EQ(device->BeginScene(), D3D_OK);
    EXPECT_EQ(device->BeginScene(), D3DERR_INVALIDCALL);
    EXPECT_EQ(device->Present(nullptr, nullptr, nullptr, nullptr), D3DERR_INVALIDCALL);
    EXPECT_EQ(device->EndScene(), D3D_OK);
    EXPECT_EQ(device->Present(nullptr, nullptr, nullptr, nullptr), D3D_OK);
    EXPECT_EQ(device->Clear(1, nullptr, D3DCLEAR_TARGET, 0, 1.0f, 0), D3DERR_INVALIDCALL);
    EXPECT_EQ(device->Clear(0, nullptr, D3DCLEAR_ZBUFFER, 0, 1.5f, 0), D3DERR_INVALIDCALL);
}

TEST_F(d3d9RecordingDevice, BeginSceneFailsOnDemand) {
    bindGrid(3, {0, 1, 2});
    device->setBeginSceneResult(D3DERR_DEVICELOST);
    EXPECT_EQ(device->BeginScene(), D3DERR_DEVICELOST);
    EXPECT_FALSE(device->state().inScene);
    EXPECT_EQ(device->DrawPrimitive(D3DPT_TRIANGLELIST, 0, 1), D3DERR_INVALIDCALL);
    EXPECT_EQ(device->EndScene(), D3DERR_INVALIDCALL);
    EXPECT_EQ(device->calls()[device->calls().size() - 3].result, D3DERR_DEVICELOST);
    EXPECT_TRUE(device->draws().empty());

    device->setBeginSceneResult(D3D_OK);
    EXPECT_EQ(device->BeginScene(), D3D_OK);
}

TEST_F(d3d9RecordingDevice, CreationFailsOnDemandForTheChosenKinds) {
    device->failCreation(E_OUTOFMEMORY, RecordingDevice::CreateTextures, 1);
    ComPtr<IDirect3DTexture9> first;
    ComPtr<IDirect3DTexture9> second;
    EXPECT_EQ(
        device->CreateTexture(4, 4, 1, 0, D3DFMT_A8R8G8B8, D3DPOOL_MANAGED, first.put(), nullptr),
        D3D_OK);
    EXPECT_EQ(
        device->CreateTexture(4, 4, 1, 0, D3DFMT_A8R8G8B8, D3DPOOL_MANAGED, second.put(), nullptr),
        E_OUTOFMEMORY);
    EXPECT_TRUE(first);
    EXPECT_FALSE(second);
    EXPECT_EQ(device->calls().back().result, E_OUTOFMEMORY);
    EXPECT_TRUE(vertexBuffer(3)); // other kinds still succeed

    device->failCreation();
    ComPtr<IDirect3DIndexBuffer9> indices;
    EXPECT_EQ(
        device->CreateIndexBuffer(6, 0, D3DFMT_INDEX16, D3DPOOL_MANAGED, indices.put(), nullptr),
        D3DERR_OUTOFVIDEOMEMORY);
    device->stopFailingCreation();
    EXPECT_EQ(
        device->CreateIndexBuffer(6, 0, D3DFMT_INDEX16, D3DPOOL_MANAGED, indices.put(), nullptr),
        D3D_OK);
    // Labels count only what was made.
    EXPECT_EQ(device->calls().back().created, "IndexBuffer#1");
}

TEST_F(d3d9RecordingDevice, LostDeviceRefusesToPresent) {
    device->setDeviceStatus(D3DERR_DEVICELOST);
    EXPECT_EQ(device->TestCooperativeLevel(), D3DERR_DEVICELOST);
    EXPECT_EQ(device->Present(nullptr, nullptr, nullptr, nullptr), D3DERR_DEVICELOST);
    device->setDeviceStatus(D3DERR_DEVICENOTRESET);
    EXPECT_EQ(device->TestCooperativeLevel(), D3DERR_DEVICENOTRESET);
    device->setDeviceStatus(D3D_OK);
    EXPECT_EQ(device->Present(nullptr, nullptr, nullptr, nullptr), D3D_OK);
}

TEST_F(d3d9RecordingDevice, ClearingTheLogReleasesWhatSnapshotsHeld) {
    bindGrid(3, {0, 1, 2});
    ComPtr<IDirect3DTexture9> texture;
    EXPECT_EQ(
        device->CreateTexture(4, 4, 1, 0, D3DFMT_A8R8G8B8, D3DPOOL_MANAGED, texture.put(), nullptr),
        S_OK);
    device->SetTexture(0, texture.get());
    device->BeginScene();
    device->DrawPrimitive(D3DPT_TRIANGLELIST, 0, 1);
    device->EndScene();
    device->SetTexture(0, nullptr);
    EXPECT_EQ(texture->AddRef(), 3u); // ours, the snapshot's, this probe
    texture->Release();
    device->clearLog();
    EXPECT_EQ(texture->AddRef(), 2u);
    texture->Release();
}

} // namespace
