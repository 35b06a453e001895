// Keeping bodies and the camera on the course surface.
#include <algorithm>
#include <cmath>
#include <iterator>

#include "assets/Placements.h"
#include "core/EngineApp.h"
#include "simulation/SurfaceQuery.h"

namespace {

constexpr float kBodySegmentHalfHeight = 1000.0f;
constexpr float kCameraSegmentHalfHeight = 10000.0f;
// The float nearest a point on the course's outer border may lie just outside it; a
// few small nudges move it back on. A point off the course is given up after them.
constexpr int kMaxNudges = 4;
constexpr float kNudge = 0.01f;
constexpr float kHeightAboveSurface = 2.0f;
constexpr float kCameraLookAhead = 0.1f;

enum Sample { kFront, kBack, kLeft, kRight, kCentre, kSamples };

// What a hit under a body leaves: its height, the placement's hints and, on a side
// strip, the edge vector.
void takeBodyHit(const SurfaceHit& hit, float* height, XfilePlacement& placement,
                 D3DXVECTOR3* edge) {
    *height = hit.height;
    placement.rowHint = hit.row;
    placement.stripHint = hit.strip;
    if (hit.strip != ROAD_STRIP) {
        *edge = hit.edge;
    }
}

} // namespace

FootprintSamples::FootprintSamples(const float (&start)[kSamples]) : set{} {
    std::copy(std::begin(start), std::end(start), std::begin(heights));
}

void FootprintSamples::leaveIn(float (&into)[kSamples]) const {
    for (int k = 0; k < kSamples; ++k) {
        if (set[k]) {
            into[k] = heights[k];
        }
    }
}

bool CEngineApp::querySurface(float x, float z, float halfHeight, int startRow, int firstStrip,
                              SurfaceHit* hit) const {
    if (currentCourse == nullptr || !currentCourse->stripsCreated) {
        return false;
    }
    for (int nudge = 0; nudge <= kMaxNudges; ++nudge) {
        const float offset = kNudge * static_cast<float>(nudge);
        const bool found =
            m_surfaceIndexInUse
                ? m_surfaceIndex.find(currentCourse->strips, x + offset, z + offset, -halfHeight,
                                      halfHeight, startRow, firstStrip, hit)
                : findSurface(currentCourse->strips, x + offset, z + offset, -halfHeight,
                              halfHeight, startRow, firstStrip, hit);
        if (found) {
            return true;
        }
    }
    return false;
}

HRESULT CEngineApp::queryBody(float x, float z, float* height, XfilePlacement& placement,
                              D3DXVECTOR3* edge) {
    SurfaceHit hit;
    if (querySurface(x, z, kBodySegmentHalfHeight, placement.rowHint, 0, &hit)) {
        takeBodyHit(hit, height, placement, edge);
    }
    return S_OK; // off the course the outputs stay as they were
}

HRESULT CEngineApp::queryCamera(float x, float z, float* height, D3DXVECTOR3* edge) {
    SurfaceHit hit;
    const int firstStrip = (cameraStripHint - 1 + kStripCount) % kStripCount;
    if (!querySurface(x, z, kCameraSegmentHalfHeight, cameraRowHint, firstStrip, &hit)) {
        return E_FAIL;
    }
    *height = hit.height;
    cameraRowHint = hit.row;
    cameraStripHint = hit.strip;
    if (hit.strip != ROAD_STRIP) {
        *edge = hit.edge;
    }
    return S_OK;
}

HRESULT CEngineApp::followSurface(XfilePlacement& placement, D3DXVECTOR3* edge) {
    FootprintSamples samples(sampleHeights);
    followFootprint(placement, edge, samples);
    samples.leaveIn(sampleHeights);
    return S_OK;
}

void CEngineApp::followFootprint(XfilePlacement& placement, D3DXVECTOR3* edge,
                                 FootprintSamples& samples) const {
    float* const heights = samples.heights;
    CSceneObject& body = *placement.body;
    // The footprint turns with the body's yaw read as degrees.
    const double theta = body.yaw * 2.0 * M_PI / 360.0;
    const float ct = static_cast<float>(std::cos(theta));
    const float st = static_cast<float>(std::sin(theta));
    const float x = body.position.x;
    const float z = body.position.z;
    const float halfL = footprintLength / 2;
    const float halfW = footprintWidth / 2;
    // Front, back, left, right and centre, in this order: each hit moves the row hint
    // on for the next.
    const float sampleX[kSamples] = {x + halfL * ct, x - halfL * ct, x - halfL * st, x + halfL * st,
                                     x};
    const float sampleZ[kSamples] = {z + halfW * st, z - halfW * st, z + halfW * ct, z - halfW * ct,
                                     z};
    bool found[kSamples];
    for (int k = 0; k < kSamples; ++k) {
        SurfaceHit hit;
        found[k] = querySurface(sampleX[k], sampleZ[k], kBodySegmentHalfHeight, placement.rowHint,
                                0, &hit);
        if (found[k]) {
            takeBodyHit(hit, &heights[k], placement, edge);
            samples.set[k] = true;
        }
    }
    // A sample that finds no course under it leaves its height as the body before or
    // the camera set it; a body must never take that. With no course under
    // its centre (pushed into the infield, placed far away) a body keeps its own height
    // and tilt rather than resting level at its height: nothing under it says
    // otherwise, so a body placed off the course stays exactly as it was placed, and
    // one that rolls off the edge goes on as it left the surface instead of jumping
    // level. A side sample off the course, the centre on it, reads the centre's height:
    // the body lies level toward that side.
    if (!found[kCentre]) {
        return;
    }
    for (int k = kFront; k < kCentre; ++k) {
        if (!found[k]) {
            heights[k] = heights[kCentre];
            samples.set[k] = true;
        }
    }
    body.roll = std::atan2(heights[kFront] - heights[kBack], footprintLength);
    body.pitch = std::atan2(heights[kRight] - heights[kLeft], footprintWidth);
    body.position.y = heights[kCentre] + kHeightAboveSurface;
}

HRESULT CEngineApp::followSurfaceCamera(float ct, float st, D3DXVECTOR3* point,
                                        D3DXVECTOR3* scratch) {
    const float x = point->x + kCameraLookAhead * ct;
    const float z = point->z + kCameraLookAhead * st;
    const float halfL = footprintLength / 2;
    const float halfW = footprintWidth / 2;
    // A sample off the course keeps the height it had: the camera goes on level.
    (void)queryCamera(x + halfL * ct, z + halfW * st, &sampleHeights[kFront], scratch);
    (void)queryCamera(x - halfL * ct, z - halfW * st, &sampleHeights[kBack], scratch);
    (void)queryCamera(x - halfL * st, z + halfW * ct, &sampleHeights[kLeft], scratch);
    (void)queryCamera(x + halfL * st, z - halfW * ct, &sampleHeights[kRight], scratch);
    (void)queryCamera(x, z, &sampleHeights[kCentre], scratch);
    point->y = sampleHeights[kCentre] + kHeightAboveSurface;
    return S_OK;
}
