#include "course/CourseTrack.h"

#include <bit>
#include <cmath>
#include <cstdint>
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

    // The bank tops are smoothed from the edges outward; neither smoothing reads the
    // other's row, so both run together.
    offsetRow<float>(5, 6, kHalfRoadWidth * kBankFactor, kOuterLift);
    offsetRow<float>(2, 1, -kHalfRoadWidth * kBankFactor, kOuterLift);
    smoothTwo(6, 1, kSmoothingPasses);
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

namespace {

// A point as four float lanes (x, y, z, 0). Lane-wise adds, subtractions, products and
// quotients are the same IEEE operations as the scalar ones, so results do not change;
// what changes is that the three quotients of an average are one instruction, which
// matters because the smoothing's divisions are its bottleneck.
using Lanes = float __attribute__((vector_size(16)));
using LaneMask = std::int32_t __attribute__((vector_size(16)));

Lanes lanesOf(const D3DXVECTOR3& v) {
    return Lanes{v.x, v.y, v.z, 0.0f};
}

// D3DXVec3LengthSq of a - b in every lane: the products lane by lane, summed x, y, z in
// that order. Kept in lanes so that comparing two of them gives a mask at once, without
// a trip through a general register on the chain from point to point.
Lanes squaredDistance(Lanes a, Lanes b) {
    const Lanes d = a - b;
    const Lanes squares = d * d;
    // Each square in every lane: a copy, so the sum is the scalar one bit for bit.
    const Lanes x = Lanes{squares[0], squares[0], squares[0], squares[0]};
    const Lanes y = Lanes{squares[1], squares[1], squares[1], squares[1]};
    const Lanes z = Lanes{squares[2], squares[2], squares[2], squares[2]};
    return (x + y) + z;
}

// a where the mask is set, else b.
Lanes choose(LaneMask mask, Lanes a, Lanes b) {
    return reinterpret_cast<Lanes>((reinterpret_cast<LaneMask>(a) & mask) |
                                   (reinterpret_cast<LaneMask>(b) & ~mask));
}

// One row being smoothed, one point at a time, on a copy of the row in lanes that is
// written back when the smoothing ends. The in-place average of point i takes the new
// position of point i - 1, which is the average of i - 1 when that was kept and its
// old position otherwise. Both averages of point i are worked out before the choice for
// i - 1 is known, so that the next point need not wait for that choice; this keeps the
// chain from point to point short. The arithmetic is exactly that of the plain loop:
// ((before + own) + after) / 3 and the two squared distances.
class RowSmoothing {
public:
    RowSmoothing(D3DXVECTOR3* points, const D3DXVECTOR3* centre, int n)
        : m_row(points), m_points(static_cast<std::size_t>(n)),
          m_centre(static_cast<std::size_t>(n)), m_n(n) {
        for (int i = 0; i < n; ++i) {
            m_points[i] = lanesOf(points[i]);
            m_centre[i] = lanesOf(centre[i]);
        }
    }
    RowSmoothing(const RowSmoothing&) = delete;
    RowSmoothing& operator=(const RowSmoothing&) = delete;
    ~RowSmoothing() {
        for (int i = 0; i < m_n; ++i) {
            m_row[i] = {m_points[i][0], m_points[i][1], m_points[i][2]};
        }
    }

    void startPass() {
        // Point 0 sees the last point as the previous pass left it.
        m_oldBefore = m_points[m_n - 1];
        m_averageBefore = m_oldBefore;
        m_keptBefore = LaneMask{};
    }

    void step(int i) {
        const Lanes own = m_points[i];
        // The last point sees point 0 as this pass has already made it.
        const Lanes after = m_points[i + 1 < m_n ? i + 1 : 0];
        const Lanes three = {3.0f, 3.0f, 3.0f, 3.0f};
        const Lanes ifKept = ((m_averageBefore + own) + after) / three;
        const Lanes ifNot = ((m_oldBefore + own) + after) / three;
        const Lanes average = choose(m_keptBefore, ifKept, ifNot);
        const Lanes centre = m_centre[i];
        const LaneMask keep = squaredDistance(average, centre) > squaredDistance(own, centre);
        m_points[i] = choose(keep, average, own);
        m_averageBefore = average;
        m_oldBefore = own;
        m_keptBefore = keep;
    }

private:
    D3DXVECTOR3* m_row;
    std::vector<Lanes> m_points;
    std::vector<Lanes> m_centre;
    int m_n;
    Lanes m_oldBefore{};
    Lanes m_averageBefore{};
    LaneMask m_keptBefore{}; // all set or all clear
};

} // namespace

void CCourseTrack::smooth(int r, int passes) {
    if (r < 0 || r >= m_rows || m_n == 0) {
        return;
    }
    if (passes == 0) {
        passes = kDefaultSmoothingPasses;
    }
    RowSmoothing smoothing(row(r), m_centre.data(), m_n);
    for (int pass = 0; pass < passes; ++pass) {
        smoothing.startPass();
        for (int i = 0; i < m_n; ++i) {
            smoothing.step(i);
        }
    }
}

void CCourseTrack::smoothTwo(int r1, int r2, int passes) {
    if (r1 == r2 || r1 < 0 || r1 >= m_rows || r2 < 0 || r2 >= m_rows || m_n == 0) {
        smooth(r1, passes);
        smooth(r2, passes);
        return;
    }
    if (passes == 0) {
        passes = kDefaultSmoothingPasses;
    }
    // Two rows do not touch each other's points: their chains run side by side.
    RowSmoothing first(row(r1), m_centre.data(), m_n);
    RowSmoothing second(row(r2), m_centre.data(), m_n);
    for (int pass = 0; pass < passes; ++pass) {
        first.startPass();
        second.startPass();
        for (int i = 0; i < m_n; ++i) {
            first.step(i);
            second.step(i);
        }
    }
}

void CCourseTrack::smoothPlainly(int r, int passes) {
    if (r < 0 || r >= m_rows || m_n == 0) {
        return;
    }
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
