#include "scene/Bodies.h"

#include <algorithm>

#include "tw/assert.h"

void Bodies::reserve(std::size_t bodies) {
    m_bodies.reserve(bodies);
    m_hints.reserve(bodies);
    m_idAt.reserve(bodies);
    m_indexOf.reserve(bodies);
}

BodyId Bodies::add(const CSceneObject& body) {
    BodyId id{};
    if (m_freeIds.empty()) {
        id = BodyId{static_cast<std::uint32_t>(m_indexOf.size())};
        m_indexOf.push_back(kFree);
    } else {
        id = m_freeIds.back();
        m_freeIds.pop_back();
    }
    m_indexOf[static_cast<std::uint32_t>(id)] = static_cast<std::uint32_t>(m_bodies.size());
    m_bodies.push_back(body);
    m_hints.emplace_back();
    m_idAt.push_back(id);
    return id;
}

std::size_t Bodies::remove(BodyId id) {
    const std::size_t index = indexOf(id);
    const auto at = static_cast<std::ptrdiff_t>(index);
    m_bodies.erase(m_bodies.begin() + at);
    m_hints.erase(m_hints.begin() + at);
    m_idAt.erase(m_idAt.begin() + at);
    for (std::size_t i = index; i < m_idAt.size(); ++i) {
        m_indexOf[static_cast<std::uint32_t>(m_idAt[i])] = static_cast<std::uint32_t>(i);
    }
    m_indexOf[static_cast<std::uint32_t>(id)] = kFree;
    m_freeIds.push_back(id);
    return index;
}

void Bodies::clear() {
    m_bodies.clear();
    m_hints.clear();
    m_idAt.clear();
    m_indexOf.clear();
    m_freeIds.clear();
}

bool Bodies::contains(BodyId id) const {
    const auto slot = static_cast<std::uint32_t>(id);
    return slot < m_indexOf.size() && m_indexOf[slot] != kFree;
}

std::size_t Bodies::indexOf(BodyId id) const {
    TW_ASSERT(contains(id));
    return m_indexOf[static_cast<std::uint32_t>(id)];
}
