// The camera rig's views handed to the device, with what each camera reads of the scene.
#include "core/EngineApp.h"

void CEngineApp::setView(const D3DXMATRIX* eyeView) {
    if (eyeView != nullptr && view.device != nullptr) {
        view.device->SetTransform(D3DTS_VIEW, eyeView);
    }
}

void CEngineApp::updateCamera() {
    setView(camera.update({view.tab, editor.current(), editor.driven(), edit.dragging(), input},
                          simulation));
}

HRESULT CEngineApp::placeCameraAtSection(int i) {
    const D3DXMATRIX* placed = camera.placeAtSection(editor.current(), i, input);
    setView(placed);
    return placed != nullptr ? S_OK : E_FAIL;
}

void CEngineApp::toggleScan() {
    setView(camera.toggleScan(editor.current(), input));
}
