#pragma once

#include <cstddef>
#include <cstdint>
#include <span>
#include <vector>

#include "scene/SceneObject.h"

// A body's name that stays the same while bodies before it come and go.
enum class BodyId : std::uint32_t {};

// Where a point that follows the surface found it last: the search for the next
// sample starts there.
struct SurfaceHint {
    std::int32_t strip = 0;
    std::int32_t row = 0;
};

// The moving bodies of a course, in arrays side by side: index i of every array is the
// same body, and the indices run in the order the bodies were added (a removal keeps
// the order of the rest). The frame's passes run over index ranges of these arrays, in
// that order, which every result depends on; everything else names a body by its id.
class Bodies {
public:
    // Makes room for this many bodies in all, so that adding them moves none.
    void reserve(std::size_t bodies);
    // Appends a body, last in the order.
    BodyId add(const CSceneObject& body);
    // Removes a body; returns the index it had, which the bodies after it move down into.
    std::size_t remove(BodyId id);
    void clear();

    std::size_t size() const { return m_bodies.size(); }
    bool contains(BodyId id) const;
    // The body's index in the arrays; the id must name a body.
    std::size_t indexOf(BodyId id) const;
    BodyId idAt(std::size_t index) const { return m_idAt[index]; }

    CSceneObject& operator[](BodyId id) { return m_bodies[indexOf(id)]; }
    const CSceneObject& operator[](BodyId id) const { return m_bodies[indexOf(id)]; }
    SurfaceHint& hint(BodyId id) { return m_hints[indexOf(id)]; }
    const SurfaceHint& hint(BodyId id) const { return m_hints[indexOf(id)]; }

    // The arrays, in the order of the passes.
    std::span<CSceneObject> all() { return m_bodies; }
    std::span<const CSceneObject> all() const { return m_bodies; }
    std::span<SurfaceHint> hints() { return m_hints; }
    std::span<const SurfaceHint> hints() const { return m_hints; }

private:
    static constexpr std::uint32_t kFree = 0xffffffffu;

    std::vector<CSceneObject> m_bodies;
    std::vector<SurfaceHint> m_hints;
    std::vector<BodyId> m_idAt;           // per index
    std::vector<std::uint32_t> m_indexOf; // per id; kFree once its body is gone
    std::vector<BodyId> m_freeIds;        // ids to hand out again
};
