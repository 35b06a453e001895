#include "d3d9/gl_device.h"

#include "gl_draw_state.h"
#include "gl_host_state.h"
#include "gl_objects.h"
#include "gl_program.h"
#include "gl_vertex_layout.h"

#include <algorithm>
#include <cstdio>
#include <optional>

namespace {

std::string glErrorName(GLenum code) {
    switch (code) {
    case GL_INVALID_ENUM:
        return "GL_INVALID_ENUM";
    case GL_INVALID_VALUE:
        return "GL_INVALID_VALUE";
    case GL_INVALID_OPERATION:
        return "GL_INVALID_OPERATION";
    case GL_INVALID_FRAMEBUFFER_OPERATION:
        return "GL_INVALID_FRAMEBUFFER_OPERATION";
    case GL_OUT_OF_MEMORY:
        return "GL_OUT_OF_MEMORY";
    default: {
        char hex[16];
        std::snprintf(hex, sizeof hex, "0x%04X", code);
        return std::string("GL error ") + hex;
    }
    }
}

} // namespace

struct GLDevice::Impl {
    std::shared_ptr<GLObjectRegistry> registry = std::make_shared<GLObjectRegistry>();

    // Objects of the device itself, made in the host's context on first use.
    bool ready = false;
    bool clipControl = false; // the context offers it
    bool clipControlAllowed = true;
    bool mirrorClamp = false;
    GLPrograms programs;
    GLuint vertexArray = 0;
    GLuint streamVertices = 0;
    GLuint streamIndices = 0;
    GLuint streamInstances = 0; // instance matrices from a buffer of another device
    GLuint sampler = 0;
    std::string error;
    bool checkGLErrors = false;

    std::optional<GLHostState> sceneHost;
    std::function<HRESULT()> present;

    HRESULT makeReady();
    // With GL error checks on: whether GL raised an error since the last look, which
    // then is the device's error, blamed on `step`. Always false with checks off.
    [[nodiscard]] bool raisedGLError(const char* step);
    void deleteObjects();
    void forgetObjects();
};

HRESULT GLDevice::Impl::makeReady() {
    if (ready) {
        return D3D_OK;
    }
    if (!epoxy_is_desktop_gl() || epoxy_gl_version() < 33) {
        error = "the current GL context is not desktop OpenGL 3.3 or later";
        return D3DERR_NOTAVAILABLE;
    }
    // The first program tells early whether this context can build them at all.
    std::string log;
    if (programs.forSwitches(GLShaderSwitches{}, &log) == nullptr) {
        error = "the fixed-function shader did not build: " + log;
        return D3DERR_NOTAVAILABLE;
    }
    glGenVertexArrays(1, &vertexArray);
    glGenBuffers(1, &streamVertices);
    glGenBuffers(1, &streamIndices);
    glGenBuffers(1, &streamInstances);
    glGenSamplers(1, &sampler);
    clipControl = epoxy_gl_version() >= 45 || epoxy_has_gl_extension("GL_ARB_clip_control");
    mirrorClamp =
        epoxy_gl_version() >= 44 || epoxy_has_gl_extension("GL_ARB_texture_mirror_clamp_to_edge");
    error.clear();
    ready = true;
    return D3D_OK;
}

bool GLDevice::Impl::raisedGLError(const char* step) {
    if (!checkGLErrors) {
        return false;
    }
    const GLenum code = glGetError();
    if (code == GL_NO_ERROR) {
        return false;
    }
    error = glErrorName(code) + " after " + step;
    // GL may hold more than one flag; the first tells where things went wrong, the rest
    // must not be blamed on the next step. A lost context raises one on every call.
    for (int more = 0; more < 8 && glGetError() != GL_NO_ERROR; ++more) {
    }
    return true;
}

void GLDevice::Impl::deleteObjects() {
    if (ready) {
        programs.destroy();
        glDeleteVertexArrays(1, &vertexArray);
        glDeleteBuffers(1, &streamVertices);
        glDeleteBuffers(1, &streamIndices);
        glDeleteBuffers(1, &streamInstances);
        glDeleteSamplers(1, &sampler);
    }
    registry->deleteAll();
    forgetObjects();
}

void GLDevice::Impl::forgetObjects() {
    programs.forget();
    vertexArray = streamVertices = streamIndices = streamInstances = sampler = 0;
    sceneHost.reset();
    ready = false;
}

GLDevice::GLDevice(const DeviceConfig& config)
    : D3D9DeviceBase(config), impl_(std::make_unique<Impl>()) {}

// No GL here: the context may be gone or belong to another thread by now. A host that
// keeps its context frees the objects first with releaseGLResources().
GLDevice::~GLDevice() = default;

ComPtr<GLDevice> GLDevice::create(const DeviceConfig& config) {
    return makeCom<GLDevice>(config);
}

ComPtr<GLDevice> GLDevice::create(UINT backBufferWidth, UINT backBufferHeight) {
    DeviceConfig config;
    config.backBufferWidth = backBufferWidth;
    config.backBufferHeight = backBufferHeight;
    return create(config);
}

void GLDevice::resize(UINT backBufferWidth, UINT backBufferHeight) {
    resizeBackBuffer(backBufferWidth, backBufferHeight);
}

void GLDevice::releaseGLResources() {
    if (impl_->sceneHost) {
        impl_->sceneHost->restore();
    }
    impl_->deleteObjects();
}

void GLDevice::abandonGLResources() {
    impl_->registry->forgetAll();
    impl_->forgetObjects();
}

void GLDevice::setPresentHandler(std::function<HRESULT()> handler) {
    impl_->present = std::move(handler);
}

const std::string& GLDevice::lastError() const {
    return impl_->error;
}

bool GLDevice::usesClipControl() const {
    return impl_->ready && impl_->clipControl && impl_->clipControlAllowed;
}

void GLDevice::setClipControlAllowed(bool allowed) {
    impl_->clipControlAllowed = allowed;
}

void GLDevice::setGLErrorChecks(bool enabled) {
    impl_->checkGLErrors = enabled;
}

ComPtr<MemoryTexture> GLDevice::makeTexture(UINT width, UINT height, UINT levels, DWORD usage,
                                            D3DFORMAT format, D3DPOOL pool) {
    return makeCom<GLTexture>(impl_->registry, width, height, levels, usage, format, pool);
}

ComPtr<MemoryVertexBuffer> GLDevice::makeVertexBuffer(UINT length, DWORD usage, DWORD fvf,
                                                      D3DPOOL pool) {
    return makeCom<GLVertexBuffer>(impl_->registry, length, usage, fvf, pool);
}

ComPtr<MemoryIndexBuffer> GLDevice::makeIndexBuffer(UINT length, DWORD usage, D3DFORMAT format,
                                                    D3DPOOL pool) {
    return makeCom<GLIndexBuffer>(impl_->registry, length, usage, format, pool);
}

HRESULT GLDevice::beginSceneHook() {
    const HRESULT hr = impl_->makeReady();
    if (FAILED(hr)) {
        return hr;
    }
    impl_->sceneHost.emplace();
    impl_->sceneHost->capture(impl_->clipControl);
    // Objects of resources the engine released since the last scene.
    impl_->registry->collect();
    return D3D_OK;
}

HRESULT GLDevice::endSceneHook() {
    if (impl_->sceneHost) {
        impl_->sceneHost->restore();
        impl_->sceneHost.reset();
    }
    return D3D_OK;
}

HRESULT GLDevice::presentHook() {
    return impl_->present ? impl_->present() : D3D_OK;
}

HRESULT GLDevice::clearHook(DWORD count, const D3DRECT* rects, DWORD flags, D3DCOLOR color, float z,
                            DWORD stencil) {
    const HRESULT hr = impl_->makeReady();
    if (FAILED(hr)) {
        return hr;
    }
    if (impl_->raisedGLError("GL calls made before the clear")) {
        return D3DERR_DRIVERINTERNALERROR;
    }
    std::optional<GLHostState> host;
    if (!impl_->sceneHost) {
        host.emplace();
        host->capture(impl_->clipControl);
    }

    GLbitfield mask = 0;
    if ((flags & D3DCLEAR_TARGET) != 0) {
        GLfloat c[4];
        glColourOf(color, c);
        glClearColor(c[0], c[1], c[2], c[3]);
        glColorMask(GL_TRUE, GL_TRUE, GL_TRUE, GL_TRUE);
        mask |= GL_COLOR_BUFFER_BIT;
    }
    if ((flags & D3DCLEAR_ZBUFFER) != 0) {
        glClearDepth(z);
        glDepthMask(GL_TRUE);
        mask |= GL_DEPTH_BUFFER_BIT;
    }
    if ((flags & D3DCLEAR_STENCIL) != 0) {
        glClearStencil(static_cast<GLint>(stencil));
        glStencilMask(0xFFFFFFFFu);
        mask |= GL_STENCIL_BUFFER_BIT;
    }

    // Direct3D clears the viewport, or the given rectangles inside it. Rectangles count
    // rows from the top, GL from the bottom.
    const D3DVIEWPORT9& vp = state().viewport;
    const LONG height = static_cast<LONG>(config().backBufferHeight);
    const D3DRECT viewport{static_cast<LONG>(vp.X), static_cast<LONG>(vp.Y),
                           static_cast<LONG>(vp.X + vp.Width), static_cast<LONG>(vp.Y + vp.Height)};
    const auto clearRect = [&](const D3DRECT& r) {
        const LONG x1 = std::max(r.x1, viewport.x1);
        const LONG y1 = std::max(r.y1, viewport.y1);
        const LONG x2 = std::min(r.x2, viewport.x2);
        const LONG y2 = std::min(r.y2, viewport.y2);
        if (x1 >= x2 || y1 >= y2) {
            return;
        }
        glScissor(x1, height - y2, x2 - x1, y2 - y1);
        glClear(mask);
    };
    glEnable(GL_SCISSOR_TEST);
    if (count == 0) {
        clearRect(viewport);
    } else {
        for (DWORD i = 0; i < count; ++i) {
            clearRect(rects[i]);
        }
    }
    if (host) {
        host->restore();
    } else {
        glDisable(GL_SCISSOR_TEST);
    }
    return impl_->raisedGLError("clear") ? D3DERR_DRIVERINTERNALERROR : D3D_OK;
}

HRESULT GLDevice::drawHook(const DrawCall& call) {
    Impl& gl = *impl_;
    if (!gl.sceneHost) {
        // The GL objects were released inside this scene.
        return D3DERR_INVALIDCALL;
    }
    // An error pending already was raised by GL calls outside the draw: say so rather
    // than blame the first step.
    if (gl.raisedGLError("GL calls made before the draw")) {
        return D3DERR_DRIVERINTERNALERROR;
    }
    const DeviceState& s = state();
    const FvfLayout layout = fvfLayout(s.fvf, s.stageState(0, D3DTSS_TEXCOORDINDEX) & 0xFFFF);
    const bool zeroToOne = usesClipControl();
    const GLTexture* texture = bindStageTexture(s);
    if (gl.raisedGLError("bindStageTexture")) {
        return D3DERR_DRIVERINTERNALERROR;
    }
    // The stage is part of what chooses the program.
    const GLFragmentStage stage = fragmentStage(s, texture != nullptr);
    std::string log;
    const GLProgram* program = gl.programs.forSwitches(
        shaderSwitches(s, layout, zeroToOne, call.instanced(), stage), &log);
    if (program == nullptr) {
        gl.error = "a fixed-function shader did not build: " + log;
        return D3DERR_DRIVERINTERNALERROR;
    }
    const GLProgram& p = *program;

    glUseProgram(p.program);
    glBindVertexArray(gl.vertexArray);
    if (gl.raisedGLError("binding the program and vertex array")) {
        return D3DERR_DRIVERINTERNALERROR;
    }
    setupRasterizer(s, config().backBufferHeight, zeroToOne, gl.clipControl);
    if (gl.raisedGLError("setupRasterizer")) {
        return D3DERR_DRIVERINTERNALERROR;
    }
    setupDepthStencil(s);
    if (gl.raisedGLError("setupDepthStencil")) {
        return D3DERR_DRIVERINTERNALERROR;
    }
    setupBlending(s);
    if (gl.raisedGLError("setupBlending")) {
        return D3DERR_DRIVERINTERNALERROR;
    }
    setupTransforms(s, p, call.instanced());
    if (gl.raisedGLError("setupTransforms")) {
        return D3DERR_DRIVERINTERNALERROR;
    }
    setupLighting(s, p, layout);
    if (gl.raisedGLError("setupLighting")) {
        return D3DERR_DRIVERINTERNALERROR;
    }
    setupFragmentStage(s, p);
    if (gl.raisedGLError("setupFragmentStage")) {
        return D3DERR_DRIVERINTERNALERROR;
    }
    if (texture != nullptr) {
        setupSampler(s, gl.sampler, *texture, gl.mirrorClamp);
        if (gl.raisedGLError("setupSampler")) {
            return D3DERR_DRIVERINTERNALERROR;
        }
    }

    GLVertexStream stream;
    if (!bindVertexStream(call, s, layout, gl.streamVertices, &stream)) {
        return D3DERR_INVALIDCALL;
    }
    if (gl.raisedGLError("bindVertexStream")) {
        return D3DERR_DRIVERINTERNALERROR;
    }
    setupVertexAttributes(layout, stream);
    if (gl.raisedGLError("setupVertexAttributes")) {
        return D3DERR_DRIVERINTERNALERROR;
    }
    if (!setupInstanceAttributes(call, s, gl.streamInstances)) {
        return D3DERR_INVALIDCALL;
    }
    if (gl.raisedGLError("setupInstanceAttributes")) {
        return D3DERR_DRIVERINTERNALERROR;
    }
    if (!issueDraw(call, s, gl.streamIndices)) {
        return D3DERR_INVALIDCALL;
    }
    return gl.raisedGLError("issueDraw") ? D3DERR_DRIVERINTERNALERROR : D3D_OK;
}
