#include "course/FieldOutline.h"

#include <cmath>
#include <numbers>

namespace {

constexpr double kTurn = 2 * std::numbers::pi;

} // namespace

FieldOutline::FieldOutline(const std::vector<std::vector<D3DXVECTOR3>>& loops, int orientation)
    : m_orientation(orientation) {
    for (const auto& loop : loops) {
        for (std::size_t i = 0; i < loop.size(); ++i) {
            add(loop[i], loop[(i + 1) % loop.size()]);
        }
    }
}

void FieldOutline::add(const D3DXVECTOR3& a, const D3DXVECTOR3& b) {
    const Key from = keyOf(a);
    const Key to = keyOf(b);
    if (from == to) {
        return;
    }
    m_positions.try_emplace(from, a);
    m_positions.try_emplace(to, b);
    ++m_edges[{from, to}];
}

bool FieldOutline::has(const D3DXVECTOR3& a, const D3DXVECTOR3& b) const {
    return m_edges.count({keyOf(a), keyOf(b)}) != 0;
}

void FieldOutline::cut(const std::vector<D3DXVECTOR3>& piece) {
    for (std::size_t i = 0; i < piece.size(); ++i) {
        const D3DXVECTOR3& a = piece[i];
        const D3DXVECTOR3& b = piece[(i + 1) % piece.size()];
        const auto at = m_edges.find({keyOf(a), keyOf(b)});
        if (at == m_edges.end()) {
            add(b, a);
        } else if (--at->second == 0) {
            m_edges.erase(at);
        }
    }
}

std::vector<std::vector<D3DXVECTOR3>> FieldOutline::loops() const {
    struct Edge {
        Key from;
        Key to;
        bool used = false;
    };
    std::vector<Edge> edges;
    std::map<Key, std::vector<std::size_t>> leaving;
    for (const auto& [ends, count] : m_edges) {
        for (int k = 0; k < count; ++k) {
            leaving[ends.first].push_back(edges.size());
            edges.push_back({ends.first, ends.second});
        }
    }
    auto angle = [this](const Key& from, const Key& to) {
        const D3DXVECTOR3& a = m_positions.at(from);
        const D3DXVECTOR3& b = m_positions.at(to);
        return std::atan2(static_cast<double>(b.z) - a.z, static_cast<double>(b.x) - a.x);
    };
    // Arriving at a corner, the inside lies on the orientation's side of the way in;
    // of the ways out, the one turned least from the way back, on that side, keeps it.
    auto next = [&](std::size_t arriving) {
        const Edge& in = edges[arriving];
        const auto& ways = leaving[in.to];
        if (ways.size() == 1) {
            return ways.front();
        }
        const double back = angle(in.to, in.from);
        std::size_t best = arriving;
        double bestTurn = kTurn + 1;
        for (std::size_t out : ways) {
            double turn = m_orientation * (back - angle(in.to, edges[out].to));
            turn -= kTurn * std::floor(turn / kTurn);
            turn = turn == 0 ? kTurn : turn; // straight back comes last
            if (turn < bestTurn) {
                bestTurn = turn;
                best = out;
            }
        }
        return best;
    };
    std::vector<std::vector<D3DXVECTOR3>> out;
    for (std::size_t start = 0; start < edges.size(); ++start) {
        std::vector<D3DXVECTOR3> loop;
        for (std::size_t e = start; !edges[e].used; e = next(e)) {
            edges[e].used = true;
            loop.push_back(m_positions.at(edges[e].from));
            if (leaving[edges[e].to].empty()) {
                break; // an outline that does not close: nothing to follow
            }
        }
        if (loop.size() >= 3) {
            out.push_back(std::move(loop));
        }
    }
    return out;
}
