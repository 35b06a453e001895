#include "d3d9/gl_device.h"

#include "d3dx9/d3dx9math.h"
#include "gl_host_state.h"
#include "gl_objects.h"
#include "gl_program.h"
#include "gl_vertex_layout.h"

#include <algorithm>
#include <cstring>
#include <optional>

namespace {

float floatBits(DWORD value) {
    float f;
    std::memcpy(&f, &value, sizeof f);
    return f;
}

D3DXMATRIX matrixOf(const D3DMATRIX& m) {
    D3DXMATRIX result;
    static_cast<D3DMATRIX&>(result) = m;
    return result;
}

void colourOf(D3DCOLOR colour, GLfloat out[4]) {
    out[0] = static_cast<GLfloat>((colour >> 16) & 0xFF) / 255.0f;
    out[1] = static_cast<GLfloat>((colour >> 8) & 0xFF) / 255.0f;
    out[2] = static_cast<GLfloat>(colour & 0xFF) / 255.0f;
    out[3] = static_cast<GLfloat>(colour >> 24) / 255.0f;
}

GLenum primitiveMode(D3DPRIMITIVETYPE type) {
    switch (type) {
    case D3DPT_POINTLIST:
        return GL_POINTS;
    case D3DPT_LINELIST:
        return GL_LINES;
    case D3DPT_LINESTRIP:
        return GL_LINE_STRIP;
    case D3DPT_TRIANGLESTRIP:
        return GL_TRIANGLE_STRIP;
    case D3DPT_TRIANGLEFAN:
        return GL_TRIANGLE_FAN;
    case D3DPT_TRIANGLELIST:
    default:
        return GL_TRIANGLES;
    }
}

GLenum compareFunction(DWORD func) {
    switch (func) {
    case D3DCMP_NEVER:
        return GL_NEVER;
    case D3DCMP_LESS:
        return GL_LESS;
    case D3DCMP_EQUAL:
        return GL_EQUAL;
    case D3DCMP_LESSEQUAL:
        return GL_LEQUAL;
    case D3DCMP_GREATER:
        return GL_GREATER;
    case D3DCMP_NOTEQUAL:
        return GL_NOTEQUAL;
    case D3DCMP_GREATEREQUAL:
        return GL_GEQUAL;
    default:
        return GL_ALWAYS;
    }
}

GLenum blendFactor(DWORD blend) {
    switch (blend) {
    case D3DBLEND_ZERO:
        return GL_ZERO;
    case D3DBLEND_SRCCOLOR:
        return GL_SRC_COLOR;
    case D3DBLEND_INVSRCCOLOR:
        return GL_ONE_MINUS_SRC_COLOR;
    case D3DBLEND_SRCALPHA:
        return GL_SRC_ALPHA;
    case D3DBLEND_INVSRCALPHA:
        return GL_ONE_MINUS_SRC_ALPHA;
    case D3DBLEND_DESTALPHA:
        return GL_DST_ALPHA;
    case D3DBLEND_INVDESTALPHA:
        return GL_ONE_MINUS_DST_ALPHA;
    case D3DBLEND_DESTCOLOR:
        return GL_DST_COLOR;
    case D3DBLEND_INVDESTCOLOR:
        return GL_ONE_MINUS_DST_COLOR;
    case D3DBLEND_SRCALPHASAT:
        return GL_SRC_ALPHA_SATURATE;
    case D3DBLEND_BLENDFACTOR:
        return GL_CONSTANT_COLOR;
    case D3DBLEND_INVBLENDFACTOR:
        return GL_ONE_MINUS_CONSTANT_COLOR;
    case D3DBLEND_ONE:
    default:
        return GL_ONE;
    }
}

// The two "both" factors set source and destination together.
void blendFactors(DWORD src, DWORD dst, GLenum* glSrc, GLenum* glDst) {
    if (src == D3DBLEND_BOTHSRCALPHA) {
        *glSrc = GL_SRC_ALPHA;
        *glDst = GL_ONE_MINUS_SRC_ALPHA;
    } else if (src == D3DBLEND_BOTHINVSRCALPHA) {
        *glSrc = GL_ONE_MINUS_SRC_ALPHA;
        *glDst = GL_SRC_ALPHA;
    } else {
        *glSrc = blendFactor(src);
        *glDst = blendFactor(dst);
    }
}

GLenum blendEquation(DWORD op) {
    switch (op) {
    case D3DBLENDOP_SUBTRACT:
        return GL_FUNC_SUBTRACT;
    case D3DBLENDOP_REVSUBTRACT:
        return GL_FUNC_REVERSE_SUBTRACT;
    case D3DBLENDOP_MIN:
        return GL_MIN;
    case D3DBLENDOP_MAX:
        return GL_MAX;
    default:
        return GL_FUNC_ADD;
    }
}

GLint addressMode(DWORD address, bool mirrorClamp) {
    switch (address) {
    case D3DTADDRESS_MIRROR:
        return GL_MIRRORED_REPEAT;
    case D3DTADDRESS_CLAMP:
        return GL_CLAMP_TO_EDGE;
    case D3DTADDRESS_BORDER:
        return GL_CLAMP_TO_BORDER;
    case D3DTADDRESS_MIRRORONCE:
        return mirrorClamp ? GL_MIRROR_CLAMP_TO_EDGE : GL_MIRRORED_REPEAT;
    default:
        return GL_REPEAT;
    }
}

GLint minFilter(DWORD min, DWORD mip) {
    const bool linear = min != D3DTEXF_NONE && min != D3DTEXF_POINT;
    if (mip == D3DTEXF_POINT) {
        return linear ? GL_LINEAR_MIPMAP_NEAREST : GL_NEAREST_MIPMAP_NEAREST;
    }
    if (mip != D3DTEXF_NONE) {
        return linear ? GL_LINEAR_MIPMAP_LINEAR : GL_NEAREST_MIPMAP_LINEAR;
    }
    return linear ? GL_LINEAR : GL_NEAREST;
}

bool usesTexture(DWORD op, DWORD arg1, DWORD arg2) {
    if (op == D3DTOP_DISABLE) {
        return false;
    }
    const bool first = (arg1 & D3DTA_SELECTMASK) == D3DTA_TEXTURE;
    const bool second = (arg2 & D3DTA_SELECTMASK) == D3DTA_TEXTURE;
    if (op == D3DTOP_SELECTARG1) {
        return first;
    }
    if (op == D3DTOP_SELECTARG2) {
        return second;
    }
    return first || second;
}

} // namespace

struct GLDevice::Impl {
    std::shared_ptr<GLObjectRegistry> registry = std::make_shared<GLObjectRegistry>();

    // Objects of the device itself, made in the host's context on first use.
    bool ready = false;
    bool clipControl = false; // the context offers it
    bool clipControlAllowed = true;
    bool mirrorClamp = false;
    GLProgram program;
    GLuint vertexArray = 0;
    GLuint streamVertices = 0;
    GLuint streamIndices = 0;
    GLuint sampler = 0;
    std::string error;

    std::optional<GLHostState> sceneHost;
    std::function<HRESULT()> present;

    HRESULT makeReady();
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
    std::string log;
    if (!program.build(&log)) {
        error = "the fixed-function shader did not build: " + log;
        return D3DERR_NOTAVAILABLE;
    }
    glGenVertexArrays(1, &vertexArray);
    glGenBuffers(1, &streamVertices);
    glGenBuffers(1, &streamIndices);
    glGenSamplers(1, &sampler);
    clipControl = epoxy_gl_version() >= 45 || epoxy_has_gl_extension("GL_ARB_clip_control");
    mirrorClamp =
        epoxy_gl_version() >= 44 || epoxy_has_gl_extension("GL_ARB_texture_mirror_clamp_to_edge");
    error.clear();
    ready = true;
    return D3D_OK;
}

void GLDevice::Impl::deleteObjects() {
    if (ready) {
        program.destroy();
        glDeleteVertexArrays(1, &vertexArray);
        glDeleteBuffers(1, &streamVertices);
        glDeleteBuffers(1, &streamIndices);
        glDeleteSamplers(1, &sampler);
    }
    registry->deleteAll();
    forgetObjects();
}

void GLDevice::Impl::forgetObjects() {
    program = GLProgram{};
    vertexArray = streamVertices = streamIndices = sampler = 0;
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

const std::string& GLDevice::contextError() const {
    return impl_->error;
}

bool GLDevice::usesClipControl() const {
    return impl_->ready && impl_->clipControl && impl_->clipControlAllowed;
}

void GLDevice::setClipControlAllowed(bool allowed) {
    impl_->clipControlAllowed = allowed;
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
    std::optional<GLHostState> host;
    if (!impl_->sceneHost) {
        host.emplace();
        host->capture(impl_->clipControl);
    }

    GLbitfield mask = 0;
    if ((flags & D3DCLEAR_TARGET) != 0) {
        GLfloat c[4];
        colourOf(color, c);
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
    return D3D_OK;
}

HRESULT GLDevice::drawHook(const DrawCall& call) {
    Impl& gl = *impl_;
    if (!gl.sceneHost) {
        // The GL objects were released inside this scene.
        return D3DERR_INVALIDCALL;
    }
    const DeviceState& s = state();
    const auto rs = [&s](D3DRENDERSTATETYPE type) { return s.renderState(type); };
    const FvfLayout layout = fvfLayout(s.fvf, s.stageState(0, D3DTSS_TEXCOORDINDEX) & 0xFFFF);
    const GLProgram& p = gl.program;

    glUseProgram(p.program);
    glBindVertexArray(gl.vertexArray);

    // --- rasterizer and output state ---------------------------------------------------
    const D3DVIEWPORT9& vp = s.viewport;
    const GLint bottom = static_cast<GLint>(config().backBufferHeight) - static_cast<GLint>(vp.Y) -
                         static_cast<GLint>(vp.Height);
    glViewport(static_cast<GLint>(vp.X), bottom, static_cast<GLsizei>(vp.Width),
               static_cast<GLsizei>(vp.Height));
    glDepthRange(vp.MinZ, vp.MaxZ);
    const bool clipControl = usesClipControl();
    if (clipControl) {
        glClipControl(GL_LOWER_LEFT, GL_ZERO_TO_ONE);
    } else if (gl.clipControl) {
        glClipControl(GL_LOWER_LEFT, GL_NEGATIVE_ONE_TO_ONE);
    }
    glDisable(GL_SCISSOR_TEST);
    glDisable(GL_STENCIL_TEST);
    glDisable(GL_POLYGON_OFFSET_FILL);
    glDisable(GL_PRIMITIVE_RESTART);
    glDisable(GL_SAMPLE_ALPHA_TO_COVERAGE);

    // Nothing is mirrored on the way to the screen, so "counter-clockwise as seen on the
    // screen" is GL's counter-clockwise in window coordinates. Direct3D names the
    // winding it removes.
    const DWORD cull = rs(D3DRS_CULLMODE);
    if (cull == D3DCULL_CW || cull == D3DCULL_CCW) {
        glEnable(GL_CULL_FACE);
        glFrontFace(GL_CCW);
        glCullFace(cull == D3DCULL_CCW ? GL_FRONT : GL_BACK);
    } else {
        glDisable(GL_CULL_FACE);
    }
    const DWORD fill = rs(D3DRS_FILLMODE);
    glPolygonMode(GL_FRONT_AND_BACK, fill == D3DFILL_WIREFRAME ? GL_LINE
                                     : fill == D3DFILL_POINT   ? GL_POINT
                                                               : GL_FILL);
    // Flat shading takes each triangle's first vertex, as Direct3D does.
    glProvokingVertex(GL_FIRST_VERTEX_CONVENTION);

    if (rs(D3DRS_ZENABLE) != D3DZB_FALSE) {
        glEnable(GL_DEPTH_TEST);
        glDepthFunc(compareFunction(rs(D3DRS_ZFUNC)));
        glDepthMask(rs(D3DRS_ZWRITEENABLE) != FALSE ? GL_TRUE : GL_FALSE);
    } else {
        glDisable(GL_DEPTH_TEST);
    }

    if (rs(D3DRS_ALPHABLENDENABLE) != FALSE) {
        glEnable(GL_BLEND);
        GLenum src = GL_ONE;
        GLenum dst = GL_ZERO;
        blendFactors(rs(D3DRS_SRCBLEND), rs(D3DRS_DESTBLEND), &src, &dst);
        GLenum srcAlpha = src;
        GLenum dstAlpha = dst;
        GLenum equationAlpha = blendEquation(rs(D3DRS_BLENDOP));
        if (rs(D3DRS_SEPARATEALPHABLENDENABLE) != FALSE) {
            blendFactors(rs(D3DRS_SRCBLENDALPHA), rs(D3DRS_DESTBLENDALPHA), &srcAlpha, &dstAlpha);
            equationAlpha = blendEquation(rs(D3DRS_BLENDOPALPHA));
        }
        glBlendFuncSeparate(src, dst, srcAlpha, dstAlpha);
        glBlendEquationSeparate(blendEquation(rs(D3DRS_BLENDOP)), equationAlpha);
        GLfloat factor[4];
        colourOf(rs(D3DRS_BLENDFACTOR), factor);
        glBlendColor(factor[0], factor[1], factor[2], factor[3]);
    } else {
        glDisable(GL_BLEND);
    }
    const DWORD writeMask = rs(D3DRS_COLORWRITEENABLE);
    glColorMask((writeMask & 1) != 0, (writeMask & 2) != 0, (writeMask & 4) != 0,
                (writeMask & 8) != 0);

    // --- transforms and lighting ---------------------------------------------------------
    const D3DXMATRIX world = matrixOf(s.transform(D3DTS_WORLD));
    const D3DXMATRIX view = matrixOf(s.transform(D3DTS_VIEW));
    const D3DXMATRIX projection = matrixOf(s.transform(D3DTS_PROJECTION));
    const D3DXMATRIX worldViewProjection = world * view * projection;
    glUniformMatrix4fv(p.worldViewProjection, 1, GL_FALSE, &worldViewProjection._11);
    // Normals go through the inverse transpose of the world matrix, so that scaling
    // does not tilt them.
    D3DXMATRIX normalMatrix;
    if (D3DXMatrixInverse(&normalMatrix, nullptr, &world) != nullptr) {
        D3DXMatrixTranspose(&normalMatrix, &normalMatrix);
    } else {
        normalMatrix = world;
    }
    glUniformMatrix4fv(p.normalMatrix, 1, GL_FALSE, &normalMatrix._11);

    glUniform1i(p.pretransformed, layout.pretransformed ? 1 : 0);
    // Screen pixels to normalised coordinates over the viewport; Direct3D 9 puts pixel
    // centres on whole coordinates, GL half a pixel further on.
    const float vw = static_cast<float>(vp.Width);
    const float vh = static_cast<float>(vp.Height);
    glUniform4f(p.screenToClip, 2.0f / vw, -2.0f / vh,
                (0.5f - static_cast<float>(vp.X)) * 2.0f / vw - 1.0f,
                1.0f - (0.5f - static_cast<float>(vp.Y)) * 2.0f / vh);
    glUniform1i(p.remapDepth, clipControl ? 0 : 1);
    glUniform1i(p.hasNormal, layout.normal >= 0 ? 1 : 0);
    glUniform1i(p.hasDiffuse, layout.diffuse >= 0 ? 1 : 0);

    const bool lighting = rs(D3DRS_LIGHTING) != FALSE && !layout.pretransformed;
    glUniform1i(p.lighting, lighting ? 1 : 0);
    if (lighting) {
        const D3DMATERIAL9& m = s.material;
        glUniform4f(p.materialDiffuse, m.Diffuse.r, m.Diffuse.g, m.Diffuse.b, m.Diffuse.a);
        glUniform4f(p.materialAmbient, m.Ambient.r, m.Ambient.g, m.Ambient.b, m.Ambient.a);
        glUniform4f(p.materialEmissive, m.Emissive.r, m.Emissive.g, m.Emissive.b, m.Emissive.a);
        // A colour source names a vertex colour; the diffuse one is all this format has.
        const bool colourVertex = rs(D3DRS_COLORVERTEX) != FALSE && layout.diffuse >= 0;
        const auto source = [&](D3DRENDERSTATETYPE type) {
            return colourVertex && rs(type) == D3DMCS_COLOR1 ? 1 : 0;
        };
        glUniform1i(p.diffuseSource, source(D3DRS_DIFFUSEMATERIALSOURCE));
        glUniform1i(p.ambientSource, source(D3DRS_AMBIENTMATERIALSOURCE));
        glUniform1i(p.emissiveSource, source(D3DRS_EMISSIVEMATERIALSOURCE));
        GLfloat ambient[4];
        colourOf(rs(D3DRS_AMBIENT), ambient);
        glUniform4fv(p.ambient, 1, ambient);

        GLfloat directions[kGLMaxLights * 3] = {};
        GLfloat diffuse[kGLMaxLights * 4] = {};
        GLfloat lightAmbient[kGLMaxLights * 4] = {};
        int lights = 0;
        for (const auto& [index, slot] : s.lights) {
            if (!slot.enabled || slot.light.Type != D3DLIGHT_DIRECTIONAL ||
                lights == kGLMaxLights) {
                continue;
            }
            // Direct3D's direction is the way the light travels; the shader wants the
            // way towards the light.
            D3DXVECTOR3 toLight(-slot.light.Direction.x, -slot.light.Direction.y,
                                -slot.light.Direction.z);
            D3DXVec3Normalize(&toLight, &toLight);
            directions[lights * 3 + 0] = toLight.x;
            directions[lights * 3 + 1] = toLight.y;
            directions[lights * 3 + 2] = toLight.z;
            const D3DCOLORVALUE& d = slot.light.Diffuse;
            const D3DCOLORVALUE& a = slot.light.Ambient;
            std::copy_n(&d.r, 4, &diffuse[lights * 4]);
            std::copy_n(&a.r, 4, &lightAmbient[lights * 4]);
            ++lights;
        }
        glUniform1i(p.lightCount, lights);
        glUniform3fv(p.lightDirection, kGLMaxLights, directions);
        glUniform4fv(p.lightDiffuse, kGLMaxLights, diffuse);
        glUniform4fv(p.lightAmbient, kGLMaxLights, lightAmbient);
    }
    glUniform1i(p.flat, rs(D3DRS_SHADEMODE) == D3DSHADE_FLAT ? 1 : 0);

    // --- texture stage 0 -------------------------------------------------------------------
    DWORD colourOp = s.stageState(0, D3DTSS_COLOROP);
    DWORD colourArg1 = s.stageState(0, D3DTSS_COLORARG1);
    const DWORD colourArg2 = s.stageState(0, D3DTSS_COLORARG2);
    DWORD alphaOp = s.stageState(0, D3DTSS_ALPHAOP);
    DWORD alphaArg1 = s.stageState(0, D3DTSS_ALPHAARG1);
    const DWORD alphaArg2 = s.stageState(0, D3DTSS_ALPHAARG2);
    const bool colourReadsTexture = usesTexture(colourOp, colourArg1, colourArg2);
    const bool alphaReadsTexture =
        colourOp != D3DTOP_DISABLE && usesTexture(alphaOp, alphaArg1, alphaArg2);

    bool textured = false;
    glActiveTexture(GL_TEXTURE0);
    auto* texture = dynamic_cast<GLTexture*>(s.texture(0));
    if (texture != nullptr && (colourReadsTexture || alphaReadsTexture)) {
        textured = bindTexture(*texture);
    }
    // An operation that reads a texture where none is set passes the diffuse colour (and
    // alpha) on, as drivers do: untextured geometry under the default stage state shows
    // its vertex or lit colour, with its alpha, and so does an object whose picture
    // failed to load.
    if (!textured && colourReadsTexture) {
        colourOp = D3DTOP_SELECTARG1;
        colourArg1 = D3DTA_CURRENT;
    }
    if (!textured && alphaReadsTexture) {
        alphaOp = D3DTOP_SELECTARG1;
        alphaArg1 = D3DTA_CURRENT;
    }
    glUniform1i(p.colourOp, static_cast<GLint>(colourOp));
    glUniform1i(p.colourArg1, static_cast<GLint>(colourArg1));
    glUniform1i(p.colourArg2, static_cast<GLint>(colourArg2));
    glUniform1i(p.alphaOp, static_cast<GLint>(alphaOp));
    glUniform1i(p.alphaArg1, static_cast<GLint>(alphaArg1));
    glUniform1i(p.alphaArg2, static_cast<GLint>(alphaArg2));
    GLfloat factor[4];
    colourOf(rs(D3DRS_TEXTUREFACTOR), factor);
    glUniform4fv(p.textureFactor, 1, factor);

    if (textured) {
        const auto ss = [&s](D3DSAMPLERSTATETYPE type) { return s.samplerState(0, type); };
        glBindSampler(0, gl.sampler);
        glSamplerParameteri(gl.sampler, GL_TEXTURE_MAG_FILTER,
                            ss(D3DSAMP_MAGFILTER) == D3DTEXF_POINT ||
                                    ss(D3DSAMP_MAGFILTER) == D3DTEXF_NONE
                                ? GL_NEAREST
                                : GL_LINEAR);
        glSamplerParameteri(gl.sampler, GL_TEXTURE_MIN_FILTER,
                            minFilter(ss(D3DSAMP_MINFILTER), texture->levelCount() > 1
                                                                 ? ss(D3DSAMP_MIPFILTER)
                                                                 : D3DTEXF_NONE));
        glSamplerParameteri(gl.sampler, GL_TEXTURE_WRAP_S,
                            addressMode(ss(D3DSAMP_ADDRESSU), gl.mirrorClamp));
        glSamplerParameteri(gl.sampler, GL_TEXTURE_WRAP_T,
                            addressMode(ss(D3DSAMP_ADDRESSV), gl.mirrorClamp));
        GLfloat border[4];
        colourOf(ss(D3DSAMP_BORDERCOLOR), border);
        glSamplerParameterfv(gl.sampler, GL_TEXTURE_BORDER_COLOR, border);
        glSamplerParameterf(gl.sampler, GL_TEXTURE_MIN_LOD,
                            static_cast<GLfloat>(ss(D3DSAMP_MAXMIPLEVEL)));
        glSamplerParameterf(gl.sampler, GL_TEXTURE_LOD_BIAS, floatBits(ss(D3DSAMP_MIPMAPLODBIAS)));
    }
    glUniform1i(p.texture, 0);
    glUniform1i(p.hasTexture, textured ? 1 : 0);

    const bool alphaTest = rs(D3DRS_ALPHATESTENABLE) != FALSE;
    glUniform1i(p.alphaFunc,
                static_cast<GLint>(alphaTest ? rs(D3DRS_ALPHAFUNC) : DWORD{D3DCMP_ALWAYS}));
    glUniform1f(p.alphaRef, static_cast<GLfloat>(rs(D3DRS_ALPHAREF) & 0xFF));

    // --- vertices and indices ----------------------------------------------------------------
    const bool userData =
        call.kind == DrawCall::Kind::PrimitiveUP || call.kind == DrawCall::Kind::IndexedPrimitiveUP;
    UINT stride = 0;
    std::size_t base = 0;
    if (userData) {
        stride = call.userStride;
        const UINT vertices = call.kind == DrawCall::Kind::PrimitiveUP
                                  ? call.elementCount
                                  : call.minVertexIndex + call.numVertices;
        // The last vertex may end before a whole stride does.
        const std::size_t bytes = static_cast<std::size_t>(vertices - 1) * stride + layout.size;
        glBindBuffer(GL_ARRAY_BUFFER, gl.streamVertices);
        glBufferData(GL_ARRAY_BUFFER, static_cast<GLsizeiptr>(bytes), call.userVertices,
                     GL_STREAM_DRAW);
    } else {
        const StreamBinding& stream = s.streams[0];
        stride = stream.stride;
        base = stream.offset;
        if (auto* buffer = dynamic_cast<GLVertexBuffer*>(stream.buffer.get())) {
            glBindBuffer(GL_ARRAY_BUFFER, buffer->gl.name());
            if (buffer->gl.needsUpload(buffer->version())) {
                glBufferData(GL_ARRAY_BUFFER, static_cast<GLsizeiptr>(buffer->bytes().size()),
                             buffer->bytes().data(), GL_STATIC_DRAW);
                buffer->gl.uploaded(buffer->version());
            }
        } else if (auto* memory = dynamic_cast<MemoryVertexBuffer*>(stream.buffer.get())) {
            // A buffer of another device: its bytes travel with the draw.
            glBindBuffer(GL_ARRAY_BUFFER, gl.streamVertices);
            glBufferData(GL_ARRAY_BUFFER, static_cast<GLsizeiptr>(memory->bytes().size()),
                         memory->bytes().data(), GL_STREAM_DRAW);
        } else {
            return D3DERR_INVALIDCALL;
        }
    }

    const auto attribute = [&](GLuint location, int offset, GLint size, GLenum type,
                               GLboolean normalise) {
        if (offset < 0) {
            glDisableVertexAttribArray(location);
            return;
        }
        glEnableVertexAttribArray(location);
        glVertexAttribPointer(
            location, size, type, normalise, static_cast<GLsizei>(stride),
            reinterpret_cast<const void*>(base + static_cast<std::size_t>(offset)));
    };
    attribute(kAttribPosition, 0, layout.positionComponents, GL_FLOAT, GL_FALSE);
    attribute(kAttribNormal, layout.normal, 3, GL_FLOAT, GL_FALSE);
    // A D3DCOLOR is a little-endian ARGB word: bytes B, G, R, A.
    attribute(kAttribDiffuse, layout.diffuse, GL_BGRA, GL_UNSIGNED_BYTE, GL_TRUE);
    attribute(kAttribTexcoord, layout.texcoord, std::min(layout.texcoordComponents, 2), GL_FLOAT,
              GL_FALSE);

    const GLenum mode = primitiveMode(call.primitiveType);
    const auto count = static_cast<GLsizei>(call.elementCount);
    switch (call.kind) {
    case DrawCall::Kind::Primitive:
        glDrawArrays(mode, static_cast<GLint>(call.startVertex), count);
        break;
    case DrawCall::Kind::PrimitiveUP:
        glDrawArrays(mode, 0, count);
        break;
    case DrawCall::Kind::IndexedPrimitive: {
        auto* indices = dynamic_cast<MemoryIndexBuffer*>(s.indices.get());
        if (indices == nullptr) {
            return D3DERR_INVALIDCALL;
        }
        if (auto* glIndices = dynamic_cast<GLIndexBuffer*>(indices)) {
            glBindBuffer(GL_ELEMENT_ARRAY_BUFFER, glIndices->gl.name());
            if (glIndices->gl.needsUpload(glIndices->version())) {
                glBufferData(GL_ELEMENT_ARRAY_BUFFER,
                             static_cast<GLsizeiptr>(glIndices->bytes().size()),
                             glIndices->bytes().data(), GL_STATIC_DRAW);
                glIndices->gl.uploaded(glIndices->version());
            }
        } else {
            glBindBuffer(GL_ELEMENT_ARRAY_BUFFER, gl.streamIndices);
            glBufferData(GL_ELEMENT_ARRAY_BUFFER, static_cast<GLsizeiptr>(indices->bytes().size()),
                         indices->bytes().data(), GL_STREAM_DRAW);
        }
        const UINT size = indices->indexSize();
        glDrawElementsBaseVertex(
            mode, count, size == 4 ? GL_UNSIGNED_INT : GL_UNSIGNED_SHORT,
            reinterpret_cast<const void*>(static_cast<std::size_t>(call.startIndex) * size),
            call.baseVertexIndex);
        break;
    }
    case DrawCall::Kind::IndexedPrimitiveUP: {
        const bool wide = call.userIndexFormat == D3DFMT_INDEX32;
        glBindBuffer(GL_ELEMENT_ARRAY_BUFFER, gl.streamIndices);
        glBufferData(GL_ELEMENT_ARRAY_BUFFER,
                     static_cast<GLsizeiptr>(call.elementCount) * (wide ? 4 : 2), call.userIndices,
                     GL_STREAM_DRAW);
        glDrawElements(mode, count, wide ? GL_UNSIGNED_INT : GL_UNSIGNED_SHORT, nullptr);
        break;
    }
    }
    return D3D_OK;
}
