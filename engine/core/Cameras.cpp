// The camera rig's views handed to the device, with what each camera reads of the scene.
#include "core/EngineApp.h"

void CEngineApp::setView(const D3DXMATRIX* view) {
    if (view != nullptr && device != nullptr) {
        device->SetTransform(D3DTS_VIEW, view);
    }
}

void CEngineApp::updateCamera() {
    setView(camera.update({tab, editor.current(), editor.driven(), dragging, input}, simulation));
}

HRESULT CEngineApp::placeCameraAtSection(int i) {
    const D3DXMATRIX* view = camera.placeAtSection(editor.current(), i, input);
    setView(view);
    return view != nullptr ? S_OK : E_FAIL;
}

void CEngineApp::toggleScan() {
    setView(camera.toggleScan(editor.current(), input));
}
