#include "gl_vertex_layout.h"

FvfLayout fvfLayout(DWORD fvf, DWORD texcoordSet) {
    FvfLayout layout;
    int offset = 0;
    switch (fvf & D3DFVF_POSITION_MASK) {
    case D3DFVF_XYZ:
        layout.positionComponents = 3;
        offset = 12;
        break;
    case D3DFVF_XYZRHW:
        layout.positionComponents = 4;
        layout.pretransformed = true;
        offset = 16;
        break;
    case D3DFVF_XYZW:
        // w is for vertex shaders; the fixed pipeline takes x, y, z.
        layout.positionComponents = 3;
        offset = 16;
        break;
    case D3DFVF_XYZB1:
    case D3DFVF_XYZB2:
    case D3DFVF_XYZB3:
    case D3DFVF_XYZB4:
    case D3DFVF_XYZB5:
        // Blend weights follow the position; vertex blending is not drawn, so they are
        // skipped.
        layout.positionComponents = 3;
        offset = 12 + 4 * static_cast<int>(((fvf & D3DFVF_POSITION_MASK) - D3DFVF_XYZB1) / 2 + 1);
        break;
    default:
        return FvfLayout{};
    }
    if ((fvf & D3DFVF_NORMAL) != 0) {
        layout.normal = offset;
        offset += 12;
    }
    if ((fvf & D3DFVF_PSIZE) != 0) {
        offset += 4;
    }
    if ((fvf & D3DFVF_DIFFUSE) != 0) {
        layout.diffuse = offset;
        offset += 4;
    }
    if ((fvf & D3DFVF_SPECULAR) != 0) {
        layout.specular = offset;
        offset += 4;
    }
    const DWORD sets = (fvf & D3DFVF_TEXCOUNT_MASK) >> D3DFVF_TEXCOUNT_SHIFT;
    for (DWORD i = 0; i < sets && i < 8; ++i) {
        int components = 2;
        switch ((fvf >> (i * 2 + 16)) & 3u) {
        case D3DFVF_TEXTUREFORMAT1:
            components = 1;
            break;
        case D3DFVF_TEXTUREFORMAT3:
            components = 3;
            break;
        case D3DFVF_TEXTUREFORMAT4:
            components = 4;
            break;
        default:
            break;
        }
        if (i == texcoordSet) {
            layout.texcoord = offset;
            layout.texcoordComponents = components;
        }
        offset += 4 * components;
    }
    layout.size = static_cast<UINT>(offset);
    return layout;
}
