#pragma once

#include <map>
#include <utility>
#include <vector>

#include "d3dx9/d3dx9math.h"

// The outline of a region in the ground plane as a set of directed edges between
// positions, running round the region the way `orientation` says (+1 counter-
// clockwise seen from above, as signedArea2 counts; -1 clockwise). Positions are
// told apart by their x and z, exactly: edges that meet share their end points.
class FieldOutline {
public:
    // The outline of the region inside the given simple loops, each running the
    // orientation's way (they may touch at corners).
    FieldOutline(const std::vector<std::vector<D3DXVECTOR3>>& loops, int orientation);

    // Whether the outline holds the edge from a to b.
    bool has(const D3DXVECTOR3& a, const D3DXVECTOR3& b) const;

    // Takes a piece of the region away, given as a loop round it running the same
    // way: where the piece's edge lies on the outline the outline loses it, anywhere
    // else the outline gains it the other way round.
    void cut(const std::vector<D3DXVECTOR3>& piece);

    // The loops the edges make, each round one part of the region. Where parts touch
    // at a corner, each leaves it by the edge that keeps its own inside next to it.
    std::vector<std::vector<D3DXVECTOR3>> loops() const;

private:
    struct Key {
        float x;
        float z;
        auto operator<=>(const Key&) const = default;
    };
    static Key keyOf(const D3DXVECTOR3& p) { return {p.x, p.z}; }
    void add(const D3DXVECTOR3& a, const D3DXVECTOR3& b);

    int m_orientation;
    std::map<std::pair<Key, Key>, int> m_edges;
    std::map<Key, D3DXVECTOR3> m_positions;
};
