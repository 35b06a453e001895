#include "course/PlanGeometry.h"

#include <algorithm>
#include <cmath>
#include <limits>
#include <utility>

namespace {

bool strictlyApart(double a, double b) {
    return (a > 0 && b < 0) || (a < 0 && b > 0);
}

double signedArea2(const PlanPolygon& polygon) {
    double sum = 0;
    for (std::size_t i = 0, j = polygon.size() - 1; i < polygon.size(); j = i++) {
        sum += polygon[j].x * polygon[i].z - polygon[i].x * polygon[j].z;
    }
    return sum;
}

// The part of the polygon on the left of the directed line from c0 to c1.
PlanPolygon keepLeftOf(const PlanPolygon& polygon, const PlanPoint& c0, const PlanPoint& c1) {
    PlanPolygon kept;
    for (std::size_t i = 0; i < polygon.size(); ++i) {
        const PlanPoint& p = polygon[i];
        const PlanPoint& q = polygon[(i + 1) % polygon.size()];
        const double sp = turn(c0, c1, p);
        const double sq = turn(c0, c1, q);
        if (sp >= 0) {
            kept.push_back(p);
        }
        if (strictlyApart(sp, sq)) {
            const double t = sp / (sp - sq);
            kept.push_back({p.x + t * (q.x - p.x), p.z + t * (q.z - p.z)});
        }
    }
    return kept;
}

} // namespace

double turn(const PlanPoint& a, const PlanPoint& b, const PlanPoint& c) {
    return (b.x - a.x) * (c.z - a.z) - (b.z - a.z) * (c.x - a.x);
}

std::optional<PlanPoint> crossing(const PlanPoint& a, const PlanPoint& b, const PlanPoint& c,
                                  const PlanPoint& d) {
    const double c1 = turn(a, b, c);
    const double d1 = turn(a, b, d);
    const double a1 = turn(c, d, a);
    const double b1 = turn(c, d, b);
    if (!strictlyApart(c1, d1) || !strictlyApart(a1, b1)) {
        return std::nullopt;
    }
    const double t = a1 / (a1 - b1);
    return PlanPoint{a.x + t * (b.x - a.x), a.z + t * (b.z - a.z)};
}

// Segments are swept along the loop's longer extent: only those whose spans on that
// axis overlap are compared, which keeps a loop of thousands of samples quick.
std::vector<PlanPoint> selfCrossings(const std::vector<PlanPoint>& loop) {
    const std::size_t n = loop.size();
    if (n < 4) {
        return {};
    }
    double minX = loop[0].x;
    double maxX = minX;
    double minZ = loop[0].z;
    double maxZ = minZ;
    for (const PlanPoint& p : loop) {
        minX = std::min(minX, p.x);
        maxX = std::max(maxX, p.x);
        minZ = std::min(minZ, p.z);
        maxZ = std::max(maxZ, p.z);
    }
    const bool alongX = maxX - minX >= maxZ - minZ;
    struct Span {
        double lo, hi, otherLo, otherHi;
        std::size_t segment;
    };
    std::vector<Span> spans;
    spans.reserve(n);
    for (std::size_t i = 0; i < n; ++i) {
        const PlanPoint& a = loop[i];
        const PlanPoint& b = loop[(i + 1) % n];
        // A point that overflowed crosses nothing and would leave the sweep unordered.
        if (!std::isfinite(a.x) || !std::isfinite(a.z) || !std::isfinite(b.x) ||
            !std::isfinite(b.z)) {
            continue;
        }
        const double a1 = alongX ? a.x : a.z;
        const double b1 = alongX ? b.x : b.z;
        const double a2 = alongX ? a.z : a.x;
        const double b2 = alongX ? b.z : b.x;
        spans.push_back(
            {std::min(a1, b1), std::max(a1, b1), std::min(a2, b2), std::max(a2, b2), i});
    }
    std::sort(spans.begin(), spans.end(), [](const Span& l, const Span& r) { return l.lo < r.lo; });

    std::vector<std::pair<std::size_t, PlanPoint>> found;
    for (std::size_t k = 0; k < spans.size(); ++k) {
        const Span& s = spans[k];
        for (std::size_t l = k + 1; l < spans.size() && spans[l].lo <= s.hi; ++l) {
            const Span& t = spans[l];
            const std::size_t apart =
                s.segment > t.segment ? s.segment - t.segment : t.segment - s.segment;
            if (t.otherLo > s.otherHi || s.otherLo > t.otherHi || apart <= 1 || apart == n - 1) {
                continue;
            }
            const std::size_t i = s.segment;
            const std::size_t j = t.segment;
            if (const auto at = crossing(loop[i], loop[(i + 1) % n], loop[j], loop[(j + 1) % n])) {
                found.emplace_back(std::min(i, j), *at);
            }
        }
    }
    // In the order of the loop, so that the first crossing reported is the first met.
    std::sort(found.begin(), found.end(),
              [](const auto& l, const auto& r) { return l.first < r.first; });
    std::vector<PlanPoint> points;
    points.reserve(found.size());
    for (const auto& [segment, at] : found) {
        points.push_back(at);
    }
    return points;
}

double circumradius(const PlanPoint& a, const PlanPoint& b, const PlanPoint& c) {
    const double area2 = std::fabs(turn(a, b, c));
    if (area2 == 0) {
        return std::numeric_limits<double>::infinity();
    }
    const double ab = std::hypot(b.x - a.x, b.z - a.z);
    const double bc = std::hypot(c.x - b.x, c.z - b.z);
    const double ca = std::hypot(a.x - c.x, a.z - c.z);
    return ab * bc * ca / (2 * area2);
}

double insideness(const PlanPoint& p, const PlanPoint& a, const PlanPoint& b, const PlanPoint& c) {
    const double whole = turn(a, b, c);
    if (whole == 0) {
        return -std::numeric_limits<double>::infinity();
    }
    return std::min({turn(b, c, p) / whole, turn(c, a, p) / whole, turn(a, b, p) / whole});
}

bool inTriangle(const PlanPoint& p, const PlanPoint& a, const PlanPoint& b, const PlanPoint& c) {
    return insideness(p, a, b, c) >= 0;
}

PlanPolygon clipConvex(const PlanPolygon& subject, const PlanPolygon& clip) {
    if (subject.size() < 3 || clip.size() < 3) {
        return {};
    }
    PlanPolygon window = clip;
    if (signedArea2(window) < 0) {
        std::reverse(window.begin(), window.end());
    }
    PlanPolygon result = subject;
    for (std::size_t i = 0; i < window.size() && !result.empty(); ++i) {
        result = keepLeftOf(result, window[i], window[(i + 1) % window.size()]);
    }
    return result;
}

double areaOf(const PlanPolygon& polygon) {
    return polygon.size() < 3 ? 0.0 : std::fabs(signedArea2(polygon)) / 2;
}

PlanPoint centroidOf(const PlanPolygon& polygon) {
    if (polygon.empty()) {
        return {};
    }
    const double area2 = polygon.size() < 3 ? 0.0 : signedArea2(polygon);
    if (area2 == 0) {
        PlanPoint sum;
        for (const PlanPoint& p : polygon) {
            sum.x += p.x;
            sum.z += p.z;
        }
        return {sum.x / static_cast<double>(polygon.size()),
                sum.z / static_cast<double>(polygon.size())};
    }
    PlanPoint sum;
    for (std::size_t i = 0, j = polygon.size() - 1; i < polygon.size(); j = i++) {
        const double w = polygon[j].x * polygon[i].z - polygon[i].x * polygon[j].z;
        sum.x += (polygon[j].x + polygon[i].x) * w;
        sum.z += (polygon[j].z + polygon[i].z) * w;
    }
    return {sum.x / (3 * area2), sum.z / (3 * area2)};
}
