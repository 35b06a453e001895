// Which spheres a view cannot show: wholly beyond one of its six planes, and only then.
#include <gtest/gtest.h>

#include <cmath>
#include <limits>

#include "render/ViewFrustum.h"

namespace {

// An eye at the origin looking along +z, a quarter turn of field of view (so the side
// planes run at 45 degrees), square, near plane at 1, far plane at 100.
ViewFrustum lookingAlongZ() {
    D3DXMATRIX view;
    D3DXMATRIX projection;
    const D3DXVECTOR3 eye(0, 0, 0);
    const D3DXVECTOR3 at(0, 0, 1);
    const D3DXVECTOR3 up(0, 1, 0);
    D3DXMatrixLookAtLH(&view, &eye, &at, &up);
    D3DXMatrixPerspectiveFovLH(&projection, static_cast<float>(M_PI) / 2, 1.0f, 1.0f, 100.0f);
    return ViewFrustum(view * projection);
}

TEST(ViewFrustum, ExcludesOnlySpheresWhollyBeyondAPlane) {
    const float nan = std::numeric_limits<float>::quiet_NaN();
    struct Case {
        const char* what;
        D3DXVECTOR3 centre;
        float radius;
        bool excluded;
    };
    const ViewFrustum frustum = lookingAlongZ();
    for (const Case& c : {
             Case{"ahead", {0, 0, 10}, 1, false},
             Case{"behind the eye", {0, 0, -5}, 1, true},
             Case{"before the near plane, reaching past it", {0, 0, 0.5f}, 1, false},
             Case{"beyond the far plane", {0, 0, 102}, 1, true},
             Case{"reaching back over the far plane", {0, 0, 100.5f}, 1, false},
             Case{"left of the view", {-20, 0, 10}, 1, true},
             Case{"straddling the left edge", {-10.5f, 0, 10}, 1, false},
             Case{"above the view", {0, 20, 10}, 1, true},
             Case{"below, reaching in", {0, -10.5f, 10}, 1, false},
             Case{"at no number", {nan, 0, 10}, 1, false},
             Case{"of no number of size", {0, 0, -5}, nan, false},
         }) {
        EXPECT_EQ(frustum.excludes(c.centre, c.radius), c.excluded) << c.what;
    }
}

TEST(ViewFrustum, PlacesTheSphereByTheWorldMatrixAndGrowsItByItsScale) {
    const ViewFrustum frustum = lookingAlongZ();
    D3DXMATRIX moved;
    D3DXMatrixTranslation(&moved, -20, 0, 10); // left of the view
    EXPECT_TRUE(frustum.excludes(D3DXVECTOR3(0, 0, 0), 1, moved));
    D3DXMATRIX grown;
    D3DXMatrixScaling(&grown, 10, 10, 10);
    D3DXMATRIX grownAndMoved = grown * moved; // a radius of 10 reaches into the view
    EXPECT_FALSE(frustum.excludes(D3DXVECTOR3(0, 0, 0), 1, grownAndMoved));
    // The model's own centre moves with it.
    EXPECT_FALSE(frustum.excludes(D3DXVECTOR3(20, 0, 0), 1, moved));
}

} // namespace
