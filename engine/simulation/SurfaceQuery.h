#pragma once

#include <array>
#include <atomic>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <memory>
#include <optional>
#include <span>
#include <vector>

#include "d3dx9/d3dx9math.h"
#include "scene/Course.h"

class StripGrid;
struct GroundTriangle;

using Strips = std::array<std::unique_ptr<StripGrid>, kStripCount>;

// Whether the segment p0-p1 crosses the triangle's plane strictly and its line passes
// through the triangle or its border. On a hit, point is the crossing. The test is
// watertight: a line through an edge or a corner that triangles share (the same
// positions, bit for bit) passes through at least one of them, whatever the rounding,
// and a line through an edge's extension, past its ends, passes through none.
bool segmentHitsTriangle(const D3DXVECTOR3& p0, const D3DXVECTOR3& p1, const D3DXVECTOR3& a,
                         const D3DXVECTOR3& b, const D3DXVECTOR3& c, D3DXVECTOR3* point);

// Where a vertical segment met the course surface.
struct SurfaceHit {
    float height = 0;
    int strip = 0;
    int row = 0;
    // Across the strip toward the road, as long as the strip is wide; zero on the road.
    D3DXVECTOR3 edge;
};

// Searches the strips for the first triangle that the vertical segment at (x, z)
// from yLow to yHigh crosses: rows from two behind startRow, wrapping around the
// loop; within a row, column by column, the strips from firstStrip on (wrapping),
// triangle 1 of a quad before triangle 2.
[[nodiscard]] bool findSurface(const Strips& strips, float x, float z, float yLow, float yHigh,
                               int startRow, int firstStrip, SurfaceHit* hit);

// The same search over every triangle of every strip in plain order, without hints.
// Slow; it is the reference the hinted search is checked against.
[[nodiscard]] bool findSurfaceByScan(const Strips& strips, float x, float z, float yLow,
                                     float yHigh, SurfaceHit* hit);

// A grid over the ground plane that lists, for each cell, the strip triangles lying
// within a small margin of it. The exact test accepts a triangle only if its outline,
// seen from above, holds the segment's (x, z) (it decides in double precision, far
// finer than the margin of 0.05), so find() runs the exact test on the few listed
// triangles near (x, z), in the order of findSurface, and gives the same hit as
// findSurface from the same hints, on edges and corners too. A point well inside a
// triangle's outline passes the second half of the test (on the triangle) whatever the
// rounding; for it only the crossing point is worked out. A triangle that no segment
// the index answers can cross (a face far above or below the bodies' reach) is not
// listed at all: the grid's size follows the course's ground plan, not its heights.
//
// Each triangle's plane and edge vector are worked out once, when the index is built,
// by the same float operations as the plain test, so the index is valid for exactly
// the strip positions it was built from: sync() compares them, bit for bit, with the
// strips' current positions. Building costs about as much as a few hundred plain
// searches, so new positions are indexed at once only when that many queries are to
// come; otherwise only once they have stayed the same from one call to the next, so
// that a course edited frame after frame with a few bodies on it is not indexed anew
// every frame.
class SurfaceIndex {
public:
    static constexpr std::size_t kQueriesWorthABuild = 400;
    // Whatever the coordinates, the cells list no more triangle references than this
    // many per triangle: where the triangles' margins are wide against the course, the
    // cells are made larger instead.
    static constexpr std::size_t kMostReferencesPerTriangle = 64;

    // Brings the index up to date with the strips before about `queries` searches;
    // true when find() may be used.
    [[nodiscard]] bool sync(const Strips& strips, std::size_t queries);
    bool ready() const { return m_ready; }
    // Whether the index is built for exactly these strips; it changes nothing.
    [[nodiscard]] bool current(const Strips& strips) const;

    // The result of findSurface(strips, ...) for the strips the index was built from.
    // A point off the grid's extent lies under no triangle, whatever the segment, and is
    // answered at once; over it, segments reaching beyond 2,000 up or down (the camera's)
    // are searched by findSurface itself.
    [[nodiscard]] bool find(const Strips& strips, float x, float z, float yLow, float yHigh,
                            int startRow, int firstStrip, SurfaceHit* hit) const;
    // find() for several points in turn with the first strip first, each searched from
    // the row of the hit before it (the first from startRow), as calls that pass the
    // hint on would be; what depends on the segment alone is worked out once. Stops at
    // the first point with no hit, and returns how many points had one.
    // With guesses (one per point), the triangle each point found last is tried first and
    // taken when the search could answer nothing else; each guess is left as the
    // triangle its point found. Any values will do: a guess that does not hold is
    // searched for as before, so the answers are the same with guesses or without.
    [[nodiscard]] std::size_t findInTurn(const Strips& strips, std::span<const float> x,
                                         std::span<const float> z, float yLow, float yHigh,
                                         int startRow, SurfaceHit* hits,
                                         std::uint32_t* guesses = nullptr) const;

    // Triangles listed in the cell of (x, z); for measurements and tests.
    std::size_t listedNear(float x, float z) const;
    // What the grid holds: its cells, and the triangle references listed in them.
    std::size_t cellCount() const { return m_ready ? m_cellStart.size() - 1 : 0; }
    std::size_t referenceCount() const { return m_ready ? m_entries.size() : 0; }
    // Queries find() and findInTurn() left to findSurface since the index was last built;
    // for measurements and tests.
    std::size_t plainSearches() const { return m_plainSearches.load(std::memory_order_relaxed); }

private:
    // Four floats worked on at once; comparing two gives a mask of four lanes.
    using Lanes = float __attribute__((vector_size(16)));
    using LaneMask = std::int32_t __attribute__((vector_size(16)));
    // Every lane of a comparison's mask is all ones or all zeros; read as two halves,
    // they are checked in two steps instead of four.
    static bool allSet(LaneMask mask) {
        std::uint64_t halves[2];
        std::memcpy(halves, &mask, sizeof halves);
        return (halves[0] & halves[1]) == ~std::uint64_t{0};
    }

    struct alignas(64) Outline {
        // Lanes 0 to 2 are the edges: near (within the margin) when nx * x + nz * z <= c
        // for all three, surely inside when <= inner for all three. Edges of a triangle
        // without a usable outline are left open (n = 0, c = +inf, inner = -inf). Lane 3
        // always passes (n = 0, c = inner = +inf). What the first test of a point reads,
        // the edges and the box, fills the first cache line: most triangles a search
        // looks at fail that test, and the second line is then never needed.
        Lanes nx, nz, c;
        // The box, as upper bounds on (x, z, -x, -z).
        Lanes box;
        Lanes inner;
        float minX() const { return -box[2]; }
        float minZ() const { return -box[3]; }
        float maxX() const { return box[0]; }
        float maxZ() const { return box[1]; }
        D3DXVECTOR3 normal; // the plane: normal . p + offset = 0
        float offset;
        D3DXVECTOR3 edge; // what a hit reports as its edge vector
        std::uint32_t row;
        std::uint32_t column;
        std::uint8_t strip;
        std::uint8_t triangle; // 0 or 1
        bool listed;           // false: no segment the index answers can cross it
        bool alone;            // no other triangle of its cells reaches into it
    };

    // A rectangle of the ground plane.
    struct Box {
        double minX, minZ, maxX, maxZ;

        void take(double x0, double z0, double x1, double z1);
        double width() const;
        double depth() const;
    };

    // Whether the positions kept are the strips', bit for bit.
    [[nodiscard]] bool indexes(const Strips& strips) const;
    void build(const Strips& strips);
    void outline(const Strips& strips, std::size_t id, double largestGround, Outline* out,
                 GroundTriangle* ground) const;
    static bool withinReach(const Outline& o, const D3DXVECTOR3& a, const Box& box);
    void layCells(const Box& extent, std::size_t listed);
    [[nodiscard]] bool cellOf(float x, float z, std::size_t* cell) const;
    // Whether the index answers segments from yLow to yHigh over the grid; what it does
    // not answer, findSurface searches.
    [[nodiscard]] bool answersSegment(float yLow, float yHigh) const;
    // Whether (x, z) lies within the grid's extent; no triangle lies under a point beyond.
    [[nodiscard]] bool covers(float x, float z) const;
    [[nodiscard]] bool plainSearch(const Strips& strips, float x, float z, float yLow, float yHigh,
                                   int startRow, int firstStrip, SurfaceHit* hit) const;
    // The search through the triangles listed in the cell of (x, z), for a segment the
    // index answers; `up` is the segment's direction, as the plain test works it out.
    // `triangle` is left as the last triangle looked at: the hit's, when there is one.
    [[nodiscard]] bool findListed(const Strips& strips, float x, float z, float yLow, float yHigh,
                                  const D3DXVECTOR3& up, int startRow, std::size_t cell,
                                  SurfaceHit* hit, std::uint32_t* triangle) const;
    // The answer when (x, z) lies surely inside triangle `id` and that triangle alone.
    [[nodiscard]] bool hitsAlone(std::uint32_t id, float x, float z, float yLow, float yHigh,
                                 const D3DXVECTOR3& up, SurfaceHit* hit) const;
    [[nodiscard]] static std::optional<float> crossingHeight(const Outline& o,
                                                             const D3DXVECTOR3& p0,
                                                             const D3DXVECTOR3& p1,
                                                             const D3DXVECTOR3& up);
    static void take(const Outline& o, float height, SurfaceHit* hit);

    bool m_ready = false;
    int m_columns = 0;
    int m_rows = 0;
    std::vector<float> m_positions;  // x, y, z of every strip vertex, strip by strip
    std::vector<Outline> m_outlines; // by triangle id
    double m_originX = 0;
    double m_originZ = 0;
    double m_cell = 1;
    float m_inverseCell = 1;
    int m_cellsX = 0;
    int m_cellsZ = 0;
    // A triangle that no segment the index answers can cross anywhere over this box (which
    // holds every point a triangle may lie under) is not listed.
    Box m_far{};
    // Whether the cells list every triangle, so that a point's cell holds every triangle
    // it lies over, whatever the segment.
    bool m_everyTriangleListed = false;
    // The ground plan of the strips and the margin around it, which the cells cover.
    Box m_extent{};
    std::vector<std::uint32_t> m_cellStart;
    std::vector<std::uint32_t> m_entries; // triangle ids, ascending within a cell
    // Counted from several threads at once, and only off the hot path.
    mutable std::atomic<std::size_t> m_plainSearches{0};
};
