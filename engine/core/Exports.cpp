// The exported interface: each function forwards to the one engine object and
// drops its result, so a host never sees an engine failure.
#include <memory>

#include "core/EngineApp.h"
#include "tumbleway/tumbleway.h"

namespace {

// The engine's one global: created by xll_CAppForm, destroyed when the library is
// unloaded (or when a host constructs a fresh engine).
std::unique_ptr<CEngineApp> g_engine;

CEngineApp& app() {
    return *g_engine;
}

} // namespace

TW_EXPORT void xll_CAppForm() {
    g_engine = std::make_unique<CEngineApp>();
}

TW_EXPORT void xll_OnInitialUpdate(unsigned long width, unsigned long height, HWND window) {
    app().onInitialUpdate(static_cast<unsigned>(width), static_cast<unsigned>(height), window);
}

TW_EXPORT long xll_OneTimeSceneInit(HWND window) {
    app().oneTimeSceneInit(window);
    return 0;
}

TW_EXPORT long xll_InitDeviceObjects(IDirect3DDevice9* device) {
    app().initDeviceObjects(device);
    return 0;
}

TW_EXPORT long xll_RestoreDeviceObjects() {
    app().restoreDeviceObjects();
    return 0;
}

TW_EXPORT long xll_FrameMove() {
    app().frameMove();
    return 0;
}

TW_EXPORT long xll_Render() {
    app().render();
    return 0;
}

TW_EXPORT long xll_InvalidateDeviceObjects() {
    app().invalidateDeviceObjects();
    return 0;
}

TW_EXPORT long xll_DeleteDeviceObjects() {
    app().deleteDeviceObjects();
    return 0;
}

TW_EXPORT void xll_OnSelchangeTab(unsigned int tab) {
    app().selectTab(static_cast<int>(tab));
}
