// The cameras: walking over the course, following the controlled object, scanning
// along the course, and the fixed views of the course editor and the preview.
#include <cmath>

#include "assets/Placements.h"
#include "core/EngineApp.h"
#include "course/CourseTrack.h"

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

void CEngineApp::setView(const D3DXMATRIX& view) {
    if (device != nullptr) {
        device->SetTransform(D3DTS_VIEW, &view);
    }
}

void CEngineApp::aimScanCamera(const D3DXVECTOR3& m0, const D3DXVECTOR3& m1) {
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

HRESULT CEngineApp::placeCameraAtSection(int i) {
    if (currentCourse == nullptr || !currentCourse->track) {
        return E_FAIL;
    }
    const CCourseTrack& track = *currentCourse->track;
    const D3DXVECTOR3 m0 = roadCentre(track, i);
    const D3DXVECTOR3 m1 = roadCentre(track, i + kScanLookAhead);
    const D3DXVECTOR3 delta = m1 - m0;
    m_cAngle = static_cast<float>(std::atan2(delta.x, delta.z) / M_PI);
    aimScanCamera(m0, m1);
    D3DXMatrixLookAtLH(&viewMatrix, &scanEye, &scanAt, &scanUp);
    setView(viewMatrix);
    return S_OK;
}

void CEngineApp::toggleScan() {
    if (currentCourse == nullptr) {
        return;
    }
    scanning = !scanning;
    if (scanning) {
        m_iScanOrder = 0;
    } else {
        // Without a course or section the camera stays where it is.
        (void)placeCameraAtSection(m_iScanOrder);
    }
}

void CEngineApp::updateScanCamera() {
    const CCourseTrack& track = *currentCourse->track;
    aimScanCamera(roadCentre(track, m_iScanOrder),
                  roadCentre(track, m_iScanOrder + kScanLookAhead));
    ++m_iScanOrder;
    if (track.sampleCount() != 0) {
        m_iScanOrder %= track.sampleCount();
    }
    D3DXMatrixLookAtLH(&viewMatrix, &scanEye, &scanAt, &scanUp);
    setView(viewMatrix);
    m_cAngle = static_cast<float>(std::atan2(scanAt.z - scanEye.z, scanAt.x - scanEye.x) / M_PI);
}

void CEngineApp::updateCamera() {
    switch (tab) {
    case TAB_PLAY:
    case TAB_PLACE:
        if (currentCourse == nullptr || !currentCourse->track) {
            return; // no course: the last view stays
        }
        if (scanning) {
            updateScanCamera();
        } else {
            updateCourseCamera();
        }
        return;
    case TAB_COURSE: {
        const D3DXVECTOR3 eye(0, kCourseViewHeight, 0);
        const D3DXVECTOR3 at(0, 0, 0);
        const D3DXVECTOR3 up(0, 0, 5.0f);
        D3DXMatrixLookAtLH(&courseViewMatrix, &eye, &at, &up);
        setView(courseViewMatrix);
        return;
    }
    case TAB_PREVIEW: {
        const D3DXVECTOR3 eye(0, kPreviewHeight, -5.0f);
        const D3DXVECTOR3 at(0, kPreviewHeight, 0);
        const D3DXVECTOR3 up(0, 1.0f, 0);
        D3DXMATRIX view;
        D3DXMatrixLookAtLH(&view, &eye, &at, &up);
        setView(view);
        return;
    }
    default:
        return;
    }
}

void CEngineApp::updateCourseCamera() {
    const float ct = static_cast<float>(std::cos(M_PI * m_cAngle));
    const float st = static_cast<float>(std::sin(M_PI * m_cAngle));
    D3DXVECTOR3 scratch;
    if (lastXfilePlacement == nullptr) {
        // Walking: the move input carries the eye along the heading over the surface.
        // Neither moved nor turned, the camera stays where the last camera left it:
        // letting go of the followed object (a click that picks nothing) moves nothing.
        if (m_cMove != 0 || m_aimedHeading != m_cAngle) {
            cameraEye.x += ct * m_cMove;
            cameraEye.z += st * m_cMove;
            cameraAt.x = cameraEye.x + kCameraDistance * ct;
            cameraAt.z = cameraEye.z + kCameraDistance * st;
            // Off the surface the point keeps the height it had.
            followSurfaceCamera(ct, st, &cameraEye, &scratch);
            followSurfaceCamera(ct, st, &cameraAt, &scratch);
            m_cMove = 0;
        }
    } else {
        const CSceneObject* body = lastXfilePlacement->body.get();
        if (body == nullptr) {
            return;
        }
        if (!dragging) {
            // Following: 20 behind the object along the heading, 5 above the surface.
            cameraAt = body->position;
            cameraEye.x = cameraAt.x - kCameraDistance * ct;
            cameraEye.z = cameraAt.z - kCameraDistance * st;
            cameraHint = followHint;
            // Off the surface the point keeps the height it had.
            followSurfaceCamera(ct, st, &cameraEye, &scratch);
            followHint = cameraHint;
            cameraEye.y += kFollowEyeLift;
            cameraAt.y += kFollowAtLift;
        } else {
            // While an object is dragged the eye stays put and only turns.
            cameraAt.x = cameraEye.x + kCameraDistance * ct;
            cameraAt.z = cameraEye.z + kCameraDistance * st;
        }
    }
    m_aimedHeading = m_cAngle;
    D3DXMatrixLookAtLH(&viewMatrix, &cameraEye, &cameraAt, &cameraUp);
    setView(viewMatrix);
}
