#pragma once

#include <cstdint>
#include <span>
#include <vector>

// A triangle of the course seen from above: its corners' x and z.
struct GroundTriangle {
    double x[3];
    double z[3];
};

// Which of a grid's triangles lie alone: no other triangle listed in a cell with it
// reaches into it beyond `inset` of its border, seen from above. A point more than
// `inset` inside a lone triangle lies under no other triangle of its cell, so a search
// of the cell answers that triangle whatever order it searches in. The cells are
// given as lists of triangle numbers (entries[cellStart[c]] to entries[cellStart[c +
// 1]]). A triangle too thin to have a point that far inside is not alone.
std::vector<std::uint8_t> loneTriangles(std::span<const GroundTriangle> triangles,
                                        std::span<const std::uint32_t> cellStart,
                                        std::span<const std::uint32_t> entries, double inset);
