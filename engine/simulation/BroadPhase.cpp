#include "simulation/BroadPhase.h"

#include <algorithm>
#include <bit>
#include <cmath>

namespace {

// A radius this many times the average is kept out of the grid, so that one big body
// does not make every cell big.
constexpr double kLooseRadiusFactor = 8.0;
// The exact test compares squared distances rounded to float: a few units in the last
// place (about 1e-6 relative) separate it from the true values. The cells and the
// distance filter below allow a hundred times that.
constexpr double kCellMargin = 1e-4;
constexpr double kReachMargin = 1e-5;
// Float squares of very small values round to denormals or zero; this absolute slack
// is far above that rounding.
constexpr double kReachSlack = 1e-30;
constexpr double kCellSlack = 1e-12;
// Beyond this many cells from the origin a body is kept out of the grid: its cell would
// not fit the 32 bits a cell is kept in (and a double quotient x / cell may be off by
// more than the cell margin far beyond that).
constexpr double kMaxCellIndex = 2147483647.0;

bool finite(const BroadPhase::Sphere& s) {
    return std::isfinite(s.x) && std::isfinite(s.y) && std::isfinite(s.z) &&
           std::isfinite(s.radius);
}

} // namespace

void BroadPhase::build(const std::vector<Sphere>& spheres) {
    const std::size_t n = spheres.size();
    m_spheres = spheres;
    m_cellX.assign(n, 0);
    m_cellZ.assign(n, 0);
    m_kind.assign(n, kGridded);
    m_loose.clear();

    double radiusSum = 0;
    std::size_t finiteCount = 0;
    for (const Sphere& s : spheres) {
        if (finite(s)) {
            radiusSum += std::abs(static_cast<double>(s.radius));
            ++finiteCount;
        }
    }
    const double looseRadius =
        finiteCount == 0 ? 0 : kLooseRadiusFactor * radiusSum / static_cast<double>(finiteCount);
    double largest = 0;
    for (std::size_t i = 0; i < n; ++i) {
        const double r = std::abs(static_cast<double>(spheres[i].radius));
        if (!finite(spheres[i])) {
            m_kind[i] = kApart;
        } else if (r > looseRadius) {
            m_kind[i] = kLoose;
        } else {
            largest = std::max(largest, r);
        }
    }
    // Two ordinary bodies in contact are less than a cell apart along x and along z,
    // so they lie in the same or in neighbouring cells.
    const double cell = 2 * largest * (1 + kCellMargin) + kCellSlack;
    std::size_t gridded = 0;
    for (std::size_t i = 0; i < n; ++i) {
        if (m_kind[i] == kGridded) {
            const double qx = std::floor(static_cast<double>(spheres[i].x) / cell);
            const double qz = std::floor(static_cast<double>(spheres[i].z) / cell);
            if (std::abs(qx) < kMaxCellIndex && std::abs(qz) < kMaxCellIndex) {
                m_cellX[i] = static_cast<std::int32_t>(qx);
                m_cellZ[i] = static_cast<std::int32_t>(qz);
                ++gridded;
                continue;
            }
            m_kind[i] = kLoose;
        }
        if (m_kind[i] == kLoose) {
            m_loose.push_back(static_cast<int>(i));
        }
    }

    // Buckets by counting sort; filling in ascending body order keeps each bucket
    // ascending.
    const std::size_t buckets = std::bit_ceil(std::max<std::size_t>(2 * n, 16));
    m_mask = static_cast<std::uint32_t>(buckets - 1);
    m_start.assign(buckets + 1, 0);
    m_listed.resize(gridded);
    std::vector<std::uint32_t>& start = m_start;
    for (std::size_t i = 0; i < n; ++i) {
        if (m_kind[i] == kGridded) {
            ++start[bucketOf(m_cellX[i], m_cellZ[i]) + 1];
        }
    }
    for (std::size_t b = 0; b < buckets; ++b) {
        start[b + 1] += start[b];
    }
    m_fill.assign(start.begin(), start.end() - 1);
    // Bodies sharing a centre share a cell, and so a bucket: each is compared with the
    // few listed before it there, which were written a moment ago. One shared centre
    // settles it: a pile of thousands is not compared pair by pair.
    m_mayShareCentres = gridded != n;
    for (std::size_t i = 0; i < n; ++i) {
        if (m_kind[i] == kGridded) {
            const std::uint32_t bucket = bucketOf(m_cellX[i], m_cellZ[i]);
            Listed* const at = m_listed.data() + m_fill[bucket]++;
            *at = {m_cellX[i],   m_cellZ[i],        spheres[i].x,
                   spheres[i].z, spheres[i].radius, static_cast<int>(i)};
            for (const Listed* other = m_listed.data() + start[bucket];
                 other != at && !m_mayShareCentres; ++other) {
                m_mayShareCentres = other->x == at->x && other->z == at->z;
            }
        }
    }
}

// The ground-plane distance can only be smaller than the 3-D one, and the margins
// cover the float rounding of the exact test.
inline bool BroadPhase::mayTouch(const Sphere& a, const Listed& b) {
    const double dx = static_cast<double>(a.x) - static_cast<double>(b.x);
    const double dz = static_cast<double>(a.z) - static_cast<double>(b.z);
    const double reach = static_cast<double>(a.radius) + static_cast<double>(b.radius);
    return dx * dx + dz * dz <= reach * reach * (1 + kReachMargin) + kReachSlack;
}

inline void BroadPhase::collect(int i, const Sphere& sphere, std::int64_t cx, std::int64_t z,
                                std::uint32_t first, std::uint32_t last,
                                std::vector<int>* out) const {
    const Listed* const end = m_listed.data() + m_start[last + 1];
    for (const Listed* other = m_listed.data() + m_start[first]; other != end; ++other) {
        // All the tests at once, one branch: whether a body comes after i follows no
        // pattern, and a branch on it alone is mispredicted half the time. Other cells
        // may share these buckets; each body is taken in the row its cell lies in.
        const bool after = other->index > i;
        const bool neighbour =
            (other->cellZ == z) & (other->cellX >= cx - 1) & (other->cellX <= cx + 1);
        if (after & neighbour & mayTouch(sphere, *other)) {
            out->push_back(other->index);
        }
    }
}

void BroadPhase::candidatesAfter(int i, std::vector<int>* out) const {
    out->clear();
    const int n = static_cast<int>(m_spheres.size());
    if (m_kind[i] == kApart) {
        return;
    }
    if (m_kind[i] == kLoose) {
        for (int j = i + 1; j < n; ++j) {
            if (m_kind[j] != kApart) {
                out->push_back(j);
            }
        }
        return;
    }
    const std::int64_t cx = m_cellX[i];
    const std::int64_t cz = m_cellZ[i];
    const Sphere& sphere = m_spheres[i];
    for (std::int64_t z = cz - 1; z <= cz + 1; ++z) {
        // The row's three buckets as one stretch, or each alone where they wrap round the
        // end of the list.
        const std::uint32_t first = bucketOf(cx - 1, z);
        const bool wraps = first + 2 > m_mask;
        for (std::uint32_t k = 0; k < (wraps ? 3u : 1u); ++k) {
            const std::uint32_t from = (first + k) & m_mask;
            collect(i, sphere, cx, z, from, wraps ? from : first + 2, out);
        }
    }
    const auto firstLoose = std::upper_bound(m_loose.begin(), m_loose.end(), i);
    out->insert(out->end(), firstLoose, m_loose.end());
    std::sort(out->begin(), out->end());
}
