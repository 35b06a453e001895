#pragma once

#include <cstdint>
#include <list>
#include <memory>
#include <optional>
#include <span>
#include <string>
#include <vector>

#include "assets/AssetLibrary.h"
#include "camera/CameraRig.h"
#include "camera/ViewTab.h"
#include "course/SightLine.h"
#include "d3d9/d3d9.h"
#include "d3dx9/d3dx9core.h"
#include "d3dx9/d3dx9math.h"
#include "export/CourseExport.h"
#include "render/DotSprite.h"
#include "render/SkyDome.h"
#include "scene/Course.h"
#include "scene/CourseEditor.h"
#include "simulation/MovementInput.h"
#include "simulation/Simulation.h"
#include "tumbleway/tumbleway.h"
#include "tumbleway/tumbleway_ext.h"

// The engine's whole state. There is one per process; every export forwards to it.
// It owns the subsystems (the course editor, the asset library, the simulation, the
// camera rig, the movement input), each with its state private, and wires them: the
// device, the drawing objects and the mode it keeps itself, privately; see
// docs/architecture.md.
struct XfilePlacement;
struct CourseCheck;
class SoundManager;

// The play clock: minutes and seconds counted in units of 8 ms, then milliseconds,
// right-aligned in 2, 2 and 3 places; and where it stands on a view of that width.
std::string playClockText(DWORD elapsed);
RECT playClockRect(UINT width);

// Whether a course build sets the heading to the direction of the course start.
enum class StartHeading { Set, Keep };

class CEngineApp {
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
    HRESULT frameMove();
    HRESULT render();
    HRESULT invalidateDeviceObjects();
    // Releases every device-bound object. The scene itself (courses, libraries,
    // placements, relations) stays, so that the host can re-create its device and
    // call initDeviceObjects and restoreDeviceObjects again.
    HRESULT deleteDeviceObjects();

    void selectTab(int tab);
    // Makes every device-bound object of the scene again on the current device.
    void recreateSceneDeviceObjects();

    // Course operations.
    [[nodiscard]] HRESULT createCourse(HTREEITEM item);
    void selectCourse(HTREEITEM item);
    // Makes the course current and drives its last placed mesh, as choosing it does, but
    // leaves the camera where it is. False when no course has that item.
    bool makeCourseCurrent(HTREEITEM item);
    void clearCourse();
    void regenerateCurrentCourse();
    // Fills the strips and the inner field of a course from its track.
    void buildCourseMeshes(LCourse_t& course, StartHeading heading);
    void textureStrips(LCourse_t& course);
    // The inner field's picture: the road's, by its full path so that it is found
    // wherever the file dialogs have moved the current directory since start-up.
    std::string fieldTextureName() const;
    // Texture of strip k: road in the middle, edges beside it, field outside.
    const std::string& stripTexturePath(int strip) const;

    // Cameras: the frame's camera, the scan toggle, each handing its view to the device.
    void updateCamera();
    void toggleScan();
    // Puts the camera on the road at track sample i, looking along the road.
    [[nodiscard]] HRESULT placeCameraAtSection(int i);

    // Asset libraries and placing.
    [[nodiscard]] HRESULT pushXfile(const LF_t& file, HTREEITEM item);
    [[nodiscard]] HRESULT pushBitmap(const LF_t& file, HTREEITEM item);
    [[nodiscard]] HRESULT pushWav(const LF_t& file, HTREEITEM item);
    // Places the current library mesh, else the current bitmap, on the current course.
    void assign();
    [[nodiscard]] HRESULT placeBitmapInFrontOfCamera();

    // Sound relations.
    void assignSoundRelation(bool collisionButton);
    void releaseSoundRelation(bool collisionButton);
    void previewSound();
    void playCollisionSound(const XfilePlacement& first, const XfilePlacement& second);
    void playMovementSound(const XfilePlacement& placement);
    // playMovementSound for every placement of the current course, in list order.
    void playMovementSounds();

    // Edits beyond the exports (the twx_ interface). Meshes, bitmaps and relations are
    // counted in the current course's lists, from 0.
    XfilePlacement* meshAt(int index);
    // The index of the mesh the input drives on the current course, or -1.
    int controlledMesh() const;
    [[nodiscard]] bool setControlledMesh(int index);
    [[nodiscard]] bool deleteCourse(HTREEITEM item);
    [[nodiscard]] bool deleteXfilePlacement(int index);
    [[nodiscard]] bool deleteBitmapPlacement(int index);
    [[nodiscard]] bool deleteRelation(int index);
    // Where the course of a tree item stands in the course list; -1 when none has it.
    int coursePosition(HTREEITEM item) const;
    // A course built from a record (its item names it): in place of the course of that
    // item (replace) or as a new course at position. The current course, the
    // controlled mesh, the heading and the points being laid stay as they were, but
    // for the replaced course's own (its replacement is current if it was).
    [[nodiscard]] bool putCourse(const LSession_t& record, std::span<const TwxMeshExtra> extras,
                                 int position, bool replace);
    // The current course as a glTF binary file, its bitmaps turned as the next frame
    // draws them; an error without a current course.
    CourseExport exportCurrentCourse();
    void workingPoints(LSession_t& points) const;
    [[nodiscard]] bool setWorkingPoints(const LSession_t& points);

    // Sessions: the current course flattened for the host, and a course built from one.
    void fillSession(LSession_t& session) const;
    void fillSessionOf(const LCourse_t& course, LSession_t& session) const;
    const LCourse_t* courseOf(HTREEITEM item) const;
    void emptySession(LSession_t& session) const;
    // extras: what each of the record's meshes carries beyond it, in its order.
    [[nodiscard]] HRESULT restoreSession(const LSession_t& session, int* number,
                                         std::span<const TwxMeshExtra> extras = {});

    // The movement input: a pending push on the driven mesh, and the heading.
    void applyInputPush(CSceneObject& body, float angle);
    // Play mode's frame of the current course's bodies (their step, with the sounds of
    // contacts and movement, and their settling on the course).
    void playFrame();

    // Picking and mouse editing. Points are in view pixels unless said otherwise.
    // The line of sight through pixel (x, y) of a picture drawn through view and
    // projection: from origin along direction, which reaches view depth 1.
    void pickRay(float x, float y, const D3DXMATRIX& view, const D3DXMATRIX& projection,
                 D3DXVECTOR3* direction, D3DXVECTOR3* origin) const;
    // The view and projection picks go through in the current tab, those its picture
    // is drawn with; no view in the preview.
    const D3DXMATRIX* pickView() const;
    const D3DXMATRIX& pickProjection() const;
    [[nodiscard]] bool checkSelectedPoint(POINT point);
    int modifyPoint(unsigned int wParam, long lParam);
    int modifyXfile(unsigned int wParam, long lParam);
    enum class Picked { Nothing, Mesh, Bitmap };
    // Selects the placement of the current course drawn nearest the eye under pixel
    // (x, y); a miss selects none. Hands out the line of sight and, on a hit, the
    // point of it that holds the placement. Without a course or a view: nothing.
    Picked pickPlacement(int x, int y, D3DXVECTOR3* direction, D3DXVECTOR3* origin,
                         D3DXVECTOR3* grabbed);
    // Whether the pick at (x, y) selected a mesh: the right button's question.
    [[nodiscard]] bool selectXfilePlacement(int x, int y, D3DXVECTOR3* direction,
                                            D3DXVECTOR3* origin);
    // Picks at (x, y) and holds what it selected for the drag.
    void grabPlacement(int x, int y);
    // While the left button is held: moves the held placement so that its held point
    // shows under (x, y). E_FAIL when nothing moved.
    [[nodiscard]] HRESULT dragGrabbed(int x, int y);
    void addPoint(int x, int y);
    void onLButtonDown(POINT formPoint);
    void onMouseMove(POINT formPoint);
    void onLButtonUp();
    // Once a frame: the held placement stays under the cursor as the view turns.
    void keepGrabbedUnderCursor();
    [[nodiscard]] HRESULT placeXfileInFrontOfCamera();

    // Checks the current course's geometry (there must be one), dropping balls on its
    // road through the bodies' surface query.
    CourseCheck checkCurrentCourse();

    // Drawing.
    void setUpRenderState();
    [[nodiscard]] HRESULT createFonts();
    HRESULT renderCourseScene();
    HRESULT renderCourseEditor();
    HRESULT renderPreview();
    // What the preview shows a mesh of that radius through.
    D3DXMATRIX meshPreviewProjection(float radius) const;
    // The ghost below, translucent over what is drawn already.
    void drawGhost();

    // Text over the view.
    HRESULT drawPlayTimer();
    HRESULT drawPlaceText();
    HRESULT drawPreviewText();
    HRESULT drawHelpText();
    // One line across the middle of the view that says what to do next.
    HRESULT drawHint(const char* text);
    static constexpr const char* kNoCourseHint =
        "No course: choose one in the tree, or lay points in MakeField";
    static constexpr const char* kLayPointsHint = "Click at least three points, then press create";

    // Full path of one of the fixed data files below.
    std::string dataPath(const char* relative) const;
    // Fixed paths of the data files, relative to the folder the engine started in.
    static constexpr const char* kRoadTexture = "./data/road.bmp";
    static constexpr const char* kEdgeTexture = "./data/edge.bmp";
    static constexpr const char* kFieldTexture = "./data/field.bmp";
    static constexpr const char* kSkyTexture = "./data/Env_Sky.jpg";
    static constexpr const char* kBlueDot = "./data/dot_b.png";
    static constexpr const char* kGreenDot = "./data/dot_g.png";

    // What a host or tool may read of the engine beyond its subsystems.
    IDirect3DDevice9* currentDevice() const { return device; }
    int currentTab() const { return tab; }
    bool isPlaying() const { return playing; }
    // Where the view's top left corner lies in the host's form, in pixels.
    POINT viewOrigin() const { return POINT{viewOffsetX, viewOffsetY}; }
    // Turns the preview model further about its X and Y axes, in radians.
    void rotatePreview(float aboutX, float aboutY);
    // Draws placed mesh `mesh` of the current course once more, translucent, with this
    // world matrix: a recorded run shown beside the live one. -1: no ghost.
    void showGhost(int mesh, const D3DXMATRIX& world);

    // The subsystems, each with its state private.
    CourseEditor editor;
    AssetLibrary assets;
    Simulation simulation;
    CameraRig camera;
    MovementInput input;

private:
    friend class CEngineAppTestPeer; // what tests read that no user action shows
    void readBackBufferSize();
    std::unique_ptr<BitmapBillboard> loadBillboard(const std::string& path) const;
    std::unique_ptr<SoundObject> loadSound(const std::string& path) const;
    // Plays every sound of the current course named wav.
    void playCourseSounds(const std::string& wav, int rateStep);

    // The dotted and calculated points being edited: the current course's, or the
    // working lists while no course is current.
    std::list<LPoint_t>& editedDottedPoints();
    std::list<LPoint_t>& editedCalculatedPoints();
    bool insideView(POINT viewPoint) const;
    // The line of sight through the middle of view pixel (x, y) in the current tab's
    // view, which must exist; hands out the pick ray it is made from.
    SightLine sightThroughPixel(int x, int y, D3DXVECTOR3* direction, D3DXVECTOR3* origin) const;
    // What the left button holds: the kind of placement its press selected, the point of
    // it under the cursor, the placement's offset from that point and its height, and
    // the plane the point moves in (through it, with that normal; level or not).
    struct Grab {
        Picked held = Picked::Nothing;
        D3DXVECTOR3 point;
        D3DXVECTOR3 offset;
        float height = 0;
        D3DXVECTOR3 normal;
        bool level = true;
    };
    Grab m_grab;
    // Ten along the ray through the middle of the view: where assigned objects appear.
    D3DXVECTOR3 pointInFrontOfCamera() const;
    // Hands a view the camera computed to the device; none: the last view stays.
    void setView(const D3DXMATRIX* view);
    // Bitmaps face the way the heading looks back: billboardFacing.
    void faceBillboardsAlongHeading();

    D3DXVECTOR3 billboardFacing;
    IDirect3DDevice9* device = nullptr; // the host's; never owned
    D3DSURFACE_DESC backBufferDesc{};
    std::string statsText[2];
    ComPtr<ID3DXFont> fontLarge; // bold, 20 high
    ComPtr<ID3DXFont> fontSmall; // bold, 9 high
    ComPtr<ID3DXFont> fontTimer; // bold, 32 high
    D3DXVECTOR3 diagVector;
    std::int32_t intInfo = 0; // sample count of the course last created or restored
    float floatInfo = 0;
    std::string roadTexturePath;
    std::string edgeTexturePath;
    std::string fieldTexturePath;
    std::int32_t stripCount = kStripCount;
    std::int32_t roadStrip = ROAD_STRIP;
    DWORD playStartTime = 0;
    std::unique_ptr<SkyDome> sky;
    std::int32_t previewFrequencyStep = 0;
    unsigned viewWidth = 0;
    unsigned viewHeight = 0;
    std::int32_t viewOffsetX = 12;
    std::int32_t viewOffsetY = 28;
    HWND hwnd = nullptr;
    float pointAccumulator[2] = {}; // pending height and incline of a point edit
    float previewRotX = 0;
    float previewRotY = 0;
    D3DMATERIAL9 material{};
    D3DXMATRIX projectionMatrix;
    D3DXMATRIX identityWorld;
    POINT mousePoint{0, 0}; // the cursor in view pixels at the press, then while held
    D3DXVECTOR3 lastPlacePoint;
    bool dragging = false;
    bool buildPending = true;
    bool pointMessagePending = false;
    bool playing = false;
    int tab = TAB_PLACE;

    // A placed mesh of the current course drawn once more, translucent, with a world
    // matrix the host gives: a recorded run shown beside the live one. -1: none. The
    // index is looked up at every frame, so a course without that mesh draws no ghost.
    int m_ghostMesh = -1;
    D3DXMATRIX m_ghostWorld;

    // The dots that mark the picks of the sound relation being assigned.
    std::unique_ptr<DotSprite> dotBlue;
    std::unique_ptr<DotSprite> dotGreen;
    std::unique_ptr<SoundManager> soundManager;
};
