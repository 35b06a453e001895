// Plain records of the Direct3D 9 vocabulary: vectors, matrices, colours, materials
// and lights, laid out as Direct3D lays them out.
#pragma once

#include "win32/win32.h"

using D3DCOLOR = DWORD;

constexpr D3DCOLOR D3DCOLOR_ARGB(unsigned a, unsigned r, unsigned g, unsigned b) {
    return ((a & 0xFFu) << 24) | ((r & 0xFFu) << 16) | ((g & 0xFFu) << 8) | (b & 0xFFu);
}
constexpr D3DCOLOR D3DCOLOR_XRGB(unsigned r, unsigned g, unsigned b) {
    return D3DCOLOR_ARGB(0xFF, r, g, b);
}

struct D3DVECTOR {
    float x;
    float y;
    float z;
};

struct D3DCOLORVALUE {
    float r;
    float g;
    float b;
    float a;
};

// Row-major 4x4 matrix; vectors are rows and multiply from the left. The named
// elements and the array share storage, as in Direct3D (a GNU extension in C++).
struct D3DMATRIX {
    __extension__ union {
        __extension__ struct {
            float _11, _12, _13, _14;
            float _21, _22, _23, _24;
            float _31, _32, _33, _34;
            float _41, _42, _43, _44;
        };
        float m[4][4];
    };
};
