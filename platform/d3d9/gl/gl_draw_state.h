// The steps that turn the device state of one draw into GL state, and the draw itself.
// The GL device calls them in this order, with its program and vertex array bound; each
// step sets everything it owns on every draw, so that nothing depends on what an earlier
// draw (or the host) left behind.
#pragma once

#include "d3d9/device_base.h"
#include "gl_objects.h"
#include "gl_program.h"
#include "gl_vertex_layout.h"

#include <epoxy/gl.h>

#include <cstddef>

// A D3DCOLOR (ARGB) as GL's red, green, blue and alpha in 0..1.
void glColourOf(D3DCOLOR colour, GLfloat out[4]);

// Viewport, depth range and clip control, culling, fill mode and the provoking vertex,
// and the switches the device never uses (scissor, polygon offset, primitive restart,
// alpha to coverage). zeroToOne: depth 0..1 from glClipControl; clipControlAvailable:
// the context has glClipControl, which then is put back to GL's own convention.
void setupRasterizer(const DeviceState& s, UINT backBufferHeight, bool zeroToOne,
                     bool clipControlAvailable);
// Depth test, function and write; no stencil operations.
void setupDepthStencil(const DeviceState& s);
// Blend factors, equations and constant, and the colour write mask.
void setupBlending(const DeviceState& s);
// Binds texture stage 0's texture to unit 0 when the stage's operations read it.
// Returns that texture, or nullptr when the stage draws without one.
GLTexture* bindStageTexture(const DeviceState& s);
// Texture stage 0's operations as the fragment shader carries them out, flat or
// Gouraud colours, and the alpha function. textured: bindStageTexture found a texture.
GLFragmentStage fragmentStage(const DeviceState& s, bool textured);
// The states that choose the draw's program. zeroToOne: depth 0..1 from glClipControl;
// stage: the draw's fragmentStage.
GLShaderSwitches shaderSwitches(const DeviceState& s, const FvfLayout& layout, bool zeroToOne,
                                bool instanced, const GLFragmentStage& stage);
// World, view and projection (view and projection alone when instanced: the world comes
// from the instance attributes), and the screen-to-clip mapping of pretransformed
// vertices.
void setupTransforms(const DeviceState& s, const GLProgram& p, bool instanced);
// The material, the ambient light and the directional lights, when lighting is on.
void setupLighting(const DeviceState& s, const GLProgram& p, const FvfLayout& layout);
// What the fragment stage reads besides its constants: the alpha test's reference,
// texture stage 0's constant colour and the sampler's unit.
void setupFragmentStage(const DeviceState& s, const GLProgram& p);
// Sampler 0's filters, addressing, border and level of detail for the texture drawn.
void setupSampler(const DeviceState& s, GLuint sampler, const GLTexture& texture, bool mirrorClamp);

// Where the vertices of a draw lie in the buffer bound to GL_ARRAY_BUFFER.
struct GLVertexStream {
    UINT stride = 0;
    std::size_t base = 0;
};
// Binds the draw's vertices (stream 0, or the caller's memory through streamBuffer) and
// uploads them where needed. False when stream 0 holds no vertex buffer.
[[nodiscard]] bool bindVertexStream(const DrawCall& call, const DeviceState& s,
                                    const FvfLayout& layout, GLuint streamBuffer,
                                    GLVertexStream* out);
// Points the program's attributes at the bound vertices; absent elements are switched off.
void setupVertexAttributes(const FvfLayout& layout, const GLVertexStream& stream);
// For an instanced draw, binds stream 1's matrices (uploaded where needed, through
// streamBuffer for a buffer of another device) as the world attributes, advancing once
// per instance element; for any other draw switches them off. False when an instanced
// draw finds no instance buffer.
[[nodiscard]] bool setupInstanceAttributes(const DrawCall& call, const DeviceState& s,
                                           GLuint streamBuffer);
// Binds the indices (the index buffer, or the caller's memory through streamBuffer) and
// draws, all instances at once for an instanced draw. False when an indexed draw finds no
// index buffer.
[[nodiscard]] bool issueDraw(const DrawCall& call, const DeviceState& s, GLuint streamBuffer);
