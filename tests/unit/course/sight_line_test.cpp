// Lines of sight and what they meet, with answers worked out by hand.
#include <gtest/gtest.h>

#include "course/SightLine.h"

namespace {

D3DXMATRIX perspective(float nearPlane, float farPlane) {
    D3DXMATRIX projection;
    D3DXMatrixPerspectiveFovLH(&projection, 0.7853982f, 4.0f / 3.0f, nearPlane, farPlane);
    return projection;
}

// From the origin along +z, drawn out to 200.
SightLine alongZ() {
    return SightLine(D3DXVECTOR3(0, 0, 0), D3DXVECTOR3(0, 0, 2), perspective(1, 200));
}

} // namespace

TEST(SightLine, ReachesAsFarAsTheProjectionDraws) {
    EXPECT_NEAR(farPlane(perspective(1, 200)), 200, 1e-2);
    EXPECT_NEAR(farPlane(perspective(0.01f, 1000)), 1000, 10); // depth terms near 1
    D3DXMATRIX flat;
    D3DXMatrixIdentity(&flat);
    EXPECT_EQ(farPlane(flat), SightLine::kMiss);

    // A direction reaching depth 1 off the axis is longer than 1: so is the reach.
    const SightLine slanted(D3DXVECTOR3(0, 0, 0), D3DXVECTOR3(0.75f, 0, 1), perspective(1, 200));
    EXPECT_NEAR(slanted.reach, 250, 0.05);
    EXPECT_NEAR(slanted.u.x, 0.6f, 1e-6);
    EXPECT_TRUE(slanted.reaches(249));
    EXPECT_FALSE(slanted.reaches(251));
}

TEST(SightLine, MeetsASphereWhereItEntersIt) {
    const SightLine sight = alongZ();
    EXPECT_FLOAT_EQ(sight.toSphere(D3DXVECTOR3(0, 0, 10), 2), 8);
    EXPECT_FLOAT_EQ(sight.toSphere(D3DXVECTOR3(0, 1.2f, 10), 2), 8.4f);     // half chord 1.6
    EXPECT_EQ(sight.toSphere(D3DXVECTOR3(0, 2, 10), 2), SightLine::kMiss);  // grazes it
    EXPECT_EQ(sight.toSphere(D3DXVECTOR3(0, 0, -10), 2), SightLine::kMiss); // behind
    EXPECT_EQ(sight.toSphere(D3DXVECTOR3(0, 0, 1), 2), 0);                  // around the eye
}

TEST(SightLine, MeetsAQuadOnItsFaceAndEdges) {
    const SightLine sight = alongZ();
    const D3DXVECTOR3 side(4, 0, 0);
    const D3DXVECTOR3 up(0, 2, 0);
    EXPECT_FLOAT_EQ(sight.toQuad(D3DXVECTOR3(-2, -1, 5), side, up), 5);
    EXPECT_FLOAT_EQ(sight.toQuad(D3DXVECTOR3(0, 0, 5), side, up), 5);   // its corner
    EXPECT_FLOAT_EQ(sight.toQuad(D3DXVECTOR3(-4, -2, 5), side, up), 5); // the far corner
    EXPECT_EQ(sight.toQuad(D3DXVECTOR3(0.01f, -1, 5), side, up), SightLine::kMiss);
    EXPECT_EQ(sight.toQuad(D3DXVECTOR3(-2, -1, -5), side, up), SightLine::kMiss); // behind
    // Slanted back, it is met farther along; seen edge-on, not at all.
    EXPECT_FLOAT_EQ(sight.toQuad(D3DXVECTOR3(-2, -1, 5), side, D3DXVECTOR3(0, 2, 2)), 6);
    EXPECT_EQ(sight.toQuad(D3DXVECTOR3(-2, -1, 5), side, D3DXVECTOR3(0, 0, 2)), SightLine::kMiss);
}

TEST(SightLine, MeetsALevelPlaneOnlyAheadAndWithinReach) {
    const SightLine down(D3DXVECTOR3(0, 5, 0), D3DXVECTOR3(0, -0.75f, 1), perspective(1, 200));
    EXPECT_FLOAT_EQ(down.toLevel(2), 5);               // 3 down along a 3-4-5 slope
    EXPECT_EQ(down.toLevel(8), SightLine::kMiss);      // above the eye: behind it
    EXPECT_EQ(down.toLevel(-200), SightLine::kMiss);   // past the far plane
    EXPECT_EQ(alongZ().toLevel(-1), SightLine::kMiss); // level with the line: never
}

TEST(SightLine, MeetsATriangleOnItsFaceAndEdgesFromEitherSide) {
    const SightLine sight = alongZ();
    const D3DXVECTOR3 a(-1, -1, 5);
    const D3DXVECTOR3 b(3, -1, 5);
    const D3DXVECTOR3 c(-1, 3, 5);
    EXPECT_FLOAT_EQ(sight.toTriangle(a, b, c), 5);
    EXPECT_FLOAT_EQ(sight.toTriangle(a, c, b), 5);                    // wound the other way
    EXPECT_FLOAT_EQ(sight.toTriangle(D3DXVECTOR3(0, 0, 7), b, c), 7); // at a corner, slanted
    EXPECT_FLOAT_EQ(sight.toTriangle(D3DXVECTOR3(-2, 0, 5), D3DXVECTOR3(2, 0, 5), c), 5); // edge
    EXPECT_EQ(sight.toTriangle(a + D3DXVECTOR3(1.01f, 0, 0), b, c + D3DXVECTOR3(1.01f, 0, 0)),
              SightLine::kMiss);                               // beside it
    EXPECT_EQ(sight.toTriangle(-a, -b, -c), SightLine::kMiss); // behind the eye
    EXPECT_EQ(sight.toTriangle(D3DXVECTOR3(0, -1, 4), D3DXVECTOR3(0, 1, 4), D3DXVECTOR3(0, 0, 9)),
              SightLine::kMiss); // edge-on
}

TEST(SightLine, MeetsAnyPlaneOnlyAheadAndWithinReach) {
    const SightLine sight = alongZ();
    const D3DXVECTOR3 facing(0, 0, -1);
    EXPECT_FLOAT_EQ(sight.toPlane(D3DXVECTOR3(3, 4, 10), facing), 10);
    EXPECT_FLOAT_EQ(sight.toPlane(D3DXVECTOR3(0, 0, 10), D3DXVECTOR3(0, 0.6f, 0.8f)), 10);
    EXPECT_EQ(sight.toPlane(D3DXVECTOR3(0, 0, -10), facing), SightLine::kMiss); // behind
    EXPECT_EQ(sight.toPlane(D3DXVECTOR3(0, 0, 500), facing), SightLine::kMiss); // too far
    EXPECT_EQ(sight.toPlane(D3DXVECTOR3(0, 1, 10), D3DXVECTOR3(0, 1, 0)),
              SightLine::kMiss); // along it
}
