#include "core/EngineApp.h"

#include <array>
#include <vector>

#include "assets/mesh/MeasuredMesh.h"
#include "core/SessionWriter.h"
#include "course/CourseField.h"
#include "course/StripGrid.h"
#include "scene/Placements.h"

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

CEngineApp::CEngineApp()
    : renderer(view, editor, assets, camera, input), courses(editor, input, view, renderer),
      sounds(assets, editor), edit(editor, camera, view, renderer, courses, input),
      reader(editor, assets, sounds, courses, renderer, view), edits(editor, edit, reader, input),
      library(assets, editor, edit, sounds, view, renderer) {}

CEngineApp::~CEngineApp() = default;

HRESULT CEngineApp::oneTimeSceneInit(HWND window) {
    view.window = window;
    view.tab = TAB_PLACE;
    edit.reset();
    input.reset();
    camera.reset();

    sounds.start(window);
    assets.clearRelationPicks();

    // The asset search starts here whatever else fails below: without it every later
    // lookup would have no root. The engine runs silent when sound cannot start.
    std::vector<char> directory(MAX_PATH);
    if (GetCurrentDirectoryA(MAX_PATH, directory.data()) != 0) {
        assets.setSearchRoot(directory.data());
    }
    renderer.findDots(dataPath(kBlueDot), dataPath(kGreenDot));
    return S_OK;
}

HRESULT CEngineApp::initDeviceObjects(IDirect3DDevice9* newDevice) {
    view.device = newDevice;
    if (view.device == nullptr) {
        return E_FAIL;
    }
    view.readBackBufferSize();
    buildPending = false;

    renderer.createDeviceObjects(dataPath(kSkyTexture));
    courses.findTextures(dataPath(kRoadTexture), dataPath(kEdgeTexture), dataPath(kFieldTexture));

    IDirect3DDevice9* device = view.device;
    device->SetRenderState(D3DRS_DITHERENABLE, TRUE);
    device->SetRenderState(D3DRS_ZENABLE, TRUE);
    device->SetRenderState(D3DRS_ZWRITEENABLE, TRUE);

    recreateSceneDeviceObjects();
    return S_OK;
}

void CEngineApp::recreateSceneDeviceObjects() {
    // After the host re-created its device, everything the scene draws is made again
    // from what it keeps in memory: arrays, file paths.
    IDirect3DDevice9* device = view.device;
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

HRESULT CEngineApp::restoreDeviceObjects() {
    IDirect3DDevice9* device = view.device;
    if (device == nullptr) {
        return E_FAIL;
    }
    // A reset may come with a new back buffer size (a resized window, full screen): the
    // projection and the picks follow it.
    view.readBackBufferSize();
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
    return renderer.restoreDeviceObjects();
}

void CEngineApp::onInitialUpdate(unsigned width, unsigned height, HWND window) {
    view.width = width;
    view.height = height;
    view.window = window;
}

HRESULT CEngineApp::render() {
    return renderer.render();
}

HRESULT CEngineApp::invalidateDeviceObjects() {
    renderer.invalidateDeviceObjects();
    for (auto& entry : assets.xfiles()) {
        entry.mesh->invalidateDeviceObjects();
    }
    if (editor.current() != nullptr) {
        editor.current()->meshes.invalidateDeviceObjects();
    }
    return S_OK;
}

HRESULT CEngineApp::deleteDeviceObjects() {
    renderer.deleteDeviceObjects();
    releaseSceneDeviceObjects();
    view.device = nullptr;
    return S_OK;
}

void CEngineApp::releaseSceneDeviceObjects() {
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
}

void CEngineApp::selectTab(int newTab) {
    view.tab = newTab;
    switch (newTab) {
    case TAB_PLAY:
        playing = true;
        editor.laidPoints().clear();
        renderer.startPlayClock();
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

void CEngineApp::fillSession(LSession_t& session) const {
    if (editor.current() != nullptr) {
        fillSessionOf(*editor.current(), session);
    }
}
