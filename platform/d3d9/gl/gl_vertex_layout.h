// Where the elements of a flexible-vertex-format vertex lie, for the GL attribute
// pointers. Offsets are in bytes from the start of the vertex; -1 means "not present".
#pragma once

#include "d3d9/d3d9.h"

struct FvfLayout {
    int positionComponents = 0; // 3 (x, y, z) or 4 (x, y, z, rhw)
    bool pretransformed = false;
    int normal = -1;
    int diffuse = -1;
    int specular = -1;
    int texcoord = -1;          // the set chosen by the caller
    int texcoordComponents = 0; // of that set, 1 to 4
    UINT size = 0;              // the whole vertex; 0 for a format without position
};

// texcoordSet: which set the first texture stage reads (D3DTSS_TEXCOORDINDEX).
FvfLayout fvfLayout(DWORD fvf, DWORD texcoordSet = 0);
