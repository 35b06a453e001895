#include "d3d9/egl_context.h"

#include <epoxy/egl.h>
#include <epoxy/gl.h>

#include <cstdio>
#include <cstring>
#include <dlfcn.h>
#include <string_view>

#include <stb/stb_image_write.h>

namespace {

bool hasWord(const char* list, std::string_view word) {
    if (list == nullptr) {
        return false;
    }
    std::string_view rest(list);
    while (!rest.empty()) {
        const auto space = rest.find(' ');
        if (rest.substr(0, space) == word) {
            return true;
        }
        if (space == std::string_view::npos) {
            break;
        }
        rest.remove_prefix(space + 1);
    }
    return false;
}

void fail(std::string* error, std::string message) {
    if (error != nullptr) {
        *error = std::move(message);
    }
}

std::string eglErrorText() {
    char text[32];
    std::snprintf(text, sizeof text, "EGL error 0x%04X", static_cast<unsigned>(eglGetError()));
    return text;
}

// The surfaceless display is shared by every context of the process: eglTerminate would
// pull it from under the others, so it is terminated when the last context goes.
struct SharedDisplay {
    EGLDisplay display = EGL_NO_DISPLAY;
    int users = 0;
};

SharedDisplay& sharedDisplay() {
    static SharedDisplay shared;
    return shared;
}

// The encoder's own file writing does not see a failed write (a full disk), so pictures
// are encoded into memory and written here, where every failure counts.
bool writeFileBytes(const std::string& path, const std::vector<std::uint8_t>& bytes) {
    std::FILE* file = std::fopen(path.c_str(), "wb");
    if (file == nullptr) {
        return false;
    }
    const bool written = std::fwrite(bytes.data(), 1, bytes.size(), file) == bytes.size();
    return std::fclose(file) == 0 && written;
}

} // namespace

struct EglContext::Egl {
    EGLDisplay display = EGL_NO_DISPLAY;
    EGLContext context = EGL_NO_CONTEXT;

    ~Egl() {
        if (display == EGL_NO_DISPLAY) {
            return;
        }
        if (context != EGL_NO_CONTEXT) {
            if (eglGetCurrentContext() == context) {
                eglMakeCurrent(display, EGL_NO_SURFACE, EGL_NO_SURFACE, EGL_NO_CONTEXT);
            }
            eglDestroyContext(display, context);
        }
        SharedDisplay& shared = sharedDisplay();
        if (--shared.users == 0) {
            eglTerminate(shared.display);
            shared.display = EGL_NO_DISPLAY;
        }
    }
};

std::unique_ptr<EglContext> EglContext::create(int width, int height, std::string* error) {
    if (width <= 0 || height <= 0) {
        fail(error, "the framebuffer size must be positive");
        return nullptr;
    }
    // libepoxy loads libEGL on first use and aborts the program when it cannot; asking the
    // loader first turns a missing library into an answer.
    if (void* library = dlopen("libEGL.so.1", RTLD_LAZY | RTLD_LOCAL)) {
        dlclose(library);
    } else {
        fail(error, "libEGL.so.1 cannot be loaded (is an EGL implementation installed?)");
        return nullptr;
    }
    // Client extensions can be asked for before any display exists. Without the
    // platform extensions there is no way to a display that needs no window system.
    const char* clientExtensions = eglQueryString(EGL_NO_DISPLAY, EGL_EXTENSIONS);
    if (!hasWord(clientExtensions, "EGL_EXT_platform_base") ||
        !hasWord(clientExtensions, "EGL_MESA_platform_surfaceless")) {
        fail(error, "EGL has no surfaceless platform (EGL_MESA_platform_surfaceless missing)");
        return nullptr;
    }

    auto egl = std::make_unique<Egl>();
    SharedDisplay& shared = sharedDisplay();
    if (shared.users == 0) {
        EGLDisplay display =
            eglGetPlatformDisplayEXT(EGL_PLATFORM_SURFACELESS_MESA, EGL_DEFAULT_DISPLAY, nullptr);
        EGLint major = 0;
        EGLint minor = 0;
        if (display == EGL_NO_DISPLAY || eglInitialize(display, &major, &minor) != EGL_TRUE) {
            fail(error, "cannot open the surfaceless EGL display: " + eglErrorText());
            return nullptr;
        }
        shared.display = display;
    }
    ++shared.users;
    egl->display = shared.display;

    if (!hasWord(eglQueryString(egl->display, EGL_EXTENSIONS), "EGL_KHR_surfaceless_context")) {
        fail(error, "EGL cannot make a context current without a surface");
        return nullptr;
    }
    if (eglBindAPI(EGL_OPENGL_API) != EGL_TRUE) {
        fail(error, "EGL offers no desktop OpenGL: " + eglErrorText());
        return nullptr;
    }
    // No surface will ever be made, so any surface type will do (the default asks for
    // window surfaces, which the surfaceless platform has none of).
    const EGLint configAttributes[] = {EGL_RENDERABLE_TYPE, EGL_OPENGL_BIT, EGL_SURFACE_TYPE, 0,
                                       EGL_NONE};
    EGLConfig config = nullptr;
    EGLint configs = 0;
    if (eglChooseConfig(egl->display, configAttributes, &config, 1, &configs) != EGL_TRUE ||
        configs < 1) {
        fail(error, "EGL has no configuration for desktop OpenGL");
        return nullptr;
    }
    const EGLint contextAttributes[] = {EGL_CONTEXT_MAJOR_VERSION,
                                        3,
                                        EGL_CONTEXT_MINOR_VERSION,
                                        3,
                                        EGL_CONTEXT_OPENGL_PROFILE_MASK,
                                        EGL_CONTEXT_OPENGL_CORE_PROFILE_BIT,
                                        EGL_NONE};
    egl->context = eglCreateContext(egl->display, config, EGL_NO_CONTEXT, contextAttributes);
    if (egl->context == EGL_NO_CONTEXT) {
        fail(error, "EGL cannot create a GL 3.3 core context: " + eglErrorText());
        return nullptr;
    }
    if (eglMakeCurrent(egl->display, EGL_NO_SURFACE, EGL_NO_SURFACE, egl->context) != EGL_TRUE) {
        fail(error, "EGL cannot make the context current: " + eglErrorText());
        return nullptr;
    }
    if (epoxy_gl_version() < 33) {
        fail(error, "the EGL context offers GL " + std::to_string(epoxy_gl_version() / 10) + "." +
                        std::to_string(epoxy_gl_version() % 10) + ", not 3.3");
        return nullptr;
    }

    std::unique_ptr<EglContext> result(new EglContext(std::move(egl)));
    if (!result->makeAttachments(width, height)) {
        fail(error, "the offscreen framebuffer is incomplete");
        return nullptr;
    }
    return result;
}

EglContext::EglContext(std::unique_ptr<Egl> egl) : egl_(std::move(egl)) {
    const auto* renderer = reinterpret_cast<const char*>(glGetString(GL_RENDERER));
    renderer_ = renderer != nullptr ? renderer : "";
}

EglContext::~EglContext() {
    if (makeCurrent()) {
        deleteAttachments();
    }
}

bool EglContext::makeCurrent() {
    if (eglMakeCurrent(egl_->display, EGL_NO_SURFACE, EGL_NO_SURFACE, egl_->context) != EGL_TRUE) {
        return false;
    }
    if (framebuffer_ != 0) {
        glBindFramebuffer(GL_FRAMEBUFFER, framebuffer_);
    }
    return true;
}

bool EglContext::resize(int width, int height) {
    if (width <= 0 || height <= 0 || !makeCurrent()) {
        return false;
    }
    deleteAttachments();
    return makeAttachments(width, height);
}

bool EglContext::makeAttachments(int width, int height) {
    glGenRenderbuffers(1, &colour_);
    glBindRenderbuffer(GL_RENDERBUFFER, colour_);
    glRenderbufferStorage(GL_RENDERBUFFER, GL_RGBA8, width, height);
    glGenRenderbuffers(1, &depth_);
    glBindRenderbuffer(GL_RENDERBUFFER, depth_);
    glRenderbufferStorage(GL_RENDERBUFFER, GL_DEPTH24_STENCIL8, width, height);
    glBindRenderbuffer(GL_RENDERBUFFER, 0);

    glGenFramebuffers(1, &framebuffer_);
    glBindFramebuffer(GL_FRAMEBUFFER, framebuffer_);
    glFramebufferRenderbuffer(GL_FRAMEBUFFER, GL_COLOR_ATTACHMENT0, GL_RENDERBUFFER, colour_);
    glFramebufferRenderbuffer(GL_FRAMEBUFFER, GL_DEPTH_STENCIL_ATTACHMENT, GL_RENDERBUFFER, depth_);
    width_ = width;
    height_ = height;
    glViewport(0, 0, width, height);
    return glCheckFramebufferStatus(GL_FRAMEBUFFER) == GL_FRAMEBUFFER_COMPLETE;
}

void EglContext::deleteAttachments() {
    glBindFramebuffer(GL_FRAMEBUFFER, 0);
    glDeleteFramebuffers(1, &framebuffer_);
    glDeleteRenderbuffers(1, &colour_);
    glDeleteRenderbuffers(1, &depth_);
    framebuffer_ = colour_ = depth_ = 0;
}

std::vector<std::uint8_t> EglContext::readPixels() const {
    std::vector<std::uint8_t> rgba(static_cast<std::size_t>(width_) * height_ * 4);
    GLint readFramebuffer = 0;
    GLint packAlignment = 0;
    GLint packBuffer = 0;
    glGetIntegerv(GL_READ_FRAMEBUFFER_BINDING, &readFramebuffer);
    glGetIntegerv(GL_PACK_ALIGNMENT, &packAlignment);
    glGetIntegerv(GL_PIXEL_PACK_BUFFER_BINDING, &packBuffer);
    glBindFramebuffer(GL_READ_FRAMEBUFFER, framebuffer_);
    glBindBuffer(GL_PIXEL_PACK_BUFFER, 0);
    glPixelStorei(GL_PACK_ALIGNMENT, 1);
    glReadPixels(0, 0, width_, height_, GL_RGBA, GL_UNSIGNED_BYTE, rgba.data());
    glPixelStorei(GL_PACK_ALIGNMENT, packAlignment);
    glBindBuffer(GL_PIXEL_PACK_BUFFER, static_cast<GLuint>(packBuffer));
    glBindFramebuffer(GL_READ_FRAMEBUFFER, static_cast<GLuint>(readFramebuffer));

    // GL counts rows from the bottom; pictures are read from the top.
    const std::size_t row = static_cast<std::size_t>(width_) * 4;
    std::vector<std::uint8_t> swap(row);
    for (int y = 0; y < height_ / 2; ++y) {
        std::uint8_t* top = rgba.data() + row * y;
        std::uint8_t* bottom = rgba.data() + row * (height_ - 1 - y);
        std::memcpy(swap.data(), top, row);
        std::memcpy(top, bottom, row);
        std::memcpy(bottom, swap.data(), row);
    }
    return rgba;
}

std::vector<std::uint8_t> EglContext::png() const {
    std::vector<std::uint8_t> rgba = readPixels();
    // The picture stands for a back buffer without alpha: what blending left in the alpha
    // channel is nobody's business, and would only make viewers show it see-through.
    for (std::size_t i = 3; i < rgba.size(); i += 4) {
        rgba[i] = 255;
    }
    return encodePngRgba(width_, height_, rgba.data());
}

bool EglContext::writePng(const std::string& path) const {
    const std::vector<std::uint8_t> bytes = png();
    return !bytes.empty() && writeFileBytes(path, bytes);
}

std::vector<std::uint8_t> encodePngRgba(int width, int height, const std::uint8_t* rgba) {
    std::vector<std::uint8_t> png;
    if (width <= 0 || height <= 0 || rgba == nullptr) {
        return png;
    }
    const auto append = [](void* context, void* data, int size) {
        auto& out = *static_cast<std::vector<std::uint8_t>*>(context);
        const auto* bytes = static_cast<const std::uint8_t*>(data);
        out.insert(out.end(), bytes, bytes + size);
    };
    if (stbi_write_png_to_func(append, &png, width, height, 4, rgba, width * 4) == 0) {
        png.clear();
    }
    return png;
}

bool writePngRgba(const std::string& path, int width, int height, const std::uint8_t* rgba) {
    const std::vector<std::uint8_t> png = encodePngRgba(width, height, rgba);
    return !png.empty() && writeFileBytes(path, png);
}
