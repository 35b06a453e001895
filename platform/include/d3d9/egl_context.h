// A GL 3.3 core context without a window: EGL on Mesa's surfaceless platform (llvmpipe
// where there is no GPU), drawing into an offscreen framebuffer of its own. Tests and the
// headless runner use it to host the GL device.
//
//     std::string error;
//     std::unique_ptr<EglContext> context = EglContext::create(640, 480, &error);
//     if (!context) { ... error says why ... }
//     ComPtr<GLDevice> device = GLDevice::create(640, 480);
//     ... draw ...
//     context->writePng("frame.png");
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

class EglContext {
public:
    // Makes the context current on this thread with its framebuffer (RGBA8 colour,
    // 24-bit depth with 8-bit stencil) bound for drawing. Null, with the reason in
    // *error, when EGL, the surfaceless platform or GL 3.3 core is not available.
    static std::unique_ptr<EglContext> create(int width, int height, std::string* error = nullptr);

    EglContext(const EglContext&) = delete;
    EglContext& operator=(const EglContext&) = delete;
    // Destroys the framebuffer and the context; the context is made current for that.
    ~EglContext();

    // Makes the context current again and binds its framebuffer.
    [[nodiscard]] bool makeCurrent();
    // New attachments of the given size; the previous contents are gone.
    [[nodiscard]] bool resize(int width, int height);

    int width() const { return width_; }
    int height() const { return height_; }
    // The GL name of the offscreen framebuffer.
    unsigned framebuffer() const { return framebuffer_; }
    // GL_RENDERER, e.g. "llvmpipe (LLVM 15.0.7, 256 bits)".
    const std::string& renderer() const { return renderer_; }

    // The framebuffer's pixels, R G B A bytes, rows from the top of the picture down.
    // Waits for drawing to finish.
    std::vector<std::uint8_t> readPixels() const;
    // The framebuffer as an opaque picture (alpha set to 255): the bytes of a PNG file,
    // none when it cannot be encoded.
    std::vector<std::uint8_t> png() const;
    [[nodiscard]] bool writePng(const std::string& path) const;

private:
    struct Egl;
    explicit EglContext(std::unique_ptr<Egl> egl);
    [[nodiscard]] bool makeAttachments(int width, int height);
    void deleteAttachments();

    std::unique_ptr<Egl> egl_;
    int width_ = 0;
    int height_ = 0;
    unsigned framebuffer_ = 0;
    unsigned colour_ = 0;
    unsigned depth_ = 0;
    std::string renderer_;
};

// Width x height R G B A pixels, rows top down, as the bytes of a PNG file; none when
// they cannot be encoded.
std::vector<std::uint8_t> encodePngRgba(int width, int height, const std::uint8_t* rgba);
// Writes width x height R G B A pixels, rows top down, as a PNG file.
[[nodiscard]] bool writePngRgba(const std::string& path, int width, int height,
                                const std::uint8_t* rgba);
