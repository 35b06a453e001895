#pragma once

#include <cstddef>
#include <vector>

#include "course/FieldOutline.h"
#include "course/FieldTriangulation.h"
#include "d3dx9/d3dx9math.h"

// How the inner field lies on its border. The field has always drawn each triangle
// of the control polygon as one fan from the middle of the triangle's closing side,
// round its sides: those that follow the loop run along the border samples between
// their control points, the others are straight chords. A fan is kept where it fits:
// inside the border, crossing none of it. What the kept fans leave bare of the region
// inside the border is covered by ear clipping.
//
// The region inside the border is where the border winds round at least once the
// way the loop runs. Tight bends fold the border back over itself, and its smoothing
// can curl it up inside the field; folds are left out, curls are covered once.
class FieldLayout {
public:
    // `loopLength` of the border samples go once round the loop (0: all of them); the
    // ones after it repeat the loop's start. `corners` is the control polygon's size.
    FieldLayout(const std::vector<D3DXVECTOR3>& borderSamples, std::size_t loopLength, int corners);

    // Whether the border encloses anything.
    bool enclosesArea() const { return m_orientation != 0; }

    // The fan of a triangle (a, b, e) as the field has always made it: the midpoint
    // of the border samples at a and e, then the triangle's sides in order.
    std::vector<D3DXVECTOR3> fan(const FieldTriangle& triangle) const;

    // Whether the fan covers its outline once, crosses no part of the border and lies
    // where the border winds round once.
    bool fanFits(const FieldTriangle& triangle, const std::vector<D3DXVECTOR3>& fan) const;

    // A triangle list over the region inside the border less the fans of the given
    // triangles (which must fit and not overlap).
    std::vector<D3DXVECTOR3> patch(const std::vector<FieldTriangle>& keptFans) const;

private:
    const D3DXVECTOR3& border(long long k) const;
    // The border samples a fan runs through, numbered as the field has always
    // numbered them (not yet wrapped round the loop).
    std::vector<long long> fanRim(const FieldTriangle& triangle) const;
    // The fan's outline: its rim wrapped round the loop, each sample once.
    std::vector<long long> outlineOf(const FieldTriangle& triangle) const;

    const std::vector<D3DXVECTOR3>& m_samples;
    long long m_loop;
    long long m_corners;
    long long m_perCorner;
    std::vector<D3DXVECTOR3> m_ring;
    int m_orientation;
    FieldOutline m_inside;
};
