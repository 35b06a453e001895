#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "d3d9/d3d9.h"
#include "d3dx9/d3dx9core.h"
#include "d3dx9/d3dx9math.h"
#include "render/DotSprite.h"
#include "render/HostView.h"
#include "render/InstancedMeshes.h"
#include "render/SkyDome.h"

class BitmapBillboard;

class AssetLibrary;
class CameraRig;
class CourseEditor;
class MeshObject;
class MovementInput;
class ViewFrustum;
struct LCourse_t;
struct MeshBounds;

// The play clock: minutes and seconds counted in units of 8 ms, then milliseconds,
// right-aligned in 2, 2 and 3 places; and where it stands on a view of that width.
std::string playClockText(DWORD elapsed);
RECT playClockRect(UINT width);

// The way bitmaps face for a heading: they look back along it.
D3DXVECTOR3 billboardFacing(float heading);

// Draws the frame of the tab the host shows: the course scene (sky, bitmaps, strips,
// field, meshes, the ghost, the text over them), the course editor's dots or the
// preview of one library object. It owns what drawing needs beyond the scene (the
// sky, the dots, the fonts, the material, the projection, the ghost, the preview's
// turn), made and released with the host's device.
class Renderer {
public:
    Renderer(const HostView& view, CourseEditor& editor, const AssetLibrary& assets,
             CameraRig& camera, const MovementInput& input);
    ~Renderer();
    Renderer(const Renderer&) = delete;
    Renderer& operator=(const Renderer&) = delete;

    // The dots' pictures, found before any device exists.
    void findDots(const std::string& bluePath, const std::string& greenPath);
    // What is made once per device: the dots' textures and the sky.
    void createDeviceObjects(const std::string& skyPicture);
    // After each reset: the device state every frame relies on, and the fonts.
    [[nodiscard]] HRESULT restoreDeviceObjects();
    void invalidateDeviceObjects();
    void deleteDeviceObjects();

    HRESULT render();
    // Text the host asks for on its own.
    HRESULT drawHelpText();
    HRESULT drawPlayTimer();

    // The play clock counts from now.
    void startPlayClock();
    // Turns the preview model further about its X and Y axes, in radians.
    void rotatePreview(float aboutX, float aboutY);
    // Draws placed mesh `mesh` of the current course once more, translucent, with this
    // world matrix: a recorded run shown beside the live one. -1: no ghost.
    void showGhost(int mesh, const D3DXMATRIX& world);
    // The sample count of the course last built, shown in the preview's diagnostics.
    void noteSampleCount(std::int32_t samples) { intInfo = samples; }

    // The projection the current tab's picture is drawn through: the course scene's is
    // the sky's, which the sky leaves in force for the rest of its frame; the course
    // editor's clicks reach the ground through that of the render set-up.
    const D3DXMATRIX& pictureProjection() const;
    const D3DXMATRIX& setUpProjection() const { return projectionMatrix; }
    // What the preview shows a mesh of that radius through.
    D3DXMATRIX meshPreviewProjection(float radius) const;

    static constexpr const char* kNoCourseHint =
        "No course: choose one in the tree, or lay points in MakeField";
    static constexpr const char* kLayPointsHint = "Click at least three points, then press create";

private:
    friend class CEngineAppTestPeer; // what tests read that no user action shows
    void setUpRenderState();
    [[nodiscard]] HRESULT createFonts();
    HRESULT renderCourseScene();
    HRESULT renderCourseEditor();
    HRESULT renderPreview();
    // The preview's bitmap, whole and as it looks on the course.
    void drawPreviewBitmap(BitmapBillboard& bitmap);
    // The current course's placed meshes that show in the frustum.
    void drawPlacedMeshes(const LCourse_t& course, const ViewFrustum& frustum);
    // The ghost, translucent over what is drawn already.
    void drawGhost();
    HRESULT drawPlaceText();
    HRESULT drawPreviewText();
    // One line across the middle of the view that says what to do next.
    HRESULT drawHint(const char* text);

    const HostView& view;
    CourseEditor& editor;
    const AssetLibrary& assets;
    CameraRig& camera;
    const MovementInput& input;

    std::string statsText[2];
    ComPtr<ID3DXFont> fontLarge; // bold, 20 high
    ComPtr<ID3DXFont> fontSmall; // bold, 9 high
    ComPtr<ID3DXFont> fontTimer; // bold, 32 high
    D3DXVECTOR3 diagVector;
    std::int32_t intInfo = 0; // sample count of the course last created or restored
    float floatInfo = 0;
    DWORD playStartTime = 0;
    std::unique_ptr<SkyDome> sky;
    float previewRotX = 0;
    float previewRotY = 0;
    D3DMATERIAL9 material{};
    D3DXMATRIX projectionMatrix;
    D3DXMATRIX identityWorld;

    // A placed mesh of the current course drawn once more, translucent, with a world
    // matrix the host gives: a recorded run shown beside the live one. -1: none. The
    // index is looked up at every frame, so a course without that mesh draws no ghost.
    int m_ghostMesh = -1;
    D3DXMATRIX m_ghostWorld;

    // The frame's placed meshes by mesh: its bounds (null for a mesh the course does not
    // hold) and the world matrices of its placements in view. Kept between frames so
    // that a frame allocates only while the scene grows.
    struct MeshGroup {
        MeshObject* mesh = nullptr;
        const MeshBounds* bounds = nullptr;
        std::vector<D3DXMATRIX> worlds;
    };
    std::vector<MeshGroup> m_meshGroups;
    InstancedMeshes m_instances;

    // The dots that mark the points laid in the course editor.
    std::unique_ptr<DotSprite> dotBlue;
    std::unique_ptr<DotSprite> dotGreen;
};
