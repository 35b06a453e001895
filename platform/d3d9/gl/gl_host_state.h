// The part of the GL context's state that the device changes while it draws, taken from
// the host before a scene (or a clear outside one) and put back afterwards, so that the
// device can share a context with a host that draws too (a Qt widget's own painting).
//
// Left alone, because the device never touches them: the bound framebuffers (the device
// draws into whatever framebuffer the host bound), stencil functions and operations,
// line width, point size, sRGB conversion, multisampling, logic operations, and every
// texture unit but the first. Generic vertex attribute values are not used: attributes
// missing from a vertex format are switched off in the shader instead.
#pragma once

#include <epoxy/gl.h>

struct GLHostState {
    // clipControl: the context offers glClipControl, so its two settings are kept too.
    void capture(bool clipControl);
    void restore() const;

private:
    bool clipControl_ = false;

    GLint program_ = 0;
    GLint vertexArray_ = 0;
    GLint arrayBuffer_ = 0;
    GLint unpackBuffer_ = 0;
    GLint activeTexture_ = 0;
    GLint texture2D_ = 0;
    GLint sampler_ = 0;

    GLboolean depthTest_ = GL_FALSE;
    GLboolean cullFace_ = GL_FALSE;
    GLboolean blend_ = GL_FALSE;
    GLboolean scissorTest_ = GL_FALSE;
    GLboolean stencilTest_ = GL_FALSE;
    GLboolean polygonOffsetFill_ = GL_FALSE;
    GLboolean primitiveRestart_ = GL_FALSE;
    GLboolean alphaToCoverage_ = GL_FALSE;

    GLint depthFunc_ = GL_LESS;
    GLboolean depthMask_ = GL_TRUE;
    GLfloat depthRange_[2] = {0, 1};
    GLint blendSrcRgb_ = GL_ONE;
    GLint blendDstRgb_ = GL_ZERO;
    GLint blendSrcAlpha_ = GL_ONE;
    GLint blendDstAlpha_ = GL_ZERO;
    GLint blendEquationRgb_ = GL_FUNC_ADD;
    GLint blendEquationAlpha_ = GL_FUNC_ADD;
    GLfloat blendColour_[4] = {0, 0, 0, 0};
    GLint cullFaceMode_ = GL_BACK;
    GLint frontFace_ = GL_CCW;
    GLint polygonMode_ = GL_FILL;
    GLint provokingVertex_ = GL_LAST_VERTEX_CONVENTION;
    GLint viewport_[4] = {0, 0, 0, 0};
    GLint scissorBox_[4] = {0, 0, 0, 0};
    GLboolean colourMask_[4] = {GL_TRUE, GL_TRUE, GL_TRUE, GL_TRUE};
    GLfloat clearColour_[4] = {0, 0, 0, 0};
    GLfloat clearDepth_ = 1;
    GLint clearStencil_ = 0;
    GLint stencilWriteMask_ = ~0;
    GLint stencilBackWriteMask_ = ~0;
    GLint clipOrigin_ = GL_LOWER_LEFT;
    GLint clipDepthMode_ = GL_NEGATIVE_ONE_TO_ONE;

    GLint unpackAlignment_ = 4;
    GLint unpackRowLength_ = 0;
    GLint unpackSkipRows_ = 0;
    GLint unpackSkipPixels_ = 0;
    GLint unpackSwapBytes_ = GL_FALSE;
};
