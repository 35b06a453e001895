// The headless context: creation and its refusals, several contexts at once, resizing,
// and the pictures it reads back and writes.
#include "d3d9/egl_context.h"

#include "render_fixture.h"

#include <epoxy/gl.h>
#include <stb/stb_image.h>

#include <gtest/gtest.h>

namespace {

// Skips the test where the machine has no way to a headless context.
#define OPEN_OR_SKIP(name, width, height)                                                          \
    std::string name##Error;                                                                       \
    auto name = EglContext::create(width, height, &name##Error);                                   \
    if (!name) {                                                                                   \
        GTEST_SKIP() << "no headless GL context: " << name##Error;                                 \
    }

// Fills the bound framebuffer with one colour through plain GL.
void fill(float r, float g, float b) {
    glClearColor(r, g, b, 1.0f);
    glClear(GL_COLOR_BUFFER_BIT);
}

TEST(eglContext, ContextsLiveSideBySideAndOutliveEachOther) {
    std::string error;
    EXPECT_EQ(EglContext::create(0, 16, &error), nullptr);
    EXPECT_NE(error.find("size"), std::string::npos) << error;

    OPEN_OR_SKIP(first, 8, 8);
    OPEN_OR_SKIP(second, 4, 4);
    ASSERT_TRUE(first->makeCurrent());
    fill(1, 0, 0);
    ASSERT_TRUE(second->makeCurrent());
    fill(0, 0, 1);
    ASSERT_TRUE(first->makeCurrent());
    EXPECT_EQ(first->readPixels()[0], 255); // still red: each has its own framebuffer
    first.reset();                          // closing one leaves the display to the other
    ASSERT_TRUE(second->makeCurrent());
    fill(0, 1, 0);
    EXPECT_EQ(second->readPixels().at(4 * 4 * 4 - 3), 255);
}

TEST(eglContext, ResizedPicturesReadAndWriteRowsFromTheTop) {
    OPEN_OR_SKIP(context, 8, 8);
    ASSERT_TRUE(context->resize(6, 4));
    EXPECT_EQ(context->width() * context->height(), 24);
    // Red over the bottom row only (GL counts rows from the bottom).
    fill(0, 0, 0);
    glEnable(GL_SCISSOR_TEST);
    glScissor(0, 0, 6, 1);
    fill(1, 0, 0);
    glDisable(GL_SCISSOR_TEST);
    const std::vector<std::uint8_t> pixels = context->readPixels();
    ASSERT_EQ(pixels.size(), 6u * 4u * 4u);
    EXPECT_EQ(pixels[0], 0);                 // top-left
    EXPECT_EQ(pixels[(3 * 6 + 5) * 4], 255); // bottom-right

    // The picture on disk reads the same, and opaque.
    const std::string path = (renderOutputDirectory() / "egl_rows.png").string();
    ASSERT_TRUE(context->writePng(path));
    int w = 0;
    int h = 0;
    int channels = 0;
    stbi_uc* decoded = stbi_load(path.c_str(), &w, &h, &channels, 4);
    ASSERT_NE(decoded, nullptr);
    EXPECT_EQ(w * h, 24);
    EXPECT_EQ(decoded[0], 0);
    EXPECT_EQ(decoded[3], 255);
    EXPECT_EQ(decoded[(3 * 6 + 5) * 4], 255);
    stbi_image_free(decoded);
}

} // namespace
