#pragma once

#include <cstddef>
#include <list>

#include "tumbleway/tumbleway.h"

// The points of the course being laid, before it is created: each click adds one
// dotted point (view pixels) and one calculated point (ground position), and point k
// of the one list is point k of the other. The course editor selects and raises the
// points in place.
class LaidPoints {
public:
    // Adds a click's pair and numbers both lists from 0.
    void add(const LPoint_t& dot, const LPoint_t& ground);
    // Replaces both lists; false, with nothing changed, when they differ in length.
    [[nodiscard]] bool assign(const std::list<LPoint_t>& dotted,
                              const std::list<LPoint_t>& calculated);
    void clear();
    bool any() const { return !m_dotted.empty(); }
    std::size_t size() const { return m_dotted.size(); }
    std::list<LPoint_t>& dotted() { return m_dotted; }
    const std::list<LPoint_t>& dotted() const { return m_dotted; }
    std::list<LPoint_t>& calculated() { return m_calculated; }
    const std::list<LPoint_t>& calculated() const { return m_calculated; }

private:
    std::list<LPoint_t> m_dotted;
    std::list<LPoint_t> m_calculated;
};
