// The exported interface: each function forwards to the one engine object and
// drops its result, so a host never sees an engine failure. Every function goes
// through the guard of the engine's edge (core/ExportGuard.h): misuse by a host is told
// once and answered with the function's failure value.
#include <memory>

#include "core/EngineApp.h"
#include "core/EngineInstance.h"
#include "core/ExportGuard.h"
#include "core/SessionWriter.h"
#include "tumbleway/tumbleway.h"

namespace {

// The engine's one global: created by xll_CAppForm, destroyed when the library is
// unloaded (or when a host constructs a fresh engine).
std::unique_ptr<CEngineApp> g_engine;

// What the exports that answer a result code answer when the host misused them.
constexpr long kFailed = E_FAIL;

} // namespace

CEngineApp* engineInstance() {
    return g_engine.get();
}

TW_EXPORT void xll_CAppForm() {
    try {
        g_engine = std::make_unique<CEngineApp>();
    } catch (const std::exception& error) {
        g_engine.reset();
        reportMisuseOnce(__func__, error.what());
    }
}

TW_EXPORT void xll_OnInitialUpdate(unsigned long width, unsigned long height, HWND window) {
    guardedCall(__func__, [&](CEngineApp& engine) {
        engine.onInitialUpdate(static_cast<unsigned>(width), static_cast<unsigned>(height), window);
    });
}

TW_EXPORT long xll_OneTimeSceneInit(HWND window) {
    return guarded(__func__, kFailed, [&](CEngineApp& engine) {
        // The export reports only exceptions; a part that fails is left out of the scene.
        (void)engine.oneTimeSceneInit(window);
        return 0L;
    });
}

TW_EXPORT long xll_InitDeviceObjects(IDirect3DDevice9* device) {
    return guarded(__func__, kFailed, [&](CEngineApp& engine) {
        // The export reports only exceptions; a part that fails is left out of the scene.
        (void)engine.initDeviceObjects(device);
        return 0L;
    });
}

TW_EXPORT long xll_RestoreDeviceObjects() {
    return guarded(__func__, kFailed, [&](CEngineApp& engine) {
        // The export reports only exceptions; a part that fails is left out of the scene.
        (void)engine.restoreDeviceObjects();
        return 0L;
    });
}

TW_EXPORT long xll_FrameMove() {
    return guarded(__func__, kFailed, [&](CEngineApp& engine) {
        engine.frameMove();
        return 0L;
    });
}

TW_EXPORT long xll_Render() {
    return guarded(__func__, kFailed, [&](CEngineApp& engine) {
        engine.render();
        return 0L;
    });
}

TW_EXPORT long xll_InvalidateDeviceObjects() {
    return guarded(__func__, kFailed, [&](CEngineApp& engine) {
        engine.invalidateDeviceObjects();
        return 0L;
    });
}

TW_EXPORT long xll_DeleteDeviceObjects() {
    return guarded(__func__, kFailed, [&](CEngineApp& engine) {
        engine.deleteDeviceObjects();
        return 0L;
    });
}

TW_EXPORT void xll_OnSelchangeTab(unsigned int tab) {
    guardedCall(__func__, [&](CEngineApp& engine) { engine.selectTab(static_cast<int>(tab)); });
}

TW_EXPORT void xll_UpdateInputAngle(float value) {
    guardedCall(__func__, [&](CEngineApp& engine) { engine.input.turn(value); });
}

TW_EXPORT void xll_UpdateInputMove(float value) {
    guardedCall(__func__, [&](CEngineApp& engine) { engine.input.setMove(value); });
}

TW_EXPORT void xll_UpdateInputAnglePlay(float value) {
    guardedCall(__func__, [&](CEngineApp& engine) { engine.input.turn(value * 0.002f); });
}

TW_EXPORT void xll_UpdateInputMovePlay(float value) {
    guardedCall(__func__, [&](CEngineApp& engine) { engine.input.setMove(value * 0.001f); });
}

TW_EXPORT void xll_UpdateInputRL(float value) {
    guardedCall(__func__,
                [&](CEngineApp& engine) { engine.renderer.rotatePreview(0, value * 0.02f); });
}

TW_EXPORT void xll_UpdateInputUD(float value) {
    guardedCall(__func__,
                [&](CEngineApp& engine) { engine.renderer.rotatePreview(value * 0.01f, 0); });
}

TW_EXPORT void xll_OnButtonScanCourse() {
    guardedCall(__func__, [&](CEngineApp& engine) { engine.toggleScan(); });
}

TW_EXPORT void xll_OnLButtonDown(unsigned int /*flags*/, POINT point) {
    guardedCall(__func__, [&](CEngineApp& engine) { engine.edit.onLButtonDown(point); });
}

TW_EXPORT void xll_OnMouseMove(unsigned int /*flags*/, POINT point) {
    guardedCall(__func__, [&](CEngineApp& engine) { engine.edit.onMouseMove(point); });
}

TW_EXPORT void xll_OnLButtonUp(unsigned int /*flags*/, POINT /*point*/) {
    guardedCall(__func__, [&](CEngineApp& engine) { engine.edit.onLButtonUp(); });
}

TW_EXPORT bool xll_app_select_object(POINT point, POINT /*size*/, D3DXVECTOR3* direction,
                                     D3DXVECTOR3* origin) {
    return guarded(__func__, false, [&](CEngineApp& engine) {
        return engine.edit.selectXfilePlacement(point.x, point.y, direction, origin);
    });
}

TW_EXPORT bool xll_app_check_selected_point(POINT point) {
    return guarded(__func__, false,
                   [&](CEngineApp& engine) { return engine.edit.checkSelectedPoint(point); });
}

TW_EXPORT int xll_WindowProc_WM_MOD_POINT(unsigned int /*message*/, unsigned int wParam,
                                          long lParam) {
    return guarded(__func__, 0,
                   [&](CEngineApp& engine) { return engine.edit.modifyPoint(wParam, lParam); });
}

TW_EXPORT int xll_WindowProc_WM_MOD_XFILE(unsigned int /*message*/, unsigned int wParam,
                                          long lParam) {
    return guarded(__func__, 0,
                   [&](CEngineApp& engine) { return engine.edit.modifyXfile(wParam, lParam); });
}

TW_EXPORT void xll_OnRButtonDown(unsigned int /*flags*/, POINT /*point*/) {}

TW_EXPORT void xll_OnUpdate(CView* /*sender*/, long /*hint*/, CObject* /*hintObject*/) {}

TW_EXPORT void xll_setListCourse(HTREEITEM item) {
    guardedCall(__func__, [&](CEngineApp& engine) { engine.selectCourse(item); });
}

TW_EXPORT long xll_OnButtonCreateCourse(HTREEITEM item) {
    // The one export whose result the host reads: it removes the tree item on failure.
    return guarded(__func__, kFailed,
                   [&](CEngineApp& engine) { return long{engine.createCourse(item)}; });
}

TW_EXPORT void xll_OnButtonClearCourse() {
    guardedCall(__func__, [&](CEngineApp& engine) { engine.clearCourse(); });
}

// The edit overlay is drawn inside the course scene; this entry point draws nothing.
TW_EXPORT long xll_RenderTextEdit() {
    return 0;
}

// The host's file record is copied before the engine works with it, so the host's
// own record is never written.
TW_EXPORT void xll_ui_push_xfile(LF_t* file, HTREEITEM* item) {
    const char* const name = __func__; // the lambda below has a name of its own
    guardedCall(__func__, [&](CEngineApp& engine) {
        if (pointersPresent(name, {file, item})) {
            const LF_t copy = *file;
            // The export has no result; a file that does not load is not listed.
            (void)engine.library.pushXfile(copy, *item);
        }
    });
}

TW_EXPORT void xll_ui_push_bmp(LF_t* file, HTREEITEM* item) {
    const char* const name = __func__; // the lambda below has a name of its own
    guardedCall(__func__, [&](CEngineApp& engine) {
        if (pointersPresent(name, {file, item})) {
            const LF_t copy = *file;
            // The export has no result; a file that does not load is not listed.
            (void)engine.library.pushBitmap(copy, *item);
        }
    });
}

TW_EXPORT void xll_ui_push_wav(LF_t* file, HTREEITEM* item) {
    const char* const name = __func__; // the lambda below has a name of its own
    guardedCall(__func__, [&](CEngineApp& engine) {
        if (pointersPresent(name, {file, item})) {
            const LF_t copy = *file;
            // The export has no result; a file that does not load is not listed.
            (void)engine.library.pushWav(copy, *item);
        }
    });
}

TW_EXPORT void xll_setListXfile(HTREEITEM item) {
    guardedCall(__func__, [&](CEngineApp& engine) { engine.assets.selectXfile(item); });
}

TW_EXPORT void xll_setListBmp(HTREEITEM item) {
    guardedCall(__func__, [&](CEngineApp& engine) { engine.assets.selectBitmap(item); });
}

TW_EXPORT void xll_setListSound(HTREEITEM item) {
    guardedCall(__func__, [&](CEngineApp& engine) { engine.assets.selectSound(item); });
}

TW_EXPORT void xll_OnAssign() {
    guardedCall(__func__, [&](CEngineApp& engine) { engine.library.assign(); });
}

TW_EXPORT void xll_OnButtonSoundPlay() {
    guardedCall(__func__, [&](CEngineApp& engine) { engine.sounds.preview(); });
}

TW_EXPORT void xll_OnButtonSoundAssign_Move() {
    guardedCall(__func__, [&](CEngineApp& engine) { engine.sounds.assign(false); });
}

TW_EXPORT void xll_OnButtonSoundAssign_Collision() {
    guardedCall(__func__, [&](CEngineApp& engine) { engine.sounds.assign(true); });
}

TW_EXPORT void xll_OnButtonSoundRelease_Move() {
    guardedCall(__func__, [&](CEngineApp& engine) { engine.sounds.release(false); });
}

TW_EXPORT void xll_OnButtonSoundRelease_Collision() {
    guardedCall(__func__, [&](CEngineApp& engine) { engine.sounds.release(true); });
}

TW_EXPORT void xll_app_get_Session_Iterator(LSession_t* session) {
    const char* const name = __func__; // the lambda below has a name of its own
    guardedCall(__func__, [&](CEngineApp& engine) {
        if (pointersPresent(name, {session})) {
            engine.fillSession(*session);
        }
    });
}

TW_EXPORT void xll_app_delete_Session_Iterator(LSession_t* session) {
    const char* const name = __func__; // the lambda below has a name of its own
    // The record is the host's; emptying it needs no engine, but still one that exists.
    guardedCall(__func__, [&](CEngineApp& /*engine*/) {
        if (pointersPresent(name, {session})) {
            emptySession(*session);
        }
    });
}

TW_EXPORT long xll_ui_restore_session(LSession_t* session, int* courseNumber) {
    const char* const name = __func__; // the lambda below has a name of its own
    return guarded(__func__, kFailed, [&](CEngineApp& engine) {
        if (!pointersPresent(name, {session})) {
            return kFailed;
        }
        // What could be read is restored; the rest of the session is skipped.
        (void)engine.reader.restore(*session, courseNumber);
        return 0L;
    });
}

TW_EXPORT long xll_RenderText() {
    return guarded(__func__, kFailed, [&](CEngineApp& engine) {
        engine.renderer.drawHelpText();
        return 0L;
    });
}

TW_EXPORT long xll_RenderTextPlay() {
    return guarded(__func__, kFailed, [&](CEngineApp& engine) {
        engine.renderer.drawPlayTimer();
        return 0L;
    });
}
