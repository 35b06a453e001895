// The exported interface: each function forwards to the one engine object and
// drops its result, so a host never sees an engine failure.
#include <memory>

#include "core/EngineApp.h"
#include "core/EngineInstance.h"
#include "tumbleway/tumbleway.h"

namespace {

// The engine's one global: created by xll_CAppForm, destroyed when the library is
// unloaded (or when a host constructs a fresh engine).
std::unique_ptr<CEngineApp> g_engine;

CEngineApp& app() {
    return *g_engine;
}

} // namespace

CEngineApp* engineInstance() {
    return g_engine.get();
}

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

TW_EXPORT void xll_UpdateInputAngle(float value) {
    app().m_cAngle += value;
}

TW_EXPORT void xll_UpdateInputMove(float value) {
    app().m_cMove = value;
}

TW_EXPORT void xll_UpdateInputAnglePlay(float value) {
    app().m_cAngle += value * 0.002f;
}

TW_EXPORT void xll_UpdateInputMovePlay(float value) {
    app().m_cMove = value * 0.001f;
}

TW_EXPORT void xll_UpdateInputRL(float value) {
    app().previewRotY += value * 0.02f;
}

TW_EXPORT void xll_UpdateInputUD(float value) {
    app().previewRotX += value * 0.01f;
}

TW_EXPORT void xll_OnButtonScanCourse() {
    app().toggleScan();
}

TW_EXPORT void xll_OnLButtonDown(unsigned int /*flags*/, POINT point) {
    app().onLButtonDown(point);
}

TW_EXPORT void xll_OnMouseMove(unsigned int /*flags*/, POINT point) {
    app().onMouseMove(point);
}

TW_EXPORT void xll_OnLButtonUp(unsigned int /*flags*/, POINT /*point*/) {
    app().onLButtonUp();
}

TW_EXPORT bool xll_app_select_object(POINT point, POINT /*size*/, D3DXVECTOR3* direction,
                                     D3DXVECTOR3* origin) {
    return app().selectXfilePlacement(point.x, point.y, direction, origin);
}

TW_EXPORT bool xll_app_check_selected_point(POINT point) {
    return app().checkSelectedPoint(point);
}

TW_EXPORT int xll_WindowProc_WM_MOD_POINT(unsigned int /*message*/, unsigned int wParam,
                                          long lParam) {
    return app().modifyPoint(wParam, lParam);
}

TW_EXPORT int xll_WindowProc_WM_MOD_XFILE(unsigned int /*message*/, unsigned int wParam,
                                          long lParam) {
    return app().modifyXfile(wParam, lParam);
}

TW_EXPORT void xll_OnRButtonDown(unsigned int /*flags*/, POINT /*point*/) {}

TW_EXPORT void xll_OnUpdate(CView* /*sender*/, long /*hint*/, CObject* /*hintObject*/) {}

TW_EXPORT void xll_setListCourse(HTREEITEM item) {
    app().selectCourse(item);
}

TW_EXPORT long xll_OnButtonCreateCourse(HTREEITEM item) {
    // The one export whose result the host reads: it removes the tree item on failure.
    return app().createCourse(item);
}

TW_EXPORT void xll_OnButtonClearCourse() {
    app().clearCourse();
}

// The edit overlay is drawn inside the course scene; this entry point draws nothing.
TW_EXPORT long xll_RenderTextEdit() {
    return 0;
}

// The host's file record is copied before the engine works with it, so the host's
// own record is never written.
TW_EXPORT void xll_ui_push_xfile(LF_t* file, HTREEITEM* item) {
    const LF_t copy = *file;
    app().pushXfile(copy, *item);
}

TW_EXPORT void xll_ui_push_bmp(LF_t* file, HTREEITEM* item) {
    const LF_t copy = *file;
    app().pushBitmap(copy, *item);
}

TW_EXPORT void xll_ui_push_wav(LF_t* file, HTREEITEM* item) {
    const LF_t copy = *file;
    app().pushWav(copy, *item);
}

TW_EXPORT void xll_setListXfile(HTREEITEM item) {
    app().selectXfile(item);
}

TW_EXPORT void xll_setListBmp(HTREEITEM item) {
    app().selectBitmap(item);
}

TW_EXPORT void xll_setListSound(HTREEITEM item) {
    app().selectSound(item);
}

TW_EXPORT void xll_OnAssign() {
    app().assign();
}

TW_EXPORT void xll_OnButtonSoundPlay() {
    app().previewSound();
}

TW_EXPORT void xll_OnButtonSoundAssign_Move() {
    app().assignSoundRelation(false);
}

TW_EXPORT void xll_OnButtonSoundAssign_Collision() {
    app().assignSoundRelation(true);
}

TW_EXPORT void xll_OnButtonSoundRelease_Move() {
    app().releaseSoundRelation(false);
}

TW_EXPORT void xll_OnButtonSoundRelease_Collision() {
    app().releaseSoundRelation(true);
}

TW_EXPORT void xll_app_get_Session_Iterator(LSession_t* session) {
    app().fillSession(*session);
}

TW_EXPORT void xll_app_delete_Session_Iterator(LSession_t* session) {
    app().emptySession(*session);
}

TW_EXPORT long xll_ui_restore_session(LSession_t* session, int* courseNumber) {
    app().restoreSession(*session, courseNumber);
    return 0;
}

TW_EXPORT long xll_RenderText() {
    app().drawHelpText();
    return 0;
}

TW_EXPORT long xll_RenderTextPlay() {
    app().drawPlayTimer();
    return 0;
}
