#include "scene/PlacedMeshes.h"

#include <iterator>

void PlacedMeshes::reserve(std::size_t placements) {
    m_bodies.reserve(placements);
    m_placementAt.reserve(placements);
    m_ids.reserve(placements);
}

XfilePlacement& PlacedMeshes::add(XfilePlacement placement, const CSceneObject& body) {
    placement.body = m_bodies.add(body);
    XfilePlacement& added = m_records.emplace_back(std::move(placement));
    m_placementAt.push_back(&added);
    m_ids.push_back(added.id());
    return added;
}

PlacedMeshes::iterator PlacedMeshes::erase(const_iterator placement) {
    const auto index = static_cast<std::ptrdiff_t>(m_bodies.remove(placement->body));
    m_placementAt.erase(m_placementAt.begin() + index);
    m_ids.erase(m_ids.begin() + index);
    return m_records.erase(placement);
}

void PlacedMeshes::clear() {
    m_records.clear();
    m_bodies.clear();
    m_placementAt.clear();
    m_ids.clear();
}

void PlacedMeshes::renumber(std::int32_t first) {
    for (XfilePlacement& placement : m_records) {
        setId(placement, first++);
    }
}

void PlacedMeshes::setId(XfilePlacement& placement, std::int32_t id) {
    placement.m_id = id;
    m_ids[m_bodies.indexOf(placement.body)] = id;
}
