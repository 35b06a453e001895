// The GL device under a headless context: small scenes whose pixels show that the
// fixed-function state means what it means in Direct3D.
#include "render_fixture.h"

#include "d3dx9/d3dx9math.h"
#include "d3dx9/d3dx9tex.h"

#include <epoxy/gl.h>

#include <cmath>

namespace {

constexpr D3DCOLOR kBlack = 0xFF000000;
constexpr D3DCOLOR kRed = 0xFFFF0000;
constexpr D3DCOLOR kGreen = 0xFF00FF00;
constexpr D3DCOLOR kBlue = 0xFF0000FF;
constexpr D3DCOLOR kWhite = 0xFFFFFFFF;
constexpr D3DCOLOR kGrey = 0xFF404040;

D3DLIGHT9 directionalLight(float x, float y, float z) {
    D3DLIGHT9 light{};
    light.Type = D3DLIGHT_DIRECTIONAL;
    light.Diffuse = {1, 1, 1, 1};
    light.Direction = {x, y, z};
    return light;
}

using glDevice = GLRenderTest;

TEST_F(glDevice, ClearFillsTheViewportOrTheRectanglesInsideIt) {
    clear(0xFF336699);
    // A viewport in the top-left quarter: rows count from the top, as in Direct3D.
    const D3DVIEWPORT9 quarter{0, 0, 32, 32, 0.0f, 1.0f};
    ASSERT_EQ(device->SetViewport(&quarter), D3D_OK);
    clear(kRed);
    const D3DRECT outside{40, 0, 64, 8};
    const D3DRECT inside{0, 0, 4, 4};
    ASSERT_EQ(device->Clear(1, &outside, D3DCLEAR_TARGET, kGreen, 1.0f, 0), D3D_OK);
    ASSERT_EQ(device->Clear(1, &inside, D3DCLEAR_TARGET, kBlue, 1.0f, 0), D3D_OK);
    capture();
    EXPECT_TRUE(pixelNear(2, 2, kBlue, 0));
    EXPECT_TRUE(pixelNear(31, 31, kRed, 0));
    EXPECT_TRUE(pixelNear(32, 10, 0xFF336699, 0));
    EXPECT_TRUE(pixelNear(10, 40, 0xFF336699, 0));
    EXPECT_TRUE(pixelNear(50, 4, 0xFF336699, 0));
}

TEST_F(glDevice, UnlitTrianglesShowTheirVertexColourOrWhite) {
    unlit();
    frame(kBlack, [&] {
        const ColourVertex green[3] = {
            {-1, 0, 0.5f, kGreen}, {0, 1, 0.5f, kGreen}, {1, 0, 0.5f, kGreen}};
        drawUp(D3DPT_TRIANGLELIST, 1, green, kColourFvf);
        // Without a diffuse colour in the format, vertices are white.
        const D3DVECTOR plain[3] = {{-1, -1, 0.5f}, {-1, 0, 0.5f}, {1, -1, 0.5f}};
        drawUp(D3DPT_TRIANGLELIST, 1, plain, D3DFVF_XYZ);
    });
    EXPECT_TRUE(pixelNear(32, 24, kGreen, 0));
    EXPECT_TRUE(pixelNear(8, 60, kWhite, 0));
    EXPECT_TRUE(pixelNear(2, 2, kBlack, 0));
    EXPECT_TRUE(pixelNear(60, 40, kBlack, 0));
}

TEST_F(glDevice, LightingAddsTheAmbientTermToTheDiffuseTermOfTheDirectionalLight) {
    D3DMATERIAL9 material{};
    material.Diffuse = {1, 0, 0, 1};
    material.Ambient = {0, 0, 1, 1};
    device->SetMaterial(&material);
    device->SetRenderState(D3DRS_AMBIENT, 0x00000080);
    device->LightEnable(0, TRUE);
    // A quad facing the eye: its normal points back along -z.
    const LitVertex v[4] = {{-1, 1, 0.5f, 0, 0, -1, 0, 0},
                            {1, 1, 0.5f, 0, 0, -1, 1, 0},
                            {-1, -1, 0.5f, 0, 0, -1, 0, 1},
                            {1, -1, 0.5f, 0, 0, -1, 1, 1}};
    const auto lit = [&](const D3DLIGHT9& light) {
        device->SetLight(0, &light);
        frame(kBlack, [&] { drawUp(D3DPT_TRIANGLESTRIP, 2, v, kLitFvf); });
        return pixel(32, 32);
    };
    EXPECT_TRUE(lit(directionalLight(0, 0, 1)).near({255, 0, 128}, 2));               // head on
    EXPECT_TRUE(lit(directionalLight(0, std::sqrt(3.0f), 1)).near({128, 0, 128}, 2)); // 60 deg
    EXPECT_TRUE(lit(directionalLight(0, 0, -1)).near({0, 0, 128}, 2));                // from behind
    // A second light adds its own term; each count of lights draws with a program of
    // its own, so the count must follow the lights enabled from draw to draw.
    const D3DLIGHT9 second = directionalLight(0, std::sqrt(3.0f), 1);
    device->SetLight(1, &second);
    device->LightEnable(1, TRUE);
    EXPECT_TRUE(lit(directionalLight(0, 0, -1)).near({128, 0, 128}, 2));
    device->LightEnable(1, FALSE);
    EXPECT_TRUE(lit(directionalLight(0, 0, -1)).near({0, 0, 128}, 2));
    device->LightEnable(0, FALSE);
    EXPECT_TRUE(lit(directionalLight(0, 0, 1)).near({0, 0, 128}, 2));

    // The normal goes through the world matrix: pointing up, turned towards the eye.
    const LitVertex up[4] = {{-1, 1, 0.5f, 0, 1, 0, 0, 0},
                             {1, 1, 0.5f, 0, 1, 0, 1, 0},
                             {-1, -1, 0.5f, 0, 1, 0, 0, 1},
                             {1, -1, 0.5f, 0, 1, 0, 1, 1}};
    D3DXMATRIX rotation;
    D3DXMATRIX undo; // keeps the positions where they are
    D3DXMatrixRotationX(&rotation, -D3DX_PI / 2);
    D3DXMatrixInverse(&undo, nullptr, &rotation);
    device->SetTransform(D3DTS_WORLD, &rotation);
    device->SetTransform(D3DTS_VIEW, &undo);
    device->LightEnable(0, TRUE);
    frame(kBlack, [&] { drawUp(D3DPT_TRIANGLESTRIP, 2, up, kLitFvf); });
    EXPECT_TRUE(pixel(32, 32).near({255, 0, 128}, 2));
}

TEST_F(glDevice, LitVerticesWithoutNormalsKeepAmbientAndTheVertexAlpha) {
    // A billboard drawn with lighting on: no normal, so no diffuse light; the diffuse
    // material (and with it the alpha) comes from the vertex colour.
    D3DMATERIAL9 material{};
    material.Diffuse = {1, 1, 1, 1};
    material.Ambient = {1, 1, 1, 1};
    device->SetMaterial(&material);
    device->SetRenderState(D3DRS_AMBIENT, 0x008F8F8F);
    const D3DLIGHT9 light = directionalLight(0, 0, 1);
    device->SetLight(0, &light);
    device->LightEnable(0, TRUE);
    device->SetRenderState(D3DRS_ALPHABLENDENABLE, TRUE);
    device->SetRenderState(D3DRS_SRCBLEND, D3DBLEND_SRCALPHA);
    device->SetRenderState(D3DRS_DESTBLEND, D3DBLEND_INVSRCALPHA);
    frame(kBlack, [&] { quad(-1, -1, 1, 1, 0.5f, 0x80FF0000); });
    EXPECT_TRUE(pixelNear(32, 32, 0xFF484848, 2));
    // With the material as the source, the vertex colour plays no part.
    device->SetRenderState(D3DRS_DIFFUSEMATERIALSOURCE, D3DMCS_MATERIAL);
    frame(kBlack, [&] { quad(-1, -1, 1, 1, 0.5f, 0x80FF0000); });
    EXPECT_TRUE(pixelNear(32, 32, 0xFF8F8F8F, 2));
}

TEST_F(glDevice, FlatShadingTakesTheFirstVertexColourAndGouraudBlends) {
    unlit();
    const ColourVertex v[3] = {{-1, -1, 0.5f, kRed}, {0, 1, 0.5f, kGreen}, {1, -1, 0.5f, kBlue}};
    device->SetRenderState(D3DRS_SHADEMODE, D3DSHADE_FLAT);
    frame(kBlack, [&] { drawUp(D3DPT_TRIANGLELIST, 1, v, kColourFvf); });
    EXPECT_TRUE(pixelNear(32, 40, kRed, 0));
    EXPECT_TRUE(pixelNear(55, 60, kRed, 0));
    EXPECT_TRUE(pixelNear(32, 10, kRed, 0));

    device->SetRenderState(D3DRS_SHADEMODE, D3DSHADE_GOURAUD);
    frame(kBlack, [&] { drawUp(D3DPT_TRIANGLELIST, 1, v, kColourFvf); });
    const Rgb centre = pixel(32, 40);
    EXPECT_TRUE(centre.r > 40 && centre.g > 40 && centre.b > 40) << centre;
    EXPECT_GT(pixel(4, 62).r, 200); // near the red corner
}

TEST_F(glDevice, CullModeRemovesTheWindingItNamesAsSeenOnScreen) {
    unlit();
    // Left: clockwise on screen (Direct3D's front faces). Right: counter-clockwise.
    const ColourVertex clockwise[3] = {
        {-1, -1, 0.5f, kRed}, {-0.5f, 1, 0.5f, kRed}, {0, -1, 0.5f, kRed}};
    const ColourVertex counter[3] = {
        {0, -1, 0.5f, kGreen}, {1, -1, 0.5f, kGreen}, {0.5f, 1, 0.5f, kGreen}};
    const auto draw = [&](DWORD cull) {
        device->SetRenderState(D3DRS_CULLMODE, cull);
        frame(kBlack, [&] {
            drawUp(D3DPT_TRIANGLELIST, 1, clockwise, kColourFvf);
            drawUp(D3DPT_TRIANGLELIST, 1, counter, kColourFvf);
        });
        return std::pair{pixel(16, 48).r > 0, pixel(48, 48).g > 0};
    };
    EXPECT_EQ(draw(D3DCULL_CCW), std::pair(true, false)); // Direct3D's default
    EXPECT_EQ(draw(D3DCULL_CW), std::pair(false, true));
    EXPECT_EQ(draw(D3DCULL_NONE), std::pair(true, true));

    // Screen-space vertices, rows growing downwards, by the same rule.
    device->SetRenderState(D3DRS_CULLMODE, D3DCULL_CCW);
    const ScreenVertex screenClockwise[3] = {
        {0, 0, 0.5f, 1, kRed}, {60, 0, 0.5f, 1, kRed}, {0, 60, 0.5f, 1, kRed}};
    const ScreenVertex screenCounter[3] = {
        {0, 0, 0.5f, 1, kRed}, {0, 60, 0.5f, 1, kRed}, {60, 0, 0.5f, 1, kRed}};
    frame(kBlack, [&] { drawUp(D3DPT_TRIANGLELIST, 1, screenClockwise, kScreenFvf); });
    EXPECT_TRUE(pixelNear(10, 10, kRed, 0));
    frame(kBlack, [&] { drawUp(D3DPT_TRIANGLELIST, 1, screenCounter, kScreenFvf); });
    EXPECT_TRUE(pixelNear(10, 10, kBlack, 0));
}

TEST_F(glDevice, ScreenSpaceVerticesHitPixelCentresAtWholeCoordinatesInTheViewport) {
    // Direct3D 9 puts pixel centres on whole coordinates: this quad covers exactly the
    // pixels 0..31 across and 0..15 down.
    const ScreenVertex v[4] = {{-0.5f, -0.5f, 0, 1, kRed},
                               {31.5f, -0.5f, 0, 1, kRed},
                               {-0.5f, 15.5f, 0, 1, kRed},
                               {31.5f, 15.5f, 0, 1, kRed}};
    frame(kBlack, [&] { drawUp(D3DPT_TRIANGLESTRIP, 2, v, kScreenFvf); });
    EXPECT_TRUE(pixelNear(0, 0, kRed, 0));
    EXPECT_TRUE(pixelNear(31, 15, kRed, 0));
    EXPECT_TRUE(pixelNear(32, 15, kBlack, 0));
    EXPECT_TRUE(pixelNear(31, 16, kBlack, 0));

    // A viewport counts its rows from the top too.
    unlit();
    const D3DVIEWPORT9 bottomRight{32, 32, 32, 32, 0.0f, 1.0f};
    ASSERT_EQ(device->SetViewport(&bottomRight), D3D_OK);
    frame(kBlack, [&] { quad(-1, -1, 1, 1, 0.5f, kGreen); });
    EXPECT_TRUE(pixelNear(40, 40, kGreen, 0));
    EXPECT_TRUE(pixelNear(40, 20, kBlack, 0));
    EXPECT_TRUE(pixelNear(20, 40, kBlack, 0));
}

TEST_F(glDevice, WireframeDrawsEdgesAndLinesAndPointsLightTheirPixels) {
    unlit();
    device->SetRenderState(D3DRS_FILLMODE, D3DFILL_WIREFRAME);
    frame(kBlack, [&] { quad(-0.5f, -0.5f, 0.5f, 0.5f, 0.5f, kWhite); });
    EXPECT_TRUE(pixelNear(40, 36, kBlack, 0));                           // inside, off the diagonal
    EXPECT_GT(pixel(32, 15).r + pixel(32, 16).r + pixel(32, 17).r, 128); // the top edge

    device->SetRenderState(D3DRS_FILLMODE, D3DFILL_SOLID);
    const ScreenVertex line[2] = {{4, 10, 0.5f, 1, kRed}, {60, 10, 0.5f, 1, kRed}};
    const ScreenVertex strip[3] = {
        {4, 20, 0.5f, 1, kGreen}, {60, 20, 0.5f, 1, kGreen}, {60, 50, 0.5f, 1, kGreen}};
    const ScreenVertex points[2] = {{30, 40, 0.5f, 1, kBlue}, {40, 40, 0.5f, 1, kBlue}};
    frame(kBlack, [&] {
        drawUp(D3DPT_LINELIST, 1, line, kScreenFvf);
        drawUp(D3DPT_LINESTRIP, 2, strip, kScreenFvf);
        drawUp(D3DPT_POINTLIST, 2, points, kScreenFvf);
    });
    EXPECT_TRUE(pixelNear(32, 10, kRed, 0));
    EXPECT_TRUE(pixelNear(32, 11, kBlack, 0));
    EXPECT_TRUE(pixelNear(32, 20, kGreen, 0));
    EXPECT_TRUE(pixelNear(60, 35, kGreen, 0));
    EXPECT_TRUE(pixelNear(30, 40, kBlue, 0));
    EXPECT_TRUE(pixelNear(35, 40, kBlack, 0));
}

TEST_F(glDevice, DepthTestKeepsTheNearerSurfaceUnlessSwitchedOff) {
    unlit();
    const auto nearThenFar = [&] {
        frame(kBlack, [&] {
            quad(-1, -1, 1, 1, 0.2f, kRed);
            quad(-1, -1, 1, 1, 0.8f, kBlue);
        });
        return pixel(32, 32);
    };
    EXPECT_TRUE(nearThenFar().near(Rgb::of(kRed), 0));
    device->SetRenderState(D3DRS_ZENABLE, D3DZB_FALSE);
    EXPECT_TRUE(nearThenFar().near(Rgb::of(kBlue), 0));
    device->SetRenderState(D3DRS_ZENABLE, D3DZB_TRUE);
    device->SetRenderState(D3DRS_ZFUNC, D3DCMP_GREATER); // nothing is beyond the cleared 1.0
    EXPECT_TRUE(nearThenFar().near(Rgb::of(kBlack), 0));
    device->SetRenderState(D3DRS_ZFUNC, D3DCMP_LESSEQUAL);
    device->SetRenderState(D3DRS_ZWRITEENABLE, FALSE);
    EXPECT_TRUE(nearThenFar().near(Rgb::of(kBlue), 0));
}

TEST_F(glDevice, PerspectiveDepthRunsFromZeroAtTheNearPlane) {
    unlit();
    device->SetRenderState(D3DRS_CULLMODE, D3DCULL_NONE);
    D3DXMATRIX projection;
    D3DXMatrixPerspectiveFovLH(&projection, D3DX_PI / 2, 1.0f, 1.0f, 100.0f);
    device->SetTransform(D3DTS_PROJECTION, &projection);
    const auto square = [&](float z, D3DCOLOR colour) {
        const ColourVertex v[4] = {
            {-z, z, z, colour}, {z, z, z, colour}, {-z, -z, z, colour}, {z, -z, z, colour}};
        drawUp(D3DPT_TRIANGLESTRIP, 2, v, kColourFvf);
    };
    for (const bool clipControl : {true, false}) {
        SCOPED_TRACE(clipControl ? "clip control" : "depth remapped in the shader");
        device->setClipControlAllowed(clipControl);
        frame(kBlack, [&] {
            square(5.0f, kBlue);
            square(2.0f, kGreen); // nearer: in front
            square(10.0f, kRed);  // farther: hidden
            // Between the eye and the near plane: clipped away. GL's depth range of
            // -1..1 would keep it.
            square(0.6f, kWhite);
        });
        EXPECT_TRUE(pixelNear(32, 32, kGreen, 0));
    }
    EXPECT_FALSE(device->usesClipControl());
}

TEST_F(glDevice, FansIndexBuffersAndCallerMemoryDrawTheirTriangles) {
    unlit();
    device->SetRenderState(D3DRS_CULLMODE, D3DCULL_NONE);
    // A square round the centre, walked from the top-left corner.
    const ColourVertex fan[6] = {{0, 0, 0.5f, kGreen},         {-0.8f, 0.8f, 0.5f, kGreen},
                                 {0.8f, 0.8f, 0.5f, kGreen},   {0.8f, -0.8f, 0.5f, kGreen},
                                 {-0.8f, -0.8f, 0.5f, kGreen}, {-0.8f, 0.8f, 0.5f, kGreen}};
    frame(kBlack, [&] { drawUp(D3DPT_TRIANGLEFAN, 4, fan, kColourFvf); });
    for (const auto& [x, y] : {std::pair{32, 12}, {52, 32}, {32, 52}, {12, 32}}) {
        EXPECT_TRUE(pixelNear(x, y, kGreen, 0));
    }
    EXPECT_TRUE(pixelNear(2, 2, kBlack, 0));

    // Indices from the caller's memory, from vertex 1 on.
    const ColourVertex vertices[5] = {{9, 9, 9, 0},
                                      {-1, 1, 0.5f, kBlue},
                                      {1, 1, 0.5f, kBlue},
                                      {-1, -1, 0.5f, kBlue},
                                      {1, -1, 0.5f, kBlue}};
    const WORD indices[6] = {1, 2, 3, 3, 2, 4};
    frame(kBlack, [&] {
        device->SetFVF(kColourFvf);
        EXPECT_EQ(device->DrawIndexedPrimitiveUP(D3DPT_TRIANGLELIST, 1, 4, 2, indices,
                                                 D3DFMT_INDEX16, vertices, sizeof(ColourVertex)),
                  D3D_OK);
    });
    EXPECT_TRUE(pixelNear(5, 5, kBlue, 0));
    EXPECT_TRUE(pixelNear(58, 58, kBlue, 0));
}

TEST_F(glDevice, IndexedDrawsReadBuffersWithBaseVertexAndBothIndexSizes) {
    unlit();
    // Two quads in one buffer: the second (green, bottom half) through a base vertex of 4.
    const ColourVertex vertices[8] = {
        {-1, 1, 0.5f, kRed},   {1, 1, 0.5f, kRed},   {-1, 0, 0.5f, kRed},    {1, 0, 0.5f, kRed},
        {-1, 0, 0.5f, kGreen}, {1, 0, 0.5f, kGreen}, {-1, -1, 0.5f, kGreen}, {1, -1, 0.5f, kGreen}};
    ComPtr<IDirect3DVertexBuffer9> vb;
    ASSERT_EQ(device->CreateVertexBuffer(sizeof vertices, D3DUSAGE_WRITEONLY, kColourFvf,
                                         D3DPOOL_MANAGED, vb.put(), nullptr),
              D3D_OK);
    void* data = nullptr;
    ASSERT_EQ(vb->Lock(0, 0, &data, 0), D3D_OK);
    std::memcpy(data, vertices, sizeof vertices);
    ASSERT_EQ(vb->Unlock(), D3D_OK);
    device->SetFVF(kColourFvf);
    device->SetStreamSource(0, vb.get(), 0, sizeof(ColourVertex));

    for (const D3DFORMAT format : {D3DFMT_INDEX16, D3DFMT_INDEX32}) {
        SCOPED_TRACE(format);
        const UINT size = format == D3DFMT_INDEX16 ? 2 : 4;
        ComPtr<IDirect3DIndexBuffer9> ib;
        ASSERT_EQ(
            device->CreateIndexBuffer(6 * size, 0, format, D3DPOOL_MANAGED, ib.put(), nullptr),
            D3D_OK);
        ASSERT_EQ(ib->Lock(0, 0, &data, 0), D3D_OK);
        const UINT indices[6] = {0, 1, 2, 2, 1, 3};
        for (int i = 0; i < 6; ++i) {
            std::memcpy(static_cast<BYTE*>(data) + i * size, &indices[i], size); // little-endian
        }
        ASSERT_EQ(ib->Unlock(), D3D_OK);
        device->SetIndices(ib.get());
        frame(kBlack, [&] {
            EXPECT_EQ(device->DrawIndexedPrimitive(D3DPT_TRIANGLELIST, 0, 0, 4, 0, 2), D3D_OK);
            EXPECT_EQ(device->DrawIndexedPrimitive(D3DPT_TRIANGLELIST, 4, 0, 4, 0, 2), D3D_OK);
        });
        EXPECT_TRUE(pixelNear(32, 10, kRed, 0));
        EXPECT_TRUE(pixelNear(32, 54, kGreen, 0));
    }

    // A rewritten buffer is drawn with its new contents.
    ASSERT_EQ(vb->Lock(0, 0, &data, 0), D3D_OK);
    for (int i = 0; i < 4; ++i) {
        static_cast<ColourVertex*>(data)[i].colour = kBlue;
    }
    ASSERT_EQ(vb->Unlock(), D3D_OK);
    frame(kBlack, [&] { EXPECT_EQ(device->DrawPrimitive(D3DPT_TRIANGLESTRIP, 0, 2), D3D_OK); });
    EXPECT_TRUE(pixelNear(32, 10, kBlue, 0));
}

TEST_F(glDevice, AlphaBlendingMixesWithTheTargetByTheChosenFactors) {
    unlit();
    const auto blend = [&](BOOL enabled, DWORD src, DWORD dst, D3DCOLOR colour) {
        device->SetRenderState(D3DRS_ALPHABLENDENABLE, enabled);
        device->SetRenderState(D3DRS_SRCBLEND, src);
        device->SetRenderState(D3DRS_DESTBLEND, dst);
        frame(kBlue, [&] { quad(-1, -1, 1, 1, 0.5f, colour); });
        return pixel(32, 32);
    };
    EXPECT_TRUE(
        blend(TRUE, D3DBLEND_SRCALPHA, D3DBLEND_INVSRCALPHA, 0x80FF0000).near({128, 0, 127}, 1));
    EXPECT_TRUE(blend(TRUE, D3DBLEND_ONE, D3DBLEND_ONE, 0x10FF0000).near({255, 0, 255}, 0));
    EXPECT_TRUE(blend(FALSE, D3DBLEND_ONE, D3DBLEND_ONE, 0x10FF0000).near({255, 0, 0}, 0));
}

// --- textures ----------------------------------------------------------------------------

class glDeviceTexture : public GLRenderTest {
protected:
    void SetUp() override {
        GLRenderTest::SetUp();
        if (device) {
            unlit();
            device->SetTextureStageState(0, D3DTSS_COLOROP, D3DTOP_MODULATE);
            device->SetTextureStageState(0, D3DTSS_COLORARG1, D3DTA_TEXTURE);
            device->SetTextureStageState(0, D3DTSS_COLORARG2, D3DTA_DIFFUSE);
            device->SetTextureStageState(0, D3DTSS_ALPHAOP, D3DTOP_MODULATE);
            device->SetTextureStageState(0, D3DTSS_ALPHAARG1, D3DTA_TEXTURE);
            device->SetTextureStageState(0, D3DTSS_ALPHAARG2, D3DTA_DIFFUSE);
        }
    }

    // A quad over the whole picture with (u, v) = (0, 0) at the top-left.
    void drawTextured(IDirect3DTexture9* tex, float uv = 1, D3DCOLOR colour = kWhite,
                      D3DCOLOR background = kBlack) {
        const TexturedVertex v[4] = {{-1, 1, 0.5f, colour, 0, 0},
                                     {1, 1, 0.5f, colour, uv, 0},
                                     {-1, -1, 0.5f, colour, 0, uv},
                                     {1, -1, 0.5f, colour, uv, uv}};
        device->SetTexture(0, tex);
        frame(background, [&] { drawUp(D3DPT_TRIANGLESTRIP, 2, v, kTexturedFvf); });
    }
};

TEST_F(glDeviceTexture, TheFirstRowOfTheImageIsAtTheTopWhereVIsZero) {
    auto tex = texture(2, 2, 1, D3DFMT_A8R8G8B8);
    fill32(tex.get(), 0, {kRed, kGreen, kBlue, kWhite});
    drawTextured(tex.get());
    EXPECT_TRUE(pixelNear(16, 16, kRed, 0));
    EXPECT_TRUE(pixelNear(48, 16, kGreen, 0));
    EXPECT_TRUE(pixelNear(16, 48, kBlue, 0));
    EXPECT_TRUE(pixelNear(48, 48, kWhite, 0));
    writePng("textured_quad.png");
}

TEST_F(glDeviceTexture, EveryTextureFormatKeepsItsChannelsAndXFormatsAreOpaque) {
    struct Case {
        D3DFORMAT format;
        WORD red, green, blue;
    };
    for (const Case& c : {Case{D3DFMT_R5G6B5, 0xF800, 0x07E0, 0x001F},
                          Case{D3DFMT_A1R5G5B5, 0xFC00, 0x83E0, 0x801F},
                          Case{D3DFMT_X1R5G5B5, 0x7C00, 0x03E0, 0x001F},
                          Case{D3DFMT_A4R4G4B4, 0xFF00, 0xF0F0, 0xF00F}}) {
        SCOPED_TRACE(c.format);
        auto tex = texture(2, 2, 1, c.format);
        D3DLOCKED_RECT locked{};
        ASSERT_EQ(tex->LockRect(0, &locked, nullptr, 0), D3D_OK);
        const WORD texels[4] = {c.red, c.green, c.blue, c.red};
        for (int row = 0; row < 2; ++row) {
            std::memcpy(static_cast<BYTE*>(locked.pBits) + row * locked.Pitch, texels + row * 2, 4);
        }
        ASSERT_EQ(tex->UnlockRect(0), D3D_OK);
        drawTextured(tex.get());
        EXPECT_TRUE(pixelNear(16, 16, kRed, 0));
        EXPECT_TRUE(pixelNear(48, 16, kGreen, 0));
        EXPECT_TRUE(pixelNear(16, 48, kBlue, 0));
    }
    // X8R8G8B8 reads opaque, whatever the unused byte holds.
    auto xrgb = texture(1, 1, 1, D3DFMT_X8R8G8B8);
    fill32(xrgb.get(), 0, {0x00FF0000});
    device->SetRenderState(D3DRS_ALPHABLENDENABLE, TRUE);
    device->SetRenderState(D3DRS_SRCBLEND, D3DBLEND_SRCALPHA);
    device->SetRenderState(D3DRS_DESTBLEND, D3DBLEND_INVSRCALPHA);
    drawTextured(xrgb.get());
    EXPECT_TRUE(pixelNear(32, 32, kRed, 0));
}

TEST_F(glDeviceTexture, StageOperationsSelectAndModulate) {
    auto tex = texture(1, 1, 1, D3DFMT_A8R8G8B8);
    fill32(tex.get(), 0, {0xFF00FFFF}); // cyan texture, yellow vertices
    const auto drawWith = [&](DWORD op) {
        device->SetTextureStageState(0, D3DTSS_COLOROP, op);
        drawTextured(tex.get(), 1, 0xFFFFFF00);
        return pixel(32, 32);
    };
    EXPECT_TRUE(drawWith(D3DTOP_MODULATE).near({0, 255, 0}, 0));
    EXPECT_TRUE(drawWith(D3DTOP_SELECTARG1).near({0, 255, 255}, 0));
    EXPECT_TRUE(drawWith(D3DTOP_SELECTARG2).near({255, 255, 0}, 0));
    EXPECT_TRUE(drawWith(D3DTOP_DISABLE).near({255, 255, 0}, 0));
}

TEST_F(glDeviceTexture, MipFilterPicksTheLevelOfTheTexelDensityAndWrapRepeats) {
    auto tex = texture(16, 16, 3, D3DFMT_A8R8G8B8);
    fill32(tex.get(), 0, std::vector<DWORD>(256, kRed));
    fill32(tex.get(), 1, std::vector<DWORD>(64, kGreen));
    fill32(tex.get(), 2, std::vector<DWORD>(16, kBlue));
    drawTextured(tex.get(), 4); // one texel per pixel
    EXPECT_TRUE(pixelNear(32, 32, kRed, 0));
    drawTextured(tex.get(), 8); // two texels per pixel, but no mip filter
    EXPECT_TRUE(pixelNear(32, 32, kRed, 0));
    device->SetSamplerState(0, D3DSAMP_MIPFILTER, D3DTEXF_POINT);
    drawTextured(tex.get(), 8);
    EXPECT_TRUE(pixelNear(32, 32, kGreen, 0));
    drawTextured(tex.get(), 16);
    EXPECT_TRUE(pixelNear(32, 32, kBlue, 0));
}

TEST_F(glDeviceTexture, ColourKeyedPicturePassesTheAlphaTestOnlyWhereOpaque) {
    // A yellow middle in a black border (the key), loaded as the billboards load theirs.
    const std::string path = (renderOutputDirectory() / "keyed.png").string();
    std::vector<std::uint8_t> rgba(8 * 8 * 4, 0);
    for (int i = 0; i < 64; ++i) {
        const bool middle = i % 8 >= 2 && i % 8 < 6 && i / 8 >= 2 && i / 8 < 6;
        rgba[i * 4] = rgba[i * 4 + 1] = middle ? 255 : 0;
        rgba[i * 4 + 3] = 255;
    }
    ASSERT_TRUE(writePngRgba(path, 8, 8, rgba.data()));
    ComPtr<IDirect3DTexture9> tex;
    ASSERT_EQ(D3DXCreateTextureFromFileExA(device.get(), path.c_str(), D3DX_DEFAULT, D3DX_DEFAULT,
                                           1, 0, D3DFMT_UNKNOWN, D3DPOOL_MANAGED, D3DX_FILTER_NONE,
                                           D3DX_FILTER_NONE, 0xFF000000, nullptr, nullptr,
                                           tex.put()),
              D3D_OK);
    device->SetRenderState(D3DRS_ALPHATESTENABLE, TRUE);
    device->SetRenderState(D3DRS_ALPHAREF, 8);
    device->SetRenderState(D3DRS_ALPHAFUNC, D3DCMP_GREATEREQUAL);
    drawTextured(tex.get(), 1, kWhite, kGrey);
    EXPECT_TRUE(pixelNear(32, 32, 0xFFFFFF00, 0));
    EXPECT_TRUE(pixelNear(4, 4, kGrey, 0)); // keyed out: the clear colour shows
    EXPECT_TRUE(pixelNear(60, 32, kGrey, 0));

    fill32(tex.get(), 0, std::vector<DWORD>(64, 0x04FF0000)); // alpha 4 fails the reference 8
    drawTextured(tex.get(), 1, kWhite, kGrey);
    EXPECT_TRUE(pixelNear(32, 32, kGrey, 0));
    fill32(tex.get(), 0, std::vector<DWORD>(64, 0x08FF0000)); // alpha 8 passes
    drawTextured(tex.get(), 1, kWhite, kGrey);
    EXPECT_TRUE(pixelNear(32, 32, kRed, 0));
}

// --- living in the host's context ---------------------------------------------------------------

TEST_F(glDevice, DrawsIntoTheHostsFramebufferAndPutsTheHostsStateBack) {
    // The host binds a framebuffer of its own and sets state the device must not disturb.
    GLuint colour = 0;
    GLuint framebuffer = 0;
    glGenRenderbuffers(1, &colour);
    glBindRenderbuffer(GL_RENDERBUFFER, colour);
    glRenderbufferStorage(GL_RENDERBUFFER, GL_RGBA8, kWidth, kHeight);
    glGenFramebuffers(1, &framebuffer);
    glBindFramebuffer(GL_FRAMEBUFFER, framebuffer);
    glFramebufferRenderbuffer(GL_FRAMEBUFFER, GL_COLOR_ATTACHMENT0, GL_RENDERBUFFER, colour);
    glClearColor(0.25f, 0.5f, 0.75f, 1.0f);
    glEnable(GL_BLEND);
    glBlendFunc(GL_DST_COLOR, GL_ZERO);
    glDepthFunc(GL_GREATER);
    glViewport(1, 2, 3, 4);
    glActiveTexture(GL_TEXTURE3);
    glPixelStorei(GL_UNPACK_ALIGNMENT, 8);

    unlit();
    auto tex = texture(1, 1, 1, D3DFMT_A8R8G8B8);
    fill32(tex.get(), 0, {kWhite});
    device->SetTexture(0, tex.get());
    ASSERT_EQ(device->Clear(0, nullptr, D3DCLEAR_TARGET, kBlack, 1.0f, 0), D3D_OK);
    ASSERT_EQ(device->BeginScene(), D3D_OK);
    quad(-1, -1, 1, 1, 0.5f, kGreen);
    ASSERT_EQ(device->EndScene(), D3D_OK);

    const auto integer = [](GLenum name) {
        GLint value[4] = {};
        glGetIntegerv(name, value);
        return value[0];
    };
    GLfloat clearColour[4] = {};
    glGetFloatv(GL_COLOR_CLEAR_VALUE, clearColour);
    EXPECT_EQ(integer(GL_DRAW_FRAMEBUFFER_BINDING), static_cast<GLint>(framebuffer));
    EXPECT_EQ(integer(GL_VIEWPORT), 1);
    EXPECT_FLOAT_EQ(clearColour[2], 0.75f);
    EXPECT_TRUE(glIsEnabled(GL_BLEND));
    EXPECT_EQ(integer(GL_BLEND_SRC_RGB), GL_DST_COLOR);
    EXPECT_EQ(integer(GL_DEPTH_FUNC), GL_GREATER);
    EXPECT_EQ(integer(GL_ACTIVE_TEXTURE), GL_TEXTURE3);
    EXPECT_EQ(integer(GL_UNPACK_ALIGNMENT), 8);
    EXPECT_EQ(glGetError(), GLenum{GL_NO_ERROR});

    // The green quad went to the host's framebuffer, not the context's own.
    std::uint8_t rgba[4] = {};
    glBindFramebuffer(GL_READ_FRAMEBUFFER, framebuffer);
    glReadPixels(32, 32, 1, 1, GL_RGBA, GL_UNSIGNED_BYTE, rgba);
    EXPECT_EQ(rgba[0], 0);
    EXPECT_EQ(rgba[1], 255);
    capture();
    EXPECT_FALSE(pixel(32, 32).near(Rgb::of(kGreen), 10));
    glDeleteFramebuffers(1, &framebuffer);
    glDeleteRenderbuffers(1, &colour);
}

// --- GL error checks
// ------------------------------------------------------------------------------

TEST_F(glDevice, ErrorChecksFailTheCallAndNameWhereTheGLErrorCameFrom) {
    expectNoGLError = false;
    unlit();
    auto tex = texture(1, 1, 1, D3DFMT_A8R8G8B8);
    fill32(tex.get(), 0, {kRed});
    const TexturedVertex v[3] = {
        {-1, -1, 0.5f, kWhite, 0, 0}, {-1, 1, 0.5f, kWhite, 0, 0}, {1, -1, 0.5f, kWhite, 0, 0}};
    const auto draw = [&] {
        return device->DrawPrimitiveUP(D3DPT_TRIANGLELIST, 1, v, sizeof(TexturedVertex));
    };
    device->SetFVF(kTexturedFvf);
    device->SetTexture(0, tex.get());
    clear(kBlack);
    ASSERT_EQ(device->BeginScene(), D3D_OK);
    ASSERT_EQ(draw(), D3D_OK);

    // The texture's GL object is deleted behind the device's back: binding its name again
    // is an error of the core profile, raised while the stage's texture is bound.
    GLint name = 0;
    glGetIntegerv(GL_TEXTURE_BINDING_2D, &name);
    ASSERT_NE(name, 0);
    const auto deleted = static_cast<GLuint>(name);
    glDeleteTextures(1, &deleted);
    EXPECT_EQ(draw(), D3DERR_DRIVERINTERNALERROR);
    EXPECT_EQ(device->lastError(), "GL_INVALID_OPERATION after bindStageTexture");

    // An error the host left pending is not blamed on a step of the device, and it is
    // taken, so that the next draw starts clean.
    device->SetTexture(0, nullptr);
    glEnable(0);
    EXPECT_EQ(draw(), D3DERR_DRIVERINTERNALERROR);
    EXPECT_EQ(device->lastError(), "GL_INVALID_ENUM after GL calls made before the draw");
    EXPECT_EQ(draw(), D3D_OK);
    ASSERT_EQ(device->EndScene(), D3D_OK);
    glEnable(0);
    EXPECT_EQ(device->Clear(0, nullptr, D3DCLEAR_TARGET, kBlack, 1.0f, 0),
              D3DERR_DRIVERINTERNALERROR);
    EXPECT_EQ(device->lastError(), "GL_INVALID_ENUM after GL calls made before the clear");

    // Without checks the device leaves GL's error flags alone.
    device->setGLErrorChecks(false);
    glEnable(0);
    ASSERT_EQ(device->BeginScene(), D3D_OK);
    EXPECT_EQ(draw(), D3D_OK);
    ASSERT_EQ(device->EndScene(), D3D_OK);
    EXPECT_EQ(glGetError(), GLenum{GL_INVALID_ENUM});
}

TEST_F(glDevice, ResourcesComeBackFromTheirMemoryCopiesInANewContext) {
    unlit();
    auto tex = texture(2, 2, 1, D3DFMT_A8R8G8B8);
    fill32(tex.get(), 0, {kRed, kGreen, kBlue, kWhite});
    const TexturedVertex corners[4] = {{-1, 1, 0.5f, kWhite, 0, 0},
                                       {1, 1, 0.5f, kWhite, 1, 0},
                                       {-1, -1, 0.5f, kWhite, 0, 1},
                                       {1, -1, 0.5f, kWhite, 1, 1}};
    ComPtr<IDirect3DVertexBuffer9> vb;
    ASSERT_EQ(device->CreateVertexBuffer(sizeof corners, 0, kTexturedFvf, D3DPOOL_MANAGED, vb.put(),
                                         nullptr),
              D3D_OK);
    void* data = nullptr;
    vb->Lock(0, 0, &data, 0);
    std::memcpy(data, corners, sizeof corners);
    vb->Unlock();
    device->SetTexture(0, tex.get());
    device->SetFVF(kTexturedFvf);
    device->SetStreamSource(0, vb.get(), 0, sizeof(TexturedVertex));
    const auto drawn = [&] {
        frame(kBlack, [&] { EXPECT_EQ(device->DrawPrimitive(D3DPT_TRIANGLESTRIP, 0, 2), D3D_OK); });
        return pixelNear(16, 16, kRed, 0) && pixelNear(48, 48, kWhite, 0);
    };
    EXPECT_TRUE(drawn());

    // The host's context goes away and a new one comes (a widget moved to another window):
    // first with the chance to free everything, then without it.
    std::string error;
    device->releaseGLResources();
    context.reset();
    context = EglContext::create(kWidth, kHeight, &error);
    ASSERT_TRUE(context) << error;
    EXPECT_TRUE(drawn());
    device->abandonGLResources();
    context.reset();
    context = EglContext::create(kWidth, kHeight, &error);
    ASSERT_TRUE(context) << error;
    EXPECT_TRUE(drawn());
}

} // namespace
