// The frame's drawing, by tab: the course scene, the course editor or the preview.
#include "core/EngineApp.h"

namespace {

constexpr D3DCOLOR kCourseSceneClear = 0x008888DD;
constexpr D3DCOLOR kCourseEditorClear = 0x00444444;
constexpr D3DCOLOR kPreviewClear = 0x00CCCCEE;

} // namespace

HRESULT CEngineApp::render() {
    if (device == nullptr) {
        return E_FAIL;
    }
    switch (tab) {
    case TAB_PLAY:
    case TAB_PLACE:
        return renderCourseScene();
    case TAB_COURSE:
        return renderCourseEditor();
    case TAB_PREVIEW:
        return renderPreview();
    default:
        return S_OK; // an unknown tab draws nothing, not even the clear
    }
}

HRESULT CEngineApp::renderCourseScene() {
    device->Clear(0, nullptr, D3DCLEAR_TARGET | D3DCLEAR_ZBUFFER, kCourseSceneClear, 1.0f, 0);
    if (currentCourse == nullptr) {
        return S_OK;
    }
    if (FAILED(device->BeginScene())) {
        return E_FAIL;
    }
    return device->EndScene();
}

HRESULT CEngineApp::renderCourseEditor() {
    device->Clear(0, nullptr, D3DCLEAR_TARGET | D3DCLEAR_ZBUFFER, kCourseEditorClear, 1.0f, 0);
    if (FAILED(device->BeginScene())) {
        return E_FAIL;
    }
    device->SetMaterial(&material);
    return device->EndScene();
}

HRESULT CEngineApp::renderPreview() {
    device->Clear(0, nullptr, D3DCLEAR_TARGET | D3DCLEAR_ZBUFFER, kPreviewClear, 1.0f, 0);
    if (FAILED(device->BeginScene())) {
        return E_FAIL;
    }
    return device->EndScene();
}
