// Bodies with no course under their footprint, or under part of it: what they show is
// their own, whatever the other bodies (or the camera) sampled before them.
#include <algorithm>
#include <cmath>
#include <gtest/gtest.h>
#include <numeric>
#include <vector>

#include "BodyState.h"
#include "course/StripGrid.h"
#include "simulation/SurfaceQuery.h"
#include "support/Bodies.h"
#include "support/BodyOf.h"
#include "support/EngineFixture.h"

namespace {

// A body as placed: where, turned and tilted how.
struct Placed {
    const char* what;
    D3DXVECTOR3 at;
    float yaw; // the footprint reads it as degrees
    float roll;
    float pitch;
    bool offCourse; // nothing under its centre
};

// What a body shows after the frames.
struct Shown {
    D3DXVECTOR3 position;
    float roll;
    float pitch;
    D3DXMATRIX world;
};

D3DXVECTOR3 average(const D3DXVECTOR3& a, const D3DXVECTOR3& b) {
    return (a + b) * 0.5f;
}

D3DXVECTOR3 at(const StripGrid& strip, int row, int column) {
    const auto& v = strip.vertex(row, column);
    return {v.x, v.y, v.z};
}

class OffCourse : public EngineFixture {
protected:
    void SetUp() override {
        EngineFixture::SetUp();
        createLoopCourse(6, 30);
    }

    // Whether any strip lies under (x, z) or within `reach` of it.
    bool courseNear(float x, float z, float reach) const {
        for (const float dx : {-reach, 0.0f, reach}) {
            for (const float dz : {-reach, 0.0f, reach}) {
                SurfaceHit hit;
                if (findSurfaceByScan(app->editor.current()->strips, x + dx, z + dz, -1000, 1000,
                                      &hit)) {
                    return true;
                }
            }
        }
        return false;
    }

    // The bodies in the given order, each placed afresh; what each shows after two
    // frames, in the order of `bodies`.
    std::vector<Shown> run(const std::vector<Placed>& bodies, const std::vector<int>& order) {
        auto& list = app->editor.current()->xfilePlacements;
        list.clear();
        std::vector<XfilePlacement*> placed(bodies.size());
        for (const int k : order) {
            XfilePlacement& placement = placeBody(*app, bodies[k].at);
            bodyOf(*app, placement).yaw = bodies[k].yaw;
            bodyOf(*app, placement).roll = bodies[k].roll;
            bodyOf(*app, placement).pitch = bodies[k].pitch;
            placed[k] = &placement;
        }
        app->frameMove();
        app->frameMove();
        std::vector<Shown> shown;
        for (const XfilePlacement* placement : placed) {
            const CSceneObject& body = bodyOf(*app, *placement);
            shown.push_back({body.position, body.roll, body.pitch, body.world});
        }
        return shown;
    }
};

// A box on the outer bank, a crate on the road, a ball far away, a cone in the infield
// and a barrel with its centre on the course and a side off it: in every order of the
// list, each shows the same, and the two off the course show the height and tilt they
// were placed with. They showed the height and tilt the body before them had sampled.
TEST_F(OffCourse, BodiesShowTheirOwnHeightAndTiltInEveryOrder) {
    const LCourse_t& course = *app->editor.current();
    const StripGrid& bank = *course.strips[1];
    const StripGrid& road = *course.strips[ROAD_STRIP];
    const StripGrid& inner = *course.strips[kStripCount - 1];
    const StripGrid& outer = *course.strips[0];
    const int rows = road.rows();

    D3DXVECTOR3 infield(0, 4, 0);
    for (int row = 0; row < rows; ++row) {
        infield += at(inner, row, 1) / static_cast<float>(rows);
    }
    infield.y = 4;
    // Half a unit in from the outer border, turned so that its back sample, a unit
    // behind, lies beyond it.
    const int row = rows / 2;
    const D3DXVECTOR3 border = average(at(outer, row, 0), at(outer, row + 1, 0));
    D3DXVECTOR3 inward = at(outer, row, 1) - at(outer, row, 0);
    inward.y = 0;
    D3DXVec3Normalize(&inward, &inward);
    const D3DXVECTOR3 barrel = border + inward * 0.5f;
    const float facingIn = static_cast<float>(std::atan2(inward.z, inward.x) * 180 / M_PI);

    const std::vector<Placed> bodies = {
        {"box", average(at(bank, rows / 3, 0), at(bank, rows / 3 + 1, 1)), 30, 0, 0, false},
        {"crate", average(at(road, 2 * rows / 3, 0), at(road, 2 * rows / 3 + 1, 1)), 0, 0, 0,
         false},
        {"ball", D3DXVECTOR3(3000, 7, 3000), 0, 0.1f, -0.2f, true},
        {"cone", infield, 45, -0.05f, 0.3f, true},
        {"barrel", barrel, facingIn, 0, 0, false},
    };
    for (const Placed& body : bodies) {
        ASSERT_EQ(courseNear(body.at.x, body.at.z, 1.1f), !body.offCourse) << body.what;
    }
    ASSERT_FALSE(courseNear(barrel.x - inward.x, barrel.z - inward.z, 0.1f));

    std::vector<int> order(bodies.size());
    std::iota(order.begin(), order.end(), 0);
    const std::vector<Shown> first = run(bodies, order);
    for (std::size_t k = 0; k < bodies.size(); ++k) {
        if (bodies[k].offCourse) {
            EXPECT_EQ(first[k].position.y, bodies[k].at.y) << bodies[k].what;
            EXPECT_EQ(first[k].roll, bodies[k].roll) << bodies[k].what;
            EXPECT_EQ(first[k].pitch, bodies[k].pitch) << bodies[k].what;
            EXPECT_EQ(first[k].world._42, bodies[k].at.y) << bodies[k].what;
        }
    }
    while (std::next_permutation(order.begin(), order.end())) {
        const std::vector<Shown> shown = run(bodies, order);
        for (std::size_t k = 0; k < bodies.size(); ++k) {
            ASSERT_TRUE(sameBits(shown[k], first[k]))
                << bodies[k].what << " in the order " << ::testing::PrintToString(order);
        }
    }
}

} // namespace
