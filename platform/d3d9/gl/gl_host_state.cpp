#include "gl_host_state.h"

namespace {

void setEnabled(GLenum capability, GLboolean on) {
    if (on != GL_FALSE) {
        glEnable(capability);
    } else {
        glDisable(capability);
    }
}

} // namespace

void GLHostState::capture(bool clipControl) {
    clipControl_ = clipControl;

    glGetIntegerv(GL_CURRENT_PROGRAM, &program_);
    glGetIntegerv(GL_VERTEX_ARRAY_BINDING, &vertexArray_);
    glGetIntegerv(GL_ARRAY_BUFFER_BINDING, &arrayBuffer_);
    glGetIntegerv(GL_PIXEL_UNPACK_BUFFER_BINDING, &unpackBuffer_);
    glGetIntegerv(GL_ACTIVE_TEXTURE, &activeTexture_);
    glActiveTexture(GL_TEXTURE0);
    glGetIntegerv(GL_TEXTURE_BINDING_2D, &texture2D_);
    glGetIntegerv(GL_SAMPLER_BINDING, &sampler_);

    depthTest_ = glIsEnabled(GL_DEPTH_TEST);
    cullFace_ = glIsEnabled(GL_CULL_FACE);
    blend_ = glIsEnabled(GL_BLEND);
    scissorTest_ = glIsEnabled(GL_SCISSOR_TEST);
    stencilTest_ = glIsEnabled(GL_STENCIL_TEST);
    polygonOffsetFill_ = glIsEnabled(GL_POLYGON_OFFSET_FILL);
    primitiveRestart_ = glIsEnabled(GL_PRIMITIVE_RESTART);
    alphaToCoverage_ = glIsEnabled(GL_SAMPLE_ALPHA_TO_COVERAGE);

    glGetIntegerv(GL_DEPTH_FUNC, &depthFunc_);
    glGetBooleanv(GL_DEPTH_WRITEMASK, &depthMask_);
    glGetFloatv(GL_DEPTH_RANGE, depthRange_);
    glGetIntegerv(GL_BLEND_SRC_RGB, &blendSrcRgb_);
    glGetIntegerv(GL_BLEND_DST_RGB, &blendDstRgb_);
    glGetIntegerv(GL_BLEND_SRC_ALPHA, &blendSrcAlpha_);
    glGetIntegerv(GL_BLEND_DST_ALPHA, &blendDstAlpha_);
    glGetIntegerv(GL_BLEND_EQUATION_RGB, &blendEquationRgb_);
    glGetIntegerv(GL_BLEND_EQUATION_ALPHA, &blendEquationAlpha_);
    glGetFloatv(GL_BLEND_COLOR, blendColour_);
    glGetIntegerv(GL_CULL_FACE_MODE, &cullFaceMode_);
    glGetIntegerv(GL_FRONT_FACE, &frontFace_);
    // Core profiles keep one mode for both faces; the query still answers two values.
    GLint polygonModes[2] = {GL_FILL, GL_FILL};
    glGetIntegerv(GL_POLYGON_MODE, polygonModes);
    polygonMode_ = polygonModes[0];
    glGetIntegerv(GL_PROVOKING_VERTEX, &provokingVertex_);
    glGetIntegerv(GL_VIEWPORT, viewport_);
    glGetIntegerv(GL_SCISSOR_BOX, scissorBox_);
    glGetBooleanv(GL_COLOR_WRITEMASK, colourMask_);
    glGetFloatv(GL_COLOR_CLEAR_VALUE, clearColour_);
    glGetFloatv(GL_DEPTH_CLEAR_VALUE, &clearDepth_);
    glGetIntegerv(GL_STENCIL_CLEAR_VALUE, &clearStencil_);
    glGetIntegerv(GL_STENCIL_WRITEMASK, &stencilWriteMask_);
    glGetIntegerv(GL_STENCIL_BACK_WRITEMASK, &stencilBackWriteMask_);
    if (clipControl_) {
        glGetIntegerv(GL_CLIP_ORIGIN, &clipOrigin_);
        glGetIntegerv(GL_CLIP_DEPTH_MODE, &clipDepthMode_);
    }

    glGetIntegerv(GL_UNPACK_ALIGNMENT, &unpackAlignment_);
    glGetIntegerv(GL_UNPACK_ROW_LENGTH, &unpackRowLength_);
    glGetIntegerv(GL_UNPACK_SKIP_ROWS, &unpackSkipRows_);
    glGetIntegerv(GL_UNPACK_SKIP_PIXELS, &unpackSkipPixels_);
    glGetIntegerv(GL_UNPACK_SWAP_BYTES, &unpackSwapBytes_);
}

void GLHostState::restore() const {
    glUseProgram(static_cast<GLuint>(program_));
    glBindVertexArray(static_cast<GLuint>(vertexArray_));
    glBindBuffer(GL_ARRAY_BUFFER, static_cast<GLuint>(arrayBuffer_));
    glBindBuffer(GL_PIXEL_UNPACK_BUFFER, static_cast<GLuint>(unpackBuffer_));
    glActiveTexture(GL_TEXTURE0);
    glBindTexture(GL_TEXTURE_2D, static_cast<GLuint>(texture2D_));
    glBindSampler(0, static_cast<GLuint>(sampler_));
    glActiveTexture(static_cast<GLenum>(activeTexture_));

    setEnabled(GL_DEPTH_TEST, depthTest_);
    setEnabled(GL_CULL_FACE, cullFace_);
    setEnabled(GL_BLEND, blend_);
    setEnabled(GL_SCISSOR_TEST, scissorTest_);
    setEnabled(GL_STENCIL_TEST, stencilTest_);
    setEnabled(GL_POLYGON_OFFSET_FILL, polygonOffsetFill_);
    setEnabled(GL_PRIMITIVE_RESTART, primitiveRestart_);
    setEnabled(GL_SAMPLE_ALPHA_TO_COVERAGE, alphaToCoverage_);

    glDepthFunc(static_cast<GLenum>(depthFunc_));
    glDepthMask(depthMask_);
    glDepthRange(depthRange_[0], depthRange_[1]);
    glBlendFuncSeparate(static_cast<GLenum>(blendSrcRgb_), static_cast<GLenum>(blendDstRgb_),
                        static_cast<GLenum>(blendSrcAlpha_), static_cast<GLenum>(blendDstAlpha_));
    glBlendEquationSeparate(static_cast<GLenum>(blendEquationRgb_),
                            static_cast<GLenum>(blendEquationAlpha_));
    glBlendColor(blendColour_[0], blendColour_[1], blendColour_[2], blendColour_[3]);
    glCullFace(static_cast<GLenum>(cullFaceMode_));
    glFrontFace(static_cast<GLenum>(frontFace_));
    glPolygonMode(GL_FRONT_AND_BACK, static_cast<GLenum>(polygonMode_));
    glProvokingVertex(static_cast<GLenum>(provokingVertex_));
    glViewport(viewport_[0], viewport_[1], viewport_[2], viewport_[3]);
    glScissor(scissorBox_[0], scissorBox_[1], scissorBox_[2], scissorBox_[3]);
    glColorMask(colourMask_[0], colourMask_[1], colourMask_[2], colourMask_[3]);
    glClearColor(clearColour_[0], clearColour_[1], clearColour_[2], clearColour_[3]);
    glClearDepth(clearDepth_);
    glClearStencil(clearStencil_);
    glStencilMaskSeparate(GL_FRONT, static_cast<GLuint>(stencilWriteMask_));
    glStencilMaskSeparate(GL_BACK, static_cast<GLuint>(stencilBackWriteMask_));
    if (clipControl_) {
        glClipControl(static_cast<GLenum>(clipOrigin_), static_cast<GLenum>(clipDepthMode_));
    }

    glPixelStorei(GL_UNPACK_ALIGNMENT, unpackAlignment_);
    glPixelStorei(GL_UNPACK_ROW_LENGTH, unpackRowLength_);
    glPixelStorei(GL_UNPACK_SKIP_ROWS, unpackSkipRows_);
    glPixelStorei(GL_UNPACK_SKIP_PIXELS, unpackSkipPixels_);
    glPixelStorei(GL_UNPACK_SWAP_BYTES, unpackSwapBytes_);
}
