#pragma once

#include <vector>

#include "d3dx9/d3dx9math.h"

// Plane geometry of the inner field's border seen from above: x and z count, y rides
// along. Loops are closed: the last position joins the first.

// Whether segments ab and cd cross at a point inside both. Touching at an end, or
// running along each other, is not a crossing.
bool segmentsCross(const D3DXVECTOR3& a, const D3DXVECTOR3& b, const D3DXVECTOR3& c,
                   const D3DXVECTOR3& d);

// Whether segment ab crosses any edge of the loop.
bool crossesLoop(const std::vector<D3DXVECTOR3>& loop, const D3DXVECTOR3& a, const D3DXVECTOR3& b);

// How many times the loop winds round p, counter-clockwise seen from above (x to
// the right, z up) counting positive, as signedArea2 does.
int windingNumber(const std::vector<D3DXVECTOR3>& loop, const D3DXVECTOR3& p);

// The edges of the region a loop that may cross itself winds round at least once
// the way `orientation` says (+1 counter-clockwise, -1 clockwise), as simple loops
// that do not cross: those round the region run that way, those round its holes the
// other. Where a tight bend folds the border back over itself, the fold runs the
// other way outside the rest and is left out; where the border curls up inside the
// region, the curl is inside it. A simple loop comes back as it was (or not at all,
// when it runs the other way or encloses nothing).
std::vector<std::vector<D3DXVECTOR3>> untangle(std::vector<D3DXVECTOR3> loop, int orientation);
