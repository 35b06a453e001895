#include "gl_draw_state.h"

#include "d3dx9/d3dx9math.h"

#include <algorithm>
#include <cstring>

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

// Binds a vertex buffer to GL_ARRAY_BUFFER: its own GL object, uploaded when its bytes
// changed, or for a buffer of another device its bytes through streamBuffer.
bool bindVertexBuffer(IDirect3DVertexBuffer9* vertices, GLuint streamBuffer) {
    if (auto* buffer = dynamic_cast<GLVertexBuffer*>(vertices)) {
        glBindBuffer(GL_ARRAY_BUFFER, buffer->gl.name());
        if (buffer->gl.needsUpload(buffer->version())) {
            glBufferData(GL_ARRAY_BUFFER, static_cast<GLsizeiptr>(buffer->bytes().size()),
                         buffer->bytes().data(), GL_STATIC_DRAW);
            buffer->gl.uploaded(buffer->version());
        }
        return true;
    }
    if (auto* memory = dynamic_cast<MemoryVertexBuffer*>(vertices)) {
        glBindBuffer(GL_ARRAY_BUFFER, streamBuffer);
        glBufferData(GL_ARRAY_BUFFER, static_cast<GLsizeiptr>(memory->bytes().size()),
                     memory->bytes().data(), GL_STREAM_DRAW);
        return true;
    }
    return false;
}

} // namespace

void glColourOf(D3DCOLOR colour, GLfloat out[4]) {
    out[0] = static_cast<GLfloat>((colour >> 16) & 0xFF) / 255.0f;
    out[1] = static_cast<GLfloat>((colour >> 8) & 0xFF) / 255.0f;
    out[2] = static_cast<GLfloat>(colour & 0xFF) / 255.0f;
    out[3] = static_cast<GLfloat>(colour >> 24) / 255.0f;
}

void setupRasterizer(const DeviceState& s, UINT backBufferHeight, bool zeroToOne,
                     bool clipControlAvailable) {
    const D3DVIEWPORT9& vp = s.viewport;
    const GLint bottom = static_cast<GLint>(backBufferHeight) - static_cast<GLint>(vp.Y) -
                         static_cast<GLint>(vp.Height);
    glViewport(static_cast<GLint>(vp.X), bottom, static_cast<GLsizei>(vp.Width),
               static_cast<GLsizei>(vp.Height));
    glDepthRange(vp.MinZ, vp.MaxZ);
    if (zeroToOne) {
        glClipControl(GL_LOWER_LEFT, GL_ZERO_TO_ONE);
    } else if (clipControlAvailable) {
        glClipControl(GL_LOWER_LEFT, GL_NEGATIVE_ONE_TO_ONE);
    }
    glDisable(GL_SCISSOR_TEST);
    glDisable(GL_POLYGON_OFFSET_FILL);
    glDisable(GL_PRIMITIVE_RESTART);
    glDisable(GL_SAMPLE_ALPHA_TO_COVERAGE);

    // Nothing is mirrored on the way to the screen, so "counter-clockwise as seen on the
    // screen" is GL's counter-clockwise in window coordinates. Direct3D names the
    // winding it removes.
    const DWORD cull = s.renderState(D3DRS_CULLMODE);
    if (cull == D3DCULL_CW || cull == D3DCULL_CCW) {
        glEnable(GL_CULL_FACE);
        glFrontFace(GL_CCW);
        glCullFace(cull == D3DCULL_CCW ? GL_FRONT : GL_BACK);
    } else {
        glDisable(GL_CULL_FACE);
    }
    const DWORD fill = s.renderState(D3DRS_FILLMODE);
    glPolygonMode(GL_FRONT_AND_BACK, fill == D3DFILL_WIREFRAME ? GL_LINE
                                     : fill == D3DFILL_POINT   ? GL_POINT
                                                               : GL_FILL);
    // Flat shading takes each triangle's first vertex, as Direct3D does.
    glProvokingVertex(GL_FIRST_VERTEX_CONVENTION);
}

void setupDepthStencil(const DeviceState& s) {
    if (s.renderState(D3DRS_ZENABLE) != D3DZB_FALSE) {
        glEnable(GL_DEPTH_TEST);
        glDepthFunc(compareFunction(s.renderState(D3DRS_ZFUNC)));
        glDepthMask(s.renderState(D3DRS_ZWRITEENABLE) != FALSE ? GL_TRUE : GL_FALSE);
    } else {
        glDisable(GL_DEPTH_TEST);
    }
    glDisable(GL_STENCIL_TEST);
}

void setupBlending(const DeviceState& s) {
    const auto rs = [&s](D3DRENDERSTATETYPE type) { return s.renderState(type); };
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
        glColourOf(rs(D3DRS_BLENDFACTOR), factor);
        glBlendColor(factor[0], factor[1], factor[2], factor[3]);
    } else {
        glDisable(GL_BLEND);
    }
    const DWORD writeMask = rs(D3DRS_COLORWRITEENABLE);
    glColorMask((writeMask & 1) != 0, (writeMask & 2) != 0, (writeMask & 4) != 0,
                (writeMask & 8) != 0);
}

namespace {

// The directional lights the shader lights with, at most kGLMaxLights of them.
struct ShaderLights {
    int count = 0;
    GLfloat directions[kGLMaxLights * 3] = {};
    GLfloat diffuse[kGLMaxLights * 4] = {};
    GLfloat ambient[kGLMaxLights * 4] = {};
};

ShaderLights shaderLights(const DeviceState& s) {
    ShaderLights lights;
    for (const auto& [index, slot] : s.lights) {
        if (!slot.enabled || slot.light.Type != D3DLIGHT_DIRECTIONAL ||
            lights.count == kGLMaxLights) {
            continue;
        }
        // Direct3D's direction is the way the light travels; the shader wants the way
        // towards the light.
        D3DXVECTOR3 toLight(-slot.light.Direction.x, -slot.light.Direction.y,
                            -slot.light.Direction.z);
        D3DXVec3Normalize(&toLight, &toLight);
        const int i = lights.count++;
        lights.directions[i * 3 + 0] = toLight.x;
        lights.directions[i * 3 + 1] = toLight.y;
        lights.directions[i * 3 + 2] = toLight.z;
        std::copy_n(&slot.light.Diffuse.r, 4, &lights.diffuse[i * 4]);
        std::copy_n(&slot.light.Ambient.r, 4, &lights.ambient[i * 4]);
    }
    return lights;
}

// Which of texture stage 0's operations read its texture.
struct StageReads {
    bool colour = false;
    bool alpha = false;
};

StageReads stageReads(const DeviceState& s) {
    const DWORD colourOp = s.stageState(0, D3DTSS_COLOROP);
    return {
        usesTexture(colourOp, s.stageState(0, D3DTSS_COLORARG1), s.stageState(0, D3DTSS_COLORARG2)),
        colourOp != D3DTOP_DISABLE &&
            usesTexture(s.stageState(0, D3DTSS_ALPHAOP), s.stageState(0, D3DTSS_ALPHAARG1),
                        s.stageState(0, D3DTSS_ALPHAARG2))};
}

bool lightingOn(const DeviceState& s, const FvfLayout& layout) {
    return s.renderState(D3DRS_LIGHTING) != FALSE && !layout.pretransformed;
}

} // namespace

GLFragmentStage fragmentStage(const DeviceState& s, bool textured) {
    const auto rs = [&s](D3DRENDERSTATETYPE type) { return s.renderState(type); };
    GLFragmentStage f;
    f.flat = rs(D3DRS_SHADEMODE) == D3DSHADE_FLAT;
    f.hasTexture = textured;
    f.colourOp = static_cast<int>(s.stageState(0, D3DTSS_COLOROP));
    f.colourArg1 = static_cast<int>(s.stageState(0, D3DTSS_COLORARG1));
    f.colourArg2 = static_cast<int>(s.stageState(0, D3DTSS_COLORARG2));
    f.alphaOp = static_cast<int>(s.stageState(0, D3DTSS_ALPHAOP));
    f.alphaArg1 = static_cast<int>(s.stageState(0, D3DTSS_ALPHAARG1));
    f.alphaArg2 = static_cast<int>(s.stageState(0, D3DTSS_ALPHAARG2));
    // An operation that reads a texture where none is set passes the diffuse colour (and
    // alpha) on, as drivers do: untextured geometry under the default stage state shows
    // its vertex or lit colour, with its alpha, and so does an object whose picture
    // failed to load.
    const StageReads reads = stageReads(s);
    if (!textured && reads.colour) {
        f.colourOp = D3DTOP_SELECTARG1;
        f.colourArg1 = D3DTA_CURRENT;
    }
    if (!textured && reads.alpha) {
        f.alphaOp = D3DTOP_SELECTARG1;
        f.alphaArg1 = D3DTA_CURRENT;
    }
    f.alphaFunc = static_cast<int>(rs(D3DRS_ALPHATESTENABLE) != FALSE ? rs(D3DRS_ALPHAFUNC)
                                                                      : DWORD{D3DCMP_ALWAYS});
    return f;
}

GLTexture* bindStageTexture(const DeviceState& s) {
    glActiveTexture(GL_TEXTURE0);
    auto* texture = dynamic_cast<GLTexture*>(s.texture(0));
    const StageReads reads = stageReads(s);
    if (texture != nullptr && (reads.colour || reads.alpha) && bindTexture(*texture)) {
        return texture;
    }
    return nullptr;
}

GLShaderSwitches shaderSwitches(const DeviceState& s, const FvfLayout& layout, bool zeroToOne,
                                bool instanced, const GLFragmentStage& stage) {
    const auto rs = [&s](D3DRENDERSTATETYPE type) { return s.renderState(type); };
    GLShaderSwitches w;
    w.instanced = instanced;
    w.pretransformed = layout.pretransformed;
    w.remapDepth = !zeroToOne;
    w.hasNormal = layout.normal >= 0;
    w.hasDiffuse = layout.diffuse >= 0;
    w.lighting = lightingOn(s, layout);
    if (w.lighting) {
        // A colour source names a vertex colour; the diffuse one is all this format has.
        const bool colourVertex = rs(D3DRS_COLORVERTEX) != FALSE && layout.diffuse >= 0;
        const auto source = [&](D3DRENDERSTATETYPE type) {
            return colourVertex && rs(type) == D3DMCS_COLOR1 ? 1 : 0;
        };
        w.diffuseSource = source(D3DRS_DIFFUSEMATERIALSOURCE);
        w.ambientSource = source(D3DRS_AMBIENTMATERIALSOURCE);
        w.emissiveSource = source(D3DRS_EMISSIVEMATERIALSOURCE);
        w.lightCount = shaderLights(s).count;
    }
    w.stage = stage;
    return w;
}

void setupTransforms(const DeviceState& s, const GLProgram& p, bool instanced) {
    const D3DXMATRIX view = matrixOf(s.transform(D3DTS_VIEW));
    const D3DXMATRIX projection = matrixOf(s.transform(D3DTS_PROJECTION));
    if (instanced) {
        // The shader puts each instance's world in front, and derives its normal matrix.
        const D3DXMATRIX viewProjection = view * projection;
        glUniformMatrix4fv(p.viewProjection, 1, GL_FALSE, &viewProjection._11);
    } else {
        const D3DXMATRIX world = matrixOf(s.transform(D3DTS_WORLD));
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
    }

    // Screen pixels to normalised coordinates over the viewport; Direct3D 9 puts pixel
    // centres on whole coordinates, GL half a pixel further on.
    const D3DVIEWPORT9& vp = s.viewport;
    const float vw = static_cast<float>(vp.Width);
    const float vh = static_cast<float>(vp.Height);
    glUniform4f(p.screenToClip, 2.0f / vw, -2.0f / vh,
                (0.5f - static_cast<float>(vp.X)) * 2.0f / vw - 1.0f,
                1.0f - (0.5f - static_cast<float>(vp.Y)) * 2.0f / vh);
}

void setupLighting(const DeviceState& s, const GLProgram& p, const FvfLayout& layout) {
    if (!lightingOn(s, layout)) {
        return;
    }
    const D3DMATERIAL9& m = s.material;
    glUniform4f(p.materialDiffuse, m.Diffuse.r, m.Diffuse.g, m.Diffuse.b, m.Diffuse.a);
    glUniform4f(p.materialAmbient, m.Ambient.r, m.Ambient.g, m.Ambient.b, m.Ambient.a);
    glUniform4f(p.materialEmissive, m.Emissive.r, m.Emissive.g, m.Emissive.b, m.Emissive.a);
    GLfloat ambient[4];
    glColourOf(s.renderState(D3DRS_AMBIENT), ambient);
    glUniform4fv(p.ambient, 1, ambient);
    const ShaderLights lights = shaderLights(s);
    glUniform3fv(p.lightDirection, kGLMaxLights, lights.directions);
    glUniform4fv(p.lightDiffuse, kGLMaxLights, lights.diffuse);
    glUniform4fv(p.lightAmbient, kGLMaxLights, lights.ambient);
}

void setupFragmentStage(const DeviceState& s, const GLProgram& p) {
    glUniform1f(p.alphaRef, static_cast<GLfloat>(s.renderState(D3DRS_ALPHAREF) & 0xFF));
    GLfloat factor[4];
    glColourOf(s.renderState(D3DRS_TEXTUREFACTOR), factor);
    glUniform4fv(p.textureFactor, 1, factor);
    glUniform1i(p.texture, 0);
}

void setupSampler(const DeviceState& s, GLuint sampler, const GLTexture& texture,
                  bool mirrorClamp) {
    const auto ss = [&s](D3DSAMPLERSTATETYPE type) { return s.samplerState(0, type); };
    glBindSampler(0, sampler);
    glSamplerParameteri(sampler, GL_TEXTURE_MAG_FILTER,
                        ss(D3DSAMP_MAGFILTER) == D3DTEXF_POINT ||
                                ss(D3DSAMP_MAGFILTER) == D3DTEXF_NONE
                            ? GL_NEAREST
                            : GL_LINEAR);
    glSamplerParameteri(sampler, GL_TEXTURE_MIN_FILTER,
                        minFilter(ss(D3DSAMP_MINFILTER), texture.levelCount() > 1
                                                             ? ss(D3DSAMP_MIPFILTER)
                                                             : DWORD{D3DTEXF_NONE}));
    glSamplerParameteri(sampler, GL_TEXTURE_WRAP_S, addressMode(ss(D3DSAMP_ADDRESSU), mirrorClamp));
    glSamplerParameteri(sampler, GL_TEXTURE_WRAP_T, addressMode(ss(D3DSAMP_ADDRESSV), mirrorClamp));
    GLfloat border[4];
    glColourOf(ss(D3DSAMP_BORDERCOLOR), border);
    glSamplerParameterfv(sampler, GL_TEXTURE_BORDER_COLOR, border);
    glSamplerParameterf(sampler, GL_TEXTURE_MIN_LOD, static_cast<GLfloat>(ss(D3DSAMP_MAXMIPLEVEL)));
    glSamplerParameterf(sampler, GL_TEXTURE_LOD_BIAS, floatBits(ss(D3DSAMP_MIPMAPLODBIAS)));
}

bool bindVertexStream(const DrawCall& call, const DeviceState& s, const FvfLayout& layout,
                      GLuint streamBuffer, GLVertexStream* out) {
    const bool userData =
        call.kind == DrawCall::Kind::PrimitiveUP || call.kind == DrawCall::Kind::IndexedPrimitiveUP;
    if (userData) {
        out->stride = call.userStride;
        out->base = 0;
        const UINT vertices = call.kind == DrawCall::Kind::PrimitiveUP
                                  ? call.elementCount
                                  : call.minVertexIndex + call.numVertices;
        // The last vertex may end before a whole stride does.
        const std::size_t bytes =
            static_cast<std::size_t>(vertices - 1) * out->stride + layout.size;
        glBindBuffer(GL_ARRAY_BUFFER, streamBuffer);
        glBufferData(GL_ARRAY_BUFFER, static_cast<GLsizeiptr>(bytes), call.userVertices,
                     GL_STREAM_DRAW);
        return true;
    }
    const StreamBinding& stream = s.streams[0];
    out->stride = stream.stride;
    out->base = stream.offset;
    return bindVertexBuffer(stream.buffer.get(), streamBuffer);
}

void setupVertexAttributes(const FvfLayout& layout, const GLVertexStream& stream) {
    const auto attribute = [&stream](GLuint location, int offset, GLint size, GLenum type,
                                     GLboolean normalise) {
        if (offset < 0) {
            glDisableVertexAttribArray(location);
            return;
        }
        glEnableVertexAttribArray(location);
        glVertexAttribPointer(
            location, size, type, normalise, static_cast<GLsizei>(stream.stride),
            reinterpret_cast<const void*>(stream.base + static_cast<std::size_t>(offset)));
    };
    attribute(kAttribPosition, 0, layout.positionComponents, GL_FLOAT, GL_FALSE);
    attribute(kAttribNormal, layout.normal, 3, GL_FLOAT, GL_FALSE);
    // A D3DCOLOR is a little-endian ARGB word: bytes B, G, R, A.
    attribute(kAttribDiffuse, layout.diffuse, GL_BGRA, GL_UNSIGNED_BYTE, GL_TRUE);
    attribute(kAttribTexcoord, layout.texcoord, std::min(layout.texcoordComponents, 2), GL_FLOAT,
              GL_FALSE);
}

bool setupInstanceAttributes(const DrawCall& call, const DeviceState& s, GLuint streamBuffer) {
    if (!call.instanced()) {
        for (GLuint row = 0; row < 4; ++row) {
            glDisableVertexAttribArray(kAttribWorld + row);
        }
        return true;
    }
    const StreamBinding& stream = s.streams[1];
    if (!bindVertexBuffer(stream.buffer.get(), streamBuffer)) {
        return false;
    }
    const GLuint perElement =
        s.streamFrequencies[1] & ~(D3DSTREAMSOURCE_INDEXEDDATA | D3DSTREAMSOURCE_INSTANCEDATA);
    for (GLuint row = 0; row < 4; ++row) {
        glEnableVertexAttribArray(kAttribWorld + row);
        glVertexAttribPointer(
            kAttribWorld + row, 4, GL_FLOAT, GL_FALSE, static_cast<GLsizei>(stream.stride),
            reinterpret_cast<const void*>(static_cast<std::size_t>(stream.offset) +
                                          row * 4 * sizeof(float)));
        glVertexAttribDivisor(kAttribWorld + row, perElement);
    }
    return true;
}

bool issueDraw(const DrawCall& call, const DeviceState& s, GLuint streamBuffer) {
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
            return false;
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
            glBindBuffer(GL_ELEMENT_ARRAY_BUFFER, streamBuffer);
            glBufferData(GL_ELEMENT_ARRAY_BUFFER, static_cast<GLsizeiptr>(indices->bytes().size()),
                         indices->bytes().data(), GL_STREAM_DRAW);
        }
        const UINT size = indices->indexSize();
        const GLenum type = size == 4 ? GL_UNSIGNED_INT : GL_UNSIGNED_SHORT;
        const auto* first =
            reinterpret_cast<const void*>(static_cast<std::size_t>(call.startIndex) * size);
        if (call.instanced()) {
            glDrawElementsInstancedBaseVertex(mode, count, type, first,
                                              static_cast<GLsizei>(call.instances),
                                              call.baseVertexIndex);
        } else {
            glDrawElementsBaseVertex(mode, count, type, first, call.baseVertexIndex);
        }
        break;
    }
    case DrawCall::Kind::IndexedPrimitiveUP: {
        const bool wide = call.userIndexFormat == D3DFMT_INDEX32;
        glBindBuffer(GL_ELEMENT_ARRAY_BUFFER, streamBuffer);
        glBufferData(GL_ELEMENT_ARRAY_BUFFER,
                     static_cast<GLsizeiptr>(call.elementCount) * (wide ? 4 : 2), call.userIndices,
                     GL_STREAM_DRAW);
        glDrawElements(mode, count, wide ? GL_UNSIGNED_INT : GL_UNSIGNED_SHORT, nullptr);
        break;
    }
    }
    return true;
}
