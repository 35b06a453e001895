#pragma once

#include <vector>

#include "d3dx9/d3dx9math.h"

// Loops round a region and round its holes (as untangle gives them) made into loops
// that ear clipping can take: each hole joined to the loop round it by a cut there
// and back. A hole with no loop round it is dropped.
std::vector<std::vector<D3DXVECTOR3>> joinHoles(const std::vector<std::vector<D3DXVECTOR3>>& loops,
                                                int orientation);
