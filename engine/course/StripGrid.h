#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "d3d9/d3d9.h"
#include "d3dx9/d3dx9math.h"
#include "tw/assert.h"

// A textured grid of columns x rows vertices split into two triangles per quad: the
// seven lateral strips of a course (which the surface query reads) and the sky dome.
// The vertex and index arrays stay in memory so that the grid can be uploaded again
// whenever the device is made anew.
class StripGrid {
public:
    struct Vertex {
        float x, y, z;
        float nx, ny, nz;
        float u, v;
    };
    static_assert(sizeof(Vertex) == 32, "the vertex format 0x112 is 32 bytes");
    static constexpr DWORD kFvf = D3DFVF_XYZ | D3DFVF_NORMAL | D3DFVF_TEX1;

    // columns and rows are raised to at least 2; a negative size becomes 1.0.
    StripGrid(IDirect3DDevice9* device, int columns, int rows, float size);
    virtual ~StripGrid() = default;

    // Position with an upward normal; u runs across (column), v along (row), both in
    // steps of 1 / (columns - 1), so a texture repeats once per row on a 2-column strip.
    void setVertexFlat(int row, int column, float x, float y, float z);
    // Position with a normal toward the origin (inside a dome); u from the row, v from
    // the column.
    void setVertexInward(int row, int column, float x, float y, float z);

    // Draws only the first quadRows rows of quads (1 to all of them): a closed loop whose
    // last rows lie over its first ones, which the surface query still reads, then draws
    // each stretch once. Takes effect at the next upload.
    void drawQuadRows(int quadRows);

    // Creates the device's vertex and index buffers and copies the arrays into them.
    [[nodiscard]] HRESULT upload();
    // The box of the vertices as last uploaded, which is what draw() shows.
    const D3DXVECTOR3& lowestCorner() const { return m_lowest; }
    const D3DXVECTOR3& highestCorner() const { return m_highest; }
    // Makes the buffers and the texture again on a new device, from the arrays and
    // the texture path kept in memory.
    [[nodiscard]] HRESULT recreateDeviceObjects(IDirect3DDevice9* device);
    void releaseDeviceObjects();

    // Loads the texture from path (full mip chain, A1R5G5B5); a null path fails.
    [[nodiscard]] HRESULT setTexture(const char* path);
    // Takes the texture and path of a strip that has loaded the same path: the same
    // picture, loaded once.
    void shareTexture(const StripGrid& loaded) {
        m_texturePath = loaded.m_texturePath;
        m_texture = loaded.m_texture;
    }
    // Uses a texture loaded elsewhere (the sky chooses its own format).
    void setTextureObject(ComPtr<IDirect3DTexture9> texture) { m_texture = std::move(texture); }

    // Draws the grid as a textured triangle list, unlit, flat shaded, culling
    // counter-clockwise triangles; lighting is switched back on afterwards.
    HRESULT draw();

    int columns() const { return m_columns; }
    int rows() const { return m_rows; }
    float size() const { return m_size; }
    const Vertex& vertex(int row, int column) const { return m_vertices[index(row, column)]; }
    const std::vector<Vertex>& vertices() const { return m_vertices; }
    const std::vector<std::uint16_t>& indices() const { return m_indices; }
    const std::string& texturePath() const { return m_texturePath; }
    IDirect3DTexture9* texture() const { return m_texture.get(); }
    IDirect3DVertexBuffer9* vertexBuffer() const { return m_vertexBuffer.get(); }
    IDirect3DIndexBuffer9* indexBuffer() const { return m_indexBuffer.get(); }
    IDirect3DDevice9* device() const { return m_device; }

private:
    std::size_t index(int row, int column) const {
        TW_ASSERT(inRange(row, column));
        return static_cast<std::size_t>(row) * m_columns + column;
    }
    void buildIndices(int quadRows);
    bool inRange(int row, int column) const {
        return row >= 0 && row < m_rows && column >= 0 && column < m_columns;
    }

    IDirect3DDevice9* m_device;
    int m_columns;
    int m_rows;
    float m_size;
    std::vector<Vertex> m_vertices;
    std::vector<std::uint16_t> m_indices;
    std::string m_texturePath;
    ComPtr<IDirect3DTexture9> m_texture;
    ComPtr<IDirect3DVertexBuffer9> m_vertexBuffer;
    ComPtr<IDirect3DIndexBuffer9> m_indexBuffer;
    D3DXVECTOR3 m_lowest{0, 0, 0};
    D3DXVECTOR3 m_highest{0, 0, 0};
};
