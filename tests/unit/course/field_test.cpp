#include "course/CourseField.h"

#include <cmath>
#include <numbers>
#include <set>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "GroundPlan.h"

namespace {

using groundplan::insidePolygon;

// Border sample k of `count` round a circle of radius 100, counter-clockwise seen from
// above (x to the right, z up) unless clockwise, so every fan vertex names its source.
D3DXVECTOR3 sampleAt(int k, int count, bool clockwise = false) {
    const double a = (clockwise ? -1 : 1) * 2 * std::numbers::pi * k / count;
    return {static_cast<float>(100 * std::cos(a)), 0.5f, static_cast<float>(100 * std::sin(a))};
}

CCourseField makeField(std::initializer_list<std::pair<float, float>> xz,
                       const std::vector<D3DXVECTOR3>& border) {
    CCourseField field;
    for (const auto& [x, z] : xz) {
        field.addControlPoint(x, 0, z);
    }
    for (const D3DXVECTOR3& p : border) {
        field.addBorderSample(p.x, p.y, p.z);
    }
    return field;
}

std::vector<D3DXVECTOR3> circle(int count, bool clockwise = false) {
    std::vector<D3DXVECTOR3> out;
    for (int k = 0; k < count; ++k) {
        out.push_back(sampleAt(k, count, clockwise));
    }
    return out;
}

// The midpoint of samples a and b, then the samples of each [from, to) range.
std::vector<D3DXVECTOR3> fanOf(int count, bool clockwise, int a, int b,
                               std::initializer_list<std::pair<int, int>> ranges) {
    std::vector<D3DXVECTOR3> out{(sampleAt(a, count, clockwise) + sampleAt(b, count, clockwise)) /
                                 2.0f};
    for (const auto& [from, to] : ranges) {
        for (int k = from; k < to; ++k) {
            out.push_back(sampleAt(k % count, count, clockwise));
        }
    }
    return out;
}

double twiceArea(const D3DXVECTOR3& a, const D3DXVECTOR3& b, const D3DXVECTOR3& c) {
    return (static_cast<double>(b.x) - a.x) * (static_cast<double>(c.z) - a.z) -
           (static_cast<double>(b.z) - a.z) * (static_cast<double>(c.x) - a.x);
}

double listArea(const CFieldFan& list) {
    double sum = 0;
    for (const auto& [a, b, c] : list.triangles()) {
        sum += std::abs(twiceArea(a, b, c)) / 2;
    }
    return sum;
}

// `count` samples evenly along the outline of a polygon, starting at its first corner.
std::vector<D3DXVECTOR3> alongOutline(const std::vector<std::pair<float, float>>& corners,
                                      int count) {
    double length = 0;
    for (std::size_t i = 0; i < corners.size(); ++i) {
        const auto& [ax, az] = corners[i];
        const auto& [bx, bz] = corners[(i + 1) % corners.size()];
        length += std::hypot(bx - ax, bz - az);
    }
    std::vector<D3DXVECTOR3> out;
    std::size_t edge = 0;
    double edgeStart = 0;
    for (int k = 0; k < count; ++k) {
        const double at = length * k / count;
        for (;;) {
            const auto& [ax, az] = corners[edge];
            const auto& [bx, bz] = corners[(edge + 1) % corners.size()];
            const double l = std::hypot(bx - ax, bz - az);
            if (at <= edgeStart + l) {
                const double t = (at - edgeStart) / l;
                out.emplace_back(static_cast<float>(ax + t * (bx - ax)), 0.0f,
                                 static_cast<float>(az + t * (bz - az)));
                break;
            }
            edgeStart += l;
            ++edge;
        }
    }
    return out;
}

TEST(CourseField, FansFollowTheLoopAndWrapAroundIt) {
    // Three corners turning negatively, ten samples per control point: one fan from
    // the middle of the samples at points 2 and 1, round three loop-following sides,
    // closing on the first sample of the last side's end.
    CCourseField field = makeField({{0, 0}, {10, 0}, {0, 10}}, circle(30));
    field.setTextureName("./data/road.bmp");
    ASSERT_EQ(field.build(), S_OK);
    ASSERT_EQ(field.triangles(), (std::vector<FieldTriangle>{{2, 0, 1}}));
    ASSERT_EQ(field.fans().size(), 1u);
    EXPECT_EQ(field.fans()[0]->primitive(), D3DPT_TRIANGLEFAN);
    EXPECT_EQ(field.fans()[0]->vertices(), fanOf(30, false, 20, 10, {{20, 30}, {0, 10}, {10, 21}}));
    EXPECT_EQ(field.fans()[0]->textureName(), "./data/road.bmp");

    // Laid clockwise the corners are cut as (0, 1, 2); its closing side runs from
    // point 2 back to 0, so its end is the sample one past the last: sample 0.
    CCourseField clockwise = makeField({{0, 0}, {0, 10}, {10, 0}}, circle(12, true));
    ASSERT_EQ(clockwise.build(), S_OK);
    ASSERT_EQ(clockwise.triangles(), (std::vector<FieldTriangle>{{0, 1, 2}}));
    ASSERT_EQ(clockwise.fans().size(), 1u);
    EXPECT_EQ(clockwise.fans()[0]->vertices(), fanOf(12, true, 0, 8, {{0, 12}, {0, 1}}));

    // A square fanned from its last corner: a chord across the field adds only its
    // first end.
    CCourseField square = makeField({{0, 0}, {10, 0}, {10, 10}, {0, 10}}, circle(16));
    ASSERT_EQ(square.build(), S_OK);
    ASSERT_EQ(square.triangles(), (std::vector<FieldTriangle>{{3, 0, 1}, {3, 1, 2}}));
    ASSERT_EQ(square.fans().size(), 2u);
    EXPECT_EQ(square.fans()[0]->vertices(), fanOf(16, false, 12, 4, {{12, 16}, {0, 4}, {4, 5}}));
    EXPECT_EQ(square.fans()[1]->vertices(), fanOf(16, false, 12, 8, {{12, 13}, {4, 8}, {8, 13}}));
}

TEST(CourseField, SamplesPastTheLastShareAreCoveredToo) {
    // 38 samples for 7 points leave three past the last share of five: the fans stop
    // at sample 34 and go straight back to sample 0; what they leave is ear clipped.
    for (bool clockwise : {false, true}) {
        SCOPED_TRACE(clockwise ? "clockwise" : "counter-clockwise");
        CCourseField field =
            clockwise ? makeField({{0, 10}, {4, 10}, {5, 2}, {6, 10}, {10, 10}, {10, 0}, {0, 0}},
                                  circle(38, true))
                      : makeField({{0, 0}, {10, 0}, {10, 10}, {6, 10}, {5, 2}, {4, 10}, {0, 10}},
                                  circle(38));
        ASSERT_EQ(field.build(), S_OK);
        ASSERT_EQ(field.fans().size(), 6u) << "five fans and the rest";
        std::set<std::pair<float, float>> seen;
        for (const auto& piece : field.fans()) {
            const auto& v = piece->vertices();
            const bool fan = piece->primitive() == D3DPT_TRIANGLEFAN;
            for (std::size_t i = fan ? 1 : 0; i < v.size(); ++i) { // a fan's first is a midpoint
                seen.emplace(v[i].x, v[i].z);
            }
        }
        for (int k = 0; k < 38; ++k) {
            const D3DXVECTOR3 p = sampleAt(k, 38, clockwise);
            EXPECT_TRUE(seen.count({p.x, p.z})) << "sample " << k;
        }
        const CFieldFan& rest = *field.fans().back();
        ASSERT_EQ(rest.primitive(), D3DPT_TRIANGLELIST);
        // Exactly the polygon of samples 34 to 37 and 0.
        std::vector<D3DXVECTOR3> gap;
        for (int k : {34, 35, 36, 37, 0}) {
            gap.push_back(sampleAt(k, 38, clockwise));
        }
        double gapArea = 0;
        for (std::size_t i = 1; i + 1 < gap.size(); ++i) {
            gapArea += std::abs(twiceArea(gap[0], gap[i], gap[i + 1])) / 2;
        }
        EXPECT_NEAR(listArea(rest), gapArea, 1e-6 * gapArea);
    }
}

TEST(CourseField, AFanThatWouldReachOverTheBorderGivesWayToEarClipping) {
    // An L-shaped border: the fan of the one triangle would spread from the middle of
    // samples 20 and 10, which lies in the notch of the L, outside.
    const std::vector<std::pair<float, float>> l = {{0, 0},   {100, 0},  {100, 10},
                                                    {10, 10}, {10, 100}, {0, 100}};
    const std::vector<D3DXVECTOR3> border = alongOutline(l, 30);
    CCourseField field = makeField({{0, 0}, {10, 0}, {0, 10}}, border);
    ASSERT_EQ(field.build(), S_OK);
    ASSERT_EQ(field.fans().size(), 1u);
    const CFieldFan& piece = *field.fans()[0];
    ASSERT_EQ(piece.primitive(), D3DPT_TRIANGLELIST);
    double inside = 0; // of the polygon the samples make, which cuts the L's corners
    for (std::size_t i = 1; i + 1 < border.size(); ++i) {
        inside += twiceArea(border[0], border[i], border[i + 1]) / 2;
    }
    EXPECT_NEAR(listArea(piece), inside, 1e-3);
    for (const auto& [a, b, c] : piece.triangles()) {
        const D3DXVECTOR3 middle = (a + b + c) / 3.0f;
        EXPECT_TRUE(insidePolygon(border, middle.x, middle.z)) << middle.x << ", " << middle.z;
    }
}

TEST(CourseField, BuildAndRegeneration) {
    CCourseField two = makeField({{0, 0}, {10, 0}}, circle(20));
    EXPECT_EQ(two.build(), S_OK);
    EXPECT_TRUE(two.triangles().empty());
    EXPECT_TRUE(two.fans().empty());

    CCourseField field = makeField({{0, 0}, {10, 0}, {10, 10}, {0, 10}}, {});
    ASSERT_EQ(field.build(), S_OK);
    EXPECT_EQ(field.triangles().size(), 2u);
    EXPECT_TRUE(field.fans().empty()) << "no border, no fans";
    const auto triangles = field.triangles();

    // The strips repeat the loop's first rows after it: the field goes round once.
    for (const D3DXVECTOR3& p : circle(40)) {
        field.addBorderSample(p.x, p.y, p.z);
    }
    for (int k = 0; k < 2; ++k) {
        field.addBorderSample(sampleAt(k, 40).x, sampleAt(k, 40).y, sampleAt(k, 40).z);
    }
    field.setBorderLoopLength(40);
    ASSERT_EQ(field.build(), S_OK);
    EXPECT_EQ(field.triangles(), triangles) << "a second build replaces, not appends";
    EXPECT_EQ(field.fans().size(), 2u);

    field.resetForRegeneration();
    EXPECT_TRUE(field.borderSamples().empty());
    EXPECT_TRUE(field.triangles().empty());
    EXPECT_TRUE(field.fans().empty());
    EXPECT_EQ(field.controlPolygon().size(), 4u);

    // A border that encloses nothing gives nothing to draw.
    for (int k = 0; k < 40; ++k) {
        field.addBorderSample(static_cast<float>(k), 0, static_cast<float>(-k));
    }
    ASSERT_EQ(field.build(), S_OK);
    EXPECT_EQ(field.triangles().size(), 2u);
    EXPECT_TRUE(field.fans().empty());

    field.setTextureName(std::string(300, 'a'));
    EXPECT_EQ(field.textureName().size(), 127u);
}

} // namespace
