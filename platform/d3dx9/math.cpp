#include "d3dx9/d3dx9math.h"

#include <cmath>

D3DXVECTOR3& D3DXVECTOR3::operator+=(const D3DXVECTOR3& v) {
    x += v.x;
    y += v.y;
    z += v.z;
    return *this;
}

D3DXVECTOR3& D3DXVECTOR3::operator-=(const D3DXVECTOR3& v) {
    x -= v.x;
    y -= v.y;
    z -= v.z;
    return *this;
}

D3DXVECTOR3& D3DXVECTOR3::operator*=(float s) {
    x *= s;
    y *= s;
    z *= s;
    return *this;
}

D3DXVECTOR3& D3DXVECTOR3::operator/=(float s) {
    x /= s;
    y /= s;
    z /= s;
    return *this;
}

bool D3DXMATRIX::operator==(const D3DXMATRIX& other) const {
    for (int r = 0; r < 4; ++r) {
        for (int c = 0; c < 4; ++c) {
            if (m[r][c] != other.m[r][c]) {
                return false;
            }
        }
    }
    return true;
}

bool D3DXMatrixIsIdentity(const D3DXMATRIX* m) {
    D3DXMATRIX identity;
    D3DXMatrixIdentity(&identity);
    return *m == identity;
}

D3DXMATRIX* D3DXMatrixInverse(D3DXMATRIX* out, float* determinant, const D3DXMATRIX* m) {
    // Cofactor expansion in double precision, then one division by the determinant.
    double a[16];
    for (int i = 0; i < 16; ++i) {
        a[i] = m->m[i / 4][i % 4];
    }
    double inv[16];
    inv[0] = a[5] * a[10] * a[15] - a[5] * a[11] * a[14] - a[9] * a[6] * a[15] +
             a[9] * a[7] * a[14] + a[13] * a[6] * a[11] - a[13] * a[7] * a[10];
    inv[4] = -a[4] * a[10] * a[15] + a[4] * a[11] * a[14] + a[8] * a[6] * a[15] -
             a[8] * a[7] * a[14] - a[12] * a[6] * a[11] + a[12] * a[7] * a[10];
    inv[8] = a[4] * a[9] * a[15] - a[4] * a[11] * a[13] - a[8] * a[5] * a[15] +
             a[8] * a[7] * a[13] + a[12] * a[5] * a[11] - a[12] * a[7] * a[9];
    inv[12] = -a[4] * a[9] * a[14] + a[4] * a[10] * a[13] + a[8] * a[5] * a[14] -
              a[8] * a[6] * a[13] - a[12] * a[5] * a[10] + a[12] * a[6] * a[9];
    inv[1] = -a[1] * a[10] * a[15] + a[1] * a[11] * a[14] + a[9] * a[2] * a[15] -
             a[9] * a[3] * a[14] - a[13] * a[2] * a[11] + a[13] * a[3] * a[10];
    inv[5] = a[0] * a[10] * a[15] - a[0] * a[11] * a[14] - a[8] * a[2] * a[15] +
             a[8] * a[3] * a[14] + a[12] * a[2] * a[11] - a[12] * a[3] * a[10];
    inv[9] = -a[0] * a[9] * a[15] + a[0] * a[11] * a[13] + a[8] * a[1] * a[15] -
             a[8] * a[3] * a[13] - a[12] * a[1] * a[11] + a[12] * a[3] * a[9];
    inv[13] = a[0] * a[9] * a[14] - a[0] * a[10] * a[13] - a[8] * a[1] * a[14] +
              a[8] * a[2] * a[13] + a[12] * a[1] * a[10] - a[12] * a[2] * a[9];
    inv[2] = a[1] * a[6] * a[15] - a[1] * a[7] * a[14] - a[5] * a[2] * a[15] + a[5] * a[3] * a[14] +
             a[13] * a[2] * a[7] - a[13] * a[3] * a[6];
    inv[6] = -a[0] * a[6] * a[15] + a[0] * a[7] * a[14] + a[4] * a[2] * a[15] -
             a[4] * a[3] * a[14] - a[12] * a[2] * a[7] + a[12] * a[3] * a[6];
    inv[10] = a[0] * a[5] * a[15] - a[0] * a[7] * a[13] - a[4] * a[1] * a[15] +
              a[4] * a[3] * a[13] + a[12] * a[1] * a[7] - a[12] * a[3] * a[5];
    inv[14] = -a[0] * a[5] * a[14] + a[0] * a[6] * a[13] + a[4] * a[1] * a[14] -
              a[4] * a[2] * a[13] - a[12] * a[1] * a[6] + a[12] * a[2] * a[5];
    inv[3] = -a[1] * a[6] * a[11] + a[1] * a[7] * a[10] + a[5] * a[2] * a[11] -
             a[5] * a[3] * a[10] - a[9] * a[2] * a[7] + a[9] * a[3] * a[6];
    inv[7] = a[0] * a[6] * a[11] - a[0] * a[7] * a[10] - a[4] * a[2] * a[11] + a[4] * a[3] * a[10] +
             a[8] * a[2] * a[7] - a[8] * a[3] * a[6];
    inv[11] = -a[0] * a[5] * a[11] + a[0] * a[7] * a[9] + a[4] * a[1] * a[11] - a[4] * a[3] * a[9] -
              a[8] * a[1] * a[7] + a[8] * a[3] * a[5];
    inv[15] = a[0] * a[5] * a[10] - a[0] * a[6] * a[9] - a[4] * a[1] * a[10] + a[4] * a[2] * a[9] +
              a[8] * a[1] * a[6] - a[8] * a[2] * a[5];

    const double det = a[0] * inv[0] + a[1] * inv[4] + a[2] * inv[8] + a[3] * inv[12];
    if (determinant != nullptr) {
        *determinant = static_cast<float>(det);
    }
    if (det == 0.0) {
        return nullptr;
    }
    for (int i = 0; i < 16; ++i) {
        out->m[i / 4][i % 4] = static_cast<float>(inv[i] / det);
    }
    return out;
}

D3DXMATRIX* D3DXMatrixTranspose(D3DXMATRIX* out, const D3DXMATRIX* m) {
    D3DXMATRIX result;
    for (int r = 0; r < 4; ++r) {
        for (int c = 0; c < 4; ++c) {
            result.m[r][c] = m->m[c][r];
        }
    }
    *out = result;
    return out;
}

D3DXMATRIX* D3DXMatrixScaling(D3DXMATRIX* out, float sx, float sy, float sz) {
    D3DXMatrixIdentity(out);
    out->_11 = sx;
    out->_22 = sy;
    out->_33 = sz;
    return out;
}

D3DXMATRIX* D3DXMatrixLookAtLH(D3DXMATRIX* out, const D3DXVECTOR3* eye, const D3DXVECTOR3* at,
                               const D3DXVECTOR3* up) {
    D3DXVECTOR3 zAxis = *at - *eye;
    D3DXVec3Normalize(&zAxis, &zAxis);
    D3DXVECTOR3 xAxis;
    D3DXVec3Cross(&xAxis, up, &zAxis);
    D3DXVec3Normalize(&xAxis, &xAxis);
    D3DXVECTOR3 yAxis;
    D3DXVec3Cross(&yAxis, &zAxis, &xAxis);
    *out = D3DXMATRIX(xAxis.x, yAxis.x, zAxis.x, 0, xAxis.y, yAxis.y, zAxis.y, 0, xAxis.z, yAxis.z,
                      zAxis.z, 0, -D3DXVec3Dot(&xAxis, eye), -D3DXVec3Dot(&yAxis, eye),
                      -D3DXVec3Dot(&zAxis, eye), 1);
    return out;
}

D3DXMATRIX* D3DXMatrixPerspectiveFovLH(D3DXMATRIX* out, float fovY, float aspect, float zNear,
                                       float zFar) {
    const float yScale = 1.0f / std::tan(fovY / 2.0f);
    const float xScale = yScale / aspect;
    const float depth = zFar / (zFar - zNear);
    *out = D3DXMATRIX(xScale, 0, 0, 0, 0, yScale, 0, 0, 0, 0, depth, 1, 0, 0, -zNear * depth, 0);
    return out;
}

D3DXMATRIX* D3DXMatrixOrthoOffCenterLH(D3DXMATRIX* out, float left, float right, float bottom,
                                       float top, float zNear, float zFar) {
    *out = D3DXMATRIX(2 / (right - left), 0, 0, 0, 0, 2 / (top - bottom), 0, 0, 0, 0,
                      1 / (zFar - zNear), 0, (left + right) / (left - right),
                      (top + bottom) / (bottom - top), zNear / (zNear - zFar), 1);
    return out;
}

D3DXVECTOR3* D3DXVec3Cross(D3DXVECTOR3* out, const D3DXVECTOR3* a, const D3DXVECTOR3* b) {
    const D3DXVECTOR3 result(a->y * b->z - a->z * b->y, a->z * b->x - a->x * b->z,
                             a->x * b->y - a->y * b->x);
    *out = result;
    return out;
}

D3DXVECTOR3* D3DXVec3Normalize(D3DXVECTOR3* out, const D3DXVECTOR3* v) {
    const float length = D3DXVec3Length(v);
    *out = length == 0.0f ? D3DXVECTOR3(0, 0, 0) : *v / length;
    return out;
}

D3DXVECTOR4* D3DXVec3Transform(D3DXVECTOR4* out, const D3DXVECTOR3* v, const D3DXMATRIX* m) {
    const D3DXVECTOR4 result(v->x * m->_11 + v->y * m->_21 + v->z * m->_31 + m->_41,
                             v->x * m->_12 + v->y * m->_22 + v->z * m->_32 + m->_42,
                             v->x * m->_13 + v->y * m->_23 + v->z * m->_33 + m->_43,
                             v->x * m->_14 + v->y * m->_24 + v->z * m->_34 + m->_44);
    *out = result;
    return out;
}

D3DXVECTOR3* D3DXVec3TransformCoord(D3DXVECTOR3* out, const D3DXVECTOR3* v, const D3DXMATRIX* m) {
    D3DXVECTOR4 h;
    D3DXVec3Transform(&h, v, m);
    *out = h.w == 0.0f ? D3DXVECTOR3(h.x, h.y, h.z) : D3DXVECTOR3(h.x / h.w, h.y / h.w, h.z / h.w);
    return out;
}

D3DXVECTOR3* D3DXVec3TransformNormal(D3DXVECTOR3* out, const D3DXVECTOR3* v, const D3DXMATRIX* m) {
    const D3DXVECTOR3 result(v->x * m->_11 + v->y * m->_21 + v->z * m->_31,
                             v->x * m->_12 + v->y * m->_22 + v->z * m->_32,
                             v->x * m->_13 + v->y * m->_23 + v->z * m->_33);
    *out = result;
    return out;
}

D3DXMATRIX* D3DXMatrixTransformation2D(D3DXMATRIX* out, const D3DXVECTOR2* scalingCentre,
                                       float scalingRotation, const D3DXVECTOR2* scaling,
                                       const D3DXVECTOR2* rotationCentre, float rotation,
                                       const D3DXVECTOR2* translation) {
    D3DXMATRIX m;
    D3DXMatrixIdentity(&m);
    D3DXMATRIX step;
    const float scx = scalingCentre != nullptr ? scalingCentre->x : 0.0f;
    const float scy = scalingCentre != nullptr ? scalingCentre->y : 0.0f;
    if (scaling != nullptr) {
        // Into the scaling frame, scale, and back out of it.
        m = *D3DXMatrixTranslation(&step, -scx, -scy, 0) *
            *D3DXMatrixRotationZ(&step, -scalingRotation);
        m = m * *D3DXMatrixScaling(&step, scaling->x, scaling->y, 1);
        m = m * *D3DXMatrixRotationZ(&step, scalingRotation) *
            *D3DXMatrixTranslation(&step, scx, scy, 0);
    }
    const float rcx = rotationCentre != nullptr ? rotationCentre->x : 0.0f;
    const float rcy = rotationCentre != nullptr ? rotationCentre->y : 0.0f;
    m = m * *D3DXMatrixTranslation(&step, -rcx, -rcy, 0);
    m = m * *D3DXMatrixRotationZ(&step, rotation);
    m = m * *D3DXMatrixTranslation(&step, rcx, rcy, 0);
    if (translation != nullptr) {
        m = m * *D3DXMatrixTranslation(&step, translation->x, translation->y, 0);
    }
    *out = m;
    return out;
}
