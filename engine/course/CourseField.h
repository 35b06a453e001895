#pragma once

#include <array>
#include <cstddef>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "course/FieldTriangulation.h"
#include "d3d9/d3d9.h"
#include "d3dx9/d3dx9math.h"
#include "win32/win32.h"

// One piece of the inner field, drawn with one call: a triangle fan, or a list of
// triangles for what no fan covers. The piece keeps its vertex positions on the CPU
// side: the device vertex buffer (position, white diffuse) is made from them, and
// the texture the piece names is loaded by its field, both again whenever the device
// is re-created.
class CFieldFan {
public:
    explicit CFieldFan(D3DPRIMITIVETYPE primitive = D3DPT_TRIANGLEFAN) : m_primitive(primitive) {}
    virtual ~CFieldFan() = default;

    // D3DPT_TRIANGLEFAN or D3DPT_TRIANGLELIST.
    D3DPRIMITIVETYPE primitive() const { return m_primitive; }

    void addVertex(const D3DXVECTOR3& position) { m_vertices.push_back(position); }
    const std::vector<D3DXVECTOR3>& vertices() const { return m_vertices; }
    // The triangles the piece draws, as its primitive makes them of its vertices.
    std::vector<std::array<D3DXVECTOR3, 3>> triangles() const;

    void setTextureName(std::string_view name) { m_textureName = name; }
    const std::string& textureName() const { return m_textureName; }

    // The vertex layout of a fan: position and a white diffuse colour.
    struct Vertex {
        float x, y, z;
        D3DCOLOR diffuse;
    };
    static constexpr DWORD kFvf = D3DFVF_XYZ | D3DFVF_DIFFUSE;

    // Makes the vertex buffer from the vertices and takes the texture loaded for the
    // fan's texture name (null when it could not be loaded: the fan is drawn untextured).
    [[nodiscard]] HRESULT createDeviceObjects(IDirect3DDevice9* device, IDirect3DTexture9* texture);
    void releaseDeviceObjects();
    // Unlit. Nothing is culled: the triangles wind with the loop, which runs either
    // way round.
    HRESULT draw(IDirect3DDevice9* device) const;
    IDirect3DVertexBuffer9* vertexBuffer() const { return m_vertexBuffer.get(); }
    IDirect3DTexture9* texture() const { return m_texture.get(); }

private:
    UINT triangleCount() const;

    D3DPRIMITIVETYPE m_primitive;
    std::vector<D3DXVECTOR3> m_vertices;
    std::string m_textureName;
    ComPtr<IDirect3DVertexBuffer9> m_vertexBuffer;
    ComPtr<IDirect3DTexture9> m_texture;
};

// The fill of the area inside a course's loop. The control polygon is the course's
// calculated points; the border samples are the inner row of the strips, in the
// order the points were laid. Each triangle of the polygon becomes one fan whose
// loop-following edges run along the border samples, so the field meets the strips
// rather than the straight lines between the points. A fan that would reach over the
// border, or leave part of its share bare, gives way to ear clipping of that part
// (FieldLayout), so the field covers exactly the region inside the border.
class CCourseField {
public:
    // Names are kept within the 128-byte fields the rest of the program uses.
    static constexpr std::size_t kMaxTextureName = 127;

    struct ControlPoint {
        D3DXVECTOR3 position;
        int index = 0;
    };

    CCourseField() = default;
    virtual ~CCourseField() = default;
    CCourseField(CCourseField&&) = default;
    CCourseField& operator=(CCourseField&&) = default;

    void setTextureName(std::string_view name);
    const std::string& textureName() const { return m_textureName; }

    void addControlPoint(float x, float y, float z);
    void addBorderSample(float x, float y, float z) { m_borderSamples.emplace_back(x, y, z); }
    // How many of the border samples go once round the loop; those after them start
    // it again, as the strips' last rows do. 0 (the start, and after a reset): all.
    void setBorderLoopLength(std::size_t samples) { m_borderLoopLength = samples; }

    // Numbers the control polygon, triangulates it and lays the pieces: the fans that
    // fit, then one triangle list for the rest. Triangles and pieces of an earlier
    // build are replaced. With two control points or fewer there is no field; without
    // border samples, or with a border that encloses nothing, there are triangles but
    // no pieces.
    [[nodiscard]] HRESULT build();

    // Drops everything derived from the track (border samples and their loop length,
    // triangles, fans) and keeps the control polygon for the next build.
    void resetForRegeneration();

    // Device objects of every fan, made from what the fans keep in memory.
    void createDeviceObjects(IDirect3DDevice9* device);
    void releaseDeviceObjects();
    // Draws every fan, then leaves culling as the strips expect it.
    void draw(IDirect3DDevice9* device) const;

    const std::vector<ControlPoint>& controlPolygon() const { return m_controlPolygon; }
    const std::vector<D3DXVECTOR3>& borderSamples() const { return m_borderSamples; }
    const std::vector<FieldTriangle>& triangles() const { return m_triangles; }
    const std::vector<std::unique_ptr<CFieldFan>>& fans() const { return m_fans; }

private:
    void addPiece(D3DPRIMITIVETYPE primitive, const std::vector<D3DXVECTOR3>& vertices);

    std::vector<std::unique_ptr<CFieldFan>> m_fans;
    std::string m_textureName;
    std::vector<ControlPoint> m_controlPolygon;
    std::vector<D3DXVECTOR3> m_borderSamples;
    std::size_t m_borderLoopLength = 0;
    std::vector<FieldTriangle> m_triangles;
};
