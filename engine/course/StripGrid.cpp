#include "course/StripGrid.h"

#include <algorithm>
#include <cmath>
#include <cstring>

#include "d3dx9/d3dx9tex.h"

namespace {

constexpr std::size_t kMaxTexturePath = 127;

template <typename Buffer, typename Element>
HRESULT fill(Buffer* buffer, const std::vector<Element>& source) {
    void* data = nullptr;
    const UINT bytes = static_cast<UINT>(source.size() * sizeof(Element));
    const HRESULT hr = buffer->Lock(0, bytes, &data, 0);
    if (FAILED(hr)) {
        return hr;
    }
    std::memcpy(data, source.data(), bytes);
    return buffer->Unlock();
}

} // namespace

StripGrid::StripGrid(IDirect3DDevice9* device, int columns, int rows, float size)
    : m_device(device), m_columns(std::max(columns, 2)), m_rows(std::max(rows, 2)),
      m_size(size < 0 ? 1.0f : size),
      m_vertices(static_cast<std::size_t>(m_columns) * m_rows, Vertex{}) {
    for (int r = 0; r < m_rows; ++r) {
        for (int c = 0; c < m_columns; ++c) {
            Vertex& v = m_vertices[index(r, c)];
            v.u = static_cast<float>(c) / (m_columns - 1);
            v.v = static_cast<float>(r) / (m_rows - 1);
        }
    }
    buildIndices(m_rows - 1);
}

void StripGrid::drawQuadRows(int quadRows) {
    buildIndices(std::clamp(quadRows, 1, m_rows - 1));
}

void StripGrid::buildIndices(int quadRows) {
    m_indices.clear();
    m_indices.reserve(static_cast<std::size_t>(m_columns - 1) * quadRows * 6);
    const int w = m_columns;
    for (int r = 0; r < quadRows; ++r) {
        for (int c = 0; c + 1 < m_columns; ++c) {
            const auto at = [w](int row, int col) {
                return static_cast<std::uint16_t>(row * w + col);
            };
            m_indices.insert(m_indices.end(), {at(r, c), at(r + 1, c + 1), at(r, c + 1)});
            m_indices.insert(m_indices.end(), {at(r, c), at(r + 1, c), at(r + 1, c + 1)});
        }
    }
}

void StripGrid::setVertexFlat(int row, int column, float x, float y, float z) {
    if (!inRange(row, column)) {
        return;
    }
    const float step = static_cast<float>(m_columns - 1);
    m_vertices[index(row, column)] = {x, y, z, 0, 1, 0, column / step, row / step};
}

void StripGrid::setVertexInward(int row, int column, float x, float y, float z) {
    if (!inRange(row, column)) {
        return;
    }
    const float length = std::sqrt(x * x + y * y + z * z);
    const float scale = length == 0 ? 0.0f : -1.0f / length;
    const float step = static_cast<float>(m_columns - 1);
    m_vertices[index(row, column)] = {x,         y,         z,          x * scale,
                                      y * scale, z * scale, row / step, column / step};
}

HRESULT StripGrid::recreateDeviceObjects(IDirect3DDevice9* device) {
    m_device = device;
    const HRESULT hr = upload();
    if (FAILED(hr) || m_texturePath.empty()) {
        return hr;
    }
    const std::string path = m_texturePath;
    return setTexture(path.c_str());
}

HRESULT StripGrid::upload() {
    if (m_device == nullptr) {
        return E_FAIL;
    }
    if (!m_vertices.empty()) {
        m_lowest = m_highest = D3DXVECTOR3(m_vertices[0].x, m_vertices[0].y, m_vertices[0].z);
    }
    for (const Vertex& v : m_vertices) {
        m_lowest = D3DXVECTOR3(std::min(m_lowest.x, v.x), std::min(m_lowest.y, v.y),
                               std::min(m_lowest.z, v.z));
        m_highest = D3DXVECTOR3(std::max(m_highest.x, v.x), std::max(m_highest.y, v.y),
                                std::max(m_highest.z, v.z));
    }
    m_vertexBuffer.reset();
    m_indexBuffer.reset();
    HRESULT hr = m_device->CreateVertexBuffer(static_cast<UINT>(m_vertices.size() * sizeof(Vertex)),
                                              D3DUSAGE_WRITEONLY, kFvf, D3DPOOL_MANAGED,
                                              m_vertexBuffer.put(), nullptr);
    if (FAILED(hr)) {
        return hr;
    }
    hr = m_device->CreateIndexBuffer(static_cast<UINT>(m_indices.size() * sizeof(std::uint16_t)),
                                     D3DUSAGE_WRITEONLY, D3DFMT_INDEX16, D3DPOOL_MANAGED,
                                     m_indexBuffer.put(), nullptr);
    if (FAILED(hr)) {
        return hr;
    }
    hr = fill(m_vertexBuffer.get(), m_vertices);
    if (FAILED(hr)) {
        return hr;
    }
    return fill(m_indexBuffer.get(), m_indices);
}

void StripGrid::releaseDeviceObjects() {
    m_vertexBuffer.reset();
    m_indexBuffer.reset();
    m_texture.reset();
    m_device = nullptr;
}

HRESULT StripGrid::setTexture(const char* path) {
    if (path == nullptr) {
        return E_FAIL;
    }
    m_texturePath.assign(path, std::min(std::strlen(path), kMaxTexturePath));
    m_texture.reset();
    if (m_device == nullptr) {
        return E_FAIL;
    }
    return D3DXCreateTextureFromFileExA(
        m_device, path, D3DX_DEFAULT, D3DX_DEFAULT, D3DX_DEFAULT, 0, D3DFMT_A1R5G5B5,
        D3DPOOL_MANAGED, D3DX_FILTER_TRIANGLE | D3DX_FILTER_MIRROR,
        D3DX_FILTER_TRIANGLE | D3DX_FILTER_MIRROR, 0, nullptr, nullptr, m_texture.put());
}

HRESULT StripGrid::draw() {
    if (m_device == nullptr || !m_vertexBuffer || !m_indexBuffer) {
        return E_FAIL;
    }
    IDirect3DDevice9* d = m_device;
    d->SetTextureStageState(0, D3DTSS_COLOROP, D3DTOP_MODULATE);
    d->SetTextureStageState(0, D3DTSS_ALPHAOP, D3DTOP_MODULATE);
    d->SetTextureStageState(1, D3DTSS_COLOROP, D3DTOP_DISABLE);
    d->SetTextureStageState(1, D3DTSS_ALPHAOP, D3DTOP_DISABLE);
    d->SetRenderState(D3DRS_SRCBLEND, D3DBLEND_ONE);
    d->SetRenderState(D3DRS_DESTBLEND, D3DBLEND_ONE);
    d->SetRenderState(D3DRS_LIGHTING, FALSE);
    d->SetRenderState(D3DRS_CULLMODE, D3DCULL_CCW);
    d->SetRenderState(D3DRS_SHADEMODE, D3DSHADE_FLAT);
    if (m_texture) {
        d->SetTexture(0, m_texture.get());
    }
    d->SetFVF(kFvf);
    d->SetStreamSource(0, m_vertexBuffer.get(), 0, sizeof(Vertex));
    d->SetIndices(m_indexBuffer.get());
    const HRESULT hr =
        d->DrawIndexedPrimitive(D3DPT_TRIANGLELIST, 0, 0, static_cast<UINT>(m_vertices.size()), 0,
                                static_cast<UINT>(m_indices.size() / 3));
    d->SetRenderState(D3DRS_LIGHTING, TRUE);
    return hr;
}
