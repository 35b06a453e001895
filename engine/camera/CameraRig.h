#pragma once

#include <optional>

#include "camera/ViewTab.h"
#include "d3dx9/d3dx9math.h"
#include "scene/Course.h"
#include "simulation/MovementInput.h"
#include "simulation/Simulation.h"

struct XfilePlacement;

// The cameras: walking over the course, following the driven object, scanning along
// the course, and the fixed views of the course editor and the preview. The rig only
// computes views; its owner hands each view it returns to the device.
class CameraRig {
public:
    CameraRig();

    // What a frame's camera looks at and how it is steered. The input's heading is
    // shared with the driven object: the scan turns it, the walk and the follow go
    // along it. A walking step uses up the input's move.
    struct Frame {
        int tab;
        const LCourse_t* course;
        const XfilePlacement* driven; // of the course, followed; none: the camera walks
        bool dragging;
        MovementInput& input;
    };

    // Back to the start of a session: behind the origin, looking at it, no scan.
    void reset();
    // The frame's camera; the view to set, or none when the last view stays.
    const D3DXMATRIX* update(const Frame& frame, Simulation& simulation);
    // On the road at track sample i, looking along it, the heading turned with it.
    // None without a course or track.
    const D3DXMATRIX* placeAtSection(const LCourse_t* course, int i, MovementInput& input);
    // Starts the scan from the course start, or stops it where it stands. The view to
    // set, when stopping put the camera on the road.
    const D3DXMATRIX* toggleScan(const LCourse_t* course, MovementInput& input);
    // The preview looks at its mesh from here.
    void lookFromPreview();
    // A drag let go of the followed object: the eye stays where the drag left it (the
    // view still turns with the heading), not back behind the object, until the object
    // is moved some other way (the player drives it, an undo puts it back) or another is
    // followed.
    void stayAfterDrag(const XfilePlacement& dragged, const D3DXVECTOR3& leftAt);

    const D3DXVECTOR3& eye() const { return cameraEye; }
    const D3DXVECTOR3& at() const { return cameraAt; }
    const D3DXVECTOR3& up() const { return cameraUp; }
    // Where the scan camera looks from and at, when it last looked along the road.
    const D3DXVECTOR3& scanEyePoint() const { return scanEye; }
    const D3DXVECTOR3& scanAtPoint() const { return scanAt; }
    // What the text over the view reports the camera looking at.
    const D3DXVECTOR3& lookedAt() const { return scanning ? scanAt : cameraAt; }
    bool isScanning() const { return scanning; }
    // The track sample the scan shows next.
    int scanOrder() const { return m_iScanOrder; }
    // The views of the course, and of the course editor from above.
    const D3DXMATRIX& view() const { return viewMatrix; }
    const D3DXMATRIX& courseView() const { return courseViewMatrix; }

private:
    // Tests put the eye where a picture of theirs needs it.
    friend class CameraRigTestPeer;

    const D3DXMATRIX* updateCourseCamera(const Frame& frame, Simulation& simulation);
    // Whether the eye still stays for the followed object, as a drag left it.
    bool staysFor(const XfilePlacement& followed, const D3DXVECTOR3& at);
    const D3DXMATRIX* updateScanCamera(const LCourse_t& course, MovementInput& input);
    // Points the scan camera from road centre m0 toward m1 (track coordinates).
    void aimScanCamera(const D3DXVECTOR3& m0, const D3DXVECTOR3& m1);

    D3DXVECTOR3 cameraUp{0, 1, 0};
    D3DXVECTOR3 cameraAt{0, 0, 0};
    D3DXVECTOR3 cameraEye{0, 0, -5};
    D3DXVECTOR3 scanUp;
    D3DXVECTOR3 scanAt;
    D3DXVECTOR3 scanEye;
    D3DXMATRIX viewMatrix;
    D3DXMATRIX courseViewMatrix;
    D3DXMATRIX previewView;
    bool scanning = false;
    int m_iScanOrder = 0;
    // Where the walking and the following camera found the surface last; the
    // follower's is kept apart so that letting go of an object does not move the walk.
    SurfaceHint cameraHint;
    SurfaceHint followHint;
    // The heading the walking or the following camera last aimed the view along; none
    // once another camera has set the view.
    std::optional<float> m_aimedHeading;
    // The object a drag let go of, and where on the ground it was left; none: the
    // follow camera goes behind what it follows.
    const XfilePlacement* m_stayFor = nullptr;
    D3DXVECTOR2 m_stayAt;
};
