// The cameras: walking over the course, following the controlled object, scanning
// along the course, and the fixed views of the course editor and the preview.
#include <cmath>

#include "camera/CameraRig.h"

#include "course/CourseTrack.h"
#include "scene/Placements.h"

namespace {

constexpr float kCourseViewHeight = 100.0f;
constexpr float kPreviewHeight = 1000.0f;
constexpr int kScanLookAhead = 10;
constexpr float kScanEyeLift = 1.2f;
constexpr float kScanLookDistance = 10.0f;
constexpr float kScanLookLift = 0.9f;
constexpr float kCameraDistance = 20.0f;
constexpr float kFollowEyeLift = 3.0f;
constexpr float kFollowAtLift = 2.0f;

// Midpoint of the road at track sample i, in the track's own (x, y, z).
D3DXVECTOR3 roadCentre(const CCourseTrack& track, int i) {
    const auto [right, left] = track.pair(3, i);
    return (right + left) * 0.5f;
}

} // namespace

CameraRig::CameraRig() {
    // The course editor's top-down view is fixed; having it from the start lets a click
    // lay a point even before the first frame.
    const D3DXVECTOR3 eye(0, kCourseViewHeight, 0);
    const D3DXVECTOR3 at(0, 0, 0);
    const D3DXVECTOR3 up(0, 0, 5.0f);
    D3DXMatrixLookAtLH(&courseViewMatrix, &eye, &at, &up);
    D3DXMatrixIdentity(&viewMatrix);
    const D3DXVECTOR3 previewEye(0, kPreviewHeight, -5.0f);
    const D3DXVECTOR3 previewAt(0, kPreviewHeight, 0);
    const D3DXVECTOR3 previewUp(0, 1.0f, 0);
    D3DXMatrixLookAtLH(&previewView, &previewEye, &previewAt, &previewUp);
}

void CameraRig::reset() {
    cameraEye = D3DXVECTOR3(0, 0, -5.0f);
    cameraAt = D3DXVECTOR3(0, 0, 0);
    cameraUp = D3DXVECTOR3(0, 1.0f, 0);
    scanEye = D3DXVECTOR3();
    scanAt = D3DXVECTOR3();
    cameraHint = {};
    followHint = {};
    D3DXMatrixIdentity(&viewMatrix);
    scanning = false;
    m_stayFor = nullptr;
}

void CameraRig::stayAfterDrag(const XfilePlacement& dragged, const D3DXVECTOR3& leftAt) {
    m_stayFor = &dragged;
    m_stayAt = D3DXVECTOR2(leftAt.x, leftAt.z);
}

bool CameraRig::staysFor(const XfilePlacement& followed, const D3DXVECTOR3& at) {
    // The surface moves a body up and down; only a move over the ground is its own.
    if (&followed != m_stayFor || at.x != m_stayAt.x || at.z != m_stayAt.y) {
        m_stayFor = nullptr;
    }
    return m_stayFor != nullptr;
}

void CameraRig::lookFromPreview() {
    cameraEye = D3DXVECTOR3(0, 0, 20.0f);
}

void CameraRig::aimScanCamera(const D3DXVECTOR3& m0, const D3DXVECTOR3& m1) {
    D3DXVECTOR3 d = m1 - m0;
    D3DXVec3Normalize(&d, &d);
    // The track's z becomes world x and its x world z: the strips are laid that way.
    scanEye = D3DXVECTOR3(m0.z, m0.y + kScanEyeLift, m0.x);
    scanAt = D3DXVECTOR3(scanEye.x + kScanLookDistance * d.z,
                         scanEye.y + kScanLookDistance * d.y + kScanLookLift,
                         scanEye.z + kScanLookDistance * d.x);
    scanUp = D3DXVECTOR3(0, 1.0f, 0);
    cameraEye = scanEye;
    m_aimedHeading.reset();
}

const D3DXMATRIX* CameraRig::placeAtSection(const LCourse_t* course, int i, MovementInput& input) {
    if (course == nullptr || !course->track) {
        return nullptr;
    }
    const CCourseTrack& track = *course->track;
    const D3DXVECTOR3 m0 = roadCentre(track, i);
    const D3DXVECTOR3 m1 = roadCentre(track, i + kScanLookAhead);
    const D3DXVECTOR3 delta = m1 - m0;
    input.setHeading(static_cast<float>(std::atan2(delta.x, delta.z) / M_PI));
    aimScanCamera(m0, m1);
    D3DXMatrixLookAtLH(&viewMatrix, &scanEye, &scanAt, &scanUp);
    return &viewMatrix;
}

const D3DXMATRIX* CameraRig::toggleScan(const LCourse_t* course, MovementInput& input) {
    if (course == nullptr) {
        return nullptr;
    }
    scanning = !scanning;
    if (scanning) {
        m_iScanOrder = 0;
        return nullptr;
    }
    // Without a course or section the camera stays where it is.
    return placeAtSection(course, m_iScanOrder, input);
}

const D3DXMATRIX* CameraRig::updateScanCamera(const LCourse_t& course, MovementInput& input) {
    const CCourseTrack& track = *course.track;
    aimScanCamera(roadCentre(track, m_iScanOrder),
                  roadCentre(track, m_iScanOrder + kScanLookAhead));
    ++m_iScanOrder;
    if (track.sampleCount() != 0) {
        m_iScanOrder %= track.sampleCount();
    }
    D3DXMatrixLookAtLH(&viewMatrix, &scanEye, &scanAt, &scanUp);
    input.setHeading(
        static_cast<float>(std::atan2(scanAt.z - scanEye.z, scanAt.x - scanEye.x) / M_PI));
    return &viewMatrix;
}

const D3DXMATRIX* CameraRig::update(const Frame& frame, Simulation& simulation) {
    switch (frame.tab) {
    case TAB_PLAY:
    case TAB_PLACE:
        if (frame.course == nullptr || !frame.course->track) {
            return nullptr; // no course: the last view stays
        }
        return scanning ? updateScanCamera(*frame.course, frame.input)
                        : updateCourseCamera(frame, simulation);
    case TAB_COURSE:
        return &courseViewMatrix;
    case TAB_PREVIEW:
        return &previewView;
    default:
        return nullptr;
    }
}

const D3DXMATRIX* CameraRig::updateCourseCamera(const Frame& frame, Simulation& simulation) {
    const float heading = frame.input.heading();
    const float move = frame.input.pendingMove();
    const float ct = static_cast<float>(std::cos(M_PI * heading));
    const float st = static_cast<float>(std::sin(M_PI * heading));
    D3DXVECTOR3 scratch;
    if (frame.driven == nullptr) {
        // Walking: the move input carries the eye along the heading over the surface.
        // Neither moved nor turned, the camera stays where the last camera left it:
        // letting go of the followed object (a click that picks nothing) moves nothing.
        if (move != 0 || m_aimedHeading != heading) {
            cameraEye.x += ct * move;
            cameraEye.z += st * move;
            cameraAt.x = cameraEye.x + kCameraDistance * ct;
            cameraAt.z = cameraEye.z + kCameraDistance * st;
            // Off the surface the point keeps the height it had.
            simulation.followSurfaceCamera(frame.course, ct, st, &cameraEye, cameraHint, &scratch);
            simulation.followSurfaceCamera(frame.course, ct, st, &cameraAt, cameraHint, &scratch);
            frame.input.clearMove();
        }
    } else if (frame.course == nullptr) {
        return nullptr;
    } else if (const D3DXVECTOR3& followed =
                   frame.course->xfilePlacements.body(*frame.driven).position;
               !frame.dragging && !staysFor(*frame.driven, followed)) {
        // Following: 20 behind the object along the heading, 5 above the surface.
        cameraAt = followed;
        cameraEye.x = cameraAt.x - kCameraDistance * ct;
        cameraEye.z = cameraAt.z - kCameraDistance * st;
        cameraHint = followHint;
        // Off the surface the point keeps the height it had.
        simulation.followSurfaceCamera(frame.course, ct, st, &cameraEye, cameraHint, &scratch);
        followHint = cameraHint;
        cameraEye.y += kFollowEyeLift;
        cameraAt.y += kFollowAtLift;
    } else {
        // While an object is dragged, and after it as the drag left it, the eye stays
        // put and only turns.
        cameraAt.x = cameraEye.x + kCameraDistance * ct;
        cameraAt.z = cameraEye.z + kCameraDistance * st;
    }
    m_aimedHeading = heading;
    D3DXMatrixLookAtLH(&viewMatrix, &cameraEye, &cameraAt, &cameraUp);
    return &viewMatrix;
}
