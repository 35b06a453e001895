#pragma once

#include <bit>
#include <cstdint>
#include <utility>

// The cosine and sine of an angle, worked out again only when the angle changes, bit for
// bit (so that -0 and 0, whose sines differ in sign, are told apart).
class CachedTurn {
public:
    template <typename Turn>
    std::pair<float, float> of(float angle, Turn turn) {
        const auto bits = std::bit_cast<std::uint32_t>(angle);
        if (!m_known || bits != m_angle) {
            m_turn = turn(angle);
            m_angle = bits;
            m_known = true;
        }
        return m_turn;
    }

private:
    std::pair<float, float> m_turn{};
    std::uint32_t m_angle = 0;
    bool m_known = false;
};

// What settling a body worked out one frame that the next can use again: a body moves a
// fraction of a triangle a frame, seldom turns, and keeps its tilts while the ground
// under it stays flat. Any values give the same results as none, only later.
struct SettleCache {
    // The surface grid's triangles where the footprint's five samples found the course;
    // the next search tries each first.
    std::uint32_t triangle[5] = {~0u, ~0u, ~0u, ~0u, ~0u};
    CachedTurn footprint; // of the body's yaw read as degrees
    CachedTurn world;     // of the world matrix's yaw angle
    CachedTurn pitch;     // of its tilts, for the world matrix
    CachedTurn roll;
};
