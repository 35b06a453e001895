#include "scene/CoursePoints.h"

#include <algorithm>
#include <vector>

#include "course/CourseSpline.h"
#include "course/CourseTrack.h"
#include "course/FieldTriangulation.h"

namespace {

constexpr int kTraceEvery = 20;
constexpr float kCalculatedScale = 50.0f;
constexpr float kBankedPitchDivisor = 360.0f;

} // namespace

void renumberPoints(std::list<LPoint_t>& points) {
    std::int32_t index = 0;
    for (auto& point : points) {
        point.index = index++;
    }
}

void buildDottedTrace(LCourse_t& course, unsigned viewWidth, unsigned viewHeight) {
    if (!course.dottedSpline) {
        course.dottedSpline = std::make_unique<CCourseSpline>(1.0f);
    }
    CCourseSpline& spline = *course.dottedSpline;
    // A view narrower than three pixels would divide by zero; one pixel keeps the
    // trace finite and such a view shows nothing anyway.
    const float w = static_cast<float>(std::max(viewWidth / 3, 1u));
    const float h = static_cast<float>(std::max(viewHeight / 3, 1u));
    for (const auto& point : course.dottedPoints) {
        spline.add(point.x / w, 0, point.y / h);
    }
    spline.build();
    const int samples = spline.sampleCount();
    for (int i = 0; i < samples; ++i) {
        const auto position = spline.evaluate();
        if (i % kTraceEvery == 0) {
            LPoint_t tracePoint{};
            tracePoint.x = static_cast<float>(position[0] * w);
            tracePoint.y = static_cast<float>(position[2] * h);
            course.dottedTrace.push_back(tracePoint);
        }
    }
}

std::unique_ptr<CCourseSpline> makeCalculatedSpline(const std::list<LPoint_t>& points) {
    auto spline = std::make_unique<CCourseSpline>(kCalculatedScale);
    for (const auto& point : points) {
        spline->add(point.x, point.y, point.z);
    }
    if (spline->count() > 1) {
        spline->build();
    }
    return spline;
}

HRESULT sampleCentreline(LCourse_t& course, PitchMode mode) {
    if (!course.calculatedSpline || course.calculatedSpline->sampleCount() == 0) {
        return E_FAIL;
    }
    CCourseSpline& spline = *course.calculatedSpline;
    const int n = spline.sampleCount();
    const double scale = spline.scale();
    std::vector<D3DXVECTOR3> samples;
    samples.reserve(static_cast<std::size_t>(n));
    for (int i = 0; i < n; ++i) {
        const auto p = spline.evaluate();
        samples.emplace_back(static_cast<float>(p[0] * scale), static_cast<float>(p[1] * scale),
                             static_cast<float>(-p[2] * scale));
    }
    // The cross-section puts a narrow border on the left of the direction of travel and
    // a 200-wide field on the right: meant to lie outside the loop. A loop that turns
    // right would have that field inside it, folding over itself in every bend, so
    // its samples go to the track the other way round.
    const bool reversed = signedArea2(samples) < 0;
    auto track = std::make_unique<CCourseTrack>(n);
    track->reserve(n);
    track->setLaidReversed(reversed);
    for (int i = 0; i < n; ++i) {
        const D3DXVECTOR3& p = samples[static_cast<std::size_t>(reversed ? n - 1 - i : i)];
        track->appendSample(p.x, p.y, p.z);
    }

    // Spread each point's pitch linearly toward the next one (the last toward the
    // first), steps samples per point.
    const std::vector<LPoint_t> points(course.calculatedPoints.begin(),
                                       course.calculatedPoints.end());
    const int steps = spline.steps();
    const float divisor = mode == PitchMode::Banked ? kBankedPitchDivisor : 1.0f;
    const int count = static_cast<int>(points.size());
    for (int k = 0; k < count; ++k) {
        const float p0 = points[k].pitch;
        const float p1 = points[(k + 1) % count].pitch;
        for (int j = 0; j < steps; ++j) {
            const int sample = k * steps + j;
            if (sample < n) {
                track->setPitch(track->trackIndex(sample), (p0 + j * (p1 - p0) / steps) / divisor);
            }
        }
    }

    // The track has just been given all its samples; build refuses only a track without.
    (void)track->build();
    if (mode == PitchMode::Banked) {
        for (int i = 0; i < n; ++i) {
            track->bank(i);
        }
    }
    course.track = std::move(track);
    return S_OK;
}
