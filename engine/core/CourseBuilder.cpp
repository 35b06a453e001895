// Making courses from laid points, and laying their strips and inner field from
// their track.
#include "core/CourseBuilder.h"

#include <cmath>
#include <functional>
#include <map>

#include "course/CourseField.h"
#include "course/CourseSpline.h"
#include "course/CourseTrack.h"
#include "course/StripGrid.h"
#include "render/HostView.h"
#include "render/Renderer.h"
#include "scene/CourseEditor.h"
#include "scene/CoursePoints.h"
#include "simulation/MovementInput.h"

namespace {

constexpr int kSamplesPerStripRow = 20;
constexpr float kStripSize = 10.0f;
// Fewer than three calculated points make no loop: the spline stays unbuilt and
// there would be nothing to sample.
constexpr std::size_t kMinimumCoursePoints = 3;

// The strips lie in the world with the track's x and z exchanged: the cameras, the
// start heading and the strips' winding all read the track that way.
D3DXVECTOR3 toWorld(const D3DXVECTOR3& t) {
    return {t.z, t.y, t.x};
}

} // namespace

CourseBuilder::CourseBuilder(CourseEditor& editor, MovementInput& input, const HostView& view,
                             Renderer& renderer)
    : editor(editor), input(input), view(view), renderer(renderer) {}

void CourseBuilder::findTextures(std::string road, std::string edge, std::string field) {
    roadTexturePath = std::move(road);
    edgeTexturePath = std::move(edge);
    fieldTexturePath = std::move(field);
}

HRESULT CourseBuilder::create(HTREEITEM item) {
    if (!editor.canCreate() || editor.laidPoints().size() < kMinimumCoursePoints) {
        return E_FAIL;
    }
    LCourse_t course;
    course.dottedPoints = editor.laidPoints().dotted();
    buildDottedTrace(course, view.width, view.height);
    course.calculatedPoints = editor.laidPoints().calculated();
    course.calculatedSpline = makeCalculatedSpline(course.calculatedPoints);
    course.field = std::make_unique<CCourseField>();
    course.field->setTextureName(fieldTextureName());
    for (const auto& point : course.calculatedPoints) {
        course.field->addControlPoint(point.x, point.y, point.z);
    }
    course.treeItem = item;
    course.stripsCreated = false;
    if (FAILED(sampleCentreline(course, PitchMode::Stored))) {
        return E_FAIL;
    }
    renderer.noteSampleCount(course.track->sampleCount());
    buildMeshes(course, StartHeading::Set);
    course.collisionTable = std::make_unique<RelationTable>();
    course.moveTable = std::make_unique<RelationTable>();

    editor.makeCurrent(&editor.add(std::move(course)));
    editor.forgetPlacements();
    return S_OK;
}

void CourseBuilder::regenerateCurrent() {
    if (editor.current() == nullptr) {
        return;
    }
    LCourse_t& course = *editor.current();
    course.calculatedSpline.reset();
    course.track.reset();
    for (auto& strip : course.strips) {
        strip.reset();
    }
    course.field->resetForRegeneration();
    course.stripsCreated = false;
    course.calculatedSpline = makeCalculatedSpline(course.calculatedPoints);
    if (FAILED(sampleCentreline(course, PitchMode::Banked))) {
        return;
    }
    buildMeshes(course, StartHeading::Keep);
}

std::string CourseBuilder::fieldTextureName() const {
    const bool fits =
        !roadTexturePath.empty() && roadTexturePath.size() <= CCourseField::kMaxTextureName;
    return fits ? roadTexturePath : kRoadTexture;
}

const std::string& CourseBuilder::stripTexturePath(int strip) const {
    switch (strip) {
    case ROAD_STRIP:
        return roadTexturePath;
    case ROAD_STRIP - 1:
    case ROAD_STRIP + 1:
        return edgeTexturePath;
    default:
        return fieldTexturePath;
    }
}

// The seven strips show three pictures: each is loaded once and the strips that show
// it share it.
void CourseBuilder::textureStrips(LCourse_t& course) {
    std::map<std::string, const StripGrid*, std::less<>> loaded;
    for (int k = 0; k < kStripCount; ++k) {
        const std::string& path = stripTexturePath(k);
        const auto [at, added] = loaded.try_emplace(path, course.strips[k].get());
        if (added) {
            // A strip without its picture is drawn untextured.
            (void)course.strips[k]->setTexture(path.c_str());
        } else {
            course.strips[k]->shareTexture(*at->second);
        }
    }
}

void CourseBuilder::buildMeshes(LCourse_t& course, StartHeading heading) {
    const int stripRows =
        (course.track ? course.track->sampleCount() / kSamplesPerStripRow : 0) + 2;
    if (!course.stripsCreated) {
        for (int k = 0; k < kStripCount; ++k) {
            course.strips[k] = std::make_unique<StripGrid>(view.device, 2, stripRows, kStripSize);
        }
        textureStrips(course);
        course.stripsCreated = true;
    }
    if (course.track) {
        const CCourseTrack& track = *course.track;
        const int rows = course.strips[0]->rows();
        // The loop closes at strip row `loop`, which lies on the first row: it reads the
        // sample after the last (sample 0 again) even when the samples do not end on a
        // whole strip row. The rows after it lie over the loop's first rows; the surface
        // query may read them, but they are not drawn, or the road would show two layers
        // there.
        const int samples = track.sampleCount();
        const int loop = (samples + kSamplesPerStripRow - 1) / kSamplesPerStripRow;
        for (int j = 0; j < rows; ++j) {
            const int sample = j == loop ? samples : j * kSamplesPerStripRow;
            for (int k = 0; k < kStripCount; ++k) {
                const D3DXVECTOR3 outer = toWorld(track.point(7 - k, sample));
                const D3DXVECTOR3 inner = toWorld(track.point(6 - k, sample));
                course.strips[k]->setVertexFlat(j, 0, outer.x, outer.y, outer.z);
                course.strips[k]->setVertexFlat(j, 1, inner.x, inner.y, inner.z);
            }
        }
        // The field's border is the inner row of the innermost strip (the left field
        // border, which the track keeps inside the loop), vertex for vertex, so that
        // field and strip meet without a gap. The field reads it in the order the
        // points were laid: a track laid reversed gives its rows backwards.
        for (auto& strip : course.strips) {
            strip->drawQuadRows(loop);
        }
        const StripGrid& innermost = *course.strips[kStripCount - 1];
        for (int j = 0; j < rows; ++j) {
            const int row = track.laidReversed() ? (loop - j % loop) % loop : j;
            const StripGrid::Vertex& border = innermost.vertex(row, 1);
            course.field->addBorderSample(border.x, border.y, border.z);
        }
        course.field->setBorderLoopLength(static_cast<std::size_t>(loop));
        if (heading == StartHeading::Set) {
            const auto [right0, left0] = track.pair(3, 0);
            const auto [right1, left1] = track.pair(3, kSamplesPerStripRow);
            const D3DXVECTOR3 c0 = (right0 + left0) * 0.5f;
            const D3DXVECTOR3 c1 = (right1 + left1) * 0.5f;
            input.setHeading(static_cast<float>(std::atan2(c1.x - c0.x, c1.z - c0.z) / M_PI));
        }
    }
    for (int k = 0; k < kStripCount; ++k) {
        // A strip that cannot be uploaded is not drawn; its rows still carry bodies.
        (void)course.strips[k]->upload();
    }
    // A field that cannot be built is not drawn; the strips round it still are.
    (void)course.field->build();
    course.field->createDeviceObjects(view.device);
}
