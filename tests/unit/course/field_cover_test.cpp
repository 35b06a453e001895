// The inner field against the strips it meets, on courses laid at random in both
// directions: the field covers the region inside the strips' inner row, no more and
// no less, and its outline is that row.
#include <algorithm>
#include <array>
#include <cmath>
#include <random>
#include <vector>

#include <gtest/gtest.h>

#include "check/CourseCheck.h"
#include "course/CourseField.h"
#include "course/CourseTrack.h"
#include "course/StripGrid.h"
#include "support/EngineFixture.h"

namespace {

using Loop = std::vector<D3DXVECTOR3>;
using Triangle = std::array<D3DXVECTOR3, 3>;

double cross(const D3DXVECTOR3& a, const D3DXVECTOR3& b, const D3DXVECTOR3& c) {
    return (static_cast<double>(b.x) - a.x) * (static_cast<double>(c.z) - a.z) -
           (static_cast<double>(b.z) - a.z) * (static_cast<double>(c.x) - a.x);
}

double loopArea(const Loop& loop) {
    double sum = 0;
    for (std::size_t i = 0; i < loop.size(); ++i) {
        sum += cross(D3DXVECTOR3(0, 0, 0), loop[i], loop[(i + 1) % loop.size()]);
    }
    return sum / 2;
}

// The strips' inner row once round the loop, in the track's order.
Loop innerRow(const LCourse_t& course) {
    const int n = course.track->sampleCount();
    Loop row;
    for (int j = 0; 20 * j < n; ++j) {
        const auto& v = course.strips[kStripCount - 1]->vertex(j, 1);
        row.emplace_back(v.x, v.y, v.z);
    }
    return row;
}

std::vector<Triangle> fieldTriangles(const CCourseField& field) {
    std::vector<Triangle> out;
    for (const auto& piece : field.fans()) {
        const std::vector<Triangle> triangles = piece->triangles();
        out.insert(out.end(), triangles.begin(), triangles.end());
    }
    return out;
}

// Where the line z = const meets the loop: x and the way the edge runs (+1 upward).
std::vector<std::pair<double, int>> crossingsAt(const Loop& loop, double z) {
    std::vector<std::pair<double, int>> out;
    for (std::size_t i = 0; i < loop.size(); ++i) {
        const D3DXVECTOR3& a = loop[i];
        const D3DXVECTOR3& b = loop[(i + 1) % loop.size()];
        if ((a.z <= z) != (b.z <= z)) {
            const double t = (z - a.z) / (static_cast<double>(b.z) - a.z);
            out.emplace_back(a.x + t * (static_cast<double>(b.x) - a.x), b.z > a.z ? 1 : -1);
        }
    }
    std::sort(out.begin(), out.end());
    return out;
}

// Winding of the loop round p, counting the edges the ray towards +x meets.
int winding(const Loop& loop, double x, double z) {
    int w = 0;
    for (const auto& [cx, up] : crossingsAt(loop, z)) {
        w += cx > x ? up : 0;
    }
    return w;
}

// The area the loop winds round at least once the way it runs as a whole: not the
// folds where it runs back on itself (wound the other way), and where it curls up
// inside itself (wound twice) only once. Between two heights
// at which no corner lies and no two edges cross, the width of that region along z
// changes linearly, so one width at the middle of each slab gives the exact area.
double areaInside(const Loop& loop, int way) {
    std::vector<double> heights;
    const std::size_t n = loop.size();
    for (std::size_t i = 0; i < n; ++i) {
        heights.push_back(loop[i].z);
        const D3DXVECTOR3& a = loop[i];
        const D3DXVECTOR3& b = loop[(i + 1) % n];
        for (std::size_t j = i + 2; j < n; ++j) {
            const D3DXVECTOR3& c = loop[j];
            const D3DXVECTOR3& d = loop[(j + 1) % n];
            const double c1 = cross(a, b, c), c2 = cross(a, b, d);
            const double c3 = cross(c, d, a), c4 = cross(c, d, b);
            if (c1 * c2 < 0 && c3 * c4 < 0) {
                heights.push_back(a.z + c3 / (c3 - c4) * (static_cast<double>(b.z) - a.z));
            }
        }
    }
    std::sort(heights.begin(), heights.end());
    double area = 0;
    for (std::size_t k = 0; k + 1 < heights.size(); ++k) {
        const double z = (heights[k] + heights[k + 1]) / 2;
        int w = 0;
        const auto xs = crossingsAt(loop, z);
        for (const auto& c : xs) {
            w += c.second;
        }
        for (std::size_t i = 0; i + 1 < xs.size(); ++i) {
            w -= xs[i].second;
            if (w * way >= 1) {
                area += (xs[i + 1].first - xs[i].first) * (heights[k + 1] - heights[k]);
            }
        }
    }
    return area;
}

// How far beside a corner of the border to look at either side of it: well below
// the spacing of the corners, well above the rounding of their positions.
constexpr float kProbe = 0.02f;
// Square units of a triangle too thin to show.
constexpr double kNoArea = 0.01;

bool windsRound(const Loop& border, int way, const D3DXVECTOR3& p) {
    return winding(border, p.x, p.z) * way >= 1;
}

// Whether the triangle lies where the border winds round at least once its own way,
// as far as points tell: a lattice strictly inside it, and points right beside every
// corner of the border that lies well inside it (where a hole in the field would
// show, or a fold of the border reaching in).
bool liesInside(const Triangle& t, const Loop& border, int way) {
    constexpr int kSteps = 9;
    for (int i = 1; i < kSteps; ++i) {
        for (int j = 1; i + j < kSteps; ++j) {
            const D3DXVECTOR3 p = (t[0] * static_cast<float>(i) + t[1] * static_cast<float>(j) +
                                   t[2] * static_cast<float>(kSteps - i - j)) /
                                  static_cast<float>(kSteps);
            if (!windsRound(border, way, p)) {
                return false;
            }
        }
    }
    const double area = cross(t[0], t[1], t[2]);
    for (const D3DXVECTOR3& v : border) {
        bool wellInside = true;
        for (int e = 0; e < 3; ++e) {
            const D3DXVECTOR3& a = t[e];
            const D3DXVECTOR3& b = t[(e + 1) % 3];
            const double length = std::hypot(b.x - a.x, b.z - a.z);
            wellInside = wellInside && cross(a, b, v) * (area > 0 ? 1 : -1) > 0.5 * length;
        }
        for (float dx : {-kProbe, kProbe}) {
            for (float dz : {-kProbe, kProbe}) {
                if (wellInside && !windsRound(border, way, v + D3DXVECTOR3(dx, 0, dz))) {
                    return false;
                }
            }
        }
    }
    return true;
}

} // namespace

class FieldCover : public EngineFixture {
protected:
    // Lays a star-shaped loop: one click in each of n equal sectors round the view's
    // centre, at a random angle within it and a random distance.
    LCourse_t& createRandomCourse(std::mt19937& random, int n, bool clockwise) {
        std::uniform_real_distribution<double> within(0.0, 0.8), distance(12.0, 40.0);
        app->selectTab(TAB_PLAY); // empties the working lists
        app->selectTab(TAB_COURSE);
        for (int i = 0; i < n; ++i) {
            const double a = (clockwise ? -1 : 1) * (i + within(random)) * 2 * M_PI / n;
            const double r = distance(random);
            clickInEditor(
                pixelOf(static_cast<float>(r * std::cos(a)), static_cast<float>(r * std::sin(a))));
        }
        EXPECT_EQ(app->createCourse(nextItem()), S_OK);
        return app->editor.courseList().back();
    }

    // The field's triangles add up to the area inside the strips' inner row, and none
    // reaches outside it.
    static void expectExactCover(const LCourse_t& course) {
        const Loop border = innerRow(course);
        const int way = loopArea(border) > 0 ? 1 : -1;
        const double expected = areaInside(border, way);
        const std::vector<Triangle> triangles = fieldTriangles(*course.field);
        double covered = 0;
        int outside = 0;
        for (const Triangle& t : triangles) {
            const double area = std::abs(cross(t[0], t[1], t[2])) / 2;
            covered += area;
            // Ear clipping cuts flat corners off as triangles of no area, which cover
            // nothing wherever they lie.
            outside += area < kNoArea || liesInside(t, border, way) ? 0 : 1;
        }
        EXPECT_NEAR(covered, expected, 1e-3 * expected);
        EXPECT_EQ(outside, 0) << "of " << triangles.size() << " triangles";
    }
};

TEST_F(FieldCover, FieldCoversExactlyTheRegionInsideTheStripsInnerRow) {
    std::mt19937 random(2024);
    std::uniform_int_distribution<int> corners(3, 14);
    for (int c = 0; c < 60; ++c) {
        const bool clockwise = c % 2 == 1;
        const int n = corners(random);
        SCOPED_TRACE(::testing::Message() << "course " << c << ": " << n << " points, "
                                          << (clockwise ? "clockwise" : "counter-clockwise"));
        expectExactCover(createRandomCourse(random, n, clockwise));
    }
}

// With many points each control point owns few border samples (none past 252): the
// fans shrink to nothing and the rest of the loop is left to ear clipping.
TEST_F(FieldCover, ManyPointsStillCoverTheRegionExactly) {
    std::mt19937 random(9);
    for (int n : {40, 150, 300}) {
        for (bool clockwise : {false, true}) {
            SCOPED_TRACE(::testing::Message()
                         << n << " points, " << (clockwise ? "clockwise" : "counter-clockwise"));
            expectExactCover(createRandomCourse(random, n, clockwise));
        }
    }
}

TEST_F(FieldCover, FieldOutlineIsTheStripsInnerRowVertexForVertex) {
    std::mt19937 random(77);
    for (int c = 0; c < 12; ++c) {
        const bool clockwise = c % 2 == 1;
        const int n = 3 + c / 2;
        const LCourse_t& course = createRandomCourse(random, n, clockwise);
        SCOPED_TRACE(::testing::Message() << "course " << c << ": " << n << " points, "
                                          << (clockwise ? "clockwise" : "counter-clockwise"));
        const Loop border = innerRow(course);
        auto isBorderVertex = [&border](const D3DXVECTOR3& v) {
            return std::find(border.begin(), border.end(), v) != border.end();
        };
        // Where the row folds over itself the field's outline turns at the crossing.
        auto onBorder = [&border](const D3DXVECTOR3& v) {
            for (std::size_t i = 0; i < border.size(); ++i) {
                const D3DXVECTOR3& a = border[i];
                const D3DXVECTOR3& b = border[(i + 1) % border.size()];
                const double along = std::hypot(b.x - a.x, b.z - a.z);
                if (std::abs(cross(a, b, v)) < 1e-3 * along &&
                    std::hypot(v.x - a.x, v.z - a.z) <= along) {
                    return true;
                }
            }
            return false;
        };
        std::vector<bool> used(border.size(), false);
        int strays = 0;
        for (const auto& piece : course.field->fans()) {
            const auto& v = piece->vertices();
            const bool fan = piece->primitive() == D3DPT_TRIANGLEFAN;
            // A fan's first vertex is its centre, inside the field.
            for (std::size_t i = fan ? 1 : 0; i < v.size(); ++i) {
                const auto at = std::find(border.begin(), border.end(), v[i]);
                if (at != border.end()) {
                    used[static_cast<std::size_t>(at - border.begin())] = true;
                } else if (fan || !onBorder(v[i])) {
                    ++strays;
                }
            }
            if (fan) {
                EXPECT_FALSE(isBorderVertex(v[0]) && v.size() > 3);
            }
        }
        EXPECT_EQ(strays, 0);
        // Every vertex of the row at the edge of the region inside it (not those of a
        // fold, nor of a curl inside the field) is on the field's outline.
        const int way = loopArea(border) > 0 ? 1 : -1;
        int missed = 0;
        for (std::size_t i = 0; i < border.size(); ++i) {
            // Beside corners closer together than that, looking cannot tell.
            const D3DXVECTOR3 toPrevious =
                border[(i + border.size() - 1) % border.size()] - border[i];
            const D3DXVECTOR3 toNext = border[(i + 1) % border.size()] - border[i];
            if (std::min(D3DXVec3Length(&toPrevious), D3DXVec3Length(&toNext)) < 20 * kProbe) {
                continue;
            }
            int insideProbes = 0;
            for (float dx : {-kProbe, kProbe}) {
                for (float dz : {-kProbe, kProbe}) {
                    insideProbes += windsRound(border, way, border[i] + D3DXVECTOR3(dx, 0, dz));
                }
            }
            missed += insideProbes > 0 && insideProbes < 4 && !used[i] ? 1 : 0;
        }
        EXPECT_EQ(missed, 0) << "of " << border.size() << " inner row vertices";
    }
}

// The course checker measures field over the road on what is drawn. Where the strips
// neither fold nor cross, the road lies outside the field's border, and so must all of
// the field.
TEST_F(FieldCover, TheCheckerFindsNoFieldOverTheRoadOfASoundCourse) {
    std::mt19937 random(5);
    std::uniform_int_distribution<int> corners(4, 9);
    int sound = 0;
    for (int c = 0; c < 200; ++c) {
        const bool clockwise = c % 2 == 1;
        const int n = corners(random);
        const LCourse_t& course = createRandomCourse(random, n, clockwise);
        const CourseCheck check = checkCourse(course, {});
        if (check.foldedTriangles == 0 && check.edgeCrossings == 0) {
            ++sound;
            EXPECT_EQ(check.fieldOverRoad, 0.0) << "course " << c << ": " << n << " points, "
                                                << (clockwise ? "clockwise" : "counter-clockwise");
        }
    }
    EXPECT_GE(sound, 20) << "too few sound courses to tell";
}
