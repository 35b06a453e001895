#include "scene/LaidPoints.h"

#include "scene/CoursePoints.h"
#include "tw/assert.h"

void LaidPoints::add(const LPoint_t& dot, const LPoint_t& ground) {
    m_dotted.push_back(dot);
    m_calculated.push_back(ground);
    // Picks and the course read the two lists side by side.
    TW_ASSERT(m_dotted.size() == m_calculated.size());
    renumberPoints(m_dotted);
    renumberPoints(m_calculated);
}

bool LaidPoints::assign(const std::list<LPoint_t>& dotted, const std::list<LPoint_t>& calculated) {
    if (dotted.size() != calculated.size()) {
        return false;
    }
    m_dotted = dotted;
    m_calculated = calculated;
    return true;
}

void LaidPoints::clear() {
    m_dotted.clear();
    m_calculated.clear();
}
