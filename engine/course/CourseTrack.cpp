#include "course/CourseTrack.h"

#include <cmath>
#include <numbers>
#include <optional>

namespace {

// A unit direction in the ground plane.
template <typename Real>
struct Heading {
    Real x;
    Real z;
};

// Used only when a whole row collapses onto one point and no direction exists at all.
template <typename Real>
constexpr Heading<Real> kFallbackHeading{1, 0};

template <typename Real>
std::optional<Heading<Real>> headingBetween(const D3DXVECTOR3& from, const D3DXVECTOR3& to) {
    const Real dx = static_cast<Real>(to.x) - static_cast<Real>(from.x);
    const Real dz = static_cast<Real>(to.z) - static_cast<Real>(from.z);
    const Real length = std::sqrt(dx * dx + dz * dz);
    if (!(length > 0)) {
        return std::nullopt;
    }
    return Heading<Real>{dx / length, dz / length};
}

// The direction of a closed row at every point (toward the next point, the last
// toward the first). Where two points coincide there is no direction of their own;
// such points keep the direction of the point before them, and a run at the very
// start takes the first direction that follows, so no offset is ever taken along NaN.
template <typename Real>
std::vector<Heading<Real>> rowHeadings(const D3DXVECTOR3* points, int n) {
    std::vector<std::optional<Heading<Real>>> raw(static_cast<std::size_t>(n));
    std::optional<Heading<Real>> first;
    for (int i = 0; i < n; ++i) {
        raw[i] = headingBetween<Real>(points[i], points[(i + 1) % n]);
        if (!first && raw[i]) {
            first = raw[i];
        }
    }
    std::vector<Heading<Real>> result(static_cast<std::size_t>(n));
    Heading<Real> carried = first.value_or(kFallbackHeading<Real>);
    for (int i = 0; i < n; ++i) {
        if (raw[i]) {
            carried = *raw[i];
        }
        result[i] = carried;
    }
    return result;
}

} // namespace

CCourseTrack::CCourseTrack(int n)
    : m_n(n > 0 ? n : 0), m_centre(static_cast<std::size_t>(m_n)),
      m_grid(static_cast<std::size_t>(kRows) * static_cast<std::size_t>(m_n)),
      m_pitch(static_cast<std::size_t>(m_n), 0.0f) {}

int CCourseTrack::wrap(int i) const {
    if (m_n == 0) {
        return 0;
    }
    // A negative index counts back from the end of the loop; the full modulo keeps
    // even indices more than one loop away inside the arrays.
    const int r = i % m_n;
    return r < 0 ? r + m_n : r;
}

void CCourseTrack::setPitch(int i, float value) {
    if (i >= 0 && i < m_n) {
        m_pitch[i] = value;
    }
}

HRESULT CCourseTrack::build() {
    if (m_n <= m_originIndex || static_cast<int>(m_samples.size()) < m_n) {
        return E_FAIL;
    }
    const D3DXVECTOR3 origin = m_samples[m_originIndex];
    for (int i = 0; i < m_n; ++i) {
        m_centre[i] = (m_samples[i] - origin) * kCentreScale;
    }

    buildRoad();

    // The bank tops are smoothed from the edges outward.
    offsetRow<float>(5, 6, kHalfRoadWidth * kBankFactor, kOuterLift);
    offsetRow<float>(2, 1, -kHalfRoadWidth * kBankFactor, kOuterLift);
    smooth(6, kSmoothingPasses);
    smooth(1, kSmoothingPasses);
    offsetRow<float>(6, 7, kHalfRoadWidth * kRightBorderFactor, kOuterLift);
    // The last row is taken in double precision.
    offsetRow<double>(1, 0, -static_cast<double>(kHalfRoadWidth) * kLeftBorderFactor,
                      static_cast<double>(kOuterLift));
    return S_OK;
}

// Rows 3, 4, 2 and 5 all follow the centre's direction. Two samples at the same
// place give no direction, so the second of them is moved halfway between its
// neighbours first.
void CCourseTrack::buildRoad() {
    const int n = m_n;
    const float edge = kHalfRoadWidth * kEdgeFactor;
    std::optional<Heading<float>> previous;
    std::optional<Heading<float>> firstAhead;
    for (int i = 0; i < n; ++i) {
        D3DXVECTOR3& here = m_centre[i];
        D3DXVECTOR3& next = m_centre[(i + 1) % n];
        std::optional<Heading<float>> heading = headingBetween<float>(here, next);
        if (!heading) {
            const D3DXVECTOR3& after = m_centre[(i + 2) % n];
            next.x = (after.x + here.x) / 2;
            next.z = (after.z + here.z) / 2;
            heading = headingBetween<float>(here, next);
        }
        if (!heading) {
            // Three or more samples in one place: the repair cannot help.
            heading = previous;
        }
        if (!heading) {
            // Nothing before it either: borrow the first direction further along.
            if (!firstAhead) {
                firstAhead = rowHeadings<float>(m_centre.data(), n)[i];
            }
            heading = firstAhead;
        }
        previous = heading;

        const float rightX = heading->z;
        const float rightZ = -heading->x;
        D3DXVECTOR3& left = m_grid[index(3, i)];
        D3DXVECTOR3& right = m_grid[index(4, i)];
        left = {here.x - kHalfRoadWidth * rightX, here.y, here.z - kHalfRoadWidth * rightZ};
        right = {here.x + kHalfRoadWidth * rightX, here.y, here.z + kHalfRoadWidth * rightZ};
        m_grid[index(2, i)] = {left.x - edge * rightX, left.y + kEdgeLift, left.z - edge * rightZ};
        m_grid[index(5, i)] = {right.x + edge * rightX, right.y + kEdgeLift,
                               right.z + edge * rightZ};
    }
}

// Row `to` = row `from` moved sideways by `distance` (positive to the right of the
// row's own direction, negative to the left) and raised by `lift`.
template <typename Real>
void CCourseTrack::offsetRow(int from, int to, Real distance, Real lift) {
    const D3DXVECTOR3* source = row(from);
    D3DXVECTOR3* target = row(to);
    const std::vector<Heading<Real>> headings = rowHeadings<Real>(source, m_n);
    for (int i = 0; i < m_n; ++i) {
        const Heading<Real>& h = headings[i];
        const D3DXVECTOR3& p = source[i];
        target[i] = {static_cast<float>(static_cast<Real>(p.x) + distance * h.z),
                     static_cast<float>(static_cast<Real>(p.y) + lift),
                     static_cast<float>(static_cast<Real>(p.z) - distance * h.x)};
    }
}

void CCourseTrack::smooth(int r, int passes) {
    if (r < 0 || r >= m_rows || m_n == 0) {
        return;
    }
    if (passes == 0) {
        passes = kDefaultSmoothingPasses;
    }
    // In place: point i is averaged with the new position of point i - 1, and the last
    // point with the new position of point 0. The course's shape depends on that order
    // and on the arithmetic as written, to the bit.
    D3DXVECTOR3* points = row(r);
    const int n = m_n;
    for (int pass = 0; pass < passes; ++pass) {
        for (int i = 0; i < n; ++i) {
            const D3DXVECTOR3 average =
                (points[(i + n - 1) % n] + points[i] + points[(i + 1) % n]) / 3.0f;
            const D3DXVECTOR3 a = average - m_centre[i];
            const D3DXVECTOR3 b = points[i] - m_centre[i];
            if (D3DXVec3LengthSq(&a) > D3DXVec3LengthSq(&b)) {
                points[i] = average;
            }
        }
    }
}

void CCourseTrack::bank(int i) {
    if (i < 0 || i >= m_n) {
        return;
    }
    const float lift = static_cast<float>(
        kBankHeight * std::sin(std::numbers::pi * static_cast<double>(m_pitch[i])));
    for (int r = 0; r < m_rows; ++r) {
        m_grid[index(r, i)].y += r >= kRows / 2 ? lift : -lift;
    }
}

std::pair<D3DXVECTOR3, D3DXVECTOR3> CCourseTrack::pair(int r, int i) const {
    // Only rows 0..6 have a row above them.
    r = r < 0 ? 0 : (r > kRows - 2 ? kRows - 2 : r);
    const int w = wrap(i);
    return {m_grid[index(r + 1, w)], m_grid[index(r, w)]};
}
