// What the benchmark of the engine beside Bullet compares the two by: the frame both
// step, speeds in units per second, and how many bodies were moving and on the course
// over the timed frames (a simulation whose bodies have all stopped, or fallen off,
// would be timed doing nothing).
#pragma once

#include <cmath>

namespace bench {

constexpr int kFramesPerSecond = 60;
// A body slower than this (units per second) counts as at rest: a hundredth of the
// slowest start speed of the pack.
constexpr double kMovingSpeed = 0.015;

// How far below and above a point the course surface under it is looked for.
constexpr float kSurfaceReach = 1000.0f;

// The engine's speeds are per frame, and a step moves a body by half its speed.
inline double unitsPerSecond(float engineSpeed) {
    return std::abs(engineSpeed) / 2.0 * kFramesPerSecond;
}

// Shares of the bodies (0 to 1): moving faster than kMovingSpeed, and touching the
// course surface.
struct Activity {
    double moving = 0;
    double touching = 0;
};

// The mean activity over the frames it was given.
class ActivityTally {
public:
    void add(const Activity& frame) {
        m_sum.moving += frame.moving;
        m_sum.touching += frame.touching;
        ++m_frames;
    }
    Activity mean() const {
        if (m_frames == 0) {
            return {};
        }
        return {m_sum.moving / m_frames, m_sum.touching / m_frames};
    }

private:
    Activity m_sum;
    int m_frames = 0;
};

} // namespace bench
