// A frame put together the way the engine draws one: its render set-up, lit and
// textured ground, a colour-keyed billboard, text and a dot sprite on
// top. Its picture (scene.png) is the one to look at when something seems off.
#include "render_fixture.h"

#include "d3dx9/d3dx9core.h"
#include "d3dx9/d3dx9math.h"

namespace {

using glScene = GLRenderTest;

TEST_F(glScene, CourseLikeFrameComposesGroundBillboardTextAndDot) {
    open(320, 240);
    ASSERT_TRUE(device);
    IDirect3DDevice9* d = device.get();
    D3DMATERIAL9 material{};
    material.Diffuse = material.Ambient = {1, 1, 1, 1};
    d->SetMaterial(&material);
    d->SetTextureStageState(0, D3DTSS_COLORARG2, D3DTA_DIFFUSE);
    d->SetTextureStageState(0, D3DTSS_ALPHAOP, D3DTOP_MODULATE);
    d->SetSamplerState(0, D3DSAMP_MINFILTER, D3DTEXF_LINEAR);
    d->SetSamplerState(0, D3DSAMP_MAGFILTER, D3DTEXF_LINEAR);
    d->SetSamplerState(0, D3DSAMP_MIPFILTER, D3DTEXF_LINEAR);
    d->SetRenderState(D3DRS_AMBIENT, 0x008F8F8F);
    D3DXMATRIX view;
    D3DXMATRIX projection;
    const D3DXVECTOR3 eye(0, 3, -6), at(0, 0, 4), up(0, 1, 0);
    D3DXMatrixLookAtLH(&view, &eye, &at, &up);
    D3DXMatrixPerspectiveFovLH(&projection, 0.7853982f, 320.0f / 240.0f, 1.0f, 200.0f);
    d->SetTransform(D3DTS_VIEW, &view);
    d->SetTransform(D3DTS_PROJECTION, &projection);
    D3DLIGHT9 light{};
    light.Type = D3DLIGHT_DIRECTIONAL;
    light.Diffuse = {1, 1, 1, 1};
    D3DXVECTOR3 direction(-1, -1, 2);
    D3DXVec3Normalize(&direction, &direction);
    light.Direction = direction;
    d->SetLight(0, &light);
    d->LightEnable(0, TRUE);

    // Ground: a green and brown checker with a full mip chain, repeated over a lit quad.
    auto ground = texture(32, 32, 0, D3DFMT_A8R8G8B8);
    for (UINT level = 0, size = 32; level < ground->GetLevelCount(); ++level, size /= 2) {
        std::vector<DWORD> texels;
        for (UINT i = 0; i < size * size; ++i) {
            texels.push_back(((i % size) * 8 / size + (i / size) * 8 / size) % 2 ? 0xFF9B6A34
                                                                                 : 0xFF20801C);
        }
        fill32(ground.get(), level, texels);
    }
    const LitVertex floor[4] = {{-16, 0, 24, 0, 1, 0, 0, 0},
                                {16, 0, 24, 0, 1, 0, 4, 0},
                                {-16, 0, -8, 0, 1, 0, 0, 4},
                                {16, 0, -8, 0, 1, 0, 4, 4}};
    // A picture: an orange disc on a clear square.
    auto picture = texture(16, 16, 1, D3DFMT_A8R8G8B8);
    std::vector<DWORD> disc;
    for (int i = 0; i < 256; ++i) {
        const float dx = static_cast<float>(i % 16) - 7.5f;
        const float dy = static_cast<float>(i / 16) - 7.5f;
        disc.push_back(dx * dx + dy * dy < 49.0f ? 0xFFFF8800 : 0);
    }
    fill32(picture.get(), 0, disc);
    ComPtr<ID3DXFont> font;
    ASSERT_EQ(D3DXCreateFontA(d, 20, 0, FW_BOLD, 1, FALSE, ANSI_CHARSET, OUT_DEFAULT_PRECIS,
                              ANTIALIASED_QUALITY, 0, "Arial", font.put()),
              D3D_OK);
    ComPtr<ID3DXSprite> sprite;
    ASSERT_EQ(D3DXCreateSprite(d, sprite.put()), D3D_OK);

    frame(0x008888DD, [&] {
        d->SetTexture(0, ground.get());
        drawUp(D3DPT_TRIANGLESTRIP, 2, floor, kLitFvf);

        // The billboard stands on the ground facing the eye, alpha tested and blended.
        const TexturedVertex board[4] = {{-1, 0, 0, 0xFFFFFFFF, 0, 1},
                                         {-1, 2, 0, 0xFFFFFFFF, 0, 0},
                                         {1, 0, 0, 0xFFFFFFFF, 1, 1},
                                         {1, 2, 0, 0xFFFFFFFF, 1, 0}};
        D3DXMATRIX place;
        D3DXMatrixTranslation(&place, 1.5f, 0.0f, 4.0f);
        d->SetTransform(D3DTS_WORLD, &place);
        d->SetRenderState(D3DRS_ALPHABLENDENABLE, TRUE);
        d->SetRenderState(D3DRS_SRCBLEND, D3DBLEND_SRCALPHA);
        d->SetRenderState(D3DRS_DESTBLEND, D3DBLEND_INVSRCALPHA);
        d->SetRenderState(D3DRS_ALPHATESTENABLE, TRUE);
        d->SetRenderState(D3DRS_ALPHAREF, 8);
        d->SetRenderState(D3DRS_ALPHAFUNC, D3DCMP_GREATEREQUAL);
        d->SetTexture(0, picture.get());
        drawUp(D3DPT_TRIANGLESTRIP, 2, board, kTexturedFvf);

        RECT line{10, 8, 300, 40};
        EXPECT_EQ(font->DrawTextA(nullptr, "course:1", -1, &line, 0, 0xFFFFFF00), 20);
        RECT where{10, 24, 300, 56};
        font->DrawTextA(nullptr, "location x:0.0, y:3.0, z:-6.0", -1, &where, 0, 0xFFFFFF00);

        D3DXMATRIX scale;
        D3DXMATRIX move;
        D3DXMatrixScaling(&scale, 0.8f, 0.8f, 1.0f);
        D3DXMatrixTranslation(&move, 280.0f, 200.0f, 0.0f);
        const D3DXMATRIX dot = scale * move;
        EXPECT_EQ(sprite->Begin(D3DXSPRITE_ALPHABLEND), D3D_OK);
        sprite->SetTransform(&dot);
        EXPECT_EQ(sprite->Draw(picture.get(), nullptr, nullptr, nullptr, 0x88CCCCCC), D3D_OK);
        EXPECT_EQ(sprite->End(), D3D_OK);
    });
    RecordProperty("picture", writePng("scene.png"));

    EXPECT_TRUE(pixelNear(300, 60, 0xFF8888DD, 0)); // sky: the clear colour
    const Rgb ground1 = pixel(160, 230);            // lit ground in front of the eye
    EXPECT_FALSE(ground1.near(Rgb::of(0xFF8888DD), 20));
    EXPECT_GT(ground1.r + ground1.g + ground1.b, 60);
    EXPECT_TRUE(pixelNear(200, 95, 0xFF8F4C00, 4));          // the disc, lit by ambient light only
    EXPECT_FALSE(pixel(286, 206).near(pixel(270, 206), 10)); // the dot over the ground
    int yellow = 0;
    for (int x = 10; x < 100; ++x) {
        yellow += pixel(x, 20).near(Rgb::of(0xFFFFFF00), 10) ? 1 : 0;
    }
    EXPECT_GT(yellow, 5);
}

} // namespace
