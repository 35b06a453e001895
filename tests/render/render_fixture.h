// A small offscreen picture with the GL device on it, and what the render tests need to
// look at the result: pixels by position from the top-left, colour comparisons with a
// tolerance, and PNG files of scenes for a human to look at.
#pragma once

#include "d3d9/egl_context.h"
#include "d3d9/gl_device.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <memory>
#include <ostream>
#include <string>
#include <vector>

// Vertex layouts of the tests.
struct ColourVertex { // D3DFVF_XYZ | D3DFVF_DIFFUSE
    float x, y, z;
    D3DCOLOR colour;
};
struct LitVertex { // D3DFVF_XYZ | D3DFVF_NORMAL | D3DFVF_TEX1
    float x, y, z;
    float nx, ny, nz;
    float u, v;
};
struct TexturedVertex { // D3DFVF_XYZ | D3DFVF_DIFFUSE | D3DFVF_TEX1
    float x, y, z;
    D3DCOLOR colour;
    float u, v;
};
struct ScreenVertex { // D3DFVF_XYZRHW | D3DFVF_DIFFUSE
    float x, y, z, rhw;
    D3DCOLOR colour;
};

constexpr DWORD kColourFvf = D3DFVF_XYZ | D3DFVF_DIFFUSE;
constexpr DWORD kLitFvf = D3DFVF_XYZ | D3DFVF_NORMAL | D3DFVF_TEX1;
constexpr DWORD kTexturedFvf = D3DFVF_XYZ | D3DFVF_DIFFUSE | D3DFVF_TEX1;
constexpr DWORD kScreenFvf = D3DFVF_XYZRHW | D3DFVF_DIFFUSE;

// An RGB colour for messages and comparisons; alpha is left out because the offscreen
// picture's alpha depends on blending and is not what anybody sees.
struct Rgb {
    int r = 0;
    int g = 0;
    int b = 0;

    static Rgb of(D3DCOLOR c) {
        return {static_cast<int>((c >> 16) & 0xFF), static_cast<int>((c >> 8) & 0xFF),
                static_cast<int>(c & 0xFF)};
    }
    bool near(const Rgb& other, int tolerance) const {
        return std::abs(r - other.r) <= tolerance && std::abs(g - other.g) <= tolerance &&
               std::abs(b - other.b) <= tolerance;
    }
    friend std::ostream& operator<<(std::ostream& out, const Rgb& c) {
        return out << "(" << c.r << ", " << c.g << ", " << c.b << ")";
    }
};

// Where tests leave pictures: $TW_RENDER_OUTPUT, or a folder in the temporary directory.
inline std::filesystem::path renderOutputDirectory() {
    const char* chosen = std::getenv("TW_RENDER_OUTPUT");
    std::filesystem::path dir = chosen != nullptr && *chosen != '\0'
                                    ? std::filesystem::path(chosen)
                                    : std::filesystem::temp_directory_path() / "tumbleway-render";
    std::filesystem::create_directories(dir);
    return dir;
}

class GLRenderTest : public ::testing::Test {
protected:
    static constexpr int kWidth = 64;
    static constexpr int kHeight = 64;

    void SetUp() override { open(kWidth, kHeight); }

    void open(int width, int height) {
        device.reset();
        context.reset();
        std::string error;
        context = EglContext::create(width, height, &error);
        if (!context) {
            GTEST_SKIP() << "no headless GL context: " << error;
        }
        device = GLDevice::create(static_cast<UINT>(width), static_cast<UINT>(height));
        // A GL error fails the draw that met it, and the test: drawing on after one
        // proves nothing about the picture.
        device->setGLErrorChecks(true);
    }

    void TearDown() override {
        if (device && context) {
            if (expectNoGLError) {
                EXPECT_EQ(device->lastError(), "");
            }
            EXPECT_TRUE(context->makeCurrent());
            device->releaseGLResources();
        }
        device.reset();
        context.reset();
    }

    // Reads the picture; pixel() answers from the last read.
    void capture() { pixels = context->readPixels(); }

    Rgb pixel(int x, int y) const {
        const std::size_t at = (static_cast<std::size_t>(y) * context->width() + x) * 4;
        return {pixels.at(at), pixels.at(at + 1), pixels.at(at + 2)};
    }

    ::testing::AssertionResult pixelNear(int x, int y, D3DCOLOR expected, int tolerance = 2) const {
        const Rgb actual = pixel(x, y);
        if (actual.near(Rgb::of(expected), tolerance)) {
            return ::testing::AssertionSuccess();
        }
        return ::testing::AssertionFailure() << "pixel (" << x << ", " << y << ") is " << actual
                                             << ", expected " << Rgb::of(expected);
    }

    void clear(D3DCOLOR colour) {
        EXPECT_EQ(device->Clear(0, nullptr, D3DCLEAR_TARGET | D3DCLEAR_ZBUFFER, colour, 1.0f, 0),
                  D3D_OK);
    }

    // Clears to the background, draws inside a scene, and reads the picture.
    template <class Draw>
    void frame(D3DCOLOR background, Draw draw) {
        clear(background);
        EXPECT_EQ(device->BeginScene(), D3D_OK);
        draw();
        EXPECT_EQ(device->EndScene(), D3D_OK);
        capture();
    }

    // Lighting off, so that vertex colours show as they are.
    void unlit() { device->SetRenderState(D3DRS_LIGHTING, FALSE); }

    template <class Vertex, std::size_t N>
    void drawUp(D3DPRIMITIVETYPE type, UINT primitives, const Vertex (&vertices)[N], DWORD fvf) {
        device->SetFVF(fvf);
        EXPECT_EQ(device->DrawPrimitiveUP(type, primitives, vertices, sizeof(Vertex)), D3D_OK);
    }

    // A quad over the rectangle (x0, y0)-(x1, y1) in normalised coordinates at depth z,
    // wound clockwise on screen, as a 2-triangle strip.
    void quad(float x0, float y0, float x1, float y1, float z, D3DCOLOR colour) {
        const ColourVertex v[4] = {
            {x0, y1, z, colour}, {x1, y1, z, colour}, {x0, y0, z, colour}, {x1, y0, z, colour}};
        drawUp(D3DPT_TRIANGLESTRIP, 2, v, kColourFvf);
    }

    ComPtr<IDirect3DTexture9> texture(UINT width, UINT height, UINT levels, D3DFORMAT format) {
        ComPtr<IDirect3DTexture9> made;
        EXPECT_EQ(device->CreateTexture(width, height, levels, 0, format, D3DPOOL_MANAGED,
                                        made.put(), nullptr),
                  D3D_OK);
        return made;
    }

    // Writes level `level` of a 32-bit texture, texels row after row from the top.
    static void fill32(IDirect3DTexture9* texture, UINT level, const std::vector<DWORD>& texels) {
        D3DLOCKED_RECT locked{};
        ASSERT_EQ(texture->LockRect(level, &locked, nullptr, 0), D3D_OK);
        std::memcpy(locked.pBits, texels.data(), texels.size() * 4);
        ASSERT_EQ(texture->UnlockRect(level), D3D_OK);
    }

    std::string writePng(const std::string& name) const {
        const std::filesystem::path path = renderOutputDirectory() / name;
        EXPECT_TRUE(context->writePng(path.string())) << path;
        return path.string();
    }

    std::unique_ptr<EglContext> context;
    ComPtr<GLDevice> device;
    std::vector<std::uint8_t> pixels;
    // Cleared by tests that raise GL errors on purpose.
    bool expectNoGLError = true;
};
