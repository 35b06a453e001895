// Keeping bodies and the camera on the course surface.
#include <algorithm>
#include <cmath>
#include <iterator>
#include <limits>
#include <optional>
#include <span>

#include "course/CourseTrack.h"
#include "scene/Placements.h"
#include "simulation/Simulation.h"

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

// What a hit under a body leaves: its height, the body's hints and, on a side strip,
// the edge vector.
void takeBodyHit(const SurfaceHit& hit, float* height, SurfaceHint& hint, D3DXVECTOR3* edge) {
    *height = hit.height;
    hint.row = hit.row;
    hint.strip = hit.strip;
    if (hit.strip != ROAD_STRIP) {
        *edge = hit.edge;
    }
}

} // namespace

FootprintSamples::FootprintSamples(const float (&start)[kSamples]) {
    std::copy(std::begin(start), std::end(start), std::begin(heights));
    std::fill(std::begin(setBy), std::end(setBy), kNotSet);
}

void FootprintSamples::leaveLatest(std::span<const FootprintSamples> parts,
                                   float (&into)[kSamples]) {
    for (int k = 0; k < kSamples; ++k) {
        const FootprintSamples* latest = nullptr;
        for (const FootprintSamples& part : parts) {
            if (part.setBy[k] != kNotSet && (!latest || part.setBy[k] > latest->setBy[k])) {
                latest = &part;
            }
        }
        if (latest) {
            into[k] = latest->heights[k];
        }
    }
}

void Simulation::beginQueries(const LCourse_t& course, std::size_t queries) {
    // Brought up to date even for no queries at all: a course without bodies that stays
    // as it is gets its grid too, which the camera asks over the infield.
    m_surfaceIndexInUse =
        m_surfaceGrid && course.stripsCreated && m_surfaceIndex.sync(course.strips, queries);
}

inline bool Simulation::querySurface(const LCourse_t& course, float x, float z, float halfHeight,
                                     int startRow, int firstStrip, SurfaceHit* hit,
                                     int firstNudge) const {
    if (!course.stripsCreated) {
        return false;
    }
    for (int nudge = firstNudge; nudge <= kMaxNudges; ++nudge) {
        const float offset = kNudge * static_cast<float>(nudge);
        const bool found =
            m_surfaceIndexInUse
                ? m_surfaceIndex.find(course.strips, x + offset, z + offset, -halfHeight,
                                      halfHeight, startRow, firstStrip, hit)
                : findSurface(course.strips, x + offset, z + offset, -halfHeight, halfHeight,
                              startRow, firstStrip, hit);
        if (found) {
            return true;
        }
    }
    return false;
}

HRESULT Simulation::queryBody(const LCourse_t& course, float x, float z, float* height,
                              SurfaceHint& hint, D3DXVECTOR3* edge) const {
    SurfaceHit hit;
    if (querySurface(course, x, z, kBodySegmentHalfHeight, hint.row, 0, &hit, 0)) {
        takeBodyHit(hit, height, hint, edge);
    }
    return S_OK; // off the course the outputs stay as they were
}

HRESULT Simulation::queryCamera(const LCourse_t* course, float x, float z, float* height,
                                SurfaceHint& hint, D3DXVECTOR3* edge) const {
    SurfaceHit hit;
    const int firstStrip = (hint.strip - 1 + kStripCount) % kStripCount;
    if (course == nullptr ||
        !querySurface(*course, x, z, kCameraSegmentHalfHeight, hint.row, firstStrip, &hit, 0)) {
        return E_FAIL;
    }
    *height = hit.height;
    hint.row = hit.row;
    hint.strip = hit.strip;
    if (hit.strip != ROAD_STRIP) {
        *edge = hit.edge;
    }
    return S_OK;
}

HRESULT Simulation::followSurface(LCourse_t& course, const XfilePlacement& placement,
                                  D3DXVECTOR3* edge) {
    FootprintSamples samples(m_sampleHeights);
    followFootprint(course, course.xfilePlacements.body(placement),
                    course.xfilePlacements.hint(placement), edge, samples, 0, nullptr);
    FootprintSamples::leaveLatest({&samples, 1}, m_sampleHeights);
    return S_OK;
}

void Simulation::followFootprint(const LCourse_t& course, CSceneObject& body, SurfaceHint& hint,
                                 D3DXVECTOR3* edge, FootprintSamples& samples, std::size_t index,
                                 SettleCache* cache) const {
    const float* const heights = samples.heights;
    // The footprint turns with the body's yaw read as degrees.
    const auto turn = [](float yaw) {
        const double theta = yaw * 2.0 * M_PI / 360.0;
        return std::pair(static_cast<float>(std::cos(theta)), static_cast<float>(std::sin(theta)));
    };
    const auto [ct, st] = cache != nullptr ? cache->footprint.of(body.yaw, turn) : turn(body.yaw);
    const float x = body.position.x;
    const float z = body.position.z;
    const float halfL = kFootprintLength / 2;
    const float halfW = kFootprintWidth / 2;
    // Front, back, left, right and centre, in this order: each hit moves the row hint
    // on for the next.
    const float sampleX[kSamples] = {x + halfL * ct, x - halfL * ct, x - halfL * st, x + halfL * st,
                                     x};
    const float sampleZ[kSamples] = {z + halfW * st, z - halfW * st, z + halfW * ct, z - halfW * ct,
                                     z};
    bool found[kSamples] = {};
    const auto take = [&](int k, const SurfaceHit& hit) {
        float height = 0;
        takeBodyHit(hit, &height, hint, edge);
        samples.set(k, height, index);
        found[k] = true;
    };
    for (int k = 0; k < kSamples; ++k) {
        // The grid answers the samples in turn, up to one with no course right under it;
        // that one is looked for again a little moved, and the grid goes on after it.
        int firstNudge = 0;
        if (m_surfaceIndexInUse) {
            SurfaceHit hits[kSamples];
            const auto from = static_cast<std::size_t>(k);
            const std::size_t answered = m_surfaceIndex.findInTurn(
                course.strips, std::span(sampleX).subspan(from), std::span(sampleZ).subspan(from),
                -kBodySegmentHalfHeight, kBodySegmentHalfHeight, hint.row, hits,
                cache != nullptr ? &cache->triangle[k] : nullptr);
            for (std::size_t j = 0; j < answered; ++j, ++k) {
                take(k, hits[j]);
            }
            if (k == kSamples) {
                break;
            }
            firstNudge = 1;
        }
        SurfaceHit hit;
        if (querySurface(course, sampleX[k], sampleZ[k], kBodySegmentHalfHeight, hint.row, 0, &hit,
                         firstNudge)) {
            take(k, hit);
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
            samples.set(k, heights[kCentre], index);
        }
    }
    body.roll = std::atan2(heights[kFront] - heights[kBack], kFootprintLength);
    body.pitch = std::atan2(heights[kRight] - heights[kLeft], kFootprintWidth);
    body.position.y = heights[kCentre] + kHeightAboveSurface;
}

void Simulation::followSurfaceCamera(const LCourse_t* course, float ct, float st,
                                     D3DXVECTOR3* point, SurfaceHint& hint, D3DXVECTOR3* scratch) {
    const float x = point->x + kCameraLookAhead * ct;
    const float z = point->z + kCameraLookAhead * st;
    const float halfL = kFootprintLength / 2;
    const float halfW = kFootprintWidth / 2;
    float* const heights = m_sampleHeights;
    // The camera's segments are longer than the grid answers, so they are searched row
    // by row; but where the grid is built for these strips it tells at once that no
    // triangle lies under a point (the infield, off the course), which the search finds
    // only by testing every triangle. It is never built for the camera alone.
    m_surfaceIndexInUse = course != nullptr && m_surfaceGrid && course->stripsCreated &&
                          m_surfaceIndex.current(course->strips);
    // A sample off the course keeps the height it had: the camera goes on level.
    (void)queryCamera(course, x + halfL * ct, z + halfW * st, &heights[kFront], hint, scratch);
    (void)queryCamera(course, x - halfL * ct, z - halfW * st, &heights[kBack], hint, scratch);
    (void)queryCamera(course, x - halfL * st, z + halfW * ct, &heights[kLeft], hint, scratch);
    (void)queryCamera(course, x + halfL * st, z - halfW * ct, &heights[kRight], hint, scratch);
    (void)queryCamera(course, x, z, &heights[kCentre], hint, scratch);
    point->y = heights[kCentre] + kHeightAboveSurface;
    endQueries();
}

CourseCheck Simulation::checkCourse(const LCourse_t& course) {
    // A ball of its own: its hints follow it along the road as a body's would, and no
    // placed body's hints are disturbed.
    SurfaceHint ball;
    const SurfaceProbe probe = [this, &course, &ball](float x, float z) -> std::optional<float> {
        float height = std::numeric_limits<float>::quiet_NaN();
        D3DXVECTOR3 edge;
        // Off the course the height stays NaN, which is what is checked.
        (void)queryBody(course, x, z, &height, ball, &edge);
        return std::isnan(height) ? std::nullopt : std::optional<float>(height);
    };
    // The balls are answered by the surface grid, as the bodies of a frame are; its
    // answers are those of the plain search.
    beginQueries(course, course.track ? static_cast<std::size_t>(kProbeBallsPerSample *
                                                                 course.track->sampleCount())
                                      : 0);
    CourseCheck check = ::checkCourse(course, probe);
    endQueries();
    return check;
}
