#include "shell/MakeFieldMapping.h"

#include <array>
#include <cmath>

namespace {

// Solves m x = r for a 3 x 3 system by Cramer's rule; nothing when m is singular.
std::optional<std::array<double, 3>> solve(const double (&m)[3][3], const double (&r)[3]) {
    const auto det = [](const double(&c)[3][3]) {
        return c[0][0] * (c[1][1] * c[2][2] - c[1][2] * c[2][1]) -
               c[0][1] * (c[1][0] * c[2][2] - c[1][2] * c[2][0]) +
               c[0][2] * (c[1][0] * c[2][1] - c[1][1] * c[2][0]);
    };
    const double d = det(m);
    if (std::fabs(d) < 1e-9) {
        return std::nullopt;
    }
    std::array<double, 3> x{};
    for (int column = 0; column < 3; ++column) {
        double replaced[3][3];
        for (int i = 0; i < 3; ++i) {
            for (int j = 0; j < 3; ++j) {
                replaced[i][j] = j == column ? r[i] : m[i][j];
            }
        }
        x[static_cast<std::size_t>(column)] = det(replaced) / d;
    }
    return x;
}

} // namespace

std::optional<MakeFieldMapping> MakeFieldMapping::fromPoints(const std::vector<Pair>& pairs) {
    // The normal equations of the least-squares fit, one per view axis.
    double m[3][3] = {};
    double rx[3] = {};
    double ry[3] = {};
    for (const Pair& pair : pairs) {
        const double g[3] = {pair.ground.x(), pair.ground.y(), 1.0};
        for (int i = 0; i < 3; ++i) {
            for (int j = 0; j < 3; ++j) {
                m[i][j] += g[i] * g[j];
            }
            rx[i] += g[i] * pair.pixel.x();
            ry[i] += g[i] * pair.pixel.y();
        }
    }
    const auto a = solve(m, rx);
    const auto b = solve(m, ry);
    if (pairs.size() < 3 || !a || !b) {
        return std::nullopt;
    }
    MakeFieldMapping mapping;
    for (int i = 0; i < 3; ++i) {
        mapping.a_[i] = (*a)[static_cast<std::size_t>(i)];
        mapping.b_[i] = (*b)[static_cast<std::size_t>(i)];
    }
    return mapping;
}

QPointF MakeFieldMapping::pixelOfLaid(float x, float z) const {
    const double gx = x;
    const double gz = z;
    return {a_[0] * gx + a_[1] * gz + a_[2], b_[0] * gx + b_[1] * gz + b_[2]};
}
