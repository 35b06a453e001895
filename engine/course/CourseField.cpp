#include "course/CourseField.h"

#include "course/FieldLayout.h"

void CCourseField::setTextureName(std::string_view name) {
    m_textureName = name.substr(0, kMaxTextureName);
}

void CCourseField::addControlPoint(float x, float y, float z) {
    m_controlPolygon.push_back({D3DXVECTOR3(x, y, z), static_cast<int>(m_controlPolygon.size())});
}

HRESULT CCourseField::build() {
    m_triangles.clear();
    m_fans.clear();

    const int count = static_cast<int>(m_controlPolygon.size());
    for (int i = 0; i < count; ++i) {
        m_controlPolygon[i].index = i;
    }
    if (count <= 2) {
        return S_OK;
    }

    std::vector<D3DXVECTOR3> polygon;
    polygon.reserve(m_controlPolygon.size());
    for (const ControlPoint& point : m_controlPolygon) {
        polygon.push_back(point.position);
    }
    m_triangles = triangulateField(polygon);

    if (m_borderSamples.empty()) {
        return S_OK;
    }
    const FieldLayout layout(m_borderSamples, m_borderLoopLength, count);
    if (!layout.enclosesArea()) {
        return S_OK;
    }
    // Fans of a triangulation that is no exact cover could overlap (a loop laid
    // crossing itself has none): then ear clipping covers all.
    const bool exactCover = isExactCover(polygon, m_triangles);
    std::vector<FieldTriangle> kept;
    for (const FieldTriangle& triangle : m_triangles) {
        const std::vector<D3DXVECTOR3> fan = layout.fan(triangle);
        if (exactCover && layout.fanFits(triangle, fan)) {
            kept.push_back(triangle);
            addPiece(D3DPT_TRIANGLEFAN, fan);
        }
    }
    const std::vector<D3DXVECTOR3> patch = layout.patch(kept);
    if (!patch.empty()) {
        addPiece(D3DPT_TRIANGLELIST, patch);
    }
    return S_OK;
}

void CCourseField::addPiece(D3DPRIMITIVETYPE primitive, const std::vector<D3DXVECTOR3>& vertices) {
    auto piece = std::make_unique<CFieldFan>(primitive);
    for (const D3DXVECTOR3& v : vertices) {
        piece->addVertex(v);
    }
    piece->setTextureName(m_textureName);
    m_fans.push_back(std::move(piece));
}

void CCourseField::resetForRegeneration() {
    m_borderSamples.clear();
    m_borderLoopLength = 0;
    m_triangles.clear();
    m_fans.clear();
}
