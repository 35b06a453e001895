#include "scene/RelationTable.h"

void RelationTable::add(const std::string& first, const std::string& second,
                        const std::string& wav) {
    m_table[first].emplace(second, wav);
}

RelationTable::Answer RelationTable::lookup(const std::string& first,
                                            const std::string& second) const {
    const auto outer = m_table.find(first);
    if (outer != m_table.end()) {
        const auto inner = outer->second.find(second);
        if (inner != outer->second.end()) {
            return {1, inner->second};
        }
    }
    return {-1, kNoData};
}

RelationTable::Answer RelationTable::remove(const std::string& first, const std::string& second) {
    const auto outer = m_table.find(first);
    if (outer == m_table.end()) {
        return {-1, kNoData};
    }
    const auto inner = outer->second.find(second);
    if (inner == outer->second.end()) {
        return {-1, kNoData};
    }
    Answer answer{1, inner->second};
    outer->second.erase(inner);
    if (outer->second.empty()) {
        m_table.erase(outer);
    }
    return answer;
}
