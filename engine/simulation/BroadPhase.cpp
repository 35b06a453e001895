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

void BroadPhase::build(const std::vector<Sphere>& spheres, int parts, const ShareRanges& share) {
    const std::size_t n = spheres.size();
    double radiusSum = 0;
    std::size_t finiteCount = 0;
    double largest = 0;
    for (const Sphere& s : spheres) {
        if (finite(s)) {
            const double r = std::abs(static_cast<double>(s.radius));
            radiusSum += r;
            ++finiteCount;
            largest = std::max(largest, r);
        }
    }
    const double looseRadius =
        finiteCount == 0 ? 0 : kLooseRadiusFactor * radiusSum / static_cast<double>(finiteCount);
    // Bodies kept aside for their size do not size the grid.
    if (largest > looseRadius) {
        largest = 0;
        for (const Sphere& s : spheres) {
            const double r = std::abs(static_cast<double>(s.radius));
            if (finite(s) && r <= looseRadius) {
                largest = std::max(largest, r);
            }
        }
    }
    // Two ordinary bodies in contact are less than a cell apart along x and along z,
    // so they lie in the same or in neighbouring cells.
    const double cell = 2 * largest * (1 + kCellMargin) + kCellSlack;
    const std::size_t buckets = std::bit_ceil(std::max<std::size_t>(n, 16));
    m_mask = static_cast<std::uint32_t>(buckets - 1);

    // Every array is written whole by the parts.
    m_cellX.resize(n);
    m_cellZ.resize(n);
    m_kind.resize(n);
    m_parts.resize(static_cast<std::size_t>(std::max(parts, 1)));
    share(n, static_cast<int>(m_parts.size()), [&](int part, std::size_t begin, std::size_t end) {
        sortIntoCells(m_parts[static_cast<std::size_t>(part)], begin, end, spheres, looseRadius,
                      cell);
    });

    // Buckets by counting sort: within a bucket, each part's bodies follow those of the
    // parts before it, and a part fills its own in ascending order, so every bucket is
    // ascending. The counts are added up on the parts' threads too, each over a range of
    // the buckets: first each range's total, then, from the totals before it, where each
    // bucket starts and where each part's bodies go in it.
    m_start.resize(buckets + 1);
    m_partCounts.clear();
    for (Part& part : m_parts) {
        m_partCounts.push_back(part.counts.data());
    }
    share(buckets, static_cast<int>(m_parts.size()),
          [&](int part, std::size_t begin, std::size_t end) {
              m_parts[static_cast<std::size_t>(part)].rangeTotal = countRange(begin, end);
          });
    std::uint32_t listed = 0;
    for (Part& part : m_parts) {
        part.rangeStart = listed;
        listed += part.rangeTotal;
    }
    share(buckets, static_cast<int>(m_parts.size()),
          [&](int part, std::size_t begin, std::size_t end) {
              startRange(begin, end, m_parts[static_cast<std::size_t>(part)].rangeStart);
          });
    m_start[buckets] = listed;
    m_listed.resize(listed);
    m_loose.clear();
    for (const Part& part : m_parts) {
        m_loose.insert(m_loose.end(), part.loose.begin(), part.loose.end());
    }
    share(n, static_cast<int>(m_parts.size()), [&](int part, std::size_t begin, std::size_t end) {
        list(m_parts[static_cast<std::size_t>(part)], begin, end, spheres);
    });

    m_pairedWithNobody = 0;
    for (const Part& part : m_parts) {
        m_pairedWithNobody += part.apart;
    }
}

std::uint32_t BroadPhase::countRange(std::size_t begin, std::size_t end) const {
    std::uint32_t total = 0;
    for (const std::uint32_t* const counts : m_partCounts) {
        for (std::size_t b = begin; b < end; ++b) {
            total += counts[b];
        }
    }
    return total;
}

void BroadPhase::startRange(std::size_t begin, std::size_t end, std::uint32_t listed) {
    std::uint32_t* const start = m_start.data();
    std::uint32_t* const* const counts = m_partCounts.data();
    const std::size_t parts = m_partCounts.size();
    for (std::size_t b = begin; b < end; ++b) {
        start[b] = listed;
        for (std::size_t p = 0; p < parts; ++p) {
            const std::uint32_t count = counts[p][b];
            counts[p][b] = listed;
            listed += count;
        }
    }
}

void BroadPhase::sortIntoCells(Part& part, std::size_t begin, std::size_t end,
                               const std::vector<Sphere>& spheres, double looseRadius,
                               double cell) {
    part.counts.assign(static_cast<std::size_t>(m_mask) + 1, 0);
    part.loose.clear();
    part.apart = 0;
    for (std::size_t i = begin; i < end; ++i) {
        const Sphere& s = spheres[i];
        m_cellX[i] = 0;
        m_cellZ[i] = 0;
        if (!finite(s)) {
            m_kind[i] = kApart;
            ++part.apart;
            continue;
        }
        const double qx = std::floor(static_cast<double>(s.x) / cell);
        const double qz = std::floor(static_cast<double>(s.z) / cell);
        if (std::abs(static_cast<double>(s.radius)) > looseRadius ||
            std::abs(qx) >= kMaxCellIndex || std::abs(qz) >= kMaxCellIndex) {
            m_kind[i] = kLoose;
            part.loose.push_back(static_cast<int>(i));
            continue;
        }
        m_kind[i] = kGridded;
        m_cellX[i] = static_cast<std::int32_t>(qx);
        m_cellZ[i] = static_cast<std::int32_t>(qz);
        ++part.counts[bucketOf(m_cellX[i], m_cellZ[i])];
    }
}

void BroadPhase::list(Part& part, std::size_t begin, std::size_t end,
                      const std::vector<Sphere>& spheres) {
    for (std::size_t i = begin; i < end; ++i) {
        if (m_kind[i] == kGridded) {
            const std::uint32_t slot = part.counts[bucketOf(m_cellX[i], m_cellZ[i])]++;
            m_listed[slot] = {m_cellX[i],   m_cellZ[i],        spheres[i].x,
                              spheres[i].z, spheres[i].radius, static_cast<int>(i)};
        }
    }
}

// The ground-plane distance can only be smaller than the 3-D one, and the margins
// cover the float rounding of the exact test.
inline bool BroadPhase::mayTouch(const Listed& a, const Listed& b) {
    const double dx = static_cast<double>(a.x) - static_cast<double>(b.x);
    const double dz = static_cast<double>(a.z) - static_cast<double>(b.z);
    const double reach = static_cast<double>(a.radius) + static_cast<double>(b.radius);
    return dx * dx + dz * dz <= reach * reach * (1 + kReachMargin) + kReachSlack;
}

inline bool BroadPhase::pairWithin(const Listed& body, std::uint32_t fromSlot, std::uint32_t toSlot,
                                   std::int64_t z, std::int64_t fromX, std::int64_t toX,
                                   Batch& batch) const {
    const Listed* const end = m_listed.data() + toSlot;
    for (const Listed* other = m_listed.data() + fromSlot; other < end; ++other) {
        // All the tests at once, one branch: which bodies lie close follows no pattern,
        // and a branch on each test alone is mispredicted often. Other cells may share
        // these buckets: each body is taken in the cell it lies in.
        const bool neighbour =
            (other->cellZ == z) & (other->cellX >= fromX) & (other->cellX <= toX);
        if (neighbour & mayTouch(body, *other) &&
            !batch.add(static_cast<std::uint32_t>(body.index),
                       static_cast<std::uint32_t>(other->index))) {
            return false;
        }
    }
    return true;
}

// Each pair of neighbouring cells is looked through once, from the cell that comes
// first by rows: a body's own cell (the bodies after it in its bucket), the next cell
// along x, and the three cells of the next row. The buckets are walked in order, so
// the bodies looked through follow each other in memory, and so do the next row's.
void BroadPhase::findCandidates(int part, int parts, const TakeCandidates& take) const {
    Batch batch(take);
    const auto cut = [parts](std::size_t n, int k) {
        return n * static_cast<std::size_t>(k) / static_cast<std::size_t>(parts);
    };
    const std::size_t buckets = m_start.empty() ? 0 : m_start.size() - 1;
    for (std::size_t b = cut(buckets, part); b < cut(buckets, part + 1); ++b) {
        const std::uint32_t next = (static_cast<std::uint32_t>(b) + 1) & m_mask;
        for (std::uint32_t slot = m_start[b]; slot < m_start[b + 1]; ++slot) {
            const Listed& body = m_listed[slot];
            const std::int64_t cx = body.cellX;
            const std::int64_t cz = body.cellZ;
            if (!pairWithin(body, slot + 1, m_start[b + 1], cz, cx, cx, batch) ||
                !pairWithin(body, m_start[next], m_start[next + 1], cz, cx + 1, cx + 1, batch)) {
                return;
            }
            // The next row's three buckets as one stretch, or each alone where they wrap
            // round the end of the list.
            const std::uint32_t first = bucketOf(cx - 1, cz + 1);
            const bool wraps = first + 2 > m_mask;
            for (std::uint32_t k = 0; k < (wraps ? 3u : 1u); ++k) {
                const std::uint32_t from = (first + k) & m_mask;
                const std::uint32_t last = wraps ? from : first + 2;
                if (!pairWithin(body, m_start[from], m_start[last + 1], cz + 1, cx - 1, cx + 1,
                                batch)) {
                    return;
                }
            }
        }
    }
    // Bodies kept aside are paired with every body not paired with nobody; two kept
    // aside, once, from the first of them.
    const std::size_t n = m_kind.size();
    for (std::size_t k = cut(m_loose.size(), part); k < cut(m_loose.size(), part + 1); ++k) {
        const auto loose = static_cast<std::size_t>(m_loose[k]);
        for (std::size_t j = 0; j < n; ++j) {
            if (j != loose && m_kind[j] != kApart && (m_kind[j] == kGridded || j > loose) &&
                !batch.add(static_cast<std::uint32_t>(loose), static_cast<std::uint32_t>(j))) {
                return;
            }
        }
    }
    batch.handOver();
}
