// D3DX fonts and sprites: where their pixels land on the GL device, and what they do to
// the state of any device (the recording one shows it call by call).
#include "render_fixture.h"

#include "d3d9/recording_device.h"
#include "d3dx9/d3dx9core.h"
#include "font_face.h"

#include <algorithm>

namespace {

constexpr D3DCOLOR kBlack = 0xFF000000;
constexpr D3DCOLOR kYellow = 0xFFFFFF00;

HRESULT arialBold(IDirect3DDevice9* device, ID3DXFont** font) {
    return D3DXCreateFontA(device, 20, 0, FW_BOLD, 1, FALSE, ANSI_CHARSET, OUT_DEFAULT_PRECIS,
                           ANTIALIASED_QUALITY, DEFAULT_PITCH | FF_DONTCARE, "Arial", font);
}

// The bounding box of the pixels that differ from a black background.
struct Ink {
    int left = 1 << 20, top = 1 << 20, right = -1, bottom = -1; // right, bottom inclusive
    bool empty() const { return right < 0; }
};

class d3dxText : public GLRenderTest {
protected:
    void SetUp() override {
        open(320, 96);
        if (device) {
            ASSERT_EQ(arialBold(device.get(), font.put()), D3D_OK);
        }
    }
    void TearDown() override {
        font = nullptr;
        GLRenderTest::TearDown();
    }

    Ink inkIn(int left, int top, int right, int bottom) const {
        Ink ink;
        for (int y = std::max(top, 0); y < std::min(bottom, context->height()); ++y) {
            for (int x = std::max(left, 0); x < std::min(right, context->width()); ++x) {
                const Rgb p = pixel(x, y);
                if (p.r + p.g + p.b > 60) {
                    ink = {std::min(ink.left, x), std::min(ink.top, y), std::max(ink.right, x),
                           std::max(ink.bottom, y)};
                }
            }
        }
        return ink;
    }
    Ink allInk() const { return inkIn(0, 0, context->width(), context->height()); }

    INT drawText(const char* text, RECT rect, DWORD format) {
        INT height = 0;
        frame(kBlack, [&] { height = font->DrawTextA(nullptr, text, -1, &rect, format, kYellow); });
        return height;
    }

    ComPtr<ID3DXFont> font;
};

TEST_F(d3dxText, TextLandsInsideItsRectangleFromTheTopLeft) {
    EXPECT_EQ(drawText("course:1", {10, 8, 300, 40}, 0), 20); // one line of a 20-pixel font
    const Ink ink = allInk();
    ASSERT_FALSE(ink.empty());
    EXPECT_GE(ink.left, 10);
    EXPECT_LE(ink.left, 13);
    EXPECT_GE(ink.top, 8);
    EXPECT_LE(ink.bottom, 8 + 20);
    EXPECT_GT(ink.right - ink.left, 40); // eight bold characters
    EXPECT_LT(ink.right, 120);
    int solid = 0; // solid strokes show the colour itself
    for (int x = ink.left; x <= ink.right; ++x) {
        solid += pixel(x, (ink.top + ink.bottom) / 2).near(Rgb::of(kYellow), 8) ? 1 : 0;
    }
    EXPECT_GT(solid, 4);
    writePng("text.png");
}

TEST_F(d3dxText, LineBreaksStartANewLineOneLineHeightLower) {
    EXPECT_EQ(drawText("AAAA\nAAAA", {10, 8, 300, 90}, 0), 40);
    const Ink first = inkIn(0, 8, 320, 28);
    const Ink second = inkIn(0, 28, 320, 48);
    ASSERT_FALSE(first.empty() || second.empty());
    EXPECT_EQ(second.top - first.top, 20);
    EXPECT_EQ(second.left, first.left);
    // On a single line the break is not one.
    EXPECT_EQ(drawText("AAAA\r\nAAAA", {10, 8, 300, 90}, DT_SINGLELINE), 20);
    EXPECT_TRUE(inkIn(0, 28, 320, 96).empty());
}

TEST_F(d3dxText, AlignmentFlagsPlaceTheTextInTheRectangle) {
    const RECT box{20, 10, 300, 90};
    drawText("Tumble", box, DT_RIGHT);
    EXPECT_GE(allInk().right, 300 - 4);
    EXPECT_LT(allInk().right, 300);

    drawText("Tumble", box, DT_CENTER | DT_VCENTER | DT_SINGLELINE);
    const Ink centred = allInk();
    EXPECT_NEAR((centred.left + centred.right) / 2.0, (20 + 300) / 2.0, 3.0);
    EXPECT_NEAR((centred.top + centred.bottom) / 2.0, (10 + 90) / 2.0, 5.0);

    // With DT_BOTTOM the answer is the distance from the top to the text's bottom.
    EXPECT_EQ(drawText("Tumble", box, DT_BOTTOM | DT_SINGLELINE), 80);
    EXPECT_GE(allInk().top, 70);
}

TEST_F(d3dxText, TextIsClippedToTheRectangleUnlessNoClipIsAsked) {
    const char* wide = "WWWWWWWWWWWWWWWWWWWW";
    drawText(wide, {10, 8, 60, 20}, 0);
    const Ink clipped = allInk();
    ASSERT_FALSE(clipped.empty());
    EXPECT_GE(clipped.left, 10);
    EXPECT_LT(clipped.right, 60);
    EXPECT_LT(clipped.bottom, 20);

    drawText(wide, {10, 8, 60, 20}, DT_NOCLIP);
    EXPECT_GT(allInk().right, 100);
    EXPECT_GE(allInk().bottom, 20);
}

TEST_F(d3dxText, CalcRectMeasuresWithoutDrawingAndDecodesBothEncodings) {
    RECT r{10, 8, 11, 9};
    frame(kBlack, [&] {
        EXPECT_EQ(font->DrawTextA(nullptr, "two\nlines", -1, &r, DT_CALCRECT, kYellow), 40);
    });
    EXPECT_TRUE(allInk().empty());
    EXPECT_EQ(r.left, 10);
    EXPECT_EQ(r.top, 8);
    EXPECT_EQ(r.bottom, 48);
    EXPECT_GT(r.right, 40);

    // Latin-1 and UTF-8 spell the same letter; a byte count cuts the string short.
    const auto width = [&](const char* text, INT count) {
        RECT m{0, 0, 0, 0};
        font->DrawTextA(nullptr, text, count, &m, DT_CALCRECT, kYellow);
        return m.right;
    };
    EXPECT_EQ(width("caf\xE9", -1), width("caf\xC3\xA9", -1));
    EXPECT_GT(width("caf\xE9", -1), width("caf", -1));
    EXPECT_EQ(width("caf\xC3\xA9", 3), width("caf", -1));
    // A lead byte without its continuation is a Latin-1 letter of its own.
    EXPECT_GT(width("\xC3", -1), 0);
    EXPECT_EQ(width("\xC3 ", -1), width("\xC3", -1) + width(" ", -1));
}

TEST_F(d3dxText, FontBatchDrawsAtEndAndSpritesOfTheCallerCarryText) {
    ComPtr<ID3DXSprite> sprite;
    ASSERT_EQ(D3DXCreateSprite(device.get(), sprite.put()), D3D_OK);
    frame(kBlack, [&] {
        ASSERT_EQ(font->Begin(), D3D_OK);
        RECT first{10, 8, 300, 40};
        RECT second{10, 50, 300, 90};
        EXPECT_EQ(font->DrawTextA(nullptr, "first", -1, &first, 0, kYellow), 20);
        EXPECT_EQ(font->DrawTextA(nullptr, "second", -1, &second, 0, kYellow), 20);
        ASSERT_EQ(font->End(), D3D_OK);
        RECT third{200, 8, 300, 40};
        // The caller's sprite takes text only inside its batch.
        EXPECT_EQ(font->DrawTextA(sprite.get(), "third", -1, &third, 0, kYellow), 0);
        ASSERT_EQ(sprite->Begin(D3DXSPRITE_ALPHABLEND), D3D_OK);
        EXPECT_EQ(font->DrawTextA(sprite.get(), "third", -1, &third, 0, kYellow), 20);
        ASSERT_EQ(sprite->End(), D3D_OK);
    });
    EXPECT_FALSE(inkIn(10, 8, 150, 28).empty());
    EXPECT_FALSE(inkIn(10, 50, 150, 70).empty());
    EXPECT_FALSE(inkIn(200, 8, 300, 28).empty());
}

TEST(d3dxFont, ArialBoldIsLiberationSansBoldSizedByItsCellHeight) {
    FontRequest request;
    request.family = "Arial";
    request.height = 20;
    request.weight = FW_BOLD;
    std::string error;
    const auto face = FontFace::open(request, &error);
    ASSERT_TRUE(face) << error;
    EXPECT_NE(face->file().find("Bold"), std::string::npos) << face->file();
    // Windows ascent 1854 and descent 434 of 2048 units: a 20-pixel cell puts the baseline
    // 16 pixels down.
    EXPECT_EQ(face->lineHeight(), 20);
    EXPECT_EQ(face->ascent(), 16);
    request.height = -20; // an em of 20 pixels makes a taller line
    EXPECT_EQ(FontFace::open(request, &error)->lineHeight(), 22);

    // Through the D3DX shape, bad arguments are refused.
    ComPtr<RecordingDevice> device = RecordingDevice::create(64, 64);
    ComPtr<ID3DXFont> none;
    EXPECT_EQ(arialBold(nullptr, none.put()), D3DERR_INVALIDCALL);
    EXPECT_EQ(arialBold(device.get(), nullptr), D3DERR_INVALIDCALL);
}

// --- sprites ---------------------------------------------------------------------------------

class d3dxSprite : public GLRenderTest {
protected:
    void SetUp() override {
        open(256, 128);
        if (!device) {
            return;
        }
        ASSERT_EQ(D3DXCreateSprite(device.get(), sprite.put()), D3D_OK);
        // A 64 x 64 dot with a full mip chain: white, its top-left quarter red.
        dot = texture(64, 64, 0, D3DFMT_A8R8G8B8);
        for (UINT level = 0, size = 64; level < dot->GetLevelCount(); ++level, size /= 2) {
            std::vector<DWORD> texels;
            for (UINT i = 0; i < size * size; ++i) {
                const bool red = i % size < size / 2 && i / size < size / 2;
                texels.push_back(red ? 0xFFFF0000 : 0xFFFFFFFF);
            }
            fill32(dot.get(), level, texels);
        }
    }
    void TearDown() override {
        sprite = nullptr;
        dot = nullptr;
        GLRenderTest::TearDown();
    }

    ComPtr<ID3DXSprite> sprite;
    ComPtr<IDirect3DTexture9> dot;
};

TEST_F(d3dxSprite, ScaledDotLandsAtItsTranslation) {
    // The editor's dot: scale 0.2 about the origin, then moved to (100, 40).
    D3DXMATRIX scale;
    D3DXMATRIX move;
    D3DXMatrixScaling(&scale, 0.2f, 0.2f, 1.0f);
    D3DXMatrixTranslation(&move, 100.0f, 40.0f, 0.0f);
    const D3DXMATRIX transform = scale * move;
    frame(kBlack, [&] {
        ASSERT_EQ(sprite->Begin(D3DXSPRITE_ALPHABLEND), D3D_OK);
        ASSERT_EQ(sprite->SetTransform(&transform), D3D_OK);
        ASSERT_EQ(sprite->Draw(dot.get(), nullptr, nullptr, nullptr, 0xFFFFFFFF), D3D_OK);
        ASSERT_EQ(sprite->End(), D3D_OK);
    });
    // 64 texels x 0.2 = 12.8 pixels from (100, 40).
    int outside = 0;
    for (int y = 0; y < 128; ++y) {
        for (int x = 0; x < 256; ++x) {
            const bool inside = x >= 100 && x <= 112 && y >= 40 && y <= 52;
            outside += !inside && pixel(x, y).r > 0 ? 1 : 0;
        }
    }
    EXPECT_EQ(outside, 0);
    EXPECT_TRUE(pixelNear(102, 42, 0xFFFF0000, 40)); // the red quarter, top-left
    EXPECT_TRUE(pixelNear(110, 50, 0xFFFFFFFF, 40));
    EXPECT_TRUE(pixelNear(110, 42, 0xFFFFFFFF, 40));
    writePng("sprite.png");
}

TEST_F(d3dxSprite, CentreSourceRectangleAndColourShapeTheDraw) {
    const RECT redQuarter{0, 0, 32, 32};
    const D3DXVECTOR3 centre(16, 16, 0);
    const D3DXVECTOR3 position(128, 64, 0);
    frame(kBlack, [&] {
        ASSERT_EQ(sprite->Begin(D3DXSPRITE_ALPHABLEND), D3D_OK);
        // Half-transparent grey: the red texels come out a quarter bright.
        ASSERT_EQ(sprite->Draw(dot.get(), &redQuarter, &centre, &position, 0x80808080), D3D_OK);
        ASSERT_EQ(sprite->End(), D3D_OK);
    });
    // Texels fall one to one on the pixels 112..143 across and 48..79 down.
    EXPECT_TRUE(pixelNear(112, 48, 0xFF400000, 2));
    EXPECT_TRUE(pixelNear(143, 79, 0xFF400000, 2));
    for (const auto& [x, y] : {std::pair{111, 60}, {144, 60}, {130, 47}, {130, 80}}) {
        EXPECT_TRUE(pixelNear(x, y, kBlack, 0));
    }
}

// --- effects on the device's state ---------------------------------------------------------------

class d3dxState : public ::testing::Test {
protected:
    ComPtr<RecordingDevice> device = RecordingDevice::create(640, 480);

    static bool sameState(const DeviceState& a, const DeviceState& b) {
        return a.renderStates == b.renderStates && a.stageStates == b.stageStates &&
               a.samplerStates == b.samplerStates && a.textures == b.textures && a.fvf == b.fvf &&
               a.streams[0].buffer == b.streams[0].buffer &&
               a.streams[0].stride == b.streams[0].stride;
    }

    // A state unlike both the defaults and what a sprite sets.
    void unusualState(IDirect3DVertexBuffer9* stream) {
        device->SetRenderState(D3DRS_SRCBLEND, D3DBLEND_ONE);
        device->SetRenderState(D3DRS_CULLMODE, D3DCULL_CW);
        device->SetRenderState(D3DRS_FILLMODE, D3DFILL_WIREFRAME);
        device->SetTextureStageState(0, D3DTSS_COLOROP, D3DTOP_SELECTARG2);
        device->SetSamplerState(0, D3DSAMP_MAGFILTER, D3DTEXF_POINT);
        device->SetFVF(kLitFvf);
        device->SetStreamSource(0, stream, 0, 32);
    }
};

TEST_F(d3dxState, TextPutsBackEveryStateItChangedAndDrawsUnderItsOwn) {
    ComPtr<IDirect3DVertexBuffer9> stream;
    ASSERT_EQ(device->CreateVertexBuffer(96, 0, kLitFvf, D3DPOOL_MANAGED, stream.put(), nullptr),
              D3D_OK);
    ComPtr<ID3DXFont> font;
    ASSERT_EQ(arialBold(device.get(), font.put()), D3D_OK);
    // The glyph cache is a texture of the device.
    ASSERT_EQ(device->count("CreateTexture"), 1u);
    const std::string created = device->callsNamed("CreateTexture")[0]->text();
    EXPECT_NE(created.find("D3DFMT_A8R8G8B8"), std::string::npos) << created;

    unusualState(stream.get());
    const DeviceState before = device->state();
    device->clearLog();
    ASSERT_EQ(device->BeginScene(), D3D_OK);
    RECT r{10, 8, 300, 40};
    EXPECT_EQ(font->DrawTextA(nullptr, "course:1", -1, &r, 0, kYellow), 20);
    ASSERT_EQ(device->EndScene(), D3D_OK);
    EXPECT_TRUE(sameState(before, device->state()));

    ASSERT_EQ(device->draws().size(), 1u); // one texture page, one draw
    const DrawSnapshot& draw = device->draws()[0];
    EXPECT_EQ(draw.state.fvf, DWORD{D3DFVF_XYZRHW | D3DFVF_DIFFUSE | D3DFVF_TEX1});
    EXPECT_EQ(draw.renderState(D3DRS_ALPHABLENDENABLE), DWORD{TRUE});
    EXPECT_EQ(draw.renderState(D3DRS_SRCBLEND), DWORD{D3DBLEND_SRCALPHA});
    EXPECT_EQ(draw.renderState(D3DRS_DESTBLEND), DWORD{D3DBLEND_INVSRCALPHA});
    EXPECT_EQ(draw.renderState(D3DRS_ZENABLE), DWORD{D3DZB_FALSE});
    EXPECT_EQ(draw.renderState(D3DRS_CULLMODE), DWORD{D3DCULL_NONE});
    EXPECT_EQ(draw.renderState(D3DRS_FILLMODE), DWORD{D3DFILL_SOLID});
    EXPECT_EQ(draw.textureLabel(), "Texture#1");
    EXPECT_EQ(draw.call.primitiveCount, 2u * 8u); // two triangles a glyph
}

TEST_F(d3dxState, SpriteBatchesRestoresAndRefusesWorkOutOfTurn) {
    ComPtr<IDirect3DTexture9> texture;
    ASSERT_EQ(
        device->CreateTexture(8, 8, 1, 0, D3DFMT_A8R8G8B8, D3DPOOL_MANAGED, texture.put(), nullptr),
        D3D_OK);
    ComPtr<ID3DXSprite> sprite;
    ASSERT_EQ(D3DXCreateSprite(device.get(), sprite.put()), D3D_OK);
    EXPECT_EQ(sprite->Draw(texture.get(), nullptr, nullptr, nullptr, 0), D3DERR_INVALIDCALL);
    EXPECT_EQ(sprite->End(), D3DERR_INVALIDCALL);
    unusualState(nullptr);
    const DeviceState before = device->state();

    ASSERT_EQ(device->BeginScene(), D3D_OK);
    ASSERT_EQ(sprite->Begin(D3DXSPRITE_ALPHABLEND), D3D_OK);
    EXPECT_EQ(sprite->Begin(0), D3DERR_INVALIDCALL);
    EXPECT_EQ(sprite->Draw(nullptr, nullptr, nullptr, nullptr, 0), D3DERR_INVALIDCALL);
    ASSERT_EQ(sprite->Draw(texture.get(), nullptr, nullptr, nullptr, 0xFFFFFFFF), D3D_OK);
    ASSERT_EQ(sprite->Draw(texture.get(), nullptr, nullptr, nullptr, 0xFFFFFFFF), D3D_OK);
    EXPECT_EQ(device->draws().size(), 0u); // queued until the batch ends
    ASSERT_EQ(sprite->End(), D3D_OK);
    EXPECT_EQ(device->draws().size(), 1u); // one texture, one draw
    EXPECT_TRUE(sameState(before, device->state()));

    // Two batches open at once (two fonts begun one after the other) ended in the order
    // they were begun leave the state as it was.
    ComPtr<ID3DXSprite> other;
    ASSERT_EQ(D3DXCreateSprite(device.get(), other.put()), D3D_OK);
    ASSERT_EQ(sprite->Begin(D3DXSPRITE_ALPHABLEND), D3D_OK);
    ASSERT_EQ(other->Begin(D3DXSPRITE_ALPHABLEND), D3D_OK);
    ASSERT_EQ(sprite->Draw(texture.get(), nullptr, nullptr, nullptr, 0xFFFFFFFF), D3D_OK);
    ASSERT_EQ(other->Draw(texture.get(), nullptr, nullptr, nullptr, 0xFFFFFFFF), D3D_OK);
    ASSERT_EQ(sprite->End(), D3D_OK);
    ASSERT_EQ(other->End(), D3D_OK);
    EXPECT_TRUE(sameState(before, device->state()));

    ASSERT_EQ(sprite->Begin(D3DXSPRITE_DONOTSAVESTATE), D3D_OK);
    ASSERT_EQ(sprite->Draw(texture.get(), nullptr, nullptr, nullptr, 0xFFFFFFFF), D3D_OK);
    ASSERT_EQ(sprite->End(), D3D_OK);
    EXPECT_EQ(device->state().renderState(D3DRS_ZENABLE), DWORD{D3DZB_FALSE}); // left as set

    // Losing the device ends an open batch, putting its state back; nothing begins again
    // until the reset.
    device->SetRenderState(D3DRS_ZENABLE, D3DZB_TRUE);
    ASSERT_EQ(sprite->Begin(0), D3D_OK);
    ASSERT_EQ(sprite->OnLostDevice(), D3D_OK);
    EXPECT_EQ(device->state().renderState(D3DRS_ZENABLE), DWORD{D3DZB_TRUE});
    EXPECT_EQ(sprite->Begin(0), D3DERR_INVALIDCALL);
    ASSERT_EQ(sprite->OnResetDevice(), D3D_OK);
    EXPECT_EQ(sprite->Begin(0), D3D_OK);
    EXPECT_EQ(sprite->End(), D3D_OK);
    ASSERT_EQ(device->EndScene(), D3D_OK);
}

} // namespace
