#include "course/CourseField.h"

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
    for (const FieldTriangle& triangle : m_triangles) {
        m_fans.push_back(makeFan(triangle));
    }
    return S_OK;
}

// The fan starts on the middle of the triangle's closing side and runs round its
// three sides. A side that follows the loop from one control point to the next
// traces every border sample in between; a chord across the field is a straight
// line and needs only its first end.
std::unique_ptr<CFieldFan> CCourseField::makeFan(const FieldTriangle& triangle) const {
    const long long n = static_cast<long long>(m_controlPolygon.size());
    const long long total = static_cast<long long>(m_borderSamples.size());
    const long long perPoint = total / n;
    // The samples close the loop, so an index past the end starts again from the
    // first sample.
    auto border = [&](long long k) -> const D3DXVECTOR3& {
        return m_borderSamples[static_cast<std::size_t>(((k % total) + total) % total)];
    };

    auto fan = std::make_unique<CFieldFan>();
    const long long a = triangle[0];
    const long long b = triangle[1];
    const long long e = triangle[2];
    fan->addVertex((border(a * perPoint) + border(e * perPoint)) / 2.0f);

    const std::pair<long long, long long> sides[] = {{a, b}, {b, e}, {e, a}};
    for (int side = 0; side < 3; ++side) {
        const auto [u, v] = sides[side];
        if ((v - u + n) % n == 1) {
            for (long long k = u * perPoint; k < (u + 1) * perPoint; ++k) {
                fan->addVertex(border(k));
            }
            if (side == 2) {
                fan->addVertex(border((u + 1) * perPoint));
            }
        } else {
            fan->addVertex(border(u * perPoint));
        }
    }
    fan->setTextureName(m_textureName);
    return fan;
}

void CCourseField::resetForRegeneration() {
    m_borderSamples.clear();
    m_triangles.clear();
    m_fans.clear();
}
