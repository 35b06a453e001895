#include "shell/DialogStart.h"

#include <cmath>
#include <iterator>

#include "tumbleway/tumbleway.h"
#include "tumbleway/tumbleway_ext.h"

namespace {

int nearest(float value) {
    return std::isfinite(value) ? static_cast<int>(std::lround(value)) : 0;
}

// The engine's copy of the current course, or of the points being laid; the engine's
// nodes go back to it when the copy ends.
class EngineRecord {
public:
    EngineRecord() {
        HTREEITEM course = nullptr;
        twx_current_course(&course);
        hasCourse_ = course != nullptr && twx_get_course(course, &record_) >= 0;
        if (!hasCourse_) {
            twx_get_working_points(&record_);
        }
    }
    ~EngineRecord() { xll_app_delete_Session_Iterator(&record_); }
    EngineRecord(const EngineRecord&) = delete;
    EngineRecord& operator=(const EngineRecord&) = delete;

    const LSession_t& record() const { return record_; }
    bool hasCourse() const { return hasCourse_; }

private:
    LSession_t record_;
    bool hasCourse_ = false;
};

} // namespace

std::optional<SliderStart> chosenPointStart() {
    const EngineRecord copy;
    const LSession_t& record = copy.record();
    auto calculated = record.calculatedPoints.begin();
    for (const LPoint_t& dot : record.dottedPoints) {
        if (calculated == record.calculatedPoints.end()) {
            break;
        }
        if (dot.selected) {
            return SliderStart{nearest(calculated->y), nearest(calculated->pitch)};
        }
        ++calculated;
    }
    return std::nullopt;
}

std::optional<SliderStart> chosenMeshStart() {
    const int mesh = twx_controlled_mesh();
    float lift = 0;
    if (mesh < 0 || twx_get_mesh_lift(mesh, &lift) != TWX_OK) {
        return std::nullopt;
    }
    const EngineRecord copy;
    if (!copy.hasCourse() || mesh >= static_cast<int>(copy.record().meshes.size())) {
        return std::nullopt;
    }
    const float halfTurns = std::next(copy.record().meshes.begin(), mesh)->yaw;
    return SliderStart{nearest(lift), nearest(halfTurns * 180.0f)};
}
