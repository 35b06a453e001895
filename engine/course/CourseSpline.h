#pragma once

#include <array>
#include <vector>

// A closed cubic Hermite spline through a loop of points, sampled strictly in
// sequence. Positions are kept in units of 1/scale while the tangents are unit
// chord directions, so the scale sets how strongly the curve bends between points.
class CCourseSpline {
public:
    using Position = std::array<double, 3>;

    static constexpr int kDefaultSteps = 1000;
    static constexpr int kMaxSamples = 5000;

    explicit CCourseSpline(float scale = 50.0f) : m_scale(scale) {}
    virtual ~CCourseSpline() = default;

    // Appends a point; it is stored divided by the scale.
    void add(float x, float y, float z);

    // Computes the positions, tangents and samples per segment. Needs three points or
    // more; with fewer it does nothing and the spline stays unbuilt.
    void build();
    bool isBuilt() const { return !m_positions.empty(); }

    // Advances the cursor by one step and returns the position there. The first call
    // on a fresh spline yields t = 1/steps of segment 0; each later segment starts at
    // t = 0, repeating the end of the one before. An unbuilt spline yields the origin.
    Position evaluate();

    int count() const { return m_count; }
    int steps() const { return m_steps; }
    float scale() const { return m_scale; }
    // Samples a full run covers: count x steps (0 until built).
    int sampleCount() const { return isBuilt() ? m_count * m_steps : 0; }

    const std::vector<Position>& positions() const { return m_positions; }
    const std::vector<Position>& tangents() const { return m_tangents; }

private:
    std::vector<std::array<float, 3>> m_input;
    int m_count = 0;
    int m_steps = kDefaultSteps;
    std::vector<Position> m_positions;
    std::vector<Position> m_tangents;
    int m_segment = 0;
    int m_step = 0;
    float m_scale;
};
