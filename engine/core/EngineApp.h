#pragma once

#include <span>
#include <string>

#include "assets/AssetLibrary.h"
#include "camera/CameraRig.h"
#include "camera/ViewTab.h"
#include "core/AssetLoader.h"
#include "core/CourseBuilder.h"
#include "core/EditSession.h"
#include "core/SceneEdits.h"
#include "core/SceneReader.h"
#include "core/SoundRelationService.h"
#include "d3d9/d3d9.h"
#include "d3dx9/d3dx9math.h"
#include "export/CourseExport.h"
#include "render/HostView.h"
#include "render/Renderer.h"
#include "scene/Course.h"
#include "scene/CourseEditor.h"
#include "simulation/MovementInput.h"
#include "simulation/Simulation.h"
#include "tumbleway/tumbleway.h"
#include "tumbleway/tumbleway_ext.h"

struct CourseCheck;

// The engine's whole state. There is one per process; every export forwards to it.
// It owns the subsystems, each with its state private, and wires them by references
// given at construction: the course editor, the asset library, the simulation, the
// camera rig, the movement input, the renderer, the course builder, the sound
// relations, the mouse's edit session, the scene reader, the hosts' scene edits and
// the loader of library files. Itself it keeps the host's view (window, device, size,
// tab) and the mode, and runs the host's lifecycle and the frame over the subsystems;
// see docs/architecture.md.
class CEngineApp {
    // First, as the subsystems below read it.
    HostView view;

public:
    CEngineApp();
    virtual ~CEngineApp();
    CEngineApp(const CEngineApp&) = delete;
    CEngineApp& operator=(const CEngineApp&) = delete;

    // Lifecycle, in the order the host calls it.
    [[nodiscard]] HRESULT oneTimeSceneInit(HWND window);
    [[nodiscard]] HRESULT initDeviceObjects(IDirect3DDevice9* device);
    [[nodiscard]] HRESULT restoreDeviceObjects();
    void onInitialUpdate(unsigned width, unsigned height, HWND window);
    // The frame: input, camera, the held object, then the bodies' step (play) or their
    // settling on the course.
    HRESULT frameMove();
    HRESULT render();
    HRESULT invalidateDeviceObjects();
    // Releases every device-bound object. The scene itself (courses, libraries,
    // placements, relations) stays, so that the host can re-create its device and
    // call initDeviceObjects and restoreDeviceObjects again.
    HRESULT deleteDeviceObjects();
    void selectTab(int tab);

    // The current course: made of the laid points, chosen, cleared, rebuilt.
    [[nodiscard]] HRESULT createCourse(HTREEITEM item) { return courses.create(item); }
    void selectCourse(HTREEITEM item);
    // Makes the course current and drives its last placed mesh, as choosing it does, but
    // leaves the camera where it is. False when no course has that item.
    bool makeCourseCurrent(HTREEITEM item);
    void clearCourse();
    void regenerateCurrentCourse() { courses.regenerateCurrent(); }
    // The selected point of the course takes a height and a bank (the host's message).
    int modifyPoint(unsigned int wParam, long lParam) { return edit.modifyPoint(wParam, lParam); }

    // The camera's scan of the course, on or off, handing its view to the device.
    void toggleScan();
    // Play mode's frame of the current course's bodies (their step, with the sounds of
    // contacts and movement, and their settling on the course).
    void playFrame();

    // Sessions: the current course flattened for the host, and a course built from one.
    void fillSession(LSession_t& session) const;
    // extras: what each of the record's meshes carries beyond it, in its order.
    [[nodiscard]] HRESULT restoreSession(const LSession_t& session, int* number,
                                         std::span<const TwxMeshExtra> extras = {}) {
        return reader.restore(session, number, extras);
    }

    // Checks the current course's geometry (there must be one), dropping balls on its
    // road through the bodies' surface query.
    CourseCheck checkCurrentCourse();
    // The current course as a glTF binary file, its bitmaps turned as the next frame
    // draws them; an error without a current course.
    CourseExport exportCurrentCourse();

    // What a host or tool may read of the engine beyond its subsystems.
    IDirect3DDevice9* currentDevice() const { return view.device; }
    int currentTab() const { return view.tab; }
    bool isPlaying() const { return playing; }
    // Where the view's top left corner lies in the host's form, in pixels.
    POINT viewOrigin() const { return view.origin; }

    // The subsystems, each with its state private.
    CourseEditor editor;
    AssetLibrary assets;
    Simulation simulation;
    CameraRig camera;
    MovementInput input;
    Renderer renderer;
    CourseBuilder courses;
    SoundRelationService sounds;
    EditSession edit;
    SceneReader reader;
    SceneEdits edits;
    AssetLoader library;

private:
    friend class CEngineAppTestPeer; // what tests read that no user action shows
    // Full path of one of the fixed data files below.
    std::string dataPath(const char* relative) const;
    // Makes every device-bound object of the scene again on the current device, or
    // releases them all.
    void recreateSceneDeviceObjects();
    void releaseSceneDeviceObjects();
    // The movement input: a pending push on the driven mesh, and the heading.
    void applyInputPush(CSceneObject& body, float angle);
    // The frame's camera, handing its view to the device.
    void updateCamera();
    // Puts the camera on the road at track sample i, looking along the road.
    [[nodiscard]] HRESULT placeCameraAtSection(int i);
    // Hands a view the camera computed to the device; none: the last view stays.
    void setView(const D3DXMATRIX* eyeView);

    // Fixed paths of the data files, relative to the folder the engine started in.
    static constexpr const char* kRoadTexture = CourseBuilder::kRoadTexture;
    static constexpr const char* kEdgeTexture = "./data/edge.bmp";
    static constexpr const char* kFieldTexture = "./data/field.bmp";
    static constexpr const char* kSkyTexture = "./data/Env_Sky.jpg";
    static constexpr const char* kBlueDot = "./data/dot_b.png";
    static constexpr const char* kGreenDot = "./data/dot_g.png";

    bool buildPending = true;
    bool playing = false;
};
