#include "simulation/CoincidentCentres.h"

#include <algorithm>
#include <bit>
#include <cmath>
#include <cstring>
#include <numbers>

#include "scene/SceneObject.h"
#include "tw/assert.h"

namespace {

// How far beyond their contact distance the spread bodies stand.
constexpr float kSpacingMargin = 0.05f;
const double kGoldenAngle = std::numbers::pi * (3.0 - std::sqrt(5.0));

bool takesPart(const PairFinder::Sphere& sphere) {
    return std::isfinite(sphere.x) && std::isfinite(sphere.z) && std::isfinite(sphere.radius) &&
           sphere.radius != 0;
}

// The bits of a coordinate, with -0 and +0 made one.
std::uint32_t bitsOf(float value) {
    const float plain = value + 0.0f;
    std::uint32_t bits;
    std::memcpy(&bits, &plain, sizeof bits);
    return bits;
}

} // namespace

int CoincidentCentres::firstAt(std::span<const PairFinder::Sphere> spheres, int index) {
    const PairFinder::Sphere& at = spheres[static_cast<std::size_t>(index)];
    std::uint64_t h = bitsOf(at.x) * 0x9E3779B97F4A7C15ull ^ bitsOf(at.z) * 0xC2B2AE3D27D4EB4Full;
    h ^= h >> 29;
    const std::size_t mask = m_table.size() - 1;
    for (std::size_t slot = h & mask;; slot = (slot + 1) & mask) {
        const int first = m_table[slot];
        if (first < 0) {
            m_table[slot] = index;
            return index;
        }
        const PairFinder::Sphere& there = spheres[static_cast<std::size_t>(first)];
        if (there.x == at.x && there.z == at.z) {
            return first;
        }
    }
}

std::size_t CoincidentCentres::separate(std::span<const PairFinder::Sphere> spheres,
                                        std::span<CSceneObject> bodies) {
    TW_ASSERT(spheres.size() == bodies.size());
    const std::size_t n = bodies.size();
    m_firstOf.assign(n, -1);
    m_table.assign(std::bit_ceil(std::max<std::size_t>(2 * n, 16)), -1);
    bool anyShared = false;
    for (std::size_t i = 0; i < n; ++i) {
        if (takesPart(spheres[i])) {
            m_firstOf[i] = firstAt(spheres, static_cast<int>(i));
            anyShared = anyShared || m_firstOf[i] != static_cast<int>(i);
        }
    }
    return anyShared ? spread(bodies) : 0;
}

std::size_t CoincidentCentres::spread(std::span<CSceneObject> bodies) {
    const std::size_t n = bodies.size();
    m_groups.assign(n, Group{0, 0, false, 0.0f});
    for (std::size_t i = 0; i < n; ++i) {
        if (m_firstOf[i] >= 0) {
            const CSceneObject& body = bodies[i];
            Group& group = m_groups[m_firstOf[i]];
            ++group.members;
            group.holdsFixed = group.holdsFixed || !body.movable;
            group.largestRadius = std::max(group.largestRadius, std::abs(body.radius));
        }
    }

    std::size_t moved = 0;
    for (std::size_t i = 0; i < n; ++i) {
        CSceneObject& body = bodies[i];
        if (m_firstOf[i] < 0 || !body.movable) {
            continue;
        }
        Group& group = m_groups[m_firstOf[i]];
        if (group.members < 2) {
            continue;
        }
        const int rank = group.placed++ + (group.holdsFixed ? 1 : 0);
        if (rank == 0) {
            continue;
        }
        const double spacing = 2.0 * group.largestRadius * (1.0 + kSpacingMargin);
        const double out = spacing * std::sqrt(static_cast<double>(rank));
        const double angle = kGoldenAngle * rank;
        body.position.x = static_cast<float>(body.position.x + out * std::cos(angle));
        body.position.z = static_cast<float>(body.position.z + out * std::sin(angle));
        body.stepPosition.x = body.position.x;
        body.stepPosition.z = body.position.z;
        ++moved;
    }
    return moved;
}
