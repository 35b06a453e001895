#include "course/CourseSpline.h"

#include <cmath>

void CCourseSpline::add(float x, float y, float z) {
    m_input.push_back({x / m_scale, y / m_scale, z / m_scale});
    ++m_count;
}

void CCourseSpline::build() {
    if (m_count < 3) {
        return;
    }
    // Fewer samples per segment for longer loops keep every course within kMaxSamples.
    if (m_count > 5) {
        m_steps = kMaxSamples / m_count;
    }
    m_positions.clear();
    for (const auto& p : m_input) {
        m_positions.push_back({p[0], p[1], p[2]});
    }
    m_tangents.assign(m_count, Position{0, 0, 0});
    for (int i = 0; i < m_count; ++i) {
        const Position& a = m_positions[i];
        const Position& b = m_positions[(i + 1) % m_count];
        const double dx = b[0] - a[0];
        const double dy = b[1] - a[1];
        const double dz = b[2] - a[2];
        const double length = std::sqrt(dx * dx + dy * dy + dz * dz);
        if (length != 0.0) {
            m_tangents[i] = {dx / length, dy / length, dz / length};
        }
    }
}

CCourseSpline::Position CCourseSpline::evaluate() {
    if (!isBuilt()) {
        return {0, 0, 0};
    }
    if (m_step >= m_steps) {
        m_segment = (m_segment + 1) % m_count;
        m_step = -1;
    }
    ++m_step;
    const double t = static_cast<double>(m_step) / m_steps;
    const double t2 = t * t;
    const double t3 = t2 * t;
    const double h1 = 2 * t3 - 3 * t2 + 1;
    const double h2 = -2 * t3 + 3 * t2;
    const double h3 = t3 - 2 * t2 + t;
    const double h4 = t3 - t2;
    const int next = (m_segment + 1) % m_count;
    Position result{};
    for (int k = 0; k < 3; ++k) {
        result[k] = h1 * m_positions[m_segment][k] + h2 * m_positions[next][k] +
                    h3 * m_tangents[m_segment][k] + h4 * m_tangents[next][k];
    }
    return result;
}
