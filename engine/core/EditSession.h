#pragma once

#include <list>

#include "course/SightLine.h"
#include "d3dx9/d3dx9math.h"
#include "scene/Course.h"

class CameraRig;
class CourseBuilder;
class CourseEditor;
class MovementInput;
class Renderer;
struct HostView;

// What the mouse does in the view: laying course points and editing their height and
// bank, picking placed objects along the line of sight and dragging them so that the
// point held stays under the cursor, and placing objects in front of the camera.
// Points are in view pixels unless said otherwise.
class EditSession {
public:
    EditSession(CourseEditor& editor, CameraRig& camera, const HostView& view,
                const Renderer& renderer, CourseBuilder& courses, const MovementInput& input);

    // Nothing held, no point edit pending: as at start-up.
    void reset();

    // The host's mouse, in form coordinates.
    void onLButtonDown(POINT formPoint);
    void onMouseMove(POINT formPoint);
    void onLButtonUp();
    // Whether the left button holds something (or is held) in the view.
    bool dragging() const { return m_dragging; }
    // What the button held is gone (deleted, replaced): the drag ends.
    void letGo() { m_dragging = false; }
    // Once a frame: the held placement stays under the cursor as the view turns.
    void keepGrabbedUnderCursor();

    // The line of sight through pixel (x, y) of a picture drawn through view and
    // projection: from origin along direction, which reaches view depth 1.
    void pickRay(float x, float y, const D3DXMATRIX& view, const D3DXMATRIX& projection,
                 D3DXVECTOR3* direction, D3DXVECTOR3* origin) const;
    // The view picks go through in the current tab, that its picture is drawn with; no
    // view in the preview.
    const D3DXMATRIX* pickView() const;
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

    // Lays a course point at (x, y) of the course editor's view.
    void addPoint(int x, int y);
    // Selects the dot laid under the point, if any.
    [[nodiscard]] bool checkSelectedPoint(POINT point);
    // The selected point takes height wParam and bank lParam (the host's message).
    int modifyPoint(unsigned int wParam, long lParam);
    // The driven mesh is raised by wParam and turned by lParam degrees.
    int modifyXfile(unsigned int wParam, long lParam);

    // The driven mesh, or the bitmap placed last, goes ten along the line of sight
    // through the middle of the view. E_FAIL when there is none.
    [[nodiscard]] HRESULT placeXfileInFrontOfCamera();
    [[nodiscard]] HRESULT placeBitmapInFrontOfCamera();

private:
    friend class CEngineAppTestPeer; // what tests read that no user action shows
    // The dotted and calculated points being edited: the current course's, or the
    // working lists while no course is current.
    std::list<LPoint_t>& editedDottedPoints();
    std::list<LPoint_t>& editedCalculatedPoints();
    bool insideView(POINT viewPoint) const;
    // The line of sight through the middle of view pixel (x, y) in the current tab's
    // view, which must exist; hands out the pick ray it is made from.
    SightLine sightThroughPixel(int x, int y, D3DXVECTOR3* direction, D3DXVECTOR3* origin) const;
    // Ten along the ray through the middle of the view: where assigned objects appear.
    D3DXVECTOR3 pointInFrontOfCamera() const;

    CourseEditor& editor;
    CameraRig& camera;
    const HostView& view;
    const Renderer& renderer;
    CourseBuilder& courses;
    const MovementInput& input;

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
    float pointAccumulator[2] = {}; // pending height and incline of a point edit
    POINT mousePoint{0, 0};         // the cursor in view pixels at the press, then while held
    D3DXVECTOR3 lastPlacePoint;
    bool m_dragging = false;
    bool pointMessagePending = false;
};
