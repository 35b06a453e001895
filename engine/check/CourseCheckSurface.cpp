// What a camera above the course sees wrong: strips folded over themselves, and the
// inner field lying over the road.
#include <algorithm>

#include "check/CourseCheckParts.h"
#include "course/CourseField.h"
#include "course/StripGrid.h"

namespace {

// Less field than this over a stretch of road is the rounding of touching edges.
constexpr double kLeastFieldOverRoad = 0.01;

struct Box {
    double minX, minZ, maxX, maxZ;

    explicit Box(const PlanPolygon& polygon)
        : minX(polygon[0].x), minZ(polygon[0].z), maxX(minX), maxZ(minZ) {
        for (const PlanPoint& p : polygon) {
            minX = std::min(minX, p.x);
            minZ = std::min(minZ, p.z);
            maxX = std::max(maxX, p.x);
            maxZ = std::max(maxZ, p.z);
        }
    }
    bool meets(const Box& o) const {
        return minX <= o.maxX && o.minX <= maxX && minZ <= o.maxZ && o.minZ <= maxZ;
    }
};

PlanPolygon outlineOf(const StripTriangle& t) {
    return {planOf(t.a), planOf(t.b), planOf(t.c)};
}

// What has been found on each quad row of the strips: an amount and the sums that
// place it (weighted by the amount).
struct RowTally {
    double amount = 0;
    double x = 0;
    double z = 0;

    void add(double howMuch, const PlanPoint& at) {
        amount += howMuch;
        x += howMuch * at.x;
        z += howMuch * at.z;
    }
};

// One finding per stretch of rows with at least `least` on them, placed at the
// stretch's weighted middle; answers how much the findings hold together.
double reportStretches(const std::vector<RowTally>& rows, double least, FindingKind kind,
                       CourseCheck& check) {
    double reported = 0;
    const int count = static_cast<int>(rows.size());
    forEachStretch(
        count, [&rows](int j) { return rows[j].amount > 0; },
        [&](int first, int length) {
            RowTally sum;
            for (int k = first; k < first + length; ++k) {
                const RowTally& row = rows[k % count];
                sum.amount += row.amount;
                sum.x += row.x;
                sum.z += row.z;
            }
            if (sum.amount >= least) {
                reported += sum.amount;
                check.findings.push_back({kind, static_cast<float>(sum.x / sum.amount),
                                          static_cast<float>(sum.z / sum.amount),
                                          static_cast<float>(sum.amount)});
            }
        });
    return reported;
}

} // namespace

void checkFolds(const LCourse_t& course, CourseCheck& check) {
    const int quads = loopQuadRows(course);
    std::vector<RowTally> rows(static_cast<std::size_t>(quads));
    for (int j = 0; j < quads; ++j) {
        for (int s = 0; s < kStripCount; ++s) {
            for (int t = 0; t < 2; ++t) {
                const StripTriangle triangle = stripTriangle(*course.strips[s], j, t);
                if (facesAway(triangle)) {
                    ++check.foldsByStrip[s];
                    ++check.foldedTriangles;
                    rows[j].add(1, centroidOf(outlineOf(triangle)));
                }
            }
        }
    }
    reportStretches(rows, 1, FindingKind::Fold, check);
}

// Each triangle of the field's pieces is clipped against each road triangle it may
// touch, seen from above.
void checkFieldOverRoad(const LCourse_t& course, CourseCheck& check) {
    const int quads = loopQuadRows(course);
    struct RoadTriangle {
        PlanPolygon outline;
        Box box;
        int row;
    };
    std::vector<RoadTriangle> road;
    for (int j = 0; j < quads; ++j) {
        for (int t = 0; t < 2; ++t) {
            PlanPolygon outline = outlineOf(stripTriangle(*course.strips[ROAD_STRIP], j, t));
            const Box box(outline);
            road.push_back({std::move(outline), box, j});
        }
    }
    std::vector<RowTally> rows(static_cast<std::size_t>(quads));
    for (const auto& fan : course.field->fans()) {
        for (const auto& [a, b, c] : fan->triangles()) {
            const PlanPolygon piece = {planOf(a), planOf(b), planOf(c)};
            const Box box(piece);
            for (const RoadTriangle& r : road) {
                if (!box.meets(r.box)) {
                    continue;
                }
                const PlanPolygon over = clipConvex(piece, r.outline);
                const double area = areaOf(over);
                if (area > 0) {
                    rows[r.row].add(area, centroidOf(over));
                }
            }
        }
    }
    check.fieldOverRoad =
        reportStretches(rows, kLeastFieldOverRoad, FindingKind::FieldOverRoad, check);
}
