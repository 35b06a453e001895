#include "core/EngineApp.h"

#include <array>
#include <vector>

#include "assets/mesh/MeasuredMesh.h"
#include "assets/sound/SoundManager.h"
#include "course/CourseField.h"
#include "course/CourseSpline.h"
#include "course/CourseTrack.h"
#include "course/StripGrid.h"

namespace {

// Absolute form of one of the fixed relative paths; empty when it cannot be made.
std::string fullPathOf(const char* relative) {
    std::array<char, MAX_PATH> buffer{};
    const DWORD length = GetFullPathNameA(relative, MAX_PATH + 1, buffer.data(), nullptr);
    if (length == 0 || length >= MAX_PATH) {
        return {};
    }
    return buffer.data();
}

} // namespace

std::string CEngineApp::dataPath(const char* relative) const {
    // The fixed pictures lie under the folder the engine started in; the host's file
    // dialogs move the current folder later, and a device made again afterwards must
    // still find them.
    if (assets.searchRoot().empty()) {
        return fullPathOf(relative);
    }
    std::string name = relative;
    if (name.rfind("./", 0) == 0) {
        name.erase(0, 2);
    }
    return assets.searchRoot() + "/" + name;
}

CEngineApp::CEngineApp() : playStartTime(timeGetTime()) {
    D3DXMatrixIdentity(&projectionMatrix);
    D3DXMatrixIdentity(&identityWorld);
}

CEngineApp::~CEngineApp() = default;

HRESULT CEngineApp::oneTimeSceneInit(HWND window) {
    hwnd = window;
    dragging = false;
    tab = TAB_PLACE;
    input.reset();
    camera.reset();
    pointAccumulator[0] = pointAccumulator[1] = 0;

    // Without a sound device the manager stays silent; nothing else depends on it.
    soundManager = std::make_unique<SoundManager>();
    // Without a sound device the manager stays silent; nothing else depends on it.
    (void)soundManager->initialize(window, DSSCL_PRIORITY);
    assets.clearRelationPicks();

    // The asset search starts here whatever else fails below: without it every later
    // lookup would have no root. The engine runs silent when sound cannot start.
    std::vector<char> directory(MAX_PATH);
    if (GetCurrentDirectoryA(MAX_PATH, directory.data()) != 0) {
        assets.setSearchRoot(directory.data());
    }
    dotBlue = std::make_unique<DotSprite>(dataPath(kBlueDot));
    dotGreen = std::make_unique<DotSprite>(dataPath(kGreenDot));
    return S_OK;
}

HRESULT CEngineApp::initDeviceObjects(IDirect3DDevice9* newDevice) {
    device = newDevice;
    if (device == nullptr) {
        return E_FAIL;
    }
    readBackBufferSize();
    buildPending = false;

    if (dotBlue) {
        // A dot without its picture is drawn untextured.
        (void)dotBlue->createTexture(device);
        (void)dotGreen->createTexture(device);
    }
    sky = std::make_unique<SkyDome>(device);
    // A sky that cannot be built is not drawn.
    (void)sky->build();
    // A sky without its picture is drawn untextured.
    (void)sky->loadTexture(dataPath(kSkyTexture));

    roadTexturePath = dataPath(kRoadTexture);
    edgeTexturePath = dataPath(kEdgeTexture);
    fieldTexturePath = dataPath(kFieldTexture);

    device->SetRenderState(D3DRS_DITHERENABLE, TRUE);
    device->SetRenderState(D3DRS_ZENABLE, TRUE);
    device->SetRenderState(D3DRS_ZWRITEENABLE, TRUE);

    recreateSceneDeviceObjects();
    return S_OK;
}

void CEngineApp::recreateSceneDeviceObjects() {
    // After the host re-created its device, everything the scene draws is made again
    // from what it keeps in memory: arrays, file paths.
    for (auto& entry : assets.xfiles()) {
        MeshBounds ignored; // the entry keeps the size it was opened with
        // A mesh that no longer loads stays empty and draws nothing.
        (void)loadMeasuredMesh(device, entry.path, *entry.mesh, &ignored);
    }
    for (auto& entry : assets.bitmaps()) {
        // What cannot be made on the new device is not drawn.
        (void)entry.bitmap->createDeviceObjects(device);
    }
    for (auto& course : editor.courseList()) {
        for (auto& strip : course.strips) {
            if (strip) {
                // A strip that cannot be made on the new device is not drawn.
                (void)strip->recreateDeviceObjects(device);
            }
        }
        if (course.field) {
            course.field->createDeviceObjects(device);
        }
        course.meshes.recreate(device);
        for (auto& placement : course.bitmapPlacements) {
            // What cannot be made on the new device is not drawn.
            (void)placement.bitmap->createDeviceObjects(device);
        }
    }
}

void CEngineApp::readBackBufferSize() {
    ComPtr<IDirect3DSurface9> backBuffer;
    if (SUCCEEDED(device->GetBackBuffer(0, 0, D3DBACKBUFFER_TYPE_MONO, backBuffer.put()))) {
        backBuffer->GetDesc(&backBufferDesc);
    }
}

HRESULT CEngineApp::restoreDeviceObjects() {
    if (device == nullptr) {
        return E_FAIL;
    }
    // A reset may come with a new back buffer size (a resized window, full screen): the
    // projection and the picks follow it.
    readBackBufferSize();
    HRESULT result = S_OK;
    for (auto& entry : assets.xfiles()) {
        if (FAILED(entry.mesh->restoreDeviceObjects(device))) {
            result = E_FAIL;
        }
    }
    if (editor.current() != nullptr &&
        FAILED(editor.current()->meshes.restoreDeviceObjects(device))) {
        result = E_FAIL;
    }
    if (FAILED(result)) {
        return result;
    }
    setUpRenderState();
    return createFonts();
}

void CEngineApp::onInitialUpdate(unsigned width, unsigned height, HWND window) {
    viewWidth = width;
    viewHeight = height;
    hwnd = window;
}

HRESULT CEngineApp::invalidateDeviceObjects() {
    fontLarge.reset();
    fontSmall.reset();
    fontTimer.reset();
    for (auto& entry : assets.xfiles()) {
        entry.mesh->invalidateDeviceObjects();
    }
    if (editor.current() != nullptr) {
        editor.current()->meshes.invalidateDeviceObjects();
    }
    return S_OK;
}

HRESULT CEngineApp::deleteDeviceObjects() {
    fontLarge.reset();
    fontSmall.reset();
    fontTimer.reset();
    sky.reset();
    if (dotBlue) {
        dotBlue->releaseDeviceObjects();
        dotGreen->releaseDeviceObjects();
    }
    for (auto& entry : assets.xfiles()) {
        entry.mesh->destroy();
    }
    for (auto& entry : assets.bitmaps()) {
        entry.bitmap->releaseDeviceObjects();
    }
    for (auto& course : editor.courseList()) {
        for (auto& strip : course.strips) {
            if (strip) {
                strip->releaseDeviceObjects();
            }
        }
        if (course.field) {
            course.field->releaseDeviceObjects();
        }
        course.meshes.destroy();
        for (auto& placement : course.bitmapPlacements) {
            placement.bitmap->releaseDeviceObjects();
        }
    }
    device = nullptr;
    return S_OK;
}

void CEngineApp::selectTab(int newTab) {
    tab = newTab;
    switch (newTab) {
    case TAB_PLAY:
        playing = true;
        editor.laidPoints().clear();
        playStartTime = timeGetTime();
        break;
    case TAB_PLACE:
        playing = false;
        // Without a course or section the camera stays where it is.
        (void)placeCameraAtSection(0);
        editor.laidPoints().clear();
        break;
    case TAB_COURSE:
        playing = false;
        editor.allowCreate(false); // a new course needs at least one new click
        break;
    case TAB_PREVIEW:
        playing = false;
        editor.laidPoints().clear();
        break;
    default:
        break;
    }
}
