#pragma once

#include <cstddef>
#include <cstdint>
#include <list>
#include <span>
#include <vector>

#include "scene/Bodies.h"
#include "scene/Placements.h"

// The meshes placed on a course: their records, in a list so that the editor may hold
// on to one while others come and go, and their moving bodies, in arrays in the same
// order, which the frame's passes run over without touching a record. Every record has
// exactly one body, made and removed with it; the record names it by id.
class PlacedMeshes {
public:
    PlacedMeshes() = default;
    // The records' addresses are what the body index leads back to: a copy would lead
    // back to the original's.
    PlacedMeshes(const PlacedMeshes&) = delete;
    PlacedMeshes& operator=(const PlacedMeshes&) = delete;
    PlacedMeshes(PlacedMeshes&&) noexcept = default;
    PlacedMeshes& operator=(PlacedMeshes&&) noexcept = default;

    using value_type = XfilePlacement;
    using iterator = std::list<XfilePlacement>::iterator;
    using const_iterator = std::list<XfilePlacement>::const_iterator;

    // Makes room for this many placements in all: a scene opened at once takes its
    // bodies' arrays at their size, not grown by doubling.
    void reserve(std::size_t placements);
    // Appends a placement with its body, last in the list and in the bodies' order.
    XfilePlacement& add(XfilePlacement placement, const CSceneObject& body);
    iterator erase(const_iterator placement);
    void clear();
    // Numbers the placements first, first + 1, ... in list order.
    void renumber(std::int32_t first);
    // Gives one placement another number (two with the same one never meet).
    void setId(XfilePlacement& placement, std::int32_t id);

    iterator begin() { return m_records.begin(); }
    iterator end() { return m_records.end(); }
    const_iterator begin() const { return m_records.begin(); }
    const_iterator end() const { return m_records.end(); }
    std::size_t size() const { return m_records.size(); }
    bool empty() const { return m_records.empty(); }
    XfilePlacement& front() { return m_records.front(); }
    const XfilePlacement& front() const { return m_records.front(); }
    XfilePlacement& back() { return m_records.back(); }
    const XfilePlacement& back() const { return m_records.back(); }

    CSceneObject& body(const XfilePlacement& placement) { return m_bodies[placement.body]; }
    const CSceneObject& body(const XfilePlacement& placement) const {
        return m_bodies[placement.body];
    }
    SurfaceHint& hint(const XfilePlacement& placement) { return m_bodies.hint(placement.body); }

    Bodies& bodies() { return m_bodies; }
    const Bodies& bodies() const { return m_bodies; }
    // The placement of the body at index i of the bodies' arrays.
    const XfilePlacement& placementAt(std::size_t i) const { return *m_placementAt[i]; }
    // Each body's placement's id, by the body's index.
    std::span<const std::int32_t> ids() const { return m_ids; }

private:
    std::list<XfilePlacement> m_records;
    Bodies m_bodies;
    std::vector<XfilePlacement*> m_placementAt; // by body index
    std::vector<std::int32_t> m_ids;            // by body index
};
