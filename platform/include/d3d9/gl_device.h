// The Direct3D 9 device over OpenGL 3.3 core (through libepoxy). The host owns the GL
// context and makes it current before every call that may touch the device (BeginScene
// to EndScene, Clear, the draws, releaseGLResources); the device never creates a window
// or a context and draws into whichever framebuffer is bound when the scene begins.
//
// Headless (tests, the runner):
//
//     auto context = EglContext::create(640, 480, &error);
//     ComPtr<GLDevice> device = GLDevice::create(640, 480);
//     device->Clear(0, nullptr, D3DCLEAR_TARGET | D3DCLEAR_ZBUFFER, 0xFF204080, 1.0f, 0);
//     device->BeginScene(); ... device->EndScene();
//     context->writePng("frame.png");
//
// In a QOpenGLWidget (its format asking for 3.3 core with a 24-bit depth buffer): create
// the device once; in resizeGL call resize() with the size in device pixels (width x
// devicePixelRatio); in paintGL, where Qt has bound the widget's framebuffer, let the
// engine render; connect QOpenGLContext::aboutToBeDestroyed to a slot that calls
// makeCurrent() and releaseGLResources(). Everything is made again from the memory
// copies on next use, in whatever context is current then.
//
// Between BeginScene and EndScene, and during a Clear outside a scene, the device owns
// the GL state; everything it changes is put back afterwards (see gl_host_state.h in
// the device's sources for the list and for what it never touches).
//
// What the fixed-function emulation covers: world, view and projection (Direct3D's row
// vectors, left-handed, depth 0..1), screen-space vertices (XYZRHW, pixel centres on
// integer coordinates as in Direct3D 9), up to eight directional lights with the
// material, its colour sources and D3DRS_AMBIENT, lighting off, flat and Gouraud shading,
// solid, wireframe and point fill, culling, depth test and write, alpha test, alpha
// blending, colour write masks, texture stage 0 (stages from 1 on are treated as
// disabled), sampler 0's filters and addressing, the usual texture formats with mip
// chains, 16- and 32-bit indices, every primitive type, and instanced indexed draws (one
// glDrawElementsInstanced, each instance's world matrix from stream 1, see
// SetStreamSourceFreq). Point and spot lights, fog,
// specular, stencil operations and texture transforms are not drawn.
#pragma once

#include "d3d9/device_base.h"

#include <functional>
#include <memory>
#include <string>

class GLDevice final : public D3D9DeviceBase {
public:
    explicit GLDevice(const DeviceConfig& config);
    ~GLDevice() override;

    static ComPtr<GLDevice> create(const DeviceConfig& config);
    static ComPtr<GLDevice> create(UINT backBufferWidth, UINT backBufferHeight);

    // The host's drawable changed size: a new back-buffer description, and the viewport
    // covers it again. The host's framebuffer must have this size.
    void resize(UINT backBufferWidth, UINT backBufferHeight);

    // The context is about to go away and is current: deletes every GL object of the
    // device and its resources. Resources stay valid and are uploaded again, from their
    // memory copies, the next time they are drawn with.
    void releaseGLResources();
    // The context is already gone: forgets the GL objects without calling GL.
    void abandonGLResources();

    // What Present does once its checks passed: nothing unless the host installs a
    // handler (e.g. one that swaps buffers). Its result becomes Present's.
    void setPresentHandler(std::function<HRESULT()> handler);

    // Why the device last failed where GL had the reason: the current context could not be
    // used (BeginScene or Clear failed with D3DERR_NOTAVAILABLE), or, with GL error checks
    // on, the GL error a draw or Clear ran into and the step that raised it (the call
    // failed with D3DERR_DRIVERINTERNALERROR). Empty while nothing of the kind happened.
    const std::string& lastError() const;
    // Whether depth 0..1 comes from glClipControl (true) or from the shader (false).
    // Known after the first scene or clear.
    bool usesClipControl() const;
    // Keeps glClipControl out of play even where the context offers it, for hosts that
    // share the context with code that cannot stand a changed clip control (and to test
    // the shader's way on any driver).
    void setClipControlAllowed(bool allowed);
    // Looks at glGetError after each step of a draw and after a Clear, and fails the call
    // naming the step when GL raised an error. Off by default: every look may wait for
    // the driver. Tests switch it on so that a GL error cannot pass as a picture.
    void setGLErrorChecks(bool enabled);

    // The host reports a lost or restored device (TestCooperativeLevel answers it).
    using D3D9DeviceBase::setDeviceStatus;

protected:
    HRESULT beginSceneHook() override;
    HRESULT endSceneHook() override;
    HRESULT clearHook(DWORD count, const D3DRECT* rects, DWORD flags, D3DCOLOR color, float z,
                      DWORD stencil) override;
    HRESULT drawHook(const DrawCall& call) override;
    HRESULT presentHook() override;

    ComPtr<MemoryTexture> makeTexture(UINT width, UINT height, UINT levels, DWORD usage,
                                      D3DFORMAT format, D3DPOOL pool) override;
    ComPtr<MemoryVertexBuffer> makeVertexBuffer(UINT length, DWORD usage, DWORD fvf,
                                                D3DPOOL pool) override;
    ComPtr<MemoryIndexBuffer> makeIndexBuffer(UINT length, DWORD usage, D3DFORMAT format,
                                              D3DPOOL pool) override;

private:
    struct Impl;
    std::unique_ptr<Impl> impl_;
};
