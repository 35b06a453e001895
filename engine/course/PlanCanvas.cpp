#include "course/PlanCanvas.h"

#include <algorithm>
#include <cmath>

namespace {

bool finite(const PlanPoint& p) {
    return std::isfinite(p.x) && std::isfinite(p.z);
}

} // namespace

PlanCanvas::PlanCanvas(std::uint8_t* rgba, int width, int height, const PlanPoint& low,
                       const PlanPoint& high, int margin)
    : m_rgba(rgba), m_width(width),
      m_height(height), m_centre{(low.x + high.x) / 2, (low.z + high.z) / 2},
      m_originX(width / 2.0), m_originY(height / 2.0) {
    const double spanX = high.x - low.x;
    const double spanZ = high.z - low.z;
    const double roomX = std::max(width - 2 * margin, 1);
    const double roomY = std::max(height - 2 * margin, 1);
    if (spanX > 0 || spanZ > 0) {
        m_scale = std::min(spanX > 0 ? roomX / spanX : roomY / spanZ,
                           spanZ > 0 ? roomY / spanZ : roomX / spanX);
    }
}

void PlanCanvas::set(int x, int y, Colour colour) {
    if (x < 0 || y < 0 || x >= m_width || y >= m_height) {
        return;
    }
    std::uint8_t* p = m_rgba + (static_cast<std::size_t>(y) * m_width + x) * 4;
    p[0] = colour.r;
    p[1] = colour.g;
    p[2] = colour.b;
    p[3] = 255;
}

void PlanCanvas::clear(Colour colour) {
    for (int y = 0; y < m_height; ++y) {
        for (int x = 0; x < m_width; ++x) {
            set(x, y, colour);
        }
    }
}

void PlanCanvas::fillTriangle(const PlanPoint& a, const PlanPoint& b, const PlanPoint& c,
                              Colour colour) {
    const PlanPoint p[3] = {
        {column(a.x), row(a.z)}, {column(b.x), row(b.z)}, {column(c.x), row(c.z)}};
    if (!finite(p[0]) || !finite(p[1]) || !finite(p[2]) || turn(p[0], p[1], p[2]) == 0) {
        return;
    }
    const auto bound = [](double v, int limit) {
        return static_cast<int>(std::clamp(v, 0.0, static_cast<double>(limit)));
    };
    const int x0 = bound(std::floor(std::min({p[0].x, p[1].x, p[2].x})), m_width - 1);
    const int x1 = bound(std::ceil(std::max({p[0].x, p[1].x, p[2].x})), m_width - 1);
    const int y0 = bound(std::floor(std::min({p[0].z, p[1].z, p[2].z})), m_height - 1);
    const int y1 = bound(std::ceil(std::max({p[0].z, p[1].z, p[2].z})), m_height - 1);
    for (int y = y0; y <= y1; ++y) {
        for (int x = x0; x <= x1; ++x) {
            if (inTriangle({x + 0.5, y + 0.5}, p[0], p[1], p[2])) {
                set(x, y, colour);
            }
        }
    }
}

void PlanCanvas::line(const PlanPoint& a, const PlanPoint& b, Colour colour) {
    const double x0 = column(a.x);
    const double y0 = row(a.z);
    const double x1 = column(b.x);
    const double y1 = row(b.z);
    if (!finite({x0, y0}) || !finite({x1, y1})) {
        return;
    }
    // A line reaching far beyond the picture is drawn no finer than one across it.
    const double across = 2.0 * (m_width + m_height);
    const int steps = static_cast<int>(
        std::min(std::ceil(std::max(std::fabs(x1 - x0), std::fabs(y1 - y0))), across));
    for (int k = 0; k <= steps; ++k) {
        const double t = steps == 0 ? 0.0 : static_cast<double>(k) / steps;
        set(static_cast<int>(std::floor(x0 + t * (x1 - x0))),
            static_cast<int>(std::floor(y0 + t * (y1 - y0))), colour);
    }
}

void PlanCanvas::ring(const PlanPoint& centre, double radius, double thickness, Colour colour) {
    const double cx = column(centre.x);
    const double cy = row(centre.z);
    if (!finite({cx, cy}) || std::fabs(cx) > m_width + radius + thickness ||
        std::fabs(cy) > m_height + radius + thickness) {
        return;
    }
    const double outer = radius + thickness / 2;
    for (int y = static_cast<int>(std::floor(cy - outer)); y <= static_cast<int>(cy + outer); ++y) {
        for (int x = static_cast<int>(std::floor(cx - outer)); x <= static_cast<int>(cx + outer);
             ++x) {
            const double d = std::hypot(x + 0.5 - cx, y + 0.5 - cy);
            if (std::fabs(d - radius) <= thickness / 2) {
                set(x, y, colour);
            }
        }
    }
}
