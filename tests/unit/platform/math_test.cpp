#include "d3dx9/d3dx9math.h"

#include <bit>
#include <cmath>
#include <cstdint>
#include <gtest/gtest.h>
#include <random>

namespace {

void expectNear(const D3DXVECTOR3& v, float x, float y, float z, float tolerance = 1e-5f) {
    EXPECT_NEAR(v.x, x, tolerance);
    EXPECT_NEAR(v.y, y, tolerance);
    EXPECT_NEAR(v.z, z, tolerance);
}

D3DXVECTOR3 transform(const D3DXVECTOR3& v, const D3DXMATRIX& m) {
    D3DXVECTOR3 out;
    D3DXVec3TransformCoord(&out, &v, &m);
    return out;
}

} // namespace

TEST(MatrixRotation, TurnsAxesTheLeftHandedWay) {
    D3DXMATRIX m;
    // A quarter turn about y takes +x to -z and +z to +x (left-handed, seen from above
    // the turn is clockwise).
    D3DXMatrixRotationY(&m, D3DX_PI / 2);
    expectNear(transform({1, 0, 0}, m), 0, 0, -1);
    expectNear(transform({0, 0, 1}, m), 1, 0, 0);
    // About x: +y goes to +z.
    D3DXMatrixRotationX(&m, D3DX_PI / 2);
    expectNear(transform({0, 1, 0}, m), 0, 0, 1);
    // About z: +x goes to +y.
    D3DXMatrixRotationZ(&m, D3DX_PI / 2);
    expectNear(transform({1, 0, 0}, m), 0, 1, 0);
}

TEST(MatrixMultiply, AppliesTheLeftOperandFirst) {
    D3DXMATRIX rotate;
    D3DXMATRIX translate;
    D3DXMatrixRotationZ(&rotate, D3DX_PI / 2);
    D3DXMatrixTranslation(&translate, 10, 0, 0);
    D3DXMATRIX rotateThenMove;
    D3DXMatrixMultiply(&rotateThenMove, &rotate, &translate);
    expectNear(transform({1, 0, 0}, rotateThenMove), 10, 1, 0);
    const D3DXMATRIX moveThenRotate = translate * rotate;
    expectNear(transform({1, 0, 0}, moveThenRotate), 0, 11, 0);
    // Aliasing the output with an input is allowed.
    D3DXMatrixMultiply(&rotate, &rotate, &translate);
    EXPECT_TRUE(rotate == rotateThenMove);
}

// Worlds composed frame after frame must not drift with the way the product is worked
// out: every element is 0 + a1 b1 + a2 b2 + a3 b3 + a4 b4 in exactly that order, signed
// zeros and infinities included.
TEST(MatrixMultiply, SumsEveryElementInTheOneOrder) {
    std::mt19937 random(5);
    const float specials[] = {0.0f, -0.0f, 1e30f, -1e-30f, INFINITY, NAN, 1.0f, -1.0f};
    std::uniform_real_distribution<float> value(-100, 100);
    auto pick = [&] { return random() % 4 == 0 ? specials[random() % 8] : value(random); };
    for (int trial = 0; trial < 2000; ++trial) {
        D3DXMATRIX a;
        D3DXMATRIX b;
        for (int i = 0; i < 16; ++i) {
            a.m[i / 4][i % 4] = pick();
            b.m[i / 4][i % 4] = pick();
        }
        D3DXMATRIX product;
        D3DXMatrixMultiply(&product, &a, &b);
        for (int r = 0; r < 4; ++r) {
            for (int c = 0; c < 4; ++c) {
                float sum = 0;
                for (int k = 0; k < 4; ++k) {
                    sum += a.m[r][k] * b.m[k][c];
                }
                if (std::isnan(sum)) { // which NaN comes out is up to the processor
                    ASSERT_TRUE(std::isnan(product.m[r][c]));
                    continue;
                }
                ASSERT_EQ(std::bit_cast<std::uint32_t>(product.m[r][c]),
                          std::bit_cast<std::uint32_t>(sum))
                    << "element " << r << c << " of trial " << trial;
            }
        }
    }
}

TEST(MatrixInverse, UndoesTheTransformAndRefusesSingularMatrices) {
    D3DXMATRIX a;
    D3DXMATRIX b;
    D3DXMatrixRotationY(&a, 0.7f);
    D3DXMatrixTranslation(&b, 3, -2, 5);
    const D3DXMATRIX m = a * b;
    D3DXMATRIX inverse;
    float det = 0;
    ASSERT_NE(D3DXMatrixInverse(&inverse, &det, &m), nullptr);
    EXPECT_NEAR(det, 1.0f, 1e-5f);
    expectNear(transform(transform({1, 2, 3}, m), inverse), 1, 2, 3, 1e-4f);

    D3DXMATRIX singular;
    D3DXMatrixScaling(&singular, 1, 0, 1);
    D3DXMATRIX untouched;
    D3DXMatrixTranslation(&untouched, 7, 7, 7);
    const D3DXMATRIX before = untouched;
    EXPECT_EQ(D3DXMatrixInverse(&untouched, nullptr, &singular), nullptr);
    EXPECT_TRUE(untouched == before);
}

TEST(LookAt, CourseViewShowsWorldXRightAndWorldZUp) {
    // The top-down view of the course editor: eye above the origin, up along +z.
    D3DXMATRIX view;
    const D3DXVECTOR3 eye(0, 100, 0);
    const D3DXVECTOR3 at(0, 0, 0);
    const D3DXVECTOR3 up(0, 0, 5);
    D3DXMatrixLookAtLH(&view, &eye, &at, &up);
    expectNear(transform({1, 0, 0}, view), 1, 0, 100);
    expectNear(transform({0, 0, 1}, view), 0, 1, 100);
    expectNear(transform({0, 0, 0}, view), 0, 0, 100);
}

TEST(LookAt, PutsTheEyeAtTheOriginLookingDownPlusZ) {
    D3DXMATRIX view;
    const D3DXVECTOR3 eye(0, 0, -5);
    const D3DXVECTOR3 at(0, 0, 0);
    const D3DXVECTOR3 up(0, 1, 0);
    D3DXMatrixLookAtLH(&view, &eye, &at, &up);
    expectNear(transform(eye, view), 0, 0, 0);
    expectNear(transform({0, 0, 0}, view), 0, 0, 5);
    expectNear(transform({2, 3, 0}, view), 2, 3, 5);
}

TEST(Perspective, MapsNearAndFarToZeroAndOne) {
    D3DXMATRIX proj;
    D3DXMatrixPerspectiveFovLH(&proj, D3DX_PI / 2, 2.0f, 1.0f, 100.0f);
    EXPECT_NEAR(proj._22, 1.0f, 1e-6f); // cot(45 degrees)
    EXPECT_NEAR(proj._11, 0.5f, 1e-6f); // divided by the aspect ratio
    EXPECT_EQ(proj._34, 1.0f);
    EXPECT_EQ(proj._44, 0.0f);
    EXPECT_NEAR(transform({0, 0, 1}, proj).z, 0.0f, 1e-6f);
    EXPECT_NEAR(transform({0, 0, 100}, proj).z, 1.0f, 1e-6f);
    // A point on the top edge of the field of view lands at y = 1.
    EXPECT_NEAR(transform({0, 10, 10}, proj).y, 1.0f, 1e-6f);
}

TEST(Vectors, CrossDotNormalizeAndLength) {
    const D3DXVECTOR3 x(1, 0, 0);
    const D3DXVECTOR3 y(0, 1, 0);
    D3DXVECTOR3 z;
    D3DXVec3Cross(&z, &x, &y);
    expectNear(z, 0, 0, 1);
    const D3DXVECTOR3 v(3, 4, 12);
    EXPECT_FLOAT_EQ(D3DXVec3Length(&v), 13.0f);
    EXPECT_FLOAT_EQ(D3DXVec3LengthSq(&v), 169.0f);
    EXPECT_FLOAT_EQ(D3DXVec3Dot(&v, &v), 169.0f);
    D3DXVECTOR3 n;
    D3DXVec3Normalize(&n, &v);
    expectNear(n, 3.0f / 13, 4.0f / 13, 12.0f / 13);
    const D3DXVECTOR3 zero;
    D3DXVec3Normalize(&n, &zero);
    expectNear(n, 0, 0, 0, 0);
}

TEST(Vectors, NormalsIgnoreTranslation) {
    D3DXMATRIX m;
    D3DXMatrixTranslation(&m, 5, 6, 7);
    D3DXVECTOR3 out;
    const D3DXVECTOR3 v(1, 2, 3);
    D3DXVec3TransformNormal(&out, &v, &m);
    expectNear(out, 1, 2, 3);
    D3DXVECTOR4 h;
    D3DXVec3Transform(&h, &v, &m);
    EXPECT_FLOAT_EQ(h.x, 6);
    EXPECT_FLOAT_EQ(h.w, 1);
}
