#pragma once

#include <cstddef>
#include <list>
#include <string>

#include "scene/Course.h"
#include "tumbleway/FiniteNumbers.h"

// A host's record may carry numbers that are not finite (a reader that let them
// through, or a record made by hand); one of them would make the whole course, and
// every body that meets it, NaN. Elements holding one are left out and counted.
class NonFiniteElements {
public:
    template <typename Element>
    bool refuse(const Element& element) {
        const bool refused = !allFinite(element);
        m_count += refused ? 1 : 0;
        return refused;
    }

    std::list<LPoint_t> finitePoints(const std::list<LPoint_t>& points) {
        std::list<LPoint_t> kept;
        for (const LPoint_t& point : points) {
            if (!refuse(point)) {
                kept.push_back(point);
            }
        }
        return kept;
    }

    // Tells the user once how many elements were left out, if any.
    void report() const {
        if (m_count == 0) {
            return;
        }
        const std::string text = "Left out " + std::to_string(m_count) +
                                 (m_count == 1 ? " element of the scene: a number in it"
                                               : " elements of the scene: a number in each") +
                                 " is not finite (NaN or infinite).";
        MessageBoxA(nullptr, text.c_str(), "Tumble Way", MB_OK | MB_ICONERROR);
    }

private:
    std::size_t m_count = 0;
};
