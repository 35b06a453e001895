#include "course/FieldLayout.h"

#include <algorithm>
#include <utility>

#include "course/FieldBorder.h"
#include "course/FieldHoles.h"

namespace {

int signOf(double value) {
    return value > 0 ? 1 : value < 0 ? -1 : 0;
}

} // namespace

FieldLayout::FieldLayout(const std::vector<D3DXVECTOR3>& borderSamples, std::size_t loopLength,
                         int corners)
    : m_samples(borderSamples),
      m_loop(static_cast<long long>(loopLength == 0 ? borderSamples.size()
                                                    : std::min(loopLength, borderSamples.size()))),
      m_corners(corners),
      m_perCorner(corners > 0 ? static_cast<long long>(borderSamples.size()) / corners : 0),
      m_ring(borderSamples.begin(), borderSamples.begin() + m_loop),
      m_orientation(signOf(signedArea2(m_ring))),
      m_inside(untangle(m_ring, m_orientation), m_orientation) {}

const D3DXVECTOR3& FieldLayout::border(long long k) const {
    return m_samples[static_cast<std::size_t>(((k % m_loop) + m_loop) % m_loop)];
}

std::vector<long long> FieldLayout::fanRim(const FieldTriangle& triangle) const {
    const long long n = m_corners;
    const long long s = m_perCorner;
    const long long a = triangle[0];
    const long long b = triangle[1];
    const long long e = triangle[2];
    std::vector<long long> rim;
    const std::pair<long long, long long> sides[] = {{a, b}, {b, e}, {e, a}};
    for (int side = 0; side < 3; ++side) {
        const auto [u, v] = sides[side];
        if ((v - u + n) % n == 1) {
            for (long long k = u * s; k < (u + 1) * s; ++k) {
                rim.push_back(k);
            }
            if (side == 2) {
                rim.push_back((u + 1) * s);
            }
        } else {
            rim.push_back(u * s);
        }
    }
    return rim;
}

std::vector<D3DXVECTOR3> FieldLayout::fan(const FieldTriangle& triangle) const {
    std::vector<D3DXVECTOR3> vertices{
        (border(triangle[0] * m_perCorner) + border(triangle[2] * m_perCorner)) / 2.0f};
    for (long long k : fanRim(triangle)) {
        vertices.push_back(border(k));
    }
    return vertices;
}

std::vector<long long> FieldLayout::outlineOf(const FieldTriangle& triangle) const {
    std::vector<long long> rim = fanRim(triangle);
    for (long long& k : rim) {
        k = ((k % m_loop) + m_loop) % m_loop;
    }
    rim.erase(std::unique(rim.begin(), rim.end()), rim.end());
    while (rim.size() > 1 && rim.back() == rim.front()) {
        rim.pop_back();
    }
    return rim;
}

bool FieldLayout::fanFits(const FieldTriangle& triangle,
                          const std::vector<D3DXVECTOR3>& fan) const {
    // Every triangle of the fan turning with the loop: the fan covers its rim once.
    const D3DXVECTOR3& centre = fan[0];
    double largest = 0;
    D3DXVECTOR3 inside = centre;
    for (std::size_t i = 1; i + 1 < fan.size(); ++i) {
        const double area = m_orientation * signedArea2(centre, fan[i], fan[i + 1]);
        if (area < 0) {
            return false;
        }
        if (area > largest) {
            largest = area;
            inside = (centre + fan[i] + fan[i + 1]) / 3.0f;
        }
    }
    // The border crosses none of its edges, so all of the fan lies on one side of the
    // border: inside, when a point of it is.
    for (std::size_t i = 1; i < fan.size(); ++i) {
        const D3DXVECTOR3& next = i + 1 < fan.size() ? fan[i + 1] : fan[1];
        if (crossesLoop(m_ring, centre, fan[i]) || crossesLoop(m_ring, fan[i], next)) {
            return false;
        }
    }
    if (largest > 0 && windingNumber(m_ring, inside) != m_orientation) {
        return false;
    }
    // And where the fan runs along the border, the border is the edge of the region.
    const std::vector<long long> outline = outlineOf(triangle);
    for (std::size_t i = 0; i < outline.size(); ++i) {
        const long long from = outline[i];
        const long long to = outline[(i + 1) % outline.size()];
        if ((from + 1) % m_loop == to && !m_inside.has(border(from), border(to))) {
            return false;
        }
    }
    return true;
}

std::vector<D3DXVECTOR3> FieldLayout::patch(const std::vector<FieldTriangle>& keptFans) const {
    FieldOutline bare = m_inside;
    for (const FieldTriangle& triangle : keptFans) {
        std::vector<D3DXVECTOR3> outline;
        for (long long k : outlineOf(triangle)) {
            outline.push_back(border(k));
        }
        bare.cut(outline);
    }
    std::vector<D3DXVECTOR3> list;
    for (const auto& loop : joinHoles(bare.loops(), m_orientation)) {
        for (const FieldTriangle& t : triangulateByEarClipping(loop)) {
            // Flat corners cut off on the way cover nothing.
            if (signedArea2(loop[t[0]], loop[t[1]], loop[t[2]]) != 0) {
                list.insert(list.end(), {loop[t[0]], loop[t[1]], loop[t[2]]});
            }
        }
    }
    return list;
}
